// Bricks in play: hits of every kind, freezing and fire spreading along neighbouring bricks,
// fuses, death with points and a powerup, key bricks and turning into the next form.
#include <climits>
#include <cmath>

#include "core/globals.h"
#include "core/numeric.h"
#include "core/playtrace.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// Chains are measured from one origin, so delays grow with the distance from it; -1, -1 is
// the brick's own centre.
float DistanceFromOrigin(Sprite& sprite, float& originX, float& originY, float divisor) {
    const float cx = sprite.GetCenterX();
    const float cy = sprite.GetCenterY();
    if (originX == -1.0f && originY == -1.0f) {
        originX = cx;
        originY = cy;
    }
    const float ox = (cx - originX) / divisor;
    const float oy = (cy - originY) / divisor;
    return std::sqrt(ox * ox + oy * oy);
}

// The brick's kill animation, the frozen one for a frozen brick where it has one; without
// either the sprite goes at once.
void PlayDeath(Brick& brick) {
    Sprite& sprite = Deref(brick.brickSprite);
    int found = 0;
    if (sprite.isFrozen == 0.0f) {
        found = sprite.JumpToAnimation("kill");
    } else {
        found = sprite.JumpToAnimation("frozen_kill");
        if (found == 0) found = sprite.JumpToAnimation("kill");
    }
    if (found == 0) sprite.isLive = 0;
}

// A key releases its bricks only once the last live brick of its name has gone.
bool AnotherOfItsKindStands(const Brick& key, const std::vector<BrickPtr>& bricks) {
    for (const BrickPtr& other : bricks) {
        if (other && other->name == key.name && other->isLive == 1) return true;
    }
    return false;
}

void ReleaseKeyedBricks(const Brick& key, const GameStatPtr& stat, const std::vector<BrickPtr>& bricks) {
    const size_t count = bricks.size();
    for (size_t i = 0; i < count && i < bricks.size(); ++i) {
        BrickPtr keyed = bricks[i];
        if (!keyed || keyed->name != key.keyBrickName) continue;
        // Results are dropped on purpose: bricks that go with their key do not lower the
        // must-clear count; content is made around that.
        for (int n = 0; n < 10 && keyed->isLive != 0; ++n) keyed->Die(stat, bricks);
    }
}

// The brick becomes a copy of its next form where it stands, with its place, scale, shake and
// neighbours kept; a nain on it falls.
void TurnIntoNextForm(Brick& brick) {
    Sprite& old = Deref(brick.brickSprite);
    const float keptX = old.x, keptY = old.y, keptXScale = old.xScale, keptYScale = old.yScale;
    const float keptShake = old.shake, keptDShake = old.dShake, keptMaxShake = old.maxShake;
    std::vector<BrickPtr> keptNeighbours = brick.adjacentBricks;
    BrickPtr next = brick.nextBrick;
    brick.Clone(next);
    // The brick and its new next forms share the old forms' powerup tables; released with
    // them, the old forms would empty those tables, and no later form could drop a powerup.
    WalkForms(*next, [](Brick& form) { form.powerupGenerated = nullptr; });

    Sprite& sprite = Deref(brick.brickSprite);
    sprite.x = keptX;
    sprite.absX = keptX;
    sprite.y = keptY;
    sprite.absY = keptY;
    sprite.xScale = keptXScale;
    sprite.absXScale = keptXScale;
    sprite.yScale = keptYScale;
    sprite.absYScale = keptYScale;
    sprite.shake = keptShake;
    sprite.dShake = keptDShake;
    sprite.maxShake = keptMaxShake;
    brick.ttl = -1.0f;
    brick.ttFreeze = -1.0f;
    brick.ttExplode = -1.0f;
    brick.isLive = 1;
    sprite.JumpToAnimation("Struck");
    brick.adjacentBricks = keptNeighbours;
    if (brick.currentNain) {
        NainPtr nain = brick.currentNain;
        nain->MakeNainFall(5.0f);
    }
}

}  // namespace

int Brick::Update(const GameStatPtr& stat, const std::vector<BrickPtr>& bricks) {
    return Guarded("brick:Brick.Update(): ", 0, [&] {
        // A dead brick's sprite still runs, so its "kill" animation plays out.
        if (Deref(brickSprite).isLive != 0) brickSprite->Update();
        if (isLive == 0) return 0;
        const float speed = g_gameSpeedFactor;

        if (ttFreeze != -1.0f) {
            ttFreeze = ttFreeze - speed;
            if (!(ttFreeze > 0.0f)) {
                ttFreeze = 0.0f;
                FreezeBrick(0, -1.0f, -1.0f);
            }
        }
        if (ttExplode != -1.0f) {
            ttExplode = ttExplode - speed;
            if (!(ttExplode > 0.0f)) {
                ttExplode = 0.0f;
                ExplodeBrick(0, -1.0f, -1.0f);
            }
        }
        if (ttRecover != -1.0f) {
            ttRecover = ttRecover - speed;
            if (!(ttRecover > 0.0f)) ttRecover = -1.0f;
        }
        if (ttl != -1.0f) {
            Sprite& sprite = Deref(brickSprite);
            // The brick shakes harder as its fuse burns down.
            if (ttl < sprite.maxShake * 10.0f) {
                sprite.shake = sprite.maxShake - ttl / 10.0f;
                sprite.dShake = 0.0f;
            }
            ttl = ttl - speed;
            if (!(ttl > 0.0f)) return Die(stat, bricks);
        }
        if (currentNain) {
            NainPtr nain = currentNain;
            Deref(nain->nainSprite).SetShake(brickSprite->shake);
        }
        return 0;
    });
}

int Brick::Draw() {
    return Guarded("brick:Brick.Draw(): ", 0, [&] {
        if (Deref(brickSprite).isLive != 0) brickSprite->Draw();
        return 0;
    });
}

