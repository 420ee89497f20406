// The scripted player: where the paddle should go, steered through the same mouse motion the
// game reads from a player. The game runs it when BX2_AUTOPLAY=1; the level tests play with it.
#pragma once

class Level;

namespace autoplayer {

// The paddle's x for the next moves: under the lowest falling ball, placed so that the rebound
// heads for the lowest brick still to clear; with no ball falling, under the lowest falling
// powerup; with neither, where it is.
float PaddleTarget(const Level& level);
// Queues the mouse motion that brings the paddle to x (kept inside the field), as the pointer
// would; the level's next update reads it.
void MoveMouseToward(const Level& level, float x);
// A live ball rides the paddle, waiting to be launched.
bool BallWaiting(const Level& level);

}  // namespace autoplayer
