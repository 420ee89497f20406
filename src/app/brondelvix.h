// The main program: the command line, start-up in its fixed order, the outer loop between the
// main menu and the games, and the roads out of the program.
#pragma once

#include <string>
#include <vector>

#include "app/playloop.h"

// What the command line asks for.
struct CommandLine {
    bool editor = false;   // --editor: the first run is the level editor
    bool help = false;     // --help
    bool version = false;  // --version
    std::string error;     // why the command line cannot be followed; empty when it can
};
CommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string HelpText();
// BX2_AUTOPLAY: "1" lets the game play itself; unset, empty or "0" does not. Anything else is
// refused on standard error and the game is played by hand.
bool AutoplayFromEnvironment();
// BX2_PLAY_TRACE: a file to append the powerups caught and bricks broken to; one that cannot be
// written is refused on standard error and nothing is traced.
void PlayTraceFromEnvironment();
std::string VersionText();

// The whole program for these arguments (without the program's name); never returns.
[[noreturn]] void RunBrondelvix(const std::vector<std::string>& args);

// Start-up after the platform: the modules, the desktop's mode, the universe, the screen, the
// hidden pointer, the intro music and the players' statistics. What cannot go on raises.
void StartUp();
// Outer passes while running is 1; the first pass runs the editor when editorFirst is set.
void RunOuterLoop(PlayLoopState& state, bool editorFirst);
// One outer pass: the main menu or the pending action, a fresh game, its play loop.
void OuterPass(PlayLoopState& state, const std::string& choiceInsteadOfMenu);
// The choice that stands in for the main menu's when the command line asks for the editor.
inline constexpr char kEditorInsteadOfMenu[] = "Editor";
// The pending actions the game-over screen leaves, each skipping the main menu for a new game or
// one continued from the saved game.
inline constexpr char kPendingNew[] = "New";
inline constexpr char kPendingContinue[] = "Continue";

// The roads out. The end of the outer loop returns the exit status (0) unless the error log's
// alert ended the program; the others never return. Quit ends with endStatus: 0 for the
// player's own choice, kCannotGoOnStatus after a main menu that failed.
int ShutDown();
[[noreturn]] void QuitFromMainMenu(int endStatus = 0);
// Help opens the data folder's help page in the browser and ends; when no browser opens it, the
// page's full path is said on standard error and the run ends with kCannotGoOnStatus.
[[noreturn]] void HelpFromMainMenu();
// What nothing else caught: logged, the error log written with its alert, a failed exit status.
[[noreturn]] void EndOnUncaughtFailure(const std::string& text);

// The alerts that name the error log.
std::string EndOfRunMessage();
std::string ErrorExitMessage();
std::string UncaughtFailureMessage();
