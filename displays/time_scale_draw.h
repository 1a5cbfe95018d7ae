#pragma once

#include <qwt_scale_draw.h>
#include <QColor>

// The time axis of a plot window: each tick value (seconds since the epoch) labelled with its
// local date and time as "d MMM yy hh:mm:ss", the axis drawn in the window's axis colour. It is
// given the colour by value and knows nothing of its window.
// Thread: the user-interface thread.
class TimeScaleDraw : public QwtScaleDraw {
  public:
    explicit TimeScaleDraw(const QColor& colour) : colour_(colour) {}

    QwtText label(double value) const override;
    void draw(QPainter* painter, const QPalette& palette) const override;

  private:
    QColor colour_;
};
