#include "fileio/folder_import.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

#include "core/downloaded_record.h"
#include "core/record_sink.h"
#include "fileio/import_line.h"
#include "fileio/import_services.h"
#include "settings/regular_file.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

QByteArray hash_of(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

// One import file opened for reading, only if it is still the regular file that was listed: a
// name that became a link, a FIFO or a device in between is never opened or never read (a FIFO
// would block the worker).
// Thread: the import's worker thread.
class ImportFile {
  public:
    enum class Opened { kOk, kNotRegular, kReplaced, kError };

    ImportFile() = default;
    ImportFile(const ImportFile&) = delete;
    ImportFile& operator=(const ImportFile&) = delete;
#ifdef Q_OS_UNIX
    ~ImportFile() {
        if (fd_ >= 0) ::close(fd_);
    }

    Opened open(const FolderEntry& entry, QString& error) {
        fd_ =
            ::open(QFile::encodeName(entry.path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd_ < 0) {
            if (errno == ELOOP) return Opened::kNotRegular;
            if (errno == ENOENT) return Opened::kReplaced;
            error = QString::fromLocal8Bit(std::strerror(errno));
            return Opened::kError;
        }
        struct stat st {};
        if (::fstat(fd_, &st) != 0) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            return Opened::kError;
        }
        if (!S_ISREG(st.st_mode)) return Opened::kNotRegular;
        const QByteArray id =
            QByteArray::number(qulonglong(st.st_dev)) + ':' + QByteArray::number(qulonglong(st.st_ino));
        return id == entry.id ? Opened::kOk : Opened::kReplaced;
    }

    // Up to `max` bytes from `offset`; fewer at the end of the file, none on an error.
    QByteArray read(std::int64_t offset, std::int64_t max) {
        QByteArray bytes(int(max), Qt::Uninitialized);
        std::int64_t got = 0;
        while (got < max) {
            const ssize_t n = ::pread(fd_, bytes.data() + got, std::size_t(max - got), off_t(offset + got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += n;
        }
        bytes.truncate(int(got));
        return bytes;
    }

  private:
    int fd_ = -1;
#else
    Opened open(const FolderEntry& entry, QString& error) {
        if (!QFileInfo(entry.path).isFile()) return Opened::kNotRegular;
        file_.setFileName(entry.path);
        if (!file_.open(QIODevice::ReadOnly)) {
            error = file_.errorString();
            return Opened::kError;
        }
        return Opened::kOk;
    }
    QByteArray read(std::int64_t offset, std::int64_t max) {
        if (!file_.seek(offset)) return QByteArray();
        return file_.read(max);
    }

  private:
    QFile file_;
#endif
};

// Where the n-th line of a file ends (n = 0: at 0), counting an unfinished last line; `lines`
// gets the lines counted (fewer when the file has fewer).
std::int64_t offset_after_lines(const QString& path, std::int64_t n, std::int64_t& lines) {
    lines = 0;
    QFile file(path);
    if (n <= 0 || !open_regular_file(file, QIODevice::ReadOnly).opened) return 0;
    std::int64_t offset = 0;
    bool open_line = false;
    for (;;) {
        const QByteArray chunk = file.read(FolderImport::kChunkBytes);
        if (chunk.isEmpty()) break;
        for (int i = 0; i < chunk.size(); ++i) {
            open_line = chunk[i] != '\n';
            if (open_line) continue;
            if (++lines == n) return offset + i + 1;
        }
        offset += chunk.size();
    }
    if (open_line) ++lines;
    return offset;
}

}  // namespace

FolderImport::FolderImport(Clock& clock, ImportServices& services) : clock_(clock), services_(services) {}

FolderImport::~FolderImport() = default;

std::int64_t FolderImport::log_size() const {
    if (log_path_.isEmpty()) return -1;
    const QFileInfo info(log_path_);
    return info.exists() ? info.size() : 0;
}

void FolderImport::say_once(const QString& name, const QString& text) {
    if (said_.contains(name)) return;
    said_.insert(name);
    services_.print(text);
}

void FolderImport::open_ledger(const ImportSettings& settings, const QString& folder,
                               const std::vector<FolderEntry>& files) {
    ledger_ = std::make_unique<ImportLedger>(services_.ledger_path());
    if (ledger_->load(log_size())) return;
    if (settings.proc_time <= 0 && settings.part_name.isEmpty()) return;
    // An earlier version kept only the time of the newest file it had imported (and the lines
    // read of a file it was stopped in): what it took counts as imported, nothing twice.
    for (const FolderEntry& f : files) {
        if (f.kind != EntryKind::kRegular || !is_import_name(f.name, settings.filter)) continue;
        LedgerEntry e;
        e.id = f.id;
        e.name = f.name;
        e.folder = folder;
        e.size = f.size;
        e.mtime = f.mtime;
        if (!settings.is_new(f.name, f.mtime)) {
            e.imported = offset_after_lines(f.path, std::numeric_limits<std::int64_t>::max(), e.lines);
        } else if (settings.lines_done(f.name, f.mtime) > 0) {
            e.imported = offset_after_lines(f.path, settings.lines_done(f.name, f.mtime), e.lines);
        } else {
            continue;
        }
        QFile file(f.path);
        if (open_regular_file(file, QIODevice::ReadOnly).opened) {
            const QByteArray head = file.read(std::min<std::int64_t>(e.imported, LedgerEntry::kHashBytes));
            e.hash_length = head.size();
            e.hash = hash_of(head);
        }
        ledger_->put(e);
    }
    ledger_->compact();
}

int FolderImport::scan() {
    const ImportSettings settings = services_.settings();
    if (!settings.enabled) return 0;
    const QString folder = QDir::cleanPath(QFileInfo(settings.directory).absoluteFilePath());
    const std::vector<FolderEntry> files = list_import_folder(settings.directory);
    log_path_ = services_.log_path();
    if (!ledger_) open_ledger(settings, folder, files);

    QSet<QByteArray> present;
    QSet<QString> names;
    std::vector<Work> work;
    for (int i = 0; i < int(files.size()); ++i) {
        const FolderEntry& f = files[std::size_t(i)];
        names.insert(f.name);
        if (f.kind == EntryKind::kRegular) present.insert(f.id);
        if (f.kind == EntryKind::kDirectory || !is_import_name(f.name, settings.filter)) continue;
        if (f.kind != EntryKind::kRegular) {
            say_once(f.name, QStringLiteral("%1 is not a regular file: not imported").arg(f.name));
            continue;
        }
        const LedgerEntry* known = ledger_->find(f.id);
        if (!known && f.size < kMinFileBytes) continue;
        const auto seen = read_to_end_.constFind(f.id);
        if (seen != read_to_end_.constEnd() && seen->first == f.size && seen->second == f.mtime) continue;
        LedgerEntry progress;
        if (known) {
            if (known->size == f.size && known->mtime == f.mtime && known->imported >= f.size) {
                // Renamed, or moved here from another import folder: the same file.
                if (known->name != f.name || known->folder != folder) {
                    progress = *known;
                    progress.name = f.name;
                    progress.folder = folder;
                    ledger_->put(progress);
                }
                continue;
            }
            progress = *known;
        } else {
            progress.id = f.id;
        }
        work.push_back({f, progress, i});
    }
    // An empty listing may be a folder not mounted: its files are not forgotten for that.
    if (!present.isEmpty()) ledger_->keep_only(folder, present);
    for (auto it = read_to_end_.begin(); it != read_to_end_.end();)
        it = present.contains(it.key()) ? std::next(it) : read_to_end_.erase(it);
    for (auto it = said_.begin(); it != said_.end();)
        it = names.contains(*it) ? std::next(it) : said_.erase(it);

    // Modification times only order the work: a file is never passed over for its time.
    std::sort(work.begin(), work.end(), [](const Work& a, const Work& b) {
        return a.file.mtime != b.file.mtime ? a.file.mtime < b.file.mtime : a.order < b.order;
    });
    int records = 0;
    for (Work& w : work) {
        if (!services_.running()) break;
        End end = End::kDone;
        w.progress.name = w.file.name;
        w.progress.folder = folder;
        records += import_file(w, end);
        if (end != End::kDone) break;
    }
    if (ledger_->journal_bytes() > kCompactJournalBytes) ledger_->compact();
    return records;
}

void FolderImport::pause(const QString& text) {
    if (!paused_) services_.print(text);
    paused_ = true;
}

void FolderImport::tell_windows(bool now) {
    if (!unshown_) return;
    const std::int64_t tick = clock_.tick_ms();
    if (!now && tick - last_notice_ms_ < kNoticeIntervalMs) return;
    last_notice_ms_ = tick;
    unshown_ = false;
    services_.records().show_values();
    services_.records_added();
}

bool FolderImport::append_record(const Work& work, const DownloadedRecord& record, std::int64_t from,
                                 std::int64_t to, std::int64_t lines) {
    // The ledger says first which record goes to the log and how long the log was: should the
    // program end right after the append, the next start sees the log grown and counts it.
    bool ledger_written = true;
    const auto note_in_ledger = [&] {
        ledger_written = ledger_->begin_record(work.file.id, from, to, lines, log_size());
        return ledger_written;
    };
    if (!services_.records().add_transfer(record, kRecordColumns, note_in_ledger)) {
        pause(ledger_written ? QStringLiteral("Import paused: the log file cannot be written")
                             : QStringLiteral("Import paused: %1 cannot be written").arg(ledger_->path()));
        return false;
    }
    if (paused_) services_.print(QStringLiteral("Import resumed"));
    paused_ = false;
    return true;
}

int FolderImport::import_file(Work& work, End& end) {
    const FolderEntry& f = work.file;
    ImportFile file;
    QString error;
    switch (file.open(f, error)) {
        case ImportFile::Opened::kOk:
            break;
        case ImportFile::Opened::kNotRegular:
            say_once(f.name, QStringLiteral("%1 is not a regular file: not imported").arg(f.name));
            return 0;
        case ImportFile::Opened::kReplaced:
            return 0;  // the next scan lists what is there now
        case ImportFile::Opened::kError:
            say_once(f.name, QStringLiteral("Cannot read %1: %2").arg(f.name, error));
            return 0;
    }
    LedgerEntry& p = work.progress;
    // The first bytes as they are now; compared again before each further read, so a file written
    // anew while it is read is never continued with the other version's bytes.
    const QByteArray head = file.read(0, LedgerEntry::kHashBytes);
    const bool shrank = f.size < p.imported;
    if (shrank ||
        (p.hash_length > 0 && (head.size() < p.hash_length || hash_of(head.left(p.hash_length)) != p.hash))) {
        services_.print(
            shrank ? QStringLiteral("%1 is shorter than what was imported of it: imported as a new file")
                         .arg(f.name)
                   : QStringLiteral("%1 has changed from its start: imported as a new file").arg(f.name));
        p.imported = 0;
        p.lines = 0;
        p.hash_length = 0;
        p.hash.clear();
    }
    p.size = f.size;
    p.mtime = f.mtime;
    ledger_->put(p);

    std::int64_t pos = p.imported;  // where the next line starts
    std::int64_t lines = p.lines;
    QByteArray buffer;
    std::int64_t buffer_at = pos;  // the file offset of buffer[0]
    bool overlong = false;         // the line at pos is too long; its bytes are not kept
    bool at_end = false;
    bool read_once = false;
    bool rewritten = false;
    int records = 0;
    end = End::kDone;
    while (end == End::kDone) {
        const int start = int(pos - buffer_at);
        const int nl = overlong ? buffer.indexOf('\n') : buffer.indexOf('\n', start);
        if (nl < 0) {
            if (at_end) break;  // an unfinished last line waits for its line end
            if (overlong || buffer.size() - start > kMaxLineBytes) {
                overlong = true;
                buffer_at += buffer.size();
                buffer.clear();
            } else {
                buffer.remove(0, start);
                buffer_at = pos;
            }
            if (read_once && file.read(0, head.size()) != head) {
                rewritten = true;  // the next scan finds its start changed
                break;
            }
            read_once = true;
            const QByteArray more = file.read(buffer_at + buffer.size(), kChunkBytes);
            at_end = more.size() < kChunkBytes;
            buffer += more;
            continue;
        }
        const std::int64_t next = buffer_at + nl + 1;
        const char* begin = buffer.constData() + std::max(start, 0);
        const char* stop = buffer.constData() + nl + 1;
        ++lines;
        if (overlong || next - pos > kMaxLineBytes) {
            services_.print(QStringLiteral("%1 line %2: longer than %3 bytes, skipped")
                                .arg(f.name)
                                .arg(lines)
                                .arg(kMaxLineBytes));
            overlong = false;
            buffer.remove(0, nl + 1);
            buffer_at = next;
        } else if (has_control_characters(begin, stop)) {
            services_.print(QStringLiteral("%1 line %2: control characters, refused").arg(f.name).arg(lines));
        } else {
            DownloadedRecord record;
            if (parse_import_line(QByteArray::fromRawData(begin, int(stop - begin)), record)) {
                if (!services_.running()) {
                    end = End::kStopped;  // this line is left for the next import
                    --lines;
                    break;
                }
                if (!append_record(work, record, pos, next, lines)) {
                    end = End::kPaused;
                    --lines;
                    break;
                }
                ++records;
                services_.record_imported();
                unshown_ = true;
            }
        }
        ledger_->advance(f.id, next, lines);
        pos = next;
        if (unshown_) tell_windows(false);
    }
    if (!ledger_->flush()) {
        pause(QStringLiteral("Import paused: %1 cannot be written").arg(ledger_->path()));
        end = End::kPaused;
    }
    // The first bytes imported are what tells this file from one written anew under its name.
    if (const LedgerEntry* now = ledger_->find(f.id)) {
        const int length = int(std::min<std::int64_t>(now->imported, head.size()));
        if (length > now->hash_length) {
            LedgerEntry e = *now;
            e.hash_length = length;
            e.hash = hash_of(head.left(length));
            ledger_->put(e);
            ledger_->flush();
        }
    }
    if (end == End::kDone && !rewritten) read_to_end_.insert(f.id, qMakePair(f.size, f.mtime));
    tell_windows(true);
    if (end == End::kStopped)
        services_.print(QStringLiteral("Import of %1 stopped after %2 records").arg(f.name).arg(records));
    else if (records > 0)
        services_.print(QStringLiteral("Imported %1: %2 records").arg(f.name).arg(records));
    return records;
}
