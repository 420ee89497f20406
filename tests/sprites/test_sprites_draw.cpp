// Sprite drawing and contacts: what a sprite tree draws and where (the recording backend),
// crop and shake, the tree search, and the box, point and rebound tests.
#include <cmath>
#include <limits>

#include "test_sprite_support.h"

using namespace spritetest;

namespace {

class SpriteDraw : public SpriteTest {
protected:
    void SetUp() override {
        SpriteTest::SetUp();
        SetViewport(0, 0, 1024, 768);
    }
    // A sprite showing one image; extra goes into its step.
    SpritePtr Showing(const std::string& name, const ImagePtr& image, float width, float height,
                      const std::string& extra = "", const std::string& animExtra = "") {
        SpritePtr s = LoadSprite(SpriteXml(
            name, "", Anim("idle", Step("s", 1000, "<imageName>" + image->name + "</imageName>" + extra), animExtra)));
        s->animationArray[0]->StepsArray[0]->LinkImage(images);
        s->widthBound = width;
        s->heightBound = height;
        return s;
    }
    std::vector<DrawCall> ImageCalls(const std::vector<DrawCall>& calls) {
        std::vector<DrawCall> out;
        for (const DrawCall& c : calls) {
            if (c.kind == DrawKind::Image) out.push_back(c);
        }
        return out;
    }
    std::vector<ImagePtr> images;
};

TEST_F(SpriteDraw, RootSpriteDrawsAtTwiceItsRotation) {
    images = {MakeImage("pic")};
    SpritePtr s = Showing("s", images[0], 8, 8);
    s->x = 100;
    s->y = 50;
    s->rot = 30;
    StartRecording();
    s->Draw();
    auto calls = ImageCalls(StopRecording());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FLOAT_EQ(calls[0].x, 100.0f);
    EXPECT_FLOAT_EQ(calls[0].y, 50.0f);
    EXPECT_FLOAT_EQ(calls[0].state.rotation, 60.0f);
    EXPECT_FLOAT_EQ(s->absRot, 60.0f);
    EXPECT_FLOAT_EQ(s->absX, 100.0f);

    // A child last drawn at 40 and then let go keeps 40 and shows at 80 as a root sprite.
    SpritePtr parent = Showing("p", images[0], 8, 8);
    SpritePtr child = Showing("c", images[0], 8, 8);
    Attach(parent, child);
    child->absRot = 40;
    child->DetachSprite();
    StartRecording();
    child->Draw();
    calls = ImageCalls(StopRecording());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FLOAT_EQ(calls[0].state.rotation, 80.0f);
}

TEST_F(SpriteDraw, TreeWithCropAndShake) {
    // Root at (100, 50), box 20 x 10, image handle (4, 4), shaking by 3 and cropping its
    // box widened by top 1, bottom 2, left 3, right 4; a child at (10, 0) whose image
    // handle is (2, 0).
    images = {MakeImage("root_pic", 4, 4), MakeImage("child_pic", 2, 0)};
    SpritePtr root = Showing("root", images[0], 20, 10,
                             "<crop>1</crop><topCropOffset>1</topCropOffset><bottomCropOffset>2</bottomCropOffset>"
                             "<leftCropOffset>3</leftCropOffset><rightCropOffset>4</rightCropOffset>");
    SpritePtr child = Showing("child", images[1], 6, 6);
    Attach(root, child);
    root->x = 100;
    root->y = 50;
    root->shake = 3;
    child->x = 10;

    StartRecording();
    root->Draw();
    auto calls = ImageCalls(StopRecording());
    ASSERT_EQ(calls.size(), 3u) << "the root, its half-alpha ghost, then the child";

    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(calls[i].image, images[0]->imageData);
        EXPECT_GE(calls[i].x, 97.0f);
        EXPECT_LT(calls[i].x, 103.0f);
        EXPECT_GE(calls[i].y, 47.0f);
        EXPECT_LT(calls[i].y, 53.0f);
        // ceil(100 - 3 - 3), ceil(50 - 1 - 3), ceil(20 + 3 + 4 + 3), ceil(10 + 1 + 2 + 3)
        EXPECT_EQ(calls[i].state.viewportX, 94);
        EXPECT_EQ(calls[i].state.viewportY, 46);
        EXPECT_EQ(calls[i].state.viewportW, 30);
        EXPECT_EQ(calls[i].state.viewportH, 16);
    }
    EXPECT_FLOAT_EQ(calls[0].state.alpha, 1.0f);
    EXPECT_FLOAT_EQ(calls[1].state.alpha, 0.5f);
    EXPECT_FALSE(calls[0].x == calls[1].x && calls[0].y == calls[1].y) << "a fresh offset for the ghost";
    EXPECT_FLOAT_EQ(root->absX, calls[1].x) << "the ghost's place is the one kept";

