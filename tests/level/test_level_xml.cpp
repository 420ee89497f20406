// The level loader: list entries, the full level file, bricks over the pack's templates, the
// collision bound, the shield, the background and the chosen difficulty.
#include <gtest/gtest.h>

#include "level/test_level_xml_support.h"
#include "platform/files.h"
#include "support/support.h"

namespace leveltest {
namespace {

// ---------------------------------------------------------------------------
// Header-only loads

struct HeaderCase {
    const char* label;
    std::string xml;
    std::string nameBefore;
    std::string fileBefore;
    std::string name;
    std::string file;
};

TEST_F(LevelTest, HeaderOnlyLoadReadsNameAndFileAlone) {
    const HeaderCase cases[] = {
        {"entry", "<level><levelName>Alpha</levelName><fileName>a.xml</fileName></level>", "", "", "Alpha", "a.xml"},
        {"no file name", "<level><levelName>Beta</levelName></level>", "", "old.xml", "Beta", ""},
        {"no level name", "<level><fileName>c.xml</fileName></level>", "Kept", "", "Kept", "c.xml"},
        {"escaped name", "<level><levelName>R&amp;D &lt;1&gt;</levelName><fileName>d.xml</fileName></level>", "", "",
         "R&amp;D <1>", "d.xml"},
        {"whole level", PackFile("levels/first.xml") + "<fileName>first.xml</fileName>", "", "", "First Steps",
         "first.xml"},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.label);
        ClearDebugLog();
        auto level = std::make_shared<Level>();
        level->name = c.nameBefore;
        level->nameOfFile = c.fileBefore;
        const LevelSources templates{.bricks = pack.bricks,
                                     .sprites = pack.sprites,
                                     .powerups = pack.powerups,
                                     .weapons = pack.weapons,
                                     .balls = pack.balls};
        EXPECT_EQ(level->LoadFromXML(c.xml, templates, 1, "", nullptr), 0);
        EXPECT_EQ(level->name, c.name);
        EXPECT_EQ(level->nameOfFile, c.file);
        // Nothing else is read, reset or reported.
        EXPECT_TRUE(level->music.empty());
        EXPECT_TRUE(level->bricksArray.empty());
        EXPECT_TRUE(level->goalsArray.empty());
        EXPECT_EQ(level->playerPaddle, nullptr);
        EXPECT_EQ(level->brickShield, nullptr);
        EXPECT_FLOAT_EQ(level->levelStartTTL, 25.0f);
        EXPECT_FLOAT_EQ(level->gameOver, -1.0f);
        EXPECT_EQ(g_DebugLog, "");
    }
}

TEST_F(LevelTest, PackLevelListHoldsHeaderEntries) {
    ASSERT_EQ(pack.levels.size(), 2u);
    EXPECT_EQ(pack.levels[0]->name, "First Steps");
    EXPECT_EQ(pack.levels[0]->nameOfFile, PackPath() + "levels/first.xml");
    EXPECT_EQ(pack.levels[1]->name, "Steel Rows");
    EXPECT_EQ(GetLevelByName("Steel Rows", pack.levels), pack.levels[1]);
    EXPECT_TRUE(pack.levels[0]->bricksArray.empty());
}

// ---------------------------------------------------------------------------
// The full load

TEST_F(LevelTest, FullLoadBuildsTheLevelFromItsFile) {
    g_paddlePositionModifier = 3.0f;
    const std::string path = PackPath() + "levels/first.xml";
    LevelPtr level = LoadFile(path);

    EXPECT_EQ(level->name, "First Steps");
    EXPECT_EQ(level->music, "tune_one");
    EXPECT_FLOAT_EQ(g_paddlePositionModifier, 1.0f);
    EXPECT_EQ(level->updateCounter, 0);
    EXPECT_FLOAT_EQ(level->levelStartTTL, 25.0f);

    // The paddle and its template: separate objects with separate bodies.
    ASSERT_NE(level->playerPaddle, nullptr);
    ASSERT_NE(level->playerPaddleSource, nullptr);
    EXPECT_NE(level->playerPaddle->paddleSprite, level->playerPaddleSource->paddleSprite);
    EXPECT_FLOAT_EQ(level->playerPaddle->paddleSprite->xScale, 1.2f);
    EXPECT_FLOAT_EQ(level->playerPaddle->paddleSprite->widthBound, 100.0f);

    ASSERT_EQ(level->goalsArray.size(), 2u);
    EXPECT_EQ(level->goalsArray[0]->successAction, "Steel Rows");
    EXPECT_EQ(level->goalsArray[1]->repeats, 2);

    // Each ball element gives a live ball and a template, both read from the same text.
    const std::string file = PackFile("levels/first.xml");
    ASSERT_EQ(level->ballsArray.size(), 2u);
    ASSERT_EQ(level->newBallsSourceArray.size(), 2u);
    EXPECT_EQ(level->ballXML, ExtractTagFromXML(file, "ball", 0) + ExtractTagFromXML(file, "ball", 1));
    EXPECT_NE(level->ballsArray[0], level->newBallsSourceArray[0]);
    EXPECT_FLOAT_EQ(level->ballsArray[0]->ballSprite->x, 340.0f);
    EXPECT_FLOAT_EQ(level->newBallsSourceArray[0]->ballSprite->x, 340.0f);
    EXPECT_EQ(level->ballsArray[0]->isStuck, 41);

    ASSERT_EQ(level->sourceNainsArray.size(), 1u);
    EXPECT_EQ(level->sourceNainsArray[0]->name, "thrower");
    EXPECT_TRUE(level->nainsArray.empty());
    ASSERT_EQ(level->difficultyArray.size(), 2u);
    EXPECT_EQ(level->difficultyArray[0]->name, "hard");
    EXPECT_EQ(level->difficultyArray[1]->name, "Easy");

    // The pack's templates come as the level's own copies.
    ASSERT_EQ(level->sourcePowerupsArray.size(), 2u);
    EXPECT_EQ(level->sourcePowerupsArray[1]->name, "wall");
    EXPECT_NE(level->sourcePowerupsArray[1], pack.powerups[1]);
    ASSERT_EQ(level->sourceProjectilesArray.size(), 1u);
    EXPECT_EQ(level->sourceProjectilesArray[0]->name, "rock");
    EXPECT_NE(level->sourceProjectilesArray[0], pack.projectiles[0]);
    ASSERT_EQ(level->sourceWeaponsArray.size(), 1u);
    EXPECT_EQ(level->sourceWeaponsArray[0]->weaponName, "blaster");
    ASSERT_EQ(level->sourceBallsArray.size(), 1u);
    EXPECT_NE(level->sourceBallsArray[0], pack.balls[0]);
    EXPECT_TRUE(level->powerupsArray.empty());
    EXPECT_TRUE(level->projectilesArray.empty());
    EXPECT_EQ(level->activeWeapon, nullptr);

    EXPECT_EQ(level->backgroundImageName, "levels/field.png");
    ASSERT_NE(level->backgroundImage, nullptr);
    EXPECT_FLOAT_EQ(level->backgroundImage->width, 6.0f);

    // The empty shield along the bottom of the field.
    ASSERT_NE(level->brickShield, nullptr);
    EXPECT_FLOAT_EQ(level->brickShield->minX, 4.0f);
    EXPECT_FLOAT_EQ(level->brickShield->maxX, 724.0f);
    EXPECT_FLOAT_EQ(level->brickShield->minY, g_BrickShieldY);
    EXPECT_FLOAT_EQ(level->brickShield->maxY, g_BrickShieldY + 50.0f);
    EXPECT_TRUE(level->brickShield->bricksToCheck.empty());
    EXPECT_FALSE(level->brickBoxArray.empty());

    EXPECT_TRUE(LogHasInOrder({
        Note("reading file: " + path),
        Note("Loading level data from XML: First Steps"),
        Note("   Loading goal data from XML...(0 of 0)"),
        Note("   Loading goal data from XML...(1 of 1)"),
        Note("   Loading ball data from XML...(0 of 0)"),
        Note("   Loading ball data from XML...(1 of 1)"),
        Note("   Loading nain data from XML...(0 of 0)"),
        Note("   Loading difficulty data from XML...(0 of 0)"),
        Note("   Loading difficulty data from XML...(1 of 1)"),
        Note("Collision Bound: 40.0000000,10.0000000 to 210.000000,80.0000000"),
        Note("Level background: " + PackPath() + "levels/field.png"),
        Note("Checking for level difficluty level: \"Normal\""),
        Note("No difficulty set: checking for pack difficluty level \"Normal\""),
        Note("Setting pack difficulty level: \"Normal\""),
        Note("Finished Loading Level!"),
    })) << g_DebugLog;
    EXPECT_FALSE(LogHas("Failed to load background image!"));
    EXPECT_FALSE(LogHas(" ERR: "));
}

TEST_F(LevelTest, LevelBricksAreTemplateCopiesWithTheirElementOnTop) {
    LevelPtr level = LoadFile(PackPath() + "levels/first.xml");
    ASSERT_EQ(level->bricksArray.size(), 4u);
    const BrickPtr armoured = level->bricksArray[1];
    const BrickPtr templ = pack.Brick("armoured");
    EXPECT_EQ(armoured->name, "armoured");
    EXPECT_EQ(armoured->strength, 2);
    EXPECT_EQ(armoured->pointValue, 25);
    EXPECT_EQ(armoured->isSolid, 1);
    ASSERT_NE(armoured->nextBrick, nullptr);
    EXPECT_EQ(armoured->nextBrick->name, "red");
    EXPECT_NE(armoured->nextBrick, pack.Brick("red"));
    // Its own body, placed by the element.
    EXPECT_NE(armoured->brickSprite, templ->brickSprite);
    EXPECT_FLOAT_EQ(armoured->brickSprite->x, 100.0f);
    EXPECT_FLOAT_EQ(armoured->brickSprite->y, 10.0f);
    EXPECT_FLOAT_EQ(templ->brickSprite->x, 0.0f);

    // The red brick whose element says mustClear 0 does not count, nor does steel.
    EXPECT_EQ(level->bricksArray[3]->mustClear, 0);
    EXPECT_EQ(pack.Brick("red")->mustClear, 1);
    EXPECT_EQ(level->mustClearBrickCount, 2);

    // Adjacency is built among the level's bricks: in the second level the red brick touches
    // the armoured one on its right and the steel one below.
    LevelPtr rows = LoadFile(PackPath() + "levels/second.xml");
    ASSERT_EQ(rows->bricksArray.size(), 3u);
    EXPECT_EQ(rows->bricksArray[0]->adjacentBricks,
              (std::vector<BrickPtr>{rows->bricksArray[1], rows->bricksArray[2]}));
    EXPECT_TRUE(level->bricksArray[0]->adjacentBricks.empty());
}

struct BoundCase {
    const char* label;
    std::string bricks;
    float minX, minY, maxX, maxY;
    int mustClear;
    std::string note;
};

TEST_F(LevelTest, CollisionBoundGathersTheBrickRectangles) {
    auto brick = [](const std::string& name, const std::string& x, const std::string& y,
                    const std::string& extra = "") {
        return "<brick><brickName>" + name + "</brickName><x>" + x + "</x><y>" + y + "</y>" + extra + "</brick>";
    };
    const BoundCase cases[] = {
        {"two bricks", brick("red", "40", "30") + brick("red", "100", "10"), 40, 10, 150, 50, 2,
         "Collision Bound: 40.0000000,10.0000000 to 150.000000,50.0000000"},
        {"no bricks", "", 999999.0f, 999999.0f, 0, 0, 0,
         "Collision Bound: 999999.000,999999.000 to 0.00000000,0.00000000"},
        {"scaled brick", brick("steel", "200", "300", "<xScale>2</xScale><yScale>0.5</yScale>"), 200, 300, 300, 310, 0,
         "Collision Bound: 200.000000,300.000000 to 300.000000,310.000000"},
    };
    for (const BoundCase& c : cases) {
        SCOPED_TRACE(c.label);
        ClearDebugLog();
        LevelPtr level = LoadText("<level><levelName>Bound</levelName>" + c.bricks + "</level>");
        EXPECT_FLOAT_EQ(level->brickMinX, c.minX);
        EXPECT_FLOAT_EQ(level->brickMinY, c.minY);
        EXPECT_FLOAT_EQ(level->brickMaxX, c.maxX);
        EXPECT_FLOAT_EQ(level->brickMaxY, c.maxY);
        EXPECT_EQ(level->mustClearBrickCount, c.mustClear);
        EXPECT_TRUE(LogHas(Note(c.note) + "\n")) << g_DebugLog;
    }
}

TEST_F(LevelTest, OnlyTheFirstPaddleElementCounts) {
    LevelPtr level = LoadText(
        "<level><levelName>Two paddles</levelName>"
        "<paddle><spriteName>paddle_sprite</spriteName><xScale>1.5</xScale></paddle>"
        "<paddle><spriteName>paddle_sprite</spriteName><xScale>3</xScale></paddle></level>");
    ASSERT_NE(level->playerPaddle, nullptr);
    EXPECT_FLOAT_EQ(level->playerPaddle->paddleSprite->xScale, 1.5f);
    EXPECT_FLOAT_EQ(level->playerPaddleSource->paddleSprite->xScale, 1.5f);
}

TEST_F(LevelTest, MissingBackgroundIsNotedAndTheLoadGoesOn) {
    LevelPtr level = LoadText("<level><levelName>Dark</levelName><background>levels/none.png</background></level>");
    EXPECT_EQ(level->backgroundImageName, "levels/none.png");
    EXPECT_EQ(level->backgroundImage, nullptr);
    EXPECT_TRUE(LogHasInOrder({Note("Level background: " + PackPath() + "levels/none.png"),
                               Note("Failed to load background image!"), Note("Finished Loading Level!")}));
}

// ---------------------------------------------------------------------------
// A brick the pack lacks

TEST_F(LevelTest, UnknownBrickIsReportedAndLeftOut) {
    struct Case {
        const char* label;
        std::string file;
        std::vector<float> xs;  // the bricks kept, by position
        float minX, maxX;
    };
    const Case cases[] = {
        {"one unknown among red", "levels/unknown.xml", {100.0f, 200.0f}, 100.0f, 250.0f},
        {"nothing but unknown", "", {}, 999999.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ClearDebugLog();
        LevelPtr level =
            c.file.empty() ? LoadText(
                                 "<level><levelName>Odd</levelName><brick><brickName>purple</brickName><x>5</x></brick>"
                                 "<brick><brickName>Red</brickName><x>9</x></brick></level>")
                           : LoadFile(PackPath() + c.file);
        ASSERT_EQ(level->bricksArray.size(), c.xs.size());
        for (size_t i = 0; i < c.xs.size(); ++i) {
            EXPECT_EQ(level->bricksArray[i]->name, "red");
            EXPECT_EQ(level->bricksArray[i]->spriteName, "brick_sprite");
            EXPECT_FLOAT_EQ(level->bricksArray[i]->brickSprite->x, c.xs[i]);
        }
        // Only bricks that exist count, so the level can be cleared.
        EXPECT_EQ(level->mustClearBrickCount, static_cast<int>(c.xs.size()));
        EXPECT_FLOAT_EQ(level->brickMinX, c.minX);
        EXPECT_FLOAT_EQ(level->brickMaxX, c.maxX);
        EXPECT_TRUE(LogHas("Not found (Could not find brick named \"purple\".)"));
        EXPECT_TRUE(LogHas(Note("Finished Loading Level!")));
    }
}

// ---------------------------------------------------------------------------
// A level file that cannot be read

TEST_F(LevelTest, MissingLevelFileIsReportedAndLoadsEmpty) {
    const std::string cases[] = {PackPath() + "levels/missing.xml", "", PackPath() + "levels"};
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        ClearDebugLog();
        g_gameSpeedDifficultyAdjust = 7.0f;
        LevelPtr level = LoadFile(path, "Hard");
        EXPECT_TRUE(LogHas(path.empty() ? " ERR: Could not read\n" : "Could not read (" + path + ")")) << g_DebugLog;
        ASSERT_NE(level->playerPaddle, nullptr);
        EXPECT_TRUE(level->bricksArray.empty());
        EXPECT_TRUE(level->ballsArray.empty());
        EXPECT_TRUE(level->goalsArray.empty());
        EXPECT_EQ(level->mustClearBrickCount, 0);
        EXPECT_EQ(level->backgroundImage, nullptr);
        ASSERT_NE(level->brickShield, nullptr);
        // The pack's difficulty of the chosen name still applies.
        EXPECT_FLOAT_EQ(g_gameSpeedDifficultyAdjust, 1.25f);
        EXPECT_FLOAT_EQ(stat->difficultyPointModifier, 2.0f);
        EXPECT_TRUE(LogHasInOrder({Note("Collision Bound: 999999.000,999999.000 to 0.00000000,0.00000000"),
                                   Note("Failed to load background image!"),
                                   Note("Setting pack difficulty level: \"Hard\""), Note("Finished Loading Level!")}));
    }
}

TEST_F(LevelTest, ALevelFileCutShortOrGarbledIsReportedWithItsPath) {
    std::string whole;
    ASSERT_TRUE(ReadWholeFile(PackPath() + "levels/first.xml", whole));
    ASSERT_NE(whole.find("</level>"), std::string::npos);
    const struct {
        const char* what;
        std::string text;
        bool reported;
    } cases[] = {
        {"the whole file", whole, false},
        {"cut short", whole.substr(0, whole.size() / 2), true},
        {"garbage", std::string("\x89PNG\r\n\x1a\n\0not a level", 19), true},
        {"empty", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearDebugLog();
        const std::string path = ScratchPath() + "/level.xml";
        ASSERT_EQ(WriteWholeFile(path, c.text), 1);
        LevelPtr level = LoadFile(path);
        EXPECT_EQ(LogHas("Could not read (" + path + ")"), c.reported) << g_DebugLog;
        // What the file holds still loads, and the level is whole enough to play or to leave.
        ASSERT_NE(level->playerPaddle, nullptr);
        ASSERT_NE(level->brickShield, nullptr);
    }
}

}  // namespace
}  // namespace leveltest
