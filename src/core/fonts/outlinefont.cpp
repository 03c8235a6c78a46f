// Outline fonts (TrueType, OpenType, Type 1, WOFF) drawn into a pixel font
// through FreeType at one pixel size.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <memory>

#include "core/fonts/makinghelp.h"
#include "core/pixelfont.h"
#include "core/regularfile.h"

namespace tobrin {

namespace {

struct LibraryCloser {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryCloser>;
using Face = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceCloser>;

// One rendered glyph before the cell is known: its pixels relative to the
// pen on the baseline.
struct Drawn {
    char32_t code;
    int advance;
    int left;  // bitmap_left
    int top;   // bitmap_top: rows above the baseline
    int width;
    int rows;
    std::vector<std::uint8_t> pixels;  // width x rows, 1 = set
};

// Whole pixels from FreeType's 26.6 values, within a range no sum of them
// here can overflow (a damaged font's metrics may be anything).
int Round26Dot6(FT_Pos value) { return int(std::clamp<FT_Pos>((value + 32) >> 6, -100000, 100000)); }

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// Copies the glyph slot's bitmap (mono, or grey cut at threshold) as 0/1.
void TakeBitmap(const FT_Bitmap& bitmap, int threshold, Drawn* drawn)
{
    const bool grey = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    drawn->width = int(bitmap.width);
    drawn->rows = int(bitmap.rows);
    drawn->pixels.assign(std::size_t(drawn->width) * std::size_t(drawn->rows), 0);
    for (int y = 0; y < drawn->rows; ++y) {
        const unsigned char* row = bitmap.buffer + std::ptrdiff_t(y) * bitmap.pitch;
        std::uint8_t* out = drawn->pixels.data() + std::size_t(y) * std::size_t(drawn->width);
        if (grey) {
            for (int x = 0; x < drawn->width; ++x)
                out[x] = row[x] >= threshold;
        } else {
            for (int x = 0; x < drawn->width; ++x)
                out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
        }
    }
}

}  // namespace

bool LooksLikeOutlineFont(const QString& path)
{
    static const QStringList kSuffixes = {QStringLiteral("ttf"), QStringLiteral("otf"), QStringLiteral("ttc"),
                                          QStringLiteral("otc"), QStringLiteral("pfb"), QStringLiteral("pfa"),
                                          QStringLiteral("woff"), QStringLiteral("woff2")};
    return kSuffixes.contains(QFileInfo(path).suffix().toLower());
}

bool FreeTypeOpens(const QString& path)
{
    if (!IsRegularFile(path))
        return false;
    FT_Library raw = nullptr;
    if (FT_Init_FreeType(&raw))
        return false;
    Library library(raw);
    FT_Face face = nullptr;
    if (FT_New_Face(library.get(), QFile::encodeName(path).constData(), 0, &face))
        return false;
    FT_Done_Face(face);
    return true;
}

std::optional<PixelFont> RasteriseOutlineFont(const QString& path, const FontSourceOptions& options,
                                              QStringList* missing, QString* error)
{
    if (missing)
        missing->clear();
    const int size = options.pixelSize == 0 ? kDefaultPixelSize : options.pixelSize;
    if (size < kMinPixelSize || size > kMaxPixelSize) {
        Fail(error, QStringLiteral("a size of %1 px is outside %2…%3 px")
                        .arg(size).arg(kMinPixelSize).arg(kMaxPixelSize));
        return std::nullopt;
    }
    if (options.threshold && (*options.threshold < 1 || *options.threshold > 255)) {
        Fail(error, QStringLiteral("the threshold %1 is outside 1…255").arg(*options.threshold));
        return std::nullopt;
    }
    const std::optional<std::vector<char32_t>> codes = ChosenChars(options.chars, error);
    if (!codes)
        return std::nullopt;
    {
        QFile probe(path);
        QString why;
        if (!OpenRegularFile(probe, &why)) {
            Fail(error, why);
            return std::nullopt;
        }
    }

    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary)) {
        Fail(error, QStringLiteral("FreeType could not start"));
        return std::nullopt;
    }
    Library library(rawLibrary);
    FT_Face rawFace = nullptr;
    if (const FT_Error e = FT_New_Face(library.get(), QFile::encodeName(path).constData(), 0, &rawFace)) {
        Fail(error, QStringLiteral("not a font FreeType can read, or a damaged one (FreeType error 0x%1)")
                        .arg(e, 2, 16, QLatin1Char('0')));
        return std::nullopt;
    }
    Face face(rawFace);
    if (!FT_IS_SCALABLE(face.get())) {
        Fail(error, QStringLiteral("it holds bitmaps of fixed sizes, not outlines; convert it to BDF "
                                   "(pcf2bdf converts X11's fonts)"));
        return std::nullopt;
    }
    if (FT_Set_Pixel_Sizes(face.get(), 0, FT_UInt(size))) {
        Fail(error, QStringLiteral("FreeType cannot scale it to %1 px").arg(size));
        return std::nullopt;
    }
    const FT_Size_Metrics& metrics = face->size->metrics;
    // The cell holds the ascender and descender (a damaged font may give
    // them the wrong way round) and every glyph's rows.
    int ascent = std::max(0, Round26Dot6(metrics.ascender));
    int descent = std::max(0, -Round26Dot6(metrics.descender));

