// The game's screens as the end-to-end tests recognise them, and the player's usual moves.
#include "support/e2e_screens.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <chrono>
#include <thread>

namespace e2e {

bool MenuGreen(Rgb c) { return c.g > 35 && c.g > 3 * c.r && c.g > 3 * c.b; }
bool TitleOrange(Rgb c) { return c.r > 180 && c.g > 80 && c.b < 90; }

View WholeScreen(const Screenshot& s) { return View(WindowInfo{0, 0, 0, s.Width(), s.Height(), ""}); }

bool OnMenuBackground(const Screenshot& s, const View& v) {
    return s.Count(v.Area(650, 60, 250, 90), TitleOrange) > v.Pixels(1000);
}

std::vector<Stretch> GreenStretches(const Screenshot& s, const View& v, double x, double top, double bottom) {
    std::vector<Stretch> runs;
    bool inRun = false;
    for (int y = v.Y(top); y < v.Y(bottom); ++y) {
        const bool green = MenuGreen(s.At(v.X(x), y));
        if (green && !inRun) runs.push_back({y, y});
        if (green) runs.back().to = y;
        inRun = green;
    }
    return runs;
}

std::vector<Stretch> ButtonRows(const Screenshot& s, const View& v) { return GreenStretches(s, v, 312, 192, 614); }
int ButtonsShown(const Screenshot& s, const View& v) { return static_cast<int>(ButtonRows(s, v).size()); }
int FacesDown(const Screenshot& s, const View& v, double x) {
    return static_cast<int>(GreenStretches(s, v, x, 200, 568).size());
}

bool PanelShown(const Screenshot& s, const View& v, int light) {
    return s.Count(v.Area(740, 100, 280, 170), IsLight(light)) > v.Pixels(20);
}
bool PaddleShown(const Screenshot& s, const View& v) {
    return s.Count(v.Area(4, 700, 722, 60), [](Rgb c) { return c.b > 100 && c.r < 200; }) > v.Pixels(100);
}
bool Captions(const Screenshot& s, const View& v) {
    return s.Count(v.Area(100, 590, 824, 80), IsLight(200)) > v.Pixels(100);
}

// --- The screens.

ScreenTest MenuWith(GameRun& game, int buttons) {
    return [&game, buttons](const Screenshot& s) {
        const View v(game.Window());
        return OnMenuBackground(s, v) && !PanelShown(s, v) && ButtonsShown(s, v) == buttons;
    };
}

ScreenTest OverGameWith(GameRun& game, int buttons) {
    return [&game, buttons](const Screenshot& s) {
        const View v(game.Window());
        return ButtonsShown(s, v) == buttons && PanelShown(s, v);
    };
}

ScreenTest Playing(GameRun& game, int light) {
    return [&game, light](const Screenshot& s) {
        const View v(game.Window());
        return ButtonsShown(s, v) == 0 && PanelShown(s, v, light) && PaddleShown(s, v);
    };
}

ScreenTest MainMenuShown(GameRun& game) {
    return [&game](const Screenshot& s) {
        const View v(game.Window());
        return OnMenuBackground(s, v) && FacesDown(s, v, 316) >= 6 && Captions(s, v);
    };
}

ScreenTest PlayerMenuShown(GameRun& game) {
    return [&game](const Screenshot& s) {
        const View v(game.Window());
        if (!OnMenuBackground(s, v) || EntryShown(game)(s)) return false;
        const std::vector<Stretch> rows = GreenStretches(s, v, 316, 200, 568);
        if (rows.size() != 5) return false;
        const int gap = rows[1].from - rows[0].to;
        return rows[4].from - rows[3].to > 2 * gap;
    };
}

ScreenTest OptionsShown(GameRun& game) {
    return [&game](const Screenshot& s) {
        const View v(game.Window());
        return OnMenuBackground(s, v) && FacesDown(s, v, 316) == 6 && FacesDown(s, v, 512) == 6 && !Captions(s, v);
    };
}

ScreenTest EntryShown(GameRun& game) {
    return [&game](const Screenshot& s) {
        const View v(game.Window());
        return OnMenuBackground(s, v) && s.All(v.Area(270, 200, 30, 30), MenuGreen);
    };
}

ScreenTest BoxWith(GameRun& game, int middleFaces) {
    return [&game, middleFaces](const Screenshot& s) {
        const View v(game.Window());
        return OnMenuBackground(s, v) && !EntryShown(game)(s) && FacesDown(s, v, 316) == 1 &&
               FacesDown(s, v, 500) == middleFaces;
    };
}
ScreenTest MessageShown(GameRun& game) { return BoxWith(game, 2); }
ScreenTest QuestionShown(GameRun& game) { return BoxWith(game, 3); }
ScreenTest ChooserShown(GameRun& game) { return BoxWith(game, 5); }

ScreenTest ScoresShown(GameRun& game) {
    return [&game](const Screenshot& s) {
        const View v(game.Window());
        auto panel = [&](double x) {
            const Rgb below = s.Mean(v.Area(x, 420, 460, 20));
            return below.g > 25 && below.r < 15 && below.b < 15 &&
                   s.Count(v.Area(x, 60, 350, 280), MenuGreen) > v.Pixels(80000);
        };
        return !OnMenuBackground(s, v) && panel(30) && panel(530);
    };
}

// --- Driving the game.

void StartFillingTheScreen(GameRun& game) {
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_EQ(game.Window().x, 0);
    ASSERT_EQ(game.Window().y, 0);
    ASSERT_EQ(game.Window().w, game.ScreenWidth());
    ASSERT_EQ(game.Window().h, game.ScreenHeight());
}

void Park(GameRun& game) {
    const View v(game.Window());
    game.MoveTo(v.X(1010), v.Y(755));
}

::testing::AssertionResult KeyShows(GameRun& game, const std::string& key, const std::string& what,
                                    const ScreenTest& shown, Millis timeout) {
    game.Tap(key);
    return game.WaitForScreen(what, shown, timeout);
}

::testing::AssertionResult WaitForNewWindow(GameRun& game, unsigned long oldWindow, int width, int height) {
    auto opened = game.WaitUntil("a new " + std::to_string(width) + "x" + std::to_string(height) + " window", [&] {
        return game.WaitForWindow(kTitle, Millis(500)) && game.Window().id != oldWindow && game.Window().w == width &&
               game.Window().h == height;
    });
    if (opened) Park(game);
    return opened;
}

Region ChooserEntry(const View& v) { return v.Area(320, 312, 384, 30); }

::testing::AssertionResult Choose(GameRun& game, const std::string& hotKey, const std::vector<std::string>& steps,
                                  const std::string& last, std::vector<Screenshot>* shown) {
    game.Tap(hotKey);
    if (auto open = game.WaitForScreen("the chooser of " + hotKey, ChooserShown(game)); !open) return open;
    if (shown) shown->push_back(game.Capture());
    for (const std::string& key : steps) {
        const Screenshot before = game.Capture();
        game.Tap(key);
        auto next = game.WaitForScreen("the chooser's next entry after " + key, [&](const Screenshot& s) {
            return ChooserShown(game)(s) && s.Differences(before, ChooserEntry(View(game.Window())), 40) > 20;
        });
        if (!next) return next;
        if (shown) shown->push_back(game.Capture());
    }
    game.Tap(last);
    return ::testing::AssertionSuccess();
}

void Launch(GameRun& game) {
    game.ButtonDown();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    game.ButtonUp();
}

void QuitFromPlay(GameRun& game) {
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the pause screen", OverGameWith(game, 3)));
    game.Tap("q");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
}

void ExpectCleanExit(GameRun& game) {
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
    EXPECT_EQ(game.Stderr(), "");
    EXPECT_EQ(game.UserFileMode("bx2_error_log.txt"), -1);
}

bool PointerShown(GameRun& game) {
    Display* display = XOpenDisplay(game.DisplayName().c_str());
    if (!display) return true;
    XFixesCursorImage* cursor = XFixesGetCursorImage(display);
    bool visible = false;
    for (int i = 0; cursor && i < cursor->width * cursor->height; ++i) {
        visible = visible || (cursor->pixels[i] >> 24) != 0;
    }
    if (cursor) XFree(cursor);
    XCloseDisplay(display);
    return visible;
}

Region EntryText(const View& v) { return v.Area(262, 350, 500, 80); }

void EntryKeys(GameRun& game, const std::string& text, const ScreenTest& entry) {
    for (const char c : text) {
        const std::string key(1, c);
        const Screenshot before = game.Capture();
        const long run = game.FramesRun();
        game.Tap(key);
        if (c == ' ') {
            ASSERT_TRUE(game.WaitForFramesAfter(run, 1));
        } else {
            ASSERT_TRUE(game.WaitForScreen("the entry showing \"" + key + "\"", [&](const Screenshot& s) {
                return entry(s) && s.Differences(before, EntryText(View(game.Window())), 30) > 10;
            }));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
}

void EndEntry(GameRun& game, const std::string& key) {
    const Screenshot before = game.Capture();
    game.Tap(key);
    ASSERT_TRUE(game.WaitForScreen("the entry ended", [&](const Screenshot& s) {
        return s.Differences(before, View(game.Window()).Area(100, 200, 824, 380), 30) > 10;
    }));
}

void Enter(GameRun& game, const std::string& text) {
    ASSERT_TRUE(game.WaitForScreen("a text entry", EntryShown(game)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EntryKeys(game, text, EntryShown(game));
    EndEntry(game);
}

}  // namespace e2e
