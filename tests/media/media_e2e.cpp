// Backgrounds, named images and the mixer on the real backend: a tiled background read
// back from the screen must cover it without seams, and the master mixer must play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/globals.h"
#include "media/images.h"
#include "media/largeimage.h"
#include "media/mixer.h"
#include "platform/audio.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

std::string MediaFixtures() { return FixturePath("media/"); }

struct Rgb {
    int r, g, b;
};
Rgb Px(const TPixmapPtr& pm, int x, int y) {
    const uint8_t* p = pm->PixelPtr(x, y);
    return {p[0], p[1], p[2]};
}
int MaxDiff(Rgb a, Rgb b) { return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}); }

// What the menus and the game screen set before drawing a background.
void BackgroundState() {
    SetOrigin(0, 0);
    SetHandle(0, 0);
    SetBlend(ALPHABLEND);
    SetAlpha(1);
    SetRotation(0);
    SetColor(255, 255, 255);
    SetViewport(0, 0, 0, 0);
    SetScale(g_widthFactor, g_heightFactor);
}

class MediaE2E : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        SetBackend(Backend::Real);
        setenv("XDG_DATA_HOME", ScratchPath().c_str(), 1);
        ASSERT_TRUE(Graphics(1280, 960, 0, 60)) << "no OpenGL window";
        g_widthFactor = 1280.0f / 1024.0f;
        g_heightFactor = 960.0f / 768.0f;
    }
    void TearDown() override {
        EndGraphics();
        SetTransform(0, 1, 1);
        GameTest::TearDown();
    }
};

// The 1024 x 768 gradient (red across, green down, blue 96; nowhere black) drawn at 1.25
// covers the 1280 x 960 screen edge to edge in twelve tiles of 320 x 320.
TEST_F(MediaE2E, ATiledBackgroundCoversTheScreenWithoutSeams) {
    TPixmapPtr picture = LoadPixmap(MediaFixtures() + "gradient.png");
    ASSERT_NE(picture, nullptr);
    BigImagePtr background = BigImage::create(picture);
    ASSERT_NE(background, nullptr);
    ASSERT_EQ(background->fragments.size(), 12u);

    Cls();
    BackgroundState();
    background->Render();
    TPixmapPtr screen = GrabScreen();
    Flip(0);
    ASSERT_NE(screen, nullptr);
    ASSERT_EQ(screen->width, 1280);
    ASSERT_EQ(screen->height, 960);

    // Every pixel shows the picture's colour at its place: nothing black, nothing off.
    int wrong = 0;
    for (int y = 0; y < 960; ++y) {
        for (int x = 0; x < 1280; ++x) {
            int px = std::min(1023, static_cast<int>(x / 1.25f)), py = std::min(767, static_cast<int>(y / 1.25f));
            const uint8_t* want = picture->PixelPtr(px, py);
            if (MaxDiff(Px(screen, x, y), Rgb{want[0], want[1], want[2]}) > 3) {
                if (++wrong <= 5) ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(wrong, 0);

    // Across every tile border the colour moves on as smoothly as inside a tile.
    for (int border : {319, 639, 959}) {
        for (int y = 0; y < 960; y += 7) {
            int step = MaxDiff(Px(screen, border, y), Px(screen, border + 1, y));
            EXPECT_LE(step, 2) << "column seam at x " << border << ", y " << y;
        }
    }
    for (int border : {319, 639}) {
        for (int x = 0; x < 1280; x += 7) {
            int step = MaxDiff(Px(screen, x, border), Px(screen, x, border + 1));
            EXPECT_LE(step, 2) << "row seam at y " << border << ", x " << x;
        }
    }
    // The screen's corners are the picture's corners.
    EXPECT_LE(MaxDiff(Px(screen, 0, 0), Rgb{32, 32, 96}), 3);
    EXPECT_LE(MaxDiff(Px(screen, 1279, 959), Rgb{223, 223, 96}), 3);
}

// A named image over the background lands at its virtual position, scaled to the screen.
TEST_F(MediaE2E, ANamedImageDrawsAtItsScaledPlace) {
    // Progress notes stay silent, as in the shipped error table.
    g_errorcode = {1};
    g_errorseverity = {0};
    g_errormessage = {"Progress note"};
    auto image = std::make_shared<Image>();
    image->LoadFromFile(MediaFixtures() + "picture.png", "p", 1, 0, 0);
    g_errorcode.clear();
    g_errorseverity.clear();
    g_errormessage.clear();
    ASSERT_NE(image->imageData, nullptr);
    image->alpha = 1;
    image->handleX = 24;
    image->handleY = 12;

    Cls();
    // 48 x 24, left half orange and right half teal, centred on virtual (400, 300):
    // on screen (500, 375), 48 x 1.04 x 1.25 = 62.4 wide.
    image->Draw(400, 300, 0, 1, 1, 255, 255, 255, 1, 0, 0, 0);
    TPixmapPtr screen = GrabScreen();
    Flip(0);
    ASSERT_NE(screen, nullptr);
    EXPECT_LE(MaxDiff(Px(screen, 500 - 15, 375), Rgb{240, 140, 20}), 3);
    EXPECT_LE(MaxDiff(Px(screen, 500 + 15, 375), Rgb{20, 160, 150}), 3);
    EXPECT_LE(MaxDiff(Px(screen, 500 - 29, 375 - 14), Rgb{240, 140, 20}), 3);
    EXPECT_EQ(MaxDiff(Px(screen, 500 - 34, 375), Rgb{0, 0, 0}), 0);
    EXPECT_EQ(MaxDiff(Px(screen, 500 + 34, 375), Rgb{0, 0, 0}), 0);
    EXPECT_EQ(MaxDiff(Px(screen, 500, 375 + 18), Rgb{0, 0, 0}), 0);
}

// The master mixer on the real audio output (SDL's dummy driver) plays its music.
TEST_F(MediaE2E, TheMasterMixerPlaysMusicOnTheAudioOutput) {
    g_debugLogQuiet = 1;
    testing::internal::CaptureStdout();
    InitMixer();
    testing::internal::GetCapturedStdout();
    g_debugLogQuiet = 0;
    ASSERT_NE(g_MasterMixer, nullptr);
    EXPECT_EQ(g_MasterMixer->totalChannels, 16);

    g_musicVolume = 0.5f;
    auto music = std::make_shared<Sound>();
    music->SetLoops(1);
    music->LoadFromFile(MediaFixtures() + "blip.wav", "music");
    ASSERT_NE(music->soundData, nullptr);
    ASSERT_EQ(g_MasterMixer->AddMusic(music), 0);
    EXPECT_EQ(g_MasterMixer->MusicPlaying(), 1);
    // The output thread consumes the music in real time.
    for (int i = 0; i < 200 && ChannelPosition(g_MasterMixer->channelArray[0]) == 0.0; ++i) Delay(10);
    EXPECT_GT(ChannelPosition(g_MasterMixer->channelArray[0]), 0.0);
    g_MasterMixer->EndMusic();
    EXPECT_EQ(g_MasterMixer->MusicPlaying(), 0);
    g_MasterMixer = nullptr;
}

}  // namespace
