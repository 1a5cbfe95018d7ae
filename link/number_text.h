#pragma once

// Numbers to text and back with "." as the decimal point whatever the process's locale says.
// Qt's application object switches the C library to the user's locale, so the C library's own
// conversions would read and write "21,5" under a German one; files and the SDI-12 bus never do.
// Pure; any thread.

// Reads the longest decimal number at the start of [first, last) as strtof/strtod read it under
// the "C" locale: an optional sign, digits with an optional ".", then an optional exponent ("E"
// or "e", an optional sign, digits) if digits follow it. Without a number ("", "+", ".", "-E5")
// the result is +0. A value beyond the type's range is an infinity with the number's sign
// (HUGE_VALF, HUGE_VAL); a value below the normal range is the nearest denormal, or 0 with the
// number's sign once it rounds to zero ("1E-50" as a float). Hexadecimal numbers ("0x1p3" reads
// 0), "inf" and "nan" are not read.
float read_float_prefix(const char* first, const char* last);
double read_double_prefix(const char* first, const char* last);

// Writes `value` into [first, last) as printf("%.*f", decimals, value) writes it under the "C"
// locale ("21.500000", "-0.000000", "inf", "-nan") and returns the end of the text, or nullptr
// when the room is too small. `decimals` is 0 or more. A float with 6 decimals takes at most
// kFloatFixed6Length chars.
char* write_fixed(char* first, char* last, double value, int decimals);

constexpr int kFloatFixed6Length = 47;  // "-", 39 digits of FLT_MAX, ".", 6 decimals
