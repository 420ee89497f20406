// The falling prize a nain or a brick releases: its "powerup" element, its fall, the catch by
// the paddle and every effect it has on the paddle, balls, weapon, nains, score, lives and shield.
#include "pieces/powerups.h"

#include <climits>
#include <cmath>
#include <cstdint>

#include "core/arrays.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "core/numeric.h"
#include "core/playtrace.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// A nain's aggression divided down (or up) by the powerup, whole part, never below 1; a
// factor so small that the quotient leaves the int range is held at the largest int.
int DividedAggression(int aggression, float factor) {
    const float q = static_cast<float>(aggression) / factor;
    if (std::isnan(q)) return 1;
    if (q >= 2147483648.0f) return INT_MAX;
    if (q < 1.0f) return 1;
    return static_cast<int>(q);
}

// The yellow text that rises from a caught powerup. A powerup without a body has no place
// to show it.
void ShowText(const SpritePtr& sprite, const std::string& text) {
    if (!sprite) return;
    const float x = sprite->GetCenterX();
    const float y = sprite->GetCenterY() - 25.0f * g_heightFactor;
    const float dx = RndF(-0.5, 0.5);
    const float dy = RndF(-7.5, 0.0);
    const float rot = RndF(-10.0, 10.0);
    const float dRot = RndF(-0.5, 0.5);
    AddToImageTextArray(text, 255.0f, 255.0f, 0.0f, x, y, dx, dy, 0.75f, 0.0375f, rot, dRot, 1.0f, 10.0f);
}

bool Eligible(const Ball& ball) { return ball.isLive == 1 && ball.isWeaponBlast == 0; }

}  // namespace

int Powerup::Unlink() {
    return Guarded("powerups:Powerup.Unlink() ", 0, [&] {
        if (powerupSprite) {
            powerupSprite->Unlink();
            powerupSprite = nullptr;
        }
        if (brickShieldToUse) {
            for (const BrickPtr& brick : brickShieldToUse->bricksToCheck) {
                if (brick) brick->Unlink();
            }
            brickShieldToUse->Unlink(0);
            brickShieldToUse = nullptr;
        }
        return 0;
    });
}

int Powerup::LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites,
                         const std::vector<BrickPtr>& bricks, int keepSprite) {
    return Guarded("powerups:Powerup.LoadFromXML() ", 0, [&] {
        LoadXmlFields(*this, xml, kPowerupFields);

        if (keepSprite == 0) {
            SpritePtr sprite = std::make_shared<Sprite>();
            sprite->Clone(GetSpriteByName(spriteName, sprites), nullptr);
            if (powerupSprite) powerupSprite->Unlink();
            powerupSprite = sprite;
            if (brickShieldToUse) brickShieldToUse->Unlink(1);
            brickShieldToUse = std::make_shared<BrickBox>();
            CreateBrickShield(bricks);
        }
        return 0;
    });
}

int Powerup::CreateBrickShield(const std::vector<BrickPtr>& bricks) {
    return Guarded("powerups:Powerup.CreateBrickShield() ", 0, [&] {
        if (CreateShieldFromBrick.empty() || NumberOfBricksInShield == 0) return 0;
        BrickBox& box = Deref(brickShieldToUse);
        box.SetDimensions(static_cast<float>(g_gamefieldXoffset - 1),
                          static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth + 2), g_BrickShieldY - 1.0f,
                          g_BrickShieldY + 50.0f);
        // A missing template was reported by the lookup; the shield then stays empty.
        BrickPtr model = GetBrickByName(CreateShieldFromBrick, bricks);
        if (!model) return 0;
        // Never more bricks than the field is pixels wide: each would be narrower than a pixel,
        // and a pack asking for thousands of millions would take all memory and time.
        const int count = std::min(NumberOfBricksInShield, g_gamefieldWidth);
        const float width = Deref(model->brickSprite).GetWidth();
        // A body without width cannot be stretched across the field: no shield rather than
        // bricks of infinite size.
        if (width == 0.0f || !std::isfinite(width)) return 0;
        const float scale = static_cast<float>(g_gamefieldWidth) / (width * static_cast<float>(count));
        float x = static_cast<float>(g_gamefieldXoffset);
        for (int i = 0; i < count; ++i) {
            BrickPtr brick = std::make_shared<Brick>();
            brick->Clone(model);
            Sprite& sprite = Deref(brick->brickSprite);
            sprite.x = x;
            sprite.y = g_BrickShieldY;
            sprite.xScale *= scale;
            brick->isLive = 1;
            sprite.isLive = 1;
            box.TestAddBrick(brick);
            x += sprite.GetWidth();
        }
        return 0;
    });
}

