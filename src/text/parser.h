// The game's own XML text over plain strings (reading, writing, updating), the loader of the
// error-code table and the reverse-Polish formulas of the value curves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Number text and error reports live in core, where the debug texts and file helpers use
// them; everything that reads or writes game text uses them too, so they come with the parser.
#include "core/errors.h"
#include "core/numbertext.h"

// ---------------------------------------------------------------------------
// Text helpers.

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
// GetDataFromXML for a text whose FoldToLowerCase is at hand: a reader of many tags in one
// large text folds it once instead of once per tag.
std::string GetDataFromFoldedXML(const std::string& text, const std::string& folded, const std::string& tag);
int SetIntFromXML(int& variable, const std::string& text, const std::string& tag);
int SetFloatFromXML(float& variable, const std::string& text, const std::string& tag);
int SetStringFromXML(std::string& variable, const std::string& text, const std::string& tag);
int CountTagsInXML(const std::string& text, const std::string& tag);
std::string ExtractTagFromXML(const std::string& text, const std::string& tag, int index);
// Every element ExtractTagFromXML would give for indices 0, 1, 2, ... until it gives no more,
// read in one pass: loaders walking by index read the list instead.
std::vector<std::string> ExtractListFromXML(const std::string& text, const std::string& tag);
// Entry index of such a list, or an empty text past its end, as ExtractTagFromXML would give.
const std::string& ListEntry(const std::vector<std::string>& list, long long index);
// Characters the element walk of ExtractTagFromXML and ExtractListFromXML has passed over
// since start-up; the tests hold it to one pass over the text however the text is laid out.
extern uint64_t g_xmlElementScan;
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
// The error-code table (core/errors.h), filled from g_dataPath + subFolder + "errorcodes.xml"
// with messages in the given language; always 0.
int LoadErrorCodes(const std::string& subFolder, const std::string& language);

// ---------------------------------------------------------------------------
// The value curves' reverse-Polish formulas. The stack is one string of blank-separated items.
float RPN(const std::string& expr);
int RPNPush(std::string& stack, const std::string& token);
int RPNPop(std::string& stack, float& value);
