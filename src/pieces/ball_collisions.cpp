// What a ball's strike does to nains, thrown projectiles and bricks, and the special balls:
// fire, ice, shock, the brick plow and the smart ball that hits every brick of one kind.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "core/globals.h"
#include "core/numeric.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/projectile.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"

namespace {

// Plain damage only when the ball carries no fire, ice or shock.
int PhysicalFlag(const Ball& ball) {
    int64_t kinds = static_cast<int64_t>(ball.isFireball) + ball.isIceball + ball.isShockball;
    return kinds <= 0 ? 1 : 0;
}

// The ball's kinds as a hit on a brick, with the plain share given.
BrickHit HitBy(const Ball& ball, int physical) {
    return {.physical = physical,
            .fire = ball.isFireball,
            .ice = ball.isIceball,
            .electric = ball.isShockball,
            .plow = ball.isBrickplow};
}

// The last form a brick turns into. Content may chain its forms in a circle; the walk stops at
// the first form it has already seen.
Brick* FinalForm(Brick* brick) {
    Brick* last = brick;
    WalkForms(*brick, [&](Brick& form) { last = &form; });
    return last;
}

}  // namespace

int Ball::NainCollision(const NainPtr& nain, float margin) {
    return Guarded("ball:Ball.NainCollision(): ", 0, [&] {
        Nain& target = Deref(nain);
        if (target.isLive == 0) return 0;
        if (Deref(target.nainSprite).BoundingBoxCollision(ballSprite, 0, margin) != 1) return 0;
        // Held: the nain's reactions may let go of its sprite.
        SpritePtr nainSprite = target.nainSprite;
        if (isIceball != 0) target.FreezeNain();
        if (isShockball != 0) target.ZapNain();
        if (target.deflectsBall > 0 && isBrickplow == 0) Deref(ballSprite).ReboundCollision(nainSprite, 0.0f);
        isStuck = kBallNotStuck;
        target.HitBySomething(0.0f, 0.0f, 0.0f, 1);
        if (isFireball != 0) target.BurnNain();
        HitTaken();
        return 1;
    });
}

int Ball::ProjectileCollision(const ProjectilePtr& projectile, float margin, const GameStatPtr& stats) {
    return Guarded("ball:Ball.ProjectileCollision(): ", 0, [&] {
        Projectile& target = Deref(projectile);
        if (target.isLive == 0 || std::string_view(target.status) == "burst") return 0;
        // The top strip of the field is out of the projectiles' reach.
        if (Deref(ballSprite).absY < 8.0f) return 0;
        SpritePtr shot = target.projectileSprite;
        if (Deref(shot).BoundingBoxCollision(ballSprite, 0, margin) != 1) return 0;
        target.DestroyProjectile();
        isStuck = kBallNotStuck;
        GameStat& record = Deref(stats);
        record.AddToScore(static_cast<int64_t>(target.pointValue));
        std::string text = FormatNumber(record.ScoredPoints(target.pointValue));
        float dRot = RndF(-0.5, 0.5);
        float rot = RndF(-10.0, 10.0);
        float dy = RndF(-7.5, 0.0);
        float dx = RndF(-0.5, 0.5);
        AddToImageTextArray(text, 0.0f, 255.0f, 0.0f, shot->GetCenterX(), shot->GetCenterY() - 25.0f * g_heightFactor,
                            dx, dy, 0.75f, 0.0375f, rot, dRot, 1.0f, 6.0f);
        HitTaken();
        return 1;
    });
}

int Ball::BrickCollision(const BrickPtr& brick, float margin, const GameStatPtr& stats,
                         const std::vector<BrickPtr>& bricks) {
    return Guarded("ball:Ball.BrickCollision(): ", 0, [&] {
        Brick& target = Deref(brick);
        // A brick struck a moment ago is out of reach until its recovery runs out, so a ball
        // listed in several boxes strikes it once.
        if (target.isLive == 0 || target.isSolid == 0 || target.ttRecover != -1.0f) return 0;
        Sprite& sprite = Deref(ballSprite);
        if (sprite.ReboundCollision(target.brickSprite, margin) != 1) return 0;
        target.ttRecover = 1.0f;
        smartTarget = brick;
        if (isBrickplow != 0 || margin != 0.0f) {
            sprite.xRebound = 0;
            sprite.yRebound = 0;
        } else if (sprite.dx == 0.0f) {
            sprite.xRebound = 0;
            sprite.yRebound = AddSaturated(sprite.yRebound, -static_cast<int64_t>(TruncToInt(sprite.dy)));
        }
        int result = target.Damage(HitBy(*this, PhysicalFlag(*this)), stats, bricks);
        if (isFireball != 0) {
            sprite.JumpToAnimation("_explode");
            isExploding = static_cast<float>(isFireball);
        }
        if (isIceball != 0) sprite.JumpToAnimation("_ice_hit");
        HitTaken();
        return result;
    });
}

int Ball::SmartBallDamage(const std::vector<BrickPtr>& bricks, const GameStatPtr& stats) {
    return Guarded("ball:Ball.SmartBallDamage(): ", 0, [&] {
        if (isSmart <= 0 || !smartTarget) return 0;
        const std::string finalType = FinalForm(smartTarget.get())->name;
        int killed = 0;
        const int physical = PhysicalFlag(*this);
        // Damage may turn bricks into their next forms but never grows the array.
        const size_t count = bricks.size();
        for (size_t i = 0; i < count && i < bricks.size(); ++i) {
            BrickPtr brick = bricks[i];
            if (!brick) continue;
            if (FinalForm(brick.get())->name != finalType) continue;
            killed = AddSaturated(killed, brick->Damage(HitBy(*this, physical), stats, bricks));
        }
        smartTarget = nullptr;
        isSmart -= 1;
        return killed;
    });
}
