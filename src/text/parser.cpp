// The game's XML text, number text, error reports and value-curve formulas: every content,
// preference, player and saved-game file is read and written through these functions.
#include "text/parser.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "core/globals.h"

std::vector<int> g_errorcode;
std::vector<int> g_errorseverity;
std::vector<std::string> g_errormessage;

const char* const kUnknownErrorMessage = "An error occured.  (Specifics are unavailable.)";

namespace {

constexpr size_t kNotFound = std::string::npos;

// White space as the C library sees it in the C locale.
bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }
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

std::string_view TrimView(std::string_view text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlankOrControl(text[first])) ++first;
    while (last > first && IsBlankOrControl(text[last - 1])) --last;
    return text.substr(first, last - first);
}

void TrimInPlace(std::string& text) {
    size_t last = text.size();
    while (last > 0 && IsBlankOrControl(text[last - 1])) --last;
    text.resize(last);
    size_t first = 0;
    while (first < text.size() && IsBlankOrControl(text[first])) ++first;
    if (first > 0) text.erase(0, first);
}

// Every non-overlapping occurrence, left to right; what is put in is not searched again.
std::string ReplaceAll(const std::string& text, std::string_view from, std::string_view to) {
    size_t found = text.find(from);
    if (found == kNotFound) return text;
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    while (found != kNotFound) {
        out.append(text, copied, found - copied);
        out.append(to);
        copied = found + from.size();
        found = text.find(from, copied);
    }
    out.append(text, copied, kNotFound);
    return out;
}

std::string EscapeXMLData(const std::string& data) {
    std::string out = ReplaceAll(data, "<", "&lt;");
    out = ReplaceAll(out, ">", "&gt;");
    out = ReplaceAll(out, "\t", "&tab;");
    return ReplaceAll(out, "\n", "&line;");
}

std::string UnescapeXMLData(const std::string& data) {
    std::string out = ReplaceAll(data, "&lt;", "<");
    out = ReplaceAll(out, "&gt;", ">");
    out = ReplaceAll(out, "&tab;", "\t");
    return ReplaceAll(out, "&line;", "\n");
}

// Where the data of the last element of a name lies, searched without regard to case: from
// just after the last opening tag to the last closing tag, each found on its own.
bool FindLastElementData(const std::string& text, const std::string& tag, size_t& start, size_t& end) {
    const std::string folded = FoldToLowerCase(text);
    const std::string foldedTag = FoldToLowerCase(tag);
    const size_t open = folded.rfind("<" + foldedTag + ">");
    if (open == kNotFound) return false;
    start = open + foldedTag.size() + 2;
    const size_t close = folded.rfind("</" + foldedTag + ">");
    if (close == kNotFound || close < start) return false;
    end = close;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
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

std::string TrimText(const std::string& text) { return std::string(TrimView(text)); }

std::string FoldToLowerCase(const std::string& text) {
    std::string out(text);
    for (char& c : out) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 192 && u <= 222 && u != 215)) c = static_cast<char>(u + 32);
    }
    return out;
}

void InitParser() { InitGlobals(); }

// ---------------------------------------------------------------------------
// Reading

std::string GetDataFromXML(const std::string& text, const std::string& tag) {
    return Guarded("parser:GetDataFromXML() ", std::string(), [&]() -> std::string {
        size_t start = 0, end = 0;
        if (!FindLastElementData(text, tag, start, end)) return "";
        return UnescapeXMLData(text.substr(start, end - start));
    });
}

int SetIntFromXML(int& variable, const std::string& text, const std::string& tag) {
    return Guarded("parser:SetIntFromXML() ", 0, [&] {
        const std::string data = GetDataFromXML(text, tag);
        if (data.empty()) return 0;
        const int value = TextToInt(data);
        // A bare "0" is the only way to store zero: "00" or "abc" would read as 0 too.
        if (value != 0 || TrimText(data) == "0") variable = value;
        return 0;
    });
}

int SetFloatFromXML(float& variable, const std::string& text, const std::string& tag) {
    return Guarded("parser:SetFloatFromXML() ", 0, [&] {
        const std::string data = GetDataFromXML(text, tag);
        if (data.empty()) return 0;
        const float value = TextToFloat(data);
        // Zero never replaces a default, so content files cannot set a float to 0.
        if (value != 0.0f && !std::isnan(value)) variable = value;
        return 0;
    });
}

int SetStringFromXML(std::string& variable, const std::string& text, const std::string& tag) {
    return Guarded("parser:SetStringFromXML() ", 0, [&] {
        std::string data = GetDataFromXML(text, tag);
        if (!data.empty()) variable = std::move(data);
        return 0;
    });
}

int CountTagsInXML(const std::string& text, const std::string& tag) {
    return Guarded("parser:CountTagsInXML() ", 0, [&] {
        // The search starts at index 1: loaders walking by index rely on an element at the
        // very start not being counted.
        const std::string open = "<" + tag + ">";
        int count = 0;
        for (size_t found = text.find(open, 1); found != kNotFound; found = text.find(open, found + 1)) ++count;
        return count;
    });
}

