#pragma once

#include <cfloat>
#include <cmath>

// Narrowing a double that lies beyond the float range is undefined in C++; values of the record
// are 32-bit floats for the evaluator and the alarm levels, so they narrow through here.
// Out-of-range finite values become infinities of the same sign, as the FPU would give them.
inline float to_float(double v) {
    if (std::isnan(v)) return NAN;
    if (v > double(FLT_MAX)) return INFINITY;
    if (v < -double(FLT_MAX)) return -INFINITY;
    return float(v);
}
