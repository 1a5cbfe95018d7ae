#include "display_model/log_time.h"

#include <QDate>
#include <QDateTime>
#include <cstring>

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

void trim(const char*& p, int& n) {
    while (n > 0 && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')) ++p, --n;
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t' || p[n - 1] == '\r' || p[n - 1] == '\n')) --n;
}

// Reads `min_digits`..`max_digits` digits at p[i]; -1 when there are fewer.
int read_number(const char* p, int n, int& i, int min_digits, int max_digits) {
    int value = 0, digits = 0;
    while (i < n && digits < max_digits && is_digit(p[i])) value = value * 10 + (p[i++] - '0'), ++digits;
    return digits >= min_digits ? value : -1;
}

bool expect(const char* p, int n, int& i, char c) {
    if (i >= n || p[i] != c) return false;
    ++i;
    return true;
}

// "h:mm:ss" as seconds of the day; -1 when it is not a valid time.
int seconds_of_day(const char* p, int n) {
    int i = 0;
    const int h = read_number(p, n, i, 1, 2);
    if (h < 0 || !expect(p, n, i, ':')) return -1;
    const int m = read_number(p, n, i, 2, 2);
    if (m < 0 || !expect(p, n, i, ':')) return -1;
    const int s = read_number(p, n, i, 2, 2);
    if (s < 0 || i != n || h > 23 || m > 59 || s > 59) return -1;
    return h * 3600 + m * 60 + s;
}

int month_of(const char* p, int n, int& i) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    if (n - i < 3) return -1;
    char lower[3];
    for (int k = 0; k < 3; ++k) lower[k] = char(p[i + k] | 0x20);
    for (int m = 0; m < 12; ++m) {
        if (std::memcmp(lower, kMonths[m], 3) == 0) {
            i += 3;
            return m + 1;
        }
    }
    return -1;
}

bool starts_year_first(const char* p, int n) {
    return n >= 5 && is_digit(p[0]) && is_digit(p[1]) && is_digit(p[2]) && is_digit(p[3]) && p[4] == '-';
}

// "yyyy-M-d" (any four-digit year) or "d MMM yyyy" as a date; an invalid date when it is neither.
QDate parse_date(const char* p, int n) {
    int i = 0;
    if (starts_year_first(p, n)) {
        const int y = read_number(p, n, i, 4, 4);
        if (y < 0 || !expect(p, n, i, '-')) return {};
        const int m = read_number(p, n, i, 1, 2);
        if (m < 0 || !expect(p, n, i, '-')) return {};
        const int d = read_number(p, n, i, 1, 2);
        if (d < 0 || i != n) return {};
        return QDate(y, m, d);
    }
    const int d = read_number(p, n, i, 1, 2);
    if (d < 0 || !expect(p, n, i, ' ')) return {};
    const int m = month_of(p, n, i);
    if (m < 0 || !expect(p, n, i, ' ')) return {};
    const int y = read_number(p, n, i, 4, 4);
    if (y < 0 || i != n) return {};
    return QDate(y, m, d);
}

}  // namespace

LogTimeParser::Day LogTimeParser::day_of(const char* date, int length) {
    if (cached_text_.size() == length && std::memcmp(cached_text_.constData(), date, size_t(length)) == 0) {
        return cached_day_;
    }
    Day day;
    const QDate d = parse_date(date, length);
    if (d.isValid()) {
        day.valid = true;
        day.year = d.year(), day.month = d.month(), day.day = d.day();
        day.midnight = QDateTime(d, QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch();
        const std::int64_t next = QDateTime(d.addDays(1), QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch();
        day.regular = next - day.midnight == 86400;
    }
    cached_text_ = QByteArray(date, length);
    cached_day_ = day;
    return day;
}

void take_time_from_date(const char*& time, int& time_length, const char*& date, int& date_length) {
    trim(date, date_length);
    if (date_length == 0 || !std::memchr(date, ':', size_t(date_length))) return;
    int blank = date_length - 1;
    while (blank > 0 && date[blank] != ' ') --blank;
    time = date + blank + 1;
    time_length = date_length - blank - 1;
    date_length = blank;  // no blank: no date, so not a record
}

std::int64_t LogTimeParser::value(const char* time, int time_length, const char* date, int date_length) {
    take_time_from_date(time, time_length, date, date_length);
    trim(date, date_length);
    trim(time, time_length);
    const int s = seconds_of_day(time, time_length);
    if (s < 0) return 0;
    const Day day = day_of(date, date_length);
    if (!day.valid) return 0;
    if (day.regular) return day.midnight + s;
    // A day on which the clocks change: let the time zone say where the time falls.
    return QDateTime(QDate(day.year, day.month, day.day), QTime(0, 0).addSecs(s), Qt::LocalTime)
        .toSecsSinceEpoch();
}

std::int64_t log_time_value(const QString& time_text, const QString& date_text) {
    const QByteArray time = time_text.toLatin1();
    const QByteArray date = date_text.toLatin1();
    LogTimeParser parser;
    return parser.value(time.constData(), time.size(), date.constData(), date.size());
}
