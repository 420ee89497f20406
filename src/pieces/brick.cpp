// Bricks as content: the "brick" element read and written, templates linked to their sprites,
// next forms and neighbours, level bricks cloned from templates, and their release.
#include "pieces/brick.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/arrays.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "pieces/nain.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "sprites/sprites.h"
#include "text/parser.h"

int g_debugBricksInMemory = 0;
uint64_t g_linkBricksPairTests = 0;

Brick::Brick() {
    Guarded("brick:Brick.New(): ", 0, [&] {
        brickSprite = std::make_shared<Sprite>();
        ++g_debugBricksInMemory;
        return 0;
    });
}

Brick::~Brick() {
    Guarded("brick:Brick.Delete(): ", 0, [&] {
        --g_debugBricksInMemory;
        Unlink();
        return 0;
    });
}

namespace {

// Drops one brick's references and hands back its next form, already let go of, so that a
// chain that leads back to this brick stops.
BrickPtr UnlinkOneForm(Brick& brick) {
    return Guarded("brick:Brick.Unlink(): ", BrickPtr(), [&] {
        if (brick.brickSprite) brick.brickSprite->Unlink();
        brick.brickSprite = nullptr;
        if (brick.powerupGenerated) brick.powerupGenerated->Unlink();
        brick.powerupGenerated = nullptr;
        brick.currentNain = nullptr;
        for (size_t i = 0; i < brick.adjacentBricks.size(); ++i) {
            BrickPtr neighbour = brick.adjacentBricks[i];
            if (!neighbour) continue;
            for (BrickPtr& entry : neighbour->adjacentBricks) {
                if (entry.get() == &brick) entry = nullptr;
            }
            brick.adjacentBricks[i] = nullptr;
        }
        brick.adjacentBricks.clear();
        BrickPtr next = std::move(brick.nextBrick);
        brick.nextBrick = nullptr;
        return next;
    });
}

}  // namespace

int Brick::Unlink() {
    // The next forms are walked in a loop: a crafted pack's chain of thousands of forms would
    // run out of stack if each form unlinked the next.
    for (BrickPtr next = UnlinkOneForm(*this); next;) next = UnlinkOneForm(*next);
    return 0;
}

int Brick::LoadFromXML(const std::string& xml, int nameOnly) {
    return Guarded("brick:Brick.LoadFromXML(): ", 0, [&] {
        SetStringFromXML(name, xml, "brickName");
        if (nameOnly == 1) return 0;
        ThrowError(1, "Loading brick data from XML: " + name);

        LoadXmlFields(*this, xml, kBrickFields);
        LoadXmlFields(*this, xml, kBrickLateFields);
        ThrowError(1, "Brick loading mustClear: " + IntToText(mustClear));

        if (CountTagsInXML(xml, "powerupGenerated") > 0) {
            powerupGenerated = std::make_shared<Random>();
            powerupGenerated->LoadFromXML(ExtractTagFromXML(xml, "powerupGenerated", 0));
        }
        if (!powerupGenerated) powerupGenerated = std::make_shared<Random>();

        // In a pack file this is the blank sprite that linking replaces; in a level file it
        // is the brick's own clone, which these place.
        Sprite& sprite = Deref(brickSprite);
        SetFloatFromXML(sprite.x, xml, "x");
        SetFloatFromXML(sprite.y, xml, "y");
        SetFloatFromXML(sprite.dx, xml, "dx");
        SetFloatFromXML(sprite.dy, xml, "dy");
        SetFloatFromXML(sprite.xScale, xml, "xScale");
        SetFloatFromXML(sprite.yScale, xml, "yScale");
        return 0;
    });
}

