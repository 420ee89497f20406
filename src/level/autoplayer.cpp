// The scripted player: the paddle goes under the lowest falling ball, offset so that the
// rebound heads for the lowest brick still to clear, or else under a falling powerup.
#include "level/autoplayer.h"

#include <algorithm>
#include <cmath>

#include "core/globals.h"
#include "level/level.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/paddle.h"
#include "pieces/powerups.h"
#include "platform/input.h"
#include "sprites/sprites.h"

namespace autoplayer {

namespace {

float Width(const Sprite& s) { return s.widthBound * s.xScale; }
float Height(const Sprite& s) { return s.heightBound * s.yScale; }

// Where something moving in a straight line between the side walls crosses a given x span.
float FoldIntoField(float x, float lo, float hi) {
    const float span = hi - lo;
    if (span <= 0.0f) return lo;
    float t = std::fmod(x - lo, 2.0f * span);
    if (t < 0.0f) t += 2.0f * span;
    return lo + (t <= span ? t : 2.0f * span - t);
}

// Where a falling body's left edge will be when its bottom reaches the paddle's top.
float ImpactX(const Sprite& body, const Sprite& paddle) {
    const float along = (paddle.y - Height(body) - body.y) / body.dy;
    return FoldIntoField(body.x + body.dx * along, static_cast<float>(g_gamefieldXoffset),
                         static_cast<float>(g_gamefieldWidth) - Width(body));
}

bool FreeBall(const Ball& ball) {
    return ball.isLive == 1 && ball.isStuck == kBallNotStuck && ball.isWeaponBlast == 0 && ball.ballSprite;
}

// The lowest ball, falling ones first: the one to be under.
const Ball* ChosenBall(const Level& level) {
    const Ball* chosen = nullptr;
    for (const BallPtr& ball : level.ballsArray) {
        if (!ball || !FreeBall(*ball)) continue;
        if (!chosen) {
            chosen = ball.get();
            continue;
        }
        const Sprite& b = *ball->ballSprite;
        const Sprite& c = *chosen->ballSprite;
        const bool falls = b.dy > 0.0f, chosenFalls = c.dy > 0.0f;
        if (falls != chosenFalls ? falls : b.y > c.y) chosen = ball.get();
    }
    return chosen;
}

// The lowest powerup still falling toward the paddle's line.
const Sprite* FallingPowerup(const Level& level, const Sprite& paddle) {
    const Sprite* lowest = nullptr;
    for (const PowerupPtr& powerup : level.powerupsArray) {
        if (!powerup || powerup->isLive != 1 || powerup->hasBeenAwarded != 0 || !powerup->powerupSprite) continue;
        const Sprite& s = *powerup->powerupSprite;
        if (!(s.dy > 0.0f) || s.y + Height(s) > paddle.y + Height(paddle)) continue;
        if (!lowest || s.y > lowest->y) lowest = &s;
    }
    return lowest;
}

// The lowest brick still to clear, the nearest to the impact among equals.
const Sprite* TargetBrick(const Level& level, float impactX) {
    const Sprite* target = nullptr;
    for (const BrickPtr& brick : level.bricksArray) {
        if (!brick || brick->isLive != 1 || brick->mustClear != 1 || !brick->brickSprite) continue;
        const Sprite& s = *brick->brickSprite;
        if (!target) {
            target = &s;
            continue;
        }
        const float dNew = std::fabs(s.x + Width(s) / 2.0f - impactX);
        const float dOld = std::fabs(target->x + Width(*target) / 2.0f - impactX);
        if (s.y > target->y || (s.y == target->y && dNew < dOld)) target = &s;
    }
    return target;
}

}  // namespace

float PaddleTarget(const Level& level) {
    if (!level.playerPaddle || !level.playerPaddle->paddleSprite) return 0.0f;
    const Sprite& paddle = *level.playerPaddle->paddleSprite;
    const float wp = Width(paddle);
    const Ball* chosen = ChosenBall(level);
    if (!chosen || !(chosen->ballSprite->dy > 0.0f)) {
        // Nothing to return: time to catch what falls.
        if (const Sprite* powerup = FallingPowerup(level, paddle)) {
            return ImpactX(*powerup, paddle) + Width(*powerup) / 2.0f - wp / 2.0f;
        }
        if (!chosen) return paddle.x;
        const Sprite& b = *chosen->ballSprite;
        return b.x + Width(b) / 2.0f - wp / 2.0f;
    }
    const Sprite& b = *chosen->ballSprite;
    const float wb = Width(b);
    const float impactX = ImpactX(b, paddle);
    float angle = 0.0f;
    if (const Sprite* t = TargetBrick(level, impactX)) {
        const float dx = t->x + Width(*t) / 2.0f - (impactX + wb / 2.0f);
        const float dy = paddle.y - (t->y + Height(*t));
        angle = std::clamp(static_cast<float>(std::atan2(dx, dy) * 180.0 / 3.14159265358979), -40.0f, 40.0f);
    }
    // A ball that comes straight down goes back up at a slant, or it may rise and fall in
    // an emptied column for ever.
    if (std::fabs(b.dx) < 0.05f && std::fabs(angle) < 10.0f) angle = impactX < g_gamefieldWidth / 2.0f ? 15.0f : -15.0f;
    // The rebound's angle follows where on the paddle the ball lands.
    const auto placeFor = [&](float a) { return impactX + 1.5f * wb - (a + 80.0f) / 160.0f * (wp + 2.0f * wb); };
    // Against a wall the paddle cannot reach that far: it sends the ball off the wall instead.
    const float x = placeFor(angle);
    const float left = static_cast<float>(g_gamefieldXoffset);
    const float right = static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth) - wp;
    if (x < left || x > right) return placeFor(-angle);
    return x;
}

void MoveMouseToward(const Level& level, float x) {
    if (!level.playerPaddle || !level.playerPaddle->paddleSprite) return;
    const Sprite& paddle = *level.playerPaddle->paddleSprite;
    const float left = static_cast<float>(g_gamefieldXoffset);
    const float right = static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth) - Width(paddle);
    x = std::clamp(x, left, std::max(left, right));
    const float modifier = g_paddlePositionModifier != 0.0f ? g_paddlePositionModifier : 1.0f;
    InputEvent move;
    move.type = InputEventType::MouseMove;
    move.x = g_MouseXPrev + static_cast<int>(std::lround((x - paddle.x) / modifier));
    move.y = g_MouseYPrev;
    InjectEvent(move);
}

bool BallWaiting(const Level& level) {
    return std::any_of(level.ballsArray.begin(), level.ballsArray.end(), [](const BallPtr& ball) {
        return ball && ball->isLive == 1 && ball->isStuck != kBallNotStuck && ball->ballSprite;
    });
}

}  // namespace autoplayer
