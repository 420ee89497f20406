// Shared set-up for the brick-box tests and the level's grid and spawning tests: a quiet log
// with a known error table, a fixed speed and seed, and small bricks, balls, nains and paddles
// placed by hand.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "media/mixer.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/powerups.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace boxtest {

inline std::string Anim(const std::string& name) {
    return "<animation><aniName>" + name +
           "</aniName><animationStep><stepName>s</stepName><minSteps>1000</minSteps><maxSteps>1000</maxSteps>"
           "<minIterations>1</minIterations><maxIterations>1</maxIterations></animationStep></animation>";
}

// A w x h body at (x, y) whose absolute position is already known, as after its first update.
inline SpritePtr Body(const std::string& name, float x, float y, float w, float h, const std::string& anims = "") {
    auto sprite = std::make_shared<Sprite>();
    sprite->LoadFromXML("<sprite><spriteName>" + name + "</spriteName><widthBound>" + FloatToText(w) +
                        "</widthBound><heightBound>" + FloatToText(h) + "</heightBound>" + Anim("idle") + anims +
                        "</sprite>");
    sprite->x = sprite->absX = x;
    sprite->y = sprite->absY = y;
    return sprite;
}

// A live, solid, must-clear brick that one strike destroys.
inline BrickPtr MakeBrick(float x, float y, float w = 40, float h = 20) {
    auto brick = std::make_shared<Brick>();
    brick->name = "block";
    brick->brickSprite = Body("block", x, y, w, h, Anim("sound_struck") + Anim("kill"));
    brick->isLive = 1;
    brick->isSolid = 1;
    brick->mustClear = 1;
    brick->strength = 1;
    brick->pointValue = 10;
    return brick;
}

// A live 10 x 10 ball at (x, y).
inline BallPtr MakeBall(float x, float y) {
    auto ball = std::make_shared<Ball>();
    ball->ballSprite->Unlink();
    ball->ballSprite = Body("ball", x, y, 10, 10, Anim("kill"));
    ball->ballSprite->vel = 4.0f;
    ball->ballSprite->maxVel = 20.0f;
    ball->ballSprite->dy = -1.0f;
    ball->isLive = 1;
    return ball;
}

// A seated-looking w x h nain at (x, y).
inline NainPtr MakeNain(float x, float y, float w = 20, float h = 20) {
    auto nain = std::make_shared<Nain>();
    nain->name = "gnome";
    nain->spriteName = "gnome";
    nain->nainSprite = Body("gnome", x, y, w, h, Anim("falling"));
    return nain;
}

inline void UnlinkAll(std::vector<BrickPtr>& bricks) {
    for (BrickPtr& brick : bricks) {
        if (brick) brick->Unlink();
    }
    bricks.clear();
}

inline bool Reported(const std::string& text) {
    for (const std::string& message : g_DebugStrings) {
        if (message.find(text) != std::string::npos) return true;
    }
    return false;
}

inline int LogLinesWith(const std::string& text) {
    int count = 0;
    for (const std::string& line : DebugLogLines()) {
        if (line.find(text) != std::string::npos) ++count;
    }
    return count;
}

class BoxTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        InitSprites();
        g_debugLogQuiet = 1;
        // Progress notes are remembered but not logged; a missing name is logged without raising.
        g_errorcode = {1, -14};
        g_errorseverity = {0, 1};
        g_errormessage = {"Progress note", "Not found"};
        SeedRnd(11);
        stat = std::make_shared<GameStat>();
    }

    GameStatPtr stat;
};

}  // namespace boxtest
