#pragma once

#include <QString>
#include <QThread>
#include <memory>

#include "devices/device_list.h"
#include "link/clock.h"
#include "link/serial_link.h"
#include "station/station_console.h"
#include "variables/column_list.h"

class sdi12_core;
class RecordLog;
class remotelogger_core;
class fileio_core;
class Publisher;
struct PublishSettings;

// One recording station: the column list, the sixteen device slots and the acquisition core on
// its serial link, in one workspace folder. It owns start-up (folders, variable list, core
// settings, worker thread, device definitions, logging script) and Save, so the desktop program,
// the headless logger and every worker that joins later take the same steps in the same order.
// The desktop program takes them one by one between its own start-up steps; start_up() takes
// them all.
// Thread: the thread that made it (the user-interface thread); the core's worker runs beside it.
class Station {
  public:
    // The link and the clock outlive the station. `workspace_root` ends with "/". The remote
    // logger talks to its modem over `modem_link` (which then outlives the station too), or over
    // a platform serial link of its own when none is given.
    Station(SerialLink& link, Clock& clock, const QString& workspace_root, SerialLink* modem_link = nullptr);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    ColumnList& columns() { return columns_; }
    // The one record log of the station: the logging cycle, the download and the import append
    // through it, and windows draw the values it shows.
    RecordLog& record_log() { return *log_; }
    // The one console of the station: every worker's lines and the station's own.
    StationConsole& console() { return console_; }
    DeviceList& devices() { return devices_; }
    sdi12_core& core() { return *core_; }
    // The remote-logger download worker; its thread runs only while apply_remote_mode() finds
    // the "Modem" communication mode.
    remotelogger_core& remote() { return *remote_; }
    // The file import worker (settings in Config/fileio.xml); its thread runs only while
    // apply_import_mode() finds the "File Remote" communication mode.
    fileio_core& importer() { return *importer_; }
    // The publisher that sends every record to an MQTT broker (settings in Config/publish.xml);
    // its thread runs from start_core() on, idle while publishing is off.
    Publisher& publisher() { return *publisher_; }
    // Publishing with new settings (the dialog wrote them to publish.xml already).
    void apply_publish_settings(const PublishSettings& settings);
    QString root() const { return root_; }
    // Root + folder of `kind` (see FolderKind) + name.
    QString path(const QString& name, int kind) const;

    // The start-up steps, in the order they are taken.
    void create_folders();      // says on the console what it cannot create
    void load_variable_list();  // 255 default columns, then Config/varlist.xml
    // Config/config.xml, Config/gsmdialout.xml for the remote logger and Config/publish.xml for the
    // publisher.
    void load_core_settings();
    void start_core(QThread::Priority priority = QThread::InheritPriority);
    void load_device_definitions();  // Devices/<name> of every slot, then the logging script
    // All of them, for a program without windows.
    void start_up();

    // Applies the communication mode to the remote logger: in "Modem" its thread runs and is
    // asked to reset with both flags, so it reads gsmdialout.xml, plans the next call and hangs
    // up a call in progress; in every other mode a call in progress is hung up and the worker
    // ends, so it never writes into the log of another mode. Returns whether it runs.
    bool apply_remote_mode();

    // Applies the communication mode to the file import: running in "File Remote", stopped in
    // every other mode. Returns whether it runs.
    bool apply_import_mode();

    // One slot again after its association changed, then the logging script.
    void load_device_definition(int slot);

    // At exit: writes what the record log still holds back, if it can. Returns the lines that
    // are lost (said on the console with their number).
    int finish_record_log();

    // Writes Config/config.xml and Config/varlist.xml. A file that could not be written is said
    // on the console; returns whether both were.
    bool save();

  private:
    // Clears a definition name that would leave the Devices folder, and says so.
    bool refuse_unsafe_definition(int slot);

    const QString root_;
    StationConsole console_;
    ColumnList columns_;
    DeviceList devices_;
    std::unique_ptr<RecordLog> log_;
    std::unique_ptr<sdi12_core> core_;
    std::unique_ptr<SerialLink> own_modem_link_;  // when no modem link was given
    std::unique_ptr<remotelogger_core> remote_;
    std::unique_ptr<fileio_core> importer_;
    std::unique_ptr<Publisher> publisher_;
};
