// The screen on the headless backend: where items land under the drawing state, the
// blend factors, the sticky state, what recording keeps, Flip's pacing, and which frames
// Flip leaves out as the same as the one on screen.
#include <SDL2/SDL_events.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/graphics.h"
#include "platform/graphics_internal.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "support/scratch_folder.h"

namespace {

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseRealClock();
        SetOrigin(0, 0);
        SetHandle(0, 0);
        SetTransform(0, 1, 1);
        SetColor(255, 255, 255);
        SetAlpha(1);
        SetBlend(MASKBLEND);
        SetViewport(0, 0, 0, 0);
        SetImageFont(nullptr);
        StopRecording();
    }
    void TearDown() override {
        StopRecording();
        EndGraphics();
        ResetHeadlessGraphics();
        UseRealClock();
        ResetInput();
    }
};

TImagePtr MakeImage(int w, int h, float handleX = 0, float handleY = 0) {
    auto image = std::make_shared<TImage>();
    image->width = w;
    image->height = h;
    image->handleX = handleX;
    image->handleY = handleY;
    image->frames.push_back(CreatePixmap(w, h));
    return image;
}

// "a" and "b" advance 10 and 20, so "ab" is a 30 x 40 box.
TImageFontPtr MakeFont() {
    auto font = std::make_shared<TImageFont>();
    font->lineHeight = 40;
    font->glyphs['a'].advance = 10;
    font->glyphs['b'].advance = 20;
    return font;
}

struct PlaceCase {
    const char* name;
    float originX, originY;
    float handleX, handleY;
    float rotation;
    float scaleX, scaleY;
    float x, y;
    float w, h;
    Point corners[4];  // top-left, top-right, bottom-right, bottom-left of the item
};

const float k = 0.70710678f;
const PlaceCase kPlaceCases[] = {
    {"plain", 0, 0, 0, 0, 0, 1, 1, 10, 20, 30, 40, {{10, 20}, {40, 20}, {40, 60}, {10, 60}}},
    {"origin and handle", 100, 50, 15, 20, 0, 1, 1, 10, 20, 30, 40, {{95, 50}, {125, 50}, {125, 90}, {95, 90}}},
    {"scale around the handle", 0, 0, 15, 20, 0, 2, 0.5f, 10, 20, 30, 40, {{-20, 10}, {40, 10}, {40, 30}, {-20, 30}}},
    {"rotation 90 is clockwise", 0, 0, 0, 0, 90, 1, 1, 10, 20, 30, 40, {{10, 20}, {10, 50}, {-30, 50}, {-30, 20}}},
    {"rotation 180", 0, 0, 0, 0, 180, 1, 1, 10, 20, 30, 40, {{10, 20}, {-20, 20}, {-20, -20}, {10, -20}}},
    {"rotation 45 about the centre",
     0,
     0,
     15,
     20,
     45,
     1,
     1,
     100,
     100,
     30,
     40,
     {{100 + 5 * k, 100 - 35 * k},
      {100 + 35 * k, 100 - 5 * k},
      {100 - 5 * k, 100 + 35 * k},
      {100 - 35 * k, 100 + 5 * k}}},
    {"negative scale mirrors", 0, 0, 0, 0, 0, -1, 1, 50, 0, 30, 40, {{50, 0}, {20, 0}, {20, 40}, {50, 40}}},
    {"everything at once", 5, 5, 10, 0, 90, 2, 3, 0, 0, 20, 10, {{5, -15}, {5, 25}, {-25, 25}, {-25, -15}}},
};

void SetPlacement(const PlaceCase& c) {
    SetOrigin(c.originX, c.originY);
    SetTransform(c.rotation, c.scaleX, c.scaleY);
}

void ExpectCorners(const DrawCall& call, const Point (&expected)[4]) {
    ASSERT_EQ(call.corners.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(call.corners[i].x, expected[i].x, 1e-3) << "corner " << i;
        EXPECT_NEAR(call.corners[i].y, expected[i].y, 1e-3) << "corner " << i;
    }
}

