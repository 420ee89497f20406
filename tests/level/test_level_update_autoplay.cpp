// Plays the small autoplay level headless from its files to "clear level": the test is the
// player, steering the paddle through mouse motion and launching stuck balls.
#include <algorithm>
#include <cmath>

#include "level/autoplayer.h"
#include "test_level_update_support.h"

namespace {

using namespace levelplay;

constexpr int kMaxSteps = 40000;
using namespace autoplayer;

struct PlayResult {
    int stepsToClear = -1;  // update steps until the "clear level" goal ended the level
    int stepsToRest = -1;   // until the end timer came to rest at 0
    int64_t score = 0;
    int lives = 0;
    std::string nextLevel;
    float overlayAtRest = 0.0f;
    int accountingMismatches = 0;  // steps where the must-clear count disagreed with the bricks
    size_t nainsPlaced = 0;
    size_t powerupsReleased = 0;
    size_t projectilesMade = 0;
    int launches = 0;
    std::string log;
};

int LiveMustClearBricks(const Level& level) {
    int count = 0;
    for (const BrickPtr& brick : level.bricksArray) {
        if (brick->isLive == 1 && brick->mustClear == 1) ++count;
    }
    return count;
}

PlayResult PlayAutoplayLevel(int seed) {
    ResetInput();
    SeedRnd(seed);
    g_MouseXPrev = static_cast<int>(g_ScreenCenterX);
    g_MouseYPrev = static_cast<int>(g_ScreenCenterY);
    g_MouseXSpeed = 0.0f;
    g_ScreenOverlayAlpha = 0.0f;
    g_DebugLog.clear();

    PlayResult result;
    TestPack pack;
    LoadTestPack(pack, FixturePath("level/autoplay/"));
    auto stat = std::make_shared<GameStat>();
    LevelPtr level = StartTestLevel(pack, "level1.xml", stat);
    int lives = 3;

    for (int step = 1; step <= kMaxSteps; ++step) {
        level->playerPaddle->Update(0.0f);
        MoveMouseToward(*level, PaddleTarget(*level));
        level->Update(stat, pack.sounds, lives, 0);
        // Fire: the main loop frees every stuck ball and sends it off the paddle.
        for (const BallPtr& ball : level->ballsArray) {
            if (ball->isStuck == kBallNotStuck) continue;
            ball->isStuck = kBallNotStuck;
            ball->CalculatePaddleRebound(level->playerPaddle);
            ++result.launches;
        }
        if (level->levelEndTTL == -1.0f && level->mustClearBrickCount != LiveMustClearBricks(*level)) {
            ++result.accountingMismatches;
        }
        if (result.stepsToClear < 0 && level->levelEndTTL != -1.0f) result.stepsToClear = step;
        if (level->levelEndTTL == 0.0f) {
            result.stepsToRest = step;
            break;
        }
        if (level->gameOver == 0.0f) break;
    }
    result.score = stat->score;
    result.lives = lives;
    result.nextLevel = level->nextLevel;
    result.overlayAtRest = g_ScreenOverlayAlpha;
    result.nainsPlaced = level->nainsArray.size();
    result.powerupsReleased = level->powerupsArray.size();
    result.projectilesMade = level->projectilesArray.size();
    result.log = g_DebugLog;
    level->Unlink();
    return result;
}

class Autoplay : public LevelWorld {};

TEST_F(Autoplay, TheLevelLoadsAndStartsAsTheGameStartsIt) {
    TestPack pack;
    LoadTestPack(pack, FixturePath("level/autoplay/"));
    ASSERT_EQ(pack.sprites.size(), 6u);
    ASSERT_EQ(pack.bricks.size(), 5u);
    auto stat = std::make_shared<GameStat>();
    LevelPtr level = StartTestLevel(pack, "level1.xml", stat);

    EXPECT_EQ(level->name, "Autoplay");
    EXPECT_EQ(level->bricksArray.size(), 40u);
    EXPECT_EQ(level->mustClearBrickCount, 36);  // the four locked bricks go with their keys
    EXPECT_EQ(level->brickBoxArray.size(), 9u);
    EXPECT_EQ(level->goalsArray.size(), 4u);
    EXPECT_EQ(level->sourceNainsArray.size(), 1u);
    EXPECT_EQ(level->sourcePowerupsArray.size(), 1u);
    ASSERT_NE(level->backgroundImage, nullptr);
    ASSERT_EQ(static_cast<int>(level->ballsArray.size()), g_maxBalls);
    EXPECT_EQ(level->ballsArray[0]->isLive, 1);
    EXPECT_EQ(level->ballsArray[0]->isStuck, 45);
    for (size_t i = 1; i < level->ballsArray.size(); ++i) EXPECT_EQ(level->ballsArray[i]->isLive, 0) << i;
    ASSERT_NE(level->playerPaddle, nullptr);
    EXPECT_FLOAT_EQ(level->playerPaddle->paddleSprite->x, 300.0f);
    EXPECT_FLOAT_EQ(level->playerPaddle->paddleSprite->y, 754.0f - 16.0f);
    EXPECT_EQ(g_DebugLog, "");
    level->Unlink();
}

TEST_F(Autoplay, APlayerClearsTheLevelTheSameWayEveryTime) {
    const PlayResult first = PlayAutoplayLevel(2024);

    ASSERT_GT(first.stepsToClear, 0) << "not cleared within " << kMaxSteps << " steps";
    EXPECT_EQ(first.nextLevel, "Next");
    // The goal's 50 ticks start counting in the step that set them, and rest at 0, black.
    EXPECT_EQ(first.stepsToRest, first.stepsToClear + 49);
    EXPECT_FLOAT_EQ(first.overlayAtRest, 1.0f);
    EXPECT_GT(first.lives, 0);
    EXPECT_GT(first.score, 0);
    EXPECT_EQ(first.accountingMismatches, 0);
    EXPECT_GE(first.launches, 1);
    // The level's other inhabitants took part.
    EXPECT_GT(first.nainsPlaced, 0u);
    EXPECT_GT(first.powerupsReleased, 0u);
    EXPECT_GT(first.projectilesMade, 0u);
    // A clean run of sound content logs nothing.
    EXPECT_EQ(first.log, "");

    RecordProperty("steps", first.stepsToClear);
    RecordProperty("score", std::to_string(first.score));
    RecordProperty("lives", first.lives);

    const PlayResult second = PlayAutoplayLevel(2024);
    EXPECT_EQ(second.stepsToClear, first.stepsToClear);
    EXPECT_EQ(second.score, first.score);
    EXPECT_EQ(second.lives, first.lives);
    EXPECT_EQ(second.nainsPlaced, first.nainsPlaced);
    EXPECT_EQ(second.powerupsReleased, first.powerupsReleased);
}

}  // namespace
