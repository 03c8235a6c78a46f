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

namespace {

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

// ---- C arrays and X11 bitmaps: reading -------------------------------------------

// What a C source holding one byte array declares. The grammar is small and
// strict: comments, the directives #define NAME [NUMBER], #ifndef NAME,
// #endif and #pragma once, and exactly one declaration
//   type-words NAME [ [COUNT] ] = { BYTE, BYTE, ... [,] } ;
// whose type words are static, const, unsigned, char or uint8_t.
struct CSource {
    long width = -1;
    long height = -1;
    bool sawArray = false;
    std::vector<std::uint8_t> bytes;
    std::string comments;
    std::string name;
};

constexpr std::size_t kMaxArrayBytes = std::size_t(kMaxWidth) * ((kMaxHeight + 7) / 8);
static_assert(kMaxArrayBytes >= std::size_t((kMaxWidth + 7) / 8) * kMaxHeight, "largest array");

bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// A number token: decimal without leading zeros, or 0x hex; no suffix.
// -1 when malformed, 1000000 when above that.
long NumberValue(const std::string& t)
{
    long v = 0;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        for (std::size_t i = 2; i < t.size(); ++i) {
            const char c = t[i];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
                d = (c | 0x20) - 'a' + 10;
            else
                return -1;
            v = std::min(v * 16 + d, 1000000L);
        }
        return v;
    }
    if (t.size() > 1 && t[0] == '0')
        return -1;
    for (char c : t) {
        if (c < '0' || c > '9')
            return -1;
        v = std::min(v * 10 + (c - '0'), 1000000L);
    }
    return v;
}

bool EndsWithNoCase(const std::string& s, const char* suffix)
{
    const std::size_t n = std::strlen(suffix);
    if (s.size() <= n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[s.size() - n + i];
        if ((c >= 'A' && c <= 'Z' ? char(c | 0x20) : c) != suffix[i])
            return false;
    }
    return true;
}

bool Directive(const std::string& line, CSource& src)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (i > start)
            words.emplace_back(line, start, i - start);
    }
    const auto isIdent = [](const std::string& w) {
        return !w.empty() && IsIdentStart(w[0]) && std::all_of(w.begin(), w.end(), IsIdentChar);
    };
    if (words.size() == 1 && words[0] == "endif")
        return true;
    if (words.size() == 2 && words[0] == "pragma" && words[1] == "once")
        return true;
    if (words.size() == 2 && words[0] == "ifndef" && isIdent(words[1]))
        return true;
    if (words.empty() || words[0] != "define" || words.size() < 2 || words.size() > 3 || !isIdent(words[1]))
        return false;
    if (words.size() == 2)
        return true;  // an include guard
    const long value = NumberValue(words[2]);
    if (value < 0)
        return false;
    const std::string& name = words[1];
    if (EndsWithNoCase(name, "_width")) {
        if (src.width >= 0)
            return false;
        src.width = value;
    } else if (EndsWithNoCase(name, "_height")) {
        if (src.height >= 0)
            return false;
        src.height = value;
    } else if (!EndsWithNoCase(name, "_x_hot") && !EndsWithNoCase(name, "_y_hot")) {
        return false;
    }
    return true;
}

