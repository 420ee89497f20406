// The main menu as a player meets it, through the end-to-end harness: the first start's column
// with its caption and hover colours, a saved game that asks before it is abandoned and is then
// recorded, the pack chooser over two packs, the scores screen, and every way out (Ctrl+Q, Q
// before Ctrl, Escape after the fade-out, Help through the browser, closing the window).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/globals.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "players/players.h"
#include "players/savedgame.h"
#include "support/e2e.h"
#include "support/scratch_folder.h"
#include "support/support.h"

// After GoogleTest, whose names the X headers' macros (None, Bool) would otherwise replace.
#include <X11/Xlib.h>

namespace {

using namespace e2e;
namespace fs = std::filesystem;

const std::string kTitle = "Brondelvix 2!";
const std::string kPlayer = "Nameless Wonder";
const std::string kPlayerFile = "data/players/" + kPlayer + "/player.xml";
std::string SaveFile(const std::string& saveName) { return "data/players/" + kPlayer + "/save_" + saveName + ".xml"; }

// The shipped data folder but for its packs: the quick pack, and with two packs the quick pack
// again as "Second Pack".
class DataFolder {
public:
    explicit DataFolder(bool twoPacks) {
        const std::string data = scratch_.path() + "/data/";
        LinkShippedDataWithoutPacks(scratch_.path() + "/");
        fs::copy(FixturePath("app/quickpack"), data + "packs/quickpack", fs::copy_options::recursive);
        if (twoPacks) {
            fs::copy(FixturePath("app/quickpack"), data + "packs/secondpack", fs::copy_options::recursive);
            fs::copy_file(FixturePath("menu/secondpack/info.xml"), data + "packs/secondpack/info.xml",
                          fs::copy_options::overwrite_existing);
        }
    }
    std::string Path() const { return scratch_.path() + "/"; }

private:
    ScratchFolder scratch_;
};

// The shipped default preferences on the quick pack.
std::string QuickPackPrefs() {
    std::string prefs = ReadFile(Resources() + "data/default_prefs.xml");
    const std::string from = "<currentPackName>classic</currentPackName>";
    prefs.replace(prefs.find(from), from.size(), "<currentPackName>quickpack</currentPackName>");
    return prefs;
}

std::string Element(const std::string& text, const std::string& tag) {
    const size_t from = text.find("<" + tag + ">");
    const size_t to = text.find("</" + tag + ">");
    if (from == std::string::npos || to == std::string::npos) return "";
    return text.substr(from + tag.size() + 2, to - from - tag.size() - 2);
}

// A saved game at level 2 with this play time, sealed as the game seals it; an edited one had
// its score raised afterwards.
std::string SaveText(const std::string& saveName, int time, bool edited) {
    const std::string saveData =
        "<saveData>\n\t<lives>1</lives>\n\t<saveLevel>Level Two</saveLevel>\n\t<gameStat>\n\t\t<score>10</score>\n"
        "\t\t<level>2</level>\n\t\t<time>" +
        std::to_string(time) +
        "</time>\n\t\t<date>10 Dec 2026</date>\n\t\t<cheatEnabled>0</cheatEnabled>\n"
        "\t\t<difficulty>Normal</difficulty>\n\t\t<hash></hash>\n\t\t<pack>" +
        saveName + "</pack>\n\t</gameStat>\n</saveData>\n";
    std::string save = saveData + "<saveHash>" + SaveDigest(saveData) + "</saveHash>\n";
    if (edited) save.replace(save.find("<score>10<"), 10, "<score>99<");
    return save;
}

// --- What the screens look like, at 1024 x 768.

bool IsGreen(Rgb c) { return c.g > 35 && c.g > 3 * c.r && c.g > 3 * c.b; }

// The green runs down the column x between the top and the caption: button borders at a
// button's left edge, faces inside one.
std::vector<std::pair<int, int>> GreenRuns(const Screenshot& s, int x) {
    std::vector<std::pair<int, int>> runs;
    bool inRun = false;
    for (int y = s.Height() / 4; y < s.Height() * 3 / 4; ++y) {
        const bool green = IsGreen(s.At(x, y));
        if (green && !inRun) runs.emplace_back(y, y);
        if (green) runs.back().second = y;
        inRun = green;
    }
    return runs;
}
int RunsAt(const Screenshot& s, int x) { return static_cast<int>(GreenRuns(s, x).size()); }

// Left border columns of buttons 400, 200 and 50 wide, centred on a 1024-wide screen.
constexpr int kWideBorder = 311, kMidBorder = 411, kNarrowBorder = 486;

// The orange of the title picture across the top: the menu background, not dimmed.
bool OnMenuBackground(const Screenshot& s) {
    return s.Count({650, 60, 250, 90}, [](Rgb c) { return c.r > 180 && c.g > 80 && c.b < 90; }) > 1000;
}
std::function<bool(const Screenshot&)> MainMenuWith(int buttons) {
    return [buttons](const Screenshot& s) { return OnMenuBackground(s) && RunsAt(s, kWideBorder) == buttons; };
}
// The question: the message row, then OK and Cancel half as wide.
bool DialogShown(const Screenshot& s) {
    return OnMenuBackground(s) && RunsAt(s, kWideBorder) == 1 && RunsAt(s, kMidBorder) == 3;
}
bool DifficultyShown(const Screenshot& s) { return OnMenuBackground(s) && RunsAt(s, kWideBorder) == 5; }
// The pack chooser: the label row, and down the middle the two steppers, the label, OK and Cancel.
bool ChooserShown(const Screenshot& s) {
    return OnMenuBackground(s) && RunsAt(s, kWideBorder) == 1 && RunsAt(s, kNarrowBorder) == 5;
}
// The scores screen: the title dimmed, two green panels side by side.
bool ScoresShown(const Screenshot& s) {
    auto panel = [&](Region r) {
        const Rgb mean = s.Mean(r);
        return mean.g > 25 && mean.r < 15 && mean.b < 15;
    };
    return !OnMenuBackground(s) && panel({30, 420, 460, 20}) && panel({530, 420, 460, 20});
}
// A frame of play: no menu, the panel's white numbers, the paddle near the bottom.
bool Playing(const Screenshot& s) {
    return RunsAt(s, kWideBorder) == 0 && !OnMenuBackground(s) && s.Count({740, 100, 280, 170}, IsLight()) > 100 &&
           s.Count({4, 715, 720, 49}, [](Rgb c) { return c.b > 100; }) > 300;
}

// A button's height, from the menu font's as the game measures it, and where row i of n of the
// menu column starts (its border one pixel above).
float RowHeight() {
    static const float height = [] {
        const TImageFontPtr font = LoadImageFont(Resources() + "data/fonts/DejaVuSans.ttf", 30, 4);
        SetImageFont(font);
        const float h = static_cast<float>(TextHeight("X")) * 0.95f;
        SetImageFont(nullptr);
        return h;
    }();
    return height;
}
float RowTop(int i, int n) {
    const float row = RowHeight() + 4;
    return 210 + static_cast<float>(i) * row + (354 - static_cast<float>(n) * row) / 2;
}

GameOptions OptionsFor(const DataFolder& data, int frameMs = 40) {
    return {.dataDir = data.Path(), .frameMs = frameMs};
}

// --- (a) The first start.

TEST(MainMenu, AFirstStartShowsSixButtonsInTheirRowsTheCaptionInWhiteAndTheHoverColours) {
    DataFolder data(false);
    GameRun game(OptionsFor(data));
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu: six buttons", MainMenuWith(6)));
    // The pointer on the right end of the second button, away from where its colours are read.
    const int x0 = game.Window().x, y0 = game.Window().y;
    game.MoveTo(x0 + 690, y0 + static_cast<int>(RowTop(1, 6)) + 15);
    ASSERT_TRUE(game.WaitForScreen("the second button under the pointer", [](const Screenshot& s) {
        return s.Mean({330, static_cast<int>(RowTop(1, 6)) + 4, 40, 10}).g > 90;
    }));
    const Screenshot shot = game.Capture();
    game.SaveScreenshot(shot, "a-first-start");

    // Each border where the column's rows put it.
    const std::vector<std::pair<int, int>> runs = GreenRuns(shot, kWideBorder);
    ASSERT_EQ(runs.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(runs[static_cast<size_t>(i)].first, RowTop(i, 6) - 1, 1.5) << "row " << i;
        EXPECT_NEAR(runs[static_cast<size_t>(i)].second, RowTop(i, 6) + RowHeight(), 1.5) << "row " << i;
    }
    // The hovered face is lighter green and its label white (at the label's alpha of 0.66); the
    // others dark with green labels.
    auto whitish = [](Rgb c) { return c.r > 140 && c.b > 140; };
    for (int i = 0; i < 6; ++i) {
        const Region face{330, static_cast<int>(RowTop(i, 6)) + 4, 40, 10};
        const Region label{330, static_cast<int>(RowTop(i, 6)), 360, static_cast<int>(RowHeight())};
        if (i == 1) {
            EXPECT_GT(shot.Mean(face).g, 90) << shot.Mean(face);
            EXPECT_GT(shot.Count(label, whitish), 100);
        } else {
            EXPECT_LT(shot.Mean(face).g, 70) << "row " << i << ": " << shot.Mean(face);
            EXPECT_EQ(shot.Count(label, whitish), 0) << "row " << i;
            EXPECT_GT(shot.Count(label, [](Rgb c) { return c.g > 120 && c.r < 60; }), 50) << "row " << i;
        }
    }
    // The caption's two lines in white, centred under the box: 589 and 627 at this height.
    for (const int y : {589, 627}) {
        const Region line{100, y, 824, 36};
        EXPECT_GT(shot.Count(line, IsLight(230)), 300) << y;
        EXPECT_EQ(shot.Count(line, [](Rgb c) { return c.r > 200 && c.g < 190 && c.b < 190; }), 0) << "not pink";
        EXPECT_EQ(shot.Count({100, y, 100, 36}, IsLight(230)), 0) << "centred, not from the left";
    }
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
}

// --- (b) A saved game.

// Fire is a held button, seen by the game's next update.
void Launch(GameRun& game) {
    game.ButtonDown();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    game.ButtonUp();
}
bool PauseShown(const Screenshot& s) { return !OnMenuBackground(s) && RunsAt(s, kWideBorder) == 3; }
bool GameOverShown(const Screenshot& s) { return !OnMenuBackground(s) && RunsAt(s, kWideBorder) == 4; }

// From the main menu into the quick pack's first level: N, then Normal.
void NewGame(GameRun& game) {
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the difficulty menu", DifficultyShown));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the first level in play", Playing));
}

