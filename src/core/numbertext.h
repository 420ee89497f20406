// Number text: how the game writes numbers into every file and text it keeps, and reads them
// back. Nothing else formats or parses numbers, and none of it depends on the process locale.
#pragma once

#include <cstdint>
#include <string>

// Plain decimal, "-" before a negative value.
std::string IntToText(int value);
std::string LongToText(int64_t value);
// "%#.9g" of the value widened to double: 1 is "1.00000000".
std::string FloatToText(float value);
// "%#.17lg": 2 is "2.0000000000000000".
std::string DoubleToText(double value);
// Leading white space, an optional sign, then "%" and binary digits, "$" and hex digits or
// decimal digits, up to the first character that does not fit. Wraps at 32 (64) bits;
// no digits give 0.
int TextToInt(const std::string& text);
int64_t TextToLong(const std::string& text);
// Like atof: leading white space, the longest decimal number (point and exponent optional,
// or "inf"/"nan"), 0 when there is none.
double TextToDouble(const std::string& text);
// TextToDouble rounded to a 32-bit float.
float TextToFloat(const std::string& text);
// Rounds to the nearest float; magnitudes beyond the float range become infinite.
float NarrowToFloat(double value);
