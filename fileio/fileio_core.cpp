#include "fileio/fileio_core.h"

#include <QDir>
#include <QFileInfo>
#include <chrono>

#include "core/core_config.h"
#include "devices/device_list.h"
#include "fileio/folder_import.h"
#include "fileio/import_services.h"

namespace {

// The log named in the workspace's config.xml, for an owner that does not say where it logs.
QString configured_log_path(const QString& settings_path) {
    const QDir config = QFileInfo(settings_path).absoluteDir();
    CoreSettings settings;
    DeviceList devices;
    read_core_config(config.filePath(QStringLiteral("config.xml")), settings, devices);
    return QDir::cleanPath(config.filePath(QStringLiteral("../LOG/") + settings.filename));
}

}  // namespace

class fileio_core::Services final : public ImportServices {
  public:
    Services(fileio_core& owner, DownloadTarget& target, const QString& settings_path, PathSource log_path)
        : owner_(owner),
          target_(target),
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
    DownloadTarget& target() override { return target_; }

  private:
    fileio_core& owner_;
    DownloadTarget& target_;
    const QString ledger_path_;
    PathSource log_path_;
};

fileio_core::fileio_core(Clock& clock, DownloadTarget& target, const QString& settings_path,
                         const QString& default_directory, QObject* parent, PathSource log_path)
    : QThread(parent),
      store_(settings_path, default_directory),
      notices_(*this),
      services_(std::make_unique<Services>(*this, target, settings_path, std::move(log_path))),
      import_(std::make_unique<FolderImport>(clock, *services_)) {
    if (!store_.load_said().isEmpty()) print(store_.load_said());
}

fileio_core::~fileio_core() {
    shut_down();
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
        if (!on) {
            run_cv_.notify_all();
            return;
        }
        if (worker_active_) return;
        worker_active_ = true;
    }
    // A worker that has just decided to end is let finish before the next one starts.
    wait();
    // The default folder is the workspace's to make; one the user chose is not.
    const QString directory = store_.settings().directory;
    if (directory == store_.default_directory()) QDir().mkpath(directory);
    start();
}

void fileio_core::run() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(run_mutex_);
            run_cv_.wait_for(lock, std::chrono::milliseconds(FolderImport::kScanIntervalMs),
                             [this] { return !running_; });
            if (!running_) {
                worker_active_ = false;
                return;
            }
        }
        import_->scan();
    }
}

void fileio_core::shut_down() {
    set_import_running(false);
    wait();
    // What the worker printed last still reaches the console.
    if (QThread::currentThread() == thread()) deliver_notices();
}

void fileio_core::print(const QString& text) {
    // A string of its own, so that only one thread owns it.
    QString line = text + QStringLiteral("\r\n");
    notify([this, line = std::move(line)] { emit printline(line); });
}

void fileio_core::notify(std::function<void()> emission) {
    notices_.post(std::move(emission));
}

void fileio_core::deliver_notices() {
    notices_.deliver();
}