// The first level cleared with one shot: the game saves itself at the change of level.
void ToSecondLevel(GameRun& game) {
    Launch(game);
    ASSERT_TRUE(game.WaitForUserFile(SaveFile("quickpack")));
    ASSERT_TRUE(game.WaitForScreen("the second level in play", Playing));
}

// N, Enter at the question, E: a new game over the saved one.
void AbandonForNewGame(GameRun& game) {
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the question", DialogShown));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the difficulty menu", DifficultyShown));
    game.Tap("e");
}

TEST(MainMenu, ASavedGameIsOnTopAndIsAbandonedOnlyAfterTheQuestionAndADifficulty) {
    DataFolder data(false);
    GameRun game(OptionsFor(data));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuWith(6)));

    // The game's own save, written at the first change of level, then the menu by the pause.
    NewGame(game);
    ToSecondLevel(game);
    const std::string save = game.ReadUserFile(SaveFile("quickpack")).value_or("");
    ASSERT_EQ(Element(save, "level"), "2") << save;
    ASSERT_GT(std::stoi("0" + Element(save, "time")), 0) << save;
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the pause screen", PauseShown));
    game.Tap("m");
    ASSERT_TRUE(game.WaitForScreen("the main menu with Continue on top", MainMenuWith(7)));
    game.SaveScreenshot("b-with-continue");
    EXPECT_EQ(game.ReadUserFile(SaveFile("quickpack")), save);

    // N, then Escape at the question: nothing changes.
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the question", DialogShown));
    game.SaveScreenshot("b-abandon-question");
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu again", MainMenuWith(7)));
    EXPECT_EQ(game.ReadUserFile(SaveFile("quickpack")), save);

    // N, Enter, then Escape in the difficulty menu: nothing changes either.
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the question", DialogShown));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the difficulty menu", DifficultyShown));
    game.SaveScreenshot("b-difficulty");
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu again", MainMenuWith(7)));
    EXPECT_EQ(game.ReadUserFile(SaveFile("quickpack")), save);
    EXPECT_EQ(Occurrences(game.ReadUserFile(kPlayerFile).value_or(""), "<gameStat>"), 0);

    // N, Enter, E: the abandoned game becomes a record, one level below where it was saved.
    const std::string playerBefore = game.ReadUserFile(kPlayerFile).value_or("");
    AbandonForNewGame(game);
    ASSERT_TRUE(game.WaitForUserFileChange(kPlayerFile, playerBefore));
    const std::string player = game.ReadUserFile(kPlayerFile).value_or("");
    EXPECT_EQ(Occurrences(player, "<gameStat>"), 1) << player;
    EXPECT_EQ(Element(player, "level"), "1");
    EXPECT_EQ(Element(player, "score"), Element(save, "score"));
    EXPECT_EQ(Element(player, "time"), Element(save, "time"));
    EXPECT_EQ(Element(player, "date"), CurrentDate());
    EXPECT_EQ(Element(player, "cheatEnabled"), "0");
    ASSERT_TRUE(game.WaitForScreen("the new game in play", Playing));
    EXPECT_EQ(game.UserFileMode(SaveFile("quickpack")), -1);
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the pause screen", PauseShown));
    game.Tap("q");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
    EXPECT_EQ(game.UserFileMode("bx2_error_log.txt"), -1);
}

