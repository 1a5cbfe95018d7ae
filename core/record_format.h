#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// Texts of the CSV log and of the core's status line. All times are seconds since the epoch,
// shown in local time. Pure apart from the local time zone.

// "7 Dec 2026, 16:14:34": day without leading zero, English month, year, time.
QByteArray format_record_time(std::int64_t seconds);
// "16:14:34".
QString format_clock_time(std::int64_t seconds);

// Header: each name followed by ",", then LF.
QByteArray format_header_line(const std::vector<QByteArray>& names);

// Record line: `first_fields`, then "," and each value as printf's "%5.6f" writes it under the
// "C" locale (whatever the process's locale is), a NaN as "nan" without blanks, then LF.
QByteArray format_record_line(const QByteArray& first_fields, const std::vector<float>& values);

// Record number and record time as the first fields of a cycle record: "12,7 Dec 2026, 16:14:34".
QByteArray format_cycle_fields(int record_number, std::int64_t seconds);

// A new log file name from the local time: "20261207_1614.csv" when `current` contains ".csv",
// otherwise the same with ".txt".
QString make_log_file_name(const QString& current, std::int64_t seconds);

// Seconds since the epoch of the next whole multiple of `interval` after `now`.
std::int64_t next_multiple(std::int64_t now, int interval);
