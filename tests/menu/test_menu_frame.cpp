// The menu frame: where the title stands at each screen size, what the flags switch on, the
// watch for the request to quit, the immediate quit, the caption naming the current player and
// pack, and what the modal screen's options and the fades change in a frame.
#include <gtest/gtest.h>

#include <cmath>

#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "screens_support.h"

namespace {

using namespace menu_test;

class MenuFrame : public MenuTest {};

TEST_F(MenuFrame, TheTitleIsGreenCentredAndAtItsRowOverTheBoxPictureAtEverySize) {
    const struct {
        int width, height;
        float titleY;  // (height div 41) x 11
    } cases[] = {{1024, 768, 198}, {800, 600, 154}, {1280, 1024, 264}, {640, 480, 121}, {1025, 900, 231}};
    const std::string title = "Paused";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        UseScreen(c.width, c.height);
        const std::vector<DrawCall> calls =
            Recorded([&] { EXPECT_EQ(DrawMenuBox(title, universe().DialogImage, 0, 0), 0); });
        const DrawCall* text = TextCall(calls, title);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->y, c.titleY);
        EXPECT_FLOAT_EQ(text->x, static_cast<float>(c.width / 2) - WidthIn(g_LargeFont, title) * g_widthFactor / 2);
        EXPECT_TRUE(ColourIs(*text, 0, 200, 0));
        EXPECT_EQ(text->state.alpha, 1.0f);
        EXPECT_EQ(text->state.font, g_LargeFont);
        EXPECT_EQ(text->state.blend, ALPHABLEND);
        EXPECT_EQ(text->state.scaleX, g_widthFactor);
        EXPECT_EQ(text->state.scaleY, g_heightFactor);
        // Drawn at the screen scale, the title's middle is the screen's whole half.
        EXPECT_NEAR((text->corners[0].x + text->corners[1].x) / 2, static_cast<float>(c.width / 2), 0.01f);

        // The box picture first, white and opaque at the screen scale, centred on the screen.
        const auto images = Calls(calls, DrawKind::Image);
        ASSERT_FALSE(images.empty());
        EXPECT_LT(images.back(), text);
        float left = 1e9f, right = -1e9f;
        for (const DrawCall* image : images) {
            EXPECT_TRUE(ColourIs(*image, 255, 255, 255));
            EXPECT_EQ(image->state.scaleX, g_widthFactor);
            for (const Point& p : image->corners) left = std::min(left, p.x), right = std::max(right, p.x);
        }
        EXPECT_NEAR((left + right) / 2, static_cast<float>(c.width) / 2, 1.0f);
        EXPECT_NEAR(right - left, 512 * g_widthFactor, 1.0f) << "the 512-pixel box picture, scaled";
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MenuFrame, OnlyTheValueOneClearsTheScreenAndANullPictureLeavesTheTitle) {
    const struct {
        int clear;
        bool withPicture;
        bool cleared;
    } cases[] = {{1, true, true}, {0, true, false}, {2, true, false}, {-1, true, false}, {1, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clear);
        const BigImagePtr picture = c.withPicture ? universe().DialogImage : nullptr;
        const std::vector<DrawCall> calls = Recorded([&] { DrawMenuBox("Game Over", picture, c.clear, 0); });
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front().kind == DrawKind::Cls, c.cleared);
        EXPECT_EQ(Calls(calls, DrawKind::Cls).size(), c.cleared ? 1u : 0u);
        EXPECT_EQ(Calls(calls, DrawKind::Image).empty(), !c.withPicture);
        EXPECT_NE(TextCall(calls, "Game Over"), nullptr);
    }
    EXPECT_EQ(g_DebugLog, "");
}

