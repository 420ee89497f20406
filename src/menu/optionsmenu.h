// The options screen: graphics quality, effects, the screen mode, audio and the language, each
// taken through the value chooser, with the preferences written when the player goes back.
#pragma once

#include <string>
#include <vector>

#include "universe/universe.h"

// Runs the screen until Go Back (Escape), then writes the preferences. Every choice takes effect
// at once: the quality and effects at the next game start, the screen mode by reopening the
// screen (images and fonts kept), the audio for every sound started afterwards, the language
// from the next frame. A screen mode that will not open falls back to the one open before, then
// to a 1024x768 window; with none left the run ends. Watches for Command with Q. Always "";
// after a failure the preferences are not written.
std::string DrawOptionsMenu(const UniversePtr& universe);

// The languages the strings offer, each under its own name, in the order of their ring from the
// start language on.
struct LanguageList {
    std::vector<std::string> names;
    std::vector<std::string> codes;
};
// The most languages a walk lists.
constexpr size_t kMaxLanguages = 64;
// Follows "Next Language" from the start language, naming each language by its own "Language"
// text, until the ring comes back to a code already listed. A ring that does not close ends the
// walk too: an empty code, a missing "Next Language", or kMaxLanguages entries. Never empty;
// g_language is the start language again afterwards.
LanguageList BuildLanguageList(Universe& universe, const std::string& startLanguage);
