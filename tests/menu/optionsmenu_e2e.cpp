// The options screen as a player uses it, through the end-to-end harness: every choice's
// preferences after Go Back, Cancel's rewrites included; a switch to an 800x600 window with its
// images, fonts and hidden pointer, kept over a restart; the language changed and kept over a
// restart, with the 1024x768 window turned into full screen on a desktop of that size; rings of
// languages that do not close; modes that will not open, made to fail by BX2_REFUSE_OPENS; and a
// larger window chosen after a game, which shows its menus whole.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/e2e.h"
#include "support/e2e_screens.h"
#include "support/scratch_folder.h"
#include "support/support.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

const std::string kPrefs = "data/prefs.xml";

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Where the main menu and the options screen show their labels.
Region ColumnArea(GameRun& game) { return View(game.Window()).Area(320, 272, 384, 230); }

// --- Driving the game. Each key waits for what it must show.

void StartInMainMenu(GameRun& game) {
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    Park(game);
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown(game)));
}

void OpenOptions(GameRun& game) {
    game.Tap("o");
    ASSERT_TRUE(game.WaitForScreen("the options screen", OptionsShown(game)));
}

void BackInOptions(GameRun& game) { ASSERT_TRUE(game.WaitForScreen("the options screen again", OptionsShown(game))); }
// After the screen was opened anew: a new window of that size, which the keys go to.
void BackInNewWindow(GameRun& game, unsigned long oldWindow, int width, int height) {
    ASSERT_TRUE(WaitForNewWindow(game, oldWindow, width, height));
    BackInOptions(game);
}

// Go Back, and the preferences as the game wrote them.
std::string GoBack(GameRun& game) {
    game.Tap("Escape");
    EXPECT_TRUE(game.WaitForScreen("the main menu", MainMenuShown(game)));
    // Go Back writes even an unchanged file; the main menu shows only after it.
    return game.ReadUserFile(kPrefs).value_or("");
}

void Quit(GameRun& game) {
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
}

void ExpectPrefs(const std::string& prefs, const std::map<std::string, std::string>& values) {
    for (const auto& [name, value] : values) EXPECT_EQ(Element(prefs, name), value) << name;
}

// The label of each face of the options column, in bright green inside it: present, and not a
// box that a lost font texture would fill.
void ExpectLabelsDrawn(GameRun& game, const Screenshot& s) {
    const View v(game.Window());
    for (int face = 0; face < 6; ++face) {
        // The faces stand 38.2 layout pixels apart from 272.4, each 34 high.
        const int top = static_cast<int>(272.4 + face * 38.2) + 4;
        const Region inside = v.Area(330, top, 364, 26);
        const int text = s.Count(inside, [](Rgb c) { return c.g > 100 && c.r < 80 && c.b < 80; });
        EXPECT_GT(text, 40) << "face " << face;
        EXPECT_LT(text, inside.w * inside.h * 2 / 5) << "face " << face;
    }
}

