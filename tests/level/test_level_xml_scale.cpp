// Level files made large or laid out to be slow: each loads in work and memory in proportion
// to its size, with the pieces the element walk gives, and a pile of bricks too deep to link
// is refused with a line in the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <numeric>
#include <string>

#include "level/test_level_xml_support.h"
#include "pieces/allocation_count.h"
#include "sprites/animation.h"
#include "sprites/random.h"
#include "sprites/shifter.h"
#include "sprites/sprites.h"
#include "support/support.h"

namespace leveltest {
namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    out.reserve(text.size() * static_cast<size_t>(times));
    for (int k = 0; k < times; ++k) out += text;
    return out;
}

std::string Brick(int column, int row) {
    return "<brick><brickName>red</brickName><x>" + IntToText(50 * column) + "</x><y>" + IntToText(20 * row) +
           "</y></brick>";
}

const std::string kGoal = "<goal><goalType>clear level</goalType><successType>level</successType></goal>";
const std::string kBall = "<ball><spriteName>ball_sprite</spriteName><x>340</x><y>600</y></ball>";
const std::string kNain = "<nain><name>thrower</name><spriteName>nain_sprite</spriteName></nain>";
const std::string kDifficulty = "<difficulty><name>Normal</name><dBallStartSpeed>1</dBallStartSpeed></difficulty>";

struct Shape {
    const char* label;
    std::function<std::string()> body;
    size_t goals, balls, nains, difficulties, bricks;
    std::string goalType;  // of the first goal
    const char* log;
};

// Notes stay out of the log as in the game, so every line in it is a fault.
class LevelScale : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        g_errorseverity = {0, 3, 3, 3};
    }
};

TEST_F(LevelScale, CraftedFilesLoadInProportionToTheirSize) {
    const Shape shapes[] = {
        // Each goal's walk passed the 4,000 closing tags again: two minutes and more.
        {"closing tags ahead of the goals", [] { return Repeat("</goal>", 4000) + Repeat(kGoal, 4000); }, 4000, 0, 0, 0,
         0, "", ""},
        {"goals inside goals", [] { return Repeat("<goal>", 4000) + kGoal + Repeat("</goal>", 4000); }, 4001, 0, 0, 0,
         0, "clear level", ""},
        {"goals never closed", [] { return Repeat("<goal><goalType>open</goalType>", 20000); }, 20000, 0, 0, 0, 0, "",
         ""},
        {"goals", [] { return Repeat(kGoal, 20000); }, 20000, 0, 0, 0, 0, "clear level", ""},
        {"balls", [] { return Repeat(kBall, 5000); }, 0, 5000, 0, 0, 0, "", ""},
        {"nains", [] { return Repeat(kNain, 5000); }, 0, 0, 5000, 0, 0, "", ""},
        {"difficulties", [] { return Repeat(kDifficulty, 5000); }, 0, 0, 0, 5000, 0, "", ""},
        {"bricks edge to edge",
         [] {
             std::string bricks;
             for (int k = 0; k < 10000; ++k) bricks += Brick(k % 100, k / 100);
             return bricks;
         },
         0, 0, 0, 0, 10000, "", ""},
        {"bricks piled on one spot", [] { return Repeat(Brick(2, 2), 3000); }, 0, 0, 0, 0, 3000, "",
         "brick:LinkBricks(): Too many of these 3000 bricks overlap one another; none is linked to its neighbours.\n"},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.label);
        const std::string xml =
            "<level><levelName>Big</levelName><paddle><spriteName>paddle_sprite</spriteName>"
            "</paddle>" +
            shape.body() + "</level>";
        ClearDebugLog();
        const uint64_t scanBefore = g_xmlElementScan, testsBefore = g_linkBricksPairTests;
        const double start = ThreadCpuSeconds();
        allocation::Count memory;
        LevelPtr level = LoadText(xml);
        const double seconds = ThreadCpuSeconds() - start;

        EXPECT_EQ(level->goalsArray.size(), shape.goals);
        EXPECT_EQ(level->ballsArray.size(), shape.balls);
        EXPECT_EQ(level->sourceNainsArray.size(), shape.nains);
        EXPECT_EQ(level->difficultyArray.size(), shape.difficulties);
        EXPECT_EQ(level->bricksArray.size(), shape.bricks);
        if (shape.goals > 0) {
            EXPECT_EQ(level->goalsArray[0]->goalType, shape.goalType);
        }
        EXPECT_EQ(g_DebugLog, shape.log);

        // Each list is walked once, each walk passes the text about twice; the walk by index
        // passed it once per element, or once per element for every element before it.
        const uint64_t size = xml.size();
        EXPECT_LE(g_xmlElementScan - scanBefore, 16 * size);
        // Growing the piece arrays by a copy each handed out gigabytes for the goals.
        EXPECT_LE(memory.Total(), 400 * size + (16u << 20));
        EXPECT_LE(memory.Peak(), 200 * size + (16u << 20));
        // Testing every pair of bricks took 50 million tests for the wall.
        EXPECT_LE(g_linkBricksPairTests - testsBefore, 8 * shape.bricks + 1000000);
        // A backstop far above the sanitizer build's few seconds: the walk by index took minutes.
        EXPECT_LT(seconds, 30.0);
        level->Unlink();
        made.clear();
    }
}

