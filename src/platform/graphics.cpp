// The screen: display modes, the window and its GL context, the draw calls of both
// backends, their recording for layout tests, and the paced Flip.
#include "platform/graphics.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "platform/files.h"
#include "platform/gl_backend.h"
#include "platform/graphics_internal.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "platform/sdl_internal.h"

namespace {

// What the game gets before any display answers, and on the headless backend unless a
// test describes another display.
constexpr GraphicsMode kFallbackMode = {1024, 768, 32, 60};
constexpr int kDefaultHertz = 60;

// The headless display: its listed modes (none: the desktop mode is the one entry), its
// desktop, the modes it refuses to open, and every Graphics call it was asked for.
std::vector<GraphicsMode> g_headlessModes;
GraphicsMode g_headlessDesktop = kFallbackMode;
std::function<bool(const GraphicsMode&)> g_headlessRefusal;
std::vector<GraphicsCall> g_graphicsCalls;

// BX2_REFUSE_OPENS: the ordinals of the Graphics calls to refuse, and the calls counted so far.
std::set<long long> g_refusedOpens;
long long g_opensAsked = 0;

SDL_Window* g_window = nullptr;
SDL_GLContext g_context = nullptr;
bool g_open = false;
int g_width = 0;
int g_height = 0;
int g_generation = 0;
int g_refresh = kDefaultHertz;
int g_swapInterval = -1;  // not set yet
bool g_shutdownRegistered = false;
int g_lastFrameDrawCalls = 0;
bool g_lastFrameDrawn = false;

bool g_flipped = false;
std::chrono::steady_clock::time_point g_lastFlip;

bool g_recording = false;
std::vector<DrawCall> g_calls;

GraphicsMode ModeFrom(const SDL_DisplayMode& m) {
    int bits = static_cast<int>(SDL_BITSPERPIXEL(m.format));
    // 24-bit colour is stored in 32-bit pixels; the game knows it as 32.
    if (bits == 24 || bits == 0) bits = 32;
    return {m.w, m.h, bits, m.refresh_rate > 0 ? m.refresh_rate : kDefaultHertz};
}

GraphicsMode DesktopMode() {
    if (IsHeadless()) return g_headlessDesktop;
    SDL_DisplayMode m;
    if (!EnsureSdlVideo() || SDL_GetDesktopDisplayMode(0, &m) != 0 || m.w <= 0 || m.h <= 0) return kFallbackMode;
    return ModeFrom(m);
}

std::vector<GraphicsMode> ListModes() {
    if (IsHeadless()) return g_headlessModes.empty() ? std::vector<GraphicsMode>{g_headlessDesktop} : g_headlessModes;
    if (!EnsureSdlVideo()) return {kFallbackMode};
    std::vector<GraphicsMode> modes;
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0) continue;
        GraphicsMode mode = ModeFrom(m);
        // Pixel formats that differ only in layout look the same to the game.
        if (std::find(modes.begin(), modes.end(), mode) == modes.end()) modes.push_back(mode);
    }
    if (modes.empty()) modes.push_back(DesktopMode());
    return modes;
}

void CloseWindow() {
    // The frames kept go with the screen, headless too.
    GlEnd();
    if (g_context) SDL_GL_DeleteContext(g_context);
    if (g_window) {
        SDL_DelEventWatch(WatchWindowEvents, nullptr);
        SDL_DestroyWindow(g_window);
    }
    g_context = nullptr;
    g_window = nullptr;
}

