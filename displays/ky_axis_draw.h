#pragma once

#include <qwt_scale_draw.h>
#include <QColor>

// The value axis of a plot window: the usual numbers, axis and labels in the window's axis colour.
// Thread: the user-interface thread.
class KYAxisDraw : public QwtScaleDraw {
  public:
    explicit KYAxisDraw(const QColor& colour) : colour_(colour) {}

    QwtText label(double value) const override;
    void draw(QPainter* painter, const QPalette& palette) const override;

  private:
    QColor colour_;
};