int Brick::Clone(const BrickPtr& source) {
    return Guarded("brick:Brick.Clone(): ", 0, [&] {
        // The source may be this brick's own next form, which the copy below replaces.
        BrickPtr src = source;
        Brick& s = Deref(src);
        name = s.name;
        CopyXmlFields(*this, s, kBrickFields);
        isLive = s.isLive;
        powerupGenerated = s.powerupGenerated;

        if (brickSprite) brickSprite->Unlink();
        brickSprite = std::make_shared<Sprite>();
        if (!s.brickSprite) {
            ThrowError(1, "Problem! Cloning to " + name + " from " + s.name);
            RuntimeError("Brick sprite to clone is null!");
        }
        SpritePtr sprite = std::make_shared<Sprite>();
        sprite->Clone(s.brickSprite, nullptr);
        brickSprite = sprite;

        CopyXmlFields(*this, s, kBrickLateFields);
        if (s.nextBrick) {
            BrickPtr next = std::make_shared<Brick>();
            next->Clone(s.nextBrick);
            nextBrick = next;
        }
        return 0;
    });
}

std::string Brick::WriteToXML(int) {
    return Guarded("brick:Brick.WriteToXML(): ", std::string(), [&] {
        Sprite& sprite = Deref(brickSprite);
        std::string data = GetXMLfromData("brickName", name, 0);
        data += GetXMLfromData("x", FloatToText(sprite.x), 0);
        data += GetXMLfromData("y", FloatToText(sprite.y), 0);
        data += GetXMLfromData("xScale", FloatToText(sprite.xScale), 0);
        data += GetXMLfromData("yScale", FloatToText(sprite.yScale), 0);
        return GetXMLfromData("brick", data, 1);
    });
}

BrickPtr GetBrickByName(const std::string& brickName, const std::vector<BrickPtr>& bricks) {
    return GetByName("brick:GetBrickByName(): ", bricks, &Brick::name, brickName, "brick");
}

namespace {

// Next forms must end: a chain that comes back to one of its own forms would make cloning and
// unlinking run forever, so the form that closes the loop becomes the last one. Every form a
// walk has passed ends its chain afterwards, so a later walk that reaches one stops there.
void CutNextFormLoops(const std::vector<BrickPtr>& bricks) {
    std::unordered_set<const Brick*> ending;
    std::vector<const Brick*> passed;
    for (const BrickPtr& first : bricks) {
        if (!first) continue;
        passed.clear();
        Brick* last = WalkForms(*first, [&](Brick& form) {
            passed.push_back(&form);
            return ending.count(&form) == 0;
        });
        if (last) {
            AddLineToDebugLog("brick:LinkBricks(): Next form of brick \"" + last->name + "\" leads back to \"" +
                              last->nextBrick->name + "\"; \"" + last->name + "\" is now the last form.");
            last->nextBrick = nullptr;
            last->nextBrickName.clear();
        }
        ending.insert(passed.begin(), passed.end());
    }
}

// The first of each name, as the lookups by name find it.
template <class T>
std::unordered_map<std::string, std::shared_ptr<T>> FirstByName(const std::vector<std::shared_ptr<T>>& items) {
    std::unordered_map<std::string, std::shared_ptr<T>> first;
    for (const std::shared_ptr<T>& item : items) {
        if (item) first.emplace(item->name, item);
    }
    return first;
}

// The neighbour test puts the lower-numbered brick of a pair at its sprite's x, y and the
// other at its sprite's absolute position, each grown by the margin. Every brick gets a box
// for each role; two bricks can only pass the test when the first one's box as the lower
// brick meets the second one's box as the higher brick, so only such pairs are tested.
constexpr float kNeighbourMargin = 0.25f;

// A closed box, its edges as the test computes them, one float step wider each way so that
// rounding can only add pairs to test, never lose one.
struct Box {
    float left, right, top, bottom;
};

// False when an edge is not a number: every comparison of the test fails on it.
bool MakeBox(float x1, float x2, float y1, float y2, Box& box) {
    if (std::isnan(x1) || std::isnan(x2) || std::isnan(y1) || std::isnan(y2)) return false;
    box.left = std::nextafter(std::min(x1, x2), -INFINITY);
    box.right = std::nextafter(std::max(x1, x2), INFINITY);
    box.top = std::nextafter(std::min(y1, y2), -INFINITY);
    box.bottom = std::nextafter(std::max(y1, y2), INFINITY);
    return true;
}

// The boxes a sweep from left to right is crossing, found by their vertical extent (indices
// into the sorted list of every box's top and bottom). A box meets a query when its top lies
// within the query's, found through a set ordered by top, or when it reaches the query's top
// from above, found through a segment tree over the extents. Each box met is reported once,
// so a query costs its answer and a logarithm.
class ActiveBoxes {
public:
    ActiveBoxes(size_t extents, size_t ids) : top_(ids, 0), live_(ids, 0) {
        while (leaves_ < extents) leaves_ *= 2;
        nodes_.resize(2 * leaves_);
    }

