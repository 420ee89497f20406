// Number text, as every file the game writes and reads relies on it: whole numbers that wrap,
// floats written with nine or seventeen digits and read back like atof.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>

#include "core/numbertext.h"

namespace {

TEST(NumberText, WholeNumberTextFollowsTheGameRules) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"12abc", 12},
        {"$1F", 31},
        {"$1f", 31},
        {"%101", 5},
        {"%102", 2},
        {"-7", -7},
        {"+5", 5},
        {" \t\n 42", 42},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"$", 0},
        {"%", 0},
        {"- 5", 0},
        {"-$10", -16},
        {"1 2", 1},
        {"0.9", 0},
        {"007", 7},
        {"$G", 0},
        {"2147483647", INT_MAX},
        // Wraps at 32 bits instead of overflowing.
        {"2147483648", INT_MIN},
        {"4294967297", 1},
        {"-2147483648", INT_MIN},
        {"$FFFFFFFF", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToInt(c.text), c.value) << '"' << c.text << '"';

    EXPECT_EQ(TextToLong("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(TextToLong("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(TextToLong("18446744073709551617"), 1);
    EXPECT_EQ(TextToLong("$10 0000 0000"), 16);
    EXPECT_EQ(IntToText(-42), "-42");
    EXPECT_EQ(LongToText(INT64_MIN), "-9223372036854775808");
}

TEST(NumberText, FloatTextIsWrittenWithNineOrSeventeenDigits) {
    EXPECT_EQ(FloatToText(1.0f), "1.00000000");
    EXPECT_EQ(FloatToText(0.5f), "0.500000000");
    EXPECT_EQ(FloatToText(5.0f), "5.00000000");
    EXPECT_EQ(FloatToText(50000000.0f), "50000000.0");
    EXPECT_EQ(FloatToText(1e10f), "1.00000000e+10");
    EXPECT_EQ(FloatToText(-0.1f), "-0.100000001");
    EXPECT_EQ(DoubleToText(2.0), "2.0000000000000000");
    EXPECT_EQ(DoubleToText(0.1), "0.10000000000000001");
}

TEST(NumberText, FloatTextIsReadLikeAtof) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"0.5", 0.5}, {"  0.5", 0.5},  {"1.00000000", 1.0}, {"1e3x", 1000.0}, {"1e", 1.0},  {"1e+", 1.0},
        {".5", 0.5},  {"-.5e1", -5.0}, {"5.", 5.0},         {"abc", 0.0},     {"", 0.0},    {".", 0.0},
        {"-", 0.0},   {"1,5", 1.0},    {"+2.5", 2.5},       {"0x10", 0.0},    {"1 2", 1.0}, {"\n-3", -3.0},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToDouble(c.text), c.value) << '"' << c.text << '"';

    EXPECT_TRUE(std::isnan(TextToDouble("nan")));
    EXPECT_TRUE(std::isnan(TextToDouble("-nan")));
    EXPECT_EQ(TextToDouble("-inf"), -INFINITY);
    EXPECT_EQ(TextToDouble("Infinity"), INFINITY);
    // Narrowed to 32 bits: out-of-range values become infinite, tiny ones zero.
    EXPECT_EQ(TextToFloat("0.1"), 0.1f);
    EXPECT_EQ(TextToFloat("1e40"), INFINITY);
    EXPECT_EQ(TextToFloat("-1e300"), -INFINITY);
    EXPECT_EQ(TextToFloat("3.4028235e38"), FLT_MAX);
    EXPECT_EQ(TextToFloat("1e-50"), 0.0f);
    // Every written float reads back as itself.
    for (float f : {0.1f, -123.456f, 1e-30f, 3.0e38f, 1.0f / 3.0f}) EXPECT_EQ(TextToFloat(FloatToText(f)), f);
}

}  // namespace
