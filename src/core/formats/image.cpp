#include "core/formats.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "core/formatdetail.h"
#include "core/imagecheck.h"

// PNG and BMP: 1-bit images, set = black (or the device's colours, which
// do not open again); read only when black and white and of a picture's
// size. Two entries, as the dialogs list them apart.

namespace tobrin {

using namespace detail;

namespace {

// Qt's BMP writer leaves the bytes that pad a 1-bit row to 4 bytes as it
// found them in memory: they are cleared, so that a file holds nothing but
// its picture and the same picture is written the same every time.
void ClearBmpRowPadding(QByteArray& bmp, int width, int height)
{
    if (bmp.size() < 14)
        return;
    const auto* header = reinterpret_cast<const uchar*>(bmp.constData());
    const qsizetype offset = qsizetype(header[10] | header[11] << 8 | header[12] << 16 | quint32(header[13]) << 24);
    const qsizetype stride = (width + 31) / 32 * 4;
    const qsizetype used = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        const qsizetype row = offset + y * stride;
        for (qsizetype k = row + used; k < row + stride && k < bmp.size(); ++k)
            bmp[k] = 0;
    }
}

// format: "PNG", or "BMP" for a file named so.
std::optional<QByteArray> ImageData(const MonoPicture& p, bool deviceColours, const char* format)
{
    QImage image;
    if (deviceColours) {
        image = QImage(p.width, p.height, QImage::Format_RGB32);
        for (int y = 0; y < p.height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < p.width; ++x)
                line[x] = p.At(x, y) ? qRgb(65, 64, 69) : qRgb(125, 145, 120);
        }
    } else {
        image = QImage(p.width, p.height, QImage::Format_Mono);
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        image.fill(0u);  // the bits right of the width too: a picture is written the same every time
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                image.setPixel(x, y, p.At(x, y) ? 1u : 0u);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, format))
        return std::nullopt;
    if (!deviceColours && format == std::string_view("BMP"))
        ClearBmpRowPadding(bytes, p.width, p.height);
    return bytes;
}

std::optional<QByteArray> Encode(const MonoPicture& picture, const ExportOptions& options, const char* format,
                                 const QString& path, QString* error)
{
    if (auto image = ImageData(picture, options.deviceColours, format))
        return image;
    if (error)
        *error = QStringLiteral("Could not encode %1").arg(path);
    return std::nullopt;
}

std::optional<QByteArray> EncodePng(const MonoPicture& picture, const ExportOptions& options, const QString& path,
                                    QString* error)
{
    return Encode(picture, options, "PNG", path, error);
}

std::optional<QByteArray> EncodeBmp(const MonoPicture& picture, const ExportOptions& options, const QString& path,
                                    QString* error)
{
    return Encode(picture, options, "BMP", path, error);
}

// A sprite sheet: the frames left to right, sheetColumns to a row (all in
// one row when 0), rows from the top; cells of the last row left empty
// are white.
std::optional<QByteArray> EncodePngSheet(const MonoSet& set, const ExportOptions& options, const QString& path,
                                         QString* error)
{
    if (set.Count() == 1)
        return EncodePng(set.frames.front(), options, path, error);
    const int w = set.frames.front().width;
    const int h = set.frames.front().height;
    const int columns = options.sheetColumns > 0 ? std::min(options.sheetColumns, set.Count()) : set.Count();
    const int rows = (set.Count() + columns - 1) / columns;
    QImage sheet(w * columns, h * rows, options.deviceColours ? QImage::Format_RGB32 : QImage::Format_Mono);
    if (sheet.isNull()) {
        if (error)
            *error = QStringLiteral("Could not encode %1").arg(path);
        return std::nullopt;
    }
    if (!options.deviceColours)
        sheet.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    sheet.fill(options.deviceColours ? qRgb(125, 145, 120) : 0u);
    for (int i = 0; i < set.Count(); ++i) {
        const MonoPicture& p = set.frames[std::size_t(i)];
        const int left = (i % columns) * w;
        const int top = (i / columns) * h;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (options.deviceColours)
                    sheet.setPixel(left + x, top + y, p.At(x, y) ? qRgb(65, 64, 69) : qRgb(125, 145, 120));
                else
                    sheet.setPixel(left + x, top + y, p.At(x, y) ? 1u : 0u);
            }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !sheet.save(&buffer, "PNG")) {
        if (error)
            *error = QStringLiteral("Could not encode %1").arg(path);
        return std::nullopt;
    }
    return bytes;
}

std::optional<MonoPicture> DecodeImage(const QByteArray& data, const ReadOptions& options, QString* why)
{
    // A colour or oversized image is no picture, but the import makes one.
    const Refusal refuse{why, options};
    QByteArray copy = data;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return refuse.fail(QStringLiteral("cannot be read"));
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format().toLower();
    if (format != "png" && format != "bmp")
        return refuse.fail(format.isEmpty() ? QStringLiteral("not a PNG or BMP image")
                                     : QStringLiteral("a %1 image, not a PNG or BMP").arg(QString::fromLatin1(format.toUpper())));
    // Before the reader looks further than the header.
    QString damage;
    if (!CheckPngChunks(buffer, &damage))
        return refuse.fail(damage);
    // A top-down bitmap gives its height as a negative number.
    const QSize claimed = reader.size();
    const QSize size(std::abs(claimed.width()), std::abs(claimed.height()));
    if (!SizeAllowed(size.width(), size.height()))
        return refuse.convertible(QStringLiteral("%1 x %2 pixels; a picture is %3")
                               .arg(size.width())
                               .arg(size.height())
                               .arg(SizeRule()));
    if (!CheckImageStructure(buffer, &damage))
        return refuse.fail(damage);
    QImage read;
    {
        const DecoderComplaints complaints;
        read = reader.read();
        if (!complaints.First().isEmpty())
            return refuse.fail(QStringLiteral("damaged image: %1").arg(complaints.First()));
    }
    if (read.isNull() || read.size() != size)
        return refuse.fail(QStringLiteral("damaged image: %1").arg(reader.errorString()));
    QPoint neither;
    std::optional<MonoPicture> p = FromBlackAndWhite(read.convertToFormat(QImage::Format_ARGB32), &neither);
    if (!p)
        return refuse.convertible(
            QStringLiteral("not black and white (pixel %1, %2 is neither)").arg(neither.x()).arg(neither.y()));
    return p;
}

}  // namespace

extern const FileFormat kPngFormat = {
    "png", "PNG", "png", true, true, kTakesDeviceColours, EncodePng, DecodeImage,
    ".png a 1-bit PNG image (the device's colours with --device; a set as a sprite sheet, --sheet COLUMNS "
    "frames to a row)",
    nullptr, nullptr, nullptr, false, nullptr, EncodePngSheet,
};
extern const FileFormat kBmpFormat = {
    "bmp", "BMP", "bmp", true, true, kTakesDeviceColours, EncodeBmp, DecodeImage,
    ".bmp the same as a BMP image",
};

}  // namespace tobrin
