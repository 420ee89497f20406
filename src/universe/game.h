// One game from its start to its end: the player, the pack loaded in full for it, the live
// level, the paddle, the lives and the running record; its start, level changes, saved game
// and the in-game screen.
#pragma once

#include <memory>
#include <string>

#include "level/level.h"
#include "pack/packs.h"
#include "pieces/gamestats.h"
#include "pieces/paddle.h"
#include "players/players.h"
#include "universe/universe.h"

// What the game start says when anything was logged during it; it names the error log's file.
std::string LoadErrorMessage();

class Game {
public:
    PlayerPtr currentPlayer;  // the universe's own player object, shared
    PackPtr currentPack;      // a pack of the game's own, loaded in full
    PaddlePtr currentPaddle;
    LevelPtr currentLevel;
    std::string currentDifficulty = "Normal";
    int lives = 0;
    GameStatPtr gameStats;
    std::string nextAction;
    float mouseRelX = 0.0f;  // the pointer as a fraction of the screen, from GetRelativeMouse
    float mouseRelY = 0.0f;

    Game() = default;
    // Unlinks once more.
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Drops the level, player, pack, paddle and record; may run again. Always 0.
    int Unlink();
    // mouseRelX and mouseRelY from the pointer; the arguments are not read. Always 0.
    int GetRelativeMouse(int x, int y);
    // Writes the saved game of the current player and pack. 0 written; -4 editorFlag is 1; -1 no
    // player, -2 no pack, -3 no level (tested in that order); -5 nothing was written (the write
    // failed, said on standard error, or the pack's save name cannot name a file).
    int SaveGame(const std::string& playersPath, int editorFlag);
    // Restores the record and the lives from the saved game and returns the saved level's name
    // ("-1", "-2", "-3" without player, pack or level). Without a saved game nothing changes
    // and the current level's name comes back; a file that holds none (cut short, garbled) is
    // said on standard error.
    std::string LoadGame(const std::string& playersPath);
    // Loads the pack in full and the first or the saved level. No handler. Anything logged
    // during the start (or earlier in the run) ends the program with LoadErrorMessage().
    // difficulty is not read: the universe's current one is. Always 0.
    int StartGame(const PlayerPtr& player, const PackPtr& pack, const std::string& playersPath, int continueGame,
                  int keepSaveFile, const std::string& difficulty);
    // keepSaveFile 0 deletes the saved game of the current player and pack. Always 0.
    int DeleteCurrentSaveGame(const std::string& playersPath, int keepSaveFile);
    // Unlinks the level and drops it. Always 0.
    int UnloadCurrentLevel();
    // A fresh level read from the file of the pack's level of that name ("" the first one), with
    // its ball pool filled and the game's paddle placed. 0; -1 when the pack has no level of
    // that name (reported): the current level and the record stay as they are.
    int LoadNextLevel(const std::string& levelName);
    // The play loop's level change: 0 when the level of that name replaced the current one; -1
    // when the pack has none (reported once) and the current level goes on. On -1 the caller ends
    // the game through its game-over screen: it clears nextLevel, sets levelEndTTL to -1,
    // g_ScreenOverlayAlpha to 0 and the level's gameOver to 0.
    int ChangeLevel(const std::string& name);
    // The pack's level entry of that name, "" the first one; null when there is none. A miss is
    // reported under code -14 when reportMiss is set, and passed over in silence otherwise.
    LevelPtr FindLevelEntry(const std::string& name, bool reportMiss);

    // One frame of play: the field, the side panel, then the screen refresh. Always "".
    std::string DrawGameScreen(const UniversePtr& universe);
    // The background and the field with its pieces, particles, floating texts and balls. The
    // texts move by one frame only when advanceTexts is 1, so screens over a frozen game pass 0.
    // Whatever is missing is skipped. Ends with the clip open on the whole window. No handler:
    // what it raises goes to the caller's.
    int DrawField(int advanceTexts);
    // The side panel: score, lives, level, the level's and player's names and the records, over
    // the whole window in alpha blending. The drawing scale is left at the screen factors, the
    // colour white and the font large. No handler.
    int DrawSidePanel(const UniversePtr& universe);

private:
    // The phases of StartGame, in the order it runs them.
    void ReadPlayerRecords(Player& player, const std::string& playersPath);
    // The level and pack dropped, and the pack loaded in full in a new one of the game's own.
    void LoadPackAfresh(const PlayerPtr& player, const PackPtr& pack);
    void MakeBallPoolAndPaddle();
    // The record of a new game on the pack, with the pack's lives.
    void ResetRecord();
    void ContinueSavedGame(const std::string& playersPath);
};

// The play loop updates the running game this many times for every frame it draws; what moves
// once a drawn frame (the editor's template, say) moves this many steps to keep up.
inline constexpr int kUpdatesPerFrame = 4;

// The screens over a stopped game (pause, game over, their fades) draw with these two, every
// frame: the screen cleared, then the universe's current game's field with its floating texts
// held still; then its side panel. Without a game only the clip is opened. No handler.
void DrawFrozenPlayField(const UniversePtr& universe);
void DrawFrozenSidePanel(const UniversePtr& universe);

// The size of every level's ball pool: g_maxBalls, first put back to 16 when it lies outside
// 1 to 1024.
int BallPoolSize();
