// The pause screen: the stopped game under the "Paused" box with its buttons, the hidden switch
// that enables cheats, and the fade to black when the game is left.
#pragma once

#include <string>

#include "universe/universe.h"

// Runs until a choice and returns it: kPauseResume (Escape) at once; kPauseMainMenu (M) or
// kPauseEnd (Q) after the game speed, the mixer's rate and the music are put back and the screen
// has faded to black. C asks, while the game has none, whether to enable cheats. The mixer,
// paused by the caller, plays again on every choice. Command with Q does nothing here. "" after a
// failure, which is logged.
std::string DrawPauseMenu(const UniversePtr& universe);
inline constexpr char kPauseResume[] = "Resume";
inline constexpr char kPauseMainMenu[] = "Main Menu";
inline constexpr char kPauseEnd[] = "End";
