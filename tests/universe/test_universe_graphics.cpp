// The screen: which listed mode is chosen, what the player's settings make of it, the screen
// factors and progress notes, the in-game buttons' layout, and the ways back when the display
// refuses a mode.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/globals.h"
#include "media/menubutton.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "support/support.h"
#include "universe/game.h"
#include "universe/universe.h"

// Found by argument lookup, so failures print the modes.
static std::ostream& operator<<(std::ostream& out, const GraphicsMode& m) {
    return out << m.width << "x" << m.height << "x" << m.depth << "@" << m.hertz;
}

namespace {

constexpr int kMenuFontHeight = 30;

TImageFontPtr MakeFont(int lineHeight, int advance) {
    auto font = std::make_shared<TImageFont>();
    font->lineHeight = lineHeight;
    for (TGlyph& glyph : font->glyphs) glyph.advance = advance;
    return font;
}

const GraphicsMode k1024x32x60 = {1024, 768, 32, 60};
const GraphicsMode k1024x32x75 = {1024, 768, 32, 75};
const GraphicsMode k1024x16x85 = {1024, 768, 16, 85};
const GraphicsMode k1024x32x85 = {1024, 768, 32, 85};
const GraphicsMode k800x32x60 = {800, 600, 32, 60};
const GraphicsMode k640x32x60 = {640, 480, 32, 60};
const GraphicsMode k1280x32x60 = {1280, 1024, 32, 60};
const GraphicsMode k1280x16x60 = {1280, 1024, 16, 60};

class GraphicsModeTest : public ::testing::Test {
protected:
    Universe u;
    TImageFontPtr savedLarge, savedMenu, savedMid;

    void SetUp() override {
        SetBackend(Backend::Headless);
        ResetHeadlessGraphics();
        StopRecording();
        // Each open flips a frame; a test clock keeps Flip from waiting for the refresh.
        UseTestClock(1000);
        g_debugLogQuiet = 1;
        ClearDebugLog();
        g_errorcode = {1, -15};
        g_errorseverity = {0, 0};
        g_errormessage = {"Progress note", "No usable screen mode."};
        savedLarge = g_LargeFont;
        savedMenu = g_MenuFont;
        savedMid = g_MidFont;
        g_LargeFont = MakeFont(36, 12);
        g_MenuFont = MakeFont(kMenuFontHeight, 10);
        g_MidFont = MakeFont(24, 7);
        g_virtualWidth = 1024;
        g_virtualHeight = 768;
        g_widthFactor = g_heightFactor = 1.0f;
        g_language = "en";
        SetDesktop(k1024x32x60);
        u.buttonNewFromThisLevel = std::make_shared<MenuButton>();
        u.buttonNewGame = std::make_shared<MenuButton>();
        u.buttonQuitToMain = std::make_shared<MenuButton>();
        u.buttonQuitCompletely = std::make_shared<MenuButton>();
    }
    void TearDown() override {
        u.Unlink();
        StopRecording();
        EndGraphics();
        ResetHeadlessGraphics();
        UseRealClock();
        g_LargeFont = savedLarge;
        g_MenuFont = savedMenu;
        g_MidFont = savedMid;
        g_virtualWidth = 1024;
        g_virtualHeight = 768;
        g_widthFactor = g_heightFactor = 1.0f;
        g_desktopWidth = g_desktopHeight = g_desktopDepth = g_desktopHertz = -1;
        g_language.clear();
        g_errorcode.clear();
        g_errorseverity.clear();
        g_errormessage.clear();
        SetImageFont(nullptr);
        SetScale(1, 1);
        ClearDebugLog();
        g_debugLogQuiet = 0;
    }

