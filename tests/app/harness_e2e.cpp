// The harness itself, checked on plain windows of the test's own on its virtual screen:
// input must arrive as the keys, characters and pointer events a test names, and
// screenshots must hold the colours the server shows, in the right order, down to the PNG.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/image.h"
#include "support/e2e.h"

// After GoogleTest, whose names the X headers' macros (None, Bool) would otherwise replace.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using namespace e2e;

const Rgb kOrange{255, 128, 0};
const Rgb kBlue{32, 64, 192};
const e2e::Region kInset{100, 50, 200, 100};

// A window covering the virtual screen in orange with a blue window inset, made by the
// test's own X connection, which also reads what reaches them.
class HarnessProbe : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(run_.StartServer());
        d_ = XOpenDisplay(run_.DisplayName().c_str());
        ASSERT_NE(d_, nullptr);
        probe_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, static_cast<unsigned>(run_.ScreenWidth()),
                                     static_cast<unsigned>(run_.ScreenHeight()), 0, 0, 0xFF8000);
        inset_ = XCreateSimpleWindow(d_, probe_, kInset.x, kInset.y, kInset.w, kInset.h, 0, 0, 0x2040C0);
        XStoreName(d_, probe_, "probe");
        XSelectInput(d_, probe_, KeyPressMask | ButtonPressMask | PointerMotionMask);
        XMapWindow(d_, inset_);
        XMapWindow(d_, probe_);
        XSync(d_, False);
        ASSERT_TRUE(run_.WaitForWindow("probe"));
        Drain();
    }
    void TearDown() override {
        if (d_) XCloseDisplay(d_);
    }

    // What the probe saw: typed characters as they are, other keys as <name>, Ctrl held as
    // C-, pointer moves as (x,y) (the last of a run), button presses as [button@x,y].
    std::string Drain() {
        std::string seen;
        bool moved = false;
        int mx = 0, my = 0;
        auto flushMove = [&] {
            if (moved) seen += "(" + std::to_string(mx) + "," + std::to_string(my) + ")";
            moved = false;
        };
        for (int idle = 0; idle < 4;) {
            XSync(d_, False);
            if (!XPending(d_)) {
                ++idle;
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
                continue;
            }
            idle = 0;
            XEvent e;
            XNextEvent(d_, &e);
            if (e.type == MappingNotify) XRefreshKeyboardMapping(&e.xmapping);
            if (e.type == MotionNotify) {
                moved = true;
                mx = e.xmotion.x;
                my = e.xmotion.y;
            } else if (e.type == ButtonPress) {
                flushMove();
                seen += "[" + std::to_string(e.xbutton.button) + "@" + std::to_string(e.xbutton.x) + "," +
                        std::to_string(e.xbutton.y) + "]";
            } else if (e.type == KeyPress) {
                char text[8] = {};
                KeySym sym = NoSymbol;
                int n = XLookupString(&e.xkey, text, sizeof text, &sym, nullptr);
                if (IsModifierKey(sym)) continue;
                flushMove();
                if (e.xkey.state & ControlMask) {
                    seen += std::string("C-") + XKeysymToString(sym);
                } else if (n == 1 && static_cast<unsigned char>(text[0]) >= 0x20 && text[0] != 0x7F) {
                    seen += text[0];
                } else {
                    seen += std::string("<") + XKeysymToString(sym) + ">";
                }
            }
        }
        flushMove();
        return seen;
    }

    GameRun run_;
    Display* d_ = nullptr;
    ::Window probe_ = 0, inset_ = 0;
};

