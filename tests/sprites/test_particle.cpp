// Particles: the pack's pool of particle sprites and the sources that emit into it, with the
// generator seeded and the game speed fixed so every roll can be replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "platform/runtime.h"
#include "sprites/animation.h"
#include "sprites/particle.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

std::string Fixture(const std::string& file) { return ReadFileToString(FixturePath("sprites/curves/" + file)); }

int Filled(const ParticleSprites& pool) {
    int count = 0;
    for (const SpritePtr& slot : pool.spriteArray) count += slot != nullptr;
    return count;
}

class Particles : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_debugLogQuiet = 1;
        g_errorcode = {1, -14};
        g_errorseverity = {0, 2};
        g_errormessage = {"Progress note", "Not found"};
        SeedRnd(42);
        spritesBefore = g_debugSpritesInMemory;

        // The fixture pack's sprite templates, read as the pack loader reads them.
        std::string file = Fixture("sprites.xml");
        for (int i = 0; i < CountTagsInXML(file, "sprite"); ++i) {
            templates = AppendNewSprite(templates);
            templates.back()->LoadFromXML(ExtractTagFromXML(file, "sprite", i));
        }
        ASSERT_EQ(templates.size(), 2u);
        spark = templates[0];
        ASSERT_EQ(spark->name, "spark");
        g_DebugLog.clear();
    }
    void TearDown() override {
        spark = nullptr;
        for (const SpritePtr& t : templates) t->Unlink();
        templates.clear();
        // Every particle, template copy and pool made by a test is gone again.
        EXPECT_EQ(g_debugSpritesInMemory, spritesBefore);
        GameTest::TearDown();
    }

    static ParticleSpritesPtr Pool(int size) {
        auto pool = std::make_shared<ParticleSprites>();
        pool->Initialize(size);
        return pool;
    }
    ParticleSourcePtr Source(const std::string& tags) {
        auto source = std::make_shared<ParticleSource>();
        EXPECT_EQ(source->LoadFromXML("<particleSource><spriteName>spark</spriteName>" + tags + "</particleSource>",
                                      templates),
                  "");
        return source;
    }

    int spritesBefore = 0;
    std::vector<SpritePtr> templates;
    SpritePtr spark;
};

// ---------------------------------------------------------------------------
// The pool

