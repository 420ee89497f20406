// Brick boxes: which bricks a box lists, when a ball or a nain is tested against them, how
// a shield box is copied and let go, and the debugging overlay.
#include "pieces/test_brickbox_support.h"
#include "platform/graphics.h"

using namespace boxtest;

namespace {

class BrickBoxTest : public BoxTest {
protected:
    void TearDown() override {
        UnlinkAll(bricks);
        for (BrickBoxPtr& box : boxes) box->Unlink(1);
        boxes.clear();
        for (BallPtr& ball : balls) ball->Unlink();
        for (NainPtr& nain : nains) nain->Unlink();
        BoxTest::TearDown();
    }

    BrickBoxPtr Box(float xA, float xB, float yA, float yB) {
        boxes = AppendNewBrickBox(boxes);
        boxes.back()->SetDimensions(xA, xB, yA, yB);
        return boxes.back();
    }
    BrickPtr AddBrick(float x, float y, float w = 40, float h = 20) {
        bricks.push_back(MakeBrick(x, y, w, h));
        return bricks.back();
    }
    BallPtr AddBall(float x, float y) {
        balls.push_back(MakeBall(x, y));
        return balls.back();
    }
    NainPtr AddNain(float x, float y) {
        nains.push_back(MakeNain(x, y));
        return nains.back();
    }

