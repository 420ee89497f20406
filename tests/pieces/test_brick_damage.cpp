// Bricks in play: what each kind of hit does, freezing and fire running along a row of bricks,
// key bricks, next forms scoring one by one, the fuse, timers and the nain on a brick.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "pieces/nain.h"
#include "test_brick_support.h"

using namespace bricktest;

namespace {

// -1: the timer is off; otherwise it runs and holds a value in [low, high).
struct Timer {
    float low, high;
};
constexpr Timer kOff{-1.0f, -1.0f};

void ExpectTimer(const char* what, float value, Timer expected) {
    SCOPED_TRACE(what);
    if (expected.low == -1.0f) {
        EXPECT_EQ(value, -1.0f);
    } else {
        EXPECT_GE(value, expected.low);
        EXPECT_LT(value, expected.high);
    }
}

struct DamageCase {
    const char* label;
    std::string tags;  // of the brick's template; it is worth 10 points
    Deaths deaths;
    bool frozen;
    int liveBefore;
    BrickHit hit;
    int strength;
    int isLive;
    int spriteLive;
    Timer ttl, ttFreeze, ttExplode;
    int isExplosive;
    const char* animation;
    int result;
    int64_t score;
};

TEST_F(BrickTest, EachKindOfHitOnEachKindOfBrick) {
    // clang-format off
    const DamageCase cases[] = {
        // label, template tags, death animations, frozen, live before, hit,
        // strength, isLive, sprite live, ttl, ttFreeze, ttExplode, isExplosive, animation, result, score
        {"plain hit kills", "", Deaths::Both, false, 1, {.physical = 1},
         0, 0, 1, kOff, kOff, kOff, 0, "kill", 1, 10},
        {"not must-clear", "<mustClear>0</mustClear>", Deaths::Both, false, 1, {.physical = 1},
         0, 0, 1, kOff, kOff, kOff, 0, "kill", 0, 10},
        {"strong brick survives", "<strength>3</strength>", Deaths::Both, false, 1, {.physical = 1},
         2, 1, 1, kOff, kOff, kOff, 0, "sound_struck", 0, 0},
        {"a hit of no kind", "", Deaths::Both, false, 1, {},
         1, 1, 1, kOff, kOff, kOff, 0, "sound_struck", 0, 0},
        {"ice starts freezing", "", Deaths::Both, false, 1, {.ice = 1},
         1, 1, 1, kOff, {0, 5}, kOff, 0, "sound_struck", 0, 0},
        {"ice and plow cannot break a freezable brick", "", Deaths::Both, false, 1, {.ice = 1, .plow = 1},
         1, 1, 1, kOff, {0, 5}, kOff, 0, "sound_struck", 0, 0},
        {"ice damage on a freezable brick", "<iceDamage>5</iceDamage>", Deaths::Both, false, 1, {.ice = 1},
         1, 1, 1, kOff, {0, 5}, kOff, 0, "sound_struck", 0, 0},
        {"ice on an unfreezable brick", "<isFreezeable>0</isFreezeable>", Deaths::Both, false, 1, {.ice = 1},
         1, 1, 1, kOff, kOff, kOff, 0, "sound_struck", 0, 0},
        {"ice damage on an unfreezable brick", "<isFreezeable>0</isFreezeable><iceDamage>1</iceDamage>",
         Deaths::Both, false, 1, {.ice = 1},
         0, 0, 1, kOff, kOff, kOff, 0, "kill", 1, 10},
        {"second ice hit shatters", "", Deaths::Both, true, 1, {.ice = 1},
         1, 1, 1, {0, 5}, kOff, kOff, 0, "sound_struck", 0, 0},
        {"fire sets a burnable brick burning", "<strength>3</strength>", Deaths::Both, false, 1, {.fire = 1},
         2, 1, 1, {0, 15}, kOff, kOff, 1, "sound_struck", 0, 0},
        {"fire kills a weak burnable brick", "", Deaths::Both, false, 1, {.fire = 1},
         0, 0, 1, {0, 15}, kOff, kOff, 1, "kill", 1, 10},
        {"fire on a brick that cannot burn", "<strength>3</strength><isBurnable>0</isBurnable>",
         Deaths::Both, false, 1, {.fire = 1},
         2, 1, 1, kOff, kOff, kOff, 0, "sound_struck", 0, 0},
        {"explosive but not burnable only waits",
         "<strength>3</strength><isBurnable>0</isBurnable><isExplosive>1</isExplosive>",
         Deaths::Both, false, 1, {.physical = 1},
         2, 1, 1, kOff, kOff, {0, 15}, 1, "sound_struck", 0, 0},
        {"fire on a frozen brick", "<strength>3</strength>", Deaths::Both, true, 1, {.fire = 1},
         2, 1, 1, {0, 15}, kOff, kOff, 1, "sound_struck", 0, 0},
        {"electric", "<strength>2</strength>", Deaths::Both, false, 1, {.electric = 1},
         1, 1, 1, kOff, kOff, kOff, 0, "sound_struck", 0, 0},
        {"electric on a shock-proof brick", "<strength>2</strength><electricDamage>0</electricDamage>",
         Deaths::Both, false, 1, {.electric = 1},
         2, 1, 1, kOff, kOff, kOff, 0, "sound_struck", 0, 0},
        {"plow", "<strength>50</strength>", Deaths::Both, false, 1, {.plow = 1},
         0, 0, 1, kOff, kOff, kOff, 0, "kill", 1, 10},
        {"plow other than 1 does nothing", "<strength>50</strength>", Deaths::Both, false, 1, {.plow = 2},
         50, 1, 1, kOff, kOff, kOff, 0, "sound_struck", 0, 0},
        {"negative factor heals", "<physicalDamage>-1</physicalDamage>", Deaths::Both, false, 1, {.physical = 1},
         2, 1, 1, kOff, kOff, kOff, 0, "sound_struck", 0, 0},
        {"healing stops at the top", "<strength>5</strength><physicalDamage>-2147483648</physicalDamage>",
         Deaths::Both, false, 1, {.physical = 1},
         INT_MAX, 1, 1, kOff, kOff, kOff, 0, "sound_struck", 0, 0},
        {"damage stops at the bottom", "<strength>-2147483647</strength><physicalDamage>2147483647</physicalDamage>",
         Deaths::Both, false, 1, {.physical = 1},
         INT_MIN, 0, 1, kOff, kOff, kOff, 0, "kill", 1, 10},
        {"frozen brick killed", "", Deaths::Both, true, 1, {.physical = 1},
         0, 0, 1, kOff, kOff, kOff, 0, "frozen_kill", 1, 10},
        {"frozen brick without frozen_kill", "", Deaths::KillOnly, true, 1, {.physical = 1},
         0, 0, 1, kOff, kOff, kOff, 0, "kill", 1, 10},
        {"no kill animation: the body goes at once", "", Deaths::None, false, 1, {.physical = 1},
         0, 0, 0, kOff, kOff, kOff, 0, "idle", 1, 10},
        {"dead brick ignores hits", "", Deaths::Both, false, 0, {.physical = 1, .fire = 1, .ice = 1, .electric = 1, .plow = 1},
         1, 0, 1, kOff, kOff, kOff, 0, "idle", 0, 0},
        {"next form takes over", "<nextBrickName>next</nextBrickName>", Deaths::Both, false, 1, {.physical = 1},
         2, 1, 1, kOff, kOff, kOff, 0, "sound_struck", 0, 10},
    };
    // clang-format on
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.label);
        SeedRnd(5);
        TestPack p;
        p.sprites = {BrickSprite("block", 30, 15, 3, c.deaths)};
        p.Load({BrickXml("b", "<points>10</points>" + c.tags), BrickXml("next", "<strength>2</strength>")});
        TestLevel l;
        BrickPtr brick = l.Place(p, "b", 100, 100);
        l.Start();
        brick->isLive = c.liveBefore;
        if (c.frozen) brick->brickSprite->SetFreeze(1);
        auto record = std::make_shared<GameStat>();

