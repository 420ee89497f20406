// The screen on the real backend: a window with an OpenGL context, checked by reading
// back what was drawn. Runs under a virtual X server with Mesa's software renderer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <tuple>

#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "support/support.h"

namespace {

std::string FixturesDir() { return FixturePath(""); }

// A 32 x 16 picture: the left half opaque green, the right half transparent magenta.
TImagePtr LoadHalfOpaque() { return LoadImage(FixturesDir() + "/platform/graphics_half_opaque.png", 0); }
TImageFontPtr LoadDejaVu(int size) {
    return LoadImageFont(FixturesDir() + "/../../resources/data/fonts/DejaVuSans.ttf", size);
}

const int kGreen[3] = {40, 220, 90};

struct Rgb {
    int r, g, b;
};
Rgb Px(const TPixmapPtr& pm, int x, int y) {
    const uint8_t* p = pm->PixelPtr(x, y);
    return {p[0], p[1], p[2]};
}

::testing::AssertionResult IsColour(const TPixmapPtr& pm, int x, int y, int r, int g, int b, int tolerance = 2) {
    Rgb c = Px(pm, x, y);
    if (std::abs(c.r - r) <= tolerance && std::abs(c.g - g) <= tolerance && std::abs(c.b - b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is (" << c.r << ", " << c.g << ", " << c.b
                                         << "), expected (" << r << ", " << g << ", " << b << ")";
}
::testing::AssertionResult IsBlack(const TPixmapPtr& pm, int x, int y) { return IsColour(pm, x, y, 0, 0, 0, 0); }

int LitPixels(const TPixmapPtr& pm, int x0, int y0, int x1, int y1) {
    int lit = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, pm->height); ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, pm->width); ++x) {
            Rgb c = Px(pm, x, y);
            if (c.r || c.g || c.b) ++lit;
        }
    }
    return lit;
}

int CountColour(const TPixmapPtr& pm, int r, int g, int b) {
    int n = 0;
    for (int y = 0; y < pm->height; ++y) {
        for (int x = 0; x < pm->width; ++x) {
            Rgb c = Px(pm, x, y);
            if (c.r == r && c.g == g && c.b == b) ++n;
        }
    }
    return n;
}

void ResetState() {
    SetOrigin(0, 0);
    SetHandle(0, 0);
    SetTransform(0, 1, 1);
    SetColor(255, 255, 255);
    SetAlpha(1);
    SetBlend(ALPHABLEND);
    SetViewport(0, 0, 0, 0);
    SetImageFont(nullptr);
}

