// The pause screen: the stopped game under the "Paused" box with its buttons, the hidden switch
// that enables cheats, and the fade to black when the game is left.
#include "menu/pause.h"

#include "core/globals.h"
#include "media/largeimage.h"
#include "media/menubutton.h"
#include "media/mixer.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "pieces/gamestats.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "universe/game.h"

namespace {

// Four rows of buttons; the second stays empty, so "Resume Game" stands apart from the two
// ways out of the game.
constexpr int kRows = 4;
constexpr int kResumeRow = 0;
constexpr int kToMenuRow = 2;
constexpr int kQuitRow = 3;

// A button of this screen's own: its localised label, its hot key and a copy of a universe
// sound as its click, 400 wide and centred, above the screen until it gets a row.
MenuButtonPtr MakeButton(Universe& universe, const std::string& key, int hotKey, const SoundPtr& sound) {
    const MenuButtonPtr button = MakeMenuButton(universe.GetLocalizedString(key), hotKey, sound);
    SizeForMenuColumn(*button, 400.0f);
    return button;
}

// The black veil of the leaving fade over the whole window, at the fade's opacity. Alpha
// blending is chosen here: the field's last image may have left another mode.
void DrawVeil(float opacity) {
    SetScale(1.0f, 1.0f);
    SetColor(0, 0, 0);
    SetRotation(0.0f);
    SetHandle(0.0f, 0.0f);
    SetOrigin(0.0f, 0.0f);
    SetBlend(ALPHABLEND);
    SetAlpha(opacity);
    DrawRect(0.0f, 0.0f, static_cast<float>(GraphicsWidth()), static_cast<float>(GraphicsHeight()));
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
        const MenuButtonPtr resume = MakeButton(u, "Resume Game", KEY_ESCAPE, u.sndButtonClick);
        const MenuButtonPtr toMenu = MakeButton(u, "Quit To Menu", 'M', u.sndButtonClick);
        const MenuButtonPtr quit = MakeButton(u, "Quit Brondelvix 2", 'Q', u.sndButtonQuit);
        // Never drawn and left above the screen: only its hot key reaches it.
        const MenuButtonPtr cheats = MakeButton(u, "Enable Cheats?", 'C', u.sndButtonClick);
        PutInMenuRow(*resume, kResumeRow, kRows);
        PutInMenuRow(*toMenu, kToMenuRow, kRows);
        PutInMenuRow(*quit, kQuitRow, kRows);
        const std::string title = u.GetLocalizedString("Paused");
        const BigImagePtr box = universe ? universe->DialogImage : nullptr;
        Mixer& mixer = Deref(g_MasterMixer);

        std::string result;
        float fade = 1.0f;
        // The key that asked for the pause, and anything held since, choose nothing here.
        FlushKeys();
        FlushMouse();
        while (result.empty()) {
            // One reading for every button of the frame, taken before it is drawn.
            const MenuPointer p = ReadMenuPointer();
            DrawFrozenPlayField(universe);
            DrawFrozenSidePanel(universe);
            SetScale(g_widthFactor, g_heightFactor);
            // No quit test: during play Command with Q asks for this very pause.
            DrawMenuBox(title, box, 0, 0);

            if (cheats->Update(p.x, p.y, p.buttonsDown) == 1) CheatSwitch();
            // Each choice resumes the mixer before its click, which the paused mixer refused.
            if (resume->Update(p.x, p.y, p.buttonsDown) == 1) {
                fade = 1.0f;
                result = "Resume";
                mixer.Resume();
                mixer.AddSound(resume->clickSound, 0, nullptr);
            }
            if (toMenu->Update(p.x, p.y, p.buttonsDown) == 1) {
                fade = 0.0f;
                result = "Main Menu";
                mixer.Resume();
                LeaveGame(mixer);
                mixer.AddSound(toMenu->clickSound, 0, nullptr);
            }
            if (quit->Update(p.x, p.y, p.buttonsDown) == 1) {
                fade = 0.0f;
                result = "End";
                mixer.Resume();
                LeaveGame(mixer);
                mixer.AddSound(quit->clickSound, 0, nullptr);
            }
            resume->Draw();
            toMenu->Draw();
            quit->Draw();

            ScreenRefresh(0, 1);
            DrawMenuPointer(u, 1.0f, 1.0f);
            Flip(-1);
            while (AppSuspended()) Delay(500);
        }

        // The veil is drawn before each step, so the first leaving frame is clear and no frame is
        // wholly black.
        while (fade < 1.0f) {
            DrawFrozenPlayField(universe);
            DrawFrozenSidePanel(universe);
            DrawVeil(fade);
            ScreenRefresh(0, 1);
            Flip(-1);
            if (fade < 1.0f) fade += g_gameSpeedFactor / 10.0f;
            if (fade > 1.0f) fade = 1.0f;
        }
        return result;
    });
}
