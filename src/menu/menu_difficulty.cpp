// The difficulty menu: the player picks the difficulty of the next new game, or goes back.
#include "core/globals.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "platform/input.h"

namespace {

// The English name is what the universe keeps, whatever language the labels are in; a null
// name is Cancel.
struct DifficultyButton {
    const char* name;
    int hotKey;
    int row;
};
constexpr DifficultyButton kDifficultyButtons[] = {
    {"Easy", 'E', 0}, {"Normal", 'N', 1}, {"Hard", 'H', 2}, {"Insane", 'I', 3}, {nullptr, KEY_ESCAPE, 5}};

}  // namespace

int DrawDifficultyMenu() {
    return Guarded("menu:DrawDifficultyMenu() ", 0, [&] {
        Universe& u = Deref(g_gameUniverse);
        std::vector<MenuButtonPtr> buttons;
        for (const DifficultyButton& entry : kDifficultyButtons) {
            const MenuButtonPtr button = MakeMenuButton(u.GetLocalizedString(entry.name ? entry.name : "Cancel"),
                                                        entry.hotKey, u.sndButtonClick);
            SizeForMenuColumn(*button, 400);
            // Row 4 stays empty: Cancel stands apart below the difficulties.
            PutInMenuRow(*button, entry.row, 6);
            buttons.push_back(button);
        }
        FlushKeys();
        FlushMouse();

        int result = -1;  // until a difficulty or Cancel
        ModalScreen screen;
        screen.backdrop = [&] { DrawMenuBackdrop(u); };
        screen.boxPicture = u.DialogImage;
        // Every click of the frame acts at once: the last decides the result, and a difficulty
        // clicked before a Cancel stays stored.
        screen.update = [&](const MenuPointer& p) {
            for (size_t i = 0; i < buttons.size(); ++i) {
                if (!buttons[i]->Update(p.x, p.y, p.buttonsDown)) continue;
                result = kDifficultyButtons[i].name ? 1 : 0;
                if (kDifficultyButtons[i].name) u.currentDifficulty = kDifficultyButtons[i].name;
            }
            return result < 0 ? MenuStep::kStay : MenuStep::kLastFrame;
        };
        screen.draw = [&] {
            for (const MenuButtonPtr& button : buttons) button->Draw();
            DrawCurrentPlayerDisplay(g_gameUniverse);
        };
        RunModalScreen(u, screen);
        return result;
    });
}
