#include "displays/time_scale_draw.h"

#include <QDateTime>
#include <QLocale>
#include <QPalette>
#include <algorithm>

QwtText TimeScaleDraw::label(double value) const {
    const QDateTime time = QDateTime::fromSecsSinceEpoch(qint64(value), Qt::LocalTime);
    // English month names, as the log writes them, whatever the user's locale.
    return QwtText(QLocale::c().toString(time, QStringLiteral("d MMM yy hh:mm:ss")));
}

QwtText TimeScaleDraw::label_at(int index) const {
    if (shown_labels_.isEmpty()) return QwtText();
    return QwtText(shown_labels_.at(std::clamp(index, 0, int(shown_labels_.size()) - 1)));
}

void TimeScaleDraw::draw(QPainter* painter, const QPalette& palette) const {
    QPalette coloured(palette);
    coloured.setColor(QPalette::WindowText, colour_);
    QwtScaleDraw::draw(painter, coloured);
}
