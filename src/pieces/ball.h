// The ball the player keeps in play: its "ball" element, motion inside the field, the paddle's
// rebound angle, sticking and launch, and what its strikes do to nains, projectiles and bricks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pieces/fwd.h"
#include "text/xmlfields.h"

// isStuck of a ball that rides no paddle.
constexpr int kBallNotStuck = -999999;

class Ball {
public:
    std::string ballName;
    std::string ballSpriteName;
    SpritePtr ballSprite;  // owned alone; Clone makes a fresh one
    int isLive = 0;
    int isFireball = 0;  // also the size of its explosion
    int isIceball = 0;
    int isShockball = 0;
    int isBrickplow = 0;
    int isStuck = kBallNotStuck;  // offset from the paddle's x while riding it
    int isSmart = 0;              // smart charges left
    BrickPtr smartTarget;         // last brick struck, consumed by SmartBallDamage
    int hitsRemaining = -1;
    float ttl = -1.0f;
    int isWeaponBlast = 0;
    float isExploding = 0.0f;  // margin of the next collision pass after a fire strike
    int consecutiveRebounds = 0;

    // A new sprite placed at (-500, -500).
    Ball();
    ~Ball();
    Ball(const Ball&) = delete;
    Ball& operator=(const Ball&) = delete;

    std::string WriteToXML();
    int Unlink();
    int Clone(const std::shared_ptr<Ball>& source);
    int Die();
    int LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites, int keepSprite);
    int Update(const PaddlePtr& paddle);
    int PaddleCollision(const PaddlePtr& paddle);
    int CalculatePaddleRebound(const PaddlePtr& paddle);
    int NainCollision(const NainPtr& nain, float margin);
    int ProjectileCollision(const ProjectilePtr& projectile, float margin, const GameStatPtr& stats);
    // The brick's Damage result: 1 when this strike killed a must-clear brick.
    int BrickCollision(const BrickPtr& brick, float margin, const GameStatPtr& stats,
                       const std::vector<BrickPtr>& bricks);
    int HitTaken();
    // The sum of the Damage results of one smart charge.
    int SmartBallDamage(const std::vector<BrickPtr>& bricks, const GameStatPtr& stats);
    int Draw();
};

// The fields a "ball" element sets after its names, with their tags: LoadFromXML reads the kind
// before the body's place and scale and the life after them, and Clone copies both.
inline constexpr XmlFields kBallKindFields{
    XmlField{"isLive", &Ball::isLive},           XmlField{"isFireball", &Ball::isFireball},
    XmlField{"isIceball", &Ball::isIceball},     XmlField{"isShockball", &Ball::isShockball},
    XmlField{"isBrickplow", &Ball::isBrickplow}, XmlField{"isStuck", &Ball::isStuck},
    XmlField{"isSmart", &Ball::isSmart},
};
inline constexpr XmlFields kBallLifeFields{
    XmlField{"hitsRemaining", &Ball::hitsRemaining},
    XmlField{"ttl", &Ball::ttl},
};

// The first ball of that name (exact case); a miss is reported under code -14 and yields null.
BallPtr GetBallByName(const std::string& name, const std::vector<BallPtr>& balls);
// A copy of the array with a new ball at the end.
std::vector<BallPtr> AppendNewBall(const std::vector<BallPtr>& balls);