int Powerup::AwardPowerup(const AwardTargets& targets) {
    return Guarded("powerups:Powerup.AwardPowerup() ", 0, [&] {
        if (hasBeenAwarded == 1) return 0;
        ThrowError(1, "Awarding powerup!");
        hasBeenAwarded = 1;
        TracePowerupCaught(name);

        AwardToPaddle(targets.paddle);                       // size, stickiness, bounce and look
        SplitBalls(targets.balls);                           // a twin for every ball in play, while slots last
        AwardToBalls(targets.balls);                         // kinds, speed and look of the balls in play
        DisturbNains(targets.nains);                         // shaken, distracted, made to drop what they hold
        OverrideMusic(targets.sounds);                       // a song of its own for a while
        ScaleNainAggression(targets.nains);                  // calmer or angrier nains
        AwardWeapon(targets.weapons, targets.activeWeapon);  // a fresh weapon, or none
        AwardToGame(targets.stat, targets.lives, targets.mustClearBrickCount);  // pace, score, lives, finish, steering
        AwardShield(targets.shield);                                            // a copy of the prebuilt shield

        // Without an "award" animation (or without a body) the powerup vanishes at once.
        if (!powerupSprite || powerupSprite->JumpToAnimation("award") != 1) isLive = 0;
        return 0;
    });
}

// The paddle grows or shrinks about its centre, within a quarter and four times its size.
void Powerup::AwardToPaddle(const PaddlePtr& paddle) {
    Paddle& pad = Deref(paddle);
    Sprite& padSprite = Deref(pad.paddleSprite);
    if (dPaddleXScale != 0.0f) {
        if (padSprite.xScale + dPaddleXScale > 4.0f) {
            dPaddleXScale = 4.0f - padSprite.xScale;
        } else if (padSprite.xScale + dPaddleXScale < 0.25f) {
            dPaddleXScale = 0.25f - padSprite.xScale;
        }
    }
    padSprite.x -= dPaddleXScale / 2.0f * padSprite.widthBound;
    padSprite.xScale += dPaddleXScale;
    if (isPaddleSticky != -1) pad.isSticky = isPaddleSticky;
    padSprite.elasticity += dPaddleElasticity;
    if (!paddleJumpToAnimation.empty()) padSprite.JumpToAnimation(paddleJumpToAnimation);
}

void Powerup::SplitBalls(const std::vector<BallPtr>& balls) {
    if (dBallSplit <= 0) return;
    std::vector<BallPtr> copies;
    for (const BallPtr& entry : balls) {
        const Ball& ball = Deref(entry);
        if (ball.isLive == 0 || ball.isWeaponBlast != 0) continue;
        copies = AppendNewBall(copies);
        copies.back()->Clone(entry);
    }
    // The pool never grows: twins that find no free slot are dropped.
    size_t next = 0;
    for (const BallPtr& entry : balls) {
        if (next >= copies.size()) break;
        Ball& ball = Deref(entry);
        if (ball.isLive != 0 || ball.isWeaponBlast != 0) continue;
        ball.Clone(copies[next++]);
        Sprite& sprite = Deref(ball.ballSprite);
        sprite.dx = -sprite.dx;
        sprite.dy = -sprite.dy;
        sprite.ddx = -sprite.ddx;
        sprite.ddy = -sprite.ddy;
    }
    for (const BallPtr& copy : copies) copy->Unlink();
}