TEST(MainMenu, AnEditedSaveIsRecordedAsACheatGameAndOneWithoutPlayTimeNotAtAll) {
    const struct {
        const char* what;
        bool played;  // the save left by a game-over choice; else an edited one put in place
        int records;  // after the new game has started
        const char* cheat;
    } cases[] = {{"an edited save", false, 1, "1"}, {"a save left by a game-over choice", true, 1, "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DataFolder data(false);
        GameRun game(OptionsFor(data));
        game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
        if (!c.played) game.SeedUserFile(SaveFile("quickpack"), SaveText("quickpack", 5000, true), 0444);
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.WaitForWindow(kTitle));
        if (c.played) {
            // The quick pack's third level loses its ball, and with it the only life; the finished
            // game is recorded and Escape leaves a save of that level without play time.
            ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuWith(6)));
            NewGame(game);
            ToSecondLevel(game);
            const std::string second = game.ReadUserFile(SaveFile("quickpack")).value_or("");
            Launch(game);
            ASSERT_TRUE(game.WaitForUserFileChange(SaveFile("quickpack"), second));
            ASSERT_TRUE(game.WaitForScreen("the game-over screen", GameOverShown));
            game.Tap("Escape");
        }
        ASSERT_TRUE(game.WaitForScreen("the main menu with Continue", MainMenuWith(7)));
        const std::string save = game.ReadUserFile(SaveFile("quickpack")).value_or("");
        if (c.played) {
            EXPECT_EQ(Element(save, "time"), "0") << save;
        }
        const std::string playerBefore = game.ReadUserFile(kPlayerFile).value_or("");
        AbandonForNewGame(game);
        // The game start deletes the saved game in every case; the record is the menu's.
        ASSERT_TRUE(game.WaitForScreen("the new game in play", Playing));
        EXPECT_EQ(game.UserFileMode(SaveFile("quickpack")), -1);
        const std::string player = game.ReadUserFile(kPlayerFile).value_or("");
        EXPECT_EQ(Occurrences(player, "<gameStat>"), c.records) << player;
        EXPECT_EQ(Element(player, "cheatEnabled"), c.cheat);
        if (c.played) {
            EXPECT_EQ(player, playerBefore) << "only the finished game is on record";
        }
        game.Tap("Escape");
        ASSERT_TRUE(game.WaitForScreen("the pause screen", PauseShown));
        game.Tap("q");
        ASSERT_TRUE(game.WaitForExit());
        EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
    }
}

