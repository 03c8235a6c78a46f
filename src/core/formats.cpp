#include "core/formats.h"

#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "core/formatdetail.h"
#include "core/rle.h"

// What the file formats share: the picture, packing pixels into bytes, and
// C names. Each format is in src/core/formats/.

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

QString SizeRule()
{
    return QStringLiteral("4..%1 x 4..%2").arg(kMaxWidth).arg(kMaxHeight);
}

std::optional<MonoPicture> FromBlackAndWhite(const QImage& image, QPoint* neither)
{
    MonoPicture p = Blank(image.width(), image.height());
    for (int y = 0; y < p.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < p.width; ++x) {
            if (line[x] == 0xFF000000u) {
                p.At(x, y) = 1;
            } else if (line[x] != 0xFFFFFFFFu) {
                *neither = QPoint(x, y);
                return std::nullopt;
            }
        }
    }
    return p;
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

// ---- C names and byte lists ------------------------------------------------------

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

}  // namespace detail

using namespace detail;

// ---- the entry points --------------------------------------------------------------

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

QByteArray PackedBytes(const MonoPicture& picture, ByteOrder order)
{
    const std::vector<std::uint8_t> bytes = Pack(picture, order);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

int PackedRowBytes(int width, ByteOrder order) { return order == ByteOrder::Pages ? width : (width + 7) / 8; }

QByteArray RlePackedFrames(const MonoSet& set, ByteOrder order, bool rows)
{
    QByteArray raw;
    for (const MonoPicture& frame : set.frames)
        raw += PackedBytes(frame, order);
    if (!rows)
        return RleEncode(raw);
    return RleEncodeRows(raw, set.frames.empty() ? 1 : PackedRowBytes(set.frames.front().width, order));
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

}  // namespace tobrin