TEST(OptionsChoices, EachChoiceIsSavedOnGoBackCancelRewritesAnd800x600WindowKeepsItsPicturesAndTheRestart) {
    GameOptions options{.width = 1280, .height = 1024, .frameMs = 40};
    GameRun game(options);
    game.SeedUserFile(kPrefs, ShippedPrefs({{"isFastComputer", "5"},
                                            {"maxParticles", "300"},
                                            {"soundVolume", "0.50000000"},
                                            {"musicVolume", "0.50000000"}}));
    StartInMainMenu(game);
    OpenOptions(game);

    // Cancel in each chooser stores the entry it goes back to: 5 is better graphics, a pool of
    // 300 the full one of a fast computer, half volumes sound and music.
    ASSERT_TRUE(Choose(game, "g", {}, "Escape"));
    BackInOptions(game);
    ASSERT_TRUE(Choose(game, "e", {}, "Escape"));
    BackInOptions(game);
    ASSERT_TRUE(Choose(game, "a", {}, "Escape"));
    BackInOptions(game);
    ExpectPrefs(GoBack(game), {{"isFastComputer", "1"},
                               {"maxParticles", "512"},
                               {"useBallTrails", "1"},
                               {"soundVolume", "1.00000000"},
                               {"musicVolume", "1.00000000"}});

    OpenOptions(game);
    ASSERT_TRUE(Choose(game, "g", {"Down"}, "Return"));
    BackInOptions(game);
    ASSERT_TRUE(Choose(game, "e", {"Down"}, "Return"));
    BackInOptions(game);
    ASSERT_TRUE(Choose(game, "a", {"Up"}, "Return"));
    BackInOptions(game);
    // From the big window, which the 1280x1024 desktop offers, to the medium one.
    const Screenshot big = game.Capture();
    const unsigned long bigWindow = game.Window().id;
    ASSERT_TRUE(Choose(game, "f", {"Down"}, "Return"));
    BackInNewWindow(game, bigWindow, 800, 600);
    const Screenshot medium = game.Capture();
    game.SaveScreenshot(medium, "options-800x600");
    // The pictures and the fonts loaded for the first window draw in the second.
    const View v(game.Window());
    EXPECT_GT(medium.Count(v.Area(200, 40, 620, 110), TitleOrange), 4000) << "the title picture";
    EXPECT_GT(medium.Count(v.Area(400, 200, 224, 40), IsNotBlack()), 5000) << "the box picture";
    ExpectLabelsDrawn(game, big);
    ExpectLabelsDrawn(game, medium);
    EXPECT_FALSE(PointerShown(game)) << "no system pointer over the new window";

    const std::string prefs = GoBack(game);
    ExpectPrefs(prefs, {{"isFastComputer", "0"},
                        {"maxParticles", "256"},
                        {"useBallTrails", "0"},
                        {"soundVolume", "0.00000000"},
                        {"musicVolume", "0.00000000"},
                        {"isFullscreen", "0"},
                        {"screenWidth", "800"},
                        {"screenHeight", "600"}});
    Quit(game);
    EXPECT_EQ(game.Stderr(), "");

    // The next start opens the window at that size.
    GameRun again(options);
    again.SeedUserFile(kPrefs, prefs);
    StartInMainMenu(again);
    EXPECT_EQ(again.Window().w, 800);
    EXPECT_EQ(again.Window().h, 600);
    again.SaveScreenshot("restart-800x600");
    Quit(again);
}

// The in-game screen leaves the screen clipped to its own size; a larger window chosen after a
// game must still show every menu whole, not only in the old window's corner.
TEST(OptionsScreenMode, ALargerWindowAfterAGameShowsItsMenusWhole) {
    DataFolder data({"menu/edgepack"});
    GameRun game({.width = 1280, .height = 1024, .dataDir = data.Path(), .frameMs = 40});
    game.SeedUserFile(kPrefs, ShippedPrefs({{"currentPackName", "edgepack"}}));
    StartInMainMenu(game);
    OpenOptions(game);
    const Screenshot first = game.Capture();
    const View firstView(game.Window());

    const unsigned long big = game.Window().id;
    ASSERT_TRUE(Choose(game, "f", {"Down", "Down"}, "Return"));
    BackInNewWindow(game, big, 640, 480);
    GoBack(game);
    // A game, drawn for a few frames in the small window, paused and left for the main menu.
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the difficulty step", MenuWith(game, 5)));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the game", [&](const Screenshot& s) {
        const View v(game.Window());
        return !OnMenuBackground(s, v) && PanelShown(s, v);
    }));
    game.SaveScreenshot("game-640x480");
    game.Tap("Escape");
    Sleep(500);
    game.Tap("m");
    ASSERT_TRUE(game.WaitForScreen("the main menu after the game", MainMenuShown(game)));
    Park(game);
    OpenOptions(game);
    const unsigned long small = game.Window().id;
    // The big window takes the size full screen would: the display's own 1280x1024 here.
    ASSERT_TRUE(Choose(game, "f", {"Up", "Up"}, "Return"));
    ASSERT_TRUE(game.WaitUntil("a new, larger window", [&] {
        return game.WaitForWindow(kTitle, Millis(500)) && game.Window().id != small && game.Window().w > 640;
    }));
    Park(game);
    BackInOptions(game);
    const Screenshot after = game.Capture();
    game.SaveScreenshot(after, "options-big-window-after-a-game");
    // Right of and below the small window's 640x480, the menu background as at the start.
    const View v(game.Window());
    for (const double x : {700.0, 860.0}) {
        for (const double y : {20.0, 520.0, 660.0}) {
            SCOPED_TRACE(testing::Message() << "layout " << x << ", " << y);
            const Rgb now = after.Mean(v.Area(x, y, 120, 80));
            const Rgb then = first.Mean(firstView.Area(x, y, 120, 80));
            EXPECT_NEAR(now.r, then.r, 12) << now << " against " << then;
            EXPECT_NEAR(now.g, then.g, 12) << now << " against " << then;
            EXPECT_NEAR(now.b, then.b, 12) << now << " against " << then;
            EXPECT_GT(now.r + now.g + now.b, 30) << "drawn, not left black";
        }
    }
    GoBack(game);
    Quit(game);
}

