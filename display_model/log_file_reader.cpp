#include "display_model/log_file_reader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr int kMaxLine = 10000;     // longer lines are read in pieces of this many bytes
constexpr int kEdgeBytes = 64;      // how much of the start and the end is compared
constexpr qint64 kChunk = 4 << 20;  // a long log is read in pieces of this size

constexpr double kNotMeasured = std::numeric_limits<double>::quiet_NaN();

// A field's text ends at its first NUL, if any.
int field_length(const char* p, const char* end) {
    const void* nul = std::memchr(p, 0, size_t(end - p));
    return int((nul ? static_cast<const char*>(nul) : end) - p);
}

// The field as a decimal number (blanks around it are allowed); nan when it holds none ("nan",
// a value not measured, or anything else that is not a finite number).
double field_value(const char* p, int n) {
    while (n > 0 && (*p == ' ' || *p == '\t')) ++p, --n;
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t' || p[n - 1] == '\r')) --n;
    if (n > 0 && *p == '+') ++p, --n;
    double value = 0.0;
    const auto result = std::from_chars(p, p + n, value);
    if (result.ec != std::errc() || result.ptr != p + n || !std::isfinite(value)) return kNotMeasured;
    return value;
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
    provisional_ = 0;
    committed_last_ = 0;
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
    const char* f = p;
    for (int fields = 0;; ++fields) {
        const char* comma = static_cast<const char*>(std::memchr(f, ',', size_t(end - f)));
        const char* field_end = comma ? comma : end;
        if (fields == 1) date = f, date_length = field_length(f, field_end);
        if (fields == 2) time = f, time_length = field_length(f, field_end);
        if (fields == column_) value = f, value_length = field_length(f, field_end);
        if (!comma || fields >= needed) break;  // the line ends, or the column lies within it
        f = comma + 1;
    }

    if (date) take_time_from_date(time, time_length, date, date_length);
    const std::int64_t t = date ? times_.value(time, time_length, date, date_length) : 0;
    if (t != 0) {
        // A record without the column still took place: its value is missing, a gap.
        points_.append(QString::fromLatin1(time, time_length), double(t),
                       value ? field_value(value, value_length) : kNotMeasured);
        last_ = t;
        return;
    }
    // Any other line (the header written at each start of logging) ends the run before it with a
    // gap; lines before the first record, or two in a row, have no run to end.
    if (last_ != 0) {
        points_.append_run_break(double(last_));
        last_ = 0;
    }
}
