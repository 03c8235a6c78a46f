#pragma once

// What the font-making files share: the pixel sizes, the default characters
// and the built-in fonts' drawings.
#include <QString>
#include <optional>
#include <vector>

#include "core/pixelfont.h"

namespace tobrin {

constexpr int kMinPixelSize = 4;
constexpr int kMaxPixelSize = 120;
constexpr int kDefaultPixelSize = 12;

// The characters a character list asks for; printable ASCII (32-126) when it is empty.
std::optional<std::vector<char32_t>> ChosenChars(const QString& list, QString* error);

// By the extension: TrueType, OpenType, collections, Type 1, WOFF.
bool LooksLikeOutlineFont(const QString& path);
// True when FreeType reads the file as a font (of outlines or of bitmaps).
bool FreeTypeOpens(const QString& path);

// A built-in font as it is written in the source: each glyph's rows of '#'
// (set) and '.' (clear) joined by '|', the top row first, at most the cell's
// width; the advance is the cell's width for every glyph.
struct GlyphDrawing {
    char code;
    const char* rows;
};
struct FontDrawing {
    const char* name;
    int cellWidth;
    int cellHeight;
    int ascent;
    const GlyphDrawing* glyphs;
    int count;
};
FontDrawing Drawing5x7();
FontDrawing Drawing8x8();

}  // namespace tobrin
