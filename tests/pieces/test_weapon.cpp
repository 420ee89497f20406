// The paddle's weapon: loading and cloning, the update on which it fires, its muzzles
// (mirrored, alternating), drawing on the paddle, lookup, and release without leaks.
#include "media/images.h"
#include "platform/image.h"
#include "test_gear_support.h"

using namespace geartest;

namespace {

// Muzzle factors put the muzzles at 0.8 of the half width and a half height above the
// centre: on a bat at (300, 700), 100 x 20, that is x 310 and 390 at y 700.
const char* kWeaponXml =
    "<weapon><weaponName>w</weaponName><weaponSpriteName>gun</weaponSpriteName>"
    "<shotsGeneratedName>pellet</shotsGeneratedName><xOffsetFactor>0.8</xOffsetFactor>"
    "<yOffsetFactor>1</yOffsetFactor></weapon>";

class WeaponTest : public GearTest {
protected:
    void SetUp() override {
        GearTest::SetUp();
        ballTemplates = {BallTemplate("pellet", "pellet", sprites)};
    }
    void TearDown() override {
        UnlinkAll(ballTemplates);
        GearTest::TearDown();
    }

    // The level's way: a template read from XML, then a fresh clone of it made active.
    WeaponPtr ActiveWeapon(float rate, int mirrored, int alternating) {
        auto tmpl = std::make_shared<Weapon>();
        tmpl->LoadFromXML(kWeaponXml, sprites, ballTemplates, 0);
        tmpl->rateOfFire = rate;
        tmpl->isMirrored = mirrored;
        tmpl->isAlternating = alternating;
        auto weapon = std::make_shared<Weapon>();
        weapon->Clone(tmpl);
        tmpl->Unlink();
        return weapon;
    }

    // The x of every live shot, in pool order; the shots are then cleared out.
    static std::vector<float> TakeShots(std::vector<BallPtr>& pool) {
        std::vector<float> xs;
        for (BallPtr& ball : pool) {
            if (ball->isLive == 0) continue;
            xs.push_back(ball->ballSprite->x);
            ball->isLive = 0;
        }
        return xs;
    }

