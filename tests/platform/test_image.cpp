// Tests for picture decoding and the image frames cut from it: masks, strips, windows
// and the broken files the game must survive.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/image.h"
#include "support/scratch_folder.h"
#include "support/support.h"

namespace {

using Rgba = std::array<int, 4>;

std::string Fixture(const std::string& name) { return FixturePath("platform/" + name); }

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Rgba PixelAt(const TPixmapPtr& p, int x, int y) {
    const uint8_t* px = p->PixelPtr(x, y);
    return {px[0], px[1], px[2], px[3]};
}

// The 2x2 fixtures all show, left to right and top to bottom, the pixels below.
struct DecodeCase {
    const char* file;
    bool hasAlpha;
    Rgba pixels[4];
};

const DecodeCase kDecodeCases[] = {
    {"rgb.png", false, {{0, 0, 0, 255}, {200, 10, 20, 255}, {255, 255, 255, 255}, {0, 0, 255, 255}}},
    {"rgb_interlaced.png", false, {{0, 0, 0, 255}, {200, 10, 20, 255}, {255, 255, 255, 255}, {0, 0, 255, 255}}},
    {"rgba.png", true, {{0, 0, 0, 255}, {200, 10, 20, 255}, {0, 255, 0, 128}, {0, 0, 0, 0}}},
    {"palette_trns.png", true, {{0, 0, 0, 255}, {200, 10, 20, 255}, {255, 255, 255, 255}, {0, 0, 255, 0}}},
    {"grey2.png", false, {{0, 0, 0, 255}, {85, 85, 85, 255}, {170, 170, 170, 255}, {255, 255, 255, 255}}},
    {"grey_alpha.png", true, {{0, 0, 0, 255}, {100, 100, 100, 255}, {255, 255, 255, 128}, {50, 50, 50, 0}}},
    {"rgb16.png", false, {{0, 0, 0, 255}, {200, 10, 20, 255}, {255, 255, 255, 255}, {0, 0, 255, 255}}},
};

TEST(LoadPixmap, EveryPngKindBecomesRgba8) {
    for (const DecodeCase& c : kDecodeCases) {
        SCOPED_TRACE(c.file);
        TPixmapPtr p = LoadPixmap(Fixture(c.file));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->width, 2);
        EXPECT_EQ(p->height, 2);
        EXPECT_EQ(p->pitch, 2);
        EXPECT_EQ(p->hasAlpha, c.hasAlpha);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(PixelAt(p, i % 2, i / 2), c.pixels[i]) << "pixel " << i;
    }
}

TEST(LoadPixmap, JpegColourAndGreyAreOpaqueRgb) {
    // photo.jpg is 16x16: a flat colour on top of noise.
    struct {
        const char* file;
        int size;
        Rgba colour;
    } cases[] = {{"photo.jpg", 16, {40, 120, 200, 255}}, {"grey.jpg", 8, {90, 90, 90, 255}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TPixmapPtr p = LoadPixmap(Fixture(c.file));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->width, c.size);
        EXPECT_EQ(p->height, c.size);
        EXPECT_FALSE(p->hasAlpha);
        Rgba got = PixelAt(p, 3, 5);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], c.colour[k], 4) << "channel " << k;
        EXPECT_EQ(got[3], 255);
    }
}

TEST(LoadPixmap, BrokenDataGivesNull) {
    std::string png = ReadBytes(Fixture("strip.png"));
    std::string jpeg = ReadBytes(Fixture("photo.jpg"));
    ASSERT_GT(png.size(), 60u);
    ASSERT_GT(jpeg.size(), 300u);
    std::string badCrc = png;
    badCrc[png.size() - 20] ^= 0x55;  // inside the pixel data
    struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"random bytes", "\x13\x37\xc0\xde random bytes that are no picture"},
        {"PNG signature only", png.substr(0, 8)},
        {"PNG cut inside the pixel data", png.substr(0, png.size() - 20)},
        {"PNG with a corrupt chunk", badCrc},
        {"JPEG cut after the header", jpeg.substr(0, 120)},
        {"JPEG cut inside the scan", jpeg.substr(0, jpeg.size() - 40)},
    };
    for (const auto& c : cases) EXPECT_FALSE(LoadPixmapFromMemory(c.bytes)) << c.what;
}