    // The desktop as the main program stores it at start-up, and as the display reports it.
    static void SetDesktop(const GraphicsMode& m) {
        g_desktopWidth = m.width, g_desktopHeight = m.height, g_desktopDepth = m.depth, g_desktopHertz = m.hertz;
        SetHeadlessDesktopMode(m);
    }
    GraphicsMode Screen() const { return {u.screenWidth, u.screenHeight, u.screenDepth, u.screenHertz}; }
};

// ---------------------------------------------------------------------------
// The choice.

TEST_F(GraphicsModeTest, PickTakesTheFirstSizeWithAModeWithinTheDesktopsDepthAndRate) {
    struct Case {
        const char* name;
        std::vector<GraphicsMode> modes;
        GraphicsMode desktop;
        int want;
        bool reported;  // -15
    };
    const Case cases[] = {
        {"the higher rate the desktop allows", {k1024x32x60, k1024x32x75}, k1024x32x75, 1, false},
        {"a desktop at 60 Hz keeps 60", {k1024x32x60, k1024x32x75}, k1024x32x60, 0, false},
        {"a later mode of lower rate loses", {k1024x16x85, k1024x32x60}, k1024x32x85, 0, false},
        {"a later mode of lower depth loses", {k1024x32x60, k1024x16x85}, k1024x32x85, 0, false},
        {"of two equal modes the later", {k1024x32x60, k800x32x60, k1024x32x60}, k1024x32x60, 2, false},
        {"above the desktop never qualifies", {k1024x32x85, k640x32x60, k800x32x60}, k1280x32x60, 2, false},
        {"800 x 600 decides before 640 x 480", {k640x32x60, k800x32x60, k1024x32x85}, k1024x32x60, 1, false},
        {"640 x 480 last", {k1280x32x60, k640x32x60}, k1280x32x60, 1, false},
        {"the desktop's own mode, the last listing of it",
         {k1024x32x60, k1280x16x60, k800x32x60, k1280x16x60},
         k1280x16x60,
         3,
         false},
        {"nothing fits and no desktop mode", {k1024x32x60, k800x32x60, k1280x32x60}, k1280x16x60, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearDebugLog();
        SetHeadlessGraphicsModes(c.modes);
        SetDesktop(c.desktop);
        EXPECT_EQ(u.PickOptimalGraphicsMode(), c.want);
        const bool reported = g_DebugStrings[0].find(
                                  "No usable screen mode. (Could not set screen to an appropriate "
                                  "graphics mode (1024x768, 800x600, and 640x480 all failed.)\n\n") == 0;
        EXPECT_EQ(reported, c.reported) << g_DebugStrings[0];
        EXPECT_TRUE(g_DebugLog.empty());
    }
}

TEST_F(GraphicsModeTest, ANoModeReportThatRaisesIsLoggedAndGivesIndexZero) {
    g_errorseverity = {0, 3};
    SetHeadlessGraphicsModes({k1024x32x60});
    SetDesktop(k1280x16x60);
    EXPECT_EQ(u.PickOptimalGraphicsMode(), 0);
    // The message runs over several lines: its detail has a blank line in it.
    EXPECT_EQ(g_DebugLog.rfind(" ERR: No usable screen mode. (Could not set screen", 0), 0u) << g_DebugLog;
    EXPECT_NE(g_DebugLog.find("\nuniverse:Universe.PickOptimalGraphicsMode() No usable screen mode. (Could not"),
              std::string::npos)
        << g_DebugLog;
}

// ---------------------------------------------------------------------------
// What the settings make of the chosen mode.

TEST_F(GraphicsModeTest, TheSettingsOverrideTheModeAndOnlyListedFullScreenModesOpen) {
    struct Case {
        const char* name;
        std::vector<GraphicsMode> modes;
        GraphicsMode desktop;
        int index, width, height, fullscreen, hertz, depth, desktopFlag;
        GraphicsMode want;  // depth 0: a window
    };
    const GraphicsMode d1280 = k1280x32x60;
    const std::vector<GraphicsMode> withDesktop = {k800x32x60, k1024x32x60, k1024x32x75, d1280};
    const std::vector<GraphicsMode> withoutDesktop = {k800x32x60, k1024x32x60, k1024x32x75};
    const Case cases[] = {
        {"the mode as listed", withDesktop, d1280, 1, -1, -1, 1, -1, -1, 0, k1024x32x60},
        {"full screen left unset", withDesktop, d1280, 1, -1, -1, -1, -1, -1, 0, k1024x32x60},
        {"a window of the mode's size", withDesktop, d1280, 1, -1, -1, 0, -1, -1, 0, {1024, 768, 0, 60}},
        {"a window of any size", withDesktop, d1280, 1, 700, 500, 0, -1, -1, 0, {700, 500, 0, 60}},
        {"0 keeps a value", withDesktop, d1280, 2, 0, 0, 1, 0, 0, 0, k1024x32x75},
        {"the overrides together", withDesktop, d1280, 0, 1024, 768, 1, 75, 32, 0, k1024x32x75},
        {"the desktop flag", withDesktop, d1280, 1, -1, -1, 1, -1, -1, 1, d1280},
        {"the desktop flag over a window", withDesktop, d1280, 1, 800, 600, 0, -1, -1, 1, d1280},
        {"the desktop flag with the desktop unknown",
         withDesktop,
         {-1, -1, -1, -1},
         1,
         -1,
         -1,
         1,
         -1,
         -1,
         1,
         k1024x32x60},
        {"an unlisted size gives the desktop", withDesktop, d1280, 1, 1152, 864, 1, -1, -1, 0, d1280},
        {"an unlisted rate gives the desktop", withDesktop, d1280, 1, -1, -1, 1, 85, -1, 0, d1280},
        // The best mode within the 60 Hz desktop is the 1024 x 768 one at 60.
        {"an unlisted size without the desktop", withoutDesktop, d1280, 0, 1152, 864, 1, -1, -1, 0, k1024x32x60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetHeadlessGraphics();
        SetHeadlessGraphicsModes(c.modes);
        SetDesktop(c.desktop);
        if (c.desktop.width < 0) SetHeadlessDesktopMode(d1280);
        EXPECT_EQ(u.UseGraphicsMode(c.index, c.width, c.height, c.fullscreen, c.hertz, c.depth, c.desktopFlag), 1);
        EXPECT_EQ(Screen(), c.want);
        ASSERT_EQ(RecordedGraphicsCalls().size(), 1u);
        EXPECT_EQ(RecordedGraphicsCalls()[0].mode, c.want);
        EXPECT_EQ(RecordedGraphicsCalls()[0].flags, 0);
        EXPECT_EQ(GraphicsWidth(), c.want.width);
        EXPECT_EQ(GraphicsHeight(), c.want.height);
    }
    EXPECT_TRUE(g_DebugLog.empty());
}

// ---------------------------------------------------------------------------
// Factors, notes and the in-game buttons.

TEST_F(GraphicsModeTest, EachOpenSetsTheFactorsNotesTheModeAndLaysOutTheButtons) {
    struct Case {
        GraphicsMode mode;
        float factor;
        const char* modeNote;
        const char* scaleNote;
        float height, width, x;
        float rows[4];  // y of rows 0, 1, 3 and 4
    };
    const Case cases[] = {
        {{1024, 768, 32, 60},
         1.0f,
         "Progress note (Graphics mode: 1024x768, 32-bit color @60Hz)",
         "Progress note (Scale ratio: 1.00000000 : 1.00000000)",
         28.5f,
         400.0f,
         312.0f,
         {305.75f, 338.25f, 403.25f, 435.75f}},
        {{800, 600, 16, 75},
         0.78125f,
         "Progress note (Graphics mode: 800x600, 16-bit color @75Hz)",
         "Progress note (Scale ratio: 0.781250000 : 0.781250000)",
         22.265625f,
         312.5f,
         243.75f,
         {236.6796875f, 262.9453125f, 315.4765625f, 341.7421875f}},
        {{640, 480, 32, 85},
         0.625f,
         "Progress note (Graphics mode: 640x480, 32-bit color @85Hz)",
         "Progress note (Scale ratio: 0.625000000 : 0.625000000)",
         17.8125f,
         250.0f,
         195.0f,
         {187.34375f, 209.15625f, 252.78125f, 274.59375f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modeNote);
        ClearDebugLog();
        SetHeadlessGraphicsModes({c.mode});
        SetDesktop(c.mode);
        StartRecording();
        ASSERT_EQ(u.UseGraphicsMode(u.PickOptimalGraphicsMode(), -1, -1, 1, -1, -1, 0), 1);
        const std::vector<DrawCall> calls = StopRecording();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].kind, DrawKind::Cls);
        EXPECT_EQ(calls[1].kind, DrawKind::Flip);

        EXPECT_EQ(g_widthFactor, c.factor);
        EXPECT_EQ(g_heightFactor, c.factor);
        EXPECT_EQ(g_DebugStrings[1], c.modeNote);
        EXPECT_EQ(g_DebugStrings[0], c.scaleNote);
        EXPECT_TRUE(g_DebugLog.empty());

        const MenuButtonPtr buttons[] = {u.buttonNewFromThisLevel, u.buttonNewGame, u.buttonQuitToMain,
                                         u.buttonQuitCompletely};
        const char* labels[] = {"New Game From This Level", "New Game From Beginning", "Quit To Menu",
                                "Quit Brondelvix 2"};
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(labels[i]);
            EXPECT_EQ(buttons[i]->text, labels[i]);
            EXPECT_NEAR(buttons[i]->x, c.x, 1e-3);
            EXPECT_NEAR(buttons[i]->y, c.rows[i], 1e-3);
            EXPECT_NEAR(buttons[i]->width, c.width, 1e-3);
            EXPECT_NEAR(buttons[i]->height, c.height, 1e-3);
        }
    }
}

TEST_F(GraphicsModeTest, TheButtonsTakeTheLocalisedLabelsAndEachFactorItsOwnAxis) {
    g_language = "fr";
    u.languageStringsArray = {
        "<string><name>Quit To Menu</name><en>Quit To Menu</en><fr>Retour au menu</fr></string>",
        "<string><name>New Game From Beginning</name><fr>Une nouvelle partie depuis le debut</fr></string>",
    };
    ASSERT_EQ(u.UseGraphicsMode(0, 800, 768, 0, -1, -1, 0), 1);
    EXPECT_EQ(g_widthFactor, 0.78125f);
    EXPECT_EQ(g_heightFactor, 1.0f);
    EXPECT_EQ(u.buttonQuitToMain->text, "Retour au menu");
    EXPECT_EQ(u.buttonNewGame->text, "Une nouvelle partie depuis le debut");
    EXPECT_EQ(u.buttonNewFromThisLevel->text, "New Game From This Level");
    EXPECT_EQ(u.buttonQuitCompletely->text, "Quit Brondelvix 2");
    // A label past 25 characters changes neither the column's width nor the row height.
    for (const MenuButtonPtr& b : {u.buttonNewGame, u.buttonQuitToMain}) {
        EXPECT_EQ(b->width, 312.5f);
        EXPECT_EQ(b->x, 243.75f);
        EXPECT_FLOAT_EQ(b->height, kMenuFontHeight * 0.95f);
    }
    EXPECT_FLOAT_EQ(u.buttonQuitToMain->y - u.buttonNewGame->y, 2 * (kMenuFontHeight * 0.95f + 4));
    EXPECT_TRUE(g_DebugLog.empty());
}

// The in-game screen ends each frame clipped to the screen of that moment; a larger screen opened
// afterwards (a window chosen in the options after a game) must show its menus whole.
TEST_F(GraphicsModeTest, ANewScreenLeavesNoClipOfTheOldOneBehind) {
    const GraphicsMode windows[] = {{1024, 768, 0, 60}, {640, 480, 0, 60}};
    ASSERT_EQ(u.UseGraphicsMode(0, 640, 480, 0, -1, -1, 0), 1);
    DrawFrozenSidePanel(nullptr);
    int x, y, w, h;
    GetViewport(x, y, w, h);
    ASSERT_EQ(w, 640) << "the in-game screen's last clip";

    for (const GraphicsMode& next : windows) {
        SCOPED_TRACE(testing::Message() << next.width << "x" << next.height);
        SetViewport(0, 0, 640, 480);
        StartRecording();
        ASSERT_EQ(u.UseGraphicsMode(0, next.width, next.height, 0, -1, -1, 0), 1);
        DrawRect(0, 0, 1024, 768);
        const std::vector<DrawCall> calls = StopRecording();
        GetViewport(x, y, w, h);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
        EXPECT_EQ(w, 0) << "0 x 0 is the whole screen";
        EXPECT_EQ(h, 0);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().state.viewportW, 0);
        EXPECT_EQ(calls.back().state.viewportH, 0);
    }
    EXPECT_TRUE(g_DebugLog.empty());
}

