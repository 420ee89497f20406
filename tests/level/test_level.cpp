// The level as an owner: a new level's defaults, unlinking its pieces, releasing everything it
// holds (the brick shield included) and copying it into a playable level of its own.
#include <set>

#include "levelcore_support.h"
#include "support/support.h"

using namespace levelcore;

namespace {

class LevelTest : public LevelCoreTest {
protected:
    void ExpectOnlyThePackLeft() {
        EXPECT_EQ(g_debugSpritesInMemory, spritesWithPack);
        EXPECT_EQ(g_debugBricksInMemory, bricksWithPack);
    }
};

// Every object a level holds among the copied kinds, by identity.
std::set<const void*> Objects(const Level& level) {
    std::set<const void*> all;
    auto add = [&](const auto& array) {
        for (const auto& p : array) {
            if (p) all.insert(p.get());
        }
    };
    add(level.ballsArray);
    add(level.goalsArray);
    add(level.bricksArray);
    add(level.sourceNainsArray);
    add(level.brickBoxArray);
    if (level.brickShield) {
        all.insert(level.brickShield.get());
        add(level.brickShield->bricksToCheck);
    }
    if (level.playerPaddle) {
        all.insert(level.playerPaddle.get());
        all.insert(level.playerPaddle->paddleSprite.get());
    }
    for (const BallPtr& ball : level.ballsArray) all.insert(ball->ballSprite.get());
    for (const BrickPtr& brick : level.bricksArray) all.insert(brick->brickSprite.get());
    for (const NainPtr& nain : level.sourceNainsArray) all.insert(nain->nainSprite.get());
    return all;
}

// Weak handles on pieces of a level, to see that they are really gone.
struct Watch {
    std::vector<std::weak_ptr<void>> pieces;

    explicit Watch(const Level& level) {
        pieces = {level.playerPaddle,
                  level.playerPaddle->paddleSprite,
                  level.playerPaddleSource,
                  level.ballsArray[0],
                  level.ballsArray[0]->ballSprite,
                  level.bricksArray[0],
                  level.bricksArray[1]->nextBrick,
                  level.bricksArray[5]->brickSprite,
                  level.brickBoxArray[0],
                  level.nainsArray[0],
                  level.nainsArray[0]->nainSprite,
                  level.projectilesArray[0],
                  level.sourceNainsArray[1],
                  level.sourcePowerupsArray[0],
                  level.sourcePowerupsArray[0]->brickShieldToUse,
                  level.sourcePowerupsArray[0]->brickShieldToUse->bricksToCheck[0],
                  level.powerupsArray[0],
                  level.activeWeapon,
                  level.activeWeapon->shotsGenerated,
                  level.goalsArray[0],
                  level.brickShield,
                  level.brickShield->bricksToCheck[0],
                  level.brickShield->bricksToCheck[3],
                  level.brickShield->bricksToCheck[3]->brickSprite,
                  level.difficultyArray[0],
                  level.backgroundImage};
    }
    int Alive() const {
        int alive = 0;
        for (const auto& piece : pieces) alive += !piece.expired();
        return alive;
    }
};

TEST_F(LevelTest, NewLevelHoldsTheDefaults) {
    Level level;
    EXPECT_EQ(level.name, "");
    EXPECT_EQ(level.nameOfFile, "");
    EXPECT_EQ(level.nextLevel, "");
    EXPECT_EQ(level.music, "");
    EXPECT_EQ(level.playerPaddle, nullptr);
    EXPECT_EQ(level.playerPaddleSource, nullptr);
    EXPECT_EQ(level.activeWeapon, nullptr);
    EXPECT_EQ(level.brickShield, nullptr);
    EXPECT_EQ(level.backgroundImage, nullptr);
    EXPECT_TRUE(level.ballsArray.empty() && level.bricksArray.empty() && level.goalsArray.empty() &&
                level.brickBoxArray.empty() && level.nainsArray.empty() && level.sourceNainsArray.empty() &&
                level.powerupsArray.empty() && level.projectilesArray.empty() && level.difficultyArray.empty());
    EXPECT_EQ(level.brickMinX, 999999.0f);
    EXPECT_EQ(level.brickMinY, 999999.0f);
    EXPECT_EQ(level.brickMaxX, 0.0f);
    EXPECT_EQ(level.brickMaxY, 0.0f);
    EXPECT_EQ(level.mustClearBrickCount, 0);
    EXPECT_EQ(level.ballsAlive, 1);
    EXPECT_EQ(level.updateCounter, 0);
    EXPECT_EQ(level.updateBallsModulo, 1);
    EXPECT_EQ(level.updateBricksModulo, 4);
    EXPECT_EQ(level.updateGoalsModulo, 4);
    EXPECT_EQ(level.levelEndTTL, -1.0f);
    EXPECT_EQ(level.levelStartTTL, 25.0f);
    EXPECT_EQ(level.newPaddleTTL, -1.0f);
    EXPECT_EQ(level.newPaddleGracePeriod, -1.0f);
    EXPECT_EQ(level.gameOver, -1.0f);
}

TEST_F(LevelTest, AFreshLevelUnlinksAndGoesWithoutTouchingAnythingElse) {
    auto level = std::make_shared<Level>();
    level->name = "Entry";
    level->nameOfFile = "/packs/test/entry.xml";
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(level->Unlink(), 0);
        EXPECT_EQ(level->name, "Entry");
        EXPECT_EQ(level->nameOfFile, "/packs/test/entry.xml");
        EXPECT_EQ(level->levelStartTTL, 25.0f);
        EXPECT_EQ(level->gameOver, -1.0f);
        EXPECT_TRUE(level->ballsAlive == 1 && level->brickShield == nullptr && level->bricksArray.empty());
    }
    level.reset();
    EXPECT_TRUE(DebugLogLines().empty());
    ExpectOnlyThePackLeft();
    // The pack's templates are whole.
    EXPECT_NE(pack.bricks[1]->nextBrick, nullptr);
    EXPECT_NE(pack.powerups[0]->brickShieldToUse, nullptr);
    EXPECT_EQ(pack.powerups[0]->brickShieldToUse->bricksToCheck.size(), 4u);
}

