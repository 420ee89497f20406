// Brick templates and level bricks: the "brick" element read and written, lookup by name,
// linking of sprites, next forms and neighbours, cloning, unlinking and release.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "pieces/nain.h"
#include "test_brick_support.h"

using namespace bricktest;

namespace {

TEST_F(BrickTest, FullReadOfANameAloneGivesTheDefaults) {
    auto brick = std::make_shared<Brick>();
    EXPECT_EQ(g_debugBricksInMemory, bricksBefore + 1);
    brick->LoadFromXML("<brick><brickName>plain</brickName></brick>", 0);

    EXPECT_EQ(brick->name, "plain");
    EXPECT_EQ(brick->isSolid, 0);
    EXPECT_EQ(brick->mustClear, 1);
    EXPECT_EQ(brick->strength, 1);
    EXPECT_EQ(brick->isFreezeable, 1);
    EXPECT_EQ(brick->isBurnable, 1);
    EXPECT_EQ(brick->isExplosive, 0);
    EXPECT_EQ(brick->iceDamage, 0);
    EXPECT_EQ(brick->fireDamage, 1);
    EXPECT_EQ(brick->electricDamage, 1);
    EXPECT_EQ(brick->physicalDamage, 1);
    EXPECT_EQ(brick->isLive, 0);
    for (float timer : {brick->ttl, brick->ttFreeze, brick->ttExplode, brick->ttElectrify, brick->ttRecover}) {
        EXPECT_EQ(timer, -1.0f);
    }
    EXPECT_EQ(brick->ttShake, -999999.0f);
    ASSERT_NE(brick->powerupGenerated, nullptr);
    EXPECT_EQ(brick->powerupGenerated->Pick(), "");
    ASSERT_NE(brick->brickSprite, nullptr);
    EXPECT_TRUE(Reported("Note (Loading brick data from XML: plain)"));
    EXPECT_TRUE(Reported("Note (Brick loading mustClear: 1)"));
    EXPECT_TRUE(DebugLogLines().empty());

    // An empty element is read all the same, under an empty name.
    auto empty = std::make_shared<Brick>();
    empty->LoadFromXML("", 0);
    EXPECT_EQ(empty->name, "");
    EXPECT_NE(empty->powerupGenerated, nullptr);
    EXPECT_TRUE(Reported("Note (Loading brick data from XML: )"));
}

TEST_F(BrickTest, NameOnlyReadTouchesNothingElse) {
    auto brick = std::make_shared<Brick>();
    brick->LoadFromXML(
        "<brick><brickName>n</brickName><strength>7</strength><x>40</x>" + PowerupTable("grow") + "</brick>", 1);
    EXPECT_EQ(brick->name, "n");
    EXPECT_EQ(brick->strength, 1);
    EXPECT_EQ(brick->brickSprite->x, 0.0f);
    EXPECT_EQ(brick->powerupGenerated, nullptr);
    EXPECT_FALSE(Reported("Loading brick data"));
}

TEST_F(BrickTest, FullReadTakesEveryTag) {
    auto brick = std::make_shared<Brick>();
    brick->LoadFromXML(
        "<brick><brickName>all</brickName><ttl>12.5</ttl><ttFreeze>3</ttFreeze><ttShake>2</ttShake>"
        "<isFreezeable>0</isFreezeable><isFrozen>1</isFrozen><isConductive>0</isConductive><isElectric>1</isElectric>"
        "<isBurnable>0</isBurnable><isExplosive>1</isExplosive><isSolid>1</isSolid><iceDamage>2</iceDamage>"
        "<fireDamage>3</fireDamage><electricDamage>4</electricDamage><physicalDamage>5</physicalDamage>"
        "<MUSTCLEAR>0</MUSTCLEAR><points>150</points><strength>$10</strength><spriteName>s</spriteName>"
        "<nextBrickName>nx</nextBrickName><keyBrickName>k</keyBrickName>" +
            PowerupTable("grow") +
            "<x>10</x><y>20</y><dx>1</dx><dy>-1</dy><xScale>2</xScale><yScale>0.5</yScale></brick>",
        0);
    EXPECT_EQ(brick->ttl, 12.5f);
    EXPECT_EQ(brick->ttFreeze, 3.0f);
    EXPECT_EQ(brick->ttShake, 2.0f);
    EXPECT_EQ(brick->isFreezeable, 0);
    EXPECT_EQ(brick->isFrozen, 1);
    EXPECT_EQ(brick->isConductive, 0);
    EXPECT_EQ(brick->isElectric, 1);
    EXPECT_EQ(brick->isBurnable, 0);
    EXPECT_EQ(brick->isExplosive, 1);
    EXPECT_EQ(brick->isSolid, 1);
    EXPECT_EQ(brick->iceDamage, 2);
    EXPECT_EQ(brick->fireDamage, 3);
    EXPECT_EQ(brick->electricDamage, 4);
    EXPECT_EQ(brick->physicalDamage, 5);
    EXPECT_EQ(brick->mustClear, 0);
    EXPECT_EQ(brick->pointValue, 150);
    EXPECT_EQ(brick->strength, 16);
    EXPECT_EQ(brick->spriteName, "s");
    EXPECT_EQ(brick->nextBrickName, "nx");
    EXPECT_EQ(brick->keyBrickName, "k");
    EXPECT_EQ(brick->powerupGenerated->Pick(), "grow");
    EXPECT_EQ(brick->brickSprite->x, 10.0f);
    EXPECT_EQ(brick->brickSprite->y, 20.0f);
    EXPECT_EQ(brick->brickSprite->dx, 1.0f);
    EXPECT_EQ(brick->brickSprite->dy, -1.0f);
    EXPECT_EQ(brick->brickSprite->xScale, 2.0f);
    EXPECT_EQ(brick->brickSprite->yScale, 0.5f);
    EXPECT_TRUE(Reported("Note (Brick loading mustClear: 0)"));
}

TEST_F(BrickTest, LevelElementOverridesItsTemplate) {
    pack.sprites[0]->x = 7.0f;
    pack.Load({BrickXml("wall", "<strength>3</strength><isSolid>1</isSolid>" + PowerupTable("grow"))});
    BrickPtr wall = pack.bricks[0];

    BrickPtr solidOff = level.Add(pack, "<brick><brickName>wall</brickName><isSolid>0</isSolid></brick>");
    BrickPtr zeroX = level.Add(pack, "<brick><brickName>wall</brickName><x>0</x><y>0.0</y></brick>");
    BrickPtr badStrength = level.Add(pack, "<brick><brickName>wall</brickName><strength>abc</strength></brick>");
    BrickPtr placed =
        level.Add(pack, "<brick><brickName>wall</brickName><x>120</x><y>40</y><xScale>2</xScale></brick>");
    BrickPtr ownTable = level.Add(pack, "<brick><brickName>wall</brickName>" + PowerupTable("slow") + "</brick>");

    EXPECT_EQ(solidOff->isSolid, 0);
    EXPECT_EQ(zeroX->brickSprite->x, 7.0f);
    EXPECT_EQ(badStrength->strength, 3);
    EXPECT_EQ(placed->brickSprite->x, 120.0f);
    EXPECT_EQ(placed->brickSprite->y, 40.0f);
    EXPECT_EQ(placed->brickSprite->xScale, 2.0f);
    EXPECT_EQ(placed->isSolid, 1);
    // The template's table is shared by its clones; a level element's own table is not.
    EXPECT_EQ(placed->powerupGenerated, wall->powerupGenerated);
    EXPECT_NE(ownTable->powerupGenerated, wall->powerupGenerated);
    EXPECT_EQ(ownTable->powerupGenerated->Pick(), "slow");
    // Template positions never reach the pack's shared sprite through the template's element.
    EXPECT_EQ(wall->brickSprite, pack.sprites[0]);
}

TEST_F(BrickTest, GetBrickByNameFindsTheFirstExactMatch) {
    pack.Load({BrickXml("Red"), BrickXml("blue"), BrickXml("Red")});
    struct Case {
        const char* name;
        bool useEmptyArray;
        int expectedIndex;  // -1: null
    } cases[] = {
        {"Red", false, 0},   {"blue", false, 1}, {"red", false, -1},
        {"BLUE", false, -1}, {"", false, -1},    {"Red", true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.useEmptyArray ? " in an empty array" : ""));
        g_DebugLog.clear();
        std::vector<BrickPtr> empty;
        BrickPtr found = GetBrickByName(c.name, c.useEmptyArray ? empty : pack.bricks);
        if (c.expectedIndex < 0) {
            EXPECT_EQ(found, nullptr);
            EXPECT_TRUE(Logged("brick:GetBrickByName(): Not found (Could not find brick named \"" +
                               std::string(c.name) + "\".)"));
        } else {
            EXPECT_EQ(found, pack.bricks[static_cast<size_t>(c.expectedIndex)]);
            EXPECT_TRUE(DebugLogLines().empty());
        }
    }
    // A gap in the array is passed over.
    std::vector<BrickPtr> withGap = LengthenBrickArray(pack.bricks);
    std::reverse(withGap.begin(), withGap.end());
    EXPECT_EQ(GetBrickByName("Red", withGap), pack.bricks[2]);
}

