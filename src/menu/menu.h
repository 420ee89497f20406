// The menu system: the frame every menu screen shares, the immediate quit, and the screens
// between games (the main menu, the question dialog, the difficulty, the value chooser, the
// scores and the text entry) that the pause, game-over, player and options screens build on.
#pragma once

#include <string>
#include <vector>

#include "media/largeimage.h"
#include "universe/universe.h"

// One frame's share of a menu screen, drawn after the screen's own background and before its
// buttons: with clear exactly 1 the screen is cleared first; the background picture (null
// draws none) centred at the screen scale; the title, already localised, in green centred
// across the screen at row (height div 41) x 11. With checkQuit exactly 1 the frame first
// watches for Command with Q and the system's request to terminate, and ends the program
// through QuitNow on either. Leaves the large font, green, alpha 1 and the screen scale in
// force. Always 0.
int DrawMenuBox(const std::string& title, const BigImagePtr& background, int clear, int checkQuit);

// Ends the program at once: the pointer shown, the current game unlinked, the universe dropped,
// graphics closed, exit status 0. Saves nothing, logs nothing, writes no error log.
[[noreturn]] void QuitNow();

// The two caption lines below a menu's buttons, "Current Player: <name>" and "Current Pack:
// <name>", centred at rows (height div 40) x 31 and x 33; pinkish red for a player whose records
// failed their check, white otherwise. No handler: what it raises is the caller's. Always 0.
int DrawCurrentPlayerDisplay(const UniversePtr& universe);

// A one-line message with OK (Enter) and, when withCancel is not 0, Cancel (Escape); the
// message is localised here. 1 for OK; 0 for Cancel (its hot key works without the button too)
// or after a failure. Does not watch for Command with Q.
int DrawDialogOK(const std::string& message, int withCancel);

// The player steps through the labels (drawn as given) with Up and Down or the two arrow
// buttons and takes one with OK (Enter); the matching entry of values comes back. Cancel
// (Escape) goes back to the first entry whose value is current, or stays on the entry shown when
// none is, and returns its value. Opens on that same entry. Watches for Command with Q. Empty
// lists give current back at once; lists of different lengths count as the shorter. "" after a
// failure.
std::string DrawChooseMenu(const UniversePtr& universe, const std::vector<std::string>& labels,
                           const std::vector<std::string>& values, const std::string& current);

// The main menu (a stand-in for now): "Continue" (C, only with a saved game), "New Game" (N;
// over a saved game the question to abandon it, Enter or Escape, then the difficulty, E, N, H,
// I or Escape), "Help" (H) or "Quit" (Escape). Ends the music on "Continue" and "New Game". ""
// after a failure.
std::string DrawMainMenu(const UniversePtr& universe);
