// The level's update step: its timers and fades, the goal gate, must-clear accounting, the
// ball sub-steps, paddle hits, new nains and powerups, and how a failure ends the tick.
#include <algorithm>
#include <cmath>

#include "sprites/animation.h"
#include "sprites/random.h"
#include "test_level_update_support.h"

namespace {

using namespace levelplay;

constexpr int kFree = -999999;

class LevelUpdate : public LevelWorld {
protected:
    void SetUp() override {
        LevelWorld::SetUp();
        LoadTestPack(pack, FixturePath("level/autoplay/"));
        ASSERT_FALSE(pack.bricks.empty());
        stat = std::make_shared<GameStat>();
        level = NewLevel();
        g_DebugLog.clear();
    }
    void TearDown() override {
        if (level) level->Unlink();
        for (const BrickPtr& brick : spare) brick->Unlink();
        pack.Unlink();
        LevelWorld::TearDown();
    }

    static void Place(const SpritePtr& sprite, float x, float y) {
        sprite->x = sprite->absX = x;
        sprite->y = sprite->absY = y;
    }

    // A level as the game holds one after its start: the paddle at x 300 on its row, a ball
    // template, an empty shield, a pool of four dead balls, no fade running.
    LevelPtr NewLevel() {
        auto l = std::make_shared<Level>();
        l->playerPaddleSource = std::make_shared<Paddle>();
        l->playerPaddleSource->LoadFromXML("<paddle><spriteName>paddle_sprite</spriteName></paddle>", pack.sprites, 0);
        l->playerPaddle = std::make_shared<Paddle>();
        l->playerPaddle->Clone(l->playerPaddleSource);
        Place(l->playerPaddle->paddleSprite, 300.0f, 738.0f);
        l->brickShield = std::make_shared<BrickBox>();
        l->brickShield->SetDimensions(4.0f, 724.0f, g_BrickShieldY, g_BrickShieldY + 50.0f);
        l->newBallsSourceArray = AppendNewBall(l->newBallsSourceArray);
        l->newBallsSourceArray[0]->LoadFromXML(
            "<ball><spriteName>ball_sprite</spriteName><isStuck>45</isStuck><vel>5</vel></ball>", pack.sprites, 0);
        for (int i = 0; i < 4; ++i) l->ballsArray = AppendNewBall(l->ballsArray);
        for (const PowerupPtr& p : pack.powerups) {
            l->sourcePowerupsArray = AppendNewPowerup(l->sourcePowerupsArray);
            l->sourcePowerupsArray.back()->Clone(p);
        }
        for (const ProjectilePtr& p : pack.projectiles) {
            l->sourceProjectilesArray = AppendNewProjectile(l->sourceProjectilesArray);
            l->sourceProjectilesArray.back()->Clone(p);
        }
        l->levelStartTTL = -1.0f;
        return l;
    }

    BrickPtr BrickOf(const std::string& kind, float x, float y) {
        auto brick = std::make_shared<Brick>();
        brick->Clone(GetBrickByName(kind, pack.bricks));
        Place(brick->brickSprite, x, y);
        brick->isLive = 1;
        return brick;
    }

    // Adds a level brick and rebuilds the grid over the bricks' bounds, as the loader does.
    BrickPtr AddBrick(const std::string& kind, float x, float y) {
        BrickPtr brick = BrickOf(kind, x, y);
        level->bricksArray.push_back(brick);
        if (brick->mustClear == 1) ++level->mustClearBrickCount;
        const Sprite& s = *brick->brickSprite;
        level->brickMinX = std::min(level->brickMinX, s.x);
        level->brickMinY = std::min(level->brickMinY, s.y);
        level->brickMaxX = std::max(level->brickMaxX, s.x + s.widthBound * s.xScale);
        level->brickMaxY = std::max(level->brickMaxY, s.y + s.heightBound * s.yScale);
        for (const BrickBoxPtr& box : level->brickBoxArray) box->Unlink(0);
        level->CreateBrickBoxGrid();
        return brick;
    }

