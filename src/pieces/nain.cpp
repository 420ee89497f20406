// The gnomes that sit on bricks: they throw projectiles at the paddle, fall when their brick
// goes, bounce off the paddle for doubling points and burst into powerups.
#include "pieces/nain.h"

#include <climits>
#include <cmath>
#include <cstdint>

#include "core/arrays.h"
#include "core/globals.h"
#include "core/numeric.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/paddle.h"
#include "pieces/projectile.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// Doubling stops at the ends of the int range instead of wrapping to the other sign.
int DoublePoints(int value) {
    if (value > INT_MAX / 2) return INT_MAX;
    if (value < INT_MIN / 2) return INT_MIN;
    return value * 2;
}

}  // namespace

std::string Nain::WriteToXML() {
    return Guarded("nain:Nain.WriteToXML() ", std::string(), [&] {
        std::string data;
        data += GetXMLfromData("name", name, 0);
        data += GetXMLfromData("spriteName", spriteName, 0);
        data += GetXMLfromData("projectileHardpointName", projectileHardpointName, 0);
        data += GetXMLfromData("aggression", IntToText(aggression), 0);
        data += GetXMLfromData("frequency", IntToText(frequency), 0);
        data += GetXMLfromData("rootPointValue", IntToText(rootPointValue), 0);
        data += GetXMLfromData("maxBounces", IntToText(maxBounces), 0);
        data += GetXMLfromData("deflectsBall", IntToText(deflectsBall), 0);
        // A nain whose load failed part-way lacks a table: it reads back as an empty one.
        if (powerupGenerated) data += powerupGenerated->WriteToXML("powerupGenerated");
        if (projectileToThrow) data += projectileToThrow->WriteToXML("projectileToThrow");
        return GetXMLfromData("nain", data, 1);
    });
}

int Nain::Unlink() {
    return Guarded("nain:Nain.Unlink() ", 0, [&] {
        if (nainSprite) {
            nainSprite->Unlink();
            nainSprite = nullptr;
        }
        // The brick would otherwise go on shaking and dropping a nain that is gone.
        if (parentBrick) {
            if (parentBrick->currentNain.get() == this) parentBrick->currentNain = nullptr;
            parentBrick = nullptr;
        }
        if (currentProjectile) {
            currentProjectile->Unlink();
            currentProjectile = nullptr;
        }
        projectileHardpoint = nullptr;
        return 0;
    });
}

int Nain::LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites, int) {
    return Guarded("nain:Nain.LoadFromXML() ", 0, [&] {
        LoadXmlFields(*this, xml, kNainFields);
        powerupGenerated = std::make_shared<Random>();
        powerupGenerated->LoadFromXML(ExtractTagFromXML(xml, "powerupGenerated", 0));
        if (nainSprite) nainSprite->Unlink();
        nainSprite = std::make_shared<Sprite>();
        nainSprite->Clone(GetSpriteByName(spriteName, sprites), nullptr);
        projectileToThrow = std::make_shared<Random>();
        projectileToThrow->LoadFromXML(ExtractTagFromXML(xml, "projectileToThrow", 0));
        return 0;
    });
}

int Nain::Clone(const std::shared_ptr<Nain>& source) {
    return Guarded("nain:Nain.Clone() ", 0, [&] {
        const Nain& src = Deref(source);
        CopyXmlFields(*this, src, kNainFields);
        currentBounces = src.currentBounces;
        distracted = src.distracted;
        slatedForDeath = src.slatedForDeath;
        powerupGenerated = src.powerupGenerated;
        projectileToThrow = src.projectileToThrow;
        // The source's hand is a sprite of the source's own tree; this nain finds its own
        // hand on its first throw.
        projectileHardpoint = nullptr;
        if (nainSprite) nainSprite->Unlink();
        nainSprite = std::make_shared<Sprite>();
        if (src.nainSprite) nainSprite->Clone(src.nainSprite, nullptr);
        // Not seated yet: a stand-in brick that is not live, until the level seats the nain.
        parentBrick = src.parentBrick ? src.parentBrick : std::make_shared<Brick>();
        return 0;
    });
}

