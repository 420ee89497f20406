// The game's own pack, "classic": it loads through the real pack loader without a fault,
// every file it names is there and decodes, every sprite has the animations its pieces jump
// to, every level loads cleanly and chains to the next, and a player steering the paddle
// clears every level at the "Normal" difficulty.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "core/io.h"
#include "level/autoplayer.h"
#include "level/goal.h"
#include "level/level.h"
#include "media/images.h"
#include "media/sounds.h"
#include "pack_support.h"
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
#include "platform/input.h"
#include "sprites/animation.h"
#include "sprites/particle.h"
#include "sprites/random.h"
#include "support/support.h"

namespace {

constexpr int kMaxSteps = 30000;
using namespace autoplayer;
constexpr int kSeed = 2027;

std::string PackFolder() { return FixturePath("../../resources/data/packs/classic/"); }

// Notes stay out of the log, so any line in it is a fault; faults raise and are logged by
// the handler that catches them.
class DefaultPack : public packtest::PackTest {
protected:
    void SetUp() override {
        PackTest::SetUp();
        g_errorseverity = {0, 3, 3};
        SeedRnd(kSeed);
        pack_ = LoadPack(PackFolder());
        loadLog_ = g_DebugLog;
        ClearDebugLog();
    }
    void TearDown() override {
        if (pack_) pack_->Unlink();
        pack_ = nullptr;
        PackTest::TearDown();
    }

    std::shared_ptr<Level> ReadLevel(const LevelPtr& header, const GameStatPtr& stat) {
        auto level = std::make_shared<Level>();
        level->nameOfFile = header->nameOfFile;
        level->gameOver = -1.0f;
        const Pack& p = *pack_;
        level->LoadFromFile(p.Sources(), p.path, stat);
        return level;
    }

    // The game's level change: the level read, its balls and bricks live, the ball pool
    // padded, the grid built again and the first ball on the paddle.
    std::shared_ptr<Level> StartLevel(const LevelPtr& header, const GameStatPtr& stat) {
        auto level = ReadLevel(header, stat);
        for (const BallPtr& ball : level->ballsArray) ball->isLive = 1;
        for (const BrickPtr& brick : level->bricksArray) brick->isLive = 1;
        while (static_cast<int>(level->ballsArray.size()) < g_maxBalls) {
            level->ballsArray = AppendNewBall(level->ballsArray);
        }
        level->CreateBrickBoxGrid();
        level->StartNewBall(pack_->soundsArray);
        return level;
    }

    SpritePtr Template(const std::string& name) {
        for (const SpritePtr& s : pack_->spritesArray) {
            if (s->name == name) return s;
        }
        return nullptr;
    }

    // Every level file's text, in play order.
    std::vector<std::string> LevelTexts() {
        std::vector<std::string> texts;
        for (const LevelPtr& header : pack_->levelsArray) texts.push_back(ReadFileToString(header->nameOfFile, 1));
        return texts;
    }

