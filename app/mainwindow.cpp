#include "app/mainwindow.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplashScreen>
#include <QTimerEvent>
#include <QUrl>

#include "app/device_table.h"
#include "app/formula_alarm_tables.h"
#include "app/product_info.h"
#include "app/splash_fade.h"
#include "app/table_cells.h"
#include "app/user_guide_window.h"
#include "app/variable_clipboard.h"
#include "app/variable_table.h"
#include "core/sdi12_core.h"
#include "core/ui/selectcomport.h"
#include "devices/device_association.h"
#include "devices/device_list.h"
#include "devices/ui/address_change_dialog.h"
#include "devices/ui/comms_console.h"
#include "devices/ui/dev_assoc.h"
#include "devices/ui/kedit_device_cfg.h"
#include "devices/ui/manual_command.h"
#include "displays/kplot_win.h"
#include "displays/ldc_panel.h"
#include "fileio/fileio_core.h"
#include "fileio/ui/filecomsdialog.h"
#include "publish/ui/publish_dialog.h"
#include "remote/remotelogger_core.h"
#include "remote/ui/gsmconfigdialog.h"
#include "settings/workspace.h"
#include "station/record_log.h"
#include "station/station.h"
#include "ui_mainwindow.h"
#include "ui_manualentry.h"
#include "variables/column_list.h"
#include "widgets/column_widths.h"

namespace {

constexpr int kTickMs = 100;
constexpr int kVariableListTab = 1;
const QSize kWindowSize(820, 560);
// Room left around the window on a small screen, for the frame and title bar the desktop adds.
const QSize kScreenMargin(32, 64);
constexpr int kStatusMessageMs = 5000;

void apply_widths(QTableWidget& table, const std::vector<int>& widths) {
    for (int c = 0; c < int(widths.size()); ++c) table.setColumnWidth(c, widths[c]);
}

}  // namespace

MainWindow::MainWindow(Station& station, QWidget* parent)
    : QMainWindow(parent),
      station_(station),
      core_(station.core()),
      columns_(station.columns()),
      devices_(station.devices()) {
    // The pictures live in the window library; a static library needs its resources pulled in.
    Q_INIT_RESOURCE(veld);

    splash_ = std::make_unique<QSplashScreen>(QPixmap(QStringLiteral(":/new/bitmaps/splashv1.bmp")));
    splash_->show();

    resize(kWindowSize);
    fit_to_screen();

    setWindowTitle(product_info::name());  // the form sets it again; the title bar is right meanwhile
    startup_timer_ = startTimer(kTickMs);
}

MainWindow::~MainWindow() {
    // The import dialog's destroyed() must not reach init_commode() while the window goes.
    if (file_dialog_) disconnect(file_dialog_, nullptr, this, nullptr);
}

void MainWindow::fit_to_screen() {
    QScreen* screen = this->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    const QSize fitted = size().boundedTo(available.size() - kScreenMargin);
    resize(fitted);
    // move() places the frame; its size is known once the window is shown (the first tick).
    const QSize framed = fitted + (frameGeometry().size() - geometry().size());
    move(available.x() + (available.width() - framed.width()) / 2,
         available.y() + (available.height() - framed.height()) / 2);
}

void MainWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() != startup_timer_) {
        QMainWindow::timerEvent(event);
        return;
    }
    const int before = tick_counter_;
    // The counter only matters up to the end of the fade; stop it there instead of letting it wrap.
    if (tick_counter_ <= splash_fade::kLastTick) ++tick_counter_;
    if (before == 0) deferred_startup();
    fit_table_columns();
    fade_splash();
}

void MainWindow::fade_splash() {
    if (!splash_) return;
    if (const auto opacity = splash_fade::opacity_at(tick_counter_)) splash_->setWindowOpacity(*opacity);
    if (splash_fade::finishes_at(tick_counter_)) {
        splash_->finish(this);
        splash_.reset();
    }
}