// --- (c) Two packs.

TEST(MainMenu, WithTwoPacksTheChooserMovesTheCaptionThePreferencesAndContinue) {
    DataFolder data(true);
    GameRun game(OptionsFor(data));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    game.SeedUserFile(SaveFile("secondpack"), SaveText("secondpack", 5000, false), 0444);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("seven buttons: Packs, no Continue", MainMenuWith(7)));
    const Screenshot before = game.Capture();
    game.SaveScreenshot(before, "c-two-packs");

    game.Tap("k");
    ASSERT_TRUE(game.WaitForScreen("the pack chooser", ChooserShown));
    game.SaveScreenshot("c-chooser-quick-pack");
    const Screenshot first = game.Capture();
    game.Tap("Down");
    const Region label{312, static_cast<int>(RowTop(1, 6)), 400, 30};
    ASSERT_TRUE(game.WaitForScreen("the second pack's name", [&](const Screenshot& s) {
        return ChooserShown(s) && s.Differences(first, label, 60) > 50;
    }));
    game.SaveScreenshot("c-chooser-second-pack");
    const std::string prefs = game.ReadUserFile("data/prefs.xml").value_or("");
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("eight buttons: Continue for the second pack's save", MainMenuWith(8)));
    const Screenshot after = game.Capture();
    game.SaveScreenshot(after, "c-second-pack-current");
    ASSERT_TRUE(game.WaitForUserFileChange("data/prefs.xml", prefs));
    EXPECT_EQ(Element(game.ReadUserFile("data/prefs.xml").value_or(""), "currentPackName"), "secondpack");
    // The pack line of the caption names another pack; the player line stays.
    EXPECT_GT(after.Differences(before, {100, 627, 824, 36}, 60), 100);
    EXPECT_EQ(after.Differences(before, {100, 589, 824, 36}, 60), 0);

    game.Tap("c");
    ASSERT_TRUE(game.WaitForScreen("the second pack's saved game in play", Playing));
    game.SaveScreenshot("c-continued-second-pack");
}

