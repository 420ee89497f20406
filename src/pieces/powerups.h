// The falling prize a nain or a brick releases: its "powerup" element, its fall, the catch by
// the paddle and every effect it has on the paddle, balls, weapon, nains, score, lives and shield.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pieces/fwd.h"
#include "text/xmlfields.h"

// Everything a caught powerup acts on, held by reference: the level's paddle, balls, nains,
// weapon templates and sounds, the game record, and what it changes in place (the active
// weapon, the shield, the lives and the count of bricks left to clear).
struct AwardTargets {
    const PaddlePtr& paddle;
    const std::vector<BallPtr>& balls;
    const std::vector<WeaponPtr>& weapons;
    WeaponPtr& activeWeapon;
    const std::vector<NainPtr>& nains;
    const GameStatPtr& stat;
    BrickBoxPtr& shield;
    int& lives;
    int& mustClearBrickCount;
    const std::vector<SoundPtr>& sounds;
};

class Powerup {
public:
    std::string name;
    std::string spriteName;
    SpritePtr powerupSprite;  // owned alone; Clone makes a fresh one
    int duration = -1;        // read and copied; nothing uses it
    int isLive = 0;
    int hasBeenAwarded = 0;
    float dBallSpeed = 0.0f;
    float dBallSize = 0.0f;  // read and copied; nothing uses it
    int dBallSplit = 0;
    int isBrickplow = -1;  // -1 leaves the balls' kind alone; 0 removes it
    int isIceball = -1;
    int isFireball = -1;
    int isShockBall = -1;
    int isSmartball = -1;
    std::string ballJumpToAnimation;
    float dPaddleXScale = 0.0f;
    float dPaddleElasticity = 0.0f;
    int isPaddleSticky = -1;
    std::string paddleJumpToAnimation;
    int isBrickZapper = 0;     // read and copied; nothing uses it
    int isBrickDetonator = 0;  // read and copied; nothing uses it
    int isBrickShaker = 0;
    std::string brickJumpToAnimation;  // read and copied; nothing uses it
    std::string CreateShieldFromBrick;
    int NumberOfBricksInShield = 0;
    float GlobalSpeedTarget = -1.0f;
    float GlobalSpeedRate = 10.0f;
    float GlobalSpeedDuration = -1.0f;
    float nainDistractTTL = -1.0f;
    std::string nainDistractAnimation;
    float dNainAggression = 1.0f;
    float dNainFrequency = 1.0f;  // read and copied; nothing uses it
    std::string awardWeaponName;
    float timeWarpFactor = 0.0f;  // read and copied; nothing uses it
    int addToScore = 0;
    int addToScoreMultiplier = 0;
    int setScoreMultiplierTo = -1;
    int addToLives = 0;
    int finishLevel = 0;
    std::string overrideMusicSong;
    float overrideMusicDuration = -1.0f;
    float dPaddlePositionModifier = 1.0f;
    BrickBoxPtr brickShieldToUse;  // owned: the prebuilt shield; the award hands the level a clone

    Powerup() = default;
    Powerup(const Powerup&) = delete;
    Powerup& operator=(const Powerup&) = delete;

    int Unlink();
    // keepSprite 0 also clones the sprite template and builds the shield from the brick templates.
    int LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites, const std::vector<BrickPtr>& bricks,
                    int keepSprite);
    int CreateBrickShield(const std::vector<BrickPtr>& bricks);
    // Once per powerup: a second catch changes nothing.
    int AwardPowerup(const AwardTargets& targets);
    int Clone(const PowerupPtr& source);
    int Initialize(float x, float y, float dx, float dy, float vel);
    int PaddleCollision(const PaddlePtr& paddle);
    int Update();
    int Draw();

