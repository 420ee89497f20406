// The level editor as a pack author meets it, through the end-to-end harness: the real
// executable started with --editor on a copy of a data folder whose pack has three brick types.
// The help panel and the cursor as the keys change them, placing, filling, re-typing, deleting
// and clearing bricks, saving the level and playing what was saved, the jump to a level by name,
// another screen size, a fill that cannot advance, and a pack with no brick types.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
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

int FileMode(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) return -1;
    return static_cast<int>(status.permissions()) & 0777;
}

// The edit pack's files, which the level files are written into.
std::string PackFile(const DataFolder& data, const std::string& relative) { return data.Pack("editpack") + relative; }
std::string LevelFile(const DataFolder& data, const std::string& name) { return PackFile(data, "levels/" + name); }
void WritePackFile(const DataFolder& data, const std::string& relative, const std::string& text) {
    std::ofstream(PackFile(data, relative), std::ios::binary | std::ios::trunc) << text;
}

GameOptions EditorRun(const DataFolder& data, int width = 1024, int height = 768) {
    return {.width = width, .height = height, .dataDir = data.Path(), .frameMs = 40, .args = {"--editor"}};
}

// On the edit pack, in a window that fills the screen.
void Start(GameRun& game, int width = 1024, int height = 768) {
    game.SeedUserFile("data/prefs.xml", ShippedPrefs({{"currentPackName", "editpack"},
                                                      {"screenWidth", std::to_string(width)},
                                                      {"screenHeight", std::to_string(height)}}));
    StartFillingTheScreen(game);
}

// --- What the screen shows, at logical 1024 x 768 positions scaled to the screen.

bool Red(Rgb c) { return c.r > 40 && c.r > 2 * c.g && c.r > 2 * c.b; }
bool Blue(Rgb c) { return c.b > 40 && c.b > 3 * c.r / 2 && c.b > 3 * c.g / 2; }
bool Green(Rgb c) { return c.g > 40 && c.g > 2 * c.r && c.g > 2 * c.b; }
using Hue = bool (*)(Rgb);

// A brick of that hue whose top left corner is at (x, y): most of its inside has the hue.
bool BrickAt(const Screenshot& s, double x, double y, Hue hue) {
    const View k = WholeScreen(s);
    const Region inside{k.X(x + 4), k.Y(y + 4), k.X(x + 44) - k.X(x + 4), k.Y(y + 16) - k.Y(y + 4)};
    return s.Count(inside, hue) * 10 > inside.w * inside.h * 6;
}
// Nothing of any brick's hue there.
bool NoBrickAt(const Screenshot& s, double x, double y) {
    const View k = WholeScreen(s);
    const Region inside{k.X(x + 4), k.Y(y + 4), k.X(x + 44) - k.X(x + 4), k.Y(y + 16) - k.Y(y + 4)};
    return s.Count(inside, [](Rgb c) { return Red(c) || Blue(c) || Green(c); }) == 0;
}

// The help panel: black from 4 logical pixels right of the field to the screen's edge, with its
// eight lines of white text, each line's letters (descenders too) inside its own band.
Region PanelRow(const Screenshot& s, int row) {
    const View k = WholeScreen(s);
    return {k.X(728), k.Y(13 + 24 * row), s.Width() - k.X(728), k.Y(37 + 24 * row) - k.Y(13 + 24 * row)};
}
bool HelpShown(const Screenshot& s) {
    const View k = WholeScreen(s);
    for (int row = 0; row < 8; ++row) {
        if (s.Count(PanelRow(s, row), IsLight(200)) < 20) return false;
    }
    // Below the help the panel is black: the game's own panel is covered.
    return s.All({k.X(730), k.Y(220), s.Width() - k.X(730), s.Height() - k.Y(220)}, IsDark(10));
}

// The help rows as the screen shows them: runs of pixel rows with light pixels in the panel.
std::vector<int> HelpRowTops(const Screenshot& s) {
    const View k = WholeScreen(s);
    std::vector<int> tops;
    bool inRun = false;
    for (int y = 0; y < k.Y(230); ++y) {
        const bool light = s.Any({k.X(728), y, s.Width() - k.X(728), 1}, IsLight(160));
        if (light && !inRun) tops.push_back(y);
        inRun = light;
    }
    return tops;
}
// A line's band may hold a few pixels of the descenders above it: a change of text changes
// hundreds.
bool RowChanged(const Screenshot& s, const Screenshot& before, int row) {
    return s.Differences(before, PanelRow(s, row), 30) > 40;
}
bool RowAsIn(const Screenshot& s, const Screenshot& other, int row) {
    return s.Differences(other, PanelRow(s, row), 30) <= 12;
}

