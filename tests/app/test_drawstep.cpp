// The play loop's draw step: every fourth pass with the count carried across games, the play
// time, the pause and its choices, the end of a game with its record and the game-over choices,
// and a draw step that finds nothing to draw.
#include <gtest/gtest.h>

#include "app_support.h"
#include "pieces/gamestats.h"

namespace {

using namespace app_test;

class DrawStepTest : public MainProgramTest {
protected:
    void SetUp() override {
        MainProgramTest::SetUp();
        StartUp();
        StartGame();
        ASSERT_EQ(g_DebugLog, "");
    }

    static int Flips(const std::vector<DrawCall>& calls) {
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(), [](const DrawCall& c) { return c.kind == DrawKind::Flip; }));
    }
    // Which of the next passes drew a frame, by their numbers from 1.
    std::vector<int> DrawingPasses(int passes) {
        std::vector<int> drawn;
        for (int i = 1; i <= passes; ++i) {
            StartRecording();
            Passes(1);
            if (Flips(StopRecording()) > 0) drawn.push_back(i);
        }
        return drawn;
    }
};

TEST_F(DrawStepTest, EveryFourthPassDrawsAndTheCountCarriesIntoTheNextGame) {
    EXPECT_EQ(DrawingPasses(8), (std::vector<int>{4, 8}));
    // Each frame of a game adds its length to the play time.
    EXPECT_EQ(game().gameStats->time, 2 * kFrameMs);

    // A game ended two passes into a cycle: the next game's first frame comes two passes in.
    Passes(2);
    StartGame();
    EXPECT_EQ(DrawingPasses(6), (std::vector<int>{2, 6}));

    // An editor run draws as often and counts no time.
    StartGame(0, 1);
    EXPECT_EQ(DrawingPasses(4), (std::vector<int>{4}));
    EXPECT_EQ(game().gameStats->time, 0);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(DrawStepTest, APauseOpensAtTheNextFrameInsteadOfShowingItAndItsChoiceEndsOrGoesOn) {
    const struct Case {
        int key;
        int playing, running;
        bool gameLinked;
    } cases[] = {
        {KEY_ESCAPE, 1, 1, true},  // Resume
        {'M', 0, 1, false},        // Main Menu: the game is left, unlinked
        {'Q', 0, 0, true},         // End: shutdown unlinks it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        StartGame();
        state.running = 1;
        state.updateCount = 0;
        Press('P');
        Passes(1);
        EXPECT_EQ(g_pauseAtFlip, 1) << "asked for in the first pass";

        float overlayInPause = -1.0f;
        int mixerPausedInPause = -1;
        Script player({{"Paused", [&] {
                            overlayInPause = g_ScreenOverlayAlpha;
                            mixerPausedInPause = g_MasterMixer->masterPause;
                            MoveMouse(5, 5);
                            Press(c.key);
                        }}});
        Passes(3);
        EXPECT_TRUE(player.Finished());
        // The frame drawn while the pause was pending never reached the screen: every frame
        // shown until the choice is the pause screen's.
        ASSERT_FALSE(player.Frames().empty());
        EXPECT_NE(player.Frames().front().find("Paused"), std::string::npos) << player.Frames().front();
        EXPECT_EQ(overlayInPause, 0.0f);
        EXPECT_EQ(mixerPausedInPause, 1);

        EXPECT_EQ(state.playing, c.playing);
        EXPECT_EQ(state.running, c.running);
        EXPECT_EQ(game().currentLevel != nullptr, c.gameLinked);
        EXPECT_EQ(g_pauseAtFlip, 0);
        EXPECT_EQ(g_MasterMixer->masterPause, 0);
        EXPECT_EQ(state.updateCount, 0);
        EXPECT_NE((std::pair{state.pauseMouseX, state.pauseMouseY}), (std::pair{5, 5}));
        EXPECT_EQ((std::pair{MouseX(), MouseY()}), (std::pair{state.pauseMouseX, state.pauseMouseY}))
            << "the pointer is back where the pause found it";
        EXPECT_EQ(KeyHit(c.key), 0) << "the key that chose is forgotten";
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(DrawStepTest, AFinishedGameIsRecordedOnceAndEveryGameOverChoiceLeavesAResetSave) {
    const struct Case {
        int key;
        const char* choice;
        int running;
        const char* pendingAction;
    } cases[] = {
        {'C', "New From This Level", 1, "Continue"},
        {'N', "New Game", 1, "New"},
        {KEY_ESCAPE, "Main Menu", 1, ""},
        {'Q', "End", 0, "x"},  // left alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        StartGame();
        state.running = 1;
        state.pendingAction = "x";
        state.updateCount = 0;
        Player& player = *universe().playersArray.at(0);
        const size_t records = player.gameStatsArray.size();
        game().gameStats->AddToScore(500);
        game().lives = 0;
        level().gameOver = 0.0f;
        // A pause asked for as the game ended, with the sound paused while the game was away.
        g_pauseAtFlip = 1;
        g_MasterMixer->Pause();

        int mixerPausedAtGameOver = -1;
        Script script({{"Game Over", [&] {
                            mixerPausedAtGameOver = g_MasterMixer->masterPause;
                            Press(c.key);
                        }}});
        Passes(4);
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(mixerPausedAtGameOver, 0) << "the game-over screen is not silent";
        for (const std::string& frame : script.Frames()) EXPECT_EQ(frame.find("Paused"), std::string::npos);
        EXPECT_EQ(player.gameStatsArray.size(), records + 1);
        EXPECT_EQ(player.gameStatsArray.back()->score, 500);
        EXPECT_EQ(g_ScoreToDisplay, 500);
        EXPECT_NE(ReadText(PlayerPath()).find("<score>500</score>"), std::string::npos);
        EXPECT_EQ(state.gameOverChoice, c.choice);
        EXPECT_EQ(g_ScreenOverlayAlpha, 1.0f);
        EXPECT_EQ(state.playing, 1) << "the choice waits for the next frame";

        Passes(4);
        EXPECT_EQ(player.gameStatsArray.size(), records + 1) << "recorded once";
        EXPECT_EQ(state.playing, 0);
        EXPECT_EQ(state.running, c.running);
        EXPECT_EQ(state.pendingAction, c.pendingAction);
        EXPECT_EQ(state.gameOverChoice, "");
        const std::string save = ReadText(SavePath());
        EXPECT_NE(save.find("<lives>1</lives>"), std::string::npos) << save;
        EXPECT_NE(save.find("<saveLevel>Level One</saveLevel>"), std::string::npos);
        EXPECT_NE(save.find("<score>0</score>"), std::string::npos);
        EXPECT_NE(save.find("<level>1</level>"), std::string::npos);
        EXPECT_EQ(ModeOf(SavePath()), 0444);
    }
    EXPECT_EQ(g_DebugLog, "");
}

// The last level ends the game and fades out at once; when both run out on a drawing step, the
// game-over screen must still be seen rather than sit under the black.
TEST_F(DrawStepTest, TheGameOverScreenOfTheLastLevelIsNotHiddenByItsEndFade) {
    state.updateCount = 3;
    level().gameOver = 0.001f;
    level().levelEndTTL = 0.001f;
    float overlayAtGameOver = -1.0f;
    Script script({{"Game Over", [&] {
                        overlayAtGameOver = g_ScreenOverlayAlpha;
                        Press(KEY_ESCAPE);
                    }}});
    Passes(1);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(overlayAtGameOver, 0.0f);
    EXPECT_EQ(level().levelEndTTL, -1.0f) << "no level change follows";
    EXPECT_EQ(state.gameOverChoice, "Main Menu");
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(DrawStepTest, ThePanelShowsTheScoreAndLevelOfTheFrameBeforeAndHoldsThemOnceTheGameIsOver) {
    state.updateCount = 0;
    Passes(4);
    GameStat& stat = *game().gameStats;
    stat.score = 1234;
    // The frame is drawn before the shown values are taken from the record.
    StartRecording();
    Passes(4);
    std::vector<DrawCall> calls = StopRecording();
    EXPECT_TRUE(Drew(calls, "0"));
    EXPECT_FALSE(Drew(calls, "1,234"));
    EXPECT_EQ(g_ScoreToDisplay, 1234);
    StartRecording();
    Passes(4);
    EXPECT_TRUE(Drew(StopRecording(), "1,234"));

    // Once over, the game is recorded and shown as recorded, whatever the record does next.
    level().gameOver = 0.0f;
    {
        Script player({{"Game Over", [&] { stat.score = 99999, stat.level = 9, Press(KEY_ESCAPE); }}});
        Passes(4);
        EXPECT_TRUE(player.Finished());
    }
    EXPECT_EQ(g_ScoreToDisplay, 1234);
    EXPECT_EQ(g_LevelToDisplay, 1);
    StartRecording();
    Passes(4);
    calls = StopRecording();
    EXPECT_TRUE(Drew(calls, "1,234"));
    EXPECT_FALSE(Drew(calls, "99,999"));
    EXPECT_EQ(g_ScoreToDisplay, 1234);
    EXPECT_EQ(state.playing, 0);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(DrawStepTest, AnEditorRunsGameOverIsRecordedButLeavesNoSavedGame) {
    StartGame(0, 1);
    state.updateCount = 0;
    Player& player = *universe().playersArray.at(0);
    const size_t records = player.gameStatsArray.size();
    level().gameOver = 0.0f;
    Script script({{"Game Over", [] { Press('N'); }}});
    Passes(8);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(player.gameStatsArray.size(), records + 1);
    EXPECT_EQ(state.playing, 0);
    EXPECT_EQ(state.pendingAction, "New");
    EXPECT_FALSE(std::filesystem::exists(SavePath())) << "an editor run never saves the game";
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(DrawStepTest, AGameOverScreenThatFailedChoseNothingAndOpensAgainAtTheNextFrame) {
    Player& player = *universe().playersArray.at(0);
    const size_t records = player.gameStatsArray.size();
    state.running = 1;
    state.updateCount = 0;
    game().lives = 0;
    level().gameOver = 0.0f;
    Script script({{"Game Over", [] { RuntimeError("out of paint"); }}, {"Game Over", [] { Press(KEY_ESCAPE); }}});

    Passes(4);
    EXPECT_EQ(DebugLogLines(), std::vector<std::string>{"menu:DrawGameOverMenu() out of paint"});
    EXPECT_EQ(state.gameOverChoice, "");
    EXPECT_EQ(state.playing, 1);

    Passes(4);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(state.gameOverChoice, "Main Menu");
    EXPECT_EQ(player.gameStatsArray.size(), records + 1) << "the game is recorded once";
}

TEST_F(DrawStepTest, WithNothingToDrawADrawStepOnlyClosesItsCycleAndDropsAPendingPause) {
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"the editor's Escape in the pass", [this] { StartGame(0, 1), Press(KEY_ESCAPE); }},
        {"a game without a level", [this] { game().Unlink(); }},
        {"a game without a record", [this] { game().gameStats = nullptr; }},
        {"no game", [this] { universe().currentGame = nullptr; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartGame();
        c.make();
        g_pauseAtFlip = 1;
        g_MasterMixer->Pause();
        state.updateCount = 3;
        StartRecording();
        Passes(1);
        EXPECT_TRUE(StopRecording().empty());
        EXPECT_EQ(state.updateCount, 0);
        EXPECT_EQ(g_pauseAtFlip, 0);
        EXPECT_EQ(g_MasterMixer->masterPause, 0);
    }
    EXPECT_EQ(g_DebugLog, "");
}

}  // namespace
