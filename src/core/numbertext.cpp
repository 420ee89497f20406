// Number text: how the game writes numbers into every file and text it keeps, and reads
// them back. None of it depends on the process locale.
#include "core/numbertext.h"

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace {

// White space as the C library sees it in the C locale.
bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Unsigned arithmetic so that long digit runs wrap instead of overflowing.
template <class U>
U ParseWholeNumber(std::string_view text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && IsWhiteSpace(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    U value = 0;
    if (i < n && text[i] == '%') {
        for (++i; i < n && (text[i] == '0' || text[i] == '1'); ++i) value = value * 2 + U(text[i] - '0');
    } else if (i < n && text[i] == '$') {
        for (++i; i < n && HexDigitValue(text[i]) >= 0; ++i) value = value * 16 + U(HexDigitValue(text[i]));
    } else {
        for (; i < n && IsDigit(text[i]); ++i) value = value * 10 + U(text[i] - '0');
    }
    return negative ? U(0) - value : value;
}

bool StartsWithNoCase(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != word[i]) return false;
    }
    return true;
}

double ParseDecimal(std::string_view text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && IsWhiteSpace(text[i])) ++i;
    const size_t begin = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    // The words the C library knows; hexadecimal floats are no number text of ours.
    std::string_view rest = text.substr(i);
    if (StartsWithNoCase(rest, "inf") || StartsWithNoCase(rest, "nan")) {
        std::string word(text.substr(begin));
        return std::strtod(word.c_str(), nullptr);
    }
    size_t digits = 0;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < n && IsDigit(text[j])) {
            while (j < n && IsDigit(text[j])) ++j;
            i = j;
        }
    }
    std::string number(text.substr(begin, i - begin));
    return std::strtod(number.c_str(), nullptr);
}

}  // namespace

std::string IntToText(int value) { return std::to_string(value); }
std::string LongToText(int64_t value) { return std::to_string(value); }

std::string FloatToText(float value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%#.9g", static_cast<double>(value));
    return buffer;
}

std::string DoubleToText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%#.17lg", value);
    return buffer;
}

int TextToInt(const std::string& text) { return static_cast<int>(ParseWholeNumber<uint32_t>(text)); }
int64_t TextToLong(const std::string& text) { return static_cast<int64_t>(ParseWholeNumber<uint64_t>(text)); }
double TextToDouble(const std::string& text) { return ParseDecimal(text); }
float TextToFloat(const std::string& text) { return NarrowToFloat(ParseDecimal(text)); }

float NarrowToFloat(double value) {
    // From FLT_MAX plus half a step on, rounding to nearest gives infinity.
    constexpr double kOverflow = 0x1.ffffffp127;
    if (value >= kOverflow) return std::numeric_limits<float>::infinity();
    if (value <= -kOverflow) return -std::numeric_limits<float>::infinity();
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(value);
}