void MainWindow::deferred_startup() {
    ui_ = std::make_unique<Ui::MainWindow>();
    ui_->setupUi(this);
    fit_to_screen();  // the form sets its own size again
    ui_ready_ = true;
    device_table::fit_columns(*ui_->device_table);
    // The actions no menu shows still belong to the window.
    addActions({ui_->actionManual_Entry, ui_->actionLoggingConfiguration, ui_->actionView_Console,
                ui_->actionEdit_Options, ui_->actionClear_Titles, ui_->actionLCD_1, ui_->actionLCD2,
                ui_->actionLCD_3, ui_->actionLCD_4});
    // F1 opens the guide from anywhere in the window, whether or not the menu bar is shown.
    addAction(ui_->actionUser_Guide);
    add_tab_shortcuts();
    build_dialogs();

    station_.load_variable_list();
    fill_variable_table();

    connect(this, &MainWindow::dummy_end_of_log, this, &MainWindow::on_values_changed, Qt::QueuedConnection);
    connect(ui_->columnTable, &QTableWidget::cellChanged, this, &MainWindow::on_column_edit_changed2);
    connect_console();

    core_.print(QStringLiteral("Hello World"));
    connect(&core_, &sdi12_core::devlist_changed, this, &MainWindow::on_devlist_changed,
            Qt::QueuedConnection);
    // Before the core reads its settings and anything writes a record, so that nothing is lost on a
    // fresh machine; after "Hello World", so the problems appear on the console.
    create_workspace_folders();

    station_.load_core_settings();
    station_.start_core(QThread::InheritPriority);
    core_.prepare_scan(0);
    connect(&core_, &sdi12_core::end_of_log, this, &MainWindow::on_values_changed, Qt::QueuedConnection);
    connect(&core_, &sdi12_core::cmd_event, this, &MainWindow::on_cmd_event, Qt::QueuedConnection);
    start_remote_and_import();

    station_.load_device_definitions();
    fill_device_table();
    fill_variable_table();
    connect(config_dialog_, &QDialog::accepted, this, &MainWindow::init_commode);
    // Its OK writes config.xml: the settings and the slots are saved from then on.
    connect(config_dialog_, &QDialog::accepted, this, [this] {
        const SavedState now = current_state();
        saved_state_.settings = now.settings;
        saved_state_.devices = now.devices;
    });

    build_formula_table();
    // The Time column carries an Alert Low level from the start.
    columns_.set_alarm(ColumnList::kTimeColumn, 2, QStringLiteral("4.56"));
    build_alarm_table();
    connect_displays();

    connect(&core_, &sdi12_core::end_of_log, this, &MainWindow::update_statusbar, Qt::QueuedConnection);
    connect(&core_, &sdi12_core::mode_changed, this, &MainWindow::update_statusbar, Qt::QueuedConnection);
    connect(&core_, &sdi12_core::port_state_changed, this, &MainWindow::update_statusbar,
            Qt::QueuedConnection);
    status_label_ = new QLabel(product_info::status_version_text(), this);
    statusBar()->addWidget(status_label_);
    ui_->actionChange_Address->setEnabled(false);
    saved_state_ = current_state();
}

MainWindow::SavedState MainWindow::current_state() const {
    SavedState state;
    const CoreSettings s = core_.settings();
    state.settings = QStringList{QString::number(s.port), QString::number(s.interval), s.filename,
                                 QString::number(s.comm_mode)};
    for (const idev& dev : devices_.snapshot())
        state.devices << dev.identification + QLatin1Char('\n') + dev.definition + QLatin1Char('\n') +
                             QString::number(dev.start_column);
    for (const column_record& r : table_cells::copy_records(columns_))
        state.columns
            << QStringList{r.name, r.units, r.formula, r.alarm[0], r.alarm[1], r.alarm[2], r.alarm[3]}.join(
                   QLatin1Char('\n'));
    return state;
}

bool MainWindow::unsaved_changes() const {
    return ui_ && !(current_state() == saved_state_);
}

bool MainWindow::save() {
    // A file that could not be written is said on the console, so nobody relies on it.
    const bool saved = station_.save();
    if (saved) saved_state_ = current_state();
    statusBar()->showMessage(saved ? QStringLiteral("Saved") : QStringLiteral("Not saved: see the console"),
                             kStatusMessageMs);
    return saved;
}

