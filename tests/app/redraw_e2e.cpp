// A still screen is not drawn again frame after frame, yet keeps its picture; so what the window
// system does to the window must bring the picture back: the main menu, covered by another
// window and uncovered, shows whole again without the pointer moving.
#include <gtest/gtest.h>

#include <string>

#include "support/e2e.h"

// After the test headers: Xlib's macros (None, Bool...) would break them.
#include <X11/Xlib.h>

namespace {

using namespace e2e;

bool MenuDrawn(const Screenshot& s) {
    const int orange = s.Count(s.Whole(), [](Rgb c) { return c.r > 180 && c.g > 80 && c.b < 90; });
    const int green = s.Count(s.Whole(), [](Rgb c) { return c.g > 35 && c.g > 3 * c.r && c.g > 3 * c.b; });
    return orange > 1000 && green > 5000;
}

TEST(StillScreen, ComesBackWholeAfterAnotherWindowCoveredIt) {
    GameRun game;
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow("Brondelvix 2!"));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuDrawn));
    // The menu stands still once two captures a moment apart agree.
    Screenshot menu = game.Capture();
    ASSERT_TRUE(game.WaitForScreen("the main menu standing still", [&](const Screenshot& s) {
        const bool still = s.Differences(menu, s.Whole()) == 0;
        menu = s;
        return still;
    }));
    game.SaveScreenshot(menu, "menu");
    // Still, it runs its frames and draws none of them, and the window keeps its picture.
    const long drawn = game.FramesDrawn();
    ASSERT_TRUE(game.WaitForFrames(60));
    EXPECT_EQ(game.FramesDrawn(), drawn) << "the still menu was drawn again";
    EXPECT_EQ(game.Capture().Differences(menu, menu.Whole()), 0);

    Display* x = XOpenDisplay(game.DisplayName().c_str());
    ASSERT_NE(x, nullptr);
    const Region cover = {200, 150, 600, 450};
    const Window other = XCreateSimpleWindow(x, DefaultRootWindow(x), cover.x, cover.y, cover.w, cover.h, 0, 0,
                                             WhitePixel(x, DefaultScreen(x)));
    XMapRaised(x, other);
    XSync(x, False);
    EXPECT_TRUE(game.WaitForScreen("another window over the menu",
                                   [&](const Screenshot& s) { return s.All(cover, IsLight(250)); }));
    game.SaveScreenshot("covered");
    XUnmapWindow(x, other);
    XSync(x, False);
    EXPECT_TRUE(game.WaitForScreen("the menu whole again",
                                   [&](const Screenshot& s) { return s.Differences(menu, s.Whole()) == 0; }));
    game.SaveScreenshot("uncovered");
    XDestroyWindow(x, other);
    XCloseDisplay(x);
}

}  // namespace
