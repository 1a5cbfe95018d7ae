#include "displays/time_scale_draw.h"

#include <QDateTime>
#include <QLocale>
#include <QPalette>

QwtText TimeScaleDraw::label(double value) const {
    const QDateTime time = QDateTime::fromSecsSinceEpoch(qint64(value), Qt::LocalTime);
    // English month names, as the log writes them, whatever the user's locale.
    return QwtText(QLocale::c().toString(time, QStringLiteral("d MMM yy hh:mm:ss")));
}

void TimeScaleDraw::draw(QPainter* painter, const QPalette& palette) const {
    QPalette coloured(palette);
    coloured.setColor(QPalette::WindowText, colour_);
    QwtScaleDraw::draw(painter, coloured);
}
