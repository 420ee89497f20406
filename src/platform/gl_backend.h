// The OpenGL half of the screen: image textures and the quad batch every draw call
// feeds. Only the graphics module uses it, and only while a context is current.
#pragma once

#include "platform/graphics.h"
#include "platform/image.h"

// After a new context is made current: the projection for a width x height window in
// pixels (y down) and the fixed state everything is drawn with.
void GlBegin(int width, int height, int generation);
// Before the context goes: drops whatever is still batched.
void GlEnd();
bool GlActive();

// The texture of an image frame, uploaded when missing or made on an older context.
unsigned GlTexture(TImage& image, int frame);

// One quad, corners top-left, top-right, bottom-right, bottom-left; texture 0 draws
// the plain colour. Texture coordinates span (u0, v0) to (u1, v1).
void GlQuad(const DrawState& state, unsigned texture, const Point corners[4], float u0, float v0, float u1, float v1);
// A line one pixel wide from a to b, both end pixels included.
void GlLine(const DrawState& state, Point a, Point b);
// Clears to black inside the viewport (the whole window when there is none).
void GlClear(const DrawState& state);
void GlFlush();
// Draw calls made since the last time this was asked.
int GlTakeDrawCalls();
// The back buffer, rows top to bottom, opaque.
TPixmapPtr GlReadScreen();
