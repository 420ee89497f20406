// Image fonts: a TrueType font rendered once by FreeType into a glyph atlas, one glyph
// per Latin-1 byte (32 to 255), plus the value chooser's two arrow glyphs (145, 146).
#pragma once

#include <memory>
#include <string>

#include "platform/image.h"

struct TGlyph {
    bool present = false;
    int advance = 0;   // pen advance in font pixels
    int x = 0, y = 0;  // cell in the atlas
    int w = 0, h = 0;
    int offsetX = 0, offsetY = 0;  // from the pen's top-left (line top) to the cell's top-left
};

struct TImageFont {
    int size = 0;  // pixels
    int style = 0;
    int lineHeight = 0;  // TextHeight: the same for every text
    int ascent = 0;      // baseline below the line top
    TGlyph glyphs[256];
    TImagePtr atlas;  // one frame; white glyphs with coverage in alpha
};
using TImageFontPtr = std::shared_ptr<TImageFont>;

// FreeType at `size` pixels; style 4 smooths (filters and mipmaps) the glyph images.
// Null when the file cannot be read.
TImageFontPtr LoadImageFont(const std::string& path, int size, int style = 0);
TImageFontPtr LoadImageFontFromMemory(const unsigned char* data, size_t length, int size, int style = 0);
// The font drawn when none is selected; always available, needs no file.
TImageFontPtr BuiltinFont();

// In unscaled font pixels of the current font (the built-in one when none is set).
int TextWidth(const std::string& text);   // the sum of the advances
int TextHeight(const std::string& text);  // the font's line height, whatever the text
