#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

class ColumnList;
class DeviceList;
class QLabel;
class QSplashScreen;
class Station;
class selectComPort;
class sdi12_core;

namespace Ui {
class MainWindow;
}

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
    void on_actionContents_triggered();
    void on_actionAbout_triggered();

  protected:
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void deferred_startup();
    void create_workspace_folders();
    void fit_table_columns();
    void fade_splash();
    void fill_variable_table();

    // Seams for the parts that join later, in start-up order.
    void build_dialogs();            // manual entry, logging configuration and the other dialogs
    void connect_console();          // core printline -> console and manual command window
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
    int startup_timer_ = 0;
    int tick_counter_ = 0;
    bool ui_ready_ = false;
};
