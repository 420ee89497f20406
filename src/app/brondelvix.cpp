// The main program: the command line, start-up in its fixed order, the outer loop that goes
// from the main menu to a game and back, the three roads out of the program, and the one
// handler for whatever nothing else caught.
#include "app/brondelvix.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "core/globals.h"
#include "core/io.h"
#include "core/playtrace.h"
#include "editor/editor.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "menu/menu.h"
#include "pieces/brick.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "text/parser.h"

#ifndef BX2_VERSION
#define BX2_VERSION "unknown"
#endif

namespace {

// A command line the program cannot follow.
constexpr int kUsageStatus = 2;

const char* const kPleaseSee = "Please see the file named \"";
const char* const kSquish = " for details, so that we can find and squish the problem.";

// Desktop values of 0 or less, or a 24-bit depth, mean the system did not say.
void ReadDesktopMode() {
    g_desktopWidth = DesktopWidth();
    g_desktopHeight = DesktopHeight();
    g_desktopDepth = DesktopDepth();
    g_desktopHertz = DesktopHertz();
    if (g_desktopDepth == 24) g_desktopDepth = 32;
    if (g_desktopWidth <= 0) g_desktopWidth = 1024;
    if (g_desktopHeight <= 0) g_desktopHeight = 768;
    if (g_desktopDepth <= 0) g_desktopDepth = 32;
    if (g_desktopHertz <= 0) g_desktopHertz = 60;
}

// The intro music plays from start-up until a game starts; without it the game is silent.
void StartIntroMusic() {
    auto intro = std::make_shared<Sound>();
    const std::string sounds = ReadFileToString(g_dataPath + "data/sounds/sound.xml", 0);
    intro->LoadFromXML(ExtractTagFromXML(sounds, "intro_music", 0), g_dataPath + "data/sounds/", 0);
    Deref(g_MasterMixer).AddMusic(intro);
}

void UnlinkCurrentGame() {
    if (g_gameUniverse && g_gameUniverse->currentGame) g_gameUniverse->currentGame->Unlink();
}

// Quit and Help with faults in the log: the universe goes, the log is saved and the player
// told where; that ends the program, with endStatus, unless the log could not be saved.
void ErrorExit(int endStatus = 0) {
    if (g_gameUniverse) g_gameUniverse->Unlink();
    g_gameUniverse = nullptr;
    EndGraphics();
    WriteDebugLog(ErrorExitMessage(), endStatus);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine commandLine;
    for (const std::string& arg : args) {
        if (arg == "--editor") {
            commandLine.editor = true;
        } else if (arg == "--help") {
            commandLine.help = true;
        } else if (arg == "--version") {
            commandLine.version = true;
        } else if (commandLine.error.empty()) {
            commandLine.error = "unknown switch \"" + arg + "\"";
        }
    }
    return commandLine;
}

std::string HelpText() {
    return "Usage: brondelvix2 [--editor] [--help] [--version]\n"
           "\n"
           "  --editor    start in the level editor on the current pack (no menu leads there)\n"
           "  --help      show this text and end\n"
           "  --version   show the version and end\n"
           "\n"
           "Environment:\n"
           "  BX2_HEADLESS=1     run with no window and no sound device\n"
           "  BX2_DATA_DIR=DIR   read the game's data from DIR instead of ../share/brondelvix2/\n"
           "                     beside the executable\n"
           "  BX2_FRAME_MS=N     advance the game's clock exactly N ms (1 to 1000000) per drawn frame\n"
           "  BX2_FRAME_TRACE=FILE\n"
           "                     for tests: append a byte to FILE at the end of every frame\n"
           "  BX2_REFUSE_OPENS=2,3\n"
           "                     for tests: make the 2nd and 3rd openings of the screen fail\n"
           "  BX2_AUTOPLAY=1     let the game play itself: the paddle follows the balls and\n"
           "                     falling powerups, and waiting balls are launched\n"
           "  BX2_PLAY_TRACE=FILE\n"
           "                     for tests: append to FILE a line for every powerup caught and\n"
           "                     every brick broken (\"powerup NAME\", \"brick NAME\")\n"
           "  XDG_DATA_HOME=DIR  keep preferences, players, saved games and the error log in\n"
           "                     DIR/Vostrand/Brondelvix 2!/ (by default DIR is ~/.local/share)";
}

bool AutoplayFromEnvironment() {
    const char* v = std::getenv("BX2_AUTOPLAY");
    if (!v || std::string(v).empty() || std::string(v) == "0") return false;
    if (std::string(v) == "1") return true;
    std::cerr << "BX2_AUTOPLAY must be 1 (or 0), not \"" << v << "\"; the game is played by hand." << std::endl;
    return false;
}

void PlayTraceFromEnvironment() {
    const char* v = std::getenv("BX2_PLAY_TRACE");
    if (!v || std::string(v).empty()) return;
    if (OpenPlayTrace(v)) return;
    std::cerr << "BX2_PLAY_TRACE names a file that cannot be written, \"" << v << "\"; no trace is kept." << std::endl;
}

std::string VersionText() { return std::string("Brondelvix 2! ") + BX2_VERSION; }

std::string EndOfRunMessage() {
    return std::string("Brondelvix 2! generated some errors while you were playing.") + "\n\n" + kPleaseSee +
           "bx2_error_log.txt\"" + kSquish;
}

std::string ErrorExitMessage() {
    return std::string("Brondelvix 2! generated some errors while you were playing.") + "\n\n" + kPleaseSee +
           ErrorLogPath() + "\" For details, so that we can find and squish the problem.";
}

std::string UncaughtFailureMessage() {
    return std::string("Brondelvix 2! ran into a problem it could not get past and has to stop.") + "\n\n" +
           kPleaseSee + ErrorLogPath() + "\"" + kSquish;
}

void RunBrondelvix(const std::vector<std::string>& args) {
    const CommandLine commandLine = ParseCommandLine(args);
    if (!commandLine.error.empty()) {
        std::cerr << "brondelvix2: " << commandLine.error << "; brondelvix2 --help lists the switches." << std::endl;
        End(kUsageStatus);
    }
    if (commandLine.help) {
        Print(HelpText());
        End();
    }
    if (commandLine.version) {
        Print(VersionText());
        End();
    }

    // Whatever raises past every handler of the game ends here, never in a silent crash.
    std::string failure;
    try {
        SetBackend(BackendFromEnvironment());
        // A termination signal ends the run on any screen as Command with Q does in a menu.
        SetSignalQuit(QuitNow);
        ApplyClockFromEnvironment();
        ApplyFrameTraceFromEnvironment();
        ApplyOpenRefusalsFromEnvironment();
        PlayLoopState state;
        state.autoplay = AutoplayFromEnvironment() ? 1 : 0;
        PlayTraceFromEnvironment();
        StartUp();
        RunOuterLoop(state, commandLine.editor);
        ShutDown();
        End();
    } catch (const TRuntimeException& e) {
        failure = e.ToString();
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (const std::string& text) {
        failure = text;
    } catch (...) {
        failure = "an unknown failure";
    }
    EndOnUncaughtFailure(failure);
}

void StartUp() {
    // Without a display the game would run on unseen for ever: only the headless backend may.
    std::string why;
    if (!DisplayAvailable(why)) {
        std::cerr << "Brondelvix 2! cannot start: " << why
                  << ". Start it in a desktop session (DISPLAY or WAYLAND_DISPLAY set), or set BX2_HEADLESS=1 to run "
                     "without a window."
                  << std::endl;
        End(kCannotGoOnStatus);
    }
    InitUniverse();
    AppTitle = "Brondelvix 2!";
    ReadDesktopMode();
    g_gameUniverse = std::make_shared<Universe>();
    Universe& universe = *g_gameUniverse;
    universe.Initialize();
    // A mode that fails is said on standard error and the next tried; with none left there is
    // nothing to play on.
    if (universe.OpenGraphicsWithFallback(universe.PickOptimalGraphicsMode(), g_ScreenWidth, g_ScreenHeight,
                                          g_isFullscreen, g_ScreenHertz, g_ScreenDepth,
                                          g_forceDesktopResolution) != 1) {
        EndWithoutScreen();
    }
    HideMouse();
    StartIntroMusic();
    universe.CalculatePlayerStatistics();
}

void RunOuterLoop(PlayLoopState& state, bool editorFirst) {
    // No menu leads to the editor: the command line does, once.
    std::string choiceInsteadOfMenu = editorFirst ? kEditorInsteadOfMenu : "";
    while (state.running == 1) {
        OuterPass(state, choiceInsteadOfMenu);
        choiceInsteadOfMenu.clear();
    }
}

void OuterPass(PlayLoopState& state, const std::string& choiceInsteadOfMenu) {
    Universe& universe = Deref(g_gameUniverse);
    universe.LoadButtonSounds();
    state.editorMode = 0;

    if (state.pendingAction.empty()) {
        FlushKeys();
        FlushMouse();
        const std::string choice = choiceInsteadOfMenu.empty() ? DrawMainMenu(g_gameUniverse) : choiceInsteadOfMenu;
        if (choice == kMainMenuHelp) HelpFromMainMenu();
        if (choice == kMainMenuQuit) QuitFromMainMenu();
        // A main menu that failed chose nothing: starting a game would delete the saved game
        // unasked. Its failure is logged, so the program cannot go on and says so.
        if (choice.empty()) QuitFromMainMenu(kCannotGoOnStatus);
        if (choice == kMainMenuContinue) {
            state.continueFlag = 1;
        } else if (choice == kMainMenuNewGame) {
            state.continueFlag = 0;
        } else if (choice == kEditorInsteadOfMenu) {
            state.editorMode = 1;
        }
    } else {
        // The game-over screen's choice skips the main menu.
        if (state.pendingAction == kPendingNew) state.continueFlag = 0;
        if (state.pendingAction == kPendingContinue) state.continueFlag = 1;
        state.pendingAction.clear();
    }

    FlushKeys();
    state.playing = 1;
    // A pause asked for as the last run ended never opens: the new run starts with sound.
    DropPendingPause();

    if (universe.currentGame) universe.currentGame->Unlink();
    universe.currentGame = nullptr;
    universe.currentGame = std::make_shared<Game>();
    universe.CalculatePlayerStatistics();
    universe.currentGame->StartGame(At(universe.playersArray, universe.currentPlayerIndex),
                                    At(universe.packsArray, universe.currentPackIndex), universe.playersPath,
                                    state.continueFlag, state.editorMode, universe.currentDifficulty);

    if (state.editorMode == 1) {
        const PackPtr pack = universe.currentGame->currentPack;
        // A pack without brick types gives the editor nothing to place: the player is told, and
        // the main menu comes back. Not a fault of the game's, so nothing is logged.
        if (EditorStartRun(state.editor, pack) == 0) {
            std::cerr << Latin1ToUtf8("The level editor cannot run on the pack \"" +
                                      (pack ? pack->name : std::string()) + "\": it has no brick types to place.")
                      << std::endl;
            universe.CalculatePlayerStatistics();
            state.playing = 0;
            universe.currentGame->Unlink();
            Deref(g_MasterMixer).EndMusic();
            return;
        }
        // The pointer's motion before the run is not the cursor's.
        ResetMouseTravel();
    }
    RunPlayLoop(state);
}

int ShutDown() {
    ShowMouse();
    UnlinkCurrentGame();
    if (g_gameUniverse) g_gameUniverse->Unlink();
    g_gameUniverse = nullptr;
    EndGraphics();
    PrintDebugLog();
    // The alert stands on the desktop, the game's window being closed by now.
    if (!g_DebugLog.empty()) WriteDebugLog(EndOfRunMessage());
    return 0;
}

void QuitFromMainMenu(int endStatus) {
    if (!g_DebugLog.empty()) ErrorExit(endStatus);
    ShowMouse();
    UnlinkCurrentGame();
    if (endStatus == 0) End();
    End(endStatus);
}

void HelpFromMainMenu() {
    if (!g_DebugLog.empty()) ErrorExit();
    ShowMouse();
    UnlinkCurrentGame();
    g_gameUniverse = nullptr;
    EndGraphics();
    const std::string page = g_dataPath + "help/index.html";
    if (OpenURL(page)) End();
    // The player asked for the page: say where it is, so it can be opened by hand.
    std::string shown = Latin1ToUtf8(page);
    if (!shown.starts_with('/')) shown = std::filesystem::current_path().string() + "/" + shown;
    std::cerr << "The help page could not be opened in a browser (xdg-open failed or is missing). Open it by hand: "
              << shown << std::endl;
    End(kCannotGoOnStatus);
}

void EndOnUncaughtFailure(const std::string& text) {
    AddLineToDebugLog("brondelvix:main() " + text);
    ShowMouse();
    EndGraphics();
    WriteDebugLog(UncaughtFailureMessage(), kCannotGoOnStatus);
    End(kCannotGoOnStatus);
}
