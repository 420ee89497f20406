// Frame timing and the game-speed factor, with the replaceable clock; the overlay, its
// clock and the debug texts, seen through the headless backend's recording.
#include <gtest/gtest.h>

#include <regex>

#include "core/globals.h"
#include "platform/files.h"
#include "platform/graphics.h"
#include "support/game_test.h"

namespace {

class FrameTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        UseTestClock(10000);
        g_lastMilliSecs = 10000;
    }
    // One drawn frame that took `ms` milliseconds.
    static void Frame(int ms, int showDebug = 0, int menuMode = 0) {
        AdvanceTestClock(ms);
        EXPECT_EQ(ScreenRefresh(showDebug, menuMode), 0);
    }
};

}  // namespace

TEST_F(FrameTest, ASteadyFrame) {
    Frame(30);
    EXPECT_EQ(g_curMilliSecs, 10030);
    EXPECT_EQ(g_lastMilliSecs, 10030);
    EXPECT_EQ(g_frameDelay, 30);
    EXPECT_EQ(g_realFrameDelay, 30);
    EXPECT_EQ(g_gameSpeedFactor, 0.375f);
}

TEST_F(FrameTest, ASlowFrameIsCappedAt45) {
    Frame(100);
    EXPECT_EQ(g_realFrameDelay, 100);
    EXPECT_EQ(g_frameDelay, 45);
    EXPECT_EQ(g_gameSpeedFactor, 0.5625f);
    Frame(45);
    EXPECT_EQ(g_frameDelay, 45);
    Frame(46, 0, 1);
    EXPECT_EQ(g_frameDelay, 45);
    EXPECT_EQ(g_realFrameDelay, 46);
}

TEST_F(FrameTest, TheClockWrapsBetweenFrames) {
    UseTestClock(2147483647 - 5);
    g_lastMilliSecs = 2147483647 - 5;
    Frame(20);
    EXPECT_EQ(g_frameDelay, 20);
}

TEST_F(FrameTest, TwoCallsInOneMillisecond) {
    SetGlobalGameSpeed(0.5f, 10.0f, 3.0f);
    Frame(0);
    EXPECT_EQ(g_frameDelay, 0);
    EXPECT_EQ(g_gameSpeedFactor, 0.0f);
    EXPECT_EQ(g_gameSpeedModulationTTL, 3.0f);
    EXPECT_EQ(g_gameSpeedModulation, 1.0f);
}

TEST_F(FrameTest, TheDifficultyAndTheMultiplierScaleTheFactor) {
    g_gameSpeedDifficultyAdjust = 1.5f;
    g_gameSpeedModulation = g_gameSpeedTargetModulation = 0.5f;
    Frame(40);
    EXPECT_EQ(g_gameSpeedFactor, 0.5f * 0.5f * 1.5f);
    // Menus use the plain frame time.
    Frame(40, 0, 1);
    EXPECT_EQ(g_gameSpeedFactor, 0.5f);
}

TEST_F(FrameTest, SetGlobalGameSpeedStoresWithoutMoving) {
    EXPECT_EQ(SetGlobalGameSpeed(0.33f, 5.0f, 12.0f), 0);
    EXPECT_EQ(g_gameSpeedTargetModulation, 0.33f);
    EXPECT_EQ(g_gameSpeedModulationRate, 5.0f);
    EXPECT_EQ(g_gameSpeedModulationTTL, 12.0f);
    EXPECT_EQ(g_gameSpeedModulation, 1.0f);
}

TEST_F(FrameTest, TheMultiplierGlidesDownAndStopsOnTheTarget) {
    SetGlobalGameSpeed(0.5f, 10.0f, -1.0f);
    Frame(40);
    EXPECT_EQ(g_gameSpeedFactor, 0.5f);  // the multiplier from before this frame's step
    EXPECT_FLOAT_EQ(g_gameSpeedModulation, 0.95f);
    Frame(40);
    EXPECT_FLOAT_EQ(g_gameSpeedFactor, 0.475f);
    EXPECT_FLOAT_EQ(g_gameSpeedModulation, 0.9025f);
    float previous = g_gameSpeedModulation;
    int frames = 0;
    while (g_gameSpeedModulation != 0.5f && frames < 1000) {
        Frame(40);
        EXPECT_LT(g_gameSpeedModulation, previous);
        EXPECT_GE(g_gameSpeedModulation, 0.5f);
        previous = g_gameSpeedModulation;
        ++frames;
    }
    EXPECT_EQ(g_gameSpeedModulation, 0.5f);
    Frame(40);
    EXPECT_EQ(g_gameSpeedModulation, 0.5f);
    EXPECT_EQ(g_gameSpeedModulationTTL, -1.0f);
}

