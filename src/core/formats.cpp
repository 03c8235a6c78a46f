#include "core/formats.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/formatdetail.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"
#include "core/regularfile.h"
#include "core/savefile.h"

namespace tobrin {

// ---- the picture -----------------------------------------------------------------

MonoPicture MonoPicture::FromPlane(const std::uint8_t* plane, int width, int height)
{
    MonoPicture p;
    p.width = width;
    p.height = height;
    std::copy_n(plane, p.cells.size(), p.cells.begin());
    return p;
}

void MonoPicture::ToPlane(std::uint8_t* plane) const
{
    std::copy(cells.begin(), cells.end(), plane);
}

bool operator==(const MonoPicture& a, const MonoPicture& b)
{
    return a.width == b.width && a.height == b.height && a.cells == b.cells;
}

namespace detail {

bool SizeAllowed(long width, long height)
{
    return width >= 4 && width <= kMaxWidth && height >= 4 && height <= kMaxHeight;
}

MonoPicture Blank(int width, int height)
{
    MonoPicture p;
    p.width = width;
    p.height = height;
    return p;
}

// ---- byte packing ------------------------------------------------------------------

std::size_t PackedSize(int width, int height, ByteOrder order)
{
    return order == ByteOrder::Pages ? std::size_t(width) * std::size_t((height + 7) / 8)
                                     : std::size_t((width + 7) / 8) * std::size_t(height);
}

// Pixels outside width x height are never packed: padding bits are 0.
std::vector<std::uint8_t> Pack(const MonoPicture& p, ByteOrder order)
{
    std::vector<std::uint8_t> bytes(PackedSize(p.width, p.height, order), 0);
    if (order == ByteOrder::Pages) {
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.At(x, y))
                    bytes[std::size_t((y / 8) * p.width + x)] |= std::uint8_t(1u << (y % 8));
        return bytes;
    }
    const int perRow = (p.width + 7) / 8;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.At(x, y)) {
                const int bit = order == ByteOrder::Msb ? 7 - x % 8 : x % 8;
                bytes[std::size_t(y * perRow + x / 8)] |= std::uint8_t(1u << bit);
            }
    return bytes;
}

// The inverse of Pack; padding bits are ignored. bytes holds exactly
// PackedSize entries.
MonoPicture Unpack(const std::uint8_t* bytes, int width, int height, ByteOrder order)
{
    MonoPicture p = Blank(width, height);
    const int perRow = (width + 7) / 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned bit;
            if (order == ByteOrder::Pages)
                bit = (bytes[(y / 8) * width + x] >> (y % 8)) & 1u;
            else if (order == ByteOrder::Msb)
                bit = (bytes[y * perRow + x / 8] >> (7 - x % 8)) & 1u;
            else
                bit = (bytes[y * perRow + x / 8] >> (x % 8)) & 1u;
            p.At(x, y) = std::uint8_t(bit);
        }
    return p;
}

// ---- C arrays and X11 bitmaps: writing ----------------------------------------------

const char* const kCKeywords[] = {
    "auto", "break", "case", "char", "const", "continue", "default", "do", "double", "else", "enum",
    "extern", "float", "for", "goto", "if", "inline", "int", "long", "register", "restrict", "return",
    "short", "signed", "sizeof", "static", "struct", "switch", "typedef", "union", "unsigned", "void",
    "volatile", "while", "_Alignas", "_Alignof", "_Atomic", "_Bool", "_Complex", "_Generic",
    "_Imaginary", "_Noreturn", "_Static_assert", "_Thread_local"};

bool IsKeyword(const QString& name)
{
    return std::any_of(std::begin(kCKeywords), std::end(kCKeywords),
                       [&](const char* k) { return name == QLatin1String(k); });
}

void AppendByteList(QByteArray& out, const std::vector<std::uint8_t>& bytes, int perLine)
{
    static const char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % std::size_t(perLine) == 0)
            out += "    ";
        out += "0x";
        out += kHex[bytes[i] >> 4];
        out += kHex[bytes[i] & 15];
        const bool last = i + 1 == bytes.size();
        if (!last)
            out += ',';
        out += (last || i % std::size_t(perLine) == std::size_t(perLine) - 1) ? "\n" : " ";
    }
}

const char* OrderDescription(ByteOrder order)
{
    switch (order) {
    case ByteOrder::Msb:
        return "rows from the top, the leftmost pixel of each byte in bit 7";
    case ByteOrder::Lsb:
        return "rows from the top, the leftmost pixel of each byte in bit 0";
    case ByteOrder::Pages:
        return "pages of 8 rows from the top, one byte per column, the top row in bit 0";
    }
    return "";
}

