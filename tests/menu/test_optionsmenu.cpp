// The options screen under a scripted player: its column and the order of a frame, what each
// chooser opens on and what its answer (Cancel's included) leaves in the settings, the screen
// mode list by desktop with its reopen and the ways back when a mode will not open, the language
// walk over rings that close and rings that do not, a chooser that fails, and the preferences
// written on Go Back.
#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/numbertext.h"
#include "menu/optionsmenu.h"
#include "screens_support.h"

namespace {

using namespace menu_test;

const std::string kUp(1, '\x92');    // the chooser's button to the previous entry
const std::string kDown(1, '\x91');  // and to the next

// A frame of the chooser: its two arrow buttons.
bool IsChooser(const std::vector<DrawCall>& calls) { return Drew(calls, kUp) && Drew(calls, kDown); }

// The entries the chooser showed, in order, each as long as it stayed: the label button is the
// last text of a chooser frame.
std::vector<std::string> EntriesShown(const std::vector<std::string>& frames) {
    std::vector<std::string> shown;
    for (const std::string& frame : frames) {
        if (frame.find(kUp + "|" + kDown + "|") == std::string::npos) continue;
        const std::string texts = frame.substr(0, frame.size() - 1);
        const std::string label = texts.substr(texts.rfind('|') + 1);
        if (shown.empty() || shown.back() != label) shown.push_back(label);
    }
    return shown;
}

// The frames after the first chooser closed: the rest of the screen's frame that opened it,
// then the next pass's.
std::vector<std::string> FramesAfterChooser(const std::vector<std::string>& frames) {
    bool inChooser = false;
    for (size_t i = 0; i < frames.size(); ++i) {
        const bool chooser = frames[i].find(kUp + "|" + kDown + "|") != std::string::npos;
        if (inChooser && !chooser) return {frames.begin() + static_cast<long>(i), frames.end()};
        inChooser = chooser;
    }
    return {};
}

constexpr GraphicsMode k1280 = {1280, 1024, 32, 60};
constexpr GraphicsMode k1024 = {1024, 768, 32, 60};
constexpr GraphicsMode k800 = {800, 600, 32, 60};
constexpr GraphicsMode k640 = {640, 480, 32, 60};

class OptionsMenuTest : public MenuTest {
protected:
    std::string PrefsPath() const { return userFolder + "data/prefs.xml"; }
    std::string Pref(const std::string& key) const { return GetDataFromXML(ReadText(PrefsPath()), key); }

    // The screen under the scripted player; the texts of every frame it and its choosers drew.
    std::vector<std::string> Run(std::vector<Script::Step> steps) {
        Script player(std::move(steps));
        EXPECT_EQ(DrawOptionsMenu(g_gameUniverse), "");
        EXPECT_TRUE(player.Finished()) << "the screen ended before the scripted player's last step";
        return player.Frames();
    }

    // One choice: its hot key, the keys given to the chooser one frame at a time, then Go Back.
    std::vector<std::string> RunChoice(int hotKey, const std::vector<int>& keys, const std::string& back = "Go Back") {
        std::vector<Script::Step> steps = {{back.c_str(), PressKey(hotKey)}};
        for (int key : keys) steps.push_back({IsChooser, PressKey(key)});
        steps.push_back({Shows(back), PressKey(KEY_ESCAPE)});
        return Run(std::move(steps));
    }

    // A display of this desktop listing these modes, as start-up reads it.
    static void UseDesktop(const GraphicsMode& desktop, std::vector<GraphicsMode> modes) {
        SetHeadlessDesktopMode(desktop);
        SetHeadlessGraphicsModes(std::move(modes));
        g_desktopWidth = desktop.width;
        g_desktopHeight = desktop.height;
        g_desktopDepth = desktop.depth;
        g_desktopHertz = desktop.hertz;
    }

    // The screen as start-up opens it with these settings.
    void OpenScreen(int fullscreen, int width, int height) {
        g_isFullscreen = fullscreen, g_ScreenWidth = width, g_ScreenHeight = height;
        ASSERT_EQ(universe().OpenGraphicsWithFallback(universe().PickOptimalGraphicsMode(), width, height, fullscreen,
                                                      -1, -1, 0),
                  1);
    }

    static GraphicsMode LastOpened() {
        const std::vector<GraphicsCall>& calls = RecordedGraphicsCalls();
        return calls.empty() ? GraphicsMode{} : calls.back().mode;
    }

