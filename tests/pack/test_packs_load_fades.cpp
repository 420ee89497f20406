// The pack loader's frames on a fixed clock: the fade in from black, one captioned frame per
// step, the fade out behind "COMPLETE", and fades that end whatever the game-speed factor.
#include "pack_support.h"
#include "support/support.h"

namespace {

using namespace packtest;

using PackFades = PackTest;

const std::vector<std::string> kStepCaptions = {"IMAGES", "SOUNDS",  "SHIFTERS", "SPRITES",  "PARTICLES", "PROJECTILES",
                                                "BALLS",  "WEAPONS", "BRICKS",   "POWERUPS", "LEVELS"};

std::string Caption(const Frame& frame) { return frame.texts.size() > 1 ? frame.texts[1] : ""; }

TEST_F(PackFades, FadesAdvanceByTheMeasuredFrameTimeAndAlwaysEnd) {
    const struct {
        const char* name;
        int frameMs;
        float modulation;
        std::vector<float> fadeIn;  // exact alphas, or empty to check only the count
        size_t fadeInFrames;
        std::vector<float> complete;  // the "COMPLETE" frames' alphas, the step's own first
        size_t completeFrames;
    } cases[] = {
        {"factor 1",
         80,
         1.0f,
         {1.0f, 0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.2f, 0.1f},
         10,
         {0.1f, 0.1f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f},
         11},
        {"factor 4", 320, 1.0f, {1.0f, 0.6f, 0.2f}, 3, {0.2f, 0.2f, 0.4f, 0.8f}, 4},
        // A factor of 0 or below would never end a fade: each frame then counts as 1 ms.
        {"factor 0", 0, 1.0f, {}, 800, {}, 801},
        {"negative factor", 80, -1.0f, {}, 800, {}, 801},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HoldFrameTime(c.frameMs);
        g_gameSpeedModulation = c.modulation;
        g_gameSpeedTargetModulation = c.modulation;
        g_ScreenOverlayAlpha = 0.0f;
        ClearDebugLog();
        StartRecording();
        PackPtr pack = LoadPack(FixturePath("pack/fixturepack/"));
        const std::vector<Frame> frames = Frames(StopRecording());

        for (const Frame& frame : frames) {
            EXPECT_TRUE(frame.drewImage);
            ASSERT_FALSE(frame.texts.empty());
            EXPECT_EQ(frame.texts[0], "LOADING");
        }
        // The fade-in ends at the first step's frame, the fade-out starts at "COMPLETE".
        size_t fadeIn = 0;
        while (fadeIn < frames.size() && Caption(frames[fadeIn]).empty()) ++fadeIn;
        ASSERT_GE(frames.size(), fadeIn + kStepCaptions.size());
        const size_t complete = frames.size() - fadeIn - kStepCaptions.size();
        // A bounded fade's count rests on the float sum of its steps: allow one frame.
        const size_t slack = c.fadeIn.empty() ? 1 : 0;
        EXPECT_LE(fadeIn, c.fadeInFrames + slack);
        EXPECT_GE(fadeIn + slack, c.fadeInFrames);
        EXPECT_LE(complete, c.completeFrames + slack);
        EXPECT_GE(complete + slack, c.completeFrames);

        for (size_t i = 0; i < fadeIn; ++i) {
            EXPECT_EQ(frames[i].texts.size(), 1u) << i;
            if (!c.fadeIn.empty()) {
                EXPECT_FLOAT_EQ(frames[i].overlayAlpha, c.fadeIn.at(i)) << i;
            }
            if (i > 0) {
                EXPECT_LT(frames[i].overlayAlpha, frames[i - 1].overlayAlpha) << i;
            }
        }
        const float stepAlpha = frames[fadeIn - 1].overlayAlpha;
        for (size_t s = 0; s < kStepCaptions.size(); ++s) {
            const Frame& frame = frames[fadeIn + s];
            EXPECT_EQ(Caption(frame), kStepCaptions[s]);
            EXPECT_FLOAT_EQ(frame.overlayAlpha, stepAlpha);
        }
        const size_t first = fadeIn + kStepCaptions.size();
        for (size_t i = 0; i < complete; ++i) {
            EXPECT_EQ(Caption(frames[first + i]), "COMPLETE") << i;
            if (!c.complete.empty()) {
                EXPECT_FLOAT_EQ(frames[first + i].overlayAlpha, c.complete.at(i)) << i;
            }
        }
        // The load ends in opaque black.
        EXPECT_FLOAT_EQ(g_ScreenOverlayAlpha, 1.0f);
        EXPECT_EQ(g_ScreenOverlayRed + g_ScreenOverlayGreen + g_ScreenOverlayBlue, 0);
        EXPECT_EQ(pack->levelsArray.size(), 2u);
        EXPECT_EQ(FaultLines(), std::vector<std::string>());
    }
}

TEST_F(PackFades, WithoutALoadingPictureTheFramesAreDrawnBare) {
    ScratchPack scratch;
    std::filesystem::remove(scratch + "loading.png");
    StartRecording();
    LoadPack(scratch.path());
    const std::vector<Frame> frames = Frames(StopRecording());
    ASSERT_EQ(frames.size(), 10u + kStepCaptions.size() + 11u);
    for (const Frame& frame : frames) EXPECT_FALSE(frame.drewImage);
    EXPECT_EQ(FaultLines(), std::vector<std::string>());
}

}  // namespace
