#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <vector>

// The points a plot window read from a log file, oldest first: each a label (the line's time
// text), a time in seconds and a value. A value that was not measured is nan, and so is a run
// break, the point that stands where one logging run ends and the next begins: the curve has a
// gap there, never a made-up value. A run break has an empty label and the time of the run's last
// record. Only the newest `kept` points are kept: a plot shows at most the newest 1001, and a log
// that grows for months must not grow the window with it.
// Thread: the user-interface thread (the plot window that owns it).
class LogPoints {
  public:
    static constexpr int kDefaultKept = 100000;

    explicit LogPoints(int kept = kDefaultKept) : kept_(kept) {}

    int size() const { return int(x_.size()) - start(); }
    bool empty() const { return size() == 0; }
    const QString& label(int i) const { return labels_[size_t(start() + i)]; }
    double x(int i) const { return x_[size_t(start() + i)]; }
    double y(int i) const { return y_[size_t(start() + i)]; }
    bool is_run_break(int i) const { return run_breaks_[size_t(start() + i)] != 0; }

    void append(const QString& label, double x, double y);
    void append_run_break(double x);
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
    std::vector<char> run_breaks_;
};

// The points a plot shows: the newest `num_points`, or for 0 or less ("Current Log") those after
// the newest run break, at most 1001. Without points, none: an empty plot.
struct ShownPoints {
    QStringList labels;
    QVector<double> x, y;
};
ShownPoints select_window(const LogPoints& points, int num_points);