    // Strings made of entries "<name>key</name><code>text</code>...".
    void UseStrings(const std::vector<std::string>& entries) {
        std::string text = "<strings>";
        for (const std::string& entry : entries) text += "<string>" + entry + "</string>";
        universe().languageStringsArray = ExtractListFromXML(text + "</strings>", "string");
    }
};

TEST_F(OptionsMenuTest, SixButtonsStandInTheColumnUnderTheBoxWithThePointerLastAndGoBackWritesThePreferences) {
    g_language = "";
    ASSERT_EQ(WriteWholeFile(PrefsPath(), ReadText(PrefsPath()), 0444), 1);
    MoveMouse(300, 200);
    std::vector<DrawCall> frame;
    const std::vector<std::string> frames = Run({{Keep(frame, Shows("Go Back")), PressKey(KEY_ESCAPE)}});

    const std::vector<ShownButton> buttons = ButtonsIn(frame);
    const std::vector<std::string> labels = {"Graphics Quality", "Effects", "Full Screen/Window", "Audio",
                                             "Choose Language",  "Go Back"};
    ASSERT_EQ(buttons.size(), labels.size());
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i].label, labels[i]);
        ExpectAt(buttons[i], ColumnPlace(400, static_cast<int>(i), 6));
    }
    // Cleared, the background and the box, no title but the empty one, the buttons, and the
    // pointer over everything, unscaled at the pointer.
    ASSERT_GE(frame.size(), 3u);
    EXPECT_EQ(frame.front().kind, DrawKind::Cls);
    EXPECT_EQ(frame.back().kind, DrawKind::Flip);
    const DrawCall& pointer = frame[frame.size() - 2];
    EXPECT_EQ(pointer.kind, DrawKind::Image);
    EXPECT_EQ(pointer.image, universe().cursorImage);
    EXPECT_EQ(pointer.x, 300);
    EXPECT_EQ(pointer.y, 200);
    EXPECT_EQ(pointer.state.scaleX, 1.0f);
    EXPECT_EQ(Calls(frame, DrawKind::Text).size(), labels.size() + 1);
    EXPECT_EQ(Calls(frame, DrawKind::Text).front()->text, "");
    // The frame of Go Back is drawn whole.
    EXPECT_EQ(
        frames.back(), "|" + [&] {
            std::string all;
            for (const std::string& label : labels) all += label + "|";
            return all;
        }());

    // An empty language opened as English, and is saved so; the read-only file is written.
    EXPECT_EQ(g_language, "en");
    EXPECT_EQ(Pref("language"), "en");
    EXPECT_EQ(ModeOf(PrefsPath()), 0744);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(OptionsMenuTest, GraphicsQualityOpensOnTheCurrentSettingAndStoresTheAnswerCancelsToo) {
    const struct Case {
        int before;
        std::vector<int> keys;
        std::vector<std::string> shown;
        int after;
    } cases[] = {
        {1, {KEY_ENTER}, {"Better Graphics"}, 1},
        {0, {KEY_ESCAPE}, {"Faster Graphics"}, 0},
        {1, {KEY_DOWN, KEY_ENTER}, {"Better Graphics", "Faster Graphics"}, 0},
        {0, {KEY_UP, KEY_ENTER}, {"Faster Graphics", "Better Graphics"}, 1},
        {1, {KEY_DOWN, KEY_ESCAPE}, {"Better Graphics", "Faster Graphics"}, 1},
        // A number from the preferences that no entry has becomes the entry shown.
        {5, {KEY_ESCAPE}, {"Better Graphics"}, 1},
        {5, {KEY_DOWN, KEY_ESCAPE}, {"Better Graphics", "Faster Graphics"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " then " << c.keys.size() << " keys");
        g_isFastComputer = c.before;
        g_maxParticles = 512;
        EXPECT_EQ(EntriesShown(RunChoice('G', c.keys)), c.shown);
        EXPECT_EQ(g_isFastComputer, c.after);
        EXPECT_EQ(g_maxParticles, 512) << "the pool waits for the effects to be chosen again";
        EXPECT_EQ(Pref("isFastComputer"), IntToText(c.after));
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(OptionsMenuTest, EffectsOpenOnTheCurrentSettingAndSetThePoolAndTrailsCancelsToo) {
    const struct Case {
        const char* what;
        int particles, trails, fast;
        std::vector<int> keys;
        const char* opensOn;
        int particlesAfter, trailsAfter;
    } cases[] = {
        {"no pool shows no effects", 0, 1, 1, {KEY_ESCAPE}, "No Effects", 0, 0},
        {"no trails", 512, 0, 1, {KEY_ESCAPE}, "No Ball Trails", 512, 0},
        {"full on a fast computer", 256, 1, 1, {KEY_ENTER}, "Full Effects", 512, 1},
        {"full on a slow computer", 512, 1, 0, {KEY_ENTER}, "Full Effects", 256, 1},
        {"no trails keeps the fast pool", 512, 1, 1, {KEY_DOWN, KEY_ENTER}, "Full Effects", 512, 0},
        {"no trails on a slow computer", 512, 1, 0, {KEY_DOWN, KEY_ENTER}, "Full Effects", 256, 0},
        {"no effects, whatever the computer", 512, 1, 1, {KEY_UP, KEY_ENTER}, "Full Effects", 0, 0},
        {"Cancel after the quality went down", 512, 1, 0, {KEY_ESCAPE}, "Full Effects", 256, 1},
        {"Cancel over a pool from the preferences", 300, 1, 1, {KEY_ESCAPE}, "Full Effects", 512, 1},
        {"Cancel over a pool from the preferences, slow", 300, 1, 0, {KEY_ESCAPE}, "Full Effects", 256, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_maxParticles = c.particles, g_useBallTrails = c.trails, g_isFastComputer = c.fast;
        const std::vector<std::string> shown = EntriesShown(RunChoice('E', c.keys));
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.front(), c.opensOn);
        EXPECT_EQ(g_maxParticles, c.particlesAfter);
        EXPECT_EQ(g_useBallTrails, c.trailsAfter);
        EXPECT_EQ(g_isFastComputer, c.fast);
        EXPECT_EQ(Pref("maxParticles"), IntToText(c.particlesAfter));
        EXPECT_EQ(Pref("useBallTrails"), IntToText(c.trailsAfter));
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(OptionsMenuTest, TheScreenModesOnOfferFollowTheDesktopAndTheScreenIsReopenedInTheModeChosen) {
    const GraphicsMode window1024 = {1024, 768, 0, 60};
    const struct Case {
        const char* what;
        GraphicsMode desktop;
        int fullscreen, width, height;  // the settings the screen opened with
        std::vector<int> keys;
        std::vector<std::string> shown;
        int fullscreenAfter, widthAfter, heightAfter;
        GraphicsMode reopened;
    } cases[] = {
        {"a 1280x1024 desktop offers four; Cancel keeps the big window",
         k1280,
         0,
         1024,
         768,
         {KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_ESCAPE},
         {"Big Window", "Medium Window", "Small Window", "Full Screen", "Big Window"},
         0,
         1024,
         768,
         window1024},
        {"the big window is the picked mode's size",
         k1280,
         0,
         640,
         480,
         {KEY_UP, KEY_UP, KEY_ENTER},
         {"Small Window", "Medium Window", "Big Window"},
         0,
         -1,
         -1,
         window1024},
        {"the medium window",
         k1280,
         0,
         1024,
         768,
         {KEY_DOWN, KEY_ENTER},
         {"Big Window", "Medium Window"},
         0,
         800,
         600,
         {800, 600, 0, 60}},
        {"full screen", k1280, 0, -1, -1, {KEY_UP, KEY_ENTER}, {"Big Window", "Full Screen"}, 1, -1, -1, k1024},
        // The 1024-wide window the shipped preferences ask for is not on offer here: the chooser
        // opens on full screen, which OK and Cancel alike then choose.
        {"a desktop of 1024x768 offers three; Cancel turns the window into full screen",
         k1024,
         0,
         1024,
         768,
         {KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_ESCAPE},
         {"Full Screen", "Medium Window", "Small Window", "Full Screen"},
         1,
         -1,
         -1,
         k1024},
        {"a 1280x768 desktop offers three",
         {1280, 768, 32, 60},
         0,
         640,
         480,
         {KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_ESCAPE},
         {"Small Window", "Full Screen", "Medium Window", "Small Window"},
         0,
         640,
         480,
         {640, 480, 0, 60}},
        {"a 1024x600 desktop offers two",
         {1024, 600, 32, 60},
         1,
         -1,
         -1,
         {KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_ENTER},
         {"Full Screen", "Small Window", "Full Screen", "Small Window"},
         0,
         640,
         480,
         {640, 480, 0, 60}},
        {"an 800x600 desktop offers two",
         k800,
         0,
         640,
         480,
         {KEY_DOWN, KEY_DOWN, KEY_ESCAPE},
         {"Small Window", "Full Screen", "Small Window"},
         0,
         640,
         480,
         {640, 480, 0, 60}},
        {"full screen comes first, whatever the width",
         k1280,
         1,
         800,
         600,
         {KEY_ESCAPE},
         {"Full Screen"},
         1,
         800,
         600,
         k800},
        {"an 800x480 window counts as the medium one",
         k1280,
         0,
         800,
         480,
         {KEY_ESCAPE},
         {"Medium Window"},
         0,
         800,
         480,
         {800, 480, 0, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseDesktop(c.desktop, {c.desktop, k1024, k800, k640});
        OpenScreen(c.fullscreen, c.width, c.height);
        const size_t opensBefore = RecordedGraphicsCalls().size();
        EXPECT_EQ(EntriesShown(RunChoice('F', c.keys)), c.shown);
        EXPECT_EQ(g_isFullscreen, c.fullscreenAfter);
        EXPECT_EQ(g_ScreenWidth, c.widthAfter);
        EXPECT_EQ(g_ScreenHeight, c.heightAfter);
        // Reopened once, even when nothing changed.
        EXPECT_EQ(RecordedGraphicsCalls().size(), opensBefore + 1);
        EXPECT_EQ(LastOpened(), c.reopened);
        EXPECT_EQ(GraphicsWidth(), c.reopened.width);
        EXPECT_FLOAT_EQ(g_widthFactor, c.reopened.width / 1024.0f);
        EXPECT_EQ(Pref("isFullscreen"), IntToText(c.fullscreenAfter));
        EXPECT_EQ(Pref("screenWidth"), IntToText(c.widthAfter));
        EXPECT_EQ(Pref("screenHeight"), IntToText(c.heightAfter));
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(OptionsMenuTest, AfterAScreenModeChangeTheColumnAndTheInGameButtonsStandForTheNewScreen) {
    UseDesktop(k1280, {k1280, k1024, k800, k640});
    OpenScreen(0, 1024, 768);
    std::vector<DrawCall> frame;
    Run({{"Go Back", PressKey('F')},
         {IsChooser, PressKey(KEY_DOWN)},
         {IsChooser, PressKey(KEY_ENTER)},
         // The frame that ran the chooser ends on the new screen as it began; the next pass
         // lays out anew.
         {"Go Back", [] {}},
         {Keep(frame, Shows("Go Back")), PressKey(KEY_ESCAPE)}});
    ASSERT_EQ(GraphicsWidth(), 800);
    const std::vector<ShownButton> buttons = ButtonsIn(frame);
    ASSERT_EQ(buttons.size(), 6u);
    for (size_t i = 0; i < buttons.size(); ++i) ExpectAt(buttons[i], ColumnPlace(400, static_cast<int>(i), 6));
    EXPECT_FLOAT_EQ(universe().buttonQuitToMain->width, 400 * 800 / 1024.0f);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(OptionsMenuTest, AModeThatWillNotOpenGivesWayToThePreviousOneThenToA1024x768Window) {
    using Refusal = bool (*)(const GraphicsMode&);
    const struct Case {
        const char* what;
        int width, height;  // the window open before
        Refusal refuse;
        std::vector<GraphicsMode> tried;
        int widthAfter, heightAfter;
        std::string said;
    } cases[] = {
        {"back to the window open before",
         640,
         480,
         [](const GraphicsMode& m) { return m.width == 800; },
         {{800, 600, 0, 60}, {640, 480, 0, 60}},
         640,
         480,
         "The screen would not open at 800x600, 0-bit color @60Hz.\nGoing back to the previous screen mode.\n"},
        {"that one refused too: a 1024x768 window",
         640,
         480,
         [](const GraphicsMode& m) { return m.width != 1024; },
         {{800, 600, 0, 60}, {640, 480, 0, 60}, {1024, 768, 0, 60}},
         1024,
         768,
         "The screen would not open at 800x600, 0-bit color @60Hz.\nGoing back to the previous screen mode.\nThe "
         "screen would not open at 640x480, 0-bit color @60Hz.\nTrying a 1024x768 window.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseDesktop(k1280, {k1280, k1024, k800, k640});
        OpenScreen(0, c.width, c.height);
        ResetHeadlessGraphics();
        UseDesktop(k1280, {k1280, k1024, k800, k640});
        SetHeadlessGraphicsRefusal(c.refuse);
        // From the small window up to the medium one.
        testing::internal::CaptureStderr();
        RunChoice('F', {KEY_UP, KEY_ENTER});
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said, c.said);
        std::vector<GraphicsMode> tried;
        for (const GraphicsCall& call : RecordedGraphicsCalls()) tried.push_back(call.mode);
        EXPECT_EQ(tried, c.tried);
        // The settings and the preferences name the screen that is open.
        EXPECT_EQ(GraphicsWidth(), c.widthAfter);
        EXPECT_EQ(g_isFullscreen, 0);
        EXPECT_EQ(g_ScreenWidth, c.widthAfter);
        EXPECT_EQ(g_ScreenHeight, c.heightAfter);
        EXPECT_EQ(Pref("screenWidth"), IntToText(c.widthAfter));
        EXPECT_EQ(Pref("screenHeight"), IntToText(c.heightAfter));
        EXPECT_EQ(Pref("isFullscreen"), "0");
        // A failure the game recovers from stays out of the log, which would end the next game start.
        EXPECT_EQ(g_DebugLog, "");
    }
}

TEST_F(OptionsMenuTest, WhenNoScreenWillOpenAtAllTheRunEndsWithTheAlertAndTheErrorLog) {
    const std::string prefs = ReadText(PrefsPath());
    const ChildResult child = RunInChild([] {
        Script player({{"Go Back", PressKey('F')}, {IsChooser, [] {
                                                        SetHeadlessGraphicsRefusal(
                                                            [](const GraphicsMode&) { return true; });
                                                        Press(KEY_ENTER);
                                                    }}});
        DrawOptionsMenu(g_gameUniverse);
    });
    const std::string alert = "The game cannot go on as asked. (No screen would open, not even a 1024x768 window.)";
    EXPECT_EQ(child.exitStatus, kCannotGoOnStatus);
    EXPECT_TRUE(child.err.ends_with(alert + "\n")) << child.err;
    EXPECT_EQ(ReadText(userFolder + "bx2_error_log.txt"), " NOTE: " + alert + "\n");
    EXPECT_EQ(ReadText(PrefsPath()), prefs) << "the preferences are written only on Go Back";
}

TEST_F(OptionsMenuTest, AudioOpensOnTheVolumesEntryAndSetsBothVolumesStoppingTheMusicForTwo) {
    const struct Case {
        float sfx, music;
        std::vector<int> keys;
        const char* opensOn;
        float sfxAfter, musicAfter;
        bool musicAfterwards;
    } cases[] = {
        {1.0f, 0.0f, {KEY_ESCAPE}, "Sound Only", 1.0f, 0.0f, false},
        {0.0f, 1.0f, {KEY_ESCAPE}, "Music Only", 0.0f, 1.0f, true},
        {0.0f, 0.0f, {KEY_ESCAPE}, "Audio Off", 0.0f, 0.0f, false},
        {1.0f, 1.0f, {KEY_ESCAPE}, "Sound and Music", 1.0f, 1.0f, true},
        // Any other pair counts as sound and music, and Cancel makes it so.
        {0.5f, 0.5f, {KEY_ESCAPE}, "Sound and Music", 1.0f, 1.0f, true},
        {1.0f, 0.3f, {KEY_ESCAPE}, "Sound and Music", 1.0f, 1.0f, true},
        {1.0f, 1.0f, {KEY_DOWN, KEY_ENTER}, "Sound and Music", 1.0f, 0.0f, false},
        {1.0f, 1.0f, {KEY_DOWN, KEY_DOWN, KEY_ENTER}, "Sound and Music", 0.0f, 1.0f, true},
        {1.0f, 1.0f, {KEY_UP, KEY_ENTER}, "Sound and Music", 0.0f, 0.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sfx << "/" << c.music << " then " << c.keys.size() << " keys");
        g_sfxVolume = c.sfx, g_musicVolume = c.music;
        g_MasterMixer->EndMusic();
        g_MasterMixer->AddMusic(universe().sndButtonClick);
        const std::vector<std::string> shown = EntriesShown(RunChoice('A', c.keys));
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.front(), c.opensOn);
        EXPECT_EQ(g_sfxVolume, c.sfxAfter);
        EXPECT_EQ(g_musicVolume, c.musicAfter);
        EXPECT_EQ(g_MasterMixer->MusicPlaying(), c.musicAfterwards ? 1 : 0);
        EXPECT_EQ(Pref("soundVolume"), FloatToText(c.sfxAfter));
        EXPECT_EQ(Pref("musicVolume"), FloatToText(c.musicAfter));
    }

    // Music switched back on starts nothing by itself.
    g_MasterMixer->EndMusic();
    g_sfxVolume = 0.0f, g_musicVolume = 0.0f;
    RunChoice('A', {KEY_DOWN, KEY_ENTER});
    EXPECT_EQ(g_musicVolume, 1.0f);
    EXPECT_EQ(g_MasterMixer->MusicPlaying(), 0);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(OptionsMenuTest, AChosenLanguageRelabelsTheNextFrameTheInGameButtonsAndTheOtherChoosers) {
    ASSERT_EQ(g_language, "en");
    const std::vector<std::string> frames = Run({{"Go Back", PressKey('L')},
                                                 {IsChooser, PressKey(KEY_DOWN)},
                                                 {IsChooser, PressKey(KEY_ENTER)},
                                                 {"Retour", PressKey('A')},
                                                 {IsChooser, PressKey(KEY_ESCAPE)},
                                                 {"Retour", PressKey('L')},
                                                 {IsChooser, PressKey(KEY_UP)},
                                                 {IsChooser, PressKey(KEY_ESCAPE)},
                                                 {"Retour", PressKey(KEY_ESCAPE)}});
    // The list names every language in its own, before and after the change; Cancel keeps "fr".
    EXPECT_EQ(EntriesShown(frames), (std::vector<std::string>{"English", Latin1("Français"), "Sons et musique",
                                                              Latin1("Français"), "English"}));
    // The frame that ran the chooser ends as it began; the next is in French.
    const std::vector<std::string> after = FramesAfterChooser(frames);
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after[0], "|Graphics Quality|Effects|Full Screen/Window|Audio|Choose Language|Go Back|");
    EXPECT_EQ(after[1], Latin1("|Qualité graphique|Effets|Plein écran/fenêtre|Son|Choisir la langue|Retour|"));
    EXPECT_EQ(g_language, "fr");
    EXPECT_EQ(Pref("language"), "fr");
    EXPECT_EQ(universe().buttonNewFromThisLevel->text, Latin1("Recommencer à ce niveau"));
    EXPECT_EQ(universe().buttonNewGame->text, Latin1("Recommencer au début"));
    EXPECT_EQ(universe().buttonQuitToMain->text, LocalizedText("Quit To Menu"));
    EXPECT_NE(universe().buttonQuitToMain->text, "Quit To Menu");
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(OptionsMenuTest, TheLanguageWalkFollowsTheRingAndEndsWhereTheRingDoesNotClose) {
    // Codes l1, l2, ... each naming the next, and never one before.
    std::string chain = "<name>Next Language</name><en>l1</en>";
    std::string names = "<name>Language</name><en>English</en>";
    for (size_t i = 1; i < 100; ++i) {
        chain += "<l" + std::to_string(i) + ">l" + std::to_string(i + 1) + "</l" + std::to_string(i) + ">";
        names += "<l" + std::to_string(i) + ">L" + std::to_string(i) + "</l" + std::to_string(i) + ">";
    }
    std::vector<std::string> chainedNames = {"English"}, chainedCodes = {"en"};
    for (size_t i = 1; i < kMaxLanguages; ++i) {
        chainedNames.push_back("L" + std::to_string(i));
        chainedCodes.push_back("l" + std::to_string(i));
    }
    const std::string ring = "<name>Language</name><en>English</en><a>Aish</a><b>Bish</b>";
    const struct Case {
        const char* what;
        std::vector<std::string> strings;
        std::string start;
        std::vector<std::string> names, codes;
    } cases[] = {
        {"a ring from its first language",
         {ring, "<name>Next Language</name><en>a</en><a>b</a><b>en</b>"},
         "en",
         {"English", "Aish", "Bish"},
         {"en", "a", "b"}},
        {"a ring from another language",
         {ring, "<name>Next Language</name><en>a</en><a>b</a><b>en</b>"},
         "a",
         {"Aish", "Bish", "English"},
         {"a", "b", "en"}},
        {"a ring of one", {ring, "<name>Next Language</name><en>en</en>"}, "en", {"English"}, {"en"}},
        {"a code the strings do not know",
         {ring, "<name>Next Language</name><en>a</en><a>b</a><b>en</b>"},
         "xx",
         {"English", "Aish", "Bish", "English"},
         {"xx", "a", "b", "en"}},
        {"a cycle that leaves out the start",
         {ring, "<name>Next Language</name><en>a</en><a>b</a><b>a</b>"},
         "en",
         {"English", "Aish", "Bish"},
         {"en", "a", "b"}},
        {"no \"Next Language\" at all", {ring}, "a", {"Aish"}, {"a"}},
        {"no code in the entry", {ring, "<name>Next Language</name><en></en><a></a>"}, "a", {"Aish"}, {"a"}},
        {"no \"Language\" either", {}, "en", {"Language"}, {"en"}},
        {"a chain that never comes back", {names, chain}, "en", chainedNames, chainedCodes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseStrings(c.strings);
        g_language = "de";
        const LanguageList list = BuildLanguageList(universe(), c.start);
        EXPECT_EQ(list.names, c.names);
        EXPECT_EQ(list.codes, c.codes);
        EXPECT_EQ(g_language, c.start);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(OptionsMenuTest, OverABrokenRingTheScreenOpensListsEachLanguageOnceAndKeepsItsLanguage) {
    const std::string ring = "<name>Language</name><en>English</en><a>Aish</a><b>Bish</b>";
    UseStrings({ring, "<name>Next Language</name><en>a</en><a>b</a><b>a</b>"});
    g_language = "en";
    // Down three times comes back round to the first entry.
    EXPECT_EQ(EntriesShown(RunChoice('L', {KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_ESCAPE})),
              (std::vector<std::string>{"English", "Aish", "Bish", "English"}));
    EXPECT_EQ(g_language, "en");
    EXPECT_EQ(Pref("language"), "en");
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(OptionsMenuTest, AChooserThatFailsChangesNothingAndReopensNothing) {
    UseDesktop(k1280, {k1280, k1024, k800, k640});
    OpenScreen(0, 1024, 768);
    for (int hotKey : {'G', 'E', 'F', 'A', 'L'}) {
        SCOPED_TRACE(std::string(1, static_cast<char>(hotKey)));
        g_isFastComputer = 1, g_maxParticles = 512, g_useBallTrails = 1;
        g_sfxVolume = 1.0f, g_musicVolume = 1.0f, g_language = "en";
        ClearDebugLog();
        const size_t opensBefore = RecordedGraphicsCalls().size();
        const std::vector<std::string> frames = Run({{"Go Back", PressKey(hotKey)},
                                                     {IsChooser, [] { RuntimeError("the chooser broke"); }},
                                                     {"Go Back", PressKey(KEY_ESCAPE)}});
        EXPECT_EQ(g_DebugLog, "menu:DrawChooseMenu() the chooser broke\n");
        EXPECT_EQ(g_isFastComputer, 1);
        EXPECT_EQ(g_maxParticles, 512);
        EXPECT_EQ(g_useBallTrails, 1);
        EXPECT_EQ(g_sfxVolume, 1.0f);
        EXPECT_EQ(g_musicVolume, 1.0f);
        EXPECT_EQ(g_language, "en");
        EXPECT_EQ(g_isFullscreen, 0);
        EXPECT_EQ(g_ScreenWidth, 1024);
        EXPECT_EQ(RecordedGraphicsCalls().size(), opensBefore);
        // The screen carries on.
        ASSERT_FALSE(FramesAfterChooser(frames).empty());
        EXPECT_NE(FramesAfterChooser(frames)[0].find("Go Back"), std::string::npos);
    }
}

TEST_F(OptionsMenuTest, AFailureInsideTheScreenIsLoggedOnceAndLeavesThePreferencesAlone) {
    const std::string prefs = ReadText(PrefsPath());
    g_isFastComputer = 0;
    Run({{"Go Back", [] { RuntimeError("out of paint"); }}});
    EXPECT_EQ(g_DebugLog, "menu:DrawOptionsMenu() out of paint\n");
    EXPECT_EQ(ReadText(PrefsPath()), prefs);
}

}  // namespace
