#include "link/number_text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

// Exponents are counted up to here: far beyond any floating-point range, far from int overflow.
constexpr int kExponentLimit = 100000;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Whether the unsigned decimal number in [first, last) is at least 1, from the place of its
// first nonzero digit and its exponent. Asked only about numbers from_chars found out of range,
// which lie far above or far below 1, never near it.
bool at_least_one(const char* first, const char* last) {
    const char* p = first;
    int power = 0;  // power of ten of the first nonzero digit
    bool seen_nonzero = false;
    for (; p < last && is_digit(*p); ++p) {
        if (seen_nonzero)
            ++power;
        else
            seen_nonzero = *p != '0';
    }
    if (p < last && *p == '.') {
        ++p;
        for (int place = 1; p < last && is_digit(*p); ++p, ++place) {
            if (!seen_nonzero && *p != '0') {
                seen_nonzero = true;
                power = -place;
            }
        }
    }
    if (p < last && (*p == 'E' || *p == 'e')) {
        ++p;
        const bool negative = p < last && *p == '-';
        if (p < last && (*p == '+' || *p == '-')) ++p;
        int exponent = 0;
        for (; p < last && is_digit(*p); ++p) exponent = std::min(exponent * 10 + (*p - '0'), kExponentLimit);
        power += negative ? -exponent : exponent;
    }
    return power >= 0;
}

template <typename Number>
Number read_prefix(const char* first, const char* last) {
    const bool negative = first < last && *first == '-';
    if (first < last && (*first == '+' || *first == '-')) ++first;
    // from_chars would take a second "-", "inf" and "nan"; none of them starts a number here.
    if (first == last || !(is_digit(*first) || *first == '.')) return Number(0);
    Number magnitude = 0;
    const std::from_chars_result r = std::from_chars(first, last, magnitude, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) return Number(0);
    // Out of range leaves `magnitude` alone; strtof and strtod give infinity or zero.
    if (r.ec == std::errc::result_out_of_range)
        magnitude = at_least_one(first, r.ptr) ? std::numeric_limits<Number>::infinity() : Number(0);
    return negative ? -magnitude : magnitude;
}

}  // namespace

float read_float_prefix(const char* first, const char* last) {
    return read_prefix<float>(first, last);
}

double read_double_prefix(const char* first, const char* last) {
    return read_prefix<double>(first, last);
}

char* write_fixed(char* first, char* last, double value, int decimals) {
    const std::to_chars_result r = std::to_chars(first, last, value, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? r.ptr : nullptr;
}
