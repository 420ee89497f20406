// The main program's tests' ground: the screens' ground (tests/menu/menu_support.h) with the
// program's own start-up and the play loop's state, and passes run one by one.
#pragma once

#include "app/brondelvix.h"
#include "app/playloop.h"
#include "menu/menu_support.h"

namespace app_test {

using namespace screen_test;

// A frame of play on that level: its name in the panel, no screen's buttons over it ("[Esc] ..."
// on each of them), the game not over.
inline FrameTest Playing(const std::string& levelName) {
    return [levelName](const std::vector<DrawCall>& calls) {
        const bool buttons = std::any_of(calls.begin(), calls.end(), [](const DrawCall& call) {
            return call.kind == DrawKind::Text && call.text.starts_with("[Esc]");
        });
        const GamePtr game = CurrentGame();
        return Drew(calls, "\"" + levelName + "\"") && !buttons && game && game->currentLevel &&
               game->currentLevel->gameOver != 0.0f;
    };
}

class MainProgramTest : public ScreenTest {
protected:
    PlayLoopState state;

    // A game on the quick pack as the outer loop starts it, ready for its first pass.
    void StartGame(int continueFlag = 0, int editorMode = 0) {
        ScreenTest::StartGame(continueFlag, editorMode);
        state.playing = 1;
        state.editorMode = editorMode;
    }

    void Passes(int count) {
        for (int i = 0; i < count; ++i) PlayLoopPass(state);
    }
};

}  // namespace app_test