    std::vector<BallPtr> ballTemplates;
};

TEST_F(WeaponTest, LoadReadsEveryTagAndClonesItsSpriteAndShotBall) {
    std::string xml = GearFixture("weapons.xml");
    auto weapon = std::make_shared<Weapon>();
    weapon->LoadFromXML(ExtractTagFromXML(xml, "weapon", 0), sprites, ballTemplates, 0);

    EXPECT_EQ(weapon->weaponName, "twin");
    EXPECT_EQ(weapon->weaponSpriteName, "gun");
    EXPECT_EQ(weapon->isSticky, 1);
    EXPECT_EQ(weapon->isLive, 0);
    EXPECT_EQ(weapon->shotsGeneratedName, "pellet");
    EXPECT_FLOAT_EQ(weapon->rateOfFire, 12.5f);
    EXPECT_FLOAT_EQ(weapon->muzzleVelocity, 3.0f);
    EXPECT_FLOAT_EQ(weapon->maxMuzzleVelocity, 9.0f);
    EXPECT_FLOAT_EQ(weapon->dMuzzleVelocity, 0.5f);
    EXPECT_EQ(weapon->fireMode, "burst");
    EXPECT_FLOAT_EQ(weapon->xOffsetFactor, 0.75f);
    EXPECT_FLOAT_EQ(weapon->yOffsetFactor, 1.0f);
    EXPECT_EQ(weapon->isMirrored, 1);
    EXPECT_EQ(weapon->isAlternating, 1);
    EXPECT_FLOAT_EQ(weapon->currentCharge, 0.0f);
    EXPECT_EQ(weapon->triggerDown, 0);

    // Own copies, never the templates themselves.
    ASSERT_NE(weapon->weaponSprite, nullptr);
    EXPECT_NE(weapon->weaponSprite, GetSpriteByName("gun", sprites));
    EXPECT_EQ(weapon->weaponSprite->name, "gun");
    ASSERT_NE(weapon->shotsGenerated, nullptr);
    EXPECT_NE(weapon->shotsGenerated, ballTemplates[0]);
    EXPECT_EQ(weapon->shotsGenerated->ballName, "pellet");
    EXPECT_NE(weapon->shotsGenerated->ballSprite, ballTemplates[0]->ballSprite);
    EXPECT_TRUE(DebugLogLines().empty());

    // keepSprite reads the tags only.
    auto tagsOnly = std::make_shared<Weapon>();
    tagsOnly->LoadFromXML(ExtractTagFromXML(xml, "weapon", 0), sprites, ballTemplates, 1);
    EXPECT_EQ(tagsOnly->weaponName, "twin");
    EXPECT_EQ(tagsOnly->weaponSprite, nullptr);
    EXPECT_EQ(tagsOnly->shotsGenerated, nullptr);
    weapon->Unlink();
}

TEST_F(WeaponTest, MissingShotBallGivesADefaultBallAndZeroFloatsKeepTheirValue) {
    std::string xml = GearFixture("weapons.xml");
    auto weapon = std::make_shared<Weapon>();
    weapon->rateOfFire = 4.0f;
    weapon->xOffsetFactor = 0.5f;
    weapon->LoadFromXML(ExtractTagFromXML(xml, "weapon", 1), sprites, ballTemplates, 0);

    EXPECT_EQ(weapon->weaponName, "stray");
    // The lookup reports the name; the weapon still gets a model to fire.
    EXPECT_EQ(LogLinesWith("Could not find ball named \"nothing\"."), 1);
    ASSERT_NE(weapon->shotsGenerated, nullptr);
    EXPECT_EQ(weapon->shotsGenerated->ballName, "");
    EXPECT_EQ(weapon->shotsGenerated->isLive, 0);
    EXPECT_EQ(weapon->shotsGenerated->isStuck, -999999);
    ASSERT_NE(weapon->shotsGenerated->ballSprite, nullptr);
    // XML cannot set a float to 0: "0" leaves the earlier values.
    EXPECT_FLOAT_EQ(weapon->rateOfFire, 4.0f);
    EXPECT_FLOAT_EQ(weapon->xOffsetFactor, 0.5f);

    // A clone of it, and a clone of a weapon that never had a shot ball, have one too.
    auto clone = std::make_shared<Weapon>();
    clone->Clone(weapon);
    ASSERT_NE(clone->shotsGenerated, nullptr);
    auto bare = std::make_shared<Weapon>();
    bare->weaponSprite = std::make_shared<Sprite>();
    bare->weaponSprite->name = "bare";
    auto bareClone = std::make_shared<Weapon>();
    bareClone->Clone(bare);
    ASSERT_NE(bareClone->shotsGenerated, nullptr);
    EXPECT_EQ(bareClone->shotsGenerated->ballName, "");
    for (const WeaponPtr& w : {weapon, clone, bare, bareClone}) w->Unlink();
}

TEST_F(WeaponTest, CloneCopiesTheDefinitionButStartsUncharged) {
    auto source = std::make_shared<Weapon>();
    source->LoadFromXML(ExtractTagFromXML(GearFixture("weapons.xml"), "weapon", 0), sprites, ballTemplates, 0);
    source->currentCharge = 5.0f;
    source->triggerDown = 1;

    auto clone = std::make_shared<Weapon>();
    clone->maxMuzzleVelocity = 2.0f;
    clone->Clone(source);
    EXPECT_EQ(clone->weaponName, "twin");
    EXPECT_EQ(clone->weaponSpriteName, "gun");
    EXPECT_EQ(clone->isSticky, 1);
    EXPECT_EQ(clone->isLive, 0);
    EXPECT_EQ(clone->shotsGeneratedName, "pellet");
    EXPECT_FLOAT_EQ(clone->rateOfFire, 12.5f);
    EXPECT_FLOAT_EQ(clone->muzzleVelocity, 3.0f);
    EXPECT_FLOAT_EQ(clone->dMuzzleVelocity, 0.5f);
    EXPECT_EQ(clone->fireMode, "burst");
    EXPECT_FLOAT_EQ(clone->xOffsetFactor, 0.75f);
    EXPECT_FLOAT_EQ(clone->yOffsetFactor, 1.0f);
    EXPECT_EQ(clone->isMirrored, 1);
    EXPECT_EQ(clone->isAlternating, 1);
    // Not copied: the charge, the trigger and the maximum muzzle velocity.
    EXPECT_FLOAT_EQ(clone->currentCharge, 0.0f);
    EXPECT_EQ(clone->triggerDown, 0);
    EXPECT_FLOAT_EQ(clone->maxMuzzleVelocity, 2.0f);
    EXPECT_NE(clone->weaponSprite, source->weaponSprite);
    EXPECT_EQ(clone->weaponSprite->name, "gun");
    EXPECT_NE(clone->shotsGenerated, source->shotsGenerated);
    EXPECT_EQ(clone->shotsGenerated->ballName, "pellet");

    // A weapon cloned from itself keeps a whole body.
    clone->Clone(clone);
    EXPECT_EQ(clone->weaponSprite->name, "gun");
    EXPECT_EQ(clone->weaponSprite->animationArray.size(), 2u);

    // A missing source is logged and changes nothing.
    clone->Clone(nullptr);
    EXPECT_EQ(LogLinesWith("weapon:Weapon.Clone() Attempt to access field or method of Null object"), 1);
    EXPECT_EQ(clone->weaponName, "twin");
    source->Unlink();
    clone->Unlink();
}

TEST_F(WeaponTest, FiresOnTheUpdateAfterTheChargeIsFull) {
    struct Case {
        const char* what;
        float rate;
        float speed;
        int releasedUntil;  // the trigger is up for updates 1..releasedUntil
        int updates;
        std::vector<int> firingUpdates;
    };
    const Case cases[] = {
        {"rate 10: charged after 10, fires every 11th", 10.0f, 1.0f, 0, 23, {11, 22}},
        {"released trigger keeps the charge", 10.0f, 1.0f, 15, 27, {16, 27}},
        {"fast game: 2.5 a tick", 10.0f, 2.5f, 0, 10, {5, 10}},
        {"charge is clamped to the rate", 10.0f, 3.0f, 0, 10, {5, 10}},
        {"rate 0 fires every held update", 0.0f, 1.0f, 0, 3, {1, 2, 3}},
        {"negative rate never fires", -5.0f, 1.0f, 0, 5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_gameSpeedFactor = c.speed;
        WeaponPtr weapon = ActiveWeapon(c.rate, 0, 0);
        PaddlePtr paddle = MakePaddle(300, 700);
        std::vector<BallPtr> pool = Pool(4);
        std::vector<int> fired;
        for (int update = 1; update <= c.updates; ++update) {
            weapon->triggerDown = update > c.releasedUntil ? 1 : 0;
            weapon->Update(pool, paddle);
            EXPECT_LE(weapon->currentCharge, std::max(c.rate, 0.0f));
            if (!TakeShots(pool).empty()) fired.push_back(update);
        }
        EXPECT_EQ(fired, c.firingUpdates);
        weapon->Unlink();
        paddle->Unlink();
        UnlinkAll(pool);
    }
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(WeaponTest, MirroredAndAlternatingMuzzles) {
    struct Case {
        int mirrored;
        int alternating;
        std::vector<std::vector<float>> shotsPerFiring;  // shot x, left muzzle 307, right 387
        int alternatingAfter;
    };
    const Case cases[] = {
        {0, 0, {{307}, {307}, {307}}, 0},
        {0, 1, {{307}, {307}, {307}}, 1},
        {0, 2, {{}, {}, {}}, 2},  // fires nothing, yet flashes and spends its charge
        {1, 0, {{307, 387}, {307, 387}, {307, 387}}, 0},
        {1, 1, {{387}, {307}, {387}}, 2},  // the turn passes before the first shot
        {1, 2, {{307}, {387}, {307}}, 1},
        {1, 5, {{307}, {387}, {307}}, 1},  // any other value starts the turn at 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mirrored " + std::to_string(c.mirrored) + ", alternating " + std::to_string(c.alternating));
        WeaponPtr weapon = ActiveWeapon(0.0f, c.mirrored, c.alternating);
        PaddlePtr paddle = MakePaddle(300, 700);
        std::vector<BallPtr> pool = Pool(4);
        weapon->triggerDown = 1;
        for (const std::vector<float>& expected : c.shotsPerFiring) {
            weapon->Update(pool, paddle);
            EXPECT_EQ(weapon->weaponSprite->GetCurrentAnimationName(), "_fire");
            EXPECT_FLOAT_EQ(weapon->currentCharge, 0.0f);
            EXPECT_EQ(TakeShots(pool), expected);
        }
        EXPECT_EQ(weapon->isAlternating, c.alternatingAfter);
        weapon->Unlink();
        paddle->Unlink();
        UnlinkAll(pool);
    }
}

TEST_F(WeaponTest, ShotLeavesItsMuzzleAsAWeaponBlastWithTheTemplatesMotion) {
    WeaponPtr weapon = ActiveWeapon(0.0f, 1, 0);
    PaddlePtr paddle = MakePaddle(300, 700);
    // Slot 0 is in play and slot 2 dead: the shots take slots 1 and 2, and nothing grows.
    std::vector<BallPtr> pool = Pool(3);
    pool[0]->isLive = 1;
    weapon->triggerDown = 1;
    weapon->Update(pool, paddle);

    ASSERT_EQ(pool.size(), 3u);
    for (int slot : {1, 2}) {
        SCOPED_TRACE(slot);
        const Ball& shot = *pool[slot];
        EXPECT_EQ(shot.isLive, 1);
        EXPECT_EQ(shot.isWeaponBlast, 1);
        EXPECT_EQ(shot.ballName, "pellet");
        EXPECT_NE(shot.ballSprite, weapon->shotsGenerated->ballSprite);
        EXPECT_FLOAT_EQ(shot.ballSprite->y, 699.0f);  // one above the muzzle
        EXPECT_FLOAT_EQ(shot.ballSprite->dy, -1.0f);
        EXPECT_FLOAT_EQ(shot.ballSprite->vel, 7.0f);
        EXPECT_FLOAT_EQ(shot.ballSprite->maxVel, 9.0f);
    }
    // Centred on its muzzle: 310 - 6 / 2 and 390 - 6 / 2.
    EXPECT_FLOAT_EQ(pool[1]->ballSprite->x, 307.0f);
    EXPECT_FLOAT_EQ(pool[2]->ballSprite->x, 387.0f);
    // The weapon's sprite stays where it fired last.
    EXPECT_FLOAT_EQ(weapon->weaponSprite->x, 387.0f);
    EXPECT_FLOAT_EQ(weapon->weaponSprite->y, 700.0f);

    // With every slot live the charge is spent without a shot.
    weapon->rateOfFire = 3.0f;
    weapon->currentCharge = 3.0f;
    weapon->Update(pool, paddle);
    EXPECT_FLOAT_EQ(weapon->currentCharge, 0.0f);
    EXPECT_EQ(pool.size(), 3u);
    EXPECT_FLOAT_EQ(pool[1]->ballSprite->y, 699.0f);
    EXPECT_TRUE(DebugLogLines().empty());
    weapon->Unlink();
    paddle->Unlink();
    UnlinkAll(pool);
}

TEST_F(WeaponTest, FaultsAreLoggedUnderTheirLabels) {
    WeaponPtr weapon = ActiveWeapon(0.0f, 0, 0);
    std::vector<BallPtr> pool = Pool(2);
    weapon->triggerDown = 1;
    // Without a paddle the firing fails under its own label; the update goes on.
    weapon->Update(pool, nullptr);
    EXPECT_EQ(LogLinesWith("weapon:Weapon.Fire() Attempt to access field or method of Null object"), 1);
    EXPECT_EQ(LogLinesWith("weapon:Weapon.Update() "), 0);
    EXPECT_EQ(weapon->Draw(nullptr), 0);
    EXPECT_EQ(LogLinesWith("weapon:Weapon.Draw() Attempt to access field or method of Null object"), 1);
    // An unlinked weapon has no body to update.
    weapon->Unlink();
    weapon->rateOfFire = 1.0f;
    weapon->Update(pool, nullptr);
    EXPECT_EQ(LogLinesWith("weapon:Weapon.Update() Attempt to access field or method of Null object"), 1);
    weapon->Unlink();
    UnlinkAll(pool);
}

TEST_F(WeaponTest, DrawsAtEachMuzzleOfThePaddle) {
    ImagePtr gunPic = std::make_shared<Image>();
    gunPic->name = "gun_pic";
    gunPic->imageData = LoadImage(CreatePixmap(8, 8));
    struct Case {
        int mirrored;
        std::vector<float> xs;  // 310 - 12 / 2 and 390 - 12 / 2
    };
    for (const Case& c : {Case{0, {304.0f}}, Case{1, {304.0f, 384.0f}}}) {
        SCOPED_TRACE(c.mirrored);
        WeaponPtr weapon = ActiveWeapon(10.0f, c.mirrored, 0);
        weapon->weaponSprite->animationArray[0]->StepsArray[0]->LinkImage({gunPic});
        PaddlePtr paddle = MakePaddle(300, 700);
        SetViewport(0, 0, 1024, 768);
        StartRecording();
        weapon->Draw(paddle);
        std::vector<float> xs;
        for (const DrawCall& call : StopRecording()) {
            if (call.kind != DrawKind::Image) continue;
            xs.push_back(call.x);
            EXPECT_FLOAT_EQ(call.y, 700.0f);
        }
        EXPECT_EQ(xs, c.xs);
        EXPECT_FLOAT_EQ(weapon->weaponSprite->x, c.xs.back());
        weapon->Unlink();
        paddle->Unlink();
    }
}

TEST_F(WeaponTest, LookupAndAppend) {
    std::vector<WeaponPtr> weapons;
    for (const char* name : {"laser", "twin", "laser"}) {
        weapons = AppendNewWeapon(weapons);
        weapons.back()->weaponName = name;
    }
    weapons.insert(weapons.begin(), nullptr);

    struct Case {
        const char* name;
        int index;  // -1: none
    };
    for (const Case& c : {Case{"laser", 1}, Case{"twin", 2}, Case{"Laser", -1}, Case{"", -1}, Case{"las", -1}}) {
        SCOPED_TRACE(c.name);
        WeaponPtr found = GetWeaponByName(c.name, weapons);
        EXPECT_EQ(found, c.index < 0 ? nullptr : weapons[c.index]);
    }
    // A miss is silent.
    EXPECT_TRUE(DebugLogLines().empty());

    // Appending leaves the given array alone and adds a weapon with the defaults.
    std::vector<WeaponPtr> grown = AppendNewWeapon(weapons);
    EXPECT_EQ(weapons.size(), 4u);
    ASSERT_EQ(grown.size(), 5u);
    EXPECT_EQ(grown[3], weapons[3]);
    const Weapon& fresh = *grown.back();
    EXPECT_EQ(fresh.weaponName, "");
    EXPECT_EQ(fresh.weaponSprite, nullptr);
    EXPECT_EQ(fresh.shotsGenerated, nullptr);
    EXPECT_EQ(fresh.isLive, 1);
    EXPECT_EQ(fresh.fireMode, "normal");
    EXPECT_FLOAT_EQ(fresh.rateOfFire, 0.0f);
}

TEST_F(WeaponTest, UnlinkedWeaponsAndShotsReleaseEverySprite) {
    {
        std::vector<WeaponPtr> templates;
        std::string xml = GearFixture("weapons.xml");
        for (int i = 0; i < CountTagsInXML(xml, "weapon"); ++i) {
            templates = AppendNewWeapon(templates);
            templates.back()->LoadFromXML(ExtractTagFromXML(xml, "weapon", i), sprites, ballTemplates, 0);
        }
        WeaponPtr active = std::make_shared<Weapon>();
        active->Clone(GetWeaponByName("twin", templates));
        active->rateOfFire = 0.0f;
        active->triggerDown = 1;
        PaddlePtr paddle = MakePaddle(300, 700);
        std::vector<BallPtr> pool = Pool(4);
        for (int i = 0; i < 4; ++i) active->Update(pool, paddle);
        // A second award replaces the active weapon by a new clone.
        active->Clone(templates[0]);
        for (const WeaponPtr& w : templates) w->Unlink();
        active->Unlink();
        active->Unlink();  // harmless twice
        paddle->Unlink();
        UnlinkAll(pool);
    }
    UnlinkAll(ballTemplates);
    UnlinkAll(sprites);
    EXPECT_EQ(g_debugSpritesInMemory, spritesBefore);
}

}  // namespace
