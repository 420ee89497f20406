// A player's statistics: best score and level with their play-time caches, totals and
// truncated averages, each with and without the games played with cheats.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "core/globals.h"
#include "players/players.h"
#include "support/game_test.h"

namespace {

struct Game {
    int64_t score;
    int level;
    int time;
    int cheat;
};

PlayerPtr PlayerWith(const std::vector<Game>& games) {
    auto player = std::make_shared<Player>();
    for (const Game& g : games) {
        auto stat = std::make_shared<GameStat>();
        stat->score = g.score;
        stat->level = g.level;
        stat->time = g.time;
        stat->cheatEnabled = g.cheat;
        player->gameStatsArray.push_back(stat);
    }
    return player;
}

class PlayerStats : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitPlayers();
        g_debugLogQuiet = 1;
    }
};

TEST_F(PlayerStats, QueriesCountCheatedGamesOnlyWhenAsked) {
    const struct {
        const char* what;
        std::vector<Game> games;
        int legitOnly;
        int games_;
        int64_t totalScore, averageScore, highScore;
        int highScoreIndex, totalLevels, averageLevel, highLevel, totalTime, averageTime;
    } cases[] = {
        {"no games", {}, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0},
        {"no games, cheats counted", {}, 0, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0},
        {"averages truncate", {{1, 3, 1000, 0}, {2, 4, 1001, 0}, {0, 4, 1, 0}}, 1, 3, 3, 1, 2, 1, 11, 3, 4, 2002, 667},
        {"last of equal best scores",
         {{5, 1, 10, 0}, {3, 9, 10, 0}, {5, 2, 10, 0}},
         1,
         3,
         13,
         4,
         5,
         2,
         12,
         4,
         9,
         30,
         10},
        {"every game cheated, left out", {{50, 5, 100, 1}, {70, 2, 300, 2}}, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0},
        {"every game cheated, counted", {{50, 5, 100, 1}, {70, 2, 300, 2}}, 0, 2, 120, 60, 70, 1, 7, 3, 5, 400, 200},
        {"a cheated best left out",
         {{10, 2, 100, 0}, {999, 8, 900, 1}, {20, 3, 200, 0}},
         7,
         2,
         30,
         15,
         20,
         2,
         5,
         2,
         3,
         300,
         150},
        {"a cheated best counted",
         {{10, 2, 100, 0}, {999, 8, 900, 1}, {20, 3, 200, 0}},
         0,
         3,
         1029,
         343,
         999,
         1,
         13,
         4,
         8,
         1200,
         400},
        // Averages truncate toward zero; values below 0 never raise a best.
        {"below zero", {{-5, -3, -7, 0}, {-2, 0, 0, 0}}, 1, 2, -7, -3, 0, -1, -3, -1, 0, -7, -3},
        {"all scores zero", {{0, 0, 0, 0}, {0, 0, 0, 0}}, 1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PlayerPtr player = PlayerWith(c.games);
        EXPECT_EQ(player->GetTotalGames(c.legitOnly), c.games_);
        EXPECT_EQ(player->GetTotalScore(c.legitOnly), c.totalScore);
        EXPECT_EQ(player->GetAverageScore(c.legitOnly), c.averageScore);
        EXPECT_EQ(player->GetHighScore(c.legitOnly), c.highScore);
        EXPECT_EQ(player->highScore, c.highScore);
        EXPECT_EQ(player->GetHighScoreIndex(c.legitOnly), c.highScoreIndex);
        EXPECT_EQ(player->GetTotalLevels(c.legitOnly), c.totalLevels);
        EXPECT_EQ(player->GetAverageLevel(c.legitOnly), c.averageLevel);
        EXPECT_EQ(player->GetHighLevel(c.legitOnly), c.highLevel);
        EXPECT_EQ(player->highLevel, c.highLevel);
        EXPECT_EQ(player->GetTimeForeverLost(c.legitOnly), c.totalTime);
        EXPECT_EQ(player->GetAverageGameTime(c.legitOnly), c.averageTime);
    }
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(PlayerStats, BestResultsStayAsFirstComputedUntilTheCachesAreReset) {
    const PlayerPtr player = PlayerWith({{100, 2, 10, 0}, {900, 7, 10, 1}});
    // The first call decides: cheats counted.
    EXPECT_EQ(player->GetHighScore(0), 900);
    EXPECT_EQ(player->GetHighLevel(0), 7);
    EXPECT_EQ(player->GetHighScore(1), 900);
    EXPECT_EQ(player->GetHighLevel(1), 7);

    // A better game added later changes nothing until the game start resets the caches.
    auto better = std::make_shared<GameStat>();
    better->score = 5000;
    better->level = 20;
    player->gameStatsArray.push_back(better);
    EXPECT_EQ(player->GetHighScore(1), 900);
    EXPECT_EQ(player->GetHighLevel(1), 7);
    player->highScore = -1;
    player->highLevel = -1;
    EXPECT_EQ(player->GetHighScore(1), 5000);
    EXPECT_EQ(player->GetHighLevel(1), 20);

    // A zero cached before any game stays after games arrive.
    const PlayerPtr fresh = PlayerWith({});
    EXPECT_EQ(fresh->GetHighScore(1), 0);
    EXPECT_EQ(fresh->GetHighLevel(1), 0);
    fresh->gameStatsArray.push_back(better);
    EXPECT_EQ(fresh->GetHighScore(1), 0);
    EXPECT_EQ(fresh->GetHighLevel(1), 0);

    // The level cache gives back its low 32 bits, sign included.
    fresh->highLevel = (int64_t{1} << 32) + 7;
    EXPECT_EQ(fresh->GetHighLevel(1), 7);
    fresh->highLevel = -2;
    EXPECT_EQ(fresh->GetHighLevel(1), -2);
}

TEST_F(PlayerStats, SumsPastTheirRangeStopAtItsEndAndAveragesStayTrue) {
    const PlayerPtr player =
        PlayerWith({{INT64_MAX, INT_MAX, INT_MAX, 0}, {INT64_MAX - 1, INT_MAX - 1, INT_MAX - 1, 0}});
    EXPECT_EQ(player->GetTotalScore(1), INT64_MAX);
    EXPECT_EQ(player->GetTotalLevels(1), INT_MAX);
    EXPECT_EQ(player->GetTimeForeverLost(1), INT_MAX);
    EXPECT_EQ(player->GetAverageScore(1), INT64_MAX - 1);
    EXPECT_EQ(player->GetAverageLevel(1), INT_MAX - 1);
    EXPECT_EQ(player->GetAverageGameTime(1), INT_MAX - 1);

    const PlayerPtr low = PlayerWith({{INT64_MIN, INT_MIN, INT_MIN, 0}, {-1, -1, -1, 0}});
    EXPECT_EQ(low->GetTotalScore(0), INT64_MIN);
    EXPECT_EQ(low->GetTotalLevels(0), INT_MIN);
    EXPECT_EQ(low->GetTimeForeverLost(0), INT_MIN);
    EXPECT_EQ(low->GetAverageScore(0), INT64_MIN / 2);
    EXPECT_EQ(low->GetAverageGameTime(0), INT_MIN / 2);
}

TEST_F(PlayerStats, AnEmptiedSlotIsCaughtAndLoggedByEachQuery) {
    const PlayerPtr player = PlayerWith({{10, 1, 1, 0}, {20, 2, 2, 0}});
    player->Unlink();
    const std::string nullText = "Attempt to access field or method of Null object";
    const struct {
        const char* label;
        std::function<int64_t()> query;
    } cases[] = {
        {"player:Player.GetHighLevel() ", [&] { return int64_t{player->GetHighLevel(1)}; }},
        {"player:Player.GetHighScore() ", [&] { return player->GetHighScore(1); }},
        {"player:Player.GetHighScoreIndex() ", [&] { return int64_t{player->GetHighScoreIndex(1)}; }},
        {"player:Player.GetTotalScore() ", [&] { return player->GetTotalScore(1); }},
        {"player:Player.GetTotalGames() ", [&] { return int64_t{player->GetTotalGames(1)}; }},
        {"player:Player.GetTotalLevels() ", [&] { return int64_t{player->GetTotalLevels(1)}; }},
        {"player:Player.GetTimeForeverLost() ", [&] { return int64_t{player->GetTimeForeverLost(1)}; }},
    };
    for (const auto& c : cases) {
        g_DebugLog.clear();
        EXPECT_EQ(c.query(), 0) << c.label;
        const std::vector<std::string> lines = DebugLogLines();
        ASSERT_EQ(lines.size(), 1u) << c.label;
        EXPECT_EQ(lines[0], c.label + nullText);
    }
    // A failed walk writes no cache.
    EXPECT_EQ(player->highScore, -1);
    EXPECT_EQ(player->highLevel, -1);
}

}  // namespace
