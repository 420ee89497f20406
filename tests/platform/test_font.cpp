// Tests for the image fonts: glyph metrics, the atlas, the value chooser's arrow glyphs
// and the built-in font the game falls back on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/font.h"
#include "platform/graphics.h"
#include "support/scratch_folder.h"

extern "C" const unsigned char bx2_builtin_font_data[];
extern "C" const unsigned long long bx2_builtin_font_size;

namespace {

// The game ships DejaVu Sans; the copy embedded for the built-in font stands in for its file.
class FontTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new ScratchFolder;
        fontPath = dir->path() + "/font.ttf";
        std::ofstream out(fontPath, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bx2_builtin_font_data),
                  static_cast<std::streamsize>(bx2_builtin_font_size));
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    void TearDown() override { SetImageFont(nullptr); }

    static ScratchFolder* dir;
    static std::string fontPath;
};
ScratchFolder* FontTest::dir = nullptr;
std::string FontTest::fontPath;

int Coverage(const TImageFont& font, int x, int y) { return font.atlas->frames[0]->PixelPtr(x, y)[3]; }

int RowCoverage(const TImageFont& font, const TGlyph& g, int row) {
    int sum = 0;
    for (int x = 0; x < g.w; ++x) sum += Coverage(font, g.x + x, g.y + row);
    return sum;
}

TEST_F(FontTest, TextWidthSumsAdvancesAndTextHeightIsTheLineHeight) {
    TImageFontPtr font = LoadImageFont(fontPath, 20, 0);
    ASSERT_TRUE(font);
    SetImageFont(font);
    EXPECT_EQ(font->size, 20);
    EXPECT_GE(font->lineHeight, 20);
    EXPECT_LT(font->lineHeight, 30);
    const std::string texts[] = {"", "i", "Hello, World", "Caf\xe9 \xc9t\xe9 gjpq", "\x91\x92"};
    for (const std::string& text : texts) {
        int sum = 0;
        for (unsigned char c : text) sum += font->glyphs[c].advance;
        EXPECT_EQ(TextWidth(text), sum) << text;
        EXPECT_EQ(TextHeight(text), font->lineHeight) << text;
    }
    EXPECT_GT(TextWidth("WWW"), TextWidth("iii"));
    EXPECT_EQ(TextWidth(""), 0);
}

TEST_F(FontTest, GlyphsSitOnTheBaselineInsideTheAtlas) {
    TImageFontPtr font = LoadImageFont(fontPath, 24, 0);
    ASSERT_TRUE(font);
    const TPixmapPtr& atlas = font->atlas->frames[0];
    EXPECT_EQ(ImageFrames(font->atlas), 1);
    // Capitals without descenders end on the baseline; 'g' goes below it.
    for (unsigned char c : {'H', 'E', '\xc9'}) {
        const TGlyph& g = font->glyphs[c];
        ASSERT_TRUE(g.present) << c;
        EXPECT_EQ(g.offsetY + g.h, font->ascent) << c;
    }
    EXPECT_GT(font->glyphs['g'].offsetY + font->glyphs['g'].h, font->ascent);
    EXPECT_TRUE(font->glyphs[' '].present);
    EXPECT_GT(font->glyphs[' '].advance, 0);
    EXPECT_EQ(font->glyphs[' '].w, 0);
    // No glyph below 32, and control bytes the font lacks measure nothing.
    EXPECT_FALSE(font->glyphs[10].present);
    EXPECT_FALSE(font->glyphs[0x81].present);
    EXPECT_EQ(font->glyphs[0x81].advance, 0);

    // Cells lie inside the atlas, apart from each other by at least a pixel of transparent padding.
    std::vector<const TGlyph*> cells;
    for (const TGlyph& g : font->glyphs) {
        if (g.w == 0) continue;
        EXPECT_GE(g.x, 1);
        EXPECT_GE(g.y, 1);
        EXPECT_LE(g.x + g.w + 1, atlas->width);
        EXPECT_LE(g.y + g.h + 1, atlas->height);
        for (const TGlyph* o : cells) {
            bool apart =
                g.x + g.w + 1 <= o->x || o->x + o->w + 1 <= g.x || g.y + g.h + 1 <= o->y || o->y + o->h + 1 <= g.y;
            EXPECT_TRUE(apart) << "cells at " << g.x << "," << g.y << " and " << o->x << "," << o->y;
        }
        cells.push_back(&g);
    }
    EXPECT_GT(cells.size(), 180u);
    const TGlyph& a = font->glyphs['A'];
    EXPECT_GT(RowCoverage(*font, a, a.h / 2), 0);
    const uint8_t* px = atlas->PixelPtr(a.x + a.w / 2, a.y + a.h / 2);
    EXPECT_EQ(px[0] & px[1] & px[2], 255);
}

