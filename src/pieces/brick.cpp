// Bricks as content: the "brick" element read and written, templates linked to their sprites,
// next forms and neighbours, level bricks cloned from templates, and their release.
#include "pieces/brick.h"

#include <unordered_set>

#include "core/arrays.h"
#include "core/globals.h"
#include "pieces/nain.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "sprites/sprites.h"
#include "core/lookup.h"
#include "text/parser.h"

int g_debugBricksInMemory = 0;

Brick::Brick() {
    Guarded("brick:Brick.New(): ", 0, [&] {
        brickSprite = std::make_shared<Sprite>();
        ++g_debugBricksInMemory;
        return 0;
    });
}

Brick::~Brick() {
    Guarded("brick:Brick.Delete(): ", 0, [&] {
        --g_debugBricksInMemory;
        Unlink();
        return 0;
    });
}

int Brick::Unlink() {
    return Guarded("brick:Brick.Unlink(): ", 0, [&] {
        if (brickSprite) brickSprite->Unlink();
        brickSprite = nullptr;
        if (powerupGenerated) powerupGenerated->Unlink();
        powerupGenerated = nullptr;
        currentNain = nullptr;
        for (size_t i = 0; i < adjacentBricks.size(); ++i) {
            BrickPtr neighbour = adjacentBricks[i];
            if (!neighbour) continue;
            for (BrickPtr& entry : neighbour->adjacentBricks) {
                if (entry.get() == this) entry = nullptr;
            }
            adjacentBricks[i] = nullptr;
        }
        adjacentBricks.clear();
        // Let go of the next form before walking it, so a chain that leads back here stops.
        BrickPtr next = std::move(nextBrick);
        nextBrick = nullptr;
        if (next) next->Unlink();
        return 0;
    });
}

int Brick::LoadFromXML(const std::string& xml, int nameOnly) {
    return Guarded("brick:Brick.LoadFromXML(): ", 0, [&] {
        SetStringFromXML(name, xml, "brickName");
        if (nameOnly == 1) return 0;
        ThrowError(1, "Loading brick data from XML: " + name);

        SetFloatFromXML(ttl, xml, "ttl");
        SetFloatFromXML(ttFreeze, xml, "ttFreeze");
        SetFloatFromXML(ttShake, xml, "ttShake");
        SetIntFromXML(isFreezeable, xml, "isFreezeable");
        SetIntFromXML(isFrozen, xml, "isFrozen");
        SetIntFromXML(isConductive, xml, "isConductive");
        SetIntFromXML(isElectric, xml, "isElectric");
        SetIntFromXML(isBurnable, xml, "isBurnable");
        SetIntFromXML(isExplosive, xml, "isExplosive");
        SetIntFromXML(isSolid, xml, "isSolid");
        SetIntFromXML(iceDamage, xml, "iceDamage");
        SetIntFromXML(fireDamage, xml, "fireDamage");
        SetIntFromXML(electricDamage, xml, "electricDamage");
        SetIntFromXML(physicalDamage, xml, "physicalDamage");
        SetIntFromXML(mustClear, xml, "mustClear");
        ThrowError(1, "Brick loading mustClear: " + IntToText(mustClear));

        SetIntFromXML(pointValue, xml, "points");
        SetIntFromXML(strength, xml, "strength");
        SetStringFromXML(spriteName, xml, "spriteName");
        SetStringFromXML(nextBrickName, xml, "nextBrickName");
        SetStringFromXML(keyBrickName, xml, "keyBrickName");

        if (CountTagsInXML(xml, "powerupGenerated") > 0) {
            powerupGenerated = std::make_shared<Random>();
            powerupGenerated->LoadFromXML(ExtractTagFromXML(xml, "powerupGenerated", 0));
        }
        if (!powerupGenerated) powerupGenerated = std::make_shared<Random>();

        // In a pack file this is the blank sprite that linking replaces; in a level file it
        // is the brick's own clone, which these place.
        Sprite& sprite = Deref(brickSprite);
        SetFloatFromXML(sprite.x, xml, "x");
        SetFloatFromXML(sprite.y, xml, "y");
        SetFloatFromXML(sprite.dx, xml, "dx");
        SetFloatFromXML(sprite.dy, xml, "dy");
        SetFloatFromXML(sprite.xScale, xml, "xScale");
        SetFloatFromXML(sprite.yScale, xml, "yScale");
        return 0;
    });
}

