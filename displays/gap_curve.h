#pragma once

#include <qwt_plot_curve.h>
#include <qwt_symbol.h>
#include <QPainter>
#include <algorithm>
#include <cmath>

// The curve of a plot window. A sample whose value is nan (a value not measured, or the break
// between two logging runs) is a gap: the line stops before it and starts again after it, and a
// reading with gaps on both sides is drawn as a dot. The axes autoscale to the readings alone.
// Thread: the user-interface thread.
class GapCurve : public QwtPlotCurve {
  public:
    explicit GapCurve(const QString& title) : QwtPlotCurve(title) {}

    // The readings' extent; invalid (negative size) without readings, so the axes keep theirs.
    QRectF boundingRect() const override {
        // Corners by hand: QRectF::united() skips the empty rectangle of a single point.
        QPointF low, high;
        bool any = false;
        for (size_t i = 0; i < dataSize(); ++i) {
            const QPointF p = sample(int(i));
            if (!std::isfinite(p.y())) continue;
            low = any ? QPointF(std::min(low.x(), p.x()), std::min(low.y(), p.y())) : p;
            high = any ? QPointF(std::max(high.x(), p.x()), std::max(high.y(), p.y())) : p;
            any = true;
        }
        return any ? QRectF(low, high) : QRectF(1.0, 1.0, -2.0, -2.0);
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
