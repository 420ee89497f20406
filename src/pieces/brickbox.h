// Brick boxes: the broad phase of a level's collision tests (one cell of the brick grid,
// listing the bricks that touch it) and the brick shield along the bottom of the field.
#pragma once

#include <memory>
#include <vector>

#include "pieces/fwd.h"

// One rectangle of the grid and the bricks whose rectangles touch it. A grid box only refers
// to bricks the level also holds; the shield box is the sole holder of its own bricks.
// Always held by a BrickBoxPtr.
class BrickBox {
public:
    float minX = -1.0f;
    float minY = -1.0f;
    float maxX = -1.0f;
    float maxY = -1.0f;
    // In the order they were added; entries become nullptr after Unlink.
    std::vector<BrickPtr> bricksToCheck;
    // 1 when the latest BrickBallCollision found the ball touching this box.
    int beingChecked = 0;

    BrickBox() = default;
    ~BrickBox();
    BrickBox(const BrickBox&) = delete;
    BrickBox& operator=(const BrickBox&) = delete;

    // Drops every listed brick (keeping the list's length); unlinkBricks 1 unlinks each first.
    int Unlink(int unlinkBricks);
    // Copies the edges and gives this box its own clone of every listed brick.
    int Clone(const BrickBoxPtr& source);
    // Edges from two x and two y values in either order; empties the list's references.
    int SetDimensions(float xA, float xB, float yA, float yB);
    // Lists the brick when its rectangle touches the box (edges inclusive), dead or alive.
    int TestAddBrick(const BrickPtr& brick);
    // Number of must-clear bricks this ball destroyed among the listed ones.
    int BrickBallCollision(const BallPtr& ball, float margin, const GameStatPtr& stat,
                           const std::vector<BrickPtr>& bricks);
    // 1 when the nain touches the box and one of its listed bricks.
    int BrickNainCollision(const NainPtr& nain);
    // A debugging aid: shades the box and its bricks while beingChecked is 1.
    int DrawDebugBox();
};

// A copy of the array one longer, with a new default box at the end.
std::vector<BrickBoxPtr> AppendNewBrickBox(const std::vector<BrickBoxPtr>& boxes);