TEST_F(LevelTest, UnlinkEmptiesThePiecesAndKeepsShieldBackgroundNamesTimersAndCounters) {
    LevelPtr level = BuildLevel(pack);
    level->levelEndTTL = 12.5f;
    level->levelStartTTL = 3.0f;
    level->newPaddleTTL = 40.0f;
    level->newPaddleGracePeriod = 8.0f;
    level->gameOver = 30.0f;
    level->mustClearBrickCount = 7;
    level->ballsAlive = 2;
    level->updateCounter = 9;
    level->ballXML = "<ball></ball>";
    const BrickBoxPtr shield = level->brickShield;
    const std::vector<BrickPtr> shieldBricks = shield->bricksToCheck;
    const BigImagePtr background = level->backgroundImage;
    const std::vector<DifficultyPtr> difficulties = level->difficultyArray;
    const BrickPtr seat = level->bricksArray[0];
    const NainPtr nain = level->nainsArray[0];
    ASSERT_FALSE(seat->adjacentBricks.empty());
    ASSERT_EQ(seat->currentNain, nain);
    ClearDebugLog();

    auto expectUnlinked = [&] {
        EXPECT_EQ(level->playerPaddle, nullptr);
        EXPECT_EQ(level->playerPaddleSource, nullptr);
        EXPECT_EQ(level->activeWeapon, nullptr);
        EXPECT_TRUE(level->ballsArray.empty());
        EXPECT_TRUE(level->newBallsSourceArray.empty());
        EXPECT_TRUE(level->bricksArray.empty());
        EXPECT_TRUE(level->nainsArray.empty());
        EXPECT_TRUE(level->sourceNainsArray.empty());
        EXPECT_TRUE(level->sourcePowerupsArray.empty());
        EXPECT_TRUE(level->powerupsArray.empty());
        EXPECT_TRUE(level->projectilesArray.empty());
        EXPECT_TRUE(level->sourceProjectilesArray.empty());
        EXPECT_TRUE(level->sourceWeaponsArray.empty());
        EXPECT_TRUE(level->sourceBallsArray.empty());
        EXPECT_TRUE(level->goalsArray.empty());
        EXPECT_TRUE(level->brickBoxArray.empty());
        // The cycles through the pieces are broken.
        EXPECT_TRUE(seat->adjacentBricks.empty());
        EXPECT_EQ(seat->currentNain, nullptr);
        EXPECT_EQ(seat->brickSprite, nullptr);
        EXPECT_EQ(nain->parentBrick, nullptr);
        EXPECT_EQ(nain->currentProjectile, nullptr);
        // What Unlink leaves.
        EXPECT_EQ(level->brickShield, shield);
        EXPECT_EQ(shield->bricksToCheck, shieldBricks);
        for (const BrickPtr& brick : shieldBricks) EXPECT_NE(brick->brickSprite, nullptr);
        EXPECT_EQ(level->backgroundImage, background);
        EXPECT_EQ(level->difficultyArray, difficulties);
        EXPECT_EQ(level->name, "Meadow");
        EXPECT_EQ(level->nameOfFile, "/packs/test/meadow.xml");
        EXPECT_EQ(level->nextLevel, "Forest");
        EXPECT_EQ(level->music, "tune");
        EXPECT_EQ(level->ballXML, "<ball></ball>");
        EXPECT_EQ(level->brickMinX, 100.0f);
        EXPECT_EQ(level->brickMaxY, 160.0f);
        EXPECT_EQ(level->levelEndTTL, 12.5f);
        EXPECT_EQ(level->levelStartTTL, 3.0f);
        EXPECT_EQ(level->newPaddleTTL, 40.0f);
        EXPECT_EQ(level->newPaddleGracePeriod, 8.0f);
        EXPECT_EQ(level->gameOver, 30.0f);
        EXPECT_EQ(level->mustClearBrickCount, 7);
        EXPECT_EQ(level->ballsAlive, 2);
        EXPECT_EQ(level->updateCounter, 9);
    };
    EXPECT_EQ(level->Unlink(), 0);
    expectUnlinked();
    // Twice is the same as once.
    EXPECT_EQ(level->Unlink(), 0);
    expectUnlinked();
    EXPECT_TRUE(DebugLogLines().empty());
}

