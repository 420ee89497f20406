// Shared set-up for the level ownership, copy and goal tests: a quiet log whose progress notes
// can be counted, a fixed speed, seed and frame time, a small pack of templates and a level
// built by hand the way the loader and the game control fill one.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "level/goal.h"
#include "level/level.h"
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
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "sprites/sprites.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace levelcore {

// Lines of the debug log holding the text.
inline int LogLinesWith(const std::string& text) {
    int count = 0;
    for (const std::string& line : DebugLogLines()) {
        if (line.find(text) != std::string::npos) ++count;
    }
    return count;
}

// The details of the progress notes logged so far, in order.
inline std::vector<std::string> Notes() {
    std::vector<std::string> notes;
    const std::string head = "Note (";
    for (const std::string& line : DebugLogLines()) {
        size_t at = line.find(head);
        if (at == std::string::npos || line.back() != ')') continue;
        notes.push_back(line.substr(at + head.size(), line.size() - at - head.size() - 1));
    }
    return notes;
}

// The log lines that are not progress notes: real failures.
inline std::vector<std::string> Failures() {
    std::vector<std::string> lines;
    for (const std::string& line : DebugLogLines()) {
        if (line.rfind(" NOTE: ", 0) != 0) lines.push_back(line);
    }
    return lines;
}

inline void Place(const SpritePtr& sprite, float x, float y) {
    sprite->x = sprite->absX = x;
    sprite->y = sprite->absY = y;
}

inline std::string GoalXml(const std::string& goalType, const std::string& successType,
                           const std::string& successAction, const std::string& extra = "") {
    return "<goal><goalType>" + goalType + "</goalType><successType>" + successType + "</successType><successAction>" +
           successAction + "</successAction>" + extra + "</goal>";
}

// The pack's templates, read and linked as the pack loader does.
struct Pack {
    std::vector<SpritePtr> sprites;
    std::vector<BrickPtr> bricks;
    std::vector<BallPtr> balls;
    std::vector<ProjectilePtr> projectiles;
    std::vector<NainPtr> nains;
    std::vector<PowerupPtr> powerups;
    std::vector<WeaponPtr> weapons;

    void Load() {
        std::string xml = ReadFileToString(FixturePath("level/core/sprites.xml"), 0);
        for (const std::string& element : ExtractListFromXML(xml, "sprite")) {
            auto sprite = std::make_shared<Sprite>();
            sprite->LoadFromXML(element);
            sprites.push_back(sprite);
        }
        // Nains throw from a hand inside their own sprite tree.
        for (const char* body : {"gnome", "imp"}) {
            auto hand = std::make_shared<Sprite>();
            hand->Clone(GetSpriteByName("hand", sprites), nullptr);
            SpritePtr parent = GetSpriteByName(body, sprites);
            hand->parentSprite = parent;
            parent->childSprites.push_back(hand);
        }

        // "hard" turns into "block" when it breaks.
        for (const char* element :
             {"<brick><brickName>block</brickName><spriteName>block</spriteName><isSolid>1</isSolid></brick>",
              "<brick><brickName>hard</brickName><spriteName>block</spriteName><isSolid>1</isSolid>"
              "<strength>2</strength><nextBrickName>block</nextBrickName>"
              "<powerupGenerated><randomData><action>wall</action><value>1</value></randomData></powerupGenerated>"
              "</brick>"}) {
            bricks = AppendNewBrick(bricks);
            bricks.back()->LoadFromXML(element, 0);
        }
        LinkBricks(bricks, sprites, 0);

        balls = AppendNewBall(balls);
        balls.back()->LoadFromXML("<ball><ballName>orb</ballName><spriteName>orb</spriteName></ball>", sprites, 0);

        projectiles = AppendNewProjectile(projectiles);
        projectiles.back()->LoadFromXML("<projectile><name>rock</name><spriteName>rock</spriteName></projectile>",
                                        sprites, 0);

        for (const char* body : {"gnome", "imp"}) {
            nains = AppendNewNain(nains);
            nains.back()->LoadFromXML(std::string("<nain><name>") + body + "</name><spriteName>" + body +
                                          "</spriteName><projectileHardpointName>hand</projectileHardpointName>"
                                          "<projectileToThrow><randomData><action>rock</action><value>1</value>"
                                          "</randomData></projectileToThrow></nain>",
                                      sprites, 0);
        }

        powerups = AppendNewPowerup(powerups);
        powerups.back()->LoadFromXML(
            "<powerup><name>wall</name><spriteName>orb</spriteName><createSheildFromBrick>block"
            "</createSheildFromBrick><numberOfBricksInShield>4</numberOfBricksInShield></powerup>",
            sprites, bricks, 0);

        weapons = AppendNewWeapon(weapons);
        weapons.back()->LoadFromXML(
            "<weapon><weaponName>gun</weaponName><weaponSpriteName>gun</weaponSpriteName>"
            "<shotsGeneratedName>orb</shotsGeneratedName><rateOfFire>10</rateOfFire></weapon>",
            sprites, balls, 0);
    }

