#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "core/formats.h"

namespace tobrin {

// One character of a pixel font: its picture (the font's cell), the code
// point it stands for and how far the pen moves after it.
struct Glyph {
    char32_t code = 0;
    int advance = 0;     // 0 .. cell width
    MonoPicture bitmap;  // cell width x cell height
};

// A bitmap font as the editor and the command line see it: glyphs of one
// cell size sharing a baseline, in ascending code-point order without
// duplicates. The cell's column 0 stands at the pen position plus left (0
// for fonts made here; a BDF font whose glyphs reach left of the pen keeps
// its overhang this way). Rows 0 .. ascent - 1 are above the baseline.
struct PixelFont {
    static constexpr int kMinCell = 4;
    static constexpr int kMaxCellWidth = 240;
    static constexpr int kMaxCellHeight = 120;
    static constexpr int kMaxGlyphs = MonoSet::kMaxFrames;

    QString name;  // the family or label it was made from
    int cellWidth = 0;
    int cellHeight = 0;
    int ascent = 0;  // 0 .. cellHeight
    int left = 0;
    std::vector<Glyph> glyphs;

    const Glyph* Find(char32_t code) const;  // nullptr when the font lacks it
    // The glyphs as a set of frames (default delays), for the frame strip
    // and the set formats.
    MonoSet ToSet() const;
    // Sizes, order, advances and bitmaps within the limits above; *error
    // says what is wrong.
    bool Check(QString* error = nullptr) const;
};

bool operator==(const PixelFont& a, const PixelFont& b);
inline bool operator!=(const PixelFont& a, const PixelFont& b) { return !(a == b); }

// ---- choosing characters --------------------------------------------------------------

// A character list as users write it, items in any order, separated by
// commas or blanks or simply run together: a single character ("°"), a
// number of two digits or more as a decimal code point ("32"), U+XXXX,
// and ranges of any of these ("32-126", "0-9", "U+00C0-U+00FF"). "0-9:°C"
// is the digits, the colon, the degree sign and C. The result is sorted,
// without duplicates; an empty or malformed list, or one that selects
// nothing, gives nullopt and *error.
std::optional<std::vector<char32_t>> ParseCharList(const QString& list, QString* error = nullptr);
// "'A' U+0041" for comments, messages and the frame strip.
QString GlyphName(char32_t code);

// ---- reading and writing fonts --------------------------------------------------------

// The font forms, each reading back to the same font:
// .db / .txt  hex text: the glyphs as labelled pictures, then a width table
//             and a character map (docs/font-format.md)
// .c / .h     C arrays: bitmaps, widths, offsets, the first character or a
//             map for a sparse set, in any byte order
// .bdf        X11's text bitmap format
// .png        a sheet of cells, the metrics in the PNG's text chunks
struct FontWriteOptions {
    ByteOrder order = ByteOrder::Msb;  // C arrays
    QString name;                      // label / array name; empty: from the file name
};

std::optional<PixelFont> DecodeFont(const QByteArray& data, const QString& path, QString* error = nullptr);
std::optional<QByteArray> EncodeFont(const PixelFont& font, const QString& path, const FontWriteOptions& options,
                                     QString* error = nullptr);
// By the extension; refused unread above kMaxFileBytes, never written in part.
std::optional<PixelFont> ReadFontFile(const QString& path, QString* error = nullptr);
bool WriteFontFile(const QString& path, const PixelFont& font, const FontWriteOptions& options,
                   QString* error = nullptr);
// The hex text of a font under label, as Save writes a font document.
QString FontHexText(const PixelFont& font, const QString& label);
// True when data is the hex text of a font (its width table and map).
bool IsFontHexText(const QByteArray& data);
// BDF alone (the reader the tests compare against X11's fonts).
std::optional<PixelFont> DecodeBdf(const QByteArray& data, QString* error = nullptr);
// Only the listed characters (in any order) of a BDF font, so that a font
// of thousands of glyphs gives the few asked for; the limits hold for these.
std::optional<PixelFont> DecodeBdfChars(const QByteArray& data, const std::vector<char32_t>& only,
                                        QString* error = nullptr);

// ---- making fonts ---------------------------------------------------------------------

struct FontSourceOptions {
    int pixelSize = 0;           // outline fonts: 4 .. 120; 0 gives 12
    std::optional<int> threshold;  // outline fonts: grey render cut here (1..255); none: FreeType's mono render
    QString chars;               // a character list; empty: every glyph of a bitmap font, 32-126 otherwise
    // Pictures of glyphs in a grid, cut as a sprite sheet: columns x rows
    // or a cell size, then each glyph's advance is its rightmost pixel + 1
    // + gap (the gap alone for an empty cell).
    int columns = 0, rows = 0;
    int cellWidth = 0, cellHeight = 0;
    int margin = 0, spacing = 0;
    int gap = 1;
    int importThreshold = 128;   // the grid picture's brightness threshold
};

// Makes a font from any source by its kind: an outline font (.ttf .otf
// .ttc .pfb ..., through FreeType: hinted, no anti-aliasing, cell height
// from ascent + descent at the size, advances rounded), a BDF file, a font
// in one of the forms above (the chars pick from it), or a picture of
// glyphs in a grid. Characters the source lacks are listed in *missing and
// skipped; none found is an error.
std::optional<PixelFont> MakeFont(const QString& sourcePath, const FontSourceOptions& options,
                                  QStringList* missing = nullptr, QString* error = nullptr);
// An outline font alone (the benchmark and the exactness test use it).
std::optional<PixelFont> RasteriseOutlineFont(const QString& path, const FontSourceOptions& options,
                                              QStringList* missing = nullptr, QString* error = nullptr);

// ---- the fonts that ship with the program, and text -----------------------------------

// "5x7" and "8x8": printable ASCII, drawn for this program (data/fonts/LICENSE).
QStringList BuiltInFontNames();
const PixelFont* BuiltInFont(const QString& name);  // nullptr for another name
// A built-in font's name or a font file (any form above, or an outline
// font at options.pixelSize).
std::optional<PixelFont> LoadFont(const QString& nameOrPath, const FontSourceOptions& options = {},
                                  QString* error = nullptr);

// Lays out a line: calls plot(x, y) for every set pixel with the cell of
// the first glyph's column 0 at (x, y) + (left, 0); characters the font
// lacks are skipped and listed in *missing. Returns the pen's advance.
int DrawText(const PixelFont& font, const std::u32string& text, int x, int y,
             const std::function<void(int, int)>& plot, QStringList* missing = nullptr);
int TextAdvance(const PixelFont& font, const std::u32string& text);
// A picture just wide enough for the line (at least 4) and one cell high;
// nullopt and *error when it is wider than 240 or nothing of it is in the font.
std::optional<MonoPicture> RenderText(const PixelFont& font, const QString& text, QStringList* missing = nullptr,
                                      QString* error = nullptr);

}  // namespace tobrin
