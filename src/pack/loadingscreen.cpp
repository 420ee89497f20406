// The pack loading screen: the pack's loading picture with "LOADING" and the step's caption,
// one frame per call; the loader's fades come from the screen overlay.
#include "pack/loadingscreen.h"

#include "core/globals.h"
#include "platform/graphics.h"
#include "platform/runtime.h"

namespace {

// Centred on the screen's middle column at height y.
void DrawCentred(const std::string& text, float y) {
    const int half = GraphicsWidth() / 2;
    const float width = static_cast<float>(TextWidth(text)) * g_widthFactor;
    DrawText(text, static_cast<float>(half) - width / 2.0f, y);
}

}  // namespace

int DrawLoadingScreen(const std::string& message, const TImagePtr& image, int red, int green, int blue,
                      const TextLookup& localize) {
    return Guarded("globals:DrawLoadingScreen() ", 0, [&] {
        Cls();
        SetImageFont(g_LargeFont);
        SetOrigin(0, 0);
        SetHandle(0, 0);
        SetBlend(ALPHABLEND);
        SetAlpha(1.0f);
        SetRotation(0);
        // A picture of the logical screen's size covers the real one.
        SetScale(g_widthFactor, g_heightFactor);
        SetColor(255, 255, 255);
        if (image) DrawImage(image, 0, 0, 0);

        // A text that cannot be drawn still leaves a frame that fades.
        Guarded("globals:DrawLoadingScreen(error 2) ", 0, [&] {
            SetColor(red, green, blue);
            DrawCentred(localize("LOADING"), 20.0f * g_heightFactor);
            DrawCentred(localize(message), 155.0f * g_heightFactor);
            return 0;
        });

        ScreenRefresh(0, 0);
        Flip(-1);
        return 0;
    });
}
