// Large tiled pictures: how a picture is cut into tiles, where each tile lands when the
// picture is drawn centred at the screen's scale, and pictures with nothing to cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "media/largeimage.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "support/game_test.h"

namespace {

// Every pixel tells where it came from, so a tile cut from the wrong place shows.
TPixmapPtr CodedPixmap(int w, int h) {
    TPixmapPtr p = CreatePixmap(w, h, false);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* px = p->PixelPtr(x, y);
            px[0] = static_cast<uint8_t>(x & 255);
            px[1] = static_cast<uint8_t>(y & 255);
            px[2] = static_cast<uint8_t>((x >> 8) + 16 * (y >> 8));
            px[3] = 255;
        }
    }
    return p;
}

class BigImageTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        SetOrigin(0, 0);
        SetHandle(0, 0);
        SetTransform(0, 1, 1);
    }
    void TearDown() override {
        EndGraphics();
        SetOrigin(0, 0);
        SetTransform(0, 1, 1);
        GameTest::TearDown();
    }
};

TEST_F(BigImageTest, PicturesAreCutRowByRowIntoTilesOfAtMost256) {
    struct Case {
        int w, h, tiles;
    } cases[] = {
        {1000, 600, 12}, {1024, 768, 12}, {256, 256, 1}, {257, 256, 2}, {256, 257, 2}, {1, 1, 1}, {513, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        TPixmapPtr pixmap = CodedPixmap(c.w, c.h);
        BigImagePtr big = BigImage::create(pixmap);
        ASSERT_NE(big, nullptr);
        EXPECT_EQ(big->width, static_cast<float>(c.w));
        EXPECT_EQ(big->height, static_cast<float>(c.h));
        EXPECT_EQ(big->pixmap, pixmap);
        ASSERT_EQ(big->fragments.size(), static_cast<size_t>(c.tiles));
        int columns = (c.w + 255) / 256;
        for (int k = 0; k < c.tiles; ++k) {
            const ImageFragment& tile = *big->fragments[k];
            int tx = (k % columns) * 256, ty = (k / columns) * 256;
            ASSERT_NE(tile.img, nullptr);
            EXPECT_EQ(tile.img->width, std::min(256, c.w - tx)) << "tile " << k;
            EXPECT_EQ(tile.img->height, std::min(256, c.h - ty)) << "tile " << k;
            EXPECT_EQ(tile.img->flags, FILTEREDIMAGE);
            EXPECT_EQ(tile.img->handleX, 0.0f);
            // Its pixels are the picture's at its place.
            const uint8_t* first = tile.img->frames[0]->PixelPtr(0, 0);
            const uint8_t* source = pixmap->PixelPtr(tx, ty);
            EXPECT_EQ(std::vector<uint8_t>(first, first + 4), std::vector<uint8_t>(source, source + 4)) << "tile " << k;
            // The corner's offset from the centre, by angle and distance.
            EXPECT_NEAR(tile.angleCos * tile.distance, tx - c.w * 0.5, 1e-3) << "tile " << k;
            EXPECT_NEAR(tile.angleSin * tile.distance, ty - c.h * 0.5, 1e-3) << "tile " << k;
            EXPECT_FLOAT_EQ(tile.x, c.w * 0.5f - tx);
            EXPECT_FLOAT_EQ(tile.y, c.h * 0.5f - ty);
        }
    }
}

TEST_F(BigImageTest, TheLastTileOfA1000By600PictureIs232By88) {
    BigImagePtr big = BigImage::create(CodedPixmap(1000, 600));
    ASSERT_EQ(big->fragments.size(), 12u);
    std::vector<int> widths, heights;
    for (const ImageFragmentPtr& tile : big->fragments) {
        widths.push_back(tile->img->width);
        heights.push_back(tile->img->height);
    }
    EXPECT_EQ(widths, (std::vector<int>{256, 256, 256, 232, 256, 256, 256, 232, 256, 256, 256, 232}));
    EXPECT_EQ(heights, (std::vector<int>{256, 256, 256, 256, 256, 256, 256, 256, 88, 88, 88, 88}));
}

TEST_F(BigImageTest, ATileCornerOnTheCentrePointsAtMinus180) {
    ImageFragmentPtr tile = ImageFragment::create(CodedPixmap(512, 512), 256, 256, 256, 256);
    EXPECT_EQ(tile->angle, -180.0);
    EXPECT_EQ(tile->distance, 0.0);
    EXPECT_FLOAT_EQ(tile->angleCos, -1.0f);
}

TEST_F(BigImageTest, NothingToCutGivesNoPicture) {
    EXPECT_EQ(BigImage::create(nullptr), nullptr);
    // A picture without a pixel in one direction would otherwise be cut forever.
    for (auto [w, h] : {std::pair{0, 600}, std::pair{600, 0}, std::pair{0, 0}}) {
        TPixmapPtr empty = CreatePixmap(w, h);
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(BigImage::create(empty), nullptr) << w << " x " << h;
        BigImage direct;
        direct.pixmap = empty;
        EXPECT_EQ(direct.load(), 0);
        EXPECT_TRUE(direct.fragments.empty());
    }
}

// The draw calls of one Render on a screen of that size at that scale.
std::vector<DrawCall> RenderAt(BigImage& big, int screenW, int screenH, float scale) {
    EXPECT_TRUE(Graphics(screenW, screenH, 0, 60));
    SetOrigin(0, 0);
    SetHandle(0, 0);
    SetBlend(ALPHABLEND);
    SetAlpha(1);
    SetTransform(0, scale, scale);
    StartRecording();
    big.Render();
    return StopRecording();
}

TEST_F(BigImageTest, AVirtualScreenPictureCoversTheScreenAtItsScale) {
    struct Case {
        int screenW, screenH;
        float scale;
        float tile;  // on-screen tile size
    } cases[] = {{1024, 768, 1.0f, 256}, {1280, 960, 1.25f, 320}, {512, 384, 0.5f, 128}};
    BigImagePtr big = BigImage::create(CodedPixmap(1024, 768));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.screenW << " x " << c.screenH);
        std::vector<DrawCall> calls = RenderAt(*big, c.screenW, c.screenH, c.scale);
        ASSERT_EQ(calls.size(), 12u);
        for (size_t k = 0; k < calls.size(); ++k) {
            const DrawCall& call = calls[k];
            ASSERT_EQ(call.kind, DrawKind::Image);
            EXPECT_EQ(call.image, big->fragments[k]->img);
            EXPECT_FLOAT_EQ(call.state.originX, c.screenW * 0.5f);
            EXPECT_FLOAT_EQ(call.state.originY, c.screenH * 0.5f);
            EXPECT_FLOAT_EQ(call.state.scaleX, c.scale);
            // Tiles meet edge to edge: tile k's corner is column and row times the tile size.
            float left = (k % 4) * c.tile, top = (k / 4) * c.tile;
            EXPECT_NEAR(call.corners[0].x, left, 1e-3) << "tile " << k;
            EXPECT_NEAR(call.corners[0].y, top, 1e-3) << "tile " << k;
            EXPECT_NEAR(call.corners[2].x, left + c.tile, 1e-3) << "tile " << k;
            EXPECT_NEAR(call.corners[2].y, top + c.tile, 1e-3) << "tile " << k;
        }
        EXPECT_FLOAT_EQ(big->xScale, c.scale);
        EXPECT_FLOAT_EQ(big->yScale, c.scale);
        float ox = -1, oy = -1;
        GetOrigin(ox, oy);
        EXPECT_EQ(ox, 0.0f);
        EXPECT_EQ(oy, 0.0f);
    }
}

TEST_F(BigImageTest, OtherSizesAreCentredWithEqualBorders) {
    BigImagePtr big = BigImage::create(CodedPixmap(1000, 600));
    std::vector<DrawCall> calls = RenderAt(*big, 1280, 960, 1.25f);
    ASSERT_EQ(calls.size(), 12u);
    float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
    for (const DrawCall& call : calls) {
        for (const Point& p : call.corners) {
            minX = std::min(minX, p.x), minY = std::min(minY, p.y);
            maxX = std::max(maxX, p.x), maxY = std::max(maxY, p.y);
        }
    }
    // 1250 x 750 on screen: 15 pixels left and right, 105 above and below.
    EXPECT_NEAR(minX, 15, 1e-3);
    EXPECT_NEAR(1280 - maxX, 15, 1e-3);
    EXPECT_NEAR(minY, 105, 1e-3);
    EXPECT_NEAR(960 - maxY, 105, 1e-3);
}

}  // namespace
