// One tick of a live level: balls through the brick grid in five sub-steps, bricks, nains,
// projectiles, powerups, goals, paddle hits, the weapon, and the level's timers and fades.
#include <optional>
#include <string>
#include <vector>

#include "core/globals.h"
#include "level/goal.h"
#include "level/level.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/powerups.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/runtime.h"
#include "sprites/prefetch.h"
#include "sprites/sprites.h"

namespace {

constexpr int kBallSubSteps = 5;
constexpr float kOff = -1.0f;
// Ticks of fade-to-black at the end of a level and of fade-in at its start.
constexpr float kFadeTicks = 25.0f;
constexpr float kNewPaddleGraceTicks = 50.0f;

// The grid boxes' own touch test, made here first: a ball is near only a few of the boxes, and
// asking each of the others costs a call to hear "no". A box asked nothing is left unchecked,
// as its own test would leave it.
struct BallRect {
    float left, top, right, bottom;
};

bool RectOfBall(const Ball& ball, BallRect& rect) {
    Sprite* body = ball.ballSprite.get();
    if (!body) return false;  // the box reports that itself
    rect = {body->x, body->y, body->GetRightEdge(0.0f), body->GetBottomEdge(0.0f)};
    return true;
}

bool MissesColumn(float minX, float maxX, const BallRect& r, float margin) {
    return (minX - margin) > r.right || maxX < (r.left - margin);
}

bool MissesRow(float minY, float maxY, const BallRect& r, float margin) {
    return (minY - margin) > r.bottom || maxY < (r.top - margin);
}

bool MissesBox(const BrickBox& box, const BallRect& r, float margin) {
    return MissesColumn(box.minX, box.maxX, r, margin) || MissesRow(box.minY, box.maxY, r, margin);
}

constexpr int kMaxGridSide = 5;

// The ball's half of Apart's test, worked out once for all the nains and projectiles it passes,
// and again after any call that may have moved it. A ball never placed (absX and absY both 0)
// has none.
std::optional<Sprite::OtherBox> ReachOf(const Sprite* ball, float margin) {
    if (!ball || (ball->absX == 0.0f && ball->absY == 0.0f)) return std::nullopt;
    return ball->BoxAsOther(margin);
}

// The box test of NainCollision and ProjectileCollision, made here first: a ball is near few
// of the nains and projectiles. Only a certain miss is passed over; a ball never placed (the
// test places it) or a missing body goes to the call, which answers as it always has.
bool Apart(const SpritePtr& body, const std::optional<Sprite::OtherBox>& ball, float margin) {
    return body && ball && !body->BoxesMeet(*ball, 0, margin);
}

void SetBlackOverlay(float alpha) {
    g_ScreenOverlayRed = 0;
    g_ScreenOverlayGreen = 0;
    g_ScreenOverlayBlue = 0;
    g_ScreenOverlayAlpha = alpha;
}

}  // namespace

// When every box of a column has the column's x edges and every box of a row the row's y
// edges, as CreateBrickBoxGrid lays them out (box i * side + j is column i, row j), a ball
// misses a box exactly when it misses the box's column or its row: a column the ball is
// nowhere near is passed over whole. Anything else (side 0) has each box asked on its own.
struct Level::BoxGrid {
    int side = 0;
    float columnMinX[kMaxGridSide] = {};
    float columnMaxX[kMaxGridSide] = {};
    float rowMinY[kMaxGridSide] = {};
    float rowMaxY[kMaxGridSide] = {};
    BrickBox* boxes[kMaxGridSide * kMaxGridSide] = {};

    explicit BoxGrid(const std::vector<BrickBoxPtr>& boxes) {
        const size_t count = boxes.size();
        int n = 1;
        while (n < kMaxGridSide && static_cast<size_t>(n * n) < count) ++n;
        if (static_cast<size_t>(n * n) != count) return;
        for (size_t b = 0; b < count; ++b) {
            BrickBox* box = boxes[b].get();
            if (!box) return;
            this->boxes[b] = box;
            const size_t i = b / static_cast<size_t>(n), j = b % static_cast<size_t>(n);
            if (j == 0) {
                columnMinX[i] = box->minX;
                columnMaxX[i] = box->maxX;
            } else if (box->minX != columnMinX[i] || box->maxX != columnMaxX[i]) {
                return;
            }
            if (i == 0) {
                rowMinY[j] = box->minY;
                rowMaxY[j] = box->maxY;
            } else if (box->minY != rowMinY[j] || box->maxY != rowMaxY[j]) {
                return;
            }
        }
        side = n;
    }
};