TEST_F(Particles, InitializeSetsTheSlots) {
    ParticleSpritesPtr fresh = std::make_shared<ParticleSprites>();
    EXPECT_EQ(fresh->maxSprites, 512);
    EXPECT_TRUE(fresh->spriteArray.empty());
    fresh->AddSprite(spark, 0, 0, 0, 0, 0, 0);  // no slots yet: nothing added
    EXPECT_TRUE(fresh->spriteArray.empty());

    struct Case {
        int size;
        int maxSprites;
        size_t slots;
    } cases[] = {
        {5, 5, 5},
        {-1, 3, 3},  // keeps the size, drops the particles
        {0, 0, 0},   // accepts nothing
        {-5, -5, 0},
        // Any number may come from the preferences: a huge one gets the most a pool has.
        {2000000000, 2000000000, static_cast<size_t>(kMostParticles)},
    };
    for (const Case& c : cases) {
        ParticleSpritesPtr pool = Pool(3);
        pool->AddSprite(spark, 1, 2, 0, 0, 0, 0);
        pool->AddSprite(spark, 1, 2, 0, 0, 0, 0);
        SpritePtr dropped = pool->spriteArray[0];
        pool->Initialize(c.size);
        EXPECT_EQ(pool->maxSprites, c.maxSprites) << c.size;
        EXPECT_EQ(pool->spriteArray.size(), c.slots) << c.size;
        EXPECT_EQ(Filled(*pool), 0) << c.size;
        EXPECT_TRUE(dropped->animationArray.empty()) << c.size << ": a dropped particle is unlinked";
        pool->AddSprite(spark, 1, 2, 0, 0, 0, 0);
        EXPECT_EQ(Filled(*pool), c.slots > 0 ? 1 : 0) << c.size;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Particles, AddSpriteFillsTheFirstFreeSlotWithACopy) {
    ParticleSpritesPtr pool = Pool(3);
    pool->AddSprite(spark, 10, 20, 0.5f, -1, 3, 15);
    ASSERT_NE(pool->spriteArray[0], nullptr);
    EXPECT_EQ(pool->spriteArray[1], nullptr);
    EXPECT_EQ(pool->spriteArray[2], nullptr);

    const SpritePtr& particle = pool->spriteArray[0];
    EXPECT_NE(particle, spark);
    EXPECT_EQ(particle->name, "spark");
    EXPECT_EQ(particle->parentSprite.lock(), nullptr);
    EXPECT_EQ(particle->animationArray.size(), 1u);
    EXPECT_NE(particle->animationArray[0], spark->animationArray[0]);
    EXPECT_FLOAT_EQ(particle->x, 10);
    EXPECT_FLOAT_EQ(particle->y, 20);
    EXPECT_FLOAT_EQ(particle->dx, 0.5f);
    EXPECT_FLOAT_EQ(particle->dy, -1);
    EXPECT_FLOAT_EQ(particle->vel, 3);
    // It spins by its starting angle per tick.
    EXPECT_FLOAT_EQ(particle->rot, 15);
    EXPECT_FLOAT_EQ(particle->drot, 15);

    pool->AddSprite(spark, 0, 0, 0, 0, 0, 0);
    EXPECT_NE(pool->spriteArray[1], nullptr);
    EXPECT_EQ(pool->spriteArray[2], nullptr);
    pool->spriteArray[0] = nullptr;
    pool->AddSprite(spark, 1, 1, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(pool->spriteArray[0]->x, 1);
    EXPECT_EQ(pool->spriteArray[2], nullptr);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Particles, AddSpriteFindsTheLowestFreeSlotAnywhereInALargePool) {
    // 43 slots: the look along the pool goes sixteen, then eight, then one at a time, so each
    // stretch and each edge between them gets a free slot. A slot that holds a sprite without
    // owning it (an aliasing pointer, whose count is null) is taken, not free.
    constexpr int kSlots = 43;
    struct Case {
        const char* what;
        std::vector<int> freed;
        int aliased;   // -1 for none
        int expected;  // -1: the pool is full, a random slot is replaced
    } cases[] = {
        {"first", {0}, -1, 0},
        {"end of the first sixteen", {15}, -1, 15},
        {"start of the second sixteen", {16}, -1, 16},
        {"in the eight after the sixteens", {35}, -1, 35},
        {"in the last few", {41}, -1, 41},
        {"last", {42}, -1, 42},
        {"the lowest of several", {38, 17, 31}, -1, 17},
        {"past a slot held without a count", {20}, 3, 20},
        {"past a slot held without a count in the eight", {41}, 33, 41},
        {"past a slot held without a count in the last few", {42}, 40, 42},
        {"none", {}, -1, -1},
        {"none, with a slot held without a count", {}, 5, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ParticleSpritesPtr pool = Pool(kSlots);
        for (int i = 0; i < kSlots; ++i) pool->AddSprite(spark, static_cast<float>(i), 0, 0, 0, 0, 0);
        ASSERT_EQ(Filled(*pool), kSlots);
        for (int slot : c.freed) pool->spriteArray[static_cast<size_t>(slot)] = nullptr;
        if (c.aliased >= 0) pool->spriteArray[static_cast<size_t>(c.aliased)] = SpritePtr(SpritePtr(), spark.get());
        int expected = c.expected;
        if (expected < 0) {
            SeedRnd(7);
            expected = Rand(0, kSlots - 1);
            SeedRnd(7);
            ASSERT_NE(expected, c.aliased) << "the replaced slot would unlink the template";
        }
        std::vector<SpritePtr> before = pool->spriteArray;
        pool->AddSprite(spark, 500, 0, 0, 0, 0, 0);
        for (int slot = 0; slot < kSlots; ++slot) {
            const SpritePtr& now = pool->spriteArray[static_cast<size_t>(slot)];
            if (slot == expected) {
                ASSERT_NE(now, nullptr) << slot;
                EXPECT_FLOAT_EQ(now->x, 500) << slot;
            } else {
                EXPECT_EQ(now, before[static_cast<size_t>(slot)]) << slot;
            }
        }
        // The aliasing slot owns nothing: it is emptied before the pool unlinks what it holds.
        for (SpritePtr& slot : pool->spriteArray) {
            if (slot.get() == spark.get()) slot = nullptr;
        }
        pool->Unlink();
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Particles, FullPoolReplacesARandomSlotAndUnlinksTheOldParticle) {
    // A particle with a child, so that an unlinked particle shows it: Unlink empties the tree.
    auto withChild = std::make_shared<Sprite>();
    withChild->Clone(spark, nullptr);
    auto child = std::make_shared<Sprite>();
    child->Clone(spark, withChild);
    withChild->childSprites.push_back(child);
    child = nullptr;

    ParticleSpritesPtr pool = Pool(3);
    for (int i = 0; i < 3; ++i) pool->AddSprite(withChild, 0, 0, 0, 0, 0, 0);
    std::set<int> hit;
    for (int seed = 1; seed <= 12; ++seed) {
        SeedRnd(seed);
        const int expected = Rand(0, 2);
        SeedRnd(seed);
        std::vector<SpritePtr> before = pool->spriteArray;
        pool->AddSprite(withChild, 100.0f + seed, 0, 0, 0, 0, 0);
        EXPECT_EQ(Filled(*pool), 3);
        for (int slot = 0; slot < 3; ++slot) {
            if (slot == expected) {
                EXPECT_FLOAT_EQ(pool->spriteArray[slot]->x, 100.0f + seed) << "seed " << seed;
                EXPECT_EQ(pool->spriteArray[slot]->childSprites.size(), 1u);
                EXPECT_TRUE(before[slot]->childSprites.empty()) << "the replaced particle is unlinked";
                EXPECT_TRUE(before[slot]->animationArray.empty());
            } else {
                EXPECT_EQ(pool->spriteArray[slot], before[slot]) << "seed " << seed;
            }
        }
        hit.insert(expected);
    }
    EXPECT_GT(hit.size(), 1u);
    EXPECT_EQ(g_DebugLog, "");

    withChild->Unlink();
    withChild = nullptr;
    pool->Unlink();
    EXPECT_EQ(pool->spriteArray.size(), 3u);
    EXPECT_EQ(Filled(*pool), 0);
    // TearDown checks that no sprite outlives the pool.
}

TEST_F(Particles, UpdateMovesParticlesAndFreesTheDeadOnes) {
    // A spark's one step lasts two ticks and ends with "kill".
    ParticleSpritesPtr pool = Pool(4);
    pool->AddSprite(spark, 10, 0, 1, 0, 2, 5);
    pool->Update();
    ASSERT_NE(pool->spriteArray[0], nullptr);
    EXPECT_FLOAT_EQ(pool->spriteArray[0]->x, 12);
    EXPECT_FLOAT_EQ(pool->spriteArray[0]->rot, 10);

    pool->AddSprite(spark, 50, 0, 0, 0, 0, 0);
    pool->Draw();
    pool->Update();
    EXPECT_EQ(pool->spriteArray[0], nullptr);
    ASSERT_NE(pool->spriteArray[1], nullptr);
    pool->Draw();
    pool->AddSprite(spark, 70, 0, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(pool->spriteArray[0]->x, 70);  // the freed slot is reused first
    pool->Update();
    EXPECT_EQ(pool->spriteArray[1], nullptr);
    EXPECT_NE(pool->spriteArray[0], nullptr);
    EXPECT_EQ(g_DebugLog, "");

    // An empty pool has nothing to do.
    ParticleSpritesPtr none = Pool(0);
    EXPECT_EQ(none->Update(), 0);
    EXPECT_EQ(none->Draw(), 0);
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// Sources

TEST_F(Particles, SourceReadsItsElementWithTheKeepDefaultSetters) {
    struct Case {
        std::string tags;
        float rate, chance, ttl, randomX, x;
        std::string name, style;
    } cases[] = {
        // Without a rate tag, rate and chance stay 1: such a source never emits.
        {"<name>a</name>", 1, 1, -1, 0, 0, "a", "point"},
        // chance is read from the rate tag.
        {"<name>b</name><rate>2</rate><randomX>3.5</randomX><x>7</x><style>box</style>", 2, 2, -1, 3.5f, 7, "b", "box"},
        // Zero floats keep their values: neither a spent ttl nor a rate of 0 can be loaded.
        {"<rate>0</rate><ttl>0</ttl><x>0</x><randomX>none</randomX>", 1, 1, -1, 0, 0, "", "point"},
        {"<ttl>12.5</ttl><rate>0.5</rate>", 0.5f, 0.5f, 12.5f, 0, 0, "", "point"},
    };
    for (const Case& c : cases) {
        ParticleSourcePtr source = Source(c.tags);
        EXPECT_FLOAT_EQ(source->rate, c.rate) << c.tags;
        EXPECT_FLOAT_EQ(source->chance, c.chance) << c.tags;
        EXPECT_FLOAT_EQ(source->ttl, c.ttl) << c.tags;
        EXPECT_FLOAT_EQ(source->randomX, c.randomX) << c.tags;
        EXPECT_FLOAT_EQ(source->x, c.x) << c.tags;
        EXPECT_EQ(source->name, c.name) << c.tags;
        EXPECT_EQ(source->style, c.style) << c.tags;
        EXPECT_EQ(source->spriteName, "spark");
        ASSERT_NE(source->particleSprite, nullptr);
        EXPECT_NE(source->particleSprite, spark);
        EXPECT_EQ(source->particleSprite->name, "spark");
        source->Unlink();
    }
    EXPECT_EQ(g_DebugLog, "");

    // A template name that no sprite has: reported, and the source keeps an unfilled sprite.
    auto lost = std::make_shared<ParticleSource>();
    EXPECT_EQ(lost->LoadFromXML("<particleSource><name>lost</name><spriteName>ghost</spriteName></particleSource>",
                                templates),
              "");
    ASSERT_NE(lost->particleSprite, nullptr);
    EXPECT_EQ(lost->particleSprite->name, "");
    EXPECT_NE(g_DebugLog.find("Could not find sprite named \"ghost\""), std::string::npos) << g_DebugLog;
    EXPECT_NE(g_DebugLog.find("sprites:Sprite.Clone() Sprite to clone is null!"), std::string::npos) << g_DebugLog;
    lost->Unlink();

    std::vector<ParticleSourcePtr> sources = AppendNewParticleSource(AppendNewParticleSource({}));
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_NE(sources[0], sources[1]);
    EXPECT_EQ(sources[1]->style, "point");
    EXPECT_FLOAT_EQ(sources[1]->ttl, -1);
}

TEST_F(Particles, RollsPerCallAndTheirChance) {
    struct Case {
        const char* rateTag;  // nullptr: no tag
        float speed;
        int rollsPerCall;
        bool emits;
    } cases[] = {
        {nullptr, 1.0f, 2, false},  // rate 1, chance 1: never
        {"2", 1.0f, 3, true},       // each roll 1/2
        {"0.5", 1.0f, 2, false},    // chance 0.5: never
        {"3", 0.25f, 4, true},      // each roll 2/3, whatever the speed
        {"-2", 1.0f, 0, false},     // no rolls at all
    };
    const int calls = 300;
    for (const Case& c : cases) {
        g_gameSpeedFactor = c.speed;
        ParticleSourcePtr source = Source(c.rateTag ? std::string("<rate>") + c.rateTag + "</rate>" : "");
        ParticleSpritesPtr pool = Pool(calls * 4);
        source->particleSpriteTarget = pool;

        // Replay: with no spreads an emission draws nothing, so each call draws one number per roll.
        SeedRnd(7);
        int expected = 0;
        for (int i = 0; i < calls * c.rollsPerCall; ++i) {
            expected += static_cast<float>(Rnd(0.0, source->chance * c.speed)) > c.speed;
        }
        const double next = RndDouble();

        SeedRnd(7);
        for (int i = 0; i < calls; ++i) source->GenerateParticle();
        EXPECT_EQ(Filled(*pool), expected) << (c.rateTag ? c.rateTag : "none");
        EXPECT_EQ(RndDouble(), next) << (c.rateTag ? c.rateTag : "none");
        if (c.emits) {
            const double share = double(expected) / (calls * c.rollsPerCall);
            EXPECT_NEAR(share, 1.0 - 1.0 / source->chance, 0.06) << c.rateTag;
        } else {
            EXPECT_EQ(expected, 0);
        }
        pool->Unlink();
        source->Unlink();
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Particles, AWildRateRollsNoMoreOftenThanItsPoolHoldsParticles) {
    // Two thousand million rolls an update would hold the game for ever; past the pool's slots,
    // a roll only replaces a particle of the same call.
    ParticleSourcePtr source = Source("<rate>2000000000</rate>");
    ParticleSpritesPtr pool = Pool(8);
    source->particleSpriteTarget = pool;
    // A chance that never emits: each roll then draws exactly one number.
    source->chance = 0.5f;
    SeedRnd(7);
    for (int i = 0; i < 8 + 1; ++i) Rnd(0.0, source->chance);
    const double next = RndDouble();
    SeedRnd(7);
    source->GenerateParticle();
    EXPECT_EQ(RndDouble(), next) << "one roll for each slot of the pool, and one more";
    pool->Unlink();
    source->Unlink();
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Particles, EmissionDrawsItsSpreadsInOrder) {
    ParticleSourcePtr source = Source(
        "<x>100</x><y>50</y><xOffset>5</xOffset><yOffset>3</yOffset><dx>1</dx><dy>-1</dy><randomX>4</randomX>"
        "<randomY>2</randomY><randomDx>0.5</randomDx><randomDy>0.25</randomDy><randomVel>3</randomVel>"
        "<randomRot>30</randomRot>");
    ParticleSpritesPtr pool = Pool(4);
    source->particleSpriteTarget = pool;
    source->rate = 0.0f;    // one roll
    source->chance = 1e9f;  // that all but surely emits
    SeedRnd(3);
    ASSERT_GT(static_cast<float>(Rnd(0.0, 1e9)), 1.0f);
    const float rot = static_cast<float>(Rnd(-30, 30));
    const float vel = static_cast<float>(Rnd(0, 3));
    const float dy = -1 + static_cast<float>(Rnd(-0.25, 0.25));
    const float dx = 1 + static_cast<float>(Rnd(-0.5, 0.5));
    const float y = 47 + static_cast<float>(Rnd(-2, 2));
    const float x = 95 + static_cast<float>(Rnd(-4, 4));
    SeedRnd(3);
    source->GenerateParticle();
    ASSERT_EQ(Filled(*pool), 1);
    const SpritePtr& p = pool->spriteArray[0];
    EXPECT_FLOAT_EQ(p->rot, rot);
    EXPECT_FLOAT_EQ(p->drot, rot);
    EXPECT_FLOAT_EQ(p->vel, vel);
    EXPECT_FLOAT_EQ(p->dy, dy);
    EXPECT_FLOAT_EQ(p->dx, dx);
    EXPECT_FLOAT_EQ(p->y, y);
    EXPECT_FLOAT_EQ(p->x, x);

    // Without spreads a point source emits exactly at its point, less the offsets.
    source->randomX = source->randomY = source->randomDx = source->randomDy = source->randomVel = source->randomRot = 0;
    source->GenerateParticle();
    ASSERT_EQ(Filled(*pool), 2);
    EXPECT_FLOAT_EQ(pool->spriteArray[1]->x, 95);
    EXPECT_FLOAT_EQ(pool->spriteArray[1]->y, 47);
    EXPECT_FLOAT_EQ(pool->spriteArray[1]->dx, 1);
    EXPECT_FLOAT_EQ(pool->spriteArray[1]->rot, 0);
    EXPECT_EQ(g_DebugLog, "");
    pool->Unlink();
    source->Unlink();
}

TEST_F(Particles, SetPositionPlacesAPointOrSpreadsOverABox) {
    struct Case {
        const char* style;
        float x, y, randomX, randomY;
    } cases[] = {
        {"point", 100, 50, 1, 2},  // the loaded spreads stay
        {"box", 120, 60, 20, 10},
        {"Point", 120, 60, 20, 10},  // compared exactly: anything but "point" is a box
    };
    for (const Case& c : cases) {
        ParticleSourcePtr source =
            Source(std::string("<style>") + c.style + "</style><randomX>1</randomX><randomY>2</randomY>");
        source->SetPosition(100, 50, 40, 20);
        EXPECT_FLOAT_EQ(source->x, c.x) << c.style;
        EXPECT_FLOAT_EQ(source->y, c.y) << c.style;
        EXPECT_FLOAT_EQ(source->randomX, c.randomX) << c.style;
        EXPECT_FLOAT_EQ(source->randomY, c.randomY) << c.style;
        source->Unlink();
    }
}

TEST_F(Particles, LifeCountsDownByTheGameSpeed) {
    struct Case {
        float ttl, speed;
        std::vector<float> after;  // ttl after each Update
    } cases[] = {
        {1.0f, 0.25f, {0.75f, 0.5f, 0.25f, 0.0f, 0.0f}},
        {0.5f, 1.0f, {0.0f, 0.0f}},  // never below 0
        {-1.0f, 1.0f, {-1.0f, -1.0f}},
        {-3.0f, 1.0f, {-3.0f}},
    };
    for (const Case& c : cases) {
        g_gameSpeedFactor = c.speed;
        ParticleSourcePtr source = Source("");
        source->ttl = c.ttl;
        for (float expected : c.after) {
            source->Update();
            EXPECT_FLOAT_EQ(source->ttl, expected) << c.ttl;
        }
        source->Unlink();
    }

    // A spent source emits nothing and draws no numbers.
    ParticleSourcePtr spent = Source("<rate>3</rate>");
    ParticleSpritesPtr pool = Pool(8);
    spent->particleSpriteTarget = pool;
    spent->ttl = 0.0f;
    SeedRnd(11);
    const double first = RndDouble();
    SeedRnd(11);
    spent->GenerateParticle();
    EXPECT_EQ(RndDouble(), first);
    EXPECT_EQ(Filled(*pool), 0);

    // Driven on its own, a source targets the pool, emits while it lives and is dropped once spent.
    g_gameSpeedFactor = 1.0f;
    ParticleSourcePtr loose = Source("<rate>1000000</rate><ttl>2.5</ttl>");
    loose->rate = 0.0f;  // one near-certain roll per call
    ParticleSourcePtr held = loose;
    UpdateParticleSource(loose, pool);
    EXPECT_EQ(loose->particleSpriteTarget.lock(), pool);
    EXPECT_EQ(Filled(*pool), 1);
    UpdateParticleSource(loose, pool);
    EXPECT_EQ(Filled(*pool), 2);
    UpdateParticleSource(loose, pool);
    EXPECT_EQ(loose, nullptr);
    EXPECT_EQ(Filled(*pool), 2);
    EXPECT_EQ(g_DebugLog, "");
    UpdateParticleSource(loose, pool);
    EXPECT_EQ(g_DebugLog, "particle:UpdateParticleSource() " + std::string(kNullAccessMessage) + "\n");

    pool->Unlink();
    held->Unlink();
    spent->Unlink();
}

TEST_F(Particles, SourceWithoutAPoolLogsOncePerCall) {
    ParticleSourcePtr source = Source("<rate>3</rate>");
    source->chance = 1e9f;  // every one of the four rolls would emit
    source->GenerateParticle();
    EXPECT_EQ(g_DebugLog, "sprites:ParticleSource.GenerateParticle() " + std::string(kNullAccessMessage) + "\n");
    source->Unlink();
}

TEST_F(Particles, CloneCopiesTheSourceAndSharesThePool) {
    ParticleSpritesPtr pool = Pool(4);
    ParticleSourcePtr source = Source(
        "<name>sparks</name><rate>2</rate><ttl>9</ttl><style>box</style><randomX>1</randomX><randomY>2</randomY>"
        "<randomDx>3</randomDx><randomDy>4</randomDy><randomVel>5</randomVel><randomRot>6</randomRot><x>7</x><y>8</y>"
        "<xOffset>9</xOffset><yOffset>10</yOffset><dx>11</dx><dy>12</dy>");
    source->particleSpriteTarget = pool;
    source->chance = 4.0f;

    auto copy = std::make_shared<ParticleSource>();
    copy->Clone(source);
    EXPECT_EQ(copy->name, "sparks");
    EXPECT_EQ(copy->spriteName, "spark");
    EXPECT_EQ(copy->style, "box");
    EXPECT_EQ(copy->particleSpriteTarget.lock(), pool);
    ASSERT_NE(copy->particleSprite, nullptr);
    EXPECT_NE(copy->particleSprite, source->particleSprite);
    EXPECT_EQ(copy->particleSprite->name, "spark");
    const float expected[] = {2, 4, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const float actual[] = {copy->rate,     copy->chance,   copy->ttl,       copy->randomX,   copy->randomY,
                            copy->randomDx, copy->randomDy, copy->randomVel, copy->randomRot, copy->x,
                            copy->y,        copy->xOffset,  copy->yOffset,   copy->dx,        copy->dy};
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_FLOAT_EQ(actual[i], expected[i]) << i;

    // A source without a template sprite leaves the copy's own.
    SpritePtr own = copy->particleSprite;
    auto bare = std::make_shared<ParticleSource>();
    copy->Clone(bare);
    EXPECT_EQ(copy->particleSprite, own);
    EXPECT_EQ(copy->particleSpriteTarget.lock(), nullptr);
    EXPECT_EQ(g_DebugLog, "");

    copy->Unlink();
    source->Unlink();
}

TEST_F(Particles, UnlinkingOneSourceEmptiesThePackPool) {
    ParticleSpritesPtr pool = Pool(5);
    ParticleSourcePtr first = Source("");
    ParticleSourcePtr second = Source("");
    first->particleSpriteTarget = pool;
    second->particleSpriteTarget = pool;
    for (int i = 0; i < 4; ++i) pool->AddSprite(spark, 0, 0, 0, 0, 0, 0);

    first->Unlink();
    EXPECT_EQ(Filled(*pool), 0);
    EXPECT_EQ(pool->spriteArray.size(), 5u);
    EXPECT_EQ(first->particleSpriteTarget.lock(), nullptr);
    EXPECT_EQ(first->particleSprite, nullptr);
    EXPECT_EQ(second->particleSpriteTarget.lock(), pool);
    second->Unlink();
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Particles, SourcesAreFoundByExactName) {
    std::vector<ParticleSourcePtr> sources;
    for (const char* name : {"sparks", "dup", "dup"}) {
        sources = AppendNewParticleSource(sources);
        sources.back()->name = name;
    }
    struct Case {
        const char* name;
        int index;  // -1: not found
    } cases[] = {{"sparks", 0}, {"dup", 1}, {"Sparks", -1}, {"", -1}};
    for (const Case& c : cases) {
        g_DebugLog.clear();
        ParticleSourcePtr found = GetParticleSourceByName(c.name, sources);
        if (c.index >= 0) {
            EXPECT_EQ(found, sources[c.index]) << c.name;
            EXPECT_EQ(g_DebugLog, "") << c.name;
        } else {
            EXPECT_EQ(found, nullptr) << c.name;
            const std::string report =
                std::string("Not found (Could not find particle source named \"") + c.name + "\".)";
            EXPECT_EQ(g_DebugLog, " WARN: " + report + "\nsprites:GetParticleSourceByName() " + report + "\n");
        }
    }
}

// ---------------------------------------------------------------------------
// A pack's particles from loading to release

TEST_F(Particles, PackSourcesFeedThePoolThroughAnimatedSprites) {
    std::string file = Fixture("particles.xml");
    std::vector<ParticleSourcePtr> sources;
    for (int i = 0; i < CountTagsInXML(file, "particleSource"); ++i) {
        sources = AppendNewParticleSource(sources);
        EXPECT_EQ(sources.back()->LoadFromXML(ExtractTagFromXML(file, "particleSource", i), templates), "");
    }
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_FLOAT_EQ(sources[1]->ttl, -1);  // "smoke" cannot be loaded spent
    LinkSprites(templates, {}, {}, sources, {});
    // A pool small enough to fill: further sparks replace random ones.
    ParticleSpritesPtr pool = Pool(6);
    for (const ParticleSourcePtr& source : sources) source->particleSpriteTarget = pool;

    auto torch = std::make_shared<Sprite>();
    torch->Clone(GetSpriteByName("torch", templates), nullptr);
    torch->x = 100;
    torch->y = 50;
    torch->absX = 100;
    torch->absY = 50;
    ParticleSourcePtr own = torch->animationArray.at(0)->StepsArray.at(0)->particleSourceLink;
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, sources[0]);  // a live step emits through its own copy
    EXPECT_EQ(own->particleSpriteTarget.lock(), pool);

    int seen = 0;
    for (int tick = 0; tick < 30; ++tick) {
        torch->Update();
        for (const SpritePtr& p : pool->spriteArray) {
            if (p) {
                EXPECT_EQ(p->name, "spark");
            }
        }
        seen = std::max(seen, Filled(*pool));
        pool->Update();
        pool->Draw();
    }
    EXPECT_EQ(seen, 6);
    // Box style over the torch's 40 x 20 box at (100, 50).
    EXPECT_FLOAT_EQ(own->randomX, 20);
    EXPECT_FLOAT_EQ(own->randomY, 10);
    EXPECT_FLOAT_EQ(own->x, 120);
    EXPECT_FLOAT_EQ(own->y, 60);
    EXPECT_EQ(g_DebugLog, "");

    // Release as the pack does.
    own = nullptr;
    torch->Unlink();
    torch = nullptr;
    pool->Unlink();
    for (const ParticleSourcePtr& source : sources) source->Unlink();
}

}  // namespace
