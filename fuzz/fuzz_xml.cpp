// Feeds arbitrary files and tag names to the game's XML text functions and checks what the
// loaders and writers rely on: entry k of a list is element k, what is written reads back,
// an update reads back, and nothing ever reaches the debug log.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_common.h"
#include "text/parser.h"

namespace {

bool IsPlainTag(const std::string& tag) {
    if (tag.empty()) return false;
    for (char c : tag)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

bool StartsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }
bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QuietDebugLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    ResetDebugLog();
    if (size == 0) return 0;
    const uint8_t selector = bytes[0];
    // After the selector byte, the first line names the tag and the rest is the text.
    const std::string input(reinterpret_cast<const char*>(bytes + 1), size - 1);
    const size_t lf = input.find('\n');
    const std::string tag = input.substr(0, lf);
    const std::string text = lf == std::string::npos ? std::string() : input.substr(lf + 1);
    const bool plain = IsPlainTag(tag);

    // Reading.
    const std::string data = GetDataFromXML(text, tag);
    int number = 99;
    float real = 9.0f;
    std::string word = "old";
    SetIntFromXML(number, text, tag);
    SetFloatFromXML(real, text, tag);
    SetStringFromXML(word, text, tag);
    if (data.empty() && (number != 99 || real != 9.0f || word != "old")) Broken("setter without data", text, tag);
    if (CountTagsInXML(text, tag) < 0) Broken("negative count", text, tag);
    GetNameOfFirstTagInXML(text, selector & 1);
    GetLocalizedStringFromXML(text, tag);

    const std::vector<std::string> list = ExtractListFromXML(text, tag);
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    for (size_t k = 0; k < list.size() && k < 64; ++k) {
        const std::string element = ExtractTagFromXML(text, tag, static_cast<int>(k));
        if (element != list[k]) Broken("list entry differs from extracted element", element, list[k]);
        if (!element.empty() && (!StartsWith(element, open) || !EndsWith(element, close)))
            Broken("element without its tags", element, tag);
    }
    if (!ExtractTagFromXML(text, tag, static_cast<int>(list.size())).empty())
        Broken("element past the list", text, tag);
    if (!ExtractTagFromXML(text, tag, INT_MAX).empty()) Broken("element at INT_MAX", text, tag);

    // Writing: a leaf reads back as its data when no escape sequence was in it already.
    const int flag = selector % 4 - 1;  // -1 to 2
    const std::string written = GetXMLfromData(tag, text, flag);
    if (!EndsWith(written, close + "\n")) Broken("element without its closing line", written, tag);
    if (flag == 1 && !StartsWith(written, open + "\n\t"))
        Broken("nested element without its opening line", written, tag);
    const bool literal = text.find('&') == std::string::npos;
    if (flag != 1 && plain && literal && GetDataFromXML(written, tag) != text)
        Broken("leaf does not read back", GetDataFromXML(written, tag), text);

    // Updating: once an element is there, its data reads back as the new data.
    const std::string newData = text.substr(text.size() / 2);
    std::string updated = text;
    UpdateTagInXML(updated, tag, newData);
    if (tag.empty() && updated != text) Broken("update with an empty tag", updated, text);
    if (plain && newData.find('&') == std::string::npos && (!data.empty() || updated != text) &&
        GetDataFromXML(updated, tag) != newData)
        Broken("update does not read back", GetDataFromXML(updated, tag), newData);

    if (!g_DebugLog.empty()) Broken("logged", g_DebugLog, "");
    return 0;
}
