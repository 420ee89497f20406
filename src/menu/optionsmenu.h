// The options screen: language, graphics quality, effects, screen mode and audio.
#pragma once

#include "universe/universe.h"

// May change the language, the audio and effect settings and the screen mode; writes the
// preferences when it closes. Its result is not looked at. A stand-in that returns at once for
// now.
int DrawOptionsMenu(const UniversePtr& universe);
