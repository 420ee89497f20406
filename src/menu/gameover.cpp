// The game-over screen: the finished game under the "Game Over" box with its four choices, and
// the fade to black under the screen overlay once one is made.
#include "menu/gameover.h"

#include <array>

#include "core/globals.h"
#include "media/largeimage.h"
#include "media/menubutton.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "universe/game.h"

namespace {

// The buttons in the order they are updated and drawn; row 2 of the five stays empty.
struct Choice {
    const char* label;  // the English key of its text
    int hotKey;
    int row;
    bool quitSound;  // clicks with the quit sound rather than the ordinary click
    const char* result;
};
constexpr int kRows = 5;
constexpr std::array<Choice, 4> kChoices = {{
    {"New Game From This Level", 'C', 0, false, "New From This Level"},
    {"New Game From Beginning", 'N', 1, false, "New Game"},
    {"Quit To Menu", KEY_ESCAPE, 3, false, "Main Menu"},
    {"Quit Brondelvix 2", 'Q', 4, true, "End"},
}};

// A button of this screen's own, with a copy of a universe sound as its click (none when the
// universe has no such sound), 400 wide, centred, in its row.
MenuButtonPtr MakeButton(Universe& universe, const Choice& choice) {
    const SoundPtr& sound = choice.quitSound ? universe.sndButtonQuit : universe.sndButtonClick;
    const MenuButtonPtr button = MakeMenuButton(universe.GetLocalizedString(choice.label), choice.hotKey, sound);
    SizeForMenuColumn(*button, 400.0f);
    PutInMenuRow(*button, choice.row, kRows);
    return button;
}

// The pointer image where the frame read the pointer, unscaled, its top-left corner there.
void DrawPointer(const Universe& universe, float x, float y) {
    SetScale(1.0f, 1.0f);
    SetAlpha(1.0f);
    SetColor(255, 255, 255);
    SetHandle(0.0f, 0.0f);
    SetOrigin(0.0f, 0.0f);
    SetRotation(0.0f);
    if (universe.cursorImage) DrawImage(universe.cursorImage, x, y, 0);
}

}  // namespace

std::string DrawGameOverMenu(const UniversePtr& universe) {
    return Guarded("menu:DrawGameOverMenu() ", std::string(), [&] {
        Universe& u = Deref(g_gameUniverse);
        std::array<MenuButtonPtr, kChoices.size()> buttons;
        for (size_t i = 0; i < kChoices.size(); ++i) buttons[i] = MakeButton(u, kChoices[i]);
        const std::string title = u.GetLocalizedString("Game Over");
        const BigImagePtr box = universe ? universe->DialogImage : nullptr;

        std::string choice;
        float fade = 1.0f;
        // Keys and clicks from the play before the end choose nothing here.
        FlushKeys();
        FlushMouse();
        while (choice.empty()) {
            // One reading for every button of the frame and for the pointer image.
            const MenuPointer p = ReadMenuPointer();
            DrawFrozenPlayField(universe);
            DrawFrozenSidePanel(universe);
            // Command with Q, or a window close, ends the program here and now: the finished game
            // is already in the player's file, and no saved game is written.
            DrawMenuBox(title, box, 0, 1);
            // Every button is asked; the last one clicked in a frame decides.
            for (size_t i = 0; i < buttons.size(); ++i) {
                if (buttons[i]->Update(p.x, p.y, p.buttonsDown) != 1) continue;
                fade = 0.0f;
                SetGlobalGameSpeed(1.0f, 10.0f, -1.0f);
                choice = kChoices[i].result;
            }
            for (const MenuButtonPtr& button : buttons) button->Draw();
            DrawPointer(u, p.x, p.y);
            ScreenRefresh(0, 1);
            Flip(-1);
        }

        // The overlay closes a step before each frame, so the first frame is already darker and
        // the last is black; it stays black for the play loop. A frame of 0 ms makes no step.
        while (fade != 1.0f) {
            fade += g_gameSpeedFactor / 10.0f;
            if (fade > 1.0f) fade = 1.0f;
            g_ScreenOverlayAlpha = fade;
            DrawFrozenPlayField(universe);
            DrawFrozenSidePanel(universe);
            ScreenRefresh(0, 1);
            Flip(-1);
        }
        return choice;
    });
}