class GraphicsE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SetBackend(Backend::Real); }
    void SetUp() override {
        ResetState();
        ASSERT_TRUE(Graphics(1024, 768)) << "no OpenGL window";
    }
    void TearDown() override { EndGraphics(); }

    // Draws text and checks that it lit pixels inside its box and none just right of it.
    void ExpectTextInItsBox(const TPixmapPtr& screen, const std::string& text, int x, int y) {
        int w = TextWidth(text), h = TextHeight(text);
        ASSERT_GT(w, 0);
        ASSERT_GT(h, 0);
        EXPECT_GT(LitPixels(screen, x, y, x + w, y + h), w * h / 20);
        EXPECT_EQ(LitPixels(screen, x + w + 2, y, x + w + 60, y + h), 0);
        EXPECT_EQ(LitPixels(screen, x, y + h + 2, x + w, y + h + 30), 0);
    }

    // The picture and the font of the scene that tests draw more than once.
    TImagePtr sceneImage;
    TImageFontPtr sceneFont;
    ::testing::AssertionResult LoadScene() {
        sceneImage = LoadHalfOpaque();
        sceneFont = LoadDejaVu(20);
        if (sceneImage && sceneFont) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the scene's picture or font did not load";
    }

    // The scene: the image turned and stretched over a grey square, a red rectangle and a
    // line of text in each font.
    void DrawScene(const TImagePtr& image, const TImageFontPtr& font) {
        ResetState();
        Cls();
        SetBlend(SOLIDBLEND);
        SetColor(150, 150, 150);
        DrawRect(200, 250, 150, 150);
        SetBlend(ALPHABLEND);
        SetColor(255, 255, 255);
        SetTransform(90, 2, 3);
        DrawImage(image, 300, 300);
        SetTransform(0, 1, 1);
        SetColor(200, 30, 30);
        DrawRect(600, 100, 50, 40);
        SetColor(255, 255, 255);
        DrawText("Brondelvix", 50, 600);
        SetImageFont(font);
        DrawText("HELLO", 50, 650);
        SetImageFont(nullptr);
    }

    void CheckScene(const TPixmapPtr& screen, const TImageFontPtr& font) {
        // Turned 90 degrees clockwise about its top-left at (300, 300), 2 across and 3 down:
        // the opaque half lands on x 252..299, y 300..331, the transparent half below it.
        EXPECT_TRUE(IsColour(screen, 276, 316, kGreen[0], kGreen[1], kGreen[2]));
        EXPECT_TRUE(IsColour(screen, 253, 301, kGreen[0], kGreen[1], kGreen[2]));
        EXPECT_TRUE(IsColour(screen, 276, 348, 150, 150, 150));  // through the transparent half
        EXPECT_TRUE(IsColour(screen, 310, 316, 150, 150, 150));  // where an unturned image would be
        EXPECT_TRUE(IsColour(screen, 276, 370, 150, 150, 150));  // past its stretched end
        // The rectangle covers exactly 600..649 x 100..139.
        EXPECT_TRUE(IsColour(screen, 625, 120, 200, 30, 30));
        EXPECT_TRUE(IsColour(screen, 600, 100, 200, 30, 30));
        EXPECT_TRUE(IsColour(screen, 649, 139, 200, 30, 30));
        EXPECT_TRUE(IsBlack(screen, 599, 100));
        EXPECT_TRUE(IsBlack(screen, 650, 120));
        EXPECT_TRUE(IsBlack(screen, 625, 140));
        ExpectTextInItsBox(screen, "Brondelvix", 50, 600);
        SetImageFont(font);
        ExpectTextInItsBox(screen, "HELLO", 50, 650);
        SetImageFont(nullptr);
        EXPECT_TRUE(IsBlack(screen, 10, 10));
        EXPECT_TRUE(IsBlack(screen, 900, 700));
    }
};

TEST_F(GraphicsE2E, DrawsImagesRectanglesAndTextWhereTheStatePlacesThem) {
    TImagePtr image = LoadHalfOpaque();
    ASSERT_NE(image, nullptr);
    TImageFontPtr font = LoadDejaVu(24);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(GraphicsWidth(), 1024);
    EXPECT_EQ(GraphicsHeight(), 768);

    DrawScene(image, font);
    TPixmapPtr screen = GrabScreen();
    ASSERT_NE(screen, nullptr);
    ASSERT_EQ(screen->width, 1024);
    ASSERT_EQ(screen->height, 768);
    CheckScene(screen, font);
    Flip(0);
}

TEST_F(GraphicsE2E, ColourTintsAndBlendModesMixAsNamed) {
    TImagePtr image = LoadHalfOpaque();
    ASSERT_NE(image, nullptr);
    Cls();
    SetBlend(SOLIDBLEND);
    SetColor(100, 100, 100);
    DrawRect(0, 0, 600, 100);

    SetColor(255, 255, 255);
    SetBlend(ALPHABLEND);
    SetAlpha(0.5f);
    DrawRect(0, 0, 100, 100);
    SetAlpha(1);
    SetBlend(LIGHTBLEND);
    SetColor(100, 0, 0);
    DrawRect(100, 0, 100, 100);
    SetBlend(SHADEBLEND);
    SetColor(128, 255, 0);
    DrawRect(200, 0, 100, 100);
    SetColor(255, 255, 255);
    SetBlend(MASKBLEND);
    DrawImage(image, 300, 0);
    SetBlend(SOLIDBLEND);
    DrawImage(image, 400, 0);
    SetBlend(ALPHABLEND);
    SetColor(255, 0, 255);
    DrawImage(image, 500, 0);

    TPixmapPtr s = GrabScreen();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(IsColour(s, 50, 50, 178, 178, 178, 3));  // half white over grey
    EXPECT_TRUE(IsColour(s, 150, 50, 200, 100, 100));    // added
    EXPECT_TRUE(IsColour(s, 250, 50, 50, 100, 0));       // multiplied
    EXPECT_TRUE(IsColour(s, 305, 5, kGreen[0], kGreen[1], kGreen[2]));
    EXPECT_TRUE(IsColour(s, 325, 5, 100, 100, 100));  // masked away
    EXPECT_TRUE(IsColour(s, 405, 5, kGreen[0], kGreen[1], kGreen[2]));
    EXPECT_TRUE(IsColour(s, 425, 5, 255, 0, 255));              // solid ignores alpha
    EXPECT_TRUE(IsColour(s, 505, 5, kGreen[0], 0, kGreen[2]));  // tinted
    EXPECT_TRUE(IsColour(s, 525, 5, 100, 100, 100));
    EXPECT_TRUE(IsColour(s, 550, 50, 100, 100, 100));
}