    void Insert(int id, int top, int bottom) {
        live_[id] = 1;
        top_[id] = top;
        byTop_.insert({top, id});
        for (size_t l = top + leaves_, r = bottom + leaves_ + 1; l < r; l /= 2, r /= 2) {
            if (l & 1) nodes_[l++].push_back(id);
            if (r & 1) nodes_[--r].push_back(id);
        }
    }

    // The tree's lists keep a removed box until a query passes it.
    void Remove(int id) {
        live_[id] = 0;
        byTop_.erase({top_[id], id});
    }

    template <class Found>
    void ForEachMeeting(int top, int bottom, Found&& found) {
        for (auto it = byTop_.lower_bound({top, INT_MIN}); it != byTop_.end() && it->first <= bottom; ++it)
            found(it->second);
        for (size_t node = top + leaves_; node >= 1; node /= 2) {
            std::vector<int>& list = nodes_[node];
            for (size_t k = 0; k < list.size();) {
                const int id = list[k];
                if (!live_[id]) {
                    list[k] = list.back();
                    list.pop_back();
                    continue;
                }
                if (top_[id] < top) found(id);
                ++k;
            }
        }
    }

private:
    size_t leaves_ = 1;
    std::vector<std::vector<int>> nodes_;
    std::set<std::pair<int, int>> byTop_;
    std::vector<int> top_;
    std::vector<char> live_;
};

// Past this much work a layout is refused: every box test and every step the bricks' unlinking
// will take over their neighbour lists (the sum of each brick's neighbour count squared, as
// unlinking a brick walks each of its neighbours' lists) counts one. Bricks of a real level
// use a small share of it; thousands of bricks piled on one spot would exhaust memory.
constexpr uint64_t kLinkWorkLimit = uint64_t(1) << 26;

// The positions into bricks of those that take part in the neighbour test: each with a body.
std::vector<int> LinkedPositions(const std::vector<BrickPtr>& bricks) {
    std::vector<int> linked;
    for (size_t k = 0; k < bricks.size(); ++k) {
        if (bricks[k] && bricks[k]->brickSprite) linked.push_back(static_cast<int>(k));
    }
    return linked;
}

// The test fixes the absolute position of a sprite that has none the first time the sprite
// stands as the higher brick, which every brick but the first does.
void FixAbsolutePositions(const std::vector<BrickPtr>& bricks, const std::vector<int>& linked) {
    for (size_t v = 1; v < linked.size(); ++v) {
        Sprite& s = *bricks[linked[v]]->brickSprite;
        if (s.absX == 0.0f && s.absY == 0.0f && s.parentSprite.expired()) {
            s.absX = s.x;
            s.absY = s.y;
        }
    }
}

// Each taking brick's box in either role (where it has one), and every top and bottom among
// them in order, which the sweep indexes its boxes by.
struct NeighbourBoxes {
    std::vector<Box> lower, higher;
    std::vector<char> hasLower, hasHigher;
    std::vector<float> extents;