TEST(LoadPixmap, MissingPathsAndFoldersGiveNull) {
    ScratchFolder dir;
    EXPECT_FALSE(LoadPixmap(dir.path() + "/missing.png"));
    EXPECT_FALSE(LoadPixmap(dir.path()));
    EXPECT_FALSE(LoadPixmap(""));
    EXPECT_FALSE(LoadImage(dir.path() + "/missing.png", 0));
    EXPECT_FALSE(LoadAnimImage(dir.path() + "/missing.png", 1, 1, 0, 1, 0));
}

TEST(LoadPixmap, Latin1PathsReachUtf8FileNames) {
    ScratchFolder dir;
    std::filesystem::copy_file(Fixture("rgb.png"), dir.path() + "/caf\xc3\xa9.png");
    TPixmapPtr p = LoadPixmap(dir.path() + "/caf\xe9.png");
    ASSERT_TRUE(p);
    EXPECT_EQ(PixelAt(p, 1, 0), (Rgba{200, 10, 20, 255}));
}

TEST(LoadImage, MaskMakesBlackTransparentOnlyWithoutAlpha) {
    struct {
        const char* file;
        int flags;
        int resolved;
        int blackAlpha;  // top-left pixel, opaque black in both files
        int redAlpha;    // top-right pixel
    } cases[] = {
        {"rgb.png", 0, 0, 255, 255},   {"rgb.png", MASKEDIMAGE, 1, 0, 255}, {"rgb.png", -1, 3, 0, 255},
        {"rgb.png", 6, 6, 255, 255},   {"photo.jpg", 1, 1, 255, 255},       {"rgba.png", MASKEDIMAGE, 1, 255, 255},
        {"rgba.png", -1, 3, 255, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " flags " + std::to_string(c.flags));
        TImagePtr image = LoadImage(Fixture(c.file), c.flags);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->flags, c.resolved);
        ASSERT_EQ(ImageFrames(image), 1);
        EXPECT_EQ(PixelAt(image->frames[0], 0, 0)[3], c.blackAlpha);
        EXPECT_EQ(PixelAt(image->frames[0], 1, 0)[3], c.redAlpha);
    }
}

TEST(LoadImage, LeavesTheCallersPixmapAlone) {
    TPixmapPtr source = LoadPixmap(Fixture("rgb.png"));
    ASSERT_TRUE(source);
    TImagePtr image = LoadImage(source, MASKEDIMAGE);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(image->frames[0], 0, 0)[3], 0);
    EXPECT_EQ(PixelAt(source, 0, 0)[3], 255);
    EXPECT_NE(image->frames[0]->pixels, source->pixels);
}

TEST(LoadImage, SizeHandleAndNullImages) {
    TImagePtr image = LoadImage(Fixture("strip.png"), 0);
    ASSERT_TRUE(image);
    EXPECT_EQ(ImageWidth(image), 7);
    EXPECT_EQ(ImageHeight(image), 5);
    EXPECT_EQ(image->handleX, 0);
    EXPECT_EQ(image->handleY, 0);
    MidHandleImage(image);
    EXPECT_EQ(image->handleX, 3.5f);
    EXPECT_EQ(image->handleY, 2.5f);
    SetImageHandle(image, -1, 4);
    EXPECT_EQ(image->handleX, -1);
    EXPECT_EQ(image->handleY, 4);

    TImagePtr none;
    EXPECT_EQ(ImageWidth(none), 0);
    EXPECT_EQ(ImageHeight(none), 0);
    EXPECT_EQ(ImageFrames(none), 0);
    SetImageHandle(none, 1, 1);
    MidHandleImage(none);
    EXPECT_FALSE(LoadImage(TPixmapPtr(), 0));
    EXPECT_FALSE(LoadImage(CreatePixmap(0, 3), 0));
}

