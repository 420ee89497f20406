// Starting a game: the player's profile afresh, the pack loaded in full, the ball pool, paddle
// and record, then the saved game continued or deleted and the first level loaded.
#include <iostream>

#include "core/globals.h"
#include "core/io.h"
#include "pieces/ball.h"
#include "platform/runtime.h"
#include "players/savedgame.h"
#include "sprites/sprites.h"
#include "text/parser.h"
#include "universe/game.h"

std::string LoadErrorMessage() {
    return std::string("Brondelvix 2! generated some errors when trying to load this game pack.") + "\n\n" +
           "Please see the file named \"" + ErrorLogPath() +
           "\" for details, so that we can find and squish the problem.";
}

int Game::StartGame(const PlayerPtr& player, const PackPtr& pack, const std::string& playersPath, int continueGame,
                    int keepSaveFile, const std::string&) {
    ReadPlayerRecords(Deref(player), playersPath);
    ThrowError(1, "Starting New Game");
    LoadPackAfresh(player, pack);
    MakeBallPoolAndPaddle();
    ResetRecord();
    if (continueGame == 1) {
        ContinueSavedGame(playersPath);
    } else {
        DeleteCurrentSaveGame(playersPath, keepSaveFile);
        LoadNextLevel("");
    }

    // The first call takes up the motion from before the start; the second measures afresh.
    g_useMouseAsProportionalController();
    g_useMouseAsProportionalController();
    Deref(currentLevel).StartNewBall(currentPack->soundsArray);

    // Every logged line is a fault in the content: the game does not start over it, and the
    // run ends as one that could not go on.
    if (!g_DebugLog.empty()) WriteDebugLog(LoadErrorMessage(), kCannotGoOnStatus);
    return 0;
}

void Game::ReadPlayerRecords(Player& player, const std::string& playersPath) {
    player.LoadFromFile(playersPath, player.folderName);
    // The records shown during play count fair games only, from the file just read.
    player.highScore = -1;
    player.highLevel = -1;
    player.GetHighScore(1);
    player.GetHighLevel(1);
}

void Game::LoadPackAfresh(const PlayerPtr& player, const PackPtr& pack) {
    if (currentLevel) UnloadCurrentLevel();
    ThrowError(1, "Starting New Game: current level unloaded");
    if (currentPack) {
        currentPack->Unlink();
        currentPack = nullptr;
    }
    currentPack = std::make_shared<Pack>();
    currentLevel = std::make_shared<Level>();
    currentPlayer = player;
    currentPack->path = Deref(pack).path;

    ThrowError(1, "Starting New Game: begin loading pack");
    currentPack->LoadPackData(1, LocalizedText);
    ThrowError(1, "Starting New Game: back from loading pack");
}

void Game::MakeBallPoolAndPaddle() {
    const Pack& loaded = *currentPack;
    // The placeholder level carries the ball pool until the first level replaces it.
    const size_t poolSize = static_cast<size_t>(BallPoolSize());
    currentLevel->ballsArray.assign(poolSize, nullptr);
    const SpritePtr ballSprite = GetSpriteByName("ball", loaded.spritesArray);
    for (BallPtr& ball : currentLevel->ballsArray) {
        ball = std::make_shared<Ball>();
        Deref(ball->ballSprite).Clone(ballSprite, nullptr);
    }
    currentPaddle = std::make_shared<Paddle>();
    Deref(currentPaddle->paddleSprite).Clone(GetSpriteByName("paddle", loaded.spritesArray), nullptr);
}

void Game::ResetRecord() {
    if (!gameStats) gameStats = std::make_shared<GameStat>();
    GameStat& stat = *gameStats;
    stat.SetForContinue();
    stat.level = 0;
    stat.SetDate("");
    stat.difficulty = Deref(g_gameUniverse).currentDifficulty;
    stat.pack = currentPack->saveName;
    lives = currentPack->startingLives;
    g_godMode = 0;
}

void Game::ContinueSavedGame(const std::string& playersPath) {
    std::string savedLevel = LoadGame(playersPath);
    // A pack that lost the saved level since the save still continues the game from its first
    // level. Looked up without a report: any logged line would end the start.
    if (!savedLevel.empty() && !FindLevelEntry(savedLevel, false)) {
        std::cerr << Latin1ToUtf8("The saved level \"" + savedLevel +
                                  "\" is not in this pack; the game continues from its first level.")
                  << std::endl;
        savedLevel.clear();
    }
    LoadNextLevel(savedLevel);
    GameStat& stat = *gameStats;
    stat.SetDate("");
    // A save without a difficulty keeps the one the player chose.
    if (!stat.difficulty.empty()) Deref(g_gameUniverse).currentDifficulty = stat.difficulty;
}

int Game::DeleteCurrentSaveGame(const std::string& playersPath, int keepSaveFile) {
    return Guarded("universe:Game.DeleteCurrentSaveGame() ", 0, [&] {
        if (keepSaveFile != 0) return 0;
        const std::string path =
            SavedGamePath(playersPath, Deref(currentPlayer).folderName, Deref(currentPack).saveName);
        if (!path.empty()) DeleteGameFile(path);
        return 0;
    });
}