TEST_F(GraphicsTest, RectIsPlacedWithTheGlobalHandle) {
    for (const PlaceCase& c : kPlaceCases) {
        SCOPED_TRACE(c.name);
        SetPlacement(c);
        SetHandle(c.handleX, c.handleY);
        StartRecording();
        DrawRect(c.x, c.y, c.w, c.h);
        std::vector<DrawCall> calls = StopRecording();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].kind, DrawKind::Rect);
        EXPECT_EQ(calls[0].w, c.w);
        EXPECT_EQ(calls[0].h, c.h);
        ExpectCorners(calls[0], c.corners);
    }
}

TEST_F(GraphicsTest, ImageIsPlacedWithItsOwnHandleNotTheGlobalOne) {
    for (const PlaceCase& c : kPlaceCases) {
        SCOPED_TRACE(c.name);
        SetPlacement(c);
        SetHandle(7, 9);  // must not count
        TImagePtr image = MakeImage(static_cast<int>(c.w), static_cast<int>(c.h), c.handleX, c.handleY);
        StartRecording();
        DrawImage(image, c.x, c.y);
        std::vector<DrawCall> calls = StopRecording();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].kind, DrawKind::Image);
        EXPECT_EQ(calls[0].image, image);
        ExpectCorners(calls[0], c.corners);
    }
}

TEST_F(GraphicsTest, TextBoxIsTheFontsTextSizePlacedWithTheGlobalHandle) {
    SetImageFont(MakeFont());
    for (const PlaceCase& c : kPlaceCases) {
        SCOPED_TRACE(c.name);
        if (c.w != 30 || c.h != 40) continue;  // the box of "ab"
        SetPlacement(c);
        SetHandle(c.handleX, c.handleY);
        StartRecording();
        DrawText("ab", c.x, c.y);
        std::vector<DrawCall> calls = StopRecording();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].kind, DrawKind::Text);
        EXPECT_EQ(calls[0].text, "ab");
        ExpectCorners(calls[0], c.corners);
    }
}

TEST_F(GraphicsTest, LineEndsAreTransformedFromItsFirstPoint) {
    SetOrigin(100, 100);
    SetHandle(0, 10);
    SetTransform(90, 2, 2);
    StartRecording();
    DrawLine(5, 5, 15, 5);
    std::vector<DrawCall> calls = StopRecording();
    ASSERT_EQ(calls.size(), 1u);
    const DrawCall& line = calls[0];
    EXPECT_EQ(line.kind, DrawKind::Line);
    EXPECT_EQ(line.w, 15);
    EXPECT_EQ(line.h, 5);
    ASSERT_EQ(line.corners.size(), 2u);
    // First end: (0, 0) - handle = (0, -10), scaled (0, -20), turned (20, 0).
    EXPECT_NEAR(line.corners[0].x, 125, 1e-3);
    EXPECT_NEAR(line.corners[0].y, 105, 1e-3);
    // Second end: (10, 0) - handle = (10, -10), scaled (20, -20), turned (20, 20).
    EXPECT_NEAR(line.corners[1].x, 125, 1e-3);
    EXPECT_NEAR(line.corners[1].y, 125, 1e-3);
}

