// The menu button: its click states over the mouse, the strict hit test, the hot key with and
// without Command, the click's sound and flush, sizing and placing in the menu column, the
// font rule, drawing by state, Clone and Unlink.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/globals.h"
#include "media/menubutton.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "support/support.h"

namespace {

// Fonts whose every glyph has one advance, so a label's width is its length times that.
constexpr int kMenuHeight = 30, kMenuAdvance = 10;
constexpr int kMidHeight = 24, kMidAdvance = 7;

TImageFontPtr MakeFont(int lineHeight, int advance) {
    auto font = std::make_shared<TImageFont>();
    font->lineHeight = lineHeight;
    for (TGlyph& glyph : font->glyphs) glyph.advance = advance;
    return font;
}

SoundPtr MakeLoadedSound() {
    auto data = std::make_shared<TSampleData>();
    data->frames.assign(4410, 0.1f);
    auto sample = std::make_shared<TSound>();
    sample->data = data;
    auto sound = std::make_shared<Sound>();
    sound->soundData = sample;
    sound->name = "click";
    return sound;
}

// The button's rectangle in every state test: (100, 50) to (300, 90).
constexpr float kX = 100, kY = 50, kW = 200, kH = 40;
constexpr float kInX = 200, kInY = 70;
constexpr float kOutX = 10, kOutY = 10;

class MenuButtonTest : public ::testing::Test {
protected:
    TImageFontPtr savedMenuFont, savedMidFont;
    float savedWidthFactor = 1, savedHeightFactor = 1;
    int savedVirtualWidth = 1024;
    MixerPtr savedMixer;
    MenuButton button;

    void SetUp() override {
        SetBackend(Backend::Headless);
        ResetInput();
        g_debugLogQuiet = 1;
        ClearDebugLog();
        savedMenuFont = g_MenuFont;
        savedMidFont = g_MidFont;
        savedWidthFactor = g_widthFactor;
        savedHeightFactor = g_heightFactor;
        savedVirtualWidth = g_virtualWidth;
        savedMixer = g_MasterMixer;

        g_MenuFont = MakeFont(kMenuHeight, kMenuAdvance);
        g_MidFont = MakeFont(kMidHeight, kMidAdvance);
        // Unequal factors show an x scaled by the height factor or the reverse.
        g_widthFactor = 0.625f;
        g_heightFactor = 0.75f;
        g_virtualWidth = 1024;
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);

        SetScale(1, 1);
        SetImageFont(nullptr);
        SetColor(255, 255, 255);
        SetAlpha(1);
        Place(button);
    }
    void TearDown() override {
        StopRecording();
        if (g_MasterMixer) {
            for (int i = 0; i < g_MasterMixer->totalChannels; ++i) g_MasterMixer->EndSound(i);
        }
        g_MasterMixer = savedMixer;
        g_MenuFont = savedMenuFont;
        g_MidFont = savedMidFont;
        g_widthFactor = savedWidthFactor;
        g_heightFactor = savedHeightFactor;
        g_virtualWidth = savedVirtualWidth;
        SetScale(1, 1);
        SetImageFont(nullptr);
        ResetInput();
        g_debugLogQuiet = 0;
    }

    static void Place(MenuButton& b) {
        b.x = kX;
        b.y = kY;
        b.width = kW;
        b.height = kH;
    }
    static void Press(int code) { InjectEvent({InputEventType::KeyDown, code}); }
    static void Release(int code) { InjectEvent({InputEventType::KeyUp, code}); }

    // The sounds the master mixer has started, in slot order.
    static std::vector<SoundPtr> StartedSounds() {
        std::vector<SoundPtr> started;
        for (const SoundPtr& s : g_MasterMixer->soundArray) {
            if (s) started.push_back(s);
        }
        return started;
    }
    static bool AnythingPlays() {
        for (const TChannelPtr& channel : g_MasterMixer->channelArray) {
            if (ChannelPlaying(channel)) return true;
        }
        return false;
    }
};

// ---------------------------------------------------------------------------
// The mouse.