std::string ExtractTagFromXML(const std::string& text, const std::string& tag, int index) {
    return Guarded("parser:ExtractTagFromXML() ", std::string(), [&]() -> std::string {
        const std::string open = "<" + tag + ">";
        const std::string close = "</" + tag + ">";
        size_t cursor = 0, start = 0, end = 0;
        bool paired = false;
        for (long long element = 0; element <= index; ++element) {
            start = text.find(open, cursor);
            const size_t closeAt = text.find(close, cursor);
            // Past the last pair there is no element of any higher index.
            if (start == kNotFound || closeAt == kNotFound) return "";
            end = closeAt + close.size();
            // A stray closing tag ahead of the opening one makes this element empty.
            paired = closeAt > start;
            cursor = end;
        }
        if (!paired) return "";
        return text.substr(start, end - start);
    });
}

std::vector<std::string> ExtractListFromXML(const std::string& text, const std::string& tag) {
    return Guarded("parser:ExtractListFromXML() ", std::vector<std::string>(), [&] {
        const std::string open = "<" + tag + ">";
        const std::string close = "</" + tag + ">";
        std::vector<std::string> list;
        size_t cursor = 0;
        for (;;) {
            const size_t start = text.find(open, cursor);
            if (start == kNotFound) break;
            const size_t closeAt = text.find(close, cursor);
            if (closeAt == kNotFound) break;
            const size_t end = closeAt + close.size();
            // Kept even when empty, so entry k is always ExtractTagFromXML's element k.
            list.push_back(closeAt > start ? text.substr(start, end - start) : std::string());
            cursor = end;
        }
        return list;
    });
}

std::string GetNameOfFirstTagInXML(const std::string& text, int flag) {
    return Guarded("parser:GetNameOfFirstTagInXML() ", std::string(), [&]() -> std::string {
        size_t lt = text.find('<');
        size_t position = lt == kNotFound ? 0 : lt + 1;
        if (flag != 0) {
            lt = text.find('<', position);
            position = lt == kNotFound ? 0 : lt + 1;
        }
        const size_t gt = text.find('>', position);
        if (gt == kNotFound) return "";
        return text.substr(position, gt - position);
    });
}

std::string GetLocalizedStringFromXML(const std::string& text, const std::string& language) {
    return Guarded("parser:GetLocalizedStringFromXML() ", std::string(), [&]() -> std::string {
        std::string result = GetDataFromXML(text, language);
        if (result.empty()) result = GetDataFromXML(text, "en");
        if (result.empty()) result = GetDataFromXML(text, GetNameOfFirstTagInXML(text, 1));
        if (result.empty()) result = text;
        return result;
    });
}

// ---------------------------------------------------------------------------
// Writing

std::string GetXMLfromData(const std::string& tag, const std::string& data, int flag) {
    return Guarded("parser:GetXMLFromData() ", std::string(), [&]() -> std::string {
        if (flag == 1) {
            // Children are element text already: indent every line one TAB deeper and drop
            // the TAB that would follow the final line end.
            std::string children = ReplaceAll(data, "\n", "\n\t");
            if (!children.empty()) children.pop_back();
            return "<" + tag + ">\n\t" + children + "</" + tag + ">\n";
        }
        return "<" + tag + ">" + EscapeXMLData(data) + "</" + tag + ">\n";
    });
}

int UpdateTagInXML(std::string& text, const std::string& tag, const std::string& data) {
    return Guarded("parser:UpdateTagInXML() ", 0, [&] {
        if (tag.empty()) return 0;
        size_t start = 0, end = 0;
        // An element the text lacks is not added.
        if (!FindLastElementData(text, tag, start, end)) return 0;
        std::string updated;
        updated.reserve(text.size() + data.size());
        updated.append(text, 0, start);
        updated.append(EscapeXMLData(data));
        updated.append(text, end, kNotFound);
        text = std::move(updated);
        return 0;
    });
}

// ---------------------------------------------------------------------------
// Error reporting

std::string GetErrorMessage(int code) {
    return Guarded("parser:GetErrorMessage() ", std::string(), [&]() -> std::string {
        for (size_t i = 0; i < g_errormessage.size(); ++i) {
            if (At(g_errorcode, i) == code) return g_errormessage[i];
        }
        return kUnknownErrorMessage;
    });
}

int GetErrorSeverity(int code) {
    return Guarded("parser:GetErrorSeverity() ", 0, [&] {
        for (size_t i = 0; i < g_errorseverity.size(); ++i) {
            if (At(g_errorcode, i) == code) return g_errorseverity[i];
        }
        return 4;
    });
}

