// The options screen: a column of six buttons over the menu background, five of which open the
// value chooser on a setting (graphics quality, effects, the screen mode, audio, the language)
// and one that goes back and writes the preferences.
#include "menu/optionsmenu.h"

#include <algorithm>
#include <vector>

#include "core/globals.h"
#include "core/numbertext.h"
#include "media/mixer.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"

namespace {

// The buttons in row order, which is also the order they are updated and drawn in.
enum OptionsButton { kQuality, kEffects, kScreenMode, kAudio, kLanguage, kGoBack, kOptionsButtons };

struct ButtonDef {
    const char* label;  // the English key of its label
    int hotKey;
};
constexpr ButtonDef kButtons[kOptionsButtons] = {
    {"Graphics Quality", 'G'}, {"Effects", 'E'},        {"Full Screen/Window", 'F'}, {"Audio", 'A'},
    {"Choose Language", 'L'},  {"Go Back", KEY_ESCAPE},
};

// The universe's in-game buttons, which carry the language chosen here into the pause and
// game-over screens.
struct InGameLabel {
    MenuButtonPtr Universe::*button;
    const char* label;
};
constexpr InGameLabel kInGameLabels[] = {
    {&Universe::buttonNewFromThisLevel, "New Game From This Level"},
    {&Universe::buttonNewGame, "New Game From Beginning"},
    {&Universe::buttonQuitToMain, "Quit To Menu"},
    {&Universe::buttonQuitCompletely, "Quit Brondelvix 2"},
};

// An entry of a chooser: the English key of its label and the value the chooser gives back.
struct Entry {
    const char* label;
    const char* value;
};

constexpr Entry kQualityEntries[] = {{"Better Graphics", "1"}, {"Faster Graphics", "0"}};

// Full effects and no ball trails keep the whole particle pool, larger on a fast computer.
constexpr Entry kEffectsEntries[] = {{"Full Effects", "0"}, {"No Ball Trails", "1"}, {"No Effects", "2"}};
constexpr int kParticles = 256;
constexpr int kFastParticles = 512;

// What each audio entry sets, and whether it stops the music playing.
struct AudioEntry {
    Entry entry;
    float sfxVolume, musicVolume;
    bool endsMusic;
};
constexpr AudioEntry kAudioEntries[] = {
    {{"Sound and Music", "all"}, 1.0f, 1.0f, false},
    {{"Sound Only", "sound"}, 1.0f, 0.0f, true},
    {{"Music Only", "music"}, 0.0f, 1.0f, false},
    {{"Audio Off", "off"}, 0.0f, 0.0f, true},
};

// The screen modes: -1 is the size of the mode the universe picks.
struct ScreenMode {
    Entry entry;
    int fullscreen, width, height;
};
constexpr ScreenMode kFullScreen = {{"Full Screen", "1"}, 1, -1, -1};
constexpr ScreenMode kBigWindow = {{"Big Window", "0"}, 0, -1, -1};
constexpr ScreenMode kMediumWindow = {{"Medium Window", "-1"}, 0, 800, 600};
constexpr ScreenMode kSmallWindow = {{"Small Window", "-2"}, 0, 640, 480};

template <size_t N>
std::vector<Entry> Entries(const Entry (&entries)[N]) {
    return std::vector<Entry>(std::begin(entries), std::end(entries));
}

// Only windows smaller than the desktop are offered.
std::vector<ScreenMode> OfferedScreenModes() {
    if (g_desktopWidth > 1024 && g_desktopHeight > 768) return {kFullScreen, kBigWindow, kMediumWindow, kSmallWindow};
    if (g_desktopWidth > 800 && g_desktopHeight > 600) return {kFullScreen, kMediumWindow, kSmallWindow};
    return {kFullScreen, kSmallWindow};
}

// The height is not looked at: an 800 x 480 window counts as the medium one.
int CurrentScreenMode() {
    if (g_isFullscreen == 1) return 1;
    if (g_ScreenWidth == -1) return 0;
    if (g_ScreenWidth == 800) return -1;
    if (g_ScreenWidth == 640) return -2;
    return 0;
}

const ScreenMode& ScreenModeOf(int value) {
    if (value == 1) return kFullScreen;
    if (value == 0) return kBigWindow;
    if (value == -1) return kMediumWindow;
    return kSmallWindow;
}

// Volumes from the preferences that match no entry count as sound and music.
const char* CurrentAudio() {
    if (g_sfxVolume == 1.0f && g_musicVolume == 0.0f) return "sound";
    if (g_sfxVolume == 0.0f && g_musicVolume == 1.0f) return "music";
    if (g_sfxVolume == 0.0f && g_musicVolume == 0.0f) return "off";
    return "all";
}

class OptionsMenu {
public:
    explicit OptionsMenu(const UniversePtr& universe) : universe_(universe), u_(Deref(universe)) {}

