// The per-user preferences file: mending what a damaged file lost from the defaults, and
// writing the remembered settings back, leaving every other element and all other text alone.
#include "universe/prefs.h"

#include <cmath>
#include <iostream>
#include <iterator>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "text/parser.h"
#include "universe/universe.h"

namespace {

// What start-up can take from a key: any text, an empty one too (the empty pack save name is
// a name), or a number, which only a value that reads as one gives.
enum class Rule { Text, Int, Float };

struct PrefKey {
    const char* key;
    Rule rule;
};

const PrefKey kPrefKeys[] = {
    {"appPath", Rule::Text},           {"packsPath", Rule::Text},
    {"soundsPath", Rule::Text},        {"imagesPath", Rule::Text},
    {"playersPath", Rule::Text},       {"language", Rule::Text},
    {"currentPlayerName", Rule::Text}, {"currentPackName", Rule::Text},
    {"fontPath", Rule::Text},          {"virtualWidth", Rule::Int},
    {"virtualHeight", Rule::Int},      {"maxBalls", Rule::Int},
    {"maxParticles", Rule::Int},       {"useBallTrails", Rule::Int},
    {"soundVolume", Rule::Float},      {"musicVolume", Rule::Float},
    {"screenWidth", Rule::Int},        {"screenHeight", Rule::Int},
    {"screenDepth", Rule::Int},        {"screenHertz", Rule::Int},
    {"isFullscreen", Rule::Int},       {"forceDesktopResolution", Rule::Int},
    {"isFastComputer", Rule::Int},
};

// A preferences text with its lower-case fold made once: a damaged file may be megabytes of
// junk, and each of the keys is looked up in it more than once.
struct PrefsText {
    explicit PrefsText(const std::string& original) : text(original), folded(FoldToLowerCase(original)) {}
    const std::string& text;
    const std::string folded;
};

// Whether the text holds a whole element of the key, found as the readers find it: the last
// opening tag, without regard to case, and a closing tag after it.
bool HasElement(const PrefsText& prefs, const std::string& key) {
    const std::string tag = FoldToLowerCase(key);
    const size_t open = prefs.folded.rfind("<" + tag + ">");
    if (open == std::string::npos) return false;
    const size_t close = prefs.folded.rfind("</" + tag + ">");
    return close != std::string::npos && close >= open + tag.size() + 2;
}

// A stored zero such as "0.00000000": a muted volume, which must stay muted.
bool ReadsAsZero(const std::string& value) {
    std::string digits = TrimText(value);
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.erase(0, 1);
    if (digits.find('0') == std::string::npos || digits.find_first_not_of("0.") != std::string::npos) return false;
    return digits.find('.') == digits.rfind('.');
}

// Whether the key's rule takes the value the text holds.
bool IsUsable(const PrefsText& prefs, const PrefKey& pref) {
    if (!HasElement(prefs, pref.key)) return false;
    const std::string value = GetDataFromFoldedXML(prefs.text, prefs.folded, pref.key);
    switch (pref.rule) {
        case Rule::Text:
            return true;
        case Rule::Int:
            return !value.empty() && (TextToInt(value) != 0 || TrimText(value) == "0");
        case Rule::Float: {
            const float number = TextToFloat(value);
            return !value.empty() && ((number != 0.0f && !std::isnan(number)) || ReadsAsZero(value));
        }
    }
    return false;
}

// Garbage or a file cut short: made anew from the defaults, so that it is whole again, with
// every value of the player's that could still be read.
std::string RemadeFromDefaults(const PrefsText& own, const std::vector<bool>& usable, const PrefsText& defaults) {
    std::string mended = defaults.text;
    for (size_t k = 0; k < std::size(kPrefKeys); ++k) {
        const PrefKey& pref = kPrefKeys[k];
        if (!usable[k]) continue;
        const std::string value = GetDataFromFoldedXML(own.text, own.folded, pref.key);
        if (HasElement(defaults, pref.key)) {
            UpdateTagInXML(mended, pref.key, value);
            continue;
        }
        // A setting the defaults lack goes on a line of its own before the closing tag.
        size_t at = mended.size();
        const size_t close = mended.rfind("</");
        if (close != std::string::npos) {
            const size_t lineEnd = mended.rfind('\n', close);
            at = lineEnd == std::string::npos ? 0 : lineEnd + 1;
        }
        mended.insert(at, "\t" + GetXMLfromData(pref.key, value, 0));
    }
    return mended;
}

// Only some values are junk: everything else in the file stays as the player left it.
std::string WithDefaultsFor(const std::string& prefs, const std::vector<std::string>& keys, const PrefsText& defaults) {
    std::string mended = prefs;
    for (const std::string& key : keys) {
        UpdateTagInXML(mended, key, GetDataFromFoldedXML(defaults.text, defaults.folded, key));
    }
    return mended;
}

void SayWhatCameBack(const std::string& prefs, const std::string& path, const std::vector<std::string>& restored) {
    std::string said = "The preferences file \"" + path + "\" ";
    if (TrimText(prefs).empty()) {
        said += "was missing or empty; it is made anew from the default preferences.";
    } else {
        said += "was damaged; these settings came back from the default preferences:";
        for (size_t i = 0; i < restored.size(); ++i) said += (i == 0 ? " " : ", ") + restored[i];
        said += ".";
    }
    std::cerr << Latin1ToUtf8(said) << std::endl;
}
}  // namespace

