// Floating texts: which slot of the pool a new text takes, and how a text drifts, turns,
// pulses, fades and is placed when it is drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/globals.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "support/game_test.h"

namespace {

class ImageTextTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_debugLogQuiet = 1;
        InitGlobals();
        InitSprites();
        for (const ImageTextPtr& slot : g_ImageTextArray) *slot = ImageText();
        // A font in which every letter is 27 wide and a line 35 high.
        auto font = std::make_shared<TImageFont>();
        font->lineHeight = 35;
        for (TGlyph& glyph : font->glyphs) glyph.advance = 27;
        g_LargeFont = font;
    }
    void TearDown() override {
        SetImageFont(nullptr);
        GameTest::TearDown();
    }
    static void Add(float ttl) { AddToImageTextArray("5", 255, 0, 0, 100, 100, 0, 0, 1, 0, 0, 0, 1, ttl); }
    static int SlotOf(float ttl) {
        for (size_t i = 0; i < g_ImageTextArray.size(); ++i) {
            if (g_ImageTextArray[i]->ttl == ttl) return static_cast<int>(i);
        }
        return -1;
    }
    // Draws one text and returns its one draw call.
    static DrawCall DrawOnce(ImageText& text, int update) {
        StartRecording();
        text.Draw(update);
        std::vector<DrawCall> calls = StopRecording();
        EXPECT_EQ(calls.size(), 1u);
        return calls.empty() ? DrawCall() : calls[0];
    }
};

TEST_F(ImageTextTest, SlotsFillFromTheTopDown) {
    ASSERT_EQ(g_ImageTextArray.size(), 24u);
    Add(10);
    EXPECT_EQ(SlotOf(10), 23);
    Add(11);
    EXPECT_EQ(SlotOf(11), 22);

    // An expired slot waits until every fresh one is taken.
    g_ImageTextArray[5]->ttl = -0.5f;
    Add(12);
    EXPECT_EQ(SlotOf(12), 21);
    for (int i = 0; i < 20; ++i) Add(20.0f + i);
    EXPECT_EQ(SlotOf(39), 0) << "the last fresh slot";
    Add(50);
    EXPECT_EQ(SlotOf(50), 5) << "then the expired one";

    // All 24 showing: the smallest life goes; of equal ones the higher slot.
    g_ImageTextArray[3]->ttl = 1;
    g_ImageTextArray[17]->ttl = 1;
    Add(60);
    EXPECT_EQ(g_ImageTextArray[17]->ttl, 60.0f);
    EXPECT_EQ(g_ImageTextArray[3]->ttl, 1.0f);
}

TEST_F(ImageTextTest, CreateSetsEverythingButThePulsePhase) {
    ImageText& slot = *g_ImageTextArray[0];
    slot.currentCycle = 0.3f;
    slot.Create("+100", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13);
    EXPECT_EQ(slot.textToDraw, "+100");
    const float fields[] = {slot.r,     slot.g,      slot.b,   slot.x,    slot.y,         slot.dx, slot.dy,
                            slot.scale, slot.dScale, slot.rot, slot.dRot, slot.cycleRate, slot.ttl};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(fields[i], static_cast<float>(i + 1));
    EXPECT_FLOAT_EQ(slot.currentCycle, 0.3f) << "a reused slot keeps its phase";
}