int Level::Update(const GameStatPtr& gameStat, const std::vector<SoundPtr>& sounds, int& lives, int noNewNains) {
    return Guarded("level:Level.Update() ", 0, [&] {
        // Once the game is over the pointer belongs to the game-over screen.
        if (gameOver != 0.0f) g_useMouseAsProportionalController();

        // New nains, projectiles and powerups are appended while the step runs: every walk fixes
        // its bound first, and what is appended waits for the next walk. The ball pool, the grid
        // and the bricks never change size within the step, so those walks borrow their entries.
        SpritePtr nainTarget = UpdateBalls(gameStat);  // five sub-steps; the last live ball draws fire
        UpdateBricks(gameStat);                        // freezes, fuses and the powerups they drop
        UpdateShield(gameStat);                        // the shield's bricks, apart from the grid
        AddNewNains(noNewNains);                       // each kind at its own frequency
        UpdateNains(nainTarget);                       // walks, throws and powerups they drop
        UpdateProjectiles();                           // only those out of a nain's hand
        UpdatePowerups();                              // the fall of every powerup
        UpdateGoals(gameStat, sounds, lives);          // won or lost, unless a fade or new paddle waits
        CatchProjectiles(gameStat);                    // hits on the paddle stun it
        CatchPowerups(gameStat, sounds, lives);        // caught powerups take effect
        CatchNains(gameStat);                          // nains bounce off the paddle
        UpdateWeapon();                                // the weapon charges and fires
        CountDownTimers(sounds);                       // new paddle, grace, fades and game over
        return 0;
    });
}

// Every ball moves before any is tested, so a hit never sees a half-moved pool. Nains and
// projectiles are slower and larger than bricks: two passes a tick suffice.
SpritePtr Level::UpdateBalls(const GameStatPtr& gameStat) {
    SpritePtr nainTarget;
    // Nothing in a step moves or replaces the boxes: one look serves all its balls.
    const BoxGrid grid(brickBoxArray);
    for (int subStep = 0; subStep < kBallSubSteps; ++subStep) {
        nainTarget = MoveBalls();
        const bool testNainsAndProjectiles = (subStep % 4) == 0;
        const size_t ballCount = ballsArray.size();
        for (size_t i = 0; i < ballCount; ++i) {
            CollideBall(At(ballsArray, i), gameStat, testNainsAndProjectiles, grid);
        }
    }
    return nainTarget;
}

// Counts the balls still in play and gives the last live one's body to the nains as a target.
SpritePtr Level::MoveBalls() {
    ballsAlive = 0;
    const size_t ballCount = ballsArray.size();
    long long lastLive = -1;
    for (size_t i = 0; i < ballCount; ++i) {
        Ball& ball = Deref(At(ballsArray, i));
        ball.Update(playerPaddle);
        if (ball.isLive == 1) lastLive = static_cast<long long>(i);
        if (ball.isLive != 0 && ball.isWeaponBlast == 0) ++ballsAlive;
    }
    return lastLive < 0 ? nullptr : ballsArray[static_cast<size_t>(lastLive)]->ballSprite;
}

void Level::CollideBall(const BallPtr& ballRef, const GameStatPtr& gameStat, bool testNainsAndProjectiles,
                        const BoxGrid& grid) {
    Ball& ball = Deref(ballRef);
    ball.PaddleCollision(playerPaddle);
    if (ball.isLive == 1) {
        float reach = ball.isExploding > 0.0f ? ball.isExploding : 0.0f;
        CollideBoxes(ball, ballRef, reach, gameStat, grid);
        // Shield bricks are a bonus, never part of what must be cleared.
        if (brickShield) brickShield->BrickBallCollision(ballRef, reach, gameStat, bricksArray);
        if (testNainsAndProjectiles) {
            // A dead nain or projectile, or one the ball is clear of, answers no at once: it is
            // not asked.
            const Sprite* body = ball.ballSprite.get();
            std::optional<Sprite::OtherBox> near = ReachOf(body, reach);
            const size_t nainCount = nainsArray.size();
            for (size_t n = 0; n < nainCount; ++n) {
                const NainPtr& nain = At(nainsArray, n);
                if (nain && (nain->isLive == 0 || Apart(nain->nainSprite, near, reach))) continue;
                ball.NainCollision(nain, reach);
                near = ReachOf(body, reach);  // a rebound may have moved it
            }
            const size_t projectileCount = projectilesArray.size();
            for (size_t p = 0; p < projectileCount; ++p) {
                const ProjectilePtr& projectile = At(projectilesArray, p);
                if (!projectile || projectile->isLive == 0 || Apart(projectile->projectileSprite, near, reach))
                    continue;
                ball.ProjectileCollision(projectile, reach, gameStat);
                near = ReachOf(body, reach);
            }
        }
        // A fireball's blast acts in one collision pass only.
        if (reach > 0.0f) ball.isExploding = 0.0f;
    }
    mustClearBrickCount -= ball.SmartBallDamage(bricksArray, gameStat);
}

