#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Seconds since the epoch of a log line's date and time fields, counted from local midnight of
// the date. 0 marks a line that is not a data line (a header, a line without a valid time or
// date). The time is "h:mm:ss"; the date is "yyyy-M-d" when it starts with a four-digit year and a
// "-" (downloaded and imported records) and "d MMM yyyy" (English month) otherwise. A date field
// that holds a time too ("2026-12-01 00:20:00") takes its time from there and the time field is
// not looked at. Blanks around either are ignored.
// Pure apart from the local time zone; any thread.
std::int64_t log_time_value(const QString& time_text, const QString& date_text);

// A date field that holds a time too ("2026-12-01 00:20:00", older logs) carries its own time:
// then `time` is pointed at that time and `date` cut before it. Otherwise `time` stays as it is.
// Blanks around the date are dropped.
void take_time_from_date(const char*& time, int& time_length, const char*& date, int& date_length);

// The same for fields still in the log's bytes, for reading a whole log quickly: a run of lines
// shares one date, so the local midnight of the last date is kept and reused.
// Thread: the thread that owns it.
class LogTimeParser {
  public:
    // `time` may be null (length 0) when the line has no time field.
    std::int64_t value(const char* time, int time_length, const char* date, int date_length);

  private:
    struct Day {
        std::int64_t midnight = 0;
        bool regular = false;  // 24 hours long, so midnight + seconds of the day is the time
        int year = 0, month = 0, day = 0;
        bool valid = false;
    };
    Day day_of(const char* date, int length);

    QByteArray cached_text_;
    Day cached_day_;
};