TEST_F(BrickTest, WrittenElementHoldsNamePositionAndScaleOnly) {
    pack.Load({BrickXml("a<b", "<strength>4</strength>")});
    BrickPtr brick = level.Add(
        pack,
        "<brick><brickName>a&lt;b</brickName><x>100</x><y>40.5</y><xScale>2</xScale><strength>9</strength></brick>");
    const std::string expected =
        "<brick>\n\t<brickName>a&lt;b</brickName>\n\t<x>100.000000</x>\n\t<y>40.5000000</y>\n"
        "\t<xScale>2.00000000</xScale>\n\t<yScale>1.00000000</yScale>\n</brick>\n";
    EXPECT_EQ(brick->WriteToXML(1), expected);
    EXPECT_EQ(brick->WriteToXML(0), expected);

    // Read back the way a level file is: place and scale return, the rest is the template's.
    BrickPtr back = level.Add(pack, brick->WriteToXML(1));
    EXPECT_EQ(back->name, "a<b");
    EXPECT_EQ(back->brickSprite->x, 100.0f);
    EXPECT_EQ(back->brickSprite->y, 40.5f);
    EXPECT_EQ(back->brickSprite->xScale, 2.0f);
    EXPECT_EQ(back->strength, 4);
}

TEST_F(BrickTest, NeighboursAreBricksWithinAQuarterPixel) {
    // The second brick beside or below the first (30 x 15 at 100, 100).
    struct Case {
        const char* label;
        float x, y;
        bool neighbours;
    } cases[] = {
        {"edge to edge", 130.0f, 100.0f, true},  {"0.25 apart", 130.25f, 100.0f, true},
        {"0.3 apart", 130.3f, 100.0f, false},    {"below, 0.25 apart", 100.0f, 115.25f, true},
        {"only a corner", 130.0f, 115.0f, true}, {"corner 0.3 apart", 130.3f, 115.3f, false},
        {"overlapping", 110.0f, 105.0f, true},   {"far away", 300.0f, 300.0f, false},
    };
    pack.Load({BrickXml("b")});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TestLevel row;
        BrickPtr a = row.Place(pack, "b", 100.0f, 100.0f);
        BrickPtr b = row.Place(pack, "b", c.x, c.y);
        row.Start();
        if (c.neighbours) {
            ASSERT_EQ(a->adjacentBricks.size(), 1u);
            ASSERT_EQ(b->adjacentBricks.size(), 1u);
            EXPECT_EQ(a->adjacentBricks[0], b);
            EXPECT_EQ(b->adjacentBricks[0], a);
        } else {
            EXPECT_TRUE(a->adjacentBricks.empty());
            EXPECT_TRUE(b->adjacentBricks.empty());
        }
        row.Unlink();
    }
}