void Level::CollideBoxes(Ball& ball, const BallPtr& ballRef, float reach, const GameStatPtr& gameStat,
                         const BoxGrid& grid) {
    const size_t boxCount = brickBoxArray.size();
    BallRect rect{};
    bool known = RectOfBall(ball, rect);
    const size_t side = boxCount == static_cast<size_t>(grid.side * grid.side) ? static_cast<size_t>(grid.side) : 0;
    const auto ask = [&](BrickBox& box) {
        mustClearBrickCount -= box.BrickBallCollision(ballRef, reach, gameStat, bricksArray);
        known = RectOfBall(ball, rect);  // a rebound may have moved it
    };
    if (side == 0) {
        for (size_t b = 0; b < boxCount; ++b) {
            BrickBox& box = Deref(At(brickBoxArray, b));
            if (known && MissesBox(box, rect, reach)) {
                box.beingChecked = 0;
                continue;
            }
            ask(box);
        }
        return;
    }
    for (size_t column = 0; column < side; ++column) {
        BrickBox* const* boxes = grid.boxes + column * side;
        // Worked out again only after a box is asked: nothing else moves the ball.
        const auto missesColumn = [&] {
            return known && MissesColumn(grid.columnMinX[column], grid.columnMaxX[column], rect, reach);
        };
        bool missed = missesColumn();
        for (size_t row = 0; row < side; ++row) {
            if (missed) {
                // The rest of the column at once: nothing is asked, so the ball stays put.
                for (; row < side; ++row) boxes[row]->beingChecked = 0;
                break;
            }
            BrickBox& box = *boxes[row];
            if (known && MissesRow(grid.rowMinY[row], grid.rowMaxY[row], rect, reach)) {
                box.beingChecked = 0;
                continue;
            }
            ask(box);
            missed = missesColumn();
        }
    }
}

void Level::UpdateBricks(const GameStatPtr& gameStat) {
    const size_t brickCount = bricksArray.size();
    for (size_t i = 0; i < brickCount; ++i) {
        // Fetched ahead: the brick itself, then the chain its sprite's update reads.
        if (i + 5 < bricksArray.size()) __builtin_prefetch(bricksArray[i + 5].get());
        PrefetchSpritesAhead(i + 1, bricksArray.size(), [&](size_t j) -> const Sprite* {
            const Brick* ahead = bricksArray[j].get();
            return ahead ? ahead->brickSprite.get() : nullptr;
        });
        const BrickPtr& brick = At(bricksArray, i);
        mustClearBrickCount -= Deref(brick).Update(gameStat, bricksArray);
        // "none" is the table's way of saying nothing: it stays so the brick asks no more.
        if (!brick->powerupToGenerate.empty() && brick->powerupToGenerate != "none") {
            GenerateBrickPowerup(brick);
            brick->powerupToGenerate.clear();
        }
    }
}

void Level::UpdateShield(const GameStatPtr& gameStat) {
    if (!brickShield) return;
    BrickBoxPtr shield = brickShield;
    const size_t shieldCount = shield->bricksToCheck.size();
    for (size_t i = 0; i < shieldCount; ++i) {
        BrickPtr brick = At(shield->bricksToCheck, i);
        if (brick) brick->Update(gameStat, shield->bricksToCheck);
    }
}

void Level::AddNewNains(int noNewNains) {
    if (noNewNains != 0) return;
    const size_t kinds = sourceNainsArray.size();
    for (size_t i = 0; i < kinds; ++i) {
        const NainPtr& kind = At(sourceNainsArray, i);
        if (Rand(0, Deref(kind).frequency) < 1) AddNainToBrick(static_cast<int>(i));
    }
}

void Level::UpdateNains(SpritePtr& nainTarget) {
    const size_t nainCount = nainsArray.size();
    for (size_t i = 0; i < nainCount; ++i) {
        NainPtr nain = At(nainsArray, i);
        Deref(nain).Update(sourceProjectilesArray, projectilesArray, nainTarget, Deref(playerPaddle).paddleSprite);
        if (!nain->powerupToGenerate.empty()) {
            GeneratePowerup(nain);
            nain->powerupToGenerate.clear();
        }
    }
}

// A projectile still in its nain's hand moves with the nain's sprite tree.
void Level::UpdateProjectiles() {
    const size_t projectileCount = projectilesArray.size();
    for (size_t i = 0; i < projectileCount; ++i) {
        ProjectilePtr projectile = At(projectilesArray, i);
        if (!projectile) continue;
        const SpritePtr& body = projectile->projectileSprite;
        if (body && body->parentSprite.lock()) continue;
        projectile->Update();
    }
}