TEST_F(FrameTest, TheMultiplierGlidesUpAndStopsOnTheTarget) {
    SetGlobalGameSpeed(2.0f, 10.0f, -1.0f);
    Frame(40);
    EXPECT_FLOAT_EQ(g_gameSpeedModulation, 1.05f);
    for (int i = 0; i < 1000 && g_gameSpeedModulation != 2.0f; ++i) {
        Frame(40);
        EXPECT_LE(g_gameSpeedModulation, 2.0f);
    }
    EXPECT_EQ(g_gameSpeedModulation, 2.0f);
}

TEST_F(FrameTest, ARateOfZeroOrBelowJumpsToTheTarget) {
    const float rates[] = {0.0f, -3.0f};
    for (float rate : rates) {
        g_gameSpeedModulation = 1.0f;
        SetGlobalGameSpeed(0.25f, rate, -1.0f);
        Frame(40);
        EXPECT_EQ(g_gameSpeedFactor, 0.5f) << rate;
        EXPECT_EQ(g_gameSpeedModulation, 0.25f) << rate;
    }
    EXPECT_EQ(g_DebugLog, "");
    // A menu still freezes it.
    g_gameSpeedModulation = 1.0f;
    Frame(40, 0, 1);
    EXPECT_EQ(g_gameSpeedModulation, 1.0f);
}

TEST_F(FrameTest, ATimedChangeEndsAndGlidesBack) {
    SetGlobalGameSpeed(0.5f, 10.0f, 1.0f);
    Frame(40);  // ttl 1 - 0.5
    EXPECT_EQ(g_gameSpeedModulationTTL, 0.5f);
    Frame(40);  // exactly 0 is not over yet
    EXPECT_EQ(g_gameSpeedModulationTTL, 0.0f);
    EXPECT_EQ(g_gameSpeedTargetModulation, 0.5f);
    Frame(40);
    EXPECT_EQ(g_gameSpeedModulationTTL, -1.0f);
    EXPECT_EQ(g_gameSpeedTargetModulation, 1.0f);
    for (int i = 0; i < 1000 && g_gameSpeedModulation != 1.0f; ++i) Frame(40);
    EXPECT_EQ(g_gameSpeedModulation, 1.0f);
}

TEST_F(FrameTest, TheTimeToLiveCountsCappedTimeWhateverTheMultiplier) {
    g_gameSpeedModulation = 0.25f;
    SetGlobalGameSpeed(0.25f, 10.0f, 2.0f);
    Frame(200);  // counts as 45 ms
    EXPECT_EQ(g_gameSpeedModulationTTL, 2.0f - 0.5625f);
}

TEST_F(FrameTest, ATimeToLiveOfZeroEndsOnTheFirstFrameWithTime) {
    SetGlobalGameSpeed(0.5f, 10.0f, 0.0f);
    Frame(0);
    EXPECT_EQ(g_gameSpeedModulationTTL, 0.0f);
    Frame(1);
    EXPECT_EQ(g_gameSpeedModulationTTL, -1.0f);
    EXPECT_EQ(g_gameSpeedTargetModulation, 1.0f);
}

TEST_F(FrameTest, ANegativeTimeToLiveEndsOnTheFirstFrame) {
    SetGlobalGameSpeed(0.5f, 10.0f, -0.5f);
    Frame(0);
    EXPECT_EQ(g_gameSpeedModulationTTL, -1.0f);
    EXPECT_EQ(g_gameSpeedTargetModulation, 1.0f);
}

TEST_F(FrameTest, MenusFreezeTheChange) {
    SetGlobalGameSpeed(0.5f, 10.0f, 5.0f);
    g_gameSpeedModulation = 0.8f;
    for (int i = 0; i < 10; ++i) Frame(30, 0, 1);
    EXPECT_EQ(g_gameSpeedModulation, 0.8f);
    EXPECT_EQ(g_gameSpeedModulationTTL, 5.0f);
    EXPECT_EQ(g_gameSpeedFactor, 0.375f);
}

