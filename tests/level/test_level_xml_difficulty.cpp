// The chosen difficulty as the level loader applies it: level entries before the pack's, every
// match in order, names without regard to case, the free ball left free, and the pack's brick
// templates never touched by the extra powerups a level adds.
#include <gtest/gtest.h>

#include <climits>

#include "level/test_level_xml_support.h"
#include "support/support.h"

namespace leveltest {
namespace {

std::string Table(const std::string& tag, const std::string& action) {
    return "<" + tag + "><randomData><action>" + action + "</action><value>1</value></randomData></" + tag + ">";
}

// One paddle, a stuck ball at offset 41, a free ball, one nain and one red brick.
std::string TuningLevel(const std::string& difficulties) {
    return "<level><levelName>Tuning</levelName>"
           "<paddle><spriteName>paddle_sprite</spriteName><xScale>2</xScale></paddle>"
           "<ball><spriteName>ball_sprite</spriteName><vel>6</vel><maxVel>12</maxVel><isStuck>41</isStuck></ball>"
           "<ball><spriteName>ball_sprite</spriteName><vel>4</vel><maxVel>10</maxVel><isStuck>-999999</isStuck></ball>"
           "<nain><name>n</name><spriteName>nain_sprite</spriteName><aggression>3</aggression><frequency>10</frequency>"
           "<maxBounces>2</maxBounces>" +
           Table("powerupGenerated", "gift") + "</nain>" +
           "<brick><brickName>red</brickName><x>100</x><y>100</y></brick>" + difficulties + "</level>";
}

std::string Entry(const std::string& body) { return "<difficulty>" + body + "</difficulty>"; }

struct DifficultyCase {
    const char* label;
    std::string chosen;
    std::string levelEntries;
    float vel, maxVel;
    int isStuck;
    float paddleXScale;
    int aggression, frequency, maxBounces;
    float points, speed;
    std::vector<std::string> brickTable, nainTable;
    std::vector<std::string> notes;     // in this order
    std::vector<std::string> notNotes;  // never reported
};

TEST_F(LevelTest, ChosenDifficultyTunesTheLevelTemplates) {
    const std::string bonusBrick = Table("extraBrickPowerups", "bonus");
    const std::string bonusNain = Table("extraNainPowerups", "bonus");
    const std::string levelNote = "Setting level difficulty level: ";
    const std::string packSearch = "No difficulty set: checking for pack difficluty level ";
    // clang-format off
    const DifficultyCase cases[] = {
        {"level entry, name in other case",
         "HARD",
         Entry("<name>Hard</name><dBallStartSpeed>1.5</dBallStartSpeed><dPaddleSize>1.5</dPaddleSize>"
               "<dNainFreq>0.75</dNainFreq><dNainAggression>1.5</dNainAggression><dNainBounces>1</dNainBounces>"
               "<dGameSpeed>0.5</dGameSpeed><dPointValues>3</dPointValues>" +
               bonusBrick + bonusNain),
         9, 12, 61, 3, 5, 8, 3, 3, 0.5f,
         {"grow", "none", "bonus"},
         {"gift", "bonus"},
         {"Checking for level difficluty level: \"HARD\"", levelNote + "\"Hard\"", "Finished Loading Level!"},
         {packSearch + "\"HARD\"", "   New ball isStuck: "}},
        {"every level match applies in order",
         "hard",
         Entry("<name>Hard</name><dBallStartSpeed>1.5</dBallStartSpeed><dNainBounces>1</dNainBounces>" + bonusBrick) +
             Entry("<name>Easy</name><dBallStartSpeed>9</dBallStartSpeed>") +
             Entry("<name>HARD</name><dBallStartSpeed>2</dBallStartSpeed><dNainBounces>2</dNainBounces>"
                   "<dPaddleSize>2</dPaddleSize><dPointValues>4</dPointValues><dGameSpeed>0.8</dGameSpeed>" +
                   bonusBrick),
         18, 12, 82, 4, 3, 10, 5, 4, 0.8f,
         {"grow", "none", "bonus", "bonus"},
         {"gift"},
         {levelNote + "\"Hard\"", levelNote + "\"HARD\""},
         {levelNote + "\"Easy\"", packSearch + "\"hard\""}},
        {"pack entry when the level has none of the name",
         "Hard",
         Entry("<name>Easy</name><dBallStartSpeed>0.1</dBallStartSpeed>"),
         9, 24, 15, 1.5f, 5, 8, 4, 2, 1.25f,
         {"grow", "none", "shrink"},
         {"gift", "grow"},
         {packSearch + "\"Hard\"", "Setting pack difficulty level: \"Hard\"", "   New ball isStuck: 15"},
         {levelNote}},
        {"pack entry halves the scaled offset",
         "easy",
         "",
         3, 12, 30, 3, 3, 10, 2, 0.5f, 0.75f,
         {"grow", "none", "grow"},
         {"gift"},
         {"Setting pack difficulty level: \"Easy\"", "   New ball isStuck: 30"},
         {}},
        {"pack entry of neutral factors",
         "Normal",
         "",
         6, 12, 20, 2, 3, 10, 2, 1, 1,
         {"grow", "none"},
         {"gift"},
         {"Setting pack difficulty level: \"Normal\"", "   New ball isStuck: 20"},
         {}},
        {"no entry of the name anywhere",
         "Insane",
         Entry("<name>Hard</name><dBallStartSpeed>3</dBallStartSpeed>"),
         6, 12, 41, 2, 3, 10, 2, 1, 1,
         {"grow", "none"},
         {"gift"},
         {"Checking for level difficluty level: \"Insane\"", packSearch + "\"Insane\"", "Finished Loading Level!"},
         {"Setting "}},
        {"level entry without factors keeps the pack away",
         "Hard",
         Entry("<name>Hard</name>"),
         6, 12, 41, 2, 3, 10, 2, 1, 1,
         {"grow", "none"},
         {"gift"},
         {levelNote + "\"Hard\""},
         {packSearch}},
        {"factors beyond the int range saturate",
         "Huge",
         Entry("<name>Huge</name><dPaddleSize>1e30</dPaddleSize><dNainAggression>1e30</dNainAggression>"
               "<dNainFreq>-1e30</dNainFreq><dNainBounces>2147483647</dNainBounces>"),
         6, 12, INT_MAX, 2e30f, INT_MAX, INT_MIN, INT_MAX, 1, 1,
         {"grow", "none"},
         {"gift"},
         {levelNote + "\"Huge\""},
         {}},
    };
    // clang-format on
    for (const DifficultyCase& c : cases) {
        SCOPED_TRACE(c.label);
        ClearDebugLog();
        // Left over from an earlier level: the load starts both from neutral.
        stat->difficultyPointModifier = 9.0f;
        g_gameSpeedDifficultyAdjust = 9.0f;
        LevelPtr level = LoadText(TuningLevel(c.levelEntries), c.chosen);

        ASSERT_EQ(level->newBallsSourceArray.size(), 2u);
        const Ball& stuck = *level->newBallsSourceArray[0];
        const Ball& free = *level->newBallsSourceArray[1];
        EXPECT_FLOAT_EQ(stuck.ballSprite->vel, c.vel);
        EXPECT_FLOAT_EQ(stuck.ballSprite->maxVel, c.maxVel);
        EXPECT_EQ(stuck.isStuck, c.isStuck);
        // The free ball's marker is no offset: it stays free under every rule.
        EXPECT_EQ(free.isStuck, -999999);
        EXPECT_FLOAT_EQ(free.ballSprite->vel, 4.0f * c.vel / 6.0f);
        // Only the templates change; the balls read from the file stay as they were.
        EXPECT_FLOAT_EQ(level->ballsArray[0]->ballSprite->vel, 6.0f);
        EXPECT_EQ(level->ballsArray[0]->isStuck, 41);

        EXPECT_FLOAT_EQ(level->playerPaddleSource->paddleSprite->xScale, c.paddleXScale);
        EXPECT_FLOAT_EQ(level->playerPaddle->paddleSprite->xScale, 2.0f);

        ASSERT_EQ(level->sourceNainsArray.size(), 1u);
        const Nain& nain = *level->sourceNainsArray[0];
        EXPECT_EQ(nain.aggression, c.aggression);
        EXPECT_EQ(nain.frequency, c.frequency);
        EXPECT_EQ(nain.maxBounces, c.maxBounces);
        EXPECT_EQ(Actions(nain.powerupGenerated), c.nainTable);

        ASSERT_EQ(level->bricksArray.size(), 1u);
        EXPECT_EQ(Actions(level->bricksArray[0]->powerupGenerated), c.brickTable);

        EXPECT_FLOAT_EQ(stat->difficultyPointModifier, c.points);
        EXPECT_FLOAT_EQ(g_gameSpeedDifficultyAdjust, c.speed);

        std::vector<std::string> notes;
        for (const std::string& note : c.notes) notes.push_back(Note(note));
        EXPECT_TRUE(LogHasInOrder(notes)) << g_DebugLog;
        for (const std::string& text : c.notNotes) EXPECT_FALSE(LogHas(text)) << text;
        EXPECT_FALSE(LogHas(" ERR: "));
    }
}

// ---------------------------------------------------------------------------
// Extra brick powerups reach the level's bricks only

struct LoadStep {
    std::string file;
    std::vector<std::string> extras;  // what the difficulty adds to every brick of that level
};

struct SequenceCase {
    const char* label;
    std::string chosen;
    std::vector<LoadStep> steps;
};

std::vector<std::string> Joined(std::vector<std::string> table, const std::vector<std::string>& extras) {
    table.insert(table.end(), extras.begin(), extras.end());
    return table;
}

TEST_F(LevelTest, ExtraBrickPowerupsNeverReachThePackTemplates) {
    const SequenceCase cases[] = {
        {"two levels, level and pack entries",
         "Hard",
         {{"levels/first.xml", {"shrink"}}, {"levels/second.xml", {"shrink"}}}},
        {"the same level three times",
         "Hard",
         {{"levels/second.xml", {"shrink"}}, {"levels/second.xml", {"shrink"}}, {"levels/second.xml", {"shrink"}}}},
        {"a level entry without extras, then the pack's",
         "Easy",
         {{"levels/first.xml", {}}, {"levels/second.xml", {"grow"}}}},
    };
    const std::vector<std::string> names = {"red", "armoured", "steel"};
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<RandomPtr> tables;
        std::vector<std::vector<std::string>> before;
        std::vector<std::vector<float>> weightsBefore;
        for (const std::string& name : names) {
            tables.push_back(pack.Brick(name)->powerupGenerated);
            before.push_back(Actions(tables.back()));
            weightsBefore.push_back(tables.back()->value);
        }
        ASSERT_EQ(before[0], (std::vector<std::string>{"grow", "none"}));

        std::vector<LevelPtr> loaded;
        for (const LoadStep& step : c.steps) {
            SCOPED_TRACE(step.file);
            LevelPtr level = LoadFile(PackPath() + step.file, c.chosen);
            loaded.push_back(level);
            ASSERT_FALSE(level->bricksArray.empty());
            for (const BrickPtr& brick : level->bricksArray) {
                const BrickPtr templ = pack.Brick(brick->name);
                EXPECT_NE(brick->powerupGenerated, templ->powerupGenerated);
                EXPECT_EQ(Actions(brick->powerupGenerated), Joined(Actions(templ->powerupGenerated), step.extras));
                // A next form keeps the table of its own template, as a copy.
                if (brick->nextBrick) {
                    const BrickPtr nextTempl = pack.Brick(brick->nextBrick->name);
                    EXPECT_NE(brick->nextBrick->powerupGenerated, nextTempl->powerupGenerated);
                    EXPECT_EQ(Actions(brick->nextBrick->powerupGenerated), Actions(nextTempl->powerupGenerated));
                }
            }
            for (size_t i = 0; i < names.size(); ++i) {
                EXPECT_EQ(Actions(pack.Brick(names[i])->powerupGenerated), before[i]) << names[i];
            }
        }

        // Unlinking a level empties the tables its bricks hold, never the templates'.
        for (LevelPtr& level : loaded) level->Unlink();
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(pack.Brick(names[i])->powerupGenerated, tables[i]) << names[i];
            EXPECT_EQ(Actions(tables[i]), before[i]) << names[i];
            EXPECT_EQ(tables[i]->value, weightsBefore[i]) << names[i];
        }
    }
}

TEST_F(LevelTest, TheDifficultysLevelHookLeavesTheLevelAsItIs) {
    const DifficultyPtr difficulty = AppendNewDifficulty({})[0];
    auto level = std::make_shared<Level>();
    level->mustClearBrickCount = 5;
    EXPECT_EQ(difficulty->AdjustLevelForDifficulty(level), 0);
    EXPECT_EQ(level->mustClearBrickCount, 5);
    EXPECT_TRUE(DebugLogLines().empty());
}

}  // namespace
}  // namespace leveltest
