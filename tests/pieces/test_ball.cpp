// The ball on its own: its element read and written, cloning and the pool, motion, walls and
// loss, the paddle's rebound angle, sticking, launch, the hit count and drawing.
#include <cmath>

#include "sprites/animation.h"
#include "sprites/particle.h"
#include "test_ball_support.h"

using namespace balltest;

namespace {

constexpr int kNotStuck = -999999;

float SinOf(int degrees) { return g_Sin[static_cast<size_t>((degrees % 360 + 360) % 360)]; }
float CosOf(int degrees) { return g_Cos[static_cast<size_t>((degrees % 360 + 360) % 360)]; }

}  // namespace

// ---------------------------------------------------------------------------
// The element.

TEST_F(BallTest, WriteToXmlMatchesTheElementByteForByte) {
    BallPtr ball = MakeBall(100.0f, 200.25f);
    Sprite& sprite = *ball->ballSprite;
    ball->ballName = "not written";
    ball->hitsRemaining = 4;
    ball->ttl = 9.0f;
    sprite.xScale = 1.5f;
    sprite.dx = -0.5f;
    sprite.dy = 0.0f;
    sprite.vel = 5.0f;
    sprite.maxVel = 12.5f;
    ball->isFireball = 30;
    ball->isShockball = 2;
    ball->isSmart = 3;

    EXPECT_EQ(ball->WriteToXML(), BallFixture("written_ball.xml"));
}

TEST_F(BallTest, WrittenBallReadsBackWithoutNameLimitsOrZeroFloats) {
    BallPtr ball = MakeBall(100.0f, 200.25f);
    ball->ballName = "lost";
    ball->hitsRemaining = 4;
    ball->ttl = 9.0f;
    ball->ballSprite->dx = 0.0f;  // written as 0, which a float tag cannot set
    ball->ballSprite->xScale = 1.5f;
    ball->isShockball = 2;
    ball->isStuck = 12;

    auto copy = std::make_shared<Ball>();
    copy->LoadFromXML(ball->WriteToXML(), sprites, 0);

    EXPECT_EQ(copy->ballName, "");
    EXPECT_EQ(copy->hitsRemaining, -1);
    EXPECT_EQ(copy->ttl, -1.0f);
    EXPECT_EQ(copy->isShockball, 2);
    EXPECT_EQ(copy->isStuck, 12);
    EXPECT_EQ(copy->isLive, 1);
    EXPECT_EQ(copy->ballSprite->x, 100.0f);
    EXPECT_EQ(copy->ballSprite->y, 200.25f);
    EXPECT_EQ(copy->ballSprite->xScale, 1.5f);
    EXPECT_EQ(copy->ballSprite->dx, 0.6f);  // the template's
    EXPECT_EQ(AnimationOf(copy->ballSprite), "Shockball");
}

