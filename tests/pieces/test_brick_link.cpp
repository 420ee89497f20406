// Neighbour linking at scale: the same neighbours in the same order as testing every pair of
// bricks, on random layouts with every odd box the test can meet, in work and memory that follow
// the number of neighbours found; a pile of bricks too deep to link is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "allocation_count.h"
#include "core/errors.h"
#include "core/globals.h"
#include "pieces/brick.h"
#include "sprites/sprites.h"
#include "support/support.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The linking as a walk over every pair, i before j: both lists lengthened by a slot, then j
// put in i's last slot and i in j's.
void LinkEveryPair(const std::vector<BrickPtr>& bricks) {
    for (size_t i = 0; i < bricks.size(); ++i) {
        const BrickPtr a = bricks[i];
        if (!a || !a->brickSprite) continue;
        for (size_t j = i + 1; j < bricks.size(); ++j) {
            const BrickPtr b = bricks[j];
            if (!b || !b->brickSprite) continue;
            if (a->brickSprite->BoundingBoxCollision(b->brickSprite, 1, 0.25f) == 1) {
                a->adjacentBricks = LengthenBrickArray(a->adjacentBricks);
                b->adjacentBricks = LengthenBrickArray(b->adjacentBricks);
                a->adjacentBricks.back() = b;
                b->adjacentBricks.back() = a;
            }
        }
    }
}

// A brick array built from a seed, the same twice over; parents are kept alive beside it.
struct Layout {
    std::vector<BrickPtr> bricks;
    std::vector<SpritePtr> parents;

    ~Layout() {
        for (BrickPtr& brick : bricks) {
            if (brick) brick->Unlink();
        }
    }

    static BrickPtr Place(float x, float y, float w, float h) {
        auto brick = std::make_shared<Brick>();
        Sprite& s = *brick->brickSprite;
        s.x = x;
        s.y = y;
        s.widthBound = w;
        s.heightBound = h;
        return brick;
    }

    // Mostly bricks on a 10-pixel lattice with edges that touch, overlap or lie 0.25 or 0.3
    // apart, and among them every odd case: no size, huge and infinite sizes, negative
    // scales, positions that are not numbers or infinite, a stale or a missing absolute
    // position, a child sprite, shared sprites, null entries, a brick listed twice and old
    // neighbours already in a list.
    static void Random(Layout& layout, unsigned seed, int count, bool oddCases) {
        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        const float nudges[] = {0.0f, 0.0f, 0.25f, -0.25f, 0.3f, 0.1f};
        const float sizes[] = {10.0f, 20.0f, 30.0f, 5.0f};
        for (int k = 0; k < count; ++k) {
            const float x = 10.0f * pick(30) + nudges[pick(6)];
            const float y = 10.0f * pick(30) + nudges[pick(6)];
            BrickPtr brick = Place(x, y, sizes[pick(4)], sizes[pick(4)]);
            Sprite& s = *brick->brickSprite;
            if (oddCases) {
                switch (pick(24)) {
                    case 0:
                        s.xScale = 0.0f;
                        break;
                    case 1:
                        s.yScale = 0.0f, s.widthBound = 0.0f;
                        break;
                    case 2:
                        s.xScale = 1e30f;
                        break;  // an infinite width
                    case 3:
                        s.yScale = 500.0f;
                        break;
                    case 4:
                        s.xScale = -1.0f;
                        break;
                    case 5:
                        s.yScale = -2.5f;
                        break;
                    case 6:
                        s.x = kNaN;
                        break;
                    case 7:
                        s.y = kInf;
                        break;
                    case 8:
                        s.x = -kInf;
                        break;
                    case 9:
                        s.widthBound = kNaN;
                        break;
                    case 10:
                        s.absX = s.x + 20.0f, s.absY = s.y;
                        break;  // a stale position
                    case 11:
                        s.x = 0.0f, s.y = 0.0f;
                        break;  // never gets one
                    case 12: {
                        auto parent = std::make_shared<Sprite>();
                        layout.parents.push_back(parent);
                        s.parentSprite = parent;
                        if (pick(2)) s.absX = s.x, s.absY = s.y;
                        break;
                    }
                    case 13:
                        if (!layout.bricks.empty() && layout.bricks.back())
                            brick->brickSprite = layout.bricks.back()->brickSprite;
                        break;
                    case 14:
                        brick = nullptr;
                        break;
                    case 15:
                        brick->brickSprite = nullptr;
                        break;
                    case 16:
                        if (!layout.bricks.empty()) brick = layout.bricks[pick(static_cast<int>(layout.bricks.size()))];
                        break;
                    case 17:
                        if (!layout.bricks.empty() && layout.bricks.front())
                            brick->adjacentBricks.push_back(layout.bricks.front());
                        break;
                    case 18:
                        s.x = 3.0e38f, s.xScale = 1e10f;
                        break;
                    default:
                        break;
                }
            }
            layout.bricks.push_back(brick);
        }
    }
};