        EXPECT_EQ(brick->Damage(c.hit, record, l.bricks), c.result);
        EXPECT_EQ(brick->strength, c.strength);
        EXPECT_EQ(brick->isLive, c.isLive);
        EXPECT_EQ(brick->brickSprite->isLive, c.spriteLive);
        ExpectTimer("ttl", brick->ttl, c.ttl);
        ExpectTimer("ttFreeze", brick->ttFreeze, c.ttFreeze);
        ExpectTimer("ttExplode", brick->ttExplode, c.ttExplode);
        EXPECT_EQ(brick->isExplosive, c.isExplosive);
        EXPECT_EQ(CurrentAnimation(brick), c.animation);
        EXPECT_EQ(record->score, c.score);
        // Every hit on a live brick shakes it fully, dying away by a tenth a tick; a brick that
        // starts to shatter keeps shaking fully.
        const bool shatters = c.frozen && c.hit.ice != 0;
        EXPECT_EQ(brick->brickSprite->shake, c.liveBefore ? 3.0f : 0.0f);
        EXPECT_EQ(brick->brickSprite->dShake, c.liveBefore && !shatters ? -0.1f : 0.0f);
        if (c.isLive == 0 && c.liveBefore) {
            EXPECT_EQ(brick->powerupCount, 1);
        } else {
            EXPECT_EQ(brick->powerupCount, 0);
        }
        EXPECT_TRUE(DebugLogLines().empty());
        l.Unlink();
        p.Unlink();
    }
}

