// Shared set-up for the nain, projectile and difficulty tests: a quiet log with a known
// error table, a fixed speed and seed, fresh floating texts, and small sprite templates.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "media/mixer.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/projectile.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace naintest {

// One step of that many ticks that ends its animation when done.
inline std::string Step(int steps) {
    return "<animationStep><stepName>s</stepName><minSteps>" + std::to_string(steps) + "</minSteps><maxSteps>" +
           std::to_string(steps) + "</maxSteps><minIterations>1</minIterations><maxIterations>1</maxIterations>" +
           "<onFinish>end</onFinish></animationStep>";
}

inline std::string Table(const std::string& tag, const std::vector<std::pair<std::string, int>>& entries) {
    std::string xml = "<" + tag + ">";
    for (const auto& [action, weight] : entries) {
        xml += "<randomData><action>" + action + "</action><value>" + std::to_string(weight) + "</value></randomData>";
    }
    return xml + "</" + tag + ">";
}

// A long-running animation; next names the animation that follows once its steps are done.
inline std::string Anim(const std::string& name, int steps = 1000, const std::string& next = "") {
    std::string xml = "<animation><aniName>" + name + "</aniName>";
    if (!next.empty()) xml += Table("nextAnimation", {{next, 1}});
    return xml + Step(steps) + "</animation>";
}

inline SpritePtr LoadSprite(const std::string& name, const std::string& tags, const std::string& animations) {
    auto sprite = std::make_shared<Sprite>();
    sprite->LoadFromXML("<sprite><spriteName>" + name + "</spriteName>" + tags + animations + "</sprite>");
    return sprite;
}

inline void Attach(const SpritePtr& parent, const SpritePtr& child) {
    child->parentSprite = parent;
    parent->childSprites.push_back(child);
}

// A 20 x 20 gnome with a hand; its throw takes two ticks from "Start projectile" to the launch.
inline SpritePtr GnomeTemplate() {
    auto body = LoadSprite("gnome", "<widthBound>20</widthBound><heightBound>20</heightBound><maxVel>50</maxVel>",
                           Anim("idle") + Anim("falling") + Anim("Start projectile", 2, "Launch projectile") +
                               Anim("Launch projectile") + Anim("Projectile follow-through") + Anim("burst") +
                               Anim("knock hat") + Anim("_burn") + Anim("zapped") + Anim("_bullseye") +
                               Anim("sound_bounce") + Anim("sound_babble") + Anim("sound_ice_hit"));
    auto hand =
        LoadSprite("hand", "<x>15</x><y>2</y><widthBound>4</widthBound><heightBound>4</heightBound>", Anim("idle"));
    Attach(body, hand);
    return body;
}

// An 8 x 8 rock that flies and bursts.
inline SpritePtr RockTemplate() {
    return LoadSprite("rock", "<widthBound>8</widthBound><heightBound>8</heightBound><maxVel>50</maxVel>",
                      Anim("idle") + Anim("falling") + Anim("burst"));
}

inline std::string RockXml(const std::string& extra = "") {
    return "<projectile><name>rock</name><spriteName>rock</spriteName>" + extra + "</projectile>";
}

inline std::string GnomeXml(const std::string& extra) {
    return "<nain><name>gnome</name><spriteName>gnome</spriteName><projectileHardpointName>hand</"
           "projectileHardpointName>" +
           extra + "</nain>";
}

// A live 100 x 10 paddle at (x, y), its position known without drawing.
inline PaddlePtr MakePaddle(float x, float y) {
    auto paddle = std::make_shared<Paddle>();
    paddle->paddleSprite =
        LoadSprite("paddle", "<widthBound>100</widthBound><heightBound>10</heightBound>", Anim("idle"));
    paddle->paddleSprite->x = paddle->paddleSprite->absX = x;
    paddle->paddleSprite->y = paddle->paddleSprite->absY = y;
    paddle->isLive = 1;
    return paddle;
}

inline void Place(const SpritePtr& sprite, float x, float y) {
    sprite->x = sprite->absX = x;
    sprite->y = sprite->absY = y;
}

// The floating text written last: the highest life left among the slots still showing.
inline ImageTextPtr NewestText(const std::string& text) {
    for (const ImageTextPtr& slot : g_ImageTextArray) {
        if (slot && slot->textToDraw == text && slot->ttl > 0.0f) return slot;
    }
    return nullptr;
}

class PieceTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        InitSprites();
        g_debugLogQuiet = 1;
        // Progress notes stay silent; a missing name is logged without raising.
        g_errorcode = {1, 0, -14};
        g_errorseverity = {0, 0, 1};
        g_errormessage = {"Progress note", "Quiet", "Not found"};
        SeedRnd(7);
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
        for (ImageTextPtr& slot : g_ImageTextArray) slot = std::make_shared<ImageText>();
        spritesBefore = g_debugSpritesInMemory;
    }
    void TearDown() override {
        g_MasterMixer = nullptr;
        GameTest::TearDown();
    }
    int spritesBefore = 0;
};

}  // namespace naintest