// The cursor's own look: the Delete mode's red cross and the Change mode's magenta bracket,
// drawn at the cursor. Each is told by points along its lines, every one of them (give or take
// a pixel) in the line's colour.
bool LineThrough(const Screenshot& s, double x, double y, const std::vector<std::pair<double, double>>& points,
                 Rgb colour) {
    const View k = WholeScreen(s);
    for (const auto& [dx, dy] : points) {
        if (!s.Any({k.X(x + dx) - 1, k.Y(y + dy) - 1, 3, 3}, IsNear(colour, 12))) return false;
    }
    return true;
}
bool CrossAt(const Screenshot& s, double x, double y) {
    return LineThrough(s, x, y, {{0, 0}, {-3, -3}, {3, 3}, {3, -3}, {-3, 3}}, {255, 100, 100});
}
bool BracketAt(const Screenshot& s, double x, double y) {
    return LineThrough(s, x, y, {{0, 0}, {3, 0}, {7, 0}, {0, 3}, {0, 7}}, {255, 100, 255});
}

// --- Driving the editor.

// The editor's cursor follows the pointer's motion in logical pixels. Each motion is sent once
// the game has taken the one before and put the pointer back near the screen's centre, which
// it does in the frame that shows the cursor moved.
class Cursor {
public:
    using Look = std::function<bool(const Screenshot&, double, double)>;
    Cursor(GameRun& game, double factor) : game_(game), factor_(factor) {}
    double X() const { return x_; }
    double Y() const { return y_; }
    // Where the cursor went by a motion of the test's own.
    void Knows(double x, double y) { x_ = x, y_ = y; }

    // To (x, y) in steps the screen has room for, each one seen: `look` at the new place and,
    // unless the old place keeps showing the same thing, no longer at the old one.
    ::testing::AssertionResult To(double x, double y, const Look& look, bool oldStaysShown = false) {
        const int steps =
            static_cast<int>(std::max(std::ceil(std::abs(x - x_) / 200.0), std::ceil(std::abs(y - y_) / 150.0)));
        for (int i = 1; i <= steps; ++i) {
            const double toX = x_ + (x - x_) / (steps - i + 1), toY = y_ + (y - y_) / (steps - i + 1);
            const double fromX = x_, fromY = y_;
            game_.MoveBy(static_cast<int>(std::lround((toX - fromX) * factor_)),
                         static_cast<int>(std::lround((toY - fromY) * factor_)));
            x_ = toX, y_ = toY;
            ::testing::AssertionResult seen = game_.WaitForScreen(
                "the cursor at " + std::to_string(toX) + ", " + std::to_string(toY),
                [&](const Screenshot& s) { return look(s, toX, toY) && (oldStaysShown || !look(s, fromX, fromY)); });
            if (!seen) return seen;
        }
        return ::testing::AssertionSuccess();
    }

private:
    GameRun& game_;
    double factor_;
    double x_ = 4.0, y_ = 4.0;  // where a first editor run's cursor starts: the field's corner
};

Cursor::Look Preview(Hue hue) {
    return [hue](const Screenshot& s, double x, double y) { return BrickAt(s, x, y, hue); };
}

// An arrow with Shift held until the frame shows what it did: the editor reads Shift as it
// stands when it takes the arrow.
::testing::AssertionResult ShiftedShows(GameRun& game, const std::string& arrow, const std::string& what,
                                        const std::function<bool(const Screenshot&)>& test) {
    game.KeyDown("Shift");
    game.Tap(arrow);
    ::testing::AssertionResult seen = game.WaitForScreen(what, test);
    game.KeyUp("Shift");
    return seen;
}

// The button held until the frame shows what it did: the tools that act while it is held.
::testing::AssertionResult HoldUntil(GameRun& game, const std::string& what,
                                     const std::function<bool(const Screenshot&)>& test) {
    game.ButtonDown();
    ::testing::AssertionResult seen = game.WaitForScreen(what, test);
    game.ButtonUp();
    return seen;
}

