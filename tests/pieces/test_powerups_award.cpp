// Catching a powerup: each of its effects on the paddle, balls, weapon, nains, score, lives,
// shield, music and game speed, taken once, in order, and nothing else touched.
#include <climits>
#include <functional>
#include <map>
#include <sstream>

#include "test_powerups_support.h"

namespace poweruptest {
namespace {

std::string Num(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}
std::string Num(int value) { return std::to_string(value); }
std::string Num(int64_t value) { return std::to_string(value); }
std::string Num(float value) { return Num(static_cast<double>(value)); }
std::string Num(bool value) { return value ? "1" : "0"; }

using State = std::map<std::string, std::string>;

// A small level to award into: a paddle, a pool of four balls (a plain ball, a weapon shot,
// two free slots), two nains (one seated with a rock in hand, one dead), weapons, a record,
// the level's empty shield, lives, the must-clear count and the sound list.
class AwardTest : public PowerupTest {
protected:
    void SetUp() override {
        PowerupTest::SetUp();
        lives = 3;
        mustClear = 5;
        paddle = MakePaddle(300.0f, 700.0f);

        for (int i = 0; i < 4; ++i) balls.push_back(std::make_shared<Ball>());
        MakeBall(balls[0], 200.0f, 400.0f, 0.6f, -0.8f, 4.0f);
        MakeBall(balls[1], 250.0f, 500.0f, 0.0f, -1.0f, 7.0f);
        balls[1]->isWeaponBlast = 1;
        seat = std::make_shared<Brick>();
        seat->Clone(GetBrickByName("stone", bricks));
        seat->isLive = 1;
        balls[0]->smartTarget = seat;

        nains.push_back(MakeNain(3, 1));
        nains.push_back(MakeNain(1, 0));
        Place(nains[0]->nainSprite, 320.0f, 180.0f);
        nains[0]->parentBrick = seat;
        seat->currentNain = nains[0];
        rock = std::make_shared<Projectile>();
        rock->LoadFromXML("<projectile><name>rock</name><spriteName>rock</spriteName></projectile>", sprites, 0);
        rock->isLive = 1;
        rock->parentNain = nains[0];
        nains[0]->currentProjectile = rock;

        weapons.push_back(MakeWeapon("blaster"));
        original.weapon = MakeWeapon("popgun");
        activeWeapon = original.weapon;

        stat = std::make_shared<GameStat>();
        stat->scoreMultiplier = 3;
        stat->difficultyPointModifier = 1.5f;
        shield = std::make_shared<BrickBox>();
        shield->SetDimensions(4.0f, 724.0f, 754.0f, 804.0f);
        original.shield = shield;

        auto song = std::make_shared<Sound>();
        song->name = "boss theme";
        sounds.push_back(song);

        // Distinct from the defaults that an award passes on.
        g_gameSpeedModulationRate = 5.0f;
        g_gameSpeedModulationTTL = 99.0f;
    }

    void TearDown() override {
        for (const BallPtr& ball : balls) ball->Unlink();
        for (const NainPtr& nain : nains) nain->Unlink();
        for (const WeaponPtr& weapon : weapons) weapon->Unlink();
        if (activeWeapon) activeWeapon->Unlink();
        original.weapon->Unlink();
        rock->Unlink();
        seat->Unlink();
        shield->Unlink(1);
        original.shield->Unlink(1);
        paddle->Unlink();
        balls.clear();
        nains.clear();
        weapons.clear();
        activeWeapon = nullptr;
        original = {};
        rock = nullptr;
        seat = nullptr;
        shield = nullptr;
        paddle = nullptr;
        sounds.clear();
        PowerupTest::TearDown();
    }

    void MakeBall(const BallPtr& ball, float x, float y, float dx, float dy, float vel) {
        ball->ballSprite->Clone(GetSpriteByName("orb", sprites), nullptr);
        Place(ball->ballSprite, x, y);
        ball->ballSprite->dx = dx;
        ball->ballSprite->dy = dy;
        ball->ballSprite->vel = vel;
        ball->ballSprite->JumpToAnimation("roll");
        ball->isLive = 1;
        ball->isFireball = 2;
    }

