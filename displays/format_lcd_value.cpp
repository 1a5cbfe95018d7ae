#include "displays/format_lcd_value.h"

#include <cstring>

#include "core/number_text.h"

QString format_lcd_value(float v) {
    char text[kFloatFixed6Length + 1];
    char* end = write_fixed(text, text + sizeof text, double(v), 6);
    if (!end) return QStringLiteral("OL");
    const int length = int(end - text);
    const int keep = std::min(length, text[0] == '-' ? 7 : 6);
    const char* point = static_cast<const char*>(std::memchr(text, '.', size_t(keep)));
    if (!point) return QStringLiteral("OL");
    const int shown = (point - text == keep - 1) ? keep - 1 : keep;
    return QString::fromLatin1(text, shown);
}
