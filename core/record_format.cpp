#include "core/record_format.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "link/number_text.h"

namespace {

std::tm local_time(std::int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return tm;
}

// Values are printed as printf's "%5.6f" under the "C" locale. A value nobody measured is
// "nan" with no blanks in front, so spreadsheets and pandas read it as missing.
constexpr int kValueWidth = 5;
constexpr int kValueDecimals = 6;

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

QByteArray format_record_time(std::int64_t seconds) {
    const std::tm tm = local_time(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%d %s %d, %02d:%02d:%02d", tm.tm_mday, kMonths[tm.tm_mon % 12],
                  tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return QByteArray(text);
}

QString format_clock_time(std::int64_t seconds) {
    const std::tm tm = local_time(seconds);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return QString::fromLatin1(text);
}

QByteArray format_header_line(const std::vector<QByteArray>& names) {
    QByteArray line;
    for (const QByteArray& name : names) line += name + ',';
    line += '\n';
    return line;
}

QByteArray format_record_line(const QByteArray& first_fields, const std::vector<float>& values) {
    QByteArray line = first_fields;
    line.reserve(first_fields.size() + int(values.size()) * 12 + 1);
    char number[kFloatFixed6Length];
    for (float v : values) {
        line += ',';
        if (std::isnan(v)) {
            line += "nan";  // whatever its sign: a value nobody measured
            continue;
        }
        const char* end = write_fixed(number, number + sizeof number, double(v), kValueDecimals);
        const int length = int(end - number);
        if (length < kValueWidth) line.append(kValueWidth - length, ' ');
        line.append(number, length);
    }
    line += '\n';
    return line;
}

QByteArray format_cycle_fields(int record_number, std::int64_t seconds) {
    return QByteArray::number(record_number) + ',' + format_record_time(seconds);
}

QString make_log_file_name(const QString& current, std::int64_t seconds) {
    const std::tm tm = local_time(seconds);
    char text[40];
    std::snprintf(text, sizeof text, "%d%02d%02d_%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min);
    return QString::fromLatin1(text) +
           (current.contains(QLatin1String(".csv")) ? QStringLiteral(".csv") : QStringLiteral(".txt"));
}

std::int64_t next_multiple(std::int64_t now, int interval) {
    if (interval <= 0) return now + 1;
    return std::int64_t(interval) * (now / interval + 1);
}
