// Projectiles: their element, the aimed and dropped throws, the fall, the paddle hit that
// costs points, the lookup by name and the release of their sprites.
#include <cmath>

#include "test_nain_support.h"

namespace naintest {
namespace {

class ProjectileTest : public PieceTest {
protected:
    void SetUp() override {
        PieceTest::SetUp();
        sprites = {RockTemplate()};
        spritesBefore = g_debugSpritesInMemory;
    }
    void TearDown() override {
        for (const SpritePtr& sprite : sprites) sprite->Unlink();
        sprites.clear();
        PieceTest::TearDown();
    }
    ProjectilePtr Load(const std::string& xml) {
        auto projectile = std::make_shared<Projectile>();
        projectile->LoadFromXML(xml, sprites, 0);
        return projectile;
    }
    // A live projectile cloned from a template, free in the air at (x, y).
    ProjectilePtr Flying(const std::string& extra, float x, float y) {
        ProjectilePtr source = Load(RockXml(extra));
        auto projectile = std::make_shared<Projectile>();
        projectile->Clone(source);
        source->Unlink();
        projectile->isLive = 1;
        Place(projectile->projectileSprite, x, y);
        return projectile;
    }
    std::vector<SpritePtr> sprites;
};

TEST_F(ProjectileTest, ElementTagsAndTheDefaultsTheyKeep) {
    ProjectilePtr plain = Load(RockXml());
    EXPECT_EQ(plain->name, "rock");
    EXPECT_EQ(plain->spriteName, "rock");
    EXPECT_EQ(plain->throwMaxVert, 0.0f);
    EXPECT_EQ(plain->throwMinVert, 1.0f);
    EXPECT_EQ(plain->throwMaxVel, 1.0f);
    EXPECT_EQ(plain->throwMinVel, 1.0f);
    EXPECT_EQ(plain->throwXCoefficient, 300);
    EXPECT_FLOAT_EQ(plain->throwXError, 0.1f);
    EXPECT_EQ(plain->throwRot, 2.0f);
    EXPECT_EQ(plain->stun, 1.0f);
    EXPECT_EQ(plain->pointValue, 0);
    EXPECT_EQ(plain->isLive, 0);
    EXPECT_EQ(plain->status, "");
    ASSERT_TRUE(plain->projectileSprite);
    EXPECT_EQ(plain->projectileSprite->name, "rock");
    EXPECT_NE(plain->projectileSprite, sprites[0]);  // a copy, not the template
    plain->Unlink();

    ProjectilePtr full = Load(
        RockXml("<throwMaxVert>2.5</throwMaxVert><throwMinVert>0.5</throwMinVert><throwMaxVel>4</throwMaxVel>"
                "<throwMinVel>3</throwMinVel><throwXCoefficient>150</throwXCoefficient><throwXError>0.25</throwXError>"
                "<stun>6</stun><throwRot>9</throwRot><points>40</points>"));
    EXPECT_EQ(full->throwMaxVert, 2.5f);
    EXPECT_EQ(full->throwMinVert, 0.5f);
    EXPECT_EQ(full->throwMaxVel, 4.0f);
    EXPECT_EQ(full->throwMinVel, 3.0f);
    EXPECT_EQ(full->throwXCoefficient, 150);
    EXPECT_EQ(full->throwXError, 0.25f);
    EXPECT_EQ(full->stun, 6.0f);
    EXPECT_EQ(full->throwRot, 9.0f);
    EXPECT_EQ(full->pointValue, 40);
    full->Unlink();

    // Float tags cannot be set to 0 from a file; int tags can.
    ProjectilePtr zeros =
        Load(RockXml("<stun>0</stun><throwMinVel>0</throwMinVel><throwXCoefficient>0</throwXCoefficient>"
                     "<points>0</points>"));
    EXPECT_EQ(zeros->stun, 1.0f);
    EXPECT_EQ(zeros->throwMinVel, 1.0f);
    EXPECT_EQ(zeros->throwXCoefficient, 0);
    zeros->Unlink();
}

TEST_F(ProjectileTest, AMissingSpriteNameLeavesABlankSpriteAndALogLine) {
    ProjectilePtr projectile = Load("<projectile><name>ghost</name><spriteName>nothing</spriteName></projectile>");
    ASSERT_TRUE(projectile->projectileSprite);
    EXPECT_EQ(projectile->projectileSprite->name, "");
    EXPECT_FALSE(DebugLogLines().empty());
    projectile->Unlink();
}

TEST_F(ProjectileTest, AnAimedThrowHeadsForTheTargetOnce) {
    ProjectilePtr projectile = Flying("", 100, 300);
    auto target = LoadSprite("paddle", "<widthBound>100</widthBound><heightBound>10</heightBound>", "");
    Place(target, 350, 700);                                                           // centre x 400
    const float aim = (400.0f - projectile->projectileSprite->GetCenterX()) / 300.0f;  // 296 / 300

    for (int seed : {1, 2, 3, 4, 5}) {
        SeedRnd(seed);
        projectile->status = "";
        projectile->ThrowProjectile(target, 0.0f, 0.0f, 1.0f);
        const Sprite& s = *projectile->projectileSprite;
        EXPECT_EQ(projectile->status, "falling");
        EXPECT_GE(s.dx, aim - 0.1f);
        EXPECT_LT(s.dx, aim + 0.1f);
        EXPECT_GE(s.dy, 0.0f);
        EXPECT_LT(s.dy, 1.0f);
        EXPECT_EQ(s.vel, 1.0f);
        EXPECT_GE(s.drot, -2.0f);
        EXPECT_LT(s.drot, 2.0f);
        EXPECT_EQ(s.ddx, 0.0f);
        EXPECT_EQ(s.ddy, 1.0f);
        EXPECT_FLOAT_EQ(s.accel, 0.2f);
        EXPECT_EQ(projectile->projectileSprite->GetCurrentAnimationName(), "falling");
    }

    // A second throw of a projectile already in flight changes nothing.
    const float dx = projectile->projectileSprite->dx;
    const float dy = projectile->projectileSprite->dy;
    projectile->ThrowProjectile(target, 5.0f, -5.0f, 9.0f);
    EXPECT_EQ(projectile->projectileSprite->dx, dx);
    EXPECT_EQ(projectile->projectileSprite->dy, dy);

    target->Unlink();
    projectile->Unlink();
}

TEST_F(ProjectileTest, ACoefficientOfZeroThrowsWithoutTheAimTerm) {
    ProjectilePtr projectile = Flying("<throwXCoefficient>0</throwXCoefficient>", 100, 300);
    auto target = LoadSprite("paddle", "<widthBound>100</widthBound>", "");
    Place(target, 600, 700);
    projectile->ThrowProjectile(target, 0.0f, 0.0f, 1.0f);
    const float dx = projectile->projectileSprite->dx;
    EXPECT_TRUE(std::isfinite(dx));
    EXPECT_GE(dx, -0.1f);
    EXPECT_LT(dx, 0.1f);
    EXPECT_TRUE(DebugLogLines().empty());
    target->Unlink();
    projectile->Unlink();
}

TEST_F(ProjectileTest, AThrowWithoutTargetSpreadsByItsArguments) {
    ProjectilePtr projectile = Flying("", 100, 300);
    projectile->ThrowProjectile(nullptr, 0.5f, -2.0f, 3.0f);
    const Sprite& s = *projectile->projectileSprite;
    EXPECT_GE(s.dx, -0.5f);
    EXPECT_LT(s.dx, 0.5f);
    EXPECT_GE(s.dy, -2.0f);
    EXPECT_LT(s.dy, 0.0f);
    EXPECT_GE(s.vel, 0.0f);
    EXPECT_LT(s.vel, 3.0f);
    EXPECT_FLOAT_EQ(s.accel, 0.2f);
    projectile->Unlink();
}

TEST_F(ProjectileTest, AHeldProjectileIsDetachedFromTheHandWhenThrownOrDropped) {
    for (int drop : {0, 1}) {
        auto hand = LoadSprite("hand", "<widthBound>4</widthBound>", "");
        ProjectilePtr projectile = Flying("", 3, 2);
        Attach(hand, projectile->projectileSprite);
        if (drop) {
            projectile->MakeProjectileFall(5.0f);
        } else {
            projectile->ThrowProjectile(nullptr, 0.0f, 0.0f, 1.0f);
        }
        EXPECT_EQ(projectile->status, "falling");
        EXPECT_TRUE(hand->childSprites.empty());
        EXPECT_TRUE(projectile->projectileSprite->parentSprite.expired());
        EXPECT_EQ(projectile->projectileSprite->GetCurrentAnimationName(), "falling");
        hand->Unlink();
        projectile->Unlink();
    }
}

TEST_F(ProjectileTest, APaddleHitCostsItsPointsAndShowsThem) {
    struct Case {
        int points;
        int multiplier;
        float modifier;
        int64_t scoreBefore;
        int64_t scoreAfter;
        const char* text;
    };
    const Case cases[] = {
        {10, 3, 1.5f, 1000, 955, "-45"},
        {10, 1, 1.0f, 1000, 990, "-10"},
        {10, 3, 1.5f, 20, 0, "-45"},  // never below 0
        {1500, 1, 1.0f, 5000, 3500, "-1,500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        for (ImageTextPtr& slot : g_ImageTextArray) slot = std::make_shared<ImageText>();
        ProjectilePtr projectile = Flying("<points>" + std::to_string(c.points) + "</points>", 340, 695);
        projectile->status = "falling";
        PaddlePtr paddle = MakePaddle(300, 700);
        auto stats = std::make_shared<GameStat>();
        stats->score = c.scoreBefore;
        stats->scoreMultiplier = c.multiplier;
        stats->difficultyPointModifier = c.modifier;

        EXPECT_EQ(projectile->PaddleCollision(paddle, stats), 1);
        EXPECT_EQ(stats->score, c.scoreAfter);
        ImageTextPtr shown = NewestText(c.text);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->r, 255.0f);
        EXPECT_EQ(shown->g, 0.0f);
        EXPECT_EQ(shown->b, 0.0f);
        EXPECT_EQ(shown->x, 344.0f);
        EXPECT_EQ(shown->y, 699.0f - 25.0f);
        EXPECT_EQ(shown->scale, 0.75f);
        EXPECT_EQ(shown->dScale, 0.0375f);
        EXPECT_EQ(shown->cycleRate, 1.0f);
        EXPECT_GE(shown->dy, -7.5f);
        EXPECT_LE(shown->dy, 0.0f);
        projectile->Unlink();
        paddle->Unlink();
    }
}

TEST_F(ProjectileTest, OnlyAProjectileInFlightStrikesALivePaddle) {
    struct Case {
        const char* status;
        int paddleLive;
        float y;
        int hit;
    };
    const Case cases[] = {
        {"falling", 1, 695, 1}, {"", 1, 695, 0},  // held
        {"burst", 1, 695, 0},                     // bursting
        {"falling", 0, 695, 0},                   // dead paddle
        {"falling", 1, 500, 0},                   // far above
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.status) + " " + std::to_string(c.y));
        ProjectilePtr projectile = Flying("<points>10</points>", 340, c.y);
        projectile->status = c.status;
        PaddlePtr paddle = MakePaddle(300, 700);
        paddle->isLive = c.paddleLive;
        auto stats = std::make_shared<GameStat>();
        stats->score = 100;
        EXPECT_EQ(projectile->PaddleCollision(paddle, stats), c.hit);
        EXPECT_EQ(stats->score, c.hit ? 90 : 100);
        projectile->Unlink();
        paddle->Unlink();
    }
}

