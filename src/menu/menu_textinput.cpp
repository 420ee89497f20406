// The text entry: one frame of prompt and text, then one typed character applied to the
// caller's text; the caller loops on it until Enter or Escape, so the screen stands still
// between keystrokes.
#include <cstring>

#include "core/globals.h"
#include "media/menubutton.h"
#include "media/mixer.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "platform/graphics.h"
#include "platform/input.h"

namespace {

// The longest text typing can make; a longer text from the caller only shortens.
constexpr size_t kMaxTextLength = 16;
// Never appended, at any length: they have a meaning in file names or in the game's files.
constexpr char kRefused[] = "*+=[]{}/\\<>.:?\"";

// The universe's sound as it is at the keystroke.
void PlayMenuSound(SoundPtr Universe::*sound) {
    Deref(g_MasterMixer).AddSound(Deref(g_gameUniverse).*sound, 0, nullptr);
}

}  // namespace

int DrawTextInputMenu(const std::string& prompt, std::string& text, const BigImagePtr& background, int drawBox,
                      int clear, int masked) {
    return Guarded("menu:DrawTextInputMenu() ", 0, [&] {
        const float w = static_cast<float>(g_virtualWidth);
        const float h = static_cast<float>(g_virtualHeight);
        if (clear == 1) Cls();
        SetMenuDrawState();
        if (background) background->Render();
        if (drawBox == 1) {
            SetAlpha(0.66f);
            SetColor(0, 200, 0);
            DrawRect(w * g_widthFactor / 4 - 1, h * g_heightFactor / 4 - 1, w / 2 + 2, h / 2 + 2);
            SetColor(0, 0, 0);
            DrawRect(w * g_widthFactor / 4, h * g_heightFactor / 4, w / 2, h / 2);
        }
        SetAlpha(1.0f);
        SetColor(0, 200, 0);
        // Both rows are kept inside the box: a name of sixteen wide letters is wider than it.
        const float room = (w / 2 - static_cast<float>(kLabelMargin)) * g_widthFactor;
        DrawTextFitted(prompt, w * g_widthFactor / 2, static_cast<float>(GraphicsHeight() / 10 * 3), room);
        SetColor(200, 200, 200);
        const std::string shown = masked != 0 ? std::string(text.size(), '*') : text;
        DrawTextFitted(shown, static_cast<float>(GraphicsWidth() / 2), static_cast<float>(GraphicsHeight() / 10 * 5),
                       room);
        Flip(-1);

        const int result = MenuGetTextInput(text);
        // The key that ended the entry is left to the caller.
        if (result == 0) {
            FlushKeys();
            FlushMouse();
        }
        return result;
    });
}

int MenuGetTextInput(std::string& text) {
    return Guarded("menu:MenuGetTextInput() ", 0, [&] {
        const int c = WaitChar();
        // The wait gives up only for a request to terminate, which would otherwise bring the
        // same empty answer and a redrawn screen for ever; nothing is saved on the way out.
        if (c == 0 && AppTerminate()) QuitNow();
        if (c >= 256) return 0;
        if (c >= 32) {
            if (text.size() >= kMaxTextLength || std::strchr(kRefused, c) != nullptr) {
                PlayMenuSound(&Universe::sndButtonCancel);
                return 0;
            }
            text.push_back(static_cast<char>(c));
            PlayMenuSound(&Universe::sndButtonClick);
            return 0;
        }
        if (c == KEY_BACKSPACE) {
            if (!text.empty()) text.pop_back();
            PlayMenuSound(&Universe::sndButtonCancel);
            return 0;
        }
        if (c == KEY_ENTER || c == KEY_ESCAPE) {
            PlayMenuSound(&Universe::sndButtonClick);
            return 1;
        }
        return 0;
    });
}
