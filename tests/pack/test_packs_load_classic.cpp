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
#include "platform/runtime.h"
#include "sprites/animation.h"
#include "sprites/particle.h"
#include "sprites/random.h"
#include "support/support.h"

namespace {

constexpr int kMaxSteps = 30000;
using namespace autoplayer;
constexpr int kSeed = 2027;

std::string PackFolder() { return FixturePath("../../resources/data/packs/classic/"); }

// What the seeded player makes of a level: the steps to clear it, the score, the lives left,
// the particles still flying and the generator's next draw. The last two show the play
// unchanged beyond what the score can see: one particle more or less, or one random number
// drawn more or less anywhere in the level, moves them.
struct LevelRun {
    std::string name;
    int steps = -1;  // update steps until a "clear level" goal ended the level
    long long score = 0;
    int lives = 0;
    int particles = 0;
    int nextDraw = 0;

    std::string Line() const {
        char line[160];
        std::snprintf(line, sizeof line, "%-14s steps %6d  score %7lld  lives left %d  particles %3d  next draw %6d",
                      name.c_str(), steps, score, lives, particles, nextDraw);
        return line;
    }
};

// Recorded once and kept: any change to how the game plays shows here.
const LevelRun kClassicRuns[] = {
    {"First Light", 1550, 1396, 5, 56, 590466},  {"Rainbow", 579, 750, 3, 254, 927009},
    {"Rivets", 754, 2986, 3, 98, 871429},        {"Gnome Watch", 1623, 2052, 4, 78, 693706},
    {"Cold Snap", 2122, 1840, 3, 256, 505128},   {"Wildfire", 603, 1760, 3, 224, 975065},
    {"Lock and Key", 699, 1030, 3, 74, 449583},  {"Armoury", 2191, 5440, 5, 55, 561030},
    {"Safety Net", 1671, 2892, 7, 76, 322850},   {"Ember Keep", 2138, 1670, 3, 251, 820970},
    {"Frost Giants", 1217, 2788, 3, 69, 532080}, {"Gnome Fort", 4245, 15335, 5, 36, 130259},
    {"Grand Finale", 2554, 5018, 3, 67, 909037},
};

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