    std::string Run() {
        for (const ButtonDef& def : kButtons) buttons_.push_back(MakeMenuButton("", def.hotKey, u_.sndButtonClick));
        const std::string start = g_language.empty() ? "en" : g_language;
        // The key that opened the screen chooses nothing here.
        FlushKeys();
        FlushMouse();
        languages_ = BuildLanguageList(u_, start);

        while (open_) {
            Label();
            LayOut();
            RunModalScreen(u_, PassScreen());
        }
        u_.UpdatePrefsFile();
        return "";
    }

private:
    // Every label anew, so that a language chosen shows from the next frame.
    void Label() {
        for (int i = 0; i < kOptionsButtons; ++i) buttons_[i]->text = u_.GetLocalizedString(kButtons[i].label);
        for (const InGameLabel& l : kInGameLabels) Deref(u_.*l.button).text = u_.GetLocalizedString(l.label);
    }

    // Sized and placed anew, for a screen that may have changed its size.
    void LayOut() {
        for (const MenuButtonPtr& button : buttons_) SizeForMenuColumn(*button, 400.0f);
        for (int i = 0; i < kOptionsButtons; ++i) PutInMenuRow(*buttons_[i], i, kOptionsButtons);
    }

    // A pass of frames ends with the frame of a click, so that the next is labelled and laid
    // out anew.
    ModalScreen PassScreen() {
        ModalScreen screen;
        screen.backdrop = [this] { DrawMenuBackdrop(u_); };
        screen.boxPicture = u_.DialogImage;
        // A click acts at once; the buttons after it are still asked, with the pointer as this
        // frame read it.
        screen.update = [this](const MenuPointer& p) {
            bool clicked = false;
            for (int i = 0; i < kOptionsButtons; ++i) {
                if (!buttons_[i]->Update(p.x, p.y, p.buttonsDown)) continue;
                Act(static_cast<OptionsButton>(i));
                clicked = true;
            }
            return clicked ? MenuStep::kLastFrame : MenuStep::kStay;
        };
        screen.draw = [this] {
            for (const MenuButtonPtr& button : buttons_) button->Draw();
        };
        return screen;
    }

    void Act(OptionsButton button) {
        switch (button) {
            case kQuality:
                ChooseGraphicsQuality();
                break;
            case kEffects:
                ChooseEffects();
                break;
            case kScreenMode:
                ChooseScreenMode();
                break;
            case kAudio:
                ChooseAudio();
                break;
            case kLanguage:
                ChooseLanguage();
                break;
            default:
                open_ = false;
                break;
        }
    }

    // The chooser over entries, their labels in the language now current; "" when it failed.
    std::string Choose(const std::vector<Entry>& entries, const std::string& current) {
        labels_.resize(entries.size());
        values_.resize(entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            labels_[i] = u_.GetLocalizedString(entries[i].label);
            values_[i] = entries[i].value;
        }
        return DrawChooseMenu(universe_, labels_, values_, current);
    }

    // Cancel stores the entry it returns, so a quality the preferences set to another number
    // than 0 or 1 becomes the entry shown.
    void ChooseGraphicsQuality() {
        const std::string chosen = Choose(Entries(kQualityEntries), IntToText(g_isFastComputer));
        // A chooser that failed answers "", which would read as faster graphics.
        if (chosen.empty()) return;
        g_isFastComputer = TextToInt(chosen);
    }