void MainWindow::ask_before_closing() {
    if (findChild<QMessageBox*>(QStringLiteral("unsavedChangesBox"))) return;  // already asking
    auto* box = new QMessageBox(
        QMessageBox::Question, windowTitle(),
        QStringLiteral("Names, units, formulas, alarm levels or device settings have changed since they "
                       "were last saved. Save them before closing?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box->setObjectName(QStringLiteral("unsavedChangesBox"));
    box->setDefaultButton(QMessageBox::Save);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Not blocking: the window stays open while the box asks, and closes again after the answer.
    connect(box, &QMessageBox::finished, this, [this, box] {
        const QMessageBox::StandardButton answer = box->standardButton(box->clickedButton());
        if (answer == QMessageBox::Save && !save()) return;
        if (answer != QMessageBox::Save && answer != QMessageBox::Discard) return;
        close_answered_ = true;
        close();
    });
    box->open();
}

void MainWindow::add_tab_shortcuts() {
    // The tables keep Tab and Ctrl+Tab for moving between cells, so the tabs get keys of their own:
    // Alt+1..Alt+4, and Ctrl+PgDown / Ctrl+PgUp for the next and previous tab.
    QTabWidget* tabs = ui_->tabWidget;
    for (int i = 0; i < tabs->count(); ++i) {
        auto* key = new QShortcut(QKeySequence(Qt::ALT + Qt::Key_1 + i), this);
        connect(key, &QShortcut::activated, tabs, [tabs, i] { tabs->setCurrentIndex(i); });
    }
    auto step = [this, tabs](QKeySequence keys, int by) {
        auto* key = new QShortcut(keys, this);
        connect(key, &QShortcut::activated, tabs, [tabs, by] {
            tabs->setCurrentIndex((tabs->currentIndex() + by + tabs->count()) % tabs->count());
        });
    };
    step(QKeySequence(Qt::CTRL + Qt::Key_PageDown), 1);
    step(QKeySequence(Qt::CTRL + Qt::Key_PageUp), -1);
}

void MainWindow::create_workspace_folders() {
    station_.create_folders();
}

void MainWindow::build_dialogs() {
    // Every dialog and satellite window, built once and reused for each opening.
    manual_entry_ = new QDialog(this);
    manual_entry_ui_ = std::make_unique<Ui::ManualEntry>();
    manual_entry_ui_->setupUi(manual_entry_);
    manual_entry_ui_->deviceComboBox->addItem(QStringLiteral("RZ640"));
    manual_entry_ui_->deviceComboBox->addItem(QStringLiteral("Piezo"));
    config_dialog_ = new selectComPort(core_, this);
    assoc_dialog_ = new dev_assoc(devices_, columns_,
                                  station_.path(QStringLiteral("devassoc.xml"), kFolderDevices), this);
    // Connected once: one OK, one reload.
    connect(assoc_dialog_, &dev_assoc::dev_changed, this, &MainWindow::on_assoc_changed);
    console_ = new comms_console(station_.path(QStringLiteral("console.txt"), kFolderLog), this);
    manual_command_ = new ManualCommand(core_, this);
    address_dialog_ = new AddressChangeDialog(devices_, core_, this);
    option_editor_ = new Kedit_device_cfg(devices_, core_, this);  // connects to the core itself, once
    gsm_dialog_ = new GSMConfigdialog(station_.remote(), this);
    file_dialog_ = new FileComsDialog(station_.importer(), this);
    publish_dialog_ = new PublishDialog(station_.path(QStringLiteral("publish.xml"), kFolderConfig), this);
    // OK wrote publish.xml: the publisher takes the settings at once.
    connect(publish_dialog_, &QDialog::accepted, this,
            [this] { station_.apply_publish_settings(publish_dialog_->saved_settings()); });
    for (ldc_panel*& panel : lcd_) panel = new ldc_panel(station_, this);
    for (Kplot_win*& plot : plots_) plot = new Kplot_win(station_, this);
}

void MainWindow::connect_console() {
    connect(&station_.console(), &StationConsole::printline, console_, &comms_console::newline,
            Qt::QueuedConnection);
    connect(&core_, &sdi12_core::printline, manual_command_, &ManualCommand::new_text, Qt::QueuedConnection);
    connect(assoc_dialog_, &dev_assoc::printline, console_, &comms_console::newline);
    console_->startTimer(250);
}

void MainWindow::start_remote_and_import() {
    remotelogger_core& remote = station_.remote();
    fileio_core& importer = station_.importer();
    station_.apply_remote_mode();  // only in the "Modem" mode
    connect(&remote, &remotelogger_core::end_of_log, this, &MainWindow::on_values_changed,
            Qt::QueuedConnection);
    connect(&importer, &fileio_core::end_of_log, this, &MainWindow::on_values_changed, Qt::QueuedConnection);
    connect(file_dialog_, &QDialog::accepted, this, &MainWindow::init_commode);
    // The command stopped the import while the dialog was shown; Cancel leaves it as it was.
    connect(file_dialog_, &QDialog::rejected, this, &MainWindow::init_commode);
    connect(file_dialog_, &QObject::destroyed, this, &MainWindow::init_commode);
    init_commode();
}

void MainWindow::init_commode() {
    if (!ui_) return;              // the import dialog's destroyed() may come while the window goes
    station_.apply_remote_mode();  // "Modem" runs the download, every other mode stops it
    station_.apply_import_mode();  // "File Remote" runs the import, every other mode stops it
    const int mode = core_.settings().comm_mode;
    ui_->device_table->setEnabled(mode == int(CommMode::Sdi12) || mode == int(CommMode::Rs485));
}

void MainWindow::build_formula_table() {
    formula_alarm_tables::fill_formulas(*ui_->formulaTable, columns_);
    connect(ui_->formulaTable, &QTableWidget::cellChanged, this, &MainWindow::on_formula_edit_changed);
}

void MainWindow::build_alarm_table() {
    formula_alarm_tables::fill_alarms(*ui_->alarmTable, columns_);
    connect(ui_->alarmTable, &QTableWidget::cellChanged, this, &MainWindow::on_alarm_edit_changed);
}

void MainWindow::connect_displays() {
    for (ldc_panel* panel : lcd_)
        connect(this, &MainWindow::end_of_processing, panel, &ldc_panel::update_panels);
    for (Kplot_win* plot : plots_)
        connect(this, &MainWindow::end_of_processing, plot, &Kplot_win::update_display);
}

void MainWindow::close_satellite_windows() {
    // Each display window saves its own layout file as it closes.
    if (!ui_) return;
    lcd_[0]->close();
    console_->close();
    for (Kplot_win* plot : plots_) plot->close();
    for (int i = 1; i < kLcdWindows; ++i) lcd_[i]->close();
}

void MainWindow::fill_variable_table() {
    variable_table::fill(*ui_->columnTable, columns_);
    formula_alarm_tables::fill_formulas(*ui_->formulaTable, columns_);
    formula_alarm_tables::fill_alarms(*ui_->alarmTable, columns_);
}

void MainWindow::show_name_in_formulas(int row) {
    if (row < 0 || row >= columns_.size()) return;
    const QSignalBlocker quiet(ui_->formulaTable);
    table_cells::set_text(*ui_->formulaTable, row, formula_alarm_tables::kName, columns_.name(row), false);
}

void MainWindow::fit_table_columns() {
    if (!ui_ready_) return;
    device_table::fit_columns(*ui_->device_table);
    variable_table::fit_columns(*ui_->columnTable);
    apply_widths(*ui_->formulaTable, column_widths::weighted(ui_->formulaTable->viewport()->width(),
                                                             column_widths::kFormulaWeights));
    apply_widths(*ui_->alarmTable,
                 column_widths::weighted(ui_->alarmTable->viewport()->width(), column_widths::kAlarmWeights));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fit_table_columns();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!close_answered_ && unsaved_changes()) {
        event->ignore();
        ask_before_closing();
        return;
    }
    close_answered_ = false;
    close_satellite_windows();
    QMainWindow::closeEvent(event);
}

void MainWindow::on_devlist_changed() {
    if (!ui_ready_) return;
    fill_device_table();
}

void MainWindow::fill_device_table() {
    const bool all_scanned = device_table::fill(
        *ui_->device_table, devices_.snapshot(), [this](int row) { edit_assoc(row); },
        [this](int row) { on_edit_devopt(row); });
    if (all_scanned) ui_->actionChange_Address->setEnabled(true);
}

void MainWindow::edit_assoc(int row) {
    if (row < 0 || row >= DeviceList::kSlots) return;
    assoc_dialog_->setup(row);
    assoc_dialog_->show();
    assoc_dialog_->raise();
    assoc_dialog_->activateWindow();
}

void MainWindow::on_edit_devopt(int row) {
    if (row < 0 || row >= DeviceList::kSlots) return;
    option_editor_->setup(row);  // shows the options and asks the core to read them
    bring_up(option_editor_);
}

template <class W>
void MainWindow::bring_up(W* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::on_assoc_changed(idev* dev) {
    if (!dev || dev->address.isEmpty()) return;
    apply_association(devices_.find_address(dev->address.at(0)));
}

void MainWindow::apply_association(int slot) {
    if (slot < 0) return;
    station_.load_device_definition(slot);
    fill_variable_table();
    fill_device_table();
}

void MainWindow::on_values_changed() {
    if (!ui_ready_) return;
    variable_table::refresh_current(*ui_->columnTable, *station_.record_log().latest_values());
    emit end_of_processing();
}

void MainWindow::update_statusbar() {
    if (status_label_) status_label_->setText(core_.status_text(sdi12_core::kStatusLine));
}

void MainWindow::on_column_edit_changed2(int row, int column) {
    variable_table::store_edit(*ui_->columnTable, columns_, row, column);
    if (column == variable_table::kName) show_name_in_formulas(row);
}

void MainWindow::on_formula_edit_changed(int row, int column) {
    formula_alarm_tables::store_formula_edit(*ui_->formulaTable, columns_, row, column);
}

void MainWindow::on_alarm_edit_changed(int row, int column) {
    formula_alarm_tables::store_alarm_edit(*ui_->alarmTable, columns_, row, column);
}

void MainWindow::on_column_edit_changed(int tag, QString text) {
    const int column = tag >> 8;
    if (column >= columns_.size()) return;
    switch (tag & 0xFF) {
        case variable_table::kName:
            columns_.set_name(column, text);
            show_name_in_formulas(column);
            break;
        case variable_table::kUnits:
            columns_.set_units(column, text);
            break;
        default:
            break;
    }
}

void MainWindow::on_tabWidget_currentChanged(int) {
    fit_table_columns();
}

void MainWindow::on_cmd_event(int event) {
    // The core scans the bus again after an address change; the table fills as it finds sensors.
    if (event == sdi12_core::kAddressChange) device_table::clear(*ui_->device_table);
}

void MainWindow::edit_device() {
    ui_->tabWidget->setCurrentIndex(kVariableListTab);
}

void MainWindow::on_actionComPort_triggered() {
    config_dialog_->setup();  // stops logging and fills the fields from the core
    config_dialog_->show();
    config_dialog_->raise();
    config_dialog_->activateWindow();
}

void MainWindow::on_actionScan_for_devices_triggered() {
    core_.prepare_scan(1);
    device_table::clear(*ui_->device_table);
    core_.start_scan();
}

void MainWindow::on_actionStart_Logging_2_triggered() {
    core_.set_logging(true);
}

void MainWindow::on_actionStop_Logging_triggered() {
    core_.set_logging(false);
}

void MainWindow::on_actionSave_triggered() {
    save();
}

void MainWindow::on_actionQuit_triggered() {
    close();
}

void MainWindow::on_actionAuto_Assign_triggered() {
    std::vector<assoc_entry> entries;
    say(device_association::read_file(station_.path(QStringLiteral("devassoc.xml"), kFolderDevices),
                                      entries));
    auto identified = [](const idev& dev) { return dev.identification.size() > 1; };
    // First each identified slot without a definition gets the one Device Setup offers first, and
    // every identified slot not yet loaded is loaded.
    for (int slot = 0; slot < DeviceList::kSlots; ++slot) {
        const idev dev = devices_.slot(slot);
        if (!identified(dev) || dev.cells > 0) continue;
        if (dev.definition.isEmpty()) {
            const QString definition = device_association::default_definition(entries, dev.identification);
            if (definition.isEmpty()) {
                say(QStringLiteral("Auto Assign: no device definition in devassoc.xml fits address %1 (%2)")
                        .arg(dev.address, dev.identification.trimmed()));
                continue;
            }
            devices_.update(slot, [&](idev& d) { d.definition = definition; });
        }
        station_.load_device_definition(slot);  // its cells decide where the next slot starts
    }
    // Then consecutive columns from D; a slot that still has no cells takes none.
    int next_free = ColumnList::kFirstDataColumn;
    for (int slot = 0; slot < DeviceList::kSlots; ++slot) {
        const idev dev = devices_.slot(slot);
        if (!identified(dev) || dev.cells <= 0) continue;
        devices_.update(slot, [&](idev& d) { d.start_column = std::uint16_t(next_free); });
        next_free += dev.cells;
        apply_association(slot);
    }
}

void MainWindow::on_actionClear_Titles_triggered() {
    columns_.edit_all([](std::vector<column_record>& records) {
        for (column_record& r : records) {
            r.name.clear();
            r.units.clear();
            r.label.clear();
            r.user1.clear();
            r.value = 0.001;
            r.value_text = ColumnList::format_value(r.value);
        }
    });
    core_.rebuild_scripts();
    fill_variable_table();
}

bool MainWindow::variable_list_shown() const {
    return ui_ && ui_->tabWidget->currentIndex() == kVariableListTab;
}

void MainWindow::on_actionCopy_triggered() {
    if (!variable_list_shown()) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(variable_clipboard::copy_text(*ui_->columnTable));
}

void MainWindow::on_actionCut_triggered() {
    on_actionCopy_triggered();
    on_actionClear_triggered();
}

void MainWindow::on_actionPaste_triggered() {
    if (!variable_list_shown()) return;
    variable_clipboard::paste_text(*ui_->columnTable, QGuiApplication::clipboard()->text());
}

void MainWindow::on_actionClear_triggered() {
    if (!variable_list_shown()) return;
    variable_clipboard::clear_selected(*ui_->columnTable);
}

void MainWindow::on_actionManual_Entry_triggered() {
    manual_entry_->show();
    manual_entry_->raise();
}

void MainWindow::on_actionLoggingConfiguration_triggered() {
    on_actionComPort_triggered();
}

void MainWindow::on_actionChange_Address_triggered() {
    address_dialog_->setup();
    bring_up(address_dialog_);
}

void MainWindow::on_actionManualCommand_triggered() {
    bring_up(manual_command_);
}

void MainWindow::on_actionGSM_triggered() {
    gsm_dialog_->load();
    bring_up(gsm_dialog_);
}

void MainWindow::on_actionPublishing_triggered() {
    publish_dialog_->load();
    bring_up(publish_dialog_);
}

void MainWindow::on_actionImport_Export_triggered() {
    // The import rests while its settings are edited; OK or init_commode() starts it again.
    station_.importer().set_import_running(false);
    file_dialog_->setup();
    bring_up(file_dialog_);
}

void MainWindow::on_actionConsole_triggered() {
    bring_up(console_);
}

void MainWindow::on_actionView_Console_triggered() {
    on_actionConsole_triggered();
}

void MainWindow::say(const QString& problem) {
    if (!problem.isEmpty()) core_.print(problem);
}

void MainWindow::open_lcd(int index, int file_number) {
    ldc_panel* panel = lcd_[index];
    say(panel->load_layout(station_.path(QStringLiteral("lcd%1.xml").arg(file_number), kFolderConfig)));
    panel->update_panels();
    panel->start_timer();
    bring_up(panel);
}

void MainWindow::open_chart(int number) {
    Kplot_win* plot = plots_[number - 1];
    say(plot->load_layout(station_.path(QStringLiteral("plot%1.xml").arg(number), kFolderConfig)));
    plot->set_log_file(core_.log_file_path());
    bring_up(plot);
}

// Windows 0 and 1 share "lcd1.xml".
void MainWindow::on_actionLCD_triggered() {
    open_lcd(0, 1);
}
void MainWindow::on_actionLCD_21_triggered() {
    open_lcd(1, 1);
}
void MainWindow::on_actionLCD_22_triggered() {
    open_lcd(2, 2);
}
void MainWindow::on_actionLCD_23_triggered() {
    open_lcd(3, 3);
}
void MainWindow::on_actionLCD_24_triggered() {
    open_lcd(4, 4);
}
void MainWindow::on_actionChart_triggered() {
    open_chart(1);
}
void MainWindow::on_actionChart_2_triggered() {
    open_chart(2);
}
void MainWindow::on_actionChart_3_triggered() {
    open_chart(3);
}
void MainWindow::on_actionChart_4_triggered() {
    open_chart(4);
}

void MainWindow::on_actionUser_Guide_triggered() {
    if (user_guide_ == nullptr) user_guide_ = new UserGuideWindow(this);
    user_guide_->show_guide();
}

void MainWindow::on_actionAbout_triggered() {
    QMessageBox::about(this, QStringLiteral("Veld"), product_info::about_text());
}