int ThrowError(int code, const std::string& detail) {
    std::string message = GetErrorMessage(code);
    if (!detail.empty()) message += " (" + detail + ")";

    // The on-screen debug overlay shows the latest reports, newest first. Before start-up
    // has made the list there is nowhere to keep them.
    if (!g_DebugStrings.empty()) {
        for (size_t i = g_DebugStrings.size() - 1; i > 0; --i) g_DebugStrings[i] = std::move(g_DebugStrings[i - 1]);
        g_DebugStrings[0] = message;
    }

    switch (GetErrorSeverity(code)) {
        case 0:
            return code;
        case 1:
            AddLineToDebugLog(" NOTE: " + message);
            return code;
        case 2:
            AddLineToDebugLog(" WARN: " + message);
            RuntimeError(message);
        case 3:
            AddLineToDebugLog(" ERR: " + message);
            RuntimeError(message);
        case 4:
            AddLineToDebugLog(message);
            throw message;
        default:
            RuntimeError(message);
    }
}

// ---------------------------------------------------------------------------
// The value curves' formulas

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegreesToRadians = kPi / 180.0;
constexpr double kRadiansToDegrees = 180.0 / kPi;

struct OneOperandWord {
    const char* word;
    double (*compute)(double);
};

const OneOperandWord kOneOperandWords[] = {
    {"SQRT", [](double a) { return std::sqrt(a); }},
    {"FLOOR", [](double a) { return std::floor(a); }},
    {"CEIL", [](double a) { return std::ceil(a); }},
    {"COS", [](double a) { return std::cos(a * kDegreesToRadians); }},
    {"SIN", [](double a) { return std::sin(a * kDegreesToRadians); }},
    {"TAN", [](double a) { return std::tan(a * kDegreesToRadians); }},
    {"ACOS", [](double a) { return std::acos(a) * kRadiansToDegrees; }},
    {"ASIN", [](double a) { return std::asin(a) * kRadiansToDegrees; }},
    {"ATAN", [](double a) { return std::atan(a) * kRadiansToDegrees; }},
    {"COSH", [](double a) { return std::cosh(a); }},
    {"SINH", [](double a) { return std::sinh(a); }},
    {"TANH", [](double a) { return std::tanh(a); }},
    {"EXP", [](double a) { return std::exp(a); }},
    {"LOG", [](double a) { return std::log(a); }},
    {"LOG10", [](double a) { return std::log10(a); }},
};

// Operands come off the stack top first: "3 2 -" is 2 - 3.
void ApplyRPNToken(std::string& stack, const std::string& token) {
    float a = 0.0f, b = 0.0f;
    if (token == "+" || token == "-" || token == "*" || token == "/") {
        RPNPop(stack, a);
        RPNPop(stack, b);
        float result;
        switch (token[0]) {
            case '+':
                result = a + b;
                break;
            case '-':
                result = a - b;
                break;
            case '*':
                result = a * b;
                break;
            default:
                // Curves divide by values that pass through zero; a tiny divisor keeps them finite.
                if (b == 0.0f) b = 1e-07f;
                result = a / b;
                break;
        }
        RPNPush(stack, FloatToText(result));
        return;
    }
    if (token == "^" || token == "ATAN2") {
        RPNPop(stack, a);
        RPNPop(stack, b);
        double result =
            token == "^" ? std::pow(double(a), double(b)) : std::atan2(double(a), double(b)) * kRadiansToDegrees;
        RPNPush(stack, DoubleToText(result));
        return;
    }
    if (token == "PI") {
        RPNPush(stack, "3.1415926535897931");
        return;
    }
    if (token == "E") {
        RPNPush(stack, "2.71828175");
        return;
    }
    for (const OneOperandWord& word : kOneOperandWords) {
        if (token == word.word) {
            RPNPop(stack, a);
            RPNPush(stack, DoubleToText(word.compute(double(a))));
            return;
        }
    }
    // Numbers, and anything else, go on the stack as they came.
    RPNPush(stack, token);
}

}  // namespace

float RPN(const std::string& expr) {
    return Guarded("parser:RPN() ", 0.0f, [&] {
        std::string stack;
        std::string_view rest(expr);
        while (!rest.empty()) {
            // Only the blank separates: a TAB or line end inside joins its neighbours.
            const size_t blank = rest.find(' ');
            ApplyRPNToken(stack, std::string(rest.substr(0, blank)));
            rest = blank == kNotFound ? std::string_view() : TrimView(rest.substr(blank));
        }
        // With several items left this reads the bottom one: the reading stops at a blank.
        return TextToFloat(stack);
    });
}

int RPNPush(std::string& stack, const std::string& token) {
    return Guarded("parser:RPNPush() ", 0, [&] {
        stack += ' ';
        stack += token;
        TrimInPlace(stack);
        return 0;
    });
}

int RPNPop(std::string& stack, float& value) {
    return Guarded("parser:RPNPop() ", 0, [&] {
        const size_t blank = stack.rfind(' ');
        if (blank == kNotFound) {
            value = TextToFloat(stack);
            stack.clear();
            return 0;
        }
        value = NarrowToFloat(ParseDecimal(std::string_view(stack).substr(blank)));
        stack.resize(blank);
        TrimInPlace(stack);
        return 0;
    });
}
