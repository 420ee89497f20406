// Stand-ins for the pause and game-over screens and the pause's question: each a column of
// buttons with their hot keys in the menu box, over the frozen game or the menu background, in
// a modal loop of its own.
#include "menu/pausemenu.h"

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

enum class Backdrop { MenuPicture, FrozenGame };

struct Screen {
    std::string title = {};  // already localised
    std::vector<Choice> choices = {};
    int rows = 0;
    Backdrop backdrop = Backdrop::MenuPicture;
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

// The frozen game is drawn without moving anything: its floating texts stay where they are.
void DrawBackdrop(const UniversePtr& universe, Backdrop backdrop) {
    ResetDrawing();
    Universe& u = Deref(universe);
    if (backdrop == Backdrop::FrozenGame) {
        if (u.currentGame) {
            u.currentGame->DrawField(0);
            u.currentGame->DrawSidePanel(universe);
        }
    } else if (u.MenuBackgroundImage) {
        u.MenuBackgroundImage->Render();
    }
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
        DrawBackdrop(universe, screen.backdrop);
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
bool Confirm(const UniversePtr& universe, const std::string& question, Backdrop backdrop) {
    const Screen screen{.title = Deref(universe).GetLocalizedString(question),
                        .choices = {{"OK", KEY_ENTER, "Enter", 0, &Universe::sndButtonClick, "OK"},
                                    {"Cancel", KEY_ESCAPE, "Esc", 1, &Universe::sndButtonCancel, "Cancel"}},
                        .rows = 2,
                        .backdrop = backdrop};
    return RunScreen(universe, screen) == "OK";
}

// The game field and panel, without any screen, under a black curtain drawn closed.
void FadeGameToBlack(const UniversePtr& universe) {
    for (float curtain = 0.0f; curtain < 1.0f; curtain = std::min(1.0f, curtain + g_gameSpeedFactor / 10.0f)) {
        Cls();
        DrawBackdrop(universe, Backdrop::FrozenGame);
        SetScale(1.0f, 1.0f);
        SetColor(0, 0, 0);
        SetAlpha(curtain);
        DrawRect(0.0f, 0.0f, static_cast<float>(GraphicsWidth()), static_cast<float>(GraphicsHeight()));
        ScreenRefresh(0, 1);
        Flip(-1);
    }
}

}  // namespace

std::string DrawPauseMenu(const UniversePtr& universe) {
    return Guarded("menu:DrawPauseMenu() ", std::string(), [&] {
        Universe& u = Deref(universe);
        // Its box does not watch for Command with Q: during play that asks for a pause.
        const Screen pause{.title = u.GetLocalizedString("Paused"),
                           .choices = {{"Resume Game", KEY_ESCAPE, "Esc", 0, &Universe::sndButtonClick, "Resume"},
                                       {"Quit To Menu", 'M', "M", 1, &Universe::sndButtonClick, "Main Menu"},
                                       {"Quit Brondelvix 2", 'Q', "Q", 2, &Universe::sndButtonQuit, "End"},
                                       {"Enable Cheats?", 'C', "C", -1, &Universe::sndButtonClick, "Cheats"}},
                           .rows = 3,
                           .backdrop = Backdrop::FrozenGame};
        std::string choice = RunScreen(universe, pause);
        while (choice == "Cheats") {
            GameStat* stat = u.currentGame ? u.currentGame->gameStats.get() : nullptr;
            if (stat && stat->cheatEnabled == 0 && Confirm(universe, "Enable Cheats?", Backdrop::FrozenGame))
                stat->cheatEnabled = 1;
            choice = RunScreen(universe, pause);
        }
        Mixer& mixer = Deref(g_MasterMixer);
        mixer.Resume();
        if (choice != "Resume") {
            // The game is left: it must not leave slow motion or its music behind.
            SetGlobalGameSpeed(1.0f, 10.0f, -1.0f);
            g_gameSpeedModulation = 1.0f;
            mixer.RateAdjust(1.0f);
            mixer.EndMusic();
            FadeGameToBlack(universe);
        }
        return choice;
    });
}

std::string DrawGameOverMenu(const UniversePtr& universe) {
    return Guarded("menu:DrawGameOverMenu() ", std::string(), [&] {
        Universe& u = Deref(universe);
        const Screen gameOver{
            .title = u.GetLocalizedString("Game Over"),
            .choices = {{"New Game From This Level", 'C', "C", 0, &Universe::sndButtonStartGame, "New From This Level"},
                        {"New Game From Beginning", 'N', "N", 1, &Universe::sndButtonStartGame, "New Game"},
                        {"Quit To Menu", KEY_ESCAPE, "Esc", 3, &Universe::sndButtonClick, "Main Menu"},
                        {"Quit Brondelvix 2", 'Q', "Q", 4, &Universe::sndButtonQuit, "End"}},
            .rows = 5,
            .backdrop = Backdrop::FrozenGame,
            .watchQuit = true};
        const std::string choice = RunScreen(universe, gameOver);
        SetGlobalGameSpeed(1.0f, 10.0f, -1.0f);
        // The overlay closes over the frozen game and stays shut for the play loop.
        g_ScreenOverlayRed = g_ScreenOverlayGreen = g_ScreenOverlayBlue = 0;
        for (g_ScreenOverlayAlpha = 0.0f; g_ScreenOverlayAlpha < 1.0f;
             g_ScreenOverlayAlpha = std::min(1.0f, g_ScreenOverlayAlpha + g_gameSpeedFactor / 10.0f)) {
            Cls();
            DrawBackdrop(universe, Backdrop::FrozenGame);
            ScreenRefresh(0, 1);
            Flip(-1);
        }
        return choice;
    });
}
