// A player's statistics: best score and level (cached for the panel that shows them every
// frame), totals and averages, each with or without the games played with cheats.
#include <climits>

#include "core/globals.h"
#include "core/numeric.h"
#include "platform/runtime.h"
#include "players/players.h"

namespace {

bool Counts(const GameStat& stat, int legitOnly) { return legitOnly == 0 || stat.cheatEnabled == 0; }

int64_t SaturateToLong(__int128 value) {
    return value > INT64_MAX ? INT64_MAX : value < INT64_MIN ? INT64_MIN : static_cast<int64_t>(value);
}

// Sums are kept wide: a long-lived player's play time passes the 32-bit range (some 24.8 days)
// and would wrap to a negative total; the totals stop at the end of their range instead, and
// the averages divide the true sum.
__int128 SumScores(const std::vector<GameStatPtr>& stats, int legitOnly) {
    __int128 sum = 0;
    for (const GameStatPtr& stat : stats) {
        if (Counts(Deref(stat), legitOnly)) sum += stat->score;
    }
    return sum;
}

int64_t SumLevels(const std::vector<GameStatPtr>& stats, int legitOnly) {
    int64_t sum = 0;
    for (const GameStatPtr& stat : stats) {
        if (Counts(Deref(stat), legitOnly)) sum += stat->level;
    }
    return sum;
}

int64_t SumTimes(const std::vector<GameStatPtr>& stats, int legitOnly) {
    int64_t sum = 0;
    for (const GameStatPtr& stat : stats) {
        if (Counts(Deref(stat), legitOnly)) sum += stat->time;
    }
    return sum;
}

}  // namespace

int Player::GetHighLevel(int legitOnly) {
    return Guarded("player:Player.GetHighLevel() ", 0, [&] {
        // The cache holds the level with its sign widened; its low 32 bits are the level.
        if (highLevel != -1) return static_cast<int>(static_cast<uint32_t>(highLevel));
        int best = 0;
        for (const GameStatPtr& stat : gameStatsArray) {
            if (Counts(Deref(stat), legitOnly) && stat->level >= best) best = stat->level;
        }
        highLevel = best;
        return best;
    });
}

int64_t Player::GetHighScore(int legitOnly) {
    return Guarded("player:Player.GetHighScore() ", int64_t{0}, [&] {
        if (highScore != -1) return highScore;
        int64_t best = 0;
        for (const GameStatPtr& stat : gameStatsArray) {
            if (Counts(Deref(stat), legitOnly) && stat->score >= best) best = stat->score;
        }
        highScore = best;
        return best;
    });
}

int Player::GetHighScoreIndex(int legitOnly) {
    return Guarded("player:Player.GetHighScoreIndex() ", 0, [&] {
        int64_t best = 0;
        int index = -1;
        for (size_t i = 0; i < gameStatsArray.size(); ++i) {
            const GameStat& stat = Deref(gameStatsArray[i]);
            if (Counts(stat, legitOnly) && stat.score >= best) {
                best = stat.score;
                index = static_cast<int>(i);
            }
        }
        return index;
    });
}

int64_t Player::GetAverageScore(int legitOnly) {
    return Guarded("player:Player.GetAverageScore() ", int64_t{0}, [&] {
        const int games = GetTotalGames(legitOnly);
        if (games == 0) return int64_t{0};
        return SaturateToLong(SumScores(gameStatsArray, legitOnly) / games);
    });
}

int64_t Player::GetTotalScore(int legitOnly) {
    return Guarded("player:Player.GetTotalScore() ", int64_t{0},
                   [&] { return SaturateToLong(SumScores(gameStatsArray, legitOnly)); });
}

int Player::GetTotalGames(int legitOnly) {
    return Guarded("player:Player.GetTotalGames() ", 0, [&] {
        int games = 0;
        for (const GameStatPtr& stat : gameStatsArray) {
            if (Counts(Deref(stat), legitOnly)) ++games;
        }
        return games;
    });
}

int Player::GetAverageLevel(int legitOnly) {
    return Guarded("player:Player.GetAverageLevel() ", 0, [&] {
        const int games = GetTotalGames(legitOnly);
        if (games == 0) return 0;
        return SaturateToInt(SumLevels(gameStatsArray, legitOnly) / games);
    });
}

int Player::GetTotalLevels(int legitOnly) {
    return Guarded("player:Player.GetTotalLevels() ", 0,
                   [&] { return SaturateToInt(SumLevels(gameStatsArray, legitOnly)); });
}

int Player::GetAverageGameTime(int legitOnly) {
    return Guarded("player:Player.GetAverageGameTime() ", 0, [&] {
        const int games = GetTotalGames(legitOnly);
        if (games == 0) return 0;
        return SaturateToInt(SumTimes(gameStatsArray, legitOnly) / games);
    });
}

int Player::GetTimeForeverLost(int legitOnly) {
    return Guarded("player:Player.GetTimeForeverLost() ", 0,
                   [&] { return SaturateToInt(SumTimes(gameStatsArray, legitOnly)); });
}
