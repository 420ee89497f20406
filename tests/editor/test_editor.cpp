// The level editor on a running editor game of the edit pack (three brick types, one brick in
// its first level): the mode keys and the jump to a level, the help panel and the cursor, the
// template's keys, the tools under the mouse with the rectangle fill, and the placing of a brick
// with its overlap test, the reuse of a dying slot and a failed append.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "editor/editor.h"
#include "level/level.h"
#include "menu/menu_support.h"
#include "pack/packs.h"
#include "pieces/brick.h"
#include "pieces/nain.h"
#include "sprites/random.h"
#include "sprites/sprites.h"

namespace {

using namespace screen_test;

constexpr float kWidth = 48.0f, kHeight = 20.0f;  // every brick of the edit pack

class EditorTest : public ScreenTest {
protected:
    EditorState editor;

    void SetUp() override {
        ScreenTest::SetUp();
        std::filesystem::copy(FixturePath("app/editpack"), dataFolder + "data/packs/editpack",
                              std::filesystem::copy_options::recursive);
        WritePrefs("<currentPackName>editpack</currentPackName>");
        StartUniverse();
        StartGame(0, 1);
        ASSERT_EQ(EditorStartRun(editor, game().currentPack), 1);
        ASSERT_EQ(g_DebugLog, "");
    }
    void TearDown() override {
        SetEditorAppendHook(nullptr);
        SetIdleHook(nullptr);
        ScreenTest::TearDown();
    }

    Pack& pack() { return *game().currentPack; }
    std::vector<BrickPtr>& bricks() { return level().bricksArray; }
    Sprite& body() { return *editor.templateBrick->brickSprite; }

    void Cursor() { EditorCursor(editor); }
    void Action() { EditorAction(editor, bricks(), pack().bricksArray); }
    // One drawn frame's share of the editor, the input taken in first.
    void Frame() {
        PumpEvents();
        Cursor();
        Action();
    }
    void Click() {
        HoldButton(1);
        ReleaseButton(1);
    }
    // A live brick of the level, of the template's type, at (x, y).
    BrickPtr Place(float x, float y) {
        body().x = x;
        body().y = y;
        body().absX = x;
        body().absY = y;
        EditorAddBrick("Overlay", editor.templateBrick, bricks(), 0);
        return bricks().back();
    }
    int LiveBricks() {
        int n = 0;
        for (const BrickPtr& b : bricks()) n += b->isLive != 0 ? 1 : 0;
        return n;
    }
    static void Move(int x, int y) { InjectEvent({.type = InputEventType::MouseMove, .x = x, .y = y}); }
};

// --- Modes and the jump.

TEST_F(EditorTest, TheModeKeysFollowTheirTableInTheirFixedOrder) {
    const struct Case {
        const char* keys;
        const char *fromMode, *fromOverlay;
        const char *toMode, *toOverlay;
    } cases[] = {
        {"", "Add", "Normal", "Add", "Normal"},
        {"CA", "Add", "Normal", "Change", "Normal"},  // tested A, R, D, C: C wins
        {"D", "Add", "Overlay", "Delete", "Overlay"},
        {"RO", "Add", "Normal", "Rectangle Add", "Overlay"},
        {"O", "Rectangle Add", "Overlay", "Rectangle Add", "Overlay"},
        {"OO", "Change", "Normal", "Change", "Overlay"},  // two presses act once
        {"A", "Rectangle Add", "Overlay", "Add", "Overlay"},
        {"O", "Add", "Overlay", "Add", "Normal"},
        {"O", "Delete", "Overlay", "Delete", "Normal"},
        {"R", "Delete", "Normal", "Rectangle Add", "Overlay"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        editor.editMode = c.fromMode;
        editor.overlayMode = c.fromOverlay;
        for (const char* k = c.keys; *k; ++k) Press(*k);
        EXPECT_EQ(EditorSetMode(editor, 1), 0);
        EXPECT_EQ(editor.editMode, c.toMode);
        EXPECT_EQ(editor.overlayMode, c.toOverlay);
    }
    // The keys touch nothing else: a stored corner stays.
    editor.rectStartX = 100.0f;
    Press('D');
    EditorSetMode(editor, 1);
    EXPECT_EQ(editor.rectStartX, 100.0f);
    EXPECT_EQ(g_DebugLog, "");
}

class JumpTest : public EditorTest {
protected:
    // The jump's entry types these, one a wait, then Enter (or Escape: a key that types 27).
    void Jump(const std::string& name, bool escape = false) {
        std::deque<std::function<void()>> typed;
        for (const char c : name) {
            typed.push_back([c] { InjectEvent({.type = InputEventType::Char, .codepoint = static_cast<uint8_t>(c)}); });
        }
        typed.push_back([escape] { Press(escape ? KEY_ESCAPE : KEY_ENTER); });
        SetIdleHook([&typed] {
            if (typed.empty()) return;
            typed.front()();
            typed.pop_front();
        });
        Press('J');
        StartRecording();
        EditorSetMode(editor, 1);
        calls = StopRecording();
        SetIdleHook(nullptr);
    }
    std::vector<DrawCall> calls;
};

TEST_F(JumpTest, ANameThePackLacksKeepsTheLevelWithItsUnsavedBricksAndIsReportedOnce) {
    const Level* before = &level();
    Place(500, 500);
    const int statLevel = game().gameStats->level;
    Jump("Nowhere");
    EXPECT_TRUE(Drew(calls, "Jump To Level:"));
    EXPECT_TRUE(Drew(calls, "Nowhere"));
    EXPECT_EQ(&level(), before);
    EXPECT_EQ(LiveBricks(), 2) << "the brick placed is still there";
    EXPECT_EQ(game().gameStats->level, statLevel);
    const std::vector<std::string> lines = DebugLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Could not find level named \"Nowhere\"."), std::string::npos) << lines[0];
}