// --- (d) The scores.

TEST(MainMenu, TheScoresScreenShowsThePlayersRecordsAndEnterGoesBack) {
    DataFolder data(false);
    GameRun game(OptionsFor(data));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    {
        // Two players' files, written by the game's own player code into the run's folder.
        InitGlobals();
        InitPlayers();
        g_userPath = game.UserFolder();
        g_errorcode = {1};
        g_errorseverity = {0};
        g_errormessage = {"Progress note"};
        fs::create_directories(g_userPath + "data/players");
        const struct {
            const char* name;
            std::vector<std::tuple<int64_t, int, int, int>> records;  // score, level, time, cheat
        } players[] = {{"Alice", {{12345, 3, 90061000, 0}, {500, 1, 1000, 0}}},
                       {"Bob", {{7777, 2, 60000, 0}, {999999, 9, 5000, 1}}}};
        for (const auto& p : players) {
            Player player;
            ASSERT_EQ(player.CreateNewPlayer("data/players/", p.name, ""), 1);
            for (const auto& [score, level, time, cheat] : p.records) {
                auto stat = std::make_shared<GameStat>();
                stat->score = score, stat->level = level, stat->time = time, stat->cheatEnabled = cheat;
                player.AddGameStat(stat);
            }
            ASSERT_EQ(player.SaveToFile("data/players/"), 1);
        }
        ResetGlobals();
    }
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuWith(6)));
    game.Tap("s");
    ASSERT_TRUE(game.WaitForScreen("the scores screen", ScoresShown));
    const Screenshot shot = game.Capture();
    game.SaveScreenshot(shot, "d-scores");
    // Three rows in each table (the cheated game is left out): the first green, then white.
    auto green = [](Rgb c) { return c.g > 150 && c.r < 80 && c.b < 80; };
    for (const int left : {20, 522}) {
        EXPECT_GT(shot.Count({left, 100, 480, 22}, green), 30) << left;
        for (const int row : {1, 2}) EXPECT_GT(shot.Count({left, 100 + 22 * row, 480, 22}, IsLight(180)), 30) << left;
        // Below the third row's letters, where a fourth row's would be.
        EXPECT_EQ(shot.Count({left, 172, 480, 14}, IsLight(100)), 0) << left;
    }
    // The four totals in green under the panels.
    for (const int y : {500, 530, 560, 590}) EXPECT_GT(shot.Count({150, y, 724, 26}, green), 50) << y;
    game.Tap("Escape");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(ScoresShown(game.Capture())) << "Escape does not leave the scores";
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the main menu again", MainMenuWith(6)));
}

// --- (e) The ways out.

