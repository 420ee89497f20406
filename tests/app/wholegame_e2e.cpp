// Whole games on the shipped pack as a player plays them, through the end-to-end harness: from
// an empty per-user folder a player is created, the language and the window size changed, levels
// played with the game steering the paddle after the ball (BX2_AUTOPLAY), paused and resumed,
// the game left and continued after a restart, lost to its game-over screen and found in the
// scores. Each stage keeps its screenshot and checks the player's files. BX2_PLAY_TRACE names
// what each run caught and broke; with BX2_E2E_FULL=1 the full path also plays the levels that
// between them drop every powerup the pack's levels offer and hold every kind of brick they place,
// and checks that each was caught and broken at least once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
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
using Clock = std::chrono::steady_clock;

const std::string kPlayer = "Tess";
const std::string kPrefs = "data/prefs.xml";
const std::string kPlayerFile = "data/players/" + kPlayer + "/player.xml";
const std::string kSaveFile = "data/players/" + kPlayer + "/save_classic.xml";
// A level of the classic pack takes a sanitizer build half a minute to a few minutes of play.
constexpr Millis kLevelWait{std::chrono::minutes(6)};

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The time each stage was reached, in the test's output: whole games are slow, and where the
// time goes is worth seeing.
void Stage(const std::string& name) {
    static const Clock::time_point start = Clock::now();
    std::printf("[ stage ] %6.1f s  %s\n", std::chrono::duration<double>(Clock::now() - start).count(), name.c_str());
    std::fflush(stdout);
}

// --- Driving the game.

// Whether the screen comes to pass the test within the time, without a failure's evidence.
bool Shows(GameRun& game, const ScreenTest& shown, Millis timeout) {
    const auto until = Clock::now() + timeout;
    while (Clock::now() < until) {
        if (shown(game.Capture())) return true;
        Sleep(100);
    }
    return false;
}

// Escape over play, again if the game let it pass (a level change flushes the keys).
void PauseGame(GameRun& game) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        game.Tap("Escape");
        if (Shows(game, OverGameWith(game, 3), std::chrono::seconds(10))) return;
    }
    ASSERT_TRUE(game.WaitForScreen("the pause screen", OverGameWith(game, 3)));
}

// The trace of powerups caught and bricks broken, one name per kind: "powerup" or "brick".
std::map<std::string, std::set<std::string>> ReadTrace(const std::string& path) {
    std::map<std::string, std::set<std::string>> met;
    std::istringstream lines(ReadFile(path));
    std::string kind, name;
    while (lines >> kind >> name) met[kind].insert(name);
    return met;
}

std::string Joined(const std::set<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
    return text;
}

// A trace is kept beside the screenshots.
void KeepTrace(GameRun& game, const std::string& path) {
    fs::copy_file(path, game.ArtifactsFolder() + "/" + fs::path(path).filename().string(),
                  fs::copy_options::overwrite_existing);
}

// A 1280 x 1024 desktop offers the big, medium and small windows; the fixed frame time keeps
// fades and the ball's flight the same from run to run.
GameOptions WholeGameRun(bool autoplay, const std::string& trace, int frameMs = 40) {
    GameOptions options{.width = 1280, .height = 1024, .frameMs = frameMs};
    if (autoplay) options.env.emplace_back("BX2_AUTOPLAY", "1");
    options.env.emplace_back("BX2_PLAY_TRACE", trace);
    return options;
}