TEST_F(BallTest, LoadFromXmlReadsEveryTagOverTheTemplate) {
    auto ball = std::make_shared<Ball>();
    ball->LoadFromXML(BallFixture("fire_ball.xml"), sprites, 0);

    EXPECT_EQ(ball->ballName, "fire_ball");
    EXPECT_EQ(ball->ballSpriteName, "ball_sprite");
    EXPECT_EQ(ball->isLive, 1);
    EXPECT_EQ(ball->isFireball, 30);
    EXPECT_EQ(ball->isIceball, 1);
    EXPECT_EQ(ball->isShockball, 0);
    EXPECT_EQ(ball->isStuck, 20);
    EXPECT_EQ(ball->isSmart, 2);
    EXPECT_EQ(ball->hitsRemaining, 5);
    EXPECT_EQ(ball->ttl, 40.0f);
    const Sprite& sprite = *ball->ballSprite;
    EXPECT_EQ(sprite.name, "ball_sprite");
    EXPECT_EQ(sprite.x, 150.5f);
    EXPECT_EQ(sprite.y, 300.0f);
    EXPECT_EQ(sprite.xScale, 1.5f);
    EXPECT_EQ(sprite.yScale, 1.0f);
    EXPECT_EQ(sprite.dx, 0.6f);  // "0" keeps the template's value
    EXPECT_EQ(sprite.dy, -0.8f);
    EXPECT_EQ(sprite.vel, 6.0f);
    EXPECT_EQ(sprite.maxVel, 20.0f);
    // An ice fire ball looks like a fire ball.
    EXPECT_EQ(AnimationOf(ball->ballSprite), "Fireball");
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(BallTest, LoadPicksTheLookFireOverShockOverIce) {
    struct Case {
        const char* kinds;
        const char* look;
    } cases[] = {
        {"", "Standard"},
        {"<isIceball>1</isIceball>", "Iceball"},
        {"<isIceball>1</isIceball><isShockball>1</isShockball>", "Shockball"},
        {"<isShockball>2</isShockball><isFireball>5</isFireball>", "Fireball"},
        {"<isBrickplow>1</isBrickplow><isSmart>3</isSmart>", "Standard"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kinds);
        auto ball = std::make_shared<Ball>();
        ball->LoadFromXML(std::string("<ball><spriteName>ball_sprite</spriteName>") + c.kinds + "</ball>", sprites, 0);
        EXPECT_EQ(AnimationOf(ball->ballSprite), c.look);
    }
}

TEST_F(BallTest, LoadWithoutBallTrailsStripsEveryParticleSource) {
    SpritePtr tmpl = GetSpriteByName("ball_sprite", sprites);
    for (const AnimationPtr& animation : tmpl->animationArray) {
        for (const AnimationStepPtr& step : animation->StepsArray) {
            step->particleSourceName = "trail";
            step->particleSourceLink = std::make_shared<ParticleSource>();
        }
    }
    for (int trails : {1, 0}) {
        SCOPED_TRACE(trails);
        g_useBallTrails = trails;
        auto ball = std::make_shared<Ball>();
        ball->LoadFromXML("<ball><spriteName>ball_sprite</spriteName></ball>", sprites, 0);
        int withTrail = 0;
        for (const AnimationPtr& animation : ball->ballSprite->animationArray) {
            for (const AnimationStepPtr& step : animation->StepsArray) {
                if (!step->particleSourceName.empty() || step->particleSourceLink) ++withTrail;
            }
        }
        EXPECT_EQ(withTrail, trails == 1 ? 7 : 0);
    }
    // The template keeps its trails.
    EXPECT_EQ(tmpl->animationArray[0]->StepsArray[0]->particleSourceName, "trail");
}

TEST_F(BallTest, KeepSpriteOnlyOverwritesTheSpriteFields) {
    BallPtr ball = MakeBall(10.0f, 10.0f);
    SpritePtr body = ball->ballSprite;
    body->widthBound = 33.0f;
    ball->LoadFromXML("<ball><spriteName>bare_ball</spriteName><x>55</x></ball>", sprites, 1);
    EXPECT_EQ(ball->ballSprite, body);
    EXPECT_EQ(body->name, "ball_sprite");
    EXPECT_EQ(body->widthBound, 33.0f);
    EXPECT_EQ(body->x, 55.0f);
    EXPECT_EQ(ball->ballSpriteName, "bare_ball");
}

TEST_F(BallTest, MissingSpriteTemplateIsReportedAndLeavesABlankBody) {
    auto ball = std::make_shared<Ball>();
    ball->LoadFromXML("<ball><spriteName>nowhere</spriteName><x>5</x></ball>", sprites, 0);
    EXPECT_EQ(LogLinesWith("Could not find sprite named \"nowhere\"."), 1);
    ASSERT_NE(ball->ballSprite, nullptr);
    EXPECT_EQ(ball->ballSprite->x, 5.0f);
}

// ---------------------------------------------------------------------------
// Lookup, the pool and cloning.

TEST_F(BallTest, GetBallByNameFindsTheFirstExactMatchOrReportsTheMiss) {
    std::vector<BallPtr> balls = AppendNewBall({});
    balls = AppendNewBall(balls);
    balls = AppendNewBall(balls);
    balls[0]->ballName = "Fast";
    balls[1]->ballName = "fast";
    balls[2]->ballName = "fast";

    EXPECT_EQ(GetBallByName("fast", balls), balls[1]);
    EXPECT_EQ(GetBallByName("Fast", balls), balls[0]);
    EXPECT_TRUE(DebugLogLines().empty());

    EXPECT_EQ(GetBallByName("FAST", balls), nullptr);
    EXPECT_EQ(LogLinesWith("Could not find ball named \"FAST\"."), 1);

    // A table that makes the report raise: the function's own handler logs it.
    g_errorseverity = {0, 0, 3};
    EXPECT_EQ(GetBallByName("slow", balls), nullptr);
    EXPECT_EQ(LogLinesWith("ball:GetBallByName(): "), 1);
}

TEST_F(BallTest, AppendNewBallGrowsACopyWithADefaultBall) {
    std::vector<BallPtr> pool = AppendNewBall({});
    std::vector<BallPtr> grown = AppendNewBall(pool);
    ASSERT_EQ(pool.size(), 1u);
    ASSERT_EQ(grown.size(), 2u);
    EXPECT_EQ(grown[0], pool[0]);
    const Ball& fresh = *grown[1];
    EXPECT_EQ(fresh.isLive, 0);
    EXPECT_EQ(fresh.isStuck, kNotStuck);
    EXPECT_EQ(fresh.hitsRemaining, -1);
    EXPECT_EQ(fresh.ttl, -1.0f);
    EXPECT_EQ(fresh.isExploding, 0.0f);
    ASSERT_NE(fresh.ballSprite, nullptr);
    EXPECT_EQ(fresh.ballSprite->x, -500.0f);
    EXPECT_EQ(fresh.ballSprite->y, -500.0f);
}

TEST_F(BallTest, CloneCopiesTheTemplateIntoAFreshBody) {
    BallPtr source = MakeBall(40.0f, 50.0f);
    source->ballName = "smart";
    source->isFireball = 3;
    source->isIceball = 4;
    source->isShockball = 5;
    source->isBrickplow = 1;
    source->isStuck = 15;
    source->isSmart = 2;
    source->hitsRemaining = 8;
    source->ttl = 30.0f;
    source->isExploding = 12.0f;
    source->isWeaponBlast = 1;
    source->consecutiveRebounds = 99;

    auto slot = std::make_shared<Ball>();
    slot->isWeaponBlast = 0;
    slot->consecutiveRebounds = 3;
    SpritePtr oldBody = slot->ballSprite;
    slot->Clone(source);

    EXPECT_EQ(slot->ballName, "smart");
    EXPECT_EQ(slot->ballSpriteName, "ball_sprite");
    EXPECT_EQ(slot->isLive, 1);
    EXPECT_EQ(slot->isFireball, 3);
    EXPECT_EQ(slot->isIceball, 4);
    EXPECT_EQ(slot->isShockball, 5);
    EXPECT_EQ(slot->isBrickplow, 1);
    EXPECT_EQ(slot->isStuck, 15);
    EXPECT_EQ(slot->isSmart, 2);
    EXPECT_EQ(slot->hitsRemaining, 8);
    EXPECT_EQ(slot->ttl, 30.0f);
    EXPECT_EQ(slot->isExploding, 12.0f);
    // A slot's own: not taken from the source.
    EXPECT_EQ(slot->isWeaponBlast, 0);
    EXPECT_EQ(slot->consecutiveRebounds, 3);
    ASSERT_NE(slot->ballSprite, nullptr);
    EXPECT_NE(slot->ballSprite, source->ballSprite);
    EXPECT_NE(slot->ballSprite, oldBody);
    EXPECT_EQ(slot->ballSprite->x, 40.0f);
    EXPECT_EQ(slot->ballSprite->animationArray.size(), source->ballSprite->animationArray.size());
    EXPECT_NE(slot->ballSprite->animationArray[0], source->ballSprite->animationArray[0]);
}

TEST_F(BallTest, CloneFromItselfKeepsABody) {
    BallPtr ball = MakeBall(40.0f, 50.0f);
    ball->Clone(ball);
    ASSERT_NE(ball->ballSprite, nullptr);
    EXPECT_EQ(ball->ballSprite->name, "ball_sprite");
    EXPECT_EQ(ball->ballSprite->x, 40.0f);
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(BallTest, UnlinkedAndReleasedBallsLeaveNoSprites) {
    const int before = g_debugSpritesInMemory;
    {
        std::vector<BallPtr> pool;
        BallPtr tmpl = MakeBall(10.0f, 10.0f);
        for (int i = 0; i < 4; ++i) {
            pool = AppendNewBall(pool);
            pool.back()->Clone(tmpl);
            pool.back()->Update(paddle);
        }
        pool[1]->Unlink();
        pool[1]->Unlink();  // harmless twice
        EXPECT_EQ(pool[1]->ballSprite, nullptr);
        EXPECT_EQ(pool[1]->smartTarget, nullptr);
        for (BallPtr& ball : pool) ball->Unlink();
        tmpl->Unlink();
    }
    {
        // Released without an unlink: the ball does it itself.
        BallPtr ball = MakeBall(10.0f, 10.0f);
        ball->Die();
    }
    EXPECT_EQ(g_debugSpritesInMemory, before);
}

TEST_F(BallTest, DieEndsAtOnceOnlyWithoutAKillAnimation) {
    BallPtr animated = MakeBall(10.0f, 10.0f, "ball_sprite");
    BallPtr bare = MakeBall(10.0f, 10.0f, "bare_ball");
    BallPtr dead = MakeBall(10.0f, 10.0f, "bare_ball");
    dead->isLive = 0;

    animated->Die();
    bare->Die();
    dead->Die();

    EXPECT_EQ(animated->isLive, 1);
    EXPECT_EQ(animated->ballSprite->isLive, 1);
    EXPECT_EQ(AnimationOf(animated->ballSprite), "kill");
    EXPECT_EQ(bare->isLive, 0);
    EXPECT_EQ(bare->ballSprite->isLive, 0);
    EXPECT_EQ(dead->ballSprite->isLive, 1);
}

// ---------------------------------------------------------------------------
// Motion, walls and loss.

TEST_F(BallTest, BallIsLostOnlyBelowY770UnlessGodModeHoldsIt) {
    struct Case {
        float y;
        int god;
        int live;
    } cases[] = {
        // In god mode the floor at 760 puts the ball back at 750.
        {770.0f, 0, 1}, {770.5f, 0, 0}, {771.0f, 0, 0}, {771.0f, 1, 1}, {900.0f, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "y " << c.y << " god " << c.god);
        g_godMode = c.god;
        BallPtr ball = MakeBall(100.0f, c.y);
        ball->ballSprite->vel = 0.0f;
        ball->Update(paddle);
        EXPECT_EQ(ball->isLive, c.live);
        EXPECT_EQ(ball->ballSprite->isLive, c.live);
        if (c.god == 1) {
            EXPECT_LE(ball->ballSprite->y, 750.0f);
        }
    }
}

TEST_F(BallTest, GodModeBallBouncesOffTheFloorForEver) {
    g_godMode = 1;
    BallPtr ball = MakeBall(100.0f, 700.0f);
    ball->ballSprite->dx = 0.0f;
    ball->ballSprite->dy = 1.0f;
    ball->ballSprite->vel = 7.0f;
    float lowest = 0.0f;
    for (int i = 0; i < 200; ++i) {
        ball->Update(paddle);
        lowest = std::max(lowest, ball->ballSprite->y);
    }
    EXPECT_EQ(ball->isLive, 1);
    EXPECT_LT(lowest + 10.0f, 767.0f);  // never more than one step past the floor at 760
}

TEST_F(BallTest, WallsReboundTheBallAndCountAsHits) {
    struct Case {
        float x, y, dx, dy;
        float expectDx, expectDy;
    } cases[] = {
        {1.0f, 300.0f, -1.0f, 0.0f, 1.0f, 0.0f},    // left wall at 4
        {715.0f, 300.0f, 1.0f, 0.0f, -1.0f, 0.0f},  // right wall at 720
        {300.0f, 2.0f, 0.0f, -1.0f, 0.0f, 1.0f},    // top at 4
        {1.0f, 2.0f, -1.0f, -1.0f, 1.0f, 1.0f},     // a corner turns both ways, one hit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        BallPtr ball = MakeBall(c.x, c.y);
        Sprite& sprite = *ball->ballSprite;
        sprite.dx = c.dx;
        sprite.dy = c.dy;
        sprite.vel = 2.0f;
        ball->hitsRemaining = 10;
        ball->Update(paddle);
        EXPECT_EQ(sprite.dx, c.expectDx);
        EXPECT_EQ(sprite.dy, c.expectDy);
        EXPECT_EQ(ball->hitsRemaining, 9);
    }
}

TEST_F(BallTest, MovesByItsSpeedAtTheGameSpeedAndSkipsWhenDead) {
    g_gameSpeedFactor = 0.5f;
    BallPtr ball = MakeBall(100.0f, 100.0f);
    Sprite& sprite = *ball->ballSprite;
    sprite.dx = 0.6f;
    sprite.dy = -0.8f;
    sprite.vel = 10.0f;
    ball->Update(paddle);
    EXPECT_FLOAT_EQ(sprite.x, 103.0f);
    EXPECT_FLOAT_EQ(sprite.y, 96.0f);

    ball->isLive = 0;
    ball->Update(paddle);
    EXPECT_FLOAT_EQ(sprite.x, 103.0f);
}

TEST_F(BallTest, LifetimeRunsOutByTheGameSpeed) {
    BallPtr ball = MakeBall(100.0f, 100.0f);
    ball->ttl = 2.0f;
    int expected[] = {1, 1, 0};
    for (int live : expected) {
        ball->Update(paddle);
        EXPECT_EQ(ball->isLive, live);
    }
    // The body lives on: only the ball's own flag drops.
    EXPECT_EQ(ball->ballSprite->isLive, 1);
}

// ---------------------------------------------------------------------------
// The paddle.

// A paddle 100 wide at x 300 and a ball 10 wide: contact runs from x 290 to x 400.
TEST_F(BallTest, PaddleReboundAngleAcrossThePaddle) {
    struct Case {
        const char* where;
        float ballX;
        int angle;  // expected; 999 = no contact
    } cases[] = {
        {"left end of contact", 290.0f, -73},
        {"left quarter", 317.5f, -36},
        {"centre", 345.0f, 0},
        {"right end of contact", 400.0f, 73},
        {"just off the left end", 289.9f, 999},
        {"just off the right end", 400.1f, 999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        BallPtr ball = MakeBall(c.ballX, 692.0f);
        Sprite& sprite = *ball->ballSprite;
        sprite.dx = 0.25f;
        sprite.dy = 0.5f;
        sprite.vel = 4.0f;
        paddle->paddleSprite->JumpToAnimation("idle");
        ball->PaddleCollision(paddle);
        if (c.angle == 999) {
            EXPECT_EQ(sprite.dx, 0.25f);
            EXPECT_EQ(sprite.yRebound, 0);
            EXPECT_EQ(AnimationOf(paddle->paddleSprite), "idle");
            continue;
        }
        EXPECT_EQ(sprite.dx, SinOf(c.angle));
        EXPECT_EQ(sprite.dy, CosOf(c.angle));
        EXPECT_FLOAT_EQ(sprite.drot, c.angle / 10.0f);
        EXPECT_FLOAT_EQ(sprite.vel, 4.25f);  // the paddle's elasticity 1.25 adds 0.25
        EXPECT_EQ(sprite.yRebound, 1);
        EXPECT_EQ(AnimationOf(paddle->paddleSprite), "sound_hit");
        // The next update sends it upwards.
        ball->Update(paddle);
        EXPECT_LT(sprite.dy, 0.0f);
        EXPECT_EQ(sprite.dx, SinOf(c.angle));
    }
}

// Each "bouncy" catch softens the paddle further; contact after contact must not stop the ball.
TEST_F(BallTest, ASoftPaddleSlowsTheBallButNeverStopsIt) {
    struct Case {
        float elasticity, before, after;
    } cases[] = {
        {0.9f, 4.0f, 3.9f},  // an ordinary loss
        {0.7f, 1.2f, 1.0f},  // down to a crawl, no further
        {0.1f, 0.5f, 0.5f},  // already slower than that: kept
        {1.25f, 0.5f, 0.75f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elasticity);
        paddle->paddleSprite->elasticity = c.elasticity;
        BallPtr hit = MakeBall(345.0f, 692.0f);
        hit->ballSprite->vel = c.before;
        hit->PaddleCollision(paddle);
        EXPECT_FLOAT_EQ(hit->ballSprite->vel, c.after);
        BallPtr launched = MakeBall(345.0f, 692.0f);
        launched->ballSprite->vel = c.before;
        launched->CalculatePaddleRebound(paddle);
        EXPECT_FLOAT_EQ(launched->ballSprite->vel, c.after);
    }
}

TEST_F(BallTest, PaddleContactCountsAHitAndResetsTheRun) {
    BallPtr ball = MakeBall(345.0f, 692.0f);
    ball->hitsRemaining = 2;
    ball->consecutiveRebounds = 40;
    ball->PaddleCollision(paddle);
    EXPECT_EQ(ball->consecutiveRebounds, 1);
    EXPECT_EQ(ball->hitsRemaining, 1);
    EXPECT_EQ(ball->isLive, 1);
    ball->PaddleCollision(paddle);
    EXPECT_EQ(ball->isLive, 0);
}

TEST_F(BallTest, DeadBallsAndADeadPaddleMeetNothing) {
    BallPtr deadBall = MakeBall(345.0f, 692.0f);
    deadBall->isLive = 0;
    deadBall->PaddleCollision(paddle);
    EXPECT_EQ(deadBall->ballSprite->yRebound, 0);

    BallPtr ball = MakeBall(345.0f, 692.0f);
    paddle->isLive = 0;
    ball->PaddleCollision(paddle);
    EXPECT_EQ(ball->ballSprite->yRebound, 0);
}

TEST_F(BallTest, StickyPaddleHoldsBallsButNotWeaponShots) {
    struct Case {
        int sticky;
        int weaponShot;
        int stuck;  // expected isStuck
    } cases[] = {
        {0, 0, kNotStuck},
        {1, 0, 27},
        {1, 1, kNotStuck},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "sticky " << c.sticky << " shot " << c.weaponShot);
        paddle->isSticky = c.sticky;
        BallPtr ball = MakeBall(327.75f, 693.0f);
        ball->isWeaponBlast = c.weaponShot;
        ball->PaddleCollision(paddle);
        EXPECT_EQ(ball->isStuck, c.stuck);
        EXPECT_EQ(ball->ballSprite->yRebound, 1);
        EXPECT_EQ(ball->ballSprite->y, c.stuck == kNotStuck ? 693.0f : 690.0f);
    }
}

TEST_F(BallTest, StuckBallRidesThePaddleUntilItShakes) {
    BallPtr ball = MakeBall(300.0f, 600.0f);
    ball->isStuck = 20;
    ball->ballSprite->yScale = 2.0f;
    struct Step {
        float paddleX;
        float shake;
        float x;
        int stuck;
    } steps[] = {
        {300.0f, 0.0f, 320.0f, 20},
        {450.0f, 0.0f, 470.0f, 20},
        {120.0f, 0.0f, 140.0f, 20},
        {130.0f, 1.0f, 150.0f, kNotStuck},  // placed once more, then let go
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.paddleX);
        PlacePaddle(s.paddleX, 700.0f);
        paddle->paddleSprite->shake = s.shake;
        ball->Update(paddle);
        EXPECT_FLOAT_EQ(ball->ballSprite->x, s.x);
        EXPECT_FLOAT_EQ(ball->ballSprite->y, 700.0f - 20.0f - 0.01f);
        EXPECT_EQ(ball->isStuck, s.stuck);
    }
    // Free now: the paddle's moves no longer carry it.
    PlacePaddle(500.0f, 700.0f);
    paddle->paddleSprite->shake = 0.0f;
    ball->Update(paddle);
    EXPECT_LT(ball->ballSprite->x, 200.0f);
}

TEST_F(BallTest, LaunchSendsTheStuckBallUpAtTheAngleOfItsPlace) {
    struct Case {
        int offset;  // isStuck, from the paddle's x
        int angle;
    } cases[] = {
        {-10, -73}, {45, 0}, {100, 73}, {-130, -233},  // far off the paddle: the angle still comes out of the tables
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        BallPtr ball = MakeBall(300.0f, 600.0f);
        ball->isStuck = c.offset;
        ball->ballSprite->vel = 4.0f;
        ball->hitsRemaining = 5;
        ball->consecutiveRebounds = 7;
        ball->Update(paddle);  // onto the paddle
        // What the main loop's fire input does for every stuck ball.
        ball->isStuck = kNotStuck;
        ball->CalculatePaddleRebound(paddle);
        Sprite& sprite = *ball->ballSprite;
        float dy = CosOf(c.angle);
        EXPECT_EQ(sprite.dx, SinOf(c.angle));
        EXPECT_EQ(sprite.dy, dy > 0.0f ? -dy : dy);
        EXPECT_LT(sprite.dy, 0.0f);
        EXPECT_FLOAT_EQ(sprite.drot, c.angle / 10.0f);
        EXPECT_FLOAT_EQ(sprite.vel, 4.25f);
        EXPECT_EQ(sprite.yRebound, 1);
        EXPECT_EQ(ball->consecutiveRebounds, 1);
        EXPECT_EQ(ball->hitsRemaining, 4);
        EXPECT_EQ(AnimationOf(paddle->paddleSprite), "sound_release");
        float before = sprite.y;
        ball->Update(paddle);
        EXPECT_LT(sprite.y, before);
        EXPECT_EQ(ball->isLive, 1);
    }
}

TEST_F(BallTest, NoWidthAtAllStillLaunchesStraightUp) {
    BallPtr ball = MakeBall(300.0f, 690.0f);
    ball->ballSprite->widthBound = 0.0f;
    paddle->paddleSprite->widthBound = 0.0f;
    ball->CalculatePaddleRebound(paddle);
    EXPECT_EQ(ball->ballSprite->dx, 0.0f);
    EXPECT_EQ(ball->ballSprite->dy, -1.0f);
    EXPECT_TRUE(DebugLogLines().empty());
}

// ---------------------------------------------------------------------------
// The hit count.

TEST_F(BallTest, HitLimitEndsTheBallOnItsLastHit) {
    struct Case {
        int hits;
        float exploding;
        int liveAfter[4];
    } cases[] = {
        {3, 0.0f, {1, 1, 0, 0}},
        {-1, 0.0f, {1, 1, 1, 1}},
        {1, 20.0f, {1, 1, 1, 1}},  // lives on through its blast, on a lifetime of 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hits);
        BallPtr ball = MakeBall(100.0f, 100.0f);
        ball->hitsRemaining = c.hits;
        ball->isExploding = c.exploding;
        for (int live : c.liveAfter) {
            ball->HitTaken();
            EXPECT_EQ(ball->isLive, live);
        }
        if (c.exploding != 0.0f) {
            EXPECT_EQ(ball->ttl, 1.0f);
        }
        if (c.hits == -1) {
            EXPECT_EQ(ball->consecutiveRebounds, 0);
        }
    }
}

TEST_F(BallTest, LongRunsWithoutThePaddleNudgeTheBall) {
    struct Case {
        int runBefore;
        double reach;  // k after the hit
    } cases[] = {
        {249, 0.0},
        {250, 0.1},
        {259, 1.0},
        {1249, 100.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.runBefore);
        double largest = 0.0;
        for (int seed = 1; seed <= 20; ++seed) {
            SeedRnd(seed);
            BallPtr ball = MakeBall(100.0f, 100.0f);
            ball->hitsRemaining = 100000;
            ball->consecutiveRebounds = c.runBefore;
            ball->HitTaken();
            double moveX = std::fabs(ball->ballSprite->x - 100.0f);
            double moveY = std::fabs(ball->ballSprite->y - 100.0f);
            EXPECT_LE(moveX, c.reach + 1e-4);
            EXPECT_LE(moveY, c.reach + 1e-4);
            largest = std::max(largest, std::max(moveX, moveY));
        }
        if (c.reach == 0.0) {
            EXPECT_EQ(largest, 0.0);
        } else {
            EXPECT_GT(largest, c.reach / 2.0);
        }
    }
}

// ---------------------------------------------------------------------------
// Drawing.

TEST_F(BallTest, DrawsOnlyWhileLive) {
    BallPtr ball = MakeBall(120.0f, 80.0f);
    StartRecording();
    ball->Draw();
    std::vector<DrawCall> live = StopRecording();
    ball->isLive = 0;
    StartRecording();
    ball->Draw();
    std::vector<DrawCall> dead = StopRecording();

    int images = 0;
    for (const DrawCall& call : live) {
        if (call.kind == DrawKind::Image) ++images;
    }
    EXPECT_EQ(images, 1);
    EXPECT_TRUE(dead.empty());
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(BallTest, FailuresAreLoggedUnderTheBallLabels) {
    auto ball = std::make_shared<Ball>();
    ball->Unlink();
    ball->isLive = 1;
    ball->isStuck = 5;
    EXPECT_EQ(ball->WriteToXML(), "");
    ball->Update(paddle);
    ball->Clone(nullptr);
    ball->Draw();
    EXPECT_EQ(LogLinesWith("ball:Ball.WriteToXML$(): Attempt to access field or method of Null object"), 1);
    EXPECT_EQ(LogLinesWith("ball:Ball.Update(): Attempt to access field or method of Null object"), 1);
    EXPECT_EQ(LogLinesWith("ball:Ball.Clone(): Attempt to access field or method of Null object"), 1);
    EXPECT_EQ(LogLinesWith("ball:Ball.Draw(): Attempt to access field or method of Null object"), 1);
}
