#include <QRegularExpression>
#include <map>
#include <string>

#include "core/fonts/fontdetail.h"
#include "core/formatdetail.h"

// A font as C arrays: NAME_bitmaps (every glyph's cell packed in the
// chosen byte order, one after another), NAME_widths (advances),
// NAME_offsets (where each glyph's bytes start) and, for a set of
// characters with gaps, NAME_chars; a contiguous one has NAME_FIRST. The
// reader takes exactly this shape back.

namespace tobrin::fontdetail {

namespace {

void AppendNumbers(QByteArray& out, const std::vector<long>& values)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        out += i % 12 == 0 ? "    " : " ";
        out += QByteArray::number(qlonglong(values[i]));
        out += i + 1 < values.size() ? (i % 12 == 11 ? ",\n" : ",") : "\n";
    }
}

// The few C tokens a font's file holds; directives go into the macros.
class FontLexer {
public:
    explicit FontLexer(const QByteArray& data) : s_(data.constData()), n_(std::size_t(data.size())) {}

    // An identifier, a number (a leading "-" included) or one punctuation
    // character; empty at the end or on a malformed file (Failed()).
    std::string Next();
    bool Failed() const { return failed_; }
    std::map<std::string, long> macros;
    std::string comments;

private:
    const char* s_;
    std::size_t n_;
    std::size_t i_ = 0;
    bool failed_ = false;
};

long Value(const std::string& t, bool* ok)
{
    std::size_t k = t[0] == '-' ? 1 : 0;
    const bool hex = t.size() > k + 2 && t[k] == '0' && (t[k + 1] == 'x' || t[k + 1] == 'X');
    k += hex ? 2 : 0;
    long v = 0;
    *ok = k < t.size();
    for (; k < t.size(); ++k) {
        const char c = char(t[k] | 0x20);
        const int d = t[k] >= '0' && t[k] <= '9' ? t[k] - '0' : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        *ok = *ok && d >= 0;
        v = std::min(v * (hex ? 16 : 10) + std::max(d, 0), 100000000L);
    }
    return t[0] == '-' ? -v : v;
}

std::string FontLexer::Next()
{
    while (i_ < n_ && !failed_) {
        const char c = s_[i_];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i_;
        } else if (c == '/' && i_ + 1 < n_ && s_[i_ + 1] == '*') {
            std::size_t end = i_ + 2;
            while (end + 1 < n_ && !(s_[end] == '*' && s_[end + 1] == '/'))
                ++end;
            if (end + 1 >= n_) {
                failed_ = true;
                break;
            }
            if (comments.size() < 4096)
                comments.append(s_ + i_, std::min<std::size_t>(end - i_, 4096));
            i_ = end + 2;
        } else if (c == '/' && i_ + 1 < n_ && s_[i_ + 1] == '/') {
            while (i_ < n_ && s_[i_] != '\n')
                ++i_;
        } else if (c == '#') {
            std::size_t end = i_;
            while (end < n_ && s_[end] != '\n')
                ++end;
            const QStringList words = QString::fromLatin1(s_ + i_ + 1, int(std::min<std::size_t>(end - i_ - 1, 300)))
                                          .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            i_ = end;
            bool ok = true;
            if (words.size() == 3 && words[0] == QLatin1String("define") && macros.size() < 32)
                macros[words[1].toStdString()] = Value(words[2].toStdString(), &ok);
            else if (!((words.size() == 2 && (words[0] == QLatin1String("define") || words[0] == QLatin1String("ifndef")
                                              || words.join(QLatin1Char(' ')) == QLatin1String("pragma once")))
                       || (words.size() == 1 && words[0] == QLatin1String("endif"))))
                ok = false;
            failed_ = !ok;
        } else {
            std::size_t end = i_ + 1;
            if (detail::IsIdentChar(c) || (c == '-' && i_ + 1 < n_ && detail::IsIdentChar(s_[i_ + 1])))
                while (end < n_ && detail::IsIdentChar(s_[end]) && end - i_ < 256)
                    ++end;
            std::string token(s_ + i_, end - i_);
            i_ = end;
            return token;
        }
    }
    return std::string();
}

