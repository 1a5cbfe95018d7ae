#include "app/mainwindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSplashScreen>
#include <QTimerEvent>
#include <QUrl>

#include "app/column_widths.h"
#include "app/device_table.h"
#include "app/formula_alarm_tables.h"
#include "app/product_info.h"
#include "app/splash_fade.h"
#include "app/variable_table.h"
#include "core/sdi12_core.h"
#include "core/station.h"
#include "core/ui/selectcomport.h"
#include "core/workspace.h"
#include "devices/device_list.h"
#include "ui_mainwindow.h"
#include "variables/column_list.h"

namespace {

constexpr int kTickMs = 100;
constexpr int kVariableListTab = 1;

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

    // Centred for a 400 by 300 window, as the splash is.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    move(screen.width() / 2 - 200, screen.height() / 2 - 150);

    setWindowTitle(product_info::name());  // the form sets it again; the title bar is right meanwhile
    startup_timer_ = startTimer(kTickMs);
}

MainWindow::~MainWindow() = default;

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
    ui_ready_ = true;
    device_table::fit_columns(*ui_->device_table);
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
    on_devlist_changed();
    fill_variable_table();
    connect(config_dialog_, &QDialog::accepted, this, &MainWindow::init_commode);

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
}

void MainWindow::create_workspace_folders() {
    station_.create_folders();
}

void MainWindow::build_dialogs() {
    // The other dialogs and satellite windows are built here as they join.
    config_dialog_ = new selectComPort(core_, this);
}

void MainWindow::connect_console() {}  // The console and the manual command window join here.

void MainWindow::start_remote_and_import() {
    // The remote logger (modem mode) and the file import start here as they join.
    init_commode();
}

void MainWindow::init_commode() {
    // The remote logger and the file import follow the mode here as they join.
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

void MainWindow::connect_displays() {}  // LCD panels and plots join here.

void MainWindow::close_satellite_windows() {}  // LCD panels, console and plots are closed here.

void MainWindow::fill_variable_table() {
    variable_table::fill(*ui_->columnTable, columns_);
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
    close_satellite_windows();
    QMainWindow::closeEvent(event);
}

void MainWindow::on_devlist_changed() {
    if (!ui_ready_) return;
    if (device_table::fill(*ui_->device_table, devices_.snapshot()))
        ui_->actionChange_Address->setEnabled(true);
}

void MainWindow::on_values_changed() {
    if (!ui_ready_) return;
    variable_table::refresh_current(*ui_->columnTable, *core_.latest_values());
    emit end_of_processing();
}

void MainWindow::update_statusbar() {
    if (status_label_) status_label_->setText(core_.status_text(sdi12_core::kStatusLine));
}

void MainWindow::on_column_edit_changed2(int row, int column) {
    variable_table::store_edit(*ui_->columnTable, columns_, row, column);
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
    if (event == 1) on_actionScan_for_devices_triggered();
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
    // A save that did not happen is said on the console, so nobody relies on it.
    station_.save();
}

void MainWindow::on_actionContents_triggered() {
    // A file URL built from the absolute path: right on every platform, unlike "file:///" + path,
    // which gives four slashes for a path that starts with "/".
    const QString guide = station_.path(QStringLiteral("veld-guidev2.pdf"), kFolderDevices);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(guide).absoluteFilePath()));
}

void MainWindow::on_actionAbout_triggered() {
    QMessageBox::about(this, QStringLiteral("Veld"), product_info::about_text());
}