TEST_F(MenuButtonTest, EachStateMovesByPressAndPlace) {
    struct Case {
        int from;
        bool inside;
        int buttonsDown;
        int to;
    };
    const Case cases[] = {
        {0, true, 0, 0},
        {0, false, 0, 0},
        {0, true, 1, 1},
        {0, false, 1, -1},
        {0, true, 2, 0},
        {1, true, 1, 1},
        {1, false, 1, 3},
        {1, true, 0, 2},
        {1, false, 0, 0},
        // Two buttons held are no press: over the button that is the release.
        {1, true, 2, 2},
        {1, false, 3, 0},
        {2, true, 1, 1},
        {2, false, 1, 0},
        {2, true, 0, 0},
        {2, false, 0, 0},
        {3, true, 1, 1},
        {3, false, 1, 3},
        {3, true, 0, 0},
        {3, false, 0, 0},
        {3, true, 2, 0},
        {-1, true, 0, 0},
        {-1, false, 0, 0},
        {-1, true, 1, -1},
        {-1, false, 1, -1},
        {-1, true, 2, -1},
        {-1, false, 3, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << (c.inside ? " inside" : " outside") << " with "
                                        << c.buttonsDown << " held");
        button.clickStatus = c.from;
        const int result =
            c.inside ? button.Update(kInX, kInY, c.buttonsDown) : button.Update(kOutX, kOutY, c.buttonsDown);
        EXPECT_EQ(button.clickStatus, c.to);
        EXPECT_EQ(result, c.to == 2 ? 1 : 0);
        EXPECT_EQ(button.mouseIn, c.inside ? 1 : 0);
    }
    EXPECT_TRUE(g_DebugLog.empty());
}

TEST_F(MenuButtonTest, ThePointerOnAnEdgeIsOutside) {
    struct Case {
        float mx, my;
        int in;
    };
    const Case cases[] = {
        {kX, kInY, 0},         {kX + kW, kInY, 0},
        {kInX, kY, 0},         {kInX, kY + kH, 0},
        {kX + 0.01f, kInY, 1}, {kX + kW - 0.01f, kInY, 1},
        {kInX, kY + 0.01f, 1}, {kInX, kY + kH - 0.01f, 1},
        {kX - 1, kY - 1, 0},   {kX + kW + 1, kY + kH + 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.mx << ", " << c.my << ")");
        button.clickStatus = 0;
        EXPECT_EQ(button.Update(c.mx, c.my, 0), 0);
        EXPECT_EQ(button.mouseIn, c.in);
        // A press there begins inside or outside by the same test.
        button.Update(c.mx, c.my, 1);
        EXPECT_EQ(button.clickStatus, c.in ? 1 : -1);
    }
}