// Every difficulty of the chosen name adds its choices to every brick's powerup table, so the
// tables grow with the product of the two counts, as the rules have it; working out a table's
// thresholds again after each difficulty made the work grow with the square of the tables.
TEST_F(LevelScale, DifficultiesOfOneNameAddTheirChoicesToEachTableAtOnce) {
    constexpr int kDifficulties = 8000, kBricks = 100;
    std::string xml = "<level><levelName>Big</levelName><paddle><spriteName>paddle_sprite</spriteName></paddle>" +
                      Repeat(
                          "<difficulty><name>Normal</name><extraBrickPowerups><randomData><action>life</action>"
                          "<value>1</value></randomData></extraBrickPowerups></difficulty>",
                          kDifficulties);
    for (int k = 0; k < kBricks; ++k) xml += Brick(k % 30, k / 30);
    xml += "</level>";
    const double start = ThreadCpuSeconds();
    LevelPtr level = LoadText(xml);
    const double seconds = ThreadCpuSeconds() - start;

    ASSERT_EQ(level->bricksArray.size(), size_t(kBricks));
    const Random& own = *pack.Brick("red")->powerupGenerated;
    for (const BrickPtr& brick : {level->bricksArray.front(), level->bricksArray.back()}) {
        const Random& table = *brick->powerupGenerated;
        ASSERT_EQ(table.action.size(), own.action.size() + kDifficulties);
        EXPECT_TRUE(std::equal(own.action.begin(), own.action.end(), table.action.begin()));
        EXPECT_EQ(table.action.back(), "life");
        // Thresholds as an append per difficulty leaves them: the running sum over the whole.
        float total = 0.0f;
        for (float weight : table.rootValue) total += weight;
        EXPECT_EQ(table.value[own.action.size()],
                  (std::accumulate(own.rootValue.begin(), own.rootValue.end(), 0.0f) + 1.0f) / total);
        EXPECT_EQ(table.value.back(), 1.0f);
    }
    EXPECT_EQ(g_DebugLog, "");
    // The sanitizer build takes about a second; the thresholds worked out again after each
    // difficulty took billions of steps.
    EXPECT_LT(seconds, 15.0);
}

// The pieces' own lists, read by the pack and cloned into every level brick, ball and nain.
TEST_F(LevelScale, PieceListsLoadInProportionToTheirSize) {
    const std::string choice = "<randomData><action>grow</action><value>1</value></randomData>";
    const std::string step =
        "<animationStep><stepName>s</stepName><minSteps>1</minSteps><maxSteps>1</maxSteps>"
        "</animationStep>";
    const std::string animation = "<animation><aniName>a</aniName>" + step + "</animation>";
    struct Case {
        const char* label;
        std::string xml;
        std::function<size_t(const std::string&)> load;  // gives the number of entries read
        size_t entries;
    } cases[] = {
        {"a powerup table", "<t>" + Repeat(choice, 20000) + "</t>",
         [](const std::string& xml) {
             Random table;
             table.LoadFromXML(xml);
             return table.action.size();
         },
         20000},
        {"a table with closing tags ahead", "<t>" + Repeat("</randomData>", 3000) + Repeat(choice, 3000) + "</t>",
         [](const std::string& xml) {
             Random table;
             table.LoadFromXML(xml);
             return table.action.size();
         },
         3000},
        {"an animation's steps", "<animation><aniName>a</aniName>" + Repeat(step, 20000) + "</animation>",
         [](const std::string& xml) {
             auto loaded = std::make_shared<Animation>();
             loaded->LoadFromXML(xml);
             auto copy = std::make_shared<Animation>();
             copy->Clone(loaded);
             return copy->StepsArray.size();
         },
         20000},
        {"a sprite's animations", "<sprite><spriteName>s</spriteName>" + Repeat(animation, 5000) + "</sprite>",
         [](const std::string& xml) {
             auto loaded = std::make_shared<Sprite>();
             loaded->LoadFromXML(xml);
             auto copy = std::make_shared<Sprite>();
             copy->Clone(loaded, nullptr);
             const size_t count = copy->animationArray.size();
             copy->Unlink();
             loaded->Unlink();
             return count;
         },
         5000},
        {"a curve's samples",
         "<shifterData><name>c</name><totalSteps>50000</totalSteps>" + Repeat("<dat>0.5</dat>", 50000) +
             "</shifterData>",
         [](const std::string& xml) {
             ShifterData curve;
             curve.LoadFromXML(xml, "");
             return static_cast<size_t>(std::count(curve.shift.begin(), curve.shift.end(), 0.5f));
         },
         50000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ClearDebugLog();
        const uint64_t scanBefore = g_xmlElementScan;
        const double start = ThreadCpuSeconds();
        allocation::Count memory;
        EXPECT_EQ(c.load(c.xml), c.entries);
        const double seconds = ThreadCpuSeconds() - start;
        const uint64_t size = c.xml.size();
        EXPECT_LE(g_xmlElementScan - scanBefore, 16 * size);
        EXPECT_LE(memory.Total(), 400 * size + (16u << 20));
        EXPECT_LT(seconds, 30.0);
        EXPECT_EQ(g_DebugLog, "");
    }
}

}  // namespace
}  // namespace leveltest
