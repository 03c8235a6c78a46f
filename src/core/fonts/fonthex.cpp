#include <map>
#include <string>
#include <string_view>

#include "core/fonts/fontdetail.h"
#include "core/hexwriter.h"

// A font's hex text (docs/font-format.md): the glyphs as a set's labelled
// pictures, then its tables, each on a line that begins with its label
// ("font_widths: .db 5,5,..."), which the set reader passes over as text
// after the last picture's rows. So the same file opens as a set of frames.

namespace tobrin {

namespace {

using namespace fontdetail;

constexpr int kPerLine = 16;

const char* const kTables[] = {"widths", "first", "chars", "baseline", "left"};

// The cell alone: leftover bits right of it are no part of a glyph.
std::string PictureText(const MonoPicture& glyph)
{
    MonoPicture p;
    p.width = glyph.width;
    p.height = glyph.height;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.At(x, y) = glyph.At(x, y);
    PictureData d;
    p.ToPlane(d.PicData.data());
    d.MaxX = p.width - 1;
    d.MaxY = p.height - 1;
    return HexText(d);
}

// "label_name: .db " and the values, kPerLine a line, later lines ".db ".
std::string Table(const std::string& label, const char* table, const char* directive, const std::vector<long>& values)
{
    std::string out = label + "_" + table + ": " + directive + " ";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += i % kPerLine == 0 ? std::string("\r\n") + directive + " " : std::string(",");
        out += std::to_string(values[i]);
    }
    return out + "\r\n";
}

struct Tables {
    std::string label;
    std::map<std::string, std::vector<long>> values;  // by table name
    std::map<std::string, int> lines;
};

// "-12", "34", "$1f" or "0x1F", separated by commas and blanks, up to a
// ";" comment.
bool Values(std::string_view text, std::vector<long>& into, QString* why)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] != ';') {
        if (text[i] == ',' || text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && text[i] != ',' && text[i] != ' ' && text[i] != '\t' && text[i] != ';')
            ++i;
        std::string_view word = text.substr(start, i - start);
        const bool negative = word[0] == '-';
        if (negative)
            word.remove_prefix(1);
        int base = 10;
        if (!word.empty() && word[0] == '$')
            word.remove_prefix(1), base = 16;
        else if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X'))
            word.remove_prefix(2), base = 16;
        long v = 0;
        bool ok = !word.empty();
        for (char c : word) {
            const int d = c >= '0' && c <= '9' ? c - '0'
                : base == 16 && (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : -1;
            ok = ok && d >= 0;
            v = std::min(v * base + std::max(d, 0), 0x7FFFFFFFL);
        }
        if (!ok) {
            *why = QStringLiteral("\"%1\" is no number")
                       .arg(QString::fromLatin1(text.data() + start, int(std::min<std::size_t>(i - start, 20))));
            return false;
        }
        if (into.size() >= std::size_t(PixelFont::kMaxGlyphs)) {
            *why = QStringLiteral("more than %1 values").arg(PixelFont::kMaxGlyphs);
            return false;
        }
        into.push_back(negative ? -v : v);
    }
    return true;
}

// "label_widths: .db" and the like: the table's name and where its values
// start; nullopt for any other line.
std::optional<std::pair<std::string, std::size_t>> TableLine(std::string_view line, std::string* label)
{
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon > 300)
        return std::nullopt;
    const std::string_view head = line.substr(0, colon);
    for (const char* table : kTables) {
        const std::string suffix = std::string("_") + table;
        if (head.size() <= suffix.size() || head.substr(head.size() - suffix.size()) != suffix)
            continue;
        const std::string_view name = head.substr(0, head.size() - suffix.size());
        if (!IsCIdentifier(QString::fromLatin1(name.data(), int(name.size()))))
            return std::nullopt;
        std::size_t i = colon + 1;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::string_view rest = line.substr(i);
        if (rest.size() < 3 || (rest.substr(0, 3) != ".db" && rest.substr(0, 3) != ".dw" && rest.substr(0, 3) != ".dd"))
            return std::nullopt;
        *label = std::string(name);
        return std::make_pair(std::string(table), i + 3);
    }
    return std::nullopt;
}

