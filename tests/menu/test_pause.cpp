// The pause screen on the headless screen with a fixed clock: its choices and what each puts
// back, its layout, the leaving fade, the hidden cheat switch, the waits while the game is away,
// and its failure path.
#include <gtest/gtest.h>

#include "frozen_support.h"
#include "menu/pause.h"
#include "pieces/gamestats.h"
#include "pieces/paddle.h"

namespace {

using namespace frozen_test;

class PauseScreen : public FrozenGameTest {
protected:
    // A game in slow motion with its music playing, paused by the play loop.
    void PausedInSlowMotion() {
        ClearEffects();
        SetGlobalGameSpeed(0.33f, 5.0f, 99.0f);
        g_gameSpeedModulation = 0.5f;
        g_MasterMixer->RateAdjust(0.5f);
        g_MasterMixer->Pause();
    }
    static bool Darkened(const Frame& frame) { return Darkening(frame).has_value(); }
};

TEST_F(PauseScreen, EveryChoiceResumesTheSoundAndOnlyTheWaysOutPutSpeedRateAndMusicBack) {
    const ColumnBox toMenu = ColumnPlace(400, 2, 4);
    struct Case {
        const char* what;
        std::vector<Script::Step> steps;
        const char* choice;
        int cheats;         // the game's flag afterwards
        const char* click;  // the one sound heard
    };
    const Case cases[] = {
        {"Escape", {{"Paused", PressKey(KEY_ESCAPE)}}, "Resume", 0, "button_click"},
        {"M", {{"Paused", PressKey('M')}}, "Main Menu", 0, "button_click"},
        {"Q", {{"Paused", PressKey('Q')}}, "End", 0, "button_quit"},
        {"a click on Quit To Menu",
         {{"Paused",
           [&] {
               PointAt(toMenu);
               HoldButton(1);
           }},
          {"Paused", [] { ReleaseButton(1); }}},
         "Main Menu",
         0,
         "button_click"},
        {"C, then Enter: cheats on, and the question's clicks silent",
         {{"Paused", PressKey('C')}, {"Enable Cheats?", PressKey(KEY_ENTER)}, {"Paused", PressKey(KEY_ESCAPE)}},
         "Resume",
         1,
         "button_click"},
        {"C, then Escape: the Escape only cancels",
         {{"Paused", PressKey('C')}, {"Enable Cheats?", PressKey(KEY_ESCAPE)}, {"Paused", PressKey(KEY_ESCAPE)}},
         "Resume",
         0,
         "button_click"},
        {"Command with Q and a window close do nothing here",
         {{"Paused",
           [] {
               Hold(KEY_LCOMMAND);
               Press('Q');
           }},
          {"Paused",
           [] {
               Release(KEY_LCOMMAND);
               InjectEvent({.type = InputEventType::Terminate});
           }},
          {"Paused", PressKey(KEY_ESCAPE)}},
         "Resume",
         0,
         "button_click"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        game().gameStats->cheatEnabled = 0;
        g_MasterMixer->AddMusic(universe().sndButtonClick);
        PausedInSlowMotion();
        FilmedPlayer player(c.steps);
        EXPECT_EQ(DrawPauseMenu(g_gameUniverse), c.choice);
        EXPECT_TRUE(player.Finished());
        EXPECT_EQ(g_MasterMixer->masterPause, 0);
        EXPECT_EQ(game().gameStats->cheatEnabled, c.cheats);
        EXPECT_EQ(EffectsPlayed(), std::vector<std::string>{c.click});

        const bool leaves = std::string(c.choice) != "Resume";
        EXPECT_FLOAT_EQ(g_gameSpeedTargetModulation, leaves ? 1.0f : 0.33f);
        EXPECT_FLOAT_EQ(g_gameSpeedModulationRate, leaves ? 10.0f : 5.0f);
        EXPECT_FLOAT_EQ(g_gameSpeedModulationTTL, leaves ? -1.0f : 99.0f);
        EXPECT_FLOAT_EQ(g_gameSpeedModulation, leaves ? 1.0f : 0.5f);
        EXPECT_FLOAT_EQ(g_MasterMixer->masterRate, leaves ? 1.0f : 0.5f);
        EXPECT_EQ(g_MasterMixer->MusicPlaying(), leaves ? 0 : 1);
        // Only a way out fades; resuming returns right after the frame of the choice.
        const std::vector<Frame>& frames = player.Frames();
        EXPECT_EQ(std::count_if(frames.begin(), frames.end(), Darkened) > 0, leaves);
        EXPECT_EQ(g_pauseAtFlip, 0) << "the pause screen leaves the request to the play loop";
        // A window close is left for the play loop, which asks for the pause again.
        if (std::string(c.what).starts_with("Command")) {
            EXPECT_TRUE(AppTerminate());
        }
    }

    // A game with cheats on is not asked again.
    game().gameStats->cheatEnabled = 1;
    PausedInSlowMotion();
    FilmedPlayer player({{"Paused", PressKey('C')}, {"Paused", PressKey(KEY_ESCAPE)}});
    EXPECT_EQ(DrawPauseMenu(g_gameUniverse), "Resume");
    for (const Frame& frame : player.Frames()) EXPECT_EQ(TextCall(frame, "Enable Cheats?"), nullptr);
    EXPECT_EQ(game().gameStats->cheatEnabled, 1);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(PauseScreen, ItShowsItsTitleAndThreeButtonsAroundAFreeRowOverTheFrozenGameWithThePointerOnTop) {
    const struct {
        int width, height;
        const char* language;
        const char* title;
        std::vector<std::string> labels;
    } cases[] = {
        {1024, 768, "en", "Paused", {"Resume Game", "Quit To Menu", "Quit Brondelvix 2"}},
        {800, 600, "fr", "Pause", {"Reprendre la partie", "Retour au menu", "Quitter Brondelvix 2"}},
    };
    const int rows[] = {0, 2, 3};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        UseScreen(c.width, c.height);
        g_language = c.language;
        Frame frame;
        FilmedPlayer player(
            {{Shows(c.title), [] { MovePointer(130, 70); }}, {Keep(frame, Shows(c.title)), PressKey(KEY_ESCAPE)}});
        EXPECT_EQ(DrawPauseMenu(g_gameUniverse), "Resume");
        ASSERT_TRUE(player.Finished());

        const std::vector<ShownButton> buttons = ButtonsIn(frame);
        ASSERT_EQ(buttons.size(), 3u);
        for (size_t i = 0; i < buttons.size(); ++i) {
            EXPECT_EQ(buttons[i].label, Latin1(c.labels[i]));
            ExpectAt(buttons[i], ColumnPlace(400, rows[i], 4));
        }
        // Row 1 stays free: Resume Game stands two rows above Quit To Menu.
        EXPECT_FLOAT_EQ(buttons[1].y - buttons[0].y, 2 * (buttons[0].h + 4));
        EXPECT_EQ(TextCall(frame, "Enable Cheats?"), nullptr);
        const DrawCall* title = TextCall(frame, c.title);
        ASSERT_NE(title, nullptr);
        EXPECT_TRUE(ColourIs(*title, 0, 200, 0));
        EXPECT_EQ(title->y, static_cast<float>(c.height / 41 * 11));

        // Bottom to top: the field, the panel, the title, the buttons, then the pointer, unscaled
        // at the pointer's own place.
        auto at = [&](const DrawCall* call) { return call ? call - frame.data() : -1; };
        const DrawCall* brick = nullptr;
        for (const DrawCall& call : frame) {
            if (!brick && call.kind == DrawKind::Image && call.image == PackImage("brick")->imageData) brick = &call;
        }
        const DrawCall* levelName = TextCall(frame, "\"Level One\"");
        const DrawCall* firstLabel = TextCall(frame, Latin1(c.labels[0]));
        ASSERT_NE(brick, nullptr);
        EXPECT_LT(at(brick), at(levelName));
        EXPECT_LT(at(levelName), at(title));
        EXPECT_LT(at(title), at(firstLabel));
        const DrawCall& pointer = frame[frame.size() - 2];
        ASSERT_EQ(frame.back().kind, DrawKind::Flip);
        ASSERT_EQ(pointer.kind, DrawKind::Image);
        EXPECT_EQ(pointer.image, universe().cursorImage);
        EXPECT_EQ(pointer.x, 130.0f);
        EXPECT_EQ(pointer.y, 70.0f);
        EXPECT_EQ(pointer.state.scaleX, 1.0f);
        EXPECT_EQ(pointer.state.scaleY, 1.0f);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(PauseScreen, LeavingDarkensTheFrozenGameUnderAVeilThatThickensAfterEachFrame) {
    // A ball drawn in shade blending: the veil and the panel must not take its mode.
    PackImage("ball")->blendMode = "SHADEBLEND";
    const TImagePtr ball = PackImage("ball")->imageData;
    const struct {
        int ms;
        size_t frames;
        float step;
    } cases[] = {{25, 32, 1.0f / 32}, {60, 18, 45.0f / 800}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        FramesOf(c.ms);
        Frame choosing;
        FilmedPlayer player({{Keep(choosing, Shows("Paused")), PressKey('Q')}});
        EXPECT_EQ(DrawPauseMenu(g_gameUniverse), "End");

        // The fade's frames are the last ones.
        std::vector<Frame> fade;
        for (const Frame& frame : player.Frames()) {
            if (Darkened(frame)) fade.push_back(frame);
        }
        ASSERT_EQ(fade.size(), c.frames);
        ASSERT_GE(player.Frames().size(), c.frames + 1);
        EXPECT_FALSE(Darkened(player.Frames()[player.Frames().size() - c.frames - 1]));
        for (size_t i = 0; i < fade.size(); ++i) {
            SCOPED_TRACE(i);
            const Frame& frame = fade[i];
            EXPECT_NEAR(*Darkening(frame), static_cast<float>(i) * c.step, 1e-5f);
            // The frozen game, its ball still in shade blending, and the same panel, all under
            // the veil; no box, no button, no pointer.
            EXPECT_TRUE(Drew(frame, ball));
            for (const DrawCall& call : frame) {
                if (call.kind == DrawKind::Image && call.image == ball) {
                    EXPECT_EQ(call.state.blend, SHADEBLEND);
                }
                if (call.kind == DrawKind::Rect) {
                    EXPECT_EQ(call.state.blend, ALPHABLEND);
                }
            }
            EXPECT_TRUE(SameRows(PanelRows(frame), PanelRows(choosing)));
            for (const DrawCall& row : PanelRows(frame)) EXPECT_EQ(row.state.blend, ALPHABLEND);
            EXPECT_EQ(PanelRows(frame).size(), 13u);
            EXPECT_EQ(TextCall(frame, "Paused"), nullptr);
            EXPECT_TRUE(ButtonsIn(frame).empty());
            EXPECT_FALSE(Drew(frame, universe().cursorImage));
        }
        EXPECT_LT(*Darkening(fade.back()), 1.0f);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(PauseScreen, WhileTheGameIsAwayItWaitsHalfASecondAtATimeAndEndsOnlyOnceItIsBack) {
    std::vector<std::string> seen;  // "frame" for each frame shown, "wait" for each wait
    int last = MilliSecs();
    int waits = 0;
    SetTestClockHook([&] {
        const bool wait = MilliSecs() - last == 500;
        last = MilliSecs();
        seen.push_back(wait ? "wait" : "frame");
        waits = wait ? waits + 1 : 0;
        const int frames = static_cast<int>(std::count(seen.begin(), seen.end(), "frame"));
        if (!wait && frames == 1) {
            InjectEvent({.type = InputEventType::FocusGained});
            InjectEvent({.type = InputEventType::FocusLost});
        }
        if (wait && waits == 3) InjectEvent({.type = InputEventType::FocusGained});
        if (!wait && frames == 2) Press(KEY_ESCAPE);
        // Away again in the very frame that chose.
        if (!wait && frames == 3) InjectEvent({.type = InputEventType::FocusLost});
        if (wait && waits == 2 && frames == 3) InjectEvent({.type = InputEventType::FocusGained});
    });
    EXPECT_EQ(DrawPauseMenu(g_gameUniverse), "Resume");
    SetTestClockHook(nullptr);
    const std::vector<std::string> expected = {"frame", "wait", "wait", "wait", "frame", "frame", "wait", "wait"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(PauseScreen, AWayOutKeepsItsChoiceWhateverTheMixerMakesOfItsClick) {
    const struct {
        const char* what;
        std::function<void()> make;
        bool heard;
    } cases[] = {
        {"a click that plays", [] {}, true},
        {"no quit sound at all", [this] { universe().sndButtonQuit = nullptr; }, false},
        {"a quit sound without its sample", [this] { universe().sndButtonQuit = std::make_shared<Sound>(); }, false},
        {"no free slot", [] { g_MasterMixer->totalChannels = 1; }, false},
    };
    const SoundPtr quitSound = universe().sndButtonQuit;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.make();
        PausedInSlowMotion();
        FilmedPlayer player({{"Paused", PressKey('Q')}});
        EXPECT_EQ(DrawPauseMenu(g_gameUniverse), "End");
        g_MasterMixer->totalChannels = 16;
        EXPECT_EQ(EffectsPlayed() == std::vector<std::string>{"button_quit"}, c.heard);
        EXPECT_FLOAT_EQ(g_gameSpeedModulation, 1.0f);
        universe().sndButtonQuit = quitSound;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(PauseScreen, WhatIsMissingIsPassedOverInSilence) {
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"no game", [this] { universe().currentGame = nullptr; }},
        {"a game without its level or pack",
         [this] {
             game().currentLevel = nullptr;
             game().currentPack = nullptr;
         }},
        {"a level without paddle or shield box, and a pool shorter than the balls in play",
         [this] {
             level().playerPaddle = nullptr;
             level().brickShield = nullptr;
             level().bricksArray.push_back(nullptr);
             g_maxBalls = 64;
         }},
        {"a paddle without its body, a pack without particles",
         [this] {
             level().playerPaddle->paddleSprite = nullptr;
             game().currentPack->packParticleSprites = nullptr;
         }},
        {"no box picture and no pointer picture",
         [this] {
             universe().DialogImage = nullptr;
             universe().cursorImage = nullptr;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartGame();
        g_maxBalls = 16;
        c.make();
        ClearDebugLog();
        FilmedPlayer player({{"Paused", PressKey('M')}});
        EXPECT_EQ(DrawPauseMenu(g_gameUniverse), "Main Menu");
        EXPECT_EQ(g_DebugLog, "");
        // Every frame drew the panel or what there was of it, the fade's too.
        EXPECT_GT(player.Frames().size(), 10u);
    }
    g_maxBalls = 16;
}

TEST_F(PauseScreen, AFailureEndsItWithOneLogLineAndNoChoice) {
    // Without a mixer to resume, nothing can be chosen.
    const MixerPtr mixer = g_MasterMixer;
    g_MasterMixer = nullptr;
    EXPECT_EQ(DrawPauseMenu(g_gameUniverse), "");
    g_MasterMixer = mixer;
    EXPECT_EQ(g_DebugLog, "menu:DrawPauseMenu() " + std::string(kNullAccessMessage) + "\n");
}

}  // namespace
