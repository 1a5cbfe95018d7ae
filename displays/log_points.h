#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <vector>

// The points a plot window read from a log file, oldest first: each a label (the line's time
// text, or "HDR" for a block marker), a time in seconds and a value. A block marker has the value
// 0 and stands where a logging run begins or ends, so the curve drops to 0 between runs.
// Only the newest `kept` points are kept: a plot shows at most the newest 1001, and a log that
// grows for months must not grow the window with it.
// Thread: the user-interface thread (the plot window that owns it).
class LogPoints {
  public:
    static constexpr int kDefaultKept = 100000;
    static const QString& marker_label();  // "HDR"

    explicit LogPoints(int kept = kDefaultKept) : kept_(kept) {}

    int size() const { return int(x_.size()) - start(); }
    bool empty() const { return size() == 0; }
    const QString& label(int i) const { return labels_[size_t(start() + i)]; }
    double x(int i) const { return x_[size_t(start() + i)]; }
    double y(int i) const { return y_[size_t(start() + i)]; }
    bool is_marker(int i) const { return label(i) == marker_label(); }

    void append(const QString& label, double x, double y);
    // Appended points still held, counting those past the kept window not yet freed.
    int held() const { return int(x_.size()) - first_; }
    // Takes back the newest n points held (the reader's provisional ones).
    void drop_newest(int n);
    void clear();
    // Frees the points that fell out of the kept window. Only after a batch that will not be
    // taken back, so drop_newest never uncovers points that were freed.
    void compact();

  private:
    int start() const { return std::max(first_, int(x_.size()) - kept_); }

    int kept_;
    int first_ = 0;  // points before it are freed the next time compact() finds many of them
    std::vector<QString> labels_;
    std::vector<double> x_, y_;
};

// The points a plot shows: the newest `num_points`, or for 0 or less ("Current Log") those after
// the newest block marker, at most 1001. With none, the single point ("0:0:0", 1, 1).
struct ShownPoints {
    QStringList labels;
    QVector<double> x, y;
};
ShownPoints select_window(const LogPoints& points, int num_points);