int Brick::Clone(const BrickPtr& source) {
    return Guarded("brick:Brick.Clone(): ", 0, [&] {
        // The source may be this brick's own next form, which the copy below replaces.
        BrickPtr src = source;
        Brick& s = Deref(src);
        name = s.name;
        isFreezeable = s.isFreezeable;
        isFrozen = s.isFrozen;
        isConductive = s.isConductive;
        isElectric = s.isElectric;
        isBurnable = s.isBurnable;
        isExplosive = s.isExplosive;
        isLive = s.isLive;
        isSolid = s.isSolid;
        iceDamage = s.iceDamage;
        fireDamage = s.fireDamage;
        electricDamage = s.electricDamage;
        physicalDamage = s.physicalDamage;
        pointValue = s.pointValue;
        mustClear = s.mustClear;
        strength = s.strength;
        powerupGenerated = s.powerupGenerated;
        ttl = s.ttl;
        ttFreeze = s.ttFreeze;
        spriteName = s.spriteName;

        if (brickSprite) brickSprite->Unlink();
        brickSprite = std::make_shared<Sprite>();
        if (!s.brickSprite) {
            ThrowError(1, "Problem! Cloning to " + name + " from " + s.name);
            RuntimeError("Brick sprite to clone is null!");
        }
        SpritePtr sprite = std::make_shared<Sprite>();
        sprite->Clone(s.brickSprite, nullptr);
        brickSprite = sprite;

        keyBrickName = s.keyBrickName;
        nextBrickName = s.nextBrickName;
        if (s.nextBrick) {
            BrickPtr next = std::make_shared<Brick>();
            next->Clone(s.nextBrick);
            nextBrick = next;
        }
        ttShake = s.ttShake;
        return 0;
    });
}

std::string Brick::WriteToXML(int) {
    return Guarded("brick:Brick.WriteToXML(): ", std::string(), [&] {
        Sprite& sprite = Deref(brickSprite);
        std::string data = GetXMLfromData("brickName", name, 0);
        data += GetXMLfromData("x", FloatToText(sprite.x), 0);
        data += GetXMLfromData("y", FloatToText(sprite.y), 0);
        data += GetXMLfromData("xScale", FloatToText(sprite.xScale), 0);
        data += GetXMLfromData("yScale", FloatToText(sprite.yScale), 0);
        return GetXMLfromData("brick", data, 1);
    });
}

BrickPtr GetBrickByName(const std::string& brickName, const std::vector<BrickPtr>& bricks) {
    return GetByName("brick:GetBrickByName(): ", bricks, &Brick::name, brickName, "brick");
}

namespace {

// Next forms must end: a chain that comes back to one of its own forms would make cloning and
// unlinking run forever, so the form that closes the loop becomes the last one.
void CutNextFormLoops(const std::vector<BrickPtr>& bricks) {
    for (const BrickPtr& first : bricks) {
        if (!first) continue;
        std::unordered_set<const Brick*> seen;
        Brick* form = first.get();
        seen.insert(form);
        while (form->nextBrick) {
            if (seen.count(form->nextBrick.get()) != 0) {
                AddLineToDebugLog("brick:LinkBricks(): Next form of brick \"" + form->name + "\" leads back to \"" +
                                  form->nextBrick->name + "\"; \"" + form->name + "\" is now the last form.");
                form->nextBrick = nullptr;
                form->nextBrickName.clear();
                break;
            }
            form = form->nextBrick.get();
            seen.insert(form);
        }
    }
}

}  // namespace

int LinkBricks(const std::vector<BrickPtr>& bricks, const std::vector<SpritePtr>& sprites, int adjacencyOnly) {
    return Guarded("brick:LinkBricks(): ", 0, [&] {
        const size_t count = bricks.size();
        if (adjacencyOnly == 0) {
            for (size_t i = 0; i < count; ++i) {
                BrickPtr brick = bricks[i];
                if (!brick) continue;
                if (!brick->nextBrickName.empty()) {
                    brick->nextBrick = GetBrickByName(brick->nextBrickName, bricks);
                    if (brick->nextBrick) {
                        ThrowError(1, "Linked brick " + brick->name + " to " + brick->nextBrick->name);
                    } else {
                        // The lookup has reported it; without a form to turn into, the brick
                        // dies for good instead of staying live at no strength.
                        brick->nextBrickName.clear();
                    }
                }
                // A missing sprite keeps the blank one, so the brick still has a body.
                SpritePtr sprite = GetSpriteByName(brick->spriteName, sprites);
                if (sprite) brick->brickSprite = sprite;
            }
            CutNextFormLoops(bricks);
        }

        for (size_t i = 0; i < count; ++i) {
            BrickPtr a = bricks[i];
            if (!a || !a->brickSprite) continue;
            for (size_t j = i + 1; j < count; ++j) {
                BrickPtr b = bricks[j];
                if (!b || !b->brickSprite) continue;
                if (a->brickSprite->BoundingBoxCollision(b->brickSprite, 1, 0.25f) == 1) {
                    a->adjacentBricks = LengthenBrickArray(a->adjacentBricks);
                    b->adjacentBricks = LengthenBrickArray(b->adjacentBricks);
                    At(a->adjacentBricks, a->adjacentBricks.size() - 1) = b;
                    At(b->adjacentBricks, b->adjacentBricks.size() - 1) = a;
                }
            }
        }
        return 0;
    });
}

std::vector<BrickPtr> AppendNewBrick(const std::vector<BrickPtr>& bricks) {
    return AppendNew("brick:AppendNewBrick(): ", bricks);
}

std::vector<BrickPtr> LengthenBrickArray(const std::vector<BrickPtr>& bricks) {
    return Guarded("brick:LengthenBrickArray(): ", std::vector<BrickPtr>(), [&] {
        std::vector<BrickPtr> longer(bricks);
        longer.push_back(nullptr);
        return longer;
    });
}