// Unlink leaves the shield box to the screens; the level's release used to drop it without a
// thought for its bricks. Whatever way a level goes, everything it held goes with it.
TEST_F(LevelTest, AReleasedLevelFreesEverythingItHeldShieldIncluded) {
    enum class Way { UnlinkThenDrop, DropOnly, AfterPlay, AfterCloning };
    struct Case {
        const char* what;
        Way way;
    };
    const Case cases[] = {
        {"unlinked, then dropped", Way::UnlinkThenDrop},
        {"dropped without unlinking", Way::DropOnly},
        {"dropped after its goals ran", Way::AfterPlay},
        {"dropped with its copy", Way::AfterCloning},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LevelPtr level = BuildLevel(pack);
        Watch watch(*level);
        ASSERT_EQ(watch.Alive(), static_cast<int>(watch.pieces.size()));
        LevelPtr copy;
        switch (c.way) {
            case Way::UnlinkThenDrop:
                level->Unlink();
                break;
            case Way::DropOnly:
                break;
            case Way::AfterPlay: {
                int lives = 1;
                auto stat = std::make_shared<GameStat>();
                level->mustClearBrickCount = 0;
                level->ballsAlive = 0;
                for (const GoalPtr& goal : level->goalsArray) level->UpdateGoal(goal, {}, lives, stat);
                auto kill = std::make_shared<Goal>();
                kill->successType = "kill paddle";
                level->AwardGoal(kill, {}, lives, stat);
                break;
            }
            case Way::AfterCloning:
                copy = std::make_shared<Level>();
                copy->Clone(level);
                ASSERT_NE(copy->brickShield, nullptr);
                break;
        }
        level.reset();
        copy.reset();
        EXPECT_EQ(watch.Alive(), 0);
        ExpectOnlyThePackLeft();
        EXPECT_TRUE(Failures().empty());
    }
}

