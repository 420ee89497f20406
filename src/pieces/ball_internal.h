// Small number helpers shared by the ball's source files.
#pragma once

#include <cstdint>

namespace ballmath {

// Towards zero; NaN gives 0 and values beyond the int range stop at its ends.
int TruncToInt(double value);
// a + b, stopping at the ends of the int range.
int AddSaturated(int a, int64_t b);

}  // namespace ballmath