TEST(WholeGame, FromAnEmptyFolderAPlayerPlaysPausesLeavesContinuesLosesAndFindsTheGameInTheScores) {
    ScratchFolder kept;  // the player's files between the two runs, and the traces
    const std::string traceOne = kept.path() + "/trace-first-run.txt";
    const std::string traceTwo = kept.path() + "/trace-second-run.txt";
    std::string savedAtLevelTwo;
    {
        GameRun game(WholeGameRun(true, traceOne));
        ASSERT_TRUE(fs::is_empty(game.UserFolder())) << "the per-user folder starts empty";
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.WaitForWindow(kTitle));
        Park(game);
        // One pack, no saved game: New Game, Players, Scores, Options, Help, Quit.
        ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
        game.SaveScreenshot("01-first-start");
        Stage("01-first-start");
        // The first start copied the shipped preferences and made the default player.
        EXPECT_EQ(game.ReadUserFile(kPrefs), ReadFile(Resources() + "data/default_prefs.xml"));
        EXPECT_NE(game.ReadUserFile("data/players/Nameless Wonder/player.xml"), std::nullopt);

        // --- A player of one's own.
        game.Tap("p");
        ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown(game)));
        game.Tap("n");
        Enter(game, kPlayer);
        ASSERT_TRUE(game.WaitForScreen("\"Player Created\"", MessageShown(game)));
        game.SaveScreenshot("02-player-created");
        Stage("02-player-created");
        ASSERT_TRUE(KeyShows(game, "Return", "the main menu", MenuWith(game, 6)));
        const std::string player = game.ReadUserFile(kPlayerFile).value_or("");
        EXPECT_EQ(Element(player, "name"), kPlayer) << player;
        EXPECT_EQ(Occurrences(player, "<gameStat>"), 0) << player;
        EXPECT_EQ(game.UserFileMode(kPlayerFile), 0444);
        EXPECT_EQ(Element(game.ReadUserFile(kPrefs).value_or(""), "currentPlayerName"), kPlayer);

        // --- French, and the 800x600 window.
        const Screenshot english = game.Capture();
        ASSERT_TRUE(KeyShows(game, "o", "the options screen", OptionsShown(game)));
        ASSERT_TRUE(Choose(game, "l", {"Down"}));
        ASSERT_TRUE(game.WaitForScreen("the options screen in French", [&](const Screenshot& s) {
            return OptionsShown(game)(s) &&
                   s.Differences(english, View(game.Window()).Area(320, 272, 384, 230), 40) > 500;
        }));
        const unsigned long bigWindow = game.Window().id;
        ASSERT_TRUE(Choose(game, "f", {"Down"}));
        ASSERT_TRUE(WaitForNewWindow(game, bigWindow, 800, 600));
        ASSERT_TRUE(game.WaitForScreen("the options screen in the new window", OptionsShown(game)));
        game.SaveScreenshot("03-options-french-800x600");
        ASSERT_TRUE(KeyShows(game, "Escape", "the main menu in French", MenuWith(game, 6)));
        game.SaveScreenshot("04-main-menu-french");
        Stage("04-main-menu-french");
        const std::string prefs = game.ReadUserFile(kPrefs).value_or("");
        EXPECT_EQ(Element(prefs, "language"), "fr");
        EXPECT_EQ(Element(prefs, "isFullscreen"), "0");
        EXPECT_EQ(Element(prefs, "screenWidth"), "800");
        EXPECT_EQ(Element(prefs, "screenHeight"), "600");
        EXPECT_EQ(Element(prefs, "currentPlayerName"), kPlayer);

        // --- A new game at Normal: the first level played by the scripted pointer to the second,
        // which saves the game.
        ASSERT_TRUE(KeyShows(game, "n", "the difficulty step", MenuWith(game, 5)));
        game.Tap("n");
        ASSERT_TRUE(game.WaitForScreen("the first level in play", Playing(game), std::chrono::seconds(60)));
        game.SaveScreenshot("05-first-level");
        Stage("05-first-level");
        EXPECT_EQ(game.UserFileMode(kSaveFile), -1) << "nothing is saved before a level is cleared";
        ASSERT_TRUE(game.WaitForUserFile(kSaveFile, kLevelWait));
        savedAtLevelTwo = game.ReadUserFile(kSaveFile).value_or("");
        EXPECT_EQ(Element(savedAtLevelTwo, "saveLevel"), "Rainbow") << savedAtLevelTwo;
        EXPECT_EQ(Element(savedAtLevelTwo, "level"), "2");
        EXPECT_EQ(Element(savedAtLevelTwo, "difficulty"), "Normal");
        EXPECT_EQ(Element(savedAtLevelTwo, "cheatEnabled"), "0");
        EXPECT_EQ(Element(savedAtLevelTwo, "pack"), "classic");
        EXPECT_GT(std::atoi(Element(savedAtLevelTwo, "lives").c_str()), 0);
        EXPECT_GT(std::atoi(Element(savedAtLevelTwo, "score").c_str()), 0);
        EXPECT_EQ(game.UserFileMode(kSaveFile), 0444);
        ASSERT_TRUE(game.WaitForScreen("the second level in play", Playing(game), std::chrono::seconds(60)));
        game.SaveScreenshot("06-second-level");
        Stage("06-second-level");

        // --- Paused, the field stands still; resumed, it moves again. A second of frames for the
        // pause screen to settle, then more than that, in which a ball in play would cross the field.
        PauseGame(game);
        ASSERT_TRUE(game.WaitForFrames(25));
        const Screenshot paused = game.Capture();
        game.SaveScreenshot(paused, "07-paused");
        ASSERT_TRUE(game.WaitForFrames(40));
        // Left of the box, where the pointer the pause shows is not.
        const Region field = View(game.Window()).Area(4, 4, 200, 760);
        const Screenshot later = game.Capture();
        if (later.Differences(paused, field, 10) != 0) game.SaveScreenshot(later, "07-paused-later");
        EXPECT_EQ(later.Differences(paused, field, 10), 0) << "the field stood still under the pause";
        ASSERT_TRUE(KeyShows(game, "Escape", "play again", Playing(game)));
        ASSERT_TRUE(game.WaitUntil("the field moving", [&] {
            const Screenshot a = game.Capture();
            Sleep(300);
            return game.Capture().Differences(a, View(game.Window()).Area(4, 4, 720, 760), 30) > 20;
        }));
        game.SaveScreenshot("08-resumed");
        Stage("08-resumed");

        // --- Quit from the pause: nothing more is saved.
        PauseGame(game);
        game.Tap("q");
        ExpectCleanExit(game);
        EXPECT_EQ(game.ReadUserFile(kSaveFile), savedAtLevelTwo) << "leaving from the pause saves nothing";
        EXPECT_EQ(Occurrences(game.ReadUserFile(kPlayerFile).value_or(""), "<gameStat>"), 0);
        fs::copy(game.UserFolder() + "data", kept.path() + "/data", fs::copy_options::recursive);
    }

    // --- The next start: the same window and language, and the saved game to continue, played
    // by hand this time, the paddle kept away from the ball until the last life is gone.
    GameRun game(WholeGameRun(false, traceTwo));
    game.CopyToUserFolder("data", kept.path() + "/data");
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    EXPECT_EQ(game.Window().w, 800);
    EXPECT_EQ(game.Window().h, 600);
    Park(game);
    ASSERT_TRUE(game.WaitForScreen("the main menu with Continue", MenuWith(game, 7)));
    game.SaveScreenshot("09-restart-with-continue");
    Stage("09-restart-with-continue");
    game.Tap("c");
    ASSERT_TRUE(game.WaitForScreen("the saved level in play", Playing(game), std::chrono::seconds(60)));
    game.SaveScreenshot("10-continued");
    Stage("10-continued");

    // Launch after launch with the paddle against the left wall, and back and forth between
    // the walls, until the game is over.
    const View v(game.Window());
    const auto until = Clock::now() + kLevelWait;
    bool over = false;
    for (int turn = 0; !over && Clock::now() < until; ++turn) {
        for (int i = 0; i < 8; ++i) game.MoveBy(turn % 2 == 0 ? -60 : 60, 0);
        Launch(game);
        for (int i = 0; i < 8; ++i) game.MoveBy(turn % 2 == 0 ? 60 : -60, 0);
        Sleep(700);
        over = OverGameWith(game, 4)(game.Capture());
    }
    ASSERT_TRUE(game.WaitForScreen("the game-over screen", OverGameWith(game, 4)));
    game.SaveScreenshot("11-game-over");
    Stage("11-game-over");
    (void)v;
    const std::string player = game.ReadUserFile(kPlayerFile).value_or("");
    EXPECT_EQ(Occurrences(player, "<gameStat>"), 1) << player;
    EXPECT_EQ(Element(player, "level"), "2") << player;
    EXPECT_EQ(Element(player, "difficulty"), "Normal");
    EXPECT_GE(std::atoll(Element(player, "score").c_str()), std::atoll(Element(savedAtLevelTwo, "score").c_str()));

    // Escape: the main menu, and the saved game of the level reached with fresh lives.
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 7)));
    const std::string save = game.ReadUserFile(kSaveFile).value_or("");
    EXPECT_EQ(Element(save, "saveLevel"), "Rainbow") << save;
    EXPECT_EQ(Element(save, "lives"), "3");
    EXPECT_EQ(Element(save, "score"), "0");

    game.Tap("s");
    ASSERT_TRUE(game.WaitForScreen("the scores screen", ScoresShown(game)));
    Sleep(1000);
    game.SaveScreenshot("12-scores");
    Stage("12-scores");
    ASSERT_TRUE(KeyShows(game, "Return", "the main menu", MenuWith(game, 7)));
    game.Tap("Escape");
    ExpectCleanExit(game);

    KeepTrace(game, traceOne);
    KeepTrace(game, traceTwo);
    const auto one = ReadTrace(traceOne);
    const auto two = ReadTrace(traceTwo);
    std::printf("first run caught: %s\n  broke: %s\nsecond run caught: %s\n  broke: %s\n",
                Joined(one.count("powerup") ? one.at("powerup") : std::set<std::string>{}).c_str(),
                Joined(one.count("brick") ? one.at("brick") : std::set<std::string>{}).c_str(),
                Joined(two.count("powerup") ? two.at("powerup") : std::set<std::string>{}).c_str(),
                Joined(two.count("brick") ? two.at("brick") : std::set<std::string>{}).c_str());
    EXPECT_TRUE(one.count("brick")) << "the first level's bricks were broken";
}

