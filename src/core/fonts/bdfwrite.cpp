#include <QStringList>

#include "core/fonts/fontdetail.h"

// Writing BDF 2.1 as X11's tools read it: the usual properties, the font's
// cell as its bounding box and every glyph's box the whole cell, so that
// reading it back gives the same cell, baseline and left edge.

namespace tobrin::fontdetail {

namespace {

// A name for the XLFD and FAMILY_NAME: no hyphens, quotes or controls.
QByteArray FamilyOf(const QString& name)
{
    QString family;
    for (const QChar c : name)
        family += c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('_') ? c : QLatin1Char('_');
    family = family.simplified();
    return family.isEmpty() ? QByteArray("Tobrin") : family.toUtf8();
}

QByteArray Num(long v) { return QByteArray::number(qlonglong(v)); }

}  // namespace

std::optional<QByteArray> EncodeBdf(const PixelFont& font, const QString& name)
{
    const QByteArray family = FamilyOf(name);
    const int descent = font.cellHeight - font.ascent;
    bool mono = true;
    long total = 0;
    for (const Glyph& g : font.glyphs) {
        mono = mono && g.advance == font.glyphs.front().advance;
        total += g.advance;
    }
    const long average = (total * 10 + long(font.glyphs.size()) / 2) / long(font.glyphs.size());
    const QByteArray spacing = mono ? "M" : "P";
    const QByteArray h = Num(font.cellHeight);
    QByteArray out;
    out += "STARTFONT 2.1\n";
    out += "COMMENT Written by Tobrin\n";
    out += "FONT -Tobrin-" + family + "-Medium-R-Normal--" + h + "-" + Num(font.cellHeight * 10) + "-75-75-" + spacing +
           "-" + Num(average) + "-ISO10646-1\n";
    out += "SIZE " + h + " 75 75\n";
    out += "FONTBOUNDINGBOX " + Num(font.cellWidth) + " " + h + " " + Num(font.left) + " " + Num(-descent) + "\n";
    out += "STARTPROPERTIES 15\n";
    out += "FOUNDRY \"Tobrin\"\n";
    out += "FAMILY_NAME \"" + family + "\"\n";
    out += "WEIGHT_NAME \"Medium\"\nSLANT \"R\"\nSETWIDTH_NAME \"Normal\"\n";
    out += "PIXEL_SIZE " + h + "\n";
    out += "POINT_SIZE " + Num(font.cellHeight * 10) + "\n";
    out += "RESOLUTION_X 75\nRESOLUTION_Y 75\n";
    out += "SPACING \"" + spacing + "\"\n";
    out += "AVERAGE_WIDTH " + Num(average) + "\n";
    out += "CHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\n";
    out += "FONT_ASCENT " + Num(font.ascent) + "\n";
    out += "FONT_DESCENT " + Num(descent) + "\n";
    out += "ENDPROPERTIES\n";
    out += "CHARS " + Num(long(font.glyphs.size())) + "\n";
    const QByteArray box = "BBX " + Num(font.cellWidth) + " " + h + " " + Num(font.left) + " " + Num(-descent) + "\n";
    const int bytes = (font.cellWidth + 7) / 8;
    for (const Glyph& g : font.glyphs) {
        const uint code = uint(g.code);
        out += "STARTCHAR " + (code <= 0xFFFF ? QByteArray("uni") + QByteArray::number(code, 16).toUpper().rightJustified(4, '0')
                                              : QByteArray("u") + QByteArray::number(code, 16).toUpper()) + "\n";
        out += "ENCODING " + Num(long(code)) + "\n";
        // The scalable width in thousandths of the point size, as X11 has it.
        out += "SWIDTH " + Num(long(g.advance) * 1000 * 72 / (75L * font.cellHeight)) + " 0\n";
        out += "DWIDTH " + Num(g.advance) + " 0\n";
        out += box;
        out += "BITMAP\n";
        for (int y = 0; y < font.cellHeight; ++y) {
            QByteArray row(bytes * 2, '0');
            for (int k = 0; k < bytes; ++k) {
                int value = 0;
                for (int b = 0; b < 8; ++b)
                    if (8 * k + b < font.cellWidth && g.bitmap.At(8 * k + b, y))
                        value |= 0x80 >> b;
                const QByteArray hex = QByteArray::number(value, 16).toUpper().rightJustified(2, '0');
                row[2 * k] = hex[0];
                row[2 * k + 1] = hex[1];
            }
            out += row + "\n";
        }
        out += "ENDCHAR\n";
    }
    out += "ENDFONT\n";
    return out;
}

}  // namespace tobrin::fontdetail