int Brick::Die(const GameStatPtr& stat, const std::vector<BrickPtr>& bricks) {
    return Guarded("brick:Brick.Die(): ", 0, [&] {
        TraceBrickBroken(name);
        Deref(stat).AddToScore(static_cast<int64_t>(pointValue));

        // Without a linked next form there is nothing to turn into: the brick goes for good
        // rather than staying live at no strength.
        if (nextBrickName.empty() || !nextBrick) {
            ThrowError(1, "Dead!");
            PlayDeath(*this);
            isLive = 0;
            if (!keyBrickName.empty() && !AnotherOfItsKindStands(*this, bricks))
                ReleaseKeyedBricks(*this, stat, bricks);
            powerupToGenerate = powerupGenerated ? powerupGenerated->Pick() : std::string();
            powerupCount = 1;
            return mustClear == 1 ? 1 : 0;
        }

        TurnIntoNextForm(*this);
        return 0;
    });
}

int Brick::FreezeBrick(int depth, float originX, float originY) {
    return Guarded("brick:Brick.FreezeBrick(): ", 0, [&] {
        Sprite& sprite = Deref(brickSprite);
        const float d = DistanceFromOrigin(sprite, originX, originY, 1.5f);
        if (isLive != 1 || sprite.isLive != 1) return 0;
        const float speed = g_gameSpeedFactor;

        if (sprite.isFrozen != 0.0f) {
            // Frozen already: it shatters and passes the cold on. A brick already shattering
            // or burning passes nothing, which ends the chain.
            if (ttl != -1.0f) return 0;
            ttl = static_cast<float>(d * speed + Rnd(0.0, 5.0));
            nextBrickName.clear();
            sprite.shake = sprite.maxShake;
            sprite.dShake = 0.0f;
            const size_t count = adjacentBricks.size();
            for (size_t i = 0; i < count && i < adjacentBricks.size(); ++i) {
                BrickPtr neighbour = adjacentBricks[i];
                if (neighbour) neighbour->FreezeBrick(depth + 1, originX, originY);
            }
            return 0;
        }

        if (isFreezeable == 0) return 0;
        if (ttFreeze == 0.0f) {
            ttFreeze = -1.0f;
            sprite.SetFreeze(1);
            sprite.JumpToAnimation("sound_freeze");
            nextBrickName.clear();
        } else {
            ttFreeze = static_cast<float>(d * speed + Rnd(0.0, 5.0));
        }
        return 0;
    });
}

int Brick::ExplodeBrick(int depth, float originX, float originY) {
    return Guarded("brick:Brick.ExplodeBrick(): ", 0, [&] {
        Sprite& sprite = Deref(brickSprite);
        const float d = DistanceFromOrigin(sprite, originX, originY, 2.0f);
        if (isLive != 1 || sprite.isLive != 1) return 0;
        const float speed = g_gameSpeedFactor;

        if (isBurnable != 0) {
            if (isExplosive != 0) {
                // Marked first so that the chain does not come back here.
                ttl = 0.0f;
                const size_t count = adjacentBricks.size();
                for (size_t i = 0; i < count && i < adjacentBricks.size(); ++i) {
                    BrickPtr neighbour = adjacentBricks[i];
                    if (neighbour && neighbour->ttl == -1.0f) neighbour->ExplodeBrick(depth + 1, originX, originY);
                }
            }
            ttl = static_cast<float>(speed * d + Rnd(0.0, 15.0 * speed));
            nextBrickName.clear();
        } else if (ttExplode == 0.0f) {
            // The delay of a brick that cannot burn has run out; nothing more happens to it.
            ttExplode = -1.0f;
        } else {
            ttExplode = static_cast<float>(speed * d + Rnd(0.0, 15.0 * speed));
        }
        return 0;
    });
}

int Brick::Damage(BrickHit hit, const GameStatPtr& stat, const std::vector<BrickPtr>& bricks) {
    return Guarded("brick:Brick.Damage(): ", 0, [&] {
        if (isLive == 0) return 0;
        Sprite& sprite = Deref(brickSprite);
        sprite.shake = sprite.maxShake;
        sprite.dShake = -0.1f;
        if (currentNain) {
            NainPtr nain = currentNain;
            nain->MakeNainFall(5.0f);
        }

        // Huge damage factors must not wrap the strength round to a large positive value.
        int64_t left = strength;
        left = SaturateToInt(left - static_cast<int64_t>(physicalDamage) * hit.physical);
        left = SaturateToInt(left - static_cast<int64_t>(fireDamage) * hit.fire);
        left = SaturateToInt(left - static_cast<int64_t>(iceDamage) * hit.ice);
        left = SaturateToInt(left - static_cast<int64_t>(electricDamage) * hit.electric);
        strength = static_cast<int>(left);
        if (hit.plow == 1) strength = 0;

        ThrowError(1,
                   "Shold we freeze? ice = " + IntToText(hit.ice) + " and isFreezeable = " + IntToText(isFreezeable));
        if (hit.ice != 0 && isFreezeable != 0) {
            ThrowError(1, "Yes, freeze this brick!");
            FreezeBrick(1, -1.0f, -1.0f);
            // Ice never breaks a brick that can freeze; it shatters later instead.
            strength = 1;
        }
        if (hit.fire != 0 && isBurnable != 0) isExplosive = 1;
        if (isExplosive != 0) ExplodeBrick(1, -1.0f, -1.0f);

        if (strength <= 0) {
            if (Die(stat, bricks) == 1) {
                isLive = 0;
                return 1;
            }
        }
        // The next form may have replaced the sprite.
        if (isLive == 1) Deref(brickSprite).JumpToAnimation("sound_struck");
        return 0;
    });
}
