// The gnomes that sit on bricks: they throw projectiles at the paddle, fall when their brick
// goes, bounce off the paddle for doubling points and burst into powerups.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pieces/fwd.h"
#include "text/xmlfields.h"

// Always held by a NainPtr (make_shared): the nain hands itself to the projectiles it holds.
class Nain : public std::enable_shared_from_this<Nain> {
public:
    std::string name;
    std::string spriteName;
    std::string status;  // "falling" once off its brick; anything else means seated
    int aggression = 0;  // a throw starts when Rand(aggression, 1) is 1: larger is rarer
    int frequency = 0;   // spawn chance 1 in (frequency + 1), read by the level
    SpritePtr nainSprite;
    BrickPtr parentBrick;  // the brick's currentNain points back; Unlink breaks the pair
    int isLive = 1;
    RandomPtr powerupGenerated;  // shared with clones
    std::string powerupToGenerate;
    int maxBounces = -1;
    int currentBounces = 0;
    int rootPointValue = 25;
    int currentPointValue = 0;  // doubles per scoring bounce, held at the int limit
    int powerupCount = 1;
    float distracted = -1.0f;
    float bounceToBurst = 9999999.0f;
    int deflectsBall = 0;
    RandomPtr projectileToThrow;  // shared with clones
    ProjectilePtr currentProjectile;
    std::string projectileHardpointName;
    SpritePtr projectileHardpoint;  // a sprite of this nain's own tree
    int timesBurned = 0;
    int slatedForDeath = 0;

    std::string WriteToXML();
    int Unlink();
    int LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites, int unused);
    int Clone(const std::shared_ptr<Nain>& source);
    // -2 nothing to throw, -1 a projectile already in hand, 0 one taken in hand.
    int StartProjectile(const std::vector<ProjectilePtr>& sourceProjectiles, const std::string& projectileName,
                        std::vector<ProjectilePtr>& projectiles);
    int AssignTargets(const SpritePtr& sprite, SpritePtr& ballTarget, SpritePtr& paddleTarget);
    int Update(const std::vector<ProjectilePtr>& sourceProjectiles, std::vector<ProjectilePtr>& projectiles,
               SpritePtr& ballTarget, SpritePtr& paddleTarget);
    int Draw();
    int BrickCollision(const BrickPtr& brick);
    int Bounce(const PaddlePtr& paddle, const GameStatPtr& stats);
    int PaddleCollision(const PaddlePtr& paddle);
    int FreezeNain();
    int BurnNain();
    int ZapNain();
    int Bullseye();
    int HitBySomething(float ddx, float ddy, float dvel, int knock);
    int BumpFromBrick(float maxFallSpeed);
    int MakeNainFall(float maxFallSpeed);

private:
    int FallKick(float maxFallSpeed);
    int LeaveBrick();
};

// Every field a "nain" element sets, with its tag (the points start at their root value): LoadFromXML
// reads them and Clone copies them.
inline constexpr XmlFields kNainFields{
    XmlField{"name", &Nain::name},
    XmlField{"spriteName", &Nain::spriteName},
    XmlField{"status", &Nain::status},
    XmlField{"aggression", &Nain::aggression},
    XmlField{"frequency", &Nain::frequency},
    XmlField{"maxBounces", &Nain::maxBounces},
    XmlField{"powerupCount", &Nain::powerupCount},
    XmlField{"rootPointValue", &Nain::rootPointValue},
    XmlField{"rootPointValue", &Nain::currentPointValue},
    XmlField{"projectileHardpointName", &Nain::projectileHardpointName},
    XmlField{"deflectsBall", &Nain::deflectsBall},
};

// A copy of the array with a new nain at the end.
std::vector<NainPtr> AppendNewNain(const std::vector<NainPtr>& nains);