// strip.png is 7x5: 2x2 cells red, green, blue / yellow, cyan, black, with a grey
// column and row left over.
TEST(LoadAnimImage, CutsCellsLeftToRightThenTopToBottom) {
    const Rgba red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, yellow{255, 255, 0, 255},
        cyan{0, 255, 255, 255}, black{0, 0, 0, 255};
    struct {
        int cellW, cellH, first, count;
        std::vector<Rgba> frames;  // empty: null expected
    } cases[] = {
        {2, 2, 0, 6, {red, green, blue, yellow, cyan, black}},
        {2, 2, 2, 3, {blue, yellow, cyan}},
        {2, 2, 5, 1, {black}},
        {2, 4, 1, 2, {green, blue}},  // tall cells: one row of three
        {2, 2, 4, 3, {}},             // one short
        {2, 2, 0, 7, {}},
        {8, 2, 0, 1, {}},  // wider than the picture
        {0, 2, 0, 1, {}},
        {2, 0, 0, 1, {}},
        {2, 2, 0, 0, {}},
        {2, 2, -1, 2, {}},
    };
    TPixmapPtr strip = LoadPixmap(Fixture("strip.png"));
    ASSERT_TRUE(strip);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cellW << "x" << c.cellH << " first " << c.first << " count " << c.count);
        TImagePtr image = LoadAnimImage(strip, c.cellW, c.cellH, c.first, c.count, 0);
        if (c.frames.empty()) {
            EXPECT_FALSE(image);
            continue;
        }
        ASSERT_TRUE(image);
        EXPECT_EQ(ImageWidth(image), c.cellW);
        EXPECT_EQ(ImageHeight(image), c.cellH);
        ASSERT_EQ(ImageFrames(image), static_cast<int>(c.frames.size()));
        for (size_t i = 0; i < c.frames.size(); ++i) {
            const TPixmapPtr& f = image->frames[i];
            EXPECT_EQ(f->width, c.cellW);
            EXPECT_EQ(f->pitch, c.cellW);
            EXPECT_EQ(f->offset, 0);
            EXPECT_EQ(PixelAt(f, 0, 0), c.frames[i]) << "frame " << i;
            EXPECT_EQ(PixelAt(f, 1, 1), c.frames[i]) << "frame " << i;
        }
    }
}

TEST(LoadAnimImage, StripsFromFilesAreMaskedPerCell) {
    TImagePtr image = LoadAnimImage(Fixture("strip.png"), 2, 2, 4, 2, -1);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->flags, MASKEDIMAGE | FILTEREDIMAGE);
    EXPECT_EQ(PixelAt(image->frames[0], 1, 1), (Rgba{0, 255, 255, 255}));
    EXPECT_EQ(PixelAt(image->frames[1], 1, 1)[3], 0);
}

TEST(PixmapWindow, SharesPixelsWithItsParent) {
    TPixmapPtr parent = CreatePixmap(6, 5);
    ASSERT_TRUE(parent);
    TPixmapPtr window = PixmapWindow(parent, 2, 1, 3, 3);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->width, 3);
    EXPECT_EQ(window->height, 3);
    TPixmapPtr inner = PixmapWindow(window, 1, 2, 2, 1);
    ASSERT_TRUE(inner);
    inner->PixelPtr(1, 0)[0] = 77;
    EXPECT_EQ(window->PixelPtr(2, 2)[0], 77);
    EXPECT_EQ(parent->PixelPtr(4, 3)[0], 77);

    TPixmapPtr copy = CopyPixmap(window);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->pitch, 3);
    EXPECT_EQ(copy->offset, 0);
    EXPECT_EQ(copy->PixelPtr(2, 2)[0], 77);
    copy->PixelPtr(2, 2)[0] = 1;
    EXPECT_EQ(parent->PixelPtr(4, 3)[0], 77);
}

TEST(PixmapWindow, RejectsRectanglesOutsideItsParent) {
    TPixmapPtr parent = CreatePixmap(6, 5);
    struct {
        int x, y, w, h;
        bool ok;
    } cases[] = {
        {0, 0, 6, 5, true},  {5, 4, 1, 1, true},   {0, 0, 7, 5, false},
        {0, 0, 6, 6, false}, {-1, 0, 2, 2, false}, {0, -1, 2, 2, false},
        {5, 0, 2, 1, false}, {0, 0, -1, 2, false}, {1, 1, 2147483647, 1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PixmapWindow(parent, c.x, c.y, c.w, c.h) != nullptr, c.ok)
            << c.x << "," << c.y << " " << c.w << "x" << c.h;
    }
    EXPECT_FALSE(PixmapWindow(nullptr, 0, 0, 1, 1));
}

}  // namespace
