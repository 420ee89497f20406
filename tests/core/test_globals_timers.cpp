// The debug timers: one named stopwatch and a set of them addressed by name, with its report.
#include <gtest/gtest.h>

#include "core/globals.h"
#include "support/game_test.h"

namespace {

class TimerTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        UseTestClock(1000);
    }
};

// Runs the timer for `ms` milliseconds of the test clock.
void RunFor(debugTimer& timer, int ms) {
    timer.Start("");
    AdvanceTestClock(ms);
    timer.Stop();
}

}  // namespace

TEST_F(TimerTest, ANewTimerReports) {
    debugTimer timer;
    EXPECT_EQ(timer.Report(""), "\"\": 0 (S), tot: 0; hi/lo/reps/avg: 0/999999999/0/0");
}

TEST_F(TimerTest, TheReportOfStoppedAndRunningTimers) {
    debugTimer timer;
    timer.Start("Load");
    AdvanceTestClock(120);
    timer.Stop();
    RunFor(timer, 80);
    EXPECT_EQ(timer.Report("x"), "\"Load\": 80 (S), tot: 200; hi/lo/reps/avg: 120/80/2/100 [ x]");
    timer.Start("");
    AdvanceTestClock(30);
    EXPECT_EQ(timer.Report(""), "\"Load\": 30 (R), tot: 230; hi/lo/reps/avg: 120/80/2/100");
    EXPECT_EQ(timer.name, "Load");
}

TEST_F(TimerTest, StartWhileRunningAndStopWhileStoppedChangeNothing) {
    debugTimer timer;
    timer.Start("a");
    AdvanceTestClock(10);
    timer.Start("b");
    EXPECT_EQ(timer.name, "a");
    AdvanceTestClock(5);
    timer.Stop();
    EXPECT_EQ(timer.totalTime, 15);
    timer.Stop();
    EXPECT_EQ(timer.totalRuns, 1);
    EXPECT_EQ(timer.totalTime, 15);
}

TEST_F(TimerTest, ARunWithinOneTickIsZero) {
    debugTimer timer;
    RunFor(timer, 0);
    EXPECT_EQ(timer.loTime, 0);
    EXPECT_EQ(timer.hiTime, 0);
    EXPECT_EQ(timer.totalRuns, 1);
}

TEST_F(TimerTest, AClockWrapStillGivesTheDuration) {
    UseTestClock(2147483647 - 10);
    debugTimer timer;
    RunFor(timer, 25);
    EXPECT_EQ(timer.totalTime, 25);
    EXPECT_EQ(timer.Report(""), "\"\": 25 (S), tot: 25; hi/lo/reps/avg: 25/25/1/25");
}

TEST_F(TimerTest, SumsBeyond32BitsStayRight) {
    debugTimer timer;
    timer.totalTime = 2147483000LL;
    timer.totalRuns = 1;
    RunFor(timer, 1000);
    EXPECT_EQ(timer.totalTime, 2147484000LL);
    EXPECT_EQ(timer.Report(""), "\"\": 1000 (S), tot: 2147484000; hi/lo/reps/avg: 1000/1000/2/1073742000");
}

// ---------------------------------------------------------------------------
TEST_F(TimerTest, SetStartAddsOnceAndMatchesCase) {
    performanceTimers set;
    set.Start("Pack: Images");
    set.Start("Pack: Images");
    set.Start("pack: images");
    ASSERT_EQ(set.timers.size(), 2u);
    EXPECT_EQ(set.timers[0]->name, "Pack: Images");
    EXPECT_EQ(set.timers[1]->name, "pack: images");
    EXPECT_EQ(set.timers[0]->isRunning, 1);
}

TEST_F(TimerTest, AnEmptyNameIsANameToo) {
    performanceTimers set;
    set.Start("");
    AdvanceTestClock(7);
    set.Stop("");
    ASSERT_EQ(set.timers.size(), 1u);
    EXPECT_EQ(set.timers[0]->name, "");
    EXPECT_EQ(set.timers[0]->totalTime, 7);
}

