// Bricks: the pack's brick templates and the live bricks of a level, with their damage model
// (hits, freezing, burning, explosions, next forms, key bricks, points and powerups).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <unordered_set>
#include <vector>

#include "pieces/fwd.h"
#include "text/xmlfields.h"

// One hit on a brick, by kind: each kind's strength is multiplied by the brick's own damage
// factor for that kind. A plow of exactly 1 breaks the brick whatever its strength.
struct BrickHit {
    int physical = 0;
    int fire = 0;
    int ice = 0;
    int electric = 0;
    int plow = 0;
};

// Bricks alive in memory: construction adds one, destruction takes one away.
extern int g_debugBricksInMemory;
// Pairs of bricks LinkBricks has put to the neighbour test since start-up; the tests hold it
// near the number of neighbours found.
extern uint64_t g_linkBricksPairTests;

// One type for both roles: a template read from the pack's "bricks.xml" and a live brick of a
// level cloned from it. Always held by a BrickPtr.
class Brick {
public:
    // First and together: what every step reads of every brick, standing or struck.
    // A template shares the pack's sprite; a level brick owns its own copy.
    SpritePtr brickSprite;
    NainPtr currentNain;
    int isLive = 0;
    int isSolid = 0;
    float ttl = -1.0f;
    float ttFreeze = -1.0f;
    float ttExplode = -1.0f;
    float ttRecover = -1.0f;  // set by a ball that rebounds; balls pass it by until it is off
    std::string powerupToGenerate;
    std::string name;
    int isFreezeable = 1;
    int isFrozen = 0;
    int isConductive = 1;
    int isElectric = 0;
    int isBurnable = 1;
    int isExplosive = 0;
    int mustClear = 1;
    int iceDamage = 0;
    int fireDamage = 1;
    int electricDamage = 1;
    int physicalDamage = 1;
    int strength = 1;
    std::string spriteName;
    std::string nextBrickName;
    BrickPtr nextBrick;
    std::string keyBrickName;
    // Shared between a template and its clones (see Unlink).
    RandomPtr powerupGenerated;
    int powerupCount = 0;
    // Mutual, may hold null entries once a neighbour has been unlinked.
    std::vector<BrickPtr> adjacentBricks;
    float ttElectrify = -1.0f;
    float ttShake = -999999.0f;  // read and copied only
    int pointValue = 0;

    Brick();
    ~Brick();
    Brick(const Brick&) = delete;
    Brick& operator=(const Brick&) = delete;

    int Unlink();
    // 1 when the brick's fuse ran out and it died for good as a must-clear brick.
    int Update(const GameStatPtr& stat, const std::vector<BrickPtr>& bricks);
    int Draw();
    // 1 when the brick died for good and must be cleared; a brick with a next form turns into it.
    int Die(const GameStatPtr& stat, const std::vector<BrickPtr>& bricks);
    int FreezeBrick(int depth, float originX, float originY);
    int ExplodeBrick(int depth, float originX, float originY);
    // 1 when this hit destroyed a must-clear brick for good.
    int Damage(BrickHit hit, const GameStatPtr& stat, const std::vector<BrickPtr>& bricks);
    // nameOnly 1 reads the name alone.
    int LoadFromXML(const std::string& xml, int nameOnly);
    int Clone(const BrickPtr& source);
    // Only what a level file needs: name, position and scale.
    std::string WriteToXML(int flag);
};

// The fields a "brick" element sets after its name, with their tags: LoadFromXML reads both
// lists, and Clone copies the first before it copies the body and the second after it.
inline constexpr XmlFields kBrickFields{
    XmlField{"ttl", &Brick::ttl},
    XmlField{"ttFreeze", &Brick::ttFreeze},
    XmlField{"isFreezeable", &Brick::isFreezeable},
    XmlField{"isFrozen", &Brick::isFrozen},
    XmlField{"isConductive", &Brick::isConductive},
    XmlField{"isElectric", &Brick::isElectric},
    XmlField{"isBurnable", &Brick::isBurnable},
    XmlField{"isExplosive", &Brick::isExplosive},
    XmlField{"isSolid", &Brick::isSolid},
    XmlField{"iceDamage", &Brick::iceDamage},
    XmlField{"fireDamage", &Brick::fireDamage},
    XmlField{"electricDamage", &Brick::electricDamage},
    XmlField{"physicalDamage", &Brick::physicalDamage},
    XmlField{"mustClear", &Brick::mustClear},
    XmlField{"points", &Brick::pointValue},
    XmlField{"strength", &Brick::strength},
    XmlField{"spriteName", &Brick::spriteName},
};
inline constexpr XmlFields kBrickLateFields{
    XmlField{"ttShake", &Brick::ttShake},
    XmlField{"nextBrickName", &Brick::nextBrickName},
    XmlField{"keyBrickName", &Brick::keyBrickName},
};

// Visits a brick and then each of its next forms in turn, until a form has none or visit
// returns false (a visit that returns nothing never stops the walk). Content may chain forms
// in a circle: the walk stops before a form it has visited already and returns the form whose
// next form closes the circle; otherwise null.
template <class Visit>
Brick* WalkForms(Brick& first, Visit&& visit) {
    std::unordered_set<const Brick*> seen{&first};
    for (Brick* form = &first;;) {
        if constexpr (std::is_void_v<std::invoke_result_t<Visit&, Brick&>>) {
            visit(*form);
        } else if (!visit(*form)) {
            return nullptr;
        }
        Brick* next = form->nextBrick.get();
        if (!next) return nullptr;
        if (!seen.insert(next).second) return form;
        form = next;
    }
}

// The first brick of that name (exact case); a miss is reported under code -14.
BrickPtr GetBrickByName(const std::string& brickName, const std::vector<BrickPtr>& bricks);
// adjacencyOnly 0 also resolves next forms and sprites by name (the pack's templates). A layout
// whose bricks pile up by the thousand is refused with a logged line and links no neighbours.
int LinkBricks(const std::vector<BrickPtr>& bricks, const std::vector<SpritePtr>& sprites, int adjacencyOnly);
// A copy of the array with a new default brick at the end.
std::vector<BrickPtr> AppendNewBrick(const std::vector<BrickPtr>& bricks);
// A copy of the array with an empty slot at the end.
std::vector<BrickPtr> LengthenBrickArray(const std::vector<BrickPtr>& bricks);