QByteArray CArrayText(const MonoPicture& p, ByteOrder order, const QString& name)
{
    const QByteArray lower = name.toLatin1();
    const QByteArray upper = name.toUpper().toLatin1();
    const std::vector<std::uint8_t> bytes = Pack(p, order);
    const QByteArray w = QByteArray::number(p.width);
    const QByteArray h = QByteArray::number(p.height);
    QByteArray out;
    out += "/* Tobrin picture " + w + " x " + h + ", byte order: " + ByteOrderName(order) + "\n";
    out += " * (" + QByteArray(OrderDescription(order)) + "; 1 = black). */\n";
    out += "#ifndef " + upper + "_TOBRIN_PICTURE\n";
    out += "#define " + upper + "_TOBRIN_PICTURE\n\n";
    out += "#define " + upper + "_WIDTH " + w + "\n";
    out += "#define " + upper + "_HEIGHT " + h + "\n\n";
    out += "static const unsigned char " + lower + "[" + QByteArray::number(qulonglong(bytes.size())) + "] = {\n";
    AppendByteList(out, bytes, 16);
    out += "};\n\n#endif\n";
    return out;
}

QByteArray XbmText(const MonoPicture& p, const QString& name)
{
    const QByteArray n = name.toLatin1();
    QByteArray out;
    out += "#define " + n + "_width " + QByteArray::number(p.width) + "\n";
    out += "#define " + n + "_height " + QByteArray::number(p.height) + "\n";
    out += "static unsigned char " + n + "_bits[] = {\n";
    AppendByteList(out, Pack(p, ByteOrder::Lsb), 12);
    out += "};\n";
    return out;
}

QByteArray PbmData(const MonoPicture& p)
{
    QByteArray out = "P4\n" + QByteArray::number(p.width) + " " + QByteArray::number(p.height) + "\n";
    const std::vector<std::uint8_t> bytes = Pack(p, ByteOrder::Msb);
    out.append(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    return out;
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
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                image.setPixel(x, y, p.At(x, y) ? 1u : 0u);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, format))
        return std::nullopt;
    return bytes;
}

// ---- the hex text -------------------------------------------------------------------

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

}  // namespace detail

using namespace detail;

// ---- the entry points --------------------------------------------------------------

PictureFormat FormatForPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("c") || suffix == QLatin1String("h"))
        return PictureFormat::CArray;
    if (suffix == QLatin1String("xbm"))
        return PictureFormat::Xbm;
    if (suffix == QLatin1String("pbm"))
        return PictureFormat::Pbm;
    if (suffix == QLatin1String("png") || suffix == QLatin1String("bmp"))
        return PictureFormat::Image;
    return PictureFormat::HexText;
}

std::optional<ByteOrder> ByteOrderFromName(const QString& name)
{
    if (name == QLatin1String("msb"))
        return ByteOrder::Msb;
    if (name == QLatin1String("lsb"))
        return ByteOrder::Lsb;
    if (name == QLatin1String("pages"))
        return ByteOrder::Pages;
    return std::nullopt;
}

const char* ByteOrderName(ByteOrder order)
{
    switch (order) {
    case ByteOrder::Msb:
        return "msb";
    case ByteOrder::Lsb:
        return "lsb";
    case ByteOrder::Pages:
        return "pages";
    }
    return "msb";
}

bool IsCIdentifier(const QString& name)
{
    if (name.isEmpty() || name.size() > 200 || IsKeyword(name))
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.unicode() > 127 || !(i == 0 ? IsIdentStart(char(c.unicode())) : IsIdentChar(char(c.unicode()))))
            return false;
    }
    return true;
}

QString CNameFromPath(const QString& path)
{
    QString name = QFileInfo(path).completeBaseName().left(100);
    for (QChar& c : name)
        if (c.unicode() > 127 || !IsIdentChar(char(c.unicode())))
            c = QLatin1Char('_');
    if (name.isEmpty())
        return QStringLiteral("picture");
    if (name.at(0).isDigit() || IsKeyword(name))
        name.prepend(QLatin1Char('_'));
    return name;
}

std::optional<QByteArray> EncodePicture(const MonoPicture& picture, PictureFormat format,
                                        const ExportOptions& options, const QString& path, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (!SizeAllowed(picture.width, picture.height))
        return fail(QStringLiteral("the picture size is out of range"));
    QString name = options.name.isEmpty() ? CNameFromPath(path) : options.name;
    if ((format == PictureFormat::CArray || format == PictureFormat::Xbm) && !IsCIdentifier(name))
        return fail(QStringLiteral("%1 is no C identifier").arg(name));
    switch (format) {
    case PictureFormat::CArray:
        return CArrayText(picture, options.order, name);
    case PictureFormat::Xbm:
        return XbmText(picture, name);
    case PictureFormat::Pbm:
        return PbmData(picture);
    case PictureFormat::Image:
        if (auto image = ImageData(picture, options.deviceColours,
                                   QFileInfo(path).suffix().toLower() == QLatin1String("bmp") ? "BMP" : "PNG"))
            return image;
        return fail(QStringLiteral("Could not encode %1").arg(path));
    case PictureFormat::HexText:
        return HexFileText(picture);
    }
    return std::nullopt;
}

bool WritePictureFile(const QString& path, const MonoPicture& picture, const ExportOptions& options, QString* error)
{
    const std::optional<QByteArray> data = EncodePicture(picture, FormatForPath(path), options, path, error);
    return data && WriteFileAtomically(path, *data, error);
}

}  // namespace tobrin