int Nain::StartProjectile(const std::vector<ProjectilePtr>& sourceProjectiles, const std::string& projectileName,
                          std::vector<ProjectilePtr>& projectiles) {
    return Guarded("nain:Nain.StartProjectile() ", 0, [&] {
        if (sourceProjectiles.empty() || projectileName.empty()) return -2;
        if (currentProjectile) return -1;
        if (!projectileHardpoint) {
            projectileHardpoint = Deref(nainSprite).TraverseForNamedSprite(projectileHardpointName);
        }
        currentProjectile = std::make_shared<Projectile>();
        currentProjectile->Clone(GetProjectileByName(projectileName, sourceProjectiles));
        currentProjectile->isLive = 1;
        Sprite& held = Deref(currentProjectile->projectileSprite);
        Sprite& hand = Deref(projectileHardpoint);
        held.parentSprite = projectileHardpoint;
        currentProjectile->parentNain = weak_from_this();
        hand.childSprites.push_back(currentProjectile->projectileSprite);
        bool stored = false;
        for (size_t i = 0; i < projectiles.size(); ++i) {
            if (!projectiles[i] || projectiles[i]->isLive == 0) {
                projectiles[i] = currentProjectile;
                stored = true;
                break;
            }
        }
        if (!stored) projectiles.push_back(currentProjectile);
        if (slatedForDeath == 0) nainSprite->JumpToAnimation("Start projectile");
        return 0;
    });
}

int Nain::AssignTargets(const SpritePtr& sprite, SpritePtr& ballTarget, SpritePtr& paddleTarget) {
    return Guarded("nain:Nain.AssignTargets() ", 0, [&] {
        Sprite& s = Deref(sprite);
        if (s.assignTargetSprite == 0) return 0;
        s.assignTargetSprite = 0;
        if (!s.targetSpriteName.empty() && !s.targetSprite.lock()) {
            if (s.targetSpriteName == "paddle") {
                s.targetSprite = paddleTarget;
            } else if (s.targetSpriteName == "ball") {
                s.targetSprite = ballTarget;
            }
        }
        const size_t count = s.childSprites.size();
        for (size_t i = 0; i < count && i < s.childSprites.size(); ++i) {
            SpritePtr child = s.childSprites[i];
            AssignTargets(child, ballTarget, paddleTarget);
        }
        return 0;
    });
}

int Nain::Update(const std::vector<ProjectilePtr>& sourceProjectiles, std::vector<ProjectilePtr>& projectiles,
                 SpritePtr& ballTarget, SpritePtr& paddleTarget) {
    return Guarded("nain:Nain.Update() ", 0, [&] {
        if (isLive == 0) {
            if (nainSprite) {
                nainSprite->x = -5000.0f;
                nainSprite->y = -5000.0f;
            }
            return 0;
        }
        if (!nainSprite) return 0;
        // Held for the whole step, should anything below replace the nain's sprite.
        SpritePtr sprite = nainSprite;
        sprite->Update();
        if (sprite->isLive == 0) {
            sprite->JumpToAnimation("sound_stop");
            isLive = 0;
            return 0;
        }
        if (sprite->assignTargetSprite == 1) AssignTargets(sprite, ballTarget, paddleTarget);
        if (sprite->GetCurrentAnimationName() == "Launch projectile") {
            if (currentProjectile) currentProjectile->ThrowProjectile(paddleTarget, 0.0f, 0.0f, 1.0f);
            currentProjectile = nullptr;
            if (slatedForDeath == 0) sprite->JumpToAnimation("Projectile follow-through");
        }
        if (distracted != -1.0f) {
            distracted -= g_gameSpeedFactor;
            if (distracted < 0.0f) distracted = -1.0f;
        }
        if (parentBrick) {
            // Without a projectile table (a load that failed part-way) the nain throws nothing.
            if (!currentProjectile && Rand(aggression, 1) == 1 && distracted == -1.0f && projectileToThrow) {
                StartProjectile(sourceProjectiles, projectileToThrow->Pick(), projectiles);
            }
            if (parentBrick && parentBrick->isLive == 0) {
                MakeNainFall(5.0f);
                parentBrick = nullptr;
            }
        }
        if (sprite->y > static_cast<float>(g_gamefieldHeight + g_gamefieldYoffset)) {
            isLive = 0;
            sprite->JumpToAnimation("sound_stop");
        }
        if (sprite->x < static_cast<float>(g_gamefieldXoffset)) {
            sprite->xRebound = -100;
        } else if (sprite->GetRightEdge(0.0f) > static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth)) {
            sprite->xRebound = 100;
        }
        if (currentBounces >= maxBounces && sprite->vel * sprite->dy > 0.0f && powerupCount > 0) {
            status = "falling";
            sprite->JumpToAnimation("burst");
            powerupToGenerate = powerupGenerated ? powerupGenerated->Pick() : std::string();
            slatedForDeath = 1;
        } else if (currentBounces == maxBounces) {
            bounceToBurst = sprite->y;
        }
        return 0;
    });
}

