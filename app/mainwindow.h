#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

class ColumnList;
class DeviceList;
class QLabel;
class QSplashScreen;
class Station;
class selectComPort;
class sdi12_core;
class dev_assoc;
class comms_console;
class ManualCommand;
class AddressChangeDialog;
class Kedit_device_cfg;
class GSMConfigdialog;
class FileComsDialog;
class PublishDialog;
class UserGuideWindow;
class ldc_panel;
class Kplot_win;
class QDialog;
struct idev;

namespace Ui {
class MainWindow;
class ManualEntry;
}  // namespace Ui

// The main window: device, variable, formula and alarm tables, the menus that start and stop the
// work of the acquisition core, and the status bar. The constructor only shows the splash screen;
// everything else starts on the first tick of a 100 ms timer so that the splash is painted first.
// Thread: the user-interface thread. The core reaches it only through queued signals.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // The station (core, column list, device slots) lives for the whole run, longer than the window.
    explicit MainWindow(Station& station, QWidget* parent = nullptr);
    ~MainWindow() override;

  signals:
    void dummy_end_of_log();
    // After each refresh of the current values; live displays redraw on it.
    void end_of_processing();

  public:
    // Handlers named after the signals they follow. They are plain members, connected by member
    // pointer, so the form's connect-by-name pass does not look for widgets called "devlist" or "cmd".
    void on_devlist_changed();
    void on_values_changed();
    void update_statusbar();
    void on_column_edit_changed2(int row, int column);
    void on_formula_edit_changed(int row, int column);
    void on_alarm_edit_changed(int row, int column);
    // tag: column index << 8 | table column (2 name, 3 units).
    void on_column_edit_changed(int tag, QString text);
    void on_cmd_event(int event);
    void edit_device();
    // Row buttons of the device table: "Setup" (association) and "Config" (sensor options).
    void edit_assoc(int row);
    void on_edit_devopt(int row);
    // Reloads the definition of the slot the association dialog changed, rebuilds the titles and
    // the logging script, refreshes the tables.
    void on_assoc_changed(idev* dev);
    // Applies the communication mode of the core settings: the device table serves the bus modes
    // (SDI-12, RS485) only.
    void init_commode();

  public slots:
    void on_tabWidget_currentChanged(int index);

  private slots:
    void on_actionComPort_triggered();
    void on_actionScan_for_devices_triggered();
    void on_actionStart_Logging_2_triggered();
    void on_actionStop_Logging_triggered();
    void on_actionSave_triggered();
    void on_actionAuto_Assign_triggered();
    void on_actionClear_Titles_triggered();
    void on_actionCopy_triggered();
    void on_actionCut_triggered();
    void on_actionPaste_triggered();
    void on_actionClear_triggered();
    void on_actionManual_Entry_triggered();
    void on_actionLoggingConfiguration_triggered();
    void on_actionChange_Address_triggered();
    void on_actionManualCommand_triggered();
    void on_actionGSM_triggered();
    void on_actionImport_Export_triggered();
    void on_actionPublishing_triggered();
    void on_actionConsole_triggered();
    void on_actionView_Console_triggered();
    void on_actionLCD_triggered();
    void on_actionLCD_21_triggered();
    void on_actionLCD_22_triggered();
    void on_actionLCD_23_triggered();
    void on_actionLCD_24_triggered();
    void on_actionChart_triggered();
    void on_actionChart_2_triggered();
    void on_actionChart_3_triggered();
    void on_actionChart_4_triggered();
    void on_actionUser_Guide_triggered();
    void on_actionAbout_triggered();
    void on_actionQuit_triggered();

  protected:
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // What Save writes, as loaded or last saved: closing asks when it differs from the station's.
    struct SavedState {
        QStringList settings;  // port, interval, file name, mode
        QStringList devices;   // identification, definition and start column of each slot
        QStringList columns;   // name, units, formula and alarm levels of each column
        bool operator==(const SavedState& o) const {
            return settings == o.settings && devices == o.devices && columns == o.columns;
        }
    };
    SavedState current_state() const;
    bool unsaved_changes() const;
    // Writes the settings and the variable list; says "Saved" in the status bar.
    bool save();
    // Closing with unsaved changes: asks Save / Discard / Cancel without blocking, and closes
    // again once the answer allows it.
    void ask_before_closing();

    void deferred_startup();
    // Fits the window into the screen it opens on and centres it there.
    void fit_to_screen();
    void add_tab_shortcuts();
    void create_workspace_folders();
    void fit_table_columns();
    void fade_splash();
    // The Variable List, Formulas and Alarm Levels tables, all from the column list.
    void fill_variable_table();
    // A name typed or pasted into the Variable List, shown in the Formulas table too.
    void show_name_in_formulas(int row);
    void fill_device_table();
    // The slot's definition again, then the tables (association dialog and Auto Assign).
    void apply_association(int slot);
    // Clipboard commands act only while the Variable List is shown.
    bool variable_list_shown() const;
    // LCD panel window `index` (0..4) with its layout file "lcd<file_number>.xml".
    // A problem with a file, said on the console (nothing when empty).
    void say(const QString& problem);
    void open_lcd(int index, int file_number);
    // Plot window `number` (1..4) with "plot<number>.xml" over the current log.
    void open_chart(int number);
    template <class W>
    static void bring_up(W* window);

    // The start-up steps of the other parts, in start-up order.
    void build_dialogs();            // manual entry, logging configuration and the other dialogs
    void connect_console();          // the station's console -> console window; core -> manual command window
    void start_remote_and_import();  // remote logger (modem mode), file import, init_commode()
    void build_formula_table();
    void build_alarm_table();
    void connect_displays();         // end_of_processing -> LCD panels and plots
    void close_satellite_windows();  // LCD panels, console and plots save their layouts on close

    Station& station_;
    sdi12_core& core_;
    ColumnList& columns_;
    DeviceList& devices_;

    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<QSplashScreen> splash_;
    QLabel* status_label_ = nullptr;
    selectComPort* config_dialog_ = nullptr;  // owned by the window
    dev_assoc* assoc_dialog_ = nullptr;       // owned by the window
    QDialog* manual_entry_ = nullptr;         // owned by the window
    std::unique_ptr<Ui::ManualEntry> manual_entry_ui_;
    comms_console* console_ = nullptr;  // the satellite windows are owned by the window too
    ManualCommand* manual_command_ = nullptr;
    AddressChangeDialog* address_dialog_ = nullptr;
    Kedit_device_cfg* option_editor_ = nullptr;
    GSMConfigdialog* gsm_dialog_ = nullptr;
    FileComsDialog* file_dialog_ = nullptr;
    PublishDialog* publish_dialog_ = nullptr;
    UserGuideWindow* user_guide_ = nullptr;  // made on first use, a child of the window
    static constexpr int kLcdWindows = 5, kPlotWindows = 4;
    std::array<ldc_panel*, kLcdWindows> lcd_{};
    std::array<Kplot_win*, kPlotWindows> plots_{};  // plot window n is plots_[n - 1]
    int startup_timer_ = 0;
    int tick_counter_ = 0;
    bool ui_ready_ = false;
    SavedState saved_state_;
    bool close_answered_ = false;  // the user chose Save or Discard: the next close goes through
};