// --- The full path (BX2_E2E_FULL=1): every powerup and every kind of brick.

// A saved game of the default player at the start of a level, sealed as the game seals it.
std::string SavedGameAt(const std::string& level, int number, const std::string& difficulty, int lives) {
    return SealedSave({.lives = lives,
                       .level = level,
                       .number = number,
                       .date = "11 Dec 2026",
                       .difficulty = difficulty,
                       .pack = "classic"});
}

// The names the pack's files give, as <tag>name</tag> entries.
std::set<std::string> NamesIn(const std::string& file, const std::string& tag) {
    std::set<std::string> names;
    const std::string text = ReadFile(Resources() + "data/packs/classic/" + file);
    const std::string open = "<" + tag + ">";
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
        const size_t from = at + open.size();
        names.insert(text.substr(from, text.find('<', from) - from));
    }
    return names;
}

bool FullPath() {
    const char* v = std::getenv("BX2_E2E_FULL");
    return v && std::string(v) == "1";
}

// What the traces of the runs so far met, kind by kind.
struct Met {
    std::map<std::string, std::set<std::string>> names;
    void Add(const std::string& trace) {
        for (const auto& [kind, found] : ReadTrace(trace)) names[kind].insert(found.begin(), found.end());
    }
    bool Has(const std::string& kind, const std::string& name) const {
        const auto it = names.find(kind);
        return it != names.end() && it->second.count(name) != 0;
    }
};

