// What a still screen costs once its frame is left out, against what drawing it costs: a frame
// shaped as the main menu's (the title picture, the menu box, six buttons with their labels, the
// lines under them, the pointer), built, compared with the one on screen and, when it differs,
// drawn. The comparison alone is the difference between a frame compared to its end (the same
// as the last) and one that differs in its first quad. Drawing needs a display (run it under
// xvfb-run with LIBGL_ALWAYS_SOFTWARE=1 to time Mesa's software renderer); without one that case
// says so and the others run headless.
#include <benchmark/benchmark.h>

#include <string>

#include "core/globals.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/runtime.h"

namespace {

const char* const kLabels[] = {"Continue", "New Game", "Scores", "Players", "Options", "Help"};

struct MenuFrame {
    TImagePtr title, box, pointer;
    TImageFontPtr font;
    bool Load() {
        InitGlobals();
        const std::string images = g_dataPath + "data/images/";
        title = LoadImage(images + "title.png");
        box = LoadImage(images + "dialog.png");
        pointer = LoadImage(images + "cursor.png");
        font = LoadImageFont(g_dataPath + "data/fonts/DejaVuSans.ttf", 20);
        return title && box && pointer && font;
    }
    // firstX moves the first quad: a frame that differs from the last at once.
    void Draw(float firstX) const {
        SetViewport(0, 0, 0, 0);
        Cls();
        SetBlend(ALPHABLEND);
        SetColor(255, 255, 255);
        SetAlpha(1.0f);
        SetScale(1024.0f / static_cast<float>(ImageWidth(title)), 768.0f / static_cast<float>(ImageHeight(title)));
        DrawImage(title, firstX, 0);
        SetScale(1, 1);
        SetAlpha(0.66f);
        SetColor(0, 200, 0);
        DrawRect(255, 191, 514, 386);
        SetColor(0, 0, 0);
        DrawRect(256, 192, 512, 384);
        SetAlpha(1.0f);
        SetColor(255, 255, 255);
        DrawImage(box, 300, 200);
        SetImageFont(font);
        for (int i = 0; i < 6; ++i) {
            const float x = 320.0f + 200.0f * static_cast<float>(i % 2), y = 260.0f + 60.0f * static_cast<float>(i / 2);
            SetColor(0, 120, 0);
            DrawRect(x, y, 180, 40);
            SetColor(255, 255, 255);
            DrawText(kLabels[i], x + 20, y + 10);
        }
        SetColor(0, 200, 0);
        DrawText("Player: Nameless Wonder", 330, 470);
        DrawText("Pack: Classic", 330, 500);
        SetColor(255, 255, 255);
        DrawImage(pointer, 700, 600);
    }
};

// Frames on the headless backend: built and compared, never drawn.
void Headless(benchmark::State& state, bool differ) {
    SetBackend(Backend::Headless);
    UseTestClock(100000, 0, 16);  // the flip's pacing does not sleep
    Graphics(1024, 768, 0, 60);
    MenuFrame frame;
    if (!frame.Load()) {
        state.SkipWithError("the data folder's pictures or font did not load");
        return;
    }
    float x = 0;
    int left = 0;
    for (auto _ : state) {
        if (differ) x = x == 0 ? 1 : 0;
        frame.Draw(x);
        Flip(0);
        left += LastFrameDrawn() ? 0 : 1;
    }
    state.counters["left_out"] = benchmark::Counter(left, benchmark::Counter::kAvgIterations);
    EndGraphics();
}

void BM_StillFrameLeftOut(benchmark::State& state) { Headless(state, false); }
BENCHMARK(BM_StillFrameLeftOut)->Unit(benchmark::kMicrosecond);

void BM_FrameDifferingAtOnce(benchmark::State& state) { Headless(state, true); }
BENCHMARK(BM_FrameDifferingAtOnce)->Unit(benchmark::kMicrosecond);

// The same frame drawn and swapped by OpenGL, no vertical sync, each one differing.
void BM_FrameDrawn(benchmark::State& state) {
    SetBackend(Backend::Real);
    UseRealClock();
    std::string why;
    if (!DisplayAvailable(why) || !Graphics(1024, 768, 0, 1000)) {
        state.SkipWithError("no display to draw on");
        return;
    }
    MenuFrame frame;
    if (!frame.Load()) {
        state.SkipWithError("the data folder's pictures or font did not load");
        EndGraphics();
        return;
    }
    float x = 0;
    for (auto _ : state) {
        x = x == 0 ? 1 : 0;
        frame.Draw(x);
        Flip(0);
    }
    EndGraphics();
}
BENCHMARK(BM_FrameDrawn)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
