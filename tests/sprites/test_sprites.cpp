// Sprite motion and state: one update's motion, acceleration, rebound votes, spin, freezing,
// aiming, animation jumps and results, shake, detaching, and sprites without animations.
#include <cmath>
#include <limits>

#include "test_sprite_support.h"

using namespace spritetest;

namespace {

class SpriteMotion : public SpriteTest {};

struct MotionCase {
    const char* what;
    float vel, maxVel, dx, dy, accel, ddx, ddy;
    float wantX, wantY, wantDx, wantDy, wantVel;
};

TEST_F(SpriteMotion, OneUpdateMovesThenAccelerates) {
    const float len = std::sqrt(2.0f * 2.0f + 0.5f * 0.5f);
    const MotionCase cases[] = {
        {"speed cut to the initial maxVel of 0", 5, 0, 1, 0, 0, 0, 0, 100, 100, 1, 0, 0},
        {"no acceleration: direction never normalised", 1, 10, 3, 4, 0, 0, 0, 103, 104, 3, 4, 1},
        {"acceleration after the move", 2, 10, 1, 0, 0.5f, 0, 1, 102, 100, 2 / len, 0.5f / len, len},
        {"acceleration cancelling the velocity", 1, 10, 1, 0, 1, -1, 0, 101, 100, 0, 0, 0},
    };
    for (const MotionCase& c : cases) {
        SCOPED_TRACE(c.what);
        SpritePtr s = Idle("s");
        s->x = 100;
        s->y = 100;
        s->vel = c.vel;
        s->maxVel = c.maxVel;
        s->dx = c.dx;
        s->dy = c.dy;
        s->accel = c.accel;
        s->ddx = c.ddx;
        s->ddy = c.ddy;
        s->Update();
        EXPECT_FLOAT_EQ(s->x, c.wantX);
        EXPECT_FLOAT_EQ(s->y, c.wantY);
        EXPECT_FLOAT_EQ(s->dx, c.wantDx);
        EXPECT_FLOAT_EQ(s->dy, c.wantDy);
        EXPECT_FLOAT_EQ(s->vel, c.wantVel);
        EXPECT_FLOAT_EQ(s->absX, s->x) << "a root sprite copies its position";
    }
    // The game-speed factor scales the move.
    g_gameSpeedFactor = 0.25f;
    SpritePtr s = Idle("s");
    s->vel = 4;
    s->maxVel = 10;
    s->dx = 1;
    s->Update();
    EXPECT_FLOAT_EQ(s->x, 1.0f);
    EXPECT_TRUE(LogLines().empty());
}

struct VoteCase {
    const char* what;
    float dx, dy;
    int xVote, yVote;
    float wantDx, wantDy, wantVel;
};

TEST_F(SpriteMotion, ReboundVotesAreArbitratedOncePerUpdate) {
    // vel 4, elasticity 0.5: each axis reversed halves the speed.
    const VoteCase cases[] = {
        {"a vote for the direction it already has is dropped", 1, 0, -1, 0, 1, 0, 4},
        {"equal votes: both axes turn, speed lost twice", 1, -1, 3, -3, -1, 1, 1},
        {"the larger vote wins", 1, -1, 1, -250, 1, 1, 2},
        {"a stale larger vote is dropped first, the smaller applies", 1, 1, 1, -250, -1, 1, 2},
        {"no votes", 1, 1, 0, 0, 1, 1, 4},
    };
    for (const VoteCase& c : cases) {
        SCOPED_TRACE(c.what);
        SpritePtr s = Idle("s");
        s->dx = c.dx;
        s->dy = c.dy;
        s->vel = 4;
        s->maxVel = 100;
        s->elasticity = 0.5f;
        s->xRebound = c.xVote;
        s->yRebound = c.yVote;
        s->Update();
        EXPECT_FLOAT_EQ(s->dx, c.wantDx);
        EXPECT_FLOAT_EQ(s->dy, c.wantDy);
        EXPECT_FLOAT_EQ(s->vel, c.wantVel);
        EXPECT_EQ(s->xRebound, 0);
        EXPECT_EQ(s->yRebound, 0);
    }
    // Votes on a dead sprite wait.
    SpritePtr dead = Idle("dead");
    dead->isLive = 0;
    dead->xRebound = 5;
    dead->Update();
    EXPECT_EQ(dead->xRebound, 5);
}

TEST_F(SpriteMotion, FreezeLevelFadesInToOne) {
    SpritePtr s = Idle("s");
    s->isFrozen = 0.5f;
    const float want[] = {0.6f, 0.7f, 0.8f, 0.9f};
    for (float w : want) {
        s->Update();
        EXPECT_FLOAT_EQ(s->isFrozen, w);
        EXPECT_LT(s->isFrozen, 1.0f);
    }
    s->Update();
    EXPECT_EQ(s->isFrozen, 1.0f);

    for (float level : {0.0f, 1.0f, 2.0f}) {
        SpritePtr t = Idle("t");
        t->isFrozen = level;
        t->Update();
        EXPECT_EQ(t->isFrozen, level);
    }
}

TEST_F(SpriteMotion, SpinIsLimitedAndSnapsBack) {
    SpritePtr snap = Idle("snap");
    snap->rotSnapback = 1;
    snap->drot = 5;
    snap->maxdRot = 10;
    for (int i = 0; i < 3; ++i) {
        snap->Update();
        EXPECT_FLOAT_EQ(snap->rot, 5.0f);
    }
    SpritePtr fast = Idle("fast");
    fast->drot = 10;  // maxdRot is 1 from the constructor
    fast->Update();
    EXPECT_FLOAT_EQ(fast->drot, 1.0f);
    EXPECT_FLOAT_EQ(fast->rot, 1.0f);
    fast->drot = -10;
    fast->ddrot = 0.5f;
    fast->Update();
    EXPECT_FLOAT_EQ(fast->drot, -1.0f);
}

TEST_F(SpriteMotion, AimingStoresHalfTheAnglePlus45) {
    struct {
        const char* where;
        float tx, ty;
        float want;
    } cases[] = {{"right", 200, 95, 45}, {"below", 95, 200, 90}, {"above", 95, 0, 0}, {"left", 0, 95, 135}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        SpritePtr s = Idle("s");
        s->x = s->absX = 100;
        s->y = s->absY = 100;
        SpritePtr target = Idle("t");  // 10 x 10: its centre is 5 past its corner
        target->absX = c.tx;
        target->absY = c.ty;
        s->targetSprite = target;
        s->Update();
        EXPECT_NEAR(s->rot, c.want, 1e-4);
    }
    SpritePtr lonely = Idle("lonely");
    lonely->rot = 12;
    EXPECT_EQ(lonely->PointAtTargetSprite(), 0);
    EXPECT_EQ(lonely->rot, 12.0f);
}

TEST_F(SpriteMotion, GetRotWrapsTheStoredRotation) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct {
        const char* what;
        float rot, offset;
        float want, wantRot;
    } cases[] = {
        {"offset below zero", 10, -30, 340, 370},
        {"whole turns off", 725, 0, 5, 5},
        {"in range already", 90, 30, 120, 90},
        {"infinite rotation counts as 0", inf, 0, 0, 0},
        {"NaN rotation counts as 0", nan, 10, 10, 0},
        {"infinite offset counts as 0", 30, -inf, 30, 30},
        {"huge offset: the rotation takes its whole turns off", 10, 36000.0f + 20, 30, 10 - 36000.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Sprite s;
        s.rot = c.rot;
        EXPECT_FLOAT_EQ(s.GetRot(c.offset), c.want);
        EXPECT_FLOAT_EQ(s.rot, c.wantRot);
    }
    // Huge angles come back into range at once instead of turning for ever.
    for (float huge : {3.0e9f, -7.5e12f, 1.0e30f}) {
        Sprite s;
        s.rot = huge;
        float r = s.GetRot(45.5f);
        EXPECT_GE(r, 0.0f);
        EXPECT_LT(r, 360.0f);
        EXPECT_NEAR(r, std::fmod(std::fmod(static_cast<double>(huge), 360.0) + 45.5 + 360.0, 360.0), 1e-3);
    }
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(SpriteMotion, JumpToAnimationOffersTheNameToChildrenFirst) {
    SpritePtr parent = LoadSprite(SpriteXml(
        "p", "", Anim("idle", Step("a", 100)) + Anim("twin", Step("first", 100)) + Anim("twin", Step("second", 100))));
    SpritePtr child = LoadSprite(SpriteXml("c", "", Anim("idle", Step("a", 100)) + Anim("only_child", Step("b", 100))));
    Attach(parent, child);

    EXPECT_EQ(parent->JumpToAnimation("only_child"), 0);
    EXPECT_EQ(child->GetCurrentAnimationName(), "only_child");
    EXPECT_EQ(parent->currentAnimation, 0);

    EXPECT_EQ(parent->JumpToAnimation("twin"), 1);
    EXPECT_EQ(parent->currentAnimation, 1) << "the first of two equal names";

    EXPECT_EQ(parent->JumpToAnimation("TWIN"), 0) << "names are case-sensitive";
    EXPECT_EQ(parent->currentAnimation, 1);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(SpriteMotion, FinishedAnimationGoesOnToItsNextAnimation) {
    const std::string next =
        "<nextAnimation><randomData><action>after</action><value>1</value></randomData></nextAnimation>";
    SpritePtr parent = LoadSprite(SpriteXml(
        "p", "", Anim("before", Step("a", 1, "<onFinish>end</onFinish>"), next) + Anim("after", Step("b", 100))));
    SpritePtr child = LoadSprite(SpriteXml("c", "", Anim("idle", Step("a", 100)) + Anim("after", Step("b", 100))));
    Attach(parent, child);
    parent->Update();
    EXPECT_EQ(parent->GetCurrentAnimationName(), "after");
    EXPECT_EQ(child->GetCurrentAnimationName(), "after");
}

TEST_F(SpriteMotion, StepTargetNameRaisesTheAssignFlagUpTheTree) {
    SpritePtr root = Idle("root");
    SpritePtr mid = Idle("mid");
    SpritePtr leaf =
        LoadSprite(SpriteXml("leaf", "", Anim("aim", Step("a", 100, "<targetSpriteName>paddle</targetSpriteName>"))));
    Attach(root, mid);
    Attach(mid, leaf);
    SpritePtr old = Idle("old");
    leaf->targetSprite = old;
    leaf->targetSpriteName = "";  // the loader read "paddle"; make the step's name news
    root->Update();
    EXPECT_EQ(leaf->targetSpriteName, "paddle");
    EXPECT_TRUE(leaf->targetSprite.expired());
    EXPECT_EQ(leaf->assignTargetSprite, 1);
    EXPECT_EQ(mid->assignTargetSprite, 1);
    EXPECT_EQ(root->assignTargetSprite, 1);
}

TEST_F(SpriteMotion, ParentModeFollowsTheParent) {
    // A child in a "parent" animation takes its parent's target and is not advanced itself.
    SpritePtr parent = Idle("p");
    SpritePtr follower =
        LoadSprite(SpriteXml("f", "", Anim("copy", Step("a", 2, "<onStart>kill</onStart>"), "<mode>parent</mode>")));
    Attach(parent, follower);
    SpritePtr target = Idle("t");
    parent->targetSprite = target;
    parent->Update();
    EXPECT_EQ(follower->targetSprite.lock(), target);
    EXPECT_EQ(follower->isLive, 1) << "its own step's kill is never run";
    EXPECT_EQ(follower->animationArray[0]->currentStep, 0.0f);
}

TEST_F(SpriteMotion, KillStillUpdatesTheChildrenThatTick) {
    SpritePtr parent = LoadSprite(SpriteXml("p", "", Anim("die", Step("a", 100, "<onStart>kill</onStart>"))));
    SpritePtr child = Idle("c");
    child->vel = 1;
    child->maxVel = 1;
    child->dx = 1;
    Attach(parent, child);
    parent->Update();
    EXPECT_EQ(parent->isLive, 0);
    EXPECT_FLOAT_EQ(child->x, 1.0f);
    parent->Update();
    EXPECT_FLOAT_EQ(child->x, 1.0f) << "nothing of a dead tree updates through it";
}

TEST_F(SpriteMotion, ReleaseDetachesEveryChildWhereItWasLastDrawn) {
    SpritePtr parent = LoadSprite(SpriteXml("p", "", Anim("let_go", Step("a", 100, "<onStart>release</onStart>"))));
    std::vector<SpritePtr> children;
    for (int i = 0; i < 3; ++i) {
        SpritePtr c = Idle("c" + std::to_string(i));
        c->absX = 10.0f * (i + 1);
        c->absY = 20;
        c->absRot = 30;
        c->absXScale = 2;
        c->absYScale = 3;
        Attach(parent, c);
        children.push_back(c);
    }
    parent->Update();
    EXPECT_TRUE(parent->childSprites.empty());
    for (int i = 0; i < 3; ++i) {
        const SpritePtr& c = children[i];
        EXPECT_TRUE(c->parentSprite.expired());
        EXPECT_FLOAT_EQ(c->x, 10.0f * (i + 1));
        EXPECT_FLOAT_EQ(c->y, 20.0f);
        EXPECT_FLOAT_EQ(c->rot, 30.0f);
        EXPECT_FLOAT_EQ(c->xScale, 2.0f);
        EXPECT_FLOAT_EQ(c->yScale, 3.0f);
    }
}

TEST_F(SpriteMotion, ReleaseEndsEvenWhenAChildCannotLeave) {
    // A child unlinked by its piece while still listed has no parent to leave: detaching it
    // changes nothing, and the release must not wait for it for ever.
    SpritePtr parent = LoadSprite(SpriteXml("p", "", Anim("let_go", Step("a", 100, "<onStart>release</onStart>"))));
    SpritePtr stuck = Idle("stuck");
    SpritePtr free1 = Idle("free1");
    SpritePtr free2 = Idle("free2");
    Attach(parent, free1);
    Attach(parent, stuck);
    Attach(parent, free2);
    stuck->parentSprite.reset();
    EXPECT_EQ(parent->Update(), 0);
    ASSERT_EQ(parent->childSprites.size(), 1u);
    EXPECT_EQ(parent->childSprites[0], stuck);
    EXPECT_TRUE(free1->parentSprite.expired());
    EXPECT_TRUE(free2->parentSprite.expired());
}

TEST_F(SpriteMotion, DetachSprite) {
    SpritePtr root = Idle("root");
    root->x = 7;
    EXPECT_EQ(root->DetachSprite(), 0);
    EXPECT_FLOAT_EQ(root->x, 7.0f) << "a root sprite stays as it is";

    SpritePtr a = Idle("a"), b = Idle("b"), c = Idle("c");
    Attach(root, a);
    Attach(root, b);
    Attach(root, c);
    b->absRot = 40;
    b->vel = 3;
    EXPECT_EQ(b->DetachSprite(), 0);
    ASSERT_EQ(root->childSprites.size(), 2u);
    EXPECT_EQ(root->childSprites[0], a);
    EXPECT_EQ(root->childSprites[1], c);
    EXPECT_FLOAT_EQ(b->rot, 40.0f);
    EXPECT_FLOAT_EQ(b->vel, 3.0f);
    EXPECT_TRUE(b->parentSprite.expired());
}

TEST_F(SpriteMotion, ShakeAndFreezeReachEveryDescendant) {
    SpritePtr root = Idle("root");
    SpritePtr child = Idle("child");
    SpritePtr grandchild = Idle("grandchild");
    Attach(root, child);
    Attach(child, grandchild);
    child->maxShake = 2;
    root->SetShake(4);
    EXPECT_FLOAT_EQ(root->shake, 4.0f);
    EXPECT_FLOAT_EQ(grandchild->shake, 4.0f);
    root->Update();
    EXPECT_FLOAT_EQ(root->shake, 0.0f) << "maxShake 0 leaves nothing after an update";
    EXPECT_FLOAT_EQ(child->shake, 2.0f);

    root->SetDShake(-0.5f);
    EXPECT_FLOAT_EQ(grandchild->dShake, -0.5f);
    root->SetFreeze(1);
    EXPECT_EQ(grandchild->isFrozen, 1.0f);
    root->SetFreeze(0);
    EXPECT_EQ(child->isFrozen, 0.0f);
}

TEST_F(SpriteMotion, EdgesFollowThePositionCentresTheLastDrawnPlace) {
    SpritePtr s = Idle("s", 20, 10);
    s->xScale = 2;
    s->Update();
    s->SetPos(50, 60);
    EXPECT_FLOAT_EQ(s->GetRightEdge(1), 50 + 40 + 1);
    EXPECT_FLOAT_EQ(s->GetBottomEdge(0), 70.0f);
    EXPECT_FLOAT_EQ(s->GetWidth(), 40.0f);
    EXPECT_FLOAT_EQ(s->GetHeight(), 10.0f);
    EXPECT_FLOAT_EQ(s->GetCenterX(), 20.0f) << "still the old absolute place";
    s->Update();
    EXPECT_FLOAT_EQ(s->GetCenterX(), 70.0f);
    EXPECT_FLOAT_EQ(s->GetCenterY(), 65.0f);
}

TEST_F(SpriteMotion, SpriteWithoutAnimationsMovesQuietly) {
    // A skipped element or a failed clone leaves a sprite without animations: it moves,
    // but has no animation to run, name or draw, and says nothing about it.
    auto bare = std::make_shared<Sprite>();
    bare->vel = 2;
    bare->maxVel = 2;
    bare->dx = 1;
    bare->isFrozen = 0.5f;
    SpritePtr child = Idle("child");
    Attach(bare, child);
    for (int i = 0; i < 600; ++i) bare->Update();
    EXPECT_FLOAT_EQ(bare->x, 1200.0f);
    EXPECT_EQ(bare->isFrozen, 1.0f);
    EXPECT_EQ(bare->GetCurrentAnimationName(), "");
    EXPECT_EQ(bare->JumpToAnimation("idle"), 0);
    float hx = 0, hy = 0;
    bare->GetSpriteHandle(hx, hy);
    EXPECT_EQ(hx, 0.0f);
    EXPECT_EQ(hy, 0.0f);
    // currentAnimation past the end is treated the same.
    SpritePtr off = Idle("off");
    off->currentAnimation = 3;
    off->vel = off->maxVel = off->dx = 1;
    off->Update();
    EXPECT_FLOAT_EQ(off->x, 1.0f);
    EXPECT_EQ(off->GetCurrentAnimationName(), "");
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(SpriteMotion, LiveCountFollowsConstructionAndRelease) {
    {
        SpritePtr a = Idle("a");
        SpritePtr b = Idle("b");
        Attach(a, b);
        EXPECT_EQ(g_debugSpritesInMemory, spritesBefore + 2);
        a->Unlink();
    }
    EXPECT_EQ(g_debugSpritesInMemory, spritesBefore);
}

}  // namespace
