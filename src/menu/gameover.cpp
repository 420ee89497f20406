// The game-over screen: the finished game under the "Game Over" box with its four choices, and
// the fade to black under the screen overlay once one is made.
#include "menu/gameover.h"

#include <array>

#include "core/globals.h"
#include "media/menubutton.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "platform/input.h"

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
    {"New Game From This Level", 'C', 0, false, kGameOverFromThisLevel},
    {"New Game From Beginning", 'N', 1, false, kGameOverNewGame},
    {"Quit To Menu", KEY_ESCAPE, 3, false, kGameOverMainMenu},
    {"Quit Brondelvix 2", 'Q', 4, true, kGameOverEnd},
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

}  // namespace

std::string DrawGameOverMenu(const UniversePtr& universe) {
    return Guarded("menu:DrawGameOverMenu() ", std::string(), [&] {
        Universe& u = Deref(g_gameUniverse);
        std::array<MenuButtonPtr, kChoices.size()> buttons;
        for (size_t i = 0; i < kChoices.size(); ++i) buttons[i] = MakeButton(u, kChoices[i]);
        std::string choice;
        // Keys and clicks from the play before the end choose nothing here.
        FlushKeys();
        FlushMouse();
        ModalScreen screen = OverFrozenGame(universe, u.GetLocalizedString("Game Over"));
        // Command with Q, or a window close, ends the program here and now: the finished game is
        // already in the player's file, and no saved game is written.
        screen.watchQuit = true;
        // Every button is asked; the last one clicked in a frame decides.
        screen.update = [&](const MenuPointer& p) {
            for (size_t i = 0; i < buttons.size(); ++i) {
                if (buttons[i]->Update(p.x, p.y, p.buttonsDown) != 1) continue;
                SetGlobalGameSpeed(1.0f, 10.0f, -1.0f);
                choice = kChoices[i].result;
            }
            return choice.empty() ? MenuStep::kStay : MenuStep::kLastFrame;
        };
        screen.draw = [&] {
            for (const MenuButtonPtr& button : buttons) button->Draw();
        };
        // The pointer where the frame read it, under the screen overlay.
        screen.pointer = MenuPointerDraw::kWhereRead;
        RunModalScreen(u, screen);

        // The overlay closes a step before each frame, so the first frame is already darker and
        // the last is black; it stays black for the play loop. A frame of 0 ms makes no step.
        RunMenuFade(0.0f, 1.0f, 10.0f, FadeStep::kBeforeFrame, [&](float fade) {
            g_ScreenOverlayAlpha = fade;
            DrawFrozenGame(universe);
        });
        return choice;
    });
}
