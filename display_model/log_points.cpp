#include "display_model/log_points.h"

#include <algorithm>
#include <limits>

namespace {
constexpr int kCurrentLogLimit = 1001;
}

void LogPoints::append(const QString& label, double x, double y) {
    labels_.push_back(label);
    x_.push_back(x);
    y_.push_back(y);
    run_breaks_.push_back(0);
}

void LogPoints::append_run_break(double x) {
    append(QString(), x, std::numeric_limits<double>::quiet_NaN());
    run_breaks_.back() = 1;
}

void LogPoints::drop_newest(int n) {
    n = std::min(n, held());
    labels_.resize(labels_.size() - size_t(n));
    x_.resize(x_.size() - size_t(n));
    y_.resize(y_.size() - size_t(n));
    run_breaks_.resize(run_breaks_.size() - size_t(n));
}

void LogPoints::clear() {
    labels_.clear();
    x_.clear();
    y_.clear();
    run_breaks_.clear();
    first_ = 0;
}

void LogPoints::compact() {
    first_ = start();
    // Erasing from the front moves everything; do it once as many points as are kept have gone.
    if (first_ < kept_) return;
    labels_.erase(labels_.begin(), labels_.begin() + first_);
    x_.erase(x_.begin(), x_.begin() + first_);
    y_.erase(y_.begin(), y_.begin() + first_);
    run_breaks_.erase(run_breaks_.begin(), run_breaks_.begin() + first_);
    first_ = 0;
}

ShownPoints select_window(const LogPoints& points, int num_points) {
    int n = num_points;
    if (n < 1) {
        n = 0;
        for (int i = points.size() - 1; i >= 0 && n < kCurrentLogLimit && !points.is_run_break(i); --i) ++n;
    }
    const int start = std::max(0, points.size() - n);
    ShownPoints shown;
    const int count = points.size() - start;
    shown.labels.reserve(count);
    shown.x.reserve(count);
    shown.y.reserve(count);
    for (int i = start; i < points.size(); ++i) {
        shown.labels.append(points.label(i));
        shown.x.append(points.x(i));
        shown.y.append(points.y(i));
    }
    return shown;
}