TEST_F(GraphicsTest, BlendModesMapToTheirGlFactors) {
    struct Case {
        int mode;
        BlendFactors expected;
    };
    const Case cases[] = {
        {MASKBLEND, {false, 1 /*GL_ONE*/, 0 /*GL_ZERO*/, true}},
        {SOLIDBLEND, {false, 1, 0, false}},
        {ALPHABLEND, {true, 0x0302 /*GL_SRC_ALPHA*/, 0x0303 /*GL_ONE_MINUS_SRC_ALPHA*/, false}},
        {LIGHTBLEND, {true, 0x0302 /*GL_SRC_ALPHA*/, 1 /*GL_ONE*/, false}},
        {SHADEBLEND, {true, 0x0306 /*GL_DST_COLOR*/, 0 /*GL_ZERO*/, false}},
        {0, {false, 1, 0, false}},  // unknown modes draw solid
        {9, {false, 1, 0, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        BlendFactors f = BlendFactorsFor(c.mode);
        EXPECT_EQ(f.blending, c.expected.blending);
        EXPECT_EQ(f.src, c.expected.src);
        EXPECT_EQ(f.dst, c.expected.dst);
        EXPECT_EQ(f.alphaTest, c.expected.alphaTest);
    }
}

TEST_F(GraphicsTest, StateIsStickyAcrossDrawsAndGettersReadItBack) {
    TImageFontPtr font = MakeFont();
    SetOrigin(1, 2);
    SetHandle(3, 4);
    SetTransform(30, 2, 3);
    SetColor(10, 20, 30);
    SetAlpha(0.5f);
    SetBlend(LIGHTBLEND);
    SetViewport(5, 6, 70, 80);
    SetImageFont(font);
    Cls();
    DrawRect(0, 0, 1, 1);
    DrawLine(0, 0, 1, 1);
    DrawImage(MakeImage(2, 2), 0, 0);
    DrawText("ab", 0, 0);

    float a, b;
    GetOrigin(a, b);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    GetHandle(a, b);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 4);
    EXPECT_EQ(GetRotation(), 30);
    GetScale(a, b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 3);
    int r, g, bl;
    GetColor(r, g, bl);
    EXPECT_EQ(r, 10);
    EXPECT_EQ(g, 20);
    EXPECT_EQ(bl, 30);
    EXPECT_EQ(GetAlpha(), 0.5f);
    EXPECT_EQ(GetBlend(), LIGHTBLEND);
    int vx, vy, vw, vh;
    GetViewport(vx, vy, vw, vh);
    EXPECT_EQ(vx, 5);
    EXPECT_EQ(vy, 6);
    EXPECT_EQ(vw, 70);
    EXPECT_EQ(vh, 80);
    EXPECT_EQ(GetImageFont(), font);
    SetImageFont(nullptr);
    EXPECT_EQ(GetImageFont(), nullptr);
}

TEST_F(GraphicsTest, ColourAndAlphaAreHeldInRange) {
    SetColor(-5, 300, 128);
    int r, g, b;
    GetColor(r, g, b);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(g, 255);
    EXPECT_EQ(b, 128);
    SetAlpha(1.5f);
    EXPECT_EQ(GetAlpha(), 1);
    SetAlpha(-0.5f);
    EXPECT_EQ(GetAlpha(), 0);
}

TEST_F(GraphicsTest, RecordingKeepsTheStateOfEachCall) {
    StartRecording();
    Cls();
    SetColor(255, 0, 0);
    SetViewport(4, 4, 721, 761);
    DrawRect(0, 0, 10, 10);
    SetColor(0, 0, 255);
    SetAlpha(0.25f);
    SetBlend(ALPHABLEND);
    SetViewport(0, 0, 1024, 768);
    DrawRect(0, 0, 10, 10);
    Flip(0);
    std::vector<DrawCall> calls = StopRecording();
    DrawRect(0, 0, 1, 1);  // after the stop: not kept
    EXPECT_TRUE(RecordedCalls().empty());

    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].kind, DrawKind::Cls);
    EXPECT_EQ(calls[3].kind, DrawKind::Flip);
    const DrawState& first = calls[1].state;
    EXPECT_EQ(first.red, 255);
    EXPECT_EQ(first.blue, 0);
    EXPECT_EQ(first.blend, MASKBLEND);
    EXPECT_EQ(first.alpha, 1);
    EXPECT_EQ(first.viewportX, 4);
    EXPECT_EQ(first.viewportW, 721);
    EXPECT_EQ(first.viewportH, 761);
    const DrawState& second = calls[2].state;
    EXPECT_EQ(second.red, 0);
    EXPECT_EQ(second.blue, 255);
    EXPECT_EQ(second.blend, ALPHABLEND);
    EXPECT_EQ(second.alpha, 0.25f);
    EXPECT_EQ(second.viewportW, 1024);
    EXPECT_EQ(second.viewportH, 768);

    StartRecording();  // starts afresh
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(RecordedCalls().size(), 1u);
}

