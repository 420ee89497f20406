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
    Player& thePlayer = Deref(player);
    thePlayer.LoadFromFile(playersPath, thePlayer.folderName);
    // The records shown during play count fair games only, from the file just read.
    thePlayer.highScore = -1;
    thePlayer.highLevel = -1;
    thePlayer.GetHighScore(1);
    thePlayer.GetHighLevel(1);
    ThrowError(1, "Starting New Game");

    if (currentLevel) UnloadCurrentLevel();
    ThrowError(1, "Starting New Game: current level unloaded");
    if (currentPack) {
        currentPack->Unlink();
        currentPack = nullptr;
    }
    currentPack = std::make_shared<Pack>();
    currentLevel = std::make_shared<Level>();
    currentPlayer = player;
    Pack& loaded = *currentPack;
    loaded.path = Deref(pack).path;

    ThrowError(1, "Starting New Game: begin loading pack");
    loaded.LoadPackData(1, LocalizedText);
    ThrowError(1, "Starting New Game: back from loading pack");

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

    if (!gameStats) gameStats = std::make_shared<GameStat>();
    GameStat& stat = *gameStats;
    stat.SetForContinue();
    stat.level = 0;
    stat.SetDate("");
    Universe& universe = Deref(g_gameUniverse);
    stat.difficulty = universe.currentDifficulty;
    stat.pack = loaded.saveName;
    lives = loaded.startingLives;
    g_godMode = 0;

    if (continueGame == 1) {
        std::string savedLevel = LoadGame(playersPath);
        // A pack that lost the saved level since the save still continues the game from its
        // first level. Looked up without a report: any logged line would end the start below.
        if (!savedLevel.empty() && !FindLevelEntry(savedLevel, false)) {
            std::cerr << Latin1ToUtf8("The saved level \"" + savedLevel +
                                      "\" is not in this pack; the game continues from its first level.")
                      << std::endl;
            savedLevel.clear();
        }
        LoadNextLevel(savedLevel);
        stat.SetDate("");
        // A save without a difficulty keeps the one the player chose.
        if (!stat.difficulty.empty()) universe.currentDifficulty = stat.difficulty;
    } else {
        DeleteCurrentSaveGame(playersPath, keepSaveFile);
        LoadNextLevel("");
    }

    // The first call takes up the motion from before the start; the second measures afresh.
    g_useMouseAsProportionalController();
    g_useMouseAsProportionalController();
    Deref(currentLevel).StartNewBall(loaded.soundsArray);

    // Every logged line is a fault in the content: the game does not start over it, and the
    // run ends as one that could not go on.
    if (!g_DebugLog.empty()) WriteDebugLog(LoadErrorMessage(), kCannotGoOnStatus);
    return 0;
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
