// Sprites: the tree of child sprites, drawing a sprite with its children, and the contact
// tests that feed the rebound votes.
#include <cmath>
#include <cstdint>

#include "core/globals.h"
#include "core/numeric.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/animation.h"
#include "sprites/sprites.h"
#include "sprites/sprites_internal.h"
#include "text/parser.h"

using namespace spritemath;

namespace {

bool HasParentMode(const AnimationPtr& animation) { return animation && animation->modeKind == AnimationMode::Parent; }

// Clips a cropping sprite's viewport to the one in force and returns what it replaced.
struct SavedViewport {
    int x = 0, y = 0, w = 0, h = 0;
};

SavedViewport ApplyCrop(int left, int top, int width, int height) {
    SavedViewport saved;
    GetViewport(saved.x, saved.y, saved.w, saved.h);
    // The platform's 0 x 0 viewport stands for the whole screen; clip against the screen then.
    int64_t vx = saved.x, vy = saved.y, vw = saved.w, vh = saved.h;
    bool clip = true;
    if (saved.w == 0 && saved.h == 0) {
        vx = 0;
        vy = 0;
        vw = GraphicsWidth();
        vh = GraphicsHeight();
        clip = vw > 0 && vh > 0;
    }
    SetViewport(left, top, width, height);
    int nxi, nyi, nwi, nhi;
    GetViewport(nxi, nyi, nwi, nhi);
    int64_t nx = nxi, ny = nyi, nw = nwi, nh = nhi;
    if (clip) {
        if (vx > nx) {
            nw = nw - (vx - nx);
            nx = vx;
        }
        if (vy > ny) {
            nh = nh - (vy - ny);
            ny = vy;
        }
        if (vx + vw + 1 < nx + nw) nw = nw + (vx + vw) - (nx + nw) - 1;
        if (vy + vh + 1 < ny + nh) nh = nh + (vy + vh) - (ny + nh) - 1;
    }
    SetViewport(SaturateToInt(nx), SaturateToInt(ny), SaturateToInt(nw), SaturateToInt(nh));
    return saved;
}

// Clips to the animation's crop, when it has one, around the sprite's own x, y (relative for a
// child); shake widens the area left and up only. True when it clipped.
bool CropToAnimation(Sprite& sprite, Animation& animation, SavedViewport& saved) {
    int top = 0, bottom = 0, left = 0, right = 0;
    if (animation.GetCrop(top, bottom, left, right) != 1) return false;
    const float shake = sprite.shake;
    saved = ApplyCrop(CeilToInt((sprite.x - left - shake) * g_widthFactor),
                      CeilToInt((sprite.y - top - shake) * g_heightFactor),
                      CeilToInt((sprite.GetWidth() + left + right + shake) * g_widthFactor),
                      CeilToInt((sprite.GetHeight() + top + bottom + shake) * g_heightFactor));
    return true;
}

// The animation drawn at a random offset within the shake, and once more at half alpha
// elsewhere within it while the sprite shakes.
void DrawShaking(Sprite& sprite, Animation& animation, float drawX, float drawY, float turn, float xScale, float yScale,
                 const DrawOffsets& offsets) {
    const auto drawWith = [&](float alpha) {
        const float oy = static_cast<float>(Rnd(-sprite.shake, sprite.shake));
        const float ox = static_cast<float>(Rnd(-sprite.shake, sprite.shake));
        animation.Draw(drawX + ox, drawY + oy, turn, xScale, yScale, sprite.isFrozen, alpha,
                       TruncToInt(sprite.widthBound), TruncToInt(sprite.heightBound), offsets.extra1, offsets.extra2,
                       sprite.absX, sprite.absY, sprite.absRot, sprite.absXScale, sprite.absYScale);
    };
    drawWith(1.0f);
    if (sprite.shake > 0.0f) drawWith(0.5f);
}

}  // namespace

