// The level's goals at play: timed goals counting down, untimed ones tested against the level,
// and the success actions that end the level, change the music, take lives or end the game.
#include <climits>
#include <cmath>
#include <cstdint>

#include "core/globals.h"
#include "core/numeric.h"
#include "level/goal.h"
#include "level/level.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// A timer read from a level file: "nan" or "inf" would never count down to its end and
// would hold the goals suspended for good, so such a text ends at once like no number.
float TimerFromText(const std::string& text) {
    float value = TextToFloat(text);
    return std::isfinite(value) ? value : 0.0f;
}

// The paddle is lost: everything in play stops, and a new paddle comes only with lives left.
void KillPaddle(Level& level, int lives) {
    if (lives > 0) level.newPaddleTTL = 200.0f;
    SetGlobalGameSpeed(1.0f, 10.0f, -1.0f);
    SpritePtr paddleSprite = level.playerPaddle ? level.playerPaddle->paddleSprite : nullptr;
    if (paddleSprite) paddleSprite->JumpToAnimation("_die");
    if (level.activeWeapon) {
        level.activeWeapon->Unlink();
        level.activeWeapon = nullptr;
    }
    for (size_t i = 0, n = level.ballsArray.size(); i < n; ++i) {
        if (level.ballsArray[i]) level.ballsArray[i]->Die();
    }
    for (size_t i = 0, n = level.bricksArray.size(); i < n; ++i) {
        Brick* brick = level.bricksArray[i].get();
        if (!brick) continue;
        brick->ttl = -1.0f;
        brick->ttExplode = -1.0f;
        brick->ttFreeze = -1.0f;
        if (brick->brickSprite) brick->brickSprite->shake = 0.0f;
    }
    for (size_t i = 0, n = level.nainsArray.size(); i < n; ++i) {
        Nain* nain = level.nainsArray[i].get();
        if (!nain) continue;
        if (nain->currentProjectile) {
            nain->currentProjectile->ThrowProjectile(paddleSprite, 1.0f, 1.0f, 6.0f);
            // Thrown is out of hand, as after the nain's own throw; a nain still holding it
            // would never take up a new projectile.
            nain->currentProjectile = nullptr;
        }
        if (nain->nainSprite) {
            nain->nainSprite->JumpToAnimation("at rest");
            nain->nainSprite->JumpToAnimation("_kill paddle");
        }
        nain->distracted = 200.0f;
    }
}

}  // namespace

int Level::UpdateGoal(const GoalPtr& goal, const std::vector<SoundPtr>& sounds, int& lives, const GameStatPtr& stat) {
    return Guarded("level:Level.UpdateGoal() ", 0, [&] {
        Goal& g = Deref(goal);
        if (g.isLive == 0) return 0;
        if (g.timeRemaining == -1) {
            TestGoal(goal, sounds, lives, stat);
            return 0;
        }
        // Goal time runs in milliseconds of frame time on every update step, not in ticks.
        int64_t left = static_cast<int64_t>(g.timeRemaining) - g_frameDelay;
        if (left >= 0) {
            g.timeRemaining = SaturateToInt(left);
            return 0;
        }
        g.timeRemaining = 0;
        AwardGoal(goal, sounds, lives, stat);
        // Awarded once per run-out: a spent goal left live would be awarded again on every
        // later step (a timed "lose life" would take every life at once). repeats counts the
        // further runs, each with the configured time again.
        if (g.repeats > 0 && g.time != -1) {
            --g.repeats;
            g.timeRemaining = g.time;
        } else {
            g.isLive = 0;
        }
        return 0;
    });
}

int Level::TestGoal(const GoalPtr& goal, const std::vector<SoundPtr>& sounds, int& lives, const GameStatPtr& stat) {
    return Guarded("level:Level.TestGoal() ", 0, [&] {
        Goal& g = Deref(goal);
        bool met = false;
        if (g.goalType == "clear level") {
            met = mustClearBrickCount < 1;
        } else if (g.goalType == "lose ball") {
            met = ballsAlive == 0 && gameOver == -1.0f && newPaddleGracePeriod == -1.0f;
        } else if (g.goalType == "game over") {
            met = lives == 0 && gameOver == -1.0f;
        }
        // An untimed goal fires at every step while its condition holds; its own action
        // (a level end, a new paddle, game over) is what stops it.
        if (met) AwardGoal(goal, sounds, lives, stat);
        return 0;
    });
}

int Level::AwardGoal(const GoalPtr& goal, const std::vector<SoundPtr>& sounds, int& lives, const GameStatPtr& stat) {
    return Guarded("level:Level.AwardGoal() ", 0, [&] {
        Goal& g = Deref(goal);
        ThrowError(1, "Awarding goal: " + g.successType);
        const std::string& type = g.successType;

        if (type == "level") {
            nextLevel = g.successAction;
            levelEndTTL = 50.0f;
            for (size_t i = 0, n = ballsArray.size(); i < n; ++i) {
                if (ballsArray[i]) ballsArray[i]->Die();
            }
            SetGlobalGameSpeed(1.0f, 10.0f, -1.0f);
        } else if (type == "music") {
            Mixer& mixer = Deref(g_MasterMixer);
            mixer.EndMusic();
            mixer.AddMusic(GetSoundByName(g.successAction, sounds));
        } else if (type == "fade out") {
            levelEndTTL = TimerFromText(g.successAction);
        } else if (type == "lose life") {
            // A negative number gives lives back.
            lives = SaturateToInt(static_cast<int64_t>(lives) - TextToInt(g.successAction));
            if (stat) stat->scoreMultiplier = 1;
            if (lives < 0) {
                lives = 0;
                gameOver = 100.0f;
            }
        } else if (type == "stop music") {
            Deref(g_MasterMixer).EndMusic();
        } else if (type == "kill paddle") {
            KillPaddle(*this, lives);
        } else if (type == "game over") {
            gameOver = TimerFromText(g.successAction);
        }
        return 0;
    });
}
