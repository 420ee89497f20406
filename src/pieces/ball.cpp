// The ball: its "ball" element, the pool it lives in, its motion inside the field, riding and
// leaving the paddle at the angle of the hit, and the hit count that ends short-lived balls.
#include "pieces/ball.h"

#include <algorithm>
#include <cmath>

#include "core/arrays.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "core/numeric.h"
#include "pieces/paddle.h"
#include "platform/runtime.h"
#include "sprites/animation.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// The whole-degree angle at which the paddle sends the ball, -80 beyond its left end to +80
// beyond its right end.
int ReboundAngle(Sprite& ball, Sprite& paddle) {
    float wb = ball.widthBound * ball.xScale;
    float wp = paddle.widthBound * paddle.xScale;
    float angle = ((ball.x - paddle.x + 1.5f * wb) / (wp + 2.0f * wb)) * 160.0f - 80.0f;
    // A paddle and ball of no width give no number at all: send the ball straight up.
    return TruncToInt(angle);
}

// Into 0..359 as whole turns added or taken away would bring it.
int WholeTurn(int angle) {
    int index = angle % 360;
    return index < 0 ? index + 360 : index;
}

// A soft paddle takes speed from the ball at every contact; it never brings the ball below a
// crawl it was already above, or the ball would end motionless (or backwards) and the level
// could not be finished.
void TakeThePaddlesElasticity(Sprite& ball, const Sprite& paddle) {
    constexpr float kSlowest = 1.0f;
    const float before = ball.vel;
    ball.vel += paddle.elasticity - 1.0f;
    const float floor = std::min(before, kSlowest);
    if (ball.vel < floor) ball.vel = floor;
}

// Spin and direction from the angle; the caller decides which way up the ball goes.
void AimFromAngle(Sprite& ball, int angle) {
    ball.drot = static_cast<float>(angle) / 10.0f;
    int index = WholeTurn(angle);
    ball.dx = At(g_Sin, index);
    ball.dy = At(g_Cos, index);
}

}  // namespace

Ball::Ball() {
    Guarded("ball:Ball.New(): ", 0, [&] {
        ballSprite = std::make_shared<Sprite>();
        ballSprite->x = -500.0f;
        ballSprite->y = -500.0f;
        return 0;
    });
}

Ball::~Ball() { Unlink(); }

std::string Ball::WriteToXML() {
    return Guarded("ball:Ball.WriteToXML$(): ", std::string(), [&] {
        Sprite& sprite = Deref(ballSprite);
        std::string xml;
        xml += GetXMLfromData("spriteName", ballSpriteName, 0);
        xml += GetXMLfromData("xScale", FloatToText(sprite.xScale), 0);
        xml += GetXMLfromData("yScale", FloatToText(sprite.yScale), 0);
        xml += GetXMLfromData("x", FloatToText(sprite.x), 0);
        xml += GetXMLfromData("y", FloatToText(sprite.y), 0);
        xml += GetXMLfromData("dx", FloatToText(sprite.dx), 0);
        xml += GetXMLfromData("dy", FloatToText(sprite.dy), 0);
        xml += GetXMLfromData("vel", FloatToText(sprite.vel), 0);
        xml += GetXMLfromData("maxVel", FloatToText(sprite.maxVel), 0);
        xml += GetXMLfromData("isLive", IntToText(isLive), 0);
        xml += GetXMLfromData("isStuck", IntToText(isStuck), 0);
        xml += GetXMLfromData("isFireball", IntToText(isFireball), 0);
        xml += GetXMLfromData("isIceball", IntToText(isIceball), 0);
        xml += GetXMLfromData("isShockball", IntToText(isShockball), 0);
        xml += GetXMLfromData("isBrickplow", IntToText(isBrickplow), 0);
        xml += GetXMLfromData("isSmart", IntToText(isSmart), 0);
        return GetXMLfromData("ball", xml, 1);
    });
}

int Ball::Unlink() {
    return Guarded("ball:Ball.Unlink(): ", 0, [&] {
        SpritePtr sprite = ballSprite;
        if (sprite) sprite->Unlink();
        ballSprite = nullptr;
        smartTarget = nullptr;
        return 0;
    });
}