TEST_F(GraphicsE2E, LinesCoverBothEndPixels) {
    Cls();
    SetColor(255, 255, 0);
    DrawLine(10, 700, 60, 700);
    DrawLine(100, 650, 100, 700);
    TPixmapPtr s = GrabScreen();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(LitPixels(s, 0, 690, 80, 710), 51);
    EXPECT_TRUE(IsColour(s, 10, 700, 255, 255, 0));
    EXPECT_TRUE(IsColour(s, 60, 700, 255, 255, 0));
    EXPECT_EQ(LitPixels(s, 90, 640, 110, 710), 51);
    EXPECT_TRUE(IsColour(s, 100, 650, 255, 255, 0));
    EXPECT_TRUE(IsColour(s, 100, 700, 255, 255, 0));
}

TEST_F(GraphicsE2E, QuadsSharingTextureAndStateAreOneDrawCall) {
    TImagePtr image = LoadHalfOpaque();
    ASSERT_NE(image, nullptr);
    struct Case {
        const char* name;
        void (*draw)(const TImagePtr&);
        int calls;
    };
    const Case cases[] = {
        {"100 copies of one image",
         [](const TImagePtr& img) {
             for (int i = 0; i < 100; ++i) DrawImage(img, static_cast<float>(i * 8), 10);
         },
         1},
        {"rectangles and lines together",
         [](const TImagePtr&) {
             for (int i = 0; i < 10; ++i) {
                 DrawRect(static_cast<float>(i * 20), 50, 10, 10);
                 DrawLine(0, static_cast<float>(i), 100, static_cast<float>(i));
             }
         },
         1},
        {"a whole line of text", [](const TImagePtr&) { DrawText("Many glyphs, one texture", 10, 100); }, 1},
        {"texture changes split",
         [](const TImagePtr& img) {
             DrawImage(img, 0, 0);
             DrawRect(0, 0, 5, 5);
             DrawImage(img, 10, 0);
         },
         3},
        {"blend changes split",
         [](const TImagePtr& img) {
             DrawImage(img, 0, 0);
             SetBlend(LIGHTBLEND);
             DrawImage(img, 10, 0);
             SetBlend(ALPHABLEND);
         },
         2},
        {"viewport changes split",
         [](const TImagePtr& img) {
             DrawImage(img, 0, 0);
             SetViewport(0, 0, 100, 100);
             DrawImage(img, 10, 0);
             SetViewport(0, 0, 0, 0);
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Cls();
        c.draw(image);
        Flip(0);
        EXPECT_EQ(LastFrameDrawCalls(), c.calls);
    }
}

TEST_F(GraphicsE2E, TheFrameOnScreenIsNotDrawnAgainUnlessTheBackBufferIsRead) {
    ASSERT_TRUE(LoadScene());
    const TImagePtr& image = sceneImage;
    const TImageFontPtr& font = sceneFont;
    DrawScene(image, font);
    Flip(0);
    EXPECT_TRUE(LastFrameDrawn());
    EXPECT_GT(LastFrameDrawCalls(), 0);
    // The new window's events (shown, exposed, focus) each have the next frame drawn.
    int drawn = 0;
    do {
        DrawScene(image, font);
        Flip(0);
    } while (LastFrameDrawn() && ++drawn < 60);
    EXPECT_FALSE(LastFrameDrawn());
    EXPECT_EQ(LastFrameDrawCalls(), 0);

    // A test reads what it drew, and the frame it read is then shown.
    DrawScene(image, font);
    CheckScene(GrabScreen(), font);
    Flip(0);
    EXPECT_TRUE(LastFrameDrawn());
    DrawScene(image, font);
    Flip(0);
    EXPECT_FALSE(LastFrameDrawn());
}

TEST_F(GraphicsE2E, ViewportClipsDrawingAndCls) {
    SetBlend(SOLIDBLEND);
    Cls();
    DrawRect(0, 0, 1024, 768);  // white everywhere
    SetViewport(100, 50, 60, 40);
    Cls();
    TPixmapPtr s = GrabScreen();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(IsBlack(s, 100, 50));
    EXPECT_TRUE(IsBlack(s, 159, 89));
    EXPECT_TRUE(IsColour(s, 99, 50, 255, 255, 255));
    EXPECT_TRUE(IsColour(s, 100, 49, 255, 255, 255));
    EXPECT_TRUE(IsColour(s, 160, 89, 255, 255, 255));
    EXPECT_TRUE(IsColour(s, 159, 90, 255, 255, 255));

    SetColor(0, 0, 255);
    DrawRect(0, 0, 1024, 768);
    s = GrabScreen();
    EXPECT_EQ(CountColour(s, 0, 0, 255), 60 * 40);
    EXPECT_TRUE(IsColour(s, 130, 70, 0, 0, 255));
    EXPECT_TRUE(IsColour(s, 130, 40, 255, 255, 255));

    // A viewport with no area hides everything; the whole window clips nothing.
    SetColor(255, 0, 0);
    SetViewport(100, 50, 0, 40);
    DrawRect(0, 0, 1024, 768);
    s = GrabScreen();
    EXPECT_TRUE(IsColour(s, 130, 70, 0, 0, 255));
    SetViewport(0, 0, GraphicsWidth(), GraphicsHeight());
    DrawRect(0, 0, 1024, 768);
    s = GrabScreen();
    EXPECT_TRUE(IsColour(s, 0, 0, 255, 0, 0));
    EXPECT_TRUE(IsColour(s, 1023, 767, 255, 0, 0));
}

TEST_F(GraphicsE2E, ImagesAndFontsSurviveAReopen) {
    ASSERT_TRUE(LoadScene());
    const TImagePtr& image = sceneImage;
    const TImageFontPtr& font = sceneFont;
    DrawScene(image, font);
    CheckScene(GrabScreen(), font);
    Flip(0);
    int generation = GraphicsGeneration();

    EndGraphics();
    EXPECT_FALSE(GraphicsOpen());
    EXPECT_EQ(GrabScreen(), nullptr);
    ASSERT_TRUE(Graphics(1000, 720));
    EXPECT_EQ(GraphicsGeneration(), generation + 1);
    DrawScene(image, font);
    TPixmapPtr screen = GrabScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->width, 1000);
    EXPECT_EQ(screen->height, 720);
    CheckScene(screen, font);
    EXPECT_EQ(image->textures.at(0).generation, GraphicsGeneration());
}

TEST_F(GraphicsE2E, ModesComeFromTheDisplayInTheGamesTerms) {
    int count = CountGraphicsModes();
    ASSERT_GE(count, 1);
    std::set<std::tuple<int, int, int, int>> seen;
    for (int i = 0; i < count; ++i) {
        int w = 0, h = 0, d = 0, hz = 0;
        ASSERT_TRUE(GetGraphicsMode(i, w, h, d, hz));
        EXPECT_GT(w, 0);
        EXPECT_GT(h, 0);
        EXPECT_NE(d, 24);
        EXPECT_GT(hz, 0);
        EXPECT_TRUE(seen.insert({w, h, d, hz}).second) << "mode " << i << " listed twice";
    }
    // The virtual server's screen is 1280 x 1024 at 24 bits.
    EXPECT_EQ(DesktopWidth(), 1280);
    EXPECT_EQ(DesktopHeight(), 1024);
    EXPECT_EQ(DesktopDepth(), 32);
    EXPECT_GT(DesktopHertz(), 0);
}

TEST_F(GraphicsE2E, FullScreenOpensAListedMode) {
    int w = 0, h = 0, d = 0, hz = 0;
    ASSERT_TRUE(GetGraphicsMode(0, w, h, d, hz));
    ASSERT_TRUE(Graphics(w, h, d, hz));
    EXPECT_EQ(GraphicsWidth(), w);
    EXPECT_EQ(GraphicsHeight(), h);
    Cls();
    SetColor(0, 255, 0);
    DrawRect(static_cast<float>(w - 10), static_cast<float>(h - 10), 10, 10);
    TPixmapPtr s = GrabScreen();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(IsColour(s, w - 1, h - 1, 0, 255, 0));
    EXPECT_TRUE(IsBlack(s, w - 11, h - 11));
}

}  // namespace