// A brick made in code and never read has no powerup table; it still dies and is counted.
TEST_F(BrickTest, BrickWithoutPowerupTableStillDiesAndCounts) {
    auto brick = std::make_shared<Brick>();
    brick->isLive = 1;
    std::vector<BrickPtr> bricks{brick};
    EXPECT_EQ(brick->Damage({.physical = 1}, stat, bricks), 1);
    EXPECT_EQ(brick->isLive, 0);
    EXPECT_EQ(brick->powerupToGenerate, "");
    EXPECT_EQ(brick->powerupCount, 1);
    EXPECT_TRUE(DebugLogLines().empty());
    brick->Unlink();
}

TEST_F(BrickTest, HitsReportTheirProgressNotes) {
    pack.Load({BrickXml("b", "<strength>3</strength><isFreezeable>0</isFreezeable>"), BrickXml("ice")});
    BrickPtr unfreezable = level.Place(pack, "b", 0, 0);
    BrickPtr freezable = level.Place(pack, "ice", 100, 0);
    level.Start();
    unfreezable->Damage({.ice = 1}, stat, level.bricks);
    EXPECT_EQ(g_DebugStrings[0], "Note (Shold we freeze? ice = 1 and isFreezeable = 0)");
    freezable->Damage({.ice = 1}, stat, level.bricks);
    EXPECT_EQ(g_DebugStrings[0], "Note (Yes, freeze this brick!)");
    freezable->Damage({.physical = 1}, stat, level.bricks);
    EXPECT_EQ(g_DebugStrings[0], "Note (Dead!)");
}

