// Weighted random choice: thresholds, one draw per pick, the saved table form and merging
// a difficulty's extra choices into a shared table.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

class Choice : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_debugLogQuiet = 1;
        g_errorcode = {0};
        g_errorseverity = {1};
        g_errormessage = {"No choice"};
        SeedRnd(1234);
    }

    // A table as an owner's child element holds it.
    static std::string Table(const std::vector<std::pair<std::string, std::string>>& choices) {
        std::string xml = "<nextFrame>";
        for (const auto& [action, weight] : choices) {
            xml += "<randomData><action>" + action + "</action><value>" + weight + "</value></randomData>";
        }
        return xml + "</nextFrame>";
    }
    static RandomPtr Load(const std::string& xml) {
        auto table = std::make_shared<Random>();
        table->LoadFromXML(xml);
        return table;
    }
    // The next n draws of the generator from seed, leaving it seeded there again.
    static std::vector<float> Draws(int seed, int n) {
        SeedRnd(seed);
        std::vector<float> draws;
        for (int i = 0; i < n; ++i) draws.push_back(RndFloat());
        SeedRnd(seed);
        return draws;
    }
};

TEST_F(Choice, ThresholdsAreRunningSharesOfTheWeights) {
    struct Case {
        std::string xml;
        std::vector<float> thresholds;
    } cases[] = {
        {Table({{"W", "1"}, {"X", "3"}}), {0.25f, 1.0f}},
        // A leading zero weight keeps threshold 0; a later one repeats its predecessor.
        {Table({{"W", "0"}, {"X", "2"}, {"Y", "0"}, {"Z", "2"}}), {0.0f, 0.5f, 0.5f, 1.0f}},
        {Table({{"W", "0"}, {"X", "0"}}), {0.0f, 0.0f}},
        // A missing weight is 0.
        {"<t><randomData><action>A</action></randomData><randomData><value>1</value></randomData></t>", {0.0f, 1.0f}},
        {Table({}), {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        RandomPtr table = Load(c.xml);
        EXPECT_EQ(table->value, c.thresholds) << c.xml;
        EXPECT_EQ(table->action.size(), c.thresholds.size()) << c.xml;
        EXPECT_EQ(table->rootValue.size(), c.thresholds.size()) << c.xml;
    }
}

TEST_F(Choice, EachPickDrawsOnceAndTakesTheFirstThresholdAboveTheDraw) {
    struct Case {
        std::string xml;
        float split;  // draws below it pick `low`, the others `high`
        const char* low;
        const char* high;
    } cases[] = {
        {Table({{"W", "1"}, {"X", "3"}}), 0.25f, "W", "X"},
        // Zero weights are never picked, wherever they stand.
        {Table({{"W", "0"}, {"X", "2"}, {"Y", "0"}, {"Z", "2"}}), 0.5f, "X", "Z"},
    };
    for (const Case& c : cases) {
        RandomPtr table = Load(c.xml);
        const int picks = 400;
        std::vector<float> draws = Draws(77, picks + 1);
        int lows = 0;
        for (int i = 0; i < picks; ++i) {
            const std::string expected = draws[i] < c.split ? c.low : c.high;
            EXPECT_EQ(table->Pick(), expected) << c.xml << " draw " << draws[i];
            lows += expected == c.low;
        }
        // Exactly one draw per pick: the generator stands at the next draw.
        EXPECT_EQ(RndFloat(), draws[picks]);
        EXPECT_GT(lows, 0);
        EXPECT_LT(lows, picks);
    }
    EXPECT_EQ(g_DebugLog, "");

    // A missing action is the empty name, and a valid pick.
    RandomPtr unnamed = Load("<t><randomData><value>1</value></randomData></t>");
    EXPECT_EQ(unnamed->Pick(), "");
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Choice, PickWithoutAValidChoice) {
    // No choices at all: the empty name, without a draw or a report.
    for (const std::string& xml : {std::string(), Table({})}) {
        RandomPtr empty = Load(xml);
        std::vector<float> draws = Draws(5, 1);
        EXPECT_EQ(empty->Pick(), "");
        EXPECT_EQ(RndFloat(), draws[0]);
    }
    EXPECT_EQ(g_DebugLog, "");

    // All weights 0: the draw and the count are reported; whether the report only logs or also
    // raises, the result is the empty name.
    RandomPtr zeros = Load(Table({{"W", "0"}, {"X", "0"}}));
    for (int severity : {1, 2}) {
        g_errorseverity = {severity};
        g_DebugLog.clear();
        std::vector<float> draws = Draws(9, 1);
        EXPECT_EQ(zeros->Pick(), "");
        const std::string report =
            "No choice (a Random.Pick$() call failed to return a valid action.  "
            "chosenRandomNumber = " +
            FloatToText(draws[0]) + "; total random choices: 2)";
        const std::string expected =
            severity == 1 ? " NOTE: " + report + "\n" : " WARN: " + report + "\nrandom:Random.Pick() " + report + "\n";
        EXPECT_EQ(g_DebugLog, expected);
    }
}

TEST_F(Choice, WrittenTableIsExactAndReadsBack) {
    RandomPtr table = Load(Table({{"W", "1"}, {"a&lt;b&tab;c", "2.5"}, {"tiny", "0.1"}}));
    ASSERT_EQ(table->action[1], "a<b\tc");
    const std::string written = table->WriteToXML("nextFrame");
    EXPECT_EQ(written,
              "<nextFrame>\n"
              "\t<randomData>\n"
              "\t\t<action>W</action>\n"
              "\t\t<value>1.00000000</value>\n"
              "\t</randomData>\n"
              "\t<randomData>\n"
              "\t\t<action>a&lt;b&tab;c</action>\n"
              "\t\t<value>2.50000000</value>\n"
              "\t</randomData>\n"
              "\t<randomData>\n"
              "\t\t<action>tiny</action>\n"
              "\t\t<value>0.100000001</value>\n"
              "\t</randomData>\n"
              "</nextFrame>\n");
    EXPECT_EQ(Load("")->WriteToXML("powerupGenerated"), "<powerupGenerated>\n\t</powerupGenerated>\n");

    // Saved inside the owner's element and read back as the owner does: same names and weights.
    const std::string owner = "<nain><name>Gus</name>" + written + "</nain>";
    RandomPtr reread = Load(ExtractTagFromXML(owner, "nextFrame", 0));
    EXPECT_EQ(reread->action, table->action);
    EXPECT_EQ(reread->rootValue, table->rootValue);
    EXPECT_EQ(reread->value, table->value);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Choice, AppendExtendsTheSharedTable) {
    RandomPtr base = Load(Table({{"A", "1"}, {"B", "1"}}));
    RandomPtr holder = base;  // a clone's reference to the same table
    base->Append(Load(Table({{"C", "2"}})));
    EXPECT_EQ(holder->action, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(holder->rootValue, (std::vector<float>{1, 1, 2}));
    EXPECT_EQ(holder->value, (std::vector<float>{0.25f, 0.5f, 1.0f}));
    // The same as reading both lists one after the other.
    EXPECT_EQ(holder->value, Load(Table({{"A", "1"}, {"B", "1"}, {"C", "2"}}))->value);

    // Appending a table to itself doubles its choices once.
    RandomPtr self = Load(Table({{"W", "1"}, {"X", "3"}}));
    self->Append(self);
    EXPECT_EQ(self->action, (std::vector<std::string>{"W", "X", "W", "X"}));
    EXPECT_EQ(self->value, (std::vector<float>{0.125f, 0.5f, 0.625f, 1.0f}));

    // Onto an empty table, and from a missing one.
    RandomPtr empty = Load("");
    empty->Append(Load(Table({{"W", "0"}, {"X", "4"}})));
    EXPECT_EQ(empty->value, (std::vector<float>{0.0f, 1.0f}));
    EXPECT_EQ(g_DebugLog, "");
    EXPECT_EQ(self->Append(nullptr), 0);
    EXPECT_EQ(self->action.size(), 4u);
    EXPECT_EQ(g_DebugLog, "random:Random.Append() " + std::string(kNullAccessMessage) + "\n");

    // Released by its owner: the choices are gone.
    base->Unlink();
    EXPECT_TRUE(holder->action.empty());
    EXPECT_EQ(holder->Pick(), "");
}

}  // namespace
