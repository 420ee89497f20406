// The cheat keys: while the running game's record has cheats enabled, keys knock the nains
// off, make them dance or wave, change every ball's kind, switch on god mode, add points, toggle
// slow motion and end the level.
#include <functional>

#include "app/playloop.h"
#include "core/errors.h"
#include "core/globals.h"
#include "pieces/ball.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "platform/input.h"
#include "sprites/sprites.h"

namespace {

constexpr int kKeep = -1;  // a ball kind the key leaves as it is

// What a ball key gives every ball of the pool, in play or not, and the animation its sprite
// then shows (none for the brick plow and the smart ball).
struct BallKind {
    int isFireball = kKeep;
    int isIceball = kKeep;
    int isShockball = kKeep;
    int isBrickplow = kKeep;
    int isSmart = kKeep;
    const char* animation = nullptr;
};

void Give(int& field, int value) {
    if (value != kKeep) field = value;
}

// The walk's bound is taken once; a ball or nain without a sprite keeps its look.
void MakeBalls(Level& level, const BallKind& kind) {
    const size_t count = level.ballsArray.size();
    for (size_t i = 0; i < count; ++i) {
        Ball* ball = level.ballsArray[i].get();
        if (!ball) continue;
        Give(ball->isShockball, kind.isShockball);
        Give(ball->isFireball, kind.isFireball);
        Give(ball->isIceball, kind.isIceball);
        Give(ball->isBrickplow, kind.isBrickplow);
        Give(ball->isSmart, kind.isSmart);
        if (kind.animation && ball->ballSprite) ball->ballSprite->JumpToAnimation(kind.animation);
    }
}

void EveryNain(Level& level, const std::function<void(Nain&)>& act) {
    const size_t count = level.nainsArray.size();
    for (size_t i = 0; i < count; ++i) {
        if (Nain* nain = level.nainsArray[i].get()) act(*nain);
    }
}

void NainsShow(Level& level, const char* animation) {
    EveryNain(level, [&](Nain& nain) {
        if (nain.nainSprite) nain.nainSprite->JumpToAnimation(animation);
    });
}

struct CheatKey {
    int key;
    std::function<void(Game&, Level&)> act;
};

// In the order they are asked: all the keys pressed since the last pass act, in this order.
const CheatKey kCheatKeys[] = {
    {'K', [](Game&, Level& level) { EveryNain(level, [](Nain& nain) { nain.BumpFromBrick(5.0f); }); }},
    {'A', [](Game&, Level& level) { NainsShow(level, "Dance"); }},
    {'W', [](Game&, Level& level) { NainsShow(level, "Wave"); }},
    {'1', [](Game&, Level& level) { MakeBalls(level, {.isIceball = 1, .animation = "Iceball"}); }},
    // 40 is the fireball's damage and the reach of its explosion.
    {'2', [](Game&, Level& level) { MakeBalls(level, {.isFireball = 40, .animation = "Fireball"}); }},
    {'3', [](Game&, Level& level) { MakeBalls(level, {.isShockball = 1, .animation = "Shockball"}); }},
    {'4', [](Game&, Level& level) { MakeBalls(level, {.isBrickplow = 1}); }},
    {'5', [](Game&, Level& level) { MakeBalls(level, {.isSmart = 1}); }},
    {'6',
     [](Game&, Level& level) {
         MakeBalls(level, {.isFireball = 40, .isIceball = 1, .isShockball = 1, .animation = "Impossiball"});
     }},
    {'7',
     [](Game&, Level& level) {
         MakeBalls(level, {.isFireball = 0, .isIceball = 0, .isShockball = 0, .animation = "Standard"});
     }},
    {'G',
     [](Game&, Level& level) {
         g_godMode = 1;
         if (level.playerPaddle && level.playerPaddle->paddleSprite) level.playerPaddle->paddleSprite->xScale += 5.0f;
     }},
    {'C', [](Game& game, Level&) { game.gameStats->AddToScore(1000000); }},
    // The test reads the target, not the speed of the moment.
    {'S',
     [](Game&, Level&) {
         if (g_gameSpeedTargetModulation == 1.0f) {
             SetGlobalGameSpeed(0.33f, 10.0f, -1.0f);
         } else {
             SetGlobalGameSpeed(1.0f, 10.0f, -1.0f);
         }
     }},
    {'N',
     [](Game&, Level& level) {
         level.mustClearBrickCount = 0;
         ThrowError(1, "Next level, please!");
     }},
};

}  // namespace

void CheatKeys(Game& game) {
    if (!game.gameStats || game.gameStats->cheatEnabled != 1) return;
    for (const CheatKey& cheat : kCheatKeys) {
        // Asked on every pass, so a press never waits for a level to act on.
        if (KeyHit(cheat.key) > 0 && game.currentLevel) cheat.act(game, *game.currentLevel);
    }
}