SpritePtr Sprite::CheckChildrenInTraversal(const std::string& spriteName) {
    return Guarded<SpritePtr>("sprites:Sprite.CheckChildrenInTraversal() ", nullptr, [&]() -> SpritePtr {
        if (spriteName == name) return weak_from_this().lock();
        SpritePtr found;
        for (size_t i = 0; i < childSprites.size() && !found; ++i) {
            found = Deref(childSprites[i]).CheckChildrenInTraversal(spriteName);
        }
        return found;
    });
}

SpritePtr Sprite::TraverseForNamedSprite(const std::string& spriteName) {
    return Guarded<SpritePtr>("sprites:Sprite.TraverseForNamedSprite() ", nullptr, [&]() -> SpritePtr {
        SpritePtr found = CheckChildrenInTraversal(spriteName);
        return found ? found : weak_from_this().lock();
    });
}

int Sprite::SetPositionFromParent(ChainMotion& sum) {
    return Guarded("sprites:Sprite.SetPositionFromParent() ", 0, [&] {
        SpritePtr parent = parentSprite.lock();
        if (parent) parent->SetPositionFromParent(sum);
        sum.x += x * xScale;
        sum.y += y * yScale;
        sum.dx += dx;
        sum.dy += dy;
        sum.vel += vel;
        sum.ddx += ddx;
        sum.ddy += ddy;
        sum.accel += accel;
        sum.rot += rot;
        sum.drot += drot;
        return 0;
    });
}

int Sprite::Debug(int boxFlag, int labelFlag) {
    return Guarded("sprites:Sprite.Debug() ", 0, [&] {
        float width = GetWidth();
        float height = GetHeight();
        if (boxFlag == 1) {
            SetOrigin(0, 0);
            SetHandle(0, 0);
            SetColor(255, 255, 255);
            SetBlend(ALPHABLEND);
            SetAlpha(0.5f);
            SetTransform(0, 1, 1);
            DrawRect((x - 1.0f) * g_widthFactor, (y - 1.0f) * g_heightFactor, (width + 1.0f) * g_widthFactor,
                     (height + 1.0f) * g_heightFactor);
            SetAlpha(1.0f);
            SetColor(0, 0, 0);
            DrawRect(x * g_widthFactor, y * g_heightFactor, (width - 1.0f) * g_widthFactor,
                     (height - 1.0f) * g_heightFactor);
            SetColor(255, 255, 255);
        }
        if (labelFlag == 1) {
            SetOrigin(0, 0);
            SetHandle(0, 0);
            SetColor(255, 0, 0);
            SetBlend(ALPHABLEND);
            SetAlpha(0.5f);
            SetRotation(0);
            DrawText(
                "(" + FloatToText(x) + "," + FloatToText(y) + ") " + FloatToText(width) + " x " + FloatToText(height),
                x, y - 14.0f);
        }
        return 0;
    });
}

int Sprite::GetSpriteHandle(float& hx, float& hy) {
    return Guarded("sprites:Sprite.GetSpriteHandle() ", 0, [&] {
        AnimationPtr animation = CurrentAnimationOrNull();
        if (animation) animation->GetAnimationHandle(hx, hy);
        hx = hx * xScale;
        hy = hy * yScale;
        return 0;
    });
}

