// Relative mouse motion with injected pointer events, and the quit test (Command with Q,
// and the system's request to quit).
#include <gtest/gtest.h>

#include "core/globals.h"
#include "platform/input.h"
#include "support/game_test.h"

namespace {

class MouseTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_ScreenCenterX = 512.0f;
        g_ScreenCenterY = 384.0f;
    }
    static void Move(int x, int y) {
        InputEvent e;
        e.type = InputEventType::MouseMove;
        e.x = x, e.y = y;
        InjectEvent(e);
    }
    static void Key(int code, bool down) {
        InputEvent e;
        e.type = down ? InputEventType::KeyDown : InputEventType::KeyUp;
        e.code = code;
        InjectEvent(e);
    }
    // One update step: the platform takes in what arrived, then the controller measures.
    static void Measure() {
        PumpEvents();
        EXPECT_EQ(g_useMouseAsProportionalController(), 0);
    }
    static int Quit() {
        PumpEvents();
        return CheckForCommandQ();
    }
};

}  // namespace

TEST_F(MouseTest, NoMotionMeasuresZeroAndKeepsTheReference) {
    g_MouseXPrev = 500, g_MouseYPrev = 400;
    Measure();
    EXPECT_EQ(g_MouseXSpeed, 0);
    EXPECT_EQ(g_MouseYSpeed, 0);
    EXPECT_EQ(g_MouseXPrev, 500);
    EXPECT_EQ(g_MouseYPrev, 400);
    EXPECT_FALSE(MouseVisible());
}

TEST_F(MouseTest, MotionInsideTheZoneMovesTheReference) {
    g_MouseXPrev = 512, g_MouseYPrev = 384;
    Move(500, 390);
    Move(530, 400);  // only the last position counts
    Measure();
    EXPECT_EQ(g_MouseXSpeed, 18);
    EXPECT_EQ(g_MouseYSpeed, 16);
    EXPECT_EQ(g_MouseXPrev, 530);
    EXPECT_EQ(g_MouseYPrev, 400);
}

TEST_F(MouseTest, OtherEventsAreTakenAndIgnored) {
    g_MouseXPrev = 512, g_MouseYPrev = 384;
    Key(KEY_A, true);
    Key(KEY_A, false);
    Measure();
    EXPECT_EQ(g_MouseXSpeed, 0);
    EXPECT_EQ(PollEvent(), 0);
}

TEST_F(MouseTest, TheRecentreRepeatsTheLastMotionOnce) {
    g_MouseXPrev = 560, g_MouseYPrev = 384;
    Move(600, 384);
    Measure();
    EXPECT_EQ(g_MouseXSpeed, 40);
    EXPECT_EQ(g_MouseYSpeed, 0);
    EXPECT_EQ(MouseX(), 512);  // 88 from the centre: moved back
    EXPECT_EQ(MouseY(), 384);
    EXPECT_EQ(g_MouseXPrev, 472);
    EXPECT_EQ(g_MouseYPrev, 384);
    // Only the posted centre event: the motion is measured once more.
    Measure();
    EXPECT_EQ(g_MouseXSpeed, 40);
    EXPECT_EQ(g_MouseXPrev, 512);
    EXPECT_EQ(g_MouseYPrev, 384);
    Measure();
    EXPECT_EQ(g_MouseXSpeed, 0);
    EXPECT_EQ(g_MouseYSpeed, 0);
}

TEST_F(MouseTest, FurtherMotionAddsToTheRepeat) {
    g_MouseXPrev = 560, g_MouseYPrev = 384;
    Move(600, 384);
    Measure();
    Move(520, 380);
    Measure();
    EXPECT_EQ(g_MouseXSpeed, 48);
    EXPECT_EQ(g_MouseYSpeed, -4);
}

TEST_F(MouseTest, TheTravelAddsUpThePointersOwnMotionWithoutTheRecentresRepeat) {
    g_MouseXPrev = g_MouseXRest = 512, g_MouseYPrev = g_MouseYRest = 384;
    Move(600, 384);  // 88: recentred, and measured twice
    Measure();
    Measure();
    Measure();  // nothing new
    Move(530, 400);
    Measure();
    EXPECT_EQ(g_MouseXTravel, 88 + 18);
    EXPECT_EQ(g_MouseYTravel, 16);
    ResetMouseTravel();
    EXPECT_EQ(g_MouseXTravel, 0);
    Move(500, 390);
    Measure();
    EXPECT_EQ(g_MouseXTravel, -30);
    EXPECT_EQ(g_MouseYTravel, -10);
}

