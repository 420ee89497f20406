// Nains: their element, seating and throwing, falling when their brick goes, the doubling
// paddle bounces with their coloured texts, the reactions to balls, bursting and release.
#include <climits>

#include "test_nain_support.h"

namespace naintest {
namespace {

const std::string kFullNain = GnomeXml(
    "<status>resting</status><aggression>1</aggression><frequency>40</frequency><maxBounces>3</maxBounces>"
    "<powerupCount>2</powerupCount><rootPointValue>25</rootPointValue><deflectsBall>1</deflectsBall>" +
    Table("powerupGenerated", {{"life", 1}}) + Table("projectileToThrow", {{"rock", 1}}));

class NainTest : public PieceTest {
protected:
    void SetUp() override {
        PieceTest::SetUp();
        sprites = {GnomeTemplate(), RockTemplate()};
        auto rock = std::make_shared<Projectile>();
        rock->LoadFromXML(RockXml("<points>10</points>"), sprites, 0);
        rocks = {rock};
        paddle = MakePaddle(300, 700);
        paddleTarget = paddle->paddleSprite;
        spritesBefore = g_debugSpritesInMemory;
    }
    void TearDown() override {
        for (const NainPtr& nain : made) nain->Unlink();
        for (const ProjectilePtr& p : live) p->Unlink();
        for (const BrickPtr& brick : bricks) brick->Unlink();
        made.clear();
        live.clear();
        bricks.clear();
        paddleTarget = nullptr;
        ballTarget = nullptr;
        EXPECT_EQ(g_debugSpritesInMemory, spritesBefore);
        for (const ProjectilePtr& p : rocks) p->Unlink();
        paddle->Unlink();
        for (const SpritePtr& sprite : sprites) sprite->Unlink();
        PieceTest::TearDown();
    }

    NainPtr Template(const std::string& xml = kFullNain) {
        auto nain = std::make_shared<Nain>();
        nain->LoadFromXML(xml, sprites, 0);
        made.push_back(nain);
        return nain;
    }
    // A live nain cloned from the template and seated on a new live brick at (200, 300).
    NainPtr Seated(const std::string& xml = kFullNain) {
        NainPtr source = Template(xml);
        std::vector<NainPtr> nains = AppendNewNain({});
        NainPtr nain = nains.back();
        nain->Clone(source);
        made.push_back(nain);
        auto brick = std::make_shared<Brick>();
        brick->isLive = 1;
        brick->brickSprite = LoadSprite("brick", "<widthBound>60</widthBound><heightBound>20</heightBound>", "");
        Place(brick->brickSprite, 200, 300);
        bricks.push_back(brick);
        nain->parentBrick = brick;
        brick->currentNain = nain;
        Place(nain->nainSprite, 210, 280);
        return nain;
    }
    // A falling nain just touching the paddle.
    NainPtr Falling(const std::string& xml = kFullNain) {
        NainPtr nain = Seated(xml);
        nain->MakeNainFall(5.0f);
        Place(nain->nainSprite, 340, 685);
        return nain;
    }
    int Update(const NainPtr& nain) { return nain->Update(rocks, live, ballTarget, paddleTarget); }

