#include "core/formats.h"

#include <QRegularExpression>
#include <algorithm>
#include <string>
#include <vector>

#include "core/formatdetail.h"

// Reading C arrays and X11 bitmaps: the small, strict grammar of the files
// the export writes and of hand-made ones in the same shape. An X11 bitmap
// is read as X11's own reader (XReadBitmapFile) reads it: any name, even
// one that begins with a digit ("8x8_width"), hot spots that may be
// negative, and other #defines passed over.

namespace tobrin {

using namespace detail;

namespace {

// ---- C arrays and X11 bitmaps: reading -------------------------------------------

// What a C source holding one byte array declares. The grammar is small and
// strict: comments, the directives #define NAME [NUMBER], #ifndef NAME,
// #endif and #pragma once, and exactly one declaration
//   type-words NAME [ [COUNT] ] = { BYTE, BYTE, ... [,] } ;
// whose type words are static, const, unsigned, char or uint8_t. X10's
// arrays of shorts are not read.
struct CSource {
    long width = -1;
    long height = -1;
    bool sawArray = false;
    std::vector<std::uint8_t> bytes;
    // Values beyond the largest picture's bytes are counted, not kept, so
    // that a larger bitmap is refused by its size.
    std::size_t uncounted = 0;
    std::size_t Count() const { return bytes.size() + uncounted; }
    std::string comments;
    std::string name;
};

constexpr std::size_t kMaxArrayBytes = std::size_t(kMaxWidth) * ((kMaxHeight + 7) / 8);
static_assert(kMaxArrayBytes >= std::size_t((kMaxWidth + 7) / 8) * kMaxHeight, "largest array");

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

// A number a directive defines; an X11 bitmap's may be negative (hot
// spots; a negative size is refused as no size). nullopt when malformed.
std::optional<long> DefinedValue(const std::string& t, bool xbm)
{
    const bool negative = xbm && t.size() > 1 && t[0] == '-';
    const long v = NumberValue(negative ? t.substr(1) : t);
    if (v < 0)
        return std::nullopt;
    return negative ? -v : v;
}

bool Directive(const std::string& line, CSource& src, bool xbm)
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
    if (words.empty() || words[0] != "define" || words.size() < 2 || words.size() > 3 || !(xbm || isIdent(words[1])))
        return false;
    if (words.size() == 2)
        return true;  // an include guard
    const std::string& name = words[1];
    const bool width = EndsWithNoCase(name, "_width");
    const bool height = EndsWithNoCase(name, "_height");
    const bool hotSpot = EndsWithNoCase(name, "_x_hot") || EndsWithNoCase(name, "_y_hot");
    const std::optional<long> defined = DefinedValue(words[2], xbm);
    if (!defined)
        return xbm && !width && !height;  // X11 passes over other definitions
    const long value = *defined;
    if (width) {
        if (src.width >= 0)
            return false;
        src.width = value;
    } else if (height) {
        if (src.height >= 0)
            return false;
        src.height = value;
    } else if (!hotSpot && !xbm) {
        return false;
    }
    return true;
}

std::optional<CSource> ParseCSource(const QByteArray& data, bool xbm)
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
            if (!Directive(std::string(s + i + 1, end - i - 1), src, xbm))
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
            if (!(isIdent || (xbm && isNumber)) || !sawCharType)
                return std::nullopt;  // an X11 name may begin with a digit
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
                if (v < 0 || v > 255)
                    return std::nullopt;
                if (src.bytes.size() < kMaxArrayBytes)
                    src.bytes.push_back(std::uint8_t(v));
                else
                    ++src.uncounted;
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
    if (declared >= 0 && std::size_t(declared) != src.Count())
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

}  // namespace

namespace detail {

std::optional<MonoPicture> DecodeCLike(const QByteArray& data, bool xbm, const ReadOptions& options, QString* why)
{
    const auto fail = [why](const QString& text) -> std::optional<MonoPicture> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    const std::optional<CSource> src = ParseCSource(data, xbm);
    if (!src)
        return fail(xbm ? QStringLiteral("not an X11 bitmap of a picture (NAME_width, NAME_height and one byte array)")
                        : QStringLiteral("not a C array of a picture (NAME_WIDTH, NAME_HEIGHT and one byte array)"));
    if (!SizeAllowed(src->width, src->height))
        return fail(QStringLiteral("size %1 x %2 is outside %3").arg(src->width).arg(src->height).arg(SizeRule()));
    const ByteOrder order = xbm ? ByteOrder::Lsb : CArrayOrder(*src, options);
    const int width = int(src->width);
    const int height = int(src->height);
    const std::size_t need = PackedSize(width, height, order);
    if (src->Count() != need)
        return fail(QStringLiteral("the array holds %1 bytes; %2 x %3 in %4 order needs %5")
                        .arg(src->Count())
                        .arg(width)
                        .arg(height)
                        .arg(QLatin1String(ByteOrderName(order)))
                        .arg(need));
    return Unpack(src->bytes.data(), width, height, order);
}

}  // namespace detail

std::optional<ExportOptions> CArrayOptionsOf(const QByteArray& data, const ReadOptions& options)
{
    if (qint64(data.size()) <= kMaxFileBytes && IsRleCArray(data))
        return RleCArrayOptionsOf(data, options);
    if (qint64(data.size()) > kMaxFileBytes || !DecodeCLike(data, false, options, nullptr))
        return std::nullopt;
    const std::optional<CSource> src = ParseCSource(data, false);
    ExportOptions result;
    result.order = CArrayOrder(*src, options);
    result.name = QString::fromLatin1(src->name.data(), qsizetype(src->name.size()));
    if (!IsCIdentifier(result.name))
        result.name.clear();  // uint8_t, a keyword: the file's name is used instead
    return result;
}

}  // namespace tobrin
