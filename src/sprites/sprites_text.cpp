// Floating texts: the pool of 24 score and bonus texts that drift, turn, pulse between white
// and their colour and fade out over the field; and the sprite module's start-up.
#include <cmath>

#include "core/globals.h"
#include "core/numeric.h"
#include "media/mixer.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "sprites/shifter.h"
#include "sprites/sprites.h"
#include "sprites/sprites_internal.h"
#include "text/parser.h"

using namespace spritemath;

std::vector<ImageTextPtr> g_ImageTextArray;

namespace {
constexpr int kImageTextSlots = 24;
}

int ImageText::Unlink() {
    return Guarded("sprites:ImageText.Unlink() ", 0, [&] { return 0; });
}

int ImageText::Create(const std::string& text, float newR, float newG, float newB, float newX, float newY, float newDx,
                      float newDy, float newScale, float newDScale, float newRot, float newDRot, float newCycleRate,
                      float newTtl) {
    // The pulse phase carries over from the slot's previous text.
    textToDraw = text;
    r = newR;
    g = newG;
    b = newB;
    x = newX;
    y = newY;
    dx = newDx;
    dy = newDy;
    scale = newScale;
    dScale = newDScale;
    rot = newRot;
    dRot = newDRot;
    cycleRate = newCycleRate;
    ttl = newTtl;
    return 0;
}

int ImageText::Draw(int update) {
    // "Not above 0" rather than "0 or less", so a NaN life counts as over too.
    if (!(ttl > 0.0f)) return 0;
    const float f = g_gameSpeedFactor;
    if (update == 1) {
        currentCycle = currentCycle + cycleRate * f;
        if (currentCycle > 1.0f) {
            currentCycle = 1.0f;
            cycleRate = -std::fabs(cycleRate);
        } else if (currentCycle < 0.0f) {
            currentCycle = 0.0f;
            cycleRate = std::fabs(cycleRate);
        }
        x = x + dx * f;
        y = y + dy * f;
        scale = scale + dScale * f;
        rot = rot + dRot * f;
        // By remainder: turning a huge angle back one whole turn at a time would never end.
        rot = WrapDegrees(rot);
        if (scale < 0.0f) scale = 0.0f;
    }

    int red = TruncToInt(255.0f - (255.0f - r) * currentCycle);
    int green = TruncToInt(255.0f - (255.0f - g) * currentCycle);
    int blue = TruncToInt(255.0f - (255.0f - b) * currentCycle);
    SetColor(red, green, blue);
    SetScale(scale * g_widthFactor, scale * g_heightFactor);
    SetRotation(rot);
    SetImageFont(g_LargeFont);
    SetAlpha(ttl < 2.0f ? ttl / 2.0f : 1.0f);
    int halfWidth = TextWidth(textToDraw) / 2;
    int halfHeight = TextHeight(textToDraw) / 2;
    DrawText(textToDraw, (x - halfWidth) * g_widthFactor, (y - halfHeight) * g_heightFactor);

    if (update == 1) ttl = ttl - f;
    return 0;
}

// No handler: a failure goes to the piece that scored.
int AddToImageTextArray(const std::string& text, float r, float g, float b, float x, float y, float dx, float dy,
                        float scale, float dScale, float rot, float dRot, float cycleRate, float ttl) {
    // The smallest life is reused, the highest slot among equals: fresh slots (-1) first,
    // from the top down, then expired ones, then the text nearest its end.
    float lowest = 999999.0f;
    int chosen = 0;
    for (size_t i = 0; i < g_ImageTextArray.size(); ++i) {
        const ImageTextPtr& slot = g_ImageTextArray[i];
        if (slot && slot->ttl <= lowest) {
            lowest = slot->ttl;
            chosen = static_cast<int>(i);
        }
    }
    return Deref(At(g_ImageTextArray, chosen))
        .Create(text, r, g, b, x, y, dx, dy, scale, dScale, rot, dRot, cycleRate, ttl);
}

void InitSprites() {
    static bool done = false;
    if (done) return;
    done = true;
    InitGlobals();
    InitParser();
    InitRandom();
    InitShifter();
    InitMixer();
    g_ImageTextArray.clear();
    for (int i = 0; i < kImageTextSlots; ++i) g_ImageTextArray.push_back(std::make_shared<ImageText>());
}
