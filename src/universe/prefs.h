// Mending the per-user preferences: every setting the file lost or garbled comes back from the
// default preferences, so that a damaged file never hides the packs or the players.
#pragma once

#include <string>

// The preferences text with every key that its reading rule cannot take (absent, cut off, or
// junk where a number belongs) given its value in the default preferences. When some key is
// absent the text is made anew from the defaults with every usable value of the given text
// in it; otherwise only the unusable values change. The text as it is when nothing needs
// mending or the defaults cannot help. A mended text is said on standard error, naming the
// file at path and the keys that came back.
std::string MendPreferences(const std::string& prefs, const std::string& path);
