// Brick boxes: which bricks a ball or a nain needs to be tested against, and the shield
// row's own box of bricks.
#include "pieces/brickbox.h"

#include "core/arrays.h"
#include "core/globals.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/nain.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"

namespace {

// A sprite's rectangle as the box tests see it: position plus scaled bounds.
struct Rect {
    float left, top, right, bottom;
};

Rect RectOf(const SpritePtr& sprite) {
    Sprite& s = Deref(sprite);
    return Rect{s.x, s.y, s.GetRightEdge(0.0f), s.GetBottomEdge(0.0f)};
}

// Ball::BrickCollision's own first answers, made here before the brick is held and asked: a
// brick that cannot be struck now, or one whose placed sprite the ball's box does not meet
// (ReboundCollision's inclusive test), answers no and changes nothing. Anything else, a
// missing sprite or one never placed included, is asked as before.
bool CannotBeStruck(const Brick& brick, const Sprite* ball, float margin) {
    if (brick.isLive == 0 || brick.isSolid == 0 || brick.ttRecover != -1.0f) return true;
    const Sprite* body = brick.brickSprite.get();
    if (!ball || !body || (body->absX == 0.0f && body->absY == 0.0f)) return false;
    return !ball->BoxesMeet(*body, 1, margin);
}

}  // namespace

BrickBox::~BrickBox() {
    Guarded("level:BrickBox.Delete() ", 0, [&] { return Unlink(0); });
}

int BrickBox::Unlink(int unlinkBricks) {
    return Guarded("level:BrickBox.Unlink() ", 0, [&] {
        for (size_t i = 0; i < bricksToCheck.size(); ++i) {
            if (!bricksToCheck[i]) continue;
            if (unlinkBricks == 1) bricksToCheck[i]->Unlink();
            bricksToCheck[i] = nullptr;
        }
        return 0;
    });
}

int BrickBox::Clone(const BrickBoxPtr& source) {
    return Guarded("level:BrickBox.Clone() ", 0, [&] {
        const BrickBox& src = Deref(source);
        // Taken before the list is emptied, so a box may be cloned from itself.
        const std::vector<BrickPtr> from = src.bricksToCheck;
        minX = src.minX;
        minY = src.minY;
        maxX = src.maxX;
        maxY = src.maxY;
        bricksToCheck.clear();
        for (const BrickPtr& brick : from) {
            // An unlinked slot has nothing to copy; a blank brick in its place would only
            // log a failed clone and sit in the shield as a dead brick.
            if (!brick) continue;
            BrickPtr copy = std::make_shared<Brick>();
            bricksToCheck.push_back(copy);
            copy->Clone(brick);
        }
        return 0;
    });
}

int BrickBox::SetDimensions(float xA, float xB, float yA, float yB) {
    return Guarded("level:BrickBox.SetDimensions() ", 0, [&] {
        if (xA >= xB) {
            minX = xB;
            maxX = xA;
        } else {
            minX = xA;
            maxX = xB;
        }
        if (yA >= yB) {
            minY = yB;
            maxY = yA;
        } else {
            minY = yA;
            maxY = yB;
        }
        Unlink(0);
        return 0;
    });
}

int BrickBox::TestAddBrick(const BrickPtr& brick) {
    return Guarded("level:BrickBox.TestAddBrick() ", 0, [&] {
        const Rect r = RectOf(Deref(brick).brickSprite);
        // Inclusive: a brick that only shares an edge or a corner with the box is listed.
        if (minX > r.right || maxX < r.left || minY > r.bottom || maxY < r.top) return 0;
        bricksToCheck.push_back(brick);
        return 0;
    });
}

int BrickBox::BrickBallCollision(const BallPtr& ball, float margin, const GameStatPtr& stat,
                                 const std::vector<BrickPtr>& bricks) {
    return Guarded("level:BrickBox.BrickBallCollision() ", 0, [&] {
        Ball& b = Deref(ball);
        const Rect r = RectOf(b.ballSprite);
        if ((minX - margin) > r.right || maxX < (r.left - margin) || (minY - margin) > r.bottom ||
            maxY < (r.top - margin)) {
            beingChecked = 0;
            return 0;
        }
        int sum = 0;
        const size_t count = bricksToCheck.size();
        for (size_t i = 0; i < count && i < bricksToCheck.size(); ++i) {
            if (bricksToCheck[i] && CannotBeStruck(*bricksToCheck[i], b.ballSprite.get(), margin)) continue;
            // Held here so the brick outlives the call even if the list is changed under it.
            const BrickPtr brick = bricksToCheck[i];
            if (!brick) continue;  // an unlinked box has nothing left to hit
            sum += b.BrickCollision(brick, margin, stat, bricks);
        }
        beingChecked = 1;
        return sum;
    });
}

int BrickBox::BrickNainCollision(const NainPtr& nain) {
    return Guarded("level:BrickBox.BrickNainCollision() ", 0, [&] {
        Nain& n = Deref(nain);
        const Rect r = RectOf(n.nainSprite);
        if (minX > r.right || maxX < r.left || minY > r.bottom || maxY < r.top) return 0;
        const size_t count = bricksToCheck.size();
        for (size_t i = 0; i < count && i < bricksToCheck.size(); ++i) {
            const BrickPtr brick = bricksToCheck[i];
            if (!brick) continue;
            if (n.BrickCollision(brick) != 0) return 1;
        }
        return 0;
    });
}

int BrickBox::DrawDebugBox() {
    return Guarded("level:BrickBox.DrawDebugBox() ", 0, [&] {
        if (beingChecked != 1) return 0;
        SetOrigin(0.0f, 0.0f);
        SetHandle(0.0f, 0.0f);
        SetColor(255, 255, 255);
        SetBlend(ALPHABLEND);
        SetAlpha(0.15f);
        SetRotation(0.0f);
        DrawRect(minX - 1.0f, minY - 1.0f, maxX - minX + 1.0f, maxY - minY + 1.0f);
        for (const BrickPtr& brick : bricksToCheck) {
            if (!brick) continue;
            const Rect r = RectOf(brick->brickSprite);
            DrawRect(r.left - 1.0f, r.top - 1.0f, r.right - r.left + 1.0f, r.bottom - r.top + 1.0f);
        }
        return 0;
    });
}

std::vector<BrickBoxPtr> AppendNewBrickBox(const std::vector<BrickBoxPtr>& boxes) {
    return AppendNew("level:AppendNewBrickBox() ", boxes);
}
