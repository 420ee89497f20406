// A stand-in for the main menu and its new-game questions until the real screens are built: a
// column of buttons with their hot keys in the menu box, in a modal loop of its own.
#include <algorithm>
#include <vector>

#include "core/globals.h"
#include "media/menubutton.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "menu/menu.h"
#include "pieces/gamestats.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "universe/game.h"

namespace {

// One button of a screen: the English key of its label, its hot key and the name shown with
// the label, its row in the column (-1: never drawn, only its hot key works), the universe's sound it
// clicks with, and the screen's result when it is chosen.
struct Choice {
    const char* label;
    int hotKey;
    const char* keyName;
    int row;
    SoundPtr Universe::*sound;
    const char* result;
};

struct Screen {
    std::string title = {};  // already localised
    std::vector<Choice> choices = {};
    int rows = 0;
    bool watchQuit = false;  // Command with Q, or the system's request, ends the program here
};

void ResetDrawing() {
    SetOrigin(0.0f, 0.0f);
    SetHandle(0.0f, 0.0f);
    SetBlend(ALPHABLEND);
    SetAlpha(1.0f);
    SetRotation(0.0f);
    SetColor(255, 255, 255);
    SetScale(g_widthFactor, g_heightFactor);
}

void DrawBackdrop(const Universe& universe) {
    ResetDrawing();
    if (universe.MenuBackgroundImage) universe.MenuBackgroundImage->Render();
    ResetDrawing();
}

void DrawPointer(const Universe& universe) {
    ResetDrawing();
    if (universe.cursorImage)
        DrawImage(universe.cursorImage, static_cast<float>(MouseX()), static_cast<float>(MouseY()));
}

// Runs the screen until a button is clicked or its hot key hit, and returns that choice.
std::string RunScreen(const UniversePtr& universe, const Screen& screen) {
    Universe& u = Deref(universe);
    std::vector<MenuButtonPtr> buttons;
    // The menus' column is 400 wide; a longer label widens the whole column rather than run
    // past its button's edges (labels of more than 25 characters are set smaller).
    float columnWidth = 400.0f;
    for (const Choice& choice : screen.choices) {
        auto button = std::make_shared<MenuButton>();
        // The key goes with the label, so a player sees what to press.
        button->text = "[" + std::string(choice.keyName) + "] " + u.GetLocalizedString(choice.label);
        button->hotKey = choice.hotKey;
        // A sound that could not be loaded leaves the button silent.
        if (u.*choice.sound) Deref(button->clickSound).Clone(u.*choice.sound);
        button->Position(-1000, -1000, -1, -1, 1);
        columnWidth = std::max(columnWidth, button->width / g_widthFactor);
        buttons.push_back(button);
    }
    for (size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->Position(-1000, -1000, columnWidth, -1, 1);
        const int row = screen.choices[i].row;
        if (row >= 0) buttons[i]->PositionButtonOnMenu(row, screen.rows, 210, 354, 4);
    }
    // Nothing pressed before the screen opened chooses anything on it.
    FlushKeys();
    FlushMouse();

    std::string result;
    while (result.empty()) {
        const float mouseX = static_cast<float>(MouseX());
        const float mouseY = static_cast<float>(MouseY());
        const int held = MouseDown(1) + MouseDown(2) + MouseDown(3);

        Cls();
        DrawBackdrop(u);
        DrawMenuBox(screen.title, u.DialogImage, 0, screen.watchQuit ? 1 : 0);
        for (size_t i = 0; i < buttons.size(); ++i) {
            if (buttons[i]->Update(mouseX, mouseY, held)) result = screen.choices[i].result;
        }
        for (size_t i = 0; i < buttons.size(); ++i) {
            if (screen.choices[i].row >= 0) buttons[i]->Draw();
        }
        ScreenRefresh(0, 1);
        DrawPointer(u);
        Flip(-1);
    }
    // Whatever draws next starts from black.
    Cls();
    return result;
}

// A question with OK (Enter) and Cancel (Escape); true for OK.
bool Confirm(const UniversePtr& universe, const std::string& question) {
    const Screen screen{.title = Deref(universe).GetLocalizedString(question),
                        .choices = {{"OK", KEY_ENTER, "Enter", 0, &Universe::sndButtonClick, "OK"},
                                    {"Cancel", KEY_ESCAPE, "Esc", 1, &Universe::sndButtonCancel, "Cancel"}},
                        .rows = 2};
    return RunScreen(universe, screen) == "OK";
}

// The difficulty of the new game; false when the player went back.
bool ChooseDifficulty(const UniversePtr& universe) {
    const Screen screen{.choices = {{"Easy", 'E', "E", 0, &Universe::sndButtonClick, "Easy"},
                                    {"Normal", 'N', "N", 1, &Universe::sndButtonClick, "Normal"},
                                    {"Hard", 'H', "H", 2, &Universe::sndButtonClick, "Hard"},
                                    {"Insane", 'I', "I", 3, &Universe::sndButtonClick, "Insane"},
                                    {"Cancel", KEY_ESCAPE, "Esc", 5, &Universe::sndButtonClick, "Cancel"}},
                        .rows = 6,
                        .watchQuit = true};
    const std::string choice = RunScreen(universe, screen);
    if (choice == "Cancel") return false;
    // The English name, whatever language the labels are in.
    Deref(universe).currentDifficulty = choice;
    return true;
}

}  // namespace

std::string DrawMainMenu(const UniversePtr& universe) {
    return Guarded("menu:DrawMainMenu() ", std::string(), [&] {
        Universe& u = Deref(universe);
        for (;;) {
            const bool canContinue = u.ContinueExists() == 1;
            Screen menu{.rows = canContinue ? 4 : 3, .watchQuit = true};
            int row = 0;
            if (canContinue) {
                menu.choices.push_back({"Continue", 'C', "C", row++, &Universe::sndButtonStartGame, "Continue"});
            }
            menu.choices.push_back({"New Game", 'N', "N", row++, &Universe::sndButtonStartGame, "New Game"});
            menu.choices.push_back({"Help", 'H', "H", row++, &Universe::sndButtonClick, "Help"});
            menu.choices.push_back({"Quit", KEY_ESCAPE, "Esc", row++, &Universe::sndButtonQuit, "Quit"});

            const std::string choice = RunScreen(universe, menu);
            if (choice == "New Game") {
                // Over a saved game the player is asked first; either question can go back.
                if (canContinue && !Confirm(universe, "Abandon Current Game?")) continue;
                if (!ChooseDifficulty(universe)) continue;
            }
            if (choice == "Continue" || choice == "New Game") Deref(g_MasterMixer).EndMusic();
            return choice;
        }
    });
}
