// The main program: the command line, start-up, the outer loop with its pending actions and
// its editor run, the roads out with their output, error log, alerts and exit statuses, and
// what ends a run that cannot go on.
#include <gtest/gtest.h>

#include "app_support.h"
#include "core/playtrace.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/powerups.h"
#include "sprites/sprites.h"

namespace {

using namespace app_test;

const std::string kEndOfRunAlert =
    "Brondelvix 2! generated some errors while you were playing.\n\nPlease see the file named "
    "\"bx2_error_log.txt\" for details, so that we can find and squish the problem.";

// Whether a frame of the script drew exactly this text.
bool FrameHas(const std::string& frame, const std::string& text) {
    return ("|" + frame).find("|" + text + "|") != std::string::npos;
}

TEST(CommandLine, EachSwitchIsReadAndAnythingElseIsAnError) {
    const struct {
        std::vector<std::string> args;
        bool editor, help, version;
        std::string error;
    } cases[] = {
        {{}, false, false, false, ""},
        {{"--editor"}, true, false, false, ""},
        {{"--help"}, false, true, false, ""},
        {{"--version"}, false, false, true, ""},
        {{"--editor", "--version"}, true, false, true, ""},
        {{"-h"}, false, false, false, "unknown switch \"-h\""},
        {{"--editor", "level.xml", "--bogus"}, true, false, false, "unknown switch \"level.xml\""},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.editor, c.editor);
        EXPECT_EQ(line.help, c.help);
        EXPECT_EQ(line.version, c.version);
        EXPECT_EQ(line.error, c.error);
    }
}

TEST(CommandLine, HelpAndVersionPrintAndEndAndAnUnknownSwitchFails) {
    const struct {
        std::vector<std::string> args;
        int exitStatus;
        std::string out, err;
    } cases[] = {
        {{"--help"}, 0, HelpText() + "\n", ""},
        {{"--version"}, 0, "Brondelvix 2! 0.1.0\n", ""},
        {{"--bogus"}, 2, "", "brondelvix2: unknown switch \"--bogus\"; brondelvix2 --help lists the switches.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const ChildResult child = RunInChild([&] { RunBrondelvix(c.args); });
        EXPECT_EQ(child.exitStatus, c.exitStatus);
        EXPECT_EQ(child.out, c.out);
        EXPECT_EQ(child.err, c.err);
    }
    for (const char* variable : {"BX2_HEADLESS", "BX2_DATA_DIR", "BX2_FRAME_MS", "BX2_FRAME_TRACE", "BX2_REFUSE_OPENS",
                                 "BX2_AUTOPLAY", "BX2_PLAY_TRACE", "XDG_DATA_HOME", "--editor"}) {
        EXPECT_NE(HelpText().find(variable), std::string::npos) << variable;
    }
}

TEST(CommandLine, OnlyAutoplayOneMakesTheGamePlayItselfAndAnythingUnreadableIsSaid) {
    const struct {
        const char* value;  // null: unset
        bool on;
        bool said;
    } cases[] = {
        {nullptr, false, false}, {"", false, false},   {"0", false, false},
        {"1", true, false},      {"yes", false, true}, {"1 ", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "unset");
        if (c.value) {
            setenv("BX2_AUTOPLAY", c.value, 1);
        } else {
            unsetenv("BX2_AUTOPLAY");
        }
        testing::internal::CaptureStderr();
        EXPECT_EQ(AutoplayFromEnvironment(), c.on);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.find("BX2_AUTOPLAY must be 1") != std::string::npos, c.said) << err;
        if (!c.said) {
            EXPECT_EQ(err, "");
        }
    }
    unsetenv("BX2_AUTOPLAY");
}

// The trace appends a line per powerup caught and brick broken, as the pieces report them; a
// file that cannot be written is said and nothing is traced.
class PlayTrace : public GameTest {};

