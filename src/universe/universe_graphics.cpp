// The screen: which display mode to open, opening it with the player's settings and the
// ways back when it will not open, the screen factors, and the in-game buttons' layout.
#include <iostream>

#include "core/debuglog.h"
#include "core/errors.h"
#include "core/globals.h"
#include "core/numbertext.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "universe/universe.h"

namespace {

constexpr GraphicsMode kCandidateSizes[] = {{1024, 768, 0, 0}, {800, 600, 0, 0}, {640, 480, 0, 0}};

// The logical screen when the preferences give none that can be divided by.
constexpr int kDefaultVirtualWidth = 1024;
constexpr int kDefaultVirtualHeight = 768;

GraphicsMode ReadMode(int index) {
    GraphicsMode m;
    if (!GetGraphicsMode(index, m.width, m.height, m.depth, m.hertz)) RuntimeError(kBadIndexMessage);
    return m;
}

GraphicsMode DesktopSetting() { return {g_desktopWidth, g_desktopHeight, g_desktopDepth, g_desktopHertz}; }

bool IsListed(const GraphicsMode& mode) {
    const int count = CountGraphicsModes();
    for (int i = 0; i < count; ++i) {
        if (ReadMode(i) == mode) return true;
    }
    return false;
}

std::string ModeText(const GraphicsMode& m) {
    return IntToText(m.width) + "x" + IntToText(m.height) + ", " + IntToText(m.depth) + "-bit color @" +
           IntToText(m.hertz) + "Hz";
}

struct InGameRow {
    MenuButtonPtr Universe::*button;
    const char* label;
    int row;
};
// Row 2 stays empty, between the two new-game buttons and the two ways out.
constexpr InGameRow kInGameRows[] = {
    {&Universe::buttonNewFromThisLevel, "New Game From This Level", 0},
    {&Universe::buttonNewGame, "New Game From Beginning", 1},
    {&Universe::buttonQuitToMain, "Quit To Menu", 3},
    {&Universe::buttonQuitCompletely, "Quit Brondelvix 2", 4},
};

// The listed mode with the caller's width, height, rate and depth over it (a window has no
// depth), or the desktop's own mode when asked for and known.
GraphicsMode RequestedMode(int modeIndex, int width, int height, int fullscreen, int hertz, int depth, int desktop) {
    // The platform always draws with OpenGL, so there is no driver to choose.
    GraphicsMode mode = ReadMode(modeIndex);
    if (width > 0) mode.width = width;
    if (height > 0) mode.height = height;
    if (hertz > 0) mode.hertz = hertz;
    if (depth > 0) mode.depth = depth;
    if (fullscreen == 0) mode.depth = 0;
    // Comes after the window request: the desktop's own mode is always full screen.
    const GraphicsMode desktopMode = DesktopSetting();
    if (desktop > 0 && desktopMode.width > 0 && desktopMode.height > 0 && desktopMode.depth > 0 &&
        desktopMode.hertz > 0) {
        mode = desktopMode;
    }
    return mode;
}

// A window opens at any size; full screen only in a mode the display lists, else the desktop's
// own mode where listed, else the best one the display offers.
GraphicsMode UsableMode(Universe& universe, GraphicsMode mode) {
    if (mode.depth == 0 || IsListed(mode)) return mode;
    const GraphicsMode desktopMode = DesktopSetting();
    bool usable = false;
    const int count = CountGraphicsModes();
    for (int i = 0; i < count; ++i) {
        if (ReadMode(i) != desktopMode) continue;
        mode = ReadMode(i);
        usable = true;
    }
    return usable ? mode : ReadMode(universe.PickOptimalGraphicsMode());
}

// A logical size of 0 or less in the preferences would give infinite or negative factors and
// centre every menu's buttons off the screen: the default one is used throughout.
void SetScreenFactors(int screenWidth, int screenHeight) {
    if (g_virtualWidth <= 0) g_virtualWidth = kDefaultVirtualWidth;
    if (g_virtualHeight <= 0) g_virtualHeight = kDefaultVirtualHeight;
    g_widthFactor = static_cast<float>(screenWidth) / static_cast<float>(g_virtualWidth);
    g_heightFactor = static_cast<float>(screenHeight) / static_cast<float>(g_virtualHeight);
}
}  // namespace

