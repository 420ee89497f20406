// A ball's strikes: against nains, thrown projectiles and bricks, with every special kind of
// ball, the fire ball's blast pass and the smart ball's strike on every brick of one kind.
#include <cmath>

#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/projectile.h"
#include "sprites/random.h"
#include "test_ball_support.h"

using namespace balltest;

namespace {

constexpr int kNotStuck = -999999;

// What each kind of hit takes from a brick, so one number tells which arguments Damage got:
// physical 1, fire 10, ice 100, shock 1000 per unit.
constexpr int kStrength = 100000;

class BallCollisionTest : public BallTest {
protected:
    void SetUp() override {
        BallTest::SetUp();
        stats = std::make_shared<GameStat>();
    }
    void TearDown() override {
        for (BrickPtr& brick : made) {
            // Content may have tied a brick's forms in a circle; cut it before the unlink walks it.
            for (BrickPtr b = brick; b && b->nextBrick;) {
                BrickPtr next = b->nextBrick;
                b->nextBrick = nullptr;
                b = next;
            }
            brick->Unlink();
        }
        made.clear();
        for (NainPtr& nain : nains) nain->Unlink();
        nains.clear();
        for (ProjectilePtr& projectile : projectiles) projectile->Unlink();
        projectiles.clear();
        stats = nullptr;
        BallTest::TearDown();
    }

    // A live, solid brick 40 x 20 at (x, y) that no hit can destroy unless told so.
    BrickPtr MakeBrick(float x, float y, const std::string& name = "red") {
        auto brick = std::make_shared<Brick>();
        brick->name = name;
        brick->brickSprite->Clone(GetSpriteByName("brick_sprite", sprites), nullptr);
        brick->brickSprite->x = brick->brickSprite->absX = x;
        brick->brickSprite->y = brick->brickSprite->absY = y;
        brick->isLive = 1;
        brick->isSolid = 1;
        brick->isFreezeable = 0;
        brick->isBurnable = 0;
        brick->strength = kStrength;
        brick->physicalDamage = 1;
        brick->fireDamage = 10;
        brick->iceDamage = 100;
        brick->electricDamage = 1000;
        brick->powerupGenerated = std::make_shared<Random>();
        made.push_back(brick);
        return brick;
    }

    // A next form that only the chain holds.
    BrickPtr NextForm(const BrickPtr& brick, const std::string& name) {
        auto next = std::make_shared<Brick>();
        next->name = name;
        brick->nextBrick = next;
        brick->nextBrickName = name;
        return next;
    }

    NainPtr MakeNain(float x, float y) {
        auto nain = std::make_shared<Nain>();
        nain->nainSprite = std::make_shared<Sprite>();
        nain->nainSprite->Clone(GetSpriteByName("nain_sprite", sprites), nullptr);
        nain->nainSprite->x = nain->nainSprite->absX = x;
        nain->nainSprite->y = nain->nainSprite->absY = y;
        nain->nainSprite->JumpToAnimation("idle");
        nains.push_back(nain);
        return nain;
    }

    ProjectilePtr MakeProjectile(float x, float y) {
        auto projectile = std::make_shared<Projectile>();
        projectile->projectileSprite = std::make_shared<Sprite>();
        projectile->projectileSprite->Clone(GetSpriteByName("projectile_sprite", sprites), nullptr);
        projectile->projectileSprite->x = projectile->projectileSprite->absX = x;
        projectile->projectileSprite->y = projectile->projectileSprite->absY = y;
        projectile->isLive = 1;
        projectile->status = "falling";
        projectile->pointValue = 1500;
        projectiles.push_back(projectile);
        return projectile;
    }

    // A ball just under the brick at (300, 300), moving up and to the right.
    BallPtr BallUnderBrick() {
        BallPtr ball = MakeBall(315.0f, 318.0f);
        ball->ballSprite->dx = 0.6f;
        ball->ballSprite->dy = -0.8f;
        return ball;
    }

