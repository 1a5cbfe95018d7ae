#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <mutex>

#include "core/stepped_worker.h"
#include "fileio/import_store.h"
#include "link/clock.h"

class RecordSink;
class FolderImport;

// The file import worker: in the "File Remote" mode it scans the import directory every 500 ms
// and imports the new record lines of its data files into the log (see FolderImport). Its
// settings are fileio.xml (see ImportStore), shared with the Import/Export dialog; its progress
// per file is fileio_ledger.txt beside it (see ImportLedger). Console lines and end_of_log() (at
// most five a second) are emitted on the object's own thread, in the worker's order.
// Thread: the object lives on the thread that made it (the user-interface thread); scans run on
// its worker thread. set_import_running(), import_running() and store() may be used from any
// thread.
class fileio_core : public SteppedWorker {
    Q_OBJECT
  public:
    using PathSource = std::function<QString()>;

    // `settings_path` is the full path of fileio.xml, read here; `default_directory` is where
    // files are imported from while imp_dir is not set; `log_path` gives the path of the log the
    // records go to (without it, the log named in config.xml beside fileio.xml). The clock and
    // the record sink outlive the object.
    fileio_core(Clock& clock, RecordSink& records, const QString& settings_path,
                const QString& default_directory, QObject* parent = nullptr, PathSource log_path = {});
    ~fileio_core() override;

    // On: sets the running flag and starts the worker, with the priority of the calling thread,
    // unless it runs. Off: clears the flag; the worker ends after the record it is importing.
    void set_import_running(bool on);
    bool import_running() const;
    // The worker clears the running flag itself after `records` more records (0: never), so a
    // run that imports a given number of records ends at exactly that record.
    void stop_after_records(int records);

    // The settings store the Import/Export dialog fills itself from and saves into.
    ImportStore& store() { return store_; }

    // Stops the import and waits for the worker.
    void shut_down();

  signals:
    void end_of_log();

  protected:
    int work_step() override;
    bool work_done() override;

  private:
    class Services;

    ImportStore store_;

    mutable std::mutex run_mutex_;
    bool running_ = false;
    int records_left_ = 0;        // stop_after_records(); 0: no limit
    bool worker_active_ = false;  // the loop has not decided to end yet
    std::unique_ptr<Services> services_;
    std::unique_ptr<FolderImport> import_;
};
