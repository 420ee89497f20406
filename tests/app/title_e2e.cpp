// The executable as a player starts it, driven through the end-to-end harness: the main menu
// is drawn over the title picture on a real window at the screen size asked for, and Escape or
// a termination signal ends the game cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/e2e.h"

namespace {

using namespace e2e;

const std::string kTitle = "Brondelvix 2!";

// The main menu: the title picture's orange letters and the green column of buttons, wherever
// the window stands on the screen.
bool TitleDrawn(const Screenshot& s) {
    const int orange = s.Count(s.Whole(), [](Rgb c) { return c.r > 180 && c.g > 80 && c.b < 90; });
    const int green = s.Count(s.Whole(), [](Rgb c) { return c.g > 35 && c.g > 3 * c.r && c.g > 3 * c.b; });
    return orange > 1000 && green > 5000;
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