TEST_F(ImageTextTest, AdvanceDriftsTurnsAndCountsDown) {
    const float inf = std::numeric_limits<float>::infinity();
    struct {
        const char* what;
        float rot, dRot, want;
    } turns[] = {
        {"past a whole turn", 350, 20, 10},
        {"below zero", -30, 0, 330},
        {"a huge angle comes into range", 1.0e30f, 0, std::fmod(1.0e30f, 360.0f)},
        {"an infinite turn counts as 0", 10, inf, 0},
    };
    for (const auto& t : turns) {
        SCOPED_TRACE(t.what);
        ImageText text;
        text.Create("7", 255, 255, 255, 100, 200, 2, -1, 1, 0.5f, t.rot, t.dRot, 1, 10);
        text.Draw(1);
        EXPECT_FLOAT_EQ(text.rot, t.want);
        EXPECT_FLOAT_EQ(text.x, 102.0f);
        EXPECT_FLOAT_EQ(text.y, 199.0f);
        EXPECT_FLOAT_EQ(text.scale, 1.5f);
        EXPECT_FLOAT_EQ(text.ttl, 9.0f);
    }

    // A shrinking text stops at scale 0 and keeps its slot until its life is over.
    g_gameSpeedFactor = 0.5f;
    ImageText shrinking;
    shrinking.Create("7", 255, 255, 255, 0, 0, 0, 0, 1, -1, 0, 0, 1, 2);
    for (int i = 0; i < 3; ++i) shrinking.Draw(1);
    EXPECT_EQ(shrinking.scale, 0.0f);
    EXPECT_FLOAT_EQ(shrinking.ttl, 0.5f);
    shrinking.Draw(1);
    EXPECT_EQ(shrinking.ttl, 0.0f);
    StartRecording();
    shrinking.Draw(1);
    EXPECT_TRUE(StopRecording().empty());
}

TEST_F(ImageTextTest, PulseSwingsBetweenColourAndWhite) {
    ImageText text;
    text.Create("1", 0, 255, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0.5f, 10);
    text.currentCycle = 0.5f;
    DrawCall call = DrawOnce(text, 0);
    EXPECT_EQ(call.state.red, 127);
    EXPECT_EQ(call.state.green, 255);
    EXPECT_EQ(call.state.blue, 127);

    // Rate 0.5 from phase 0.5: it reaches 1, turns when it would pass it, falls to 0 and
    // turns again when it would go below.
    const float phases[] = {1, 1, 0.5f, 0, 0};
    const float rates[] = {0.5f, -0.5f, -0.5f, -0.5f, 0.5f};
    for (int i = 0; i < 5; ++i) {
        text.Draw(1);
        EXPECT_FLOAT_EQ(text.currentCycle, phases[i]) << i;
        EXPECT_FLOAT_EQ(text.cycleRate, rates[i]) << i;
    }
    text.currentCycle = 0;
    call = DrawOnce(text, 0);
    EXPECT_EQ(call.state.red, 255) << "phase 0 is white";
    EXPECT_EQ(call.state.blue, 255);
}

TEST_F(ImageTextTest, DrawnCentredScaledAndFading) {
    g_widthFactor = 2.0f;
    g_heightFactor = 0.5f;
    ImageText text;
    text.Create("A", 255, 255, 255, 100, 200, 0, 0, 1.5f, 0, 30, 0, 1, 1.5f);
    DrawCall call = DrawOnce(text, 0);
    EXPECT_EQ(call.text, "A");
    // 27 by 35: the corner 13 left of and 17 above the centre, before the screen factors.
    EXPECT_FLOAT_EQ(call.x, (100 - 13) * 2.0f);
    EXPECT_FLOAT_EQ(call.y, (200 - 17) * 0.5f);
    EXPECT_FLOAT_EQ(call.state.scaleX, 3.0f);
    EXPECT_FLOAT_EQ(call.state.scaleY, 0.75f);
    EXPECT_FLOAT_EQ(call.state.rotation, 30.0f);
    EXPECT_FLOAT_EQ(call.state.alpha, 0.75f);
    EXPECT_EQ(call.state.font, g_LargeFont);

    // Drawing without advancing draws the same picture and changes nothing.
    DrawCall again = DrawOnce(text, 0);
    EXPECT_EQ(again.x, call.x);
    EXPECT_EQ(again.state.alpha, call.state.alpha);
    EXPECT_EQ(text.ttl, 1.5f);

    text.ttl = 2;
    EXPECT_FLOAT_EQ(DrawOnce(text, 0).state.alpha, 1.0f);

    // A life of 0 or less is never drawn.
    for (float ttl : {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN()}) {
        ImageText dead;
        dead.Create("x", 255, 255, 255, 0, 0, 0, 0, 1, 0, 0, 0, 1, ttl);
        StartRecording();
        dead.Draw(1);
        EXPECT_TRUE(StopRecording().empty()) << ttl;
    }
}

}  // namespace
