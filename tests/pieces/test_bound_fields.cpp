// Every piece whose loader and Clone share lists of bound fields: an element giving each bound tag
// sets every bound field away from its start, and a clone carries each one.
#include <gtest/gtest.h>

#include "pieces/ball.h"
#include "pieces/powerups.h"
#include "pieces/weapon.h"
#include "sprites/particle.h"
#include "test_nain_support.h"
#include "text/test_xmlfields_support.h"

namespace {

using bound_fields::ExpectEveryBoundField;

class BoundFieldsTest : public naintest::PieceTest {
protected:
    void SetUp() override {
        PieceTest::SetUp();
        // What a piece looks up by the name its element gives.
        body->name = "body";
        ball->ballName = "body";
        ball->ballSprite->name = "body";
    }
    void TearDown() override {
        body->Unlink();
        ball->Unlink();
        EXPECT_EQ(g_DebugLog, "");
        PieceTest::TearDown();
    }

    SpritePtr body = std::make_shared<Sprite>();
    BallPtr ball = std::make_shared<Ball>();
};

TEST_F(BoundFieldsTest, EveryBoundTagIsReadAndEveryBoundFieldCloned) {
    const std::vector<SpritePtr> sprites = {body};
    {
        SCOPED_TRACE("powerup");
        ExpectEveryBoundField<Powerup>(
            "powerup", "", [&](Powerup& p, const std::string& xml) { p.LoadFromXML(xml, sprites, {}, 1); },
            [](Powerup& p, const PowerupPtr& source) { p.Clone(source); }, kPowerupFields);
    }
    {
        SCOPED_TRACE("projectile");
        ExpectEveryBoundField<Projectile>(
            "projectile", "", [&](Projectile& p, const std::string& xml) { p.LoadFromXML(xml, sprites, 0); },
            [](Projectile& p, const ProjectilePtr& source) { p.Clone(source); }, kProjectileFields);
    }
    {
        SCOPED_TRACE("weapon");
        ExpectEveryBoundField<Weapon>(
            "weapon", "", [&](Weapon& w, const std::string& xml) { w.LoadFromXML(xml, sprites, {ball}, 0); },
            [](Weapon& w, const WeaponPtr& source) { w.Clone(source); }, kWeaponFields);
    }
    {
        SCOPED_TRACE("ball");
        ExpectEveryBoundField<Ball>(
            "ball", "<spriteName>body</spriteName>",
            [&](Ball& b, const std::string& xml) { b.LoadFromXML(xml, sprites, 0); },
            [](Ball& b, const BallPtr& source) { b.Clone(source); }, kBallKindFields, kBallLifeFields);
    }
    {
        SCOPED_TRACE("nain");
        ExpectEveryBoundField<Nain>(
            "nain", "", [&](Nain& n, const std::string& xml) { n.LoadFromXML(xml, sprites, 0); },
            [](Nain& n, const NainPtr& source) { n.Clone(source); }, kNainFields);
    }
    {
        SCOPED_TRACE("brick");
        ExpectEveryBoundField<Brick>(
            "brick", "",
            [](Brick& b, const std::string& xml) {
                b.LoadFromXML(xml, 0);
                b.brickSprite->name = "body";  // a body to copy, as linking gives a template
            },
            [](Brick& b, const BrickPtr& source) { b.Clone(source); }, kBrickFields, kBrickLateFields);
    }
    {
        SCOPED_TRACE("particle source");
        ExpectEveryBoundField<ParticleSource>(
            "particleSource", "", [&](ParticleSource& p, const std::string& xml) { p.LoadFromXML(xml, sprites); },
            [](ParticleSource& p, const ParticleSourcePtr& source) { p.Clone(source); }, kParticleSourceFields);
    }
    {
        SCOPED_TRACE("sprite");
        ExpectEveryBoundField<Sprite>(
            "sprite", "<spriteName>copied</spriteName>", [](Sprite& s, const std::string& xml) { s.LoadFromXML(xml); },
            [](Sprite& s, const SpritePtr& source) { s.Clone(source, nullptr); }, kSpriteFields);
    }
}

}  // namespace