int Nain::Draw() {
    return Guarded("nain:Nain.Draw() ", 0, [&] {
        if (nainSprite && isLive == 1) nainSprite->Draw();
        return 0;
    });
}

int Nain::BrickCollision(const BrickPtr& brick) {
    return Guarded("nain:Nain.BrickCollision() ", 0, [&] {
        Brick& b = Deref(brick);
        if (b.isLive == 0 || isLive == 0) return 0;
        return Deref(nainSprite).BoundingBoxCollision(b.brickSprite, 0, 0.0f) == 1 ? 1 : 0;
    });
}

int Nain::Bounce(const PaddlePtr& paddle, const GameStatPtr& stats) {
    return Guarded("nain:Nain.Bounce() ", 0, [&] {
        Sprite& sprite = Deref(nainSprite);
        sprite.yRebound = 100;
        bounceToBurst = 9999999.0f;
        if (currentBounces < INT_MAX) currentBounces += 1;
        if (currentBounces > maxBounces) {
            sprite.yRebound = 0;
            return 0;
        }
        GameStat& record = Deref(stats);
        record.AddToScore(static_cast<int64_t>(currentPointValue));

        // The text's style tells the player how many scoring bounces are left.
        const int64_t remaining = static_cast<int64_t>(maxBounces) - currentBounces;
        float r = 0.0f, g = 0.0f, b = 255.0f, scale = 0.5f, dScale = 0.025f, cycleRate = 0.5f, ttl = 10.0f;
        double dyLow = -5.0;
        if (remaining < 1) {
            r = 255.0f, g = 0.0f, b = 0.0f, scale = 1.0f, dScale = 0.05f, cycleRate = 2.0f, ttl = 15.0f;
            dyLow = -15.0;
        } else if (remaining < 3) {
            r = 0.0f, g = 255.0f, b = 0.0f, scale = 0.75f, dScale = 0.0375f, cycleRate = 1.0f, ttl = 10.0f;
            dyLow = -7.5;
        }
        const std::string text = FormatNumber(record.ScoredPoints(currentPointValue));
        const float x = sprite.GetCenterX();
        const float y = sprite.GetCenterY() - 25.0f * g_heightFactor;
        const float dx = RndF(-0.5, 0.5);
        const float dy = RndF(dyLow, 0.0);
        const float rot = RndF(-10.0, 10.0);
        const float dRot = RndF(-0.5, 0.5);
        AddToImageTextArray(text, r, g, b, x, y, dx, dy, scale, dScale, rot, dRot, cycleRate, ttl);

        currentPointValue = DoublePoints(currentPointValue);
        if (currentBounces >= maxBounces) sprite.SetDShake(0.0f);

        Paddle& pad = Deref(paddle);
        sprite.y -= sprite.GetBottomEdge(0.0f) - Deref(pad.paddleSprite).y - 0.1f;
        sprite.drot = pad.dX + RndF(-5.0, 5.0);
        sprite.dx += RndF(-0.15, 0.15);
        sprite.SetShake(sprite.maxShake);
        if (sprite.vel < 0.5f) sprite.vel = 0.5f;

        if (slatedForDeath == 0) {
            if (sprite.isFrozen != 0.0f) {
                sprite.JumpToAnimation("sound_ice_hit");
            } else if (currentBounces >= maxBounces) {
                sprite.JumpToAnimation("sound_babble");
            } else {
                sprite.JumpToAnimation("sound_bounce");
            }
        }
        return 0;
    });
}

int Nain::PaddleCollision(const PaddlePtr& paddle) {
    return Guarded("nain:Nain.PaddleCollision() ", 0, [&] {
        if (status != "falling") return 0;
        Paddle& pad = Deref(paddle);
        if (pad.isLive == 0) return 0;
        return Deref(nainSprite).BoundingBoxCollision(pad.paddleSprite, 0, 0.0f) == 1 ? 1 : 0;
    });
}

