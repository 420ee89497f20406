// Sprites: the state and motion of every body in play, one tick at a time, with its
// animation jumps, target pointing, shake and freeze spreading through the tree.
#include "sprites/sprites.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/globals.h"
#include "core/numeric.h"
#include "platform/runtime.h"
#include "sprites/animation.h"
#include "sprites/sprites_internal.h"

namespace {

// Gives up once it runs out of ancestors; the linker refuses cycles, so this ends.
void RaiseAssignFlagUpwards(Sprite& sprite) {
    sprite.assignTargetSprite = 1;
    for (SpritePtr p = sprite.parentSprite.lock(); p; p = p->parentSprite.lock()) {
        p->assignTargetSprite = 1;
        if (p.get() == &sprite) break;
    }
}

int64_t Magnitude(int vote) { return std::llabs(static_cast<long long>(vote)); }

}  // namespace

// ---------------------------------------------------------------------------
// Shared helpers of the sprite files.
namespace spritemath {

float WrapDegrees(float angle) {
    if (!std::isfinite(angle)) return 0.0f;
    float w = std::fmod(angle, 360.0f);
    if (w < 0.0f) w += 360.0f;
    // A tiny negative remainder plus a whole turn can round up to a whole turn.
    if (w >= 360.0f) w = 0.0f;
    return w;
}

int DegreeIndex(float degrees) {
    double f = std::floor(static_cast<double>(degrees));
    if (!std::isfinite(f)) return 0;
    double m = std::fmod(f, 360.0);
    if (m < 0.0) m += 360.0;
    int i = static_cast<int>(m);
    return i >= 360 ? 0 : i;
}

void AddVote(int& vote, double delta) {
    double sum = static_cast<double>(vote) + static_cast<double>(TruncToInt(delta));
    vote = TruncToInt(sum);
}

}  // namespace spritemath

using namespace spritemath;

// ---------------------------------------------------------------------------

Sprite::Sprite() {
    Guarded("sprites:Sprite.New() ", 0, [&] {
        ++g_debugSpritesInMemory;
        return 0;
    });
}

Sprite::~Sprite() {
    Guarded("sprites:Sprite.Delete() ", 0, [&] {
        --g_debugSpritesInMemory;
        Unlink();
        return 0;
    });
}

AnimationPtr Sprite::CurrentAnimationOrNull() {
    if (currentAnimation < 0 || static_cast<size_t>(currentAnimation) >= animationArray.size()) return nullptr;
    return animationArray[static_cast<size_t>(currentAnimation)];
}

int Sprite::Unlink() {
    return Guarded("sprites:Sprite.Unlink() ", 0, [&] {
        parentSprite.reset();
        targetSprite.reset();
        // Take the list first: releasing a child may run its destructor, which unlinks again.
        std::vector<SpritePtr> children;
        children.swap(childSprites);
        for (SpritePtr& child : children) {
            if (child) child->Unlink();
            child = nullptr;
        }
        std::vector<AnimationPtr> animations;
        animations.swap(animationArray);
        for (AnimationPtr& animation : animations) {
            if (animation) animation->Unlink();
        }
        return 0;
    });
}

int Sprite::JumpToAnimation(const std::string& animationName) {
    return Guarded("sprites:Sprite.JumpToAnimation() ", 0, [&] {
        for (size_t i = 0; i < childSprites.size(); ++i) {
            SpritePtr child = childSprites[i];
            Deref(child).JumpToAnimation(animationName);
        }
        for (size_t i = 0; i < animationArray.size(); ++i) {
            Animation& animation = Deref(animationArray[i]);
            if (animation.name == animationName) {
                currentAnimation = static_cast<int>(i);
                animation.currentFrame = 0;
                animation.StartNewFrame("", weak_from_this().lock());
                return 1;
            }
        }
        return 0;
    });
}

std::string Sprite::GetCurrentAnimationName() {
    return Guarded("sprites:Sprite.GetCurrentAnimationName() ", std::string(), [&] {
        // A sprite without animations (a skipped element, a missing template) has no name to give.
        AnimationPtr animation = CurrentAnimationOrNull();
        return animation ? animation->name : std::string();
    });
}