TEST_F(BrickTest, LinkingAgainAddsEveryNeighbourOnceMore) {
    pack.Load({BrickXml("b")});
    BrickPtr left = level.Place(pack, "b", 100, 100);
    BrickPtr middle = level.Place(pack, "b", 130, 100);
    BrickPtr right = level.Place(pack, "b", 160, 100);
    level.Start();
    EXPECT_EQ(left->adjacentBricks.size(), 1u);
    EXPECT_EQ(middle->adjacentBricks, (std::vector<BrickPtr>{left, right}));
    LinkBricks(level.bricks, {}, 1);
    EXPECT_EQ(middle->adjacentBricks, (std::vector<BrickPtr>{left, right, left, right}));
    EXPECT_EQ(right->adjacentBricks, (std::vector<BrickPtr>{middle, middle}));
}

TEST_F(BrickTest, TemplatesShareTheirSpriteAndClonesOwnOne) {
    pack.sprites.push_back(BrickSprite("other"));
    pack.Load({BrickXml("a"), BrickXml("b"), BrickXml("c", "", "other")});
    EXPECT_EQ(pack.bricks[0]->brickSprite, pack.sprites[0]);
    EXPECT_EQ(pack.bricks[1]->brickSprite, pack.sprites[0]);
    EXPECT_EQ(pack.bricks[2]->brickSprite, pack.sprites[1]);

    BrickPtr one = level.Place(pack, "a", 0, 0);
    BrickPtr two = level.Place(pack, "a", 40, 0);
    EXPECT_NE(one->brickSprite, pack.sprites[0]);
    EXPECT_NE(one->brickSprite, two->brickSprite);
    EXPECT_EQ(one->brickSprite->name, "block");
    EXPECT_EQ(one->brickSprite->animationArray.size(), pack.sprites[0]->animationArray.size());

    // Adjacency only: names are not resolved again.
    SpritePtr own = one->brickSprite;
    one->nextBrickName = "b";
    LinkBricks(level.bricks, pack.sprites, 1);
    EXPECT_EQ(one->brickSprite, own);
    EXPECT_EQ(one->nextBrick, nullptr);
}