TEST_F(MenuButtonTest, OnlyAPressThatBeginsAndEndsOverTheButtonClicksOnce) {
    struct Frame {
        bool inside;
        int buttonsDown;
    };
    struct Case {
        const char* name;
        std::vector<Frame> frames;
        std::vector<int> results;
        int finalStatus;
    };
    const Case cases[] = {
        {"press and release", {{true, 1}, {true, 0}, {true, 0}}, {0, 1, 0}, 0},
        {"a new press right after the click", {{true, 1}, {true, 0}, {true, 1}}, {0, 1, 0}, 1},
        {"dragged out and let go outside", {{true, 1}, {false, 1}, {false, 0}}, {0, 0, 0}, 0},
        {"dragged out and back", {{true, 1}, {false, 1}, {true, 1}, {true, 0}}, {0, 0, 0, 1}, 2},
        {"dragged out, let go back over it", {{true, 1}, {false, 1}, {true, 0}}, {0, 0, 0}, 0},
        {"begun outside, let go over it", {{false, 1}, {true, 1}, {true, 0}}, {0, 0, 0}, 0},
        {"begun outside, then a press inside", {{false, 1}, {true, 0}, {true, 1}, {true, 0}}, {0, 0, 0, 1}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MenuButton b;
        Place(b);
        std::vector<int> results;
        for (const Frame& f : c.frames) {
            results.push_back(f.inside ? b.Update(kInX, kInY, f.buttonsDown) : b.Update(kOutX, kOutY, f.buttonsDown));
        }
        EXPECT_EQ(results, c.results);
        EXPECT_EQ(b.clickStatus, c.finalStatus);
    }
}

// ---------------------------------------------------------------------------
// The click: sound and flush.

TEST_F(MenuButtonTest, AClickPlaysTheButtonsSoundAndReleasesEveryKeyAndMouseButton) {
    button.clickSound->Clone(MakeLoadedSound());
    Press(KEY_SPACE);
    InjectEvent({InputEventType::MouseDown, 1});
    InjectEvent({InputEventType::Char, 0, false, 'x'});
    button.Update(kInX, kInY, 1);
    EXPECT_EQ(KeyDown(KEY_SPACE), 1);  // a press alone flushes nothing

    EXPECT_EQ(button.Update(kInX, kInY, 0), 1);
    ASSERT_EQ(StartedSounds().size(), 1u);
    EXPECT_EQ(StartedSounds()[0], button.clickSound);
    EXPECT_TRUE(AnythingPlays());
    EXPECT_EQ(KeyDown(KEY_SPACE), 0);
    EXPECT_EQ(KeyHit(KEY_SPACE), 0);
    EXPECT_EQ(MouseDown(1), 0);
    EXPECT_EQ(MouseHit(1), 0);
    EXPECT_EQ(GetChar(), 0);
    EXPECT_TRUE(g_DebugLog.empty());
}

TEST_F(MenuButtonTest, NoSoundNeverStopsAClick) {
    struct Case {
        const char* name;
        void (*prepare)(MenuButton&);
    };
    const Case cases[] = {
        {"unlinked", [](MenuButton& b) { b.Unlink(); }},
        {"silent sound", [](MenuButton&) {}},
        {"mixer paused",
         [](MenuButton& b) {
             b.clickSound->Clone(MakeLoadedSound());
             g_MasterMixer->Pause();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MenuButton b;
        Place(b);
        b.hotKey = KEY_A;
        c.prepare(b);
        Press(KEY_SPACE);
        Press(KEY_A);
        EXPECT_EQ(b.Update(kOutX, kOutY, 0), 1);
        EXPECT_EQ(KeyDown(KEY_SPACE), 0);
        EXPECT_FALSE(AnythingPlays());
        g_MasterMixer->Resume();
        ResetInput();
    }
    EXPECT_TRUE(g_DebugLog.empty());
}

// ---------------------------------------------------------------------------
// The hot key.

TEST_F(MenuButtonTest, TheHotKeyClicksFromAnyStateAndAnywhere) {
    button.hotKey = KEY_A;
    struct Case {
        const char* name;
        int status;
        float y;
        int buttonsDown;
    };
    const Case cases[] = {
        {"idle", 0, kY, 0},
        {"held down elsewhere", -1, kY, 1},
        {"dragged out", 3, kY, 1},
        {"off screen", 0, -1000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        button.clickStatus = c.status;
        button.y = c.y;
        Press(KEY_A);
        EXPECT_EQ(button.Update(kOutX, kOutY, c.buttonsDown), 1);
        EXPECT_EQ(button.clickStatus, 2);
        Release(KEY_A);
    }
}

TEST_F(MenuButtonTest, UnderCommandTheHotKeyPressIsUsedUpWithoutAClick) {
    button.hotKey = KEY_Q;
    for (int command : {KEY_LCOMMAND, KEY_RCOMMAND}) {
        SCOPED_TRACE(command);
        Press(command);
        Press(KEY_Q);
        EXPECT_EQ(button.Update(kOutX, kOutY, 0), 0);
        Release(command);
        Release(KEY_Q);
        // The press is gone: a later frame without Command does not see it.
        EXPECT_EQ(button.Update(kOutX, kOutY, 0), 0);
        EXPECT_EQ(KeyHit(KEY_Q), 0);
    }
}

TEST_F(MenuButtonTest, WithoutAHotKeyNoKeyIsAsked) {
    Press(KEY_A);
    EXPECT_EQ(button.Update(kOutX, kOutY, 0), 0);
    EXPECT_EQ(KeyHit(KEY_A), 1);
}

TEST_F(MenuButtonTest, TwoButtonsOnOneHotKeyClickOnlyTheFirstUpdated) {
    MenuButton second;
    Place(second);
    button.hotKey = KEY_A;
    second.hotKey = KEY_A;
    Press(KEY_A);
    EXPECT_EQ(button.Update(kOutX, kOutY, 0), 1);
    EXPECT_EQ(second.Update(kOutX, kOutY, 0), 0);
    EXPECT_EQ(second.clickStatus, 0);
}

TEST_F(MenuButtonTest, AfterAClickALaterButtonSeesNoKeysButStillTheFramesMouse) {
    MenuButton second;
    Place(second);
    button.hotKey = KEY_A;
    second.hotKey = KEY_A + 1;
    Press(KEY_A);
    Press(KEY_A + 1);
    EXPECT_EQ(button.Update(kInX, kInY, 1), 1);
    EXPECT_EQ(second.Update(kInX, kInY, 1), 0);
    // The mouse values the screen polled before the flush still reach it.
    EXPECT_EQ(second.clickStatus, 1);
    EXPECT_EQ(second.mouseIn, 1);
}

// ---------------------------------------------------------------------------
// Size and place.

TEST_F(MenuButtonTest, PositionSizesFromTheLabelOrTheGivenLogicalSize) {
    const float wf = 0.625f, hf = 0.75f;
    const float menuHeight = kMenuHeight * hf * 0.95f;
    const std::string s25(25, 'a'), s26(26, 'a');
    struct Case {
        const char* name;
        std::string text;
        float x, y, width, height;
        int centre;
        float wantX, wantWidth, wantHeight;
        TImageFontPtr* font;  // left selected
    };
    const Case cases[] = {
        {"natural size", "Play", 7, 9, -1, -1, 0, 7, (4 * kMenuAdvance + 10) * wf, menuHeight, &g_MenuFont},
        {"empty label", "", 7, 9, -1, -1, 0, 7, 10 * wf, menuHeight, &g_MenuFont},
        {"25 characters", s25, 7, 9, -1, -1, 0, 7, (25 * kMenuAdvance + 10) * wf, menuHeight, &g_MenuFont},
        // The width comes from the smaller font, the height still from the menu font.
        {"26 characters", s26, 7, 9, -1, -1, 0, 7, (26 * kMidAdvance + 10) * wf, menuHeight, &g_MidFont},
        {"column width, centred", s26, -1000, -1000, 400, -1, 1, 1024 * wf / 2 - 400 * wf / 2, 400 * wf, menuHeight,
         &g_MidFont},
        {"given height", "Play", 7, 9, -1, 50, 0, 7, (4 * kMenuAdvance + 10) * wf, 50 * hf, &g_MenuFont},
        {"centre 0", "Play", 7, 9, 400, -1, 0, 7, 400 * wf, menuHeight, &g_MenuFont},
        {"centre 2", "Play", 7, 9, 400, -1, 2, 7, 400 * wf, menuHeight, &g_MenuFont},
        {"centre -1", "Play", 7, 9, 400, -1, -1, 7, 400 * wf, menuHeight, &g_MenuFont},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MenuButton b;
        b.text = c.text;
        EXPECT_EQ(b.Position(c.x, c.y, c.width, c.height, c.centre), 0);
        EXPECT_FLOAT_EQ(b.x, c.wantX);
        EXPECT_FLOAT_EQ(b.y, c.y);
        EXPECT_FLOAT_EQ(b.width, c.wantWidth);
        EXPECT_FLOAT_EQ(b.height, c.wantHeight);
        EXPECT_EQ(GetImageFont(), *c.font);
        float sx = 0, sy = 0;
        GetScale(sx, sy);
        EXPECT_EQ(sx, wf);
        EXPECT_EQ(sy, hf);
    }
}

TEST_F(MenuButtonTest, RowsAreCentredInTheBand) {
    button.Position(-1000, -1000, 400, -1, 1);
    const float x = button.x;
    const float h = kMenuHeight * 0.75f * 0.95f;
    for (int row : {0, 1, 4}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(button.PositionButtonOnMenu(row, 5, 210, 354, 4), 0);
        EXPECT_FLOAT_EQ(button.y, 210 * 0.75f + row * (h + 4) + (354 * 0.75f - 5 * (h + 4)) / 2);
        EXPECT_EQ(button.x, x);
    }
    // One row of one sits in the middle of the band.
    button.PositionButtonOnMenu(0, 1, 210, 354, 4);
    EXPECT_FLOAT_EQ(button.y + (h + 4) / 2, (210 + 354 / 2.0f) * 0.75f);
}

// ---------------------------------------------------------------------------
// Drawing.

TEST_F(MenuButtonTest, DrawShowsTheStateOfTheLastUpdate) {
    struct Rgb {
        int r, g, b;
    };
    struct Case {
        int mouseIn, clickStatus;
        Rgb face, label;
    };
    const Rgb black{0, 0, 0}, green{0, 200, 0}, white{255, 255, 255};
    const Case cases[] = {
        {1, 0, {0, 100, 0}, white}, {1, 1, {100, 200, 100}, white}, {1, 2, black, green},
        {1, 3, black, green},       {1, -1, black, green},          {0, 0, black, green},
        {0, 1, black, green},       {0, 3, black, green},           {0, -1, black, green},
    };
    const float wf = 0.625f, hf = 0.75f;
    button.text = "Play";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mouseIn " << c.mouseIn << ", clickStatus " << c.clickStatus);
        button.mouseIn = c.mouseIn;
        button.clickStatus = c.clickStatus;
        StartRecording();
        EXPECT_EQ(button.Draw(), 0);
        const std::vector<DrawCall> calls = StopRecording();
        ASSERT_EQ(calls.size(), 3u);

        const DrawCall& border = calls[0];
        EXPECT_EQ(border.kind, DrawKind::Rect);
        EXPECT_EQ(border.x, kX - 1);
        EXPECT_EQ(border.y, kY - 1);
        EXPECT_EQ(border.w, kW + 2);
        EXPECT_EQ(border.h, kH + 2);
        EXPECT_EQ(border.state.scaleX, 1);
        EXPECT_EQ(border.state.scaleY, 1);
        EXPECT_EQ(border.state.red, 0);
        EXPECT_EQ(border.state.green, 200);
        EXPECT_EQ(border.state.blue, 0);
        EXPECT_FLOAT_EQ(border.state.alpha, 0.66f);

        const DrawCall& face = calls[1];
        EXPECT_EQ(face.kind, DrawKind::Rect);
        EXPECT_EQ(face.x, kX);
        EXPECT_EQ(face.y, kY);
        EXPECT_EQ(face.w, kW);
        EXPECT_EQ(face.h, kH);
        EXPECT_EQ(face.state.scaleX, 1);
        EXPECT_EQ(face.state.red, c.face.r);
        EXPECT_EQ(face.state.green, c.face.g);
        EXPECT_EQ(face.state.blue, c.face.b);
        EXPECT_FLOAT_EQ(face.state.alpha, 0.66f);

        const DrawCall& label = calls[2];
        EXPECT_EQ(label.kind, DrawKind::Text);
        EXPECT_EQ(label.text, "Play");
        EXPECT_FLOAT_EQ(label.x, kX + (kW - 4 * kMenuAdvance * wf) / 2);
        EXPECT_FLOAT_EQ(label.y, kY + (kH - kMenuHeight * hf) / 2);
        EXPECT_EQ(label.state.scaleX, wf);
        EXPECT_EQ(label.state.scaleY, hf);
        EXPECT_EQ(label.state.font, g_MenuFont);
        EXPECT_EQ(label.state.red, c.label.r);
        EXPECT_EQ(label.state.green, c.label.g);
        EXPECT_EQ(label.state.blue, c.label.b);
        EXPECT_FLOAT_EQ(label.state.alpha, 0.66f);

        // What it drew the label with stays in force for the screen's next text.
        const DrawState& after = CurrentDrawState();
        EXPECT_EQ(after.scaleX, wf);
        EXPECT_EQ(after.scaleY, hf);
        EXPECT_EQ(after.font, g_MenuFont);
        EXPECT_EQ(after.red, c.label.r);
        EXPECT_FLOAT_EQ(after.alpha, 0.66f);
    }
}

TEST_F(MenuButtonTest, ALongLabelIsSetSmallerAndNarrowedOnlyWhereItWouldReachTheEdges) {
    const float wf = 0.625f, hf = 0.75f;
    // What the 200-pixel button leaves its label: 193.75 pixels.
    const float room = kW - kLabelMargin * wf;
    struct Case {
        int length;
        bool ownWidth;  // the button sized from its label
        TImageFontPtr* font;
        float drawnWidth;
    };
    const Case cases[] = {
        {25, false, &g_MenuFont, 25 * kMenuAdvance * wf},
        {26, false, &g_MidFont, 26 * kMidAdvance * wf},
        {44, false, &g_MidFont, 44 * kMidAdvance * wf},
        {45, false, &g_MidFont, room},
        {60, false, &g_MidFont, room},
        {60, true, &g_MidFont, 60 * kMidAdvance * wf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << (c.ownWidth ? " in its own width" : ""));
        button.text = std::string(static_cast<size_t>(c.length), 'a');
        if (c.ownWidth) {
            button.Position(kX, kY, -1, -1, 0);
        } else {
            Place(button);
        }
        StartRecording();
        button.Draw();
        const std::vector<DrawCall> calls = StopRecording();
        ASSERT_EQ(calls.size(), 3u);
        const DrawCall& label = calls[2];
        EXPECT_EQ(label.state.font, *c.font);
        EXPECT_FLOAT_EQ(label.corners[1].x - label.corners[0].x, c.drawnWidth);
        EXPECT_NEAR((label.corners[0].x + label.corners[1].x) / 2, button.x + button.width / 2, 1e-3) << "centred";
        EXPECT_EQ(label.state.scaleY, hf);
        // The screen scale is back for the screen's next text.
        EXPECT_EQ(CurrentDrawState().scaleX, wf);
    }
}

// ---------------------------------------------------------------------------
// Clone and failures.

TEST_F(MenuButtonTest, CloneTakesEverythingButTheHotKeyAndSharesTheSoundsAudio) {
    auto source = std::make_shared<MenuButton>();
    source->text = "Source";
    source->x = 1, source->y = 2, source->width = 3, source->height = 4;
    source->clickStatus = 3;
    source->mouseIn = 1;
    source->hotKey = KEY_A;
    source->clickSound->Clone(MakeLoadedSound());

    button.hotKey = KEY_Q;
    button.clickSound->Clone(MakeLoadedSound());
    const SoundPtr oldSound = button.clickSound;

    EXPECT_EQ(button.Clone(source), 0);
    EXPECT_EQ(button.text, "Source");
    EXPECT_EQ(button.x, 1);
    EXPECT_EQ(button.y, 2);
    EXPECT_EQ(button.width, 3);
    EXPECT_EQ(button.height, 4);
    EXPECT_EQ(button.clickStatus, 3);
    EXPECT_EQ(button.mouseIn, 1);
    EXPECT_EQ(button.hotKey, KEY_Q);
    // A sound of its own over the source's audio; the old one was unlinked on the way out.
    ASSERT_TRUE(button.clickSound);
    EXPECT_NE(button.clickSound, source->clickSound);
    EXPECT_EQ(button.clickSound->soundData, source->clickSound->soundData);
    EXPECT_EQ(button.clickSound->name, "click");
    EXPECT_FALSE(oldSound->soundData);

    // An unlinked source gives a silent copy.
    source->Unlink();
    MenuButton copy;
    EXPECT_EQ(copy.Clone(source), 0);
    ASSERT_TRUE(copy.clickSound);
    EXPECT_FALSE(copy.clickSound->soundData);
    EXPECT_EQ(copy.text, "Source");
    EXPECT_TRUE(g_DebugLog.empty());
}

TEST_F(MenuButtonTest, FailuresAreLoggedUnderTheMenuLabel) {
    EXPECT_EQ(button.Clone(nullptr), 0);
    g_MasterMixer = nullptr;
    button.hotKey = KEY_A;
    Press(KEY_A);
    // Without a mixer the click cannot be finished; nothing is flushed.
    Press(KEY_SPACE);
    EXPECT_EQ(button.Update(kOutX, kOutY, 0), 0);
    EXPECT_EQ(KeyDown(KEY_SPACE), 1);
    EXPECT_EQ(DebugLogLines(), (std::vector<std::string>{
                                   std::string("menu:MenuButton.Clone() ") + kNullAccessMessage,
                                   std::string("menu:MenuButton.Update() ") + kNullAccessMessage,
                               }));
}

}  // namespace