TEST_F(LevelTest, CloneMakesAPlayableCopyThatSharesNothing) {
    LevelPtr source = BuildLevel(pack);
    source->goalsArray[1]->timeRemaining = 300;
    source->goalsArray[1]->repeats = 1;
    auto copy = std::make_shared<Level>();
    copy->nextLevel = "Elsewhere";
    copy->levelEndTTL = 12.0f;
    copy->gameOver = 5.0f;
    copy->ballsAlive = 3;
    copy->backgroundImageName = "bg.png";
    ClearDebugLog();

    EXPECT_EQ(copy->Clone(source), 0);

    EXPECT_EQ(copy->ballsArray.size(), 3u);
    EXPECT_EQ(copy->goalsArray.size(), 2u);
    EXPECT_EQ(copy->bricksArray.size(), 40u);
    EXPECT_EQ(copy->sourceNainsArray.size(), 2u);
    std::set<const void*> mine = Objects(*copy);
    std::set<const void*> theirs = Objects(*source);
    for (const void* object : mine) EXPECT_EQ(theirs.count(object), 0u);

    // A grid of its own, sized for 40 bricks and listing only the copy's bricks.
    ASSERT_EQ(copy->brickBoxArray.size(), 9u);
    std::set<const Brick*> listed;
    for (const BrickBoxPtr& box : copy->brickBoxArray) {
        for (const BrickPtr& brick : box->bricksToCheck) listed.insert(brick.get());
    }
    std::set<const Brick*> copied;
    for (const BrickPtr& brick : copy->bricksArray) copied.insert(brick.get());
    EXPECT_EQ(listed, copied);
    const std::vector<std::string> notes = Notes();
    EXPECT_NE(std::find(notes.begin(), notes.end(), "Brickbox grid size: 3x3"), notes.end());

    // Paddle and shield are copies; the adjacency is rebuilt among the copied bricks.
    ASSERT_NE(copy->playerPaddle, nullptr);
    EXPECT_EQ(copy->playerPaddle->paddleSprite->name, "bat");
    ASSERT_NE(copy->brickShield, nullptr);
    EXPECT_EQ(copy->brickShield->bricksToCheck.size(), 4u);
    EXPECT_EQ(copy->brickShield->minY, source->brickShield->minY);
    for (const BrickPtr& brick : copy->bricksArray[11]->adjacentBricks) EXPECT_EQ(copied.count(brick.get()), 1u);
    EXPECT_EQ(copy->bricksArray[11]->adjacentBricks.size(), source->bricksArray[11]->adjacentBricks.size());

    // Copied values, running goal state included.
    EXPECT_EQ(copy->name, "Meadow");
    EXPECT_EQ(copy->nameOfFile, "/packs/test/meadow.xml");
    EXPECT_EQ(copy->music, "tune");
    EXPECT_EQ(copy->mustClearBrickCount, 40);
    EXPECT_EQ(copy->brickMinX, source->brickMinX);
    EXPECT_EQ(copy->brickMinY, source->brickMinY);
    EXPECT_EQ(copy->brickMaxX, source->brickMaxX);
    EXPECT_EQ(copy->brickMaxY, source->brickMaxY);
    EXPECT_EQ(copy->goalsArray[1]->timeRemaining, 300);
    EXPECT_EQ(copy->goalsArray[1]->repeats, 1);
    EXPECT_EQ(copy->goalsArray[0]->goalType, "clear level");
    EXPECT_EQ(copy->ballsArray[2]->ballSprite->x, 340.0f);

    // What is not copied is empty, or stays as this level had it.
    EXPECT_TRUE(copy->nainsArray.empty() && copy->powerupsArray.empty() && copy->projectilesArray.empty() &&
                copy->sourcePowerupsArray.empty() && copy->sourceProjectilesArray.empty() &&
                copy->sourceWeaponsArray.empty() && copy->sourceBallsArray.empty() &&
                copy->newBallsSourceArray.empty() && copy->difficultyArray.empty());
    EXPECT_EQ(copy->activeWeapon, nullptr);
    EXPECT_EQ(copy->playerPaddleSource, nullptr);
    EXPECT_EQ(copy->backgroundImage, nullptr);
    EXPECT_EQ(copy->nextLevel, "Elsewhere");
    EXPECT_EQ(copy->levelEndTTL, 12.0f);
    EXPECT_EQ(copy->gameOver, 5.0f);
    EXPECT_EQ(copy->ballsAlive, 3);
    EXPECT_EQ(copy->backgroundImageName, "bg.png");

    // Changing the copy leaves the source alone.
    copy->bricksArray[5]->brickSprite->x += 50.0f;
    copy->bricksArray[5]->isLive = 0;
    copy->brickShield->bricksToCheck[0]->isLive = 0;
    copy->goalsArray[0]->isLive = 0;
    EXPECT_EQ(source->bricksArray[5]->brickSprite->x, 250.0f);
    EXPECT_EQ(source->bricksArray[5]->isLive, 1);
    EXPECT_EQ(source->brickShield->bricksToCheck[0]->isLive, 1);
    EXPECT_EQ(source->goalsArray[0]->isLive, 1);
    EXPECT_TRUE(Failures().empty());

    copy->Unlink();
    source->Unlink();
}