int Sprite::DetachSprite() {
    return Guarded("sprites:Sprite.DetatchSprite() ", 0, [&] {
        SpritePtr parent = parentSprite.lock();
        if (!parent) return 0;
        // Leaving the parent's list may drop the last reference to this sprite.
        SpritePtr self = weak_from_this().lock();
        x = absX;
        y = absY;
        rot = absRot;
        xScale = absXScale;
        yScale = absYScale;
        std::vector<SpritePtr>& list = parent->childSprites;
        auto it = std::find_if(list.begin(), list.end(), [&](const SpritePtr& c) { return c.get() == this; });
        if (it != list.end()) list.erase(it);
        parentSprite.reset();
        return 0;
    });
}

// ---------------------------------------------------------------------------
// The phases of Sprite::Update, in the order it runs them. Beside it rather than members: the
// update runs for every body in play every tick, and the compiler keeps these in line.
namespace {

bool FollowsParent(const Animation* animation) { return animation && animation->modeKind == AnimationMode::Parent; }

void ShakeAndAim(Sprite& sprite, const Animation* animation, float speed) {
    sprite.shake = sprite.shake + sprite.dShake * speed;
    if (FollowsParent(animation)) {
        if (const SpritePtr parent = sprite.parentSprite.lock()) sprite.targetSprite = parent->targetSprite;
    }
    if (sprite.shake < 0.0f) {
        sprite.shake = 0.0f;
    } else if (sprite.shake > sprite.maxShake) {
        sprite.shake = sprite.maxShake;
    }
    if (sprite.rotSnapback != 0) sprite.rot = 0.0f;
    if (!sprite.targetSprite.expired()) sprite.PointAtTargetSprite();
}

void Rebound(Sprite& sprite) {
    // Most sprites have no votes on most ticks, and then none of this changes anything.
    if (sprite.xRebound == 0 && sprite.yRebound == 0) return;
    // A vote for the direction the sprite already has costs no elasticity.
    if ((sprite.xRebound < 0 && sprite.dx > 0.0f) || (sprite.xRebound > 0 && sprite.dx < 0.0f)) sprite.xRebound = 0;
    if ((sprite.yRebound < 0 && sprite.dy > 0.0f) || (sprite.yRebound > 0 && sprite.dy < 0.0f)) sprite.yRebound = 0;
    if (Magnitude(sprite.xRebound) > Magnitude(sprite.yRebound)) {
        sprite.yRebound = 0;
    } else if (Magnitude(sprite.xRebound) < Magnitude(sprite.yRebound)) {
        sprite.xRebound = 0;
    }
    if (sprite.xRebound < 0) {
        sprite.dx = std::fabs(sprite.dx);
        sprite.vel = sprite.vel * sprite.elasticity;
    } else if (sprite.xRebound > 0) {
        sprite.dx = -std::fabs(sprite.dx);
        sprite.vel = sprite.vel * sprite.elasticity;
    }
    if (sprite.yRebound < 0) {
        sprite.dy = std::fabs(sprite.dy);
        sprite.vel = sprite.vel * sprite.elasticity;
    } else if (sprite.yRebound > 0) {
        sprite.dy = -std::fabs(sprite.dy);
        sprite.vel = sprite.vel * sprite.elasticity;
    }
}

void Move(Sprite& sprite, float speed) {
    if (sprite.vel > sprite.maxVel) sprite.vel = sprite.maxVel;
    sprite.x = sprite.x + sprite.dx * sprite.vel * speed;
    sprite.y = sprite.y + sprite.dy * sprite.vel * speed;
    // Taken after the particles: a full pool may have let go of the parent to make room.
    if (sprite.parentSprite.expired()) {
        sprite.absX = sprite.x;
        sprite.absY = sprite.y;
    }

    if (sprite.accel != 0.0f) {
        sprite.dx = sprite.dx * sprite.vel + sprite.ddx * sprite.accel * speed;
        sprite.dy = sprite.dy * sprite.vel + sprite.ddy * sprite.accel * speed;
        if (sprite.dx != 0.0f || sprite.dy != 0.0f) {
            // In double: the squares of small components would vanish in single precision.
            double length =
                std::sqrt(static_cast<double>(sprite.dx) * sprite.dx + static_cast<double>(sprite.dy) * sprite.dy);
            sprite.vel = static_cast<float>(length);
            sprite.dx = static_cast<float>(sprite.dx / length);
            sprite.dy = static_cast<float>(sprite.dy / length);
        } else {
            sprite.vel = 0.0f;
        }
    }

    sprite.drot = sprite.drot + sprite.ddrot;
    if (sprite.drot > sprite.maxdRot) sprite.drot = sprite.maxdRot;
    if (sprite.drot < -sprite.maxdRot) sprite.drot = -sprite.maxdRot;
    sprite.rot = sprite.rot + sprite.drot * speed;

    sprite.xRebound = 0;
    sprite.yRebound = 0;
}

void Thaw(Sprite& sprite, float speed) {
    if (sprite.isFrozen > 0.0f && sprite.isFrozen < 1.0f) {
        sprite.isFrozen = sprite.isFrozen + 0.1f * speed;
        if (sprite.isFrozen > 1.0f) sprite.isFrozen = 1.0f;
    }
}

// What Animation::Update does for a step that simply runs on this tick: an animation of no
// particular mode, not frozen, counting a tick that does not end the pass, on a step with no
// start action. The call would come to the same; the sprites of a level are mostly like this.
bool RunsOn(Animation& animation, const AnimationStep& step, float frozen) {
    if (animation.modeKind != AnimationMode::Normal || frozen != 0.0f || !step.onStart.empty()) return false;
    const float next = animation.currentStep + g_gameSpeedFactor;
    if (!(next < static_cast<float>(animation.terminatingStep))) return false;
    animation.currentStep = next;
    return true;
}

void RunAnimation(Sprite& sprite, Animation& animation, const AnimationStep* step) {
    // The step's own name is read in place; CheckTargetSprite copies it, and reports a step
    // that is not there.
    if (step) {
        if (step->targetSpriteName != sprite.targetSpriteName) {
            sprite.targetSpriteName = step->targetSpriteName;
            sprite.targetSprite.reset();
            RaiseAssignFlagUpwards(sprite);
        }
    } else {
        std::string target = animation.CheckTargetSprite();
        if (target != sprite.targetSpriteName) {
            sprite.targetSpriteName = target;
            sprite.targetSprite.reset();
            RaiseAssignFlagUpwards(sprite);
        }
    }

    if (FollowsParent(&animation)) return;
    if (step && RunsOn(animation, *step, sprite.isFrozen)) return;
    int result = animation.Update(sprite.isFrozen, sprite);
    if (result == -1) {
        sprite.isLive = 0;
    } else if (result == -2) {
        // Over a copy: a child that cannot leave must not hold the loop for ever.
        std::vector<SpritePtr> children = sprite.childSprites;
        for (const SpritePtr& child : children) {
            if (child) child->DetachSprite();
        }
    } else if (result == 0) {
        std::string next = animation.GetNextAnimation();
        if (!next.empty()) sprite.JumpToAnimation(next);
    }
}

void UpdateChildren(Sprite& sprite) {
    for (size_t i = 0; i < sprite.childSprites.size(); ++i) {
        // Held: a child that emits into a full pool may make its own particle tree let go of it.
        SpritePtr child = sprite.childSprites[i];
        Deref(child).Update();
    }
}

}  // namespace