// ---------------------------------------------------------------------------
struct ClockCase {
    const char* time24;
    const char* shown;
};

void PrintTo(const ClockCase& c, std::ostream* os) { *os << c.time24; }

class ClockTextTest : public testing::TestWithParam<ClockCase> {};

TEST_P(ClockTextTest, TwelveHourForm) { EXPECT_EQ(TwelveHourClock(GetParam().time24), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(Times, ClockTextTest,
                         testing::Values(ClockCase{"00:00:00", "12:00 AM"}, ClockCase{"00:30:15", "12:30 AM"},
                                         ClockCase{"01:00:59", "01:00 AM"}, ClockCase{"09:05:00", "09:05 AM"},
                                         ClockCase{"11:59:59", "11:59 AM"}, ClockCase{"12:00:00", "12:00 PM"},
                                         ClockCase{"12:30:00", "12:30 PM"}, ClockCase{"13:05:00", "1:05 PM"},
                                         ClockCase{"22:10:00", "10:10 PM"}, ClockCase{"23:59:59", "11:59 PM"}));

// ---------------------------------------------------------------------------
namespace {

class OverlayTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        ASSERT_TRUE(Graphics(1024, 768, 0, 60));
        std::string font = DataFolder() + "data/fonts/DejaVuSans.ttf";
        g_SmallFont = LoadImageFont(font, 12, 4);
        g_LargeFont = LoadImageFont(font, 36, 4);
        ASSERT_NE(g_SmallFont, nullptr);
        ASSERT_NE(g_LargeFont, nullptr);
    }
    void TearDown() override {
        SetImageFont(nullptr);
        SetScale(1, 1);
        EndGraphics();
        FrameTest::TearDown();
    }
    static std::vector<DrawCall> Recorded(int ms, int showDebug, int menuMode) {
        StartRecording();
        Frame(ms, showDebug, menuMode);
        return StopRecording();
    }
};

bool IsClockText(const std::string& text) {
    return std::regex_match(text, std::regex("(12|0[1-9]|1[01]|[1-9]):[0-5][0-9] (AM|PM)"));
}

}  // namespace

TEST_F(OverlayTest, NoOverlayDrawsNothing) { EXPECT_TRUE(Recorded(30, 0, 0).empty()); }

TEST_F(OverlayTest, TheOverlayCoversTheScreenAndShowsTheClock) {
    g_ScreenOverlayRed = 10, g_ScreenOverlayGreen = 20, g_ScreenOverlayBlue = 30;
    g_ScreenOverlayAlpha = 0.5f;
    SetOrigin(7, 7);
    SetHandle(3, 3);
    SetScale(2, 2);
    SetRotation(30);
    std::vector<DrawCall> calls = Recorded(30, 0, 1);
    ASSERT_EQ(calls.size(), 2u);

    const DrawCall& rect = calls[0];
    EXPECT_EQ(rect.kind, DrawKind::Rect);
    EXPECT_EQ(rect.x, 0);
    EXPECT_EQ(rect.y, 0);
    EXPECT_EQ(rect.w, static_cast<float>(GraphicsWidth()));
    EXPECT_EQ(rect.h, static_cast<float>(GraphicsHeight()));
    EXPECT_EQ(rect.w, 1024);
    EXPECT_EQ(rect.h, 768);
    EXPECT_EQ(rect.state.red, 10);
    EXPECT_EQ(rect.state.green, 20);
    EXPECT_EQ(rect.state.blue, 30);
    EXPECT_EQ(rect.state.alpha, 0.5f);
    EXPECT_EQ(rect.state.blend, ALPHABLEND);
    EXPECT_EQ(rect.state.originX, 0);
    EXPECT_EQ(rect.state.handleX, 0);
    EXPECT_EQ(rect.state.scaleX, 1);
    EXPECT_EQ(rect.state.rotation, 0);
    ASSERT_EQ(rect.corners.size(), 4u);
    EXPECT_EQ(rect.corners[0].x, 0);
    EXPECT_EQ(rect.corners[0].y, 0);
    EXPECT_EQ(rect.corners[2].x, 1024);
    EXPECT_EQ(rect.corners[2].y, 768);

    const DrawCall& clock = calls[1];
    EXPECT_EQ(clock.kind, DrawKind::Text);
    EXPECT_EQ(clock.x, 10);
    EXPECT_EQ(clock.y, 10);
    EXPECT_TRUE(IsClockText(clock.text)) << clock.text;
    EXPECT_EQ(clock.state.red, 255);
    EXPECT_EQ(clock.state.green, 255);
    EXPECT_EQ(clock.state.alpha, 0.5f);  // fades with the overlay
    EXPECT_EQ(clock.state.font, g_SmallFont);

    // Afterwards the state is as every screen expects, the font left on the small one.
    const DrawState& s = CurrentDrawState();
    EXPECT_EQ(s.originX, 0);
    EXPECT_EQ(s.handleY, 0);
    EXPECT_EQ(s.red, 255);
    EXPECT_EQ(s.blue, 255);
    EXPECT_EQ(s.alpha, 1);
    EXPECT_EQ(s.blend, ALPHABLEND);
    EXPECT_EQ(s.rotation, 0);
    EXPECT_EQ(s.scaleX, 1);
    EXPECT_EQ(s.font, g_SmallFont);
}

