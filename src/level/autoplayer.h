// The scripted player: where the paddle should go, steered through the same mouse motion the
// game reads from a player. The game runs it when BX2_AUTOPLAY=1; the level tests play with it.
#pragma once

#include "level/fwd.h"

namespace autoplayer {

// The paddle's x for the next moves: under the lowest falling ball, placed so that the rebound
// heads for the brick TargetBrick names, unless a powerup or a nain to bounce comes down first
// with time to be back under the ball (or with another ball in play to spare); out of the way of
// a ball a shield brick will return; with nothing falling, under the ball or where it is.
float PaddleTarget(const Level& level);
// Queues the mouse motion that brings the paddle to x (kept inside the field), as the pointer
// would; the level's next update reads it.
void MoveMouseToward(const Level& level, float x);
// The brick the rebound is aimed at: the lowest still to clear, the nearest to the impact x
// among equals; while a key stands, only keys; else while a nain sits on a brick, only those.
const Sprite* TargetBrick(const Level& level, float impactX);
// A live ball rides the paddle, waiting to be launched.
bool BallWaiting(const Level& level);

}  // namespace autoplayer
