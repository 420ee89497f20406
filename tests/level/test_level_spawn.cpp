// Spawning in a level: a fresh paddle and balls with the level music, nains seated on free
// bricks, and powerups released by nains and bricks.
#include <cmath>

#include "level/levelbox_support.h"
#include "media/sounds.h"

using namespace boxtest;

namespace {

SoundPtr MakeMusic(const std::string& name) {
    auto data = std::make_shared<TSampleData>();
    data->frames.assign(4410, 0.1f);
    auto sample = std::make_shared<TSound>();
    sample->data = data;
    auto sound = std::make_shared<Sound>();
    sound->name = name;
    sound->isMusic = 1;
    sound->soundData = sample;
    return sound;
}

// A 16 x 16 orb that plays "create" when released.
PowerupPtr MakePowerup(const std::string& name) {
    auto powerup = std::make_shared<Powerup>();
    powerup->name = name;
    powerup->spriteName = "orb";
    powerup->powerupSprite = Body("orb", 0, 0, 16, 16, Anim("create") + Anim("award"));
    return powerup;
}

class SpawnTest : public BoxTest {
protected:
    void SetUp() override {
        BoxTest::SetUp();
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
        sounds = {MakeMusic("intro"), MakeMusic("tune")};

        level.playerPaddleSource = std::make_shared<Paddle>();
        level.playerPaddleSource->paddleSprite = Body("paddle", 0, 0, 100, 10, Anim("sound_hit"));
        level.brickShield = std::make_shared<BrickBox>();
        level.brickShield->SetDimensions(4, 724, 754, 804);
        level.music = "tune";
        level.sourcePowerupsArray = {MakePowerup("life"), MakePowerup("slow")};
    }
    void TearDown() override {
        UnlinkLevel(level);
        for (const SoundPtr& sound : sounds) sound->Unlink();
        g_MasterMixer = nullptr;
        BoxTest::TearDown();
    }

    // A pool of `pool` balls left over from play, and `sources` new-ball templates; the first
    // template starts stuck 20 units into the paddle.
    void Balls(int pool, int sources) {
        for (int i = 0; i < pool; ++i) {
            level.ballsArray.push_back(MakeBall(50.0f + i, 300.0f));
            level.ballsArray.back()->isWeaponBlast = 1;
        }
        for (int i = 0; i < sources; ++i) {
            level.newBallsSourceArray.push_back(MakeBall(200.0f + 30.0f * i, 400.0f));
            level.newBallsSourceArray.back()->isLive = 0;
        }
        if (sources > 0) level.newBallsSourceArray[0]->isStuck = 20;
    }

    BrickPtr AddBrick(float x, float y, float w = 40, float h = 20) {
        level.bricksArray.push_back(MakeBrick(x, y, w, h));
        return level.bricksArray.back();
    }
    NainPtr AddSourceNain(float w = 20, float h = 20) {
        level.sourceNainsArray.push_back(MakeNain(-100, -100, w, h));
        return level.sourceNainsArray.back();
    }

