// The game's text fonts: a TrueType file rendered once by FreeType into one glyph atlas
// per size, plus the built-in font that text falls back on when no font file loads.
#include "platform/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "platform/graphics.h"
#include "platform/runtime.h"

extern "C" const unsigned char bx2_builtin_font_data[];
extern "C" const unsigned long long bx2_builtin_font_size;

namespace {

constexpr int kFirstChar = 32;
constexpr int kDownArrow = 145;  // the value chooser's "next" button
constexpr int kUpArrow = 146;    // and its "previous" button
constexpr int kBuiltinSize = 14;
// Bigger fonts would make atlases of hundreds of megabytes; the game uses 12 to 36.
constexpr int kMaxFontSize = 256;
// Transparent border around every glyph so filtering and mipmaps never pick up a neighbour.
constexpr int kPad = 2;

// One glyph's coverage before it goes into the atlas.
struct GlyphBitmap {
    int w = 0, h = 0;
    std::vector<uint8_t> coverage;
};

struct FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeFace() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

int Round26_6(FT_Pos v) { return static_cast<int>(std::floor((v + 32) / 64.0)); }

GlyphBitmap CopyBitmap(const FT_Bitmap& bm) {
    GlyphBitmap g;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO) return g;
    g.w = static_cast<int>(bm.width);
    g.h = static_cast<int>(bm.rows);
    g.coverage.resize(static_cast<size_t>(g.w) * g.h);
    for (int y = 0; y < g.h; ++y) {
        const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
        for (int x = 0; x < g.w; ++x) {
            uint8_t v = bm.pixel_mode == FT_PIXEL_MODE_GRAY ? row[x] : ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255;
            g.coverage[static_cast<size_t>(y) * g.w + x] = v;
        }
    }
    return g;
}

// A filled triangle, 4x4 supersampled so its slopes are as smooth as the letters.
GlyphBitmap Triangle(int w, int h, bool pointsDown) {
    GlyphBitmap g;
    g.w = w;
    g.h = h;
    g.coverage.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    float px = x + (sx + 0.5f) / 4, py = y + (sy + 0.5f) / 4;
                    float t = pointsDown ? py / h : 1 - py / h;  // 0 at the wide edge, 1 at the tip
                    if (std::fabs(px - w / 2.0f) <= w / 2.0f * (1 - t)) ++hits;
                }
            }
            g.coverage[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(hits * 255 / 16);
        }
    }
    return g;
}

void AddArrows(TImageFont& font, std::vector<GlyphBitmap>& bitmaps) {
    const TGlyph& digit = font.glyphs[static_cast<unsigned char>('0')];
    const TGlyph& capital = font.glyphs[static_cast<unsigned char>('H')];
    int advance = digit.present && digit.advance > 0 ? digit.advance : std::max(1, font.size / 2);
    // The cells are not packed yet, so the capital's height comes from how far it rises.
    int capRise = font.ascent - capital.offsetY;
    int capHeight = capital.present && capRise > 0 ? capRise : std::max(1, font.ascent * 7 / 10);
    int margin = std::max(1, advance / 8);
    int width = std::max(3, advance - 2 * margin);
    for (int c : {kDownArrow, kUpArrow}) {
        bitmaps[c] = Triangle(width, capHeight, c == kDownArrow);
        TGlyph& g = font.glyphs[c];
        g.present = true;
        g.advance = advance;
        g.offsetX = (advance - width) / 2;
        g.offsetY = font.ascent - capHeight;
    }
}

