#include "publish/outbox.h"

#include <QDir>
#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "settings/regular_file.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr std::int64_t kReadChunkBytes = 64 * 1024;
constexpr std::int64_t kMinSegmentBytes = 4096;
constexpr qint64 kAckedFileBytes = 64 * 1024;  // rewritten with only the last number past this
// Straight to the file: the sync that follows each append must find nothing held back.
constexpr QIODevice::OpenMode kAppendMode = QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered;
const QString kAckedName = QStringLiteral("acked");
const QString kSegmentPrefix = QStringLiteral("seg-");
const QString kSegmentSuffix = QStringLiteral(".log");

// The number at the start of "<seq> <json>", or 0 when the line is not one of ours.
std::int64_t line_seq(const char* begin, const char* end, const char** payload) {
    std::int64_t seq = 0;
    const auto r = std::from_chars(begin, end, seq);
    if (r.ec != std::errc() || r.ptr == end || *r.ptr != ' ' || seq <= 0) return 0;
    // A JSON object follows; a line torn or filled with zeros by a crash is no object.
    if (r.ptr + 1 >= end || r.ptr[1] != '{' || end[-1] != '}') return 0;
    *payload = r.ptr + 1;
    return seq;
}

// Makes what was written to the file reach the disk.
bool sync_file(QFile& file) {
#ifdef Q_OS_WIN
    return file.flush();
#else
    return file.flush() && ::fdatasync(file.handle()) == 0;
#endif
}

// Makes a file just made or deleted in `dir` stay so after a power cut.
void sync_dir(const QString& dir) {
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(dir);
#endif
}

QByteArray seq_text(std::int64_t seq) {
    return QByteArray::number(qlonglong(seq));
}

}  // namespace

Outbox::Outbox(QString dir, std::int64_t limit_bytes, std::int64_t segment_bytes)
    : dir_(QDir::cleanPath(dir) + QLatin1Char('/')),
      segment_bytes_(segment_bytes),
      limit_bytes_(limit_bytes) {
    load();
}

Outbox::~Outbox() = default;

QString Outbox::segment_path(std::int64_t first) const {
    return dir_ + kSegmentPrefix + seq_text(first).rightJustified(20, '0') + kSegmentSuffix;
}

std::int64_t Outbox::segment_limit() const {
    // A limit of a few segments still leaves room to drop whole files.
    return std::max(kMinSegmentBytes, std::min(segment_bytes_, limit_bytes_.load() / 4));
}

void Outbox::load() {
    QDir().mkpath(dir_);
    // The last complete number in the acknowledged file.
    QFile acked(dir_ + kAckedName);
    if (open_regular_file(acked, QIODevice::ReadOnly).opened) {
        const QList<QByteArray> lines = acked.readAll().split('\n');
        // The last element follows the last line end: complete lines come before it.
        for (int i = lines.size() - 2; i >= 0; --i) {
            std::int64_t seq = 0;
            const QByteArray& l = lines[i];
            const auto r = std::from_chars(l.constData(), l.constData() + l.size(), seq);
            if (!l.isEmpty() && r.ec == std::errc() && r.ptr == l.constData() + l.size()) {
                acked_ = seq;
                break;
            }
        }
        acked.close();
    }
    const QStringList names =
        QDir(dir_).entryList({kSegmentPrefix + QLatin1Char('*') + kSegmentSuffix}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        Segment s;
        s.path = dir_ + name;
        QFile file(s.path);
        if (!open_regular_file(file, QIODevice::ReadOnly).opened) continue;
        const QByteArray data = file.readAll();
        file.close();
        // The valid lines: numbered one after the other, each a whole object with its line end.
        const char* p = data.constData();
        const char* const end = p + data.size();
        std::int64_t expected = 0;
        while (p < end) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
            if (!nl) break;
            const char* payload = nullptr;
            const std::int64_t seq = line_seq(p, nl, &payload);
            if (seq == 0 || (expected != 0 && seq != expected)) break;
            if (expected == 0) s.first = seq;
            s.last = seq;
            expected = seq + 1;
            p = nl + 1;
        }
        s.bytes = p - data.constData();
        if (s.bytes == 0) {
            QFile::remove(s.path);
            continue;
        }
        if (s.bytes < data.size()) {
            // A torn last line: cut off, so that appends start on a line of their own.
            QFile cut(s.path);
            if (open_regular_file(cut, QIODevice::ReadWrite).opened) cut.resize(s.bytes);
        }
        segments_.push_back(s);
    }
    if (!segments_.empty()) {
        acked_ = std::max(acked_, segments_.front().first - 1);
        last_ = std::max(segments_.back().last, acked_);
    } else {
        last_ = acked_;
    }
    acked_ = std::min(acked_, last_);
    next_seq_ = last_ + 1;
    read_seq_ = acked_ + 1;
    acked_written_ = acked_;
    drop_acknowledged_locked();
    if (!segments_.empty()) {
        write_path_ = segments_.back().path;
        write_file_.setFileName(write_path_);
        if (!open_regular_file(write_file_, kAppendMode).opened) write_file_.setFileName(QString());
    }
}