    int ExtentIndex(float y) const {
        return static_cast<int>(std::lower_bound(extents.begin(), extents.end(), y) - extents.begin());
    }
};

NeighbourBoxes MakeNeighbourBoxes(const std::vector<BrickPtr>& bricks, const std::vector<int>& linked) {
    const size_t count = linked.size();
    NeighbourBoxes boxes{
        std::vector<Box>(count), std::vector<Box>(count), std::vector<char>(count, 0), std::vector<char>(count, 0), {}};
    boxes.extents.reserve(4 * count);
    for (size_t v = 0; v < count; ++v) {
        Sprite& s = *bricks[linked[v]]->brickSprite;
        const float w = s.GetWidth(), h = s.GetHeight();
        const float m = kNeighbourMargin;
        boxes.hasLower[v] = MakeBox(s.x - m, s.x + w, s.y - m, s.y + h, boxes.lower[v]);
        // A child sprite never drawn is nowhere, and meets nothing as the higher brick.
        const bool nowhere = s.absX == 0.0f && s.absY == 0.0f && !s.parentSprite.expired();
        boxes.hasHigher[v] = !nowhere && MakeBox(s.absX + w, s.absX - m, s.absY + h, s.absY - m, boxes.higher[v]);
        if (boxes.hasLower[v]) boxes.extents.insert(boxes.extents.end(), {boxes.lower[v].top, boxes.lower[v].bottom});
        if (boxes.hasHigher[v])
            boxes.extents.insert(boxes.extents.end(), {boxes.higher[v].top, boxes.higher[v].bottom});
    }
    std::sort(boxes.extents.begin(), boxes.extents.end());
    boxes.extents.erase(std::unique(boxes.extents.begin(), boxes.extents.end()), boxes.extents.end());
    return boxes;
}

// Boxes enter the sweep at their left edge and leave after their right edge, so boxes that
// only touch still meet.
struct SweepEvent {
    float x;
    int leaves;  // 0 enters, 1 leaves
    int higher;  // 0 the box as the lower brick, 1 as the higher
    int v;
};

std::vector<SweepEvent> SweepEvents(const NeighbourBoxes& boxes) {
    std::vector<SweepEvent> events;
    events.reserve(4 * boxes.lower.size());
    for (size_t v = 0; v < boxes.lower.size(); ++v) {
        const int id = static_cast<int>(v);
        if (boxes.hasLower[v])
            events.insert(events.end(), {{boxes.lower[v].left, 0, 0, id}, {boxes.lower[v].right, 1, 0, id}});
        if (boxes.hasHigher[v])
            events.insert(events.end(), {{boxes.higher[v].left, 0, 1, id}, {boxes.higher[v].right, 1, 1, id}});
    }
    std::sort(events.begin(), events.end(), [](const SweepEvent& a, const SweepEvent& b) {
        return a.x < b.x || (a.x == b.x && a.leaves < b.leaves);
    });
    return events;
}

// The sweep from left to right: each box entering is tested against the boxes of the other
// role it meets. False once the work passes the limit.
bool SweepForPairs(const std::vector<BrickPtr>& bricks, const std::vector<int>& linked, const NeighbourBoxes& boxes,
                   std::vector<std::pair<int, int>>& pairs) {
    const size_t count = linked.size();
    ActiveBoxes activeLower(boxes.extents.size(), count), activeHigher(boxes.extents.size(), count);
    std::vector<uint64_t> neighbours(count, 0);
    uint64_t work = 0;
    const auto test = [&](int a, int b) {
        ++work;
        if (a >= b) return;
        ++g_linkBricksPairTests;
        const BrickPtr& first = bricks[linked[a]];
        if (first->brickSprite->BoundingBoxCollision(bricks[linked[b]]->brickSprite, 1, kNeighbourMargin) != 1) return;
        work += 2 * (neighbours[a] + neighbours[b]) + 2;
        ++neighbours[a];
        ++neighbours[b];
        pairs.push_back({linked[a], linked[b]});
    };
    for (const SweepEvent& e : SweepEvents(boxes)) {
        const Box& box = e.higher ? boxes.higher[e.v] : boxes.lower[e.v];
        ActiveBoxes& own = e.higher ? activeHigher : activeLower;
        if (e.leaves) {
            own.Remove(e.v);
            continue;
        }
        const int top = boxes.ExtentIndex(box.top), bottom = boxes.ExtentIndex(box.bottom);
        if (e.higher) {
            activeLower.ForEachMeeting(top, bottom, [&](int a) { test(a, e.v); });
        } else {
            activeHigher.ForEachMeeting(top, bottom, [&](int b) { test(e.v, b); });
        }
        if (work > kLinkWorkLimit) return false;
        own.Insert(e.v, top, bottom);
    }
    return true;
}

// Every pair i < j of positions into bricks that pass the neighbour test, in the order of i,
// then j; false, with pairs left incomplete, when the layout is refused.
bool FindNeighbourPairs(const std::vector<BrickPtr>& bricks, std::vector<std::pair<int, int>>& pairs) {
    const std::vector<int> linked = LinkedPositions(bricks);
    if (linked.size() < 2) return true;
    FixAbsolutePositions(bricks, linked);
    if (!SweepForPairs(bricks, linked, MakeNeighbourBoxes(bricks, linked), pairs)) return false;
    std::sort(pairs.begin(), pairs.end());
    return true;
}

}  // namespace

