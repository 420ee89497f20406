// The player's bat: a sprite that the mouse moves sideways inside the play field, and the
// flags that balls, nains, projectiles, powerups and weapons read.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pieces/fwd.h"

class Paddle {
public:
    std::string paddleSpriteName;
    SpritePtr paddleSprite;  // a blank sprite from the constructor; owned by the paddle
    int isSticky = 0;
    int isLive = 1;
    // The last horizontal move as old x - new x: positive when the paddle moved left.
    float dX = 0.0f;

    Paddle();
    Paddle(const Paddle&) = delete;
    Paddle& operator=(const Paddle&) = delete;

    std::string WriteToXML();
    int Unlink();
    // flag 0 copies the named sprite template; any other value keeps a blank sprite.
    int LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites, int flag);
    int Clone(const PaddlePtr& source);
    // The argument is the game's relative mouse x; the move itself uses g_MouseXSpeed.
    int Update(float value);
    int Draw();
};
