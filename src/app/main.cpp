// The game's entry point.
#include "platform/platform.h"

int main() {
    SetBackend(BackendFromEnvironment());
    ApplyClockFromEnvironment();
    OpenAudio();
    if (!Graphics(1024, 768, 0, 60)) {
        Notify("Could not open a 1024 x 768 window.", true);
        return 1;
    }
    // Until the game itself stands, show the title and wait for Escape or a close.
    auto font = LoadImageFont(DataFolder() + "data/fonts/DejaVuSans.ttf", 36, 4);
    while (!AppTerminate() && !KeyHit(KEY_ESCAPE)) {
        Cls();
        SetBlend(ALPHABLEND);
        SetImageFont(font);
        std::string title = AppTitle;
        DrawText(title, (GraphicsWidth() - TextWidth(title)) / 2.0f, GraphicsHeight() / 2.0f - 18);
        Flip(1);
        if (IsHeadless()) break;
    }
    End();
}