int LinkBricks(const std::vector<BrickPtr>& bricks, const std::vector<SpritePtr>& sprites, int adjacencyOnly) {
    return Guarded("brick:LinkBricks(): ", 0, [&] {
        const size_t count = bricks.size();
        if (adjacencyOnly == 0) {
            // Names found through an index; a name missing from it goes to the lookup, which
            // reports the miss.
            const auto bricksByName = FirstByName(bricks);
            const auto spritesByName = FirstByName(sprites);
            for (size_t i = 0; i < count; ++i) {
                BrickPtr brick = bricks[i];
                if (!brick) continue;
                if (!brick->nextBrickName.empty()) {
                    const auto next = bricksByName.find(brick->nextBrickName);
                    brick->nextBrick =
                        next != bricksByName.end() ? next->second : GetBrickByName(brick->nextBrickName, bricks);
                    if (brick->nextBrick) {
                        ThrowError(1, "Linked brick " + brick->name + " to " + brick->nextBrick->name);
                    } else {
                        // The lookup has reported it; without a form to turn into, the brick
                        // dies for good instead of staying live at no strength.
                        brick->nextBrickName.clear();
                    }
                }
                // A missing sprite keeps the blank one, so the brick still has a body.
                const auto found = spritesByName.find(brick->spriteName);
                SpritePtr sprite =
                    found != spritesByName.end() ? found->second : GetSpriteByName(brick->spriteName, sprites);
                if (sprite) brick->brickSprite = sprite;
            }
            CutNextFormLoops(bricks);
        }

        // Pairs are linked in the order a walk over every pair would meet them; each list
        // grows in place, by its final size at once.
        std::vector<std::pair<int, int>> pairs;
        if (!FindNeighbourPairs(bricks, pairs))
            RuntimeError("Too many of these " + IntToText(static_cast<int>(count)) +
                         " bricks overlap one another; none is linked to its neighbours.");
        std::vector<size_t> added(count, 0);
        for (const auto& [a, b] : pairs) ++added[a], ++added[b];
        for (size_t k = 0; k < count; ++k) {
            if (added[k]) bricks[k]->adjacentBricks.reserve(bricks[k]->adjacentBricks.size() + added[k]);
        }
        for (const auto& [a, b] : pairs) {
            std::vector<BrickPtr>& first = bricks[a]->adjacentBricks;
            std::vector<BrickPtr>& second = bricks[b]->adjacentBricks;
            if (&first == &second) {
                // A brick listed twice meets itself: its list grows by two slots and both
                // placings land in the last one.
                first.push_back(nullptr);
                first.push_back(bricks[a]);
                continue;
            }
            first.push_back(bricks[b]);
            second.push_back(bricks[a]);
        }
        return 0;
    });
}

std::vector<BrickPtr> AppendNewBrick(const std::vector<BrickPtr>& bricks) {
    return AppendNew("brick:AppendNewBrick(): ", bricks);
}

std::vector<BrickPtr> LengthenBrickArray(const std::vector<BrickPtr>& bricks) {
    return Guarded("brick:LengthenBrickArray(): ", std::vector<BrickPtr>(), [&] {
        std::vector<BrickPtr> longer(bricks);
        longer.push_back(nullptr);
        return longer;
    });
}
