#include "station/station.h"

#include "core/sdi12_core.h"
#include "devices/parse_dev_cfg.h"
#include "fileio/fileio_core.h"
#include "fileio/import_settings.h"
#include "publish/publish_settings.h"
#include "publish/publisher.h"
#include "remote/remotelogger_core.h"
#include "settings/workspace.h"
#include "station/record_log.h"
#include "variables/varlist_file.h"

Station::Station(SerialLink& link, Clock& clock, const QString& workspace_root, SerialLink* modem_link)
    : root_(workspace_root),
      log_(std::make_unique<RecordLog>(
          columns_, [this](const QString& m) { console_.print(m); },
          [this] { return core_->log_file_path(); })),
      core_(std::make_unique<sdi12_core>(columns_, devices_, link, clock, root_, *log_)) {
    if (!modem_link) {
        own_modem_link_ = make_platform_serial_link();
        modem_link = own_modem_link_.get();
    }
    remote_ = std::make_unique<remotelogger_core>(
        *modem_link, clock, *log_, path(QStringLiteral("gsmdialout.xml"), kFolderConfig), root_);
    importer_ = std::make_unique<fileio_core>(clock, *log_, path(QStringLiteral("fileio.xml"), kFolderConfig),
                                              default_import_directory(root_), nullptr,
                                              [this] { return log_->path(); });
    publisher_ = std::make_unique<Publisher>(PublishSettings{}, root_ + QStringLiteral("Outbox/"), clock,
                                             [this](const QString& m) { console_.print(m); });
    log_->set_publisher(publisher_.get());
    // One console for the station: each worker's lines keep their order on the way.
    for (SteppedWorker* worker :
         {static_cast<SteppedWorker*>(core_.get()), static_cast<SteppedWorker*>(remote_.get()),
          static_cast<SteppedWorker*>(importer_.get())})
        QObject::connect(worker, &SteppedWorker::printline, &console_, &StationConsole::printline);
}

Station::~Station() {
    importer_->shut_down();
    remote_->shut_down();
    core_->shut_down();
    // No record comes any more: the publisher says "offline" and disconnects.
    log_->set_publisher(nullptr);
    publisher_->stop();
    // What the workers and the record log said last still reaches the console.
    console_.deliver_notices();
}

QString Station::path(const QString& name, int kind) const {
    return workspace_file(root_, name, kind);
}

void Station::create_folders() {
    for (const QString& problem : ensure_workspace_folders(root_)) console_.print(problem);
}

void Station::load_variable_list() {
    columns_.reset_columns(ColumnList::kDefaultCount);
    QString said;
    read_varlist(columns_, path(QStringLiteral("varlist.xml"), kFolderConfig), &said);
    if (!said.isEmpty()) console_.print(said);
}

void Station::load_core_settings() {
    core_->read_core_config();
    // In every mode, so that the dial-out dialog shows the file (and its OK keeps the last
    // downloaded record) even before the remote logger first runs.
    if (!remote_->isRunning()) remote_->reset(remotelogger_core::kReadSettings);
    PublishSettings publishing;
    for (const QString& said :
         read_publish_settings(path(QStringLiteral("publish.xml"), kFolderConfig), publishing))
        console_.print(said);
    publisher_->apply_settings(publishing);
}

void Station::apply_publish_settings(const PublishSettings& settings) {
    publisher_->apply_settings(settings);
}

void Station::start_core(QThread::Priority priority) {
    core_->start(priority);
    publisher_->start();
}

bool Station::refuse_unsafe_definition(int slot) {
    const idev dev = devices_.slot(slot);
    if (dev.definition.isEmpty() || is_plain_file_name(dev.definition)) return false;
    console_.print(
        QStringLiteral("Device definition \"%1\" of address %2 refused: it must name a file inside Devices/")
            .arg(dev.definition, dev.address));
    devices_.update(slot, [](idev& d) { d.definition.clear(); });
    return true;
}

void Station::load_device_definitions() {
    for (int slot = 0; slot < DeviceList::kSlots; ++slot) refuse_unsafe_definition(slot);
    for (const QString& said : parse_dev_cfg::load_all(devices_, path(QString(), kFolderDevices)))
        console_.print(said);
    core_->rebuild_scripts();
}

void Station::load_device_definition(int slot) {
    if (slot < 0 || slot >= DeviceList::kSlots) return;
    if (!refuse_unsafe_definition(slot)) {
        const QString said = parse_dev_cfg::load_slot(devices_, slot, path(QString(), kFolderDevices));
        if (!said.isEmpty()) console_.print(said);
    }
    core_->rebuild_scripts();
}

void Station::start_up() {
    create_folders();
    load_variable_list();
    load_core_settings();
    start_core();
    load_device_definitions();
}

bool Station::apply_remote_mode() {
    if (core_->settings().comm_mode != int(CommMode::Modem)) {
        remote_->set_running(false);
        return false;
    }
    remote_->set_running(true);
    remote_->reset(remotelogger_core::kReadSettings | remotelogger_core::kRecomputeSchedule);
    return true;
}

bool Station::apply_import_mode() {
    const bool file_remote = core_->settings().comm_mode == int(CommMode::FileRemote);
    importer_->set_import_running(file_remote);
    return file_remote;
}

int Station::finish_record_log() {
    return log_->flush_at_exit();
}

bool Station::save() {
    bool saved = true;
    if (core_->write_core_config() != 0) {
        console_.print(
            QStringLiteral("Save: cannot write %1").arg(path(QStringLiteral("config.xml"), kFolderConfig)));
        saved = false;
    }
    const QString varlist = path(QStringLiteral("varlist.xml"), kFolderConfig);
    if (write_varlist(columns_, varlist) != 0) {
        console_.print(QStringLiteral("Save: cannot write %1").arg(varlist));
        saved = false;
    }
    return saved;
}
