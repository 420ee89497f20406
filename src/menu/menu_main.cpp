// The main menu between games: it fades in over the title picture, offers Continue, New Game,
// Players, Scores, Packs, Options, Help and Quit, runs the screens behind them inside its loop,
// and fades out with the choice for the main program.
#include <memory>
#include <vector>

#include "core/globals.h"
#include "core/numbertext.h"
#include "media/mixer.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "menu/optionsmenu.h"
#include "menu/playermenu.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "universe/game.h"

namespace {

// The buttons in the order they are updated and drawn.
enum MainButton { kContinue, kNewGame, kPlayers, kScores, kPacks, kOptions, kHelp, kQuit, kMainButtons };

struct MainButtonDef {
    const char* label;  // the English key of its label
    int hotKey;
    SoundPtr Universe::*sound;
};
constexpr MainButtonDef kMainButtonDefs[kMainButtons] = {
    {"Continue", 'C', &Universe::sndButtonStartGame}, {"New Game", 'N', &Universe::sndButtonStartGame},
    {"Players", 'P', &Universe::sndButtonClick},      {"Scores", 'S', &Universe::sndButtonClick},
    {"Packs", 'K', &Universe::sndButtonClick},        {"Options", 'O', &Universe::sndButtonClick},
    {"Help", 'H', &Universe::sndButtonClick},         {"Quit", KEY_ESCAPE, &Universe::sndButtonQuit}};

class MainMenu {
public:
    explicit MainMenu(const UniversePtr& universe) : universe_(universe), u_(Deref(universe)) {}

    std::string Run() {
        for (const MainButtonDef& def : kMainButtonDefs)
            buttons_.push_back(MakeMenuButton(def.label, def.hotKey, u_.*def.sound));
        Label();
        shown_ = CountShown();
        LayOut();
        g_ScreenOverlayAlpha = 0.0f;

        // The fades watch no input; whatever was pressed before the buttons showed is dropped.
        // A 0 ms frame makes no progress in either, as in every fade of the game.
        const auto fadeFrame = [this](float fade) { FadeFrame(fade); };
        RunMenuFade(1.0f, 0.0f, 4.0f, FadeStep::kAfterFrame, fadeFrame);
        FlushKeys();
        FlushMouse();
        RunModalScreen(u_, MenuScreen());
        RunMenuFade(0.0f, 1.0f, 10.0f, FadeStep::kAfterFrame, fadeFrame);
        return choice_;
    }

private:
    void Label() {
        for (int i = 0; i < kMainButtons; ++i) buttons_[i]->text = u_.GetLocalizedString(kMainButtonDefs[i].label);
    }

    int CountShown() { return 6 + (u_.ContinueExists() != 0 ? 1 : 0) + (u_.packsArray.size() > 1 ? 1 : 0); }

    // Every button is sized and put above the top of the screen; only the shown ones get a row.
    // A button left up there cannot be seen or pointed at, but its hot key still works.
    void LayOut() {
        for (const MenuButtonPtr& button : buttons_) SizeForMenuColumn(*button, 400);
        const bool withContinue = u_.ContinueExists() != 0;
        const bool withPacks = u_.packsArray.size() > 1;
        int row = 0;
        for (int i = 0; i < kMainButtons; ++i) {
            if (i == kContinue && !withContinue) continue;
            if (i == kPacks && !withPacks) continue;
            PutInMenuRow(*buttons_[i], row++, shown_);
        }
    }

    // The background alone under black at the fade's opacity.
    void FadeFrame(float fade) {
        Cls();
        SetMenuDrawStateExceptFont();
        DrawMenuBackground(u_);
        DrawVeil(fade);
    }