TEST_F(PlayTrace, AppendsWhatWasCaughtAndBrokenAndAnUnwritableFileIsSaid) {
    // Notes stay out of the way, as in a game.
    g_errorseverity = {0, 3, 3};
    const std::string path = ScratchPath() + "/trace.txt";
    const struct {
        const char* value;  // null: unset
        bool said;
        std::string trace;  // the file afterwards
    } cases[] = {
        {nullptr, false, "powerup earlier\n"},
        {"", false, "powerup earlier\n"},
        {"TRACE", false, "powerup earlier\npowerup multiball\nbrick tough\n"},
        {"/no such folder/trace.txt", true, "powerup earlier\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "unset");
        ASSERT_EQ(WriteWholeFile(path, "powerup earlier\n", 0644), 1);
        const std::string value = c.value && std::string(c.value) == "TRACE" ? path : c.value ? c.value : "";
        if (c.value) {
            setenv("BX2_PLAY_TRACE", value.c_str(), 1);
        } else {
            unsetenv("BX2_PLAY_TRACE");
        }
        testing::internal::CaptureStderr();
        PlayTraceFromEnvironment();
        const std::string err = testing::internal::GetCapturedStderr();
        auto brick = std::make_shared<Brick>();
        brick->name = "tough";
        auto stat = std::make_shared<GameStat>();
        Powerup powerup;
        powerup.name = "multiball";
        PaddlePtr paddle;
        std::vector<BallPtr> balls;
        std::vector<WeaponPtr> weapons;
        WeaponPtr weapon;
        std::vector<NainPtr> nains;
        BrickBoxPtr shield;
        int lives = 3, mustClear = 1;
        std::vector<SoundPtr> sounds;
        powerup.AwardPowerup({paddle, balls, weapons, weapon, nains, stat, shield, lives, mustClear, sounds});
        brick->brickSprite = std::make_shared<Sprite>();
        brick->Die(stat, {brick});
        ClosePlayTrace();
        std::string trace;
        ReadWholeFile(path, trace);
        EXPECT_EQ(trace, c.trace);
        if (c.said) {
            EXPECT_EQ(err,
                      "BX2_PLAY_TRACE names a file that cannot be written, \"" + value + "\"; no trace is kept.\n");
        } else {
            EXPECT_EQ(err, "");
        }
    }
    unsetenv("BX2_PLAY_TRACE");
}

class MainProgram : public MainProgramTest {};

TEST_F(MainProgram, StartUpReadsTheDesktopOpensTheScreenHidesThePointerAndPlaysTheIntro) {
    const struct {
        GraphicsMode desktop, recorded;
    } cases[] = {
        {{1280, 1024, 24, 75}, {1280, 1024, 32, 75}},
        {{1280, 1024, 16, 75}, {1280, 1024, 16, 75}},
        {{0, -1, 0, 0}, {1024, 768, 32, 60}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.desktop.depth);
        if (g_gameUniverse) g_gameUniverse->Unlink();
        g_gameUniverse = nullptr;
        ResetHeadlessGraphics();
        SetHeadlessDesktopMode(c.desktop);
        SetHeadlessGraphicsModes({{1024, 768, c.recorded.depth, 60}});
        StartUp();
        EXPECT_EQ((GraphicsMode{g_desktopWidth, g_desktopHeight, g_desktopDepth, g_desktopHertz}), c.recorded);
        EXPECT_TRUE(GraphicsOpen());
        EXPECT_EQ(GraphicsWidth(), 1024) << "the preferences' window";
        EXPECT_FALSE(MouseVisible());
        ASSERT_TRUE(g_MasterMixer->soundArray[0]);
        EXPECT_EQ(g_MasterMixer->soundArray[0]->name, "intro_music");
        EXPECT_EQ(universe().statsHighScoreNames.size(), 15u) << "the statistics are ready for the menus";
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainProgram, GameOverChoicesSkipTheMainMenuAndTheEndShutsDownQuietly) {
    StartUp();
    std::vector<int> continueFlags;
    Script player({
        {"New Game", [] { Press('N'); }},
        {"Normal", [] { Press('N'); }},
        {Playing("Level One"), [&] { level().gameOver = 0.0f; }},
        {"Game Over", [] { Press('C'); }},  // New From This Level
        {Playing("Level One"), [&] { continueFlags.push_back(state.continueFlag), level().gameOver = 0.0f; }},
        {"Game Over", [] { Press('N'); }},  // New Game
        {Playing("Level One"), [&] { continueFlags.push_back(state.continueFlag), Press(KEY_ESCAPE); }},
        {"Paused", [] { Press('Q'); }},
    });
    RunOuterLoop(state, false);
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ(state.running, 0);
    EXPECT_EQ(continueFlags, (std::vector<int>{1, 0}));
    EXPECT_EQ(universe().currentDifficulty, "Normal");
    // The main menu showed only before the first game.
    bool played = false;
    for (const std::string& frame : player.Frames()) {
        played = played || FrameHas(frame, "\"Level One\"");
        if (played) {
            EXPECT_FALSE(FrameHas(frame, "New Game")) << frame;
        }
    }
    EXPECT_EQ(universe().playersArray[0]->gameStatsArray.size(), 2u);

    testing::internal::CaptureStdout();
    EXPECT_EQ(ShutDown(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\r\n") << "the empty debug log, printed";
    EXPECT_EQ(g_gameUniverse, nullptr);
    EXPECT_FALSE(GraphicsOpen());
    EXPECT_TRUE(MouseVisible());
    EXPECT_FALSE(std::filesystem::exists(userFolder + "bx2_error_log.txt"));
}

TEST_F(MainProgram, ARunStartsWithoutAPauseLeftOverAndWithItsSound) {
    StartUp();
    // A pause asked for as the last run ended, with the sound paused while the game was away.
    g_pauseAtFlip = 1;
    g_MasterMixer->Pause();
    state.pendingAction = "New";
    int mixerPaused = -1;
    Script player({{Playing("Level One"),
                    [&] {
                        mixerPaused = g_MasterMixer->masterPause;
                        Press(KEY_ESCAPE);
                    }},
                   {"Paused", [] { Press('Q'); }}});
    OuterPass(state, "");
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ(mixerPaused, 0);
    // The first frame of the run was play, not the pause screen.
    for (const std::string& frame : player.Frames()) {
        if (FrameHas(frame, "\"Level One\"")) {
            EXPECT_FALSE(FrameHas(frame, "Paused")) << frame;
            break;
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainProgram, TheEditorSwitchMakesTheFirstRunAnEditorRunThatKeepsTheSavedGameAndTheEditorsTools) {
    StartUp();
    StartGame();
    game().SaveGame(universe().playersPath, 0);
    const std::string save = ReadText(SavePath());
    ASSERT_FALSE(save.empty());

    // What an earlier editor run left: its tools, cursor and corner stay, its template goes.
    state.editor.editMode = "Delete";
    state.editor.overlayMode = "Overlay";
    state.editor.cursorX = 100.0f, state.editor.cursorY = 200.0f;
    state.editor.rectStartX = 50.0f, state.editor.rectStartY = 60.0f;
    state.editor.templateBrick = std::make_shared<Brick>();
    state.editor.brickTypeIndex = 3;
    Script editor({{Playing("Level One"), [] { Press(KEY_ESCAPE); }}});
    OuterPass(state, "Editor");
    EXPECT_TRUE(editor.Finished());
    EXPECT_EQ(state.editorMode, 1);
    EXPECT_EQ(state.playing, 0);
    EXPECT_EQ(state.running, 1) << "back to the main menu";
    ASSERT_TRUE(state.editor.templateBrick);
    EXPECT_EQ(state.editor.templateBrick->name, "plain");
    EXPECT_EQ(state.editor.brickTypeIndex, 0);
    EXPECT_EQ(state.editor.editMode, "Delete");
    EXPECT_EQ(state.editor.overlayMode, "Overlay");
    EXPECT_EQ(state.editor.cursorX, 100.0f);
    EXPECT_EQ(state.editor.cursorY, 200.0f);
    EXPECT_EQ(state.editor.rectStartX, 50.0f);
    EXPECT_EQ(state.editor.rectStartY, 60.0f);
    EXPECT_EQ(ReadText(SavePath()), save);

    // The next pass plays a game again.
    state.pendingAction = "New";
    Script game({{Playing("Level One"), [] { Press(KEY_ESCAPE); }}, {"Paused", [] { Press('Q'); }}});
    OuterPass(state, "");
    EXPECT_TRUE(game.Finished());
    EXPECT_EQ(state.editorMode, 0);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainProgram, APackWithoutBrickTypesRefusesTheEditorWithAMessageAndNoFault) {
    WritePackFile("bricks.xml", "<bricks>\n</bricks>\n");
    for (const char* file : {"levels/one.xml", "levels/two.xml", "levels/three.xml"}) {
        std::string text = ReadText(dataFolder + "data/packs/quickpack/" + file);
        const size_t brick = text.find("\t<brick>");
        text.erase(brick, text.find("</level>") - brick);
        WritePackFile(file, text);
    }
    StartUp();
    testing::internal::CaptureStderr();
    OuterPass(state, "Editor");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "The level editor cannot run on the pack \"Quick Pack\": it has no brick types to place.\n");
    EXPECT_EQ(state.playing, 0);
    EXPECT_EQ(state.running, 1) << "the main menu comes next";
    EXPECT_EQ(state.editor.templateBrick, nullptr);
    EXPECT_EQ(game().currentLevel, nullptr);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainProgram, PreferredSizesOutsideTheirRangeArePutRightAtUse) {
    WritePrefs("<maxBalls>0</maxBalls><virtualWidth>0</virtualWidth><virtualHeight>-5</virtualHeight>");
    StartUp();
    EXPECT_FLOAT_EQ(g_widthFactor, 1.0f);
    EXPECT_FLOAT_EQ(g_heightFactor, 1.0f);
    // The screens centre their buttons on the logical size, so they stand on the screen.
    EXPECT_EQ(g_virtualWidth, 1024);
    EXPECT_EQ(g_virtualHeight, 768);
    EXPECT_FLOAT_EQ(universe().buttonNewGame->x, 312.0f);
    StartGame();
    EXPECT_EQ(g_maxBalls, 16);
    EXPECT_EQ(level().ballsArray.size(), 16u);
    HoldButton(1);
    Passes(1);
    EXPECT_EQ(level().ballsArray[0]->isStuck, kBallNotStuck) << "a ball to launch";
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainProgram, AGameStartsInTheFallbackWindowWhenTheChosenModeWillNotOpen) {
    WritePrefs("<isFullscreen>1</isFullscreen>");
    // Only a 1024 x 768 window opens.
    SetHeadlessGraphicsRefusal(
        [](const GraphicsMode& m) { return !(m.width == 1024 && m.height == 768 && m.depth == 0); });
    testing::internal::CaptureStderr();
    StartUp();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("The screen would not open at 1024x768, 32-bit color @60Hz."), std::string::npos) << said;
    EXPECT_NE(said.find("Trying a 1024x768 window."), std::string::npos) << said;
    EXPECT_EQ(g_DebugLog, "") << "a recovered failure is no fault of the game";
    ASSERT_TRUE(GraphicsOpen());
    EXPECT_EQ(RecordedGraphicsCalls().back().mode, (GraphicsMode{1024, 768, 0, 60}));
    EXPECT_GE(RecordedGraphicsCalls().size(), 2u);

    Script player({{"New Game", [] { Press('N'); }},
                   {"Normal", [] { Press('N'); }},
                   {Playing("Level One"), [] { Press(KEY_ESCAPE); }},
                   {"Paused", [] { Press('Q'); }}});
    RunOuterLoop(state, false);
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MainProgram, EveryRoadOutPrintsWritesAndAlertsAsItShould) {
    const std::string fullPathAlert =
        "Brondelvix 2! generated some errors while you were playing.\n\nPlease see the "
        "file named \"" +
        userFolder + "bx2_error_log.txt\" For details, so that we can find and squish the problem.";
    // No browser is started from a test: with none to open it, Help says where the page is.
    const std::string noBrowser =
        "The help page could not be opened in a browser (xdg-open failed or is missing). Open it by hand: " +
        dataFolder + "help/index.html";
    const struct Case {
        const char* what;
        void (*road)();
        bool fault;
        std::string alert;
        bool printsLog;
        int status = 0;
    } cases[] = {
        {"the end of the outer loop", [] { std::_Exit(ShutDown()); }, false, "", true},
        {"the end of the outer loop after a fault", [] { std::_Exit(ShutDown()); }, true, kEndOfRunAlert, true},
        {"Quit", [] { QuitFromMainMenu(); }, false, "", false},
        {"Quit after a fault", [] { QuitFromMainMenu(); }, true, fullPathAlert, false},
        {"Help without a browser", [] { HelpFromMainMenu(); }, false, noBrowser, false, kCannotGoOnStatus},
        {"Help after a fault", [] { HelpFromMainMenu(); }, true, fullPathAlert, false},
    };
    const std::string fault = "level:Level.Update() a fault";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(userFolder + "bx2_error_log.txt");
        const ChildResult child = RunInChild([&] {
            setenv("PATH", "/nonexistent", 1);
            g_debugLogQuiet = 0;
            StartUp();
            if (c.fault) AddLineToDebugLog(fault);
            c.road();
        });
        // The player chose to leave: a saved error log does not make it a failure.
        EXPECT_EQ(child.exitStatus, c.status);
        EXPECT_EQ(child.err, c.alert.empty() ? "" : c.alert + "\n");
        const std::string logPath = userFolder + "bx2_error_log.txt";
        if (c.fault) {
            EXPECT_EQ(ReadText(logPath), fault + "\n");
            EXPECT_EQ(ModeOf(logPath), 0444);
        } else {
            EXPECT_FALSE(std::filesystem::exists(logPath));
        }
        // Every line is printed as it is logged; the end of the outer loop prints the log again.
        const std::string end = c.printsLog ? (c.fault ? fault + "\n\r\n" : "\n\r\n") : (c.fault ? fault + "\r\n" : "");
        EXPECT_TRUE(child.out.ends_with(end)) << child.out;
    }
}

TEST_F(MainProgram, AMainMenuThatFailsTakesTheQuitRoadWithAFailedStatusAndStartsNoGame) {
    const std::string alert =
        "Brondelvix 2! generated some errors while you were playing.\n\nPlease see the file named \"" + userFolder +
        "bx2_error_log.txt\" For details, so that we can find and squish the problem.";
    StartUp();
    StartGame();
    ASSERT_EQ(game().SaveGame(universe().playersPath, 0), 0);
    const std::string save = ReadText(SavePath());
    ASSERT_FALSE(save.empty());
    universe().currentGame->Unlink();
    universe().currentGame = nullptr;
    const ChildResult child = RunInChild([&] {
        // A pack entry that is not there: the pack chooser's road fails on it.
        universe().packsArray.push_back(nullptr);
        Script player({{"New Game", [] { Press('K'); }}});
        RunOuterLoop(state, false);
    });
    EXPECT_EQ(child.exitStatus, kCannotGoOnStatus);
    EXPECT_EQ(child.err, alert + "\n");
    const std::string log = ReadText(userFolder + "bx2_error_log.txt");
    EXPECT_EQ(log, "menu:DrawMainMenu() " + std::string(kNullAccessMessage) + "\n");
    EXPECT_EQ(ReadText(SavePath()), save) << "no game started, so the saved game is still there";
}

TEST_F(MainProgram, ARunThatCannotGoOnSavesTheLogSaysWhyAndFails) {
    const std::string alert =
        "Brondelvix 2! ran into a problem it could not get past and has to stop.\n\nPlease see "
        "the file named \"" +
        userFolder + "bx2_error_log.txt\" for details, so that we can find and squish the problem.";
    const struct Case {
        const char* what;
        std::function<void()> make;
        std::vector<Script::Step> player;
        std::string logged, said;
    } cases[] = {
        {"no screen at all",
         [] { SetHeadlessGraphicsRefusal([](const GraphicsMode&) { return true; }); },
         {},
         " NOTE: The game cannot go on as asked. (No screen would open, not even a 1024x768 window.)",
         "The game cannot go on as asked. (No screen would open, not even a 1024x768 window.)"},
        {"no preferences, not even the defaults",
         [this] {
             std::filesystem::remove(userFolder + "data/prefs.xml");
             std::filesystem::remove(dataFolder + "data/default_prefs.xml");
         },
         {},
         "Your default preferences file is missing.",
         alert},
        {"a first level that cannot be read: the game start's load error",
         [this] { std::filesystem::remove(dataFolder + "data/packs/quickpack/levels/one.xml"); },
         {{"New Game", [] { Press('N'); }}, {"Normal", [] { Press('N'); }}},
         "levels/one.xml",
         "Brondelvix 2! generated some errors when trying to load this game pack."},
        {"a report that raises in play, past every handler",
         [] {},
         {{"New Game", [] { Press('N'); }},
          {"Normal", [] { Press('N'); }},
          {Playing("Level One"),
           [this] {
               // The progress notes given a severity that throws, and a level change to note.
               for (size_t i = 0; i < g_errorcode.size(); ++i) {
                   if (g_errorcode[i] == 1) g_errorseverity[i] = 4;
               }
               level().nextLevel = "Level Two";
               level().levelEndTTL = 0.0f;
           }}},
         "brondelvix:main() Progress note (***************** Moving on to next level!)",
         alert},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case on fresh folders.
        TearDown();
        SetUp();
        const ChildResult child = RunInChild([&] {
            c.make();
            Script player(c.player);
            RunBrondelvix({});
        });
        EXPECT_EQ(child.exitStatus, kCannotGoOnStatus);
        EXPECT_NE(child.err.find(c.said), std::string::npos) << child.err;
        const std::string logPath = userFolder + "bx2_error_log.txt";
        EXPECT_NE(ReadText(logPath).find(c.logged), std::string::npos) << ReadText(logPath);
        EXPECT_EQ(ModeOf(logPath), 0444);
    }
}

}  // namespace
