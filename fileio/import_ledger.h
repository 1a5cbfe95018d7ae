#pragma once

#include <QByteArray>
#include <QFile>
#include <QSet>
#include <QString>
#include <cstdint>
#include <map>

// How far one file of the import folder is imported.
struct LedgerEntry {
    QByteArray id;              // see FolderEntry::id
    QString name;               // the name it had when last seen
    QString folder;             // the import folder it is in (several folders may have been chosen)
    std::int64_t imported = 0;  // bytes read, always ending at a line end
    std::int64_t lines = 0;     // lines in those bytes
    std::int64_t size = 0;      // size and modification time when last seen
    std::int64_t mtime = 0;
    int hash_length = 0;  // the first bytes the hash covers (at most kHashBytes)
    QByteArray hash;      // hex MD5 of them; a file whose first bytes change is a new file

    static constexpr int kHashBytes = 4096;
};

// The import's progress per file, kept in one text file beside fileio.xml. Each change is
// appended as a line and handed to the system at once, so a killed program loses nothing the
// log already holds; whole entries are written anew (compacted) at start-up and after each
// file. Lines:
//   F id imported lines size mtime hash_length hash name folder   an entry, whole
//   W id from to lines log_size                           a record is about to be appended to
//                                                           the log, which had log_size bytes
//   D id to lines                                         the file is imported up to `to`
// A W that is the last line was cut short by the end of the program: its record is in the log
// if the log has grown since, and then counts as imported.
// Thread: the import's worker thread.
class ImportLedger {
  public:
    explicit ImportLedger(QString path) : path_(std::move(path)) {}
    ~ImportLedger();

    QString path() const { return path_; }

    // Reads the file and compacts it; `log_size` is the log's size now (-1 when there is none).
    // Returns false when there was no file yet.
    bool load(std::int64_t log_size);
    // Replays ledger text into the entries (used by load; public for tests).
    void replay(const QByteArray& text, std::int64_t log_size);

    const LedgerEntry* find(const QByteArray& id) const;
    // Adds or replaces an entry.
    void put(const LedgerEntry& entry);
    // Entries of `folder` whose file is no longer in it are dropped (an inode may be used again).
    void keep_only(const QString& folder, const QSet<QByteArray>& ids);
    const std::map<QByteArray, LedgerEntry>& entries() const { return entries_; }

    // The record of bytes [from, to) of the file is about to be appended to the log, which now
    // has `log_size` bytes. Written through before the record. Returns false when the file
    // cannot be written.
    bool begin_record(const QByteArray& id, std::int64_t from, std::int64_t to, std::int64_t lines,
                      std::int64_t log_size);
    // The file is imported up to `to` (its record appended, or its lines skipped). Written with
    // the next record's line or by flush().
    void advance(const QByteArray& id, std::int64_t to, std::int64_t lines);
    // Writes what is not written yet. Returns false when the file cannot be written.
    bool flush();
    // Writes the entries anew, dropping the change lines. Returns false when it cannot.
    bool compact();
    // Bytes of change lines written since the last compaction.
    std::int64_t journal_bytes() const { return journal_bytes_; }

    // The text of a whole entry and of the ledger (for tests).
    static QByteArray entry_line(const LedgerEntry& e);
    QByteArray document() const;

  private:
    bool write_through(const QByteArray& text);

    const QString path_;
    std::map<QByteArray, LedgerEntry> entries_;
    QFile journal_;
    QByteArray unwritten_;  // whole-entry lines not written yet
    QByteArray done_id_;    // the file whose D line is not written yet (empty: none)
    std::int64_t journal_bytes_ = 0;
};
