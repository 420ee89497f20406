// The game object and its level changes: release, the pointer's relative place, and a fresh
// level read from its file with a full ball pool and the paddle at its start.
#include "universe/game.h"

#include <cstdint>

#include "core/globals.h"
#include "core/lookup.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

constexpr int kDefaultMaxBalls = 16;
constexpr int kMostBalls = 1024;

}  // namespace

int BallPoolSize() {
    // A pool of 0 would leave every ball undrawn and unlaunchable; a huge one would take all memory.
    if (g_maxBalls < 1 || g_maxBalls > kMostBalls) g_maxBalls = kDefaultMaxBalls;
    return g_maxBalls;
}

Game::~Game() { Unlink(); }

int Game::Unlink() {
    return Guarded("universe:Game.Unlink() ", 0, [&] {
        if (currentLevel) {
            UnloadCurrentLevel();
            currentLevel = nullptr;
        }
        ThrowError(1, "Starting New Game: current level unloaded");
        // The player belongs to the universe's list and outlives this game: unlinking it would
        // empty its finished games, and the next save of its file would write them away.
        currentPlayer = nullptr;
        if (currentPack) {
            currentPack->Unlink();
            currentPack = nullptr;
        }
        if (currentPaddle) {
            currentPaddle->Unlink();
            currentPaddle = nullptr;
        }
        gameStats = nullptr;
        return 0;
    });
}

int Game::GetRelativeMouse(int, int) {
    return Guarded("universe:Game.GetRelativeMouse() ", 0, [&] {
        mouseRelX = static_cast<float>(MouseX()) / (static_cast<float>(g_virtualWidth) * g_widthFactor);
        mouseRelY = static_cast<float>(MouseY()) / (static_cast<float>(g_virtualHeight) * g_heightFactor);
        return 0;
    });
}

int Game::UnloadCurrentLevel() {
    return Guarded("universe:Game.UnloadCurrentLevel() ", 0, [&] {
        Deref(currentLevel).Unlink();
        currentLevel = nullptr;
        return 0;
    });
}

LevelPtr Game::FindLevelEntry(const std::string& name, bool reportMiss) {
    const std::vector<LevelPtr>& levels = Deref(currentPack).levelsArray;
    if (name.empty()) return At(levels, 0);
    if (reportMiss) return GetLevelByName(name, levels);
    return GetByName("universe:Game.FindLevelEntry() ", levels, &Level::name, name, nullptr);
}

int Game::ChangeLevel(const std::string& name) {
    return Guarded("universe:Game.ChangeLevel() ", -1, [&] {
        // Looked up before anything is unloaded: a name the pack lacks must leave the game a
        // level to end on, not an empty field.
        if (!FindLevelEntry(name, true)) return -1;
        if (currentLevel) UnloadCurrentLevel();
        return LoadNextLevel(name);
    });
}

int Game::LoadNextLevel(const std::string& levelName) {
    return Guarded("universe:Game.LoadNextLevel() ", 0, [&] {
        ThrowError(1, "Loading Level: [" + levelName + "]");
        Pack& pack = Deref(currentPack);
        const LevelPtr entry = FindLevelEntry(levelName, true);
        // Nothing is touched for a name the pack lacks: the game keeps the level it has.
        if (!entry) return -1;
        const std::string file = entry->nameOfFile;

        if (currentLevel) currentLevel->Unlink();
        currentLevel = std::make_shared<Level>();
        Level& level = *currentLevel;
        level.nameOfFile = file;

        GameStat& stat = Deref(gameStats);
        // Wraps like the 32-bit counter it is, never into undefined behaviour.
        stat.level = static_cast<int>(static_cast<uint32_t>(stat.level) + 1u);
        stat.scoreMultiplier = 1;
        level.gameOver = -1.0f;

        pack.ReloadBrickPowerupData();
        level.LoadFromFile(pack.Sources(), pack.path, gameStats);

        for (const BallPtr& ball : level.ballsArray) Deref(ball).isLive = 1;
        const size_t fromFile = level.ballsArray.size();
        ThrowError(1, "ballCount: " + IntToText(static_cast<int>(fromFile)));
        const size_t poolSize = static_cast<size_t>(BallPoolSize());
        for (size_t i = fromFile; i < poolSize; ++i) {
            level.ballsArray = AppendNewBall(level.ballsArray);
            Deref(At(level.ballsArray, level.ballsArray.size() - 1)).isLive = 0;
        }
        for (const BrickPtr& brick : level.bricksArray) Deref(brick).isLive = 1;
        level.CreateBrickBoxGrid();

        Paddle& paddle = Deref(currentPaddle);
        Sprite& paddleSprite = Deref(paddle.paddleSprite);
        paddleSprite.x = 300.0f;
        paddleSprite.y = static_cast<float>(g_gamefieldHeight + g_gamefieldYoffset) - paddleSprite.heightBound - 10.0f;
        paddle.isLive = 1;

        SetGlobalGameSpeed(1.0f, 10.0f, -1.0f);
        // Keys and clicks made while the level loaded must not act in its first step.
        FlushKeys();
        FlushMouse();
        ThrowError(1, "Finished Loading Level (from universe)!");
        level.StartNewBall(pack.soundsArray);
        return 0;
    });
}