// What a watching frame does with the request to quit, in a child whose End() is looked at.
TEST_F(MenuFrame, OnlyAWatchingFrameQuitsOnCommandQOrTheSystemsRequestBeforeItDrawsAnything) {
    const struct Case {
        const char* what;
        int checkQuit;
        std::vector<std::function<void()>> frames;  // the input before each frame
        int exitStatus;                             // 0 quit, 3 went on
        const char* said;
    } cases[] = {
        {"Command held, then Q", 1, {[] { Hold(KEY_LCOMMAND); }, [] { Hold(KEY_Q); }}, 0, "quit after 0 calls"},
        {"the right Command key", 1, {[] { Hold(KEY_RCOMMAND); }, [] { Hold(KEY_Q); }}, 0, "quit after 0 calls"},
        {"Q held, then Command", 1, {[] { Hold(KEY_Q); }, [] { Hold(KEY_LCOMMAND); }, [] {}}, 3, "went on, request 0"},
        {"Command and Q in one frame", 1, {[] { Hold(KEY_LCOMMAND), Hold(KEY_Q); }, [] {}}, 3, "went on, request 0"},
        {"a window close", 1, {[] { InjectEvent({.type = InputEventType::Terminate}); }}, 0, "quit after 0 calls"},
        {"Command-Q unwatched", 0, {[] { Hold(KEY_LCOMMAND); }, [] { Hold(KEY_Q); }}, 3, "went on, request 0"},
        {"Command-Q with the flag at 2", 2, {[] { Hold(KEY_LCOMMAND); }, [] { Hold(KEY_Q); }}, 3, "went on, request 0"},
        // An unwatched request is left for the next screen that watches.
        {"a window close unwatched",
         0,
         {[] { InjectEvent({.type = InputEventType::Terminate}); }},
         3,
         "went on, request 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ChildResult child = RunInChild([&] {
            RegisterShutdown(0, [] { std::printf("quit after %zu calls\n", StopRecording().size()); });
            for (const auto& input : c.frames) {
                input();
                StartRecording();
                DrawMenuBox("Options", universe().DialogImage, 0, c.checkQuit);
            }
            std::printf("went on, request %d\n", AppTerminate() ? 1 : 0);
        });
        EXPECT_EQ(child.exitStatus, c.exitStatus);
        EXPECT_NE(child.out.find(c.said), std::string::npos) << child.out;
        EXPECT_EQ(child.err, "");
    }
}

TEST_F(MenuFrame, QuitNowShowsThePointerDropsTheGameAndEndsWithoutWritingAnything) {
    const struct {
        const char* what;
        bool withGame;
    } cases[] = {{"during a game", true}, {"before any game", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.withGame) StartGame();
        const std::string prefs = ReadText(userFolder + "data/prefs.xml");
        const ChildResult child = RunInChild([&] {
            HideMouse();
            AddLineToDebugLog("a fault that quitting never saves");
            const GamePtr game = universe().currentGame;
            // What QuitNow leaves behind is looked at by a shutdown step of the platform.
            RegisterShutdown(0, [game] {
                std::printf("pointer %d, universe %d, screen %d, game level %d\n", MouseVisible() ? 1 : 0,
                            g_gameUniverse ? 1 : 0, GraphicsOpen() ? 1 : 0, game && game->currentLevel ? 1 : 0);
            });
            QuitNow();
        });
        EXPECT_EQ(child.exitStatus, 0);
        EXPECT_NE(child.out.find("pointer 1, universe 0, screen 0, game level 0\n"), std::string::npos) << child.out;
        EXPECT_EQ(child.out.find("a fault that quitting never saves\r\n\r\n"), std::string::npos)
            << "the log is not printed again";
        EXPECT_EQ(child.err, "") << "no alert";
        EXPECT_FALSE(std::filesystem::exists(userFolder + "bx2_error_log.txt"));
        EXPECT_EQ(ReadText(userFolder + "data/prefs.xml"), prefs);
    }
}