    GameStatPtr stats;
    std::vector<BrickPtr> made;
    std::vector<NainPtr> nains;
    std::vector<ProjectilePtr> projectiles;
};

}  // namespace

// ---------------------------------------------------------------------------
// Bricks.

TEST_F(BallCollisionTest, EachKindOfBallDamagesTheBrickItsOwnWay) {
    struct Case {
        const char* kind;
        int fire, ice, shock, plow;
        int strengthLost;  // kStrength when the brick is destroyed
        int result;
        const char* look;  // the ball's animation after the strike
        bool deflected;
    } cases[] = {
        {"plain", 0, 0, 0, 0, 1, 0, "Standard", true},
        {"fire", 2, 0, 0, 0, 20, 0, "_explode", true},
        {"ice", 0, 1, 0, 0, 100, 0, "_ice_hit", true},
        {"shock", 0, 0, 3, 0, 3000, 0, "Standard", true},
        {"fire and ice", 1, 2, 0, 0, 210, 0, "_ice_hit", true},
        {"plow of 1 levels the brick", 0, 0, 0, 1, kStrength, 1, "Standard", false},
        {"plow of 2 only hits", 0, 0, 0, 2, 1, 0, "Standard", false},
        {"plow with shock", 0, 0, 1, 2, 1000, 0, "Standard", false},
        {"negative kinds hit as plain too", -3, 0, 1, 0, -30 + 1000 + 1, 0, "_explode", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        BrickPtr brick = MakeBrick(300.0f, 300.0f);
        std::vector<BrickPtr> bricks = {brick};
        BallPtr ball = BallUnderBrick();
        ball->isFireball = c.fire;
        ball->isIceball = c.ice;
        ball->isShockball = c.shock;
        ball->isBrickplow = c.plow;
        ball->ballSprite->JumpToAnimation("Standard");
        ball->hitsRemaining = 10;

        EXPECT_EQ(ball->BrickCollision(brick, 0.0f, stats, bricks), c.result);

        EXPECT_EQ(kStrength - brick->strength, c.result == 1 ? kStrength : c.strengthLost);
        EXPECT_EQ(brick->isLive, c.result == 1 ? 0 : 1);
        EXPECT_EQ(brick->ttRecover, 1.0f);
        EXPECT_EQ(ball->smartTarget, brick);
        EXPECT_EQ(ball->hitsRemaining, 9);
        EXPECT_EQ(AnimationOf(ball->ballSprite), c.look);
        EXPECT_EQ(ball->isExploding, static_cast<float>(c.fire));
        EXPECT_EQ(ball->ballSprite->yRebound != 0, c.deflected);
        ball->Update(paddle);
        // Struck from below: a deflected ball heads back down.
        EXPECT_EQ(ball->ballSprite->dy > 0.0f, c.deflected);
    }
}

TEST_F(BallCollisionTest, BricksThatCannotBeStruckAreLeftAlone) {
    struct Case {
        const char* why;
        int live, solid;
        float recover;
        float ballY;
    } cases[] = {
        {"dead", 0, 1, -1.0f, 318.0f},
        {"not solid", 1, 0, -1.0f, 318.0f},
        {"struck a moment ago", 1, 1, 1.0f, 318.0f},
        {"still recovering", 1, 1, 0.25f, 318.0f},
        {"out of reach", 1, 1, -1.0f, 321.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        BrickPtr brick = MakeBrick(300.0f, 300.0f);
        brick->isLive = c.live;
        brick->isSolid = c.solid;
        brick->ttRecover = c.recover;
        BallPtr ball = BallUnderBrick();
        ball->ballSprite->y = ball->ballSprite->absY = c.ballY;
        ball->hitsRemaining = 10;
        EXPECT_EQ(ball->BrickCollision(brick, 0.0f, stats, {brick}), 0);
        EXPECT_EQ(brick->strength, kStrength);
        EXPECT_EQ(ball->smartTarget, nullptr);
        EXPECT_EQ(ball->hitsRemaining, 10);
        EXPECT_EQ(ball->ballSprite->yRebound, 0);
    }
}

TEST_F(BallCollisionTest, StruckBrickIsImmuneUntilItsRecoveryRunsOut) {
    BrickPtr brick = MakeBrick(300.0f, 300.0f);
    std::vector<BrickPtr> bricks = {brick};
    BallPtr ball = BallUnderBrick();
    EXPECT_EQ(ball->BrickCollision(brick, 0.0f, stats, bricks), 0);
    // The next sub-step of the same update, or a second box listing the same brick.
    BallPtr other = BallUnderBrick();
    other->BrickCollision(brick, 0.0f, stats, bricks);
    EXPECT_EQ(brick->strength, kStrength - 1);
    EXPECT_EQ(other->smartTarget, nullptr);

    brick->Update(stats, bricks);  // one tick at speed 1
    EXPECT_EQ(brick->ttRecover, -1.0f);
    other->BrickCollision(brick, 0.0f, stats, bricks);
    EXPECT_EQ(brick->strength, kStrength - 2);
}

TEST_F(BallCollisionTest, StraightUpBallLosesItsSidewaysVote) {
    // The same strike off-centre, once moving at a slant and once straight up.
    BrickPtr slantBrick = MakeBrick(300.0f, 300.0f);
    BrickPtr upBrick = MakeBrick(300.0f, 300.0f);
    BallPtr slant = MakeBall(330.0f, 318.0f);
    BallPtr up = MakeBall(330.0f, 318.0f);
    slant->ballSprite->dx = 0.1f;
    slant->ballSprite->dy = -1.0f;
    up->ballSprite->dx = 0.0f;
    up->ballSprite->dy = -1.0f;

    slant->BrickCollision(slantBrick, 0.0f, stats, {slantBrick});
    up->BrickCollision(upBrick, 0.0f, stats, {upBrick});

    EXPECT_NE(slant->ballSprite->xRebound, 0);
    EXPECT_EQ(up->ballSprite->xRebound, 0);
    // The whole part of dy (-1) is taken from the vote.
    EXPECT_EQ(up->ballSprite->yRebound, slant->ballSprite->yRebound + 1);
}

TEST_F(BallCollisionTest, FireBallBlastStrikesNearbyBricksInItsNextPass) {
    BrickPtr first = MakeBrick(300.0f, 300.0f, "first");
    BrickPtr near = MakeBrick(350.0f, 300.0f, "near");  // 25 to the right of the ball
    BrickPtr far = MakeBrick(380.0f, 300.0f, "far");    // 55 to the right
    std::vector<BrickPtr> bricks = {first, near, far};
    BallPtr ball = BallUnderBrick();
    ball->isFireball = 30;

    ball->BrickCollision(first, 0.0f, stats, bricks);
    ASSERT_EQ(ball->isExploding, 30.0f);
    EXPECT_EQ(AnimationOf(ball->ballSprite), "_explode");

    // The level's next pass for this ball: its blast is the margin.
    ball->ballSprite->xRebound = 0;
    ball->ballSprite->yRebound = 0;
    const float margin = ball->isExploding;
    for (const BrickPtr& brick : bricks) ball->BrickCollision(brick, margin, stats, bricks);
    EXPECT_EQ(first->strength, kStrength - 300);  // once, not again while it recovers
    EXPECT_EQ(near->strength, kStrength - 300);
    EXPECT_EQ(far->strength, kStrength);
    EXPECT_EQ(far->ttRecover, -1.0f);
    // A blast strikes without turning the ball.
    EXPECT_EQ(ball->ballSprite->xRebound, 0);
    EXPECT_EQ(ball->ballSprite->yRebound, 0);
}

TEST_F(BallCollisionTest, ExplodingBallOnItsLastHitLivesThroughItsBlast) {
    BrickPtr brick = MakeBrick(300.0f, 300.0f);
    BallPtr ball = BallUnderBrick();
    ball->isFireball = 10;
    ball->hitsRemaining = 1;
    ball->BrickCollision(brick, 0.0f, stats, {brick});
    EXPECT_EQ(ball->isLive, 1);
    EXPECT_EQ(ball->ttl, 1.0f);
}

// ---------------------------------------------------------------------------
// Smart balls.

TEST_F(BallCollisionTest, SmartBallStrikesEveryBrickEndingInTheSameForm) {
    BrickPtr struck = MakeBrick(300.0f, 300.0f, "red");
    NextForm(struck, "red_cracked");
    BrickPtr sameKind = MakeBrick(400.0f, 300.0f, "red");
    NextForm(NextForm(sameKind, "red_chipped"), "red_cracked");
    BrickPtr lastForm = MakeBrick(500.0f, 300.0f, "red_cracked");
    lastForm->strength = 1;  // dies for good, a must-clear brick
    BrickPtr otherKind = MakeBrick(300.0f, 400.0f, "blue");
    BrickPtr sameName = MakeBrick(400.0f, 400.0f, "red");  // a red that ends elsewhere
    NextForm(sameName, "red_dust");
    BrickPtr dead = MakeBrick(500.0f, 400.0f, "red_cracked");
    dead->isLive = 0;
    std::vector<BrickPtr> bricks = {struck, sameKind, nullptr, lastForm, otherKind, sameName, dead};

    BallPtr ball = BallUnderBrick();
    ball->isSmart = 2;
    EXPECT_EQ(ball->BrickCollision(struck, 0.0f, stats, bricks), 0);
    EXPECT_EQ(ball->SmartBallDamage(bricks, stats), 1);

    EXPECT_EQ(struck->strength, kStrength - 2);  // the strike and the smart hit
    EXPECT_EQ(sameKind->strength, kStrength - 1);
    EXPECT_EQ(lastForm->isLive, 0);
    EXPECT_EQ(otherKind->strength, kStrength);
    EXPECT_EQ(sameName->strength, kStrength);
    EXPECT_EQ(dead->strength, kStrength);
    EXPECT_EQ(ball->isSmart, 1);
    EXPECT_EQ(ball->smartTarget, nullptr);

    // Nothing struck since: the charge waits.
    EXPECT_EQ(ball->SmartBallDamage(bricks, stats), 0);
    EXPECT_EQ(ball->isSmart, 1);
}

TEST_F(BallCollisionTest, SmartHitCarriesTheBallsKinds) {
    BrickPtr struck = MakeBrick(300.0f, 300.0f, "red");
    BrickPtr twin = MakeBrick(400.0f, 300.0f, "red");
    std::vector<BrickPtr> bricks = {struck, twin};
    BallPtr ball = BallUnderBrick();
    ball->isSmart = 1;
    ball->isShockball = 2;
    ball->BrickCollision(struck, 0.0f, stats, bricks);
    ball->SmartBallDamage(bricks, stats);
    EXPECT_EQ(twin->strength, kStrength - 2000);
}

TEST_F(BallCollisionTest, BallWithoutChargesKeepsItsTarget) {
    BrickPtr struck = MakeBrick(300.0f, 300.0f, "red");
    BrickPtr twin = MakeBrick(400.0f, 300.0f, "red");
    std::vector<BrickPtr> bricks = {struck, twin};
    BallPtr ball = BallUnderBrick();
    ball->BrickCollision(struck, 0.0f, stats, bricks);
    EXPECT_EQ(ball->SmartBallDamage(bricks, stats), 0);
    EXPECT_EQ(twin->strength, kStrength);
    EXPECT_EQ(ball->smartTarget, struck);
    EXPECT_EQ(ball->isSmart, 0);

    // Clone and unlink let go of it.
    auto copy = std::make_shared<Ball>();
    copy->smartTarget = struck;
    copy->Clone(ball);
    EXPECT_EQ(copy->smartTarget, nullptr);
    ball->Unlink();
    EXPECT_EQ(ball->smartTarget, nullptr);
}

TEST_F(BallCollisionTest, SmartBallStopsOnACircleOfForms) {
    // Forms that lead back to themselves: the walk ends at the first repeat.
    BrickPtr loop = MakeBrick(300.0f, 300.0f, "loop");
    loop->nextBrick = loop;
    BrickPtr ping = MakeBrick(400.0f, 300.0f, "ping");
    BrickPtr pong = NextForm(ping, "pong");
    pong->nextBrick = ping;
    std::vector<BrickPtr> bricks = {loop, ping};

    for (const BrickPtr& target : bricks) {
        SCOPED_TRACE(target->name);
        BallPtr ball = MakeBall(0.0f, 0.0f);
        ball->isSmart = 1;
        ball->smartTarget = target;
        const int before = target->strength;
        EXPECT_EQ(ball->SmartBallDamage(bricks, stats), 0);
        EXPECT_EQ(target->strength, before - 1);
        EXPECT_EQ(ball->isSmart, 0);
    }
    EXPECT_TRUE(DebugLogLines().empty());
}

// ---------------------------------------------------------------------------
// Nains.

TEST_F(BallCollisionTest, EachKindOfBallHitsANainItsOwnWay) {
    struct Case {
        const char* kind;
        int fire, ice, shock;
        bool frozen;       // left frozen
        const char* look;  // the nain's animation after the hit
        int burned;
        int slated;
    } cases[] = {
        {"plain", 0, 0, 0, false, "sound_hit", 0, 0},
        {"ice freezes before the hit", 0, 1, 0, true, "sound_ice_hit", 0, 0},
        {"fire burns after the hit", 1, 0, 0, false, "sound_hit", 1, 0},
        {"ice then fire thaws it again", 1, 1, 0, false, "sound_ice_hit", 1, 0},
        {"shock zaps it", 0, 0, 1, false, "idle", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        NainPtr nain = MakeNain(320.0f, 300.0f);
        BallPtr ball = MakeBall(315.0f, 305.0f);
        ball->isFireball = c.fire;
        ball->isIceball = c.ice;
        ball->isShockball = c.shock;
        ball->isStuck = 10;
        ball->hitsRemaining = 3;

        EXPECT_EQ(ball->NainCollision(nain, 0.0f), 1);

        EXPECT_EQ(nain->status, "falling");
        EXPECT_EQ(nain->nainSprite->isFrozen != 0.0f, c.frozen);
        EXPECT_EQ(AnimationOf(nain->nainSprite), c.look);
        EXPECT_EQ(nain->timesBurned, c.burned);
        EXPECT_EQ(nain->slatedForDeath, c.slated);
        EXPECT_EQ(ball->isStuck, kNotStuck);
        EXPECT_EQ(ball->hitsRemaining, 2);
        // A nain that does not deflect balls lets them through.
        EXPECT_EQ(ball->ballSprite->xRebound, 0);
        EXPECT_EQ(ball->ballSprite->yRebound, 0);
    }
}

TEST_F(BallCollisionTest, DeflectingNainTurnsEveryBallButAPlow) {
    struct Case {
        int deflects, plow;
        bool turned;
    } cases[] = {{1, 0, true}, {1, 1, false}, {0, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "deflects " << c.deflects << " plow " << c.plow);
        NainPtr nain = MakeNain(320.0f, 300.0f);
        nain->deflectsBall = c.deflects;
        BallPtr ball = MakeBall(315.0f, 305.0f);
        ball->isBrickplow = c.plow;
        EXPECT_EQ(ball->NainCollision(nain, 0.0f), 1);
        bool turned = ball->ballSprite->xRebound != 0 || ball->ballSprite->yRebound != 0;
        EXPECT_EQ(turned, c.turned);
        EXPECT_EQ(nain->status, "falling");
    }
}

TEST_F(BallCollisionTest, NainIsMissedWhenDeadOrOnlyTouched) {
    struct Case {
        const char* why;
        int live;
        float ballX;
        float margin;
        int result;
    } cases[] = {
        {"dead", 0, 315.0f, 0.0f, 0},
        {"edges touching", 1, 310.0f, 0.0f, 0},
        {"within the blast", 1, 305.0f, 6.0f, 1},
        {"beyond the blast", 1, 300.0f, 6.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        NainPtr nain = MakeNain(320.0f, 300.0f);
        nain->isLive = c.live;
        BallPtr ball = MakeBall(c.ballX, 300.0f);
        EXPECT_EQ(ball->NainCollision(nain, c.margin), c.result);
        EXPECT_EQ(nain->status == "falling", c.result == 1);
    }
}

// ---------------------------------------------------------------------------
// Projectiles.

TEST_F(BallCollisionTest, BallDestroysAProjectileForItsPointsAndShowsThem) {
    stats->scoreMultiplier = 2;
    stats->difficultyPointModifier = 1.5f;
    ProjectilePtr projectile = MakeProjectile(300.0f, 200.0f);
    BallPtr ball = MakeBall(305.0f, 205.0f);
    ball->isStuck = 3;
    ball->hitsRemaining = 4;
    for (const ImageTextPtr& text : g_ImageTextArray) text->ttl = -1.0f;

    EXPECT_EQ(ball->ProjectileCollision(projectile, 0.0f, stats), 1);

    EXPECT_EQ(projectile->status, "burst");
    EXPECT_EQ(AnimationOf(projectile->projectileSprite), "burst");
    EXPECT_EQ(stats->score, 4500);
    EXPECT_EQ(ball->isStuck, kNotStuck);
    EXPECT_EQ(ball->hitsRemaining, 3);
    ImageTextPtr shown;
    for (const ImageTextPtr& text : g_ImageTextArray) {
        if (text->ttl > 0.0f) shown = text;
    }
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->textToDraw, "4,500");
    EXPECT_EQ(shown->r, 0.0f);
    EXPECT_EQ(shown->g, 255.0f);
    EXPECT_EQ(shown->b, 0.0f);
    EXPECT_FLOAT_EQ(shown->x, 305.0f);
    EXPECT_FLOAT_EQ(shown->y, 205.0f - 25.0f);
    EXPECT_LE(std::fabs(shown->dx), 0.5f);
    EXPECT_LE(shown->dy, 0.0f);
    EXPECT_GE(shown->dy, -7.5f);
    EXPECT_LE(std::fabs(shown->rot), 10.0f);

    // Burst now: a second ball passes through without points.
    BallPtr second = MakeBall(305.0f, 205.0f);
    EXPECT_EQ(second->ProjectileCollision(projectile, 0.0f, stats), 0);
    EXPECT_EQ(stats->score, 4500);
}

TEST_F(BallCollisionTest, ProjectilesAreMissedInTheTopStripOrWhenGone) {
    struct Case {
        const char* why;
        float ballY;
        int live;
        const char* status;
        int result;
    } cases[] = {
        {"ball at y 6", 6.0f, 1, "falling", 0}, {"ball at y 7.9", 7.9f, 1, "falling", 0},
        {"ball at y 8", 8.0f, 1, "falling", 1}, {"held in a hand", 8.0f, 1, "", 1},
        {"dead", 12.0f, 0, "falling", 0},       {"burst", 12.0f, 1, "burst", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ProjectilePtr projectile = MakeProjectile(300.0f, 4.0f);
        projectile->isLive = c.live;
        projectile->status = c.status;
        BallPtr ball = MakeBall(302.0f, c.ballY);
        const int64_t before = stats->score;
        EXPECT_EQ(ball->ProjectileCollision(projectile, 0.0f, stats), c.result);
        EXPECT_EQ(stats->score - before, c.result == 1 ? 1500 : 0);
    }
}