TEST_F(TimerTest, StopOfAnUnknownNamePrintsAndAddsNothing) {
    performanceTimers set;
    set.Start("a");
    testing::internal::CaptureStdout();
    EXPECT_EQ(set.Stop("b"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Timer \"b\" not found!\n");
    EXPECT_EQ(set.timers.size(), 1u);
    EXPECT_EQ(set.timers[0]->isRunning, 1);
}

TEST_F(TimerTest, EveryTimerOfTheNameIsStartedAndStopped) {
    performanceTimers set;
    set.timers.push_back(std::make_shared<debugTimer>());
    set.timers.push_back(nullptr);
    set.timers.push_back(std::make_shared<debugTimer>());
    set.timers[0]->name = set.timers[2]->name = "twin";
    set.Start("twin");
    AdvanceTestClock(4);
    set.Stop("twin");
    EXPECT_EQ(set.timers.size(), 3u);
    EXPECT_EQ(set.timers[0]->totalTime, 4);
    EXPECT_EQ(set.timers[2]->totalTime, 4);
}

TEST_F(TimerTest, TheReport) {
    performanceTimers set;
    set.Start("a");
    AdvanceTestClock(100);
    set.Stop("a");
    set.Start("b");
    AdvanceTestClock(200);
    set.Stop("b");
    set.Start("b");
    AdvanceTestClock(50);  // the open run shows in the line but not in the share
    testing::internal::CaptureStdout();
    EXPECT_EQ(set.Report(), 0);
    std::string rule = "====================================";
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              rule + "\n=========DEBUG TIMER REPORT=========\n" + rule + "\n\n" +
                  "\"a\": 100 (S), tot: 100; hi/lo/reps/avg: 100/100/1/100 (33.3333321%)\n" +
                  "\"b\": 50 (R), tot: 250; hi/lo/reps/avg: 200/200/1/200 (66.6666641%)\n" + "\n" + rule +
                  "\n=======END DEBUG TIMER REPORT=======\n" + rule + "\n");
}

TEST_F(TimerTest, AReportWithNothingTimedShowsZeros) {
    performanceTimers set;
    set.Start("only");
    set.Stop("only");  // a 0 ms run: the set's total is 0
    set.Start("never");
    testing::internal::CaptureStdout();
    set.Report();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("\"only\": 0 (S), tot: 0; hi/lo/reps/avg: 0/0/1/0 (0.00000000%)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\"never\": 0 (R), tot: 0; hi/lo/reps/avg: 0/999999999/0/0 (0.00000000%)\n"), std::string::npos)
        << out;
}

TEST_F(TimerTest, ASingleTimerHasTheWholeShare) {
    performanceTimers set;
    set.Start("x");
    AdvanceTestClock(3);
    set.Stop("x");
    testing::internal::CaptureStdout();
    set.Report();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("(100.000000%)"), std::string::npos);
}

TEST_F(TimerTest, SharesOfLongTimersComputeIn64Bits) {
    performanceTimers set;
    set.Start("long");
    set.Stop("long");
    set.Start("short");
    set.Stop("short");
    set.timers[0]->totalTime = 30000000;  // beyond 21,474,836 ms the product no longer fits 32 bits
    set.timers[1]->totalTime = 10000000;
    testing::internal::CaptureStdout();
    set.Report();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("(75.0000000%)"), std::string::npos) << out;
    EXPECT_NE(out.find("(25.0000000%)"), std::string::npos) << out;
}

TEST_F(TimerTest, StartUpMakesTheLoadTimers) {
    setenv("XDG_DATA_HOME", ScratchPath().c_str(), 1);
    testing::internal::CaptureStdout();
    InitGlobals();
    testing::internal::GetCapturedStdout();
    ASSERT_NE(g_LoadTimers, nullptr);
    g_LoadTimers->Start("Pack: Images");
    AdvanceTestClock(12);
    g_LoadTimers->Stop("Pack: Images");
    EXPECT_EQ(g_LoadTimers->timers[0]->totalTime, 12);
}