int Ball::Clone(const std::shared_ptr<Ball>& source) {
    return Guarded("ball:Ball.Clone(): ", 0, [&] {
        Ball& src = Deref(source);
        ballName = src.ballName;
        ballSpriteName = src.ballSpriteName;
        CopyXmlFields(*this, src, kBallKindFields);
        CopyXmlFields(*this, src, kBallLifeFields);
        // Held before unlinking, so that a ball cloned from itself keeps a body to copy.
        SpritePtr sourceSprite = src.ballSprite;
        Unlink();
        ballSprite = std::make_shared<Sprite>();
        ballSprite->Clone(sourceSprite, nullptr);
        isExploding = src.isExploding;
        return 0;
    });
}

int Ball::Die() {
    return Guarded("ball:Ball.Die(): ", 0, [&] {
        if (isLive != 1) return 0;
        Sprite& sprite = Deref(ballSprite);
        if (sprite.JumpToAnimation("kill") == 0) {
            sprite.isLive = 0;
            isLive = 0;
        }
        return 0;
    });
}

int Ball::LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites, int keepSprite) {
    return Guarded("ball:Ball.LoadFromXML(): ", 0, [&] {
        SetStringFromXML(ballName, xml, "ballName");
        SetStringFromXML(ballSpriteName, xml, "spriteName");
        ThrowError(1, "Loading ball data from XML: " + ballSpriteName);
        if (keepSprite == 0) {
            // An unlinked ball has no body left to fill.
            if (!ballSprite) ballSprite = std::make_shared<Sprite>();
            ballSprite->Unlink();
            ballSprite->Clone(GetSpriteByName(ballSpriteName, sprites), nullptr);
        }
        LoadXmlFields(*this, xml, kBallKindFields);
        Sprite& sprite = Deref(ballSprite);
        SetFloatFromXML(sprite.x, xml, "x");
        SetFloatFromXML(sprite.y, xml, "y");
        SetFloatFromXML(sprite.xScale, xml, "xScale");
        SetFloatFromXML(sprite.yScale, xml, "yScale");
        SetFloatFromXML(sprite.dx, xml, "dx");
        SetFloatFromXML(sprite.dy, xml, "dy");
        SetFloatFromXML(sprite.vel, xml, "vel");
        SetFloatFromXML(sprite.maxVel, xml, "maxVel");
        LoadXmlFields(*this, xml, kBallLifeFields);

        if (g_useBallTrails == 0) {
            for (const AnimationPtr& animation : sprite.animationArray) {
                if (!animation) continue;
                for (const AnimationStepPtr& step : animation->StepsArray) {
                    if (!step) continue;
                    step->particleSourceName.clear();
                    step->particleSourceLink = nullptr;
                }
            }
        }
        // The last look that applies wins: fire over shock over ice over standard.
        sprite.JumpToAnimation("Standard");
        if (isIceball != 0) sprite.JumpToAnimation("Iceball");
        if (isShockball != 0) sprite.JumpToAnimation("Shockball");
        if (isFireball != 0) sprite.JumpToAnimation("Fireball");
        return 0;
    });
}

int Ball::Update(const PaddlePtr& paddle) {
    return Guarded("ball:Ball.Update(): ", 0, [&] {
        if (isLive == 0) return 0;
        Sprite& sprite = Deref(ballSprite);
        float bottom = static_cast<float>(g_gamefieldHeight + 50);
        if (g_godMode == 1) bottom = static_cast<float>(g_gamefieldHeight);
        if (sprite.ReboundBox(static_cast<float>(g_gamefieldXoffset), static_cast<float>(g_gamefieldYoffset),
                              static_cast<float>(g_gamefieldWidth), bottom) != 0) {
            HitTaken();
        }
        if (sprite.y > static_cast<float>(g_gamefieldHeight + 10)) {
            isLive = 0;
            sprite.isLive = 0;
        }
        if (ttl != -1.0f) {
            ttl -= g_gameSpeedFactor;
            if (ttl < 0.0f) isLive = 0;
        }
        sprite.Update();
        if (isStuck != kBallNotStuck) {
            Sprite& pad = Deref(Deref(paddle).paddleSprite);
            sprite.x = pad.x + static_cast<float>(isStuck);
            sprite.y = pad.y - sprite.heightBound * sprite.yScale - 0.01f;
            // A struck paddle lets go of its balls; they leave as they were moving.
            if (pad.shake != 0.0f) isStuck = kBallNotStuck;
        }
        return 0;
    });
}