TEST_F(HarnessProbe, KeysTextAndThePointerReachTheFocusedWindow) {
    struct Case {
        const char* what;
        std::function<void()> act;
        std::string seen;
    };
    GameRun& run = run_;
    const Case cases[] = {
        {"keys by name", [&] { run.Tap("Escape"), run.Tap("Return"), run.Tap("space"), run.Tap("F1"); },
         "<Escape><Return> <F1>"},
        {"short names", [&] { run.Tap("Esc"), run.Tap("Enter"), run.Tap("Backspace"); }, "<Escape><Return><BackSpace>"},
        {"characters, upper case with Shift", [&] { run.Tap("n"), run.Tap("Q"), run.Tap("7"), run.Tap("."); }, "nQ7."},
        {"combinations", [&] { run.Tap("Ctrl+q"), run.Tap("Shift++"); }, "C-q+"},
        {"a held key", [&] { run.KeyDown("Shift"), run.Tap("a"), run.KeyUp("Shift"), run.Tap("a"); }, "Aa"},
        {"text with doubled letters and a line feed", [&] { run.Type("Hello, ball!\n"); }, "Hello, ball!<Return>"},
        {"Latin-1 outside the key map", [&] { run.Type("Caf\xC3\xA9 \xC3\x86"), run.Tap("\xC3\xBC"); },
         "Caf\xE9 \xC6\xFC"},
        {"moves", [&] { run.MoveTo(100, 200), run.MoveBy(5, -3); }, "(105,197)"},
        {"clicks", [&] { run.Click(Button::Right), run.ClickAt(10, 20); }, "[3@105,197](10,20)[1@10,20]"},
        {"a held button", [&] { run.ButtonDown(Button::Middle), run.MoveTo(30, 40), run.ButtonUp(Button::Middle); },
         "[2@10,20](30,40)"},
    };
    for (const Case& c : cases) {
        c.act();
        EXPECT_EQ(Drain(), c.seen) << c.what;
    }
}

TEST_F(HarnessProbe, ScreenshotsHoldTheColoursShownAndSaveThemAsPng) {
    EXPECT_EQ(run_.Window().w, run_.ScreenWidth());
    EXPECT_EQ(run_.Window().h, run_.ScreenHeight());
    ASSERT_TRUE(run_.WaitForScreen("the probe drawn", [](const Screenshot& s) { return s.At(0, 0) == kOrange; }));
    Screenshot shot = run_.Capture();
    ASSERT_EQ(shot.Width(), 1024);
    ASSERT_EQ(shot.Height(), 768);
    EXPECT_EQ(shot.At(kInset.x - 1, kInset.y), kOrange);
    EXPECT_EQ(shot.At(kInset.x, kInset.y), kBlue);
    EXPECT_EQ(shot.At(kInset.x + kInset.w - 1, kInset.y + kInset.h - 1), kBlue);
    EXPECT_EQ(shot.At(kInset.x + kInset.w, kInset.y + kInset.h), kOrange);
    EXPECT_EQ(shot.At(-1, 5), (Rgb{})) << "outside the screen";
    EXPECT_EQ(shot.Count(kInset, IsNear(kBlue, 0)), kInset.w * kInset.h);
    EXPECT_EQ(shot.Count(shot.Whole(), IsNear(kBlue, 0)), kInset.w * kInset.h);
    EXPECT_TRUE(shot.All(kInset, IsNear(kBlue, 0)));
    EXPECT_FALSE(shot.Any(kInset, IsNear(kOrange, 40)));
    EXPECT_EQ(shot.Count({-10, -10, 20, 20}, IsNotBlack()), 100) << "clipped to the screen";
    // Half of the region inside the inset, half outside.
    EXPECT_EQ(shot.Mean({kInset.x - 10, kInset.y, 20, 10}), (Rgb{143, 96, 96}));

    // Unmapping the inset shows the orange behind it, and only there.
    XUnmapWindow(d_, inset_);
    XSync(d_, False);
    ASSERT_TRUE(
        run_.WaitForScreen("the inset gone", [](const Screenshot& s) { return s.At(kInset.x, kInset.y) == kOrange; }));
    Screenshot after = run_.Capture();
    EXPECT_EQ(after.Differences(shot, after.Whole()), kInset.w * kInset.h);
    EXPECT_EQ(after.Differences(shot, {0, 0, kInset.x, 768}), 0);
    EXPECT_EQ(after.Differences(shot, kInset, 255), 0) << "within the tolerance";

    const std::string saved = run_.SaveScreenshot(shot, "probe");
    ASSERT_FALSE(saved.empty());
    TPixmapPtr png = LoadPixmap(saved);
    ASSERT_TRUE(png);
    ASSERT_EQ(png->width, 1024);
    const uint8_t* orange = png->PixelPtr(kInset.x - 1, kInset.y);
    const uint8_t* blue = png->PixelPtr(kInset.x, kInset.y);
    EXPECT_EQ((Rgb{orange[0], orange[1], orange[2]}), kOrange);
    EXPECT_EQ((Rgb{blue[0], blue[1], blue[2]}), kBlue);
}