    Level level;
    std::vector<SoundPtr> sounds;
};

TEST_F(SpawnTest, StartNewBallFillsThePoolFromTheNewBallTemplates) {
    struct Case {
        int pool, sources;
    } cases[] = {{16, 1}, {2, 3}, {3, 0}, {0, 2}};
    for (const Case& c : cases) {
        UnlinkLevel(level);
        SetUp();
        Balls(c.pool, c.sources);
        EXPECT_EQ(level.StartNewBall(sounds), 0);

        ASSERT_EQ(static_cast<int>(level.ballsArray.size()), c.pool);
        for (int i = 0; i < c.pool; ++i) {
            const Ball& ball = *level.ballsArray[i];
            const int live = i < c.sources ? 1 : 0;
            EXPECT_EQ(ball.isLive, live) << c.pool << "/" << c.sources << " ball " << i;
            EXPECT_EQ(ball.ballSprite->isLive, live) << c.pool << "/" << c.sources << " ball " << i;
            if (live == 1) {
                EXPECT_EQ(ball.isWeaponBlast, 0);
                EXPECT_NE(ball.ballSprite, level.newBallsSourceArray[i]->ballSprite);
            }
        }
        if (c.pool > 0 && c.sources > 0) {
            // The stuck template rides the new paddle from the start.
            const Sprite& first = *level.ballsArray[0]->ballSprite;
            EXPECT_FLOAT_EQ(first.x, 320.0f);
            EXPECT_FLOAT_EQ(first.y, 744.0f - 10.0f - 0.01f);
            EXPECT_EQ(g_DebugStrings[0], "Progress note (Respawn ball! 1)");
        }
        EXPECT_TRUE(DebugLogLines().empty());
    }
}

TEST_F(SpawnTest, StartNewBallBringsAFreshPaddleAndResetsThePace) {
    Balls(16, 1);
    auto old = std::make_shared<Paddle>();
    old->paddleSprite = Body("paddle", 50, 600, 100, 10);
    old->paddleSprite->isLive = 0;
    old->isLive = 0;
    level.playerPaddle = old;
    level.ballsAlive = 0;
    g_paddlePositionModifier = 3.0f;
    SetGlobalGameSpeed(0.5f, 2.0f, 40.0f);
    level.playerPaddleSource->paddleSprite->yScale = 2.0f;  // the height used is unscaled
    g_MasterMixer->AddMusic(sounds[0]);

    EXPECT_EQ(level.StartNewBall(sounds), 0);

    ASSERT_EQ(level.playerPaddle, old);  // the same paddle, made new
    const Sprite& paddle = *level.playerPaddle->paddleSprite;
    EXPECT_EQ(level.playerPaddle->isLive, 1);
    EXPECT_EQ(paddle.isLive, 1);
    EXPECT_EQ(paddle.x, 300.0f);
    EXPECT_EQ(paddle.y, 754.0f - 10.0f);
    EXPECT_NE(level.playerPaddle->paddleSprite, level.playerPaddleSource->paddleSprite);
    EXPECT_EQ(g_paddlePositionModifier, 1.0f);
    EXPECT_EQ(g_gameSpeedTargetModulation, 1.0f);
    EXPECT_EQ(g_gameSpeedModulationRate, 10.0f);
    EXPECT_EQ(g_gameSpeedModulationTTL, -1.0f);
    EXPECT_EQ(level.ballsAlive, 1);
    EXPECT_EQ(g_MasterMixer->soundArray[0], sounds[1]);
}

TEST_F(SpawnTest, UnknownMusicLeavesTheCurrentMusicPlaying) {
    Balls(2, 1);
    g_MasterMixer->AddMusic(sounds[0]);
    for (const char* name : {"", "no such tune"}) {
        level.music = name;
        EXPECT_EQ(level.StartNewBall(sounds), 0);
        EXPECT_EQ(g_MasterMixer->soundArray[0], sounds[0]) << name;
        EXPECT_EQ(level.ballsArray[0]->isLive, 1);
    }
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(SpawnTest, StartNewBallWithoutAPaddleTemplateOrShieldReportsAndChangesNothing) {
    struct Case {
        const char* what;
        void (*breakLevel)(Level&);
    } cases[] = {
        {"no paddle template", [](Level& l) { l.playerPaddleSource = nullptr; }},
        {"paddle template without a body",
         [](Level& l) {
             l.playerPaddleSource->paddleSprite->Unlink();
             l.playerPaddleSource->paddleSprite = nullptr;
         }},
        {"no shield", [](Level& l) { l.brickShield = nullptr; }},
    };
    for (const Case& c : cases) {
        UnlinkLevel(level);
        SetUp();
        Balls(4, 1);
        c.breakLevel(level);
        g_paddlePositionModifier = 2.0f;
        level.ballsAlive = 0;

        EXPECT_EQ(level.StartNewBall(sounds), 0) << c.what;
        ASSERT_EQ(DebugLogLines().size(), 1u) << c.what;
        EXPECT_EQ(DebugLogLines()[0].rfind("level:Level.StartNewBall() ", 0), 0u) << c.what;
        EXPECT_EQ(level.playerPaddle, nullptr) << c.what;
        EXPECT_EQ(level.ballsArray[0]->isWeaponBlast, 1) << c.what;
        EXPECT_EQ(level.ballsArray[1]->isLive, 1) << c.what;
        EXPECT_EQ(g_paddlePositionModifier, 2.0f) << c.what;
        EXPECT_EQ(level.ballsAlive, 0) << c.what;
        EXPECT_EQ(g_MasterMixer->soundArray[0], nullptr) << c.what;
    }
}

TEST_F(SpawnTest, StartNewBallMakesAPaddleWhenTheLevelHasNone) {
    Balls(1, 1);
    ASSERT_EQ(level.playerPaddle, nullptr);
    EXPECT_EQ(level.StartNewBall(sounds), 0);
    ASSERT_NE(level.playerPaddle, nullptr);
    EXPECT_EQ(level.playerPaddle->paddleSprite->x, 300.0f);
    EXPECT_EQ(level.playerPaddle->paddleSprite->name, "paddle");
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(SpawnTest, AddNainToBrickTriesOneBrickAndNeedsRoomOnIt) {
    struct Case {
        const char* what;
        int sourceNains;
        bool brick;
        float w, xScale, y, yScale;
        int live;
        bool taken;
        int result;
        bool added;
    } cases[] = {
        {"no source nains", 0, true, 40, 1, 200, 1, 1, false, -1, false},
        {"no bricks", 1, false, 40, 1, 200, 1, 1, false, -1, false},
        {"dead brick", 1, true, 40, 1, 200, 1, 0, false, -1, false},
        {"brick already carries a nain", 1, true, 40, 1, 200, 1, 1, true, -1, false},
        {"narrower than the nain", 1, true, 19, 1, 200, 1, 1, false, -1, false},
        {"narrower once scaled", 1, true, 40, 0.45f, 200, 1, 1, false, -1, false},
        {"too near the top", 1, true, 40, 1, 19, 1, 1, false, -1, false},
        {"near the top, room by its y scale", 1, true, 40, 1, 10, 2, 1, false, 0, true},
        {"exactly as wide as the nain", 1, true, 20, 1, 200, 1, 1, false, 0, true},
        {"room to spare", 1, true, 40, 1, 200, 1, 1, false, 0, true},
    };
    for (const Case& c : cases) {
        UnlinkLevel(level);
        SetUp();
        for (int i = 0; i < c.sourceNains; ++i) AddSourceNain();
        BrickPtr brick;
        NainPtr sitter;
        if (c.brick) {
            brick = AddBrick(100, c.y, c.w);
            brick->brickSprite->xScale = c.xScale;
            brick->brickSprite->yScale = c.yScale;
            brick->isLive = c.live;
            if (c.taken) {
                sitter = MakeNain(0, 0);
                brick->currentNain = sitter;
            }
        }
        level.CreateBrickBoxGrid();

        EXPECT_EQ(level.AddNainToBrick(0), c.result) << c.what;
        ASSERT_EQ(level.nainsArray.size(), c.added ? 1u : 0u) << c.what;
        if (c.added) {
            const NainPtr& nain = level.nainsArray[0];
            EXPECT_EQ(nain->parentBrick, brick) << c.what;
            EXPECT_EQ(brick->currentNain, nain) << c.what;
            EXPECT_EQ(nain->isLive, 1) << c.what;
            EXPECT_NE(nain->nainSprite, level.sourceNainsArray[0]->nainSprite) << c.what;
            const Sprite& sprite = *nain->nainSprite;
            EXPECT_EQ(sprite.y, c.y - 20.0f) << c.what;  // standing on the brick's top
            EXPECT_GE(sprite.x, 100.0f) << c.what;
            EXPECT_LE(sprite.x + 20.0f, brick->brickSprite->GetRightEdge(0.0f)) << c.what;
            if (c.w == 20) {
                EXPECT_EQ(sprite.x, 100.0f) << c.what;
            }
        }
        if (sitter) {
            EXPECT_EQ(brick->currentNain, sitter);
            sitter->Unlink();
        }
        EXPECT_TRUE(DebugLogLines().empty()) << c.what;
    }
}

TEST_F(SpawnTest, ANainThatWouldTouchAnotherBrickIsNotAdded) {
    NainPtr source = AddSourceNain();
    BrickPtr target = AddBrick(100, 200);
    // Hangs over the target's top; the grid box lists it though the level's array does not,
    // so only the target can be chosen.
    BrickPtr ledge = MakeBrick(90, 175, 60, 10);
    auto box = std::make_shared<BrickBox>();
    box->SetDimensions(0, 400, 0, 400);
    box->TestAddBrick(ledge);
    level.brickBoxArray = {box};

    EXPECT_EQ(level.AddNainToBrick(0), 0);
    EXPECT_TRUE(level.nainsArray.empty());
    EXPECT_EQ(target->currentNain, nullptr);
    // The source nain stays where it was tried.
    EXPECT_EQ(source->nainSprite->y, 180.0f);
    EXPECT_GE(source->nainSprite->x, 100.0f);
    EXPECT_LE(source->nainSprite->x, 120.0f);

    ledge->Unlink();
}

TEST_F(SpawnTest, NainsSettleOnlyOnFreeLiveBricks) {
    AddSourceNain();
    std::vector<BrickPtr> row;
    for (int i = 0; i < 8; ++i) row.push_back(AddBrick(100.0f + 50.0f * i, 200));
    row[1]->isLive = 0;
    row[4]->isLive = 0;
    NainPtr sitter = MakeNain(0, 0);
    row[6]->currentNain = sitter;
    level.CreateBrickBoxGrid();

    for (int tries = 0; tries < 300; ++tries) {
        const int result = level.AddNainToBrick(0);
        EXPECT_TRUE(result == 0 || result == -1);
    }

    // Every free live brick got exactly one nain; the dead and the taken ones none.
    ASSERT_EQ(level.nainsArray.size(), 5u);
    for (const NainPtr& nain : level.nainsArray) {
        ASSERT_NE(nain->parentBrick, nullptr);
        EXPECT_EQ(nain->parentBrick->currentNain, nain);
        EXPECT_EQ(nain->parentBrick->isLive, 1);
        const Sprite& body = *nain->nainSprite;
        const Sprite& under = *nain->parentBrick->brickSprite;
        EXPECT_EQ(body.y, under.y - 20.0f);
        EXPECT_GE(body.x, under.x);
        EXPECT_LE(body.x + 20.0f, under.x + 40.0f);
    }
    EXPECT_EQ(row[1]->currentNain, nullptr);
    EXPECT_EQ(row[4]->currentNain, nullptr);
    EXPECT_EQ(row[6]->currentNain, sitter);
    sitter->Unlink();
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(SpawnTest, ANainReleasesItsPowerupWhereItIsAndAsItMoves) {
    NainPtr nain = MakeNain(100, 100);
    nain->powerupCount = 1;
    nain->powerupToGenerate = "slow";
    nain->nainSprite->dx = 0.6f;
    nain->nainSprite->dy = -0.8f;
    nain->nainSprite->vel = 3.0f;

    EXPECT_EQ(level.GeneratePowerup(nain), 0);
    ASSERT_EQ(level.powerupsArray.size(), 1u);
    const Powerup& powerup = *level.powerupsArray[0];
    EXPECT_EQ(powerup.name, "slow");
    EXPECT_EQ(powerup.isLive, 1);
    ASSERT_NE(powerup.powerupSprite, nullptr);
    EXPECT_NE(powerup.powerupSprite, level.sourcePowerupsArray[1]->powerupSprite);
    EXPECT_FLOAT_EQ(powerup.powerupSprite->x, 110.0f - 8.0f);
    EXPECT_FLOAT_EQ(powerup.powerupSprite->y, 110.0f - 8.0f);
    EXPECT_NEAR(powerup.powerupSprite->dx, 0.6f, 0.15f);
    EXPECT_NEAR(powerup.powerupSprite->vel, 3.0f, 0.15f);
    EXPECT_EQ(powerup.powerupSprite->GetCurrentAnimationName(), "create");
    EXPECT_EQ(nain->powerupCount, 0);

    // Spent: nothing more, and -1 to say so.
    EXPECT_EQ(level.GeneratePowerup(nain), -1);
    EXPECT_EQ(level.powerupsArray.size(), 1u);
    nain->Unlink();
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(SpawnTest, ABrickReleasesAsManyPowerupsAsItHolds) {
    BrickPtr brick = AddBrick(200, 100);
    brick->powerupCount = 3;
    brick->powerupToGenerate = "life";
    for (int i = 0; i < 4; ++i) EXPECT_EQ(level.GenerateBrickPowerup(brick), 0);
    EXPECT_EQ(level.powerupsArray.size(), 3u);
    EXPECT_EQ(brick->powerupCount, 0);
    for (const PowerupPtr& powerup : level.powerupsArray) {
        EXPECT_EQ(powerup->name, "life");
        EXPECT_EQ(powerup->isLive, 1);
        EXPECT_EQ(powerup->powerupSprite->GetCurrentAnimationName(), "create");
    }
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(SpawnTest, ABrickPowerupLeavesFromTheCentreWithARandomDownwardMotion) {
    BrickPtr brick = AddBrick(200, 100);  // centre (220, 110)
    brick->powerupCount = 1;
    brick->powerupToGenerate = "life";

    // The same draws by hand: the copy first (whatever its sprite draws), then speed,
    // downward and sideways parts, then the powerup's own deviation.
    SeedRnd(5);
    auto probe = std::make_shared<Powerup>();
    probe->Clone(level.sourcePowerupsArray[0]);
    const double vel = Rnd(1.0, 2.0);
    const double dy = Rnd(0.5, 1.0);
    const double dx = Rnd(-static_cast<double>(0.1f), static_cast<double>(0.1f));
    probe->Initialize(220.0f, 110.0f, static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(vel));
    const float ex = probe->powerupSprite->x, ey = probe->powerupSprite->y;
    const float edx = probe->powerupSprite->dx, edy = probe->powerupSprite->dy, evel = probe->powerupSprite->vel;
    probe->Unlink();

    SeedRnd(5);
    EXPECT_EQ(level.GenerateBrickPowerup(brick), 0);
    ASSERT_EQ(level.powerupsArray.size(), 1u);
    const Sprite& sprite = *level.powerupsArray[0]->powerupSprite;
    EXPECT_EQ(sprite.x, ex);
    EXPECT_EQ(sprite.y, ey);
    EXPECT_EQ(sprite.dx, edx);
    EXPECT_EQ(sprite.dy, edy);
    EXPECT_EQ(sprite.vel, evel);
    EXPECT_GE(sprite.dy, 0.35f);
    EXPECT_LT(std::fabs(sprite.dx), 0.25f);
    EXPECT_GE(sprite.vel, 0.85f);
    EXPECT_LT(sprite.vel, 2.15f);
}

TEST_F(SpawnTest, AnUnknownPowerupNameIsReportedAndNothingFalls) {
    struct Case {
        const char* what;
        int severity;  // 1 logs the miss, 3 also raises it
        bool fromNain;
    } cases[] = {
        {"nain, logged", 1, true},
        {"nain, raised", 3, true},
        {"brick, logged", 1, false},
        {"brick, raised", 3, false},
    };
    for (const Case& c : cases) {
        UnlinkLevel(level);
        SetUp();
        g_errorseverity = {0, c.severity};
        NainPtr nain = MakeNain(100, 100);
        nain->powerupCount = 2;
        nain->powerupToGenerate = "nope";
        BrickPtr brick = AddBrick(200, 100);
        brick->powerupCount = 2;
        brick->powerupToGenerate = "nope";

        const int result = c.fromNain ? level.GeneratePowerup(nain) : level.GenerateBrickPowerup(brick);
        EXPECT_EQ(result, 0) << c.what;
        EXPECT_TRUE(level.powerupsArray.empty()) << c.what;
        EXPECT_EQ(c.fromNain ? nain->powerupCount : brick->powerupCount, 1) << c.what;
        EXPECT_EQ(LogLinesWith("Could not find powerup named \"nope\"."), 1 + (c.severity == 3 ? 1 : 0)) << c.what;
        nain->Unlink();
    }
}

TEST_F(SpawnTest, GenerateExplosionDoesNothing) {
    SpritePtr sprite = Body("boom", 5, 5, 10, 10);
    EXPECT_EQ(level.GenerateExplosion(sprite, 3.0f), 0);
    EXPECT_EQ(level.GenerateExplosion(nullptr, 0.0f), 0);
    EXPECT_EQ(sprite->x, 5.0f);
    EXPECT_TRUE(level.powerupsArray.empty());
    EXPECT_TRUE(DebugLogLines().empty());
    sprite->Unlink();
}

}  // namespace
