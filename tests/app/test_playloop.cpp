// The play loop's update step: its phases in order, the level change and a next level the pack
// does not hold, the editor's keys after its Escape, fire input, the scripted player, the audio
// step and the wait while the game is away.
#include <gtest/gtest.h>

#include <filesystem>

#include "app_support.h"
#include "level/autoplayer.h"
#include "level/goal.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/weapon.h"
#include "sprites/sprites.h"

namespace {

using namespace app_test;

class UpdateStep : public MainProgramTest {
protected:
    void SetUp() override {
        MainProgramTest::SetUp();
        StartUp();
        StartGame();
        ASSERT_EQ(g_DebugLog, "");
        ASSERT_EQ(level().name, "Level One");
    }
};

TEST_F(UpdateStep, APassChangesLevelFirstThenPlaysTheNewLevelCountsAndDrawsEveryFourth) {
    level().nextLevel = "Level Two";
    level().levelEndTTL = 0.0f;
    g_gameSpeedModulation = 0.5f;
    StartRecording();
    Passes(1);
    // The new level took the game update of the very pass that brought it.
    EXPECT_EQ(level().name, "Level Two");
    EXPECT_LT(level().levelStartTTL, 25.0f);
    EXPECT_NE(ReadText(SavePath()).find("<saveLevel>Level Two</saveLevel>"), std::string::npos);
    EXPECT_FLOAT_EQ(g_MasterMixer->masterRate, 0.5f);
    EXPECT_EQ(state.updateCount, 1);

    Passes(2);
    EXPECT_EQ(state.updateCount, 3);
    for (const DrawCall& call : RecordedCalls()) EXPECT_NE(call.kind, DrawKind::Flip) << "no frame before the fourth";
    Passes(1);
    EXPECT_EQ(state.updateCount, 0);
    const std::vector<DrawCall> calls = StopRecording();
    EXPECT_TRUE(Drew(calls, "\"Level Two\""));
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const DrawCall& c) { return c.kind == DrawKind::Flip; }), 1);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(UpdateStep, ALevelChangesOnlyWhenItNamesANextLevelAndItsEndTimerRestsAtZero) {
    struct Case {
        const char* what;
        const char* nextLevel;
        float levelEndTTL;
        int editorMode;
        const char* levelAfter;
        bool saved;
    };
    const Case cases[] = {
        {"no next level", "", 0.0f, 0, "Level One", false},
        {"the end fade still running", "Level Two", 5.0f, 0, "Level One", false},
        {"no end timer", "Level Two", -1.0f, 0, "Level One", false},
        {"the end timer at rest", "Level Two", 0.0f, 0, "Level Two", true},
        {"the editor cuts the fade short and saves nothing", "Level Two", 30.0f, 1, "Level Two", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(SavePath());
        StartGame(0, c.editorMode);
        level().nextLevel = c.nextLevel;
        level().levelEndTTL = c.levelEndTTL;
        ChangeLevelIfDone(state);
        EXPECT_EQ(level().name, c.levelAfter);
        EXPECT_EQ(std::filesystem::exists(SavePath()), c.saved);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(UpdateStep, ANextLevelThePackLacksEndsTheGameThroughItsGameOverScreen) {
    level().nextLevel = "Nowhere";
    level().levelEndTTL = 0.0f;
    g_ScreenOverlayAlpha = 1.0f;  // the end fade had closed the screen
    ChangeLevelIfDone(state);
    // The level stays, reported once, and neither fades nor changes again.
    EXPECT_EQ(level().name, "Level One");
    EXPECT_EQ(level().nextLevel, "");
    EXPECT_EQ(level().levelEndTTL, -1.0f);
    EXPECT_EQ(level().gameOver, 0.0f);
    EXPECT_EQ(g_ScreenOverlayAlpha, 0.0f);
    const std::vector<std::string> lines = DebugLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Could not find level named \"Nowhere\""), std::string::npos) << lines[0];
    ClearDebugLog();

    // The game-over screen follows at the next frame; its choice ends the game.
    Script player({{"Game Over", [] { Press(KEY_ESCAPE); }}});
    for (int i = 0; i < 8 && state.playing; ++i) Passes(1);
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ(state.playing, 0);
    EXPECT_EQ(state.pendingAction, "");
    EXPECT_NE(ReadText(SavePath()).find("<saveLevel>Level One</saveLevel>"), std::string::npos);
    EXPECT_EQ(g_DebugLog, "");
}

// The pack's last level cleared: its goals end the game and fade the screen out, and no level
// follows. The game-over screen then shows over the level, not under a black screen for good.
TEST_F(UpdateStep, TheLastLevelClearedEndsTheGameThroughItsGameOverScreenOverTheLevel) {
    for (const BrickPtr& brick : level().bricksArray) brick->isLive = 0;
    level().mustClearBrickCount = 0;
    auto over = std::make_shared<Goal>();
    over->goalType = "clear level";
    over->successType = "game over";
    over->successAction = "100";
    auto fade = std::make_shared<Goal>();
    fade->goalType = "clear level";
    fade->successType = "fade out";
    fade->successAction = "100";
    level().goalsArray = {over, fade};
    level().nextLevel.clear();

    // The screen is seen over the level, not under the black of the level's end fade.
    float overlayAtGameOver = -1.0f;
    Script player({{"Game Over",
                    [&] {
                        overlayAtGameOver = g_ScreenOverlayAlpha;
                        Press(KEY_ESCAPE);
                    }}},
                  2000);
    for (int i = 0; i < 2000 && state.playing; ++i) Passes(1);
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ(state.playing, 0);
    EXPECT_EQ(overlayAtGameOver, 0.0f);
    const std::string playerFile = ReadText(PlayerPath());
    EXPECT_NE(playerFile.find("<gameStat>"), std::string::npos) << "the game is recorded";
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(UpdateStep, EscapePCommandQAndAWindowCloseEachAskForOnePauseWithoutQuitting) {
    const struct {
        const char* what;
        std::function<void()> ask;
    } sources[] = {
        {"Escape", [] { Press(KEY_ESCAPE); }},
        {"P", [] { Press(KEY_P); }},
        {"Command held, then Q",
         [this] {
             Hold(KEY_LCOMMAND);
             Passes(1);
             Hold(KEY_Q);
         }},
        {"the window closed", [] { InjectEvent({.type = InputEventType::Terminate}); }},
        {"all at once",
         [] {
             Press(KEY_ESCAPE);
             Press(KEY_P);
             InjectEvent({.type = InputEventType::Terminate});
         }},
    };
    for (const auto& s : sources) {
        SCOPED_TRACE(s.what);
        StartGame();
        state.running = 1;
        state.updateCount = 0;
        s.ask();
        Passes(1);
        EXPECT_EQ(g_pauseAtFlip, 1);
        Release(KEY_Q);
        Release(KEY_LCOMMAND);

        Script player({{"Paused", [] { Press(KEY_ESCAPE); }}});
        Passes(3 + 8);
        EXPECT_TRUE(player.Finished());
        // One pause screen, resumed, and play went on: nothing asked for another.
        int pauseScreens = 0;
        bool inPause = false;
        for (const std::string& frame : player.Frames()) {
            const bool paused = frame.find("Paused") != std::string::npos;
            if (paused && !inPause) ++pauseScreens;
            inPause = paused;
        }
        EXPECT_EQ(pauseScreens, 1);
        EXPECT_FALSE(inPause);
        EXPECT_EQ(state.playing, 1);
        EXPECT_EQ(state.running, 1);
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(UpdateStep, FireLaunchesEveryStuckBallOfThePoolAndHoldsTheWeaponsTrigger) {
    const struct {
        const char* what;
        std::function<void()> hold, release;
    } cases[] = {
        {"mouse button 1", [] { HoldButton(1); }, [] { ReleaseButton(1); }},
        {"mouse button 2", [] { HoldButton(2); }, [] { ReleaseButton(2); }},
        {"mouse button 3", [] { HoldButton(3); }, [] { ReleaseButton(3); }},
        {"Space", [] { Hold(KEY_SPACE); }, [] { Release(KEY_SPACE); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartGame();
        Level& l = level();
        ASSERT_GE(l.ballsArray.size(), 4u);
        // Two balls on the paddle, and one beyond the balls in play.
        l.ballsArray[2]->isStuck = 10;
        g_maxBalls = 3;
        l.ballsArray[3]->isStuck = 20;
        l.activeWeapon = std::make_shared<Weapon>();

        FireInput(l);
        EXPECT_EQ(l.ballsArray[0]->isStuck, 43) << "no fire, no launch";
        EXPECT_EQ(l.activeWeapon->triggerDown, 0);

        c.hold();
        PumpEvents();  // the frame's pump takes the press in
        FireInput(l);
        EXPECT_EQ(l.ballsArray[0]->isStuck, kBallNotStuck);
        EXPECT_EQ(l.ballsArray[2]->isStuck, kBallNotStuck);
        EXPECT_LT(l.ballsArray[0]->ballSprite->dy, 0.0f) << "launched upward";
        EXPECT_LT(l.ballsArray[2]->ballSprite->dy, 0.0f);
        EXPECT_EQ(l.ballsArray[3]->isStuck, 20) << "only the pool's first g_maxBalls are in play";
        EXPECT_EQ(l.activeWeapon->triggerDown, 1);

        PumpEvents();  // the next frame
        c.release();
        FireInput(l);
        EXPECT_EQ(l.activeWeapon->triggerDown, 0);

        // A click or a touchpad's tap shorter than a frame: pressed and let go within one pump.
        l.ballsArray[0]->isStuck = 43;
        c.hold();
        c.release();
        PumpEvents();
        FireInput(l);
        EXPECT_EQ(l.ballsArray[0]->isStuck, kBallNotStuck) << "a quick click launches";
        EXPECT_EQ(l.activeWeapon->triggerDown, 1);
        l.activeWeapon = nullptr;
        g_maxBalls = 16;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(UpdateStep, TheEditorIgnoresFireAndItsEscapeLeavesSNAndJNothingToActOn) {
    StartGame(0, 1);
    HoldButton(1);
    Passes(1);
    EXPECT_EQ(level().ballsArray[0]->isStuck, 43) << "the editor launches nothing";
    EXPECT_EQ(level().mustClearBrickCount, 1) << "a level being edited never clears itself";
    Press('N');
    Passes(1);
    EXPECT_EQ(level().mustClearBrickCount, 0);

    testing::internal::CaptureStdout();
    Press(KEY_ESCAPE);
    Press('S');
    Press('N');
    Press('J');
    Press('D');
    StartRecording();
    EditorUpdate(state);
    const std::vector<DrawCall> drawn = StopRecording();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(state.playing, 0);
    EXPECT_EQ(game().currentLevel, nullptr) << "Escape unlinks the game";
    EXPECT_EQ(printed.find("Saving level..."), std::string::npos);
    EXPECT_TRUE(drawn.empty()) << "no entry for a jump";
    EXPECT_EQ(state.editor.editMode, "Delete") << "the mode keys still act";
    EXPECT_EQ(KeyHit('S') + KeyHit('N') + KeyHit('J'), 0) << "all were asked, and found nothing to do";
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(UpdateStep, TheLoopSkipsWhatALevelLacksAndReportsNoFaultOfItsOwn) {
    // An unreadable level file loads as a level without a paddle; pool entries and nains may
    // lack their bodies.
    game().gameStats->cheatEnabled = 1;
    level().ballsArray[1]->ballSprite = nullptr;
    level().ballsArray[1]->isStuck = 5;
    auto nain = std::make_shared<Nain>();
    level().nainsArray.push_back(nain);
    HoldButton(1);
    level().playerPaddle->paddleSprite = nullptr;
    FireInput(level());
    level().playerPaddle = nullptr;
    FireInput(level());
    for (const char key : std::string("KAW17G")) Press(key);
    CheatKeys(game());
    state.updateCount = 4;
    DrawStep(state);
    EXPECT_EQ(level().ballsArray[0]->isStuck, 43) << "nothing to launch from";
    EXPECT_EQ(level().ballsArray[1]->isStuck, 5);
    EXPECT_EQ(nain->status, "falling") << "a nain without a body still falls";
    EXPECT_EQ(level().ballsArray[0]->isIceball, 0) << "7 came after 1";
    EXPECT_EQ(state.updateCount, 0);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(UpdateStep, TheAudioStepRunsTheMusicOverrideAndPlaysEverythingAtTheGameSpeed) {
    Mixer& mixer = *g_MasterMixer;
    for (const float modulation : {0.33f, 1.0f}) {
        SCOPED_TRACE(modulation);
        g_gameSpeedModulation = modulation;
        g_gameSpeedFactor = 0.5f;
        mixer.musicOverrideDuration = 300.0f;
        AudioStep();
        EXPECT_FLOAT_EQ(mixer.masterRate, modulation);
        EXPECT_FLOAT_EQ(ChannelRate(mixer.channelArray[0]), modulation * mixer.absoluteRate[0]);
        EXPECT_FLOAT_EQ(mixer.musicOverrideDuration, 299.5f);
    }
    mixer.musicOverrideDuration = -1.0f;
}

TEST_F(UpdateStep, WhileTheGameIsAwayNothingRunsAndAPauseWaitsWithTheSoundPaused) {
    InjectEvent({.type = InputEventType::FocusGained});
    InjectEvent({.type = InputEventType::FocusLost});
    int naps = 0;
    SetTestClockHook([&] {
        if (++naps == 4) InjectEvent({.type = InputEventType::FocusGained});
    });
    const int before = MilliSecs();
    Passes(1);
    SetTestClockHook(nullptr);
    EXPECT_EQ(naps, 4);
    EXPECT_EQ(MilliSecs() - before, 4 * 500);
    EXPECT_EQ(g_pauseAtFlip, 1);
    EXPECT_EQ(g_MasterMixer->masterPause, 1);
    EXPECT_EQ(state.updateCount, 1);
}

// The scripted player on the shipped pack's first level, through the whole play loop: the paddle
// moves and the ball leaves it only through the pointer motion and button it queues.
class Autoplay : public MainProgramTest {
protected:
    void SetUp() override {
        MainProgramTest::SetUp();
        std::filesystem::create_symlink(Resources() + "data/packs/classic", dataFolder + "data/packs/classic");
        WritePrefs("<currentPackName>classic</currentPackName>");
        StartUp();
        StartGame();
        ASSERT_EQ(g_DebugLog, "");
        ASSERT_TRUE(autoplayer::BallWaiting(level()));
    }
};

TEST_F(Autoplay, ClearsTheFirstLevelAndMovesOnToTheNext) {
    state.autoplay = 1;
    const std::string first = level().name;
    const float startX = level().playerPaddle->paddleSprite->x;
    int passes = 0;
    bool moved = false;
    while (passes < 40000 && state.playing != 0 && level().name == first) {
        Passes(1);
        ++passes;
        if (level().playerPaddle && level().playerPaddle->paddleSprite->x != startX) moved = true;
    }
    EXPECT_NE(level().name, first) << "not cleared within " << passes << " passes, " << game().lives << " lives left";
    EXPECT_EQ(state.playing, 1);
    EXPECT_TRUE(moved);
    EXPECT_GT(game().gameStats->score, 0);
    const std::string save = userFolder + "data/players/" + kPlayer + "/save_classic.xml";
    EXPECT_NE(ReadText(save).find("<saveLevel>" + level().name + "</saveLevel>"), std::string::npos);
    EXPECT_EQ(g_DebugLog, "");
    RecordProperty("passes", passes);
}

TEST_F(Autoplay, WithoutItNothingPlaysByItself) {
    ASSERT_EQ(state.autoplay, 0);
    const std::string first = level().name;
    const float startX = level().playerPaddle->paddleSprite->x;
    Passes(2000);
    EXPECT_EQ(level().name, first);
    EXPECT_FLOAT_EQ(level().playerPaddle->paddleSprite->x, startX);
    EXPECT_TRUE(autoplayer::BallWaiting(level()));
    EXPECT_EQ(MouseDown(1), 0);
    EXPECT_EQ(game().gameStats->score, 0);
    EXPECT_EQ(g_DebugLog, "");
}

}  // namespace
