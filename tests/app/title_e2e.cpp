// The executable as a player starts it, driven through the end-to-end harness: the main menu
// is drawn over the title picture on a real window at the screen size asked for, the window
// carries the game's icon, and Escape or a termination signal ends the game cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/image.h"
#include "support/e2e.h"
#include "support/e2e_screens.h"
#include "support/scratch_folder.h"
#include "support/support.h"

namespace {

using namespace e2e;

// The main menu: the title picture's orange letters and the green column of buttons, wherever
// the window stands on the screen.
bool TitleDrawn(const Screenshot& s) {
    return s.Count(s.Whole(), TitleOrange) > 1000 && s.Count(s.Whole(), MenuGreen) > 5000;
}

struct ScreenSize {
    int width, height;
};

class TitleScreen : public ::testing::TestWithParam<ScreenSize> {};

TEST_P(TitleScreen, IsDrawnAndEscapeEndsTheGame) {
    const ScreenSize size = GetParam();
    GameRun game({.width = size.width, .height = size.height, .frameMs = 16});
    ASSERT_TRUE(game.Start());
    EXPECT_EQ(game.ScreenWidth(), size.width);
    EXPECT_EQ(game.ScreenHeight(), size.height);
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu over the title picture", TitleDrawn));

    Screenshot shot = game.Capture();
    game.SaveScreenshot(shot, "title-" + std::to_string(size.width) + "x" + std::to_string(size.height));
    EXPECT_EQ(shot.Width(), size.width);
    EXPECT_EQ(shot.Height(), size.height);
    EXPECT_TRUE(game.Running()) << game.ExitDescription();

    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
    EXPECT_EQ(game.Stderr(), "");
}

INSTANTIATE_TEST_SUITE_P(Sizes, TitleScreen, ::testing::Values(ScreenSize{1024, 768}, ScreenSize{800, 600}),
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST(TitleScreenSignals, TerminationEndsTheGameCleanly) {
    GameRun game;
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu over the title picture", TitleDrawn));
    game.Signal(SIGTERM);
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
}

// The window's icon as the desktop reads it (_NET_WM_ICON: width, height, then ARGB pixels
// row by row) from the data folder's icon; a data folder without a readable one leaves the
// window without, and only a file that is there but unreadable is worth a word.
enum class IconFile { Shipped, Missing, Garbage };

struct IconCase {
    const char* name;
    IconFile file;
};

class WindowIcon : public ::testing::TestWithParam<IconCase> {};

TEST_P(WindowIcon, ComesFromTheDataFolder) {
    namespace fs = std::filesystem;
    const std::string resources = fs::canonical(FixturePath("../../resources")).string() + "/";
    ScratchFolder scratch;
    GameOptions options{.frameMs = 16};
    if (GetParam().file != IconFile::Shipped) {
        // The shipped data folder, but for its icon.
        const std::string data = scratch.path() + "/data/";
        fs::create_directories(data + "images");
        for (const auto& entry : fs::directory_iterator(resources + "data")) {
            if (entry.path().filename() != "images")
                fs::create_symlink(entry.path(), data + entry.path().filename().string());
        }
        for (const auto& entry : fs::directory_iterator(resources + "data/images")) {
            if (entry.path().filename() != "icon.png") {
                fs::create_symlink(entry.path(), data + "images/" + entry.path().filename().string());
            }
        }
        fs::create_symlink(resources + "help", scratch.path() + "/help");
        if (GetParam().file == IconFile::Garbage) std::ofstream(data + "images/icon.png") << "not a picture";
        options.dataDir = scratch.path() + "/";
    }
    GameRun game(options);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    ASSERT_TRUE(game.WaitForScreen("the main menu over the title picture", TitleDrawn));
    const std::vector<uint32_t> icon = game.WindowProperty32("_NET_WM_ICON");

    if (GetParam().file == IconFile::Shipped) {
        const TPixmapPtr expected = LoadPixmap(resources + "data/images/icon.png");
        ASSERT_NE(expected, nullptr);
        ASSERT_GE(icon.size(), 2u);
        ASSERT_EQ(icon[0], static_cast<uint32_t>(expected->width));
        ASSERT_EQ(icon[1], static_cast<uint32_t>(expected->height));
        ASSERT_EQ(icon.size(), 2u + static_cast<size_t>(expected->width * expected->height));
        int wrong = 0;
        for (int y = 0; y < expected->height; ++y) {
            for (int x = 0; x < expected->width; ++x) {
                const uint8_t* p = expected->PixelPtr(x, y);
                const uint32_t argb = static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16 |
                                      static_cast<uint32_t>(p[1]) << 8 | p[2];
                if (icon[2 + static_cast<size_t>(y * expected->width + x)] != argb) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << "pixels of the window's icon that differ from the data folder's";
    } else {
        EXPECT_TRUE(icon.empty()) << icon.size() << " items";
    }

    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
    if (GetParam().file == IconFile::Garbage) {
        EXPECT_NE(game.Stderr().find("The window icon " + scratch.path() + "/data/images/icon.png could not be read"),
                  std::string::npos)
            << game.Stderr();
    } else {
        EXPECT_EQ(game.Stderr(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(DataFolders, WindowIcon,
                         ::testing::Values(IconCase{"Shipped", IconFile::Shipped},
                                           IconCase{"Missing", IconFile::Missing},
                                           IconCase{"Garbage", IconFile::Garbage}),
                         [](const auto& info) { return std::string(info.param.name); });

// The harness's own failure path, on a game that also refuses a frame time it cannot read.
TEST(HarnessFailures, AWaitThatCannotSucceedSaysWhyAndKeepsTheScreen) {
    GameRun game({.env = {{"BX2_FRAME_MS", "16ms"}}});
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForStderr("BX2_FRAME_MS must be a whole number"));
    ASSERT_TRUE(game.WaitForScreen("the main menu over the title picture", TitleDrawn));

    auto wait = game.WaitForScreen(
        "the whole screen red",
        [](const Screenshot& s) {
            return s.All(s.Whole(), IsNear({255, 0, 0}));
        },
        std::chrono::milliseconds(500));
    ASSERT_FALSE(wait);
    const std::string message = wait.message();
    const std::string saved = game.LastFailureScreenshot();
    EXPECT_NE(message.find("for the whole screen red"), std::string::npos) << message;
    EXPECT_NE(message.find(saved), std::string::npos) << message;
    EXPECT_NE(message.find("is still running"), std::string::npos) << message;
    EXPECT_NE(message.find("BX2_FRAME_MS must be"), std::string::npos) << "the tail of stderr:\n" << message;
    ASSERT_FALSE(saved.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(saved)) << saved;
    EXPECT_EQ(saved.rfind(game.ArtifactsFolder(), 0), 0u) << saved;

    // A wait for the end of a game that goes on says so too.
    auto exit = game.WaitForExit(std::chrono::milliseconds(200));
    EXPECT_FALSE(exit);
    EXPECT_NE(std::string(exit.message()).find("for the game to end"), std::string::npos) << exit.message();
    EXPECT_TRUE(game.Running());
}

}  // namespace