// A row of four 30-pixel bricks: every brick frozen through an ice hit and its delay, then a
// second ice hit on the first sends the shattering along the row.
TEST_F(BrickTest, ShatteringRunsAlongAFrozenRowWithGrowingDelays) {
    for (float speed : {1.0f, 2.0f, 0.5f}) {
        SCOPED_TRACE(speed);
        g_gameSpeedFactor = speed;
        SeedRnd(9);
        TestLevel row;
        pack.bricks.clear();
        pack.Load({BrickXml("b", "<nextBrickName>n</nextBrickName>"), BrickXml("n")});
        for (int k = 0; k < 4; ++k) row.Place(pack, "b", 100.0f + 30.0f * k, 100.0f);
        row.Start();

        for (const BrickPtr& brick : row.bricks) {
            brick->Damage({.ice = 1}, stat, row.bricks);
            ExpectTimer("freeze delay", brick->ttFreeze, {0, 5});
            for (int tick = 0; tick < 20 && brick->brickSprite->isFrozen == 0.0f; ++tick) {
                brick->Update(stat, row.bricks);
            }
            EXPECT_EQ(brick->brickSprite->isFrozen, 1.0f);
            EXPECT_EQ(brick->ttFreeze, -1.0f);
            EXPECT_EQ(brick->nextBrickName, "");
            EXPECT_EQ(CurrentAnimation(brick), "sound_freeze");
        }

        EXPECT_EQ(row.bricks[0]->Damage({.ice = 1}, stat, row.bricks), 0);
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE(k);
            const float delay = 20.0f * static_cast<float>(k) * speed;
            ExpectTimer("fuse", row.bricks[static_cast<size_t>(k)]->ttl, {delay, delay + 5.0f});
            EXPECT_EQ(row.bricks[static_cast<size_t>(k)]->brickSprite->shake, 3.0f);
        }

        int cleared = 0;
        std::vector<int> diedAt(4, -1);
        for (int tick = 1; tick <= 200; ++tick) {
            for (size_t k = 0; k < 4; ++k) {
                cleared += row.bricks[k]->Update(stat, row.bricks);
                if (diedAt[k] < 0 && row.bricks[k]->isLive == 0) diedAt[k] = tick;
            }
        }
        EXPECT_EQ(cleared, 4);
        for (size_t k = 0; k < 4; ++k) {
            EXPECT_GT(diedAt[k], 0);
            if (k > 0) {
                EXPECT_GE(diedAt[k], diedAt[k - 1]);
            }
            EXPECT_EQ(CurrentAnimation(row.bricks[k]), "frozen_kill");
        }
        EXPECT_GE(diedAt[3], static_cast<int>(60.0f));
        row.Unlink();
        pack.Unlink();
        pack.sprites = {BrickSprite("block")};
    }
}

TEST_F(BrickTest, FreezeRestartsARunningDelayAndStopsAtAnUnfrozenBrick) {
    pack.Load({BrickXml("b")});
    BrickPtr first = level.Place(pack, "b", 100, 100);
    BrickPtr second = level.Place(pack, "b", 130, 100);
    BrickPtr third = level.Place(pack, "b", 160, 100);
    level.Start();
    first->brickSprite->SetFreeze(1);
    second->ttFreeze = 100.0f;

    first->Damage({.ice = 1}, stat, level.bricks);
    ExpectTimer("first fuse", first->ttl, {0, 5});
    ExpectTimer("second restarted", second->ttFreeze, {20, 25});
    EXPECT_EQ(second->ttl, -1.0f);
    EXPECT_EQ(third->ttFreeze, -1.0f);

    // A shattering brick passes nothing on when the cold reaches it again.
    second->brickSprite->SetFreeze(1);
    second->ttFreeze = -1.0f;
    first->FreezeBrick(0, -1.0f, -1.0f);
    EXPECT_EQ(second->ttl, -1.0f);
}

