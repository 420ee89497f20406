// The live level's ownership: releasing it, breaking the reference cycles among its pieces,
// and copying one level into a playable level of its own.
#include "level/level.h"

#include "core/globals.h"
#include "level/goal.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/powerups.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/runtime.h"

namespace {

// Unlinks every piece of the array, then leaves the field an empty array.
template <class T>
void UnlinkEach(std::vector<std::shared_ptr<T>>& array) {
    for (size_t i = 0, n = array.size(); i < n && i < array.size(); ++i) {
        if (array[i]) array[i]->Unlink();
        array[i] = nullptr;
    }
    array = {};
}

template <class T>
void UnlinkOne(std::shared_ptr<T>& piece) {
    if (piece) piece->Unlink();
    piece = nullptr;
}

// The shield box is the only holder of its bricks, so they go with it.
void ReleaseShield(BrickBoxPtr& shield) {
    if (shield) shield->Unlink(1);
    shield = nullptr;
}

}  // namespace

Level::~Level() {
    Guarded("level:Level.Delete() ", 0, [&] { return Unlink(); });
    // Unlink keeps the shield for the screens that still draw it; a level that goes away
    // must not leave its bricks behind.
    Guarded("level:Level.Delete() ", 0, [&] {
        ReleaseShield(brickShield);
        return 0;
    });
}

int Level::Unlink() {
    return Guarded("level:Level.Unlink() ", 0, [&] {
        UnlinkOne(playerPaddle);
        UnlinkOne(playerPaddleSource);
        UnlinkEach(ballsArray);
        UnlinkEach(newBallsSourceArray);
        UnlinkEach(bricksArray);
        UnlinkEach(nainsArray);
        UnlinkEach(sourceNainsArray);
        UnlinkEach(sourcePowerupsArray);
        UnlinkEach(powerupsArray);
        UnlinkEach(projectilesArray);
        UnlinkEach(sourceProjectilesArray);
        UnlinkEach(sourceWeaponsArray);
        UnlinkOne(activeWeapon);
        UnlinkEach(sourceBallsArray);
        // A goal refers to nothing else.
        goalsArray = {};
        // Each grid box unlinks the bricks it lists as well.
        for (size_t i = 0, n = brickBoxArray.size(); i < n && i < brickBoxArray.size(); ++i) {
            if (brickBoxArray[i]) brickBoxArray[i]->Unlink(1);
            brickBoxArray[i] = nullptr;
        }
        brickBoxArray = {};
        return 0;
    });
}

int Level::Clone(const std::shared_ptr<Level>& source) {
    return Guarded("level:Level.Clone() ", 0, [&] {
        // Checked before anything is unlinked, so a bad source leaves this level as it was.
        Level& s = Deref(source);
        if (&s == this) return 0;  // unlinking first would wipe the very source of the copy
        if (!s.playerPaddle) RuntimeError("Level to clone has no paddle.");
        if (!s.brickShield) RuntimeError("Level to clone has no brick shield.");

        Unlink();
        name = s.name;
        nameOfFile = s.nameOfFile;

        for (size_t i = 0, n = s.ballsArray.size(); i < n; ++i) {
            ballsArray.push_back(std::make_shared<Ball>());
            ballsArray.back()->Clone(s.ballsArray[i]);
        }
        for (size_t i = 0, n = s.goalsArray.size(); i < n; ++i) {
            goalsArray.push_back(std::make_shared<Goal>());
            goalsArray.back()->Clone(s.goalsArray[i]);
        }
        for (size_t i = 0, n = s.bricksArray.size(); i < n; ++i) {
            bricksArray.push_back(std::make_shared<Brick>());
            bricksArray.back()->Clone(s.bricksArray[i]);
        }
        for (size_t i = 0, n = s.sourceNainsArray.size(); i < n; ++i) {
            sourceNainsArray.push_back(std::make_shared<Nain>());
            sourceNainsArray.back()->Clone(s.sourceNainsArray[i]);
        }

        brickMinX = s.brickMinX;
        brickMinY = s.brickMinY;
        brickMaxX = s.brickMaxX;
        brickMaxY = s.brickMaxY;
        mustClearBrickCount = s.mustClearBrickCount;

        auto paddle = std::make_shared<Paddle>();
        paddle->Clone(s.playerPaddle);
        playerPaddle = paddle;

        CreateBrickBoxGrid();

        auto shield = std::make_shared<BrickBox>();
        shield->Clone(s.brickShield);
        ReleaseShield(brickShield);
        brickShield = shield;

        LinkBricks(bricksArray, {}, 1);
        music = s.music;
        // The copy saves as its source would: the writer takes these in place of the pieces.
        loadedBallsXML = s.loadedBallsXML;
        loadedPaddleXML = s.loadedPaddleXML;
        loadedGoalsXML = s.loadedGoalsXML;
        loadedNainsXML = s.loadedNainsXML;
        return 0;
    });
}