// Each brick's neighbours as positions in the array (a brick listed twice by its first),
// and each sprite's absolute position after linking.
std::vector<std::vector<int>> Neighbours(const std::vector<BrickPtr>& bricks) {
    std::map<const Brick*, int> position;
    for (size_t k = bricks.size(); k-- > 0;) position[bricks[k].get()] = static_cast<int>(k);
    std::vector<std::vector<int>> lists;
    for (const BrickPtr& brick : bricks) {
        lists.emplace_back();
        if (!brick) continue;
        for (const BrickPtr& n : brick->adjacentBricks) lists.back().push_back(n ? position.at(n.get()) : -1);
    }
    return lists;
}

std::vector<std::string> AbsolutePositions(const std::vector<BrickPtr>& bricks) {
    std::vector<std::string> positions;
    for (const BrickPtr& brick : bricks) {
        const Sprite* s = brick ? brick->brickSprite.get() : nullptr;
        positions.push_back(s ? std::to_string(s->absX) + "," + std::to_string(s->absY) : "-");
    }
    return positions;
}

// Notes stay out of the log as in the game, so every line in it is a fault.
class BrickLink : public ::testing::Test {
protected:
    void SetUp() override {
        InitGlobals();
        g_debugLogQuiet = 1;
        g_errorcode = {1, -14};
        g_errorseverity = {0, 3};
        g_errormessage = {"Note", "Not found"};
        ClearDebugLog();
    }
    void TearDown() override {
        g_errorcode.clear();
        g_errorseverity.clear();
        g_errormessage.clear();
        g_debugLogQuiet = 0;
    }
};

