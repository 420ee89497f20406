// The game-over screen: the finished game under the "Game Over" box with its four choices, and
// the fade to black under the screen overlay once one is made.
#pragma once

#include <string>

#include "universe/universe.h"

// Runs until a choice and returns it after the fade: kGameOverFromThisLevel (C),
// kGameOverNewGame (N), kGameOverMainMenu (Escape) or kGameOverEnd (Q). A choice sets the game
// speed's target back to normal; the overlay is left fully black. Command with Q, or the system's
// request, ends the program at once. "" after a failure, which is logged.
std::string DrawGameOverMenu(const UniversePtr& universe);
inline constexpr char kGameOverFromThisLevel[] = "New From This Level";
inline constexpr char kGameOverNewGame[] = "New Game";
inline constexpr char kGameOverMainMenu[] = "Main Menu";
inline constexpr char kGameOverEnd[] = "End";
