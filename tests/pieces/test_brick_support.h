// Shared set-up for the brick tests: a quiet log with a known error table, a fixed speed and
// seed, brick sprites with every animation a brick asks for, and small packs and levels built
// the way the pack and level loaders build them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "media/mixer.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace bricktest {

inline std::string Anim(const std::string& name, int steps = 1000) {
    return "<animation><aniName>" + name + "</aniName><animationStep><stepName>s</stepName><minSteps>" +
           std::to_string(steps) + "</minSteps><maxSteps>" + std::to_string(steps) +
           "</maxSteps><minIterations>1</minIterations><maxIterations>1</maxIterations></animationStep></animation>";
}

// Which of the death animations a brick sprite has.
enum class Deaths { Both, KillOnly, None };

// A w x h brick body; "idle" comes first, so a fresh clone shows it.
inline SpritePtr BrickSprite(const std::string& name, float w = 30, float h = 15, float maxShake = 3,
                             Deaths deaths = Deaths::Both) {
    std::string animations = Anim("idle") + Anim("sound_struck") + Anim("Struck") + Anim("sound_freeze");
    if (deaths != Deaths::None) animations += Anim("kill");
    if (deaths == Deaths::Both) animations += Anim("frozen_kill");
    auto sprite = std::make_shared<Sprite>();
    sprite->LoadFromXML("<sprite><spriteName>" + name + "</spriteName><widthBound>" + std::to_string(w) +
                        "</widthBound><heightBound>" + std::to_string(h) + "</heightBound><maxShake>" +
                        std::to_string(maxShake) + "</maxShake>" + animations + "</sprite>");
    return sprite;
}

inline std::string PowerupTable(const std::string& action) {
    return "<powerupGenerated><randomData><action>" + action +
           "</action><value>1</value></randomData></powerupGenerated>";
}

// A "brick" element: the name, its sprite and whatever else is given.
inline std::string BrickXml(const std::string& name, const std::string& extra = "",
                            const std::string& sprite = "block") {
    return "<brick><brickName>" + name + "</brickName><spriteName>" + sprite + "</spriteName>" + extra + "</brick>";
}

// The pack's side: templates appended, read in full and linked by name.
struct TestPack {
    std::vector<SpritePtr> sprites;
    std::vector<BrickPtr> bricks;

    void Load(const std::vector<std::string>& elements) {
        for (const std::string& xml : elements) {
            bricks = AppendNewBrick(bricks);
            bricks.back()->LoadFromXML(xml, 0);
        }
        LinkBricks(bricks, sprites, 0);
    }
    void Unlink() {
        for (BrickPtr& brick : bricks) {
            if (brick) brick->Unlink();
        }
        bricks.clear();
        for (SpritePtr& sprite : sprites) sprite->Unlink();
        sprites.clear();
    }
};

// The level's side: each brick cloned from its template, its element read over the copy,
// adjacency linked and every brick set live, as a level starts.
struct TestLevel {
    std::vector<BrickPtr> bricks;

    BrickPtr Add(const TestPack& pack, const std::string& xml) {
        bricks = AppendNewBrick(bricks);
        BrickPtr brick = bricks.back();
        brick->LoadFromXML(xml, 1);
        brick->Clone(GetBrickByName(brick->name, pack.bricks));
        brick->LoadFromXML(xml, 0);
        return brick;
    }
    BrickPtr Place(const TestPack& pack, const std::string& name, float x, float y) {
        return Add(pack, "<brick><brickName>" + name + "</brickName><x>" + FloatToText(x) + "</x><y>" + FloatToText(y) +
                             "</y></brick>");
    }
    // The sprites' absolute position, as their first update gives it.
    void Start() {
        LinkBricks(bricks, {}, 1);
        for (BrickPtr& brick : bricks) {
            brick->isLive = 1;
            brick->brickSprite->absX = brick->brickSprite->x;
            brick->brickSprite->absY = brick->brickSprite->y;
        }
    }
    void Unlink() {
        for (BrickPtr& brick : bricks) {
            if (brick) brick->Unlink();
        }
        bricks.clear();
    }
};

inline std::string CurrentAnimation(const BrickPtr& brick) { return brick->brickSprite->GetCurrentAnimationName(); }

// The progress notes and errors reported so far, newest first.
inline bool Reported(const std::string& text) {
    for (const std::string& message : g_DebugStrings) {
        if (message.find(text) != std::string::npos) return true;
    }
    return false;
}

inline bool Logged(const std::string& text) {
    for (const std::string& line : DebugLogLines()) {
        if (line.find(text) != std::string::npos) return true;
    }
    return false;
}

class BrickTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        InitSprites();
        g_debugLogQuiet = 1;
        // Progress notes are only remembered; a missing name is an error that raises.
        g_errorcode = {1, 0, -14};
        g_errorseverity = {0, 0, 3};
        g_errormessage = {"Note", "Quiet", "Not found"};
        SeedRnd(5);
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
        stat = std::make_shared<GameStat>();
        bricksBefore = g_debugBricksInMemory;
        spritesBefore = g_debugSpritesInMemory;
        pack.sprites = {BrickSprite("block")};
    }
    void TearDown() override {
        level.Unlink();
        pack.Unlink();
        g_MasterMixer = nullptr;
        GameTest::TearDown();
    }

    TestPack pack;
    TestLevel level;
    GameStatPtr stat;
    int bricksBefore = 0;
    int spritesBefore = 0;
};

}  // namespace bricktest
