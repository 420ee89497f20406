// The pause and game-over screens as a player meets them, through the end-to-end harness: the
// real executable on a pack without backgrounds whose bricks cross the field's right and bottom
// edges, run with a fixed frame time. What the screens show (veil, fades, buttons and their free
// row, captions, the panel's colours, the field's clip, the pointer, labels inside their buttons),
// what each choice leaves in the player's files, and the screen that follows; clicks and taps
// shorter than a frame; and the termination signals, which end the program on every screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/e2e.h"
#include "support/e2e_screens.h"
#include "support/scratch_folder.h"
#include "support/support.h"

// After GoogleTest, whose names the X headers' macros (None, Bool) would otherwise replace.
#include <X11/Xlib.h>

namespace {

using namespace e2e;
namespace fs = std::filesystem;

const std::string kPlayer = "Nameless Wonder";
const std::string kSaveFile = "data/players/" + kPlayer + "/save_edgepack.xml";
const std::string kPlayerFile = "data/players/" + kPlayer + "/player.xml";

bool BrickRed(Rgb c) { return c.r > 100 && c.g < 90 && c.b < 90; }

// Play itself, not a frame of a fade over it: its first frame is already a little darker, so
// the panel's white figures no longer reach 250.
constexpr int kFullLight = 250;

// N without cheats must not do what N with them does: end the level, whose closing fade takes
// 20 frames of 40 ms, and save the game at the next one.
constexpr int kFramesForALevelChange = 60;

// One pack and a saved game: Continue, New Game, Players, Scores, Options, Help and Quit.
constexpr int kMainMenuWithContinue = 7;

// A frame of a closing fade: no box or button, the field's brick still red in hue but darker than
// it is drawn (about 160 red), anywhere from just begun to nearly black. The window is wide on
// purpose: a screenshot of a loaded machine catches only a few of the fade's twenty frames.
bool Darkened(const Screenshot& s, const View& v) {
    if (ButtonsShown(s, v) != 0 || OnMenuBackground(s, v)) return false;
    const Rgb brick = s.Mean(v.Area(326, 100, 48, 20));
    return brick.r >= 8 && brick.r <= 145 && brick.r > 2 * brick.g && brick.r > 2 * brick.b;
}

// --- The runs.

GameOptions EdgePackRun(const DataFolder& data, int width = 1024, int height = 768, int frameMs = 40) {
    return {.width = width, .height = height, .dataDir = data.Path(), .frameMs = frameMs};
}
// Frames of 5 ms make a closing fade 160 frames long instead of 20: long enough for the
// screenshots of a loaded machine to catch some of it, where the twenty frames of 40 ms can all
// pass between two screenshots.
constexpr int kLongFadeFrameMs = 5;

// The game on the edge pack, in a window of the given size and a language that fills the screen.
void StartOnEdgePack(GameRun& game, int width = 1024, int height = 768, const std::string& language = "en") {
    game.SeedUserFile("data/prefs.xml", ShippedPrefs({{"currentPackName", "edgepack"},
                                                      {"screenWidth", std::to_string(width)},
                                                      {"screenHeight", std::to_string(height)},
                                                      {"language", language}}));
    StartFillingTheScreen(game);
}

// From the main menu into the first level: New Game, then Normal.
void NewGame(GameRun& game) {
    // Its buttons, not its fade-in, which drops the keys pressed meanwhile.
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the difficulty step", MenuWith(game, 5)));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the first level in play", Playing(game, kFullLight)));
}

// The first level cleared with one shot: the second level begins and the game is saved.
void ToSecondLevel(GameRun& game) {
    Launch(game);
    ASSERT_TRUE(game.WaitForUserFile(kSaveFile));
    ASSERT_TRUE(game.WaitForScreen("the second level in play", Playing(game, kFullLight)));
}

void Pause(GameRun& game) {
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the pause screen over the game", OverGameWith(game, 3)));
}

