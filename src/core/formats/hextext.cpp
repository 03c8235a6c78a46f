#include "core/formats.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <string>

#include "core/formatdetail.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"

// The editor's own file: ".db" lines of hex values, as Save writes them.

namespace tobrin {

using namespace detail;

namespace {

QByteArray HexFileText(const MonoPicture& p)
{
    PictureData d;
    p.ToPlane(d.PicData.data());
    d.MaxX = p.width - 1;
    d.MaxY = p.height - 1;
    // As Save writes it: the text, then one more line end.
    const std::string text = HexText(d) + "\r\n";
    return QByteArray(text.data(), qsizetype(text.size()));
}

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

std::optional<QByteArray> EncodeHex(const MonoPicture& picture, const ExportOptions&, const QString&, QString*)
{
    return HexFileText(picture);
}

std::optional<MonoPicture> DecodeHex(const QByteArray& data, const ReadOptions&, QString* error)
{
    QByteArray copy = data;
    QBuffer buffer(&copy);
    if (const std::optional<HexPicture> hex = ReadHexData(buffer, error))
        return FromHex(*hex);
    return std::nullopt;
}

}  // namespace

extern const FileFormat kHexTextFormat = {
    "hex", "Hex values", "db txt c", true, true, 0u, EncodeHex, DecodeHex, "anything else the hex text",
    ReadHexFile, "txt", "Hex text",
};

}  // namespace tobrin