// A level of the pack and the kinds of brick and powerup it offers, at a difficulty.
struct Visit {
    std::string level;
    int number;
    std::string difficulty;
    std::vector<std::string> powerups;
    std::vector<std::string> bricks;
};

// The game's random numbers start from the same seed every time, so with one frame time a level
// replayed plays as it did before. Each round plays at a frame time of its own: the game moves
// by another step each update, and the level plays out otherwise.
int FrameMsOfRound(int round) {
    // 20 to 59 ms, 40 first, each once in the first 40 rounds.
    return 20 + (20 + 17 * round) % 40;
}

// While something the visit offers is still missing, the level is played once from a saved game
// at its start, until that was met, the level cleared or lost, or the budget spent.
void PlayVisit(const Visit& visit, int round, Met& met, ScratchFolder& traces, int& runs, Clock::time_point budget) {
    const auto missing = [&] {
        std::vector<std::string> left;
        for (const std::string& p : visit.powerups) {
            if (!met.Has("powerup", p)) left.push_back("powerup " + p);
        }
        for (const std::string& b : visit.bricks) {
            if (!met.Has("brick", b)) left.push_back("brick " + b);
        }
        return left;
    };
    if (!missing().empty() && Clock::now() < budget) {
        const std::string trace = traces.path() + "/trace-" + std::to_string(++runs) + ".txt";
        const int frameMs = FrameMsOfRound(round);
        GameRun game(WholeGameRun(true, trace, frameMs));
        // Lives to spare: a lost ball is no reason to stop looking.
        const std::string save = SavedGameAt(visit.level, visit.number, visit.difficulty, 9);
        game.SeedUserFile("data/players/Nameless Wonder/save_classic.xml", save, 0444);
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.WaitForWindow(kTitle));
        Park(game);
        ASSERT_TRUE(game.WaitForScreen("the main menu with Continue", MenuWith(game, 7)));
        game.Tap("c");
        ASSERT_TRUE(game.WaitForScreen(visit.level + " in play", Playing(game), std::chrono::seconds(60)));
        Stage("run " + std::to_string(runs) + ": " + visit.level + " at " + visit.difficulty + ", " +
              std::to_string(frameMs) + " ms a frame");
        const std::string name = visit.level + "-" + visit.difficulty + "-" + std::to_string(runs);
        game.SaveScreenshot(name + "-start");
        const auto until = std::min(budget, Clock::now() + kLevelWait);
        bool shot = false;
        while (Clock::now() < until) {
            Met now = met;
            now.Add(trace);
            bool all = true;
            for (const std::string& p : visit.powerups) all = all && now.Has("powerup", p);
            for (const std::string& b : visit.bricks) all = all && now.Has("brick", b);
            // The level cleared (the game saved at the next one) or lost: play it anew.
            const bool over = game.ReadUserFile("data/players/Nameless Wonder/save_classic.xml") != save ||
                              OverGameWith(game, 4)(game.Capture());
            if (all || over) break;
            if (!shot && Clock::now() > until - kLevelWait / 2) {
                game.SaveScreenshot(name + "-midway");
                shot = true;
            }
            Sleep(1000);
        }
        game.SaveScreenshot(name + "-end");
        ASSERT_TRUE(game.Running()) << game.ExitDescription() << "\n" << game.Stderr();
        EXPECT_EQ(game.UserFileMode("bx2_error_log.txt"), -1);
        met.Add(trace);
        KeepTrace(game, trace);
    }
}