TEST_F(GraphicsTest, MissingImageOrFrameRaisesTheGameError) {
    TImagePtr image = MakeImage(4, 4);
    struct Case {
        const char* name;
        TImagePtr image;
        int frame;
        const char* message;
    };
    const Case cases[] = {
        {"null image", nullptr, 0, kNullAccessMessage},
        {"frame past the end", image, 1, kBadIndexMessage},
        {"negative frame", image, -1, kBadIndexMessage},
    };
    StartRecording();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            DrawImage(c.image, 0, 0, c.frame);
            ADD_FAILURE() << "no error raised";
        } catch (const TRuntimeException& e) {
            EXPECT_EQ(e.ToString(), c.message);
        }
    }
    EXPECT_TRUE(StopRecording().empty());
}

TEST_F(GraphicsTest, HeadlessGraphicsOpensAtTheAskedSizeAndCountsReopens) {
    EXPECT_FALSE(Graphics(0, 600));
    EXPECT_FALSE(GraphicsOpen());

    int before = GraphicsGeneration();
    ASSERT_TRUE(Graphics(800, 600));
    EXPECT_TRUE(GraphicsOpen());
    EXPECT_EQ(GraphicsWidth(), 800);
    EXPECT_EQ(GraphicsHeight(), 600);
    EXPECT_EQ(GraphicsGeneration(), before + 1);
    EXPECT_EQ(GrabScreen(), nullptr);

    ASSERT_TRUE(Graphics(1280, 960, 32, 75));  // reopening closes the old one first
    EXPECT_EQ(GraphicsWidth(), 1280);
    EXPECT_EQ(GraphicsGeneration(), before + 2);

    EndGraphics();
    EXPECT_FALSE(GraphicsOpen());
    EXPECT_EQ(GraphicsWidth(), 0);
    EXPECT_EQ(GraphicsHeight(), 0);
}

TEST_F(GraphicsTest, HeadlessModesAreTheDefaultDesktop) {
    ASSERT_EQ(CountGraphicsModes(), 1);
    int w = 0, h = 0, d = 0, hz = 0;
    ASSERT_TRUE(GetGraphicsMode(0, w, h, d, hz));
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_EQ(d, 32);
    EXPECT_EQ(hz, 60);
    EXPECT_FALSE(GetGraphicsMode(1, w, h, d, hz));
    EXPECT_FALSE(GetGraphicsMode(-1, w, h, d, hz));
    EXPECT_EQ(DesktopWidth(), 1024);
    EXPECT_EQ(DesktopHeight(), 768);
    EXPECT_EQ(DesktopDepth(), 32);
    EXPECT_EQ(DesktopHertz(), 60);
}

