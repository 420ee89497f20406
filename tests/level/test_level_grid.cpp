// The level's brick-box grid: its side by brick count, where its boxes lie, which bricks
// each lists, and a ball crossing box borders.
#include <algorithm>

#include "level/levelbox_support.h"

using namespace boxtest;

namespace {

class GridTest : public BoxTest {
protected:
    void TearDown() override {
        UnlinkLevel(level);
        for (BallPtr& ball : balls) ball->Unlink();
        BoxTest::TearDown();
    }

    // Adds the brick and widens the level's bounds as the loader does.
    BrickPtr AddBrick(float x, float y, float w = 40, float h = 20) {
        BrickPtr brick = MakeBrick(x, y, w, h);
        level.bricksArray.push_back(brick);
        level.brickMinX = std::min(level.brickMinX, x);
        level.brickMinY = std::min(level.brickMinY, y);
        level.brickMaxX = std::max(level.brickMaxX, brick->brickSprite->GetRightEdge(0.0f));
        level.brickMaxY = std::max(level.brickMaxY, brick->brickSprite->GetBottomEdge(0.0f));
        return brick;
    }
    // count + 1 small bricks spread over x 100..600 and y 40..240, corners included.
    void Spread(int count) {
        for (int i = 0; i < count; ++i) {
            const int column = i % 25, row = i / 25;
            AddBrick(100.0f + 19.6f * column, 40.0f + 10.0f * (row % 20), 10, 10);
        }
        AddBrick(590, 230, 10, 10);  // stretches the bounds to 600 x 240
    }
    int BoxesListing(const BrickPtr& brick) {
        int count = 0;
        for (const BrickBoxPtr& box : level.brickBoxArray) {
            for (const BrickPtr& listed : box->bricksToCheck) count += listed == brick ? 1 : 0;
        }
        return count;
    }
    BallPtr AddBall(float x, float y) {
        balls.push_back(MakeBall(x, y));
        return balls.back();
    }

