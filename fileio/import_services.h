#pragma once

#include <QString>
#include <cstdint>

#include "fileio/import_settings.h"

class RecordSink;

// What the folder import may use of its owner: the settings kept in fileio.xml, where its
// progress is kept, the log it appends to, the running flag, the console, the windows and where
// records go.
// Thread: called on the import's worker thread (or the test's); implementations are thread-safe.
class ImportServices {
  public:
    virtual ~ImportServices() = default;
    virtual ImportSettings settings() const = 0;
    // The file that keeps the progress per file (see ImportLedger).
    virtual QString ledger_path() const = 0;
    // The log file records are appended to now; empty when it is not known.
    virtual QString log_path() const = 0;
    virtual bool running() const = 0;
    virtual void print(const QString& text) = 0;
    // One record is in the log.
    virtual void record_imported() = 0;
    // The windows are told that records were added (at most a few times a second).
    virtual void records_added() = 0;
    virtual RecordSink& records() = 0;
};
