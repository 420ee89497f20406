// The scores screen's statistics: the two 15-row tables of the best clean games over all
// players and the four totals, always rebuilt from the player files.
#include <climits>
#include <utility>
#include <vector>

#include "universe_support.h"

namespace {

struct Played {
    int64_t score;
    int level;
    int time;
    int cheat;
};
struct Games {
    std::string player;
    std::vector<Played> games;
};
using Rows = std::vector<std::pair<int64_t, std::string>>;

class Statistics : public UniverseTest {
protected:
    Universe u;

    void SetUp() override {
        UniverseTest::SetUp();
        LoadErrorCodes("data/", "en");
        u.playersPath = "data/players/";
        std::filesystem::create_directories(userFolder + "data/players");
    }
    void TearDown() override {
        u.Unlink();
        UniverseTest::TearDown();
    }

    // Players with finished games, stored in their files as the game stores them.
    void MakePlayers(const std::vector<Games>& players) {
        for (const Games& g : players) {
            ASSERT_EQ(u.AddPlayer(g.player), 0);
            Player& p = *u.playersArray.back();
            for (const Played& game : g.games) {
                auto stat = std::make_shared<GameStat>();
                stat->score = game.score;
                stat->level = game.level;
                stat->time = game.time;
                stat->cheatEnabled = game.cheat;
                p.AddGameStat(stat);
            }
            ASSERT_EQ(p.SaveToFile(u.playersPath), 1);
        }
    }

