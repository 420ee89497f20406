// The sticky drawing state, the placement transform and the blend factors, shared by
// both backends.
#include <GL/gl.h>

#include <cmath>

#include "platform/graphics.h"

namespace {
DrawState g_state;
}

const DrawState& CurrentDrawState() { return g_state; }

void SetOrigin(float x, float y) { g_state.originX = x, g_state.originY = y; }
void GetOrigin(float& x, float& y) { x = g_state.originX, y = g_state.originY; }
void SetHandle(float x, float y) { g_state.handleX = x, g_state.handleY = y; }
void GetHandle(float& x, float& y) { x = g_state.handleX, y = g_state.handleY; }
void SetRotation(float degrees) { g_state.rotation = degrees; }
float GetRotation() { return g_state.rotation; }
void SetScale(float sx, float sy) { g_state.scaleX = sx, g_state.scaleY = sy; }
void GetScale(float& sx, float& sy) { sx = g_state.scaleX, sy = g_state.scaleY; }
void SetTransform(float degrees, float sx, float sy) {
    SetRotation(degrees);
    SetScale(sx, sy);
}
static int ClampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
void SetColor(int red, int green, int blue) {
    g_state.red = ClampByte(red), g_state.green = ClampByte(green), g_state.blue = ClampByte(blue);
}
void GetColor(int& red, int& green, int& blue) { red = g_state.red, green = g_state.green, blue = g_state.blue; }
void SetAlpha(float alpha) { g_state.alpha = alpha < 0 ? 0 : alpha > 1 ? 1 : alpha; }
float GetAlpha() { return g_state.alpha; }
void SetBlend(int mode) { g_state.blend = mode; }
int GetBlend() { return g_state.blend; }
void SetViewport(int x, int y, int width, int height) {
    g_state.viewportX = x, g_state.viewportY = y, g_state.viewportW = width, g_state.viewportH = height;
}
void GetViewport(int& x, int& y, int& width, int& height) {
    x = g_state.viewportX, y = g_state.viewportY, width = g_state.viewportW, height = g_state.viewportH;
}
void SetImageFont(const TImageFontPtr& font) { g_state.font = font; }
TImageFontPtr GetImageFont() { return g_state.font; }

Point PlacePoint(const DrawState& s, float x, float y, float handleX, float handleY, float px, float py) {
    double rad = s.rotation * (M_PI / 180.0);
    double c = std::cos(rad), sn = std::sin(rad);
    double lx = (px - handleX) * s.scaleX, ly = (py - handleY) * s.scaleY;
    Point p;
    p.x = static_cast<float>(s.originX + x + (lx * c - ly * sn));
    p.y = static_cast<float>(s.originY + y + (lx * sn + ly * c));
    return p;
}

BlendFactors BlendFactorsFor(int mode) {
    switch (mode) {
        case MASKBLEND:
            return {false, GL_ONE, GL_ZERO, true};
        case SOLIDBLEND:
            return {false, GL_ONE, GL_ZERO, false};
        case ALPHABLEND:
            return {true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, false};
        case LIGHTBLEND:
            return {true, GL_SRC_ALPHA, GL_ONE, false};
        case SHADEBLEND:
            return {true, GL_DST_COLOR, GL_ZERO, false};
        default:
            return {false, GL_ONE, GL_ZERO, false};
    }
}