TEST_F(FontTest, ArrowBytesAreTrianglesPointingDownAndUp) {
    for (int size : {12, 36}) {
        SCOPED_TRACE(size);
        TImageFontPtr font = LoadImageFont(fontPath, size, 4);
        ASSERT_TRUE(font);
        const TGlyph& capital = font->glyphs['H'];
        for (int c : {145, 146}) {
            const TGlyph& g = font->glyphs[c];
            ASSERT_TRUE(g.present) << c;
            EXPECT_EQ(g.advance, font->glyphs['0'].advance) << c;
            EXPECT_EQ(g.h, capital.h) << c;
            EXPECT_EQ(g.offsetY + g.h, font->ascent) << c;
            EXPECT_GT(g.w, 2) << c;
            EXPECT_LE(g.offsetX + g.w, g.advance) << c;
        }
        const TGlyph& down = font->glyphs[145];
        const TGlyph& up = font->glyphs[146];
        EXPECT_GT(RowCoverage(*font, down, 0), 2 * RowCoverage(*font, down, down.h - 1));
        EXPECT_GT(RowCoverage(*font, up, up.h - 1), 2 * RowCoverage(*font, up, 0));
        // Symmetric about the middle column.
        EXPECT_EQ(Coverage(*font, down.x, down.y), Coverage(*font, down.x + down.w - 1, down.y));
    }
}

TEST_F(FontTest, SmoothStyleFiltersAndMipmapsTheAtlas) {
    struct {
        int style;
        int flags;
    } cases[] = {{0, 0}, {4, FILTEREDIMAGE | MIPMAPPEDIMAGE}, {1, 0}, {5, FILTEREDIMAGE | MIPMAPPEDIMAGE}};
    for (const auto& c : cases) {
        TImageFontPtr font = LoadImageFont(fontPath, 12, c.style);
        ASSERT_TRUE(font) << c.style;
        EXPECT_EQ(font->style, c.style);
        EXPECT_EQ(font->atlas->flags, c.flags) << c.style;
    }
}

TEST_F(FontTest, UnreadableFontsGiveNull) {
    std::string garbage = dir->path() + "/garbage.ttf";
    std::ofstream(garbage) << "not a font at all";
    EXPECT_FALSE(LoadImageFont(dir->path() + "/missing.ttf", 12, 4));
    EXPECT_FALSE(LoadImageFont(dir->path(), 12, 4));
    EXPECT_FALSE(LoadImageFont(garbage, 12, 4));
    EXPECT_FALSE(LoadImageFont(fontPath, 0, 4));
    EXPECT_FALSE(LoadImageFontFromMemory(nullptr, 0, 12, 0));
}

TEST_F(FontTest, Latin1PathsReachUtf8FileNames) {
    std::filesystem::copy_file(fontPath, dir->path() + "/s\xc3\xbc\xc3\x9f.ttf");
    EXPECT_TRUE(LoadImageFont(dir->path() + "/s\xfc\xdf.ttf", 12, 0));
}

TEST_F(FontTest, BuiltinFontMeasuresWhenNoFontIsSelected) {
    SetImageFont(nullptr);
    TImageFontPtr builtin = BuiltinFont();
    ASSERT_TRUE(builtin);
    EXPECT_EQ(builtin, BuiltinFont());
    EXPECT_EQ(builtin->size, 14);
    int builtinWidth = TextWidth("Hello");
    EXPECT_GT(builtinWidth, 0);
    EXPECT_EQ(TextHeight(""), builtin->lineHeight);
    EXPECT_GT(TextHeight(""), 0);

    TImageFontPtr large = LoadImageFont(fontPath, 36, 4);
    ASSERT_TRUE(large);
    SetImageFont(large);
    EXPECT_GT(TextWidth("Hello"), 2 * builtinWidth);
    EXPECT_EQ(TextHeight("x"), large->lineHeight);
}

}  // namespace