// The field's clip: bricks show up to one logical pixel past the field's right and bottom edges
// (columns and rows below trunc(4f) + trunc(721f) and trunc(4f) + trunc(761f)) and not beyond.
void ExpectFieldClip(const Screenshot& s, const View& k) {
    const double fx = s.Width() / 1024.0, fy = s.Height() / 768.0;
    const int right = static_cast<int>(4 * fx) + static_cast<int>(721 * fx);
    const int bottom = static_cast<int>(4 * fy) + static_cast<int>(761 * fy);
    const int rowsOfRightBrick = k.Y(654), heightOfRightBrick = k.Y(666) - k.Y(654);
    EXPECT_GT(s.Count({right - 3, rowsOfRightBrick, 3, heightOfRightBrick}, BrickRed), 2 * heightOfRightBrick)
        << "the right brick up to the clip";
    EXPECT_EQ(s.Count({right, rowsOfRightBrick, k.X(746) - right, heightOfRightBrick}, BrickRed), 0)
        << "the right brick beyond the clip, from column " << right;
    const int columnsOfBottomBrick = k.X(504), widthOfBottomBrick = k.X(544) - k.X(504);
    EXPECT_GT(s.Count({columnsOfBottomBrick, bottom - 3, widthOfBottomBrick, 3}, BrickRed), 2 * widthOfBottomBrick)
        << "the bottom brick down to the clip";
    EXPECT_EQ(s.Count({columnsOfBottomBrick, bottom, widthOfBottomBrick, k.Y(768) - bottom}, BrickRed), 0)
        << "the bottom brick beyond the clip, from row " << bottom;
}

// One line of the panel, logical top y, drawn in white or in pale green.
const Rgb kWhite{255, 255, 255};
const Rgb kPaleGreen{200, 255, 200};
int PanelLinePixels(const Screenshot& s, const View& v, int y, Rgb colour) {
    return s.Count(v.Area(736, y, 280, 26), IsNear(colour, 4));
}

// --- The pause screen.

TEST(PauseScreen, EscapeShowsTheFrozenGameUnderItsBoxAndEscapeResumesWithNoFade) {
    DataFolder data({"menu/edgepack"});
    GameRun game(EdgePackRun(data));
    StartOnEdgePack(game);
    NewGame(game);
    const Screenshot playing = game.Capture();
    game.SaveScreenshot(playing, "playing");

    Pause(game);
    // The pointer, drawn by the screen itself, in the empty part of the field.
    game.MoveTo(game.Window().x + 150, game.Window().y + 560);
    ASSERT_TRUE(game.WaitForScreen("the pointer over the field", [](const Screenshot& s) {
        return s.Count({152, 562, 16, 16}, IsNotBlack()) > 40;
    }));
    const Screenshot paused = game.Capture();
    game.SaveScreenshot(paused, "paused");

    // The title in green over the box, three buttons with a free row between the first two.
    EXPECT_GT(paused.Count({362, 198, 300, 40}, IsNear({0, 200, 0}, 10)), 50) << "the title";
    const View v(game.Window());
    const std::vector<Stretch> rows = ButtonRows(paused, v);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NEAR(rows[1].from - rows[0].from, 2 * (rows[2].from - rows[1].from), 2) << "a free row after Resume Game";
    // The field as it stood, its bricks clipped at the field's edges.
    EXPECT_GT(paused.Count({326, 100, 48, 20}, BrickRed), 500) << "the brick the ball aims at";
    ExpectFieldClip(paused, View(game.Window()));
    // The panel: a score level with the player's and everybody's best (0) stays white, a level
    // one past them (1 against 0) is pale green; the ball drawn last without blending takes
    // nothing from the texts.
    for (const int y : {380, 410, 530, 560}) {
        SCOPED_TRACE(y);
        EXPECT_GT(PanelLinePixels(paused, v, y, kWhite), 15);
        EXPECT_EQ(PanelLinePixels(paused, v, y, kPaleGreen), 0);
    }
    for (const int y : {450, 480, 600, 630}) {
        SCOPED_TRACE(y);
        EXPECT_GT(PanelLinePixels(paused, v, y, kPaleGreen), 15);
        EXPECT_EQ(PanelLinePixels(paused, v, y, kWhite), 0);
    }
    const Region nameLine{736, 340, 280, 26};
    EXPECT_LT(paused.Count(nameLine, IsLight()), nameLine.w * nameLine.h / 3) << "letters, not blocks";
    EXPECT_EQ(playing.Count({152, 562, 16, 16}, IsNotBlack()), 0) << "no pointer in play";

    // Escape: play again at once, never darker than play.
    game.Tap("Escape");
    bool darkened = false;
    Screenshot last;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < until) {
        last = game.Capture();
        darkened = darkened || Darkened(last, v);
        if (Playing(game, kFullLight)(last)) break;
    }
    game.SaveScreenshot(last, "resumed");
    EXPECT_TRUE(Playing(game, kFullLight)(last));
    EXPECT_FALSE(darkened);
    EXPECT_EQ(last.Count({152, 562, 16, 16}, IsNotBlack()), 0) << "the pointer hidden again";
    EXPECT_GT(last.Count(v.Area(740, 100, 280, 170), IsLight(240)), 60) << "the panel at full light";

    Pause(game);
    game.Tap("q");
    ExpectCleanExit(game);
}

