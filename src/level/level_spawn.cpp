// What a running level brings into play: a fresh paddle with its balls, nains on bricks,
// and the powerups that nains and bricks let fall.
#include "core/globals.h"
#include "level/level.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/powerups.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// The lookup reports a missing name itself; nothing is appended for it, so no powerup
// ever falls that was copied from nothing.
PowerupPtr ReleasePowerup(std::vector<PowerupPtr>& powerups, const std::vector<PowerupPtr>& sources,
                          const std::string& name) {
    PowerupPtr definition = GetPowerupByName(name, sources);
    if (!definition) return nullptr;
    powerups = AppendNewPowerup(powerups);
    PowerupPtr powerup = At(powerups, powerups.size() - 1);
    Deref(powerup).Clone(definition);
    return powerup;
}

}  // namespace

int Level::StartNewBall(const std::vector<SoundPtr>& sounds) {
    return Guarded("level:Level.StartNewBall() ", 0, [&] {
        // Checked before anything changes: a level that was never fully loaded (or has been
        // unlinked) keeps its state and the game goes on without a new ball.
        if (!playerPaddleSource || !playerPaddleSource->paddleSprite) {
            RuntimeError("No paddle to start a new ball with.");
        }
        if (!brickShield) RuntimeError("No brick shield to start a new ball with.");

        if (!playerPaddle) playerPaddle = std::make_shared<Paddle>();
        playerPaddle->Clone(playerPaddleSource);
        playerPaddle->isLive = 1;
        Sprite& paddleSprite = Deref(playerPaddle->paddleSprite);
        paddleSprite.isLive = 1;
        paddleSprite.x = 300.0f;
        // The unscaled height, as the paddle has always stood.
        paddleSprite.y = static_cast<float>(g_gamefieldHeight + g_gamefieldYoffset) - paddleSprite.heightBound - 10.0f;

        for (size_t i = 0; i < ballsArray.size(); ++i) {
            Ball& ball = Deref(ballsArray[i]);
            if (i < newBallsSourceArray.size()) {
                ball.Clone(newBallsSourceArray[i]);
                Sprite& ballSprite = Deref(ball.ballSprite);
                ballSprite.isLive = 1;
                ball.isLive = 1;
                ball.isWeaponBlast = 0;
                // Sets a ball that starts stuck onto the new paddle.
                ball.Update(playerPaddle);
                ThrowError(1, "Respawn ball! " + IntToText(Deref(ball.ballSprite).isLive));
            } else {
                ball.isLive = 0;
                Deref(ball.ballSprite).isLive = 0;
            }
        }

        // Without a mixer (no audio at all) the level simply plays in silence.
        if (g_MasterMixer) g_MasterMixer->AddMusic(GetSoundByName(music, sounds));
        SetGlobalGameSpeed(1.0f, 10.0f, -1.0f);
        g_paddlePositionModifier = 1.0f;
        ballsAlive = 1;
        return 0;
    });
}

int Level::AddNainToBrick(int j) {
    return Guarded("level:Level.AddNainToBrick() ", 0, [&] {
        if (sourceNainsArray.empty() || bricksArray.empty()) return -1;

        // One try with one brick: the update offers the nain again on later steps.
        const int k = Rand(0, static_cast<int>(bricksArray.size()) - 1);
        const BrickPtr brick = At(bricksArray, k);
        Brick& b = Deref(brick);
        const NainPtr source = At(sourceNainsArray, j);
        Nain& n = Deref(source);
        if (b.isLive == 0) return -1;
        if (b.currentNain) return -1;

        Sprite& brickSprite = Deref(b.brickSprite);
        Sprite& nainSprite = Deref(n.nainSprite);
        // Room above the brick, and a brick at least as wide as the nain.
        if (!(brickSprite.y * brickSprite.yScale >= nainSprite.heightBound * nainSprite.yScale)) return -1;
        const float brickWidth = brickSprite.widthBound * brickSprite.xScale;
        const float nainWidth = nainSprite.widthBound * nainSprite.xScale;
        if (!(brickWidth >= nainWidth)) return -1;

        // Anywhere along the brick with the nain wholly over it; it stands on the brick's top.
        nainSprite.x = static_cast<float>(static_cast<double>(brickSprite.x) +
                                          Rnd(0.0, static_cast<double>(brickWidth - nainWidth)));
        nainSprite.y = brickSprite.y - nainSprite.heightBound;

        int hits = 0;
        for (size_t i = 0; i < brickBoxArray.size(); ++i) {
            hits += Deref(brickBoxArray[i]).BrickNainCollision(source);
        }
        if (hits != 0) return 0;

        nainsArray = AppendNewNain(nainsArray);
        const NainPtr nain = At(nainsArray, nainsArray.size() - 1);
        Deref(nain).Clone(source);
        nain->parentBrick = brick;
        b.currentNain = nain;
        return 0;
    });
}

int Level::GeneratePowerup(const NainPtr& nain) {
    return Guarded("level:Level.GeneratePowerup() ", 0, [&] {
        Nain& n = Deref(nain);
        if (n.powerupCount <= 0) return -1;
        n.powerupCount -= 1;
        Sprite& s = Deref(n.nainSprite);
        const PowerupPtr powerup = ReleasePowerup(powerupsArray, sourcePowerupsArray, n.powerupToGenerate);
        if (!powerup) return 0;
        powerup->Initialize(s.GetCenterX(), s.GetCenterY(), s.dx, s.dy, s.vel);
        Deref(powerup->powerupSprite).JumpToAnimation("create");
        return 0;
    });
}

int Level::GenerateBrickPowerup(const BrickPtr& brick) {
    return Guarded("level:Level.GenerateBrickPowerup() ", 0, [&] {
        Brick& b = Deref(brick);
        if (b.powerupCount <= 0) return 0;
        b.powerupCount -= 1;
        Sprite& s = Deref(b.brickSprite);
        const PowerupPtr powerup = ReleasePowerup(powerupsArray, sourcePowerupsArray, b.powerupToGenerate);
        if (!powerup) return 0;
        // Drawn in this order: speed, then the downward and the sideways part of the direction.
        const double vel = Rnd(1.0, 2.0);
        const double dy = Rnd(0.5, 1.0);
        const double dx = Rnd(-static_cast<double>(0.1f), static_cast<double>(0.1f));
        powerup->Initialize(s.GetCenterX(), s.GetCenterY(), static_cast<float>(dx), static_cast<float>(dy),
                            static_cast<float>(vel));
        Deref(powerup->powerupSprite).JumpToAnimation("create");
        return 0;
    });
}

int Level::GenerateExplosion(const SpritePtr& /*sprite*/, float /*value*/) {
    return Guarded("level:Level.GenerateExplosion() ", 0, [&] { return 0; });
}