TEST_F(BrickTest, CloneCopiesTheWholeChainOfNextForms) {
    pack.Load({BrickXml("a", "<nextBrickName>b</nextBrickName><points>1</points><keyBrickName>k</keyBrickName>"),
               BrickXml("b", "<nextBrickName>c</nextBrickName><points>2</points>"),
               BrickXml("c", "<points>3</points><ttShake>4</ttShake>")});
    EXPECT_TRUE(Reported("Note (Linked brick b to c)"));
    BrickPtr a = pack.bricks[0], b = pack.bricks[1], c = pack.bricks[2];
    EXPECT_EQ(a->nextBrick, b);
    EXPECT_EQ(b->nextBrick, c);
    EXPECT_EQ(c->nextBrick, nullptr);

    a->ttExplode = 5.0f;
    a->ttRecover = 1.0f;
    a->powerupToGenerate = "grow";
    a->powerupCount = 3;
    a->isLive = 1;
    BrickPtr copy = level.Place(pack, "a", 10, 10);
    EXPECT_EQ(copy->keyBrickName, "k");
    EXPECT_EQ(copy->isLive, 1);
    // Timers of play, the powerup drawn and the neighbours are the brick's own.
    EXPECT_EQ(copy->ttExplode, -1.0f);
    EXPECT_EQ(copy->ttRecover, -1.0f);
    EXPECT_EQ(copy->powerupToGenerate, "");
    EXPECT_EQ(copy->powerupCount, 0);

    ASSERT_NE(copy->nextBrick, nullptr);
    EXPECT_NE(copy->nextBrick, b);
    EXPECT_EQ(copy->nextBrick->name, "b");
    EXPECT_EQ(copy->nextBrick->pointValue, 2);
    ASSERT_NE(copy->nextBrick->nextBrick, nullptr);
    EXPECT_NE(copy->nextBrick->nextBrick, c);
    EXPECT_EQ(copy->nextBrick->nextBrick->name, "c");
    EXPECT_EQ(copy->nextBrick->nextBrick->ttShake, 4.0f);
    EXPECT_EQ(copy->nextBrick->nextBrick->nextBrick, nullptr);
    EXPECT_NE(copy->nextBrick->nextBrick->brickSprite, c->brickSprite);
    // The templates are as they were.
    EXPECT_EQ(a->nextBrick, b);
    EXPECT_EQ(b->nextBrick, c);
}

TEST_F(BrickTest, CloneFromABrickWithoutSpriteStopsAfterTheFirstFields) {
    pack.Load(
        {BrickXml("bare", "<strength>5</strength><ttl>9</ttl><ttShake>3</ttShake><keyBrickName>k</keyBrickName>")});
    pack.bricks[0]->brickSprite = nullptr;
    auto copy = std::make_shared<Brick>();
    copy->Clone(pack.bricks[0]);

    EXPECT_TRUE(Reported("Note (Problem! Cloning to bare from bare)"));
    EXPECT_TRUE(Logged("brick:Brick.Clone(): Brick sprite to clone is null!"));
    EXPECT_EQ(copy->name, "bare");
    EXPECT_EQ(copy->strength, 5);
    EXPECT_EQ(copy->ttl, 9.0f);
    EXPECT_EQ(copy->powerupGenerated, pack.bricks[0]->powerupGenerated);
    ASSERT_NE(copy->brickSprite, nullptr);
    EXPECT_EQ(copy->brickSprite->name, "");
    EXPECT_EQ(copy->keyBrickName, "");
    EXPECT_EQ(copy->ttShake, -999999.0f);
    copy->Unlink();
}