int Nain::FreezeNain() {
    return Guarded("nain:Nain.FreezeNain() ", 0, [&] {
        Sprite& sprite = Deref(nainSprite);
        if (sprite.isFrozen != 0.0f) return 0;
        sprite.SetFreeze(1);
        sprite.maxShake *= 0.5f;
        sprite.dShake *= 2.0f;
        sprite.shake = sprite.maxShake;
        sprite.elasticity *= 0.9f;
        sprite.maxdRot *= 0.25f;
        return 0;
    });
}

int Nain::BurnNain() {
    return Guarded("nain:Nain.BurnNain() ", 0, [&] {
        Sprite& sprite = Deref(nainSprite);
        if (sprite.isFrozen != 0.0f) sprite.SetFreeze(0);
        if (timesBurned < INT_MAX) timesBurned += 1;
        sprite.dx = RndF(-0.05, 0.05);
        sprite.dy = -1.0f;
        sprite.vel = RndF(2.0, 5.0);
        if (Rand(0, timesBurned) > 20) sprite.vel += RndF(25.0, 50.0);
        if (slatedForDeath == 0) sprite.JumpToAnimation("_burn");
        return 0;
    });
}

int Nain::ZapNain() {
    return Guarded("nain:Nain.ZapNain() ", 0, [&] {
        if (slatedForDeath != 0) return 0;
        HitBySomething(0.0f, 0.0f, 0.0f, 0);
        Sprite& sprite = Deref(nainSprite);
        sprite.JumpToAnimation("zapped");
        sprite.JumpToAnimation("sound_shock_hit");
        powerupToGenerate = powerupGenerated ? powerupGenerated->Pick() : std::string();
        slatedForDeath = 1;
        return 0;
    });
}

int Nain::Bullseye() {
    return Guarded("nain:Nain.Bullseye() ", 0, [&] {
        if (status != "falling" && nainSprite && slatedForDeath == 0) nainSprite->JumpToAnimation("_bullseye");
        return 0;
    });
}

int Nain::HitBySomething(float ddx, float ddy, float dvel, int knock) {
    return Guarded("nain:Nain.HitBySomething() ", 0, [&] {
        if (nainSprite && knock != 0 && slatedForDeath == 0) {
            nainSprite->JumpToAnimation("knock hat");
            nainSprite->JumpToAnimation(nainSprite->isFrozen != 0.0f ? "sound_ice_hit" : "sound_hit");
        }
        MakeNainFall(5.0f);
        if (nainSprite) {
            nainSprite->dx += ddx;
            nainSprite->dy += ddy;
            nainSprite->vel += dvel;
        }
        return 0;
    });
}

int Nain::BumpFromBrick(float maxFallSpeed) {
    return Guarded("nain:Nain.BumpFromBrick() ", 0, [&] {
        if (status == "falling") return 0;
        if (nainSprite) {
            FallKick(maxFallSpeed);
            if (slatedForDeath == 0) nainSprite->JumpToAnimation("falling");
        }
        LeaveBrick();
        return 0;
    });
}

int Nain::MakeNainFall(float maxFallSpeed) {
    return Guarded("nain:Nain.MakeNainFall() ", 0, [&] {
        if (nainSprite) {
            FallKick(maxFallSpeed);
            if (slatedForDeath == 0 && status != "falling") nainSprite->JumpToAnimation("falling");
        }
        LeaveBrick();
        return 0;
    });
}

int Nain::FallKick(float maxFallSpeed) {
    Sprite& sprite = Deref(nainSprite);
    sprite.dx = RndF(-0.15, 0.15);
    sprite.dy = RndF(-1.0, 0.0);
    sprite.vel = RndF(maxFallSpeed, 0.0);
    sprite.ddy = 1.0f;
    sprite.ddx = 0.0f;
    sprite.accel = g_gravitationalConstant;
    sprite.drot = RndF(-7.0, 7.0);
    return 0;
}

int Nain::LeaveBrick() {
    status = "falling";
    if (parentBrick) {
        // Only this nain's own seat is cleared; a clone shares its source's brick.
        if (parentBrick->currentNain.get() == this) parentBrick->currentNain = nullptr;
        parentBrick = nullptr;
    }
    if (currentProjectile) {
        currentProjectile->MakeProjectileFall(5.0f);
        currentProjectile->parentNain.reset();
        currentProjectile = nullptr;
    }
    return 0;
}

std::vector<NainPtr> AppendNewNain(const std::vector<NainPtr>& nains) {
    return AppendNew("nain:AppendNewNain() ", nains);
}