// No handler: a failure here reaches the drawing piece's own.
int Sprite::Draw(DrawOffsets offsets) {
    if (isLive == 0) return 0;
    float hx = 0.0f, hy = 0.0f;
    GetSpriteHandle(hx, hy);
    float x0 = x, y0 = y, r0 = rot, sx = xScale, sy = yScale;

    // A sprite in a "parent" animation shows its parent's current step; without a parent,
    // or without animations at all, it shows its own (or nothing).
    SpritePtr parent = parentSprite.lock();
    AnimationPtr animation = CurrentAnimationOrNull();
    if (HasParentMode(animation) && parent) animation = parent->CurrentAnimationOrNull();
    if (animation) animation->SetAnimationOffsets(x0, y0, r0, sx, sy);

    SavedViewport saved;
    const bool cropped = animation && CropToAnimation(*this, *animation, saved);

    float drawX, drawY;
    if (parent) {
        int degree = DegreeIndex(offsets.rot);
        float c = At(g_Cos, degree);
        float s = At(g_Sin, degree);
        drawX = offsets.x + (x0 * sx * c - y0 * sy * s) - 2.0f * hx;
        drawY = offsets.y + (x0 * sx * s + y0 * sy * c) - 2.0f * hy;
    } else {
        drawX = x0 + offsets.x;
        drawY = y0 + offsets.y;
    }
    float r = offsets.rot + r0;

    // The drawn turn is the parent's plus twice the sprite's own: aiming relies on it.
    if (animation)
        DrawShaking(*this, *animation, drawX, drawY, r0 + r, sx + offsets.xScale, sy + offsets.yScale, offsets);

    float originX = parent ? drawX + 2.0f * hx : drawX + hx;
    float originY = parent ? drawY + 2.0f * hy : drawY + hy;
    const size_t count = childSprites.size();
    for (size_t i = 0; i < count && i < childSprites.size(); ++i) {
        SpritePtr child = childSprites[i];
        if (!child) continue;
        if (HasParentMode(child->CurrentAnimationOrNull())) {
            child->Draw(offsets);
        } else {
            child->Draw({.x = originX, .y = originY, .rot = GetRot(r), .xScale = sx, .yScale = sy});
        }
    }

    if (cropped) SetViewport(saved.x, saved.y, saved.w, saved.h);
    return 0;
}

int Sprite::ReboundBox(float left, float top, float right, float bottom) {
    return Guarded("sprites:Sprite.ReboundBox() ", 0, [&] {
        int touched = 0;
        float width = GetWidth();
        float height = GetHeight();
        if (x < left) {
            x = left;
            AddVote(xRebound, -1.0);
            touched = 1;
        } else if (x + width > right) {
            x = right - width;
            AddVote(xRebound, 1.0);
            touched = 1;
        }
        if (y < top) {
            y = top;
            AddVote(yRebound, -1.0);
            touched = 1;
        } else if (y + height > bottom) {
            y = bottom - height;
            AddVote(yRebound, 1.0);
            touched = 1;
        }
        return touched;
    });
}

int Sprite::BoundingBoxCollision(const SpritePtr& other, int inclusive, float margin) {
    return Guarded("sprites:Sprite.BoundingBoxCollision() ", 0, [&] {
        Sprite& o = Deref(other);
        if (o.absX == 0.0f && o.absY == 0.0f) {
            // A child that has never been drawn is nowhere yet.
            if (!o.parentSprite.expired()) return 0;
            o.absX = o.x;
            o.absY = o.y;
        }
        return BoxesMeet(o, inclusive, margin) ? 1 : 0;
    });
}

int Sprite::ImageCollision(const SpritePtr& other) {
    return Guarded("sprites:Sprite.ImageCollision() ", 0,
                   [&] { return BoundingBoxCollision(other, 1, 0.0f) == 1 ? 1 : 0; });
}

// No handler, as the design has it.
int Sprite::PointCollision(float px, float py) {
    return (x < px && px < GetRightEdge(0.0f) && y < py && py < GetBottomEdge(0.0f)) ? 1 : 0;
}

int Sprite::ReboundCollision(const SpritePtr& other, float margin) {
    return Guarded("sprites:Sprite.ReboundCollision() ", 0, [&] {
        if (BoundingBoxCollision(other, 1, margin) != 1) return 0;
        Sprite& o = Deref(other);
        float cxA = GetCenterX(), cyA = GetCenterY(), wA = GetWidth(), hA = GetHeight();
        float cxB = o.GetCenterX(), cyB = o.GetCenterY(), wB = o.GetWidth(), hB = o.GetHeight();
        // Each offset weighted by the other axis' extents, so the next update's arbitration
        // picks the axis whose offset is larger for the boxes' shape.
        float vx = (cxB - cxA) * hA * hB;
        float vy = (cyB - cyA) * wA * wB;
        double voteX = 100.0f * vx;
        double voteY = 100.0f * vy;
        AddVote(xRebound, voteX);
        AddVote(yRebound, voteY);
        AddVote(o.xRebound, -static_cast<double>(TruncToInt(voteX)));
        AddVote(o.yRebound, -static_cast<double>(TruncToInt(voteY)));
        return 1;
    });
}