int Sprite::Update() {
    return Guarded("sprites:Sprite.Update() ", 0, [&] {
        if (isLive == 0) return 0;
        const float speed = g_gameSpeedFactor;
        // Without an animation the sprite still moves; only the animation work is skipped.
        Animation* animation = nullptr;
        const AnimationStep* step = nullptr;
        AnimationPtr held;
        if (currentAnimation >= 0 && static_cast<size_t>(currentAnimation) < animationArray.size()) {
            animation = animationArray[static_cast<size_t>(currentAnimation)].get();
            step = animation ? animation->CurrentStepOrNull() : nullptr;
            // Held while it emits: a full pool may unlink this very sprite to make room.
            if (step && step->particleSourceLink) held = animationArray[static_cast<size_t>(currentAnimation)];
        }

        // The animation's particles leave from where the sprite was drawn; a step without an
        // emitter has none to make.
        if (animation && !(step && !step->particleSourceLink)) {
            animation->GenerateParticles(absX, absY, TruncToInt(widthBound), TruncToInt(heightBound), xScale, yScale);
        }
        ShakeAndAim(*this, animation, speed);  // shake builds or settles; the sprite turns to its target
        Rebound(*this);                        // the side votes become a bounce
        Move(*this, speed);                    // speed, place, acceleration and spin; the votes are spent
        Thaw(*this, speed);                    // a thawing sprite warms towards unfrozen
        if (animation) RunAnimation(*this, *animation, step);  // its target name, then its frames
        UpdateChildren(*this);                                 // the whole tree moves with it
        return 0;
    });
}

