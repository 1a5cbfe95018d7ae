#pragma once

#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "core/downloaded_record.h"
#include "fileio/import_ledger.h"
#include "fileio/import_scan.h"
#include "fileio/import_settings.h"
#include "link/clock.h"

class ImportServices;

// The import of data files from the watched folder: each scan continues every file that has
// grown or changed since it was last read, the oldest first, and feeds its whole record lines
// (ending in a line end) through the path of a downloaded record (columns, formula pass, the
// log), as fast as the log takes them. How far each file is imported is kept per file in the
// ledger (see ImportLedger): a file that grows is continued where it stopped, a renamed file is
// the same file, one that shrank or whose first bytes changed is a new file. A record counts as
// imported only once its line is in the log, so the import pauses while the log cannot be
// written. Only regular files are read; names of uploads in progress wait until renamed. The
// windows are told at most five times a second, and when a file's import ends.
// Thread: the import's worker thread (tests run it on theirs).
class FolderImport {
  public:
    static constexpr int kScanIntervalMs = 500;
    static constexpr int kNoticeIntervalMs = 200;
    static constexpr int kMaxLineBytes = 9999;  // the line end included
    static constexpr int kRecordColumns = 40;
    static constexpr std::int64_t kMinFileBytes = 5;  // a smaller new file holds no record yet
    static constexpr std::int64_t kChunkBytes = 64 * 1024;
    static constexpr std::int64_t kCompactJournalBytes = 1 << 20;

    FolderImport(Clock& clock, ImportServices& services);
    ~FolderImport();

    // One scan of the folder. Returns the number of records imported.
    int scan();

  private:
    struct Work {
        FolderEntry file;
        LedgerEntry progress;
        int order = 0;  // place in the listing
    };
    enum class End { kDone, kStopped, kPaused };

    // Reads the ledger at the first scan; without one, files that an earlier version of the
    // import took (by proc_time) count as imported.
    void open_ledger(const ImportSettings& settings, const QString& folder,
                     const std::vector<FolderEntry>& files);
    // Imports what `work` has that was not imported yet. Returns the records imported.
    int import_file(Work& work, End& end);
    // A record is appended: its progress first announced, then the line written.
    bool append_record(const Work& work, const DownloadedRecord& record, std::int64_t from, std::int64_t to,
                       std::int64_t lines);
    void pause(const QString& text);
    void tell_windows(bool now);
    std::int64_t log_size() const;
    void say_once(const QString& name, const QString& text);

    Clock& clock_;
    ImportServices& services_;
    std::unique_ptr<ImportLedger> ledger_;
    QString log_path_;  // as the scan began
    // Files read to their end (or their last whole line): size and time then. Read again only
    // once either changes.
    QHash<QByteArray, QPair<std::int64_t, std::int64_t>> read_to_end_;
    QSet<QString> said_;  // names already said to be no regular file or unreadable
    bool paused_ = false;
    bool unshown_ = false;  // records the windows were not told of yet
    std::int64_t last_notice_ms_ = std::numeric_limits<std::int64_t>::min() / 2;  // the first record is shown
};
