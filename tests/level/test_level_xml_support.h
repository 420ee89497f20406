// Shared set-up for the level loader and writer tests: the fixture pack read element by element
// the way the pack loader reads it, a known error table, a quiet log, and the game's level start.
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
#include "media/largeimage.h"
#include "media/mixer.h"
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
#include "platform/image.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace leveltest {

// The fixture pack's folder, ending in "/" as a pack path does.
inline std::string PackPath() { return FixturePath("level/xml/"); }
inline std::string PackFile(const std::string& relative) { return ReadFileToString(PackPath() + relative, 0); }

// The text a progress note leaves in the log.
inline std::string Note(const std::string& detail) { return " NOTE: Note (" + detail + ")"; }

inline bool LogHas(const std::string& text) { return g_DebugLog.find(text) != std::string::npos; }

// True when the lines appear in the log in this order (other lines may come between).
inline bool LogHasInOrder(const std::vector<std::string>& lines) {
    size_t next = 0;
    for (const std::string& line : DebugLogLines()) {
        if (next < lines.size() && line == lines[next]) ++next;
    }
    return next == lines.size();
}

inline std::vector<std::string> Actions(const RandomPtr& table) {
    return table ? table->action : std::vector<std::string>{"<no table>"};
}

// The templates of a pack, loaded from the fixture files element by element.
struct FixturePack {
    ImagePtr dot;
    std::vector<SpritePtr> sprites;
    std::vector<BrickPtr> bricks;
    std::vector<BallPtr> balls;
    std::vector<ProjectilePtr> projectiles;
    std::vector<WeaponPtr> weapons;
    std::vector<PowerupPtr> powerups;
    std::vector<DifficultyPtr> difficulties;
    std::vector<LevelPtr> levels;

    // Every template array, as the game hands a level the pack's.
    LevelSources Sources() const {
        return {.bricks = bricks,
                .sprites = sprites,
                .powerups = powerups,
                .weapons = weapons,
                .balls = balls,
                .levels = levels,
                .projectiles = projectiles,
                .difficulties = difficulties};
    }

    void Load() {
        dot = std::make_shared<Image>();
        dot->name = "dot";
        dot->imageData = LoadImage(CreatePixmap(8, 8));
        for (const std::string& xml : ExtractListFromXML(PackFile("sprites/sprites.xml"), "sprite")) {
            sprites = AppendNewSprite(sprites);
            sprites.back()->LoadFromXML(xml);
        }
        LinkSprites(sprites, {dot}, {}, {}, {});
        for (const std::string& xml : ExtractListFromXML(PackFile("balls.xml"), "ball")) {
            balls = AppendNewBall(balls);
            balls.back()->LoadFromXML(xml, sprites, 0);
        }
        for (const std::string& xml : ExtractListFromXML(PackFile("projectiles.xml"), "projectile")) {
            projectiles = AppendNewProjectile(projectiles);
            projectiles.back()->LoadFromXML(xml, sprites, 0);
        }
        for (const std::string& xml : ExtractListFromXML(PackFile("weapons.xml"), "weapon")) {
            weapons = AppendNewWeapon(weapons);
            weapons.back()->LoadFromXML(xml, sprites, balls, 0);
        }
        for (const std::string& xml : ExtractListFromXML(PackFile("bricks.xml"), "brick")) {
            bricks = AppendNewBrick(bricks);
            bricks.back()->LoadFromXML(xml, 0);
        }
        LinkBricks(bricks, sprites, 0);
        for (const std::string& xml : ExtractListFromXML(PackFile("powerups.xml"), "powerup")) {
            powerups = AppendNewPowerup(powerups);
            powerups.back()->LoadFromXML(xml, sprites, bricks, 0);
        }
        for (const std::string& xml : ExtractListFromXML(PackFile("game.xml"), "difficulty")) {
            difficulties = AppendNewDifficulty(difficulties);
            difficulties.back()->LoadFromXML(xml);
        }
        for (const std::string& xml : ExtractListFromXML(PackFile("levels.xml"), "level")) {
            levels = AppendNewLevel(levels);
            levels.back()->LoadFromXML(
                xml, {.bricks = bricks, .sprites = sprites, .powerups = powerups, .weapons = weapons, .balls = balls},
                1, "", nullptr);
            levels.back()->nameOfFile = PackPath() + levels.back()->nameOfFile;
        }
    }

    BrickPtr Brick(const std::string& name) const {
        for (const BrickPtr& brick : bricks) {
            if (brick->name == name) return brick;
        }
        return nullptr;
    }

    void Unlink() {
        for (LevelPtr& level : levels) level->Unlink();
        levels.clear();
        for (PowerupPtr& powerup : powerups) powerup->Unlink();
        powerups.clear();
        for (BrickPtr& brick : bricks) brick->Unlink();
        bricks.clear();
        for (WeaponPtr& weapon : weapons) weapon->Unlink();
        weapons.clear();
        for (ProjectilePtr& projectile : projectiles) projectile->Unlink();
        projectiles.clear();
        for (BallPtr& ball : balls) ball->Unlink();
        balls.clear();
        for (SpritePtr& sprite : sprites) sprite->Unlink();
        sprites.clear();
        difficulties.clear();
        dot = nullptr;
    }
};

class LevelTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        InitSprites();
        g_debugLogQuiet = 1;
        // Progress notes are logged so their order can be read; errors are logged and raise.
        g_errorcode = {1, -1, -13, -14};
        g_errorseverity = {1, 3, 3, 3};
        g_errormessage = {"Note", "Could not save", "Could not read", "Not found"};
        SeedRnd(11);
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
        pack.Load();
        stat = std::make_shared<GameStat>();
        ClearDebugLog();
    }

    void TearDown() override {
        for (LevelPtr& level : made) level->Unlink();
        made.clear();
        pack.Unlink();
        g_MasterMixer = nullptr;
        GameTest::TearDown();
    }

    // A new level read in full from the text, as the game's level change reads a file.
    LevelPtr LoadText(const std::string& xml, const std::string& difficulty = "Normal") {
        stat->difficulty = difficulty;
        auto level = std::make_shared<Level>();
        made.push_back(level);
        level->LoadFromXML(xml, pack.Sources(), 0, PackPath(), stat);
        return level;
    }

    // A new level read from a file, as the game's level change does.
    LevelPtr LoadFile(const std::string& path, const std::string& difficulty = "Normal") {
        stat->difficulty = difficulty;
        auto level = std::make_shared<Level>();
        made.push_back(level);
        level->nameOfFile = path;
        level->LoadFromFile(pack.Sources(), PackPath(), stat);
        return level;
    }

    // What the game does once a level is read: every ball and brick live, the ball pool
    // padded, the grid built again and the first ball brought in.
    static void StartLikeTheGame(Level& level) {
        for (BallPtr& ball : level.ballsArray) ball->isLive = 1;
        for (BrickPtr& brick : level.bricksArray) brick->isLive = 1;
        while (static_cast<int>(level.ballsArray.size()) < g_maxBalls) {
            level.ballsArray = AppendNewBall(level.ballsArray);
            level.ballsArray.back()->isLive = 0;
        }
        level.CreateBrickBoxGrid();
        level.StartNewBall({});
    }

    FixturePack pack;
    GameStatPtr stat;
    std::vector<LevelPtr> made;
};

}  // namespace leveltest
