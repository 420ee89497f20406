// Powerups: the "powerup" element, cloning, the brick shield, the fall under gravity between
// the walls, the catch by the paddle, lookups, and release without leaks.
#include <cmath>

#include "test_powerups_support.h"
#include "text/test_xmlfields_support.h"

namespace poweruptest {
namespace {

// Every field the element fills, as text, in declaration order.
std::vector<std::string> Definition(const Powerup& p) {
    std::vector<std::string> definition;
    ForEachXmlField(kPowerupFields,
                    [&](const auto& field) { definition.push_back(bound_fields::AsText(p.*field.member)); });
    return definition;
}

TEST_F(PowerupTest, LoadReadsEveryTag) {
    const Powerup& p = *Template("everything");
    const std::vector<std::string> expected = {"everything",
                                               "gem",
                                               "12",
                                               FloatToText(1.5f),
                                               FloatToText(0.25f),
                                               "2",
                                               "1",
                                               "2",
                                               "3",
                                               "4",
                                               "5",
                                               "glow",
                                               FloatToText(0.5f),
                                               FloatToText(0.125f),
                                               "1",
                                               "grow",
                                               "1",
                                               "1",
                                               "1",
                                               "wobble",
                                               "stone",
                                               "4",
                                               FloatToText(0.5f),
                                               FloatToText(20.0f),
                                               FloatToText(300.0f),
                                               FloatToText(40.0f),
                                               "dizzy",
                                               FloatToText(2.0f),
                                               FloatToText(3.0f),
                                               "blaster",
                                               FloatToText(0.75f),
                                               "1001",
                                               "2",
                                               "7",
                                               "1",
                                               "1",
                                               "boss theme",
                                               FloatToText(500.0f),
                                               FloatToText(0.5f)};
    EXPECT_EQ(Definition(p), expected);
    EXPECT_EQ(p.isLive, 0);
    EXPECT_EQ(p.hasBeenAwarded, 0);
    ASSERT_TRUE(p.powerupSprite);
    EXPECT_EQ(p.powerupSprite->name, "gem");
    EXPECT_NE(p.powerupSprite, GetSpriteByName("gem", sprites));
    ASSERT_TRUE(p.brickShieldToUse);
    EXPECT_EQ(p.brickShieldToUse->bricksToCheck.size(), 4u);
}

TEST_F(PowerupTest, LoadKeepsDefaultsForZeroFloatsAndBadInts) {
    const Powerup& p = *Template("zeroes");
    EXPECT_EQ(p.dBallSpeed, 0.0f);
    EXPECT_EQ(p.isFireball, 0);  // the int text "0" sets 0
    EXPECT_EQ(p.setScoreMultiplierTo, 0);
    EXPECT_EQ(p.GlobalSpeedTarget, -1.0f);  // a float can never be set to 0
    EXPECT_EQ(p.dNainAggression, 1.0f);
    EXPECT_EQ(p.dPaddlePositionModifier, 1.0f);
    EXPECT_EQ(p.addToLives, 0);
    EXPECT_EQ(p.duration, -1);
    EXPECT_EQ(p.GlobalSpeedRate, 10.0f);
    // No shield named: an empty box without dimensions.
    ASSERT_TRUE(p.brickShieldToUse);
    EXPECT_TRUE(p.brickShieldToUse->bricksToCheck.empty());
    EXPECT_EQ(p.brickShieldToUse->minX, -1.0f);
}

TEST_F(PowerupTest, LoadWithKeepSpriteReadsTagsOnly) {
    auto p = std::make_shared<Powerup>();
    made.push_back(p);
    p->LoadFromXML(PowerupFixture("powerups.xml"), sprites, bricks, 1);
    EXPECT_EQ(p->name, "nobody");  // the last occurrence of a tag wins
    EXPECT_EQ(p->powerupSprite, nullptr);
    EXPECT_EQ(p->brickShieldToUse, nullptr);
}

TEST_F(PowerupTest, MissingSpriteTemplateIsReportedAndLeavesABlankBody) {
    auto p = std::make_shared<Powerup>();
    made.push_back(p);
    p->LoadFromXML("<powerup><name>n</name><spriteName>ghost</spriteName></powerup>", sprites, bricks, 0);
    EXPECT_EQ(LogLinesWith("Could not find sprite named \"ghost\"."), 1);
    ASSERT_TRUE(p->powerupSprite);
    EXPECT_TRUE(p->powerupSprite->animationArray.empty());
}

TEST_F(PowerupTest, CloneCopiesTheDefinitionWithItsOwnSpriteAndShield) {
    PowerupPtr source = Template("everything");
    auto copy = std::make_shared<Powerup>();
    made.push_back(copy);
    copy->isLive = 1;
    copy->hasBeenAwarded = 1;
    source->isLive = 0;
    copy->Clone(source);
    EXPECT_EQ(Definition(*copy), Definition(*source));
    // The live flags stay the receiver's own.
    EXPECT_EQ(copy->isLive, 1);
    EXPECT_EQ(copy->hasBeenAwarded, 1);
    ASSERT_TRUE(copy->powerupSprite);
    EXPECT_NE(copy->powerupSprite, source->powerupSprite);
    EXPECT_EQ(copy->powerupSprite->animationArray.size(), source->powerupSprite->animationArray.size());
    ASSERT_TRUE(copy->brickShieldToUse);
    ASSERT_EQ(copy->brickShieldToUse->bricksToCheck.size(), 4u);
    EXPECT_NE(copy->brickShieldToUse->bricksToCheck[0], source->brickShieldToUse->bricksToCheck[0]);

    // Cloning again drops the old parts; a clone of itself keeps its parts.
    copy->Clone(copy);
    EXPECT_EQ(Definition(*copy), Definition(*source));
    ASSERT_TRUE(copy->powerupSprite);
    EXPECT_EQ(copy->powerupSprite->name, "gem");
    EXPECT_EQ(copy->brickShieldToUse->bricksToCheck.size(), 4u);
}

TEST_F(PowerupTest, CloneOfNothingLeavesAnInertPowerup) {
    PowerupPtr source = GetPowerupByName("unknown", templates);
    EXPECT_EQ(source, nullptr);
    auto p = std::make_shared<Powerup>();
    made.push_back(p);
    p->Clone(source);
    EXPECT_EQ(LogLinesWith("powerups:Powerup.Clone() Attempt to access field or method of Null object"), 1);
    p->Initialize(300.0f, 300.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(p->isLive, 1);
    PaddlePtr paddle = MakePaddle(250.0f, 290.0f);
    EXPECT_EQ(p->PaddleCollision(paddle), 0);
    EXPECT_EQ(p->Update(), 0);
    StartRecording();
    EXPECT_EQ(p->Draw(), 0);
    EXPECT_TRUE(StopRecording().empty());
    EXPECT_EQ(LogLinesWith("powerups:"), 1);
    paddle->Unlink();
}

TEST_F(PowerupTest, ShieldIsOneRowAcrossTheField) {
    struct Case {
        const char* label;
        std::string tags;
        std::vector<float> xs;  // of the bricks, left to right
        bool dimensioned;
        int reportedMisses;
    };
    const Case cases[] = {
        {"four stones of 60 get scale 3",
         "<createSheildFromBrick>stone</createSheildFromBrick>"
         "<numberOfBricksInShield>4</numberOfBricksInShield>",
         {4.0f, 184.0f, 364.0f, 544.0f},
         true,
         0},
        {"one brick spans the field",
         "<createSheildFromBrick>stone</createSheildFromBrick>"
         "<numberOfBricksInShield>1</numberOfBricksInShield>",
         {4.0f},
         true,
         0},
        {"no count, no shield", "<createSheildFromBrick>stone</createSheildFromBrick>", {}, false, 0},
        {"a negative count sets the box only",
         "<createSheildFromBrick>stone</createSheildFromBrick>"
         "<numberOfBricksInShield>-2</numberOfBricksInShield>",
         {},
         true,
         0},
        {"a missing brick leaves the box empty",
         "<createSheildFromBrick>ghost</createSheildFromBrick>"
         "<numberOfBricksInShield>4</numberOfBricksInShield>",
         {},
         true,
         1},
        {"a brick without width leaves the box empty",
         "<createSheildFromBrick>sliver</createSheildFromBrick>"
         "<numberOfBricksInShield>4</numberOfBricksInShield>",
         {},
         true,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        g_DebugLog.clear();
        PowerupPtr p = Load(c.tags);
        const BrickBox& box = *p->brickShieldToUse;
        ASSERT_EQ(box.bricksToCheck.size(), c.xs.size());
        const float width = c.xs.empty() ? 0.0f : 720.0f / static_cast<float>(c.xs.size());
        for (size_t i = 0; i < c.xs.size(); ++i) {
            const Brick& brick = *box.bricksToCheck[i];
            EXPECT_EQ(brick.isLive, 1);
            EXPECT_EQ(brick.brickSprite->isLive, 1);
            EXPECT_FLOAT_EQ(brick.brickSprite->x, c.xs[i]);
            EXPECT_FLOAT_EQ(brick.brickSprite->y, 754.0f);
            EXPECT_FLOAT_EQ(brick.brickSprite->GetWidth(), width);
            // Its own body, not the pack's.
            EXPECT_NE(brick.brickSprite, GetSpriteByName("stone", sprites));
        }
        if (c.dimensioned) {
            EXPECT_EQ(box.minX, 3.0f);
            EXPECT_EQ(box.maxX, 726.0f);
            EXPECT_EQ(box.minY, 753.0f);
            EXPECT_EQ(box.maxY, 804.0f);
        } else {
            EXPECT_EQ(box.minX, -1.0f);
        }
        EXPECT_EQ(LogLinesWith("Could not find brick named \"ghost\"."), c.reportedMisses);
        EXPECT_EQ(LogLinesWith("powerups:"), 0) << g_DebugLog;
    }
    // The template brick itself is untouched.
    EXPECT_EQ(GetSpriteByName("stone", sprites)->xScale, 1.0f);
}

TEST_F(PowerupTest, AShieldHasNoMoreBricksThanTheFieldIsPixelsWide) {
    // Two thousand million bricks would take all memory; narrower than a pixel, none would show.
    PowerupPtr p = Load(
        "<createSheildFromBrick>stone</createSheildFromBrick><numberOfBricksInShield>2000000000</"
        "numberOfBricksInShield>");
    const BrickBox& box = *p->brickShieldToUse;
    ASSERT_EQ(box.bricksToCheck.size(), 720u);
    EXPECT_NEAR(box.bricksToCheck.front()->brickSprite->GetWidth(), 1.0f, 1e-4f);
    EXPECT_NEAR(box.bricksToCheck.back()->brickSprite->x, 723.0f, 0.05f);
    EXPECT_EQ(LogLinesWith("powerups:"), 0) << g_DebugLog;
}

TEST_F(PowerupTest, InitializeCentresAndAimsTheFall) {
    struct Case {
        float x, y, dx, dy, vel;
    };
    for (const Case& c : {Case{100.0f, 200.0f, 0.0f, 1.0f, 1.5f}, Case{400.0f, 50.0f, -0.3f, 0.6f, 2.0f}}) {
        PowerupPtr p = Release(Template("shield"), c.x, c.y, c.dx, c.dy, c.vel);
        const Sprite& s = *p->powerupSprite;
        EXPECT_EQ(p->isLive, 1);
        EXPECT_FLOAT_EQ(s.x, c.x - 10.0f);
        EXPECT_FLOAT_EQ(s.y, c.y - 5.0f);
        EXPECT_GE(s.dx, c.dx - 0.15f);
        EXPECT_LT(s.dx, c.dx + 0.15f);
        EXPECT_GE(s.dy, c.dy - 0.15f);
        EXPECT_LE(s.dy, c.dy);
        EXPECT_GE(s.vel, c.vel - 0.15f);
        EXPECT_LT(s.vel, c.vel + 0.15f);
        EXPECT_EQ(s.ddx, 0.0f);
        EXPECT_EQ(s.ddy, 1.0f);
        EXPECT_FLOAT_EQ(s.accel, 0.2f);
    }
}

TEST_F(PowerupTest, FallsUnderGravityAndDiesBelowTheField) {
    PowerupPtr p = Release(Template("shield"), 360.0f, 100.0f, 0.0f, 1.0f, 1.0f);
    float lastY = p->powerupSprite->y;
    float lastVel = p->powerupSprite->vel;
    int updates = 0;
    while (p->isLive == 1 && updates < 1000) {
        p->Update();
        ++updates;
        if (p->isLive == 1) {
            EXPECT_GT(p->powerupSprite->y, lastY);
            EXPECT_GE(p->powerupSprite->vel, lastVel);
            lastY = p->powerupSprite->y;
            lastVel = p->powerupSprite->vel;
        }
    }
    EXPECT_EQ(p->isLive, 0);
    EXPECT_GT(p->powerupSprite->y, 764.0f);
    EXPECT_LT(updates, 1000);
    // Dead: neither moved nor drawn.
    const float y = p->powerupSprite->y;
    p->Update();
    EXPECT_EQ(p->powerupSprite->y, y);
    StartRecording();
    p->Draw();
    EXPECT_TRUE(StopRecording().empty());
}

TEST_F(PowerupTest, SideWallsSendItBack) {
    struct Case {
        const char* label;
        float x, dx;
        bool movesRight;
    };
    for (const Case& c : {Case{"left wall", 16.0f, -1.0f, true}, Case{"right wall", 712.0f, 1.0f, false}}) {
        SCOPED_TRACE(c.label);
        PowerupPtr p = Release(Template("shield"), c.x, 300.0f, c.dx, 0.0f, 3.0f);
        p->powerupSprite->dx = c.dx;
        p->powerupSprite->dy = 0.0f;
        p->powerupSprite->accel = 0.0f;
        for (int i = 0; i < 12; ++i) {
            p->Update();
            EXPECT_GT(p->powerupSprite->x, -10.0f);
            EXPECT_LT(p->powerupSprite->GetRightEdge(0.0f), 740.0f);
        }
        EXPECT_EQ(p->isLive, 1);
        EXPECT_EQ(p->powerupSprite->dx > 0.0f, c.movesRight);
    }
}

TEST_F(PowerupTest, TheFallEndsInTheCatch) {
    PaddlePtr paddle = MakePaddle(300.0f, 700.0f);
    PowerupPtr p = Release(Template("shield"), 350.0f, 500.0f, 0.0f, 1.0f, 1.0f);
    int updates = 0;
    while (p->PaddleCollision(paddle) == 0 && p->isLive == 1 && updates < 500) {
        p->Update();
        ++updates;
    }
    ASSERT_EQ(p->PaddleCollision(paddle), 1);
    EXPECT_GT(p->powerupSprite->GetBottomEdge(0.0f), 700.0f);

    struct Case {
        const char* label;
        int powerupLive, paddleLive;
        float dx;  // moves the powerup sideways from the touching spot
        int caught;
    };
    const Case cases[] = {
        {"touching", 1, 1, 0.0f, 1},
        {"dead powerup", 0, 1, 0.0f, 0},
        {"dead paddle", 1, 0, 0.0f, 0},
        {"beside the paddle", 1, 1, 200.0f, 0},
    };
    const float x = p->powerupSprite->x;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        p->isLive = c.powerupLive;
        paddle->isLive = c.paddleLive;
        p->powerupSprite->x = x + c.dx;
        EXPECT_EQ(p->PaddleCollision(paddle), c.caught);
    }
    EXPECT_EQ(p->PaddleCollision(nullptr), 0);
    EXPECT_EQ(LogLinesWith("powerups:Powerup.PaddleCollision() "), 1);
    paddle->Unlink();
}

TEST_F(PowerupTest, CaughtPowerupPlaysItsAwardAndDiesWithItsSprite) {
    PaddlePtr paddle = MakePaddle(300.0f, 700.0f);
    PowerupPtr p = Release(Template("shield"), 350.0f, 705.0f, 0.0f, 1.0f, 0.0f);
    std::vector<BallPtr> balls;
    std::vector<WeaponPtr> weapons;
    WeaponPtr weapon;
    std::vector<NainPtr> nains;
    auto stat = std::make_shared<GameStat>();
    BrickBoxPtr shield = std::make_shared<BrickBox>();
    int lives = 3, mustClear = 2;
    ASSERT_EQ(p->PaddleCollision(paddle), 1);
    p->AwardPowerup({.paddle = paddle,
                     .balls = balls,
                     .weapons = weapons,
                     .activeWeapon = weapon,
                     .nains = nains,
                     .stat = stat,
                     .shield = shield,
                     .lives = lives,
                     .mustClearBrickCount = mustClear,
                     .sounds = {}});
    EXPECT_EQ(p->powerupSprite->GetCurrentAnimationName(), "award");
    EXPECT_EQ(p->isLive, 1);
    // The award runs three ticks and then kills the sprite; the powerup follows.
    for (int i = 0; i < 6 && p->isLive == 1; ++i) p->Update();
    EXPECT_EQ(p->isLive, 0);
    EXPECT_EQ(p->powerupSprite->isLive, 0);
    shield->Unlink(1);
    paddle->Unlink();
}

TEST_F(PowerupTest, LookupAndAppend) {
    EXPECT_EQ(GetPowerupByName("shield", templates), templates[2]);
    g_DebugLog.clear();
    EXPECT_EQ(GetPowerupByName("Shield", templates), nullptr);
    EXPECT_EQ(LogLinesWith("Could not find powerup named \"Shield\"."), 1);
    // Null entries are passed over.
    std::vector<PowerupPtr> gappy = {nullptr, templates[1]};
    EXPECT_EQ(GetPowerupByName("zeroes", gappy), templates[1]);

    std::vector<PowerupPtr> grown = AppendNewPowerup(templates);
    ASSERT_EQ(grown.size(), templates.size() + 1);
    for (size_t i = 0; i < templates.size(); ++i) EXPECT_EQ(grown[i], templates[i]);
    const Powerup& fresh = *grown.back();
    EXPECT_EQ(Definition(fresh), Definition(Powerup()));
    EXPECT_EQ(fresh.isLive, 0);
    EXPECT_EQ(fresh.powerupSprite, nullptr);
    EXPECT_EQ(fresh.brickShieldToUse, nullptr);
    EXPECT_EQ(fresh.GlobalSpeedRate, 10.0f);
    EXPECT_EQ(fresh.dNainAggression, 1.0f);
    EXPECT_EQ(AppendNewPowerup({}).size(), 1u);
}

TEST_F(PowerupTest, FaultsAreLoggedUnderTheirLabels) {
    Powerup p;
    p.CreateShieldFromBrick = "stone";
    p.NumberOfBricksInShield = 2;
    p.CreateBrickShield(bricks);  // no box to fill
    std::vector<BallPtr> balls;
    std::vector<WeaponPtr> weapons;
    WeaponPtr weapon;
    BrickBoxPtr shield;
    int lives = 0, mustClear = 0;
    p.AwardPowerup({.paddle = nullptr,
                    .balls = balls,
                    .weapons = weapons,
                    .activeWeapon = weapon,
                    .nains = {},
                    .stat = nullptr,
                    .shield = shield,
                    .lives = lives,
                    .mustClearBrickCount = mustClear,
                    .sounds = {}});
    const std::vector<std::string> expected = {
        "powerups:Powerup.CreateBrickShield() Attempt to access field or method of Null object",
        "powerups:Powerup.AwardPowerup() Attempt to access field or method of Null object"};
    EXPECT_EQ(DebugLogLines(), expected);
}

TEST_F(PowerupTest, UnlinkedPowerupsReleaseTheirSpritesAndShieldBricks) {
    const int sprites0 = g_debugSpritesInMemory;
    const int bricks0 = g_debugBricksInMemory;
    {
        // A level's life: sources cloned from the templates, live ones released from the
        // sources, one caught with its shield handed to the level.
        std::vector<PowerupPtr> sources;
        for (const PowerupPtr& t : templates) {
            sources = AppendNewPowerup(sources);
            sources.back()->Clone(t);
        }
        std::vector<PowerupPtr> live;
        for (int i = 0; i < 3; ++i) {
            live = AppendNewPowerup(live);
            live.back()->Clone(GetPowerupByName("shield", sources));
            live.back()->Initialize(300.0f, 100.0f, 0.0f, 1.0f, 1.0f);
        }
        PaddlePtr paddle = MakePaddle(300.0f, 700.0f);
        std::vector<BallPtr> balls;
        std::vector<WeaponPtr> weapons;
        WeaponPtr weapon;
        auto stat = std::make_shared<GameStat>();
        BrickBoxPtr shield = std::make_shared<BrickBox>();
        int lives = 3, mustClear = 2;
        const std::vector<NainPtr> nains;
        const std::vector<SoundPtr> sounds;
        const AwardTargets targets{.paddle = paddle,
                                   .balls = balls,
                                   .weapons = weapons,
                                   .activeWeapon = weapon,
                                   .nains = nains,
                                   .stat = stat,
                                   .shield = shield,
                                   .lives = lives,
                                   .mustClearBrickCount = mustClear,
                                   .sounds = sounds};
        live[0]->AwardPowerup(targets);
        live[1]->AwardPowerup(targets);
        for (int i = 0; i < 5; ++i) {
            for (const PowerupPtr& p : live) p->Update();
        }
        EXPECT_GT(g_debugSpritesInMemory, sprites0);
        EXPECT_GT(g_debugBricksInMemory, bricks0);
        for (const PowerupPtr& p : live) p->Unlink();
        for (const PowerupPtr& p : sources) p->Unlink();
        for (const PowerupPtr& p : live) {
            EXPECT_EQ(p->powerupSprite, nullptr);
            EXPECT_EQ(p->brickShieldToUse, nullptr);
        }
        shield->Unlink(1);
        paddle->Unlink();
        // A second unlink is harmless.
        live[0]->Unlink();
    }
    EXPECT_EQ(g_debugSpritesInMemory, sprites0);
    EXPECT_EQ(g_debugBricksInMemory, bricks0);
    // The one fault: the source of "nobody" copies a template body that never loaded.
    const std::vector<std::string> expected = {"sprites:Sprite.Clone() Sprite to clone name is null!"};
    EXPECT_EQ(DebugLogLines(), expected);
}

}  // namespace
}  // namespace poweruptest