    // The child: origin = the root's unshaken place plus its handle (104, 54); its offset
    // 10 at the root's working scale, less twice its own handle; drawn at scale 1 + 1,
    // clipped by its parent's crop.
    EXPECT_EQ(calls[2].image, images[1]->imageData);
    EXPECT_FLOAT_EQ(calls[2].x, 104 + 10 - 2 * 2);
    EXPECT_FLOAT_EQ(calls[2].y, 54.0f);
    EXPECT_FLOAT_EQ(calls[2].state.scaleX, 2.0f);
    EXPECT_EQ(calls[2].state.viewportW, 30);
    EXPECT_FLOAT_EQ(child->absX, 110.0f);
    EXPECT_FLOAT_EQ(child->absXScale, 2.0f);

    int vx, vy, vw, vh;
    GetViewport(vx, vy, vw, vh);
    EXPECT_EQ(vx, 0);
    EXPECT_EQ(vw, 1024) << "the viewport is restored";
}

TEST_F(SpriteDraw, CropIsClippedToTheViewportInForce) {
    images = {MakeImage("pic")};
    SpritePtr s = Showing("s", images[0], 20, 10, "<crop>1</crop><leftCropOffset>10</leftCropOffset>");
    s->x = 5;
    s->y = 95;
    SetViewport(8, 0, 50, 100);
    StartRecording();
    s->Draw();
    auto calls = ImageCalls(StopRecording());
    ASSERT_EQ(calls.size(), 1u);
    // Asked for (-5, 95, 30, 10): the left edge moves in to 8, the bottom stops one above 100.
    EXPECT_EQ(calls[0].state.viewportX, 8);
    EXPECT_EQ(calls[0].state.viewportW, 17);
    EXPECT_EQ(calls[0].state.viewportY, 95);
    EXPECT_EQ(calls[0].state.viewportH, 4);
}

TEST_F(SpriteDraw, ChildrenTakeTheWorkingScaleAsAnAddition) {
    images = {MakeImage("pic")};
    SpritePtr root = Showing("root", images[0], 8, 8);
    SpritePtr child = Showing("child", images[0], 8, 8);
    SpritePtr grandchild = Showing("grandchild", images[0], 8, 8);
    Attach(root, child);
    Attach(child, grandchild);
    StartRecording();
    root->Draw();
    auto calls = ImageCalls(StopRecording());
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_FLOAT_EQ(calls[0].state.scaleX, 1.0f);
    EXPECT_FLOAT_EQ(calls[1].state.scaleX, 2.0f);
    EXPECT_FLOAT_EQ(calls[2].state.scaleX, 2.0f) << "its own 1 plus the child's working 1, not 2";
}

TEST_F(SpriteDraw, ParentRotationIndexStaysInTheTables) {
    // A child at (10, 0) placed by a parent rotation handed down as is.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct {
        float rot;
        float wantX, wantY;
    } cases[] = {{0, 110, 200}, {360.0f, 110, 200}, {-90.0f, 100, 190}, {450.7f, 100, 210}, {nan, 110, 200}};
    images = {MakeImage("pic")};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rot);
        SpritePtr parent = Showing("p", images[0], 8, 8);
        SpritePtr child = Showing("c", images[0], 8, 8);
        Attach(parent, child);
        child->x = 10;
        StartRecording();
        child->Draw({.x = 100, .y = 200, .rot = c.rot});
        auto calls = ImageCalls(StopRecording());
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_NEAR(calls[0].x, c.wantX, 1e-4);
        EXPECT_NEAR(calls[0].y, c.wantY, 1e-4);
    }
}

