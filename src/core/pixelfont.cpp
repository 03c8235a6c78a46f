#include "core/pixelfont.h"

#include <algorithm>

namespace tobrin {

const Glyph* PixelFont::Find(char32_t code) const
{
    auto it = std::lower_bound(glyphs.begin(), glyphs.end(), code,
                               [](const Glyph& g, char32_t c) { return g.code < c; });
    return it != glyphs.end() && it->code == code ? &*it : nullptr;
}

MonoSet PixelFont::ToSet() const
{
    MonoSet set;
    for (const Glyph& g : glyphs) {
        set.frames.push_back(g.bitmap);
        set.delays.push_back(MonoSet::kDefaultDelay);
    }
    return set;
}

bool PixelFont::Check(QString* error) const
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (cellWidth < kMinCell || cellWidth > kMaxCellWidth)
        return fail(QStringLiteral("the glyphs are %1 pixels wide; a font's cell is %2 to %3 pixels wide")
                        .arg(cellWidth).arg(kMinCell).arg(kMaxCellWidth));
    if (cellHeight < kMinCell || cellHeight > kMaxCellHeight)
        return fail(QStringLiteral("the glyphs are %1 pixels high; a font's cell is %2 to %3 pixels high")
                        .arg(cellHeight).arg(kMinCell).arg(kMaxCellHeight));
    if (ascent < 0 || ascent > cellHeight)
        return fail(QStringLiteral("the baseline %1 is outside the cell's %2 rows").arg(ascent).arg(cellHeight));
    if (glyphs.empty())
        return fail(QStringLiteral("the font has no glyphs"));
    if (int(glyphs.size()) > kMaxGlyphs)
        return fail(QStringLiteral("the font has %1 glyphs; at most %2 fit").arg(glyphs.size()).arg(kMaxGlyphs));
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& g = glyphs[i];
        if (i > 0 && glyphs[i - 1].code >= g.code)
            return fail(QStringLiteral("the glyphs are not in code-point order at %1").arg(GlyphName(g.code)));
        if (g.code > 0x10FFFF)
            return fail(QStringLiteral("U+%1 is no character").arg(uint(g.code), 0, 16));
        if (g.advance < 0 || g.advance > cellWidth)
            return fail(QStringLiteral("%1 advances %2 pixels in a cell %3 pixels wide")
                            .arg(GlyphName(g.code)).arg(g.advance).arg(cellWidth));
        if (g.bitmap.width != cellWidth || g.bitmap.height != cellHeight)
            return fail(QStringLiteral("%1 is %2 x %3, not the cell's %4 x %5")
                            .arg(GlyphName(g.code)).arg(g.bitmap.width).arg(g.bitmap.height)
                            .arg(cellWidth).arg(cellHeight));
    }
    return true;
}

bool operator==(const PixelFont& a, const PixelFont& b)
{
    if (a.cellWidth != b.cellWidth || a.cellHeight != b.cellHeight || a.ascent != b.ascent || a.left != b.left ||
        a.glyphs.size() != b.glyphs.size())
        return false;
    for (std::size_t i = 0; i < a.glyphs.size(); ++i) {
        const Glyph& g = a.glyphs[i];
        const Glyph& h = b.glyphs[i];
        if (g.code != h.code || g.advance != h.advance)
            return false;
        for (int y = 0; y < a.cellHeight; ++y)
            for (int x = 0; x < a.cellWidth; ++x)
                if (g.bitmap.At(x, y) != h.bitmap.At(x, y))
                    return false;
    }
    return true;
}

QString GlyphName(char32_t code)
{
    const QString hex = QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
    const QString text = QString::fromUcs4(&code, 1);
    if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0) || !text.at(0).isPrint())
        return hex;
    return QStringLiteral("'%1' %2").arg(text, hex);
}

int DrawText(const PixelFont& font, const std::u32string& text, int x, int y,
             const std::function<void(int, int)>& plot, QStringList* missing)
{
    int pen = 0;
    for (char32_t c : text) {
        const Glyph* g = font.Find(c);
        if (!g) {
            if (missing && !missing->contains(GlyphName(c)))
                missing->append(GlyphName(c));
            continue;
        }
        for (int row = 0; row < font.cellHeight; ++row)
            for (int col = 0; col < font.cellWidth; ++col)
                if (g->bitmap.At(col, row))
                    plot(x + pen + font.left + col, y + row);
        pen += g->advance;
    }
    return pen;
}

int TextAdvance(const PixelFont& font, const std::u32string& text)
{
    int pen = 0;
    for (char32_t c : text)
        if (const Glyph* g = font.Find(c))
            pen += g->advance;
    return pen;
}

std::optional<MonoPicture> RenderText(const PixelFont& font, const QString& text, QStringList* missing,
                                      QString* error)
{
    const QVector<uint> ucs = text.toUcs4();
    const std::u32string line(ucs.begin(), ucs.end());
    QStringList lacking;
    // The picture reaches from the leftmost to the rightmost pixel any glyph
    // may set, so an overhang left of the pen or past the last advance stays.
    int lowest = 0, highest = 0;
    bool any = false;
    int pen = 0, found = 0;
    for (char32_t c : line) {
        const Glyph* g = font.Find(c);
        found += g != nullptr;
        if (!g) {
            if (!lacking.contains(GlyphName(c)))
                lacking.append(GlyphName(c));
            continue;
        }
        for (int col = 0; col < font.cellWidth; ++col)
            for (int row = 0; row < font.cellHeight; ++row)
                if (g->bitmap.At(col, row)) {
                    const int x = pen + font.left + col;
                    if (!any)
                        lowest = highest = x;
                    lowest = std::min(lowest, x);
                    highest = std::max(highest, x);
                    any = true;
                }
        pen += g->advance;
    }
    if (missing)
        *missing = lacking;
    if (!line.empty() && found == 0) {
        if (error)
            *error = QStringLiteral("the font has none of the characters of \"%1\"").arg(text);
        return std::nullopt;
    }
    const int start = std::min(0, any ? lowest : 0);
    const int end = std::max(pen, any ? highest + 1 : 0);
    const int width = std::max(end - start, PixelFont::kMinCell);
    if (width > kMaxWidth) {
        if (error)
            *error = QStringLiteral("the text is %1 pixels wide; a picture is at most %2").arg(width).arg(kMaxWidth);
        return std::nullopt;
    }
    if (font.cellHeight < PixelFont::kMinCell || font.cellHeight > kMaxHeight) {
        if (error)
            *error = QStringLiteral("the font's cell is %1 pixels high").arg(font.cellHeight);
        return std::nullopt;
    }
    MonoPicture picture;
    picture.width = width;
    picture.height = font.cellHeight;
    DrawText(font, line, -start, 0, [&picture](int x, int y) { picture.At(x, y) = 1; });
    return picture;
}

}  // namespace tobrin