TEST(OptionsLanguage, FrenchRelabelsTheScreenAndTheMainMenuAndStaysAfterARestartInFullScreen) {
    GameRun game({.frameMs = 40});
    StartInMainMenu(game);
    const Screenshot englishMenu = game.Capture();
    OpenOptions(game);
    const Screenshot englishOptions = game.Capture();

    ASSERT_TRUE(Choose(game, "l", {"Down"}, "Return"));
    ASSERT_TRUE(game.WaitForScreen("the options screen in French", [&](const Screenshot& s) {
        return OptionsShown(game)(s) && s.Differences(englishOptions, ColumnArea(game), 40) > 500;
    }));
    game.SaveScreenshot("options-french");

    // The shipped 1024-wide window is not offered on a 1024x768 desktop: the chooser opens on
    // full screen, and Cancel takes it.
    const unsigned long window = game.Window().id;
    std::vector<Screenshot> shown;
    ASSERT_TRUE(Choose(game, "f", {"Down", "Down", "Down"}, "Escape", &shown));
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_LT(shown[3].Differences(shown[0], ChooserEntry(View(game.Window())), 40), 20) << "three entries";
    BackInNewWindow(game, window, 1024, 768);
    EXPECT_EQ(game.Window().x, 0);

    const std::string prefs = GoBack(game);
    ExpectPrefs(prefs, {{"language", "fr"}, {"isFullscreen", "1"}, {"screenWidth", "-1"}, {"screenHeight", "-1"}});
    const Screenshot frenchMenu = game.Capture();
    game.SaveScreenshot(frenchMenu, "main-menu-french");
    EXPECT_GT(frenchMenu.Differences(englishMenu, ColumnArea(game), 40), 500);
    Quit(game);
    EXPECT_EQ(game.Stderr(), "");

    GameRun again({.frameMs = 40});
    again.SeedUserFile(kPrefs, prefs);
    StartInMainMenu(again);
    const Screenshot restarted = again.Capture();
    again.SaveScreenshot(restarted, "restart-french");
    EXPECT_LT(restarted.Differences(frenchMenu, ColumnArea(again), 40), 50) << "the main menu in French";
    Quit(again);
    EXPECT_EQ(again.Stderr(), "");
}

// A data folder that is the shipped one but for the strings, whose ring is broken.
class BrokenRingData {
public:
    explicit BrokenRingData(const std::string& strings) {
        const std::string data = scratch_.path() + "/data/";
        fs::create_directories(data);
        for (const char* entry : {"errorcodes.xml", "default_prefs.xml", "fonts", "images", "sounds", "packs"}) {
            fs::create_symlink(Resources() + "data/" + entry, data + entry);
        }
        fs::create_symlink(Resources() + "help", scratch_.path() + "/help");
        std::ofstream(data + "strings.xml", std::ios::binary) << strings;
    }
    std::string Path() const { return scratch_.path() + "/"; }

private:
    ScratchFolder scratch_;
};

