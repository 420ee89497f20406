// The play loop's draw step: the frame with the editor's hooks or the play time, the end of a
// finished game with its record and game-over screen, then the flip or the pause screen.
#include <array>

#include "app/brondelvix.h"
#include "app/playloop.h"
#include "core/globals.h"
#include "editor/editor.h"
#include "media/mixer.h"
#include "menu/gameover.h"
#include "menu/pause.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"

namespace {

void BlackOverlay(float alpha) {
    g_ScreenOverlayRed = g_ScreenOverlayGreen = g_ScreenOverlayBlue = 0;
    g_ScreenOverlayAlpha = alpha;
}

// The frame: dimmed when a pause is about to open, then the editor over it or the play time.
void DrawFrame(PlayLoopState& state, Game& game) {
    if (g_pauseAtFlip == 1) {
        BlackOverlay(0.5f);
        state.pauseMouseX = MouseX();
        state.pauseMouseY = MouseY();
    }
    game.DrawGameScreen(g_gameUniverse);
    if (state.editorMode == 1) {
        // An editor run always has its template; a game started by hand as one may not.
        if (!game.currentPack || !state.editor.templateBrick) return;
        EditorOverlay(state.editor);
        EditorCursor(state.editor);
        EditorAction(state.editor, game.currentLevel->bricksArray, game.currentPack->bricksArray);
    } else {
        game.gameStats->AddToTime(g_realFrameDelay);
    }
}

// Carries out the game-over screen's choice: every one leaves a saved game of the level played
// with fresh lives and a reset record.
void ActOnGameOverChoice(PlayLoopState& state, Game& game) {
    static const std::array<const char*, 4> kChoices = {kGameOverEnd, kGameOverFromThisLevel, kGameOverNewGame,
                                                        kGameOverMainMenu};
    const std::string choice = state.gameOverChoice;
    state.gameOverChoice.clear();
    bool known = false;
    for (const char* c : kChoices) known = known || choice == c;
    if (!known) return;

    if (game.currentPack) game.lives = game.currentPack->startingLives;
    game.gameStats->SetForContinue();
    game.SaveGame(Deref(g_gameUniverse).playersPath, state.editorMode);
    state.playing = 0;
    if (choice == kGameOverEnd) state.running = 0;
    if (choice == kGameOverFromThisLevel) state.pendingAction = kPendingContinue;
    if (choice == kGameOverNewGame) state.pendingAction = kPendingNew;
    if (choice == kGameOverMainMenu) state.pendingAction.clear();
}

// The shown score and level follow the game; a finished game is recorded once and its screen
// runs, and the choice made there is carried out at the next draw step.
void EndOfGame(PlayLoopState& state, Game& game) {
    GameStat& stat = *game.gameStats;
    if (game.currentLevel->gameOver != 0.0f) {
        g_ScoreToDisplay = stat.score;
        g_LevelToDisplay = stat.level;
        return;
    }
    // No pause opens over a finished game; the sound it may have stopped must come back for
    // the game-over screen and the menus after it.
    DropPendingPause();
    if (stat.isActive != 0) {
        const PlayerPtr player = game.currentPlayer;
        if (player) player->AddGameStat(game.gameStats);
        g_ScoreToDisplay = stat.score;
        g_LevelToDisplay = stat.level;
        if (player) player->SaveToFile(Deref(g_gameUniverse).playersPath);
        stat.isActive = 0;
    }
    if (state.gameOverChoice.empty()) {
        // The last level's end fade can close the screen on the very step the game ends: the
        // game-over screen would then wait unseen under the black.
        if (game.currentLevel->levelEndTTL != -1.0f) EndOverLevel(*game.currentLevel);
        state.gameOverChoice = DrawGameOverMenu(g_gameUniverse);
        if (!state.gameOverChoice.empty()) g_ScreenOverlayAlpha = 1.0f;
    } else {
        ActOnGameOverChoice(state, game);
    }
    FlushKeys();
    FlushMouse();
    g_pauseAtFlip = 0;
}

// The frame is shown; or, with a pause pending, it is held back and the pause screen runs.
void FlipOrPause(PlayLoopState& state) {
    if (g_pauseAtFlip != 1) {
        Flip(1);
        Cls();
        return;
    }
    BlackOverlay(0.0f);
    g_pauseAtFlip = 0;
    Mixer& mixer = Deref(g_MasterMixer);
    mixer.Pause();
    const std::string choice = DrawPauseMenu(g_gameUniverse);
    if (choice == kPauseMainMenu) {
        Deref(g_gameUniverse).CalculatePlayerStatistics();
        state.playing = 0;
        if (const GamePtr game = CurrentGame()) game->Unlink();
        mixer.EndMusic();
    } else if (choice == kPauseEnd) {
        mixer.EndMusic();
        state.playing = 0;
        state.running = 0;
    }
    mixer.Resume();
    FlushKeys();
    MoveMouse(state.pauseMouseX, state.pauseMouseY);
}

}  // namespace

void DrawStep(PlayLoopState& state) {
    const GamePtr game = CurrentGame();
    // After the editor's Escape (or any road that left the game without a level or record)
    // there is nothing to draw, time or end: the pass only closes its cycle, and a pause asked
    // for meanwhile is dropped.
    if (!game || !game->currentLevel || !game->gameStats) {
        DropPendingPause();
        state.updateCount = 0;
        return;
    }
    DrawFrame(state, *game);
    EndOfGame(state, *game);
    FlipOrPause(state);
    state.updateCount = 0;
}
