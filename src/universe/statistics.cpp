// The scores screen's statistics over all players: the 15 best scores and levels of clean
// games, and the totals, rebuilt from the player files.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "core/globals.h"
#include "universe/universe.h"

namespace {

// One row's step of the insertion: a row below the offered value moves down one and takes
// it. Walked from the last row up, this puts the value under the last row that is greater
// or equal, so of equal values the one offered first stays above.
template <class T>
void OfferToRow(std::vector<T>& values, std::vector<std::string>& names, size_t row, T value, const std::string& name) {
    if (!(values[row] < value)) return;
    if (row + 1 < values.size()) {
        values[row + 1] = values[row];
        names[row + 1] = names[row];
    }
    values[row] = value;
    names[row] = name;
}

}  // namespace

int Universe::CalculatePlayerStatistics() {
    return Guarded("universe:Universe.CalculatePlayerStatistics() ", 0, [&] {
        const size_t rows = kStatsTableRows;
        statsHighScoreNames.assign(rows, std::string());
        statsHighScores.assign(rows, 0);
        statsHighLevelNames.assign(rows, std::string());
        statsHighLevels.assign(rows, 0);

        // Cleared even without players, so the totals never outlive the players they came from.
        statsTotalTimeForeverLost = 0;
        statsTotalGamesPlayed = 0;
        statsTotalPointsScored = 0;
        statsTotalLevelsPlayed = 0;

        // Like a player's own totals, these are summed wide and stop at the ends of their
        // range, so that a hand-edited file cannot turn them negative.
        __int128 time = 0;
        __int128 points = 0;
        int64_t games = 0;
        int64_t levels = 0;
        const auto toLong = [](__int128 v) {
            return static_cast<int64_t>(std::clamp<__int128>(v, INT64_MIN, INT64_MAX));
        };

        for (const PlayerPtr& player : playersArray) {
            if (!player) continue;
            // The tables show what is stored, not what is in memory.
            player->LoadFromFile(playersPath, player->folderName);
            for (const GameStatPtr& stat : player->gameStatsArray) {
                if (!stat) continue;
                time += stat->time;
                statsTotalTimeForeverLost = toLong(time);
                // A cheated game counts as time spent, and for nothing else.
                if (stat->cheatEnabled != 0) continue;

                points += stat->score;
                levels += stat->level;
                games += 1;
                statsTotalPointsScored = toLong(points);
                statsTotalLevelsPlayed = static_cast<int>(std::clamp<int64_t>(levels, INT_MIN, INT_MAX));
                statsTotalGamesPlayed = static_cast<int>(std::min<int64_t>(games, INT_MAX));

                for (size_t row = rows; row-- > 0;) {
                    OfferToRow(statsHighScores, statsHighScoreNames, row, stat->score, player->name);
                    OfferToRow(statsHighLevels, statsHighLevelNames, row, stat->level, player->name);
                }
            }
        }
        return 0;
    });
}