    // A live ball in pool slot i, heading (dx, dy) at speed vel.
    BallPtr LiveBall(size_t i, float x, float y, float dx, float dy, float vel = 4.0f) {
        BallPtr ball = level->ballsArray.at(i);
        ball->Clone(pack.balls.at(0));
        ball->isLive = 1;
        Place(ball->ballSprite, x, y);
        ball->ballSprite->dx = dx;
        ball->ballSprite->dy = dy;
        ball->ballSprite->vel = vel;
        return ball;
    }

    NainPtr NainFrom(const std::string& extra) {
        auto nain = std::make_shared<Nain>();
        nain->LoadFromXML("<nain><name>gnome</name><spriteName>gnome_sprite</spriteName>" + extra + "</nain>",
                          pack.sprites, 0);
        return nain;
    }

    int Update(int noNewNains = 0) { return level->Update(stat, pack.sounds, lives, noNewNains); }

    TestPack pack;
    GameStatPtr stat;
    LevelPtr level;
    std::vector<BrickPtr> spare;
    int lives = 3;
};

// ---------------------------------------------------------------------------
// Timers and fades, counted with a fixed game speed.

struct TimerCase {
    const char* what;
    float speed;
    int steps;
    float newPaddle, grace, levelEnd, levelStart, gameOver;
    // after the steps
    float newPaddleAfter, graceAfter, levelEndAfter, levelStartAfter, gameOverAfter;
    float alphaAfter;  // the overlay starts at 0.3 in every case
    bool newBallStarted;
};

const TimerCase kTimerCases[] = {
    {"end fade, first tick", 1, 1, -1, -1, 10, -1, -1, -1, -1, 9, -1, -1, 1.0f - 9.0f / 25.0f, false},
    {"end fade runs out", 1, 10, -1, -1, 10, -1, -1, -1, -1, 0, -1, -1, 1.0f, false},
    {"end timer rests at 0", 1, 15, -1, -1, 10, -1, -1, -1, -1, 0, -1, -1, 1.0f, false},
    {"end timer above the fade", 1, 1, -1, -1, 50, -1, -1, -1, -1, 49, -1, -1, 0.3f, false},
    {"start fade, first tick", 1, 1, -1, -1, -1, 25, -1, -1, -1, -1, 24, -1, 24.0f / 25.0f, false},
    {"start fade at half speed", 0.5f, 1, -1, -1, -1, 25, -1, -1, -1, -1, 24.5f, -1, 24.5f / 25.0f, false},
    {"start fade ends", 1, 1, -1, -1, -1, 0.5f, -1, -1, -1, -1, -1, -1, 0.0f, false},
    {"start fade lands on 0", 1, 1, -1, -1, -1, 1, -1, -1, -1, -1, 0, -1, 0.0f, false},
    {"both fades: the fade-in wins", 1, 1, -1, -1, 10, 20, -1, -1, -1, 9, 19, -1, 19.0f / 25.0f, false},
    {"game over counts down", 1, 1, -1, -1, -1, -1, 3, -1, -1, -1, -1, 2, 0.3f, false},
    {"game over rests at 0", 1, 3, -1, -1, -1, -1, 0.5f, -1, -1, -1, -1, 0, 0.3f, false},
    {"new paddle below 0", 1, 1, 0.5f, -1, -1, -1, -1, -1, 49, -1, -1, -1, 0.3f, true},
    {"new paddle landing on 0 waits", 1, 1, 1, -1, -1, -1, -1, 0, -1, -1, -1, -1, 0.3f, false},
    {"new paddle one tick later", 1, 2, 1, -1, -1, -1, -1, -1, 49, -1, -1, -1, 0.3f, true},
    {"grace period ends", 1, 1, -1, 0.5f, -1, -1, -1, -1, -1, -1, -1, -1, 0.3f, false},
    {"grace at double speed", 2, 1, -1, 10, -1, -1, -1, -1, 8, -1, -1, -1, 0.3f, false},
};

TEST_F(LevelUpdate, TimersCountDownByTheGameSpeedAndSetTheFades) {
    for (const TimerCase& c : kTimerCases) {
        SCOPED_TRACE(c.what);
        level->Unlink();
        level = NewLevel();
        g_gameSpeedFactor = c.speed;
        g_ScreenOverlayAlpha = 0.3f;
        g_ScreenOverlayRed = g_ScreenOverlayGreen = g_ScreenOverlayBlue = 99;
        level->newPaddleTTL = c.newPaddle;
        level->newPaddleGracePeriod = c.grace;
        level->levelEndTTL = c.levelEnd;
        level->levelStartTTL = c.levelStart;
        level->gameOver = c.gameOver;
        level->playerPaddle->paddleSprite->x = 100.0f;

        for (int i = 0; i < c.steps; ++i) EXPECT_EQ(Update(), 0);

        EXPECT_FLOAT_EQ(level->newPaddleTTL, c.newPaddleAfter);
        EXPECT_FLOAT_EQ(level->newPaddleGracePeriod, c.graceAfter);
        EXPECT_FLOAT_EQ(level->levelEndTTL, c.levelEndAfter);
        EXPECT_FLOAT_EQ(level->levelStartTTL, c.levelStartAfter);
        EXPECT_FLOAT_EQ(level->gameOver, c.gameOverAfter);
        EXPECT_NEAR(g_ScreenOverlayAlpha, c.alphaAfter, 1e-6);
        if (c.alphaAfter != 0.3f && c.levelStartAfter != -1.0f) {
            EXPECT_EQ(g_ScreenOverlayRed, 0);
        }
        // A new start puts the paddle back at 300 with the template's ball stuck on it.
        EXPECT_EQ(level->playerPaddle->paddleSprite->x == 300.0f, c.newBallStarted);
        EXPECT_EQ(level->ballsArray[0]->isLive == 1, c.newBallStarted);
    }
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// Goals run only while the level neither ends nor waits for a new paddle.

TEST_F(LevelUpdate, GoalsRunOnlyWhileNoEndOrNewPaddleIsPending) {
    struct Case {
        const char* what;
        float levelEnd, newPaddle;
        int remainingAfter;
    };
    const Case cases[] = {
        {"open", -1, -1, 100 - 25},
        {"level ending", 40, -1, 100},
        {"level ended", 0, -1, 100},
        {"new paddle awaited", -1, 150, 100},
    };
    g_frameDelay = 25;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        level->goalsArray.clear();
        level->goalsArray = AppendNewGoal(level->goalsArray);
        level->goalsArray[0]->LoadFromXML(
            "<goal><goalType>none</goalType><time>100</time><successType>music</successType></goal>");
        level->levelEndTTL = c.levelEnd;
        level->newPaddleTTL = c.newPaddle;
        Update();
        EXPECT_EQ(level->goalsArray[0]->timeRemaining, c.remainingAfter);
    }
}

TEST_F(LevelUpdate, AClearedLevelEndsOnceAndIsNeverTestedAgain) {
    level->goalsArray = AppendNewGoal(level->goalsArray);
    level->goalsArray[0]->LoadFromXML(
        "<goal><goalType>clear level</goalType><successType>level</successType><successAction>Two</successAction>"
        "</goal>");
    ASSERT_EQ(level->mustClearBrickCount, 0);

    Update();
    EXPECT_EQ(level->nextLevel, "Two");
    EXPECT_FLOAT_EQ(level->levelEndTTL, 49.0f);  // 50, counted down in the same tick

    level->nextLevel.clear();
    for (int i = 0; i < 60; ++i) Update();
    EXPECT_EQ(level->nextLevel, "");
    EXPECT_FLOAT_EQ(level->levelEndTTL, 0.0f);
    EXPECT_FLOAT_EQ(g_ScreenOverlayAlpha, 1.0f);
}

// ---------------------------------------------------------------------------
// Must-clear accounting.

TEST_F(LevelUpdate, OnlyMustClearBricksOfTheLevelLowerTheCount) {
    struct Case {
        const char* what;
        const char* kind;
        bool inShield;
        int mustClear;
        float ttl;  // -1: a ball falls onto it; otherwise its fuse
        int ballLive;
        int countDrop;
        int liveAfter;
    };
    const Case cases[] = {
        {"struck must-clear brick", "plain", false, 1, -1, 1, 1, 0},
        {"a dead ball on it", "plain", false, 1, -1, 0, 0, 1},
        {"struck brick that need not be cleared", "plain", false, 0, -1, 1, 0, 0},
        {"struck brick with a next form", "tough", false, 1, -1, 1, 0, 1},
        {"fuse runs out", "plain", false, 1, 0.5f, 0, 1, 0},
        {"struck shield brick", "plain", true, 1, -1, 1, 0, 0},
        {"shield brick whose fuse runs out", "plain", true, 1, 0.5f, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        level->Unlink();
        level = NewLevel();
        const float y = c.inShield ? g_BrickShieldY : 300.0f;
        BrickPtr brick;
        if (c.inShield) {
            brick = BrickOf(c.kind, 80.0f, y);
            level->brickShield->TestAddBrick(brick);
            spare.push_back(brick);
            AddBrick("plain", 500.0f, 100.0f);  // something to clear elsewhere
        } else {
            brick = AddBrick(c.kind, 80.0f, y);
        }
        brick->mustClear = c.mustClear;
        level->mustClearBrickCount = 5;
        brick->ttl = c.ttl;
        // A live ball falls onto the brick's top; a dead one lies right inside it.
        if (c.ttl == -1.0f) LiveBall(0, 100.0f, c.ballLive ? y - 11.0f : y + 5.0f, 0.0f, 1.0f)->isLive = c.ballLive;

        Update();
        EXPECT_EQ(level->mustClearBrickCount, 5 - c.countDrop);
        EXPECT_EQ(brick->isLive, c.liveAfter);
    }
}

TEST_F(LevelUpdate, ABrickReleasesItsPowerupOnceAndTheNewPowerupFallsTheSameTick) {
    BrickPtr dropper = AddBrick("plain", 100.0f, 200.0f);
    BrickPtr quiet = AddBrick("plain", 300.0f, 200.0f);
    dropper->ttl = 0.5f;
    quiet->ttl = 0.5f;
    // The plain brick's table is shared with its template: give each its own.
    dropper->powerupGenerated = std::make_shared<Random>();
    dropper->powerupGenerated->LoadFromXML(
        "<powerupGenerated><randomData><action>grow</action><value>1</value></randomData></powerupGenerated>");
    quiet->powerupGenerated = std::make_shared<Random>();
    quiet->powerupGenerated->LoadFromXML(
        "<powerupGenerated><randomData><action>none</action><value>1</value></randomData></powerupGenerated>");

    Update();
    EXPECT_EQ(dropper->isLive, 0);
    EXPECT_EQ(dropper->powerupToGenerate, "");
    EXPECT_EQ(dropper->powerupCount, 0);
    EXPECT_EQ(quiet->isLive, 0);
    EXPECT_EQ(quiet->powerupToGenerate, "none");  // kept, and nothing released for it
    ASSERT_EQ(level->powerupsArray.size(), 1u);
    const Sprite& falling = *level->powerupsArray[0]->powerupSprite;
    EXPECT_EQ(level->powerupsArray[0]->isLive, 1);
    // Put at the brick's centre, then already moved by the powerup walk of the same tick.
    EXPECT_NE(falling.y, 210.0f - falling.heightBound / 2.0f);

    for (int i = 0; i < 5; ++i) Update();
    EXPECT_EQ(level->powerupsArray.size(), 1u);
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// The ball sub-steps.

TEST_F(LevelUpdate, LiveBallsAreCountedAndTheLastOneIsTheNainsTarget) {
    struct Case {
        const char* what;
        bool firstLive, blastLive;
        int aliveAfter;
        int targetSlot;  // -1 none
    };
    const Case cases[] = {
        {"all balls dead", false, false, 0, -1},
        {"one ball", true, false, 1, 0},
        {"a ball and a weapon shot", true, true, 1, 2},
        {"only a weapon shot", false, true, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        level->Unlink();
        level = NewLevel();
        if (c.firstLive) LiveBall(0, 200.0f, 400.0f, 0.0f, -1.0f);
        if (c.blastLive) {
            LiveBall(2, 500.0f, 400.0f, 0.0f, -1.0f)->isWeaponBlast = 1;
        }
        // A nain whose look aims at "ball": it takes the target the level hands it.
        level->nainsArray = AppendNewNain(level->nainsArray);
        NainPtr nain = NainFrom("<maxBounces>3</maxBounces>");
        level->nainsArray[0]->Clone(nain);
        nain->Unlink();
        const SpritePtr& body = level->nainsArray[0]->nainSprite;
        Place(body, 600.0f, 100.0f);
        AnimationPtr look = body->CurrentAnimationOrNull();
        ASSERT_NE(look, nullptr);
        look->StepsArray[0]->targetSpriteName = "ball";

        Update();
        EXPECT_EQ(level->ballsAlive, c.aliveAfter);
        SpritePtr target = body->targetSprite.lock();
        if (c.targetSlot < 0) {
            EXPECT_EQ(target, nullptr);
        } else {
            EXPECT_EQ(target, level->ballsArray[c.targetSlot]->ballSprite);
        }
    }
}

TEST_F(LevelUpdate, AFireballsBlastWidensOnlyItsNextCollisionPass) {
    for (float reach : {0.0f, 30.0f}) {
        SCOPED_TRACE(reach);
        level->Unlink();
        level = NewLevel();
        // 20 pixels to the right of a ball that rises straight past it.
        BrickPtr brick = AddBrick("plain", 330.0f, 300.0f);
        BallPtr ball = LiveBall(0, 300.0f, 305.0f, 0.0f, -1.0f);
        ball->isExploding = reach;

        Update();
        EXPECT_EQ(brick->isLive, reach > 0.0f ? 0 : 1);
        EXPECT_EQ(level->mustClearBrickCount, reach > 0.0f ? 0 : 1);
        EXPECT_FLOAT_EQ(ball->isExploding, 0.0f);
    }
}

TEST_F(LevelUpdate, EveryGridBoxKnowsWhetherTheLastBallTouchedIt) {
    for (int i = 0; i < 8; ++i) AddBrick("plain", 100.0f + 50.0f * i, 100.0f);  // a 2 x 2 grid
    ASSERT_EQ(level->brickBoxArray.size(), 4u);
    for (const BrickBoxPtr& box : level->brickBoxArray) box->beingChecked = 1;
    // Slowly through the lower right box.
    LiveBall(0, 400.0f, 112.0f, 0.0f, -1.0f, 0.1f);

    Update();
    std::vector<int> checked;
    for (const BrickBoxPtr& box : level->brickBoxArray) checked.push_back(box->beingChecked);
    // Column by column, top to bottom: the ball sits in column 1, row 1.
    EXPECT_EQ(checked, (std::vector<int>{0, 0, 0, 1}));
    EXPECT_EQ(level->brickShield->beingChecked, 0);
}

// ---------------------------------------------------------------------------
// Hits on the paddle.

TEST_F(LevelUpdate, ALandingNainBouncesAndShakesEveryStuckBallLoose) {
    BallPtr stuck = LiveBall(0, 320.0f, 728.0f, 0.0f, -1.0f);
    stuck->isStuck = 20;
    level->nainsArray = AppendNewNain(level->nainsArray);
    NainPtr nain = level->nainsArray[0];
    NainPtr source = NainFrom("<maxBounces>3</maxBounces><rootPointValue>25</rootPointValue>");
    nain->Clone(source);
    source->Unlink();
    nain->status = "falling";
    Place(nain->nainSprite, 340.0f, 725.0f);

    Update();
    EXPECT_EQ(nain->currentBounces, 1);
    EXPECT_EQ(stuck->isStuck, kFree);
    EXPECT_GT(stat->score, 0);
}

TEST_F(LevelUpdate, OnlyLiveThrownProjectilesStrikeThePaddle) {
    struct Case {
        const char* what;
        int isLive;
        const char* status;
        bool strikes;
    };
    const Case cases[] = {
        {"thrown", 1, "falling", true},
        {"dead", 0, "falling", false},
        {"already burst", 1, "burst", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        level->Unlink();
        level = NewLevel();
        level->nainsArray = AppendNewNain(level->nainsArray);
        NainPtr thrower = level->nainsArray[0];
        NainPtr source = NainFrom("");
        thrower->Clone(source);
        source->Unlink();
        Place(thrower->nainSprite, 100.0f, 100.0f);

        level->projectilesArray = AppendNewProjectile(level->projectilesArray);
        ProjectilePtr rock = level->projectilesArray[0];
        rock->Clone(level->sourceProjectilesArray[0]);
        rock->isLive = c.isLive;
        rock->status = c.status;
        rock->parentNain = thrower;
        Place(rock->projectileSprite, 340.0f, 740.0f);
        const float stun = rock->stun;
        stat->score = 1000;
        const int64_t scoreBefore = stat->score;

        Update();
        EXPECT_FLOAT_EQ(level->playerPaddle->paddleSprite->shake, c.strikes ? stun : 0.0f);
        EXPECT_EQ(stat->score < scoreBefore, c.strikes);
        if (c.strikes) {
            EXPECT_EQ(rock->status, "burst");
        } else {
            EXPECT_EQ(rock->status, c.status);
        }
    }
}

// ---------------------------------------------------------------------------
// New nains, and arrays that grow while the step walks them.

TEST_F(LevelUpdate, NoNewNainsMeansNoDrawAtAll) {
    AddBrick("plain", 300.0f, 300.0f);
    level->sourceNainsArray = AppendNewNain(level->sourceNainsArray);
    NainPtr source = NainFrom("<frequency>0</frequency>");
    level->sourceNainsArray[0]->Clone(source);
    source->Unlink();

    SeedRnd(77);
    Update(1);
    EXPECT_TRUE(level->nainsArray.empty());
    const int next = Rand(0, 1000000);
    SeedRnd(77);
    EXPECT_EQ(next, Rand(0, 1000000));

    // The same step with new nains allowed places one, and walks it in the same tick.
    Update(0);
    ASSERT_EQ(level->nainsArray.size(), 1u);
    NainPtr placed = level->nainsArray[0];
    EXPECT_EQ(placed->parentBrick, level->bricksArray[0]);
    EXPECT_EQ(level->bricksArray[0]->currentNain, placed);
    AnimationPtr look = placed->nainSprite->CurrentAnimationOrNull();
    ASSERT_NE(look, nullptr);
    EXPECT_FLOAT_EQ(look->currentStep, 1.0f);
}

TEST_F(LevelUpdate, ANainKindIsTriedOneStepInFrequencyPlusOne) {
    // The spot above the brick is always blocked, so every try only moves the source nain's
    // sprite to a new random spot and places nothing: the moves count the tries.
    struct Case {
        int frequency;
        int minTries, maxTries;
    };
    const Case cases[] = {{0, 400, 400}, {-3, 400, 400}, {3, 70, 130}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frequency);
        level->Unlink();
        level = NewLevel();
        AddBrick("plain", 300.0f, 300.0f);
        BrickPtr blocker = BrickOf("plain", 300.0f, 285.0f);
        spare.push_back(blocker);
        for (const BrickBoxPtr& box : level->brickBoxArray) box->TestAddBrick(blocker);
        level->sourceNainsArray = AppendNewNain(level->sourceNainsArray);
        NainPtr source = NainFrom("<frequency>" + std::to_string(c.frequency) + "</frequency>");
        level->sourceNainsArray[0]->Clone(source);
        source->Unlink();
        const SpritePtr& spot = level->sourceNainsArray[0]->nainSprite;

        int tries = 0;
        float lastX = spot->x;
        for (int i = 0; i < 400; ++i) {
            Update();
            if (spot->x != lastX) ++tries;
            lastX = spot->x;
        }
        EXPECT_TRUE(level->nainsArray.empty());
        EXPECT_GE(tries, c.minTries);
        EXPECT_LE(tries, c.maxTries);
    }
}

TEST_F(LevelUpdate, ProjectilesStartedDuringTheNainWalkAreHeldNotFlown) {
    // Eight seated nains that throw at every chance: the projectile array grows from empty to
    // eight while the nains are walked, and held projectiles are left to their nains.
    for (int i = 0; i < 8; ++i) {
        BrickPtr seat = AddBrick("plain", 60.0f + 80.0f * i, 300.0f);
        level->nainsArray = AppendNewNain(level->nainsArray);
        NainPtr nain = level->nainsArray.back();
        NainPtr source = NainFrom(
            "<aggression>1</aggression><projectileToThrow><randomData><action>rock</action><value>1</value>"
            "</randomData></projectileToThrow>");
        nain->Clone(source);
        source->Unlink();
        Place(nain->nainSprite, 60.0f + 80.0f * i, 276.0f);
        nain->parentBrick = seat;
        seat->currentNain = nain;
    }

    Update();
    ASSERT_EQ(level->projectilesArray.size(), 8u);
    for (const ProjectilePtr& rock : level->projectilesArray) {
        EXPECT_EQ(rock->isLive, 1);
        EXPECT_EQ(rock->status, "");
        EXPECT_NE(rock->projectileSprite->parentSprite.lock(), nullptr);
    }
    // Nothing is lost while they are held and thrown over the following ticks.
    for (int i = 0; i < 40; ++i) Update();
    EXPECT_GE(level->projectilesArray.size(), 8u);
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// Failures and the mouse.

TEST_F(LevelUpdate, AFailureInTheStepEndsTheTickButAPiecesFailureDoesNot) {
    level->levelStartTTL = 25.0f;

    // A piece's own handler logs and the step goes on to its timers.
    BallPtr broken = level->ballsArray[1];
    broken->isLive = 1;
    broken->ballSprite->Unlink();
    broken->ballSprite = nullptr;
    EXPECT_EQ(Update(), 0);
    EXPECT_GT(LogLinesWith("ball:Ball.Update(): "), 0);
    EXPECT_EQ(LogLinesWith("level:Level.Update() "), 0);
    EXPECT_FLOAT_EQ(level->levelStartTTL, 24.0f);
    broken->isLive = 0;

    // Without a paddle the nain walk cannot name its target: the step's own handler logs once
    // and nothing after that point runs, the timers included.
    g_DebugLog.clear();
    level->nainsArray = AppendNewNain(level->nainsArray);
    NainPtr source = NainFrom("");
    level->nainsArray[0]->Clone(source);
    source->Unlink();
    level->playerPaddle->Unlink();
    level->playerPaddle = nullptr;
    EXPECT_EQ(Update(), 0);
    EXPECT_EQ(LogLinesWith("level:Level.Update() Attempt to access field or method of Null object"), 1);
    EXPECT_FLOAT_EQ(level->levelStartTTL, 24.0f);
}

TEST_F(LevelUpdate, TheMouseIsMeasuredUntilTheGameIsOver) {
    for (float gameOver : {-1.0f, 30.0f, 0.0f}) {
        SCOPED_TRACE(gameOver);
        ResetInput();
        g_MouseXPrev = static_cast<int>(g_ScreenCenterX);
        g_MouseYPrev = static_cast<int>(g_ScreenCenterY);
        g_MouseXSpeed = 0.0f;
        level->gameOver = gameOver;
        InputEvent move;
        move.type = InputEventType::MouseMove;
        move.x = g_MouseXPrev + 7;
        move.y = g_MouseYPrev;
        InjectEvent(move);

        Update();
        EXPECT_FLOAT_EQ(g_MouseXSpeed, gameOver == 0.0f ? 0.0f : 7.0f);
    }
}

}  // namespace
