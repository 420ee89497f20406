// The game object: what Unlink drops and keeps (the universe's player above all), the pointer's
// place relative to the screen, the universe's release of its game and the ball pool's size.
#include <memory>

#include "game_support.h"

namespace {

class GameObject : public GameFixture {};

TEST_F(GameObject, UnlinkOfANewGameOnlyReportsItsNote) {
    Game fresh;
    g_DebugStrings.assign(10, "");
    EXPECT_EQ(fresh.Unlink(), 0);
    EXPECT_EQ(g_DebugStrings[0], "Note (Starting New Game: current level unloaded)");
    EXPECT_FALSE(fresh.currentPlayer || fresh.currentPack || fresh.currentPaddle || fresh.currentLevel ||
                 fresh.gameStats);
    EXPECT_EQ(fresh.currentDifficulty, "Normal");
    EXPECT_EQ(fresh.lives, 0);
    EXPECT_EQ(fresh.nextAction, "");
    EXPECT_EQ(fresh.mouseRelX + fresh.mouseRelY, 0.0f);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameObject, UnlinkOfAStartedGameReleasesItsObjectsAndLeavesThePlayersRecords) {
    // The player has finished games, in memory and in its file.
    auto finished = std::make_shared<GameStat>();
    finished->score = 900;
    player->AddGameStat(finished);
    ASSERT_EQ(player->SaveToFile(kPlayersPath), 1);
    ASSERT_EQ(Start(0), 0);
    ASSERT_EQ(player->gameStatsArray.size(), 1u);
    game->lives = 4;
    game->currentDifficulty = "Hard";
    const std::weak_ptr<Level> level = game->currentLevel;
    const std::weak_ptr<Pack> pack = game->currentPack;
    const std::weak_ptr<Paddle> paddle = game->currentPaddle;

    EXPECT_EQ(game->Unlink(), 0);
    EXPECT_FALSE(game->currentPlayer || game->currentPack || game->currentPaddle || game->currentLevel ||
                 game->gameStats);
    EXPECT_TRUE(level.expired() && pack.expired() && paddle.expired());
    EXPECT_EQ(game->lives, 4);
    EXPECT_EQ(game->currentDifficulty, "Hard");

    // The shared player keeps its games, so a save of its file right after still holds them.
    ASSERT_EQ(player->gameStatsArray.size(), 1u);
    ASSERT_NE(player->gameStatsArray[0], nullptr);
    ASSERT_EQ(player->SaveToFile(kPlayersPath), 1);
    Player reloaded;
    ASSERT_EQ(reloaded.LoadFromFile(kPlayersPath, kPlayerName), 1);
    ASSERT_EQ(reloaded.gameStatsArray.size(), 1u);
    EXPECT_EQ(reloaded.gameStatsArray[0]->score, 900);

    // Once more: nothing left to drop, only the note again.
    g_DebugStrings.assign(10, "");
    EXPECT_EQ(game->Unlink(), 0);
    EXPECT_EQ(g_DebugStrings[0], "Note (Starting New Game: current level unloaded)");
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameObject, TheUniverseUnlinksItsGameOnRelease) {
    ASSERT_EQ(Start(0), 0);
    // Someone else still holds the game: the universe's release must unlink it all the same.
    const GamePtr held = game;
    const std::weak_ptr<Level> level = held->currentLevel;
    universe().Unlink();
    EXPECT_EQ(universe().currentGame, nullptr);
    EXPECT_EQ(held->currentLevel, nullptr);
    EXPECT_EQ(held->currentPack, nullptr);
    EXPECT_TRUE(level.expired());
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameObject, RelativeMouseIsThePointerOverTheRealScreenSize) {
    const struct {
        float widthFactor, heightFactor;
        int x, y;
        float relX, relY;
    } cases[] = {
        {1.0f, 1.0f, 1023, 767, 1023.0f / 1024.0f, 767.0f / 768.0f},
        {1.0f, 1.0f, 0, 0, 0.0f, 0.0f},
        {1.25f, 1.25f, 640, 480, 0.5f, 0.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        g_widthFactor = c.widthFactor;
        g_heightFactor = c.heightFactor;
        InjectEvent({.type = InputEventType::MouseMove, .x = c.x, .y = c.y});
        // The arguments are not read.
        for (const int argument : {0, -7, 5000}) {
            game->mouseRelX = game->mouseRelY = -1.0f;
            EXPECT_EQ(game->GetRelativeMouse(argument, argument), 0);
            EXPECT_FLOAT_EQ(game->mouseRelX, c.relX);
            EXPECT_FLOAT_EQ(game->mouseRelY, c.relY);
        }
    }
}

TEST_F(GameObject, BallPoolSizeMendsAPreferenceOutsideItsRange) {
    const struct { int preference, size; } cases[] = {{16, 16}, {1, 1}, {1024, 1024}, {0, 16}, {-3, 16}, {1025, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preference);
        g_maxBalls = c.preference;
        EXPECT_EQ(BallPoolSize(), c.size);
        EXPECT_EQ(g_maxBalls, c.size);
    }
}

}  // namespace
