#pragma once

#include <QString>

// The text an LCD panel cell shows for a value: five digits (and a minus sign when negative),
// rounded to as many decimals as fit beside the integer part, so 45.3 shows "45.300" and 12345.678
// "12346". A value that rounds to zero has no sign. "OL" when the integer part does not fit in
// five digits (99999.5 or more) or the value is infinite; "----" for nan, a value not measured.
// Pure; any thread.
QString format_lcd_value(float v);
