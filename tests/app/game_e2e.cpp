// The game as a player runs it, through the end-to-end harness: the main menu, a new game on a
// small pack whose levels clear with one shot, the saved game and its digest, continuing after
// a restart, the end of a game, the shipped pack's in-game screen, a pack that cannot load,
// an edited save whose game allows the cheat keys, and a damaged player file and save.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/e2e.h"
#include "support/e2e_screens.h"
#include "support/scratch_folder.h"
#include "support/support.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

const std::string kPlayer = "Nameless Wonder";
const std::string kSaveFile = "data/players/" + kPlayer + "/save_quickpack.xml";
const std::string kPlayerFile = "data/players/" + kPlayer + "/player.xml";

// The shipped default preferences, with another current pack.
std::string PrefsFor(const std::string& pack) { return ShippedPrefs({{"currentPackName", pack}}); }

std::string ReadSave(GameRun& game, const std::string& file = kSaveFile) {
    return game.ReadUserFile(file).value_or("");
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// --- The runs.

GameOptions QuickPackRun(const DataFolder& data) { return {.dataDir = data.Path(), .frameMs = 40}; }

void StartOnQuickPack(GameRun& game) {
    game.SeedUserFile("data/prefs.xml", PrefsFor("quickpack"));
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
}

// The panel's level name and number, which change from level to level.
const Region kPanelLevelName{740, 290, 280, 40};
const Region kPanelLevelNumber{830, 235, 80, 50};

TEST(QuickPackGame, ANewGameSavesAtTheLevelChangeAndContinuesAfterARestartToTheGameOver) {
    DataFolder data({"app/quickpack"});
    ScratchFolder kept;  // the player's files between the two runs
    std::string firstSave;
    Screenshot levelOne;
    {
        GameRun game(QuickPackRun(data));
        StartOnQuickPack(game);
        ASSERT_TRUE(
            game.WaitForScreen("the main menu: New Game, Players, Scores, Options, Help, Quit", MenuWith(game, 6)));
        game.SaveScreenshot("main-menu");
        game.Tap("n");
        ASSERT_TRUE(game.WaitForScreen("the difficulty step: four difficulties and Cancel", MenuWith(game, 5)));
        game.SaveScreenshot("difficulty");
        game.Tap("n");
        ASSERT_TRUE(game.WaitForScreen("the first level in play", Playing(game)));
        levelOne = game.Capture();
        game.SaveScreenshot(levelOne, "level-one");
        Launch(game);
        ASSERT_TRUE(game.WaitForUserFile(kSaveFile));
        ASSERT_TRUE(game.WaitForScreen("the second level in play", Playing(game)));
        game.SaveScreenshot("level-two");

        firstSave = ReadSave(game);
        EXPECT_EQ(Lines(firstSave), 15) << firstSave;
        EXPECT_EQ(game.UserFileMode(kSaveFile), 0444);
        EXPECT_EQ(Element(firstSave, "saveLevel"), "Level Two");
        EXPECT_EQ(Element(firstSave, "lives"), "1");
        EXPECT_EQ(Element(firstSave, "level"), "2");
        EXPECT_EQ(Element(firstSave, "score"), "10");
        EXPECT_EQ(Element(firstSave, "difficulty"), "Normal");
        EXPECT_EQ(Element(firstSave, "cheatEnabled"), "0");
        EXPECT_EQ(Element(firstSave, "saveHash"), SaveSeal(firstSave)) << firstSave;

        game.Tap("Escape");
        ASSERT_TRUE(game.WaitForScreen("the pause screen over the game", OverGameWith(game, 3)));
        game.SaveScreenshot("paused");
        game.Tap("q");
        ExpectCleanExit(game);
        const std::string out = game.Stdout();
        EXPECT_EQ(out.rfind("Directory creation (0 means all good): 0\n", 0), 0u) << out;
        // Nothing was logged: the whole log printed at the end is one empty line.
        EXPECT_TRUE(out.ends_with("\n\r\n")) << out;
        EXPECT_EQ(ReadSave(game), firstSave) << "leaving from the pause saves nothing";
        EXPECT_EQ(game.ReadUserFile("data/prefs.xml"), PrefsFor("quickpack"));
        const std::string player = game.ReadUserFile(kPlayerFile).value_or("");
        EXPECT_NE(player.find("<name>" + kPlayer + "</name>"), std::string::npos) << player;
        EXPECT_EQ(player.find("<gameStat>"), std::string::npos) << "no game has ended yet:\n" << player;
        fs::copy(game.UserFolder() + "data", kept.path() + "/data", fs::copy_options::recursive);
    }

    GameRun game(QuickPackRun(data));
    game.CopyToUserFolder("data", kept.path() + "/data");
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu with Continue", MenuWith(game, 7)));
    game.SaveScreenshot("main-menu-with-continue");
    game.Tap("c");
    ASSERT_TRUE(game.WaitForScreen("the second level in play", Playing(game)));
    const Screenshot levelTwo = game.Capture();
    game.SaveScreenshot(levelTwo, "continued-level-two");
    // The panel names the level and counts it: both differ from the first level's.
    EXPECT_GT(levelTwo.Count(kPanelLevelName, IsLight()), 50);
    EXPECT_GT(levelTwo.Differences(levelOne, kPanelLevelName, 60), 20);
    EXPECT_GT(levelTwo.Count(kPanelLevelNumber, IsLight()), 20);
    EXPECT_GT(levelTwo.Differences(levelOne, kPanelLevelNumber, 60), 20);

    Launch(game);
    ASSERT_TRUE(game.WaitForUserFileChange(kSaveFile, firstSave));
    const std::string secondSave = ReadSave(game);
    EXPECT_EQ(Element(secondSave, "saveLevel"), "Level Three");
    EXPECT_GT(std::stoi(Element(secondSave, "time")), std::stoi(Element(firstSave, "time")));
    EXPECT_EQ(Element(secondSave, "saveHash"), SaveSeal(secondSave));

    // The third level's ball falls past the paddle: the only life goes, and the game with it.
    ASSERT_TRUE(game.WaitForScreen("the game-over screen over the game", OverGameWith(game, 4)));
    game.SaveScreenshot("game-over");
    const std::string player = game.ReadUserFile(kPlayerFile).value_or("");
    EXPECT_EQ(Occurrences(player, "<gameStat>"), 1) << player;
    EXPECT_EQ(Element(player, "score"), "20");

    game.Tap("q");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
    EXPECT_EQ(game.Stderr(), "");
    // Every game-over choice leaves the level reached with fresh lives and a reset record.
    const std::string lastSave = ReadSave(game);
    EXPECT_EQ(Element(lastSave, "saveLevel"), "Level Three");
    EXPECT_EQ(Element(lastSave, "lives"), "1");
    EXPECT_EQ(Element(lastSave, "score"), "0");
    EXPECT_EQ(Element(lastSave, "level"), "1");
    EXPECT_EQ(Element(lastSave, "time"), "0");
    EXPECT_EQ(Element(lastSave, "saveHash"), SaveSeal(lastSave));
    EXPECT_EQ(Occurrences(game.ReadUserFile(kPlayerFile).value_or(""), "<gameStat>"), 1);
    EXPECT_EQ(game.UserFileMode("bx2_error_log.txt"), -1);
}

TEST(QuickPackGame, AnEditedSaveContinuesAsACheatGameWhoseCheatKeysWork) {
    DataFolder data({"app/quickpack"});
    GameRun game(QuickPackRun(data));
    std::string save =
        SealedSave({.level = "Level Two", .number = 2, .score = 12345, .time = 5000, .pack = "quickpack"});
    // The player raised the score and wrote the digest in lower case.
    save.replace(save.find("12345"), 5, "99999");
    const size_t hash = save.find("<saveHash>") + 10;
    for (size_t i = hash; i < hash + 32; ++i) save[i] = static_cast<char>(std::tolower(save[i]));
    game.SeedUserFile(kSaveFile, save, 0444);
    StartOnQuickPack(game);

    ASSERT_TRUE(game.WaitForScreen("the main menu with Continue", MenuWith(game, 7)));
    game.Tap("c");
    ASSERT_TRUE(game.WaitForScreen("the second level in play", Playing(game)));
    game.SaveScreenshot("continued-cheat-game");
    // A million points, then the level given up for the next.
    game.Tap("c");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForUserFileChange(kSaveFile, save));
    const std::string next = ReadSave(game);
    EXPECT_EQ(Element(next, "saveLevel"), "Level Three");
    EXPECT_EQ(Element(next, "score"), "1099999");
    EXPECT_EQ(Element(next, "cheatEnabled"), "1");
    EXPECT_EQ(Element(next, "saveHash"), SaveSeal(next)) << "the game's own saves are sealed again";

    QuitFromPlay(game);
}

