// Shared set-up for the ball tests: a quiet log with a known error table, a fixed game speed
// and seed, the ball fixture's sprite templates, and builders for balls and the paddle.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "media/images.h"
#include "media/mixer.h"
#include "pieces/ball.h"
#include "pieces/paddle.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace balltest {

inline std::string BallFixture(const std::string& file) {
    return ReadFileToString(FixturePath("pieces/ball/" + file), 0);
}

inline int LogLinesWith(const std::string& text) {
    int count = 0;
    for (const std::string& line : DebugLogLines()) {
        if (line.find(text) != std::string::npos) ++count;
    }
    return count;
}

inline std::string AnimationOf(const SpritePtr& sprite) { return sprite->GetCurrentAnimationName(); }

class BallTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        g_debugLogQuiet = 1;
        // Progress notes stay silent; a missing name is logged without raising.
        g_errorcode = {1, 0, -14};
        g_errorseverity = {0, 0, 1};
        g_errormessage = {"Progress note", "Quiet", "Not found"};
        SeedRnd(7);
        InitSprites();
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
        spritesBefore = g_debugSpritesInMemory;

        dot = std::make_shared<Image>();
        dot->name = "dot";
        dot->imageData = LoadImage(CreatePixmap(8, 8));
        std::string xml = BallFixture("sprites.xml");
        for (const std::string& element : ExtractListFromXML(xml, "sprite")) {
            auto sprite = std::make_shared<Sprite>();
            sprite->LoadFromXML(element);
            sprites.push_back(sprite);
        }
        LinkSprites(sprites, {dot}, {}, {}, {});

        paddle = std::make_shared<Paddle>();
        paddle->paddleSprite->Clone(GetSpriteByName("paddle_sprite", sprites), nullptr);
        PlacePaddle(300.0f, 700.0f);
    }

    void TearDown() override {
        if (paddle) paddle->Unlink();
        paddle = nullptr;
        for (SpritePtr& sprite : sprites) sprite->Unlink();
        sprites.clear();
        dot = nullptr;
        g_MasterMixer = nullptr;
        GameTest::TearDown();
    }

    // The paddle where the collision tests look for it.
    void PlacePaddle(float x, float y) {
        Sprite& sprite = *paddle->paddleSprite;
        sprite.x = sprite.absX = x;
        sprite.y = sprite.absY = y;
    }

    // A live ball whose body copies the named template, placed at (x, y).
    BallPtr MakeBall(float x, float y, const std::string& spriteName = "ball_sprite") {
        auto ball = std::make_shared<Ball>();
        ball->ballSpriteName = spriteName;
        ball->ballSprite->Clone(GetSpriteByName(spriteName, sprites), nullptr);
        ball->isLive = 1;
        Place(ball, x, y);
        return ball;
    }

    static void Place(const BallPtr& ball, float x, float y) {
        Sprite& sprite = *ball->ballSprite;
        sprite.x = sprite.absX = x;
        sprite.y = sprite.absY = y;
    }

    std::vector<SpritePtr> sprites;
    ImagePtr dot;
    PaddlePtr paddle;
    int spritesBefore = 0;
};

}  // namespace balltest
