#include "displays/log_file_reader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

constexpr int kMaxLine = 10000;     // longer lines are read in pieces of this many bytes
constexpr int kEdgeBytes = 64;      // how much of the start and the end is compared
constexpr qint64 kChunk = 4 << 20;  // a long log is read in pieces of this size

// A field's text ends at its first NUL, if any.
int field_length(const char* p, const char* end) {
    const void* nul = std::memchr(p, 0, size_t(end - p));
    return int((nul ? static_cast<const char*>(nul) : end) - p);
}

// The field as a decimal number, 0 when it is not one (blanks around it are allowed).
double field_value(const char* p, int n) {
    while (n > 0 && (*p == ' ' || *p == '\t')) ++p, --n;
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t' || p[n - 1] == '\r')) --n;
    if (n > 0 && *p == '+') ++p, --n;
    double value = 0.0;
    const auto result = std::from_chars(p, p + n, value);
    return (result.ec == std::errc() && result.ptr == p + n) ? value : 0.0;
}

}  // namespace

void LogFileReader::set_file(const QString& path) {
    if (path == path_) return;
    path_ = path;
    restart();
}

void LogFileReader::set_column(int column) {
    if (column == column_) return;
    column_ = column;
    restart();
}

void LogFileReader::restart() {
    points_.clear();
    offset_ = 0;
    head_.clear();
    tail_.clear();
    seen_size_ = -1;
    seen_modified_ = QDateTime();
    last_ = 0;
    other_lines_ = 0;
    provisional_ = 0;
    committed_last_ = 0;
    committed_other_lines_ = 0;
}

bool LogFileReader::same_file_so_far(QFile& file) const {
    if (file.size() < offset_) return false;
    if (offset_ == 0) return true;
    file.seek(0);
    if (file.read(head_.size()) != head_) return false;
    file.seek(offset_ - tail_.size());
    return file.read(tail_.size()) == tail_;
}

void LogFileReader::remember_edges(QFile& file) {
    const qint64 edge = std::min<qint64>(kEdgeBytes, offset_);
    file.seek(0);
    head_ = file.read(edge);
    file.seek(offset_ - edge);
    tail_ = file.read(edge);
}

bool LogFileReader::read_log_points() {
    if (path_.isEmpty()) return false;
    const QFileInfo info(path_);
    if (!info.exists()) return false;
    // Nothing written since the last reading: nothing to do (a stat, no read).
    if (info.size() == seen_size_ && info.lastModified() == seen_modified_) return false;

    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // Take back the provisional line; it is read again with what follows it.
    points_.drop_newest(provisional_);
    provisional_ = 0;
    last_ = committed_last_;
    other_lines_ = committed_other_lines_;
    if (!same_file_so_far(file)) restart();
    seen_size_ = info.size();
    seen_modified_ = info.lastModified();

    file.seek(offset_);
    QByteArray carry;
    for (;;) {
        const QByteArray chunk = file.read(kChunk);
        const bool at_end = chunk.size() < kChunk;
        carry.append(chunk);
        const char* begin = carry.constData();
        const char* rest = parse_lines(begin, begin + carry.size(), false);
        offset_ += rest - begin;
        carry.remove(0, int(rest - begin));
        if (at_end) break;
    }
    points_.compact();
    committed_last_ = last_;
    committed_other_lines_ = other_lines_;
    remember_edges(file);

    if (!carry.isEmpty()) {
        const int before = points_.held();
        parse_lines(carry.constData(), carry.constData() + carry.size(), true);
        provisional_ = points_.held() - before;
    }
    return true;
}

const char* LogFileReader::parse_lines(const char* p, const char* end, bool final) {
    while (p < end) {
        const char* limit = std::min(end, p + kMaxLine);
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(limit - p)));
        const char* next = lf ? lf + 1 : limit;
        if (!lf && limit == end && end - p < kMaxLine && !final) return p;  // not ended yet
        parse_line(p, lf ? lf : next);
        p = next;
    }
    return p;
}

void LogFileReader::parse_line(const char* p, const char* end) {
    // Fields 1 (date), 2 (time) and the column; stop splitting once all three are found.
    const char* date = nullptr;
    const char* time = nullptr;
    const char* value = nullptr;
    int date_length = 0, time_length = 0, value_length = 0;
    const int needed = std::max(column_, 2);
    int fields = 0;
    bool all_fields_seen = false;
    for (const char* f = p;; ++fields) {
        const char* comma = static_cast<const char*>(std::memchr(f, ',', size_t(end - f)));
        const char* field_end = comma ? comma : end;
        if (fields == 1) date = f, date_length = field_length(f, field_end);
        if (fields == 2) time = f, time_length = field_length(f, field_end);
        if (fields == column_) value = f, value_length = field_length(f, field_end);
        if (!comma) {
            ++fields;
            all_fields_seen = true;
            break;
        }
        if (fields >= needed) break;  // more fields follow: the column lies within them
        f = comma + 1;
    }
    if (all_fields_seen && column_ > fields) return;

    const std::int64_t t = (date && time) ? times_.value(time, time_length, date, date_length) : 0;
    if (t != 0) {
        if (last_ == 0) points_.append(LogPoints::marker_label(), double(t), 0.0);
        points_.append(QString::fromLatin1(time, time_length), double(t),
                       value ? field_value(value, value_length) : 0.0);
        last_ = t;
        return;
    }
    ++other_lines_;
    // The first line that is not data (the file's header) only opens the file; a later one ends
    // the run before it. Two such lines in a row have no run between them and mark nothing.
    if (other_lines_ > 1 && last_ != 0) {
        points_.append(LogPoints::marker_label(), double(last_), 0.0);
        last_ = 0;
    }
}
