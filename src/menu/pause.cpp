// The pause screen: the stopped game under the "Paused" box with its buttons, the hidden switch
// that enables cheats, and the fade to black when the game is left.
#include "menu/pause.h"

#include <array>

#include "core/globals.h"
#include "media/menubutton.h"
#include "media/mixer.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "pieces/gamestats.h"
#include "platform/input.h"
#include "universe/game.h"

namespace {

// The choices in the order they are updated and drawn. Four rows; the second stays empty, so
// "Resume Game" stands apart from the two ways out of the game.
struct Choice {
    const char* label;  // the English key of its text
    int hotKey;
    int row;
    bool quitSound;  // clicks with the quit sound rather than the ordinary click
    bool leaves;     // leaves the game, after LeaveGame and the fade
    const char* result;
};
constexpr int kRows = 4;
constexpr std::array<Choice, 3> kChoices = {{
    {"Resume Game", KEY_ESCAPE, 0, false, false, kPauseResume},
    {"Quit To Menu", 'M', 2, false, true, kPauseMainMenu},
    {"Quit Brondelvix 2", 'Q', 3, true, true, kPauseEnd},
}};

// A button of this screen's own: its localised label, its hot key and a copy of a universe
// sound as its click, 400 wide and centred, above the screen until it gets a row.
MenuButtonPtr MakeButton(Universe& universe, const std::string& key, int hotKey, const SoundPtr& sound) {
    const MenuButtonPtr button = MakeMenuButton(universe.GetLocalizedString(key), hotKey, sound);
    SizeForMenuColumn(*button, 400.0f);
    return button;
}

// Asks, while the running game has none, whether to enable cheats; OK turns them on for good.
// The dialog's clicks are silent: the mixer is still paused.
void CheatSwitch() {
    const GamePtr game = g_gameUniverse ? g_gameUniverse->currentGame : nullptr;
    GameStat* stat = game ? game->gameStats.get() : nullptr;
    if (!stat || stat->cheatEnabled != 0) return;
    if (DrawDialogOK("Enable Cheats?", 1) != 0) stat->cheatEnabled = 1;
}

// What a choice that leaves the game puts back before the fade: normal speed at once, every
// channel at its own rate, no music.
void LeaveGame(Mixer& mixer) {
    SetGlobalGameSpeed(1.0f, 10.0f, -1.0f);
    g_gameSpeedModulation = 1.0f;
    mixer.RateAdjust(1.0f);
    mixer.EndMusic();
}

}  // namespace

std::string DrawPauseMenu(const UniversePtr& universe) {
    return Guarded("menu:DrawPauseMenu() ", std::string(), [&] {
        Universe& u = Deref(g_gameUniverse);
        std::array<MenuButtonPtr, kChoices.size()> buttons;
        for (size_t i = 0; i < kChoices.size(); ++i) {
            const Choice& choice = kChoices[i];
            buttons[i] =
                MakeButton(u, choice.label, choice.hotKey, choice.quitSound ? u.sndButtonQuit : u.sndButtonClick);
            PutInMenuRow(*buttons[i], choice.row, kRows);
        }
        // Never drawn and left above the screen: only its hot key reaches it.
        const MenuButtonPtr cheats = MakeButton(u, "Enable Cheats?", 'C', u.sndButtonClick);
        Mixer& mixer = Deref(g_MasterMixer);

        std::string result;
        bool leaves = false;
        // The key that asked for the pause, and anything held since, choose nothing here.
        FlushKeys();
        FlushMouse();
        ModalScreen screen = OverFrozenGame(universe, u.GetLocalizedString("Paused"));
        // No quit test: during play Command with Q asks for this very pause.
        screen.watchQuit = false;
        screen.update = [&](const MenuPointer& p) {
            if (cheats->Update(p.x, p.y, p.buttonsDown) == 1) CheatSwitch();
            // Each choice resumes the mixer before its click, which the paused mixer refused.
            for (size_t i = 0; i < kChoices.size(); ++i) {
                if (buttons[i]->Update(p.x, p.y, p.buttonsDown) != 1) continue;
                result = kChoices[i].result;
                leaves = kChoices[i].leaves;
                mixer.Resume();
                if (leaves) LeaveGame(mixer);
                mixer.AddSound(buttons[i]->clickSound, 0, nullptr);
            }
            return result.empty() ? MenuStep::kStay : MenuStep::kLastFrame;
        };
        screen.draw = [&] {
            for (const MenuButtonPtr& button : buttons) button->Draw();
        };
        screen.waitWhileSuspended = true;
        RunModalScreen(u, screen);

        // Resume leaves at once. The veil is drawn before each step, so the first leaving frame
        // is clear and no frame is wholly black.
        if (leaves) {
            RunMenuFade(0.0f, 1.0f, 10.0f, FadeStep::kAfterFrame, [&](float fade) {
                DrawFrozenGame(universe);
                DrawVeil(fade);
            });
        }
        return result;
    });
}