TEST_F(OverlayTest, TheDebugTexts) {
    g_debugSpritesInMemory = 7;
    std::vector<DrawCall> calls = Recorded(30, 1, 0);
    g_debugSpritesInMemory = 0;
    ASSERT_EQ(calls.size(), 4u);
    const float ys[] = {300, 312, 324, 336};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(calls[i].kind, DrawKind::Text);
        EXPECT_EQ(calls[i].x, 800);
        EXPECT_EQ(calls[i].y, ys[i]);
        EXPECT_EQ(calls[i].state.font, g_SmallFont);
        EXPECT_EQ(calls[i].state.alpha, 1);
        EXPECT_EQ(calls[i].state.red, 255);
    }
    EXPECT_EQ(calls[0].text, "  Delay: 30 ms");
    EXPECT_TRUE(std::regex_match(calls[1].text, std::regex(" Memory: [0-9]+"))) << calls[1].text;
    EXPECT_EQ(calls[2].text, " Factor: 0.375000000");
    EXPECT_EQ(calls[3].text, " Sprites: 7");
    EXPECT_EQ(GetImageFont(), g_LargeFont);
}

TEST_F(OverlayTest, TheDebugTextsShowTheFinalFactorAfterTheCap) {
    g_gameSpeedDifficultyAdjust = 2.0f;
    std::vector<DrawCall> calls = Recorded(90, 1, 0);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].text, "  Delay: 45 ms");
    EXPECT_EQ(calls[2].text, " Factor: 1.12500000");
}

TEST_F(OverlayTest, OnlyOneAsksForTheDebugTexts) {
    EXPECT_TRUE(Recorded(30, 2, 0).empty());
    EXPECT_TRUE(Recorded(30, -1, 0).empty());
}

TEST_F(OverlayTest, TheOverlayCoversTheDebugTexts) {
    g_ScreenOverlayAlpha = 1.0f;
    std::vector<DrawCall> calls = Recorded(30, 1, 0);
    ASSERT_EQ(calls.size(), 6u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(calls[i].kind, DrawKind::Text);
    EXPECT_EQ(calls[4].kind, DrawKind::Rect);
    EXPECT_EQ(calls[5].kind, DrawKind::Text);
    EXPECT_EQ(GetImageFont(), g_SmallFont);
}

TEST_F(OverlayTest, TheResetKeepsScaleAndFont) {
    SetScale(2, 3);
    SetImageFont(g_LargeFont);
    SetColor(1, 2, 3);
    SetAlpha(0.2f);
    SetBlend(LIGHTBLEND);
    SetRotation(45);
    SetOrigin(5, 6);
    SetHandle(1, 1);
    Frame(30);
    const DrawState& s = CurrentDrawState();
    EXPECT_EQ(s.scaleX, 2);
    EXPECT_EQ(s.scaleY, 3);
    EXPECT_EQ(s.font, g_LargeFont);
    EXPECT_EQ(s.red, 255);
    EXPECT_EQ(s.green, 255);
    EXPECT_EQ(s.blue, 255);
    EXPECT_EQ(s.alpha, 1);
    EXPECT_EQ(s.blend, ALPHABLEND);
    EXPECT_EQ(s.rotation, 0);
    EXPECT_EQ(s.originX, 0);
    EXPECT_EQ(s.originY, 0);
    EXPECT_EQ(s.handleX, 0);
    EXPECT_EQ(s.handleY, 0);
}