// The arrays of the file by name; false when it holds anything else.
bool ReadArrays(FontLexer& lex, std::map<std::string, std::vector<long>>& arrays)
{
    std::string t = lex.Next();
    while (!t.empty()) {
        bool typed = false;
        while (t == "static" || t == "const" || t == "unsigned" || t == "char" || t == "short" || t == "int"
               || t == "long") {
            typed = typed || (t != "static" && t != "const" && t != "unsigned");
            t = lex.Next();
        }
        if (!typed || t.empty() || !detail::IsIdentStart(t[0]) || arrays.count(t) || arrays.size() >= 4)
            return false;
        std::vector<long>& values = arrays[t];
        if (lex.Next() != "[")
            return false;
        for (int k = 0; (t = lex.Next()) != "]"; ++k)
            if (t.empty() || k > 8)
                return false;
        if (lex.Next() != "=" || lex.Next() != "{")
            return false;
        for (t = lex.Next(); t != "}";) {
            bool ok = false;
            const long v = t.empty() ? 0 : Value(t, &ok);
            if (!ok || values.size() >= std::size_t(PixelFont::kMaxGlyphs) * 3600)
                return false;
            values.push_back(v);
            t = lex.Next();
            if (t == ",")
                t = lex.Next();
            else if (t != "}")
                return false;
        }
        if (lex.Next() != ";")
            return false;
        t = lex.Next();
    }
    return !lex.Failed();
}

}  // namespace

QByteArray EncodeFontC(const PixelFont& font, ByteOrder order, const QString& name)
{
    const QByteArray lower = name.toLatin1();
    const QByteArray upper = name.toUpper().toLatin1();
    const std::size_t bytes = detail::PackedSize(font.cellWidth, font.cellHeight, order);
    const int count = int(font.glyphs.size());
    bool contiguous = true;
    for (int i = 1; i < count; ++i)
        contiguous = contiguous && font.glyphs[std::size_t(i)].code == font.glyphs[std::size_t(i - 1)].code + 1;
    QByteArray out;
    out += "/* Tobrin font of " + QByteArray::number(count) + " glyphs in cells of " + QByteArray::number(font.cellWidth) +
           " x " + QByteArray::number(font.cellHeight) + ", byte order: " + ByteOrderName(order) + "\n";
    out += " * (" + QByteArray(detail::OrderDescription(order)) + "; 1 = black).\n";
    out += " * Glyph i is " + upper + "_BYTES bytes from " + lower + "_bitmaps[" + lower + "_offsets[i]], the character " +
           (contiguous ? upper + "_FIRST + i" : lower + "_chars[i]") + ". Its cell's column 0\n";
    out += " * stands at the pen + " + upper + "_LEFT, its row " + upper + "_ASCENT on the baseline; the pen then moves " +
           lower + "_widths[i]. */\n";
    out += "#ifndef " + upper + "_TOBRIN_FONT\n#define " + upper + "_TOBRIN_FONT\n\n";
    const auto define = [&](const char* what, long v) {
        out += "#define " + upper + "_" + what + " " + QByteArray::number(qlonglong(v)) + "\n";
    };
    define("WIDTH", font.cellWidth);
    define("HEIGHT", font.cellHeight);
    define("ASCENT", font.ascent);
    define("LEFT", font.left);
    define("COUNT", count);
    define("BYTES", long(bytes));
    if (contiguous)
        define("FIRST", long(font.glyphs.front().code));
    out += "\nstatic const unsigned char " + lower + "_bitmaps[" + upper + "_COUNT * " + upper + "_BYTES] = {\n";
    std::vector<long> widths, offsets, chars;
    for (int i = 0; i < count; ++i) {
        const Glyph& g = font.glyphs[std::size_t(i)];
        out += "    /* " + AsciiGlyphName(g.code).toLatin1() + " */\n";
        QByteArray row;
        detail::AppendByteList(row, detail::Pack(g.bitmap, order), 16);
        if (i + 1 < count)
            row.chop(1), row += ",\n";  // the next glyph's bytes follow
        out += row;
        widths.push_back(g.advance);
        offsets.push_back(long(bytes) * i);
        chars.push_back(long(g.code));
    }
    out += "};\n\nstatic const unsigned char " + lower + "_widths[" + upper + "_COUNT] = {\n";
    AppendNumbers(out, widths);
    out += "};\n\nstatic const unsigned long " + lower + "_offsets[" + upper + "_COUNT] = {\n";
    AppendNumbers(out, offsets);
    out += "};\n";
    if (!contiguous) {
        out += "\nstatic const unsigned long " + lower + "_chars[" + upper + "_COUNT] = {\n";
        AppendNumbers(out, chars);
        out += "};\n";
    }
    out += "\n#endif\n";
    return out;
}

