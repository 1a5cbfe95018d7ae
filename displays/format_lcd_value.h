#pragma once

#include <QString>

// The text an LCD panel cell shows for a value: six characters (seven with a minus sign) of the
// value printed with six decimals, digits cut off rather than rounded, a trailing decimal point
// dropped, and "OL" when the integer part does not fit (100000 or more, NaN, infinity).
// Pure; any thread.
QString format_lcd_value(float v);