// The tables of a font's text; false with *why when one is damaged.
bool ReadTables(const QByteArray& data, Tables& t, QString* why)
{
    const char* s = data.constData();
    const qsizetype n = data.size();
    std::string open;  // the table whose ".db" lines may continue
    int lineNumber = 0;
    for (qsizetype at = 0; at < n;) {
        qsizetype end = at;
        while (end < n && s[end] != '\r')
            ++end;
        ++lineNumber;
        const std::string_view line(s + at, std::size_t(end - at));
        at = end + (end + 1 < n && s[end + 1] == '\n' ? 2 : 1);
        std::string label;
        QString bad;
        if (const auto table = TableLine(line, &label)) {
            if (!t.label.empty() && label != t.label) {
                *why = QStringLiteral("line %1: the table %2_%3 is not under the label %4")
                           .arg(lineNumber).arg(QString::fromStdString(label), QString::fromStdString(table->first),
                                                QString::fromStdString(t.label));
                return false;
            }
            if (t.values.count(table->first)) {
                *why = QStringLiteral("line %1: a second %2 table").arg(lineNumber).arg(QString::fromStdString(table->first));
                return false;
            }
            t.label = label;
            open = table->first;
            t.lines[open] = lineNumber;
            if (!Values(line.substr(table->second), t.values[open], &bad)) {
                *why = QStringLiteral("line %1: %2").arg(lineNumber).arg(bad);
                return false;
            }
        } else if (!open.empty() && line.size() >= 3 && line.substr(0, 2) == ".d") {
            if (!Values(line.substr(3), t.values[open], &bad)) {
                *why = QStringLiteral("line %1: %2").arg(lineNumber).arg(bad);
                return false;
            }
        } else {
            open.clear();
        }
    }
    return true;
}

}  // namespace