std::optional<PixelFont> DecodeFontC(const QByteArray& data, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<PixelFont> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    FontLexer lex(data);
    std::map<std::string, std::vector<long>> arrays;
    if (!ReadArrays(lex, arrays))
        return fail(QStringLiteral("no font's C arrays: only NAME_bitmaps, NAME_widths, NAME_offsets and NAME_chars "
                                   "with their #defines are read"));
    std::string name;
    for (const auto& [key, values] : arrays)
        if (key.size() > 8 && key.compare(key.size() - 8, 8, "_bitmaps") == 0)
            name = key.substr(0, key.size() - 8);
    if (name.empty() || !arrays.count(name + "_widths") || !arrays.count(name + "_offsets"))
        return fail(QStringLiteral("a font's C arrays are NAME_bitmaps, NAME_widths and NAME_offsets"));
    const std::string upper = QString::fromStdString(name).toUpper().toStdString();
    const auto macro = [&](const char* what) -> std::optional<long> {
        const auto it = lex.macros.find(upper + "_" + what);
        return it == lex.macros.end() ? std::nullopt : std::optional<long>(it->second);
    };
    const std::optional<long> width = macro("WIDTH"), height = macro("HEIGHT"), ascent = macro("ASCENT"),
                              count = macro("COUNT"), left = macro("LEFT"), first = macro("FIRST");
    if (!width || !height || !ascent || !count)
        return fail(QStringLiteral("a font's C arrays need NAME_WIDTH, NAME_HEIGHT, NAME_ASCENT and NAME_COUNT"));
    if (*width < PixelFont::kMinCell || *width > PixelFont::kMaxCellWidth || *height < PixelFont::kMinCell
        || *height > PixelFont::kMaxCellHeight || *count < 1 || *count > PixelFont::kMaxGlyphs)
        return fail(QStringLiteral("cells of %1 x %2 and %3 glyphs are beyond a font's limits").arg(*width).arg(*height).arg(*count));
    static const QRegularExpression said(QStringLiteral("\\border:\\s*(msb|lsb|pages)\\b"));
    const auto match = said.match(QString::fromLatin1(lex.comments.data(), int(lex.comments.size())));
    const ByteOrder order = match.hasMatch() ? *ByteOrderFromName(match.captured(1)) : ByteOrder::Msb;
    const std::size_t bytes = detail::PackedSize(int(*width), int(*height), order);
    const std::vector<long>& bitmaps = arrays[name + "_bitmaps"];
    const std::vector<long>& widths = arrays[name + "_widths"];
    const std::vector<long>& offsets = arrays[name + "_offsets"];
    const bool mapped = arrays.count(name + "_chars");
    const std::vector<long>& chars = arrays[name + "_chars"];
    const std::size_t n = std::size_t(*count);
    if (widths.size() != n || offsets.size() != n || (mapped && chars.size() != n) || (!mapped && !first))
        return fail(QStringLiteral("%1 glyphs need as many widths, offsets and characters (or NAME_FIRST)").arg(n));
    PixelFont font;
    font.name = QString::fromStdString(name);
    font.cellWidth = int(*width);
    font.cellHeight = int(*height);
    font.ascent = int(std::clamp(*ascent, -1L, *height + 1));
    font.left = int(std::clamp(left.value_or(0), long(kMinLeft) - 1, 1L));
    std::vector<std::uint8_t> cell(bytes);
    for (std::size_t i = 0; i < n; ++i) {
        if (offsets[i] < 0 || std::size_t(offsets[i]) > bitmaps.size() || bitmaps.size() - std::size_t(offsets[i]) < bytes)
            return fail(QStringLiteral("glyph %1's bytes lie outside %2_bitmaps").arg(i).arg(QString::fromStdString(name)));
        for (std::size_t k = 0; k < bytes; ++k) {
            const long v = bitmaps[std::size_t(offsets[i]) + k];
            if (v < 0 || v > 255)
                return fail(QStringLiteral("glyph %1 holds the value %2, not a byte").arg(i).arg(v));
            cell[k] = std::uint8_t(v);
        }
        const long code = mapped ? chars[i] : *first + long(i);
        if (code < 0 || code > 0x10FFFF || widths[i] < 0 || widths[i] > *width)
            return fail(QStringLiteral("glyph %1: character %2 advancing %3 pixels is beyond a font's limits")
                            .arg(i).arg(code).arg(widths[i]));
        Glyph g;
        g.code = char32_t(code);
        g.advance = int(widths[i]);
        g.bitmap = detail::Unpack(cell.data(), font.cellWidth, font.cellHeight, order);
        font.glyphs.push_back(std::move(g));
    }
    QString why;
    if (!Valid(font, &why))
        return fail(why);
    return font;
}

}  // namespace tobrin::fontdetail