TEST_F(ProjectileTest, DestroyingBurstsItWhileItFallsOn) {
    ProjectilePtr projectile = Flying("", 340, 695);
    projectile->DestroyProjectile();
    EXPECT_EQ(projectile->status, "burst");
    EXPECT_EQ(projectile->isLive, 1);
    EXPECT_EQ(projectile->projectileSprite->GetCurrentAnimationName(), "burst");
    EXPECT_FLOAT_EQ(projectile->projectileSprite->accel, 0.2f);
    PaddlePtr paddle = MakePaddle(300, 700);
    EXPECT_EQ(projectile->PaddleCollision(paddle, std::make_shared<GameStat>()), 0);
    paddle->Unlink();
    projectile->Unlink();
}

TEST_F(ProjectileTest, UpdateMovesAFreeProjectileAndEndsItBelowTheField) {
    ProjectilePtr projectile = Flying("", 100, 300);
    projectile->ThrowProjectile(nullptr, 0.5f, -2.0f, 3.0f);
    const float y0 = projectile->projectileSprite->y;
    projectile->Update();
    EXPECT_NE(projectile->projectileSprite->y, y0);
    EXPECT_EQ(projectile->isLive, 1);

    // Below the field it ends at once, without bursting.
    projectile->projectileSprite->y = 790.0f;
    projectile->Update();
    EXPECT_EQ(projectile->isLive, 0);
    EXPECT_EQ(projectile->status, "falling");
    EXPECT_EQ(projectile->projectileSprite->GetCurrentAnimationName(), "falling");
    const float parked = projectile->projectileSprite->y;
    projectile->Update();  // an ended projectile is left alone
    EXPECT_EQ(projectile->projectileSprite->y, parked);

    // One whose sprite was ended by its animation ends too.
    ProjectilePtr other = Flying("", 100, 300);
    other->projectileSprite->isLive = 0;
    other->Update();
    EXPECT_EQ(other->isLive, 0);

    // A held one is moved by its nain, not by itself.
    auto hand = LoadSprite("hand", "", "");
    ProjectilePtr held = Flying("", 3, 2);
    Attach(hand, held->projectileSprite);
    held->projectileSprite->vel = 5.0f;
    held->projectileSprite->dy = 1.0f;
    held->Update();
    EXPECT_EQ(held->projectileSprite->y, 2.0f);

    hand->Unlink();
    for (const ProjectilePtr& p : {projectile, other, held}) p->Unlink();
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(ProjectileTest, ACloneStartsHeldAndDeadWithItsOwnSprite) {
    ProjectilePtr source = Flying("<points>7</points>", 10, 20);
    auto thrower = std::make_shared<Nain>();
    source->parentNain = thrower;
    source->status = "falling";
    auto copy = std::make_shared<Projectile>();
    copy->Clone(source);
    EXPECT_EQ(copy->isLive, 0);
    EXPECT_EQ(copy->status, "");
    EXPECT_EQ(copy->pointValue, 7);
    EXPECT_EQ(copy->parentNain.lock(), thrower);
    ASSERT_TRUE(copy->projectileSprite);
    EXPECT_NE(copy->projectileSprite, source->projectileSprite);
    EXPECT_EQ(copy->projectileSprite->name, "rock");
    source->Unlink();
    copy->Unlink();
    EXPECT_FALSE(copy->parentNain.lock());
}

TEST_F(ProjectileTest, LookupByNameIsExactAndAppendingGrowsByOne) {
    std::vector<ProjectilePtr> list = AppendNewProjectile({});
    ASSERT_EQ(list.size(), 1u);
    list[0]->name = "rock";
    list = AppendNewProjectile(list);
    ASSERT_EQ(list.size(), 2u);
    list[1]->name = "Rock";
    EXPECT_EQ(list[1]->isLive, 0);

    EXPECT_EQ(GetProjectileByName("rock", list), list[0]);
    EXPECT_EQ(GetProjectileByName("Rock", list), list[1]);
    EXPECT_EQ(GetProjectileByName("ROCK", list), nullptr);
    std::vector<std::string> lines = DebugLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Could not find projectile named \"ROCK\"."), std::string::npos);
}

TEST_F(ProjectileTest, UnlinkedProjectilesReleaseEverySprite) {
    {
        std::vector<ProjectilePtr> live;
        for (int i = 0; i < 3; ++i) {
            live.push_back(Flying("", 10.0f * i, 20));
            live.back()->parentNain = std::make_shared<Nain>();
        }
        live[1]->ThrowProjectile(nullptr, 1.0f, -1.0f, 1.0f);
        live[2]->DestroyProjectile();
        for (const ProjectilePtr& p : live) p->Unlink();
        for (const ProjectilePtr& p : live) EXPECT_FALSE(p->projectileSprite);
    }
    EXPECT_EQ(g_debugSpritesInMemory, spritesBefore);
}

}  // namespace
}  // namespace naintest