    // Cancel stores the current entry again, which brings a pool size from the preferences back
    // to one the entries give.
    void ChooseEffects() {
        const char* current = g_maxParticles == 0 ? "2" : g_useBallTrails == 0 ? "1" : "0";
        const std::string chosen = Choose(Entries(kEffectsEntries), current);
        // A chooser that failed answers "", which would read as full effects.
        if (chosen.empty()) return;
        const int r = TextToInt(chosen);
        g_maxParticles = r == 0 || r == 1 ? kParticles : 0;
        g_useBallTrails = r == 0 ? 1 : 0;
        if (g_maxParticles == kParticles && g_isFastComputer != 0) g_maxParticles = kFastParticles;
    }

    // The screen is reopened even when the mode stays: Cancel is a way to open it afresh.
    void ChooseScreenMode() {
        std::vector<Entry> entries;
        for (const ScreenMode& mode : OfferedScreenModes()) entries.push_back(mode.entry);
        const int current = CurrentScreenMode();
        const std::string chosen = Choose(entries, IntToText(current));
        // A chooser that failed answers "", which would read as the big window.
        if (chosen.empty()) return;
        const int value = TextToInt(chosen);
        if (value != current) {
            const ScreenMode& mode = ScreenModeOf(value);
            g_isFullscreen = mode.fullscreen;
            g_ScreenWidth = mode.width;
            g_ScreenHeight = mode.height;
        }
        ReopenScreen();
    }

    // A mode that will not open gives way to the one open until now, then to a 1024x768
    // window, with the settings following what opened; with no screen at all the run ends.
    void ReopenScreen() {
        const GraphicsMode open = {u_.screenWidth, u_.screenHeight, u_.screenDepth, u_.screenHertz};
        EndGraphics();
        const int index = u_.PickOptimalGraphicsMode();
        if (u_.OpenGraphicsWithFallback(index, g_ScreenWidth, g_ScreenHeight, g_isFullscreen, g_ScreenHertz,
                                        g_ScreenDepth, -1, open) != 1) {
            EndWithoutScreen();
        }
    }

    // Both volumes are set on every answer, Cancel's too: it returns the current entry.
    void ChooseAudio() {
        std::vector<Entry> entries;
        for (const AudioEntry& audio : kAudioEntries) entries.push_back(audio.entry);
        const std::string chosen = Choose(entries, CurrentAudio());
        for (const AudioEntry& audio : kAudioEntries) {
            if (chosen != audio.entry.value) continue;
            g_sfxVolume = audio.sfxVolume;
            g_musicVolume = audio.musicVolume;
            if (audio.endsMusic) Deref(g_MasterMixer).EndMusic();
        }
    }

    // The list keeps every language in its own name, whatever language is chosen.
    void ChooseLanguage() {
        const std::string chosen = DrawChooseMenu(universe_, languages_.names, languages_.codes, g_language);
        // A chooser that failed answers "", which would drop the language for English.
        if (chosen.empty()) return;
        g_language = chosen;
    }

    const UniversePtr universe_;  // held: a choice may change the global
    Universe& u_;
    std::vector<MenuButtonPtr> buttons_;
    bool open_ = true;
    LanguageList languages_;
    // The chooser's lists, shared by the choices and filled anew by each.
    std::vector<std::string> labels_;
    std::vector<std::string> values_;
};

}  // namespace

LanguageList BuildLanguageList(Universe& universe, const std::string& startLanguage) {
    LanguageList list;
    g_language = startLanguage;
    for (;;) {
        // Looked up in the language being listed, so each is named in its own.
        list.names.push_back(universe.GetLocalizedString("Language"));
        list.codes.push_back(g_language);
        const std::string next = universe.GetLocalizedString("Next Language");
        // The strings are data and their ring need not close on the start: the walk also ends
        // at a code it has listed, at a missing entry (its key comes back) and at a bound.
        if (next.empty() || next == "Next Language") break;
        if (std::find(list.codes.begin(), list.codes.end(), next) != list.codes.end()) break;
        if (list.codes.size() >= kMaxLanguages) break;
        g_language = next;
    }
    g_language = startLanguage;
    return list;
}

std::string DrawOptionsMenu(const UniversePtr& universe) {
    return Guarded("menu:DrawOptionsMenu() ", std::string(), [&] { return OptionsMenu(universe).Run(); });
}
