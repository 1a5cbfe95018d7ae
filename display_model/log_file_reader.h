#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>

#include "display_model/log_points.h"
#include "display_model/log_time.h"

// Keeps the points of one column of a CSV log file up to date as the file grows. Each record line
// gives a point, nan when its field says "nan", is missing or holds no number; any other line (the
// header written at each start of logging) ends the run before it with a run break. It remembers
// how far the file was read and reads only what was appended since; it reads from the start when
// the file is another one (the bytes around the old end differ), was cut shorter, or the column
// or path changed. A line not yet ended by LF is taken provisionally and taken back at the next
// read, so the points always equal those a full read of the file as it is now would give.
// Thread: the user-interface thread (the plot window that owns it).
class LogFileReader {
  public:
    explicit LogFileReader(int kept_points = LogPoints::kDefaultKept) : points_(kept_points) {}

    void set_file(const QString& path);
    void set_column(int column);
    QString file() const { return path_; }
    int column() const { return column_; }

    // Brings the points up to date with the file. Without a file (no path, or none at that path)
    // the points stay as they are. Returns whether they may have changed.
    bool read_log_points();
    const LogPoints& points() const { return points_; }

  private:
    void restart();
    bool same_file_so_far(class QFile& file) const;
    void remember_edges(class QFile& file);
    // Parses whole lines of [p, end); returns where the unparsed rest begins.
    const char* parse_lines(const char* p, const char* end, bool final);
    void parse_line(const char* p, const char* end);

    QString path_;
    int column_ = 3;
    LogPoints points_;
    LogTimeParser times_;

    // The committed reading: bytes [0, offset_) are parsed; their first and last bytes are kept
    // to recognise the same file next time.
    std::int64_t offset_ = 0;
    QByteArray head_, tail_;
    std::int64_t seen_size_ = -1;
    QDateTime seen_modified_;
    std::int64_t last_ = 0;  // time of the last record of the current run; 0 between runs

    // The provisional points of an unterminated last line, and the state before them.
    int provisional_ = 0;
    std::int64_t committed_last_ = 0;
};
