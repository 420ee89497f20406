// A gun carried by the paddle: it charges with the game speed and, while the player holds
// fire, shoots clones of its shot ball from one muzzle or from two mirrored ones.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pieces/fwd.h"
#include "text/xmlfields.h"

class Weapon {
public:
    std::string weaponName;
    std::string weaponSpriteName;
    SpritePtr weaponSprite;
    int isSticky = 0;  // read and copied; the weapon itself never uses it
    int isLive = 1;    // read and copied; the weapon itself never uses it
    std::string shotsGeneratedName;
    BallPtr shotsGenerated;  // own clone of the ball template: the model of every shot
    float rateOfFire = 0.0f;
    float currentCharge = 0.0f;
    float maxMuzzleVelocity = 0.0f;  // read only; not copied by Clone
    float muzzleVelocity = 0.0f;
    float dMuzzleVelocity = 0.0f;
    std::string fireMode = "normal";
    int triggerDown = 0;  // set every pass by the main loop's fire input
    float xOffsetFactor = 0.0f;
    float yOffsetFactor = 0.0f;
    int isMirrored = 0;
    // 0: mirrored muzzles fire together; otherwise the turn passes 1 -> 2 -> 1 before each
    // firing, the left muzzle shooting on 1 and the right on 2.
    int isAlternating = 0;

    int Unlink();
    // keepSprite 0 clones the sprite template and the shot ball; anything else reads tags only.
    int LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites, const std::vector<BallPtr>& balls,
                    int keepSprite);
    int Clone(const WeaponPtr& source);
    int Fire(const std::vector<BallPtr>& balls, const PaddlePtr& paddle);
    int Update(const std::vector<BallPtr>& balls, const PaddlePtr& paddle);
    int Draw(const PaddlePtr& paddle);
};

// Every field a "weapon" element sets, with its tag, but maxMuzzleVelocity, which Clone leaves
// out: LoadFromXML reads them and Clone copies them.
inline constexpr XmlFields kWeaponFields{
    XmlField{"weaponName", &Weapon::weaponName},
    XmlField{"weaponSpriteName", &Weapon::weaponSpriteName},
    XmlField{"isSticky", &Weapon::isSticky},
    XmlField{"isLive", &Weapon::isLive},
    XmlField{"shotsGeneratedName", &Weapon::shotsGeneratedName},
    XmlField{"rateOfFire", &Weapon::rateOfFire},
    XmlField{"muzzleVelocity", &Weapon::muzzleVelocity},
    XmlField{"dMuzzleVelocity", &Weapon::dMuzzleVelocity},
    XmlField{"fireMode", &Weapon::fireMode},
    XmlField{"xOffsetFactor", &Weapon::xOffsetFactor},
    XmlField{"yOffsetFactor", &Weapon::yOffsetFactor},
    XmlField{"isMirrored", &Weapon::isMirrored},
    XmlField{"isAlternating", &Weapon::isAlternating},
};

// A copy of the array with a new weapon at the end.
std::vector<WeaponPtr> AppendNewWeapon(const std::vector<WeaponPtr>& weapons);
// The first weapon of that name (exact case), or null; a miss is not reported.
WeaponPtr GetWeaponByName(const std::string& name, const std::vector<WeaponPtr>& weapons);