void Level::UpdatePowerups() {
    const size_t powerupCount = powerupsArray.size();
    for (size_t i = 0; i < powerupCount; ++i) {
        Deref(At(powerupsArray, i)).Update();
    }
}

// While the level fades out or a new paddle is awaited, nothing can be won or lost.
void Level::UpdateGoals(const GameStatPtr& gameStat, const std::vector<SoundPtr>& sounds, int& lives) {
    if (levelEndTTL != kOff || newPaddleTTL != kOff) return;
    GameStatPtr stat = gameStat;
    const size_t goalCount = goalsArray.size();
    for (size_t i = 0; i < goalCount; ++i) {
        UpdateGoal(At(goalsArray, i), sounds, lives, stat);
    }
}

void Level::CatchProjectiles(const GameStatPtr& gameStat) {
    const size_t thrownCount = projectilesArray.size();
    for (size_t i = 0; i < thrownCount; ++i) {
        ProjectilePtr projectile = At(projectilesArray, i);
        if (!projectile || projectile->isLive == 0) continue;
        if (projectile->PaddleCollision(playerPaddle, gameStat) != 0) {
            Deref(Deref(playerPaddle).paddleSprite).shake += projectile->stun;
            if (NainPtr thrower = projectile->parentNain.lock()) thrower->Bullseye();
            projectile->DestroyProjectile();
        }
    }
}

AwardTargets Level::AwardTargetsFor(const GameStatPtr& gameStat, const std::vector<SoundPtr>& sounds, int& lives) {
    return {.paddle = playerPaddle,
            .balls = ballsArray,
            .weapons = sourceWeaponsArray,
            .activeWeapon = activeWeapon,
            .nains = nainsArray,
            .stat = gameStat,
            .shield = brickShield,
            .lives = lives,
            .mustClearBrickCount = mustClearBrickCount,
            .sounds = sounds};
}

void Level::CatchPowerups(const GameStatPtr& gameStat, const std::vector<SoundPtr>& sounds, int& lives) {
    const AwardTargets targets = AwardTargetsFor(gameStat, sounds, lives);
    const size_t caughtCount = powerupsArray.size();
    for (size_t i = 0; i < caughtCount; ++i) {
        PowerupPtr powerup = At(powerupsArray, i);
        if (Deref(powerup).PaddleCollision(playerPaddle) != 0) powerup->AwardPowerup(targets);
    }
}

void Level::CatchNains(const GameStatPtr& gameStat) {
    const size_t bouncedCount = nainsArray.size();
    for (size_t i = 0; i < bouncedCount; ++i) {
        NainPtr nain = At(nainsArray, i);
        if (Deref(nain).PaddleCollision(playerPaddle) != 0) {
            nain->Bounce(playerPaddle, gameStat);
            // The jolt of a nain landing shakes every ball loose.
            for (size_t b = 0; b < ballsArray.size(); ++b) Deref(ballsArray[b]).isStuck = kBallNotStuck;
        }
    }
}

void Level::UpdateWeapon() {
    if (!activeWeapon) return;
    WeaponPtr weapon = activeWeapon;
    weapon->Update(ballsArray, playerPaddle);
}

void Level::CountDownTimers(const std::vector<SoundPtr>& sounds) {
    const float f = g_gameSpeedFactor;
    if (newPaddleTTL != kOff) {
        newPaddleTTL -= f;
        if (newPaddleTTL < 0.0f) {
            newPaddleTTL = kOff;
            StartNewBall(sounds);
            newPaddleGracePeriod = kNewPaddleGraceTicks;
        }
    }
    if (newPaddleGracePeriod != kOff) {
        newPaddleGracePeriod -= f;
        if (newPaddleGracePeriod < 0.0f) newPaddleGracePeriod = kOff;
    }
    // The end timer rests at 0, which the main loop reads as "level over".
    if (levelEndTTL != kOff) {
        levelEndTTL -= f;
        if (levelEndTTL < 0.0f) levelEndTTL = 0.0f;
        if (levelEndTTL < kFadeTicks) SetBlackOverlay(1.0f - levelEndTTL / kFadeTicks);
    }
    // After the end fade on purpose: when both run, the fade-in wins.
    if (levelStartTTL != kOff) {
        levelStartTTL -= f;
        if (levelStartTTL < 0.0f) {
            levelStartTTL = kOff;
            g_ScreenOverlayAlpha = 0.0f;
        } else if (levelStartTTL < kFadeTicks) {
            SetBlackOverlay(levelStartTTL / kFadeTicks);
        }
    }
    if (gameOver != kOff) {
        gameOver -= f;
        if (gameOver < 0.0f) gameOver = 0.0f;
    }
}
