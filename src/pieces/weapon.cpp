// A gun carried by the paddle: it charges with the game speed and, while the player holds
// fire, shoots clones of its shot ball from one muzzle or from two mirrored ones.
#include "pieces/weapon.h"

#include "core/arrays.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "pieces/ball.h"
#include "pieces/paddle.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// Where the muzzles sit on the paddle: mirrored about its centre, raised from it.
struct Muzzles {
    float leftX;
    float rightX;
    float y;
};

Muzzles MuzzlesOn(const PaddlePtr& paddle, const Weapon& weapon) {
    Sprite& body = Deref(Deref(paddle).paddleSprite);
    const float cx = body.GetCenterX();
    const float cy = body.GetCenterY();
    const float halfWidth = body.GetWidth() / 2.0f;
    const float halfHeight = body.GetHeight() / 2.0f;
    return {cx - halfWidth * weapon.xOffsetFactor, cx + halfWidth * weapon.xOffsetFactor,
            cy - halfHeight * weapon.yOffsetFactor};
}

// One shot into the first free slot of the pool; the pool never grows, so a full pool
// swallows the shot.
void ShootFrom(const Sprite& muzzleSprite, const BallPtr& shotBall, const std::vector<BallPtr>& balls) {
    for (size_t i = 0; i < balls.size(); ++i) {
        Ball& slot = Deref(balls[i]);
        if (slot.isLive != 0) continue;
        slot.Clone(shotBall);
        Sprite& shotSprite = Deref(slot.ballSprite);
        shotSprite.x = muzzleSprite.x;
        shotSprite.y = muzzleSprite.y - 1.0f;
        slot.isLive = 1;
        slot.isWeaponBlast = 1;
        return;
    }
}

// A shot ball that names no template is a ball with the defaults, so a weapon always has a
// model to fire.
BallPtr ShotBallFrom(const BallPtr& model) {
    BallPtr shot = std::make_shared<Ball>();
    if (model) shot->Clone(model);
    return shot;
}

}  // namespace

int Weapon::Unlink() {
    return Guarded("weapon:Weapon.Unlink() ", 0, [&] {
        if (weaponSprite) {
            weaponSprite->Unlink();
            weaponSprite = nullptr;
        }
        if (shotsGenerated) {
            shotsGenerated->Unlink();
            shotsGenerated = nullptr;
        }
        return 0;
    });
}

int Weapon::LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites,
                        const std::vector<BallPtr>& balls, int keepSprite) {
    return Guarded("weapon:Weapon.LoadFromXML() ", 0, [&] {
        LoadXmlFields(*this, xml, kWeaponFields);
        SetFloatFromXML(maxMuzzleVelocity, xml, "maxMuzzleVelocity");
        if (keepSprite == 0) {
            SpritePtr sprite = std::make_shared<Sprite>();
            sprite->Clone(GetSpriteByName(weaponSpriteName, sprites), nullptr);
            SpritePtr old = weaponSprite;
            weaponSprite = sprite;
            if (old) old->Unlink();

            BallPtr shot = ShotBallFrom(GetBallByName(shotsGeneratedName, balls));
            BallPtr oldShot = shotsGenerated;
            shotsGenerated = shot;
            if (oldShot) oldShot->Unlink();
        }
        return 0;
    });
}

int Weapon::Clone(const WeaponPtr& source) {
    return Guarded("weapon:Weapon.Clone() ", 0, [&] {
        // Hold the source: it may be this weapon itself.
        WeaponPtr from = source;
        const Weapon& src = Deref(from);
        CopyXmlFields(*this, src, kWeaponFields);
        SpritePtr sprite = std::make_shared<Sprite>();
        sprite->Clone(src.weaponSprite, nullptr);
        SpritePtr oldSprite = weaponSprite;
        weaponSprite = sprite;
        if (oldSprite) oldSprite->Unlink();
        BallPtr shot = ShotBallFrom(src.shotsGenerated);
        BallPtr oldShot = shotsGenerated;
        shotsGenerated = shot;
        if (oldShot) oldShot->Unlink();
        return 0;
    });
}

int Weapon::Fire(const std::vector<BallPtr>& balls, const PaddlePtr& paddle) {
    return Guarded("weapon:Weapon.Fire() ", 0, [&] {
        if (currentCharge != rateOfFire) return 0;
        // The turn passes before the shot, so an alternating pair opens from the right.
        if (isAlternating > 0 && isMirrored > 0) isAlternating = (isAlternating == 1) ? 2 : 1;
        currentCharge = 0.0f;

        const Muzzles muzzles = MuzzlesOn(paddle, *this);
        Sprite& sprite = Deref(weaponSprite);
        Ball& model = Deref(shotsGenerated);
        const float shotHalfWidth = Deref(model.ballSprite).GetWidth() / 2.0f;

        sprite.x = muzzles.leftX - shotHalfWidth;
        sprite.y = muzzles.y;
        sprite.JumpToAnimation("_fire");
        if (isAlternating == 0 || isAlternating == 1) ShootFrom(sprite, shotsGenerated, balls);

        if (isMirrored == 1) {
            sprite.x = muzzles.rightX - shotHalfWidth;
            sprite.y = muzzles.y;
            sprite.JumpToAnimation("_fire");
            if (isAlternating == 0 || isAlternating == 2) ShootFrom(sprite, shotsGenerated, balls);
        }
        return 0;
    });
}

int Weapon::Update(const std::vector<BallPtr>& balls, const PaddlePtr& paddle) {
    return Guarded("weapon:Weapon.Update() ", 0, [&] {
        if (currentCharge < rateOfFire) {
            // The update that fills the charge does not fire yet.
            currentCharge = currentCharge + g_gameSpeedFactor;
            if (currentCharge > rateOfFire) currentCharge = rateOfFire;
        } else if (triggerDown == 1) {
            Fire(balls, paddle);
        }
        Deref(weaponSprite).Update();
        return 0;
    });
}

int Weapon::Draw(const PaddlePtr& paddle) {
    return Guarded("weapon:Weapon.Draw() ", 0, [&] {
        const Muzzles muzzles = MuzzlesOn(paddle, *this);
        Sprite& sprite = Deref(weaponSprite);
        const float halfWidth = sprite.GetWidth() / 2.0f;
        sprite.x = muzzles.leftX - halfWidth;
        sprite.y = muzzles.y;
        sprite.Draw();
        if (isMirrored == 1) {
            sprite.x = muzzles.rightX - halfWidth;
            sprite.y = muzzles.y;
            sprite.Draw();
        }
        return 0;
    });
}

std::vector<WeaponPtr> AppendNewWeapon(const std::vector<WeaponPtr>& weapons) {
    return AppendNew("weapon:AppendNewWeapon() ", weapons);
}

WeaponPtr GetWeaponByName(const std::string& name, const std::vector<WeaponPtr>& weapons) {
    return GetByName("weapon:GetWeaponByName() ", weapons, &Weapon::weaponName, name, nullptr);
}