    // The rows, padded with vacant ones to the full 15.
    static Rows Padded(Rows rows) {
        rows.resize(kStatsTableRows, {0, ""});
        return rows;
    }
    Rows ScoreRows() const {
        Rows rows;
        for (size_t i = 0; i < u.statsHighScores.size(); ++i)
            rows.push_back({u.statsHighScores[i], u.statsHighScoreNames.at(i)});
        return rows;
    }
    Rows LevelRows() const {
        Rows rows;
        for (size_t i = 0; i < u.statsHighLevels.size(); ++i)
            rows.push_back({u.statsHighLevels[i], u.statsHighLevelNames.at(i)});
        return rows;
    }
};

TEST_F(Statistics, TablesHoldTheBestCleanGamesAndTotalsCountEveryGame) {
    Rows sixteenScores, sixteenLevels;
    std::vector<Played> sixteen;
    for (int i = 1; i <= 16; ++i) sixteen.push_back({i, i, 10, 0});
    for (int i = 16; i >= 2; --i) {
        sixteenScores.push_back({i, "P"});
        sixteenLevels.push_back({i, "P"});
    }

    struct Case {
        const char* name;
        std::vector<Games> players;
        Rows scores;
        Rows levels;
        int64_t time;
        int games;
        int64_t points;
        int levelsPlayed;
    };
    const Case cases[] = {
        {"zero scores are counted but never entered",
         {{"P", {{500, 4, 100, 0}, {0, 0, 200, 0}, {300, 2, 300, 0}}}},
         {{500, "P"}, {300, "P"}},
         {{4, "P"}, {2, "P"}},
         600,
         3,
         800,
         6},
        {"of equal values the earlier player stands above",
         {{"A", {{400, 3, 1, 0}}}, {"B", {{400, 3, 1, 0}}}},
         {{400, "A"}, {400, "B"}},
         {{3, "A"}, {3, "B"}},
         2,
         2,
         800,
         6},
        {"of equal values the earlier game stands above",
         {{"A", {{100, 1, 1, 0}, {700, 5, 1, 0}}}, {"B", {{700, 5, 1, 0}}}},
         {{700, "A"}, {700, "B"}, {100, "A"}},
         {{5, "A"}, {5, "B"}, {1, "A"}},
         3,
         3,
         1500,
         11},
        {"sixteen games: the smallest drops out", {{"P", sixteen}}, sixteenScores, sixteenLevels, 160, 16, 136, 136},
        {"a cheated game counts only in the time",
         {{"P", {{100, 2, 1000, 0}, {900, 9, 5000, 1}, {50, 1, 7, 2}}}},
         {{100, "P"}},
         {{2, "P"}},
         6007,
         1,
         100,
         2},
        {"the three best of one player fill the first rows",
         {{"B", {{500, 1, 0, 0}}}, {"A", {{900, 2, 0, 0}, {700, 2, 0, 0}, {800, 2, 0, 0}}}},
         {{900, "A"}, {800, "A"}, {700, "A"}, {500, "B"}},
         {{2, "A"}, {2, "A"}, {2, "A"}, {1, "B"}},
         0,
         4,
         2900,
         7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        MakePlayers(c.players);
        EXPECT_EQ(u.CalculatePlayerStatistics(), 0);
        EXPECT_EQ(ScoreRows(), Padded(c.scores));
        EXPECT_EQ(LevelRows(), Padded(c.levels));
        EXPECT_EQ(u.statsTotalTimeForeverLost, c.time);
        EXPECT_EQ(u.statsTotalGamesPlayed, c.games);
        EXPECT_EQ(u.statsTotalPointsScored, c.points);
        EXPECT_EQ(u.statsTotalLevelsPlayed, c.levelsPlayed);
        EXPECT_EQ(g_DebugLog, "");
        TearDown();
    }
}

TEST_F(Statistics, EveryCallRebuildsFromThePlayerFiles) {
    MakePlayers({{"A", {{300, 3, 10, 0}, {200, 2, 10, 0}}}, {"B", {{100, 1, 10, 0}}}});
    u.CalculatePlayerStatistics();
    EXPECT_EQ(ScoreRows(), Padded({{300, "A"}, {200, "A"}, {100, "B"}}));

    // A game only in memory does not count; the stored list comes back.
    Player& a = *u.playersArray[0];
    auto unsaved = std::make_shared<GameStat>();
    unsaved->score = 9999;
    a.AddGameStat(unsaved);
    a.highScore = 42;  // the play caches are none of the tables' business
    // B's file now holds fewer games than before: no row of the last call survives.
    Player& b = *u.playersArray[1];
    b.gameStatsArray.clear();
    ASSERT_EQ(b.SaveToFile(u.playersPath), 1);

    u.CalculatePlayerStatistics();
    EXPECT_EQ(ScoreRows(), Padded({{300, "A"}, {200, "A"}}));
    EXPECT_EQ(a.gameStatsArray.size(), 2u);
    EXPECT_EQ(a.highScore, 42);
    EXPECT_EQ(u.statsTotalGamesPlayed, 2);
    EXPECT_EQ(u.statsTotalPointsScored, 500);
}

TEST_F(Statistics, AHandEditedFileStillCountsWithItsEditedGames) {
    MakePlayers({{"A", {{300, 3, 10, 0}}}});
    const std::string file = userFolder + "data/players/A/player.xml";
    std::string text = ReadText(file);
    const std::string from = "<score>300</score>";
    ASSERT_NE(text.find(from), std::string::npos);
    text.replace(text.find(from), from.size(), "<score>3000000</score>");
    ASSERT_EQ(WriteWholeFile(file, text, 0644), 1);

    u.CalculatePlayerStatistics();
    EXPECT_EQ(u.playersArray[0]->playerIsTamperedWith, 1);
    EXPECT_EQ(ScoreRows(), Padded({{3000000, "A"}}));
    EXPECT_EQ(u.statsTotalPointsScored, 3000000);
}

TEST_F(Statistics, WithoutPlayersTablesAndTotalsAreCleared) {
    MakePlayers({{"A", {{300, 3, 10, 0}}}});
    u.CalculatePlayerStatistics();
    ASSERT_EQ(u.statsTotalGamesPlayed, 1);

    u.playersArray.clear();
    EXPECT_EQ(u.CalculatePlayerStatistics(), 0);
    EXPECT_EQ(ScoreRows(), Padded({}));
    EXPECT_EQ(LevelRows(), Padded({}));
    EXPECT_EQ(u.statsTotalTimeForeverLost, 0);
    EXPECT_EQ(u.statsTotalGamesPlayed, 0);
    EXPECT_EQ(u.statsTotalPointsScored, 0);
    EXPECT_EQ(u.statsTotalLevelsPlayed, 0);
}

TEST_F(Statistics, TheLevelTotalStopsAtTheEndOfItsRange) {
    struct Case {
        const char* name;
        std::vector<int> levels;
        int expected;
    };
    // Saturated like the player's own total, never wrapped: the whole sum is clamped, not
    // each step, so a level taken off a sum past the end still leaves it there.
    const Case cases[] = {
        {"past the top", {INT_MAX, INT_MAX}, INT_MAX},
        {"past the bottom", {INT_MIN, INT_MIN}, INT_MIN},
        {"back from past the top", {INT_MAX, INT_MAX, -INT_MAX}, INT_MAX},
        {"a plain sum", {100, 20, -3}, 117},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        std::vector<Played> games;
        for (int level : c.levels) games.push_back({1, level, INT_MAX, 0});
        MakePlayers({{"A", games}});
        u.CalculatePlayerStatistics();
        EXPECT_EQ(u.statsTotalLevelsPlayed, c.expected);
        EXPECT_EQ(u.statsTotalLevelsPlayed, u.playersArray[0]->GetTotalLevels(1));
        // One player's play time may pass 32 bits in the total.
        EXPECT_EQ(u.statsTotalTimeForeverLost, static_cast<int64_t>(c.levels.size()) * INT_MAX);
        TearDown();
    }
}

TEST_F(Statistics, ThePointsTotalStopsAtTheEndOfItsRange) {
    // Two players whose scores pass the 64-bit range together: the total stays at its end,
    // like each player's own total, instead of wrapping to a negative number.
    MakePlayers({{"A", {{INT64_MAX, 1, 10, 0}}}, {"B", {{INT64_MAX / 2, 1, 10, 0}}}});
    u.CalculatePlayerStatistics();
    EXPECT_EQ(u.statsTotalPointsScored, INT64_MAX);
    EXPECT_EQ(u.playersArray[0]->GetTotalScore(1), INT64_MAX);
}

}  // namespace