    PackPtr pack_;
    std::string loadLog_;
};

bool HasAnimation(const Sprite& sprite, const std::string& name) {
    for (const AnimationPtr& a : sprite.animationArray) {
        if (a->name == name) return true;
    }
    return false;
}

bool EndsItself(const AnimationStep& step) {
    return step.onFinish == "kill" || step.onFinish == "release" || step.onFinish == "end";
}

// A step that starts over by itself: no finishing action and no other step to go on with.
bool Loops(const AnimationStep& step, const Animation& animation) {
    if (EndsItself(step)) return false;
    if (!step.nextFrame || step.nextFrame->action.empty()) return true;
    for (const std::string& next : step.nextFrame->action) {
        if (next == step.name) return true;
        bool known = false;
        for (const AnimationStepPtr& other : animation.StepsArray) known = known || other->name == next;
        if (!known && next != "_end") return true;  // an unknown name restarts the step
    }
    return false;
}

// Whether every way through the animation from its first step ends in "kill".
bool AlwaysKilled(const Animation& animation) {
    std::set<std::string> seen;
    std::function<bool(const AnimationStep&)> walk = [&](const AnimationStep& step) -> bool {
        if (step.onFinish == "kill" || step.onStart == "kill") return true;
        if (EndsItself(step) || Loops(step, animation) || !seen.insert(step.name).second) return false;
        for (const std::string& next : step.nextFrame->action) {
            for (const AnimationStepPtr& other : animation.StepsArray) {
                if (other->name == next && !walk(*other)) return false;
            }
        }
        return true;
    };
    return !animation.StepsArray.empty() && walk(*animation.StepsArray[0]);
}

TEST_F(DefaultPack, LoadsThroughThePackLoaderWithoutAFault) {
    EXPECT_EQ(loadLog_, "");
    EXPECT_EQ(pack_->name, "Classic");
    EXPECT_EQ(pack_->saveName, "classic");
    EXPECT_GT(pack_->startingLives, 0);
    std::vector<std::string> difficulties;
    for (const DifficultyPtr& d : pack_->packDifficultyArray) difficulties.push_back(d->name);
    EXPECT_EQ(difficulties, (std::vector<std::string>{"Easy", "Normal", "Hard", "Insane"}));
    EXPECT_GE(pack_->levelsArray.size(), 12u);
    EXPECT_FALSE(pack_->spritesArray.empty());
    EXPECT_FALSE(pack_->particleSourceArray.empty());
    // The loading picture is a file of the pack.
    EXPECT_NE(LoadImage(pack_->path + pack_->backgroundImage, 2), nullptr) << pack_->backgroundImage;
}

TEST_F(DefaultPack, EveryImageAndSoundItNamesIsThereAndDecodes) {
    ASSERT_FALSE(pack_->imagesArray.empty());
    for (const ImagePtr& image : pack_->imagesArray) {
        EXPECT_TRUE(std::filesystem::is_regular_file(image->fileName)) << image->fileName;
        EXPECT_NE(image->imageData, nullptr) << image->name;
        EXPECT_GT(image->alpha, 0.0f) << image->name << " would draw invisibly";
    }
    ASSERT_FALSE(pack_->soundsArray.empty());
    for (const SoundPtr& sound : pack_->soundsArray) {
        EXPECT_TRUE(std::filesystem::is_regular_file(sound->fileName)) << sound->fileName;
        auto fresh = std::make_shared<Sound>();
        fresh->LoadFromFile(sound->fileName, sound->name);
        EXPECT_NE(fresh->soundData, nullptr) << sound->name;
    }
    EXPECT_EQ(g_DebugLog, "");
}

// Which piece's sprite needs which animations: the names the pieces jump to, and the looks
// the pack's own powerups ask for.
TEST_F(DefaultPack, EverySpriteHasTheAnimationsItsPieceJumpsTo) {
    std::map<std::string, std::set<std::string>> needs;  // sprite name -> animation names
    auto need = [&](const std::string& sprite, std::initializer_list<std::string> names) {
        for (const std::string& n : names) needs[sprite].insert(n);
    };
    const std::initializer_list<std::string> ball = {"Standard", "Fireball", "Iceball", "Shockball",
                                                     "_explode", "_ice_hit", "kill"};
    const std::initializer_list<std::string> shot = {"Standard", "kill"};
    const std::initializer_list<std::string> brick = {"kill", "Struck", "sound_struck", "sound_freeze"};
    const std::initializer_list<std::string> paddle = {"sound_hit", "sound_release", "_die"};
    const std::initializer_list<std::string> nain = {"at rest",
                                                     "Start projectile",
                                                     "Launch projectile",
                                                     "Projectile follow-through",
                                                     "falling",
                                                     "burst",
                                                     "sound_stop",
                                                     "sound_babble",
                                                     "sound_bounce",
                                                     "sound_hit",
                                                     "sound_ice_hit",
                                                     "_burn",
                                                     "zapped",
                                                     "sound_shock_hit",
                                                     "_bullseye",
                                                     "knock hat",
                                                     "_kill paddle"};
    const std::initializer_list<std::string> projectile = {"falling", "burst"};
    const std::initializer_list<std::string> powerup = {"create", "award"};
    const std::initializer_list<std::string> weapon = {"_fire"};

    std::set<std::string> shotNames;
    for (const WeaponPtr& w : pack_->weaponsArray) {
        need(w->weaponSpriteName, weapon);
        shotNames.insert(w->shotsGeneratedName);
    }
    for (const BallPtr& b : pack_->ballsArray) need(b->ballSpriteName, shotNames.count(b->ballName) ? shot : ball);
    for (const BrickPtr& b : pack_->bricksArray) need(b->spriteName, brick);
    for (const ProjectilePtr& p : pack_->projectilesArray) need(p->spriteName, projectile);
    std::set<std::string> paddles, nains, levelBalls;
    for (const std::string& text : LevelTexts()) {
        paddles.insert(GetDataFromXML(ExtractTagFromXML(text, "paddle", 0), "spriteName"));
        for (const std::string& e : ExtractListFromXML(text, "nain")) nains.insert(GetDataFromXML(e, "spriteName"));
        for (const std::string& e : ExtractListFromXML(text, "ball"))
            levelBalls.insert(GetDataFromXML(e, "spriteName"));
    }
    for (const std::string& s : paddles) need(s, paddle);
    for (const std::string& s : nains) need(s, nain);
    for (const std::string& s : levelBalls) need(s, ball);
    for (const PowerupPtr& p : pack_->powerupsArray) {
        need(p->spriteName, powerup);
        for (const std::string& s : paddles) {
            if (!p->paddleJumpToAnimation.empty()) needs[s].insert(p->paddleJumpToAnimation);
        }
        for (const std::string& s : nains) {
            if (!p->nainDistractAnimation.empty()) needs[s].insert(p->nainDistractAnimation);
        }
        for (const BallPtr& b : pack_->ballsArray) {
            if (!p->ballJumpToAnimation.empty() && !shotNames.count(b->ballName))
                needs[b->ballSpriteName].insert(p->ballJumpToAnimation);
        }
    }
    ASSERT_FALSE(nains.empty());

    for (const auto& [spriteName, names] : needs) {
        SpritePtr s = Template(spriteName);
        ASSERT_NE(s, nullptr) << spriteName;
        for (const std::string& n : names) EXPECT_TRUE(HasAnimation(*s, n)) << spriteName << " lacks \"" << n << "\"";
    }
    // A nain throws from the hand its element names.
    for (const std::string& text : LevelTexts()) {
        for (const std::string& e : ExtractListFromXML(text, "nain")) {
            SpritePtr s = Template(GetDataFromXML(e, "spriteName"));
            ASSERT_NE(s, nullptr);
            EXPECT_NE(s->TraverseForNamedSprite(GetDataFromXML(e, "projectileHardpointName")), nullptr);
        }
    }
}

TEST_F(DefaultPack, StepsNameWhatThePackHasAndOnlyOneShotStepsPlaySounds) {
    std::set<std::string> particleSprites;
    for (const ParticleSourcePtr& source : pack_->particleSourceArray) particleSprites.insert(source->spriteName);
    for (const SpritePtr& sprite : pack_->spritesArray) {
        ASSERT_FALSE(sprite->name.empty());
        ASSERT_FALSE(sprite->animationArray.empty()) << sprite->name;
        for (const AnimationPtr& animation : sprite->animationArray) {
            ASSERT_FALSE(animation->StepsArray.empty()) << sprite->name << "/" << animation->name;
            for (const AnimationStepPtr& step : animation->StepsArray) {
                const std::string where = sprite->name + "/" + animation->name + "/" + step->name;
                if (!step->imageName.empty()) {
                    EXPECT_NE(step->sourceImage, nullptr) << where;
                }
                const std::vector<std::string> sounds =
                    step->soundToPlay ? step->soundToPlay->action : std::vector<std::string>{};
                ASSERT_EQ(step->soundsArray.size(), sounds.size()) << where;
                for (size_t i = 0; i < sounds.size(); ++i) {
                    EXPECT_NE(step->soundsArray[i], nullptr) << where << " names the missing sound " << sounds[i];
                }
                if (Loops(*step, *animation)) {
                    EXPECT_TRUE(sounds.empty()) << where << " loops with a sound";
                }
                if (!step->particleSourceName.empty()) {
                    EXPECT_NE(step->particleSourceLink, nullptr) << where;
                }
            }
            if (particleSprites.count(sprite->name)) {
                EXPECT_TRUE(AlwaysKilled(*animation)) << sprite->name << "/" << animation->name << " never ends";
            }
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(DefaultPack, EveryLevelLoadsCleanlyAndLeadsToTheNext) {
    const auto& levels = pack_->levelsArray;
    std::set<std::string> lockedKinds;
    for (const BrickPtr& b : pack_->bricksArray) {
        if (!b->keyBrickName.empty()) lockedKinds.insert(b->keyBrickName);
    }
    for (size_t i = 0; i < levels.size(); ++i) {
        SCOPED_TRACE(levels[i]->name);
        ClearDebugLog();
        auto stat = std::make_shared<GameStat>();
        auto level = ReadLevel(levels[i], stat);
        EXPECT_EQ(g_DebugLog, "");
        EXPECT_EQ(level->name, levels[i]->name);
        EXPECT_LE(level->name.size(), 14u) << "too long for the side panel";
        EXPECT_NE(level->backgroundImage, nullptr);
        SoundPtr music = GetSoundByName(level->music, pack_->soundsArray);
        ASSERT_NE(music, nullptr) << level->music;
        EXPECT_EQ(music->isMusic, 1);
        EXPECT_GT(level->mustClearBrickCount, 0);
        ASSERT_FALSE(level->newBallsSourceArray.empty());
        EXPECT_NE(level->newBallsSourceArray[0]->isStuck, kBallNotStuck) << "the first ball waits on the paddle";
        for (const BrickPtr& b : level->bricksArray) {
            // A must-clear brick that goes with its key would never be counted off.
            if (lockedKinds.count(b->name)) {
                EXPECT_EQ(b->mustClear, 0) << b->name;
            }
        }

        std::vector<GoalPtr> clears;
        for (const GoalPtr& g : level->goalsArray) {
            if (g->goalType == "clear level") clears.push_back(g);
        }
        ASSERT_FALSE(clears.empty());
        if (i + 1 < levels.size()) {
            ASSERT_EQ(clears.size(), 1u);
            EXPECT_EQ(clears[0]->successType, "level");
            EXPECT_EQ(clears[0]->successAction, levels[i + 1]->name);
        } else {
            // The last level ends the game: the game-over countdown, with a fade that stops
            // the goals from starting it again.
            std::set<std::string> types;
            for (const GoalPtr& g : clears) types.insert(g->successType);
            EXPECT_EQ(types, (std::set<std::string>{"game over", "fade out"}));
        }
        level->Unlink();
    }
}

// Powerup and projectile names in tables are looked up only when something falls or is
// thrown, in the middle of play: every name must be one the pack has, at every difficulty.
TEST_F(DefaultPack, EveryTableNamesAPieceOfThePack) {
    std::set<std::string> powerups = {"none"}, projectiles;
    for (const PowerupPtr& p : pack_->powerupsArray) powerups.insert(p->name);
    for (const ProjectilePtr& p : pack_->projectilesArray) projectiles.insert(p->name);
    auto check = [&](const RandomPtr& table, const std::set<std::string>& known, const std::string& where) {
        if (!table) return;
        for (const std::string& name : table->action) EXPECT_TRUE(known.count(name)) << where << ": " << name;
    };
    for (const BrickPtr& b : pack_->bricksArray) check(b->powerupGenerated, powerups, "brick " + b->name);
    for (const PowerupPtr& p : pack_->powerupsArray) {
        if (!p->awardWeaponName.empty()) {
            EXPECT_NE(GetWeaponByName(p->awardWeaponName, pack_->weaponsArray), nullptr);
        }
        if (!p->overrideMusicSong.empty()) {
            SoundPtr song = GetSoundByName(p->overrideMusicSong, pack_->soundsArray);
            ASSERT_NE(song, nullptr) << p->name;
            EXPECT_EQ(song->isMusic, 1) << p->name;
        }
    }
    for (const DifficultyPtr& d : pack_->packDifficultyArray) {
        check(d->extraBrickPowerups, powerups, "difficulty " + d->name);
        check(d->extraNainPowerups, powerups, "difficulty " + d->name);
        for (const LevelPtr& header : pack_->levelsArray) {
            ClearDebugLog();
            auto stat = std::make_shared<GameStat>();
            stat->difficulty = d->name;
            auto level = ReadLevel(header, stat);
            EXPECT_EQ(g_DebugLog, "") << header->name << " at " << d->name;
            for (const BrickPtr& b : level->bricksArray) check(b->powerupGenerated, powerups, header->name);
            for (const NainPtr& n : level->sourceNainsArray) {
                check(n->powerupGenerated, powerups, header->name);
                check(n->projectileToThrow, projectiles, header->name);
                EXPECT_GT(n->powerupCount, 0) << header->name << ": a nain that cannot burst";
            }
            level->Unlink();
        }
    }
}

// Each powerup caught in a running level does its work without a fault and plays its
// "award"; the gun that one of them gives then fires.
TEST_F(DefaultPack, EveryPowerupAwardsCleanlyAndTheGunFires) {
    auto stat = std::make_shared<GameStat>();
    auto level = StartLevel(pack_->levelsArray.back(), stat);
    int lives = 3;
    ClearDebugLog();
    for (const PowerupPtr& source : level->sourcePowerupsArray) {
        SCOPED_TRACE(source->name);
        auto powerup = std::make_shared<Powerup>();
        powerup->Clone(source);
        powerup->Initialize(300.0f, 600.0f, 0.0f, 1.0f, 1.0f);
        level->AddNainToBrick(0);
        powerup->AwardPowerup({.paddle = level->playerPaddle,
                               .balls = level->ballsArray,
                               .weapons = level->sourceWeaponsArray,
                               .activeWeapon = level->activeWeapon,
                               .nains = level->nainsArray,
                               .stat = stat,
                               .shield = level->brickShield,
                               .lives = lives,
                               .mustClearBrickCount = level->mustClearBrickCount,
                               .sounds = pack_->soundsArray});
        EXPECT_EQ(powerup->isLive, 1) << "no \"award\" to play";
        EXPECT_EQ(powerup->powerupSprite->GetCurrentAnimationName(), "award");
        if (source->finishLevel != 0) level->mustClearBrickCount = 1;  // keep the level going
        if (!source->CreateShieldFromBrick.empty()) {
            EXPECT_FALSE(level->brickShield->bricksToCheck.empty());
        }
        powerup->Unlink();
        EXPECT_EQ(g_DebugLog, "");
    }
    ASSERT_NE(level->activeWeapon, nullptr);
    for (int step = 0; step < 60; ++step) {
        level->activeWeapon->triggerDown = 1;
        level->Update(stat, pack_->soundsArray, lives, 0);
    }
    int shots = 0;
    for (const BallPtr& ball : level->ballsArray) shots += ball->isWeaponBlast;
    EXPECT_GT(shots, 0);
    EXPECT_EQ(g_DebugLog, "");
    level->Unlink();
}

TEST_F(DefaultPack, APlayerClearsEveryLevelAtNormal) {
    ASSERT_FALSE(pack_->levelsArray.empty());
    std::string table;
    const auto& levels = pack_->levelsArray;
    for (size_t i = 0; i < levels.size(); ++i) {
        const LevelPtr& header = levels[i];
        SCOPED_TRACE(header->name);
        ResetInput();
        SeedRnd(kSeed);
        g_MouseXPrev = static_cast<int>(g_ScreenCenterX);
        g_MouseYPrev = static_cast<int>(g_ScreenCenterY);
        g_MouseXSpeed = 0.0f;
        g_gameSpeedFactor = 1.0f;
        ClearDebugLog();

        const auto started = std::chrono::steady_clock::now();
        auto stat = std::make_shared<GameStat>();
        stat->difficulty = "Normal";
        auto level = StartLevel(header, stat);
        int lives = pack_->startingLives;
        int steps = -1;  // update steps until a "clear level" goal ended the level
        for (int step = 1; step <= kMaxSteps; ++step) {
            g_gameSpeedFactor = 1.0f;
            level->playerPaddle->Update(0.0f);
            MoveMouseToward(*level, PaddleTarget(*level));
            level->Update(stat, pack_->soundsArray, lives, 0);
            // The screen moves the particles on every drawn frame, one for four updates.
            if (step % 4 == 0) pack_->packParticleSprites->Update();
            for (const BallPtr& ball : level->ballsArray) {
                if (ball->isStuck == kBallNotStuck) continue;
                ball->isStuck = kBallNotStuck;
                ball->CalculatePaddleRebound(level->playerPaddle);
            }
            if (level->levelEndTTL != -1.0f) {
                steps = step;
                break;
            }
            if (level->gameOver != -1.0f) break;
        }
        EXPECT_GT(steps, 0) << "not cleared within " << kMaxSteps << " steps, " << lives << " lives left";
        EXPECT_EQ(level->mustClearBrickCount, 0);
        EXPECT_EQ(g_DebugLog, "");
        EXPECT_GT(stat->score, 0);
        if (i + 1 < levels.size()) {
            EXPECT_EQ(level->nextLevel, levels[i + 1]->name);
        } else {
            EXPECT_EQ(level->nextLevel, "");
            EXPECT_NE(level->gameOver, -1.0f) << "the last level ends the game";
        }
        int particles = 0;
        for (const SpritePtr& p : pack_->packParticleSprites->spriteArray) particles += p ? 1 : 0;
        EXPECT_GT(particles, 0) << "the trails and bursts made no particles";
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        char line[160];
        std::snprintf(line, sizeof line, "%-14s steps %6d  score %7lld  lives left %d  (%lld ms)\n",
                      header->name.c_str(), steps, static_cast<long long>(stat->score), lives,
                      static_cast<long long>(ms.count()));
        table += line;
        RecordProperty(header->name, std::string(line));
        level->Unlink();
    }
    std::printf("%s", table.c_str());
}

}  // namespace