void Powerup::AwardToBalls(const std::vector<BallPtr>& balls) {
    if (isIceball != -1) {
        for (const BallPtr& entry : balls) {
            if (Eligible(Deref(entry))) entry->isIceball = isIceball;
        }
    }
    if (isFireball != -1) {
        for (const BallPtr& entry : balls) {
            if (Eligible(Deref(entry))) entry->isFireball = isFireball;
        }
    }
    if (isShockBall != -1) {
        for (const BallPtr& entry : balls) {
            if (Eligible(Deref(entry))) entry->isShockball = isShockBall;
        }
    }
    if (isBrickplow != -1) {
        for (const BallPtr& entry : balls) {
            if (Eligible(Deref(entry))) entry->isBrickplow = isBrickplow;
        }
    }
    if (isSmartball != -1) {
        for (const BallPtr& entry : balls) {
            if (!Eligible(Deref(entry))) continue;
            entry->smartTarget = nullptr;
            entry->isSmart = isSmartball;
        }
    }
    for (const BallPtr& entry : balls) {
        if (!Eligible(Deref(entry))) continue;
        Sprite& sprite = Deref(entry->ballSprite);
        sprite.vel += dBallSpeed;
        if (sprite.vel < 1.0f) sprite.vel = 1.0f;
    }
    if (!ballJumpToAnimation.empty()) {
        for (const BallPtr& entry : balls) {
            if (Eligible(Deref(entry))) Deref(entry->ballSprite).JumpToAnimation(ballJumpToAnimation);
        }
    }
}

void Powerup::DisturbNains(const std::vector<NainPtr>& nains) {
    if (isBrickShaker != 0) {
        for (const NainPtr& nain : nains) Deref(nain).BumpFromBrick(5.0f);
    }
    if (!nainDistractAnimation.empty()) {
        for (const NainPtr& entry : nains) {
            Nain& nain = Deref(entry);
            Deref(nain.nainSprite).JumpToAnimation(nainDistractAnimation);
            nain.distracted = nainDistractTTL;
            if (nain.currentProjectile) {
                nain.currentProjectile->ThrowProjectile(nullptr, 1.0f, 1.0f, 6.0f);
                nain.currentProjectile->parentNain.reset();
                nain.currentProjectile = nullptr;
            }
        }
    }
}

// A song the sound list does not hold leaves the level music alone.
void Powerup::OverrideMusic(const std::vector<SoundPtr>& sounds) {
    if (overrideMusicSong.empty() || !(overrideMusicDuration > 0.0f)) return;
    SoundPtr song = GetSoundByName(overrideMusicSong, sounds);
    if (!song) return;
    Mixer& mixer = Deref(g_MasterMixer);
    SoundPtr copy = std::make_shared<Sound>();
    copy->Clone(song);
    mixer.musicOverride = copy;
    mixer.musicOverrideDuration = overrideMusicDuration;
}

void Powerup::ScaleNainAggression(const std::vector<NainPtr>& nains) {
    if (dNainAggression == 1.0f) return;
    for (const NainPtr& entry : nains) {
        Nain& nain = Deref(entry);
        nain.aggression = DividedAggression(nain.aggression, dNainAggression);
    }
}

void Powerup::AwardWeapon(const std::vector<WeaponPtr>& weapons, WeaponPtr& activeWeapon) {
    if (awardWeaponName.empty()) return;
    WeaponPtr found = GetWeaponByName(awardWeaponName, weapons);
    if (found) {
        WeaponPtr weapon = std::make_shared<Weapon>();
        weapon->Clone(found);
        activeWeapon = weapon;
    } else {
        activeWeapon = nullptr;
    }
}

void Powerup::AwardToGame(const GameStatPtr& stat, int& lives, int& mustClearBrickCount) {
    if (GlobalSpeedTarget != -1.0f) SetGlobalGameSpeed(GlobalSpeedTarget, GlobalSpeedRate, GlobalSpeedDuration);
    if (addToScore > 0) {
        GameStat& record = Deref(stat);
        record.AddToScore(static_cast<int64_t>(addToScore));
        // The text shows what the score really gained, rounded up as AddToScore rounds.
        ShowText(powerupSprite, FormatNumber(record.ScoredPoints(addToScore)));
    }
    if (addToLives != 0) lives = AddSaturated(lives, addToLives);  // a huge content value must not wrap them
    if (finishLevel != 0) mustClearBrickCount = 0;
    if (addToScoreMultiplier > 0) {
        GameStat& record = Deref(stat);
        record.AddToMultiplier(addToScoreMultiplier);
        ShowText(powerupSprite, "$ x " + FormatNumber(record.scoreMultiplier));
    }
    if (setScoreMultiplierTo > -1) {
        GameStat& record = Deref(stat);
        record.SetMultiplier(setScoreMultiplierTo);
        ShowText(powerupSprite, "$ x " + FormatNumber(record.scoreMultiplier));
    }
    if (dPaddlePositionModifier != 1.0f) g_paddlePositionModifier *= dPaddlePositionModifier;
}

