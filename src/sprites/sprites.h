// The body of every piece of play: a sprite with motion, rotation, shake, freezing, a tree
// of child sprites, drawing and collision tests; the pack's sprite templates; floating texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sprites/fwd.h"
#include "text/xmlfields.h"

// What a parent hands a child it draws: its drawn origin and turn, a scale added to the child's
// own, and two values passed on to the animation, which does not use them. The pieces draw
// with all of them at 0.
struct DrawOffsets {
    float x = 0.0f;
    float y = 0.0f;
    float rot = 0.0f;
    float xScale = 0.0f;
    float yScale = 0.0f;
    float extra1 = 0.0f;
    float extra2 = 0.0f;
};

// The parent chain's motion summed from the root down to a sprite: its place (each scaled by
// its own scale), direction, speed, acceleration, turn and spin.
struct ChainMotion {
    float x = 0.0f;
    float y = 0.0f;
    float dx = 0.0f;
    float dy = 0.0f;
    float vel = 0.0f;
    float ddx = 0.0f;
    float ddy = 0.0f;
    float accel = 0.0f;
    float rot = 0.0f;
    float drot = 0.0f;
};

// Always held by a SpritePtr (make_shared): the sprite hands itself to its animations as the
// source of the sounds they start.
class Sprite : public std::enable_shared_from_this<Sprite> {
public:
    // First and together: what every update of every sprite reads, and the box the collision
    // tests ask for, so that a sprite costs as few cache lines a step as it can.
    int isLive = 1;
    int currentAnimation = 0;
    std::vector<AnimationPtr> animationArray;
    float x = 0.0f;
    float y = 0.0f;
    float absX = 0.0f;
    float absY = 0.0f;
    float widthBound = 0.0f;
    float heightBound = 0.0f;
    float xScale = 1.0f;
    float yScale = 1.0f;
    float dx = 0.0f;
    float dy = 0.0f;
    float vel = 0.0f;
    float maxVel = 0.0f;
    float ddx = 0.0f;
    float ddy = 0.0f;
    float accel = 0.0f;
    float rot = 0.0f;
    float drot = 0.0f;
    float ddrot = 0.0f;
    float maxdRot = 1.0f;
    float elasticity = 1.0f;
    int xRebound = 0;
    int yRebound = 0;
    float maxShake = 0.0f;
    float shake = 0.0f;
    float dShake = 0.0f;
    float isFrozen = 0.0f;
    int rotSnapback = 0;
    // Back references: the parent owns its children and the owner of a target owns it,
    // so neither keeps the other alive.
    SpriteWeak parentSprite;
    SpriteWeak targetSprite;
    std::string targetSpriteName;
    std::vector<SpritePtr> childSprites;

    std::string name;
    std::string parentSpriteName;
    int assignTargetSprite = 0;
    float absDX = 0.0f;
    float absDY = 0.0f;
    float absVel = 0.0f;
    float absDDX = 0.0f;
    float absDDY = 0.0f;
    float absAccel = 0.0f;
    float maxAccel = 0.0f;
    float absRot = 0.0f;
    float absDRot = 0.0f;
    float absDDRot = 0.0f;
    float absXScale = 1.0f;
    float absYScale = 1.0f;

    Sprite();
    ~Sprite();
    Sprite(const Sprite&) = delete;
    Sprite& operator=(const Sprite&) = delete;

    int Unlink();
    int JumpToAnimation(const std::string& animationName);
    std::string GetCurrentAnimationName();
    SpritePtr TraverseForNamedSprite(const std::string& spriteName);
    SpritePtr CheckChildrenInTraversal(const std::string& spriteName);
    int DetachSprite();
    // Adds this sprite's motion to `sum` after its parent chain's.
    int SetPositionFromParent(ChainMotion& sum);
    int Debug(int boxFlag, int labelFlag);
    // Pieces draw with no offsets; a parent hands its children their origin, turn and scale.
    int Draw(DrawOffsets offsets = {});
    int GetSpriteHandle(float& hx, float& hy);
    int ReboundBox(float left, float top, float right, float bottom);
    int ReboundCollision(const SpritePtr& other, float margin);
    int ImageCollision(const SpritePtr& other);
    int PointCollision(float px, float py);
    int BoundingBoxCollision(const SpritePtr& other, int inclusive, float margin);
    // BoundingBoxCollision's test itself, for a sprite `other` that has been placed (its
    // absX and absY are not both 0): whether the boxes meet.
    bool BoxesMeet(const Sprite& other, int inclusive, float margin) const {
        return BoxesMeet(other.BoxAsOther(margin), inclusive, margin);
    }
    // The other sprite's half of that test, for a caller that tests one sprite against many:
    // worked out once, it gives the very same answers.
    struct OtherBox {
        float left, top, right, bottom;
    };
    OtherBox BoxAsOther(float margin) const {
        return {absX - margin, absY - margin, absX + GetWidth(), absY + GetHeight()};
    }
    bool BoxesMeet(const OtherBox& o, int inclusive, float margin) const {
        const float w = GetWidth(), h = GetHeight();
        if (inclusive == 1) {
            return y - margin <= o.bottom && y + h >= o.top && x - margin <= o.right && x + w >= o.left;
        }
        return y - margin < o.bottom && y + h > o.top && x - margin < o.right && x + w > o.left;
    }
    int Update();
    int PointAtTargetSprite();
    int SetShake(float value);
    int SetDShake(float value);
    // shareFixedSteps: the copy shares the template's fixed steps (Animation::Clone) instead
    // of copying them, as the particle pool's particles do.
    int Clone(const SpritePtr& source, const SpritePtr& parent, bool shareFixedSteps = false);
    int LoadFromXML(const std::string& xml);
    // Edges, centre and size: plain sums that cannot fail, kept in line for the collision
    // tests that ask them many times a step.
    float GetRightEdge(float margin) const { return x + xScale * widthBound + margin; }
    float GetBottomEdge(float margin) const { return y + yScale * heightBound + margin; }
    float GetCenterX() const { return absX + xScale * widthBound / 2.0f; }
    float GetCenterY() const { return absY + yScale * heightBound / 2.0f; }
    float GetWidth() const { return GetRightEdge(0.0f) - x; }
    float GetHeight() const { return GetBottomEdge(0.0f) - y; }
    int SetName(const std::string& newName);
    int SetPos(float newX, float newY);
    int SetVel(float newDx, float newDy);
    int SetAccel(float newDdx, float newDdy);
    int SetMaxVel(float value);
    int SetMaxAccel(float value);
    int SetRot(float value);
    int SetDRot(float value);
    int SetDDRot(float value);
    std::string GetName();
    float GetXPos();
    float GetYPos();
    float GetXVel();
    float GetYVel();
    float GetXAccel();
    float GetYAccel();
    float GetMaxVel();
    float GetMaxAccel();
    float GetRot(float offset);
    float GetDRot();
    float GetDDRot();
    int SetDirectionalVel(float a, float b);
    int SetDirectionalAccel(float a, float b);
    int TestCollision(const SpritePtr& other);
    int SetFreeze(int level);