TEST_F(GraphicsTest, TestsDescribeTheHeadlessDisplayAndReadItsOpens) {
    const GraphicsMode desktop = {1280, 1024, 16, 75};
    SetHeadlessDesktopMode(desktop);
    EXPECT_EQ(DesktopWidth(), 1280);
    EXPECT_EQ(DesktopHeight(), 1024);
    EXPECT_EQ(DesktopDepth(), 16);
    EXPECT_EQ(DesktopHertz(), 75);
    // Without a list the desktop is the one mode.
    int w = 0, h = 0, d = 0, hz = 0;
    ASSERT_EQ(CountGraphicsModes(), 1);
    ASSERT_TRUE(GetGraphicsMode(0, w, h, d, hz));
    EXPECT_EQ(GraphicsMode({w, h, d, hz}), desktop);

    // The list keeps its order and its repeats.
    const std::vector<GraphicsMode> modes = {{800, 600, 32, 60}, {640, 480, 16, 85}, {800, 600, 32, 60}};
    SetHeadlessGraphicsModes(modes);
    ASSERT_EQ(CountGraphicsModes(), 3);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(GetGraphicsMode(i, w, h, d, hz));
        EXPECT_EQ(GraphicsMode({w, h, d, hz}), modes[i]) << i;
    }

    // A refused mode leaves the screen closed; the others open. Every call is kept.
    SetHeadlessGraphicsRefusal([](const GraphicsMode& m) { return m.depth != 0; });
    ASSERT_TRUE(Graphics(640, 480, 0, 60));
    EXPECT_FALSE(Graphics(800, 600, 32, 60, 2));
    EXPECT_FALSE(GraphicsOpen());
    EXPECT_EQ(GraphicsWidth(), 0);
    EXPECT_FALSE(Graphics(0, 480));
    const std::vector<GraphicsCall>& calls = RecordedGraphicsCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].mode, GraphicsMode({640, 480, 0, 60}));
    EXPECT_TRUE(calls[0].opened);
    EXPECT_EQ(calls[1].mode, GraphicsMode({800, 600, 32, 60}));
    EXPECT_EQ(calls[1].flags, 2);
    EXPECT_FALSE(calls[1].opened);
    EXPECT_FALSE(calls[2].opened);

    ResetHeadlessGraphics();
    EXPECT_TRUE(RecordedGraphicsCalls().empty());
    EXPECT_EQ(CountGraphicsModes(), 1);
    EXPECT_EQ(DesktopWidth(), 1024);
    EXPECT_TRUE(Graphics(800, 600, 32, 60));
}

TEST_F(GraphicsTest, TheRefusalHookFailsTheOpensItNumbersFromWhenItIsRead) {
    const std::vector<bool> all = {true, false, true, true};
    const struct Case {
        const char* value;  // null: unset
        std::vector<bool> opened;
        bool refused;
    } cases[] = {
        {nullptr, all, false},
        {"3", {true, false, false, true}, false},
        {"4,1,3", {false, false, false, false}, false},
        {"", all, true},
        {"0", all, true},
        {"3,", all, true},
        {"3 4", all, true},
        {"-3", all, true},
        {"x", all, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "unset");
        if (c.value) {
            setenv("BX2_REFUSE_OPENS", c.value, 1);
        } else {
            unsetenv("BX2_REFUSE_OPENS");
        }
        // Opens before the hook is read count for nothing.
        ASSERT_TRUE(Graphics(640, 480, 0, 60));
        testing::internal::CaptureStderr();
        ApplyOpenRefusalsFromEnvironment();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find("BX2_REFUSE_OPENS") != std::string::npos, c.refused) << said;
        // The second, of a size that never opens, counts too.
        const std::vector<bool> opened = {Graphics(800, 600, 0, 60), Graphics(0, 600, 0, 60),
                                          Graphics(800, 600, 32, 60), Graphics(800, 600, 0, 60)};
        EXPECT_EQ(opened, c.opened);
        EXPECT_EQ(GraphicsOpen(), opened.back());
    }
    unsetenv("BX2_REFUSE_OPENS");
    ApplyOpenRefusalsFromEnvironment();
}

TEST_F(GraphicsTest, FlipTicksTheTestClockWithoutSleepingAndPumpsInput) {
    ASSERT_TRUE(Graphics(640, 480));
    UseTestClock(1000, 0, 16);
    InjectEvent({InputEventType::KeyDown, KEY_SPACE});
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 30; ++i) Flip();
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(MilliSecs(), 1000 + 30 * 16);
    // 30 paced frames would take half a second.
    EXPECT_LT(elapsed, std::chrono::milliseconds(250));
    EXPECT_EQ(KeyDown(KEY_SPACE), 1);
    EXPECT_EQ(LastFrameDrawCalls(), 0);
}

