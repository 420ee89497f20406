// The loading screen's one frame: picture, "LOADING" and the caption centred at their heights
// on any screen size, localised, under the overlay, and still shown when a text fails.
#include "pack/loadingscreen.h"
#include "pack_support.h"
#include "platform/image.h"

namespace {

using namespace packtest;

class LoadingScreen : public PackTest {};

std::vector<DrawCall> OfKind(const std::vector<DrawCall>& calls, DrawKind kind) {
    std::vector<DrawCall> found;
    for (const DrawCall& call : calls) {
        if (call.kind == kind) found.push_back(call);
    }
    return found;
}

TEST_F(LoadingScreen, TextsAreCentredAndPlacedByTheScreenFactors) {
    const struct {
        int width, height;
        float factor;
        float centre, loadingY, captionY;
        bool withImage;
    } cases[] = {
        {1024, 768, 1.0f, 512.0f, 20.0f, 155.0f, false},
        {1280, 960, 1.25f, 640.0f, 25.0f, 193.75f, true},
    };
    const TImagePtr picture = LoadImage(FixturePath("pack/fixturepack/loading.png"), 2);
    ASSERT_TRUE(picture);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        EndGraphics();
        Graphics(c.width, c.height, 0, 60);
        g_widthFactor = c.factor;
        g_heightFactor = c.factor;
        StartRecording();
        EXPECT_EQ(DrawLoadingScreen("BRICKS", c.withImage ? picture : nullptr, 77, 66, 55, KeysAsShown), 0);
        const std::vector<DrawCall> calls = StopRecording();

        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front().kind, DrawKind::Cls);
        EXPECT_EQ(calls.back().kind, DrawKind::Flip);
        EXPECT_EQ(OfKind(calls, DrawKind::Flip).size(), 1u);

        const std::vector<DrawCall> images = OfKind(calls, DrawKind::Image);
        ASSERT_EQ(images.size(), c.withImage ? 1u : 0u);
        if (c.withImage) {
            EXPECT_EQ(images[0].image, picture);
            EXPECT_EQ(images[0].x, 0.0f);
            EXPECT_EQ(images[0].y, 0.0f);
            EXPECT_EQ(images[0].frame, 0);
            EXPECT_EQ(images[0].state.scaleX, c.factor);
            EXPECT_EQ(images[0].state.red + images[0].state.green + images[0].state.blue, 3 * 255);
        }

        const std::vector<DrawCall> texts = OfKind(calls, DrawKind::Text);
        ASSERT_GE(texts.size(), 2u);
        const struct {
            const char* text;
            float y;
        } expected[] = {{"LOADING", c.loadingY}, {"BRICKS", c.captionY}};
        SetImageFont(g_LargeFont);
        for (size_t i = 0; i < 2; ++i) {
            const DrawCall& t = texts[i];
            EXPECT_EQ(t.text, expected[i].text);
            EXPECT_FLOAT_EQ(t.y, expected[i].y);
            EXPECT_FLOAT_EQ(t.x + static_cast<float>(TextWidth(t.text)) * c.factor / 2.0f, c.centre);
            EXPECT_EQ(t.state.scaleX, c.factor);
            EXPECT_EQ(t.state.scaleY, c.factor);
            EXPECT_EQ(t.state.red, 77);
            EXPECT_EQ(t.state.green, 66);
            EXPECT_EQ(t.state.blue, 55);
            EXPECT_EQ(t.state.blend, ALPHABLEND);
        }
    }
    EXPECT_EQ(FaultLines(), std::vector<std::string>());
}

TEST_F(LoadingScreen, CaptionsAreLocalisedAndUnknownKeysShownAsThey) {
    // A French lookup as the universe gives it: unknown keys come back as they are.
    const TextLookup french = [](const std::string& key) -> std::string {
        if (key == "LOADING") return "CHARGEMENT";
        if (key == "SOUNDS") return "SONS";
        return key;
    };
    const struct {
        const char* message;
        std::vector<std::string> shown;
    } cases[] = {
        {"SOUNDS", {"CHARGEMENT", "SONS"}},
        {"NOT A KEY", {"CHARGEMENT", "NOT A KEY"}},
        {"", {"CHARGEMENT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        StartRecording();
        DrawLoadingScreen(c.message, nullptr, 77, 77, 77, french);
        std::vector<std::string> shown;
        for (const DrawCall& call : OfKind(StopRecording(), DrawKind::Text)) {
            if (!call.text.empty()) shown.push_back(call.text);
        }
        EXPECT_EQ(shown, c.shown);
    }
    EXPECT_EQ(FaultLines(), std::vector<std::string>());
}

TEST_F(LoadingScreen, TheOverlayCoversTheFrameOnlyWhileItsAlphaIsAboveZero) {
    const struct {
        float alpha;
        size_t overlays;
    } cases[] = {{1.0f, 1}, {0.35f, 1}, {0.0f, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.alpha);
        g_ScreenOverlayAlpha = c.alpha;
        g_ScreenOverlayRed = 10;
        StartRecording();
        DrawLoadingScreen("IMAGES", nullptr, 77, 77, 77, KeysAsShown);
        const std::vector<Frame> frames = Frames(RecordedCalls());
        const std::vector<DrawCall> rects = OfKind(StopRecording(), DrawKind::Rect);
        ASSERT_EQ(frames.size(), 1u);
        ASSERT_EQ(rects.size(), c.overlays);
        if (c.overlays == 1) {
            EXPECT_FLOAT_EQ(frames[0].overlayAlpha, c.alpha);
            EXPECT_EQ(rects[0].state.red, 10);
            EXPECT_EQ(rects[0].w, 1024.0f);
            EXPECT_EQ(rects[0].h, 768.0f);
        }
        // The screen's own texts lie under the overlay.
        EXPECT_EQ(frames[0].texts, (std::vector<std::string>{"LOADING", "IMAGES"}));
    }
}

TEST_F(LoadingScreen, AFailingTextStillLeavesAShownFrame) {
    // Without the universe there are no localised texts to draw: its lookup raises.
    const TextLookup noUniverse = [](const std::string&) -> std::string { RuntimeError(kNullAccessMessage); };
    g_ScreenOverlayAlpha = 0.5f;
    StartRecording();
    EXPECT_EQ(DrawLoadingScreen("IMAGES", nullptr, 77, 77, 77, noUniverse), 0);
    const std::vector<DrawCall> calls = StopRecording();

    EXPECT_EQ(FaultLines(),
              (std::vector<std::string>{"globals:DrawLoadingScreen(error 2) " + std::string(kNullAccessMessage)}));
    const std::vector<Frame> frames = Frames(calls);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].texts.empty());
    EXPECT_FLOAT_EQ(frames[0].overlayAlpha, 0.5f);
}

}  // namespace