TEST(QuickPackGame, ADamagedPlayerFileAndSaveAreSaidAndTheOtherPlayerPlaysOnWithEveryRecord) {
    DataFolder data({"app/quickpack"});
    GameRun game(QuickPackRun(data));
    // A whole player with two finished games, whose saved game is cut short, beside the default
    // player's file cut short.
    std::ifstream in(FixturePath("players/profiles/Bea/player.xml"), std::ios::binary);
    const std::string bea{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(Occurrences(bea, "<gameStat>"), 2);
    const std::string beaFile = "data/players/Bea/player.xml";
    const std::string beaSave = "data/players/Bea/save_quickpack.xml";
    const std::string cutPlayer = bea.substr(0, bea.size() / 3);
    const std::string cutSave = "<saveData>\n\t<lives>1</lives>\n\t<saveLevel>Level Two</sa";
    game.SeedUserFile(beaFile, bea, 0444);
    game.SeedUserFile(beaSave, cutSave, 0444);
    game.SeedUserFile(kPlayerFile, cutPlayer, 0444);
    StartOnQuickPack(game);

    // Bea, the only player left, may continue: the save cannot be, and the game starts afresh.
    ASSERT_TRUE(game.WaitForScreen("the main menu with Continue", MenuWith(game, 7)));
    EXPECT_TRUE(game.WaitForStderr("The player file \"" + game.UserFolder() + kPlayerFile +
                                   "\" is damaged or cannot be read; that player is left out until it is mended."));
    game.Tap("c");
    ASSERT_TRUE(game.WaitForScreen("the first level in play", Playing(game)));
    EXPECT_TRUE(game.WaitForStderr("The saved game \"" + game.UserFolder() + beaSave +
                                   "\" is damaged and cannot be continued; the game starts afresh."));
    game.SaveScreenshot("continued-afresh");
    Launch(game);
    ASSERT_TRUE(game.WaitForUserFileChange(beaSave, cutSave));
    EXPECT_EQ(Element(ReadSave(game, beaSave), "saveLevel"), "Level Two");
    QuitFromPlay(game);
    EXPECT_EQ(Lines(game.Stderr()), 2) << game.Stderr();
    // Nothing was logged, Bea keeps every record, and the damaged file is left for its owner.
    EXPECT_EQ(game.UserFileMode("bx2_error_log.txt"), -1);
    EXPECT_EQ(game.ReadUserFile(beaFile), bea);
    EXPECT_EQ(game.ReadUserFile(kPlayerFile), cutPlayer);
}

TEST(QuickPackGame, APackWhoseFirstLevelCannotLoadEndsTheRunWithItsErrorLog) {
    DataFolder data({"app/quickpack"});
    // A level that places a brick the pack does not have.
    std::ofstream(data.Pack("quickpack") + "levels/one.xml", std::ios::trunc)
        << "<level>\n\t<levelName>Level One</levelName>\n\t<paddle><spriteName>paddle_sprite</spriteName></paddle>\n"
           "\t<brick><brickName>no_such_brick</brickName><x>10</x><y>10</y></brick>\n</level>\n";
    GameRun game(QuickPackRun(data));
    StartOnQuickPack(game);
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the difficulty step", MenuWith(game, 5)));
    game.Tap("n");
    // The alert goes to standard error; the virtual server has no fonts for SDL's message box,
    // which then gives up at once instead of waiting for a click.
    ASSERT_TRUE(game.WaitForStderr("Brondelvix 2! generated some errors when trying to load this game pack."));
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 1) << game.ExitDescription();
    const std::string logPath = "bx2_error_log.txt";
    EXPECT_EQ(game.UserFileMode(logPath), 0444);
    const std::string log = game.ReadUserFile(logPath).value_or("");
    EXPECT_NE(log.find("no_such_brick"), std::string::npos) << log;
    EXPECT_NE(
        game.Stderr().find("Please see the file named \"" + game.UserFolder() + "bx2_error_log.txt\" for details"),
        std::string::npos)
        << game.Stderr();
}

