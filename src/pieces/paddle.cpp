// The player's bat: a sprite that the mouse moves sideways inside the play field, and the
// flags that balls, nains, projectiles, powerups and weapons read.
#include "pieces/paddle.h"

#include <algorithm>

#include "core/globals.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "text/parser.h"

Paddle::Paddle() {
    Guarded("paddle:Paddle.New() ", 0, [&] {
        paddleSprite = std::make_shared<Sprite>();
        return 0;
    });
}

std::string Paddle::WriteToXML() {
    return Guarded("paddle:Paddle.WriteToXML() ", std::string(), [&] {
        const Sprite& sprite = Deref(paddleSprite);
        // The flags are not written: a saved paddle reads back neither sticky nor dead.
        std::string data = GetXMLfromData("spriteName", paddleSpriteName, 0);
        data += GetXMLfromData("xScale", FloatToText(sprite.xScale), 0);
        data += GetXMLfromData("yScale", FloatToText(sprite.yScale), 0);
        return GetXMLfromData("paddle", data, 1);
    });
}

int Paddle::Unlink() {
    return Guarded("paddle:Paddle.Unlink() ", 0, [&] {
        if (paddleSprite) {
            paddleSprite->Unlink();
            paddleSprite = nullptr;
        }
        return 0;
    });
}

int Paddle::LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites, int flag) {
    return Guarded("paddle:Paddle.LoadFromXML() ", 0, [&] {
        Unlink();
        SetStringFromXML(paddleSpriteName, xml, "spriteName");
        ThrowError(1, "Loading paddle data from XML: " + paddleSpriteName);
        // Without a template copy the paddle still needs a body to take the element's scales.
        paddleSprite = std::make_shared<Sprite>();
        if (flag == 0) paddleSprite->Clone(GetSpriteByName(paddleSpriteName, sprites), nullptr);
        SetIntFromXML(isSticky, xml, "isSticky");
        SetIntFromXML(isLive, xml, "isLive");
        SetFloatFromXML(paddleSprite->xScale, xml, "xScale");
        SetFloatFromXML(paddleSprite->yScale, xml, "yScale");
        return 0;
    });
}

int Paddle::Clone(const PaddlePtr& source) {
    return Guarded("paddle:Paddle.Clone() ", 0, [&] {
        // The source is checked and its body copied before this paddle lets go of its own,
        // so a missing source leaves the paddle whole and a paddle may copy itself.
        const PaddlePtr from = source;
        const Paddle& src = Deref(from);
        SpritePtr sprite = std::make_shared<Sprite>();
        sprite->Clone(src.paddleSprite, nullptr);
        paddleSpriteName = src.paddleSpriteName;
        Unlink();
        paddleSprite = sprite;
        isSticky = src.isSticky;
        isLive = src.isLive;
        return 0;
    });
}

int Paddle::Update(float /*value*/) {
    return Guarded("paddle:Paddle.Update() ", 0, [&] {
        Sprite& sprite = Deref(paddleSprite);
        if (sprite.isLive == 0) isLive = 0;
        if (isLive == 0) return 0;
        const float oldX = sprite.x;

        const float move = g_MouseXSpeed * g_paddlePositionModifier;
        if (!(sprite.shake > 0.0f)) {
            sprite.x = sprite.x + move;
        } else {
            // A struck paddle is sluggish: half speed as the shake starts, stuck from half
            // the shake's ceiling on (a shake without a ceiling is already past it).
            float damping = 0.0f;
            if (sprite.maxShake > 0.0f) damping = std::max(0.0f, 1.0f - 2.0f * sprite.shake / sprite.maxShake);
            sprite.x = sprite.x + move * damping / 2.0f;
        }

        // Right wall first, then the left: a paddle wider than the field rests on the left
        // wall instead of jumping between the walls from one update to the next.
        const float left = static_cast<float>(g_gamefieldXoffset);
        const float right = static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth);
        if (sprite.GetRightEdge(0.0f) > right) sprite.x = right - sprite.widthBound * sprite.xScale;
        if (sprite.x < left) sprite.x = left;

        dX = oldX - sprite.x;
        sprite.Update();
        return 0;
    });
}

int Paddle::Draw() {
    return Guarded("paddle:Paddle.Draw() ", 0, [&] {
        if (isLive != 0) Deref(paddleSprite).Draw();
        return 0;
    });
}
