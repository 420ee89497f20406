// The scripted player: the paddle goes under the lowest falling ball, offset so that the
// rebound heads for the lowest brick still to clear (a key first, then a brick a nain sits on),
// and between balls under what it can catch: falling powerups, and falling nains to bounce
// until they burst into theirs.
#include "level/autoplayer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "core/globals.h"
#include "level/level.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/nain.h"
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

float FieldLeft() { return static_cast<float>(g_gamefieldXoffset); }
float FieldRight() { return static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth); }

// Where a falling body's left edge will be when its bottom reaches the paddle's top.
float ImpactX(const Sprite& body, const Sprite& paddle) {
    const float along = (paddle.y - Height(body) - body.y) / body.dy;
    return FoldIntoField(body.x + body.dx * along, FieldLeft(), static_cast<float>(g_gamefieldWidth) - Width(body));
}

// How many updates a body takes to bring its bottom down to a line, and where its left edge is
// then.
struct Arrival {
    int steps;
    float x;
};

// Steps looked ahead: more than anything takes to fall the height of the field.
constexpr int kLookAhead = 600;

// The flight followed as a sprite's update moves it (speed capped, moved, then pulled by its
// acceleration), the side walls folded in at the end; none when it does not come down that far.
std::optional<Arrival> ArrivalAt(const Sprite& body, float lineY) {
    const float h = Height(body);
    float x = body.x, y = body.y, dx = body.dx, dy = body.dy, vel = body.vel;
    const float speed = g_gameSpeedFactor;
    const auto folded = [&](float at) { return FoldIntoField(at, FieldLeft(), FieldRight() - Width(body)); };
    if (y + h >= lineY) return Arrival{0, folded(x)};
    if (body.accel == 0.0f && !(dy * vel > 0.0f)) return std::nullopt;
    for (int step = 1; step <= kLookAhead; ++step) {
        if (vel > body.maxVel) vel = body.maxVel;
        x += dx * vel * speed;
        y += dy * vel * speed;
        if (y + h >= lineY) return Arrival{step, folded(x)};
        if (body.accel != 0.0f) {
            dx = dx * vel + body.ddx * body.accel * speed;
            dy = dy * vel + body.ddy * body.accel * speed;
            vel = std::sqrt(dx * dx + dy * dy);
            if (vel == 0.0f) return std::nullopt;
            dx /= vel;
            dy /= vel;
        }
    }
    return std::nullopt;
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

int FreeBalls(const Level& level) {
    return static_cast<int>(std::count_if(level.ballsArray.begin(), level.ballsArray.end(),
                                          [](const BallPtr& ball) { return ball && FreeBall(*ball); }));
}

// A falling nain bounces off the paddle for points and, after its last bounce, bursts into its
// powerups; one that has had its bounces, or is already bursting, needs the paddle no more.
bool NeedsABounce(const Nain& nain) {
    return nain.isLive == 1 && nain.nainSprite && nain.status == "falling" && nain.slatedForDeath == 0 &&
           nain.currentBounces < nain.maxBounces;
}

// What the paddle can catch next: the body that comes down to its line first, where it lands,
// and its width.
struct Catch {
    int steps;
    float x;
    float width;
};

std::optional<Catch> NextCatch(const Level& level, const Sprite& paddle) {
    std::optional<Catch> first;
    const auto consider = [&](const Sprite& s) {
        // Gone past the paddle's line: too late.
        if (s.y + Height(s) > paddle.y + Height(paddle)) return;
        const std::optional<Arrival> a = ArrivalAt(s, paddle.y);
        if (a && (!first || a->steps < first->steps)) first = Catch{a->steps, a->x, Width(s)};
    };
    for (const PowerupPtr& powerup : level.powerupsArray) {
        if (powerup && powerup->isLive == 1 && powerup->hasBeenAwarded == 0 && powerup->powerupSprite) {
            consider(*powerup->powerupSprite);
        }
    }
    for (const NainPtr& nain : level.nainsArray) {
        if (nain && NeedsABounce(*nain)) consider(*nain->nainSprite);
    }
    return first;
}

// A shield brick stands wholly under where the ball crosses the shield's line: it sends the
// ball back up without the paddle.
bool ShieldReturns(const Level& level, const Sprite& ball) {
    if (!level.brickShield) return false;
    const std::optional<Arrival> a = ArrivalAt(ball, g_BrickShieldY);
    if (!a) return false;
    constexpr float kMargin = 2.0f;
    for (const BrickPtr& brick : level.brickShield->bricksToCheck) {
        if (!brick || brick->isLive != 1 || !brick->brickSprite || brick->brickSprite->isLive == 0) continue;
        const Sprite& s = *brick->brickSprite;
        if (a->x >= s.x + kMargin && a->x + Width(ball) <= s.x + Width(s) - kMargin) return true;
    }
    return false;
}

bool ToClear(const Brick& brick) { return brick.isLive == 1 && brick.mustClear == 1 && brick.brickSprite; }

bool IsKey(const Brick& brick) { return ToClear(brick) && !brick.keyBrickName.empty(); }

// A brick a nain sits on: struck, it drops the nain, which falls to be bounced.
bool CarriesNain(const Brick& brick) {
    if (brick.isLive != 1 || !brick.brickSprite || !brick.currentNain) return false;
    const Nain& nain = *brick.currentNain;
    return nain.isLive == 1 && nain.status != "falling" && nain.slatedForDeath == 0;
}

}  // namespace