TEST_F(BrickLink, FindsTheNeighboursAndOrderOfTheWalkOverEveryPair) {
    struct Case {
        const char* label;
        int count;
        bool oddCases;
    } cases[] = {
        {"lattice", 150, false},
        {"lattice with odd bricks", 150, true},
        {"few bricks", 3, true},
        {"crowded", 400, true},
    };
    for (const Case& c : cases) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            SCOPED_TRACE(std::string(c.label) + ", seed " + std::to_string(seed));
            Layout linked, walked;
            Layout::Random(linked, seed, c.count, c.oddCases);
            Layout::Random(walked, seed, c.count, c.oddCases);
            LinkBricks(linked.bricks, {}, 1);
            LinkEveryPair(walked.bricks);
            ASSERT_EQ(Neighbours(linked.bricks), Neighbours(walked.bricks));
            ASSERT_EQ(AbsolutePositions(linked.bricks), AbsolutePositions(walked.bricks));
            // A second call adds every neighbour once more, as the walk would.
            LinkBricks(linked.bricks, {}, 1);
            LinkEveryPair(walked.bricks);
            ASSERT_EQ(Neighbours(linked.bricks), Neighbours(walked.bricks));
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

// 10,000 bricks edge to edge, 100 by 100: every brick inside the wall has eight neighbours.
TEST_F(BrickLink, ALargeWallTakesWorkInProportionToItsNeighbours) {
    Layout wall;
    for (int row = 0; row < 100; ++row) {
        for (int column = 0; column < 100; ++column)
            wall.bricks.push_back(Layout::Place(48.0f * column, 20.0f * row, 48.0f, 20.0f));
    }
    const uint64_t testsBefore = g_linkBricksPairTests;
    const double start = ThreadCpuSeconds();
    LinkBricks(wall.bricks, {}, 1);
    const double seconds = ThreadCpuSeconds() - start;

    size_t entries = 0;
    for (const BrickPtr& brick : wall.bricks) entries += brick->adjacentBricks.size();
    EXPECT_EQ(entries, 2u * (99 * 100 * 2 + 99 * 99 * 2));
    EXPECT_EQ(wall.bricks[101]->adjacentBricks.size(), 8u);
    EXPECT_EQ(wall.bricks[0]->adjacentBricks.size(), 3u);
    // Every pair tested is a pair whose boxes meet, and each is tested once.
    EXPECT_LE(g_linkBricksPairTests - testsBefore, entries);
    // Testing every pair took 50 million tests and minutes; the sanitizer build takes well
    // under a second here.
    EXPECT_LT(seconds, 10.0);
    EXPECT_EQ(g_DebugLog, "");
}

// 300 bricks on one spot: each is everyone's neighbour. The lists take their final size at
// once; growing each by a copy per neighbour handed out 200 MB here.
TEST_F(BrickLink, APileOfBricksGrowsEachListInPlace) {
    Layout pile;
    for (int k = 0; k < 300; ++k) pile.bricks.push_back(Layout::Place(100.0f, 100.0f, 30.0f, 15.0f));
    allocation::Count count;
    LinkBricks(pile.bricks, {}, 1);
    const uint64_t output = 300 * 299 * sizeof(BrickPtr);
    EXPECT_EQ(pile.bricks[7]->adjacentBricks.size(), 299u);
    EXPECT_EQ(pile.bricks[7]->adjacentBricks[7], pile.bricks[8]);
    EXPECT_LT(count.Total(), 3 * output) << "peak " << count.Peak();
    EXPECT_EQ(g_DebugLog, "");
}

// A pack of 20,000 brick templates, each turning into the next and the last into the first,
// each on a sprite of its own: names are found through an index, and once the loop is cut every
// later walk along the chain stops where an earlier one passed. Looking each name up in turn
// and walking each chain to its end took billions of steps.
TEST_F(BrickLink, ALongChainOfTemplatesLinksInProportionToItsLength) {
    constexpr int kTemplates = 20000;
    Layout pack;
    std::vector<SpritePtr> sprites;
    for (int k = 0; k < kTemplates; ++k) {
        auto sprite = std::make_shared<Sprite>();
        sprite->name = "s" + std::to_string(k);
        sprite->x = 48.0f * k;
        sprite->widthBound = 40.0f;
        sprite->heightBound = 20.0f;
        sprites.push_back(sprite);
        auto brick = std::make_shared<Brick>();
        brick->name = "b" + std::to_string(k);
        brick->nextBrickName = "b" + std::to_string((k + 1) % kTemplates);
        brick->spriteName = sprite->name;
        pack.bricks.push_back(brick);
    }
    const double start = ThreadCpuSeconds();
    LinkBricks(pack.bricks, sprites, 0);
    const double seconds = ThreadCpuSeconds() - start;

    EXPECT_EQ(g_DebugLog,
              "brick:LinkBricks(): Next form of brick \"b19999\" leads back to \"b0\"; \"b19999\" is now "
              "the last form.\n");
    EXPECT_EQ(pack.bricks[0]->nextBrick, pack.bricks[1]);
    EXPECT_EQ(pack.bricks[kTemplates - 1]->nextBrick, nullptr);
    EXPECT_EQ(pack.bricks[123]->brickSprite, sprites[123]);
    EXPECT_TRUE(pack.bricks[123]->adjacentBricks.empty());
    EXPECT_LT(seconds, 10.0);
    // Unlinking the first form lets go of the whole chain without running out of stack.
    EXPECT_EQ(pack.bricks[0]->Unlink(), 0);
    EXPECT_EQ(pack.bricks[kTemplates - 2]->nextBrick, nullptr);
    EXPECT_EQ(pack.bricks[kTemplates - 2]->brickSprite, nullptr);
    for (SpritePtr& sprite : sprites) sprite->Unlink();
}

// 3,000 bricks on one spot would take 9 million list entries, and unlinking them billions of
// steps: the layout is refused at once, with a line in the log, and no list grows.
TEST_F(BrickLink, ADeepPileIsRefused) {
    Layout pile;
    for (int k = 0; k < 3000; ++k) pile.bricks.push_back(Layout::Place(100.0f, 100.0f, 30.0f, 15.0f));
    pile.bricks[5]->adjacentBricks.push_back(pile.bricks[6]);
    const uint64_t testsBefore = g_linkBricksPairTests;
    allocation::Count count;
    EXPECT_EQ(LinkBricks(pile.bricks, {}, 1), 0);
    EXPECT_EQ(g_DebugLog,
              "brick:LinkBricks(): Too many of these 3000 bricks overlap one another; none is linked to its "
              "neighbours.\n");
    EXPECT_EQ(pile.bricks[5]->adjacentBricks.size(), 1u);
    EXPECT_TRUE(pile.bricks[6]->adjacentBricks.empty());
    EXPECT_LT(g_linkBricksPairTests - testsBefore, 1000000u);
    EXPECT_LT(count.Peak(), 16u << 20);
}

}  // namespace
