// The cheat keys: their gate, what each key does to the nains, the balls, the paddle, the score,
// the game speed and the level, and how presses made before the same pass combine.
#include <gtest/gtest.h>

#include "app_support.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "sprites/animation.h"
#include "sprites/sprites.h"

namespace {

using namespace app_test;

std::string Showing(const SpritePtr& sprite) {
    if (!sprite || sprite->currentAnimation < 0 ||
        static_cast<size_t>(sprite->currentAnimation) >= sprite->animationArray.size()) {
        return "";
    }
    return sprite->animationArray[static_cast<size_t>(sprite->currentAnimation)]->name;
}

class Cheats : public MainProgramTest {
protected:
    NainPtr nain;

    void SetUp() override {
        MainProgramTest::SetUp();
        StartUp();
        StartGame();
        game().gameStats->cheatEnabled = 1;
        // A nain seated on the level's brick, with a body that can dance and wave.
        nain = std::make_shared<Nain>();
        nain->nainSprite = std::make_shared<Sprite>();
        nain->nainSprite->Clone(GetSpriteByName("nain_sprite", game().currentPack->spritesArray), nullptr);
        nain->nainSprite->JumpToAnimation("idle");
        nain->parentBrick = level().bricksArray.at(0);
        level().bricksArray.at(0)->currentNain = nain;
        level().nainsArray.push_back(nain);
        ASSERT_EQ(g_DebugLog, "");
    }

    void PressAll(const std::string& keys) {
        for (char key : keys) Press(key);
    }
};

TEST_F(Cheats, TheBallKeysGiveEveryBallOfThePoolItsKindAndItsLook) {
    struct Case {
        const char* keys;  // pressed before one pass
        int fire, ice, shock, plow, smart;
        const char* look;  // the starter's animation after the pass
    };
    const Case cases[] = {
        {"1", 0, 1, 0, 0, 0, "Iceball"},     {"2", 40, 0, 0, 0, 0, "Fireball"},
        {"222", 40, 0, 0, 0, 0, "Fireball"},  // three presses act once: 40, not 120
        {"3", 0, 0, 1, 0, 0, "Shockball"},   {"4", 0, 0, 0, 1, 0, "Standard"},
        {"5", 0, 0, 0, 0, 1, "Standard"},    {"6", 40, 1, 1, 0, 0, "Impossiball"},
        {"27", 0, 0, 0, 0, 0, "Standard"},  // 7 is asked after 2
        {"72", 0, 0, 0, 0, 0, "Standard"},  // whatever order they were pressed in
        {"457", 0, 0, 0, 1, 1, "Standard"},  {"67", 0, 0, 0, 0, 0, "Standard"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        StartGame();
        game().gameStats->cheatEnabled = 1;
        PressAll(c.keys);
        CheatKeys(game());
        const std::vector<BallPtr>& pool = level().ballsArray;
        for (const size_t i : {size_t{0}, pool.size() - 1}) {
            SCOPED_TRACE(i == 0 ? "the ball in play" : "the pool's last ball, out of play");
            EXPECT_EQ(pool[i]->isFireball, c.fire);
            EXPECT_EQ(pool[i]->isIceball, c.ice);
            EXPECT_EQ(pool[i]->isShockball, c.shock);
            EXPECT_EQ(pool[i]->isBrickplow, c.plow);
            EXPECT_EQ(pool[i]->isSmart, c.smart);
        }
        EXPECT_EQ(Showing(pool[0]->ballSprite), c.look);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Cheats, TheNainKeysKnockThemOffOrMakeThemDanceAndWave) {
    PressAll("AW");
    CheatKeys(game());
    EXPECT_EQ(Showing(nain->nainSprite), "Wave") << "W is asked after A";
    Press('A');
    CheatKeys(game());
    EXPECT_EQ(Showing(nain->nainSprite), "Dance");

    Press('K');
    CheatKeys(game());
    EXPECT_EQ(nain->status, "falling");
    EXPECT_EQ(nain->parentBrick, nullptr);
    EXPECT_EQ(level().bricksArray[0]->currentNain, nullptr);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Cheats, GodModeWidensThePaddleByFiveEachPress) {
    Sprite& paddle = *level().playerPaddle->paddleSprite;
    const float scale = paddle.xScale;
    Press('G');
    CheatKeys(game());
    EXPECT_EQ(g_godMode, 1);
    EXPECT_FLOAT_EQ(paddle.xScale, scale + 5.0f);
    Press('G');
    CheatKeys(game());
    EXPECT_EQ(g_godMode, 1);
    EXPECT_FLOAT_EQ(paddle.xScale, scale + 10.0f);
}

TEST_F(Cheats, PointsSlowMotionAndTheNextLevel) {
    GameStat& stat = *game().gameStats;
    stat.scoreMultiplier = 2;
    Press('C');
    CheatKeys(game());
    EXPECT_EQ(stat.score, 2000000) << "a million times the multiplier";

    // Slow motion looks at the target, not at the speed of the moment.
    const struct {
        float target;
        float after;
    } speeds[] = {{1.0f, 0.33f}, {0.33f, 1.0f}, {0.5f, 1.0f}};
    for (const auto& s : speeds) {
        SCOPED_TRACE(s.target);
        g_gameSpeedTargetModulation = s.target;
        g_gameSpeedModulation = 1.0f;
        Press('S');
        CheatKeys(game());
        EXPECT_FLOAT_EQ(g_gameSpeedTargetModulation, s.after);
        EXPECT_FLOAT_EQ(g_gameSpeedModulation, 1.0f) << "the speed glides there frame by frame";
        EXPECT_FLOAT_EQ(g_gameSpeedModulationTTL, -1.0f);
    }

    Press('N');
    CheatKeys(game());
    EXPECT_EQ(level().mustClearBrickCount, 0);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Cheats, OnlyARecordWithCheatsEnabledLetsAKeyAct) {
    for (const int flag : {0, 2}) {
        SCOPED_TRACE(flag);
        game().gameStats->cheatEnabled = flag;
        PressAll("K2GCN");
        CheatKeys(game());
        EXPECT_EQ(nain->status, "");
        EXPECT_EQ(level().ballsArray[0]->isFireball, 0);
        EXPECT_EQ(g_godMode, 0);
        EXPECT_EQ(game().gameStats->score, 0);
        EXPECT_EQ(level().mustClearBrickCount, 1);
        FlushKeys();
    }
    // Enabled, the keys act within the game's update pass.
    level().nainsArray.clear();
    level().bricksArray[0]->currentNain = nullptr;
    game().gameStats->cheatEnabled = 1;
    Press('C');
    Passes(1);
    EXPECT_EQ(game().gameStats->score, 1000000);
    EXPECT_EQ(g_DebugLog, "");
}

}  // namespace
