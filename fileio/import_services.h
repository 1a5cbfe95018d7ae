#pragma once

#include <QString>
#include <cstdint>

#include "fileio/import_settings.h"

class DownloadTarget;

// What the folder import may use of its owner: the settings and the progress kept in fileio.xml,
// the running flag, the console, the record announcement and where records go.
// Thread: called on the import's worker thread (or the test's); implementations are thread-safe.
class ImportServices {
  public:
    virtual ~ImportServices() = default;
    virtual ImportSettings settings() const = 0;
    // The file `name` of `mtime` is imported (or passed over): proc_time and proc_names follow it,
    // fileio.xml is written.
    virtual void mark_imported(const QString& name, std::int64_t mtime) = 0;
    // The import of that file stopped after `lines` lines; the next import goes on from there.
    virtual void mark_part(const QString& name, std::int64_t mtime, int lines) = 0;
    virtual bool running() const = 0;
    virtual void print(const QString& text) = 0;
    virtual void record_added() = 0;
    virtual DownloadTarget& target() = 0;
};
