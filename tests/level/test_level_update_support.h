// Shared set-up for the level update and autoplay tests: a quiet log with a known error table,
// a fixed speed, seed and frame time, and a small pack folder loaded and started the way the
// game does it. The pack loader will take over LoadTestPack; nothing else depends on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "level/goal.h"
#include "level/level.h"
#include "media/images.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/difficulty.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/powerups.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace levelplay {

// Lines of the debug log holding the text.
inline int LogLinesWith(const std::string& text) {
    int count = 0;
    for (const std::string& line : DebugLogLines()) {
        if (line.find(text) != std::string::npos) ++count;
    }
    return count;
}

// A pack's templates, as the pack loader leaves them once everything is linked.
struct TestPack {
    std::string folder;  // ends in "/"
    std::vector<ImagePtr> images;
    std::vector<SoundPtr> sounds;
    std::vector<SpritePtr> sprites;
    std::vector<ProjectilePtr> projectiles;
    std::vector<BallPtr> balls;
    std::vector<WeaponPtr> weapons;
    std::vector<BrickPtr> bricks;
    std::vector<PowerupPtr> powerups;
    std::vector<DifficultyPtr> difficulties;

    ~TestPack() { Unlink(); }

    void Unlink() {
        for (auto& p : powerups) p->Unlink();
        for (auto& b : bricks) b->Unlink();
        for (auto& w : weapons) w->Unlink();
        for (auto& b : balls) b->Unlink();
        for (auto& p : projectiles) p->Unlink();
        for (auto& s : sprites) s->Unlink();
        for (auto& i : images) i->Unlink();
        powerups.clear();
        bricks.clear();
        weapons.clear();
        balls.clear();
        projectiles.clear();
        sprites.clear();
        images.clear();
        sounds.clear();
    }
};

inline std::vector<std::string> ElementsOf(const std::string& folder, const std::string& file, const std::string& tag) {
    std::string xml = ReadFileToString(folder + file, 1);
    return ExtractListFromXML(xml, tag);
}

// Reads every template file of the folder in the pack's order, element by element with the
// pieces' own readers, and links sprites and bricks by name. Missing files mean no templates.
inline void LoadTestPack(TestPack& pack, const std::string& folder) {
    pack.folder = folder;
    for (const std::string& element : ElementsOf(folder, "images.xml", "image")) {
        pack.images = AppendNewImage(pack.images);
        pack.images.back()->LoadFromXML(element, folder);
    }
    for (const std::string& element : ElementsOf(folder, "sprites.xml", "sprite")) {
        pack.sprites = AppendNewSprite(pack.sprites);
        pack.sprites.back()->LoadFromXML(element);
    }
    LinkSprites(pack.sprites, pack.images, {}, {}, pack.sounds);
    for (const std::string& element : ElementsOf(folder, "projectiles.xml", "projectile")) {
        pack.projectiles = AppendNewProjectile(pack.projectiles);
        pack.projectiles.back()->LoadFromXML(element, pack.sprites, 0);
    }
    for (const std::string& element : ElementsOf(folder, "balls.xml", "ball")) {
        pack.balls = AppendNewBall(pack.balls);
        pack.balls.back()->LoadFromXML(element, pack.sprites, 0);
    }
    for (const std::string& element : ElementsOf(folder, "weapons.xml", "weapon")) {
        pack.weapons = AppendNewWeapon(pack.weapons);
        pack.weapons.back()->LoadFromXML(element, pack.sprites, pack.balls, 0);
    }
    for (const std::string& element : ElementsOf(folder, "bricks.xml", "brick")) {
        pack.bricks = AppendNewBrick(pack.bricks);
        pack.bricks.back()->LoadFromXML(element, 0);
    }
    LinkBricks(pack.bricks, pack.sprites, 0);
    for (const std::string& element : ElementsOf(folder, "powerups.xml", "powerup")) {
        pack.powerups = AppendNewPowerup(pack.powerups);
        pack.powerups.back()->LoadFromXML(element, pack.sprites, pack.bricks, 0);
    }
}

// The game's level change: a fresh level read from its file, every ball and brick live, the
// ball pool padded, the grid built again over the live bricks, and the first ball started.
inline LevelPtr StartTestLevel(const TestPack& pack, const std::string& fileName, const GameStatPtr& stat) {
    auto level = std::make_shared<Level>();
    level->nameOfFile = pack.folder + fileName;
    level->gameOver = -1.0f;
    level->LoadFromFile({.bricks = pack.bricks,
                         .sprites = pack.sprites,
                         .powerups = pack.powerups,
                         .weapons = pack.weapons,
                         .balls = pack.balls,
                         .projectiles = pack.projectiles,
                         .sounds = pack.sounds,
                         .difficulties = pack.difficulties},
                        pack.folder, stat);
    for (const BallPtr& ball : level->ballsArray) ball->isLive = 1;
    for (const BrickPtr& brick : level->bricksArray) brick->isLive = 1;
    while (static_cast<int>(level->ballsArray.size()) < g_maxBalls) {
        level->ballsArray = AppendNewBall(level->ballsArray);
    }
    level->CreateBrickBoxGrid();
    level->StartNewBall(pack.sounds);
    return level;
}

// The quiet, repeatable world every level test runs in.
class LevelWorld : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        InitSprites();
        g_debugLogQuiet = 1;
        // Progress notes stay silent; a missing file or name is logged without raising.
        g_errorcode = {1, -13, -14};
        g_errorseverity = {0, 1, 1};
        g_errormessage = {"Progress note", "File missing", "Not found"};
        SeedRnd(1234);
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
    }
    void TearDown() override {
        g_MasterMixer = nullptr;
        GameTest::TearDown();
    }
};

}  // namespace levelplay