// Five bricks in a row, the first three explosive, the fourth only burnable, and a brick that
// cannot burn under the second: a fire hit on the first sets the row burning outwards.
TEST_F(BrickTest, FireRunsThroughExplosiveBricksWithGrowingDelays) {
    for (float speed : {1.0f, 2.0f}) {
        SCOPED_TRACE(speed);
        g_gameSpeedFactor = speed;
        SeedRnd(21);
        TestLevel row;
        pack.bricks.clear();
        pack.Load({BrickXml("start", "<strength>5</strength>"), BrickXml("tnt", "<isExplosive>1</isExplosive>"),
                   BrickXml("wood"), BrickXml("stone", "<isBurnable>0</isBurnable>")});
        row.Place(pack, "start", 100, 100);
        row.Place(pack, "tnt", 130, 100);
        row.Place(pack, "tnt", 160, 100);
        row.Place(pack, "wood", 190, 100);
        row.Place(pack, "wood", 220, 100);
        BrickPtr stone = row.Place(pack, "stone", 130, 115);
        row.Start();

        EXPECT_EQ(row.bricks[0]->Damage({.fire = 1}, stat, row.bricks), 0);
        EXPECT_EQ(row.bricks[0]->isExplosive, 1);
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE(k);
            const float low = 15.0f * static_cast<float>(k) * speed;
            ExpectTimer("fuse", row.bricks[static_cast<size_t>(k)]->ttl, {low, low + 15.0f * speed});
            EXPECT_EQ(row.bricks[static_cast<size_t>(k)]->nextBrickName, "");
        }
        // The burnable brick that is not explosive passes nothing on.
        EXPECT_EQ(row.bricks[4]->ttl, -1.0f);
        const float reach = std::sqrt(15.0f * 15.0f + 7.5f * 7.5f) * speed;
        ExpectTimer("stone's delay", stone->ttExplode, {reach, reach + 15.0f * speed});
        EXPECT_EQ(stone->ttl, -1.0f);

        // Another hit on the explosive brick restarts its own fuse only.
        const float secondFuse = row.bricks[1]->ttl;
        row.bricks[0]->Damage({.physical = 1}, stat, row.bricks);
        ExpectTimer("restarted", row.bricks[0]->ttl, {0, 15.0f * speed});
        EXPECT_EQ(row.bricks[1]->ttl, secondFuse);

        int cleared = 0;
        std::vector<int> diedAt(6, -1);
        for (int tick = 1; tick <= 100; ++tick) {
            for (size_t k = 0; k < 6; ++k) {
                cleared += row.bricks[k]->Update(stat, row.bricks);
                if (diedAt[k] < 0 && row.bricks[k]->isLive == 0) diedAt[k] = tick;
            }
        }
        EXPECT_EQ(cleared, 4);
        for (size_t k = 1; k < 4; ++k) EXPECT_GE(diedAt[k], diedAt[k - 1]);
        EXPECT_EQ(row.bricks[4]->isLive, 1);
        EXPECT_EQ(stone->isLive, 1);
        EXPECT_EQ(stone->ttExplode, -1.0f);
        row.Unlink();
        pack.Unlink();
        pack.sprites = {BrickSprite("block")};
    }
}

TEST_F(BrickTest, LastLockTakesItsKeyedBricksWithIt) {
    pack.Load({BrickXml("lock", "<points>1</points><keyBrickName>door</keyBrickName>"),
               BrickXml("door", "<points>100</points><keyBrickName>vault</keyBrickName>" + PowerupTable("grow")),
               BrickXml("vault", "<points>1000</points>"), BrickXml("other", "<points>5</points>")});
    BrickPtr lock1 = level.Place(pack, "lock", 0, 0);
    BrickPtr door1 = level.Place(pack, "door", 100, 0);
    BrickPtr lock2 = level.Place(pack, "lock", 200, 0);
    BrickPtr door2 = level.Place(pack, "door", 300, 0);
    BrickPtr vault = level.Place(pack, "vault", 400, 0);
    BrickPtr other = level.Place(pack, "other", 500, 0);
    level.Start();

    EXPECT_EQ(lock1->Damage({.physical = 1}, stat, level.bricks), 1);
    EXPECT_EQ(door1->isLive, 1);
    EXPECT_EQ(door2->isLive, 1);
    EXPECT_EQ(stat->score, 1);

    // Only the lock itself counts towards clearing; what it opens does not.
    EXPECT_EQ(lock2->Damage({.physical = 1}, stat, level.bricks), 1);
    for (const BrickPtr& gone : {door1, door2, vault}) {
        EXPECT_EQ(gone->isLive, 0);
        EXPECT_EQ(CurrentAnimation(gone), "kill");
        EXPECT_EQ(gone->powerupCount, 1);
    }
    EXPECT_EQ(door1->powerupToGenerate, "grow");
    EXPECT_EQ(other->isLive, 1);
    EXPECT_EQ(stat->score, 1 + 1 + 100 + 100 + 1000);
}

