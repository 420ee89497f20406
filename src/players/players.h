// A named player profile: its password digest, finished-game records, the "player.xml" file
// guarded by digests, the abandoned-save record and the statistics the menus and play show.
//
// A player lives in the folder it was read from or created in, whatever name its file gives:
// a folder renamed by hand keeps its records, and a folder copied by hand is a second player
// of the same name with a life of its own (each writes only its own folder). Choices by name
// take the last such player in the listing's byte order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/hash.h"
#include "pieces/gamestats.h"

class Player;
using PlayerPtr = std::shared_ptr<Player>;

class Player {
public:
    std::string name;                         // the name shown, as the player file gives it
    std::string folderName;                   // its folder under the players folder; "" until read or made
    HashPtr password;                         // digest of name + padding + password + "|"
    std::vector<GameStatPtr> gameStatsArray;  // finished games, oldest first
    HashPtr gameStatsHash;                    // digest over the name and every record digest
    int playerIsTamperedWith = 0;             // 1 once a statistics check failed; never cleared
    int64_t highScore = -1;                   // cache of GetHighScore; -1 not yet computed
    int64_t highLevel = -1;                   // cache of GetHighLevel; -1 not yet computed

    Player();

    // Empties every record slot (the array keeps its length); always 0.
    int Unlink();
    // 1 when the password matches the stored digest for the current name.
    int TestPassword(const std::string& pass);
    // Makes the player's folder, named after it, and its file. -5 the name exists, -6 the folder
    // cannot be made (an unsafe name too), else SaveToFile's result. When the file cannot be
    // written, the folder it made goes again and the player is left as it was.
    int CreateNewPlayer(const std::string& playersFolder, const std::string& newName, const std::string& pass);
    // Reads the player file of the folder and remembers the folder. 1 loaded and verified; -7 no
    // "player" element or no name in it (nothing changes); ThrowError(-12) when the statistics
    // digest differs (the records still load and the player is flagged); 0 after a failure.
    int LoadFromFile(const std::string& playersFolder, const std::string& fromFolder);
    // The record of the pack's saved game in the player's folder, with its level less one and the
    // cheat flag on a digest mismatch; the save file is removed. nullptr when there is none, it
    // holds no play time, or no save file can be named (SavedGamePath in players/savedgame.h).
    GameStatPtr DeleteCurrentSavedGame(const std::string& playersFolder, const std::string& saveName);
    // Writes "player.xml" read-only into the player's folder. 1 written, -1 cannot be opened,
    // 0 a write failed, -2 no player folder; every failure is said on standard error.
    int SaveToFile(const std::string& playersFolder);
    // Re-digests every record, then the statistics digest over the name and those digests.
    int CalculateGamestatHashes();
    // Kept for its slot; does nothing.
    int UpdatePassword(const std::string& a, const std::string& b, const std::string& c);
    // Appends a copy of the record dated today and re-digests; the caller saves.
    int AddGameStat(const GameStatPtr& stat);

    // Statistics. A record counts when legitOnly is 0 or its cheat flag is 0.
    // GetHighLevel and GetHighScore answer from their caches once set (whatever legitOnly).
    int GetHighLevel(int legitOnly);
    int64_t GetHighScore(int legitOnly);
    int GetHighScoreIndex(int legitOnly);  // last counted record with the best score; -1 none
    int64_t GetAverageScore(int legitOnly);
    int64_t GetTotalScore(int legitOnly);
    int GetTotalGames(int legitOnly);
    int GetAverageLevel(int legitOnly);
    int GetTotalLevels(int legitOnly);
    int GetAverageGameTime(int legitOnly);
    int GetTimeForeverLost(int legitOnly);

    // 1 deleted; 0 something remains; -9 no player folder (or a folder name that is not safe);
    // ThrowError(-10) when the password is wrong and force is not 1. Only the player's own
    // folder under the players folder goes; links in it are removed, never followed.
    int DeletePlayer(const std::string& playersFolder, const std::string& pass, int force);
};

// A new array: the same players followed by one new player; the given array is unchanged.
std::vector<PlayerPtr> AppendNewPlayer(const std::vector<PlayerPtr>& array);

// 1 when the name may become a folder directly under the players folder: not empty or all
// blanks, not "." or "..", no "/" and no zero byte.
int IsSafePlayerName(const std::string& name);

// The players module's start-up, once; later calls return at once.
void InitPlayers();
