#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QStringList>

#include "core/fonts/fontdetail.h"
#include "core/imagecheck.h"

// A font as a PNG sheet: the cells 16 to a row in code-point order, 1-bit
// black and white, and the metrics in the PNG's text chunks ("FontCell",
// "FontAscent", "FontLeft", "FontCodes", "FontAdvances"), without which
// a PNG is no font.

namespace tobrin::fontdetail {

namespace {

constexpr int kColumns = 16;

QString Join(const std::vector<long>& values)
{
    QStringList words;
    for (long v : values)
        words.append(QString::number(v));
    return words.join(QLatin1Char(' '));
}

// Whitespace-separated decimal numbers within lo..hi, at most max of them.
std::optional<std::vector<long>> Split(const QString& text, long lo, long hi, int max)
{
    std::vector<long> values;
    int start = 0;
    const int n = int(text.size());
    while (start < n) {
        while (start < n && text.at(start).isSpace())
            ++start;
        int end = start;
        while (end < n && !text.at(end).isSpace())
            ++end;
        if (end == start)
            break;
        if (int(values.size()) == max || end - start > 9)
            return std::nullopt;
        bool ok = false;
        const long v = text.mid(start, end - start).toLong(&ok);
        if (!ok || v < lo || v > hi)
            return std::nullopt;
        values.push_back(v);
        start = end;
    }
    return values;
}

}  // namespace

std::optional<QByteArray> EncodeFontPng(const PixelFont& font, const QString& name)
{
    const int count = int(font.glyphs.size());
    const int columns = std::min(kColumns, count);
    const int rows = (count + kColumns - 1) / kColumns;
    QImage sheet(font.cellWidth * columns, font.cellHeight * rows, QImage::Format_Mono);
    if (sheet.isNull())
        return std::nullopt;
    sheet.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    sheet.fill(0u);
    std::vector<long> codes, advances;
    for (int i = 0; i < count; ++i) {
        const Glyph& g = font.glyphs[std::size_t(i)];
        const int x0 = (i % kColumns) * font.cellWidth;
        const int y0 = (i / kColumns) * font.cellHeight;
        for (int y = 0; y < font.cellHeight; ++y)
            for (int x = 0; x < font.cellWidth; ++x)
                if (g.bitmap.At(x, y))
                    sheet.setPixel(x0 + x, y0 + y, 1u);
        codes.push_back(long(g.code));
        advances.push_back(g.advance);
    }
    sheet.setText(QStringLiteral("Title"), name);
    sheet.setText(QStringLiteral("FontCell"), QStringLiteral("%1 %2").arg(font.cellWidth).arg(font.cellHeight));
    sheet.setText(QStringLiteral("FontAscent"), QString::number(font.ascent));
    sheet.setText(QStringLiteral("FontLeft"), QString::number(font.left));
    sheet.setText(QStringLiteral("FontCodes"), Join(codes));
    sheet.setText(QStringLiteral("FontAdvances"), Join(advances));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !sheet.save(&buffer, "PNG"))
        return std::nullopt;
    return bytes;
}

std::optional<PixelFont> DecodeFontPng(const QByteArray& data, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<PixelFont> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QByteArray copy = data;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read"));
    QImageReader reader(&buffer, "png");
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return fail(QStringLiteral("not a PNG image"));
    const auto cell = Split(reader.text(QStringLiteral("FontCell")), PixelFont::kMinCell, PixelFont::kMaxCellWidth, 2);
    const auto ascent = Split(reader.text(QStringLiteral("FontAscent")), 0, PixelFont::kMaxCellHeight, 1);
    const auto left = Split(reader.text(QStringLiteral("FontLeft")), kMinLeft, 0, 1);
    const auto codes = Split(reader.text(QStringLiteral("FontCodes")), 0, 0x10FFFF, PixelFont::kMaxGlyphs);
    const auto advances = Split(reader.text(QStringLiteral("FontAdvances")), 0, PixelFont::kMaxCellWidth,
                                PixelFont::kMaxGlyphs);
    if (!cell || cell->size() != 2 || !ascent || ascent->size() != 1 || !left || left->size() > 1 || !codes
        || codes->empty() || !advances)
        return fail(QStringLiteral("a PNG without a font's metrics (its \"FontCell\", \"FontAscent\" and \"FontCodes\" "
                                   "texts) is no font"));
    const int count = int(codes->size());
    if (int(advances->size()) != count)
        return fail(QStringLiteral("%1 advances for %2 glyphs").arg(advances->size()).arg(count));
    PixelFont font;
    font.name = reader.text(QStringLiteral("Title"));
    font.cellWidth = int((*cell)[0]);
    font.cellHeight = int((*cell)[1]);
    font.ascent = int((*ascent)[0]);
    font.left = left->empty() ? 0 : int((*left)[0]);
    if (font.cellHeight > PixelFont::kMaxCellHeight)
        return fail(QStringLiteral("cells %1 pixels high; a font's are at most %2").arg(font.cellHeight).arg(PixelFont::kMaxCellHeight));
    const QSize expected(font.cellWidth * std::min(kColumns, count), font.cellHeight * ((count + kColumns - 1) / kColumns));
    if (reader.size() != expected)
        return fail(QStringLiteral("the sheet is %1 x %2 pixels; %3 cells of %4 x %5, 16 to a row, are %6 x %7")
                        .arg(reader.size().width()).arg(reader.size().height()).arg(count)
                        .arg(font.cellWidth).arg(font.cellHeight).arg(expected.width()).arg(expected.height()));
    QImage read;
    {
        const DecoderComplaints complaints;
        read = reader.read();
        if (!complaints.First().isEmpty())
            return fail(QStringLiteral("damaged image: %1").arg(complaints.First()));
    }
    if (read.isNull() || read.size() != expected)
        return fail(QStringLiteral("damaged image: %1").arg(reader.errorString()));
    const QImage argb = read.convertToFormat(QImage::Format_ARGB32);
    for (int i = 0; i < count; ++i) {
        Glyph g;
        g.code = char32_t((*codes)[std::size_t(i)]);
        g.advance = int((*advances)[std::size_t(i)]);
        g.bitmap.width = font.cellWidth;
        g.bitmap.height = font.cellHeight;
        const int x0 = (i % kColumns) * font.cellWidth;
        const int y0 = (i / kColumns) * font.cellHeight;
        for (int y = 0; y < font.cellHeight; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y0 + y));
            for (int x = 0; x < font.cellWidth; ++x) {
                const QRgb pixel = line[x0 + x];
                if (pixel != 0xFF000000u && pixel != 0xFFFFFFFFu)
                    return fail(QStringLiteral("not black and white (pixel %1, %2 is neither)").arg(x0 + x).arg(y0 + y));
                g.bitmap.At(x, y) = pixel == 0xFF000000u;
            }
        }
        font.glyphs.push_back(std::move(g));
    }
    QString why;
    if (!Valid(font, &why))
        return fail(why);
    return font;
}

}  // namespace tobrin::fontdetail