TEST_F(BrickTest, KeyedBrickGoesThroughAtMostTenForms) {
    struct Case {
        int forms;
        int isLive;
        const char* lastName;
    } cases[] = {{1, 0, "f0"}, {3, 0, "f2"}, {10, 0, "f9"}, {11, 1, "f10"}, {13, 1, "f10"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.forms);
        TestPack p;
        p.sprites = {BrickSprite("block")};
        std::vector<std::string> elements = {BrickXml("lock", "<keyBrickName>f0</keyBrickName>")};
        int64_t expected = 0;
        for (int k = 0; k < c.forms; ++k) {
            std::string next = k + 1 < c.forms ? "<nextBrickName>f" + std::to_string(k + 1) + "</nextBrickName>" : "";
            elements.push_back(
                BrickXml("f" + std::to_string(k), next + "<points>" + std::to_string(1 << k) + "</points>"));
            if (k < 10) expected += 1 << k;
        }
        p.Load(elements);
        TestLevel l;
        BrickPtr lock = l.Place(p, "lock", 0, 0);
        BrickPtr keyed = l.Place(p, "f0", 100, 0);
        l.Start();
        auto record = std::make_shared<GameStat>();
        lock->Damage({.physical = 1}, record, l.bricks);
        EXPECT_EQ(keyed->isLive, c.isLive);
        EXPECT_EQ(keyed->name, c.lastName);
        EXPECT_EQ(record->score, expected);
        l.Unlink();
        p.Unlink();
    }
}

TEST_F(BrickTest, EveryFormScoresAndOnlyTheLastCounts) {
    pack.Load({BrickXml("b0", "<points>10</points><nextBrickName>b1</nextBrickName>"),
               BrickXml("b1", "<points>20</points><strength>2</strength><nextBrickName>b2</nextBrickName>"),
               BrickXml("b2", "<points>30</points>")});
    BrickPtr brick = level.Add(pack, "<brick><brickName>b0</brickName><x>100</x><y>100</y><xScale>2</xScale></brick>");
    BrickPtr neighbour = level.Place(pack, "b0", 160, 100);
    level.Start();
    const std::vector<BrickPtr> neighbours = brick->adjacentBricks;
    ASSERT_EQ(neighbours, std::vector<BrickPtr>{neighbour});
    brick->ttRecover = 1.0f;
    brick->powerupToGenerate = "kept";

    struct Hit {
        int result;
        const char* name;
        int strength;
        int64_t score;
        int isLive;
        const char* animation;
    } hits[] = {
        {0, "b1", 2, 10, 1, "sound_struck"},
        {0, "b1", 1, 10, 1, "sound_struck"},
        {0, "b2", 1, 30, 1, "sound_struck"},
        {1, "b2", 0, 60, 0, "kill"},
    };
    for (const Hit& h : hits) {
        SCOPED_TRACE(h.name + std::string(" ") + std::to_string(h.score));
        EXPECT_EQ(brick->Damage({.physical = 1}, stat, level.bricks), h.result);
        EXPECT_EQ(brick->name, h.name);
        EXPECT_EQ(brick->strength, h.strength);
        EXPECT_EQ(stat->score, h.score);
        EXPECT_EQ(brick->isLive, h.isLive);
        EXPECT_EQ(CurrentAnimation(brick), h.animation);
        // The form changes where the brick stands, at its size, still shaking from the hit.
        EXPECT_EQ(brick->brickSprite->x, 100.0f);
        EXPECT_EQ(brick->brickSprite->absX, 100.0f);
        EXPECT_EQ(brick->brickSprite->y, 100.0f);
        EXPECT_EQ(brick->brickSprite->xScale, 2.0f);
        EXPECT_EQ(brick->brickSprite->absXScale, 2.0f);
        EXPECT_EQ(brick->brickSprite->shake, 3.0f);
        EXPECT_EQ(brick->adjacentBricks, neighbours);
        EXPECT_EQ(brick->ttRecover, 1.0f);
    }
    EXPECT_NE(brick->powerupToGenerate, "kept");
    EXPECT_EQ(brick->Damage({.physical = 1}, stat, level.bricks), 0);
    EXPECT_EQ(stat->score, 60);
}

