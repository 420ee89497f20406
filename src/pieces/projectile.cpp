// What a nain throws at the paddle: its "projectile" element, the aimed or dropped throw,
// its fall under gravity and the points it costs when it strikes the paddle.
#include "pieces/projectile.h"

#include <cmath>
#include <cstdint>

#include "core/arrays.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "core/numeric.h"
#include "pieces/gamestats.h"
#include "pieces/paddle.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "text/parser.h"

int Projectile::Unlink() {
    return Guarded("projectile:Projectile.Unlink() ", 0, [&] {
        if (projectileSprite) {
            projectileSprite->Unlink();
            projectileSprite = nullptr;
        }
        parentNain.reset();
        return 0;
    });
}

int Projectile::LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites, int) {
    return Guarded("projectile:Projectile.LoadFromXML() ", 0, [&] {
        LoadXmlFields(*this, xml, kProjectileFields);
        projectileSprite = std::make_shared<Sprite>();
        projectileSprite->Clone(GetSpriteByName(spriteName, sprites), nullptr);
        return 0;
    });
}

int Projectile::Update() {
    return Guarded("projectile:Projectile.Update() ", 0, [&] {
        if (isLive == 0) return 0;
        Sprite& sprite = Deref(projectileSprite);
        if (sprite.isLive == 0) {
            isLive = 0;
            return 0;
        }
        // A held projectile rides on the nain's sprite, which moves it.
        if (!sprite.parentSprite.lock()) sprite.Update();
        if (sprite.y > static_cast<float>(g_gamefieldHeight + g_gamefieldYoffset)) isLive = 0;
        if (sprite.isLive == 0) {
            MakeProjectileFall(5.0f);
            sprite.isLive = 0;
            isLive = 0;
        }
        return 0;
    });
}

int Projectile::Draw() {
    return Guarded("projectile:Projectile.Draw() ", 0, [&] {
        if (isLive == 0) return 0;
        Sprite& sprite = Deref(projectileSprite);
        if (!sprite.parentSprite.lock()) sprite.Draw();
        return 0;
    });
}

int Projectile::Clone(const std::shared_ptr<Projectile>& source) {
    return Guarded("projectile:Projectile.Clone() ", 0, [&] {
        const Projectile& src = Deref(source);
        CopyXmlFields(*this, src, kProjectileFields);
        if (projectileSprite) projectileSprite->Unlink();
        projectileSprite = std::make_shared<Sprite>();
        if (src.projectileSprite) projectileSprite->Clone(src.projectileSprite, nullptr);
        parentNain = src.parentNain;
        return 0;
    });
}

int Projectile::PaddleCollision(const PaddlePtr& paddle, const GameStatPtr& stats) {
    return Guarded("projectile:Projectile.PaddleCollision() ", 0, [&] {
        if (status != "falling") return 0;
        Paddle& pad = Deref(paddle);
        if (pad.isLive == 0) return 0;
        Sprite& sprite = Deref(projectileSprite);
        if (sprite.BoundingBoxCollision(pad.paddleSprite, 0, 0.0f) != 1) return 0;
        GameStat& record = Deref(stats);
        record.SubtractFromScore(static_cast<int64_t>(pointValue));
        const std::string text = "-" + FormatNumber(record.ScoredPoints(pointValue));
        const float x = sprite.GetCenterX();
        const float y = sprite.GetCenterY() - 25.0f * g_heightFactor;
        const float dx = RndF(-0.5, 0.5);
        const float dy = RndF(-7.5, 0.0);
        const float rot = RndF(-10.0, 10.0);
        const float dRot = RndF(-0.5, 0.5);
        AddToImageTextArray(text, 255.0f, 0.0f, 0.0f, x, y, dx, dy, 0.75f, 0.0375f, rot, dRot, 1.0f, 6.0f);
        return 1;
    });
}

int Projectile::MakeProjectileFall(float speed) {
    return Guarded("projectile:Projectile.MakeProjectileFall() ", 0, [&] {
        status = "falling";
        if (projectileSprite) {
            Sprite& sprite = *projectileSprite;
            sprite.dx = RndF(-0.3, 0.3);
            sprite.dy = RndF(-1.0, 0.0);
            sprite.vel = RndF(0.0, speed);
            sprite.drot = RndF(-7.0, 7.0);
            sprite.ddy = 1.0f;
            sprite.ddx = 0.0f;
            sprite.accel = g_gravitationalConstant;
            sprite.DetachSprite();
            sprite.JumpToAnimation("falling");
        }
        return 0;
    });
}

int Projectile::ThrowProjectile(const SpritePtr& target, float xSpread, float rise, float speed) {
    return Guarded("projectile:Projectile.ThrowProjectile() ", 0, [&] {
        if (status == "falling") return 0;
        status = "falling";
        if (projectileSprite) {
            Sprite& sprite = *projectileSprite;
            if (target) {
                float aim = 0.0f;
                // A coefficient of 0 would divide by zero: the throw then goes unaimed sideways.
                if (throwXCoefficient != 0) {
                    aim = (target->GetCenterX() - sprite.GetCenterX()) / static_cast<float>(throwXCoefficient);
                }
                sprite.dx = RndF(-throwXError, throwXError) + aim;
                sprite.dy = RndF(throwMinVert, throwMaxVert);
                sprite.vel = RndF(throwMinVel, throwMaxVel);
            } else {
                sprite.dx = RndF(-xSpread, xSpread);
                sprite.dy = RndF(rise, 0.0);
                sprite.vel = RndF(0.0, speed);
            }
            sprite.drot = RndF(-throwRot, throwRot);
            sprite.ddy = 1.0f;
            sprite.ddx = 0.0f;
            sprite.accel = g_gravitationalConstant;
            sprite.DetachSprite();
            sprite.JumpToAnimation("falling");
        }
        return 0;
    });
}

int Projectile::DestroyProjectile() {
    return Guarded("projectile:Projectile.DestroyProjectile() ", 0, [&] {
        MakeProjectileFall(5.0f);
        status = "burst";
        Deref(projectileSprite).JumpToAnimation("burst");
        return 0;
    });
}

std::vector<ProjectilePtr> AppendNewProjectile(const std::vector<ProjectilePtr>& list) {
    return AppendNew("projectile:AppendNewProjectile() ", list);
}

ProjectilePtr GetProjectileByName(const std::string& name, const std::vector<ProjectilePtr>& list) {
    return GetByName("projectile:GetProjectileByName() ", list, &Projectile::name, name, "projectile");
}
