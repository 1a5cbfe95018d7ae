#include "fileio/fileio_core.h"

#include <QDir>
#include <chrono>

#include "fileio/folder_import.h"
#include "fileio/import_services.h"

class fileio_core::Services final : public ImportServices {
  public:
    Services(fileio_core& owner, DownloadTarget& target) : owner_(owner), target_(target) {}

    ImportSettings settings() const override { return owner_.store_.settings(); }
    void mark_imported(const QString& name, std::int64_t mtime) override {
        if (owner_.store_.mark_imported(name, mtime) != 0) say_unsaved();
    }
    void mark_part(const QString& name, std::int64_t mtime, int lines) override {
        if (owner_.store_.mark_part(name, mtime, lines) != 0) say_unsaved();
    }
    bool running() const override { return owner_.import_running(); }
    void print(const QString& text) override { owner_.print(text); }
    void record_added() override {
        fileio_core* o = &owner_;
        owner_.notify([o] { emit o->end_of_log(); });
    }
    DownloadTarget& target() override { return target_; }

  private:
    // The next start of the program would import the file again.
    void say_unsaved() {
        owner_.print(QStringLiteral("Cannot write %1: the import's progress is not kept")
                         .arg(owner_.store_.snapshot().path()));
    }

    fileio_core& owner_;
    DownloadTarget& target_;
};

fileio_core::fileio_core(Clock& clock, DownloadTarget& target, const QString& settings_path,
                         const QString& default_directory, QObject* parent)
    : QThread(parent),
      store_(settings_path, default_directory),
      notices_(*this),
      services_(std::make_unique<Services>(*this, target)),
      import_(std::make_unique<FolderImport>(clock, *services_)) {}

fileio_core::~fileio_core() {
    shut_down();
}

bool fileio_core::import_running() const {
    std::lock_guard<std::mutex> lock(run_mutex_);
    return running_;
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