private:
    // The phases of AwardPowerup, in the order it runs them.
    void AwardToPaddle(const PaddlePtr& paddle);
    void SplitBalls(const std::vector<BallPtr>& balls);
    void AwardToBalls(const std::vector<BallPtr>& balls);
    void DisturbNains(const std::vector<NainPtr>& nains);
    void OverrideMusic(const std::vector<SoundPtr>& sounds);
    void ScaleNainAggression(const std::vector<NainPtr>& nains);
    void AwardWeapon(const std::vector<WeaponPtr>& weapons, WeaponPtr& activeWeapon);
    void AwardToGame(const GameStatPtr& stat, int& lives, int& mustClearBrickCount);
    void AwardShield(BrickBoxPtr& shield);
};

// Every field a "powerup" element sets, with its tag, in the class's order: LoadFromXML reads them
// and Clone copies them. The content files spell the shield's tag "createSheildFromBrick".
inline constexpr XmlFields kPowerupFields{
    XmlField{"name", &Powerup::name},
    XmlField{"spriteName", &Powerup::spriteName},
    XmlField{"duration", &Powerup::duration},
    XmlField{"dBallSpeed", &Powerup::dBallSpeed},
    XmlField{"dBallSize", &Powerup::dBallSize},
    XmlField{"dBallSplit", &Powerup::dBallSplit},
    XmlField{"isBrickplow", &Powerup::isBrickplow},
    XmlField{"isIceball", &Powerup::isIceball},
    XmlField{"isFireball", &Powerup::isFireball},
    XmlField{"isShockball", &Powerup::isShockBall},
    XmlField{"isSmartball", &Powerup::isSmartball},
    XmlField{"ballJumpToAnimation", &Powerup::ballJumpToAnimation},
    XmlField{"dPaddleXScale", &Powerup::dPaddleXScale},
    XmlField{"dPaddleElasticity", &Powerup::dPaddleElasticity},
    XmlField{"isPaddleSticky", &Powerup::isPaddleSticky},
    XmlField{"paddleJumpToAnimation", &Powerup::paddleJumpToAnimation},
    XmlField{"isBrickZapper", &Powerup::isBrickZapper},
    XmlField{"isBrickDetonator", &Powerup::isBrickDetonator},
    XmlField{"isBrickShaker", &Powerup::isBrickShaker},
    XmlField{"brickJumpToAnimation", &Powerup::brickJumpToAnimation},
    XmlField{"createSheildFromBrick", &Powerup::CreateShieldFromBrick},
    XmlField{"numberOfBricksInShield", &Powerup::NumberOfBricksInShield},
    XmlField{"globalSpeedTarget", &Powerup::GlobalSpeedTarget},
    XmlField{"globalSpeedRate", &Powerup::GlobalSpeedRate},
    XmlField{"globalSpeedDuration", &Powerup::GlobalSpeedDuration},
    XmlField{"nainDistractTTL", &Powerup::nainDistractTTL},
    XmlField{"nainDistractAnimation", &Powerup::nainDistractAnimation},
    XmlField{"dNainAggression", &Powerup::dNainAggression},
    XmlField{"dNainFrequency", &Powerup::dNainFrequency},
    XmlField{"awardWeaponName", &Powerup::awardWeaponName},
    XmlField{"timeWarpFactor", &Powerup::timeWarpFactor},
    XmlField{"addToScore", &Powerup::addToScore},
    XmlField{"addToScoreMultiplier", &Powerup::addToScoreMultiplier},
    XmlField{"setScoreMultiplierTo", &Powerup::setScoreMultiplierTo},
    XmlField{"addToLives", &Powerup::addToLives},
    XmlField{"finishLevel", &Powerup::finishLevel},
    XmlField{"overrideMusicSong", &Powerup::overrideMusicSong},
    XmlField{"overrideMusicDuration", &Powerup::overrideMusicDuration},
    XmlField{"dPaddlePositionModifier", &Powerup::dPaddlePositionModifier},
};

// The first powerup of that name (exact case); a miss is reported under code -14 and yields null.
PowerupPtr GetPowerupByName(const std::string& name, const std::vector<PowerupPtr>& powerups);
// A copy of the array with a new powerup at the end.
std::vector<PowerupPtr> AppendNewPowerup(const std::vector<PowerupPtr>& powerups);
