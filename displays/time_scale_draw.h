#pragma once

#include <qwt_scale_draw.h>
#include <QColor>
#include <QStringList>

// The time axis of a plot window: each tick value (seconds since the epoch) labelled with its
// local date and time as "d MMM yy hh:mm:ss", the axis drawn in the window's axis colour.
// Thread: the user-interface thread.
class TimeScaleDraw : public QwtScaleDraw {
  public:
    // `shown_labels` are the window's shown labels; they outlive the scale draw, which the plot
    // owns and the window's plot is destroyed first.
    TimeScaleDraw(const QStringList& shown_labels, const QColor& colour)
        : shown_labels_(shown_labels), colour_(colour) {}

    QwtText label(double value) const override;
    // The shown label at `index`, clamped to the list.
    virtual QwtText label_at(int index) const;
    void draw(QPainter* painter, const QPalette& palette) const override;

  private:
    const QStringList& shown_labels_;
    QColor colour_;
};