TEST(ShippedPack, TheInGameScreenShowsTheFieldAndPanelWithoutAPointerAndClosingTheWindowPausesOnce) {
    GameRun game({.frameMs = 16});
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the difficulty step", MenuWith(game, 5)));
    game.Tap("n");
    // Once the level's fade-in is over, the overlay's clock in the corner is gone too.
    ASSERT_TRUE(game.WaitForScreen(
        "the first level in play, faded in",
        [&](const Screenshot& s) {
            return Playing(game)(s) && !s.Any({4, 4, 120, 30}, IsLight(100));
        },
        std::chrono::seconds(90)));
    const Screenshot shot = game.Capture();
    game.SaveScreenshot(shot, "classic-level-one");
    // The field's background and bricks, and every text of the panel.
    EXPECT_GT(shot.Count({4, 4, 720, 400}, IsNotBlack()), 100000);
    EXPECT_GT(shot.Count(kPanelLevelName, IsLight()), 50);
    EXPECT_GT(shot.Count({740, 100, 280, 40}, IsLight()), 20) << "the score";
    // The lives and the level number at their places, then each centred row of the panel: the
    // player's name and the two pairs of records.
    EXPECT_GT(shot.Count({785, 182, 60, 40}, IsLight()), 20) << "the lives";
    EXPECT_GT(shot.Count({845, 242, 60, 40}, IsLight()), 20) << "the level number";
    for (const int y : {340, 380, 410, 450, 480, 530, 560, 600, 630}) {
        SCOPED_TRACE(y);
        // White, or the pale green of a record this game has beaten (level 1 beats a record of 0).
        const PixelTest lit = [](Rgb c) { return IsLight()(c) || IsNear({154, 196, 154}, 12)(c); };
        EXPECT_GT(shot.Count({760, y + 4, 232, 24}, lit), 15);
        EXPECT_FALSE(shot.Any({740, y + 4, 20, 24}, lit)) << "centred on the panel, not spilling left";
    }
    EXPECT_FALSE(PointerShown(game));

    // During play a window's close asks for the pause, not the end.
    game.CloseWindow();
    ASSERT_TRUE(game.WaitForScreen("the pause screen", OverGameWith(game, 3)));
    game.SaveScreenshot("classic-paused");
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("play again", Playing(game)));
    // The request was taken once: play goes on.
    ASSERT_TRUE(game.WaitForFrames(kFramesAfterAKey));
    EXPECT_TRUE(Playing(game)(game.Capture()));
    QuitFromPlay(game);
}

TEST(Display, WithoutOneTheGameRefusesToRunUnseen) {
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> env;
    } cases[] = {
        {"no DISPLAY", {{"DISPLAY", ""}}},
        {"SDL's dummy video driver", {{"SDL_VIDEODRIVER", "dummy"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GameRun game({.env = c.env});
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.WaitForExit());
        EXPECT_EQ(game.ExitCode(), 1) << game.ExitDescription();
        EXPECT_NE(game.Stderr().find("Brondelvix 2! cannot start: no display was found"), std::string::npos)
            << game.Stderr();
    }
}
}  // namespace