// The desktop shows the game's own picture on its window and in its task lists. A data folder
// without one keeps the desktop's default; one that cannot be read is only said.
void SetWindowIcon(SDL_Window* window) {
    const std::string path = DataFolder() + "data/images/icon.png";
    if (FileType(path) != 1) return;
    const TPixmapPtr icon = LoadPixmap(path);
    SDL_Surface* surface = nullptr;
    if (icon && icon->width > 0 && icon->height > 0) {
        surface = SDL_CreateRGBSurfaceWithFormatFrom(icon->PixelPtr(0, 0), icon->width, icon->height, 32,
                                                     icon->pitch * 4, SDL_PIXELFORMAT_RGBA32);
    }
    if (!surface) {
        std::fprintf(stderr, "The window icon %s could not be read; the window has the desktop's default icon.\n",
                     Latin1ToUtf8(path).c_str());
        std::fflush(stderr);
        return;
    }
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

bool OpenWindow(int width, int height, int depth, int hertz) {
    if (!EnsureSdlVideo()) return false;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);

    bool fullscreen = depth != 0;
    std::string title = Latin1ToUtf8(AppTitle);
    g_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!g_window) return false;
    SDL_AddEventWatch(WatchWindowEvents, nullptr);
    SetWindowIcon(g_window);
    g_refresh = hertz > 0 ? hertz : kDefaultHertz;
    if (fullscreen) {
        SDL_DisplayMode want = {SDL_PIXELFORMAT_UNKNOWN, width, height, hertz, nullptr};
        SDL_DisplayMode mode;
        if (SDL_GetClosestDisplayMode(0, &want, &mode)) SDL_SetWindowDisplayMode(g_window, &mode);
        if (SDL_SetWindowFullscreen(g_window, SDL_WINDOW_FULLSCREEN) != 0) {
            CloseWindow();
            return false;
        }
        SDL_DisplayMode actual;
        if (SDL_GetWindowDisplayMode(g_window, &actual) == 0 && actual.refresh_rate > 0) {
            g_refresh = actual.refresh_rate;
        }
    }
    g_context = SDL_GL_CreateContext(g_window);
    if (!g_context || SDL_GL_MakeCurrent(g_window, g_context) != 0) {
        CloseWindow();
        return false;
    }
    SDL_GL_GetDrawableSize(g_window, &g_width, &g_height);
    SDL_GL_SetSwapInterval(1);
    g_swapInterval = 1;
    return true;
}

// Frames never come faster than the refresh rate: the game's speed comes from measured
// milliseconds, and a frame of 0 ms would freeze it.
void PaceFrame() {
    using Clock = std::chrono::steady_clock;
    Clock::time_point now = Clock::now();
    if (g_flipped && !UsingTestClock()) {
        Clock::time_point due = g_lastFlip + std::chrono::microseconds(1000000 / std::max(g_refresh, 1));
        if (now < due) {
            std::this_thread::sleep_until(due);
            now = Clock::now();
        }
    }
    g_lastFlip = now;
    g_flipped = true;
}

// Where the four corners of a w x h box at item point (bx, by) land.
void PlaceBox(const DrawState& s, float x, float y, float hx, float hy, float bx, float by, float w, float h,
              Point out[4]) {
    out[0] = PlacePoint(s, x, y, hx, hy, bx, by);
    out[1] = PlacePoint(s, x, y, hx, hy, bx + w, by);
    out[2] = PlacePoint(s, x, y, hx, hy, bx + w, by + h);
    out[3] = PlacePoint(s, x, y, hx, hy, bx, by + h);
}

DrawCall& Record(DrawKind kind, float x, float y) {
    DrawCall& call = g_calls.emplace_back();
    call.kind = kind;
    call.state = CurrentDrawState();
    call.x = x;
    call.y = y;
    return call;
}

