#include "core/formats.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <cstdlib>

#include "core/formatdetail.h"
#include "core/hexreader.h"
#include "core/imagecheck.h"
#include "core/regularfile.h"

// Reading a picture file of any of the formats, with the reason for a
// refusal: the netpbm bitmap, the black-and-white PNG and BMP, the hex
// text, and the choice among them.

namespace tobrin {

using namespace detail;

namespace {

// ---- netpbm bitmaps ------------------------------------------------------------------

bool PbmSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Skips blanks and "#" comments; reads a decimal number (saturated).
bool PbmNumber(const QByteArray& data, qsizetype& i, long& value)
{
    const qsizetype n = data.size();
    for (;;) {
        while (i < n && PbmSpace(data[i]))
            ++i;
        if (i < n && data[i] == '#') {
            while (i < n && data[i] != '\n' && data[i] != '\r')
                ++i;
            continue;
        }
        break;
    }
    if (i >= n || data[i] < '0' || data[i] > '9')
        return false;
    value = 0;
    while (i < n && data[i] >= '0' && data[i] <= '9')
        value = std::min(value * 10 + (data[i++] - '0'), 1000000L);
    return true;
}

std::optional<MonoPicture> DecodePbm(const QByteArray& data, QString* why)
{
    const auto fail = [why](const QString& text) -> std::optional<MonoPicture> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    const QString ends = QStringLiteral("the bitmap's pixels end early");
    if (data.size() < 2 || data[0] != 'P' || (data[1] != '1' && data[1] != '4'))
        return fail(QStringLiteral("not a netpbm bitmap (P1 or P4)"));
    const bool plain = data[1] == '1';
    qsizetype i = 2;
    long width = 0;
    long height = 0;
    if (i >= data.size() || !PbmSpace(data[i]) || !PbmNumber(data, i, width) || !PbmNumber(data, i, height))
        return fail(QStringLiteral("damaged netpbm header"));
    if (!SizeAllowed(width, height))
        return fail(QStringLiteral("size %1 x %2 is outside %3").arg(width).arg(height).arg(SizeRule()));
    MonoPicture p = Blank(int(width), int(height));
    if (plain) {
        // Each pixel one digit 0 or 1, blanks between them optional.
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                while (i < data.size() && PbmSpace(data[i]))
                    ++i;
                if (i >= data.size() || (data[i] != '0' && data[i] != '1'))
                    return fail(i >= data.size() ? ends : QStringLiteral("a pixel that is not 0 or 1"));
                p.At(x, y) = std::uint8_t(data[i++] - '0');
            }
        return p;
    }
    // One blank, then the rows, most significant bit first.
    if (i >= data.size() || !PbmSpace(data[i]))
        return fail(ends);
    ++i;
    const std::size_t need = PackedSize(p.width, p.height, ByteOrder::Msb);
    if (std::size_t(data.size() - i) < need)
        return fail(ends);
    // Whatever follows (a further image of a multi-image file) is not read.
    return Unpack(reinterpret_cast<const std::uint8_t*>(data.constData() + i), p.width, p.height, ByteOrder::Msb);
}


// ---- PNG and BMP -------------------------------------------------------------------

std::optional<MonoPicture> DecodeImage(const QByteArray& data, const ReadOptions& options, QString* why)
{
    const auto fail = [why](const QString& text) -> std::optional<MonoPicture> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    // A colour or oversized image is no picture, but the import makes one.
    const auto convertible = [&](const QString& text) {
        return fail(options.convertHint.isEmpty() ? text : text + QStringLiteral("; ") + options.convertHint);
    };
    QByteArray copy = data;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read"));
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format().toLower();
    if (format != "png" && format != "bmp")
        return fail(format.isEmpty() ? QStringLiteral("not a PNG or BMP image")
                                     : QStringLiteral("a %1 image, not a PNG or BMP").arg(QString::fromLatin1(format.toUpper())));
    // A top-down bitmap gives its height as a negative number.
    const QSize claimed = reader.size();
    const QSize size(std::abs(claimed.width()), std::abs(claimed.height()));
    if (!SizeAllowed(size.width(), size.height()))
        return convertible(QStringLiteral("%1 x %2 pixels; a picture is %3")
                               .arg(size.width())
                               .arg(size.height())
                               .arg(SizeRule()));
    QString damage;
    if (!CheckImageStructure(buffer, &damage))
        return fail(damage);
    QImage read;
    {
        const DecoderComplaints complaints;
        read = reader.read();
        if (!complaints.First().isEmpty())
            return fail(QStringLiteral("damaged image: %1").arg(complaints.First()));
    }
    if (read.isNull() || read.size() != size)
        return fail(QStringLiteral("damaged image: %1").arg(reader.errorString()));
    const QImage image = read.convertToFormat(QImage::Format_ARGB32);
    MonoPicture p = Blank(size.width(), size.height());
    for (int y = 0; y < p.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < p.width; ++x) {
            if (line[x] == 0xFF000000u)
                p.At(x, y) = 1;
            else if (line[x] != 0xFFFFFFFFu)
                return convertible(QStringLiteral("not black and white (pixel %1, %2 is neither)").arg(x).arg(y));
        }
    }
    return p;
}

