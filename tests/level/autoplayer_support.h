// A scripted player for the autoplay tests: the paddle goes under the lowest falling ball,
// offset so that the rebound heads for the lowest brick still to clear, steered through the
// same mouse motion the game reads.
#pragma once

#include <algorithm>
#include <cmath>

#include "core/globals.h"
#include "level/level.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/paddle.h"
#include "platform/input.h"
#include "sprites/sprites.h"

namespace autoplayer {

constexpr int kFree = -999999;  // a ball not stuck to the paddle

inline float Width(const Sprite& s) { return s.widthBound * s.xScale; }
inline float Height(const Sprite& s) { return s.heightBound * s.yScale; }

inline float FoldIntoField(float x, float lo, float hi) {
    const float span = hi - lo;
    if (span <= 0.0f) return lo;
    float t = std::fmod(x - lo, 2.0f * span);
    if (t < 0.0f) t += 2.0f * span;
    return lo + (t <= span ? t : 2.0f * span - t);
}

inline float PaddleTarget(const Level& level) {
    const Sprite& paddle = *level.playerPaddle->paddleSprite;
    const float wp = Width(paddle);
    BallPtr chosen;
    for (const BallPtr& ball : level.ballsArray) {
        if (ball->isLive != 1 || ball->isStuck != kFree || ball->isWeaponBlast != 0) continue;
        if (!chosen || ball->ballSprite->y > chosen->ballSprite->y) chosen = ball;
    }
    if (!chosen) return paddle.x;
    const Sprite& b = *chosen->ballSprite;
    const float wb = Width(b);
    if (b.dy <= 0.0f) return b.x + wb / 2.0f - wp / 2.0f;
    const float along = (paddle.y - Height(b) - b.y) / b.dy;
    const float impactX = FoldIntoField(b.x + b.dx * along, static_cast<float>(g_gamefieldXoffset),
                                        static_cast<float>(g_gamefieldWidth) - wb);
    BrickPtr target;
    for (const BrickPtr& brick : level.bricksArray) {
        if (brick->isLive != 1 || brick->mustClear != 1) continue;
        if (!target) {
            target = brick;
            continue;
        }
        const Sprite& s = *brick->brickSprite;
        const Sprite& t = *target->brickSprite;
        const float dNew = std::fabs(s.x + Width(s) / 2.0f - impactX);
        const float dOld = std::fabs(t.x + Width(t) / 2.0f - impactX);
        if (s.y > t.y || (s.y == t.y && dNew < dOld)) target = brick;
    }
    float angle = 0.0f;
    if (target) {
        const Sprite& t = *target->brickSprite;
        const float dx = t.x + Width(t) / 2.0f - (impactX + wb / 2.0f);
        const float dy = paddle.y - (t.y + Height(t));
        angle = std::clamp(static_cast<float>(std::atan2(dx, dy) * 180.0 / 3.14159265358979), -40.0f, 40.0f);
    }
    // A ball that comes straight down goes back up at a slant, or it may rise and fall in
    // an emptied column for ever.
    if (std::fabs(b.dx) < 0.05f && std::fabs(angle) < 10.0f) angle = impactX < g_gamefieldWidth / 2.0f ? 15.0f : -15.0f;
    const auto placeFor = [&](float a) { return impactX + 1.5f * wb - (a + 80.0f) / 160.0f * (wp + 2.0f * wb); };
    // Against a wall the paddle cannot reach that far: it sends the ball off the wall instead.
    const float x = placeFor(angle);
    const float left = static_cast<float>(g_gamefieldXoffset);
    const float right = static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth) - wp;
    if (x < left || x > right) return placeFor(-angle);
    return x;
}

inline void MoveMouseToward(const Level& level, float x) {
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

}  // namespace autoplayer
