#include "devices/idev.h"

QString slot_address(int i) {
    if (i >= 0 && i <= 9) return QString(QChar('0' + i));
    if (i >= 10 && i <= 35) return QString(QChar('a' + (i - 10)));
    return QStringLiteral("z");
}
