// The screen: graphics modes, the window, the sticky drawing state and the draw calls.
// The real backend draws with OpenGL; the headless one only keeps the state and can
// record every call with the state it was made in.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/font.h"
#include "platform/image.h"

// ---------------------------------------------------------------------------
// Modes. 24-bit formats report depth 32, an unknown refresh 60. When the system
// lists none, the desktop mode is the one entry.
struct GraphicsMode {
    int width = 0, height = 0, depth = 0, hertz = 0;
    bool operator==(const GraphicsMode&) const = default;
};
int CountGraphicsModes();
bool GetGraphicsMode(int index, int& width, int& height, int& depth, int& hertz);
int DesktopWidth();
int DesktopHeight();
int DesktopDepth();
int DesktopHertz();

// The real backend's display: false, with the reason in why, when SDL's video will not start
// or would only run on a driver that shows nothing (off-screen, dummy). Always true headless.
bool DisplayAvailable(std::string& why);

// depth 0 opens a window, anything else full screen. Returns false when it fails.
bool Graphics(int width, int height, int depth = 0, int hertz = 60, int flags = 0);
void EndGraphics();
bool GraphicsOpen();
int GraphicsWidth();
int GraphicsHeight();
// Counts the contexts opened so far; textures made on an older one are stale.
int GraphicsGeneration();

// Every Graphics call of the run, on both backends, with whether it opened the screen.
struct GraphicsCall {
    GraphicsMode mode;  // as asked: depth 0 is a window
    int flags = 0;
    bool opened = false;
};
const std::vector<GraphicsCall>& RecordedGraphicsCalls();

// The headless display, for tests of the mode choice: the listed modes (an empty list
// lists the desktop mode alone), the desktop mode, and the modes Graphics refuses to open
// (null: it opens every size above 0). ResetHeadlessGraphics brings back the default
// 1024 x 768, 32-bit, 60 Hz desktop, drops the refusal and forgets the recorded calls.
void SetHeadlessGraphicsModes(std::vector<GraphicsMode> modes);
void SetHeadlessDesktopMode(const GraphicsMode& mode);
void SetHeadlessGraphicsRefusal(std::function<bool(const GraphicsMode&)> refuse);
void ResetHeadlessGraphics();

// The test hook of both backends, for the roads taken when a display will not open a mode (a
// virtual X server opens any window): BX2_REFUSE_OPENS="2,4,5" makes the 2nd, 4th and 5th
// Graphics calls from here on fail as such a display would. Without the variable every call is
// tried; a value that is not a list of whole numbers from 1 up is refused with a message on
// standard error, and every call is tried.
void ApplyOpenRefusalsFromEnvironment();

void Cls();
// Presents the frame: 1 waits for the vertical blank, -1 the default, 0 does not wait.
// Never runs faster than the mode's refresh rate, and pumps window events.
void Flip(int sync = -1);

// ---------------------------------------------------------------------------
// Drawing state: global and sticky until changed.
enum BlendMode : int { MASKBLEND = 1, SOLIDBLEND = 2, ALPHABLEND = 3, LIGHTBLEND = 4, SHADEBLEND = 5 };

struct DrawState {
    float originX = 0, originY = 0;
    float handleX = 0, handleY = 0;
    float rotation = 0;  // degrees, clockwise on the y-down screen
    float scaleX = 1, scaleY = 1;
    int red = 255, green = 255, blue = 255;
    float alpha = 1;
    int blend = MASKBLEND;
    // Clip rectangle, top-left origin, window pixels. 0 x 0 is the whole screen; any other
    // rectangle without area (a crop that closed up) hides everything drawn.
    int viewportX = 0, viewportY = 0, viewportW = 0, viewportH = 0;
    TImageFontPtr font;  // null: the built-in font
};
const DrawState& CurrentDrawState();

void SetOrigin(float x, float y);
void GetOrigin(float& x, float& y);
void SetHandle(float x, float y);
void GetHandle(float& x, float& y);
void SetRotation(float degrees);
float GetRotation();
void SetScale(float sx, float sy);
void GetScale(float& sx, float& sy);
void SetTransform(float degrees = 0, float sx = 1, float sy = 1);
void SetColor(int red, int green, int blue);
void GetColor(int& red, int& green, int& blue);
void SetAlpha(float alpha);
float GetAlpha();
void SetBlend(int mode);
int GetBlend();
void SetViewport(int x, int y, int width, int height);
void GetViewport(int& x, int& y, int& width, int& height);
void SetImageFont(const TImageFontPtr& font);
TImageFontPtr GetImageFont();  // null when the built-in font is in use

// Where a point p of an item (its own unscaled pixels) lands on screen:
// origin + (x, y) + R(rotation) * S(scale) * (p - handle).
struct Point {
    float x = 0, y = 0;
};
Point PlacePoint(const DrawState& state, float x, float y, float handleX, float handleY, float px, float py);

// OpenGL's source and destination factors for a blend mode (GL enum values), and
// whether it blends at all and whether it discards texels below alpha 0.5.
struct BlendFactors {
    bool blending = false;
    unsigned src = 0, dst = 0;
    bool alphaTest = false;
};
BlendFactors BlendFactorsFor(int mode);

// ---------------------------------------------------------------------------
// Draw calls.
void DrawRect(float x, float y, float width, float height);
void DrawLine(float x1, float y1, float x2, float y2);
void DrawImage(const TImagePtr& image, float x, float y, int frame = 0);
// Top-left anchored at the global handle, one Latin-1 byte a glyph.
void DrawText(const std::string& text, float x, float y);

// ---------------------------------------------------------------------------
// Recording, for layout tests on the headless backend.
enum class DrawKind { Cls, Rect, Line, Image, Text, Flip };
struct DrawCall {
    DrawKind kind = DrawKind::Cls;
    DrawState state;     // the state the call was made in
    float x = 0, y = 0;  // the call's position arguments
    float w = 0, h = 0;  // Rect size; Line end point
    TImagePtr image;     // Image
    int frame = 0;
    std::string text;            // Text
    std::vector<Point> corners;  // where the item's corners land: Rect, Image and Text
                                 // box top-left, top-right, bottom-right, bottom-left;
                                 // a Line's two ends
};
void StartRecording();
std::vector<DrawCall> StopRecording();
const std::vector<DrawCall>& RecordedCalls();

// How many GL draw calls the last Flip drew its frame with (batching is visible here); 0
// when it drew nothing.
int LastFrameDrawCalls();
// Whether the last Flip drew and showed its frame. A frame the same as the one on screen is
// left out, on both backends, unless the window may have lost its picture since.
bool LastFrameDrawn();
// Reads the back buffer of the real backend as RGBA, rows top to bottom; null headless.
// It holds what was drawn since the last Flip: call it after drawing, before Flip, which then
// shows that frame even when it is the same as the last.
TPixmapPtr GrabScreen();