TEST_F(SpriteDraw, WhatIsNotDrawn) {
    images = {MakeImage("pic"), MakeImage("parent_pic")};
    SpritePtr dead = Showing("dead", images[0], 8, 8);
    Attach(dead, Showing("c", images[0], 8, 8));
    dead->isLive = 0;
    auto bare = std::make_shared<Sprite>();
    StartRecording();
    dead->Draw();
    bare->Draw();
    EXPECT_TRUE(StopRecording().empty()) << "a dead tree and a sprite without animations draw nothing";

    // A child in a "parent" animation shows its parent's current step.
    SpritePtr parent = Showing("p", images[1], 8, 8);
    SpritePtr follower = Showing("f", images[0], 8, 8, "", "<mode>parent</mode>");
    Attach(parent, follower);
    StartRecording();
    parent->Draw();
    auto calls = ImageCalls(StopRecording());
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].image, images[1]->imageData);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(SpriteDraw, DebugLabelNamesPlaceAndSize) {
    SpritePtr s = Idle("s", 10, 5);
    s->x = 1;
    s->y = 20;
    StartRecording();
    s->Debug(1, 1);
    auto calls = StopRecording();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].kind, DrawKind::Rect);
    EXPECT_FLOAT_EQ(calls[0].w, 11.0f);
    EXPECT_EQ(calls[1].state.red, 0);
    EXPECT_FLOAT_EQ(calls[1].w, 9.0f);
    EXPECT_EQ(calls[2].text, "(1.00000000,20.0000000) 10.0000000 x 5.00000000");
    EXPECT_FLOAT_EQ(calls[2].y, 6.0f);
}

TEST_F(SpriteDraw, NamedSpriteSearchIsDepthFirst) {
    SpritePtr root = Idle("root");
    SpritePtr a = Idle("a"), a1 = Idle("twin"), b = Idle("twin");
    Attach(root, a);
    Attach(a, a1);
    Attach(root, b);
    EXPECT_EQ(root->TraverseForNamedSprite("twin"), a1);
    EXPECT_EQ(root->TraverseForNamedSprite("root"), root);
    EXPECT_EQ(root->TraverseForNamedSprite("nobody"), root);
    EXPECT_EQ(root->CheckChildrenInTraversal("nobody"), nullptr);
    EXPECT_EQ(root->CheckChildrenInTraversal("TWIN"), nullptr);
}

// The sum runs from the root down and adds to what the caller started with.
TEST_F(SpriteDraw, ChainMotionAddsEveryAncestor) {
    SpritePtr root = Idle("root"), child = Idle("child");
    Attach(root, child);
    root->x = 10;
    root->xScale = 2;
    root->y = 4;
    root->vel = 1;
    root->rot = 30;
    child->x = 3;
    child->yScale = 3;
    child->y = 5;
    child->vel = 2;
    child->drot = 0.5f;
    ChainMotion sum{.dx = 7};
    EXPECT_EQ(child->SetPositionFromParent(sum), 0);
    EXPECT_FLOAT_EQ(sum.x, 10 * 2 + 3);
    EXPECT_FLOAT_EQ(sum.y, 4 + 5 * 3);
    EXPECT_FLOAT_EQ(sum.dx, 7);
    EXPECT_FLOAT_EQ(sum.vel, 3);
    EXPECT_FLOAT_EQ(sum.rot, 30);
    EXPECT_FLOAT_EQ(sum.drot, 0.5f);
}