std::optional<CSource> ParseCSource(const QByteArray& data)
{
    CSource src;
    const char* s = data.constData();
    const std::size_t n = std::size_t(data.size());
    std::size_t i = 0;
    bool lineStart = true;

    // The declaration's tokens, checked as they come.
    enum class St { Type, Name, Open, Count, Close, Equals, Brace, Value, Comma, Semicolon, Done };
    St st = St::Type;
    bool sawCharType = false;
    long declared = -1;

    while (i < n) {
        const char c = s[i];
        if (c == '\n') {
            lineStart = true;
            ++i;
            continue;
        }
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            const char* end = static_cast<const char*>(std::memchr(s + i + 2, '*', n - i - 2));
            while (end && !(std::size_t(end - s) + 1 < n && end[1] == '/'))
                end = static_cast<const char*>(std::memchr(end + 1, '*', n - std::size_t(end - s) - 1));
            if (!end)
                return std::nullopt;
            if (src.comments.size() < 4096)
                src.comments.append(s + i + 2, std::min<std::size_t>(std::size_t(end - s) - i - 2, 4096));
            src.comments += '\n';
            i = std::size_t(end - s) + 2;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            while (i < n && s[i] != '\n')
                ++i;
            continue;
        }
        if (c == '#') {
            if (!lineStart)
                return std::nullopt;
            std::size_t end = i + 1;
            while (end < n && s[end] != '\n')
                ++end;
            if (!Directive(std::string(s + i + 1, end - i - 1), src))
                return std::nullopt;
            i = end;
            continue;
        }
        lineStart = false;

        // A token.
        std::string token;
        if (IsIdentChar(c)) {
            std::size_t end = i;
            while (end < n && IsIdentChar(s[end]))
                ++end;
            token.assign(s + i, end - i);
            i = end;
        } else {
            token.assign(1, c);
            ++i;
        }
        const bool isIdent = IsIdentStart(token[0]);
        const bool isNumber = token[0] >= '0' && token[0] <= '9';

        switch (st) {
        case St::Type:
            if (token == "char" || token == "uint8_t") {
                sawCharType = true;
                break;
            }
            if (token == "static" || token == "const" || token == "unsigned")
                break;
            if (!isIdent || !sawCharType)
                return std::nullopt;
            src.name = token;
            st = St::Open;  // token is the array's name
            break;
        case St::Open:
            if (token != "[")
                return std::nullopt;
            st = St::Count;
            break;
        case St::Count:
            if (token == "]") {
                st = St::Equals;
            } else if (isNumber && (declared = NumberValue(token)) >= 0) {
                st = St::Close;
            } else {
                return std::nullopt;
            }
            break;
        case St::Close:
            if (token != "]")
                return std::nullopt;
            st = St::Equals;
            break;
        case St::Equals:
            if (token != "=")
                return std::nullopt;
            st = St::Brace;
            break;
        case St::Brace:
            if (token != "{")
                return std::nullopt;
            st = St::Value;
            break;
        case St::Value:
            if (token == "}" && !src.bytes.empty()) {
                st = St::Semicolon;
                break;
            }
            if (!isNumber) {
                return std::nullopt;
            } else {
                const long v = NumberValue(token);
                if (v < 0 || v > 255 || src.bytes.size() >= kMaxArrayBytes)
                    return std::nullopt;
                src.bytes.push_back(std::uint8_t(v));
                st = St::Comma;
            }
            break;
        case St::Comma:
            if (token == ",")
                st = St::Value;
            else if (token == "}")
                st = St::Semicolon;
            else
                return std::nullopt;
            break;
        case St::Semicolon:
            if (token != ";")
                return std::nullopt;
            st = St::Done;
            break;
        case St::Name:
        case St::Done:
            return std::nullopt;  // a second declaration or stray text
        }
    }
    if (st != St::Done || src.width < 0 || src.height < 0)
        return std::nullopt;
    if (declared >= 0 && std::size_t(declared) != src.bytes.size())
        return std::nullopt;
    src.sawArray = true;
    return src;
}

// The order a C array is read in: the user's, else its comment's, else msb.
ByteOrder CArrayOrder(const CSource& src, const ReadOptions& options)
{
    if (options.cOrder)
        return *options.cOrder;
    static const QRegularExpression said(QStringLiteral("\\border:\\s*(msb|lsb|pages)\\b"));
    const auto match = said.match(QString::fromLatin1(src.comments.data(), qsizetype(src.comments.size())));
    return match.hasMatch() ? *ByteOrderFromName(match.captured(1)) : ByteOrder::Msb;
}

std::optional<MonoPicture> DecodeCLike(const QByteArray& data, bool xbm, const ReadOptions& options)
{
    const std::optional<CSource> src = ParseCSource(data);
    if (!src || !SizeAllowed(src->width, src->height))
        return std::nullopt;
    const ByteOrder order = xbm ? ByteOrder::Lsb : CArrayOrder(*src, options);
    const int width = int(src->width);
    const int height = int(src->height);
    if (src->bytes.size() != PackedSize(width, height, order))
        return std::nullopt;
    return Unpack(src->bytes.data(), width, height, order);
}

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