    // The seeded player through one level, stepped as the play loop steps it; the level is
    // left as the last step left it.
    LevelRun Autoplay(const LevelPtr& header, std::shared_ptr<Level>& level, const GameStatPtr& stat) {
        ResetInput();
        SeedRnd(kSeed);
        g_MouseXPrev = static_cast<int>(g_ScreenCenterX);
        g_MouseYPrev = static_cast<int>(g_ScreenCenterY);
        g_MouseXSpeed = 0.0f;
        g_gameSpeedFactor = 1.0f;
        ClearDebugLog();

        stat->difficulty = "Normal";
        level = StartLevel(header, stat);
        LevelRun run{.name = header->name};
        run.lives = pack_->startingLives;
        for (int step = 1; step <= kMaxSteps; ++step) {
            g_gameSpeedFactor = 1.0f;
            level->playerPaddle->Update(0.0f);
            MoveMouseToward(*level, PaddleTarget(*level));
            level->Update(stat, pack_->soundsArray, run.lives, 0);
            // The screen moves the particles on every drawn frame, one for four updates.
            if (step % 4 == 0) pack_->packParticleSprites->Update();
            for (const BallPtr& ball : level->ballsArray) {
                if (ball->isStuck == kBallNotStuck) continue;
                ball->isStuck = kBallNotStuck;
                ball->CalculatePaddleRebound(level->playerPaddle);
            }
            if (level->levelEndTTL != -1.0f) {
                run.steps = step;
                break;
            }
            if (level->gameOver != -1.0f) break;
        }
        run.score = static_cast<long long>(stat->score);
        for (const SpritePtr& p : pack_->packParticleSprites->spriteArray) run.particles += p ? 1 : 0;
        run.nextDraw = Rand(0, 999999);
        return run;
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
        powerup->AwardPowerup(level->AwardTargetsFor(stat, pack_->soundsArray, lives));
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

// In the last level the gold brick is walled in by locked bricks: aimed at, it sent the ball
// back from the locks for ever, so the scripted player goes for the key first.
TEST_F(DefaultPack, TheScriptedPlayerAimsAtAStandingKeyBeforeBricksItWallsIn) {
    LevelPtr finale;
    for (const LevelPtr& header : pack_->levelsArray) {
        if (header->name == "Grand Finale") finale = header;
    }
    ASSERT_TRUE(finale);
    auto level = StartLevel(finale, std::make_shared<GameStat>());
    std::vector<BrickPtr> keys;
    BrickPtr walledIn;
    for (const BrickPtr& brick : level->bricksArray) {
        if (brick->name == "key") keys.push_back(brick);
        if (brick->name == "gold") walledIn = brick;
        // Only the keys and what they wall in are left standing, as when the stall was seen.
        if (brick->mustClear == 1 && brick->name != "key" && brick->name != "gold") brick->isLive = 0;
    }
    ASSERT_EQ(keys.size(), 2u);
    ASSERT_TRUE(walledIn);
    ASSERT_GT(walledIn->brickSprite->y, keys[0]->brickSprite->y) << "the walled-in brick is the lower";
    const float impactX = walledIn->brickSprite->x;
    for (const BrickPtr& key : keys) {
        const Sprite* target = TargetBrick(*level, impactX);
        EXPECT_TRUE(target == keys[0]->brickSprite.get() || target == keys[1]->brickSprite.get());
        // The lock opens only when every key is gone.
        key->isLive = 0;
    }
    EXPECT_EQ(TargetBrick(*level, impactX), walledIn->brickSprite.get());
    level->Unlink();
}

// Between balls the scripted player catches what falls: a powerup that comes down before the
// ball, but not one that would land with the ball, unless another ball is in play to spare.
TEST_F(DefaultPack, TheScriptedPlayerCatchesAPowerupThatLandsBeforeTheBall) {
    auto level = StartLevel(pack_->levelsArray.front(), std::make_shared<GameStat>());
    const Sprite& paddle = *level->playerPaddle->paddleSprite;
    const float wp = paddle.widthBound * paddle.xScale;
    // A ball in flight, at x 500, and a second one not yet in play.
    const auto free = [&](size_t i, float y, float vel) {
        Ball& ball = *level->ballsArray[i];
        ball.isLive = 1;
        ball.isStuck = kBallNotStuck;
        Sprite& s = *ball.ballSprite;
        s.x = 500.0f;
        s.y = paddle.y - s.heightBound * s.yScale - y;
        s.dx = 0.0f;
        s.dy = 1.0f;
        s.vel = vel;
    };
    level->powerupsArray = AppendNewPowerup(level->powerupsArray);
    Powerup& powerup = *level->powerupsArray.back();
    powerup.Clone(GetPowerupByName("points", level->sourcePowerupsArray));
    Sprite& p = *powerup.powerupSprite;
    const float powerupCentre = 100.0f;
    const auto underThePowerup = [&] { return std::fabs(PaddleTarget(*level) + wp / 2.0f - powerupCentre) < 1.0f; };
    const auto drop = [&](float above) {
        powerup.Initialize(powerupCentre, 0.0f, 0.0f, 1.0f, 1.0f);
        p.y = paddle.y - p.heightBound * p.yScale - above;
        p.dx = 0.0f;
        p.dy = 1.0f;
        p.vel = 1.0f;
    };
    // The powerup lands within a few steps, the ball long after: the paddle goes for it.
    drop(6.0f);
    free(0, 400.0f, 4.0f);
    EXPECT_TRUE(underThePowerup());
    // The ball lands first: the paddle waits under it.
    free(0, 2.0f, 4.0f);
    EXPECT_FALSE(underThePowerup());
    const float x = PaddleTarget(*level);
    EXPECT_LT(x, 500.0f + 2.0f);
    EXPECT_GT(x + wp, 500.0f);
    // Both land together: with one ball it stays with the ball, with a ball to spare it catches.
    drop(3.0f);  // three steps, as the ball's
    free(0, 4.0f, 1.5f);
    EXPECT_FALSE(underThePowerup());
    free(1, 300.0f, 2.0f);
    EXPECT_TRUE(underThePowerup());
    level->Unlink();
}

// On a level with nains the rebound is sent at a brick a nain sits on, and a knocked-off nain is
// bounced on the paddle until it bursts; a ball over a standing shield brick is let past.
TEST_F(DefaultPack, TheScriptedPlayerAimsAtANainAndBouncesItAndLetsTheShieldReturnABall) {
    const LevelPtr header = GetLevelByName("Gnome Watch", pack_->levelsArray);
    ASSERT_NE(header, nullptr);
    auto stat = std::make_shared<GameStat>();
    auto level = StartLevel(header, stat);
    ASSERT_FALSE(level->sourceNainsArray.empty());
    for (int tries = 0; tries < 1000 && level->nainsArray.empty(); ++tries) level->AddNainToBrick(0);
    ASSERT_EQ(level->nainsArray.size(), 1u);
    const NainPtr nain = level->nainsArray[0];
    const Sprite* seat = nain->parentBrick->brickSprite.get();
    const Sprite* lowest = nullptr;
    for (const BrickPtr& b : level->bricksArray) {
        if (b->mustClear == 1 && (!lowest || b->brickSprite->y > lowest->y)) lowest = b->brickSprite.get();
    }
    ASSERT_LT(seat->y, lowest->y) << "a nain sits on a brick with nothing above it, not the lowest";
    EXPECT_EQ(TargetBrick(*level, seat->x), seat);

    // Knocked off, it falls; with the ball on the paddle, the paddle goes under it.
    nain->MakeNainFall(5.0f);
    EXPECT_EQ(TargetBrick(*level, seat->x), lowest);
    const Sprite& paddle = *level->playerPaddle->paddleSprite;
    const float wp = paddle.widthBound * paddle.xScale;
    Sprite& body = *nain->nainSprite;
    body.x = 150.0f;
    body.y = 500.0f;
    body.dx = 0.0f;
    body.dy = 1.0f;
    body.vel = 2.0f;
    const float centre = body.x + body.widthBound * body.xScale / 2.0f;
    EXPECT_NEAR(PaddleTarget(*level) + wp / 2.0f, centre, 1.0f);
    // Bounced as often as it scores, it bursts on its own: the paddle leaves it.
    nain->currentBounces = nain->maxBounces;
    EXPECT_GT(std::fabs(PaddleTarget(*level) + wp / 2.0f - centre), 1.0f);

    // A shield, and a ball coming down over it: the paddle keeps out of the ball's way.
    auto shield = std::make_shared<Powerup>();
    shield->Clone(GetPowerupByName("shield", level->sourcePowerupsArray));
    int lives = 3;
    shield->AwardPowerup(level->AwardTargetsFor(stat, pack_->soundsArray, lives));
    ASSERT_FALSE(level->brickShield->bricksToCheck.empty());
    Ball& ball = *level->ballsArray[0];
    ball.isStuck = kBallNotStuck;
    Sprite& b = *ball.ballSprite;
    const float wb = b.widthBound * b.xScale;
    b.x = 300.0f;
    b.y = 400.0f;
    b.dx = 0.0f;
    b.dy = 1.0f;
    b.vel = 3.0f;
    const auto clear = [&] {
        const float x = PaddleTarget(*level);
        return x > b.x + wb || x + wp < b.x;
    };
    EXPECT_TRUE(clear());
    // Over a gap in the shield it is returned as ever.
    for (const BrickPtr& brick : level->brickShield->bricksToCheck) {
        const Sprite& s = *brick->brickSprite;
        if (s.x <= b.x && b.x + wb <= s.x + s.widthBound * s.xScale) brick->isLive = 0;
    }
    EXPECT_FALSE(clear());
    shield->Unlink();
    level->Unlink();
}

TEST_F(DefaultPack, APlayerClearsEveryLevelAtNormal) {
    ASSERT_FALSE(pack_->levelsArray.empty());
    std::string table;
    const auto& levels = pack_->levelsArray;
    ASSERT_EQ(levels.size(), std::size(kClassicRuns));
    for (size_t i = 0; i < levels.size(); ++i) {
        const LevelPtr& header = levels[i];
        SCOPED_TRACE(header->name);
        const auto started = std::chrono::steady_clock::now();
        auto stat = std::make_shared<GameStat>();
        std::shared_ptr<Level> level;
        const LevelRun run = Autoplay(header, level, stat);
        EXPECT_GT(run.steps, 0) << "not cleared within " << kMaxSteps << " steps, " << run.lives << " lives left";
        EXPECT_EQ(level->mustClearBrickCount, 0);
        EXPECT_EQ(g_DebugLog, "");
        EXPECT_GT(stat->score, 0);
        if (i + 1 < levels.size()) {
            EXPECT_EQ(level->nextLevel, levels[i + 1]->name);
        } else {
            EXPECT_EQ(level->nextLevel, "");
            EXPECT_NE(level->gameOver, -1.0f) << "the last level ends the game";
        }
        EXPECT_GT(run.particles, 0) << "the trails and bursts made no particles";
        EXPECT_EQ(run.Line(), kClassicRuns[i].Line());
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        const std::string line = run.Line() + "  (" + std::to_string(ms.count()) + " ms)\n";
        table += line;
        RecordProperty(header->name, line);
        level->Unlink();
    }
    std::printf("%s", table.c_str());
}

// A small pool is full most of the time, so nearly every particle born replaces one chosen
// at random: the level plays as recorded, and the pool never grows.
TEST_F(DefaultPack, AFullParticlePoolReplacesRandomParticles) {
    const LevelPtr header = GetLevelByName("Wildfire", pack_->levelsArray);
    ASSERT_NE(header, nullptr);
    pack_->packParticleSprites->Initialize(24);
    auto stat = std::make_shared<GameStat>();
    std::shared_ptr<Level> level;
    const LevelRun run = Autoplay(header, level, stat);
    EXPECT_EQ(g_DebugLog, "");
    EXPECT_EQ(pack_->packParticleSprites->spriteArray.size(), 24u);
    EXPECT_EQ(run.Line(), (LevelRun{"Wildfire", 832, 1260, 3, 24, 670788}).Line());
    level->Unlink();
}

}  // namespace