TEST(OptionsLanguage, OverABrokenRingTheScreenOpensListsEachLanguageOnceAndKeepsItsLanguage) {
    const std::string shipped = ReadFile(Resources() + "data/strings.xml");
    const std::string ring = "<de>en</de>";
    ASSERT_NE(shipped.find(ring), std::string::npos);
    const size_t entryFrom = shipped.find("\t<string>\n\t\t<name>Next Language</name>");
    const size_t entryTo = shipped.find("</string>", entryFrom) + std::string("</string>\n").size();
    ASSERT_NE(entryFrom, std::string::npos);
    std::string cycle = shipped;
    cycle.replace(cycle.find(ring), ring.size(), "<de>fr</de>");
    std::string none = shipped;
    none.erase(entryFrom, entryTo - entryFrom);

    const struct Case {
        const char* what;
        std::string strings;
        std::string language;
        size_t languages;
    } cases[] = {
        {"a cycle that leaves out English: English, French, German", cycle, "en", 3},
        {"no \"Next Language\" at all: German alone", none, "de", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BrokenRingData data(c.strings);
        GameRun game({.dataDir = data.Path(), .frameMs = 40});
        game.SeedUserFile(kPrefs, ShippedPrefs({{"language", c.language}}));
        StartInMainMenu(game);
        OpenOptions(game);

        // Stepping down the list comes back to its first entry after every language once.
        game.Tap("l");
        ASSERT_TRUE(game.WaitForScreen("the language chooser", ChooserShown(game)));
        std::vector<Screenshot> entries = {game.Capture()};
        for (size_t i = 1; i <= c.languages; ++i) {
            const Screenshot before = game.Capture();
            game.Tap("Down");
            if (c.languages == 1) {
                // Nothing to step to: the entry stays.
                ASSERT_TRUE(game.WaitForFrames(kFramesAfterAKey));
            } else {
                ASSERT_TRUE(game.WaitForScreen("the next language", [&](const Screenshot& s) {
                    return ChooserShown(game)(s) && s.Differences(before, ChooserEntry(View(game.Window())), 40) > 20;
                }));
            }
            entries.push_back(game.Capture());
        }
        game.SaveScreenshot(entries.front(), "chooser-" + c.language);
        for (size_t i = 0; i < entries.size(); ++i) {
            for (size_t j = i + 1; j < entries.size(); ++j) {
                const bool same = entries[i].Differences(entries[j], ChooserEntry(View(game.Window())), 40) < 20;
                EXPECT_EQ(same, i == 0 && j == c.languages) << i << " and " << j;
            }
        }
        game.Tap("Escape");
        BackInOptions(game);
        ExpectPrefs(GoBack(game), {{"language", c.language}});
        Quit(game);
        EXPECT_EQ(game.Stderr(), "");
    }
}

TEST(OptionsScreenMode, AModeThatWillNotOpenFallsBackToThePreviousThenToA1024x768WindowThenEndsTheRun) {
    // The start opens the 1st time; the 2nd, 4th and 5th, 7th to 9th opens fail.
    GameRun game({.width = 1280, .height = 1024, .frameMs = 40, .env = {{"BX2_REFUSE_OPENS", "2,4,5,7,8,9"}}});
    game.SeedUserFile(kPrefs, ShippedPrefs({{"screenWidth", "640"}, {"screenHeight", "480"}}));
    StartInMainMenu(game);
    EXPECT_EQ(game.Window().w, 640);

    // The medium window will not open: back to the small one.
    OpenOptions(game);
    const unsigned long small = game.Window().id;
    ASSERT_TRUE(Choose(game, "f", {"Up"}, "Return"));
    ASSERT_TRUE(game.WaitForStderr("Going back to the previous screen mode."));
    BackInNewWindow(game, small, 640, 480);
    game.SaveScreenshot("options-640x480-previous");
    ExpectPrefs(GoBack(game), {{"isFullscreen", "0"}, {"screenWidth", "640"}, {"screenHeight", "480"}});

    // Neither the medium nor the small one: a 1024x768 window, which the preferences then keep.
    OpenOptions(game);
    const unsigned long smallAgain = game.Window().id;
    ASSERT_TRUE(Choose(game, "f", {"Up"}, "Return"));
    ASSERT_TRUE(game.WaitForStderr("Trying a 1024x768 window."));
    BackInNewWindow(game, smallAgain, 1024, 768);
    game.SaveScreenshot("options-1024x768-fallback");
    const std::string prefs = GoBack(game);
    ExpectPrefs(prefs, {{"isFullscreen", "0"}, {"screenWidth", "1024"}, {"screenHeight", "768"}});
    EXPECT_EQ(game.UserFileMode("bx2_error_log.txt"), -1) << "what was recovered is not logged";

    // Nothing opens: the run ends with the alert and the error log.
    OpenOptions(game);
    ASSERT_TRUE(Choose(game, "f", {"Down", "Down"}, "Return"));
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 1) << game.ExitDescription();
    const std::string alert = "The game cannot go on as asked. (No screen would open, not even a 1024x768 window.)";
    EXPECT_NE(game.Stderr().find(alert), std::string::npos) << game.Stderr();
    EXPECT_EQ(game.ReadUserFile("bx2_error_log.txt").value_or(""), " NOTE: " + alert + "\n");
    EXPECT_EQ(game.ReadUserFile(kPrefs), prefs) << "no Go Back, no preferences written";
}

}  // namespace