std::int64_t Outbox::append(const PublishedRecord& record, const QString& station) {
    std::lock_guard<std::mutex> lock(write_mutex_);
    const std::int64_t seq = next_seq_;
    const QByteArray line = seq_text(seq) + ' ' + record_json(record, station, seq) + '\n';
    if (!append_lines(line, seq, seq)) return 0;
    next_seq_ = seq + 1;
    return seq;
}

std::int64_t Outbox::append(const std::vector<PublishedRecord>& records, const QString& station) {
    if (records.empty()) return last_seq();
    std::lock_guard<std::mutex> lock(write_mutex_);
    // Whole segments at a time, so that each file stays near its size.
    std::int64_t seq = next_seq_;
    QByteArray lines;
    std::int64_t first = seq;
    for (const PublishedRecord& record : records) {
        lines += seq_text(seq) + ' ' + record_json(record, station, seq) + '\n';
        if (lines.size() >= segment_limit()) {
            if (!append_lines(lines, first, seq)) return 0;
            next_seq_ = seq + 1;
            first = seq + 1;
            lines.clear();
        }
        ++seq;
    }
    if (!lines.isEmpty()) {
        if (!append_lines(lines, first, seq - 1)) return 0;
        next_seq_ = seq;
    }
    return next_seq_ - 1;
}

bool Outbox::append_lines(const QByteArray& lines, std::int64_t first, std::int64_t last) {
    const bool full =
        write_file_.isOpen() && write_file_.size() > 0 && write_file_.size() + lines.size() > segment_limit();
    if ((!write_file_.isOpen() || full) && !roll(first)) return false;
    const qint64 before = write_file_.size();
    if (write_file_.write(lines) != lines.size() || !sync_file(write_file_)) {
        const QString reason = write_file_.errorString();
        // No half line stays behind to be taken for a record.
        write_file_.resize(before);
        say_fault(reason);
        return false;
    }
    std::lock_guard<std::mutex> lock(state_mutex_);
    last_fault_.clear();
    if (segments_.empty() || segments_.back().path != write_path_)
        segments_.push_back({first, first - 1, 0, write_path_});
    segments_.back().last = last;
    segments_.back().bytes += lines.size();
    last_ = last;
    drop_acknowledged_locked();
    enforce_limit_locked();
    return true;
}

void Outbox::say_fault(const QString& reason) {
    std::lock_guard<std::mutex> lock(state_mutex_);
    if (reason == last_fault_) return;
    fault_ = last_fault_ = reason;
}

bool Outbox::roll(std::int64_t first) {
    write_file_.close();
    QDir().mkpath(dir_);
    write_path_ = segment_path(first);
    write_file_.setFileName(write_path_);
    const RegularFileOpen opened = open_regular_file(write_file_, kAppendMode);
    if (!opened.opened) {
        write_file_.setFileName(QString());
        say_fault(opened.reason);
        return false;
    }
    // A leftover of an append that failed before.
    write_file_.resize(0);
    sync_dir(dir_);
    return true;
}

void Outbox::drop_acknowledged_locked() {
    // The newest segment stays: its last line carries the numbering across a restart.
    while (segments_.size() > 1 && segments_.front().last <= acked_) {
        QFile::remove(segments_.front().path);
        segments_.pop_front();
    }
}

void Outbox::enforce_limit_locked() {
    std::int64_t total = 0;
    for (const Segment& s : segments_) total += s.bytes;
    while (total > limit_bytes_ && segments_.size() > 1) {
        const Segment& s = segments_.front();
        if (s.last > acked_) {
            dropped_ += s.last - std::max(acked_, s.first - 1);
            acked_ = s.last;
        }
        total -= s.bytes;
        QFile::remove(s.path);
        segments_.pop_front();
    }
}

