#pragma once

#include <qwt_plot_curve.h>
#include <qwt_symbol.h>
#include <QPainter>
#include <algorithm>
#include <cmath>

// The curve of a plot window. A sample whose value is nan (a value not measured, or the break
// between two logging runs) is a gap: the line stops before it and starts again after it, and a
// reading with gaps on both sides is drawn as a dot. The value axis autoscales to the readings
// alone, the time axis to every record.
// Thread: the user-interface thread.
class GapCurve : public QwtPlotCurve {
  public:
    explicit GapCurve(const QString& title) : QwtPlotCurve(title) {}

    // Times of every sample, so the time axis reaches the newest record even when it holds no
    // reading; values of the readings alone. A negative size where there is nothing to fit.
    QRectF boundingRect() const override {
        double left = 0, right = -1, bottom = 0, top = -1;  // empty
        bool any_time = false, any_value = false;
        for (size_t i = 0; i < dataSize(); ++i) {
            const QPointF p = sample(int(i));
            left = any_time ? std::min(left, p.x()) : p.x();
            right = any_time ? std::max(right, p.x()) : p.x();
            any_time = true;
            if (!std::isfinite(p.y())) continue;
            bottom = any_value ? std::min(bottom, p.y()) : p.y();
            top = any_value ? std::max(top, p.y()) : p.y();
            any_value = true;
        }
        return QRectF(left, bottom, right - left, top - bottom);
    }

    // Draws each run of readings between gaps as a curve of its own.
    void drawSeries(QPainter* painter, const QwtScaleMap& x_map, const QwtScaleMap& y_map,
                    const QRectF& canvas, int from, int to) const override {
        const int last = to < 0 ? int(dataSize()) - 1 : std::min(to, int(dataSize()) - 1);
        const auto reading = [this](int i) { return std::isfinite(sample(i).y()); };
        for (int i = std::max(from, 0); i <= last;) {
            if (!reading(i)) {
                ++i;
                continue;
            }
            int end = i;
            while (end < last && reading(end + 1)) ++end;
            if (end > i) {
                QwtPlotCurve::drawSeries(painter, x_map, y_map, canvas, i, end);
            } else {
                const QwtSymbol dot(QwtSymbol::Ellipse, QBrush(pen().color()), pen(), QSize(5, 5));
                drawSymbols(painter, dot, x_map, y_map, canvas, i, i);
            }
            i = end + 1;
        }
    }
};
