// Large pictures (menu, dialog and level backgrounds) cut into tiles of at most
// 256 x 256 pixels and drawn whole, centred on the screen at the caller's scale.
#include "media/largeimage.h"

#include <cmath>

#include "platform/graphics.h"

namespace {

// Textures stay small enough for any graphics card.
constexpr int kTileSize = 256;

// Whole pixels toward zero; a value no int can hold gives -1, which no window accepts.
int WholePixels(float v) {
    if (!(v > -2147483648.0f && v < 2147483648.0f)) return -1;
    return static_cast<int>(v);
}

}  // namespace

ImageFragmentPtr ImageFragment::create(const TPixmapPtr& pixmap, float x, float y, float w, float h) {
    auto tile = std::make_shared<ImageFragment>();
    if (!pixmap) return tile;
    tile->img =
        LoadImage(PixmapWindow(pixmap, WholePixels(x), WholePixels(y), WholePixels(w), WholePixels(h)), FILTEREDIMAGE);
    float cx = static_cast<float>(pixmap->width) * 0.5f - x;
    float cy = static_cast<float>(pixmap->height) * 0.5f - y;
    tile->x = cx;
    tile->y = cy;
    // The vector points from the corner to the centre; turned half round it points
    // from the centre to the corner.
    tile->angle = std::atan2(static_cast<double>(cy), static_cast<double>(cx)) * (180.0 / M_PI) - 180.0;
    double radians = tile->angle * (M_PI / 180.0);
    tile->angleCos = static_cast<float>(std::cos(radians));
    tile->angleSin = static_cast<float>(std::sin(radians));
    tile->distance = std::sqrt(static_cast<double>(cx) * cx + static_cast<double>(cy) * cy);
    return tile;
}

int ImageFragment::render(float xScale, float yScale, float x, float y, float rotation) {
    SetRotation(rotation);
    SetScale(xScale, yScale);
    if (img) {
        DrawImage(img, static_cast<float>(x + angleCos * (distance * xScale)),
                  static_cast<float>(y + angleSin * (distance * yScale)), 0);
    }
    return 0;
}

BigImagePtr BigImage::create(const TPixmapPtr& pixmap) {
    if (!pixmap || pixmap->width < 1 || pixmap->height < 1) return nullptr;
    auto big = std::make_shared<BigImage>();
    big->pixmap = pixmap;
    big->width = static_cast<float>(pixmap->width);
    big->height = static_cast<float>(pixmap->height);
    big->load();
    return big;
}

int BigImage::load() {
    if (!pixmap) return 0;
    const int W = pixmap->width, H = pixmap->height;
    // Without a pixel in both directions there is nothing to cut.
    if (W < 1 || H < 1) return 0;
    int tx = 0, ty = 0;
    while (true) {
        int tw = W - tx >= kTileSize ? kTileSize : W - tx;
        int th = H - ty >= kTileSize ? kTileSize : H - ty;
        fragments.push_back(ImageFragment::create(pixmap, static_cast<float>(tx), static_cast<float>(ty),
                                                  static_cast<float>(tw), static_cast<float>(th)));
        tx += kTileSize;
        if (tx >= W) {
            tx = 0;
            ty += kTileSize;
            if (ty >= H) break;
        }
    }
    return 0;
}

int BigImage::Render() {
    SetOrigin(static_cast<float>(GraphicsWidth()) * 0.5f, static_cast<float>(GraphicsHeight()) * 0.5f);
    GetScale(xScale, yScale);
    for (const ImageFragmentPtr& tile : fragments) {
        if (tile) tile->render(xScale, yScale, x, y, rotation);
    }
    SetOrigin(0.0f, 0.0f);
    return 0;
}
