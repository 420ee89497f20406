// Shared set-up for the weapon and paddle tests: a quiet log with a known error table, a
// fixed game speed and seed, the gear fixture's sprite templates, and small builders.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "media/mixer.h"
#include "pieces/ball.h"
#include "pieces/paddle.h"
#include "pieces/weapon.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/animation.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace geartest {

inline std::string GearFixture(const std::string& file) {
    return ReadFileToString(FixturePath("pieces/gear/" + file), 0);
}

// Every "sprite" element of the fixture, loaded as a template.
inline std::vector<SpritePtr> LoadSprites() {
    std::string xml = GearFixture("sprites.xml");
    std::vector<SpritePtr> sprites;
    for (const std::string& element : ExtractListFromXML(xml, "sprite")) {
        auto sprite = std::make_shared<Sprite>();
        sprite->LoadFromXML(element);
        sprites.push_back(sprite);
    }
    return sprites;
}

// A ball template of that name whose body copies the named sprite template.
inline BallPtr BallTemplate(const std::string& name, const std::string& spriteName,
                            const std::vector<SpritePtr>& sprites) {
    auto ball = std::make_shared<Ball>();
    ball->ballName = name;
    ball->ballSpriteName = spriteName;
    ball->ballSprite->Clone(GetSpriteByName(spriteName, sprites), nullptr);
    return ball;
}

// A pool of dead slots, as the level pads it.
inline std::vector<BallPtr> Pool(int size) {
    std::vector<BallPtr> pool;
    for (int i = 0; i < size; ++i) pool.push_back(std::make_shared<Ball>());
    return pool;
}

inline void UnlinkAll(std::vector<BallPtr>& balls) {
    for (BallPtr& ball : balls) {
        if (ball) ball->Unlink();
    }
    balls.clear();
}

inline void UnlinkAll(std::vector<SpritePtr>& sprites) {
    for (SpritePtr& sprite : sprites) {
        if (sprite) sprite->Unlink();
    }
    sprites.clear();
}

// Lines of the debug log that name the label.
inline int LogLinesWith(const std::string& text) {
    int count = 0;
    for (const std::string& line : DebugLogLines()) {
        if (line.find(text) != std::string::npos) ++count;
    }
    return count;
}

class GearTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        g_debugLogQuiet = 1;
        // Progress notes stay silent; a missing name is logged without raising.
        g_errorcode = {1, -14};
        g_errorseverity = {0, 1};
        g_errormessage = {"Progress note", "Not found"};
        SeedRnd(7);
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
        spritesBefore = g_debugSpritesInMemory;
        sprites = LoadSprites();
    }
    void TearDown() override {
        UnlinkAll(sprites);
        g_MasterMixer = nullptr;
        GameTest::TearDown();
    }

    // A live paddle whose body copies the "bat" template (100 x 20), placed at (x, y).
    PaddlePtr MakePaddle(float x, float y) {
        auto paddle = std::make_shared<Paddle>();
        paddle->LoadFromXML("<paddle><spriteName>bat</spriteName></paddle>", sprites, 0);
        paddle->paddleSprite->x = x;
        paddle->paddleSprite->y = y;
        paddle->paddleSprite->absX = x;
        paddle->paddleSprite->absY = y;
        return paddle;
    }

    std::vector<SpritePtr> sprites;
    int spritesBefore = 0;
};

}  // namespace geartest