int Universe::PickOptimalGraphicsMode() {
    return Guarded("universe:Universe.PickOptimalGraphicsMode() ", 0, [&] {
        int bestIndex = -1;
        int bestHertz = -1;
        int bestDepth = -1;
        for (const GraphicsMode& size : kCandidateSizes) {
            if (bestIndex != -1) break;
            const int count = CountGraphicsModes();
            for (int i = 0; i < count; ++i) {
                const GraphicsMode m = ReadMode(i);
                if (m.width != size.width || m.height != size.height) continue;
                if (m.hertz < bestHertz || m.depth < bestDepth) continue;
                if (m.hertz > g_desktopHertz || m.depth > g_desktopDepth) continue;
                bestIndex = i;
                bestHertz = m.hertz;
                bestDepth = m.depth;
            }
        }
        if (bestIndex == -1) {
            const int count = CountGraphicsModes();
            for (int i = 0; i < count; ++i) {
                if (ReadMode(i) == DesktopSetting()) bestIndex = i;
            }
        }
        if (bestIndex == -1) {
            ThrowError(-15,
                       "Could not set screen to an appropriate graphics mode (1024x768, 800x600, and 640x480 all "
                       "failed.)\n\nPlease visit the Brondelvix 2! web site for help with this problem.");
            return 0;
        }
        return bestIndex;
    });
}

int Universe::UseGraphicsMode(int modeIndex, int width, int height, int fullscreen, int hertz, int depth, int desktop) {
    int opened = 0;
    Guarded("universe:Universe.UseGraphicsMode() ", 0, [&] {
        GraphicsMode mode = RequestedMode(modeIndex, width, height, fullscreen, hertz, depth, desktop);
        screenWidth = mode.width, screenHeight = mode.height, screenDepth = mode.depth, screenHertz = mode.hertz;
        mode = UsableMode(*this, mode);
        screenWidth = mode.width, screenHeight = mode.height, screenDepth = mode.depth, screenHertz = mode.hertz;

        if (!Graphics(screenWidth, screenHeight, screenDepth, screenHertz, 0)) {
            // Expected on some displays and recovered by the callers, who try other modes; a
            // debug-log line would stop the next game start, so it is said on standard error.
            std::cerr << "The screen would not open at " << Latin1ToUtf8(ModeText(mode)) << "." << std::endl;
            return 0;
        }
        opened = 1;
        Cls();
        Flip(-1);

        SetScreenFactors(screenWidth, screenHeight);
        ThrowError(1, "Graphics mode: " + ModeText(mode));
        ThrowError(1, "Scale ratio: " + FloatToText(g_widthFactor) + " : " + FloatToText(g_heightFactor));

        if (g_LargeFont) SetImageFont(g_LargeFont);
        // Every label is in place before the first button measures its own.
        for (const InGameRow& r : kInGameRows) Deref(this->*r.button).text = GetLocalizedString(r.label);
        for (const InGameRow& r : kInGameRows) Deref(this->*r.button).Position(-1000, -1000, 400, -1, 1);
        for (const InGameRow& r : kInGameRows) Deref(this->*r.button).PositionButtonOnMenu(r.row, 5, 210, 354, 4);
        return 0;
    });
    // Whether this call opened the screen, even when something after the opening failed:
    // the callers try another mode only when there is no screen at all.
    return opened;
}

int Universe::OpenGraphicsWithFallback(int modeIndex, int width, int height, int fullscreen, int hertz, int depth,
                                       int desktop, std::optional<GraphicsMode> previous) {
    return Guarded("universe:Universe.OpenGraphicsWithFallback() ", 0, [&] {
        if (UseGraphicsMode(modeIndex, width, height, fullscreen, hertz, depth, desktop)) return 1;
        // After a way back the settings name the screen that is open, so that the preferences
        // written next keep one that opens.
        if (previous) {
            std::cerr << "Going back to the previous screen mode." << std::endl;
            const int previousFullscreen = previous->depth == 0 ? 0 : 1;
            if (UseGraphicsMode(modeIndex, previous->width, previous->height, previousFullscreen, previous->hertz,
                                previous->depth, 0)) {
                g_isFullscreen = previousFullscreen;
                g_ScreenWidth = previous->width;
                g_ScreenHeight = previous->height;
                return 1;
            }
        }
        std::cerr << "Trying a 1024x768 window." << std::endl;
        if (!UseGraphicsMode(modeIndex, 1024, 768, 0, -1, -1, 0)) return 0;
        g_isFullscreen = 0;
        g_ScreenWidth = 1024;
        g_ScreenHeight = 768;
        return 1;
    });
}

void EndWithoutScreen() {
    const std::string detail = "No screen would open, not even a 1024x768 window.";
    try {
        ThrowError(-15, detail);
    } catch (...) {
        // Logged as its severity says; the end below follows in every case.
    }
    const std::string message = GetErrorMessage(-15) + " (" + detail + ")";
    ShowMouse();
    EndGraphics();
    if (!g_DebugLog.empty()) WriteDebugLog(message, kCannotGoOnStatus);
    Notify(message, true);
    End(kCannotGoOnStatus);
}
