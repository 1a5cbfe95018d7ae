#include "fileio/fileio_core.h"

#include <QDir>
#include <QFileInfo>

#include "core/core_config.h"
#include "devices/device_list.h"
#include "fileio/folder_import.h"
#include "fileio/import_services.h"
#include "settings/workspace.h"

namespace {

// The log named in the workspace's config.xml, for an owner that does not say where it logs.
QString configured_log_path(const QString& settings_path) {
    const QDir config = QFileInfo(settings_path).absoluteDir();
    CoreSettings settings;
    DeviceList devices;
    read_core_config(config.filePath(QStringLiteral("config.xml")), settings, devices);
    return QDir::cleanPath(
        config.filePath(QStringLiteral("../") + workspace_folder(kFolderLog) + settings.filename));
}

}  // namespace

class fileio_core::Services final : public ImportServices {
  public:
    Services(fileio_core& owner, RecordSink& records, const QString& settings_path, PathSource log_path)
        : owner_(owner),
          records_(records),
          ledger_path_(QFileInfo(settings_path).absoluteDir().filePath(QStringLiteral("fileio_ledger.txt"))),
          log_path_(std::move(log_path)) {
        if (!log_path_) log_path_ = [settings_path] { return configured_log_path(settings_path); };
    }

    ImportSettings settings() const override { return owner_.store_.settings(); }
    QString ledger_path() const override { return ledger_path_; }
    QString log_path() const override { return log_path_(); }
    bool running() const override { return owner_.import_running(); }
    void print(const QString& text) override { owner_.print(text); }
    void record_imported() override {
        std::lock_guard<std::mutex> lock(owner_.run_mutex_);
        if (owner_.records_left_ > 0 && --owner_.records_left_ == 0) owner_.running_ = false;
    }
    void records_added() override {
        fileio_core* o = &owner_;
        owner_.notify([o] { emit o->end_of_log(); });
    }
    RecordSink& records() override { return records_; }

  private:
    fileio_core& owner_;
    RecordSink& records_;
    const QString ledger_path_;
    PathSource log_path_;
};

fileio_core::fileio_core(Clock& clock, RecordSink& records, const QString& settings_path,
                         const QString& default_directory, QObject* parent, PathSource log_path)
    : SteppedWorker(parent),
      store_(settings_path, default_directory),
      services_(std::make_unique<Services>(*this, records, settings_path, std::move(log_path))),
      import_(std::make_unique<FolderImport>(clock, *services_)) {
    if (!store_.load_said().isEmpty()) print(store_.load_said());
}

fileio_core::~fileio_core() {
    shut_down();  // before the import goes
}

void fileio_core::shut_down() {
    set_import_running(false);
    SteppedWorker::shut_down();
}

bool fileio_core::import_running() const {
    std::lock_guard<std::mutex> lock(run_mutex_);
    return running_;
}

void fileio_core::stop_after_records(int records) {
    std::lock_guard<std::mutex> lock(run_mutex_);
    records_left_ = records > 0 ? records : 0;
}

void fileio_core::set_import_running(bool on) {
    {
        std::lock_guard<std::mutex> lock(run_mutex_);
        running_ = on;
        if (on) {
            if (worker_active_) return;
            worker_active_ = true;
        }
    }
    if (!on) {
        post([] {});  // wakes the worker, which then ends
        return;
    }
    // A worker that has just decided to end is let finish before the next one starts.
    wait();
    // The default folder is the workspace's to make; one the user chose is not.
    const QString directory = store_.settings().directory;
    if (directory == store_.default_directory()) QDir().mkpath(directory);
    start();
}

int fileio_core::work_step() {
    if (!import_running()) return 0;
    import_->scan();
    return FolderImport::kScanIntervalMs;
}

bool fileio_core::work_done() {
    std::lock_guard<std::mutex> lock(run_mutex_);
    if (!running_) worker_active_ = false;
    return !running_;
}