std::string MendPreferences(const std::string& prefs, const std::string& path) {
    const PrefsText own(prefs);
    std::vector<const PrefKey*> unusable;
    std::vector<bool> usable;
    for (const PrefKey& pref : kPrefKeys) {
        usable.push_back(IsUsable(own, pref));
        if (!usable.back()) unusable.push_back(&pref);
    }
    // A whole file is used as it is, and the defaults are not even read.
    if (unusable.empty()) return prefs;

    const std::string defaultsText = ReadFileToString(g_dataPath + "data/default_prefs.xml", 1);
    const PrefsText defaults(defaultsText);
    std::vector<std::string> restored;
    bool anyAbsent = false;
    for (const PrefKey* pref : unusable) {
        if (!IsUsable(defaults, *pref)) continue;
        restored.push_back(pref->key);
        if (!HasElement(own, pref->key)) anyAbsent = true;
    }
    if (restored.empty()) return prefs;

    const std::string mended =
        anyAbsent ? RemadeFromDefaults(own, usable, defaults) : WithDefaultsFor(prefs, restored, defaults);
    SayWhatCameBack(prefs, path, restored);
    return mended;
}

int Universe::UpdatePrefsFile() {
    return Guarded("universe:Universe.UpdatePrefsFile() ", 0, [&] {
        const std::string path = g_userPath + "data/prefs.xml";
        // Read without a report and mended: a logged line would end the next game start, and
        // the file written below is then whole again.
        std::string prefs = MendPreferences(ReadFileToString(path, 1), path);
        // Nothing to update in and no defaults to start from: writing would only leave an
        // empty file.
        if (prefs.empty()) {
            std::cerr << Latin1ToUtf8("The preferences could not be saved: \"" + path +
                                      "\" is missing and there are no default preferences to make it from.")
                      << std::endl;
            return 0;
        }

        UpdateTagInXML(prefs, "language", g_language);
        UpdateTagInXML(prefs, "soundVolume", FloatToText(g_sfxVolume));
        UpdateTagInXML(prefs, "musicVolume", FloatToText(g_musicVolume));
        UpdateTagInXML(prefs, "isFullscreen", IntToText(g_isFullscreen));
        UpdateTagInXML(prefs, "screenWidth", IntToText(g_ScreenWidth));
        UpdateTagInXML(prefs, "screenHeight", IntToText(g_ScreenHeight));
        UpdateTagInXML(prefs, "isFastComputer", IntToText(g_isFastComputer));

        // A player with a password is never chosen automatically at the next start.
        // Without a current player or pack the remembered name stays as it was.
        if (currentPlayerIndex >= 0 && static_cast<size_t>(currentPlayerIndex) < playersArray.size()) {
            Player& player = Deref(playersArray[static_cast<size_t>(currentPlayerIndex)]);
            UpdateTagInXML(prefs, "currentPlayerName", player.TestPassword("") == 1 ? player.name : kDefaultPlayerName);
        }
        if (currentPackIndex >= 0 && static_cast<size_t>(currentPackIndex) < packsArray.size()) {
            UpdateTagInXML(prefs, "currentPackName", Deref(packsArray[static_cast<size_t>(currentPackIndex)]).saveName);
        }

        UpdateTagInXML(prefs, "maxParticles", IntToText(g_maxParticles));
        UpdateTagInXML(prefs, "useBallTrails", IntToText(g_useBallTrails));

        if (WriteWholeFile(path, prefs, 0744) != 1) {
            std::cerr << Latin1ToUtf8("The preferences could not be saved to \"" + path + "\".") << std::endl;
        }
        return 0;
    });
}
