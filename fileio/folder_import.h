#pragma once

#include <QHash>
#include <QString>
#include <cstdint>

#include "core/clock.h"
#include "fileio/import_scan.h"
#include "fileio/import_settings.h"

class ImportServices;

// The import of data files from the watched directory: each scan takes at most one new file and
// feeds its record lines through the path of a downloaded record (columns, formula pass, the log,
// end_of_log), one record every 200 ms. A file is taken only once its size and time have stayed
// the same for a whole scan interval, so a file still being written is not read half; it counts
// as imported only once it was read, and one that cannot be opened is tried three times, then
// said on the console and passed over.
// Thread: the import's worker thread (tests run it on theirs).
class FolderImport {
  public:
    static constexpr int kScanIntervalMs = 500;
    static constexpr int kRecordPauseMs = 200;
    static constexpr int kMaxLines = 10000;
    static constexpr int kMaxLineBytes = 9999;  // the line end included
    static constexpr int kRecordColumns = 40;
    static constexpr int kOpenTries = 3;

    FolderImport(Clock& clock, ImportServices& services) : clock_(clock), services_(services) {}

    // One scan of the directory. Returns the number of records imported.
    int scan();

  private:
    struct Seen {
        FolderEntry entry;
        std::int64_t since_ms = 0;  // tick at which it was first seen like this
    };

    // Remembers since when each file still to import has looked as it does now.
    void watch(const std::vector<FolderEntry>& entries, const ImportSettings& settings);
    // Whether `entry` has looked the same for a whole scan interval.
    bool settled(const FolderEntry& entry) const;
    // Reads the file from line `skip` on. Returns the records imported, or -1 when it cannot be
    // opened; `stopped` tells whether the running flag ended it early, `lines` how far it got.
    int import_file(const FolderEntry& entry, int skip, int& lines, bool& stopped);

    Clock& clock_;
    ImportServices& services_;
    QHash<QString, Seen> seen_;
    QHash<QString, int> failed_tries_;
};