    ModalScreen MenuScreen() {
        ModalScreen screen;
        screen.backdrop = [this] { DrawMenuBackdrop(u_); };
        screen.boxPicture = u_.DialogImage;
        // Every button, shown or not, every frame; a screen opened by a click runs to its end
        // before the next button is asked, with the pointer as this frame read it.
        screen.update = [this](const MenuPointer& p) {
            for (int i = 0; i < kMainButtons; ++i) {
                if (buttons_[i]->Update(p.x, p.y, p.buttonsDown)) Act(static_cast<MainButton>(i));
            }
            return choice_.empty() ? MenuStep::kStay : MenuStep::kLastFrame;
        };
        screen.draw = [this] {
            if (choice_.empty()) {
                for (const MenuButtonPtr& button : buttons_) button->Draw();
            }
            DrawCurrentPlayerDisplay(universe_);
        };
        // Unlike the other screens, the main menu draws its pointer at the screen's scale.
        screen.pointer = MenuPointerDraw::kAtScreenScale;
        return screen;
    }

    void Act(MainButton button) {
        switch (button) {
            case kContinue:
                // Nothing is tested: the hot key continues also while the button is hidden.
                choice_ = kMainMenuContinue;
                Deref(g_MasterMixer).EndMusic();
                break;
            case kNewGame:
                NewGame();
                break;
            case kPlayers:
                DrawPlayerMenu(universe_);
                shown_ = CountShown();
                LayOut();
                break;
            case kScores:
                DrawPlayerStats();
                break;
            case kPacks:
                ChoosePack();
                break;
            case kOptions:
                // The language or the screen may have changed: new labels, new sizes.
                DrawOptionsMenu(universe_);
                Label();
                LayOut();
                break;
            case kHelp:
                choice_ = kMainMenuHelp;
                break;
            case kQuit:
                choice_ = kMainMenuQuit;
                break;
            default:
                break;
        }
    }

    // Over a saved game the player is asked first, and the saved game goes only once a
    // difficulty is chosen.
    void NewGame() {
        if (u_.ContinueExists() != 0) {
            if (DrawDialogOK(u_.GetLocalizedString("Abandon Current Game?"), 1) == 0) return;
            if (DrawDifficultyMenu() != 1) return;
            choice_ = kMainMenuNewGame;
            RecordAbandonedGame();
        } else {
            if (DrawDifficultyMenu() != 1) return;
            choice_ = kMainMenuNewGame;
        }
        Deref(g_MasterMixer).EndMusic();
    }

    // The abandoned game counts in the player's records as a finished one, its level one below
    // the level it was saved at. A save without play time records nothing and stays.
    void RecordAbandonedGame() {
        Player& player = Deref(At(u_.playersArray, u_.currentPlayerIndex));
        const Pack& pack = Deref(At(u_.packsArray, u_.currentPackIndex));
        const GameStatPtr record = player.DeleteCurrentSavedGame(u_.playersPath, pack.saveName);
        if (!record) return;
        // The file's records, not those in memory, get the new one.
        player.LoadFromFile(u_.playersPath, player.folderName);
        player.AddGameStat(record);
        player.SaveToFile(u_.playersPath);
    }

    void ChoosePack() {
        std::vector<std::string> labels, values;
        for (size_t i = 0; i < u_.packsArray.size(); ++i) {
            labels.push_back(Deref(u_.packsArray[i]).name);
            values.push_back(IntToText(static_cast<int>(i)));
        }
        const std::string chosen = DrawChooseMenu(universe_, labels, values, IntToText(u_.currentPackIndex));
        // Only a pack's own index is taken: the empty text of a failed chooser would otherwise
        // read as 0 and make the first pack current. The preferences are written either way,
        // as after Cancel.
        for (size_t i = 0; i < values.size(); ++i) {
            if (values[i] == chosen) u_.currentPackIndex = static_cast<int>(i);
        }
        u_.UpdatePrefsFile();
        shown_ = CountShown();
        LayOut();
    }

    const UniversePtr universe_;  // held: the screens it opens may change the global
    Universe& u_;
    std::vector<MenuButtonPtr> buttons_;
    std::string choice_;
    int shown_ = 6;  // the buttons on the column: 6, one more with Continue, one more with Packs
};

}  // namespace

std::string DrawMainMenu(const UniversePtr& universe) {
    return Guarded("menu:DrawMainMenu() ", std::string(), [&] { return MainMenu(universe).Run(); });
}