TEST(WholeGameFull, TheLevelsThatOfferThemCatchEveryPowerupAndBreakEveryKindOfBrick) {
    if (!FullPath()) GTEST_SKIP() << "the full path runs with BX2_E2E_FULL=1";
    // What the levels can offer: every powerup the pack has, and every brick but steel, which no
    // level places. Rage and reverse drop only at Insane.
    std::set<std::string> powerups = NamesIn("powerups.xml", "name");
    std::set<std::string> bricks = NamesIn("bricks.xml", "brickName");
    ASSERT_EQ(powerups.size(), 25u);
    ASSERT_EQ(bricks.size(), 17u);
    for (const std::string& level : NamesIn("levels.xml", "fileName")) {
        ASSERT_EQ(ReadFile(Resources() + "data/packs/classic/" + level).find("<brickName>steel</brickName>"),
                  std::string::npos);
    }
    bricks.erase("steel");

    const std::vector<std::string> common = {"expand", "multiball", "points", "bouncy",   "sticky",
                                             "fast",   "shrink",    "life",   "timewarp", "music"};
    const std::vector<Visit> visits = {
        {"First Light", 1, "Normal", common, {"red", "orange", "yellow"}},
        {"Rainbow", 2, "Normal", {"smart"}, {"green", "blue", "purple", "gold"}},
        {"Rivets", 3, "Normal", {"multiplier", "plow"}, {"tough", "tough_cracked", "tough_broken"}},
        {"Gnome Watch", 4, "Normal", {"distract", "calm"}, {}},
        {"Cold Snap", 5, "Normal", {"iceball"}, {"iceproof"}},
        {"Wildfire", 6, "Normal", {"fireball"}, {"wood", "explosive"}},
        {"Lock and Key", 7, "Normal", {}, {"key", "locked"}},
        {"Armoury", 8, "Normal", {"gun"}, {}},
        {"Safety Net", 9, "Normal", {"shield"}, {"shield"}},
        {"Frost Giants", 11, "Normal", {"shockball", "shaker"}, {}},
        {"Gnome Fort", 12, "Normal", {"distract", "shaker", "shockball"}, {}},
        {"Grand Finale", 13, "Normal", {"jackpot", "exit"}, {}},
        {"Gnome Watch", 4, "Insane", {"rage", "calm", "distract"}, {}},
        {"Cold Snap", 5, "Insane", {"reverse"}, {}},
    };
    std::set<std::string> offered;
    for (const Visit& visit : visits) {
        for (const std::string& p : visit.powerups) offered.insert("powerup " + p);
        for (const std::string& b : visit.bricks) offered.insert("brick " + b);
    }
    for (const std::string& p : powerups) EXPECT_TRUE(offered.count("powerup " + p)) << p << " is visited nowhere";
    for (const std::string& b : bricks) EXPECT_TRUE(offered.count("brick " + b)) << b << " is visited nowhere";

    // The levels in order, then again those where something is still missing, while the budget
    // lasts: what one level drops, another may drop too.
    ScratchFolder traces;
    Met met;
    int runs = 0;
    const char* minutes = std::getenv("BX2_E2E_FULL_MINUTES");
    const auto budget = Clock::now() + std::chrono::minutes(minutes ? std::atoi(minutes) : 45);
    for (int round = 0; round < 40 && Clock::now() < budget; ++round) {
        for (const Visit& visit : visits) {
            PlayVisit(visit, round, met, traces, runs, budget);
            if (HasFatalFailure()) return;
        }
    }

    std::set<std::string> missing;
    for (const std::string& p : powerups) {
        if (!met.Has("powerup", p)) missing.insert("powerup " + p);
    }
    for (const std::string& b : bricks) {
        if (!met.Has("brick", b)) missing.insert("brick " + b);
    }
    std::printf("%d runs; caught: %s\nbroke: %s\n", runs, Joined(met.names["powerup"]).c_str(),
                Joined(met.names["brick"]).c_str());
    EXPECT_TRUE(missing.empty()) << "never met: " << Joined(missing);
}

}  // namespace