struct ScreenSize {
    int width, height;
};

class PauseScreenSizes : public ::testing::TestWithParam<ScreenSize> {};

TEST_P(PauseScreenSizes, TheFieldIsClippedOneLogicalPixelPastItsRightAndBottomEdges) {
    const ScreenSize size = GetParam();
    DataFolder data({"menu/edgepack"});
    GameRun game(EdgePackRun(data, size.width, size.height));
    StartOnEdgePack(game, size.width, size.height);
    NewGame(game);
    const std::string name = std::to_string(size.width) + "x" + std::to_string(size.height);
    const Screenshot playing = game.Capture();
    game.SaveScreenshot(playing, "playing-" + name);
    ASSERT_EQ(playing.Width(), size.width);
    ExpectFieldClip(playing, View(game.Window()));
    Pause(game);
    const Screenshot paused = game.Capture();
    game.SaveScreenshot(paused, "paused-" + name);
    ExpectFieldClip(paused, View(game.Window()));
    game.Tap("q");
    ExpectCleanExit(game);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PauseScreenSizes,
                         ::testing::Values(ScreenSize{800, 600}, ScreenSize{1024, 768}, ScreenSize{1280, 960}),
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST(PauseScreen, QuitToMenuFadesTheGameOutAndWritesNothing) {
    DataFolder data({"menu/edgepack"});
    GameRun game(EdgePackRun(data, 1024, 768, kLongFadeFrameMs));
    StartOnEdgePack(game);
    NewGame(game);
    ToSecondLevel(game);
    Pause(game);
    const std::string save = game.ReadUserFile(kSaveFile).value_or("?");
    const std::string player = game.ReadUserFile(kPlayerFile).value_or("?");

    game.Tap("m");
    // The leaving frames: the frozen game darkening, no box, no button, no pointer.
    int fading = 0;
    Screenshot shot;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < until) {
        shot = game.Capture();
        if (OnMenuBackground(shot, View(game.Window()))) break;
        if (Darkened(shot, View(game.Window()))) game.SaveScreenshot(shot, "leaving-" + std::to_string(fading++));
    }
    EXPECT_GT(fading, 0) << "no darkening frame was caught";
    ASSERT_TRUE(game.WaitForScreen("the main menu, with Continue", MenuWith(game, kMainMenuWithContinue)));
    game.SaveScreenshot("main-menu");
    EXPECT_EQ(game.ReadUserFile(kSaveFile), save);
    EXPECT_EQ(game.ReadUserFile(kPlayerFile), player);

    game.Tap("Escape");
    ExpectCleanExit(game);
    EXPECT_EQ(game.ReadUserFile(kSaveFile), save);
    EXPECT_EQ(game.ReadUserFile(kPlayerFile), player);
}

TEST(PauseScreen, QuitEndsTheProgramAndWritesNothing) {
    DataFolder data({"menu/edgepack"});
    GameRun game(EdgePackRun(data));
    StartOnEdgePack(game);
    NewGame(game);
    ToSecondLevel(game);
    Pause(game);
    const std::string save = game.ReadUserFile(kSaveFile).value_or("?");
    const std::string player = game.ReadUserFile(kPlayerFile).value_or("?");
    game.Tap("q");
    ExpectCleanExit(game);
    EXPECT_EQ(game.ReadUserFile(kSaveFile), save);
    EXPECT_EQ(game.ReadUserFile(kPlayerFile), player);
}