TEST_F(GraphicsModeTest, ALogicalSizeOfZeroOrLessCountsAs1024x768) {
    struct Case {
        int virtualWidth, virtualHeight;
        float widthFactor, heightFactor;
    };
    const Case cases[] = {
        {0, 768, 0.78125f, 0.78125f},
        {-5, 0, 0.78125f, 0.78125f},
        {1024, -1, 0.78125f, 0.78125f},
        {800, 600, 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.virtualWidth << " x " << c.virtualHeight);
        g_virtualWidth = c.virtualWidth;
        g_virtualHeight = c.virtualHeight;
        ASSERT_EQ(u.UseGraphicsMode(0, 800, 600, 0, -1, -1, 0), 1);
        EXPECT_EQ(g_widthFactor, c.widthFactor);
        EXPECT_EQ(g_heightFactor, c.heightFactor);
        // Every screen centres on the logical size: it must be the one the factors came from.
        EXPECT_EQ(g_virtualWidth, c.virtualWidth > 0 ? c.virtualWidth : 1024);
        EXPECT_EQ(g_virtualHeight, c.virtualHeight > 0 ? c.virtualHeight : 768);
        EXPECT_FLOAT_EQ(u.buttonNewGame->x + u.buttonNewGame->width / 2, 400.0f) << "centred on the 800 pixels";
        EXPECT_TRUE(std::isfinite(u.buttonNewGame->y));
    }
    EXPECT_TRUE(g_DebugLog.empty());
}