    std::vector<BrickBoxPtr> boxes;
    std::vector<BrickPtr> bricks;
    std::vector<BallPtr> balls;
    std::vector<NainPtr> nains;
};

TEST_F(BrickBoxTest, SetDimensionsOrdersTheEdgesWhicheverWayTheyCome) {
    struct Case {
        float xA, xB, yA, yB;
        float minX, maxX, minY, maxY;
    } cases[] = {
        {10, 5, 20, 8, 5, 10, 8, 20},
        {5, 10, 8, 20, 5, 10, 8, 20},
        {-3, -7, 0, 0, -7, -3, 0, 0},  // zero height is a line, still a box
    };
    for (const Case& c : cases) {
        auto box = std::make_shared<BrickBox>();
        EXPECT_EQ(box->SetDimensions(c.xA, c.xB, c.yA, c.yB), 0);
        EXPECT_EQ(box->minX, c.minX);
        EXPECT_EQ(box->maxX, c.maxX);
        EXPECT_EQ(box->minY, c.minY);
        EXPECT_EQ(box->maxY, c.maxY);
    }
}

TEST_F(BrickBoxTest, ListsEveryBrickThatTouchesItEdgesIncluded) {
    struct Case {
        const char* what;
        float x, y, w, xScale;
        int live;
        bool listed;
    } cases[] = {
        {"right edge on minX", 60, 140, 40, 1, 1, true},
        {"left edge 0.001 past maxX", 200.001f, 140, 40, 1, 1, false},
        {"left edge on maxX", 200, 140, 40, 1, 1, true},
        {"corner on corner", 60, 80, 40, 1, 1, true},
        {"bottom 1 above minY", 120, 79, 40, 1, 1, false},
        {"wholly inside", 120, 140, 40, 1, 1, true},
        {"reaches in by its scale", 40, 140, 40, 1.5f, 1, true},
        {"falls short by its scale", 40, 140, 40, 1.4f, 1, false},
        {"dead bricks are listed too", 120, 140, 40, 1, 0, true},
    };
    for (const Case& c : cases) {
        BrickBoxPtr box = Box(100, 200, 100, 200);
        BrickPtr brick = AddBrick(c.x, c.y, c.w);
        brick->brickSprite->xScale = c.xScale;
        brick->isLive = c.live;
        EXPECT_EQ(box->TestAddBrick(brick), 0);
        ASSERT_EQ(box->bricksToCheck.size(), c.listed ? 1u : 0u) << c.what;
        if (c.listed) {
            EXPECT_EQ(box->bricksToCheck[0], brick) << c.what;
        }
    }

    // A box of no width still lists what crosses its line.
    BrickBoxPtr line = Box(150, 150, 100, 200);
    line->TestAddBrick(AddBrick(140, 120));
    line->TestAddBrick(AddBrick(151, 120));
    EXPECT_EQ(line->bricksToCheck.size(), 1u);
}

TEST_F(BrickBoxTest, ABallIsTestedOnlyWhenItTouchesTheBoxGrownByTheMargin) {
    struct Case {
        const char* what;
        float x, y, margin;
        int checked;
    } cases[] = {
        {"left edge 1 past maxX, no margin", 201, 150, 0, 0}, {"left edge 1 past maxX, margin 1", 201, 150, 1, 1},
        {"left edge 1 past maxX, margin 2", 201, 150, 2, 1},  {"bottom 1 above minY, no margin", 150, 89, 0, 0},
        {"bottom 1 above minY, margin 2", 150, 89, 2, 1},     {"right edge on minX", 90, 150, 0, 1},
    };
    for (const Case& c : cases) {
        BrickBoxPtr box = Box(100, 200, 100, 200);
        box->TestAddBrick(AddBrick(120, 120));
        box->beingChecked = 1 - c.checked;
        EXPECT_EQ(box->BrickBallCollision(AddBall(c.x, c.y), c.margin, stat, bricks), 0) << c.what;
        EXPECT_EQ(box->beingChecked, c.checked) << c.what;
    }
}

TEST_F(BrickBoxTest, ABallStrikesAListedBrickOnlyWhenTheirBoxesMeetEdgesIncluded) {
    // The brick spans x 150-190, y 140-160; the ball is 10 x 10. A brick sprite never placed
    // (absX and absY 0) is placed by the test itself, struck or not.
    struct Case {
        const char* what;
        float ballX, ballY, margin;
        bool recovering, unplaced;
        bool struck;
    } cases[] = {
        {"ball's right edge on the brick's left edge", 140, 145, 0, false, false, true},
        {"a pixel short", 139, 145, 0, false, false, false},
        {"a pixel short, margin 1", 139, 145, 1, false, false, true},
        {"ball's top edge on the brick's bottom edge", 160, 160, 0, false, false, true},
        {"a pixel below", 160, 161, 0, false, false, false},
        {"overlapping a recovering brick", 160, 145, 0, true, false, false},
        {"overlapping an unplaced brick", 160, 145, 0, false, true, true},
        {"far from an unplaced brick", 250, 180, 0, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BrickBoxPtr box = Box(100, 300, 100, 200);
        BrickPtr brick = AddBrick(150, 140);
        box->TestAddBrick(brick);
        if (c.recovering) brick->ttRecover = 0.5f;
        if (c.unplaced) brick->brickSprite->absX = brick->brickSprite->absY = 0.0f;
        EXPECT_EQ(box->BrickBallCollision(AddBall(c.ballX, c.ballY), c.margin, stat, bricks), c.struck ? 1 : 0);
        EXPECT_EQ(brick->isLive, c.struck ? 0 : 1);
        EXPECT_EQ(brick->ttRecover, c.struck ? 1.0f : c.recovering ? 0.5f : -1.0f);
        EXPECT_EQ(brick->brickSprite->absX, 150.0f);
        EXPECT_EQ(brick->brickSprite->absY, 140.0f);
    }
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(BrickBoxTest, ABrickListedInTwoBoxesIsHitOnce) {
    BrickBoxPtr left = Box(100, 200, 100, 200);
    BrickBoxPtr right = Box(200, 300, 100, 200);
    BrickPtr straddling = AddBrick(180, 140);
    // Overlaps the ball too, but no box lists it: only listed bricks are tested.
    BrickPtr unlisted = AddBrick(190, 150);
    left->TestAddBrick(straddling);
    right->TestAddBrick(straddling);
    ASSERT_EQ(left->bricksToCheck.size(), 1u);
    ASSERT_EQ(right->bricksToCheck.size(), 1u);

    BallPtr ball = AddBall(195, 155);
    int killed = left->BrickBallCollision(ball, 0.0f, stat, bricks);
    killed += right->BrickBallCollision(ball, 0.0f, stat, bricks);

    EXPECT_EQ(killed, 1);
    EXPECT_EQ(straddling->isLive, 0);
    EXPECT_EQ(stat->score, 10);
    EXPECT_EQ(left->beingChecked, 1);
    EXPECT_EQ(right->beingChecked, 1);
    EXPECT_EQ(unlisted->isLive, 1);
    EXPECT_EQ(unlisted->ttRecover, -1.0f);
}

TEST_F(BrickBoxTest, TheResultCountsEveryMustClearBrickTheBallDestroyedInTheBox) {
    BrickBoxPtr box = Box(100, 300, 100, 200);
    BrickPtr a = AddBrick(150, 140);
    BrickPtr b = AddBrick(190, 140);
    BrickPtr keeper = AddBrick(150, 160);
    keeper->mustClear = 0;  // destroyed, but not one the level has to clear
    for (const BrickPtr& brick : bricks) box->TestAddBrick(brick);

    EXPECT_EQ(box->BrickBallCollision(AddBall(185, 155), 0.0f, stat, bricks), 2);
    EXPECT_EQ(a->isLive, 0);
    EXPECT_EQ(b->isLive, 0);
    EXPECT_EQ(keeper->isLive, 0);
}

TEST_F(BrickBoxTest, ANainStopsAtTheFirstBrickItTouches) {
    BrickBoxPtr box = Box(100, 200, 100, 200);
    BrickPtr first = AddBrick(130, 150);
    BrickPtr second = AddBrick(135, 150);
    // Its absolute position is still unknown: a collision test would fill it in from x and y,
    // so an untouched 0 shows the nain was never tested against it.
    second->brickSprite->absX = second->brickSprite->absY = 0.0f;
    box->TestAddBrick(first);
    box->TestAddBrick(second);

    EXPECT_EQ(box->BrickNainCollision(AddNain(140, 140)), 1);
    EXPECT_EQ(second->brickSprite->absX, 0.0f);
    EXPECT_EQ(second->brickSprite->absY, 0.0f);
    EXPECT_EQ(box->beingChecked, 0);
}

TEST_F(BrickBoxTest, ANainOutsideTheBoxOrOverDeadBricksTouchesNothing) {
    BrickBoxPtr box = Box(100, 200, 100, 200);
    BrickPtr edge = AddBrick(190, 150);  // reaches out of the box to x 230
    BrickPtr dead = AddBrick(120, 120);
    dead->isLive = 0;
    box->TestAddBrick(edge);
    box->TestAddBrick(dead);
    ASSERT_EQ(box->bricksToCheck.size(), 2u);

    EXPECT_EQ(box->BrickNainCollision(AddNain(205, 145)), 0);  // over the edge brick, beside the box
    EXPECT_EQ(box->BrickNainCollision(AddNain(115, 115)), 0);  // over the dead brick
    EXPECT_EQ(box->BrickNainCollision(AddNain(185, 145)), 1);
}

TEST_F(BrickBoxTest, UnlinkDropsTheListedBricksAndKeepsTheListLength) {
    for (int unlinkBricks : {0, 1, 2}) {
        BrickBoxPtr box = Box(100, 200, 100, 200);
        BrickPtr a = AddBrick(120, 120);
        BrickPtr b = AddBrick(150, 160);
        box->TestAddBrick(a);
        box->TestAddBrick(b);

        EXPECT_EQ(box->Unlink(unlinkBricks), 0);
        ASSERT_EQ(box->bricksToCheck.size(), 2u);
        EXPECT_EQ(box->bricksToCheck[0], nullptr);
        EXPECT_EQ(box->bricksToCheck[1], nullptr);
        // Only 1 unlinks the bricks themselves; any other value just lets go of them.
        EXPECT_EQ(a->brickSprite == nullptr, unlinkBricks == 1) << unlinkBricks;
        EXPECT_EQ(b->brickSprite == nullptr, unlinkBricks == 1) << unlinkBricks;
        EXPECT_EQ(box->Unlink(1), 0);
    }
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(BrickBoxTest, AnUnlinkedBoxHitsNothingAndLogsNothing) {
    BrickBoxPtr box = Box(100, 200, 100, 200);
    box->TestAddBrick(AddBrick(120, 120));
    box->Unlink(0);

    EXPECT_EQ(box->BrickBallCollision(AddBall(125, 125), 0.0f, stat, bricks), 0);
    EXPECT_EQ(box->BrickNainCollision(AddNain(125, 125)), 0);
    EXPECT_EQ(bricks[0]->isLive, 1);
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(BrickBoxTest, ACloneOwnsFreshBricksOfItsOwn) {
    // A shield template as the powerup builds it.
    auto shield = std::make_shared<BrickBox>();
    shield->SetDimensions(3, 726, 753, 804);
    std::vector<BrickPtr> shieldBricks;
    for (int i = 0; i < 3; ++i) {
        shieldBricks.push_back(MakeBrick(4.0f + 240.0f * i, 754.0f, 240, 20));
        shield->TestAddBrick(shieldBricks.back());
    }
    shield->beingChecked = 1;

    auto copy = std::make_shared<BrickBox>();
    copy->beingChecked = 0;
    EXPECT_EQ(copy->Clone(shield), 0);
    EXPECT_EQ(copy->minX, 3.0f);
    EXPECT_EQ(copy->maxX, 726.0f);
    EXPECT_EQ(copy->minY, 753.0f);
    EXPECT_EQ(copy->maxY, 804.0f);
    EXPECT_EQ(copy->beingChecked, 0);
    ASSERT_EQ(copy->bricksToCheck.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_NE(copy->bricksToCheck[i], nullptr);
        EXPECT_NE(copy->bricksToCheck[i], shieldBricks[i]);
        EXPECT_NE(copy->bricksToCheck[i]->brickSprite, shieldBricks[i]->brickSprite);
        EXPECT_EQ(copy->bricksToCheck[i]->brickSprite->x, shieldBricks[i]->brickSprite->x);
    }

    EXPECT_EQ(copy->bricksToCheck[0]->Damage({.physical = 1}, stat, copy->bricksToCheck), 1);
    EXPECT_EQ(copy->bricksToCheck[0]->isLive, 0);
    EXPECT_EQ(shieldBricks[0]->isLive, 1);
    EXPECT_EQ(shieldBricks[0]->strength, 1);

    // Cloning a box from itself keeps its bricks (fresh copies of them).
    EXPECT_EQ(copy->Clone(copy), 0);
    EXPECT_EQ(copy->bricksToCheck.size(), 3u);

    copy->Unlink(1);
    shield->Unlink(1);
    UnlinkAll(shieldBricks);
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(BrickBoxTest, ACloneOfAnUnlinkedBoxHasNoBricks) {
    BrickBoxPtr source = Box(0, 100, 0, 100);
    source->TestAddBrick(AddBrick(10, 10));
    source->Unlink(0);

    auto copy = std::make_shared<BrickBox>();
    EXPECT_EQ(copy->Clone(source), 0);
    EXPECT_TRUE(copy->bricksToCheck.empty());
    EXPECT_EQ(copy->maxX, 100.0f);
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(BrickBoxTest, AppendNewBrickBoxAddsOneDefaultBox) {
    std::vector<BrickBoxPtr> none;
    std::vector<BrickBoxPtr> one = AppendNewBrickBox(none);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_TRUE(none.empty());
    const BrickBox& fresh = *one[0];
    EXPECT_EQ(fresh.minX, -1.0f);
    EXPECT_EQ(fresh.minY, -1.0f);
    EXPECT_EQ(fresh.maxX, -1.0f);
    EXPECT_EQ(fresh.maxY, -1.0f);
    EXPECT_TRUE(fresh.bricksToCheck.empty());
    EXPECT_EQ(fresh.beingChecked, 0);

    std::vector<BrickBoxPtr> two = AppendNewBrickBox(one);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0], one[0]);
    EXPECT_NE(two[1], one[0]);
    EXPECT_EQ(one.size(), 1u);
}

TEST_F(BrickBoxTest, TheDebugOverlayShadesOnlyABoxBeingChecked) {
    BrickBoxPtr box = Box(100, 200, 100, 200);
    box->TestAddBrick(AddBrick(120, 130));

    SetAlpha(0.7f);
    SetBlend(SOLIDBLEND);
    StartRecording();
    EXPECT_EQ(box->DrawDebugBox(), 0);
    EXPECT_TRUE(StopRecording().empty());
    EXPECT_EQ(GetAlpha(), 0.7f);
    EXPECT_EQ(GetBlend(), SOLIDBLEND);

    box->beingChecked = 1;
    StartRecording();
    EXPECT_EQ(box->DrawDebugBox(), 0);
    std::vector<DrawCall> calls = StopRecording();
    ASSERT_EQ(calls.size(), 2u);
    struct Expected {
        float x, y, w, h;
    } expected[] = {{99, 99, 101, 101}, {119, 129, 41, 21}};
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(calls[i].kind, DrawKind::Rect);
        EXPECT_EQ(calls[i].x, expected[i].x);
        EXPECT_EQ(calls[i].y, expected[i].y);
        EXPECT_EQ(calls[i].w, expected[i].w);
        EXPECT_EQ(calls[i].h, expected[i].h);
        EXPECT_EQ(calls[i].state.blend, ALPHABLEND);
        EXPECT_FLOAT_EQ(calls[i].state.alpha, 0.15f);
        EXPECT_EQ(calls[i].state.red, 255);
    }
    // The state is left as the overlay set it.
    EXPECT_FLOAT_EQ(GetAlpha(), 0.15f);
    SetAlpha(1.0f);
    SetBlend(MASKBLEND);
}

}  // namespace