TEST(PauseScreen, CheatsAreAskedForAndTheirGameStaysOutOfTheRecords) {
    DataFolder data({"menu/edgepack"});
    GameRun game(EdgePackRun(data));
    StartOnEdgePack(game);
    NewGame(game);

    // C, then Escape at the question: nothing changes, and the cheat keys stay dead.
    Pause(game);
    game.Tap("c");
    ASSERT_TRUE(game.WaitForScreen("the question over the menu background", QuestionShown(game)));
    game.SaveScreenshot("enable-cheats");
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the pause screen again", OverGameWith(game, 3)));
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("play again", Playing(game, kFullLight)));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForFrames(kFramesForALevelChange));
    EXPECT_FALSE(game.ReadUserFile(kSaveFile).has_value()) << "N skipped the level without cheats";

    // C, then Enter: cheats on; after resuming a million points and the level skipped.
    Pause(game);
    game.Tap("c");
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown(game)));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the pause screen again", OverGameWith(game, 3)));
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("play again", Playing(game, kFullLight)));
    game.Tap("c");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForUserFile(kSaveFile));
    const std::string save = game.ReadUserFile(kSaveFile).value_or("");
    EXPECT_EQ(Element(save, "cheatEnabled"), "1");
    EXPECT_EQ(Element(save, "score"), "1000000") << save;

    // One more skip: the last level loses its ball, and the cheated game is recorded.
    ASSERT_TRUE(game.WaitForScreen("the second level", Playing(game, kFullLight)));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the game-over screen", OverGameWith(game, 4)));
    const std::string player = game.ReadUserFile(kPlayerFile).value_or("");
    EXPECT_EQ(Occurrences(player, "<gameStat>"), 1) << player;
    EXPECT_EQ(Element(player, "cheatEnabled"), "1") << player;

    // A new game: no record counts, the player's own best and everybody's are still 0.
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the first level of a new game", Playing(game, kFullLight)));
    Pause(game);
    const Screenshot paused = game.Capture();
    game.SaveScreenshot(paused, "paused-after-a-cheated-game");
    for (const int y : {410, 560}) {
        SCOPED_TRACE(y);
        const Region line = View(game.Window()).Area(736, y, 280, 26);
        int left = line.x + line.w, right = line.x;
        for (int x = line.x; x < line.x + line.w; ++x) {
            for (int row = line.y; row < line.y + line.h; ++row) {
                if (!IsLight()(paused.At(x, row))) continue;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        EXPECT_LT(right - left, 30) << "a single 0, not 1,000,000";
    }
    game.Tap("q");
    ExpectCleanExit(game);
}

// --- Clicks and taps shorter than a frame: press and release sent together, as a touchpad's
// tap-to-click sends them.

TEST(QuickInput, AClickOrTapShorterThanAFrameActsOnMenusInPlayAndAsCommandQ) {
    DataFolder data({"menu/edgepack"});
    GameRun game(EdgePackRun(data));
    StartOnEdgePack(game);
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    // New Game, the column's first button.
    const std::vector<Stretch> rows = ButtonRows(game.Capture(), View(game.Window()));
    ASSERT_EQ(rows.size(), 6u);
    game.MoveTo(game.ScreenWidth() / 2, rows[0].from + 8);
    game.QuickClick();
    ASSERT_TRUE(game.WaitForScreen("the difficulty step after a quick click on New Game", MenuWith(game, 5)));
    // Back where the pointer starts, so that play begins as in the other tests: the paddle in its
    // place, and the level cleared by the first shot.
    game.MoveTo(game.ScreenWidth() / 2, game.ScreenHeight() / 2);
    game.QuickTap("n");
    ASSERT_TRUE(game.WaitForScreen("the first level in play", Playing(game, kFullLight)));
    game.QuickClick();
    ASSERT_TRUE(game.WaitForUserFile(kSaveFile)) << "the ball was launched and cleared the level";

    Pause(game);
    game.Tap("m");
    ASSERT_TRUE(game.WaitForScreen("the main menu, with Continue", MenuWith(game, kMainMenuWithContinue)));
    // Command held on its own for a few frames, then Q tapped with no hold.
    game.KeyDown("Ctrl");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    game.QuickTap("q");
    ExpectCleanExit(game);
}

// --- Termination signals end the program on every screen, as Command with Q does in a menu:
// status 0, nothing written.

enum class Where { MainMenu, Play, Pause, GameOver };
struct SignalCase {
    const char* name;
    Where where;
    int signal;
};

class SignalOnScreen : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalOnScreen, EndsTheProgramWithStatus0AndWritesNothing) {
    const SignalCase c = GetParam();
    DataFolder data({"menu/edgepack"});
    GameRun game(EdgePackRun(data));
    StartOnEdgePack(game);
    if (c.where == Where::MainMenu) {
        ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    } else {
        NewGame(game);
        ToSecondLevel(game);
    }
    if (c.where == Where::Pause) Pause(game);
    if (c.where == Where::GameOver) {
        const std::string save = game.ReadUserFile(kSaveFile).value_or("");
        Launch(game);
        ASSERT_TRUE(game.WaitForUserFileChange(kSaveFile, save));
        ASSERT_TRUE(game.WaitForScreen("the game-over screen", OverGameWith(game, 4)));
    }
    const std::optional<std::string> save = game.ReadUserFile(kSaveFile);
    const std::optional<std::string> player = game.ReadUserFile(kPlayerFile);
    const std::optional<std::string> prefs = game.ReadUserFile("data/prefs.xml");
    game.Signal(c.signal);
    ExpectCleanExit(game);
    EXPECT_EQ(game.ReadUserFile(kSaveFile), save);
    EXPECT_EQ(game.ReadUserFile(kPlayerFile), player);
    EXPECT_EQ(game.ReadUserFile("data/prefs.xml"), prefs);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, SignalOnScreen,
    ::testing::Values(
        SignalCase{"MainMenuTERM", Where::MainMenu, SIGTERM}, SignalCase{"MainMenuINT", Where::MainMenu, SIGINT},
        SignalCase{"MainMenuHUP", Where::MainMenu, SIGHUP}, SignalCase{"PlayTERM", Where::Play, SIGTERM},
        SignalCase{"PlayINT", Where::Play, SIGINT}, SignalCase{"PlayHUP", Where::Play, SIGHUP},
        SignalCase{"PauseTERM", Where::Pause, SIGTERM}, SignalCase{"PauseINT", Where::Pause, SIGINT},
        SignalCase{"PauseHUP", Where::Pause, SIGHUP}, SignalCase{"GameOverTERM", Where::GameOver, SIGTERM},
        SignalCase{"GameOverINT", Where::GameOver, SIGINT}, SignalCase{"GameOverHUP", Where::GameOver, SIGHUP}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The game-over screen: every choice from a fresh profile.

struct Ending {
    const char* name;
    std::function<void(GameRun&)> act;
    bool quitsAtOnce;  // no choice is made: nothing more is written
};

void Key(GameRun& game, const char* key) { game.Tap(key); }
// Command with Q as the game watches for it: Command held first, then Q held down with it.
void CommandQ(GameRun& game) {
    game.KeyDown("Ctrl");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    game.KeyDown("q");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    game.KeyUp("q");
    game.KeyUp("Ctrl");
}

void CloseWindow(GameRun& game) { game.CloseWindow(); }

class GameOverChoice : public ::testing::TestWithParam<Ending> {};

TEST_P(GameOverChoice, IsRecordedOnceAndLeavesTheSavedGameItsChoiceCallsFor) {
    const Ending ending = GetParam();
    const std::string name = ending.name;
    DataFolder data({"menu/edgepack"});
    GameRun game(EdgePackRun(data, 1024, 768, kLongFadeFrameMs));
    StartOnEdgePack(game);
    NewGame(game);
    ToSecondLevel(game);
    const std::string firstSave = game.ReadUserFile(kSaveFile).value_or("");
    Launch(game);
    ASSERT_TRUE(game.WaitForUserFileChange(kSaveFile, firstSave));
    const std::string lastLevelSave = game.ReadUserFile(kSaveFile).value_or("");
    ASSERT_EQ(Element(lastLevelSave, "saveLevel"), "Fall");

    ASSERT_TRUE(game.WaitForScreen("the game-over screen over the game", OverGameWith(game, 4)));
    const Screenshot over = game.Capture();
    game.SaveScreenshot(over, "game-over");
    const View v(game.Window());
    const std::vector<Stretch> rows = ButtonRows(over, v);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_NEAR(rows[2].from - rows[1].from, 2 * (rows[1].from - rows[0].from), 2) << "a free row before Quit To Menu";
    EXPECT_GT(over.Count({312, 198, 400, 40}, IsNear({0, 200, 0}, 10)), 50) << "the title";
    ExpectFieldClip(over, v);
    // 20 points and level 3, beyond every record there was: every pair pale green.
    for (const int y : {380, 410, 450, 480, 530, 560, 600, 630}) {
        SCOPED_TRACE(y);
        EXPECT_GT(PanelLinePixels(over, v, y, kPaleGreen), 15);
    }
    const std::string player = game.ReadUserFile(kPlayerFile).value_or("");
    EXPECT_EQ(Occurrences(player, "<gameStat>"), 1) << player;
    EXPECT_EQ(Element(player, "score"), "20");
    EXPECT_EQ(Element(player, "level"), "3");

    ending.act(game);
    if (ending.quitsAtOnce) {
        ExpectCleanExit(game);
        EXPECT_EQ(game.ReadUserFile(kSaveFile), lastLevelSave) << "quitting writes no saved game";
        EXPECT_EQ(game.ReadUserFile(kPlayerFile), player);
        return;
    }

    // The fade under the overlay, then the screen that follows the choice.
    std::function<bool(const Screenshot&)> following = [](const Screenshot&) { return false; };
    if (name == "N") following = Playing(game, kFullLight);
    if (name == "Escape") following = MenuWith(game, kMainMenuWithContinue);
    // From the level reached: the last level again, whose ball falls at once.
    if (name == "C") following = OverGameWith(game, 4);
    int fading = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (std::chrono::steady_clock::now() < until && game.Running()) {
        const Screenshot shot = game.Capture();
        if (Darkened(shot, v)) {
            game.SaveScreenshot(shot, "closing-" + std::to_string(fading++));
        } else if (fading > 0 && following(shot)) {
            // Only after the fade: its first frames are barely darker than the screen it leaves,
            // which is also what C leads to.
            game.SaveScreenshot(shot, "after-" + name);
            break;
        }
    }
    EXPECT_GT(fading, 0) << "no closing frame was caught";
    if (name == "Q") ExpectCleanExit(game);
    if (name == "N") {
        ASSERT_TRUE(game.WaitForScreen("the first level of a new game", Playing(game, kFullLight)));
        EXPECT_GT(game.Capture().Count({326, 100, 48, 20}, BrickRed), 500) << "the first level's brick";
        EXPECT_FALSE(game.ReadUserFile(kSaveFile).has_value()) << "a new game drops the saved one";
    }
    if (name == "Escape") {
        ASSERT_TRUE(game.WaitForScreen("the main menu, with Continue", MenuWith(game, kMainMenuWithContinue)));
    }
    if (name == "C") {
        ASSERT_TRUE(game.WaitForScreen("the game-over screen again", OverGameWith(game, 4)));
    }

    // Every choice saved the level reached with fresh lives and a reset record.
    if (name != "N") {
        const std::string save = game.ReadUserFile(kSaveFile).value_or("");
        EXPECT_EQ(Element(save, "saveLevel"), "Fall") << save;
        EXPECT_EQ(Element(save, "lives"), "1");
        EXPECT_EQ(Element(save, "score"), "0");
        EXPECT_EQ(Element(save, "level"), "1");
        EXPECT_EQ(Element(save, "cheatEnabled"), "0");
    }
    const std::string players = game.ReadUserFile(kPlayerFile).value_or("");
    EXPECT_EQ(Occurrences(players, "<gameStat>"), name == "C" ? 2 : 1) << "the continued game ended once more";

    if (name == "N") Pause(game);
    if (name != "Q") game.Tap(name == "Escape" ? "Escape" : "q");
    ExpectCleanExit(game);
}

INSTANTIATE_TEST_SUITE_P(Endings, GameOverChoice,
                         ::testing::Values(Ending{"C", [](GameRun& g) { Key(g, "c"); }, false},
                                           Ending{"N", [](GameRun& g) { Key(g, "n"); }, false},
                                           Ending{"Escape", [](GameRun& g) { Key(g, "Escape"); }, false},
                                           Ending{"Q", [](GameRun& g) { Key(g, "q"); }, false},
                                           Ending{"CommandQ", CommandQ, true},
                                           Ending{"WindowClose", CloseWindow, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- The longest labels: the English ones on the game-over screen ran past their buttons.

struct Labelled {
    const char* language;
    int width, height;
};

// The idle label's green, far brighter than a button's empty face.
bool LabelInk(Rgb c) { return c.g > 100 && c.g > 2 * c.r && c.g > 2 * c.b; }

// Every button of the column keeps its label off its green borders: no letter in the few columns
// outside each side border, nor in the two just inside it, over the rows of the face.
void ExpectLabelsInsideButtons(const Screenshot& s, const View& v) {
    const std::vector<Stretch> rows = ButtonRows(s, v);
    ASSERT_GE(rows.size(), 2u);
    const int height = rows[1].from - rows[0].from - 4;
    const int l = v.X(312), r = v.X(712);
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "button " << i + 1 << " at row " << rows[i].from);
        const int top = rows[i].from + 3, h = height - 6;
        EXPECT_EQ(s.Count({l - 7, top, 5, h}, LabelInk), 0) << "left of the button";
        EXPECT_EQ(s.Count({l + 1, top, 2, h}, LabelInk), 0) << "on its left edge";
        EXPECT_EQ(s.Count({r - 3, top, 2, h}, LabelInk), 0) << "on its right edge";
        EXPECT_EQ(s.Count({r + 2, top, 5, h}, LabelInk), 0) << "right of the button";
        EXPECT_GT(s.Count({l + 1, top, r - l - 2, h}, LabelInk), 20) << "a label at all";
    }
}

class LongLabels : public ::testing::TestWithParam<Labelled> {};

TEST_P(LongLabels, StayInsideTheirButtonsOnThePlayersAndGameOverScreens) {
    const Labelled setting = GetParam();
    const std::string name =
        std::string(setting.language) + "-" + std::to_string(setting.width) + "x" + std::to_string(setting.height);
    DataFolder data({"menu/edgepack"});
    GameRun game(EdgePackRun(data, setting.width, setting.height));
    StartOnEdgePack(game, setting.width, setting.height, setting.language);
    const auto expectLabelsInside = [&](const std::string& screen) {
        const Screenshot shot = game.Capture();
        game.SaveScreenshot(shot, screen + "-" + name);
        SCOPED_TRACE("the " + screen + " screen");
        ExpectLabelsInsideButtons(shot, View(game.Window()));
    };
    // The pointer away from the column, so that every label shows its idle green.
    game.MoveTo(2, 2);
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    game.Tap("p");
    ASSERT_TRUE(game.WaitForScreen("the players screen", MenuWith(game, 5)));
    expectLabelsInside("players");
    game.Tap("Escape");
    NewGame(game);
    ToSecondLevel(game);
    Launch(game);
    ASSERT_TRUE(game.WaitForScreen("the game-over screen", OverGameWith(game, 4)));
    // Play kept the pointer in the middle of the screen, between two rows of buttons.
    game.MoveTo(2, 2);
    ASSERT_TRUE(game.WaitForScreen("the pointer in the corner", [](const Screenshot& s) {
        return s.Count({2, 2, 12, 12}, IsLight(200)) > 10;
    }));
    expectLabelsInside("game-over");
    game.Tap("q");
    ExpectCleanExit(game);
}

INSTANTIATE_TEST_SUITE_P(LanguagesAndSizes, LongLabels,
                         ::testing::Values(Labelled{"en", 800, 600}, Labelled{"en", 1024, 768},
                                           Labelled{"fr", 800, 600}, Labelled{"de", 1024, 768}),
                         [](const auto& info) {
                             return std::string(info.param.language) + "_" + std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

}  // namespace