    NainPtr MakeNain(int aggression, int live) {
        auto nain = std::make_shared<Nain>();
        nain->nainSprite = std::make_shared<Sprite>();
        nain->nainSprite->Clone(GetSpriteByName("gnome", sprites), nullptr);
        nain->nainSprite->JumpToAnimation("idle");
        nain->aggression = aggression;
        nain->isLive = live;
        return nain;
    }

    WeaponPtr MakeWeapon(const std::string& name) {
        auto weapon = std::make_shared<Weapon>();
        weapon->weaponName = name;
        weapon->weaponSprite = std::make_shared<Sprite>();
        weapon->weaponSprite->Clone(GetSpriteByName("gun", sprites), nullptr);
        return weapon;
    }

    int Award(const PowerupPtr& powerup) {
        return powerup->AwardPowerup({.paddle = paddle,
                                      .balls = balls,
                                      .weapons = weapons,
                                      .activeWeapon = activeWeapon,
                                      .nains = nains,
                                      .stat = stat,
                                      .shield = shield,
                                      .lives = lives,
                                      .mustClearBrickCount = mustClear,
                                      .sounds = sounds});
    }

    // Everything an award may change, as text.
    State Snapshot(const PowerupPtr& powerup) {
        State s;
        const Sprite& pad = *paddle->paddleSprite;
        s["paddle.x"] = Num(pad.x);
        s["paddle.xScale"] = Num(pad.xScale);
        s["paddle.elasticity"] = Num(pad.elasticity);
        s["paddle.isSticky"] = Num(paddle->isSticky);
        s["paddle.anim"] = paddle->paddleSprite->GetCurrentAnimationName();
        for (size_t i = 0; i < balls.size(); ++i) {
            const Ball& b = *balls[i];
            const std::string k = "ball" + std::to_string(i) + ".";
            s[k + "isLive"] = Num(b.isLive);
            s[k + "kind"] = "fire" + Num(b.isFireball) + " ice" + Num(b.isIceball) + " shock" + Num(b.isShockball) +
                            " plow" + Num(b.isBrickplow);
            s[k + "smart"] = Num(b.isSmart) + (b.smartTarget ? " targeted" : "");
            s[k + "motion"] = Num(b.ballSprite->dx) + "," + Num(b.ballSprite->dy) + " at " + Num(b.ballSprite->vel);
            s[k + "pos"] = Num(b.ballSprite->x) + "," + Num(b.ballSprite->y);
            s[k + "anim"] = b.ballSprite->GetCurrentAnimationName();
        }
        s["weapon"] = activeWeapon ? activeWeapon->weaponName : "none";
        s["weapon.fresh"] = Num(activeWeapon != original.weapon);
        for (size_t i = 0; i < nains.size(); ++i) {
            const Nain& n = *nains[i];
            const std::string k = "nain" + std::to_string(i) + ".";
            s[k + "aggression"] = Num(n.aggression);
            s[k + "distracted"] = Num(n.distracted);
            s[k + "status"] = n.status;
            s[k + "anim"] = n.nainSprite->GetCurrentAnimationName();
            s[k + "seated"] = Num(n.parentBrick != nullptr);
            s[k + "holding"] = Num(n.currentProjectile != nullptr);
        }
        s["rock.status"] = rock->status;
        s["rock.thrower"] = Num(!rock->parentNain.expired());
        s["score"] = Num(stat->score);
        s["multiplier"] = Num(stat->scoreMultiplier);
        s["lives"] = Num(lives);
        s["mustClear"] = Num(mustClear);
        s["shield.fresh"] = Num(shield != original.shield);
        int shieldBricks = 0;
        for (const BrickPtr& brick : shield->bricksToCheck) shieldBricks += brick ? 1 : 0;
        s["shield.bricks"] = Num(shieldBricks);
        s["music"] = g_MasterMixer->musicOverride ? g_MasterMixer->musicOverride->name : "none";
        s["music.duration"] = Num(g_MasterMixer->musicOverrideDuration);
        s["speed"] = Num(g_gameSpeedTargetModulation) + " rate " + Num(g_gameSpeedModulationRate) + " ttl " +
                     Num(g_gameSpeedModulationTTL);
        s["paddlePositionModifier"] = Num(g_paddlePositionModifier);
        std::string texts;
        for (const std::string& text : ShownTexts()) texts += "[" + text + "]";
        s["texts"] = texts;
        s["powerup.isLive"] = Num(powerup->isLive);
        s["powerup.awarded"] = Num(powerup->hasBeenAwarded);
        return s;
    }