TEST_F(MenuFrame, TheCaptionNamesThePlayerAndPackAtTheirRowsCentredAtEverySize) {
    const struct {
        int width, height;
        float playerY, packY;  // (height div 40) x 31 and x 33
    } cases[] = {{1024, 768, 589, 627},  {800, 600, 465, 495},  {1066, 800, 620, 660},
                 {1600, 1200, 930, 990}, {1200, 900, 682, 726}, {1025, 768, 589, 627}};
    const std::string playerLine = "Current Player: " + kPlayer;
    const std::string packLine = "Current Pack: Quick Pack";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        UseScreen(c.width, c.height);
        const std::vector<DrawCall> calls = Recorded([&] { EXPECT_EQ(DrawCurrentPlayerDisplay(g_gameUniverse), 0); });
        ASSERT_EQ(Calls(calls, DrawKind::Text).size(), 2u);
        const struct {
            const std::string& text;
            float y;
        } lines[] = {{playerLine, c.playerY}, {packLine, c.packY}};
        for (const auto& line : lines) {
            const DrawCall* call = TextCall(calls, line.text);
            ASSERT_NE(call, nullptr) << line.text;
            EXPECT_EQ(call->y, line.y);
            // Centred on the whole half of the width: 1025 centres on 512.
            EXPECT_FLOAT_EQ(call->x,
                            static_cast<float>(c.width / 2) - WidthIn(g_LargeFont, line.text) * g_widthFactor / 2);
            EXPECT_TRUE(ColourIs(*call, 255, 255, 255));
            EXPECT_EQ(call->state.font, g_LargeFont);
            EXPECT_EQ(call->state.scaleX, g_widthFactor);
            EXPECT_EQ(call->state.scaleY, g_heightFactor);
            EXPECT_EQ(call->state.alpha, 1.0f);
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(MenuFrame, TheCaptionIsPinkForAChangedPlayerLocalisedAndEmptyNamedForAnIndexOutOfItsArray) {
    const struct Case {
        const char* what;
        int playerIndex, packIndex;
        int tampered;
        const char* language;
        std::string playerLine, packLine;
        int green;  // 255 white, 150 pink
    } cases[] = {
        {"a sound player", 0, 0, 0, "en", "Current Player: " + kPlayer, "Current Pack: Quick Pack", 255},
        {"a changed player: both lines", 0, 0, 1, "en", "Current Player: " + kPlayer, "Current Pack: Quick Pack", 150},
        {"in French", 0, 0, 0, "fr", "Joueur actuel: " + kPlayer, "Pack actuel: Quick Pack", 255},
        {"no such player: white, whoever is changed", 1, 0, 1, "en", "Current Player: ", "Current Pack: Quick Pack",
         255},
        {"a negative player index", -1, 0, 1, "en", "Current Player: ", "Current Pack: Quick Pack", 255},
        {"no such pack", 0, 1, 0, "en", "Current Player: " + kPlayer, "Current Pack: ", 255},
        {"a negative pack index", 0, -5, 1, "en", "Current Player: " + kPlayer, "Current Pack: ", 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        universe().currentPlayerIndex = c.playerIndex;
        universe().currentPackIndex = c.packIndex;
        universe().playersArray[0]->playerIsTamperedWith = c.tampered;
        g_language = c.language;
        const std::vector<DrawCall> calls = Recorded([&] { DrawCurrentPlayerDisplay(g_gameUniverse); });
        for (const std::string& line : {c.playerLine, c.packLine}) {
            const DrawCall* call = TextCall(calls, line);
            ASSERT_NE(call, nullptr) << line;
            EXPECT_TRUE(ColourIs(*call, 255, c.green, c.green)) << line;
        }
    }
    EXPECT_EQ(g_DebugLog, "") << "any logged line would end the next game start";
}

// A screen that draws a marker text after its buttons' update and ends as `ending` says on its
// second frame.
ModalScreen CountingScreen(MenuStep ending, int& frames) {
    ModalScreen screen;
    screen.backdrop = [] { DrawMenuBackdrop(*g_gameUniverse); };
    screen.title = "Runner";
    screen.watchQuit = false;
    screen.update = [ending, &frames](const MenuPointer&) { return ++frames == 2 ? ending : MenuStep::kStay; };
    screen.draw = [] { DrawText("drawn", 0, 0); };
    return screen;
}

TEST_F(MenuFrame, AnUpdateEndsTheScreenAfterItsFrameIsShownOrAtOnce) {
    const struct {
        MenuStep ending;
        size_t titles, drawn, flips;
    } cases[] = {{MenuStep::kLastFrame, 2, 2, 2}, {MenuStep::kLeaveNow, 2, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.ending));
        int frames = 0;
        const std::vector<DrawCall> calls =
            Recorded([&] { RunModalScreen(universe(), CountingScreen(c.ending, frames)); });
        EXPECT_EQ(frames, 2);
        size_t titles = 0, drawn = 0;
        for (const DrawCall* text : Calls(calls, DrawKind::Text)) {
            titles += text->text == "Runner" ? 1 : 0;
            drawn += text->text == "drawn" ? 1 : 0;
        }
        EXPECT_EQ(titles, c.titles) << "the box is drawn before the update";
        EXPECT_EQ(drawn, c.drawn);
        EXPECT_EQ(Calls(calls, DrawKind::Flip).size(), c.flips);
        // Leaving at once, the last frame draws no pointer either.
        EXPECT_EQ(calls.back().kind == DrawKind::Flip, c.ending == MenuStep::kLastFrame);
    }
    EXPECT_EQ(g_DebugLog, "");
}

// The frame reads the pointer at (100, 80); it has moved to (300, 200) while the frame drew.
TEST_F(MenuFrame, ThePointerOptionsDrawItOverOrUnderTheOverlayWhereItIsOrWhereTheFrameReadIt) {
    const struct {
        const char* what;
        MenuPointerDraw pointer;
        bool refreshTiming;
        int width, height;
        bool overOverlay;
        float x, y, scaleX;
    } cases[] = {
        {"unscaled", MenuPointerDraw::kUnscaled, true, 1024, 768, true, 300, 200, 1.0f},
        {"at the screen scale", MenuPointerDraw::kAtScreenScale, true, 800, 600, true, 300, 200, 800.0f / 1024},
        {"where read", MenuPointerDraw::kWhereRead, true, 1024, 768, false, 100, 80, 1.0f},
        {"without the refresh: no overlay", MenuPointerDraw::kUnscaled, false, 1024, 768, true, 300, 200, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UseScreen(c.width, c.height);
        g_ScreenOverlayAlpha = 0.5f;
        MovePointer(100, 80);
        const int lastMilliSecs = g_lastMilliSecs;
        MenuPointer read;
        ModalScreen screen;
        screen.backdrop = [] { DrawMenuBackdrop(*g_gameUniverse); };
        screen.watchQuit = false;
        screen.update = [&](const MenuPointer& p) {
            read = p;
            MovePointer(300, 200);
            return MenuStep::kLastFrame;
        };
        screen.refreshTiming = c.refreshTiming;
        screen.pointer = c.pointer;
        const std::vector<DrawCall> calls = Recorded([&] { RunModalScreen(universe(), screen); });
        EXPECT_EQ(read.x, 100.0f);
        EXPECT_EQ(read.y, 80.0f);

        const DrawCall* pointer = nullptr;
        const DrawCall* overlay = nullptr;
        for (const DrawCall& call : calls) {
            if (call.kind == DrawKind::Image && call.image == universe().cursorImage) pointer = &call;
            if (call.kind == DrawKind::Rect && call.w == static_cast<float>(c.width) && call.state.alpha == 0.5f) {
                overlay = &call;
            }
        }
        ASSERT_NE(pointer, nullptr);
        EXPECT_EQ(pointer->x, c.x);
        EXPECT_EQ(pointer->y, c.y);
        EXPECT_FLOAT_EQ(pointer->state.scaleX, c.scaleX);
        EXPECT_EQ(pointer->state.alpha, 1.0f);
        EXPECT_TRUE(ColourIs(*pointer, 255, 255, 255));
        EXPECT_EQ(overlay != nullptr, c.refreshTiming);
        if (overlay) {
            EXPECT_EQ(pointer > overlay, c.overOverlay);
        }
        // The frame timing stands still without the refresh.
        EXPECT_EQ(g_lastMilliSecs == lastMilliSecs, !c.refreshTiming);
        g_ScreenOverlayAlpha = 0.0f;
    }
    EXPECT_EQ(g_DebugLog, "");
}

// 40 ms frames: a speed of 0.5, an eighth of the way a frame with the divisor 4.
TEST_F(MenuFrame, AFadeStepsAfterItsFrameOrBeforeItAndNeverPastItsEnd) {
    const struct {
        const char* what;
        float from, to;
        FadeStep when;
        std::vector<float> frames;
    } cases[] = {
        {"up, after", 0.0f, 1.0f, FadeStep::kAfterFrame, {0, .125f, .25f, .375f, .5f, .625f, .75f, .875f}},
        {"up, before", 0.0f, 1.0f, FadeStep::kBeforeFrame, {.125f, .25f, .375f, .5f, .625f, .75f, .875f, 1}},
        {"down, after", 1.0f, 0.0f, FadeStep::kAfterFrame, {1, .875f, .75f, .625f, .5f, .375f, .25f, .125f}},
        {"a last step cut short, after", 0.9f, 1.0f, FadeStep::kAfterFrame, {0.9f}},
        {"a last step cut short, before", 0.9f, 1.0f, FadeStep::kBeforeFrame, {1}},
        {"from its end", 1.0f, 1.0f, FadeStep::kBeforeFrame, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_gameSpeedFactor = 0.5f;
        g_lastMilliSecs = MilliSecs() - kFrameMs;
        std::vector<float> frames;
        const std::vector<DrawCall> calls = Recorded([&] {
            RunMenuFade(c.from, c.to, 4.0f, c.when, [&](float fade) {
                frames.push_back(fade);
                DrawVeil(fade);
            });
        });
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(Calls(calls, DrawKind::Flip).size(), c.frames.size());
        EXPECT_FLOAT_EQ(g_gameSpeedFactor, 0.5f) << "every frame refreshed the timing";
    }
    EXPECT_EQ(g_DebugLog, "");
}

}  // namespace
