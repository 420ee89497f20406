// The play loop: one pass is one update step of the running game or editor run, every fourth
// pass also draws; its state is shared with the outer loop and the shutdown.
#pragma once

#include <string>

#include "editor/editor.h"
#include "universe/game.h"

// The main program's loop state, from start-up to the end of the program; never reset whole.
struct PlayLoopState {
    int updateCount = 0;         // passes since the last draw step; carried from one game to the next
    int playing = 0;             // the play loop runs another pass while this is not 0
    int running = 1;             // the outer loop runs another pass while this is 1
    int editorMode = 0;          // 1 for a level-editor run
    std::string gameOverChoice;  // the game-over screen's choice, acted on at the next draw step
    std::string pendingAction;   // "New" or "Continue" skips the main menu on the next outer pass
    int pauseMouseX = 0;         // the pointer when a pause was about to open, put back after it
    int pauseMouseY = 0;
    EditorState editor;    // the level editor's tools, carried from one editor run to the next
    int continueFlag = 0;  // 1 when the next game continues the saved one
    int autoplay = 0;      // 1 (BX2_AUTOPLAY=1): the game steers the paddle and fires by itself
};

// The universe's running game, or null.
GamePtr CurrentGame();

// Passes until a step clears playing.
void RunPlayLoop(PlayLoopState& state);
// One update step, and on every fourth the draw step.
void PlayLoopPass(PlayLoopState& state);

// The phases of a pass, in the order it runs them.
// A level whose end timer has run out gives way to the level it names, and the game is saved.
void ChangeLevelIfDone(PlayLoopState& state);
// The editor run's update: the level without new nains and the keys Escape, S and N.
void EditorUpdate(PlayLoopState& state);
// The game's update: paddle, level, particles, pause keys, cheat keys, fire.
void GameUpdate(PlayLoopState& state);
// The scripted player's pointer motion and button for this pass, queued as a player's would be.
void AutoplayInput(const Level& level);
// The cheat keys of a game whose record has cheats enabled.
void CheatKeys(Game& game);
// Mouse buttons or Space launch the stuck balls and hold the weapon's trigger.
void FireInput(Level& level);
// The mixer's music override, and every sound at the game's speed.
void AudioStep();
// While the application is suspended: a pause at the next frame, the mixer paused, sleep.
void SuspensionWait();
// The frame, the end of a finished game, then the flip or the pause screen.
void DrawStep(PlayLoopState& state);

// The level stays on screen, nothing more to win or lose on it, and the game ends through its
// game-over screen over it; the black of its end fade is lifted.
void EndOverLevel(Level& level);

// A pending pause that will not open (the game is over, there is nothing to draw, a new run
// starts): forgotten, and the mixer it may have paused plays again.
void DropPendingPause();