TEST_F(SpriteDraw, ReboundBoxKeepsTheSpriteInside) {
    struct {
        const char* what;
        float x, y;
        int want;
        float wantX, wantY;
        int wantXVote, wantYVote;
    } cases[] = {
        {"past the left", 2, 100, 1, 4, 100, -1, 0},
        {"exactly on the left limit", 4, 100, 0, 4, 100, 0, 0},
        {"past the right", 715, 100, 1, 710, 100, 1, 0},
        {"past the top and the bottom limit at once", 100, 805, 1, 100, 800, 0, 1},
        {"past the top-left corner", 0, 0, 1, 4, 4, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpritePtr s = Idle("s", 10, 10);
        s->x = c.x;
        s->y = c.y;
        EXPECT_EQ(s->ReboundBox(4, 4, 720, 810), c.want);
        EXPECT_FLOAT_EQ(s->x, c.wantX);
        EXPECT_FLOAT_EQ(s->y, c.wantY);
        EXPECT_EQ(s->xRebound, c.wantXVote);
        EXPECT_EQ(s->yRebound, c.wantYVote);
    }
}

TEST_F(SpriteDraw, BoxTests) {
    SpritePtr a = Idle("a", 10, 10);
    SpritePtr b = Idle("b", 10, 10);
    a->x = 0;
    a->y = 0;
    struct {
        const char* what;
        float bx, by;
        int inclusive;
        float margin;
        int want;
    } cases[] = {
        {"sharing an edge, inclusive", 10, 5, 1, 0, 1},
        {"sharing an edge, exclusive", 10, 5, 0, 0, 0},
        {"a gap of 2", 12, 5, 1, 0, 0},
        {"a gap of 2 within the margin", 12, 5, 1, 2, 1},
        {"overlapping", 5, 5, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        b->absX = c.bx;
        b->absY = c.by;
        EXPECT_EQ(a->BoundingBoxCollision(b, c.inclusive, c.margin), c.want);
    }
    b->absX = 10;
    b->absY = 5;
    EXPECT_EQ(a->ImageCollision(b), 1);

    // An undrawn child is nowhere; an undrawn root takes its own position first.
    SpritePtr parent = Idle("p");
    SpritePtr child = Idle("c", 10, 10);
    Attach(parent, child);
    EXPECT_EQ(a->BoundingBoxCollision(child, 1, 0), 0);
    SpritePtr root = Idle("r", 10, 10);
    root->x = 5;
    root->y = 5;
    EXPECT_EQ(a->BoundingBoxCollision(root, 1, 0), 1);
    EXPECT_FLOAT_EQ(root->absX, 5.0f);

    // Points: strictly inside only.
    EXPECT_EQ(a->PointCollision(5, 5), 1);
    EXPECT_EQ(a->PointCollision(0, 5), 0);
    EXPECT_EQ(a->PointCollision(5, 10), 0);

    EXPECT_EQ(a->BoundingBoxCollision(nullptr, 1, 0), 0);
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "sprites:Sprite.BoundingBoxCollision() Attempt to access field or method of Null object");
}

TEST_F(SpriteDraw, ReboundCollisionVotesByWeightedCentreOffsets) {
    SpritePtr a = Idle("a", 10, 8);
    SpritePtr b = Idle("b", 10, 8);
    a->x = a->absX = 100;
    a->y = a->absY = 100;
    b->absX = 103;
    b->absY = 101;
    EXPECT_EQ(a->ReboundCollision(b, 0), 1);
    EXPECT_EQ(a->xRebound, 300 * 8 * 8);
    EXPECT_EQ(a->yRebound, 100 * 10 * 10);
    EXPECT_EQ(b->xRebound, -300 * 8 * 8);
    EXPECT_EQ(b->yRebound, -100 * 10 * 10);

    b->absX = 200;
    EXPECT_EQ(a->ReboundCollision(b, 0), 0);
    EXPECT_EQ(a->xRebound, 300 * 8 * 8) << "no contact, no vote";

    // Votes from enormous boxes stop at the int range instead of overflowing.
    SpritePtr big = Idle("big", 1e6f, 1e6f);
    SpritePtr other = Idle("other", 1e6f, 1e6f);
    big->x = big->absX = 0;
    big->y = big->absY = 1;
    other->absX = 4e5f;
    other->absY = 1;
    EXPECT_EQ(big->ReboundCollision(other, 0), 1);
    EXPECT_EQ(big->xRebound, 2147483647);
    EXPECT_EQ(other->xRebound, -2147483647);
}

}  // namespace