TEST_F(GraphicsTest, FlipNeverRunsFasterThanTheRefreshRate) {
    ASSERT_TRUE(Graphics(640, 480, 0, 100));
    Flip();
    int start = MilliSecs();
    for (int i = 0; i < 5; ++i) Flip();
    EXPECT_GE(MilliSecs() - start, 5 * 10 - 1);  // 10 ms a frame at 100 Hz, give or take rounding
}

// --- Frames the same as the one on screen.

// A frame of every kind of draw call; each field is something a frame can differ in.
struct Scene {
    bool clear = true;
    int clipWidth = 0;  // 0: no clip rectangle
    float rectX = 10;
    int red = 200;
    float alpha = 1;
    int blend = ALPHABLEND;
    float rotation = 0;
    TImagePtr image;
    int frame = 0;
    std::string text = "ab";
    float lineEndX = 50;
};

void DrawScene(const Scene& s) {
    SetViewport(0, 0, 0, 0);
    if (s.clear) Cls();
    SetColor(s.red, 100, 100);
    SetAlpha(s.alpha);
    SetBlend(s.blend);
    SetRotation(s.rotation);
    SetViewport(0, 0, s.clipWidth, s.clipWidth ? 300 : 0);
    DrawRect(s.rectX, 20, 30, 40);
    SetRotation(0);
    SetViewport(0, 0, 0, 0);
    DrawImage(s.image, 100, 100, s.frame);
    DrawText(s.text, 10, 200);
    DrawLine(0, 300, s.lineEndX, 300);
}

// Two frames of 2 x 2 pixels, all of one grey.
TImagePtr MakeTwoFrameImage(uint8_t grey) {
    TImagePtr image = MakeImage(2, 2);
    image->frames.push_back(CreatePixmap(2, 2));
    for (const TPixmapPtr& frame : image->frames) std::fill(frame->pixels->begin(), frame->pixels->end(), grey);
    return image;
}

bool FlipScene(const Scene& scene) {
    DrawScene(scene);
    Flip();
    return LastFrameDrawn();
}

class SameFrameTest : public GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        ASSERT_TRUE(Graphics(640, 480));
        UseTestClock(1000, 0, 16);
        base.image = MakeTwoFrameImage(90);
    }
    Scene base;
};