namespace fontdetail {

QByteArray EncodeFontHex(const PixelFont& font, const QString& label)
{
    const QString text = FontHexText(font, label) + QStringLiteral("\r\n");
    return text.toUtf8();
}

std::optional<PixelFont> DecodeFontHex(const QByteArray& data, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<PixelFont> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    Tables t;
    QString why;
    if (!ReadTables(data, t, &why))
        return fail(why);
    if (!t.values.count("widths") || (!t.values.count("first") && !t.values.count("chars")))
        return fail(QStringLiteral("no font: a font's text has a LABEL_widths table and a LABEL_first or "
                                   "LABEL_chars map (docs/font-format.md)"));
    if (t.values.count("first") && t.values.count("chars"))
        return fail(QStringLiteral("line %1: both LABEL_first and LABEL_chars").arg(t.lines["chars"]));
    if (!t.values.count("baseline"))
        return fail(QStringLiteral("no LABEL_baseline line"));
    const std::optional<MonoSet> set = NativeFormat().decodeSet(data, ReadOptions(), &why);
    if (!set)
        return fail(why);
    const std::size_t count = set->frames.size();
    const auto single = [&](const char* table, long lo, long hi, long fallback, long* out) {
        const auto it = t.values.find(table);
        if (it == t.values.end()) {
            *out = fallback;
            return true;
        }
        if (it->second.size() != 1 || it->second[0] < lo || it->second[0] > hi) {
            why = QStringLiteral("line %1: %2 takes one value within %3..%4")
                      .arg(t.lines[table]).arg(QLatin1String(table)).arg(lo).arg(hi);
            return false;
        }
        *out = it->second[0];
        return true;
    };
    PixelFont font;
    font.name = QString::fromStdString(t.label);
    font.cellWidth = set->frames.front().width;
    font.cellHeight = set->frames.front().height;
    long baseline = 0, left = 0, first = 0;
    if (!single("baseline", 0, font.cellHeight, 0, &baseline) || !single("left", kMinLeft, 0, 0, &left)
        || !single("first", 0, 0x10FFFF - long(count) + 1, 0, &first))
        return fail(why);
    font.ascent = int(baseline);
    font.left = int(left);
    const std::vector<long>& widths = t.values["widths"];
    if (widths.size() != count)
        return fail(QStringLiteral("line %1: %2 widths for %3 glyphs").arg(t.lines["widths"]).arg(widths.size()).arg(count));
    const bool mapped = t.values.count("chars");
    const std::vector<long>& chars = t.values["chars"];
    if (mapped && chars.size() != count)
        return fail(QStringLiteral("line %1: %2 characters for %3 glyphs").arg(t.lines["chars"]).arg(chars.size()).arg(count));
    for (std::size_t i = 0; i < count; ++i) {
        Glyph g;
        g.code = char32_t(mapped ? chars[i] : first + long(i));
        if (mapped && (chars[i] < 0 || chars[i] > 0x10FFFF || (i > 0 && chars[i] <= chars[i - 1])))
            return fail(QStringLiteral("line %1: the characters are not ascending code points (at %2)")
                            .arg(t.lines["chars"]).arg(chars[i]));
        if (widths[i] < 0 || widths[i] > font.cellWidth)
            return fail(QStringLiteral("line %1: %2 advances %3 pixels in a cell %4 wide")
                            .arg(t.lines["widths"]).arg(GlyphName(g.code)).arg(widths[i]).arg(font.cellWidth));
        g.advance = int(widths[i]);
        // Only the cell: the set reader keeps bits right of the width.
        g.bitmap.width = font.cellWidth;
        g.bitmap.height = font.cellHeight;
        const MonoPicture& frame = set->frames[i];
        for (int y = 0; y < font.cellHeight; ++y)
            for (int x = 0; x < font.cellWidth; ++x)
                g.bitmap.At(x, y) = frame.At(x, y);
        font.glyphs.push_back(std::move(g));
    }
    if (!Valid(font, &why))
        return fail(why);
    return font;
}

}  // namespace fontdetail

QString FontHexText(const PixelFont& font, const QString& label)
{
    const std::string name = label.toStdString();
    QString family = font.name;
    for (QChar& c : family)
        if (c.unicode() < 0x20 || c == QChar(0x7F))
            c = QLatin1Char(' ');
    std::string text = "; Tobrin font \"" + family.toStdString() + "\": " + std::to_string(font.glyphs.size()) +
                       " glyphs in cells of " + std::to_string(font.cellWidth) + " x " +
                       std::to_string(font.cellHeight) + " (docs/font-format.md)\r\n";
    std::vector<long> widths, chars;
    bool contiguous = true;
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        const Glyph& g = font.glyphs[i];
        text += name + "_" + std::to_string(i) + ": ; " + GlyphName(g.code).toStdString() + "\r\n";
        text += PictureText(g.bitmap) + "\r\n";
        widths.push_back(g.advance);
        chars.push_back(long(g.code));
        contiguous = contiguous && (i == 0 || g.code == font.glyphs[i - 1].code + 1);
    }
    text += Table(name, "widths", ".db", widths);
    const bool wide = !chars.empty() && chars.back() > 0xFFFF;
    if (contiguous && !chars.empty())
        text += Table(name, "first", wide ? ".dd" : ".dw", {chars.front()});
    else
        text += Table(name, "chars", wide ? ".dd" : ".dw", chars);
    text += Table(name, "baseline", ".db", {long(font.ascent)});
    text += name + "_left: .db " + std::to_string(font.left);  // Save adds the last line end
    return QString::fromStdString(text);
}

bool IsFontHexText(const QByteArray& data)
{
    Tables t;
    QString why;
    return ReadTables(data, t, &why) && t.values.count("widths")
        && (t.values.count("first") || t.values.count("chars"));
}

}  // namespace tobrin
