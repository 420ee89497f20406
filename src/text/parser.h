// The game's own XML text over plain strings (reading, writing, updating), its number text,
// error reporting by code and severity, and the reverse-Polish formulas of the value curves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Number text. Every file the game writes uses these forms, so nothing else formats or
// parses numbers. None of them depends on the process locale.

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
// Removes every character of code 32 or less from both ends.
std::string TrimText(const std::string& text);
// Latin-1 lower case, one character for one: A-Z and 192-222 (not 215) move up by 32.
std::string FoldToLowerCase(const std::string& text);

// ---------------------------------------------------------------------------
// Reading. Data readers match tag names without regard to case and take the last element of
// a name; element functions match exactly.

// The parser module's start-up; it needs the globals ready first.
void InitParser();

std::string GetDataFromXML(const std::string& text, const std::string& tag);
int SetIntFromXML(int& variable, const std::string& text, const std::string& tag);
int SetFloatFromXML(float& variable, const std::string& text, const std::string& tag);
int SetStringFromXML(std::string& variable, const std::string& text, const std::string& tag);
int CountTagsInXML(const std::string& text, const std::string& tag);
std::string ExtractTagFromXML(const std::string& text, const std::string& tag, int index);
std::vector<std::string> ExtractListFromXML(const std::string& text, const std::string& tag);
std::string GetNameOfFirstTagInXML(const std::string& text, int flag);
std::string GetLocalizedStringFromXML(const std::string& text, const std::string& language);

// ---------------------------------------------------------------------------
// Writing. Flag 1 wraps already-built child elements one TAB deeper; any other flag makes a
// leaf with escaped data. Both forms end with a line end.
std::string GetXMLfromData(const std::string& tag, const std::string& data, int flag);
// The same, under the spelling its log line uses.
inline std::string GetXMLFromData(const std::string& tag, const std::string& data, int flag) {
    return GetXMLfromData(tag, data, flag);
}
int UpdateTagInXML(std::string& text, const std::string& tag, const std::string& data);

// ---------------------------------------------------------------------------
// Error reporting. The table is three parallel arrays, filled by LoadErrorCodes at start-up
// (tests may fill them directly); until then every code is unknown.
extern std::vector<int> g_errorcode;
extern std::vector<int> g_errorseverity;
extern std::vector<std::string> g_errormessage;

// The text given to a code the table does not hold.
extern const char* const kUnknownErrorMessage;  // "An error occured.  (Specifics are unavailable.)"

std::string GetErrorMessage(int code);
int GetErrorSeverity(int code);
// Severity 0 only remembers the message, 1 also logs it, 2 and 3 log and raise a runtime error,
// 4 logs and throws the message text itself, anything else raises without logging. Returns
// the code when nothing is raised.
int ThrowError(int code, const std::string& detail);

// ---------------------------------------------------------------------------
// The value curves' reverse-Polish formulas. The stack is one string of blank-separated items.
float RPN(const std::string& expr);
int RPNPush(std::string& stack, const std::string& token);
int RPNPop(std::string& stack, float& value);