TEST(MainMenu, CtrlHeldThenQEndsTheGameAtOnceButQBeforeCtrlDoesNothing) {
    DataFolder data(false);
    GameRun game(OptionsFor(data));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuWith(6)));

    game.KeyDown("q");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    game.KeyDown("Ctrl");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    game.KeyUp("Ctrl");
    game.KeyUp("q");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(game.Running());
    EXPECT_TRUE(MainMenuWith(6)(game.Capture()));

    game.KeyDown("Ctrl");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    game.KeyDown("q");
    ASSERT_TRUE(game.WaitForExit());
    game.KeyUp("q");
    game.KeyUp("Ctrl");
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription();
    EXPECT_EQ(game.Stderr(), "");
    EXPECT_EQ(game.UserFileMode("bx2_error_log.txt"), -1);
    EXPECT_EQ(game.ReadUserFile("data/prefs.xml"), QuickPackPrefs());
}

TEST(MainMenu, EscapeQuitsAfterTheFadeOut) {
    DataFolder data(false);
    // Short frames make the fade long enough to be seen.
    GameRun game(OptionsFor(data, 5));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuWith(6)));
    game.Tap("Escape");
    // Half-way: the title darkened but still there, and no button, box or caption.
    ASSERT_TRUE(game.WaitForScreen("the title fading to black, without buttons", [](const Screenshot& s) {
        return RunsAt(s, kWideBorder) == 0 && !OnMenuBackground(s) &&
               s.Count({650, 60, 250, 90}, [](Rgb c) { return c.r > 40 && c.r > 2 * c.b; }) > 1000 &&
               s.Count({100, 589, 824, 74}, IsLight(100)) == 0;
    }));
    game.SaveScreenshot("e-fading-out");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
    EXPECT_EQ(game.Stderr(), "");
}

// Help hands the page to xdg-open and ends. Where none opens it (a desktop with no browser, or
// no xdg-open at all) the player is told where the page is, and the run ends as a failure.
TEST(MainMenu, HelpOpensTheHelpPageInTheBrowserOrSaysWhereItIs) {
    enum class Opener { Opens, Fails, Missing };
    const struct {
        const char* what;
        Opener opener;
    } cases[] = {{"a browser", Opener::Opens}, {"xdg-open failing", Opener::Fails}, {"no xdg-open", Opener::Missing}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DataFolder data(false);
        ScratchFolder stub;
        const std::string opened = stub.path() + "/opened.txt";
        if (c.opener != Opener::Missing) {
            std::ofstream script(stub.path() + "/xdg-open");
            script << "#!/bin/sh\nprintf '%s' \"$1\" > '" << opened << ".part' && /bin/mv '" << opened << ".part' '"
                   << opened << "'\n"
                   << (c.opener == Opener::Fails ? "exit 3\n" : "");
            script.close();
            fs::permissions(stub.path() + "/xdg-open", fs::perms::owner_all);
        }
        GameOptions options = OptionsFor(data);
        // Only the stub's folder: an xdg-open of the machine's own must not answer instead.
        options.env.emplace_back("PATH", stub.path());
        GameRun game(options);
        game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.WaitForWindow(kTitle));
        ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuWith(6)));
        game.Tap("h");
        ASSERT_TRUE(game.WaitForExit());
        const std::string page = data.Path() + "help/index.html";
        if (c.opener != Opener::Missing) {
            ASSERT_TRUE(game.WaitUntil("the browser to be asked", [&] { return fs::exists(opened); }));
            EXPECT_EQ(ReadFile(opened), page);
        }
        if (c.opener == Opener::Opens) {
            EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
            EXPECT_EQ(game.Stderr(), "");
        } else {
            EXPECT_EQ(game.ExitCode(), 1) << game.ExitDescription() << "\n" << game.Stderr();
            EXPECT_NE(game.Stderr().find("The help page could not be opened in a browser"), std::string::npos)
                << game.Stderr();
            EXPECT_NE(game.Stderr().find("Open it by hand: " + page + "\n"), std::string::npos) << game.Stderr();
        }
    }
}

TEST(MainMenu, ClosingTheWindowEndsTheGame) {
    DataFolder data(false);
    GameRun game(OptionsFor(data));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuWith(6)));

    game.CloseWindow();

    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
    EXPECT_EQ(game.Stderr(), "");
    EXPECT_EQ(game.UserFileMode("bx2_error_log.txt"), -1);
    EXPECT_EQ(game.ReadUserFile("data/prefs.xml"), QuickPackPrefs());
}

}  // namespace