int Ball::PaddleCollision(const PaddlePtr& paddle) {
    return Guarded("ball:Ball.PaddleCollision(): ", 0, [&] {
        if (isLive != 1) return 0;
        Paddle& pad = Deref(paddle);
        // A dead paddle is never hit.
        if (pad.isLive == 0) return 0;
        Sprite& sprite = Deref(ballSprite);
        Sprite& padSprite = Deref(pad.paddleSprite);
        if (sprite.BoundingBoxCollision(pad.paddleSprite, 1, 0.0f) != 1) return 0;
        AimFromAngle(sprite, ReboundAngle(sprite, padSprite));
        TakeThePaddlesElasticity(sprite, padSprite);
        if (sprite.dy == 0.0f) sprite.dy = 1.0f;
        consecutiveRebounds = 0;
        sprite.yRebound = AddSaturated(sprite.yRebound, 1);
        padSprite.JumpToAnimation("sound_hit");
        if (pad.isSticky != 0 && isWeaponBlast == 0) {
            sprite.y = padSprite.y - sprite.heightBound * sprite.yScale;
            isStuck = TruncToInt(sprite.x - padSprite.x);
        }
        HitTaken();
        return 0;
    });
}

int Ball::CalculatePaddleRebound(const PaddlePtr& paddle) {
    return Guarded("ball:Ball.CalculatePaddleRebound(): ", 0, [&] {
        Sprite& sprite = Deref(ballSprite);
        Sprite& padSprite = Deref(Deref(paddle).paddleSprite);
        AimFromAngle(sprite, ReboundAngle(sprite, padSprite));
        TakeThePaddlesElasticity(sprite, padSprite);
        if (sprite.dy == 0.0f) {
            sprite.dy = -1.0f;
        } else if (sprite.dy > 0.0f) {
            sprite.dy = -sprite.dy;
        }
        consecutiveRebounds = 0;
        sprite.yRebound = AddSaturated(sprite.yRebound, 1);
        padSprite.JumpToAnimation("sound_release");
        HitTaken();
        return 0;
    });
}

int Ball::HitTaken() {
    return Guarded("ball:Ball.HitTaken(): ", 0, [&] {
        if (hitsRemaining == -1) return 0;
        consecutiveRebounds = AddSaturated(consecutiveRebounds, 1);
        if (consecutiveRebounds > 250) {
            // Caught in a loop between walls and bricks: a nudge that grows with every hit.
            Sprite& sprite = Deref(ballSprite);
            double k = static_cast<double>(consecutiveRebounds - 250) / 10.0;
            sprite.x += RndF(-k, k);
            sprite.y += RndF(-k, k);
        }
        hitsRemaining = AddSaturated(hitsRemaining, -1);
        if (hitsRemaining == 0) {
            // An exploding ball lives on for its blast.
            if (isExploding == 0.0f) {
                isLive = 0;
            } else {
                ttl = 1.0f;
            }
        }
        return 0;
    });
}

int Ball::Draw() {
    return Guarded("ball:Ball.Draw(): ", 0, [&] {
        if (isLive == 0) return 0;
        Deref(ballSprite).Draw();
        return 0;
    });
}

BallPtr GetBallByName(const std::string& name, const std::vector<BallPtr>& balls) {
    return GetByName("ball:GetBallByName(): ", balls, &Ball::ballName, name, "ball");
}

std::vector<BallPtr> AppendNewBall(const std::vector<BallPtr>& balls) {
    return AppendNew("ball:AppendNewBall(): ", balls);
}