int Sprite::PointAtTargetSprite() {
    return Guarded("sprites:Sprite.PointAtTargetSprite() ", 0, [&] {
        SpritePtr target = targetSprite.lock();
        if (!target) return 0;
        float tx = target->absX + target->widthBound / 2.0f;
        float ty = target->absY + target->heightBound / 2.0f;
        double angle = std::atan2(static_cast<double>(ty - absY), static_cast<double>(tx - absX)) * 180.0 / M_PI;
        // Half the angle plus 45: the drawing doubles the rotation.
        rot = static_cast<float>(angle / 2.0 + 45.0);
        return 0;
    });
}

int Sprite::SetShake(float value) {
    return Guarded("sprites:Sprite.SetShake() ", 0, [&] {
        shake = value;
        for (size_t i = 0; i < childSprites.size(); ++i) Deref(childSprites[i]).SetShake(value);
        return 0;
    });
}

int Sprite::SetDShake(float value) {
    return Guarded("sprites:Sprite.SetDShake() ", 0, [&] {
        dShake = value;
        for (size_t i = 0; i < childSprites.size(); ++i) Deref(childSprites[i]).SetDShake(value);
        return 0;
    });
}

int Sprite::SetFreeze(int level) {
    return Guarded("sprites:Sprite.SetFreeze() ", 0, [&] {
        isFrozen = static_cast<float>(level);
        for (size_t i = 0; i < childSprites.size(); ++i) Deref(childSprites[i]).SetFreeze(level);
        return 0;
    });
}

float Sprite::GetRot(float offset) {
    return Guarded("sprites:Sprite.GetRot() ", 0.0f, [&] {
        // Whole turns one at a time would never bring a huge or infinite angle into range:
        // a non-finite angle counts as 0, and large ones lose their whole turns by remainder
        // first (exact, so the angle is unchanged).
        if (!std::isfinite(rot)) rot = 0.0f;
        if (!std::isfinite(offset)) offset = 0.0f;
        if (std::fabs(rot) >= 1440.0f) rot = std::fmod(rot, 360.0f);
        if (std::fabs(offset) >= 1440.0f) {
            double turns = static_cast<double>(offset) - std::fmod(static_cast<double>(offset), 360.0);
            rot = static_cast<float>(static_cast<double>(rot) - turns);
        }
        for (int i = 0; i < 8 && rot + offset < 0.0f; ++i) rot += 360.0f;
        for (int i = 0; i < 8 && rot + offset >= 360.0f; ++i) rot -= 360.0f;
        float result = rot + offset;
        // Only a huge offset, whose sum single precision cannot place, gets here.
        if (!(result >= 0.0f && result < 360.0f)) result = WrapDegrees(result);
        return result;
    });
}

// The plain accessors cannot fail, so they need no handler.
int Sprite::SetName(const std::string& newName) {
    name = newName;
    return 0;
}
int Sprite::SetPos(float newX, float newY) {
    x = newX;
    y = newY;
    return 0;
}
int Sprite::SetVel(float newDx, float newDy) {
    dx = newDx;
    dy = newDy;
    return 0;
}
int Sprite::SetAccel(float newDdx, float newDdy) {
    ddx = newDdx;
    ddy = newDdy;
    return 0;
}
int Sprite::SetMaxVel(float value) {
    maxVel = value;
    return 0;
}
int Sprite::SetMaxAccel(float value) {
    maxAccel = value;
    return 0;
}
int Sprite::SetRot(float value) {
    rot = value;
    return 0;
}
int Sprite::SetDRot(float value) {
    drot = value;
    return 0;
}
int Sprite::SetDDRot(float value) {
    ddrot = value;
    return 0;
}
std::string Sprite::GetName() { return name; }
float Sprite::GetXPos() { return x; }
float Sprite::GetYPos() { return y; }
float Sprite::GetXVel() { return dx; }
float Sprite::GetYVel() { return dy; }
float Sprite::GetXAccel() { return ddx; }
float Sprite::GetYAccel() { return ddy; }
float Sprite::GetMaxVel() { return maxVel; }
float Sprite::GetMaxAccel() { return maxAccel; }
float Sprite::GetDRot() { return drot; }
float Sprite::GetDDRot() { return ddrot; }
int Sprite::SetDirectionalVel(float, float) { return 0; }
int Sprite::SetDirectionalAccel(float, float) { return 0; }
int Sprite::TestCollision(const SpritePtr&) { return 0; }