    std::vector<SpritePtr> sprites;
    std::vector<ProjectilePtr> rocks;
    std::vector<ProjectilePtr> live;
    std::vector<NainPtr> made;
    std::vector<BrickPtr> bricks;
    PaddlePtr paddle;
    SpritePtr ballTarget;
    SpritePtr paddleTarget;
};

TEST_F(NainTest, ReadsItsElement) {
    NainPtr nain = Template();
    EXPECT_EQ(nain->name, "gnome");
    EXPECT_EQ(nain->spriteName, "gnome");
    EXPECT_EQ(nain->status, "resting");
    EXPECT_EQ(nain->aggression, 1);
    EXPECT_EQ(nain->frequency, 40);
    EXPECT_EQ(nain->maxBounces, 3);
    EXPECT_EQ(nain->powerupCount, 2);
    EXPECT_EQ(nain->rootPointValue, 25);
    EXPECT_EQ(nain->currentPointValue, 25);
    EXPECT_EQ(nain->projectileHardpointName, "hand");
    EXPECT_EQ(nain->deflectsBall, 1);
    ASSERT_TRUE(nain->powerupGenerated && nain->projectileToThrow);
    EXPECT_EQ(nain->powerupGenerated->action, (std::vector<std::string>{"life"}));
    EXPECT_EQ(nain->projectileToThrow->action, (std::vector<std::string>{"rock"}));
    ASSERT_TRUE(nain->nainSprite);
    EXPECT_NE(nain->nainSprite, sprites[0]);
    EXPECT_EQ(nain->nainSprite->name, "gnome");
    ASSERT_EQ(nain->nainSprite->childSprites.size(), 1u);
    EXPECT_EQ(nain->nainSprite->childSprites[0]->name, "hand");
    EXPECT_TRUE(DebugLogLines().empty());

    // Without the optional tags: the first bounce is worth 25 on file but 0 in play.
    NainPtr bare = Template("<nain><name>bare</name><spriteName>gnome</spriteName></nain>");
    EXPECT_EQ(bare->rootPointValue, 25);
    EXPECT_EQ(bare->currentPointValue, 0);
    EXPECT_EQ(bare->maxBounces, -1);
    EXPECT_EQ(bare->powerupCount, 1);
    EXPECT_EQ(bare->aggression, 0);
    EXPECT_EQ(bare->isLive, 1);
    ASSERT_TRUE(bare->powerupGenerated && bare->projectileToThrow);
    EXPECT_TRUE(bare->powerupGenerated->action.empty());
}

TEST_F(NainTest, WritesItsElementAndReadsItBack) {
    NainPtr nain = Template();
    const std::string xml = nain->WriteToXML();
    const std::string expected =
        "<nain>\n\t<name>gnome</name>\n\t<spriteName>gnome</spriteName>\n\t<projectileHardpointName>hand"
        "</projectileHardpointName>\n\t<aggression>1</aggression>\n\t<frequency>40</frequency>\n\t<rootPointValue>25"
        "</rootPointValue>\n\t<maxBounces>3</maxBounces>\n\t<deflectsBall>1</deflectsBall>\n\t<powerupGenerated>";
    EXPECT_EQ(xml.substr(0, expected.size()), expected);
    EXPECT_LT(xml.find("<powerupGenerated>"), xml.find("<projectileToThrow>"));

    NainPtr again = Template(xml);
    EXPECT_EQ(again->status, "");       // not written
    EXPECT_EQ(again->powerupCount, 1);  // not written
    EXPECT_EQ(again->aggression, 1);
    EXPECT_EQ(again->maxBounces, 3);
    EXPECT_EQ(again->deflectsBall, 1);
    EXPECT_EQ(again->powerupGenerated->action, nain->powerupGenerated->action);
    EXPECT_EQ(again->projectileToThrow->action, nain->projectileToThrow->action);
    EXPECT_EQ(again->WriteToXML(), xml);
}

TEST_F(NainTest, BouncesScoreDoublingPointsInTheColoursOfTheBouncesLeft) {
    struct Contact {
        int points;  // 0: no bounce and no score
        float r, g, b, scale, ttl, cycleRate;
        const char* sound;
    };
    const Contact blue{0, 0, 0, 255, 0.5f, 10, 0.5f, "sound_bounce"};
    const Contact green{0, 0, 255, 0, 0.75f, 10, 1.0f, "sound_bounce"};
    const Contact red{0, 255, 0, 0, 1.0f, 15, 2.0f, "sound_babble"};
    auto worth = [](Contact c, int points) {
        c.points = points;
        return c;
    };
    struct Case {
        int maxBounces;
        std::vector<Contact> contacts;
    };
    const Case cases[] = {
        {3, {worth(green, 25), worth(green, 50), worth(red, 100), Contact{}}},
        {5, {worth(blue, 25), worth(blue, 50), worth(green, 100), worth(green, 200), worth(red, 400), Contact{}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxBounces);
        NainPtr nain = Falling(GnomeXml("<rootPointValue>25</rootPointValue><maxBounces>" +
                                        std::to_string(c.maxBounces) + "</maxBounces>"));
        auto stats = std::make_shared<GameStat>();
        int64_t expectedScore = 0;
        for (size_t i = 0; i < c.contacts.size(); ++i) {
            SCOPED_TRACE(i);
            const Contact& contact = c.contacts[i];
            for (ImageTextPtr& slot : g_ImageTextArray) slot = std::make_shared<ImageText>();
            Place(nain->nainSprite, 340, 685);
            nain->nainSprite->JumpToAnimation("idle");
            ASSERT_EQ(nain->PaddleCollision(paddle), 1);
            EXPECT_EQ(nain->Bounce(paddle, stats), 0);
            expectedScore += contact.points;
            EXPECT_EQ(stats->score, expectedScore);
            if (contact.points == 0) {
                EXPECT_EQ(nain->nainSprite->yRebound, 0);
                EXPECT_EQ(nain->nainSprite->y, 685.0f);  // not lifted
                continue;
            }
            EXPECT_EQ(nain->nainSprite->yRebound, 100);
            ImageTextPtr text = NewestText(std::to_string(contact.points));
            ASSERT_TRUE(text);
            EXPECT_EQ(text->r, contact.r);
            EXPECT_EQ(text->g, contact.g);
            EXPECT_EQ(text->b, contact.b);
            EXPECT_EQ(text->scale, contact.scale);
            EXPECT_EQ(text->ttl, contact.ttl);
            EXPECT_EQ(text->cycleRate, contact.cycleRate);
            EXPECT_EQ(nain->nainSprite->GetCurrentAnimationName(), contact.sound);
            // Lifted to rest just on the paddle, and sent up at least at half speed.
            EXPECT_NEAR(nain->nainSprite->GetBottomEdge(0.0f), 700.1f, 1e-3);
            EXPECT_GE(nain->nainSprite->vel, 0.5f);
            EXPECT_EQ(nain->bounceToBurst, 9999999.0f);
        }
    }
}

TEST_F(NainTest, BounceTextsShowWhatTheRecordAdds) {
    NainPtr nain = Falling();
    auto stats = std::make_shared<GameStat>();
    stats->scoreMultiplier = 3;
    stats->difficultyPointModifier = 1.5f;
    nain->Bounce(paddle, stats);
    EXPECT_EQ(stats->score, 113);  // ceil(25 x 3 x 1.5)
    EXPECT_TRUE(NewestText("113"));
}

TEST_F(NainTest, LongBounceRunsNeverTurnNegative) {
    NainPtr nain = Falling(GnomeXml("<rootPointValue>25</rootPointValue><maxBounces>40</maxBounces>"));
    auto stats = std::make_shared<GameStat>();
    int64_t previous = 0;
    for (int i = 0; i < 40; ++i) {
        Place(nain->nainSprite, 340, 685);
        nain->Bounce(paddle, stats);
        EXPECT_GT(nain->currentPointValue, 0);
        EXPECT_GT(stats->score, previous);
        previous = stats->score;
    }
    EXPECT_EQ(nain->currentPointValue, INT_MAX);
    EXPECT_TRUE(NewestText("2,147,483,647"));
}

TEST_F(NainTest, ASeatedNainTakesAProjectileInHandAndThrowsItAtThePaddle) {
    NainPtr nain = Seated();
    // A dead projectile's slot is reused.
    auto spent = std::make_shared<Projectile>();
    live = {spent};
    Update(nain);
    ProjectilePtr held = nain->currentProjectile;
    ASSERT_TRUE(held);
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0], held);
    EXPECT_EQ(held->isLive, 1);
    EXPECT_EQ(held->status, "");
    EXPECT_EQ(held->pointValue, 10);
    EXPECT_EQ(held->parentNain.lock(), nain);
    SpritePtr hand = nain->nainSprite->childSprites[0];
    EXPECT_EQ(nain->projectileHardpoint, hand);
    EXPECT_EQ(held->projectileSprite->parentSprite.lock(), hand);
    EXPECT_EQ(hand->childSprites.back(), held->projectileSprite);
    EXPECT_EQ(nain->nainSprite->GetCurrentAnimationName(), "Start projectile");
    EXPECT_EQ(nain->StartProjectile(rocks, "rock", live), -1);

