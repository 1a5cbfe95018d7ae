#include "display_model/format_lcd_value.h"

#include <cmath>

#include "link/number_text.h"

namespace {
constexpr int kShownDigits = 5;
constexpr int kMostDecimals = kShownDigits - 1;
}  // namespace

QString format_lcd_value(float v) {
    if (std::isnan(v)) return QStringLiteral("----");
    if (std::isinf(v)) return QStringLiteral("OL");
    char text[kFloatFixed6Length + 1];
    // Fewer decimals for a longer integer part; rounding may carry into one more integer digit
    // (99.9996 gives "100.000"), and then one decimal less is tried.
    for (int decimals = kMostDecimals; decimals >= 0; --decimals) {
        const char* end = write_fixed(text, text + sizeof text, double(v), decimals);
        const char* digits = text[0] == '-' ? text + 1 : text;
        const int digit_count = int(end - digits) - (decimals > 0 ? 1 : 0);
        if (digit_count > kShownDigits) continue;
        const bool all_zero = QByteArray(digits, int(end - digits)).count('0') == digit_count;
        // A tiny negative value rounds to "-0.0000": the sign would claim more than the digits do.
        if (all_zero) return QString::fromLatin1(digits, int(end - digits));
        return QString::fromLatin1(text, int(end - text));
    }
    return QStringLiteral("OL");
}