void DrawGlyphs(const DrawState& s, const TImageFont& font, const std::string& text, float x, float y) {
    if (!font.atlas || font.atlas->frames.empty()) return;
    TImage& atlas = *font.atlas;
    unsigned texture = GlTexture(atlas, 0);
    if (!texture || atlas.width <= 0 || atlas.height <= 0) return;
    float aw = static_cast<float>(atlas.width), ah = static_cast<float>(atlas.height);
    int pen = 0;
    for (unsigned char c : text) {
        const TGlyph& g = font.glyphs[c];
        if (g.present && g.w > 0 && g.h > 0) {
            Point corners[4];
            PlaceBox(s, x, y, s.handleX, s.handleY, static_cast<float>(pen + g.offsetX), static_cast<float>(g.offsetY),
                     static_cast<float>(g.w), static_cast<float>(g.h), corners);
            GlQuad(s, texture, corners, g.x / aw, g.y / ah, (g.x + g.w) / aw, (g.y + g.h) / ah);
        }
        pen += g.advance;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
namespace {
// Why SDL's video could not be used; empty while it is up or not yet tried.
std::string g_videoRefusal;

// Without a display SDL quietly falls back to drivers that draw nowhere: the game would run
// unseen for ever. Only the headless backend may run without a window.
bool IsInvisibleDriver(const char* name) {
    return name && (std::string(name) == "offscreen" || std::string(name) == "dummy" || std::string(name) == "evdev");
}
}  // namespace

bool EnsureSdlVideo() {
    if (IsHeadless()) return false;
    static int state = 0;  // 1 up, -1 failed: no display will appear later in the run
    if (state != 0) return state == 1;
    state = -1;
    if (InitSdlSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        g_videoRefusal = std::string("the video system would not start (") + SDL_GetError() + ")";
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (IsInvisibleDriver(driver)) {
        g_videoRefusal = std::string("no display was found (SDL offered only its \"") + driver +
                         "\" video driver, which shows nothing)";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    state = 1;
    return true;
}

bool DisplayAvailable(std::string& why) {
    why.clear();
    if (IsHeadless() || EnsureSdlVideo()) return true;
    why = g_videoRefusal;
    return false;
}

SDL_Window* PlatformWindow() { return g_window; }

int WatchWindowEvents(void*, SDL_Event* event) {
    if (event->type == SDL_WINDOWEVENT) GlRedrawNext();
    return 0;
}

int CountGraphicsModes() { return static_cast<int>(ListModes().size()); }

bool GetGraphicsMode(int index, int& width, int& height, int& depth, int& hertz) {
    std::vector<GraphicsMode> modes = ListModes();
    if (index < 0 || index >= static_cast<int>(modes.size())) return false;
    const GraphicsMode& m = modes[index];
    width = m.width, height = m.height, depth = m.depth, hertz = m.hertz;
    return true;
}

int DesktopWidth() { return DesktopMode().width; }
int DesktopHeight() { return DesktopMode().height; }
int DesktopDepth() { return DesktopMode().depth; }
int DesktopHertz() { return DesktopMode().hertz; }

bool Graphics(int width, int height, int depth, int hertz, int flags) {
    EndGraphics();
    // A clip is a rectangle of the old screen's pixels: on a new screen it would crop every
    // menu to the old size until something set another.
    SetViewport(0, 0, 0, 0);
    GraphicsCall& call = g_graphicsCalls.emplace_back();
    call.mode = {width, height, depth, hertz};
    call.flags = flags;
    ++g_opensAsked;
    if (width <= 0 || height <= 0) return false;
    if (IsHeadless() && g_headlessRefusal && g_headlessRefusal(call.mode)) return false;
    if (g_refusedOpens.count(g_opensAsked) != 0) return false;
    if (!g_shutdownRegistered) {
        g_shutdownRegistered = true;
        RegisterShutdown(20, [] {
            g_shutdownRegistered = false;
            EndGraphics();
        });
    }
    if (IsHeadless()) {
        g_width = width;
        g_height = height;
        g_refresh = hertz > 0 ? hertz : kDefaultHertz;
    } else if (!OpenWindow(width, height, depth, hertz)) {
        return false;
    }
    g_open = true;
    call.opened = true;
    // Every texture made so far belonged to the old context: images upload again lazily.
    ++g_generation;
    GlBegin(g_width, g_height, g_generation, g_context != nullptr);
    return true;
}

void EndGraphics() {
    if (!g_open) return;
    CloseWindow();
    g_open = false;
    g_width = 0;
    g_height = 0;
}

bool GraphicsOpen() { return g_open; }
int GraphicsWidth() { return g_width; }
int GraphicsHeight() { return g_height; }
int GraphicsGeneration() { return g_generation; }

void SetHeadlessGraphicsModes(std::vector<GraphicsMode> modes) { g_headlessModes = std::move(modes); }
void SetHeadlessDesktopMode(const GraphicsMode& mode) { g_headlessDesktop = mode; }
void SetHeadlessGraphicsRefusal(std::function<bool(const GraphicsMode&)> refuse) {
    g_headlessRefusal = std::move(refuse);
}
const std::vector<GraphicsCall>& RecordedGraphicsCalls() { return g_graphicsCalls; }
void ResetHeadlessGraphics() {
    g_headlessModes.clear();
    g_headlessDesktop = kFallbackMode;
    g_headlessRefusal = nullptr;
    g_graphicsCalls.clear();
}

void ApplyOpenRefusalsFromEnvironment() {
    g_refusedOpens.clear();
    g_opensAsked = 0;
    const char* v = std::getenv("BX2_REFUSE_OPENS");
    if (!v) return;
    // Digits and commas only, each number from 1 up: a typing mistake must not pass unseen.
    std::set<long long> ordinals;
    long long number = 0;
    bool ok = true, inNumber = false;
    for (const char* c = v;; ++c) {
        if (*c >= '0' && *c <= '9') {
            number = number * 10 + (*c - '0');
            inNumber = true;
            if (number > 1000000) ok = false;
        } else if ((*c == ',' || *c == 0) && inNumber && number >= 1) {
            ordinals.insert(number);
            number = 0;
            inNumber = false;
        } else {
            ok = false;
        }
        if (!ok || *c == 0) break;
    }
    if (!ok) {
        std::fprintf(stderr,
                     "BX2_REFUSE_OPENS must be a list of whole numbers from 1 up such as \"2,3\", not \"%s\"; every "
                     "screen is opened as asked.\n",
                     v);
        std::fflush(stderr);
        return;
    }
    g_refusedOpens = std::move(ordinals);
}

void Cls() {
    if (g_recording) Record(DrawKind::Cls, 0, 0);
    GlClear(CurrentDrawState());
}

void Flip(int sync) {
    if (g_recording) Record(DrawKind::Flip, 0, 0);
    // A frame the same as the one on screen is neither drawn nor swapped, but paced as any.
    g_lastFrameDrawn = GlEndFrame();
    if (g_lastFrameDrawn && g_context) {
        int interval = sync == 0 ? 0 : 1;
        if (interval != g_swapInterval) {
            SDL_GL_SetSwapInterval(interval);
            g_swapInterval = interval;
        }
        SDL_GL_SwapWindow(g_window);
    }
    g_lastFrameDrawCalls = GlTakeDrawCalls();
    PaceFrame();
    PumpEvents();
    ClockFrameTick();
    TraceFrame();
}

// ---------------------------------------------------------------------------
void DrawRect(float x, float y, float width, float height) {
    const DrawState& s = CurrentDrawState();
    Point corners[4];
    PlaceBox(s, x, y, s.handleX, s.handleY, 0, 0, width, height, corners);
    if (g_recording) {
        DrawCall& call = Record(DrawKind::Rect, x, y);
        call.w = width;
        call.h = height;
        call.corners.assign(corners, corners + 4);
    }
    GlQuad(s, 0, corners, 0, 0, 0, 0);
}

void DrawLine(float x1, float y1, float x2, float y2) {
    const DrawState& s = CurrentDrawState();
    // The line is an item starting at its first point, so the handle and transform
    // act on it as on a rectangle there.
    Point a = PlacePoint(s, x1, y1, s.handleX, s.handleY, 0, 0);
    Point b = PlacePoint(s, x1, y1, s.handleX, s.handleY, x2 - x1, y2 - y1);
    if (g_recording) {
        DrawCall& call = Record(DrawKind::Line, x1, y1);
        call.w = x2;
        call.h = y2;
        call.corners = {a, b};
    }
    GlLine(s, a, b);
}

void DrawImage(const TImagePtr& image, float x, float y, int frame) {
    // A missing image or frame raises, for the caller's handler to catch.
    TImage& img = Deref(image);
    At(img.frames, frame);
    const DrawState& s = CurrentDrawState();
    Point corners[4];
    PlaceBox(s, x, y, img.handleX, img.handleY, 0, 0, static_cast<float>(img.width), static_cast<float>(img.height),
             corners);
    if (g_recording) {
        DrawCall& call = Record(DrawKind::Image, x, y);
        call.image = image;
        call.frame = frame;
        call.corners.assign(corners, corners + 4);
    }
    if (!GlActive()) return;
    unsigned texture = GlTexture(img, frame);
    if (texture) GlQuad(s, texture, corners, 0, 0, 1, 1);
}

void DrawText(const std::string& text, float x, float y) {
    const DrawState& s = CurrentDrawState();
    TImageFontPtr font = s.font ? s.font : BuiltinFont();
    if (g_recording) {
        DrawCall& call = Record(DrawKind::Text, x, y);
        call.text = text;
        Point corners[4];
        PlaceBox(s, x, y, s.handleX, s.handleY, 0, 0, static_cast<float>(TextWidth(text)),
                 static_cast<float>(TextHeight(text)), corners);
        call.corners.assign(corners, corners + 4);
    }
    if (GlActive() && font) DrawGlyphs(s, *font, text, x, y);
}

// ---------------------------------------------------------------------------
void StartRecording() {
    g_calls.clear();
    g_recording = true;
}

std::vector<DrawCall> StopRecording() {
    g_recording = false;
    std::vector<DrawCall> calls = std::move(g_calls);
    g_calls.clear();
    return calls;
}

const std::vector<DrawCall>& RecordedCalls() { return g_calls; }

int LastFrameDrawCalls() { return g_lastFrameDrawCalls; }
bool LastFrameDrawn() { return g_lastFrameDrawn; }

// Reads what was drawn so far: call it after drawing a frame and before its Flip.
TPixmapPtr GrabScreen() { return GlReadScreen(); }