TEST_F(LevelTest, CloneRefusesASourceItCannotCopyAndLeavesTheLevelAsItWas) {
    enum class Source { NoSourceNains, NoPaddle, NoShield, Null, Itself };
    struct Case {
        const char* what;
        Source source;
        std::string failure;  // "" when the copy goes ahead
    };
    const std::string label = "level:Level.Clone() ";
    const Case cases[] = {
        {"no nain kinds", Source::NoSourceNains, ""},
        {"no paddle", Source::NoPaddle, label + "Level to clone has no paddle."},
        {"no shield", Source::NoShield, label + "Level to clone has no brick shield."},
        {"nothing", Source::Null, label + "Attempt to access field or method of Null object"},
        {"itself", Source::Itself, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LevelPtr target = BuildLevel(pack, {.balls = 2, .bricks = 6, .sourceNains = 1});
        target->name = "Target";
        BrickBoxPtr shield = target->brickShield;
        BrickPtr firstBrick = target->bricksArray[0];
        LevelPtr source;
        switch (c.source) {
            case Source::NoSourceNains:
                source = BuildLevel(pack, {.balls = 1, .bricks = 10, .sourceNains = 0});
                break;
            case Source::NoPaddle:
                source = BuildLevel(pack, {.paddle = false});
                break;
            case Source::NoShield:
                source = BuildLevel(pack, {.shield = false});
                break;
            case Source::Null:
                break;
            case Source::Itself:
                source = target;
                break;
        }
        ClearDebugLog();

        EXPECT_EQ(target->Clone(source), 0);

        EXPECT_EQ(Failures(), c.failure.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.failure});
        if (c.source == Source::NoSourceNains) {
            EXPECT_TRUE(target->sourceNainsArray.empty());
            EXPECT_EQ(target->bricksArray.size(), 10u);
            EXPECT_EQ(target->name, "Meadow");
            EXPECT_NE(target->brickShield, shield);
        } else {
            EXPECT_EQ(target->name, "Target");
            EXPECT_EQ(target->bricksArray.size(), 6u);
            EXPECT_EQ(target->bricksArray[0], firstBrick);
            EXPECT_NE(firstBrick->brickSprite, nullptr);
            EXPECT_EQ(target->ballsArray.size(), 2u);
            EXPECT_EQ(target->sourceNainsArray.size(), 1u);
            EXPECT_EQ(target->brickShield, shield);
            EXPECT_NE(target->playerPaddle, nullptr);
        }
        if (source) source->Unlink();
        source.reset();
        target.reset();
        shield.reset();
        firstBrick.reset();
        ExpectOnlyThePackLeft();
    }
}

TEST_F(LevelTest, CloneLetsGoOfWhatTheLevelHeldBefore) {
    LevelPtr target = BuildLevel(pack);
    Watch before(*target);
    LevelPtr source = BuildLevel(pack, {.balls = 1, .bricks = 8, .sourceNains = 1});
    target->Clone(source);
    // Only the background and the difficulty entries stay: Clone does not touch them.
    EXPECT_EQ(before.Alive(), 2);
    source.reset();
    target.reset();
    ExpectOnlyThePackLeft();
}

}  // namespace
