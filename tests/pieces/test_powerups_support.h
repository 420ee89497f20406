// Shared set-up for the powerup tests: a quiet log with a known error table, a fixed speed and
// seed, the powerup fixture's sprite, brick and powerup templates, and a small level to award into.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/powerups.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace poweruptest {

inline std::string PowerupFixture(const std::string& file) {
    return ReadFileToString(FixturePath("pieces/powerup/" + file), 0);
}

inline int LogLinesWith(const std::string& text) {
    int count = 0;
    for (const std::string& line : DebugLogLines()) {
        if (line.find(text) != std::string::npos) ++count;
    }
    return count;
}

inline void Place(const SpritePtr& sprite, float x, float y) {
    sprite->x = sprite->absX = x;
    sprite->y = sprite->absY = y;
}

// The floating texts still showing, oldest first (fresh slots are taken from the top down).
inline std::vector<std::string> ShownTexts() {
    std::vector<std::string> texts;
    for (auto slot = g_ImageTextArray.rbegin(); slot != g_ImageTextArray.rend(); ++slot) {
        if (*slot && (*slot)->ttl > 0.0f) texts.push_back((*slot)->textToDraw);
    }
    return texts;
}

class PowerupTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        InitSprites();
        g_debugLogQuiet = 1;
        // Progress notes stay silent; a missing name is logged without raising.
        g_errorcode = {1, -14};
        g_errorseverity = {0, 1};
        g_errormessage = {"Progress note", "Not found"};
        SeedRnd(11);
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
        for (ImageTextPtr& slot : g_ImageTextArray) slot = std::make_shared<ImageText>();
        spritesBefore = g_debugSpritesInMemory;
        bricksBefore = g_debugBricksInMemory;

        for (const std::string& element : ExtractListFromXML(PowerupFixture("sprites.xml"), "sprite")) {
            auto sprite = std::make_shared<Sprite>();
            sprite->LoadFromXML(element);
            sprites.push_back(sprite);
        }
        // As the pack links them: a template shares the pack's sprite.
        for (const std::string& element : ExtractListFromXML(PowerupFixture("bricks.xml"), "brick")) {
            bricks = AppendNewBrick(bricks);
            bricks.back()->LoadFromXML(element, 0);
            bricks.back()->brickSprite = GetSpriteByName(bricks.back()->spriteName, sprites);
        }
        // As the pack loader reads "powerups.xml".
        for (const std::string& element : ExtractListFromXML(PowerupFixture("powerups.xml"), "powerup")) {
            templates = AppendNewPowerup(templates);
            templates.back()->LoadFromXML(element, sprites, bricks, 0);
        }
        g_DebugLog.clear();
    }

    void TearDown() override {
        for (const PowerupPtr& p : templates) p->Unlink();
        for (const PowerupPtr& p : made) p->Unlink();
        templates.clear();
        made.clear();
        for (const BrickPtr& brick : bricks) brick->Unlink();
        bricks.clear();
        for (const SpritePtr& sprite : sprites) sprite->Unlink();
        sprites.clear();
        g_MasterMixer = nullptr;
        EXPECT_EQ(g_debugSpritesInMemory, spritesBefore);
        EXPECT_EQ(g_debugBricksInMemory, bricksBefore);
        GameTest::TearDown();
    }

    PowerupPtr Template(const std::string& name) { return GetPowerupByName(name, templates); }

    // A powerup read from one element, its sprite and shield built; released by TearDown.
    PowerupPtr Load(const std::string& tags) {
        auto powerup = std::make_shared<Powerup>();
        powerup->LoadFromXML("<powerup><name>test</name><spriteName>gem</spriteName>" + tags + "</powerup>", sprites,
                             bricks, 0);
        made.push_back(powerup);
        return powerup;
    }

    // A live powerup as the level releases it: a clone of the source, initialised at (x, y).
    PowerupPtr Release(const PowerupPtr& source, float x, float y, float dx = 0.0f, float dy = 1.0f, float vel = 1.0f) {
        auto powerup = std::make_shared<Powerup>();
        powerup->Clone(source);
        powerup->Initialize(x, y, dx, dy, vel);
        powerup->powerupSprite->JumpToAnimation("create");
        made.push_back(powerup);
        return powerup;
    }

    // A live paddle whose body copies the "bat" template (100 x 20), placed at (x, y).
    PaddlePtr MakePaddle(float x, float y) {
        auto paddle = std::make_shared<Paddle>();
        paddle->LoadFromXML("<paddle><spriteName>bat</spriteName></paddle>", sprites, 0);
        Place(paddle->paddleSprite, x, y);
        paddle->paddleSprite->JumpToAnimation("idle");
        paddle->isLive = 1;
        return paddle;
    }

    std::vector<SpritePtr> sprites;
    std::vector<BrickPtr> bricks;
    std::vector<PowerupPtr> templates;
    std::vector<PowerupPtr> made;
    int spritesBefore = 0;
    int bricksBefore = 0;
};

}  // namespace poweruptest
