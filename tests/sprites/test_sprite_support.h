// Shared set-up for the sprite tests: a quiet log with a known error table, a fixed game
// speed and seed, and builders for sprite and animation elements and small sprite trees.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "media/images.h"
#include "media/mixer.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "sprites/animation.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace spritetest {

inline std::string Fixture(const std::string& file) { return FixturePath("sprites/" + file); }

inline std::vector<std::string> LogLines() { return DebugLogLines(); }

// One step of `steps` ticks and one pass; extra goes inside the step as is.
inline std::string Step(const std::string& name, int steps, const std::string& extra = "") {
    return "<animationStep><stepName>" + name + "</stepName><minSteps>" + std::to_string(steps) +
           "</minSteps><maxSteps>" + std::to_string(steps) +
           "</maxSteps><minIterations>1</minIterations><maxIterations>1</maxIterations>" + extra + "</animationStep>";
}

inline std::string Anim(const std::string& name, const std::string& steps, const std::string& extra = "") {
    return "<animation><aniName>" + name + "</aniName>" + extra + steps + "</animation>";
}

// A sprite element: the tags as written, then the animations.
inline std::string SpriteXml(const std::string& name, const std::string& tags, const std::string& animations) {
    return "<sprite><spriteName>" + name + "</spriteName>" + tags + animations + "</sprite>";
}

inline SpritePtr LoadSprite(const std::string& xml) {
    auto sprite = std::make_shared<Sprite>();
    sprite->LoadFromXML(xml);
    return sprite;
}

// A sprite with one long-running animation of that name and a box.
inline SpritePtr Idle(const std::string& name, float width = 10, float height = 10) {
    auto sprite = LoadSprite(SpriteXml(name, "", Anim("idle", Step("s", 1000))));
    sprite->widthBound = width;
    sprite->heightBound = height;
    return sprite;
}

inline void Attach(const SpritePtr& parent, const SpritePtr& child) {
    child->parentSprite = parent;
    parent->childSprites.push_back(child);
}

inline ImagePtr MakeImage(const std::string& name, float handleX = 0, float handleY = 0) {
    auto image = std::make_shared<Image>();
    image->name = name;
    image->imageData = LoadImage(CreatePixmap(8, 8));
    image->handleX = handleX;
    image->handleY = handleY;
    return image;
}

class SpriteTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        g_debugLogQuiet = 1;
        // Progress notes stay silent; a missing name is logged without raising.
        g_errorcode = {1, 0, -14};
        g_errorseverity = {0, 0, 1};
        g_errormessage = {"Progress note", "Quiet", "Not found"};
        SeedRnd(11);
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
        spritesBefore = g_debugSpritesInMemory;
    }
    void TearDown() override {
        g_MasterMixer = nullptr;
        GameTest::TearDown();
    }
    int spritesBefore = 0;
};

}  // namespace spritetest
