// Pictures: pixmaps decoded on the CPU, and images (one or more frames) that the
// graphics layer uploads as textures when first drawn, and again after a new window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// RGBA, 8 bits a channel, rows top to bottom. A window shares its parent's pixels.
struct TPixmap {
    int width = 0;
    int height = 0;
    int pitch = 0;          // pixels from one row to the next in `pixels`
    int offset = 0;         // pixel index of (0, 0) in `pixels`
    bool hasAlpha = false;  // the file carried an alpha channel
    std::shared_ptr<std::vector<uint8_t>> pixels;

    uint8_t* PixelPtr(int x, int y) { return pixels->data() + 4 * (offset + y * pitch + x); }
    const uint8_t* PixelPtr(int x, int y) const { return pixels->data() + 4 * (offset + y * pitch + x); }
};
using TPixmapPtr = std::shared_ptr<TPixmap>;

TPixmapPtr CreatePixmap(int width, int height, bool hasAlpha = true);  // cleared to 0
// PNG or JPEG, told by content. Null on any failure.
TPixmapPtr LoadPixmap(const std::string& path);
TPixmapPtr LoadPixmapFromMemory(const std::string& bytes);
// A pixmap showing a rectangle of another, sharing its pixels; null when out of bounds.
TPixmapPtr PixmapWindow(const TPixmapPtr& pixmap, int x, int y, int w, int h);
// A packed copy (pitch == width, offset 0).
TPixmapPtr CopyPixmap(const TPixmapPtr& pixmap);

// Image flags; they add up. -1 stands for masked + filtered.
enum ImageFlags : int {
    MASKEDIMAGE = 1,    // black becomes transparent, only for pictures without alpha
    FILTEREDIMAGE = 2,  // linear filtering, else nearest
    MIPMAPPEDIMAGE = 4,
};

// A texture made from one frame on one graphics context. `generation` tells the
// context it belongs to; a new context makes every texture stale.
struct TTextureSlot {
    unsigned id = 0;
    int generation = -1;
};

struct TImage {
    int width = 0;  // one frame
    int height = 0;
    float handleX = 0;
    float handleY = 0;
    int flags = 0;                       // resolved: never -1
    std::vector<TPixmapPtr> frames;      // packed RGBA, mask already applied
    std::vector<TTextureSlot> textures;  // one per frame, filled by the graphics layer
    ~TImage();
};
using TImagePtr = std::shared_ptr<TImage>;

TImagePtr LoadImage(const std::string& path, int flags = -1);
TImagePtr LoadImage(const TPixmapPtr& pixmap, int flags = -1);
// Cells of cellW x cellH, left to right then top to bottom, `count` of them from
// `first` on. Null when unreadable or short of cells.
TImagePtr LoadAnimImage(const std::string& path, int cellW, int cellH, int first, int count, int flags = -1);
TImagePtr LoadAnimImage(const TPixmapPtr& pixmap, int cellW, int cellH, int first, int count, int flags = -1);
int ImageWidth(const TImagePtr& image);  // 0 for null
int ImageHeight(const TImagePtr& image);
int ImageFrames(const TImagePtr& image);
void SetImageHandle(const TImagePtr& image, float x, float y);
void MidHandleImage(const TImagePtr& image);

// Releases an image's textures on the current context (called by ~TImage; the
// graphics layer provides it and ignores stale slots).
void ReleaseTextures(std::vector<TTextureSlot>& textures);