TEST_F(JumpTest, ANameOfThePackLoadsItsLevelFreshAndEscapeOnAnEmptyNameTheFirstOne) {
    const struct Case {
        const char* name;
        bool escape;
        const char* level;
        int bricks;
    } cases[] = {
        {"Level Three", false, "Level Three", 2},
        {"", true, "Level One", 1},
        {"Level One", false, "Level One", 1},  // read again: the brick placed before is gone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Place(500, 500);
        editor.rectStartX = 50.0f;
        Jump(c.name, c.escape);
        EXPECT_EQ(level().name, c.level);
        EXPECT_EQ(LiveBricks(), c.bricks);
        EXPECT_EQ(editor.rectStartX, 50.0f) << "a stored corner outlasts the jump";
        EXPECT_EQ(KeyHit(KEY_ESCAPE) + KeyHit(KEY_ENTER), 0) << "the key that ended the entry reaches nothing else";
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(JumpTest, WithoutALevelToLeaveJOpensNoEntry) {
    Press('J');
    Press('D');
    StartRecording();
    EditorSetMode(editor, 0);
    EXPECT_TRUE(StopRecording().empty());
    EXPECT_EQ(editor.editMode, "Delete") << "the mode keys still act";
    EXPECT_EQ(KeyHit('J'), 0) << "J was taken";
}

// --- The help panel and the cursor.

TEST_F(EditorTest, TheHelpPanelCoversTheSidePanelAndItsRowsGrowWithTheScreen) {
    editor.overlayMode = "Overlay";
    editor.editMode = "Delete";
    for (const float factor : {1.0f, 1.25f, 0.78125f}) {
        SCOPED_TRACE(factor);
        g_widthFactor = g_heightFactor = factor;
        StartRecording();
        EditorOverlay(editor);
        const std::vector<DrawCall> drawn = StopRecording();
        ASSERT_EQ(drawn.size(), 9u);
        EXPECT_EQ(drawn[0].kind, DrawKind::Rect);
        EXPECT_FLOAT_EQ(drawn[0].x, 728.0f * factor);
        EXPECT_EQ(drawn[0].y, 0.0f);
        EXPECT_EQ(drawn[0].state.red + drawn[0].state.green + drawn[0].state.blue, 0);
        const char* texts[] = {"[A/D/C/R]: Delete", "[O]: Overlay",         "[F]: Freeze Is Off", "[9/0]: \"plain\"",
                               "[N]: Next Level",   "[K]: Kill All Bricks", "[S]: Save Level",    "[J]: Jump To Level"};
        for (int row = 0; row < 8; ++row) {
            const DrawCall& text = drawn[static_cast<size_t>(row) + 1];
            EXPECT_EQ(text.text, texts[row]);
            EXPECT_FLOAT_EQ(text.x, 728.0f * factor);
            EXPECT_FLOAT_EQ(text.y, (10.0f + 24.0f * static_cast<float>(row)) * factor);
            EXPECT_FLOAT_EQ(text.state.scaleY, factor);
            EXPECT_EQ(text.state.red + text.state.green + text.state.blue, 3 * 255);
        }
    }
    // A line wider than the panel is narrowed to end at the screen's edge.
    g_widthFactor = g_heightFactor = 1.0f;
    body().isFrozen = 0.5f;
    editor.templateBrick->name = "";
    StartRecording();
    editor.overlayMode = "Normal";
    editor.editMode = "Rectangle Add";
    EditorOverlay(editor);
    const std::vector<DrawCall> drawn = StopRecording();
    EXPECT_EQ(drawn[1].text, "[A/D/C/R]: Rectangle Add");
    EXPECT_LE(drawn[1].corners[1].x, static_cast<float>(GraphicsWidth()) + 0.01f);
    EXPECT_GT(drawn[1].corners[1].x, static_cast<float>(GraphicsWidth()) - 2.0f);
    EXPECT_EQ(drawn[3].text, "[F]: Freeze Is On");
    EXPECT_EQ(drawn[4].text, "[9/0]: \"\"");
    EXPECT_FLOAT_EQ(drawn[5].state.scaleX, 1.0f);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(EditorTest, TheCursorTakesThePointersWholeTravelSinceItsLastMoveInLogicalPixels) {
    g_ScreenCenterX = 512.0f, g_ScreenCenterY = 384.0f;
    for (const float factor : {1.0f, 1.25f}) {
        SCOPED_TRACE(factor);
        g_widthFactor = g_heightFactor = factor;
        const int cx = static_cast<int>(512 * factor), cy = static_cast<int>(384 * factor);
        editor.cursorX = 100.0f, editor.cursorY = 100.0f;
        Move(cx, cy);
        g_useMouseAsProportionalController();
        ResetMouseTravel();
        // Four level updates measure the pointer first, one of them after a move far enough
        // to bring the pointer back to the centre.
        Move(cx + 20, cy + 10);
        PumpEvents();
        level().Update(game().gameStats, pack().soundsArray, game().lives, 1);
        Move(cx + 100, cy + 30);
        PumpEvents();
        level().Update(game().gameStats, pack().soundsArray, game().lives, 1);
        level().Update(game().gameStats, pack().soundsArray, game().lives, 1);
        Move(cx + 5, cy - 10);
        PumpEvents();
        level().Update(game().gameStats, pack().soundsArray, game().lives, 1);
        Cursor();
        EXPECT_FLOAT_EQ(editor.cursorX, 100.0f + 105.0f / factor);
        EXPECT_FLOAT_EQ(editor.cursorY, 100.0f + 20.0f / factor);
        // Nothing moved since: the cursor stays.
        Cursor();
        EXPECT_FLOAT_EQ(editor.cursorX, 100.0f + 105.0f / factor);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(EditorTest, TheCursorStaysInTheFieldWithItsEdgesAllowed) {
    const struct Case {
        float x, y, toX, toY;
    } cases[] = {
        {774.0f, 300.0f, 724.0f, 300.0f},  // 50 past the right edge
        {-20.0f, 814.0f, 4.0f, 764.0f},
        {4.0f, 4.0f, 4.0f, 4.0f},
        {724.0f, 764.0f, 724.0f, 764.0f},
    };
    for (const Case& c : cases) {
        editor.cursorX = c.x, editor.cursorY = c.y;
        Cursor();
        EXPECT_EQ(editor.cursorX, c.toX);
        EXPECT_EQ(editor.cursorY, c.toY);
    }
}

TEST_F(EditorTest, EachModeDrawsItsCursorAndLeavesTheTemplateWhereItsPreviewStands) {
    const struct Case {
        const char* mode;
        float cornerX, cornerY;
        int bricksDrawn, linesDrawn;
        float templateX, templateY;
    } cases[] = {
        {"Add", -1.0f, 300.0f, 1, 0, 200.0f, 100.0f},
        {"Rectangle Add", -1.0f, 50.0f, 1, 0, 200.0f, 100.0f},
        {"Rectangle Add", 80.0f, 80.0f, 3, 0, 176.0f, 80.0f},  // 2.5 widths right, 1 height below
        {"Rectangle Add", 200.0f, 100.0f, 0, 0, 7.0f, 7.0f},   // the corner at the cursor
        {"Delete", -1.0f, -1.0f, 0, 2, 7.0f, 7.0f},
        {"Change", -1.0f, -1.0f, 1, 4, 204.0f, 104.0f},
        {"add", -1.0f, -1.0f, 0, 0, 7.0f, 7.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.cornerX));
        editor.editMode = c.mode;
        editor.rectStartX = c.cornerX, editor.rectStartY = c.cornerY;
        editor.cursorX = 200.0f, editor.cursorY = 100.0f;
        body().x = body().y = 7.0f;
        StartRecording();
        Cursor();
        const std::vector<DrawCall> drawn = StopRecording();
        const auto count = [&](DrawKind kind) {
            return static_cast<int>(
                std::count_if(drawn.begin(), drawn.end(), [&](const DrawCall& d) { return d.kind == kind; }));
        };
        EXPECT_EQ(count(DrawKind::Image), c.bricksDrawn);
        EXPECT_EQ(count(DrawKind::Line), c.linesDrawn);
        EXPECT_EQ(body().x, c.templateX);
        EXPECT_EQ(body().y, c.templateY);
    }
    EXPECT_EQ(g_DebugLog, "");
}

// --- The fill's tiles.

TEST(EditorFill, TilesRunColumnByColumnShortOfTheCursorAndNothingWhenAStepCannotAdvanceOrTheyAreTooMany) {
    const float tiny = 48.0f * 1.1920929e-07f;  // a width scale that one Shift+Left, ten Right, Shift+Left leave
    const struct Case {
        const char* what;
        float x0, y0, x1, y1, w, h;
        size_t tiles;
    } cases[] = {
        {"2.5 widths, 1 height", 100, 100, 220, 120, kWidth, kHeight, 3},
        {"to the end of the second column", 100, 100, 196, 140, kWidth, kHeight, 4},
        {"left of the corner", 100, 100, 99, 200, kWidth, kHeight, 0},
        {"above the corner", 100, 100, 300, 100, kWidth, kHeight, 0},
        {"no width", 100, 100, 300, 200, 0.0f, kHeight, 0},
        {"a negative height", 100, 100, 300, 200, kWidth, -20.0f, 0},
        {"a step too small to move on", 326, 100, 426, 200, tiny, kHeight, 0},
        {"the most tiles", 0, 0, 64, 64, 1.0f, 1.0f, 4096},
        {"one tile more", 0, 0, 64, 64.5f, 1.0f, 1.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<FillTile> tiles = EditorFillTiles(c.x0, c.y0, c.x1, c.y1, c.w, c.h);
        EXPECT_EQ(tiles.size(), c.tiles);
    }
    const std::vector<FillTile> tiles = EditorFillTiles(100, 100, 196, 140, kWidth, kHeight);
    const float expected[][2] = {{100, 100}, {100, 120}, {148, 100}, {148, 120}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(tiles[i].x, expected[i][0]);
        EXPECT_EQ(tiles[i].y, expected[i][1]);
    }
}

// --- The template's keys and the tools.

TEST_F(EditorTest, TheArrowsScaleTheTemplateFAndTheDigitsChangeItAndKClearsTheLevel) {
    Press(KEY_LEFT);
    Action();
    EXPECT_FLOAT_EQ(body().xScale, 0.9f);
    Hold(KEY_RSHIFT);
    Press(KEY_DOWN);
    Press(KEY_LEFT);
    Press(KEY_RIGHT);
    Action();
    Release(KEY_RSHIFT);
    EXPECT_FLOAT_EQ(body().xScale, 0.9f) << "Left and Right together";
    EXPECT_FLOAT_EQ(body().yScale, 2.0f);

    Press('F');
    Action();
    EXPECT_EQ(body().isFrozen, 1.0f);
    body().isFrozen = 0.4f;
    Press('F');
    Action();
    EXPECT_EQ(body().isFrozen, 0.0f) << "any freeze thaws";
    editor.templateBrick->isFreezeable = 0;
    Press('F');
    Action();
    EXPECT_EQ(body().isFrozen, 0.0f) << "a brick that cannot freeze stays thawed";

    const struct {
        int key;
        int index;
        const char* name;
    } steps[] = {{KEY_0, 1, "blue"}, {KEY_0, 2, "green"}, {KEY_0, 0, "plain"}, {'9', 2, "green"}};
    const Brick* same = editor.templateBrick.get();
    for (const auto& step : steps) {
        Press(step.key);
        Action();
        EXPECT_EQ(editor.brickTypeIndex, step.index);
        EXPECT_EQ(editor.templateBrick->name, step.name);
        EXPECT_EQ(editor.templateBrick.get(), same);
        EXPECT_FLOAT_EQ(body().xScale, 1.0f) << "a fresh copy of the type";
    }

    // K: every brick goes, nothing is scored.
    Place(100, 300);
    const int64_t score = game().gameStats->score;
    Press('K');
    Action();
    EXPECT_EQ(LiveBricks(), 0);
    for (const BrickPtr& b : bricks()) EXPECT_EQ(b->brickSprite->isLive, 0);
    EXPECT_EQ(game().gameStats->score, score);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(EditorTest, RebuildingTheTemplateLeavesThePacksPowerupTablesWhole) {
    // The blue type turns into green, whose copy the template carries with it.
    BrickPtr blue = pack().bricksArray[1], green = pack().bricksArray[2];
    blue->nextBrickName = "green";
    blue->nextBrick = green;
    Press(KEY_0);
    Action();
    ASSERT_EQ(editor.templateBrick->name, "blue");
    ASSERT_TRUE(editor.templateBrick->nextBrick);
    const BrickPtr placed = Place(100, 300);
    Press(KEY_0);
    Press('9');
    Action();
    EXPECT_EQ(editor.templateBrick->name, "blue");
    for (const BrickPtr& type : pack().bricksArray) {
        SCOPED_TRACE(type->name);
        ASSERT_TRUE(type->powerupGenerated);
        EXPECT_EQ(type->powerupGenerated->action, std::vector<std::string>{"none"});
    }
    EXPECT_EQ(placed->powerupGenerated, blue->powerupGenerated);
    // A new editor run lets go of the old template in the same way.
    ASSERT_EQ(EditorStartRun(editor, game().currentPack), 1);
    EXPECT_EQ(editor.templateBrick->name, "plain");
    EXPECT_EQ(blue->powerupGenerated->action.size(), 1u);
    EXPECT_EQ(green->powerupGenerated->action.size(), 1u);
    blue->nextBrick = nullptr;
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(EditorTest, ChangeRetypesEveryLiveBrickUnderTheCursorAndDeleteTakesEveryOne) {
    const BrickPtr original = bricks()[0];  // (326, 100)
    Press(KEY_0);
    Action();  // blue
    const BrickPtr over = Place(340, 110);
    const BrickPtr gone = Place(300, 90);
    gone->isLive = 0;
    gone->brickSprite->isLive = 0;
    Press(KEY_0);
    Action();  // green
    editor.editMode = "Change";
    editor.cursorX = 350.0f, editor.cursorY = 115.0f;
    HoldButton(1);
    Action();
    ReleaseButton(1);
    for (const BrickPtr& b : {original, over}) {
        EXPECT_EQ(b->name, "green");
        EXPECT_EQ(b->isLive, 1);
    }
    EXPECT_EQ(original->brickSprite->x, 326.0f) << "re-typed where it stood";
    EXPECT_EQ(over->brickSprite->x, 340.0f);
    EXPECT_EQ(gone->name, "blue") << "a removed brick is not re-typed";

    editor.editMode = "Delete";
    editor.cursorX = 374.0f;  // the first brick's right edge: not inside it
    HoldButton(1);
    Action();
    ReleaseButton(1);
    EXPECT_EQ(original->isLive, 1);
    EXPECT_EQ(over->isLive, 0);
    EXPECT_EQ(over->brickSprite->isLive, 0);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(EditorTest, TheRectangleFillStoresACornerFillsFromItAndAlwaysResetsIt) {
    // Clicks in other modes are used up.
    editor.editMode = "Delete";
    editor.cursorX = 600.0f, editor.cursorY = 600.0f;
    Click();
    Frame();
    editor.editMode = "Rectangle Add";
    editor.overlayMode = "Overlay";
    editor.cursorX = 100.0f, editor.cursorY = 300.0f;
    Frame();
    EXPECT_EQ(editor.rectStartX, -1.0f);

    Click();
    Frame();
    EXPECT_EQ(editor.rectStartX, 100.0f);
    EXPECT_EQ(editor.rectStartY, 300.0f);
    const size_t before = bricks().size();
    editor.editMode = "Add";  // the corner outlasts a change of mode
    Frame();
    editor.editMode = "Rectangle Add";
    editor.cursorX = 100.0f + 2.5f * kWidth, editor.cursorY = 300.0f + kHeight;
    Click();
    Frame();
    ASSERT_EQ(bricks().size(), before + 3);
    for (size_t i = 0; i < 3; ++i) {
        const Sprite& s = *bricks()[before + i]->brickSprite;
        EXPECT_EQ(s.x, 100.0f + kWidth * static_cast<float>(i));
        EXPECT_EQ(s.y, 300.0f);
    }
    EXPECT_EQ(editor.rectStartX, -1.0f);
    EXPECT_EQ(editor.rectStartY, -1.0f);

    // A template scaled to nothing, or almost: no tile, and the corner is reset all the same.
    for (const float scale : {0.0f, -0.5f, 1.1920929e-07f}) {
        SCOPED_TRACE(scale);
        body().xScale = scale;
        editor.cursorX = 326.0f, editor.cursorY = 100.0f;
        Click();
        Frame();
        ASSERT_EQ(editor.rectStartX, 326.0f);
        editor.cursorX = 500.0f, editor.cursorY = 200.0f;
        StartRecording();
        Frame();  // the preview
        EXPECT_TRUE(std::none_of(RecordedCalls().begin(), RecordedCalls().end(),
                                 [](const DrawCall& d) { return d.kind == DrawKind::Image; }));
        StopRecording();
        Click();
        Frame();
        EXPECT_EQ(bricks().size(), before + 3);
        EXPECT_EQ(editor.rectStartX, -1.0f);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(EditorTest, AddPlacesWhileTheButtonIsHeldInNormalAndOncePerFrameOfClicksInOverlay) {
    editor.cursorX = 100.0f, editor.cursorY = 300.0f;
    const size_t before = bricks().size();
    HoldButton(1);
    Frame();
    Frame();  // the brick just placed is under the template now
    EXPECT_EQ(bricks().size(), before + 1);
    editor.cursorX += kWidth + 1.0f;  // dragged on, clear of it
    Frame();
    ReleaseButton(1);
    EXPECT_EQ(bricks().size(), before + 2);
    Click();  // pressed and released between two frames
    Frame();
    EXPECT_EQ(bricks().size(), before + 2);

    editor.overlayMode = "Overlay";
    Click();
    Click();
    Frame();
    EXPECT_EQ(bricks().size(), before + 3) << "on top of the last one, once for both clicks";
    HoldButton(1);
    Frame();  // the press is a click
    Frame();
    Frame();
    ReleaseButton(1);
    EXPECT_EQ(bricks().size(), before + 4) << "holding on adds nothing more";
    for (size_t i = before; i < bricks().size(); ++i) EXPECT_EQ(bricks()[i]->isLive, 1);
    EXPECT_EQ(g_DebugLog, "");
}

// --- Placing one brick.

TEST_F(EditorTest, InNormalABrickThatWouldTouchOneStillShownIsRefused) {
    const BrickPtr standing = bricks()[0];  // (326, 100), 48 x 20
    const struct Case {
        const char* what;
        float x, y;
        int brickLive, spriteLive;
        bool placed;
    } cases[] = {
        {"left edge on its right edge", 374.0f, 100.0f, 1, 1, false},
        {"a gap, however small", 374.001f, 100.0f, 1, 1, true},
        {"on its bottom edge", 326.0f, 120.0f, 1, 1, false},
        {"over a dying brick", 330.0f, 105.0f, 0, 1, false},
        {"over a removed brick", 330.0f, 105.0f, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standing->isLive = c.brickLive;
        standing->brickSprite->isLive = c.spriteLive;
        const int before = LiveBricks();
        body().x = body().absX = c.x;
        body().y = body().absY = c.y;
        EditorAddBrick("Normal", editor.templateBrick, bricks(), 0);
        EXPECT_EQ(LiveBricks() - before, c.placed ? 1 : 0);
        bricks().resize(1);
    }
    // Without the test a brick goes exactly on top of another.
    standing->isLive = 1;
    standing->brickSprite->isLive = 1;
    body().x = body().absX = 326.0f;
    body().y = body().absY = 100.0f;
    EditorAddBrick("Overlay", editor.templateBrick, bricks(), 0);
    EXPECT_EQ(LiveBricks(), 2);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(EditorTest, ADyingSlotIsTakenAsANewBrickFreeOfItsNainNeighboursAndPendingState) {
    const BrickPtr dying = bricks()[0];
    const BrickPtr neighbour = Place(374, 100);
    const BrickPtr removed = Place(500, 500);
    removed->isLive = 0;
    removed->brickSprite->isLive = 0;
    dying->adjacentBricks = {neighbour};
    neighbour->adjacentBricks = {dying};
    const NainPtr nain = std::make_shared<Nain>();
    nain->nainSprite = std::make_shared<Sprite>();
    nain->parentBrick = dying;
    dying->currentNain = nain;
    dying->ttExplode = 3.0f;
    dying->ttElectrify = 2.0f;
    dying->ttRecover = 1.0f;
    dying->powerupToGenerate = "life";
    dying->powerupCount = 1;
    dying->isLive = 0;  // destroyed, its kill animation still playing

    Press(KEY_0);
    Action();  // blue
    const size_t before = bricks().size();
    Place(600, 600);
    EXPECT_EQ(bricks().size(), before) << "the dying slot, not the removed one, was taken";
    EXPECT_EQ(dying->name, "blue");
    EXPECT_EQ(dying->isLive, 1);
    EXPECT_EQ(dying->brickSprite->x, 600.0f);
    EXPECT_EQ(dying->ttExplode, -1.0f);
    EXPECT_EQ(dying->ttElectrify, -1.0f);
    EXPECT_EQ(dying->ttRecover, -1.0f);
    EXPECT_EQ(dying->powerupToGenerate, "");
    EXPECT_EQ(dying->powerupCount, 0);
    EXPECT_EQ(dying->currentNain, nullptr);
    EXPECT_EQ(nain->parentBrick, nullptr);
    EXPECT_EQ(nain->status, "falling");
    EXPECT_TRUE(dying->adjacentBricks.empty());
    EXPECT_EQ(neighbour->adjacentBricks, std::vector<BrickPtr>{nullptr});
    EXPECT_EQ(removed->isLive, 0);

    // The fuse that was burning does not go off in the new brick.
    for (int i = 0; i < 10; ++i) dying->Update(game().gameStats, bricks());
    EXPECT_EQ(dying->isLive, 1);
    EXPECT_EQ(neighbour->isLive, 1);
    nain->Unlink();
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(EditorTest, AFailedAppendLeavesTheLevelEveryBrickItHad) {
    SetEditorAppendHook([](const std::vector<BrickPtr>&) {
        AddLineToDebugLog("brick:AppendNewBrick(): out of memory");
        return std::vector<BrickPtr>();
    });
    const std::vector<BrickPtr> before = bricks();
    editor.overlayMode = "Overlay";
    editor.cursorX = 100.0f, editor.cursorY = 300.0f;
    Click();
    Frame();
    EXPECT_EQ(bricks(), before);
    EXPECT_EQ(LiveBricks(), 1);
    ASSERT_EQ(DebugLogLines().size(), 1u);
    ClearDebugLog();
    SetEditorAppendHook(nullptr);
    Click();
    Frame();
    EXPECT_EQ(bricks().size(), before.size() + 1);
}

TEST_F(EditorTest, APackWithoutBrickTypesGivesNoTemplate) {
    const std::vector<BrickPtr> types = pack().bricksArray;
    pack().bricksArray.clear();
    editor.brickTypeIndex = 2;
    EXPECT_EQ(EditorStartRun(editor, game().currentPack), 0);
    EXPECT_EQ(editor.templateBrick, nullptr);
    EXPECT_EQ(editor.brickTypeIndex, 0);
    EXPECT_EQ(EditorStartRun(editor, nullptr), 0);
    pack().bricksArray = types;
    EXPECT_EQ(types[0]->powerupGenerated->action.size(), 1u);
    EXPECT_EQ(g_DebugLog, "");
}

}  // namespace