std::vector<OutboxEntry> Outbox::read_next(int max) {
    std::vector<OutboxEntry> out;
    while (int(out.size()) < max) {
        Segment s;
        {
            std::lock_guard<std::mutex> lock(state_mutex_);
            read_seq_ = std::max(read_seq_, acked_ + 1);
            if (read_seq_ > last_) break;
            const auto it = std::find_if(segments_.begin(), segments_.end(),
                                         [&](const Segment& x) { return x.last >= read_seq_; });
            if (it == segments_.end()) break;
            s = *it;
        }
        read_seq_ = std::max(read_seq_, s.first);
        if (!read_file_ || read_file_first_ != s.first) {
            read_file_ = std::make_unique<QFile>(s.path);
            read_file_first_ = s.first;
            read_offset_ = 0;
            if (!open_regular_file(*read_file_, QIODevice::ReadOnly | QIODevice::Unbuffered).opened) {
                read_file_.reset();
                // Dropped meanwhile by the size limit: the next look finds the next segment. A
                // segment that is still there but cannot be read is tried again next time,
                // never skipped.
                std::lock_guard<std::mutex> lock(state_mutex_);
                if (!segments_.empty() && segments_.front().first > s.first) continue;
                break;
            }
        }
        const std::int64_t remaining = s.bytes - read_offset_;
        if (remaining <= 0 || !read_file_->seek(read_offset_)) break;
        QByteArray chunk = read_file_->read(std::min(kReadChunkBytes, remaining));
        // A line longer than a chunk: the rest of the segment at once.
        if (!chunk.contains('\n') && chunk.size() < remaining)
            chunk += read_file_->read(remaining - chunk.size());
        // Nothing that reads: tried again next time, never skipped.
        if (!chunk.contains('\n')) break;
        const char* p = chunk.constData();
        const char* const end = p + chunk.size();
        while (p < end && int(out.size()) < max) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
            if (!nl) break;
            const char* payload = nullptr;
            const std::int64_t seq = line_seq(p, nl, &payload);
            if (seq == 0 || seq > s.last) {
                read_seq_ = s.last + 1;
                break;
            }
            if (seq >= read_seq_) {
                out.push_back({seq, QByteArray(payload, int(nl - payload))});
                read_seq_ = seq + 1;
            }
            read_offset_ += nl + 1 - p;
            p = nl + 1;
        }
    }
    return out;
}

void Outbox::rewind() {
    std::lock_guard<std::mutex> lock(state_mutex_);
    read_seq_ = acked_ + 1;
    read_file_.reset();
}

void Outbox::acknowledge(std::int64_t seq) {
    {
        std::lock_guard<std::mutex> lock(state_mutex_);
        if (seq <= acked_) return;
        acked_ = std::min(seq, last_);
        seq = acked_;
        drop_acknowledged_locked();
    }
    write_acknowledged(seq);
}

void Outbox::write_acknowledged(std::int64_t seq) {
    if (seq <= acked_written_) return;
    acked_written_ = seq;
    const QString path = dir_ + kAckedName;
    if (acked_file_.isOpen() && acked_file_.size() > kAckedFileBytes) {
        acked_file_.close();
        QSaveFile fresh(path);
        if (fresh.open(QIODevice::WriteOnly)) {
            fresh.write(seq_text(seq) + '\n');
            fresh.commit();
        }
        return;
    }
    if (!acked_file_.isOpen()) {
        acked_file_.setFileName(path);
        if (!open_regular_file(acked_file_, QIODevice::WriteOnly | QIODevice::Append).opened) return;
    }
    // Not synced: a number lost in a power cut only sends a few records again.
    acked_file_.write(seq_text(seq) + '\n');
    acked_file_.flush();
}

std::int64_t Outbox::size() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return last_ - acked_;
}

std::int64_t Outbox::last_seq() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return last_;
}

std::int64_t Outbox::acknowledged_seq() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return acked_;
}

std::int64_t Outbox::bytes() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    std::int64_t total = 0;
    for (const Segment& s : segments_) total += s.bytes;
    return total;
}

std::int64_t Outbox::take_dropped() {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return std::exchange(dropped_, 0);
}

QString Outbox::take_fault() {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return std::exchange(fault_, QString());
}

void Outbox::set_limit_bytes(std::int64_t limit_bytes) {
    std::lock_guard<std::mutex> lock(state_mutex_);
    limit_bytes_ = limit_bytes;
}
