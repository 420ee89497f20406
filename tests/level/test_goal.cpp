// The goal record of a level file: its "goal" element read and written back, copying a goal
// with its running state, and growing a level's goal list.
#include "levelcore_support.h"
#include "support/game_test.h"
#include "text/test_xmlfields_support.h"

using namespace levelcore;

namespace {

class GoalTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        g_debugLogQuiet = 1;
        g_errorcode = {1};
        g_errorseverity = {1};
        g_errormessage = {"Note"};
    }
};

struct GoalValues {
    std::string goalType;
    int target;
    int time;
    int timeRemaining;
    std::string successMessage, successType, successAction;
    int isLive;
    int repeats;
};

void ExpectGoal(const Goal& g, const GoalValues& v) {
    EXPECT_EQ(g.goalType, v.goalType);
    EXPECT_EQ(g.target, v.target);
    EXPECT_EQ(g.time, v.time);
    EXPECT_EQ(g.timeRemaining, v.timeRemaining);
    EXPECT_EQ(g.successMessage, v.successMessage);
    EXPECT_EQ(g.successType, v.successType);
    EXPECT_EQ(g.successAction, v.successAction);
    EXPECT_EQ(g.isLive, v.isLive);
    EXPECT_EQ(g.repeats, v.repeats);
}

TEST_F(GoalTest, LoadReadsEachChildAndKeepsDefaultsForMissingOrBadOnes) {
    struct Case {
        const char* what;
        std::string xml;
        GoalValues expected;
    };
    const Case cases[] = {
        {"every child",
         "<goal><goalType>clear level</goalType><target>3</target><time>2500</time>"
         "<successMessage>Well done &lt;3</successMessage><successType>level</successType>"
         "<successAction>Forest</successAction><repeats>2</repeats></goal>",
         {"clear level", 3, 2500, 2500, "Well done <3", "level", "Forest", 1, 2}},
        {"no time tag: an untimed goal",
         "<goal><goalType>lose ball</goalType><successType>kill paddle</successType></goal>",
         {"lose ball", 0, -1, -1, "", "kill paddle", "", 1, 0}},
        {"time 0: a timed goal", "<goal><goalType>x</goalType><time>0</time></goal>", {"x", 0, 0, 0, "", "", "", 1, 0}},
        {"numbers that are not numbers keep the defaults",
         "<goal><goalType>x</goalType><target>many</target><time>soon</time><repeats>-</repeats></goal>",
         {"x", 0, -1, -1, "", "", "", 1, 0}},
        {"empty tags keep the defaults",
         "<goal><goalType></goalType><time></time><successType></successType></goal>",
         {"", 0, -1, -1, "", "", "", 1, 0}},
        {"a number stops at its first stray character",
         "<goal><time>120ms</time><target>$1F</target></goal>",
         {"", 31, 120, 120, "", "", "", 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearDebugLog();
        Goal goal;
        EXPECT_EQ(goal.LoadFromXML(c.xml), 0);
        ExpectGoal(goal, c.expected);
        // The progress note comes right after the goal type is known.
        EXPECT_EQ(Notes(), std::vector<std::string>{"Loading goal data from XML: " + c.expected.goalType});
    }
}

TEST_F(GoalTest, WriteGivesTheNestedElementWithTheConfiguredTime) {
    Goal goal;
    goal.LoadFromXML(
        "<goal><goalType>lose ball</goalType><target>-4</target><time>900</time>"
        "<successMessage>Ouch\tagain</successMessage><successType>lose life</successType>"
        "<successAction>1</successAction><repeats>3</repeats></goal>");
    // Mid-countdown and retired: neither shows in the file.
    goal.timeRemaining = 17;
    goal.isLive = 0;
    const std::string written = goal.WriteToXML();
    EXPECT_EQ(written,
              "<goal>\n"
              "\t<goalType>lose ball</goalType>\n"
              "\t<target>-4</target>\n"
              "\t<time>900</time>\n"
              "\t<successMessage>Ouch&tab;again</successMessage>\n"
              "\t<successType>lose life</successType>\n"
              "\t<successAction>1</successAction>\n"
              "\t<repeats>3</repeats>\n"
              "</goal>\n");

    Goal reread;
    reread.LoadFromXML(written);
    ExpectGoal(reread, {"lose ball", -4, 900, 900, "Ouch\tagain", "lose life", "1", 1, 3});

    // An untimed default goal writes -1 and reads back untimed.
    Goal plain;
    Goal plainBack;
    plainBack.LoadFromXML(plain.WriteToXML());
    ExpectGoal(plainBack, {"", 0, -1, -1, "", "", "", 1, 0});
}

TEST_F(GoalTest, CloneCopiesEveryFieldWithTheRunningState) {
    auto source = std::make_shared<Goal>();
    source->LoadFromXML(GoalXml("game over", "game over", "80",
                                "<time>500</time><target>2</target><repeats>4</repeats>"
                                "<successMessage>bye</successMessage>"));
    source->timeRemaining = 120;
    source->isLive = 0;
    source->repeats = 1;

    Goal copy;
    EXPECT_EQ(copy.Clone(source), 0);
    ExpectGoal(copy, {"game over", 2, 500, 120, "bye", "game over", "80", 0, 1});

    // Nothing to copy from: logged, and the goal keeps what it had.
    ClearDebugLog();
    EXPECT_EQ(copy.Clone(nullptr), 0);
    ExpectGoal(copy, {"game over", 2, 500, 120, "bye", "game over", "80", 0, 1});
    ASSERT_EQ(DebugLogLines().size(), 1u);
    EXPECT_EQ(DebugLogLines()[0], "level:Goal.Clone() Attempt to access field or method of Null object");
}

TEST_F(GoalTest, EveryBoundTagIsReadAndEveryBoundFieldCloned) {
    bound_fields::ExpectEveryBoundField<Goal>(
        "goal", "", [](Goal& goal, const std::string& xml) { goal.LoadFromXML(xml); },
        [](Goal& goal, const GoalPtr& source) { goal.Clone(source); }, kGoalFields);
}

TEST_F(GoalTest, AppendNewGoalReturnsALongerCopy) {
    std::vector<GoalPtr> none;
    std::vector<GoalPtr> one = AppendNewGoal(none);
    EXPECT_TRUE(none.empty());
    ASSERT_EQ(one.size(), 1u);
    ASSERT_NE(one[0], nullptr);
    ExpectGoal(*one[0], {"", 0, -1, -1, "", "", "", 1, 0});

    std::vector<GoalPtr> two = AppendNewGoal(one);
    ASSERT_EQ(one.size(), 1u);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0], one[0]);
    ASSERT_NE(two[1], nullptr);
    EXPECT_NE(two[1], two[0]);
}

}  // namespace
