// The shared number helpers: conversions held at the ends of the int range (never undefined,
// whatever the input), and the float draw that takes exactly one number from the generator.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/numeric.h"
#include "platform/runtime.h"

namespace {

TEST(Numeric, ConversionsTruncateAndStopAtTheIntEnds) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        int trunc;
    } truncs[] = {{1.9, 1},
                  {-1.9, -1},
                  {std::nan(""), 0},
                  {2147483646.9, 2147483646},
                  {2147483647.0, INT_MAX},
                  {1e300, INT_MAX},
                  {inf, INT_MAX},
                  {-2147483647.9, -2147483647},
                  {-2147483648.0, INT_MIN},
                  {-inf, INT_MIN}};
    for (const Case& c : truncs) EXPECT_EQ(TruncToInt(c.value), c.trunc) << c.value;

    struct CeilCase {
        float value;
        int ceil;
    } ceils[] = {{1.1f, 2}, {-1.9f, -1}, {0.0f, 0}, {std::nanf(""), 0}, {3e9f, INT_MAX}, {-3e9f, INT_MIN}};
    for (const CeilCase& c : ceils) EXPECT_EQ(CeilToInt(c.value), c.ceil) << c.value;

    struct WideCase {
        int64_t value;
        int saturated;
    } wides[] = {{-5, -5},
                 {INT_MAX, INT_MAX},
                 {int64_t{INT_MAX} + 1, INT_MAX},
                 {INT64_MAX, INT_MAX},
                 {INT_MIN, INT_MIN},
                 {int64_t{INT_MIN} - 1, INT_MIN},
                 {INT64_MIN, INT_MIN}};
    for (const WideCase& c : wides) EXPECT_EQ(SaturateToInt(c.value), c.saturated) << c.value;

    struct SumCase {
        int a;
        int64_t b;
        int sum;
    } sums[] = {{5, -7, -2}, {INT_MAX, 1, INT_MAX}, {INT_MIN, -1, INT_MIN}, {INT_MIN, int64_t{UINT32_MAX}, INT_MAX}};
    for (const SumCase& c : sums) EXPECT_EQ(AddSaturated(c.a, c.b), c.sum) << c.a << " + " << c.b;
}

TEST(Numeric, FloatDrawTakesOneNumberFromTheGenerator) {
    SeedRnd(1234);
    const double first = Rnd(-2.5, 7.0);
    const double second = Rnd(0.0, 1.0);
    SeedRnd(1234);
    EXPECT_EQ(RndF(-2.5, 7.0), static_cast<float>(first));
    EXPECT_EQ(Rnd(0.0, 1.0), second);
}

}  // namespace