// ---- the hex text -------------------------------------------------------------------

MonoPicture FromHex(const HexPicture& hex)
{
    MonoPicture p = Blank(hex.width, hex.height);
    const int perRow = (hex.width + 7) / 8;
    // Bits of the last byte beyond the width land right of the picture, as
    // Open puts them.
    for (int y = 0; y < hex.height; ++y)
        for (int k = 0; k < perRow; ++k)
            for (int b = 0; b < 8; ++b)
                p.At(8 * k + b, y) = std::uint8_t((hex.rowBytes[std::size_t(y)][std::size_t(k)] >> (7 - b)) & 1);
    return p;
}


// Hex text read from a file that holds an image: say so, as the import
// reads such files.
QString NotHexText(const QString& path, const QString& why, const ReadOptions& options)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return why;
    const QByteArray format = QImageReader::imageFormat(&file);
    if (format.isEmpty())
        return why;
    QString said = QStringLiteral("a %1 image, not a picture's text").arg(QString::fromLatin1(format.toUpper()));
    if (!options.convertHint.isEmpty())
        said += QStringLiteral("; ") + options.convertHint;
    return said;
}

std::optional<MonoPicture> ReadHexFile(const QString& path, const ReadOptions& options, QString* error)
{
    QString why;
    if (const std::optional<HexPicture> hex = ReadHexPath(path, &why))
        return FromHex(*hex);
    if (error)
        *error = why.startsWith(QLatin1String("no line begins")) ? NotHexText(path, why, options) : why;
    return std::nullopt;
}

}  // namespace

QString detail::SizeRule()
{
    return QStringLiteral("4..%1 x 4..%2").arg(kMaxWidth).arg(kMaxHeight);
}

std::optional<MonoPicture> DecodePicture(const QByteArray& data, PictureFormat format, const ReadOptions& options,
                                         QString* error)
{
    if (qint64(data.size()) > kMaxFileBytes && format != PictureFormat::HexText) {
        if (error)
            *error = QStringLiteral("larger than %1 MB").arg(kMaxFileBytes >> 20);
        return std::nullopt;
    }
    switch (format) {
    case PictureFormat::CArray:
        return DecodeCLike(data, false, options, error);
    case PictureFormat::Xbm:
        return DecodeCLike(data, true, options, error);
    case PictureFormat::Pbm:
        return DecodePbm(data, error);
    case PictureFormat::Image:
        return DecodeImage(data, options, error);
    case PictureFormat::HexText: {
        QByteArray copy = data;
        QBuffer buffer(&copy);
        if (const std::optional<HexPicture> hex = ReadHexData(buffer, error))
            return FromHex(*hex);
        return std::nullopt;
    }
    }
    return std::nullopt;
}

std::optional<MonoPicture> ReadPictureFile(const QString& path, const ReadOptions& options, QString* error)
{
    const PictureFormat format = FormatForPath(path);
    // The hex reader streams a file of any length.
    if (format == PictureFormat::HexText)
        return ReadHexFile(path, options, error);
    QFile file(path);
    if (!OpenRegularFile(file, error))
        return std::nullopt;
    const QByteArray data = file.read(kMaxFileBytes + 1);
    std::optional<MonoPicture> picture = DecodePicture(data, format, options, error);
    if (!picture && format == PictureFormat::CArray) {
        // Hex text has always been saved under .c names too; such a file
        // still opens, as the hex text it is.
        file.close();
        QString why;
        if (const std::optional<HexPicture> hex = ReadHexPath(path, &why))
            return FromHex(*hex);
    }
    return picture;
}

}  // namespace tobrin