    void Unlink() {
        for (auto& p : powerups) p->Unlink();
        for (auto& w : weapons) w->Unlink();
        for (auto& n : nains) n->Unlink();
        for (auto& p : projectiles) p->Unlink();
        for (auto& b : balls) b->Unlink();
        for (auto& b : bricks) b->Unlink();
        for (auto& s : sprites) s->Unlink();
        powerups.clear();
        weapons.clear();
        nains.clear();
        projectiles.clear();
        balls.clear();
        bricks.clear();
        sprites.clear();
    }
};

struct LevelShape {
    int balls = 3;
    int bricks = 40;
    int sourceNains = 2;
    bool paddle = true;
    bool shield = true;
};

// A level in play: paddle, ball pool, bricks in rows of ten (each touching its neighbours),
// the grid, nain kinds and one nain seated on the first brick with a rock in its hand, a
// falling powerup, the shield of the "wall" powerup, an active weapon, two goals.
inline LevelPtr BuildLevel(const Pack& pack, const LevelShape& shape = {}) {
    auto level = std::make_shared<Level>();
    level->name = "Meadow";
    level->nameOfFile = "/packs/test/meadow.xml";
    level->music = "tune";
    level->nextLevel = "Forest";

    if (shape.paddle) {
        level->playerPaddleSource = std::make_shared<Paddle>();
        level->playerPaddleSource->LoadFromXML("<paddle><spriteName>bat</spriteName></paddle>", pack.sprites, 0);
        level->playerPaddle = std::make_shared<Paddle>();
        level->playerPaddle->Clone(level->playerPaddleSource);
        Place(level->playerPaddle->paddleSprite, 300, 740);
    }

    for (int i = 0; i < shape.balls; ++i) {
        level->ballsArray = AppendNewBall(level->ballsArray);
        level->ballsArray.back()->Clone(pack.balls[0]);
        level->ballsArray.back()->isLive = 1;
        Place(level->ballsArray.back()->ballSprite, 300.0f + 20.0f * static_cast<float>(i), 600);
    }
    level->newBallsSourceArray = AppendNewBall({});
    level->newBallsSourceArray.back()->Clone(pack.balls[0]);
    level->sourceBallsArray = AppendNewBall({});
    level->sourceBallsArray.back()->Clone(pack.balls[0]);

    for (int i = 0; i < shape.bricks; ++i) {
        level->bricksArray = AppendNewBrick(level->bricksArray);
        BrickPtr brick = level->bricksArray.back();
        brick->Clone(pack.bricks[static_cast<size_t>(i % 2)]);
        brick->isLive = 1;
        float x = 100.0f + 30.0f * static_cast<float>(i % 10);
        float y = 100.0f + 15.0f * static_cast<float>(i / 10);
        Place(brick->brickSprite, x, y);
        level->brickMinX = std::min(level->brickMinX, x);
        level->brickMinY = std::min(level->brickMinY, y);
        level->brickMaxX = std::max(level->brickMaxX, x + 30.0f);
        level->brickMaxY = std::max(level->brickMaxY, y + 15.0f);
    }
    level->mustClearBrickCount = shape.bricks;
    LinkBricks(level->bricksArray, {}, 1);
    level->CreateBrickBoxGrid();

    level->sourceProjectilesArray = AppendNewProjectile({});
    level->sourceProjectilesArray.back()->Clone(pack.projectiles[0]);
    for (int i = 0; i < shape.sourceNains; ++i) {
        level->sourceNainsArray = AppendNewNain(level->sourceNainsArray);
        level->sourceNainsArray.back()->Clone(pack.nains[static_cast<size_t>(i % 2)]);
    }
    if (!level->bricksArray.empty()) {
        level->nainsArray = AppendNewNain({});
        NainPtr nain = level->nainsArray.back();
        nain->Clone(pack.nains[0]);
        BrickPtr seat = level->bricksArray[0];
        nain->parentBrick = seat;
        seat->currentNain = nain;
        Place(nain->nainSprite, seat->brickSprite->x, seat->brickSprite->y - 20.0f);
        nain->StartProjectile(level->sourceProjectilesArray, "rock", level->projectilesArray);
    }

    level->sourcePowerupsArray = AppendNewPowerup({});
    level->sourcePowerupsArray.back()->Clone(pack.powerups[0]);
    level->powerupsArray = AppendNewPowerup({});
    level->powerupsArray.back()->Clone(level->sourcePowerupsArray[0]);
    level->powerupsArray.back()->Initialize(200, 300, 0, 1, 2);
    if (shape.shield) {
        level->brickShield = std::make_shared<BrickBox>();
        level->brickShield->Clone(level->sourcePowerupsArray[0]->brickShieldToUse);
        // Laid edge to edge, the shield bricks are each other's neighbours: a blast runs along
        // the row, and the pairs hold each other until someone unlinks them.
        LinkBricks(level->brickShield->bricksToCheck, {}, 1);
    }

    level->sourceWeaponsArray = AppendNewWeapon({});
    level->sourceWeaponsArray.back()->Clone(pack.weapons[0]);
    level->activeWeapon = std::make_shared<Weapon>();
    level->activeWeapon->Clone(level->sourceWeaponsArray[0]);

    for (const std::string& xml : {GoalXml("clear level", "level", "Forest"),
                                   GoalXml("lose ball", "kill paddle", "", "<time>900</time><repeats>2</repeats>")}) {
        level->goalsArray = AppendNewGoal(level->goalsArray);
        level->goalsArray.back()->LoadFromXML(xml);
    }
    level->difficultyArray = AppendNewDifficulty({});
    level->backgroundImage = BigImage::create(CreatePixmap(8, 8));
    return level;
}

class LevelCoreTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        InitSprites();
        g_debugLogQuiet = 1;
        // Progress notes are logged so that they can be counted; a missing name too.
        g_errorcode = {1, -14};
        g_errorseverity = {1, 1};
        g_errormessage = {"Note", "Not found"};
        UseTestClock(1000);
        SeedRnd(11);
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
        spritesBefore = g_debugSpritesInMemory;
        bricksBefore = g_debugBricksInMemory;
        pack.Load();
        spritesWithPack = g_debugSpritesInMemory;
        bricksWithPack = g_debugBricksInMemory;
        ClearDebugLog();
    }
    void TearDown() override {
        pack.Unlink();
        EXPECT_EQ(g_debugBricksInMemory, bricksBefore);
        g_MasterMixer = nullptr;
        GameTest::TearDown();
    }

    Pack pack;
    int spritesBefore = 0;
    int bricksBefore = 0;
    // What the pack's templates alone hold: a released level leaves exactly this.
    int spritesWithPack = 0;
    int bricksWithPack = 0;
};

}  // namespace levelcore