// Frames are counted as the server takes them from any client: every picture put into the
// window is one, those put into another window are none, and a wait for frames ends when they come.
TEST_F(HarnessProbe, FramesAreThePicturesPutIntoTheWindow) {
    GC gc = XCreateGC(d_, probe_, 0, nullptr);
    std::vector<char> pixels(64 * 32 * 4, '\x40');
    XImage* image = XCreateImage(d_, DefaultVisual(d_, DefaultScreen(d_)), DefaultDepth(d_, DefaultScreen(d_)), ZPixmap,
                                 0, pixels.data(), 64, 32, 32, 0);
    ASSERT_NE(image, nullptr);
    const auto put = [&](::Window window, int times) {
        for (int i = 0; i < times; ++i) XPutImage(d_, window, gc, image, 0, 0, 0, 0, 64, 32);
        XSync(d_, False);
    };
    const long before = run_.FramesDrawn();
    put(probe_, 5);
    put(inset_, 3);
    ASSERT_TRUE(run_.WaitUntil("five frames counted", [&] { return run_.FramesDrawn() >= before + 5; }));
    EXPECT_EQ(run_.FramesDrawn(), before + 5) << "the inset's pictures are not the window's frames";

    auto none = run_.WaitForDrawnFrames(1, std::chrono::milliseconds(300));
    EXPECT_FALSE(none);
    EXPECT_NE(std::string(none.message()).find("for a frame drawn"), std::string::npos) << none.message();

    const long drawn = run_.FramesDrawn();
    const auto start = std::chrono::steady_clock::now();
    std::thread drawer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        put(probe_, 3);
    });
    EXPECT_TRUE(run_.WaitForDrawnFramesAfter(drawn, 3, std::chrono::seconds(10)));
    drawer.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300)) << "not before they came";
    image->data = nullptr;  // the vector's
    XDestroyImage(image);
    XFreeGC(d_, gc);
}

// The player's folder as a test fills it before the start and reads it afterwards, with
// files that appear and change while a test waits.
TEST(HarnessFiles, SeededReadAndWaitedFor) {
    GameRun run;
    run.SeedUserFile("players/Ann/player.xml", "<player/>", 0444);
    EXPECT_EQ(run.ReadUserFile("players/Ann/player.xml"), "<player/>");
    EXPECT_EQ(run.UserFileMode("players/Ann/player.xml"), 0444);
    EXPECT_EQ(run.UserFileMode("players/Bob/player.xml"), -1);
    EXPECT_FALSE(run.ReadUserFile("players/Ann")) << "a folder is not a file";
    EXPECT_TRUE(run.UserFolder().ends_with("/home/.local/share/Vostrand/Brondelvix 2!/")) << run.UserFolder();

    // Written the way the game writes: a whole new file renamed over the old one.
    auto write = [&](const std::string& text) {
        std::string temporary = run.UserFolder() + "prefs.tmp";
        std::FILE* f = std::fopen(temporary.c_str(), "wb");
        std::fputs(text.c_str(), f);
        std::fclose(f);
        std::rename(temporary.c_str(), (run.UserFolder() + "prefs.xml").c_str());
    };
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        write("first");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        write("second");
    });
    auto appeared = run.WaitForUserFile("prefs.xml", std::chrono::seconds(10));
    auto changed = run.WaitForUserFileChange("prefs.xml", "first", std::chrono::seconds(10));
    writer.join();
    EXPECT_TRUE(appeared);
    EXPECT_TRUE(changed);
    EXPECT_EQ(run.ReadUserFile("prefs.xml"), "second");

    auto never = run.WaitForUserFile("scores.xml", std::chrono::milliseconds(100));
    EXPECT_FALSE(never);
    EXPECT_NE(std::string(never.message()).find("\"scores.xml\" in the player's folder"), std::string::npos)
        << never.message();
}

}  // namespace
