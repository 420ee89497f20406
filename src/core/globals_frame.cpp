// Per-frame services of the globals module: frame timing and the game-speed factor,
// the overlay and debug texts drawn over each frame, relative mouse motion and the quit test.
#include <malloc.h>

#include <cmath>

#include "core/globals.h"
#include "core/numbertext.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"

namespace {

// Bytes the program has allocated, for the "Memory" debug text.
int64_t MemoryInUse() {
    struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

// Moves the speed multiplier one frame's step toward its target, stopping exactly on it.
void StepModulation() {
    float& mod = g_gameSpeedModulation;
    const float target = g_gameSpeedTargetModulation;
    // A rate of 0 or below has no step to take: the change happens at once.
    if (!(g_gameSpeedModulationRate > 0.0f)) {
        mod = target;
        return;
    }
    float step = g_gameSpeedFactor / g_gameSpeedModulationRate;
    if (mod < target) {
        mod += step;
        if (mod > target) mod = target;
    } else if (mod > target) {
        mod -= step;
        if (mod < target) mod = target;
    }
}

// Opaque white drawing from the top left, unturned, in alpha blending.
void ResetDrawingState() {
    SetOrigin(0, 0);
    SetHandle(0, 0);
    SetColor(255, 255, 255);
    SetBlend(ALPHABLEND);
    SetAlpha(1);
    SetRotation(0);
}

// The frame's delay and the game-speed factor it gives.
void TimeTheFrame(int menuMode) {
    // The clock is a wrapping 32-bit count: take the difference the same way.
    g_curMilliSecs = MilliSecs();
    g_frameDelay = static_cast<int>(static_cast<uint32_t>(g_curMilliSecs) - static_cast<uint32_t>(g_lastMilliSecs));
    g_realFrameDelay = g_frameDelay;
    g_lastMilliSecs = g_curMilliSecs;

    // One stalled frame must not throw the game far ahead.
    if (g_frameDelay > g_maxFrameDelay) g_frameDelay = g_maxFrameDelay;
    const float base = static_cast<float>(g_frameDelay) / 80.0f;
    g_gameSpeedFactor = base;

    // Menus freeze the speed change: no countdown, no glide.
    if (menuMode != 0) return;
    if (g_gameSpeedModulationTTL != -1.0f) {
        g_gameSpeedModulationTTL -= base;
        if (g_gameSpeedModulationTTL < 0.0f) {
            g_gameSpeedModulationTTL = -1.0f;
            g_gameSpeedTargetModulation = 1.0f;
        }
    }
    g_gameSpeedFactor = base * g_gameSpeedModulation * g_gameSpeedDifficultyAdjust;
    StepModulation();
}

// The debug figures: the frame's delay, the memory in use, the speed factor and the sprites.
void DrawFrameFigures() {
    ResetDrawingState();
    SetImageFont(g_SmallFont);
    DrawText("  Delay: " + IntToText(g_frameDelay) + " ms", 800, 300);
    DrawText(" Memory: " + LongToText(MemoryInUse() / 1024), 800, 312);
    DrawText(" Factor: " + FloatToText(g_gameSpeedFactor), 800, 324);
    DrawText(" Sprites: " + IntToText(g_debugSpritesInMemory), 800, 336);
    SetImageFont(g_LargeFont);
}

// The coloured overlay over the whole screen, and the clock, which fades with it.
void DrawScreenOverlay() {
    SetOrigin(0, 0);
    SetHandle(0, 0);
    SetScale(1, 1);
    SetBlend(ALPHABLEND);
    SetColor(g_ScreenOverlayRed, g_ScreenOverlayGreen, g_ScreenOverlayBlue);
    SetAlpha(g_ScreenOverlayAlpha);
    SetRotation(0);
    DrawRect(0, 0, static_cast<float>(GraphicsWidth()), static_cast<float>(GraphicsHeight()));
    SetImageFont(g_SmallFont);
    SetColor(255, 255, 255);
    DrawText(TwelveHourClock(CurrentTime()), 10, 10);
}
}  // namespace

std::string TwelveHourClock(const std::string& time24) {
    int h = TextToInt(time24.substr(0, 2));
    std::string minutes = time24.size() >= 5 ? time24.substr(3, 2) : "";
    if (h == 0) return "12:" + minutes + " AM";
    if (h == 12) return "12:" + minutes + " PM";
    if (h > 12) return IntToText(h - 12) + ":" + minutes + " PM";
    // Morning hours keep their leading zero, as the game has always shown them.
    return time24.substr(0, 5) + " AM";
}

int ScreenRefresh(int showDebug, int menuMode) {
    return Guarded("globals:ScreenRefresh() ", 0, [&] {
        TimeTheFrame(menuMode);
        if (showDebug == 1) DrawFrameFigures();
        if (g_ScreenOverlayAlpha > 0.0f) DrawScreenOverlay();

        // Leave the drawing state as every screen expects it; scale and font stay.
        ResetDrawingState();

        GCCollect();
        return 0;
    });
}

int SetGlobalGameSpeed(float target, float rate, float ttl) {
    return Guarded("globals:SetGlobalGameSpeed() ", 0, [&] {
        g_gameSpeedTargetModulation = target;
        g_gameSpeedModulationRate = rate;
        g_gameSpeedModulationTTL = ttl;
        return 0;
    });
}

// ---------------------------------------------------------------------------
// Input helpers.

int g_useMouseAsProportionalController() {
    return Guarded("globals:g_useMouseAsProportionalController() ", 0, [] {
        int x = g_MouseXPrev, y = g_MouseYPrev;
        bool moved = false;
        while (int id = PollEvent()) {
            if (id == EVENT_MOUSEMOVE) {
                x = EventX();
                y = EventY();
                moved = true;
            }
        }
        HideMouse();
        g_MouseXSpeed = static_cast<float>(x - g_MouseXPrev);
        g_MouseYSpeed = static_cast<float>(y - g_MouseYPrev);
        if (moved) {
            g_MouseXTravel += static_cast<float>(x - g_MouseXRest);
            g_MouseYTravel += static_cast<float>(y - g_MouseYRest);
            g_MouseXRest = x;
            g_MouseYRest = y;
        }

        const float cx = g_widthFactor * g_ScreenCenterX;
        const float cy = g_heightFactor * g_ScreenCenterY;
        const float zone = static_cast<float>(g_MouseMovementZone);
        if (std::fabs(cx - static_cast<float>(x)) > zone || std::fabs(cy - static_cast<float>(y)) > zone) {
            // Back to the centre before the pointer reaches an edge. MoveMouse posts a move
            // event at the centre, so the next call measures this motion once more.
            MoveMouse(static_cast<int>(cx), static_cast<int>(cy));
            g_MouseXPrev = static_cast<int>(cx - g_MouseXSpeed);
            g_MouseYPrev = static_cast<int>(cy - g_MouseYSpeed);
            // The pointer itself now rests at the centre: the repeat is no motion of the player's.
            g_MouseXRest = static_cast<int>(cx);
            g_MouseYRest = static_cast<int>(cy);
        } else {
            g_MouseXPrev = x;
            g_MouseYPrev = y;
        }
        return 0;
    });
}

void ResetMouseTravel() {
    g_MouseXTravel = 0.0f;
    g_MouseYTravel = 0.0f;
}

int CheckForCommandQ() {
    if (AppTerminate()) return 1;
    int command = (KeyDown(KEY_LCOMMAND) || KeyDown(KEY_RCOMMAND)) ? 1 : 0;
    if (KeyDown(KEY_Q)) {
        // Command must have been down, with Q still up, on an earlier call.
        if (g_cmdIsDown == 1) {
            g_cmdIsDown = 0;
            return 1;
        }
        return 0;
    }
    g_cmdIsDown = command;
    return 0;
}
