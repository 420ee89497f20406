// Large pictures (menu, dialog and level backgrounds) cut into tiles of at most
// 256 x 256 pixels and drawn whole, centred on the screen at the caller's scale.
#pragma once

#include <memory>
#include <vector>

#include "media/fwd.h"
#include "platform/image.h"

// One tile, placed by its top-left corner's offset from the picture's centre.
class ImageFragment {
public:
    TImagePtr img;
    float x = 0.0f;  // picture centre minus the tile's corner
    float y = 0.0f;
    float rotation = 0.0f;
    double angle = 0.0;  // degrees, from the picture's centre to the tile's corner
    float angleCos = 0.0f;
    float angleSin = 0.0f;
    double distance = 0.0;

    // The tile of size w x h whose top-left corner is (x, y) in the picture.
    static ImageFragmentPtr create(const TPixmapPtr& pixmap, float x, float y, float w, float h);
    // Draws the tile for a picture centred at (x, y) from the current origin.
    int render(float xScale, float yScale, float x, float y, float rotation);
};

class BigImage {
public:
    TPixmapPtr pixmap;
    float px = 0.0f;
    float py = 0.0f;
    std::vector<ImageFragmentPtr> fragments;  // row by row, each row left to right
    float xScale = 1.0f;                      // the scale of the last Render
    float yScale = 1.0f;
    float width = 0.0f;
    float height = 0.0f;
    float x = 0.0f;  // the picture's centre from the screen's centre, in screen pixels
    float y = 0.0f;
    float rotation = 0.0f;

    // Null when there is no picture, or one without a single pixel to show.
    static BigImagePtr create(const TPixmapPtr& pixmap);
    int load();
    int Render();
};
