// The brick-box helpers with a test level's teardown, for the grid and spawning tests.
#pragma once

#include "level/level.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/powerups.h"
#include "pieces/test_brickbox_support.h"

namespace boxtest {

// Breaks every cycle a test level may hold; the level's own Unlink is not needed for that.
inline void UnlinkLevel(Level& level) {
    if (level.playerPaddle) level.playerPaddle->Unlink();
    if (level.playerPaddleSource) level.playerPaddleSource->Unlink();
    level.playerPaddle = nullptr;
    level.playerPaddleSource = nullptr;
    for (auto* balls : {&level.ballsArray, &level.newBallsSourceArray}) {
        for (BallPtr& ball : *balls) {
            if (ball) ball->Unlink();
        }
        balls->clear();
    }
    for (auto* nains : {&level.nainsArray, &level.sourceNainsArray}) {
        for (NainPtr& nain : *nains) {
            if (nain) nain->Unlink();
        }
        nains->clear();
    }
    for (auto* powerups : {&level.powerupsArray, &level.sourcePowerupsArray}) {
        for (PowerupPtr& powerup : *powerups) {
            if (powerup) powerup->Unlink();
        }
        powerups->clear();
    }
    UnlinkAll(level.bricksArray);
    for (BrickBoxPtr& box : level.brickBoxArray) box->Unlink(1);
    level.brickBoxArray.clear();
    if (level.brickShield) level.brickShield->Unlink(1);
    level.brickShield = nullptr;
}

}  // namespace boxtest
