// The menu system: the frame every menu screen shares, the immediate quit, and the screens
// between games (the main menu, the question dialog, the difficulty, the value chooser, the
// scores and the text entry) that the pause, game-over, player and options screens build on.
#pragma once

#include <cstdint>
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

// One frame of the text entry and one typed character: the caller starts from its text, loops
// while this returns 0 and reads the text once it returns 1 (Enter or Escape, which are alike).
// The prompt is drawn as given; masked not 0 shows one asterisk a character; drawBox and clear
// act only when exactly 1. Does not watch for Command with Q, but a request to terminate that
// arrives while it waits ends the program through QuitNow.
int DrawTextInputMenu(const std::string& prompt, std::string& text, const BigImagePtr& background, int drawBox,
                      int clear, int masked);
// Waits for one character and applies it to text: up to 16 characters of codes 32 to 255 but
// the refused * + = [ ] { } / \ < > . : ? and the double quote; Backspace removes the last. The
// click sound for a character taken, Enter and Escape, the cancel sound for one refused and for
// Backspace. 1 for Enter or Escape, else 0.
int MenuGetTextInput(std::string& text);

// The difficulty of the next new game: Easy (E), Normal (N), Hard (H) and Insane (I) store
// their English name in the universe's currentDifficulty and give 1; Cancel (Escape) gives 0, as
// does a failure. Watches for Command with Q.
int DrawDifficultyMenu();

// The scores screen: every player's best scores and highest levels and the totals over all
// their games, until OK or Enter. No Escape, no watch for Command with Q. Always 0.
int DrawPlayerStats();

// The scores screen's time line: the localised "Time Forever Lost: " and the milliseconds in
// years (of 365.25 days), days, hours, minutes and seconds, each unit that is not 0 with its
// singular or plural word, joined by ", ", with "!" after; below a second "0 seconds".
std::string TimeForeverLostText(Universe& universe, int64_t milliseconds);

// The main menu: fades in over the title picture, offers its buttons and runs the screens
// behind them, then fades out and returns kMainMenuContinue (C), kMainMenuNewGame (N, after the
// question over a saved game and the difficulty; the saved game is then recorded and deleted),
// kMainMenuHelp (H) or kMainMenuQuit (Escape); "" after a failure. Players (P), Scores (S), Packs
// (K) and Options (O) come back to it. Ends the music on Continue and New Game. Watches for
// Command with Q.
std::string DrawMainMenu(const UniversePtr& universe);
inline constexpr char kMainMenuContinue[] = "Continue";
inline constexpr char kMainMenuNewGame[] = "New Game";
inline constexpr char kMainMenuHelp[] = "Help";
inline constexpr char kMainMenuQuit[] = "Quit";