    // The hand moves the projectile until the launch; no new throw starts while distracted.
    nain->distracted = 50.0f;
    const float heldX = held->projectileSprite->GetCenterX();
    for (int i = 0; i < 5 && nain->currentProjectile; ++i) Update(nain);
    ASSERT_FALSE(nain->currentProjectile);
    EXPECT_EQ(held->status, "falling");
    EXPECT_TRUE(held->projectileSprite->parentSprite.expired());
    EXPECT_TRUE(hand->childSprites.empty());
    EXPECT_EQ(held->parentNain.lock(), nain);  // kept for the bullseye
    EXPECT_EQ(nain->nainSprite->GetCurrentAnimationName(), "Projectile follow-through");
    const float aim = (paddle->paddleSprite->GetCenterX() - heldX) / 300.0f;
    EXPECT_GT(held->projectileSprite->dx, aim - 0.1f);
    EXPECT_LT(held->projectileSprite->dx, aim + 0.1f);
    EXPECT_EQ(held->projectileSprite->vel, 1.0f);

    // Once the distraction is over the next one starts; the live array grows for it.
    nain->distracted = -1.0f;
    Update(nain);
    ASSERT_TRUE(nain->currentProjectile);
    ASSERT_EQ(live.size(), 2u);
    EXPECT_EQ(live[1], nain->currentProjectile);
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(NainTest, StartingAProjectileNeedsTemplatesANameAndAnEmptyHand) {
    struct Case {
        bool templates;
        const char* name;
        bool holding;
        int result;
    };
    const Case cases[] = {
        {false, "rock", false, -2}, {true, "", false, -2}, {true, "rock", true, -1}, {true, "rock", false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        NainPtr nain = Seated();
        std::vector<ProjectilePtr> none;
        if (c.holding) nain->StartProjectile(rocks, "rock", live);
        const size_t before = live.size();
        EXPECT_EQ(nain->StartProjectile(c.templates ? rocks : none, c.name, live), c.result);
        EXPECT_EQ(live.size(), before + (c.result == 0 ? 1 : 0));
    }

    // Without a sprite of the hardpoint's name, the body holds the projectile.
    NainPtr handless = Seated(GnomeXml("<projectileHardpointName>claw</projectileHardpointName>"));
    ASSERT_EQ(handless->StartProjectile(rocks, "rock", live), 0);
    EXPECT_EQ(handless->projectileHardpoint, handless->nainSprite);
    EXPECT_EQ(handless->currentProjectile->projectileSprite->parentSprite.lock(), handless->nainSprite);
}

TEST_F(NainTest, DistractionHoldsBackTheThrowUntilItRunsOut) {
    NainPtr nain = Seated();
    nain->distracted = 2.5f;
    Update(nain);
    EXPECT_EQ(nain->distracted, 1.5f);
    EXPECT_FALSE(nain->currentProjectile);
    Update(nain);
    EXPECT_EQ(nain->distracted, 0.5f);
    EXPECT_FALSE(nain->currentProjectile);
    Update(nain);
    EXPECT_EQ(nain->distracted, -1.0f);
    EXPECT_TRUE(nain->currentProjectile);
}

TEST_F(NainTest, FallsWhenItsBrickDiesAndDropsWhatItHolds) {
    NainPtr nain = Seated();
    BrickPtr brick = nain->parentBrick;
    Update(nain);
    ProjectilePtr held = nain->currentProjectile;
    ASSERT_TRUE(held);

    brick->isLive = 0;
    nain->distracted = 50.0f;
    Update(nain);
    EXPECT_EQ(nain->status, "falling");
    EXPECT_FALSE(nain->parentBrick);
    EXPECT_FALSE(brick->currentNain);
    EXPECT_EQ(nain->nainSprite->GetCurrentAnimationName(), "falling");
    const Sprite& s = *nain->nainSprite;
    EXPECT_EQ(s.ddy, 1.0f);
    EXPECT_EQ(s.ddx, 0.0f);
    EXPECT_FLOAT_EQ(s.accel, 0.2f);
    EXPECT_GE(s.drot, -7.0f);
    EXPECT_LT(s.drot, 7.0f);

    EXPECT_FALSE(nain->currentProjectile);
    EXPECT_EQ(held->status, "falling");
    EXPECT_FALSE(held->parentNain.lock());
    EXPECT_TRUE(held->projectileSprite->parentSprite.expired());

    // It falls under gravity until it drops below the field, then is parked.
    for (int i = 0; i < 400 && nain->isLive == 1; ++i) Update(nain);
    EXPECT_EQ(nain->isLive, 0);
    Update(nain);
    EXPECT_EQ(nain->nainSprite->x, -5000.0f);
    EXPECT_EQ(nain->nainSprite->y, -5000.0f);
}

TEST_F(NainTest, ABrickStruckToDeathKnocksItsNainOff) {
    NainPtr nain = Seated();
    BrickPtr brick = nain->parentBrick;
    Update(nain);
    ProjectilePtr held = nain->currentProjectile;
    ASSERT_TRUE(held);
    auto stats = std::make_shared<GameStat>();

    brick->strength = 1;
    brick->Damage({.physical = 1}, stats, bricks);
    EXPECT_EQ(brick->isLive, 0);
    EXPECT_EQ(nain->status, "falling");
    EXPECT_FALSE(nain->parentBrick);
    EXPECT_FALSE(brick->currentNain);
    EXPECT_EQ(nain->nainSprite->GetCurrentAnimationName(), "falling");
    EXPECT_EQ(held->status, "falling");
    EXPECT_FALSE(nain->currentProjectile);
}

TEST_F(NainTest, AnUnlinkedNainLeavesItsBrickNothingToShake) {
    NainPtr nain = Seated();
    BrickPtr brick = nain->parentBrick;
    auto stats = std::make_shared<GameStat>();
    brick->Update(stats, bricks);
    nain->Unlink();
    EXPECT_FALSE(brick->currentNain);
    EXPECT_FALSE(nain->parentBrick);
    brick->Update(stats, bricks);
    EXPECT_TRUE(DebugLogLines().empty());
    nain->Unlink();  // harmless twice
}

TEST_F(NainTest, TheReactionsToBallsAndBumps) {
    // Freezing twice changes the sprite once.
    NainPtr frozen = Seated();
    frozen->nainSprite->maxShake = 8.0f;
    frozen->nainSprite->dShake = 1.0f;
    frozen->FreezeNain();
    frozen->FreezeNain();
    EXPECT_EQ(frozen->nainSprite->isFrozen, 1.0f);
    EXPECT_EQ(frozen->nainSprite->maxShake, 4.0f);
    EXPECT_EQ(frozen->nainSprite->dShake, 2.0f);
    EXPECT_EQ(frozen->nainSprite->shake, 4.0f);
    EXPECT_FLOAT_EQ(frozen->nainSprite->elasticity, 0.9f);
    EXPECT_EQ(frozen->nainSprite->maxdRot, 0.25f);
    EXPECT_EQ(frozen->status, "resting");  // freezing alone does not unseat it
    EXPECT_TRUE(frozen->parentBrick);

    // Burning thaws it and sends it straight up.
    frozen->BurnNain();
    EXPECT_EQ(frozen->nainSprite->isFrozen, 0.0f);
    EXPECT_EQ(frozen->timesBurned, 1);
    EXPECT_EQ(frozen->nainSprite->dy, -1.0f);
    EXPECT_GE(frozen->nainSprite->vel, 2.0f);
    EXPECT_LT(frozen->nainSprite->vel, 5.0f);
    EXPECT_EQ(frozen->nainSprite->GetCurrentAnimationName(), "_burn");

    // A bump unseats a seated nain once; a falling nain only gets a new kick from a fall.
    NainPtr bumped = Seated();
    BrickPtr brick = bumped->parentBrick;
    bumped->BumpFromBrick(5.0f);
    EXPECT_EQ(bumped->status, "falling");
    EXPECT_FALSE(brick->currentNain);
    bumped->nainSprite->JumpToAnimation("idle");
    const float dx = bumped->nainSprite->dx;
    bumped->BumpFromBrick(5.0f);
    EXPECT_EQ(bumped->nainSprite->dx, dx);
    bumped->MakeNainFall(5.0f);
    EXPECT_NE(bumped->nainSprite->dx, dx);
    EXPECT_EQ(bumped->nainSprite->GetCurrentAnimationName(), "idle");

    // A plain hit knocks it off and adds the given change.
    NainPtr hit = Seated();
    hit->HitBySomething(1.0f, 0.0f, 0.0f, 1);
    EXPECT_EQ(hit->status, "falling");
    EXPECT_GE(hit->nainSprite->dx, 0.85f);
    EXPECT_LT(hit->nainSprite->dx, 1.15f);

    // A zap releases a powerup and slates the nain once.
    NainPtr zapped = Seated();
    zapped->ZapNain();
    EXPECT_EQ(zapped->slatedForDeath, 1);
    EXPECT_EQ(zapped->powerupToGenerate, "life");
    EXPECT_EQ(zapped->status, "falling");
    EXPECT_EQ(zapped->nainSprite->GetCurrentAnimationName(), "zapped");
    zapped->powerupToGenerate = "";
    zapped->ZapNain();
    EXPECT_EQ(zapped->powerupToGenerate, "");

    // The bullseye cheers only a seated nain.
    NainPtr seated = Seated();
    seated->Bullseye();
    EXPECT_EQ(seated->nainSprite->GetCurrentAnimationName(), "_bullseye");
    bumped->Bullseye();
    EXPECT_EQ(bumped->nainSprite->GetCurrentAnimationName(), "idle");
}

TEST_F(NainTest, TheBigBurnBoostComesOnlyAfterTwentyBurns) {
    NainPtr nain = Seated();
    bool boosted = false;
    for (int i = 1; i <= 60; ++i) {
        nain->BurnNain();
        const bool big = nain->nainSprite->vel >= 25.0f;
        if (i <= 20) {
            EXPECT_FALSE(big) << i;
        }
        boosted = boosted || big;
    }
    EXPECT_TRUE(boosted);
}

TEST_F(NainTest, UpdateBurstsAfterTheLastBounceAndWatchesTheWalls) {
    struct Case {
        const char* what;
        int maxBounces;
        int currentBounces;
        float dy;  // the direction it moves
        int powerupCount;
        int bursts;
    };
    const Case cases[] = {
        {"no maxBounces: at once", -1, 0, 1.0f, 1, 1},
        {"last bounce done, going down", 2, 2, 1.0f, 1, 1},
        {"last bounce done, going up", 2, 2, -1.0f, 1, 0},
        {"bounces left", 2, 1, 1.0f, 1, 0},
        {"no powerups left", 2, 2, 1.0f, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NainPtr nain = Falling(GnomeXml("<maxBounces>" + std::to_string(c.maxBounces) + "</maxBounces>" +
                                        Table("powerupGenerated", {{"life", 1}})));
        Place(nain->nainSprite, 300, 400);
        nain->currentBounces = c.currentBounces;
        nain->powerupCount = c.powerupCount;
        nain->nainSprite->accel = 0.0f;
        nain->nainSprite->dx = 0.0f;
        nain->nainSprite->dy = c.dy;
        nain->nainSprite->vel = 1.0f;
        nain->nainSprite->JumpToAnimation("idle");
        Update(nain);
        EXPECT_EQ(nain->slatedForDeath, c.bursts);
        EXPECT_EQ(nain->powerupToGenerate, c.bursts ? "life" : "");
        EXPECT_EQ(nain->nainSprite->GetCurrentAnimationName(), c.bursts ? "burst" : "idle");
        if (!c.bursts && c.currentBounces == c.maxBounces) {
            EXPECT_EQ(nain->bounceToBurst, nain->nainSprite->y);
        }
    }

    NainPtr left = Falling();
    Place(left->nainSprite, 1, 400);
    Update(left);
    EXPECT_EQ(left->nainSprite->xRebound, -100);
    NainPtr right = Falling();
    Place(right->nainSprite, 710, 400);
    Update(right);
    EXPECT_EQ(right->nainSprite->xRebound, 100);
}

TEST_F(NainTest, AClonePlaysItsOwnCopyAndFallsUntilSeated) {
    NainPtr source = Template();
    source->projectileHardpoint = source->nainSprite->childSprites[0];
    source->distracted = 3.0f;
    auto nain = std::make_shared<Nain>();
    made.push_back(nain);
    nain->Clone(source);
    EXPECT_EQ(nain->name, "gnome");
    EXPECT_EQ(nain->aggression, 1);
    EXPECT_EQ(nain->currentPointValue, 25);
    EXPECT_EQ(nain->powerupCount, 2);
    EXPECT_EQ(nain->distracted, 3.0f);
    EXPECT_EQ(nain->isLive, 1);
    EXPECT_EQ(nain->powerupGenerated, source->powerupGenerated);  // shared tables
    EXPECT_EQ(nain->projectileToThrow, source->projectileToThrow);
    ASSERT_TRUE(nain->nainSprite);
    EXPECT_NE(nain->nainSprite, source->nainSprite);
    ASSERT_EQ(nain->nainSprite->childSprites.size(), 1u);
    EXPECT_NE(nain->nainSprite->childSprites[0], source->nainSprite->childSprites[0]);
    // Its hand is its own, found on its first throw.
    EXPECT_FALSE(nain->projectileHardpoint);
    ASSERT_TRUE(nain->parentBrick);
    EXPECT_EQ(nain->parentBrick->isLive, 0);

    nain->distracted = 50.0f;
    Update(nain);
    EXPECT_EQ(nain->status, "falling");
    EXPECT_FALSE(nain->parentBrick);
}

TEST_F(NainTest, TargetsAreResolvedWhereTheFlagIsRaised) {
    NainPtr nain = Seated();
    SpritePtr body = nain->nainSprite;
    SpritePtr hand = body->childSprites[0];
    ballTarget = LoadSprite("ball", "", "");
    body->targetSpriteName = "paddle";
    hand->targetSpriteName = "ball";
    body->assignTargetSprite = 1;
    hand->assignTargetSprite = 1;
    nain->AssignTargets(body, ballTarget, paddleTarget);
    EXPECT_EQ(body->targetSprite.lock(), paddleTarget);
    EXPECT_EQ(hand->targetSprite.lock(), ballTarget);
    EXPECT_EQ(body->assignTargetSprite, 0);
    EXPECT_EQ(hand->assignTargetSprite, 0);

    // A lowered flag keeps the walk away from the children.
    hand->targetSprite.reset();
    hand->assignTargetSprite = 1;
    nain->AssignTargets(body, ballTarget, paddleTarget);
    EXPECT_FALSE(hand->targetSprite.lock());
    EXPECT_EQ(hand->assignTargetSprite, 1);
}

TEST_F(NainTest, UnlinkedNainsProjectilesAndSpritesAreAllReleased) {
    std::weak_ptr<Nain> watchNain;
    std::weak_ptr<Projectile> watchThrown, watchHeld;
    std::weak_ptr<Brick> watchBrick;
    {
        NainPtr thrower = Seated();
        Update(thrower);
        thrower->distracted = 50.0f;
        for (int i = 0; i < 5 && thrower->currentProjectile; ++i) Update(thrower);
        ASSERT_EQ(live.size(), 1u);
        watchThrown = live[0];
        NainPtr holder = Seated();
        Update(holder);
        ASSERT_TRUE(holder->currentProjectile);
        watchHeld = holder->currentProjectile;
        watchNain = holder;
        watchBrick = holder->parentBrick;
    }
    for (const NainPtr& nain : made) nain->Unlink();
    for (const ProjectilePtr& p : live) p->Unlink();
    for (const BrickPtr& brick : bricks) brick->Unlink();
    made.clear();
    live.clear();
    bricks.clear();
    EXPECT_TRUE(watchNain.expired());
    EXPECT_TRUE(watchThrown.expired());
    EXPECT_TRUE(watchHeld.expired());
    EXPECT_TRUE(watchBrick.expired());
    EXPECT_EQ(g_debugSpritesInMemory, spritesBefore);
}

TEST_F(NainTest, OnlyALiveNainCollides) {
    NainPtr nain = Seated();
    Place(nain->nainSprite, 210, 285);
    EXPECT_EQ(nain->BrickCollision(nain->parentBrick), 1);  // sunk into it
    EXPECT_EQ(nain->PaddleCollision(paddle), 0);            // seated nains never hit the paddle
    nain->isLive = 0;
    EXPECT_EQ(nain->BrickCollision(nain->parentBrick), 0);
    EXPECT_TRUE(DebugLogLines().empty());
}

}  // namespace
}  // namespace naintest
