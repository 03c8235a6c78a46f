#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QStringList>

#include "core/fonts/fontdetail.h"
#include "core/imagecheck.h"

#include <zlib.h>

// A font as a PNG sheet: the cells 16 to a row in code-point order, 1-bit
// black and white, and the metrics in the PNG's text chunks ("FontCell",
// "FontAscent", "FontLeft", "FontCodes", "FontAdvances"), without which
// a PNG is no font.

namespace tobrin::fontdetail {

namespace {

constexpr int kColumns = 16;
// Pixels of a colour sheet: 16 MB decoded.
constexpr qint64 kColourBudget = 4 * 1024 * 1024;

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

// How many bytes zlib data inflates to, counted up to cap + 1.
qint64 InflatedSize(const uchar* data, std::size_t size, qint64 cap)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return cap + 1;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(size);
    std::vector<Bytef> out(16384);
    qint64 total = 0;
    int status = Z_OK;
    while (status == Z_OK && total <= cap) {
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        status = inflate(&z, Z_NO_FLUSH);
        total += qint64(out.size() - z.avail_out);
        if (status == Z_BUF_ERROR && z.avail_in == 0)
            break;
    }
    inflateEnd(&z);
    return total;
}

// libpng allocates a text chunk's length as its header claims, and
// inflates a compressed one whole: the chunks are walked first, so that
// no claimed length passes the data's end and no text inflates beyond
// what a font's metrics take.
bool ChunksAreSound(const QByteArray& data, QString* why)
{
    constexpr qint64 kTextCap = 256 * 1024;
    const auto* s = reinterpret_cast<const uchar*>(data.constData());
    const qint64 n = data.size();
    if (n < 8 || data.left(8) != QByteArray("\x89PNG\r\n\x1a\n", 8)) {
        *why = QStringLiteral("not a PNG image");
        return false;
    }
    for (qint64 at = 8; at + 12 <= n;) {
        const qint64 length = qint64(s[at]) << 24 | s[at + 1] << 16 | s[at + 2] << 8 | s[at + 3];
        const QByteArray type(data.constData() + at + 4, 4);
        if (length > n - at - 12) {
            *why = QStringLiteral("damaged image: the %1 chunk runs past the end").arg(QString::fromLatin1(type.toHex()));
            return false;
        }
        const uchar* body = s + at + 8;
        const bool text = type == "tEXt" || type == "zTXt" || type == "iTXt";
        if (text && length > kTextCap) {
            *why = QStringLiteral("a text of %1 bytes; a font's metrics take far less").arg(length);
            return false;
        }
        // The compressed text: after the keyword's 0 and the method byte in
        // zTXt; after the flag, the method, the language and the
        // translated keyword in iTXt, when the flag says compressed.
        const uchar* end = body + length;
        const uchar* z = std::find(body, end, 0);
        const uchar* packed = nullptr;
        if (type == "zTXt" && end - z >= 2) {
            packed = z + 2;
        } else if (type == "iTXt" && end - z > 3 && z[1] == 1) {
            const uchar* language = std::find(z + 3, end, 0);
            const uchar* translated = language < end ? std::find(language + 1, end, 0) : end;
            packed = translated < end ? translated + 1 : nullptr;
        }
        if (packed && InflatedSize(packed, std::size_t(end - packed), kTextCap) > kTextCap) {
            *why = QStringLiteral("a compressed text that inflates beyond %1 KB").arg(kTextCap / 1024);
            return false;
        }
        if (type == "IEND")
            break;
        at += length + 12;
    }
    return true;
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
    QString why;
    if (!ChunksAreSound(data, &why))
        return fail(why);
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
    // A few bytes of PNG may stand for a sheet of millions of pixels: one
    // of colour is decoded at four bytes a pixel, so it is held to a
    // budget; a 1-bit or grey one (a byte at most) may be as large as the
    // largest font.
    const QImage::Format format = reader.imageFormat();
    const bool compact = format == QImage::Format_Mono || format == QImage::Format_MonoLSB
        || format == QImage::Format_Indexed8 || format == QImage::Format_Grayscale8;
    if (!compact && qint64(expected.width()) * expected.height() > kColourBudget)
        return fail(QStringLiteral("a sheet of %1 x %2 pixels in colour; one this large is read as a 1-bit or grey PNG")
                        .arg(expected.width()).arg(expected.height()));
    QImage read;
    {
        const DecoderComplaints complaints;
        read = reader.read();
        if (!complaints.First().isEmpty())
            return fail(QStringLiteral("damaged image: %1").arg(complaints.First()));
    }
    if (read.isNull() || read.size() != expected)
        return fail(QStringLiteral("damaged image: %1").arg(reader.errorString()));
    for (int i = 0; i < count; ++i) {
        Glyph g;
        g.code = char32_t((*codes)[std::size_t(i)]);
        g.advance = int((*advances)[std::size_t(i)]);
        g.bitmap.width = font.cellWidth;
        g.bitmap.height = font.cellHeight;
        font.glyphs.push_back(std::move(g));
    }
    // A row of cells at a time, so that only one row is ever held at four
    // bytes a pixel.
    for (int row = 0; row * kColumns < count; ++row) {
        const int y0 = row * font.cellHeight;
        const QImage band = read.copy(0, y0, read.width(), font.cellHeight).convertToFormat(QImage::Format_ARGB32);
        for (int i = row * kColumns; i < std::min(count, (row + 1) * kColumns); ++i) {
            const int x0 = (i % kColumns) * font.cellWidth;
            Glyph& g = font.glyphs[std::size_t(i)];
            for (int y = 0; y < font.cellHeight; ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(band.constScanLine(y));
                for (int x = 0; x < font.cellWidth; ++x) {
                    const QRgb pixel = line[x0 + x];
                    if (pixel != 0xFF000000u && pixel != 0xFFFFFFFFu)
                        return fail(QStringLiteral("not black and white (pixel %1, %2 is neither)").arg(x0 + x).arg(y0 + y));
                    g.bitmap.At(x, y) = pixel == 0xFF000000u;
                }
            }
        }
    }
    if (!Valid(font, &why))
        return fail(why);
    return font;
}

}  // namespace tobrin::fontdetail