// A brick takes over its next form's powerup table as it turns into it; letting the old form go
// must not empty that table, or a brick's later forms would never drop anything.
TEST_F(BrickTest, EachFormDropsFromItsOwnTable) {
    const auto table = [](const std::string& name) {
        return "<powerupGenerated><randomData><action>" + name + "</action><value>1</value></randomData>" +
               "</powerupGenerated>";
    };
    pack.Load({BrickXml("b0", "<nextBrickName>b1</nextBrickName>" + table("zero")),
               BrickXml("b1", "<nextBrickName>b2</nextBrickName>" + table("one")), BrickXml("b2", table("two"))});
    BrickPtr brick = level.Place(pack, "b0", 0, 0);
    level.Start();
    EXPECT_EQ(brick->Die(stat, level.bricks), 0);
    EXPECT_EQ(brick->Die(stat, level.bricks), 0);
    ASSERT_EQ(brick->name, "b2");
    ASSERT_NE(brick->powerupGenerated, nullptr);
    EXPECT_EQ(brick->powerupGenerated->action, std::vector<std::string>{"two"});
    EXPECT_EQ(brick->Die(stat, level.bricks), 1);
    EXPECT_EQ(brick->powerupToGenerate, "two");
}

TEST_F(BrickTest, TurningIntoTheNextFormClearsItsFuses) {
    pack.Load({BrickXml("b0", "<nextBrickName>b1</nextBrickName>"), BrickXml("b1", "<ttl>30</ttl>")});
    BrickPtr brick = level.Place(pack, "b0", 0, 0);
    level.Start();
    brick->ttFreeze = 4.0f;
    brick->ttExplode = 4.0f;
    EXPECT_EQ(brick->Die(stat, level.bricks), 0);
    EXPECT_EQ(CurrentAnimation(brick), "Struck");
    EXPECT_EQ(brick->ttl, -1.0f);
    EXPECT_EQ(brick->ttFreeze, -1.0f);
    EXPECT_EQ(brick->ttExplode, -1.0f);
    EXPECT_EQ(brick->isLive, 1);
}

TEST_F(BrickTest, FuseShakesTheBrickHarderAndEndsItOnTime) {
    pack.Load({BrickXml("bomb", "<ttl>40</ttl>")});
    BrickPtr bomb = level.Place(pack, "bomb", 0, 0);
    level.Start();
    for (int update = 1; update <= 40; ++update) {
        SCOPED_TRACE(update);
        const int result = bomb->Update(stat, level.bricks);
        if (update < 40) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(bomb->isLive, 1);
            EXPECT_EQ(bomb->ttl, static_cast<float>(40 - update));
            // From below 30 left the shake rises to the sprite's maximum of 3.
            const float shake = update <= 11 ? 0.0f : 3.0f - static_cast<float>(41 - update) / 10.0f;
            EXPECT_FLOAT_EQ(bomb->brickSprite->shake, shake);
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(bomb->isLive, 0);
            EXPECT_EQ(CurrentAnimation(bomb), "kill");
        }
    }
    // Dead: the brick's timers stand still, only its sprite runs on.
    bomb->ttRecover = 1.0f;
    EXPECT_EQ(bomb->Update(stat, level.bricks), 0);
    EXPECT_EQ(bomb->ttRecover, 1.0f);
    EXPECT_EQ(stat->score, 0);
}