// Shelf packing in byte order: glyphs of one font are close in height, so rows waste little.
TPixmapPtr PackAtlas(TImageFont& font, const std::vector<GlyphBitmap>& bitmaps) {
    int64_t area = 0;
    int widest = 0;
    for (const GlyphBitmap& b : bitmaps) {
        area += static_cast<int64_t>(b.w + 2 * kPad) * (b.h + 2 * kPad);
        widest = std::max(widest, b.w + 2 * kPad);
    }
    int atlasW = 64;
    while (static_cast<int64_t>(atlasW) * atlasW < area || atlasW < widest) atlasW *= 2;
    int x = 0, y = 0, rowH = 0;
    for (int c = kFirstChar; c < 256; ++c) {
        const GlyphBitmap& b = bitmaps[c];
        if (b.w == 0 || b.h == 0) continue;
        if (x + b.w + 2 * kPad > atlasW) x = 0, y += rowH, rowH = 0;
        font.glyphs[c].x = x + kPad;
        font.glyphs[c].y = y + kPad;
        font.glyphs[c].w = b.w;
        font.glyphs[c].h = b.h;
        x += b.w + 2 * kPad;
        rowH = std::max(rowH, b.h + 2 * kPad);
    }
    int atlasH = 1;
    while (atlasH < y + rowH) atlasH *= 2;
    TPixmapPtr atlas = CreatePixmap(atlasW, atlasH, true);
    if (!atlas) return nullptr;
    // White everywhere, so filtering at glyph edges blends towards white, never black.
    uint8_t* px = atlas->pixels->data();
    for (size_t i = 0; i < atlas->pixels->size(); i += 4) px[i] = px[i + 1] = px[i + 2] = 255;
    for (int c = kFirstChar; c < 256; ++c) {
        const GlyphBitmap& b = bitmaps[c];
        const TGlyph& g = font.glyphs[c];
        for (int row = 0; row < b.h; ++row) {
            for (int col = 0; col < b.w; ++col) atlas->PixelPtr(g.x + col, g.y + row)[3] = b.coverage[row * b.w + col];
        }
    }
    return atlas;
}

// Renders every Latin-1 byte the face has; false when FreeType cannot size the face.
bool RenderGlyphs(FT_Face face, TImageFont& font, std::vector<GlyphBitmap>& bitmaps) {
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);  // Latin-1 bytes are the first 256 code points
    if (FT_Set_Pixel_Sizes(face, 0, font.size) != 0) return false;
    const FT_Size_Metrics& m = face->size->metrics;
    font.ascent = Round26_6(m.ascender);
    font.lineHeight = font.ascent - Round26_6(m.descender);
    if (font.lineHeight <= 0) font.lineHeight = std::max(Round26_6(m.height), font.size);
    for (int c = kFirstChar; c < 256; ++c) {
        if (c == kDownArrow || c == kUpArrow) continue;
        FT_UInt index = FT_Get_Char_Index(face, c);
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) continue;
        FT_GlyphSlot slot = face->glyph;
        TGlyph& g = font.glyphs[c];
        g.present = true;
        g.advance = Round26_6(slot->advance.x);
        g.offsetX = slot->bitmap_left;
        g.offsetY = font.ascent - slot->bitmap_top;
        bitmaps[c] = CopyBitmap(slot->bitmap);
    }
    return true;
}

}  // namespace

TImageFontPtr LoadImageFont(const std::string& path, int size, int style) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return nullptr;
    return LoadImageFontFromMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), size, style);
}

TImageFontPtr LoadImageFontFromMemory(const unsigned char* data, size_t length, int size, int style) {
    if (!data || length == 0 || size < 1 || size > kMaxFontSize) return nullptr;
    FreeTypeFace ft;
    if (FT_Init_FreeType(&ft.library) != 0) return nullptr;
    if (FT_New_Memory_Face(ft.library, data, static_cast<FT_Long>(length), 0, &ft.face) != 0) return nullptr;
    auto font = std::make_shared<TImageFont>();
    font->size = size;
    font->style = style;
    std::vector<GlyphBitmap> bitmaps(256);
    if (!RenderGlyphs(ft.face, *font, bitmaps)) return nullptr;
    AddArrows(*font, bitmaps);
    // Smooth fonts are drawn scaled with the screen, so they need filtering and mipmaps.
    int flags = (style & 4) ? FILTEREDIMAGE | MIPMAPPEDIMAGE : 0;
    font->atlas = LoadImage(PackAtlas(*font, bitmaps), flags);
    if (!font->atlas) return nullptr;
    return font;
}

TImageFontPtr BuiltinFont() {
    // Made once and never destroyed: a static destructor could run after the graphics
    // layer that owns its texture has gone.
    static const TImageFontPtr* font = new TImageFontPtr(
        LoadImageFontFromMemory(bx2_builtin_font_data, static_cast<size_t>(bx2_builtin_font_size), kBuiltinSize, 0));
    return *font;
}

int TextWidth(const std::string& text) {
    TImageFontPtr font = GetImageFont();
    if (!font) font = BuiltinFont();
    int width = 0;
    for (unsigned char c : text) width += font->glyphs[c].advance;
    return width;
}

int TextHeight(const std::string&) {
    TImageFontPtr font = GetImageFont();
    if (!font) font = BuiltinFont();
    return font->lineHeight;
}
