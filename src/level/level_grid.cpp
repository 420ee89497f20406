// The level's brick-box grid: splits the rectangle around the bricks into 1x1 to 5x5 boxes
// so that a ball is only tested against the bricks near it.
#include "core/globals.h"
#include "level/level.h"
#include "pieces/brickbox.h"
#include "platform/runtime.h"
#include "text/parser.h"

namespace {

// The smallest side whose grid averages fewer than 8 bricks a box, at most 5.
int GridSideForBrickCount(size_t count) {
    if (count < 8) return 1;
    if (count < 32) return 2;
    if (count < 72) return 3;
    if (count < 128) return 4;
    return 5;
}

}  // namespace

int Level::CreateBrickBoxGrid() {
    return Guarded("level:Level.CreateBrickBoxGrid() ", 0, [&] {
        brickBoxArray.clear();
        const int side = GridSideForBrickCount(bricksArray.size());
        g_brickCollisionSubdivisions = side;
        ThrowError(1, "Brickbox grid size: " + IntToText(side) + "x" + IntToText(side));

        const float stepX = (brickMaxX - brickMinX) / static_cast<float>(side);
        const float stepY = (brickMaxY - brickMinY) / static_cast<float>(side);
        for (int i = 0; i < side; ++i) {
            for (int j = 0; j < side; ++j) {
                brickBoxArray = AppendNewBrickBox(brickBoxArray);
                Deref(At(brickBoxArray, i * side + j))
                    .SetDimensions(
                        brickMinX + stepX * static_cast<float>(i), brickMinX + stepX * static_cast<float>(i + 1),
                        brickMinY + stepY * static_cast<float>(j), brickMinY + stepY * static_cast<float>(j + 1));
            }
        }

        for (const BrickBoxPtr& box : brickBoxArray) {
            for (size_t k = 0; k < bricksArray.size(); ++k) box->TestAddBrick(bricksArray[k]);
        }
        return 0;
    });
}
