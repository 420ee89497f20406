// The OpenGL half of the screen: image textures and the frame every draw call feeds. Only
// the graphics module uses it. The headless backend builds and compares frames the same way
// but has no context to draw them with.
#pragma once

#include "platform/graphics.h"
#include "platform/image.h"

// After a screen opens, with a new context made current when context is true: the
// projection for a width x height window in pixels (y down) and the fixed state everything
// is drawn with. The first frame is always drawn.
void GlBegin(int width, int height, int generation, bool context);
// Before the context goes: drops the frame being built.
void GlEnd();
// A screen is open and draw calls build its frame.
bool GlActive();

// The texture of an image frame, uploaded when missing or made on an older context; headless,
// a number standing for it, which a released texture's number may be as with GL.
unsigned GlTexture(TImage& image, int frame);

// One quad, corners top-left, top-right, bottom-right, bottom-left; texture 0 draws
// the plain colour. Texture coordinates span (u0, v0) to (u1, v1).
void GlQuad(const DrawState& state, unsigned texture, const Point corners[4], float u0, float v0, float u1, float v1);
// A line one pixel wide from a to b, both end pixels included.
void GlLine(const DrawState& state, Point a, Point b);
// Clears to black inside the viewport (the whole window when there is none).
void GlClear(const DrawState& state);
// Ends the frame. It is drawn, and true returned for the caller to swap, unless it is the
// frame the window shows: the same clears and quads in the same order with the same state
// and textures, starting with a clear of the whole window, with no texture made and no
// window event since that frame.
bool GlEndFrame();
// The window may no longer show the last frame: the next one is drawn.
void GlRedrawNext();
// Draw calls made since the last time this was asked.
int GlTakeDrawCalls();
// The back buffer, rows top to bottom, opaque; null without a context. Draws the frame so
// far, which the flip then shows.
TPixmapPtr GlReadScreen();