// The text entry of the jump: its green prompt over a black screen, no field.
bool JumpEntryShown(const Screenshot& s) {
    return s.Count({300, 220, 424, 60}, IsNear({0, 200, 0}, 40)) > 100 && s.All({4, 4, 200, 150}, IsDark(10));
}
// A brick element as the level writer writes it, made from the one it wrote for the level's
// first brick, "plain" at (326, 100).
std::string BrickElement(const std::string& written, const std::string& name, int x, int y) {
    const size_t from = written.find("<brick>");
    const size_t to = written.find("</brick>", from) + std::string("</brick>").size();
    std::string element = written.substr(from, to - from);
    const auto put = [&element](const std::string& was, const std::string& now) {
        const size_t at = element.find(was);
        if (at != std::string::npos) element.replace(at, was.size(), now);
    };
    put("<brickName>plain</brickName>", "<brickName>" + name + "</brickName>");
    put("<x>326.000000</x>", "<x>" + std::to_string(x) + ".000000</x>");
    put("<y>100.000000</y>", "<y>" + std::to_string(y) + ".000000</y>");
    return element;
}

// The whole level file with its brick elements replaced; each element takes a line of its own,
// indented one tab.
std::string WithBricks(const std::string& written, const std::vector<std::string>& elements) {
    const size_t from = written.find("\t<brick>");
    const size_t last = written.rfind("</brick>");
    std::string text = written.substr(0, from);
    for (const std::string& element : elements) text += "\t" + element + "\n";
    return text + written.substr(written.find('\n', last) + 1);
}

// --- The runs.

