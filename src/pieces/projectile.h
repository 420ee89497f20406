// What a nain throws at the paddle: its "projectile" element, the aimed or dropped throw,
// its fall under gravity and the points it costs when it strikes the paddle.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pieces/fwd.h"
#include "text/xmlfields.h"

class Projectile {
public:
    std::string name;
    std::string spriteName;
    SpritePtr projectileSprite;  // owned alone; Clone makes a fresh one
    NainWeak parentNain;         // the thrower; the nain owns the projectile in hand, not the other way
    std::string status;          // "" held, "falling" thrown or dropped, "burst" destroyed
    int isLive = 0;
    float throwMaxVert = 0.0f;
    float throwMinVert = 1.0f;
    float throwMaxVel = 1.0f;
    float throwMinVel = 1.0f;
    int throwXCoefficient = 300;  // 0 leaves the aim out of the throw
    float throwXError = 0.1f;
    float throwRot = 2.0f;
    float stun = 1.0f;
    int pointValue = 0;

    int Unlink();
    int LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites, int unused);
    int Update();
    int Draw();
    int Clone(const std::shared_ptr<Projectile>& source);
    // 1 when a thrown projectile strikes a live paddle: the points are taken and shown.
    int PaddleCollision(const PaddlePtr& paddle, const GameStatPtr& stats);
    int MakeProjectileFall(float speed);
    // With a target the projectile's own aim is used; without one the three values spread it.
    int ThrowProjectile(const SpritePtr& target, float xSpread, float rise, float speed);
    int DestroyProjectile();
};

// Every field a "projectile" element sets, with its tag: LoadFromXML reads them and Clone copies them.
inline constexpr XmlFields kProjectileFields{
    XmlField{"name", &Projectile::name},
    XmlField{"spriteName", &Projectile::spriteName},
    XmlField{"throwMaxVert", &Projectile::throwMaxVert},
    XmlField{"throwMinVert", &Projectile::throwMinVert},
    XmlField{"throwMaxVel", &Projectile::throwMaxVel},
    XmlField{"throwMinVel", &Projectile::throwMinVel},
    XmlField{"throwXCoefficient", &Projectile::throwXCoefficient},
    XmlField{"throwXError", &Projectile::throwXError},
    XmlField{"stun", &Projectile::stun},
    XmlField{"throwRot", &Projectile::throwRot},
    XmlField{"points", &Projectile::pointValue},
};

// A copy of the array with a new projectile at the end.
std::vector<ProjectilePtr> AppendNewProjectile(const std::vector<ProjectilePtr>& list);
// The first projectile of that name (exact case); a miss is reported under code -14 and yields null.
ProjectilePtr GetProjectileByName(const std::string& name, const std::vector<ProjectilePtr>& list);