// The lowest brick still to clear, the nearest to the impact among equals. A key comes first:
// the bricks it opens may wall in the rest, and a ball sent at them would rebound for ever.
// Then a brick with a nain on it: the nain falls, and bounced, bursts into powerups.
const Sprite* TargetBrick(const Level& level, float impactX) {
    const auto standing = [&](bool (*kind)(const Brick&)) {
        return std::any_of(level.bricksArray.begin(), level.bricksArray.end(),
                           [kind](const BrickPtr& brick) { return brick && kind(*brick); });
    };
    bool (*const wanted)(const Brick&) = standing(IsKey) ? IsKey : standing(CarriesNain) ? CarriesNain : ToClear;
    const Sprite* target = nullptr;
    for (const BrickPtr& brick : level.bricksArray) {
        if (!brick || !wanted(*brick)) continue;
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

float PaddleTarget(const Level& level) {
    if (!level.playerPaddle || !level.playerPaddle->paddleSprite) return 0.0f;
    const Sprite& paddle = *level.playerPaddle->paddleSprite;
    const float wp = Width(paddle);
    const Ball* chosen = ChosenBall(level);
    const bool falls = chosen && chosen->ballSprite->dy > 0.0f;
    // Over a standing shield brick the ball is let past: the shield returns it.
    const bool shielded = falls && ShieldReturns(level, *chosen->ballSprite);
    int ballSteps = std::numeric_limits<int>::max();
    if (falls && !shielded) {
        const std::optional<Arrival> a = ArrivalAt(*chosen->ballSprite, paddle.y);
        ballSteps = a ? a->steps : 0;
    }
    // The paddle follows the pointer at once, a step late: a catch that comes down a few steps
    // before the ball leaves time to be back under it. With a ball to spare, one may be lost
    // for a catch that comes down with it.
    constexpr int kStepsBackUnderTheBall = 3;
    if (const std::optional<Catch> c = NextCatch(level, paddle)) {
        if (c->steps + kStepsBackUnderTheBall < ballSteps || (FreeBalls(level) > 1 && c->steps <= ballSteps)) {
            return c->x + c->width / 2.0f - wp / 2.0f;
        }
    }
    if (!falls) {
        if (!chosen) return paddle.x;
        const Sprite& b = *chosen->ballSprite;
        return b.x + Width(b) / 2.0f - wp / 2.0f;
    }
    const Sprite& b = *chosen->ballSprite;
    const float wb = Width(b);
    const float impactX = ImpactX(b, paddle);
    const float left = FieldLeft();
    const float right = FieldRight() - wp;
    if (shielded) {
        // Out of the ball's way, on the side with room.
        const float clear = impactX + 2.0f * wb;
        return clear <= right ? clear : impactX - wb - wp;
    }
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
    if (x < left || x > right) return placeFor(-angle);
    return x;
}

void MoveMouseToward(const Level& level, float x) {
    if (!level.playerPaddle || !level.playerPaddle->paddleSprite) return;
    const Sprite& paddle = *level.playerPaddle->paddleSprite;
    const float left = FieldLeft();
    const float right = FieldRight() - Width(paddle);
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
