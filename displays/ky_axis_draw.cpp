#include "displays/ky_axis_draw.h"

#include <QPalette>

QwtText KYAxisDraw::label(double value) const {
    QwtText text = QwtScaleDraw::label(value);
    text.setColor(colour_);
    return text;
}

void KYAxisDraw::draw(QPainter* painter, const QPalette& palette) const {
    QPalette coloured(palette);
    coloured.setColor(QPalette::WindowText, colour_);
    QwtScaleDraw::draw(painter, coloured);
}