TEST_F(BrickTest, UnlinkLeavesGapsInTheNeighboursAndEmptiesTheSharedTable) {
    pack.Load({BrickXml("b", PowerupTable("grow") + "<nextBrickName>n</nextBrickName>"), BrickXml("n")});
    BrickPtr left = level.Place(pack, "b", 100, 100);
    BrickPtr middle = level.Place(pack, "b", 130, 100);
    BrickPtr right = level.Place(pack, "b", 160, 100);
    level.Start();
    RandomPtr table = pack.bricks[0]->powerupGenerated;
    SpritePtr sprite = middle->brickSprite;

    middle->Unlink();
    EXPECT_EQ(left->adjacentBricks, (std::vector<BrickPtr>{nullptr}));
    EXPECT_EQ(right->adjacentBricks, (std::vector<BrickPtr>{nullptr}));
    EXPECT_TRUE(middle->adjacentBricks.empty());
    EXPECT_EQ(middle->brickSprite, nullptr);
    EXPECT_EQ(middle->nextBrick, nullptr);
    EXPECT_EQ(middle->powerupGenerated, nullptr);
    EXPECT_TRUE(sprite->animationArray.empty());
    // The template's table went with it: the pack reloads tables before each level.
    EXPECT_EQ(table->Pick(), "");
    EXPECT_EQ(middle->name, "b");

    middle->Unlink();
    EXPECT_EQ(left->adjacentBricks.size(), 1u);
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(BrickTest, GrowthFunctionsReturnLongerCopies) {
    std::vector<BrickPtr> none;
    std::vector<BrickPtr> one = AppendNewBrick(none);
    EXPECT_TRUE(none.empty());
    ASSERT_EQ(one.size(), 1u);
    ASSERT_NE(one[0], nullptr);
    EXPECT_EQ(one[0]->isLive, 0);
    EXPECT_EQ(g_debugBricksInMemory, bricksBefore + 1);

    std::vector<BrickPtr> three = AppendNewBrick(AppendNewBrick(one));
    std::vector<BrickPtr> four = LengthenBrickArray(three);
    EXPECT_EQ(three.size(), 3u);
    ASSERT_EQ(four.size(), 4u);
    EXPECT_EQ(four[0], one[0]);
    EXPECT_EQ(four[3], nullptr);
    EXPECT_EQ(g_debugBricksInMemory, bricksBefore + 3);
}

// Content faults found when the pack is linked.

TEST_F(BrickTest, MissingSpriteKeepsABlankBodyThatStillPlays) {
    pack.Load({BrickXml("ghost", "<points>5</points>", "nowhere")});
    BrickPtr ghost = pack.bricks[0];
    EXPECT_TRUE(Logged(" ERR: Not found (Could not find sprite named \"nowhere\".)"));
    ASSERT_NE(ghost->brickSprite, nullptr);
    EXPECT_EQ(ghost->brickSprite->name, "");

    BrickPtr brick = level.Place(pack, "ghost", 50, 50);
    level.Start();
    ASSERT_NE(brick->brickSprite, nullptr);
    EXPECT_EQ(brick->Update(stat, level.bricks), 0);
    EXPECT_EQ(brick->Draw(), 0);
    EXPECT_EQ(brick->Damage({.physical = 1}, stat, level.bricks), 1);
    EXPECT_EQ(brick->isLive, 0);
    // Without a "kill" animation the body goes at once.
    EXPECT_EQ(brick->brickSprite->isLive, 0);
    EXPECT_EQ(stat->score, 5);
    EXPECT_FALSE(Logged("brick:"));
}

TEST_F(BrickTest, MissingNextFormLetsTheBrickDieForGood) {
    pack.Load({BrickXml("cracked", "<nextBrickName>gone</nextBrickName><points>10</points>")});
    EXPECT_TRUE(Logged("brick:GetBrickByName(): Not found (Could not find brick named \"gone\".)"));
    EXPECT_FALSE(Reported("Linked brick cracked"));
    EXPECT_EQ(pack.bricks[0]->nextBrick, nullptr);
    EXPECT_EQ(pack.bricks[0]->nextBrickName, "");

    // The same for a level element that names a next form its template does not have.
    BrickPtr linked = level.Place(pack, "cracked", 0, 0);
    BrickPtr named = level.Add(pack,
                               "<brick><brickName>cracked</brickName><nextBrickName>gone</nextBrickName>"
                               "<x>100</x></brick>");
    level.Start();
    for (const BrickPtr& brick : {linked, named}) {
        SCOPED_TRACE(brick->nextBrickName);
        const int64_t before = stat->score;
        EXPECT_EQ(brick->Damage({.physical = 1}, stat, level.bricks), 1);
        EXPECT_EQ(brick->isLive, 0);
        EXPECT_EQ(CurrentAnimation(brick), "kill");
        EXPECT_EQ(brick->Damage({.physical = 1}, stat, level.bricks), 0);
        EXPECT_EQ(stat->score, before + 10);
    }
}

TEST_F(BrickTest, LoopOfNextFormsIsCutAtLinking) {
    pack.Load({BrickXml("loopA", "<nextBrickName>loopB</nextBrickName><points>1</points>"),
               BrickXml("loopB", "<nextBrickName>loopA</nextBrickName><points>2</points>"),
               BrickXml("self", "<nextBrickName>self</nextBrickName><points>4</points>")});
    BrickPtr a = pack.bricks[0], b = pack.bricks[1], self = pack.bricks[2];
    EXPECT_TRUE(Logged("brick:LinkBricks(): Next form of brick \"loopB\" leads back to \"loopA\""));
    EXPECT_TRUE(Logged("brick:LinkBricks(): Next form of brick \"self\" leads back to \"self\""));
    EXPECT_EQ(a->nextBrick, b);
    EXPECT_EQ(b->nextBrick, nullptr);
    EXPECT_EQ(b->nextBrickName, "");
    EXPECT_EQ(self->nextBrick, nullptr);
    EXPECT_EQ(self->nextBrickName, "");

    BrickPtr brick = level.Place(pack, "loopA", 0, 0);
    BrickPtr single = level.Place(pack, "self", 100, 0);
    level.Start();
    EXPECT_EQ(brick->Damage({.physical = 1}, stat, level.bricks), 0);
    EXPECT_EQ(brick->name, "loopB");
    EXPECT_EQ(brick->Damage({.physical = 1}, stat, level.bricks), 1);
    EXPECT_EQ(single->Damage({.physical = 1}, stat, level.bricks), 1);
    EXPECT_EQ(stat->score, 1 + 2 + 4);
}

TEST_F(BrickTest, UnlinkedBricksNainsAndSpritesAreAllReleased) {
    auto gnome = std::make_shared<Sprite>();
    gnome->LoadFromXML(
        "<sprite><spriteName>gnome</spriteName><widthBound>20</widthBound><heightBound>20</heightBound>" +
        Anim("idle") + Anim("falling") + "</sprite>");
    pack.Load({BrickXml("a", "<nextBrickName>b</nextBrickName>" + PowerupTable("grow")), BrickXml("b")});
    level.Place(pack, "a", 100, 100);
    BrickPtr seat = level.Place(pack, "a", 130, 100);
    level.Place(pack, "b", 160, 100);
    level.Start();
    auto nain = std::make_shared<Nain>();
    nain->nainSprite = std::make_shared<Sprite>();
    nain->nainSprite->Clone(gnome, nullptr);
    nain->parentBrick = seat;
    seat->currentNain = nain;
    // A hit that turns the brick into its next form on the way.
    level.bricks[0]->Damage({.physical = 1}, stat, level.bricks);
    seat.reset();

    level.Unlink();
    nain->Unlink();
    nain.reset();
    gnome->Unlink();
    gnome.reset();
    pack.Unlink();
    EXPECT_EQ(g_debugBricksInMemory, bricksBefore);
    EXPECT_EQ(g_debugSpritesInMemory, spritesBefore);
}

}  // namespace