TEST(Editor, ModesTypesAddFillChangeDeleteClearAndSaveThenTheSavedLevelPlays) {
    DataFolder data({"app/editpack"});
    GameRun game(EditorRun(data));
    Start(game);
    ASSERT_TRUE(game.WaitForScreen(
        "the editor: its help, the level, and the template at the field's corner",
        [](const Screenshot& s) { return HelpShown(s) && BrickAt(s, 4, 4, Red) && BrickAt(s, 326, 100, Red); }));
    const Screenshot start = game.Capture();
    game.SaveScreenshot(start, "editor");
    EXPECT_EQ(HelpRowTops(start).size(), 8u) << "eight lines apart";

    // S before any edit: the level as the writer writes it.
    const std::string levelFile = LevelFile(data, "one.xml");
    const std::string original = ReadFile(levelFile);
    game.Tap("s");
    ASSERT_TRUE(game.WaitUntil("the level saved", [&] { return FileMode(levelFile) == 0444; }));
    ASSERT_TRUE(game.WaitForStdout("Saving level..."));
    const std::string unedited = ReadFile(levelFile);
    EXPECT_NE(unedited, original);
    ASSERT_NE(unedited.find("<brickName>plain</brickName>"), std::string::npos) << unedited;
    ASSERT_NE(unedited.find("<x>326.000000</x>"), std::string::npos) << unedited;
    ASSERT_NE(unedited.find("<y>100.000000</y>"), std::string::npos) << unedited;

    // The modes: the first help line and the cursor follow the keys.
    ASSERT_TRUE(KeyShows(game, "d", "Delete: its cross", [&](const Screenshot& s) {
        return RowChanged(s, start, 0) && CrossAt(s, 4, 4) && !BrickAt(s, 4, 4, Red);
    }));
    const Screenshot deleting = game.Capture();
    game.SaveScreenshot(deleting, "mode-delete");
    ASSERT_TRUE(KeyShows(game, "c", "Change: its bracket and the template beside it", [&](const Screenshot& s) {
        return RowChanged(s, start, 0) && RowChanged(s, deleting, 0) && BracketAt(s, 4, 4) && BrickAt(s, 8, 8, Red);
    }));
    const Screenshot changing = game.Capture();
    game.SaveScreenshot(changing, "mode-change");
    ASSERT_TRUE(KeyShows(game, "r", "Rectangle Add, overlaying", [&](const Screenshot& s) {
        return RowChanged(s, changing, 0) && RowChanged(s, deleting, 0) && RowChanged(s, start, 1) &&
               BrickAt(s, 4, 4, Red);
    }));
    const Screenshot rectangle = game.Capture();
    game.SaveScreenshot(rectangle, "mode-rectangle");
    ASSERT_TRUE(KeyShows(game, "a", "Add, still overlaying",
                         [&](const Screenshot& s) { return RowAsIn(s, start, 0) && RowAsIn(s, rectangle, 1); }));
    ASSERT_TRUE(KeyShows(game, "o", "Add, Normal again",
                         [&](const Screenshot& s) { return RowAsIn(s, start, 0) && RowAsIn(s, start, 1); }));
    ASSERT_TRUE(
        KeyShows(game, "f", "the template frozen", [&](const Screenshot& s) { return RowChanged(s, start, 2); }));
    game.SaveScreenshot("frozen");
    ASSERT_TRUE(KeyShows(game, "f", "the template thawed", [&](const Screenshot& s) { return RowAsIn(s, start, 2); }));

    // The brick types: 0 steps on through the pack's types and round, 9 back.
    const struct {
        const char* key;
        Hue hue;
        const char* name;
    } types[] = {{"0", Blue, "blue"}, {"0", Green, "green"}, {"0", Red, "plain"}, {"9", Green, "green"}};
    Screenshot typeShown = start;
    for (const auto& type : types) {
        ASSERT_TRUE(KeyShows(game, type.key, std::string("the type ") + type.name, [&](const Screenshot& s) {
            return BrickAt(s, 4, 4, type.hue) && (type.hue == Red ? RowAsIn(s, start, 3) : RowChanged(s, typeShown, 3));
        }));
        typeShown = game.Capture();
        game.SaveScreenshot(typeShown, std::string("type-") + type.name);
    }
    ASSERT_TRUE(
        KeyShows(game, "0", "the first type again", [&](const Screenshot& s) { return BrickAt(s, 4, 4, Red); }));

    // K clears the level.
    ASSERT_TRUE(KeyShows(game, "k", "the level cleared", [](const Screenshot& s) { return NoBrickAt(s, 326, 100); }));

    // Add, overlaying: one brick for a click.
    Cursor cursor(game, 1.0);
    ASSERT_TRUE(KeyShows(game, "o", "overlaying", [&](const Screenshot& s) { return RowAsIn(s, rectangle, 1); }));
    ASSERT_TRUE(cursor.To(326, 240, Preview(Red)));
    game.Click();
    // The template hides the brick it placed: S until the level file has it, so that the click
    // was taken before the cursor moves on.
    ASSERT_TRUE(game.WaitUntil("the brick placed", [&] {
        const std::string before = ReadFile(levelFile);
        game.Tap("s");
        for (int i = 0; i < 50 && ReadFile(levelFile) == before; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return ReadFile(levelFile).find("<y>240.000000</y>") != std::string::npos;
    }));
    ASSERT_TRUE(cursor.To(
        326, 100,
        [](const Screenshot& s, double x, double y) { return BrickAt(s, x, y, Red) && BrickAt(s, 326, 240, Red); },
        true));
    game.SaveScreenshot("added");

    // The rectangle fill, in blue: a corner, then three columns of two rows towards the cursor.
    ASSERT_TRUE(KeyShows(game, "0", "blue", [](const Screenshot& s) { return BrickAt(s, 326, 100, Blue); }));
    ASSERT_TRUE(KeyShows(game, "r", "Rectangle Add", [&](const Screenshot& s) { return RowAsIn(s, rectangle, 0); }));
    game.Click();
    ASSERT_TRUE(game.WaitForScreen("the corner stored: no preview at it",
                                   [](const Screenshot& s) { return NoBrickAt(s, 326, 100); }));
    const double columns[] = {326, 374, 422}, rows[] = {100, 120};
    const auto filled = [&](const Screenshot& s) {
        for (const double x : columns) {
            for (const double y : rows) {
                if (!BrickAt(s, x, y, Blue)) return false;
            }
        }
        return true;
    };
    ASSERT_TRUE(cursor.To(
        446, 130, [&](const Screenshot& s, double, double) { return filled(s); }, true));
    game.SaveScreenshot("fill-preview");
    game.Click();
    ASSERT_TRUE(game.WaitForScreen("the bricks placed and the corner reset: one preview at the cursor",
                                   [&](const Screenshot& s) {
                                       return filled(s) && s.Count({472, 141, 18, 7}, Blue) > 80;
                                   }));
    game.SaveScreenshot("filled");

    // Change: the two bricks of the first column turn red.
    ASSERT_TRUE(KeyShows(game, "c", "Change", [](const Screenshot& s) { return BracketAt(s, 446, 130); }));
    ASSERT_TRUE(KeyShows(game, "9", "red", [](const Screenshot& s) { return BrickAt(s, 450, 134, Red); }));
    const auto bracket = [](const Screenshot& s, double x, double y) { return BracketAt(s, x, y); };
    ASSERT_TRUE(cursor.To(336, 105, bracket));
    ASSERT_TRUE(HoldUntil(game, "the brick under the cursor red", [](const Screenshot& s) {
        return s.Count({328, 102, 6, 16}, Red) > 48;
    }));
    ASSERT_TRUE(cursor.To(336, 125, bracket));
    ASSERT_TRUE(HoldUntil(game, "the brick under the cursor red", [](const Screenshot& s) {
        return s.Count({328, 122, 6, 16}, Red) > 48;
    }));
    game.SaveScreenshot("changed");

    // Delete: the third column's top brick goes.
    ASSERT_TRUE(KeyShows(game, "d", "Delete", [&](const Screenshot& s) { return CrossAt(s, cursor.X(), cursor.Y()); }));
    ASSERT_TRUE(cursor.To(432, 105, [](const Screenshot& s, double x, double y) { return CrossAt(s, x, y); }));
    ASSERT_TRUE(HoldUntil(game, "the brick under the cursor gone", [](const Screenshot& s) {
        return s.Count({438, 102, 28, 16}, Blue) == 0;
    }));
    const Screenshot edited = game.Capture();
    game.SaveScreenshot(edited, "edited");
    EXPECT_TRUE(BrickAt(edited, 374, 100, Blue));
    EXPECT_TRUE(BrickAt(edited, 422, 120, Blue));

    // S: the writer's text with the bricks as placed, in the order they were placed, the
    // cleared and deleted ones left out.
    const std::string withTheAddedBrick = ReadFile(levelFile);
    game.Tap("s");
    ASSERT_TRUE(game.WaitUntil("the level saved again", [&] { return ReadFile(levelFile) != withTheAddedBrick; }));
    EXPECT_EQ(FileMode(levelFile), 0444);
    const std::string expected =
        WithBricks(unedited, {BrickElement(unedited, "plain", 326, 240), BrickElement(unedited, "plain", 326, 100),
                              BrickElement(unedited, "plain", 326, 120), BrickElement(unedited, "blue", 374, 100),
                              BrickElement(unedited, "blue", 374, 120), BrickElement(unedited, "blue", 422, 120)});
    EXPECT_EQ(ReadFile(levelFile), expected);

    // The saved level in a game: the bricks where they were, the red ones in the ball's way
    // broken by it, and the next level once they are gone.
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the difficulty step", MenuWith(game, 5)));
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the saved level in play", [&](const Screenshot& s) {
        return Playing(game)(s) && BrickAt(s, 326, 240, Red) && BrickAt(s, 326, 100, Red) &&
               BrickAt(s, 326, 120, Red) && BrickAt(s, 374, 100, Blue) && BrickAt(s, 374, 120, Blue) &&
               BrickAt(s, 422, 120, Blue) && NoBrickAt(s, 422, 100);
    }));
    game.SaveScreenshot("saved-level-in-play");
    Launch(game);
    ASSERT_TRUE(game.WaitForScreen(
        "the next level", [&](const Screenshot& s) { return Playing(game)(s) && BrickAt(s, 100, 100, Green); },
        std::chrono::seconds(90)));
    game.SaveScreenshot("next-level");
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the pause screen", OverGameWith(game, 3)));
    game.Tap("q");
    ExpectCleanExit(game);
}

