// The play loop's update step: the level change, the editor's or the game's update with the
// pause keys, cheat keys and fire input, the audio step and the wait while the game is away.
#include "app/playloop.h"

#include "core/errors.h"
#include "core/globals.h"
#include "editor/editor.h"
#include "level/autoplayer.h"
#include "level/goal.h"
#include "media/mixer.h"
#include "pieces/ball.h"
#include "pieces/paddle.h"
#include "pieces/weapon.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "sprites/particle.h"

namespace {

constexpr float kOff = -1.0f;
const std::vector<SoundPtr> kNoSounds;

const std::vector<SoundPtr>& PackSounds(const Game& game) {
    return game.currentPack ? game.currentPack->soundsArray : kNoSounds;
}

}  // namespace

// The level stays on screen, nothing more to win or lose on it, and the game ends through its
// game-over screen over it.
void EndOverLevel(Level& level) {
    level.nextLevel.clear();
    level.levelEndTTL = kOff;
    for (const GoalPtr& goal : level.goalsArray) {
        if (goal) goal->isLive = 0;
    }
    g_ScreenOverlayAlpha = 0.0f;
    level.gameOver = 0.0f;
}

GamePtr CurrentGame() { return g_gameUniverse ? g_gameUniverse->currentGame : nullptr; }

void DropPendingPause() {
    g_pauseAtFlip = 0;
    if (g_MasterMixer && g_MasterMixer->masterPause == 1) g_MasterMixer->Resume();
}

void RunPlayLoop(PlayLoopState& state) {
    while (state.playing != 0) PlayLoopPass(state);
}

void PlayLoopPass(PlayLoopState& state) {
    // A level that has ended gives way to the next one.
    ChangeLevelIfDone(state);
    // The editor's keys, or the game: paddle, level, particles, pause keys, cheats, fire.
    if (state.editorMode == 1) {
        EditorUpdate(state);
    } else {
        GameUpdate(state);
    }
    // Every sound at the game's speed.
    AudioStep();
    ++state.updateCount;
    // Nothing moves while the game is away; a pause waits for the next frame.
    SuspensionWait();
    // One frame for every kUpdatesPerFrame updates.
    if (state.updateCount == kUpdatesPerFrame) DrawStep(state);
}

void ChangeLevelIfDone(PlayLoopState& state) {
    const GamePtr game = CurrentGame();
    if (!game || !game->currentLevel) return;
    Level& level = *game->currentLevel;
    // The editor skips the fade-out of a finished level.
    if (state.editorMode == 1 && level.levelEndTTL != kOff) level.levelEndTTL = 0.0f;
    if (level.levelEndTTL != 0.0f) return;
    if (level.nextLevel.empty()) {
        // The pack's last level: its end fade has closed the screen and no level follows. Left
        // so, the game-over screen would sit unseen under the black for good.
        if (state.editorMode != 1) EndOverLevel(level);
        return;
    }

    ThrowError(1, "***************** Moving on to next level!");
    const std::string next = level.nextLevel;
    if (game->ChangeLevel(next) != 0) {
        // The pack has no level of that name: the level stays, and rather than fade to a black
        // field for good the game ends through its game-over screen.
        if (Level* kept = game->currentLevel.get()) EndOverLevel(*kept);
        return;
    }
    game->SaveGame(Deref(g_gameUniverse).playersPath, state.editorMode);
}

void EditorUpdate(PlayLoopState& state) {
    const GamePtr game = CurrentGame();
    Mixer& mixer = Deref(g_MasterMixer);
    // No music plays in the editor, not even what a goal starts.
    mixer.EndMusic();
    if (game && game->currentLevel) {
        game->currentLevel->Update(game->gameStats, PackSounds(*game), game->lives, 1);
    }
    if (KeyHit(KEY_ESCAPE)) {
        Deref(g_gameUniverse).CalculatePlayerStatistics();
        state.playing = 0;
        if (game) game->Unlink();
        mixer.EndMusic();
    }
    // After Escape the run is over and the game has no level left: S and N act on nothing for
    // the rest of the pass.
    Level* level = state.playing != 0 && game ? game->currentLevel.get() : nullptr;
    if (KeyHit('S') && level) {
        Print("Saving level...");
        level->SaveToFile();
    }
    if (KeyHit('N') && level) {
        level->mustClearBrickCount = 0;
    } else if (level) {
        // While editing, a level never counts as cleared on its own.
        level->mustClearBrickCount = 1;
    }
    // The mode keys act even after Escape; J then has no level to leave.
    EditorSetMode(state.editor, level ? 1 : 0);
}

void GameUpdate(PlayLoopState& state) {
    const GamePtr game = CurrentGame();
    if (!game) return;
    // An unreadable level file loads as a level without a paddle: what is missing is skipped.
    Level* level = game->currentLevel.get();
    if (level && level->playerPaddle) level->playerPaddle->Update(game->mouseRelX);
    // The level's update reads the pointer's motion, so the scripted player moves before it.
    if (level && state.autoplay == 1) AutoplayInput(*level);
    if (level) level->Update(game->gameStats, PackSounds(*game), game->lives, 0);
    if (game->currentPack && game->currentPack->packParticleSprites) game->currentPack->packParticleSprites->Update();

    // All three are asked on every pass; Command with Q pauses the game rather than quitting.
    if (KeyHit(KEY_ESCAPE)) g_pauseAtFlip = 1;
    if (KeyHit(KEY_P)) g_pauseAtFlip = 1;
    if (CheckForCommandQ() == 1) g_pauseAtFlip = 1;

    if (game->gameStats && game->gameStats->cheatEnabled == 1) CheatKeys(*game);
    if (level) FireInput(*level);
}

void AutoplayInput(const Level& level) {
    autoplayer::MoveMouseToward(level, autoplayer::PaddleTarget(level));
    // The button is held while a ball waits or a weapon is mounted, as a player firing would.
    const bool fire = autoplayer::BallWaiting(level) || level.activeWeapon != nullptr;
    if (fire == (MouseDown(1) != 0)) return;
    InputEvent button;
    button.type = fire ? InputEventType::MouseDown : InputEventType::MouseUp;
    button.code = 1;
    InjectEvent(button);
}

void FireInput(Level& level) {
    const bool fire = MouseDown(1) || MouseDown(2) || MouseDown(3) || KeyDown(KEY_SPACE);
    if (!fire) {
        if (level.activeWeapon) level.activeWeapon->triggerDown = 0;
        return;
    }
    // Only the pool's first g_maxBalls balls are ever in play; a level without a paddle has
    // nothing to launch them from, and a ball without a body is not launched.
    const bool paddle = level.playerPaddle && level.playerPaddle->paddleSprite;
    const int last = g_maxBalls - 1;
    for (int i = 0; i <= last && paddle; ++i) {
        if (static_cast<size_t>(i) >= level.ballsArray.size()) break;
        Ball* ball = level.ballsArray[static_cast<size_t>(i)].get();
        if (!ball || !ball->ballSprite || ball->isStuck == kBallNotStuck) continue;
        ball->isStuck = kBallNotStuck;
        ball->CalculatePaddleRebound(level.playerPaddle);
    }
    if (level.activeWeapon) level.activeWeapon->triggerDown = 1;
}

void AudioStep() {
    Mixer& mixer = Deref(g_MasterMixer);
    mixer.Update();
    // Slow motion lowers the pitch of everything that plays.
    mixer.RateAdjust(g_gameSpeedModulation);
}

void SuspensionWait() {
    while (AppSuspended()) {
        g_pauseAtFlip = 1;
        Deref(g_MasterMixer).Pause();
        Delay(500);
    }
}
