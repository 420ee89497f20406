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
const std::string kPlayerFile = "data/players/" + kPlayer + "/player.xml";
std::string SaveFile(const std::string& saveName) { return "data/players/" + kPlayer + "/save_" + saveName + ".xml"; }

// The shipped default preferences on the quick pack.
std::string QuickPackPrefs() { return ShippedPrefs({{"currentPackName", "quickpack"}}); }

// A saved game at level 2 with this play time, sealed as the game seals it; an edited one had
// its score raised afterwards.
std::string SaveText(const std::string& pack, int time, bool edited) {
    std::string save = SealedSave({.level = "Level Two", .number = 2, .score = 10, .time = time, .pack = pack});
    if (edited) save.replace(save.find("<score>10<"), 10, "<score>99<");
    return save;
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
    DataFolder data({"app/quickpack"});
    GameRun game(OptionsFor(data));
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu: six buttons", MenuWith(game, 6)));
    // The pointer on the right end of the second button, away from where its colours are read.
    const int x0 = game.Window().x, y0 = game.Window().y;
    game.MoveTo(x0 + 690, y0 + static_cast<int>(RowTop(1, 6)) + 15);
    ASSERT_TRUE(game.WaitForScreen("the second button under the pointer", [](const Screenshot& s) {
        return s.Mean({330, static_cast<int>(RowTop(1, 6)) + 4, 40, 10}).g > 90;
    }));
    const Screenshot shot = game.Capture();
    game.SaveScreenshot(shot, "a-first-start");

    // Each border where the column's rows put it.
    const std::vector<Stretch> runs = ButtonRows(shot, View(game.Window()));
    ASSERT_EQ(runs.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(runs[static_cast<size_t>(i)].from, RowTop(i, 6) - 1, 1.5) << "row " << i;
        EXPECT_NEAR(runs[static_cast<size_t>(i)].to, RowTop(i, 6) + RowHeight(), 1.5) << "row " << i;
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

// From the main menu into the quick pack's first level: N, then Normal.
void NewGame(GameRun& game) {
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the difficulty menu", MenuWith(game, 5)));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the first level in play", Playing(game)));
}

// The first level cleared with one shot: the game saves itself at the change of level.
void ToSecondLevel(GameRun& game) {
    Launch(game);
    ASSERT_TRUE(game.WaitForUserFile(SaveFile("quickpack")));
    ASSERT_TRUE(game.WaitForScreen("the second level in play", Playing(game)));
}

// N, Enter at the question, E: a new game over the saved one.
void AbandonForNewGame(GameRun& game) {
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown(game)));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the difficulty menu", MenuWith(game, 5)));
    game.Tap("e");
}

TEST(MainMenu, ASavedGameIsOnTopAndIsAbandonedOnlyAfterTheQuestionAndADifficulty) {
    DataFolder data({"app/quickpack"});
    GameRun game(OptionsFor(data));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));

    // The game's own save, written at the first change of level, then the menu by the pause.
    NewGame(game);
    ToSecondLevel(game);
    const std::string save = game.ReadUserFile(SaveFile("quickpack")).value_or("");
    ASSERT_EQ(Element(save, "level"), "2") << save;
    ASSERT_GT(std::stoi("0" + Element(save, "time")), 0) << save;
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the pause screen", OverGameWith(game, 3)));
    game.Tap("m");
    ASSERT_TRUE(game.WaitForScreen("the main menu with Continue on top", MenuWith(game, 7)));
    game.SaveScreenshot("b-with-continue");
    EXPECT_EQ(game.ReadUserFile(SaveFile("quickpack")), save);

    // N, then Escape at the question: nothing changes.
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown(game)));
    game.SaveScreenshot("b-abandon-question");
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu again", MenuWith(game, 7)));
    EXPECT_EQ(game.ReadUserFile(SaveFile("quickpack")), save);

    // N, Enter, then Escape in the difficulty menu: nothing changes either.
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown(game)));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the difficulty menu", MenuWith(game, 5)));
    game.SaveScreenshot("b-difficulty");
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu again", MenuWith(game, 7)));
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
    ASSERT_TRUE(game.WaitForScreen("the new game in play", Playing(game)));
    EXPECT_EQ(game.UserFileMode(SaveFile("quickpack")), -1);
    QuitFromPlay(game);
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
        DataFolder data({"app/quickpack"});
        GameRun game(OptionsFor(data));
        game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
        if (!c.played) game.SeedUserFile(SaveFile("quickpack"), SaveText("quickpack", 5000, true), 0444);
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.WaitForWindow(kTitle));
        if (c.played) {
            // The quick pack's third level loses its ball, and with it the only life; the finished
            // game is recorded and Escape leaves a save of that level without play time.
            ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
            NewGame(game);
            ToSecondLevel(game);
            const std::string second = game.ReadUserFile(SaveFile("quickpack")).value_or("");
            Launch(game);
            ASSERT_TRUE(game.WaitForUserFileChange(SaveFile("quickpack"), second));
            ASSERT_TRUE(game.WaitForScreen("the game-over screen", OverGameWith(game, 4)));
            game.Tap("Escape");
        }
        ASSERT_TRUE(game.WaitForScreen("the main menu with Continue", MenuWith(game, 7)));
        const std::string save = game.ReadUserFile(SaveFile("quickpack")).value_or("");
        if (c.played) {
            EXPECT_EQ(Element(save, "time"), "0") << save;
        }
        const std::string playerBefore = game.ReadUserFile(kPlayerFile).value_or("");
        AbandonForNewGame(game);
        // The game start deletes the saved game in every case; the record is the menu's.
        ASSERT_TRUE(game.WaitForScreen("the new game in play", Playing(game)));
        EXPECT_EQ(game.UserFileMode(SaveFile("quickpack")), -1);
        const std::string player = game.ReadUserFile(kPlayerFile).value_or("");
        EXPECT_EQ(Occurrences(player, "<gameStat>"), c.records) << player;
        EXPECT_EQ(Element(player, "cheatEnabled"), c.cheat);
        if (c.played) {
            EXPECT_EQ(player, playerBefore) << "only the finished game is on record";
        }
        QuitFromPlay(game);
    }
}