    // The running animation, or null when the sprite has none at currentAnimation.
    AnimationPtr CurrentAnimationOrNull();
};

// Every field a "sprite" element sets after its name, with its tag (the last tag of the whole
// element counts, a step's included): LoadFromXML reads them and Clone copies them.
inline constexpr XmlFields kSpriteFields{
    XmlField{"parentSpriteName", &Sprite::parentSpriteName},
    XmlField{"targetSpriteName", &Sprite::targetSpriteName},
    XmlField{"maxVel", &Sprite::maxVel},
    XmlField{"maxAccel", &Sprite::maxAccel},
    XmlField{"vel", &Sprite::vel},
    XmlField{"accel", &Sprite::accel},
    XmlField{"elasticity", &Sprite::elasticity},
    XmlField{"x", &Sprite::x},
    XmlField{"y", &Sprite::y},
    XmlField{"dx", &Sprite::dx},
    XmlField{"dy", &Sprite::dy},
    XmlField{"ddx", &Sprite::ddx},
    XmlField{"ddy", &Sprite::ddy},
    XmlField{"rot", &Sprite::rot},
    XmlField{"dRot", &Sprite::drot},
    XmlField{"maxdRot", &Sprite::maxdRot},
    XmlField{"widthBound", &Sprite::widthBound},
    XmlField{"heightBound", &Sprite::heightBound},
    XmlField{"shake", &Sprite::shake},
    XmlField{"maxShake", &Sprite::maxShake},
    XmlField{"dShake", &Sprite::dShake},
    XmlField{"isFrozen", &Sprite::isFrozen},
    XmlField{"rotSnapback", &Sprite::rotSnapback},
};

// The first sprite of that name (exact case); a miss is reported under code -14.
SpritePtr GetSpriteByName(const std::string& spriteName, const std::vector<SpritePtr>& sprites);
// A copy of the array with a new sprite at the end.
std::vector<SpritePtr> AppendNewSprite(const std::vector<SpritePtr>& sprites);
// Resolves every name the pack's sprite templates carry, once the pack has loaded.
int LinkSprites(const std::vector<SpritePtr>& sprites, const std::vector<ImagePtr>& images,
                const std::vector<ShifterDataPtr>& curveData, const std::vector<ParticleSourcePtr>& particleSources,
                const std::vector<SoundPtr>& sounds);

// ---------------------------------------------------------------------------
// Floating texts: scores and bonuses that drift, turn, pulse and fade over the field.
class ImageText {
public:
    std::string textToDraw;
    float r = 255.0f;
    float g = 255.0f;
    float b = 255.0f;
    float x = 0.0f;
    float y = 0.0f;
    float dx = 0.0f;
    float dy = 0.0f;
    float scale = 0.0f;
    float dScale = 0.0f;
    float rot = 0.0f;
    float dRot = 0.0f;
    float cycleRate = 1.0f;
    float currentCycle = 1.0f;
    float ttl = -1.0f;

    int Unlink();
    int Create(const std::string& text, float newR, float newG, float newB, float newX, float newY, float newDx,
               float newDy, float newScale, float newDScale, float newRot, float newDRot, float newCycleRate,
               float newTtl);
    // update 1 advances the text and counts its life down; anything else only draws.
    int Draw(int update);
};

// The 24 floating texts, made at start-up and reused in place.
extern std::vector<ImageTextPtr> g_ImageTextArray;

int AddToImageTextArray(const std::string& text, float r, float g, float b, float x, float y, float dx, float dy,
                        float scale, float dScale, float rot, float dRot, float cycleRate, float ttl);

// The sprite module's start-up (makes the floating-text pool); later calls return at once.
void InitSprites();