TEST_F(SameFrameTest, FlipLeavesOutTheFrameOnScreenAndDrawsAnyThatDiffers) {
    EXPECT_TRUE(FlipScene(base));  // the first frame of a screen
    EXPECT_FALSE(FlipScene(base));
    // Left out, the frame still takes its time and its input.
    InjectEvent({InputEventType::KeyDown, KEY_SPACE});
    const int before = MilliSecs();
    EXPECT_FALSE(FlipScene(base));
    EXPECT_EQ(MilliSecs(), before + 16);
    EXPECT_EQ(KeyDown(KEY_SPACE), 1);
    EXPECT_EQ(LastFrameDrawCalls(), 0);

    struct Case {
        const char* name;
        std::function<void(Scene&)> change;
    };
    const Case cases[] = {
        {"a rectangle moved", [](Scene& s) { s.rectX = 11; }},
        {"its colour", [](Scene& s) { s.red = 201; }},
        {"its alpha", [](Scene& s) { s.alpha = 0.5f; }},
        {"the blend mode", [](Scene& s) { s.blend = LIGHTBLEND; }},
        {"its rotation", [](Scene& s) { s.rotation = 10; }},
        {"a clip rectangle", [](Scene& s) { s.clipWidth = 320; }},
        {"another frame of the image", [](Scene& s) { s.frame = 1; }},
        {"another image of the same size", [](Scene& s) { s.image = MakeTwoFrameImage(91); }},
        {"other text", [](Scene& s) { s.text = "ac"; }},
        {"a line's end", [](Scene& s) { s.lineEndX = 51; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene changed = base;
        c.change(changed);
        EXPECT_TRUE(FlipScene(changed));
        EXPECT_FALSE(FlipScene(changed));
        // The screen now shows the changed frame: the first one differs from it.
        EXPECT_TRUE(FlipScene(base));
        EXPECT_FALSE(FlipScene(base));
    }
}

TEST_F(SameFrameTest, TheSameFrameIsDrawnWhenTheScreenMayNoLongerShowIt) {
    auto windowEvent = [](Uint8 id) {
        return [id](Scene&) {
            SDL_Event e{};
            e.type = SDL_WINDOWEVENT;
            e.window.event = id;
            WatchWindowEvents(nullptr, &e);
        };
    };
    struct Case {
        const char* name;
        std::function<void(Scene&)> cause;
    };
    const Case cases[] = {
        {"the window exposed", windowEvent(SDL_WINDOWEVENT_EXPOSED)},
        {"the window shown", windowEvent(SDL_WINDOWEVENT_SHOWN)},
        {"the window restored", windowEvent(SDL_WINDOWEVENT_RESTORED)},
        {"the window's size changed", windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED)},
        {"the window moved to another display", windowEvent(SDL_WINDOWEVENT_DISPLAY_CHANGED)},
        {"the screen opened again", [](Scene&) { ASSERT_TRUE(Graphics(640, 480)); }},
        {"a texture to be made again", [](Scene& s) { s.image->textures.at(0).generation = -1; }},
        // The new image's texture takes the number the freed one had.
        {"the image replaced by another of other pixels", [](Scene& s) { s.image = MakeTwoFrameImage(91); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlipScene(base);
        ASSERT_FALSE(FlipScene(base));
        c.cause(base);
        EXPECT_TRUE(FlipScene(base));
        EXPECT_FALSE(FlipScene(base));
    }

    // Other events change nothing on screen.
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    WatchWindowEvents(nullptr, &motion);
    EXPECT_FALSE(FlipScene(base));
}

TEST_F(SameFrameTest, AFrameThatDoesNotClearTheWholeScreenFirstIsAlwaysDrawn) {
    // Drawn over what the back buffer held, the same calls need not give the same picture.
    Scene unclear = base;
    unclear.clear = false;
    FlipScene(unclear);
    EXPECT_TRUE(FlipScene(unclear));
    // Nor does a clear inside a clip rectangle.
    auto clippedClear = [this] {
        SetViewport(0, 0, 320, 240);
        Cls();
        Scene rest = base;
        rest.clear = false;
        DrawScene(rest);
        Flip();
        return LastFrameDrawn();
    };
    clippedClear();
    EXPECT_TRUE(clippedClear());
}

TEST_F(SameFrameTest, TheFrameTraceCountsEveryFrameTheOnesLeftOutToo) {
    ScratchFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const std::string path = folder.path() + "/frames";
    const auto traced = [&] {
        std::error_code error;
        const auto size = std::filesystem::file_size(path, error);
        return error ? -1 : static_cast<long>(size);
    };
    setenv("BX2_FRAME_TRACE", path.c_str(), 1);
    ApplyFrameTraceFromEnvironment();
    EXPECT_TRUE(FlipScene(base));
    EXPECT_FALSE(FlipScene(base));
    EXPECT_FALSE(FlipScene(base));
    EXPECT_EQ(traced(), 3);

    // A file that cannot be written is said, and ends the trace before it.
    setenv("BX2_FRAME_TRACE", "/no such folder/frames", 1);
    testing::internal::CaptureStderr();
    ApplyFrameTraceFromEnvironment();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("BX2_FRAME_TRACE"), std::string::npos);
    FlipScene(base);
    EXPECT_EQ(traced(), 3);
    unsetenv("BX2_FRAME_TRACE");
    ApplyFrameTraceFromEnvironment();
}

}  // namespace