TEST(Editor, JumpingToANameThePackLacksKeepsTheLevelAndTheRunEndsWithTheErrorLog) {
    DataFolder data({"app/editpack"});
    GameRun game(EditorRun(data));
    Start(game);
    ASSERT_TRUE(game.WaitForScreen("the editor", [](const Screenshot& s) { return HelpShown(s); }));
    // A brick added and not saved: a fill of one tile.
    const Screenshot start = game.Capture();
    Cursor cursor(game, 1.0);
    ASSERT_TRUE(KeyShows(game, "r", "Rectangle Add", [&](const Screenshot& s) { return RowChanged(s, start, 0); }));
    ASSERT_TRUE(cursor.To(100, 300, Preview(Red)));
    game.Click();
    ASSERT_TRUE(game.WaitForScreen("the corner stored", [](const Screenshot& s) { return NoBrickAt(s, 100, 300); }));
    ASSERT_TRUE(cursor.To(
        120, 310, [](const Screenshot& s, double, double) { return BrickAt(s, 100, 300, Red); }, true));
    game.Click();
    ASSERT_TRUE(game.WaitForScreen("the brick placed, the template at the cursor", [](const Screenshot& s) {
        return BrickAt(s, 100, 300, Red) && s.Count({150, 322, 16, 6}, Red) > 60;
    }));

    game.Tap("j");
    ASSERT_TRUE(game.WaitForScreen("the jump's entry", JumpEntryShown));
    EntryKeys(game, "Nowhere", JumpEntryShown);
    game.SaveScreenshot("jump-entry");
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the same level, with the brick added", [](const Screenshot& s) {
        return HelpShown(s) && BrickAt(s, 100, 300, Red) && BrickAt(s, 326, 100, Red);
    }));
    game.SaveScreenshot("jump-kept");

    game.Tap("j");
    ASSERT_TRUE(game.WaitForScreen("the jump's entry", JumpEntryShown));
    EntryKeys(game, "Level Three", JumpEntryShown);
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the third level", [](const Screenshot& s) {
        return HelpShown(s) && BrickAt(s, 600, 300, Green) && BrickAt(s, 326, 100, Green) &&
               s.Count({102, 302, 16, 16}, Red) == 0;
    }));
    game.SaveScreenshot("jump-level-three");

    // The miss was logged: leaving saves the error log and names it.
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription();
    EXPECT_NE(game.Stderr().find("Brondelvix 2! generated some errors while you were playing."), std::string::npos)
        << game.Stderr();
    const std::string log = game.ReadUserFile("bx2_error_log.txt").value_or("");
    const std::string miss = "Could not find level named \"Nowhere\".";
    ASSERT_NE(log.find(miss), std::string::npos) << log;
    EXPECT_EQ(log.find(miss, log.find(miss) + 1), std::string::npos) << "reported once:\n" << log;
    EXPECT_EQ(ReadFile(LevelFile(data, "one.xml")), ReadFile(FixturePath("app/editpack/levels/one.xml")))
        << "nothing saved";
}