// ---------------------------------------------------------------------------
// When the display refuses.

TEST_F(GraphicsModeTest, ARefusedModeIsSaidOnStandardErrorAndLeavesTheLastLayout) {
    SetHeadlessGraphicsModes({k1024x32x60, k800x32x60});
    ASSERT_EQ(u.UseGraphicsMode(0, -1, -1, 0, -1, -1, 0), 1);
    const float y = u.buttonNewGame->y;
    const std::string notes = g_DebugStrings[0];

    SetHeadlessGraphicsRefusal([](const GraphicsMode& m) { return m.depth != 0; });
    testing::internal::CaptureStderr();
    EXPECT_EQ(u.UseGraphicsMode(1, -1, -1, 1, -1, -1, 0), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("800x600, 32-bit color @60Hz"), std::string::npos) << said;
    EXPECT_TRUE(g_DebugLog.empty());
    EXPECT_FALSE(GraphicsOpen());
    // The fields say what was tried; the factors, notes and buttons are the last open's.
    EXPECT_EQ(Screen(), k800x32x60);
    EXPECT_EQ(g_widthFactor, 1.0f);
    EXPECT_EQ(u.buttonNewGame->y, y);
    EXPECT_EQ(g_DebugStrings[0], notes);
}

TEST_F(GraphicsModeTest, OpenGraphicsWithFallbackTriesThePreviousModeThenA1024x768Window) {
    using Refusal = bool (*)(const GraphicsMode&);
    struct Case {
        const char* name;
        Refusal refuse;
        std::optional<GraphicsMode> previous;
        int result;
        std::vector<GraphicsMode> tried;
    };
    const GraphicsMode window = {1024, 768, 0, 60};
    const GraphicsMode previousWindow = {640, 480, 0, 60};
    const Case cases[] = {
        {"the asked mode opens", nullptr, k1024x32x60, 1, {k800x32x60}},
        {"back to the previous mode",
         [](const GraphicsMode& m) { return m.width == 800; },
         k1024x32x60,
         1,
         {k800x32x60, k1024x32x60}},
        {"back to a previous window",
         [](const GraphicsMode& m) { return m.depth != 0; },
         previousWindow,
         1,
         {k800x32x60, previousWindow}},
        {"the previous mode refused too",
         [](const GraphicsMode& m) { return m.depth != 0; },
         k1024x32x60,
         1,
         {k800x32x60, k1024x32x60, window}},
        {"no previous mode", [](const GraphicsMode& m) { return m.depth != 0; }, std::nullopt, 1, {k800x32x60, window}},
        {"nothing opens", [](const GraphicsMode&) { return true; }, k1024x32x60, 0, {k800x32x60, k1024x32x60, window}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetHeadlessGraphics();
        SetHeadlessGraphicsModes({k1024x32x60, k800x32x60});
        SetHeadlessGraphicsRefusal(c.refuse);
        // The settings that asked for the mode.
        g_isFullscreen = 1, g_ScreenWidth = 800, g_ScreenHeight = 600;
        testing::internal::CaptureStderr();
        EXPECT_EQ(u.OpenGraphicsWithFallback(0, 800, 600, 1, -1, -1, 0, c.previous), c.result);
        const std::string said = testing::internal::GetCapturedStderr();

        std::vector<GraphicsMode> tried;
        for (const GraphicsCall& call : RecordedGraphicsCalls()) tried.push_back(call.mode);
        EXPECT_EQ(tried, c.tried);
        EXPECT_EQ(GraphicsOpen(), c.result == 1);
        if (c.result == 1) {
            EXPECT_EQ(Screen(), tried.back());
            EXPECT_EQ(GraphicsWidth(), u.screenWidth);
            EXPECT_FLOAT_EQ(g_widthFactor, u.screenWidth / 1024.0f);
            // After a way back the settings name the screen open, for the preferences to keep.
            EXPECT_EQ(g_isFullscreen, tried.back().depth == 0 ? 0 : 1);
            EXPECT_EQ(g_ScreenWidth, tried.back().width);
            EXPECT_EQ(g_ScreenHeight, tried.back().height);
        } else {
            EXPECT_EQ(g_ScreenWidth, 800);
        }
        // Each refusal is said; none reaches the debug log.
        EXPECT_EQ(said.empty(), c.tried.size() == 1) << said;
        EXPECT_TRUE(g_DebugLog.empty());
    }
}

TEST_F(GraphicsModeTest, AnOpenScreenIsReportedEvenWhenTheButtonsAreMissing) {
    u.buttonNewGame = nullptr;
    EXPECT_EQ(u.UseGraphicsMode(0, -1, -1, 0, -1, -1, 0), 1);
    EXPECT_TRUE(GraphicsOpen());
    EXPECT_EQ(DebugLogLines(),
              std::vector<std::string>{std::string("universe:Universe.UseGraphicsMode() ") + kNullAccessMessage});
}

}  // namespace