    const bool grey = options.threshold.has_value();
    const FT_Int32 loadFlags = grey ? FT_LOAD_DEFAULT : FT_LOAD_TARGET_MONO;
    const FT_Render_Mode mode = grey ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;

    const auto tooLarge = [&](char32_t code, long wide, long high) {
        if (wide <= PixelFont::kMaxCellWidth + 2 && high <= PixelFont::kMaxCellHeight + 2)
            return false;
        Fail(error, QStringLiteral("at %1 px %2 is %3 x %4 pixels; a glyph's cell is at most %5 x %6")
                        .arg(size).arg(GlyphName(code)).arg(wide).arg(high)
                        .arg(PixelFont::kMaxCellWidth).arg(PixelFont::kMaxCellHeight));
        return true;
    };
    QStringList lacking;
    std::vector<Drawn> drawn;
    drawn.reserve(codes->size());
    int left = 0, right = 0;
    for (char32_t code : *codes) {
        const FT_UInt index = FT_Get_Char_Index(face.get(), code);
        if (index == 0) {
            lacking.append(GlyphName(code));
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        if (FT_Load_Glyph(face.get(), index, loadFlags)) {
            Fail(error, QStringLiteral("FreeType cannot load %1: the font is damaged").arg(GlyphName(code)));
            return std::nullopt;
        }
        // A glyph too large for any cell is refused before FreeType draws
        // it: a damaged font's outline may reach thousands of pixels.
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            FT_BBox box;
            FT_Outline_Get_CBox(&slot->outline, &box);
            if (tooLarge(code, long((box.xMax - box.xMin) >> 6), long((box.yMax - box.yMin) >> 6)))
                return std::nullopt;
        }
        if (FT_Render_Glyph(slot, mode)) {
            Fail(error, QStringLiteral("FreeType cannot draw %1: the font is damaged").arg(GlyphName(code)));
            return std::nullopt;
        }
        Drawn d;
        d.code = code;
        d.advance = std::max(0, Round26Dot6(slot->advance.x));
        d.left = slot->bitmap_left;
        d.top = slot->bitmap_top;
        // A font may hold bitmaps of its own for some sizes, which FreeType
        // gives rather than drawing the outline: black and white or grey ones
        // are taken, grey cut at the threshold or halfway.
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
            Fail(error, QStringLiteral("%1 is a colour bitmap at %2 px").arg(GlyphName(code)).arg(size));
            return std::nullopt;
        }
        if (tooLarge(code, long(bitmap.width), long(bitmap.rows)))
            return std::nullopt;
        TakeBitmap(bitmap, options.threshold.value_or(128), &d);
        if (d.width > 0 && d.rows > 0) {
            left = std::min(left, d.left);
            right = std::max(right, d.left + d.width);
            // A glyph reaching past the font's ascender or descender (an
            // accent, a tall bracket) grows the cell rather than losing rows.
            ascent = std::max(ascent, d.top);
            descent = std::max(descent, d.rows - d.top);
        }
        right = std::max(right, d.advance);
        drawn.push_back(std::move(d));
    }
    if (missing)
        *missing = lacking;
    if (drawn.empty()) {
        Fail(error, QStringLiteral("the font has none of the characters asked for"));
        return std::nullopt;
    }
    PixelFont font;
    font.name = QString::fromUtf8(face->family_name ? face->family_name : "");
    font.left = left;
    font.cellWidth = std::max(PixelFont::kMinCell, right - left);
    font.cellHeight = std::max(PixelFont::kMinCell, ascent + descent);
    font.ascent = ascent;
    if (font.cellWidth > PixelFont::kMaxCellWidth) {
        Fail(error, QStringLiteral("at %1 px its glyphs need a cell %2 pixels wide; at most %3 fit")
                        .arg(size).arg(font.cellWidth).arg(PixelFont::kMaxCellWidth));
        return std::nullopt;
    }
    if (font.cellHeight > PixelFont::kMaxCellHeight) {
        Fail(error, QStringLiteral("at %1 px its glyphs need a cell %2 pixels high; at most %3 fit")
                        .arg(size).arg(font.cellHeight).arg(PixelFont::kMaxCellHeight));
        return std::nullopt;
    }
    font.glyphs.reserve(drawn.size());
    for (const Drawn& d : drawn) {
        // Filled in place: a glyph's picture is a whole plane, too large to copy.
        Glyph& g = font.glyphs.emplace_back();
        g.code = d.code;
        g.advance = std::min(d.advance, font.cellWidth);
        g.bitmap.width = font.cellWidth;
        g.bitmap.height = font.cellHeight;
        const int x0 = d.left - left;
        const int y0 = ascent - d.top;
        for (int y = 0; y < d.rows; ++y)
            for (int x = 0; x < d.width; ++x)
                if (d.pixels[std::size_t(y) * std::size_t(d.width) + std::size_t(x)])
                    g.bitmap.At(x0 + x, y0 + y) = 1;
    }
    return font;
}

}  // namespace tobrin