    PaddlePtr paddle;
    std::vector<BallPtr> balls;
    std::vector<NainPtr> nains;
    std::vector<WeaponPtr> weapons;
    WeaponPtr activeWeapon;
    ProjectilePtr rock;
    BrickPtr seat;
    GameStatPtr stat;
    BrickBoxPtr shield;
    int lives = 3;
    int mustClear = 5;
    std::vector<SoundPtr> sounds;
    struct {
        WeaponPtr weapon;
        BrickBoxPtr shield;
    } original;
};

struct EffectCase {
    const char* label;
    std::string tags;
    State changes;  // on top of "powerup.awarded" 1
};

const EffectCase kEffects[] = {
    // Paddle: grows about its centre (x 300, 100 wide), held within 0.25 to 4 times.
    {"paddle wider", "<dPaddleXScale>0.5</dPaddleXScale>", {{"paddle.x", "275"}, {"paddle.xScale", "1.5"}}},
    {"paddle at most 4", "<dPaddleXScale>10</dPaddleXScale>", {{"paddle.x", "150"}, {"paddle.xScale", "4"}}},
    {"paddle at least 0.25", "<dPaddleXScale>-5</dPaddleXScale>", {{"paddle.x", "337.5"}, {"paddle.xScale", "0.25"}}},
    {"paddle elasticity", "<dPaddleElasticity>0.5</dPaddleElasticity>", {{"paddle.elasticity", "1.5"}}},
    {"paddle sticky", "<isPaddleSticky>1</isPaddleSticky>", {{"paddle.isSticky", "1"}}},
    {"paddle animation", "<paddleJumpToAnimation>grow</paddleJumpToAnimation>", {{"paddle.anim", "grow"}}},
    // Balls: only the live ball that is not a weapon shot.
    {"ball speed", "<dBallSpeed>2.5</dBallSpeed>", {{"ball0.motion", "0.6,-0.8 at 6.5"}}},
    {"ball speed at least 1", "<dBallSpeed>-100</dBallSpeed>", {{"ball0.motion", "0.6,-0.8 at 1"}}},
    {"ball split into the first free slot, opposite way",
     "<dBallSplit>1</dBallSplit>",
     {{"ball2.isLive", "1"},
      {"ball2.kind", "fire2 ice0 shock0 plow0"},
      {"ball2.motion", "-0.6,0.8 at 4"},
      {"ball2.pos", "200,400"},
      {"ball2.anim", "roll"}}},
    {"ball brick plow", "<isBrickplow>1</isBrickplow>", {{"ball0.kind", "fire2 ice0 shock0 plow1"}}},
    {"ball ice", "<isIceball>1</isIceball>", {{"ball0.kind", "fire2 ice1 shock0 plow0"}}},
    {"ball fire", "<isFireball>3</isFireball>", {{"ball0.kind", "fire3 ice0 shock0 plow0"}}},
    {"ball fire taken away", "<isFireball>0</isFireball>", {{"ball0.kind", "fire0 ice0 shock0 plow0"}}},
    {"ball shock", "<isShockball>1</isShockball>", {{"ball0.kind", "fire2 ice0 shock1 plow0"}}},
    {"ball smart, target dropped", "<isSmartball>2</isSmartball>", {{"ball0.smart", "2"}}},
    {"ball animation", "<ballJumpToAnimation>glow</ballJumpToAnimation>", {{"ball0.anim", "glow"}}},
    // Nains, dead ones included.
    {"nains shaken off",
     "<isBrickShaker>1</isBrickShaker>",
     {{"nain0.status", "falling"},
      {"nain0.anim", "falling"},
      {"nain0.seated", "0"},
      {"nain0.holding", "0"},
      {"rock.status", "falling"},
      {"rock.thrower", "0"},
      {"nain1.status", "falling"},
      {"nain1.anim", "falling"}}},
    {"nains distracted",
     "<nainDistractAnimation>dizzy</nainDistractAnimation><nainDistractTTL>40</nainDistractTTL>",
     {{"nain0.anim", "dizzy"},
      {"nain0.distracted", "40"},
      {"nain0.holding", "0"},
      {"rock.status", "falling"},
      {"rock.thrower", "0"},
      {"nain1.anim", "dizzy"},
      {"nain1.distracted", "40"}}},
    {"nains distracted without a time drop their rocks only",
     "<nainDistractAnimation>dizzy</nainDistractAnimation>",
     {{"nain0.anim", "dizzy"},
      {"nain0.holding", "0"},
      {"rock.status", "falling"},
      {"rock.thrower", "0"},
      {"nain1.anim", "dizzy"}}},
    {"nains calmer, at least 1", "<dNainAggression>2</dNainAggression>", {{"nain0.aggression", "1"}}},
    {"nains wilder", "<dNainAggression>0.5</dNainAggression>", {{"nain0.aggression", "6"}, {"nain1.aggression", "2"}}},
    {"nains negative factor gives 1", "<dNainAggression>-2</dNainAggression>", {{"nain0.aggression", "1"}}},
    {"nains tiny factor held at the int limit",
     "<dNainAggression>1e-30</dNainAggression>",
     {{"nain0.aggression", "2147483647"}, {"nain1.aggression", "2147483647"}}},
    // Weapon.
    {"weapon given", "<awardWeaponName>blaster</awardWeaponName>", {{"weapon", "blaster"}, {"weapon.fresh", "1"}}},
    {"weapon taken by an unknown name",
     "<awardWeaponName>bazooka</awardWeaponName>",
     {{"weapon", "none"}, {"weapon.fresh", "1"}}},
    // Score: multiplier 3, point factor 1.5; the score takes 4504.5 rounded up, and so does the text.
    {"score with the text of what was added",
     "<addToScore>1001</addToScore>",
     {{"score", "4505"}, {"texts", "[4,505]"}}},
    {"score 0 adds nothing", "<addToScore>0</addToScore>", {}},
    {"score negative adds nothing", "<addToScore>-5</addToScore>", {}},
    {"multiplier added", "<addToScoreMultiplier>2</addToScoreMultiplier>", {{"multiplier", "5"}, {"texts", "[$ x 5]"}}},
    {"multiplier set to 0",
     "<setScoreMultiplierTo>0</setScoreMultiplierTo>",
     {{"multiplier", "0"}, {"texts", "[$ x 0]"}}},
    {"multiplier set",
     "<setScoreMultiplierTo>12</setScoreMultiplierTo>",
     {{"multiplier", "12"}, {"texts", "[$ x 12]"}}},
    // Lives and the level.
    {"lives added", "<addToLives>2</addToLives>", {{"lives", "5"}}},
    {"life taken", "<addToLives>-1</addToLives>", {{"lives", "2"}}},
    {"lives held at the int limit", "<addToLives>2147483647</addToLives>", {{"lives", "2147483647"}}},
    {"level finished", "<finishLevel>1</finishLevel>", {{"mustClear", "0"}}},
    {"shield installed",
     "<createSheildFromBrick>stone</createSheildFromBrick><numberOfBricksInShield>4</numberOfBricksInShield>",
     {{"shield.fresh", "1"}, {"shield.bricks", "4"}}},
    {"shield of no bricks still replaces the level's",
     "<createSheildFromBrick>stone</createSheildFromBrick><numberOfBricksInShield>0</numberOfBricksInShield>",
     {{"shield.fresh", "1"}}},
    // Music and speed.
    {"music override",
     "<overrideMusicSong>boss theme</overrideMusicSong><overrideMusicDuration>300</overrideMusicDuration>",
     {{"music", "boss theme"}, {"music.duration", "300"}}},
    {"music override needs a duration", "<overrideMusicSong>boss theme</overrideMusicSong>", {}},
    {"music override of a missing song is skipped",
     "<overrideMusicSong>silence</overrideMusicSong><overrideMusicDuration>300</overrideMusicDuration>",
     {}},
    {"game speed",
     "<globalSpeedTarget>0.5</globalSpeedTarget><globalSpeedRate>20</globalSpeedRate><globalSpeedDuration>300</"
     "globalSpeedDuration>",
     {{"speed", "0.5 rate 20 ttl 300"}}},
    {"game speed with default rate and no limit",
     "<globalSpeedTarget>2</globalSpeedTarget>",
     {{"speed", "2 rate 10 ttl -1"}}},
    {"paddle position modifier",
     "<dPaddlePositionModifier>0.5</dPaddlePositionModifier>",
     {{"paddlePositionModifier", "0.5"}}},
    // Read and copied, never used.
    {"inert fields",
     "<duration>5</duration><dBallSize>2</dBallSize><isBrickZapper>1</isBrickZapper><isBrickDetonator>1</"
     "isBrickDetonator><brickJumpToAnimation>wobble</brickJumpToAnimation><dNainFrequency>2</"
     "dNainFrequency><timeWarpFactor>2</timeWarpFactor>",
     {}},
};

TEST_F(AwardTest, EachEffectChangesItsTargetAndNothingElse) {
    for (const EffectCase& c : kEffects) {
        SCOPED_TRACE(c.label);
        // A fresh level for every row.
        TearDown();
        SetUp();
        PowerupPtr caught = Release(Load(c.tags), 310.0f, 690.0f);
        const State before = Snapshot(caught);
        EXPECT_EQ(Award(caught), 0);
        State expected = before;
        expected["powerup.awarded"] = "1";
        for (const auto& [key, value] : c.changes) {
            ASSERT_TRUE(expected.count(key)) << key;
            expected[key] = value;
        }
        EXPECT_EQ(Snapshot(caught), expected);
        EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
    }
}

TEST_F(AwardTest, EverythingAtOnceInOrderAndOnlyOnce) {
    // Progress notes logged, so the note of a second award would show.
    g_errorseverity = {1, 1};
    PowerupPtr caught = Release(Template("everything"), 310.0f, 690.0f);
    Award(caught);
    const State after = Snapshot(caught);
    EXPECT_EQ(LogLinesWith("Awarding powerup!"), 1);
    // The score text uses the multiplier of its own step; the two multiplier steps follow.
    EXPECT_EQ(after.at("texts"), "[4,505][$ x 5][$ x 7]");
    EXPECT_EQ(after.at("multiplier"), "7");
    EXPECT_EQ(after.at("weapon"), "blaster");
    EXPECT_EQ(after.at("shield.bricks"), "4");
    EXPECT_EQ(after.at("ball2.isLive"), "1");  // one twin for the one plain ball
    EXPECT_EQ(after.at("ball3.isLive"), "0");
    // The twin is made before the kinds change, and then changes with the rest.
    EXPECT_EQ(after.at("ball2.kind"), "fire3 ice2 shock4 plow1");
    EXPECT_EQ(after.at("ball1.kind"), "fire2 ice0 shock0 plow0");
    EXPECT_EQ(after.at("powerup.isLive"), "1");

    Award(caught);
    EXPECT_EQ(Snapshot(caught), after);
    EXPECT_EQ(LogLinesWith("Awarding powerup!"), 1);
}

TEST_F(AwardTest, TheShieldIsAFreshCopyOfThePowerupsOwn) {
    PowerupPtr caught = Release(Template("shield"), 310.0f, 690.0f);
    Award(caught);
    ASSERT_EQ(shield->bricksToCheck.size(), 4u);
    const BrickBox& own = *caught->brickShieldToUse;
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NE(shield->bricksToCheck[i], own.bricksToCheck[i]);
        EXPECT_NE(shield->bricksToCheck[i]->brickSprite, own.bricksToCheck[i]->brickSprite);
        EXPECT_EQ(shield->bricksToCheck[i]->brickSprite->x, own.bricksToCheck[i]->brickSprite->x);
        EXPECT_EQ(shield->bricksToCheck[i]->isLive, 1);
    }
    EXPECT_EQ(shield->minX, 3.0f);
    EXPECT_EQ(shield->maxY, 804.0f);
}

TEST_F(AwardTest, SplitFillsOnlyTheFreeSlotsThereAre) {
    struct Case {
        const char* label;
        std::vector<int> live;  // per slot of the pool
        std::vector<int> after;
        std::vector<float> dxAfter;
    };
    const Case cases[] = {
        // Three live balls, one free slot: only the first ball in pool order gets its twin.
        {"one free slot", {1, 1, 1, 0}, {1, 1, 1, 1}, {0.1f, 0.2f, 0.3f, -0.1f}},
        {"no free slot", {1, 1}, {1, 1}, {0.1f, 0.2f}},
        {"two twins, gaps kept in order", {0, 1, 0, 1, 0}, {1, 1, 1, 1, 0}, {-0.2f, 0.2f, -0.4f, 0.4f, 0.5f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        for (const BallPtr& ball : balls) ball->Unlink();
        balls.clear();
        for (size_t i = 0; i < c.live.size(); ++i) {
            balls.push_back(std::make_shared<Ball>());
            MakeBall(balls[i], 100.0f * static_cast<float>(i), 300.0f, 0.1f * static_cast<float>(i + 1), -0.5f, 3.0f);
            balls[i]->isLive = c.live[i];
        }
        Award(Release(Load("<dBallSplit>5</dBallSplit>"), 310.0f, 690.0f));
        for (size_t i = 0; i < c.live.size(); ++i) {
            EXPECT_EQ(balls[i]->isLive, c.after[i]) << i;
            EXPECT_FLOAT_EQ(balls[i]->ballSprite->dx, c.dxAfter[i]) << i;
        }
    }
}

TEST_F(AwardTest, AFaultEndsTheAwardWhereItHappens) {
    // A nain without a body: the distraction step fails after the paddle steps and before the lives.
    nains.push_back(std::make_shared<Nain>());
    PowerupPtr caught =
        Release(Load("<isPaddleSticky>1</isPaddleSticky><nainDistractAnimation>dizzy</nainDistractAnimation>"
                     "<addToLives>1</addToLives>"),
                310.0f, 690.0f);
    Award(caught);
    EXPECT_EQ(paddle->isSticky, 1);
    EXPECT_EQ(lives, 3);
    EXPECT_EQ(caught->hasBeenAwarded, 1);
    EXPECT_EQ(LogLinesWith("powerups:Powerup.AwardPowerup() Attempt to access field or method of Null object"), 1);
    // Awarded once, so the lives never come.
    Award(caught);
    EXPECT_EQ(lives, 3);
}

TEST_F(AwardTest, WithoutAnAwardAnimationThePowerupDiesAtOnce) {
    struct Case {
        const char* spriteName;
        int liveAfter;
    };
    for (const Case& c : {Case{"gem", 1}, Case{"plain", 0}, Case{"ghost", 0}}) {
        SCOPED_TRACE(c.spriteName);
        auto source = std::make_shared<Powerup>();
        source->LoadFromXML(std::string("<powerup><name>p</name><spriteName>") + c.spriteName +
                                "</spriteName><addToLives>1</addToLives></powerup>",
                            sprites, bricks, 0);
        made.push_back(source);
        PowerupPtr caught = Release(source, 310.0f, 690.0f);
        const int livesBefore = lives;
        Award(caught);
        EXPECT_EQ(lives, livesBefore + 1);
        EXPECT_EQ(caught->isLive, c.liveAfter);
    }
}

}  // namespace
}  // namespace poweruptest
