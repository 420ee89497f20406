// The screens over the frozen game: the pause screen and the game-over screen. Until the real
// screens are built these are plain stand-ins that take the same keys, so a player can already
// pause, lose and go on.
#pragma once

#include <string>

#include "universe/universe.h"

// The pause screen over the frozen game: "Resume" (Escape), "Main Menu" (M) or "End" (Q); C
// asks whether to enable cheats while the game has none. Resumes the mixer on every choice;
// on "Main Menu" and "End" also puts the game speed back, ends the music and fades to black.
// "" after a failure.
std::string DrawPauseMenu(const UniversePtr& universe);
// The game-over screen over the frozen game: "New From This Level" (C), "New Game" (N), "Main
// Menu" (Escape) or "End" (Q); Command with Q quits at once. On a choice the game speed goes
// back to normal and the screen fades to black under the overlay, which stays at 1. "" after a
// failure.
std::string DrawGameOverMenu(const UniversePtr& universe);