// --- (c) Two packs.

TEST(MainMenu, WithTwoPacksTheChooserMovesTheCaptionThePreferencesAndContinue) {
    // The quick pack again as "Second Pack".
    DataFolder data({"app/quickpack"});
    data.AddPack("app/quickpack", "secondpack");
    fs::copy_file(FixturePath("menu/secondpack/info.xml"), data.Pack("secondpack") + "info.xml",
                  fs::copy_options::overwrite_existing);
    GameRun game(OptionsFor(data));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    game.SeedUserFile(SaveFile("secondpack"), SaveText("secondpack", 5000, false), 0444);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("seven buttons: Packs, no Continue", MenuWith(game, 7)));
    const Screenshot before = game.Capture();
    game.SaveScreenshot(before, "c-two-packs");

    game.Tap("k");
    ASSERT_TRUE(game.WaitForScreen("the pack chooser", ChooserShown(game)));
    game.SaveScreenshot("c-chooser-quick-pack");
    const Screenshot first = game.Capture();
    game.Tap("Down");
    const Region label{312, static_cast<int>(RowTop(1, 6)), 400, 30};
    ASSERT_TRUE(game.WaitForScreen("the second pack's name", [&](const Screenshot& s) {
        return ChooserShown(game)(s) && s.Differences(first, label, 60) > 50;
    }));
    game.SaveScreenshot("c-chooser-second-pack");
    const std::string prefs = game.ReadUserFile("data/prefs.xml").value_or("");
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("eight buttons: Continue for the second pack's save", MenuWith(game, 8)));
    const Screenshot after = game.Capture();
    game.SaveScreenshot(after, "c-second-pack-current");
    ASSERT_TRUE(game.WaitForUserFileChange("data/prefs.xml", prefs));
    EXPECT_EQ(Element(game.ReadUserFile("data/prefs.xml").value_or(""), "currentPackName"), "secondpack");
    // The pack line of the caption names another pack; the player line stays.
    EXPECT_GT(after.Differences(before, {100, 627, 824, 36}, 60), 100);
    EXPECT_EQ(after.Differences(before, {100, 589, 824, 36}, 60), 0);

    game.Tap("c");
    ASSERT_TRUE(game.WaitForScreen("the second pack's saved game in play", Playing(game)));
    game.SaveScreenshot("c-continued-second-pack");
}

// --- (d) The scores.

TEST(MainMenu, TheScoresScreenShowsThePlayersRecordsAndEnterGoesBack) {
    DataFolder data({"app/quickpack"});
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
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    game.Tap("s");
    ASSERT_TRUE(game.WaitForScreen("the scores screen", ScoresShown(game)));
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
    ASSERT_TRUE(game.WaitForFrames(kFramesAfterAKey));
    EXPECT_TRUE(ScoresShown(game)(game.Capture())) << "Escape does not leave the scores";
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the main menu again", MenuWith(game, 6)));
}

// --- (e) The ways out.

TEST(MainMenu, CtrlHeldThenQEndsTheGameAtOnceButQBeforeCtrlDoesNothing) {
    DataFolder data({"app/quickpack"});
    GameRun game(OptionsFor(data));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));

    game.KeyDown("q");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    game.KeyDown("Ctrl");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    game.KeyUp("Ctrl");
    game.KeyUp("q");
    ASSERT_TRUE(game.WaitForFrames(kFramesAfterAKey));
    EXPECT_TRUE(game.Running());
    EXPECT_TRUE(MenuWith(game, 6)(game.Capture()));

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
    DataFolder data({"app/quickpack"});
    // Short frames make the fade long enough to be seen.
    GameRun game(OptionsFor(data, 5));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    game.Tap("Escape");
    // Half-way: the title darkened but still there, and no button, box or caption.
    ASSERT_TRUE(game.WaitForScreen("the title fading to black, without buttons", [&](const Screenshot& s) {
        const View v(game.Window());
        return ButtonsShown(s, v) == 0 && !OnMenuBackground(s, v) &&
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
        DataFolder data({"app/quickpack"});
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
        ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
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
    DataFolder data({"app/quickpack"});
    GameRun game(OptionsFor(data));
    game.SeedUserFile("data/prefs.xml", QuickPackPrefs());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));

    game.CloseWindow();

    ExpectCleanExit(game);
    EXPECT_EQ(game.ReadUserFile("data/prefs.xml"), QuickPackPrefs());
}

}  // namespace