    Level level;
    std::vector<BallPtr> balls;
};

TEST_F(GridTest, TheSideGrowsWithTheBrickCount) {
    struct Case {
        int bricks, side;
    } cases[] = {{0, 1}, {7, 1}, {8, 2}, {31, 2}, {32, 3}, {71, 3}, {72, 4}, {127, 4}, {128, 5}, {500, 5}};
    for (const Case& c : cases) {
        UnlinkLevel(level);
        level.brickMinX = level.brickMinY = 999999.0f;
        level.brickMaxX = level.brickMaxY = 0.0f;
        if (c.bricks > 0) Spread(c.bricks - 1);
        ASSERT_EQ(static_cast<int>(level.bricksArray.size()), c.bricks);
        g_brickCollisionSubdivisions = 0;

        EXPECT_EQ(level.CreateBrickBoxGrid(), 0);
        EXPECT_EQ(g_brickCollisionSubdivisions, c.side) << c.bricks;
        EXPECT_EQ(static_cast<int>(level.brickBoxArray.size()), c.side * c.side) << c.bricks;
        const std::string note = "Brickbox grid size: " + std::to_string(c.side) + "x" + std::to_string(c.side);
        EXPECT_EQ(g_DebugStrings[0], "Progress note (" + note + ")") << c.bricks;
        for (const BrickPtr& brick : level.bricksArray) {
            EXPECT_GE(BoxesListing(brick), 1) << c.bricks;
        }
    }
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(GridTest, BoxesLieColumnByColumnAndCoverTheBounds) {
    Spread(127);
    ASSERT_EQ(level.brickMinX, 100.0f);
    ASSERT_EQ(level.brickMaxX, 600.0f);
    ASSERT_EQ(level.brickMinY, 40.0f);
    ASSERT_EQ(level.brickMaxY, 240.0f);
    level.CreateBrickBoxGrid();
    ASSERT_EQ(level.brickBoxArray.size(), 25u);

    const BrickBox& column1row2 = *level.brickBoxArray[7];
    EXPECT_FLOAT_EQ(column1row2.minX, 200.0f);
    EXPECT_FLOAT_EQ(column1row2.maxX, 300.0f);
    EXPECT_FLOAT_EQ(column1row2.minY, 120.0f);
    EXPECT_FLOAT_EQ(column1row2.maxY, 160.0f);
    EXPECT_FLOAT_EQ(level.brickBoxArray[1]->minX, 100.0f);  // the next box down the first column
    EXPECT_FLOAT_EQ(level.brickBoxArray[1]->minY, 80.0f);
    EXPECT_FLOAT_EQ(level.brickBoxArray[0]->minX, 100.0f);
    EXPECT_FLOAT_EQ(level.brickBoxArray[0]->minY, 40.0f);
    EXPECT_FLOAT_EQ(level.brickBoxArray[24]->maxX, 600.0f);
    EXPECT_FLOAT_EQ(level.brickBoxArray[24]->maxY, 240.0f);
}

TEST_F(GridTest, ABrickOnABorderIsListedInEveryBoxItTouches) {
    // Eight bricks give a 2 x 2 grid over 0..200 x 0..100, its borders at x 100 and y 50.
    BrickPtr corner = AddBrick(0, 0, 20, 10);
    BrickPtr centre = AddBrick(90, 40, 20, 20);
    BrickPtr onVerticalBorder = AddBrick(60, 70, 40, 20);  // right edge on x 100
    for (int i = 0; i < 4; ++i) AddBrick(150.0f + 5.0f * i, 5, 5, 5);
    AddBrick(180, 80, 20, 20);
    level.CreateBrickBoxGrid();
    ASSERT_EQ(level.brickBoxArray.size(), 4u);

    EXPECT_EQ(BoxesListing(corner), 1);
    EXPECT_EQ(BoxesListing(centre), 4);
    EXPECT_EQ(BoxesListing(onVerticalBorder), 2);
    // Bricks keep the level's order within a box.
    EXPECT_EQ(level.brickBoxArray[0]->bricksToCheck[0], corner);
    EXPECT_EQ(level.brickBoxArray[0]->bricksToCheck[1], centre);
}

TEST_F(GridTest, ABallCrossingBordersHitsAStraddlingBrickOnce) {
    for (int i = 0; i < 7; ++i) AddBrick(20.0f * i, 0, 10, 10);
    BrickPtr centre = AddBrick(90, 40, 20, 20);
    AddBrick(180, 80, 20, 20);
    level.CreateBrickBoxGrid();
    ASSERT_EQ(level.brickBoxArray.size(), 4u);
    ASSERT_EQ(BoxesListing(centre), 4);

    BallPtr ball = AddBall(95, 45);
    int killed = 0;
    for (const BrickBoxPtr& box : level.brickBoxArray)
        killed += box->BrickBallCollision(ball, 0.0f, stat, level.bricksArray);
    EXPECT_EQ(killed, 1);
    EXPECT_EQ(centre->isLive, 0);
    EXPECT_EQ(stat->score, 10);
}

TEST_F(GridTest, EachBuildReplacesTheWholeGrid) {
    Spread(40);
    level.CreateBrickBoxGrid();
    const std::vector<BrickBoxPtr> first = level.brickBoxArray;
    level.CreateBrickBoxGrid();
    ASSERT_EQ(level.brickBoxArray.size(), 9u);
    for (size_t i = 0; i < first.size(); ++i) EXPECT_NE(level.brickBoxArray[i], first[i]);
    size_t listed = 0, listedBefore = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        listed += level.brickBoxArray[i]->bricksToCheck.size();
        listedBefore += first[i]->bricksToCheck.size();
    }
    EXPECT_EQ(listed, listedBefore);
    for (const BrickBoxPtr& box : first) box->Unlink(0);
}

TEST_F(GridTest, ALevelWithoutBricksGetsOneEmptyBox) {
    level.CreateBrickBoxGrid();
    ASSERT_EQ(level.brickBoxArray.size(), 1u);
    BrickBox& box = *level.brickBoxArray[0];
    EXPECT_TRUE(box.bricksToCheck.empty());

    EXPECT_EQ(box.BrickBallCollision(AddBall(300, 300), 0.0f, stat, level.bricksArray), 0);
    EXPECT_EQ(box.beingChecked, 1);
    EXPECT_TRUE(DebugLogLines().empty());
}

}  // namespace
