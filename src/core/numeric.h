// Number helpers shared by every floor: whole-number conversions that stop at the ends of
// the int range instead of overflowing, and the float draw from the game's one generator.
#pragma once

#include <climits>
#include <cmath>
#include <cstdint>

#include "platform/runtime.h"

// Towards zero; NaN gives 0 and values beyond the int range stop at its ends.
inline int TruncToInt(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return INT_MAX;
    if (value <= -2147483648.0) return INT_MIN;
    return static_cast<int>(value);
}

// The whole number at or above value, with the same ends as TruncToInt.
inline int CeilToInt(float value) { return TruncToInt(std::ceil(static_cast<double>(value))); }

// A wide result held at the ends of the int range.
inline int SaturateToInt(int64_t value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// a + b, stopping at the ends of the int range.
inline int AddSaturated(int a, int64_t b) { return SaturateToInt(static_cast<int64_t>(a) + b); }

// One draw of Rnd(a, b) as a float: the same draw, narrowed.
inline float RndF(double a, double b) { return static_cast<float>(Rnd(a, b)); }
