// The game's XML text, the error-code table's loader and the value-curve formulas: every
// content, preference, player and saved-game file is read and written through these functions.
#include "text/parser.h"

#include <cmath>
#include <string_view>

#include "core/debuglog.h"
#include "core/globals.h"
#include "core/io.h"

namespace {

constexpr size_t kNotFound = std::string::npos;

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

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

// Where the data of the last element of a name lies in a text folded to lower case: from just
// after the last opening tag to the last closing tag, each found on its own.
bool FindLastElementDataFolded(const std::string& folded, const std::string& tag, size_t& start, size_t& end) {
    const std::string foldedTag = FoldToLowerCase(tag);
    const size_t open = folded.rfind("<" + foldedTag + ">");
    if (open == kNotFound) return false;
    start = open + foldedTag.size() + 2;
    const size_t close = folded.rfind("</" + foldedTag + ">");
    if (close == kNotFound || close < start) return false;
    end = close;
    return true;
}

// The same, searched without regard to case.
bool FindLastElementData(const std::string& text, const std::string& tag, size_t& start, size_t& end) {
    return FindLastElementDataFolded(FoldToLowerCase(text), tag, start, end);
}

// The element walk every element reader shares. Element k runs from the first opening tag at
// or after the end of element k - 1 to the first closing tag at or after that same point; a
// closing tag ahead of its opening tag makes an empty element and the walk goes on after it.
// The walk ends at the first step that finds no opening or no closing tag. Each search starts
// where the last one of its kind stopped, so the text is passed over once however it is laid
// out: an opening tag found far ahead is kept until the walk reaches it.
class ElementWalk {
public:
    struct Element {
        size_t start = 0, end = 0;  // the element's text, tags included, when paired
        bool paired = false;
    };

    ElementWalk(const std::string& text, const std::string& tag)
        : text_(text), open_("<" + tag + ">"), close_("</" + tag + ">") {}

    bool Next(Element& element) {
        if (!openKnown_ || nextOpen_ < cursor_) {
            nextOpen_ = Find(open_, cursor_);
            openKnown_ = true;
        }
        if (nextOpen_ == kNotFound) return false;
        const size_t closeAt = Find(close_, cursor_);
        if (closeAt == kNotFound) return false;
        element.start = nextOpen_;
        element.end = closeAt + close_.size();
        element.paired = closeAt > nextOpen_;
        cursor_ = element.end;
        return true;
    }

private:
    size_t Find(const std::string& pattern, size_t from) {
        const size_t found = text_.find(pattern, from);
        const size_t stop = found == kNotFound ? text_.size() : found + pattern.size();
        if (stop > from) g_xmlElementScan += stop - from;
        return found;
    }

    const std::string& text_;
    const std::string open_, close_;
    size_t cursor_ = 0;
    size_t nextOpen_ = 0;
    bool openKnown_ = false;
};

}  // namespace

uint64_t g_xmlElementScan = 0;

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

std::string GetDataFromFoldedXML(const std::string& text, const std::string& folded, const std::string& tag) {
    return Guarded("parser:GetDataFromXML() ", std::string(), [&]() -> std::string {
        size_t start = 0, end = 0;
        if (folded.size() != text.size() || !FindLastElementDataFolded(folded, tag, start, end)) return "";
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
        ElementWalk walk(text, tag);
        ElementWalk::Element element;
        for (long long k = 0; k <= index; ++k) {
            // Past the last pair there is no element of any higher index.
            if (!walk.Next(element)) return "";
        }
        if (index < 0 || !element.paired) return "";
        return text.substr(element.start, element.end - element.start);
    });
}

std::vector<std::string> ExtractListFromXML(const std::string& text, const std::string& tag) {
    return Guarded("parser:ExtractListFromXML() ", std::vector<std::string>(), [&] {
        ElementWalk walk(text, tag);
        ElementWalk::Element element;
        std::vector<std::string> list;
        // Kept even when empty, so entry k is always ExtractTagFromXML's element k.
        while (walk.Next(element))
            list.push_back(element.paired ? text.substr(element.start, element.end - element.start) : std::string());
        return list;
    });
}

const std::string& ListEntry(const std::vector<std::string>& list, long long index) {
    static const std::string kNone;
    return index >= 0 && static_cast<unsigned long long>(index) < list.size() ? list[static_cast<size_t>(index)]
                                                                              : kNone;
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
// The error-code table's loader, under the io module's log label.

int LoadErrorCodes(const std::string& subFolder, const std::string& language) {
    return Guarded("io:LoadErrorCodes() ", 0, [&] {
        std::string text = ReadFileToString(g_dataPath + subFolder + "errorcodes.xml", 0);
        int n = CountTagsInXML(text, "errorCode");
        // One entry more than counted: the count skips an element at the very start of
        // the text, and the spare entry is how such a file still loads whole.
        size_t size = static_cast<size_t>(n) + 1;
        g_errorcode.assign(size, 0);
        g_errorseverity.assign(size, 0);
        g_errormessage.assign(size, std::string());
        const std::vector<std::string> entries = ExtractListFromXML(text, "errorCode");
        for (int i = 0; i <= n; ++i) {
            const std::string& entry = ListEntry(entries, i);
            At(g_errorcode, i) = TextToInt(GetDataFromXML(entry, "code"));
            At(g_errorseverity, i) = TextToInt(GetDataFromXML(entry, "severity"));
            At(g_errormessage, i) = GetLocalizedStringFromXML(ExtractTagFromXML(entry, "message", 0), language);
        }
        return 0;
    });
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
        value = TextToFloat(stack.substr(blank));
        stack.resize(blank);
        TrimInPlace(stack);
        return 0;
    });
}