std::optional<MonoPicture> DecodePbm(const QByteArray& data)
{
    if (data.size() < 2 || data[0] != 'P' || (data[1] != '1' && data[1] != '4'))
        return std::nullopt;
    const bool plain = data[1] == '1';
    qsizetype i = 2;
    long width = 0;
    long height = 0;
    if (i >= data.size() || !PbmSpace(data[i]))
        return std::nullopt;
    if (!PbmNumber(data, i, width) || !PbmNumber(data, i, height) || !SizeAllowed(width, height))
        return std::nullopt;
    MonoPicture p = Blank(int(width), int(height));
    if (plain) {
        // Each pixel one digit 0 or 1, blanks between them optional.
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                while (i < data.size() && PbmSpace(data[i]))
                    ++i;
                if (i >= data.size() || (data[i] != '0' && data[i] != '1'))
                    return std::nullopt;
                p.At(x, y) = std::uint8_t(data[i++] - '0');
            }
        return p;
    }
    // One blank, then the rows, most significant bit first.
    if (i >= data.size() || !PbmSpace(data[i]))
        return std::nullopt;
    ++i;
    const std::size_t need = PackedSize(p.width, p.height, ByteOrder::Msb);
    if (std::size_t(data.size() - i) < need)
        return std::nullopt;
    // Whatever follows (a further image of a multi-image file) is not read.
    return Unpack(reinterpret_cast<const std::uint8_t*>(data.constData() + i), p.width, p.height, ByteOrder::Msb);
}

// ---- PNG and BMP -------------------------------------------------------------------

std::optional<MonoPicture> DecodeImage(const QByteArray& data)
{
    QByteArray copy = data;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format().toLower();
    if (format != "png" && format != "bmp")
        return std::nullopt;
    const QSize size = reader.size();
    if (!size.isValid() || !SizeAllowed(size.width(), size.height()))
        return std::nullopt;
    const QImage read = reader.read();
    if (read.isNull() || read.size() != size)
        return std::nullopt;
    const QImage image = read.convertToFormat(QImage::Format_ARGB32);
    MonoPicture p = Blank(size.width(), size.height());
    for (int y = 0; y < p.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < p.width; ++x) {
            if (line[x] == 0xFF000000u)
                p.At(x, y) = 1;
            else if (line[x] != 0xFFFFFFFFu)
                return std::nullopt;
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

}  // namespace

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

std::optional<MonoPicture> DecodePicture(const QByteArray& data, PictureFormat format, const ReadOptions& options)
{
    if (qint64(data.size()) > kMaxFileBytes && format != PictureFormat::HexText)
        return std::nullopt;
    switch (format) {
    case PictureFormat::CArray:
        return DecodeCLike(data, false, options);
    case PictureFormat::Xbm:
        return DecodeCLike(data, true, options);
    case PictureFormat::Pbm:
        return DecodePbm(data);
    case PictureFormat::Image:
        return DecodeImage(data);
    case PictureFormat::HexText: {
        QByteArray copy = data;
        QBuffer buffer(&copy);
        if (!buffer.open(QIODevice::ReadOnly))
            return std::nullopt;
        if (const std::optional<HexPicture> hex = ReadHexData(buffer))
            return FromHex(*hex);
        return std::nullopt;
    }
    }
    return std::nullopt;
}

std::optional<ExportOptions> CArrayOptionsOf(const QByteArray& data, const ReadOptions& options)
{
    if (qint64(data.size()) > kMaxFileBytes || !DecodePicture(data, PictureFormat::CArray, options))
        return std::nullopt;
    const std::optional<CSource> src = ParseCSource(data);
    ExportOptions result;
    result.order = CArrayOrder(*src, options);
    result.name = QString::fromLatin1(src->name.data(), qsizetype(src->name.size()));
    if (!IsCIdentifier(result.name))
        result.name.clear();  // uint8_t, a keyword: the file's name is used instead
    return result;
}

std::optional<MonoPicture> ReadPictureFile(const QString& path, const ReadOptions& options)
{
    const PictureFormat format = FormatForPath(path);
    if (format == PictureFormat::HexText) {
        // The hex reader streams a file of any length.
        if (const std::optional<HexPicture> hex = ReadHexPath(path))
            return FromHex(*hex);
        return std::nullopt;
    }
    if (!IsRegularFile(path))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return std::nullopt;
    const QByteArray data = file.read(kMaxFileBytes + 1);
    if (qint64(data.size()) > kMaxFileBytes)
        return std::nullopt;
    std::optional<MonoPicture> picture = DecodePicture(data, format, options);
    if (!picture && format == PictureFormat::CArray) {
        // Hex text has always been saved under .c names too; such a file
        // still opens, as the hex text it is.
        file.close();
        if (const std::optional<HexPicture> hex = ReadHexPath(path))
            return FromHex(*hex);
    }
    return picture;
}

}  // namespace tobrin