TEST_F(BrickTest, UpdateCountsTheTimersDownByTheGameSpeed) {
    struct Case {
        const char* label;
        float speed;
        int updates;
        float ttRecover;
        float ttExplode;
    } cases[] = {
        {"one tick", 1.0f, 1, -1.0f, 9.0f},
        {"half speed", 0.5f, 1, 0.5f, 9.5f},
        {"half speed, two updates", 0.5f, 2, -1.0f, 9.0f},
        {"explosion delay ends quietly", 5.0f, 2, -1.0f, -1.0f},
    };
    pack.Load({BrickXml("stone", "<isBurnable>0</isBurnable>")});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        g_gameSpeedFactor = c.speed;
        TestLevel l;
        BrickPtr brick = l.Place(pack, "stone", 0, 0);
        l.Start();
        brick->ttRecover = 1.0f;
        brick->ttExplode = 10.0f;
        for (int i = 0; i < c.updates; ++i) EXPECT_EQ(brick->Update(stat, l.bricks), 0);
        EXPECT_EQ(brick->ttRecover, c.ttRecover);
        EXPECT_EQ(brick->ttExplode, c.ttExplode);
        EXPECT_EQ(brick->isLive, 1);
        EXPECT_EQ(brick->ttl, -1.0f);
        l.Unlink();
    }
}

TEST_F(BrickTest, DrawShowsOnlyALiveBody) {
    pack.Load({BrickXml("b")});
    BrickPtr brick = level.Place(pack, "b", 0, 0);
    level.Start();
    EXPECT_EQ(brick->Draw(), 0);
    brick->brickSprite = nullptr;
    EXPECT_EQ(brick->Draw(), 0);
    EXPECT_TRUE(Logged("brick:Brick.Draw(): Attempt to access field or method of Null object"));
}

// The nain that sits on a brick.

class BrickNainTest : public BrickTest {
protected:
    NainPtr Seat(const BrickPtr& brick) {
        auto nain = std::make_shared<Nain>();
        nain->nainSprite = std::make_shared<Sprite>();
        nain->nainSprite->LoadFromXML(
            "<sprite><spriteName>gnome</spriteName><widthBound>20</widthBound>"
            "<heightBound>20</heightBound><maxShake>5</maxShake>" +
            Anim("idle") + Anim("falling") + "</sprite>");
        nain->parentBrick = brick;
        brick->currentNain = nain;
        nains.push_back(nain);
        return nain;
    }
    void TearDown() override {
        for (NainPtr& nain : nains) nain->Unlink();
        nains.clear();
        BrickTest::TearDown();
    }
    std::vector<NainPtr> nains;
};

TEST_F(BrickNainTest, AnyHitKnocksTheNainOff) {
    pack.Load({BrickXml("b", "<strength>5</strength>")});
    BrickPtr brick = level.Place(pack, "b", 0, 0);
    level.Start();
    NainPtr nain = Seat(brick);
    brick->Damage({}, stat, level.bricks);
    EXPECT_EQ(brick->currentNain, nullptr);
    EXPECT_EQ(nain->parentBrick, nullptr);
    EXPECT_EQ(nain->status, "falling");
    EXPECT_EQ(nain->nainSprite->GetCurrentAnimationName(), "falling");
}

TEST_F(BrickNainTest, TheNainShakesWithItsBrick) {
    pack.Load({BrickXml("b", "<ttl>25</ttl>")});
    BrickPtr brick = level.Place(pack, "b", 0, 0);
    level.Start();
    NainPtr nain = Seat(brick);
    brick->Update(stat, level.bricks);
    EXPECT_FLOAT_EQ(brick->brickSprite->shake, 0.5f);
    EXPECT_FLOAT_EQ(nain->nainSprite->shake, 0.5f);
    EXPECT_EQ(brick->currentNain, nain);
}

TEST_F(BrickNainTest, NextFormDropsTheNainButFinalDeathLeavesItToNotice) {
    pack.Load({BrickXml("b0", "<nextBrickName>b1</nextBrickName>"), BrickXml("b1")});
    BrickPtr brick = level.Place(pack, "b0", 0, 0);
    level.Start();
    NainPtr first = Seat(brick);
    EXPECT_EQ(brick->Die(stat, level.bricks), 0);
    EXPECT_EQ(brick->currentNain, nullptr);
    EXPECT_EQ(first->status, "falling");

    NainPtr second = Seat(brick);
    EXPECT_EQ(brick->Die(stat, level.bricks), 1);
    EXPECT_EQ(brick->isLive, 0);
    EXPECT_EQ(brick->currentNain, second);
    EXPECT_NE(second->status, "falling");
}

}  // namespace