TEST(Editor, AtAnotherScreenSizeTheHelpRowsStayApartTheCursorKeepsToTheFieldAndAFillThatCannotAdvancePlacesNothing) {
    DataFolder data({"app/editpack"});
    GameRun game(EditorRun(data, 1280, 960));
    Start(game, 1280, 960);
    ASSERT_TRUE(game.WaitForScreen("the editor", [](const Screenshot& s) {
        return HelpShown(s) && BrickAt(s, 4, 4, Red) && BrickAt(s, 326, 100, Red);
    }));
    const Screenshot start = game.Capture();
    game.SaveScreenshot(start, "editor-1280x960");
    const std::vector<int> tops = HelpRowTops(start);
    ASSERT_EQ(tops.size(), 8u) << "eight lines apart";
    for (size_t row = 0; row < tops.size(); ++row) {
        EXPECT_NEAR(tops[row], (10 + 24 * static_cast<int>(row)) * 1.25, 8) << row;
    }

    // The pointer's motion in screen pixels moves the cursor by as many logical pixels as
    // that is; far past the field's right edge the cursor stops on it.
    Cursor cursor(game, 1.25);
    ASSERT_TRUE(cursor.To(104, 84, Preview(Red)));
    ASSERT_TRUE(cursor.To(704, 84, Preview(Red)));
    game.MoveBy(250, 0);
    ASSERT_TRUE(game.WaitForScreen("the cursor on the field's right edge", [](const Screenshot& s) {
        return BrickAt(s, 724, 84, Red) && !BrickAt(s, 704, 84, Red);
    }));
    game.SaveScreenshot("right-edge");

    // A fill from (300, 300) to (400, 400): a corner, then the preview of its tiles.
    game.MoveBy(-125, 0);
    ASSERT_TRUE(game.WaitForScreen("the cursor back from the edge", [](const Screenshot& s) {
        return BrickAt(s, 624, 84, Red) && NoBrickAt(s, 724, 84);
    }));
    cursor.Knows(624, 84);
    ASSERT_TRUE(cursor.To(300, 300, Preview(Red)));
    ASSERT_TRUE(KeyShows(game, "r", "Rectangle Add", [&](const Screenshot& s) { return RowChanged(s, start, 0); }));
    game.Click();
    ASSERT_TRUE(game.WaitForScreen("the corner stored", [](const Screenshot& s) { return NoBrickAt(s, 300, 300); }));
    const auto tiles = [](const Screenshot& s) { return BrickAt(s, 300, 300, Red) && BrickAt(s, 396, 380, Red); };
    ASSERT_TRUE(cursor.To(
        400, 400, [&](const Screenshot& s, double, double) { return tiles(s); }, true));
    game.SaveScreenshot("fill-preview-1280x960");

    // The template's width scale brought to nothing, then to a sliver no position can step by:
    // Shift+Left to 0, ten Right back to a hair over one, Shift+Left to about a ten-millionth.
    ASSERT_TRUE(ShiftedShows(game, "Left", "no preview for a template without width",
                             [](const Screenshot& s) { return NoBrickAt(s, 300, 300) && NoBrickAt(s, 396, 380); }));
    // The editor takes one press of a key a frame, however many came: each is sent once the
    // one before shows.
    for (int i = 0; i < 10; ++i) {
        const Screenshot before = game.Capture();
        ASSERT_TRUE(KeyShows(game, "Right", "the template a tenth wider", [&](const Screenshot& s) {
            return s.Differences(before, {s.Width() * 300 / 1024, s.Height() * 300 / 768, 250, 160}, 30) > 20;
        }));
    }
    // All ten taken: the third column ends 48 logical pixels on, where nine would leave it short.
    ASSERT_TRUE(game.WaitForScreen("the preview again, at its full width", [&](const Screenshot& s) {
        const Region end{s.Width() * 436 / 1024, s.Height() * 382 / 768, 7, 17};
        return tiles(s) && s.Count(end, Red) * 10 > end.w * end.h * 8;
    }));
    ASSERT_TRUE(ShiftedShows(game, "Left", "no preview for a sliver",
                             [](const Screenshot& s) { return NoBrickAt(s, 300, 300) && NoBrickAt(s, 396, 380); }));
    // The fill, then F twice: F is read in the frame that takes the click or after it, so once
    // the help shows the freeze undone the fill is over.
    const Screenshot thawed = game.Capture();
    game.Click();
    ASSERT_TRUE(
        KeyShows(game, "f", "the template frozen", [&](const Screenshot& s) { return RowChanged(s, thawed, 2); }));
    ASSERT_TRUE(KeyShows(game, "f", "the template thawed", [&](const Screenshot& s) { return RowAsIn(s, thawed, 2); }));
    // The game goes on: nothing was placed, and with its width back the template shows alone
    // at the cursor: the corner was reset.
    ASSERT_TRUE(ShiftedShows(game, "Right", "the template at the cursor, the corner reset", [](const Screenshot& s) {
        return BrickAt(s, 400, 400, Red) && NoBrickAt(s, 300, 300) && NoBrickAt(s, 348, 300) && NoBrickAt(s, 300, 320);
    }));
    game.SaveScreenshot("sliver-fill");

    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    game.Tap("Escape");
    ExpectCleanExit(game);
}

TEST(Editor, APackWithoutBrickTypesIsRefusedWithAMessageAndTheMainMenu) {
    DataFolder data({"app/editpack"});
    WritePackFile(data, "bricks.xml", "<bricks>\n</bricks>\n");
    for (const char* file : {"levels/one.xml", "levels/two.xml", "levels/three.xml"}) {
        std::string text = ReadFile(PackFile(data, file));
        const size_t brick = text.find("\t<brick>");
        text.erase(brick, text.find("</level>") - brick);
        WritePackFile(data, file, text);
    }
    GameRun game(EditorRun(data));
    Start(game);
    ASSERT_TRUE(
        game.WaitForStderr("The level editor cannot run on the pack \"Edit Pack\": it has no brick types to place."));
    ASSERT_TRUE(game.WaitForScreen("the main menu", MenuWith(game, 6)));
    game.SaveScreenshot("refused");
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription();
    EXPECT_EQ(game.UserFileMode("bx2_error_log.txt"), -1) << "nothing logged";
}

}  // namespace