void Powerup::AwardShield(BrickBoxPtr& shield) {
    if (CreateShieldFromBrick.empty()) return;
    BrickBoxPtr box = std::make_shared<BrickBox>();
    if (brickShieldToUse) box->Clone(brickShieldToUse);
    shield = box;
}

int Powerup::Clone(const PowerupPtr& source) {
    return Guarded("powerups:Powerup.Clone() ", 0, [&] {
        // Held first: a powerup cloned from itself still has its own parts to copy.
        PowerupPtr keep = source;
        const Powerup& src = Deref(keep);
        CopyXmlFields(*this, src, kPowerupFields);

        SpritePtr sourceSprite = src.powerupSprite;
        BrickBoxPtr sourceShield = src.brickShieldToUse;
        BrickBoxPtr newShield;
        if (sourceShield) {
            newShield = std::make_shared<BrickBox>();
            newShield->Clone(sourceShield);
        }
        SpritePtr newSprite;
        if (sourceSprite) {
            newSprite = std::make_shared<Sprite>();
            newSprite->Clone(sourceSprite, nullptr);
        }
        Unlink();
        powerupSprite = newSprite;
        brickShieldToUse = newShield;
        return 0;
    });
}

int Powerup::Initialize(float x, float y, float dx, float dy, float vel) {
    return Guarded("powerups:Powerup.Initialize() ", 0, [&] {
        isLive = 1;
        if (powerupSprite) {
            Sprite& sprite = *powerupSprite;
            sprite.x = x - sprite.GetWidth() / 2.0f;
            sprite.y = y - sprite.GetHeight() / 2.0f;
            sprite.dx = dx + RndF(-0.15, 0.15);
            sprite.dy = dy + RndF(-0.15, 0.0);
            sprite.vel = vel + RndF(-0.15, 0.15);
            sprite.ddx = 0.0f;
            sprite.ddy = 1.0f;
            sprite.accel = g_gravitationalConstant;
        }
        return 0;
    });
}

int Powerup::PaddleCollision(const PaddlePtr& paddle) {
    return Guarded("powerups:Powerup.PaddleCollision() ", 0, [&] {
        // A powerup without a body (its source was missing) can never be caught.
        if (isLive == 0 || !powerupSprite) return 0;
        Paddle& pad = Deref(paddle);
        if (pad.isLive == 0) return 0;
        return powerupSprite->BoundingBoxCollision(pad.paddleSprite, 0, 0.0f) == 1 ? 1 : 0;
    });
}

int Powerup::Update() {
    return Guarded("powerups:Powerup.Update() ", 0, [&] {
        if (isLive != 1 || !powerupSprite) return 0;
        Sprite& sprite = *powerupSprite;
        if (sprite.isLive == 0) isLive = 0;
        sprite.Update();
        if (sprite.y > static_cast<float>(g_gamefieldHeight + g_gamefieldYoffset)) isLive = 0;
        // Votes for the sprite's next update, which turns them into a rebound off the side walls.
        if (sprite.x < static_cast<float>(g_gamefieldXoffset)) {
            sprite.xRebound = -100;
        } else if (sprite.GetRightEdge(0.0f) > static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth)) {
            sprite.xRebound = 100;
        }
        return 0;
    });
}

int Powerup::Draw() {
    return Guarded("powerups:Powerup.Draw() ", 0, [&] {
        if (powerupSprite && isLive == 1) powerupSprite->Draw();
        return 0;
    });
}

PowerupPtr GetPowerupByName(const std::string& name, const std::vector<PowerupPtr>& powerups) {
    return GetByName("powerups:GetPowerupByName() ", powerups, &Powerup::name, name, "powerup");
}

std::vector<PowerupPtr> AppendNewPowerup(const std::vector<PowerupPtr>& powerups) {
    return AppendNew("powerups:AppendNewPowerup() ", powerups);
}