TEST_F(MouseTest, VerticalStrayingRecentresToo) {
    g_MouseXPrev = 512, g_MouseYPrev = 340;
    Move(512, 300);
    Measure();
    EXPECT_EQ(g_MouseYSpeed, -40);
    EXPECT_EQ(MouseY(), 384);
    EXPECT_EQ(g_MouseYPrev, 424);
    EXPECT_EQ(g_MouseXPrev, 512);
}

TEST_F(MouseTest, ExactlyFiftyAwayStays) {
    g_MouseXPrev = 555, g_MouseYPrev = 430;
    Move(562, 434);
    Move(462, 334);
    Measure();
    EXPECT_EQ(g_MouseXPrev, 462);
    EXPECT_EQ(g_MouseYPrev, 334);
    EXPECT_EQ(MouseX(), 462);
    Move(461, 334);
    Measure();
    EXPECT_EQ(MouseX(), 512);
}

TEST_F(MouseTest, TheCentreFollowsTheScreenFactors) {
    g_widthFactor = g_heightFactor = 1.25f;  // a 1280 x 960 screen
    g_MouseXPrev = 690, g_MouseYPrev = 480;
    Move(700, 480);
    Measure();
    EXPECT_EQ(g_MouseXSpeed, 10);
    EXPECT_EQ(MouseX(), 640);
    EXPECT_EQ(MouseY(), 480);
    EXPECT_EQ(g_MouseXPrev, 630);
}

TEST_F(MouseTest, AFractionalCentreIsTruncated) {
    g_widthFactor = 1.3f;  // centre x 665.6
    g_MouseXPrev = 600, g_MouseYPrev = 384;
    Move(590, 384);
    Measure();
    EXPECT_EQ(g_MouseXSpeed, -10);
    EXPECT_EQ(MouseX(), 665);
    EXPECT_EQ(g_MouseXPrev, static_cast<int>(1.3f * 512.0f + 10.0f));
}

// ---------------------------------------------------------------------------
TEST_F(MouseTest, CommandThenQ) {
    Key(KEY_LCOMMAND, true);
    EXPECT_EQ(Quit(), 0);
    EXPECT_EQ(g_cmdIsDown, 1);
    Key(KEY_Q, true);
    EXPECT_EQ(Quit(), 1);
    EXPECT_EQ(g_cmdIsDown, 0);
    // Q held: one quit per press.
    EXPECT_EQ(Quit(), 0);
    EXPECT_EQ(Quit(), 0);
}

TEST_F(MouseTest, CommandReleasedBeforeQStillCounts) {
    Key(KEY_RCOMMAND, true);
    EXPECT_EQ(Quit(), 0);
    Key(KEY_RCOMMAND, false);
    Key(KEY_Q, true);
    EXPECT_EQ(Quit(), 1);
}

TEST_F(MouseTest, CommandAndQInOneStepDoNotCount) {
    Key(KEY_LCOMMAND, true);
    Key(KEY_Q, true);
    EXPECT_EQ(Quit(), 0);
}

TEST_F(MouseTest, QFirstThenCommandDoesNothingUntilQIsPressedAgain) {
    Key(KEY_Q, true);
    EXPECT_EQ(Quit(), 0);
    Key(KEY_LCOMMAND, true);
    EXPECT_EQ(Quit(), 0);
    EXPECT_EQ(Quit(), 0);
    EXPECT_EQ(g_cmdIsDown, 0);
    Key(KEY_Q, false);
    EXPECT_EQ(Quit(), 0);
    EXPECT_EQ(g_cmdIsDown, 1);
    Key(KEY_Q, true);
    EXPECT_EQ(Quit(), 1);
}

TEST_F(MouseTest, CommandReleasedWithQUpClearsTheMemory) {
    Key(KEY_LCOMMAND, true);
    EXPECT_EQ(Quit(), 0);
    Key(KEY_LCOMMAND, false);
    EXPECT_EQ(Quit(), 0);
    Key(KEY_Q, true);
    EXPECT_EQ(Quit(), 0);
}

TEST_F(MouseTest, TheSystemsRequestCountsOnce) {
    g_cmdIsDown = 1;
    InputEvent e;
    e.type = InputEventType::Terminate;
    InjectEvent(e);
    EXPECT_EQ(Quit(), 1);
    EXPECT_EQ(g_cmdIsDown, 1);
    g_cmdIsDown = 0;
    EXPECT_EQ(Quit(), 0);
}
