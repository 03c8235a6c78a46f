#include <QHash>
#include <algorithm>
#include <string_view>

#include "core/fonts/fontdetail.h"

// Reading X11's BDF 2.1. Glyphs, advances and the baseline are kept as the
// file has them: the cell's rows are FONT_ASCENT + FONT_DESCENT (the font's
// bounding box without them), its column 0 stands at the pen plus the
// leftmost BBX offset (0 at most), and it is as wide as the glyphs' boxes
// and advances reach. A pixel above the ascent or below the descent grows
// the cell to hold it rather than being lost (the baseline stays). Anything
// damaged (cut short, bad hex, a bitmap shorter than its box) or beyond the
// limits is refused whole; every number is bounded before anything is made
// from it, so a hostile file never allocates more than its own size.

namespace tobrin {

namespace {

constexpr long kMaxOffset = 1000;

struct BdfGlyph {
    char32_t code = 0;
    int line = 0;
    int advance = 0;
    int w = 0, h = 0, xoff = 0, yoff = 0;
    std::vector<std::uint8_t> bits;  // w x h, row by row from the top
};

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    for (std::size_t i = 0; i < line.size() && words.size() < 8;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A decimal integer within lo..hi.
bool Integer(std::string_view word, long lo, long hi, long* value)
{
    std::size_t i = 0;
    const bool negative = !word.empty() && word[0] == '-';
    if (negative || (!word.empty() && word[0] == '+'))
        ++i;
    if (i == word.size())
        return false;
    long v = 0;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9')
            return false;
        v = std::min(v * 10 + (word[i] - '0'), 100000000L);
    }
    v = negative ? -v : v;
    if (v < lo || v > hi)
        return false;
    *value = v;
    return true;
}

int Hex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

class BdfReader {
public:
    BdfReader(const QByteArray& data, const std::vector<char32_t>* only) : data_(data), only_(only) {}
    std::optional<PixelFont> Read(QString* error);

private:
    bool NextLine();
    bool Fail(const QString& why)
    {
        error_ = QStringLiteral("line %1: %2").arg(line_).arg(why);
        return false;
    }
    // The numbers after the keyword, each within lo..hi.
    bool Numbers(const std::vector<std::string_view>& words, std::size_t count, long lo, long hi, long* out);
    bool Header();
    bool Property(std::string_view text);
    bool Glyph(bool* more);
    bool Bitmap(BdfGlyph& g);
    std::optional<PixelFont> Assemble();

    const QByteArray& data_;
    const std::vector<char32_t>* only_;
    std::size_t at_ = 0;
    int line_ = 0;
    std::string_view text_;
    QString error_;

    QString name_;
    bool haveBox_ = false;
    long box_[4] = {};
    std::optional<long> ascent_, descent_;
    std::optional<long> fontAdvance_;
    long declared_ = 0;
    long seen_ = 0;
    std::vector<BdfGlyph> glyphs_;
};

bool BdfReader::NextLine()
{
    const char* s = data_.constData();
    const std::size_t n = std::size_t(data_.size());
    if (at_ >= n)
        return false;
    std::size_t end = at_;
    while (end < n && s[end] != '\n')
        ++end;
    std::size_t stop = end;
    while (stop > at_ && (s[stop - 1] == '\r' || s[stop - 1] == ' ' || s[stop - 1] == '\t'))
        --stop;
    text_ = std::string_view(s + at_, stop - at_);
    at_ = end + 1;
    ++line_;
    return true;
}

bool BdfReader::Numbers(const std::vector<std::string_view>& words, std::size_t count, long lo, long hi, long* out)
{
    if (words.size() < count + 1)
        return Fail(QStringLiteral("%1 needs %2 numbers").arg(QString::fromLatin1(words[0].data(), int(words[0].size()))).arg(count));
    for (std::size_t k = 0; k < count; ++k)
        if (!Integer(words[k + 1], lo, hi, &out[k]))
            return Fail(QStringLiteral("\"%1\" is no number within %2..%3")
                            .arg(QString::fromLatin1(words[k + 1].data(), int(std::min<std::size_t>(words[k + 1].size(), 20))))
                            .arg(lo)
                            .arg(hi));
    return true;
}

bool BdfReader::Property(std::string_view text)
{
    const std::vector<std::string_view> words = Words(text);
    if (words.empty())
        return true;
    long value = 0;
    if (words[0] == "FONT_ASCENT" || words[0] == "FONT_DESCENT") {
        if (!Numbers(words, 1, -kMaxOffset, kMaxOffset, &value))
            return false;
        (words[0] == "FONT_ASCENT" ? ascent_ : descent_) = value;
    } else if (words[0] == "FAMILY_NAME") {
        std::string_view rest = text.substr(text.find("FAMILY_NAME") + 11);
        const std::size_t open = rest.find('"');
        const std::size_t close = rest.rfind('"');
        if (open != std::string_view::npos && close > open)
            name_ = QString::fromUtf8(rest.data() + open + 1, int(close - open - 1)).replace(QLatin1String("\"\""), QLatin1String("\""));
    }
    return true;
}

bool BdfReader::Header()
{
    if (!NextLine() || Words(text_).empty() || Words(text_)[0] != "STARTFONT")
        return Fail(QStringLiteral("no BDF font (it begins with STARTFONT)"));
    while (NextLine()) {
        const std::vector<std::string_view> words = Words(text_);
        if (words.empty() || words[0] == "COMMENT")
            continue;
        if (words[0] == "FONTBOUNDINGBOX") {
            if (!Numbers(words, 4, -kMaxOffset, kMaxOffset, box_))
                return false;
            haveBox_ = true;
        } else if (words[0] == "FONT" && name_.isEmpty() && words.size() > 1) {
            name_ = QString::fromUtf8(words[1].data(), int(words[1].size()));
        } else if (words[0] == "DWIDTH") {
            long d[2];
            if (!Numbers(words, 2, -kMaxOffset, kMaxOffset, d))
                return false;
            fontAdvance_ = d[0];
        } else if (words[0] == "STARTPROPERTIES") {
            for (;;) {
                if (!NextLine())
                    return Fail(QStringLiteral("the file ends before ENDPROPERTIES"));
                if (text_ == "ENDPROPERTIES")
                    break;
                if (!Property(text_))
                    return false;
            }
        } else if (words[0] == "CHARS") {
            if (!Numbers(words, 1, 0, 10000000, &declared_))
                return false;
            if (!haveBox_)
                return Fail(QStringLiteral("no FONTBOUNDINGBOX before CHARS"));
            return true;
        } else if (words[0] == "STARTCHAR" || words[0] == "ENDFONT") {
            return Fail(QStringLiteral("no CHARS line before the glyphs"));
        }
    }
    return Fail(QStringLiteral("the file ends before its glyphs"));
}

bool BdfReader::Bitmap(BdfGlyph& g)
{
    const std::size_t digits = std::size_t((g.w + 7) / 8) * 2;
    std::vector<std::uint8_t> bits(std::size_t(g.w) * std::size_t(g.h));
    for (int row = 0; row < g.h; ++row) {
        if (!NextLine())
            return Fail(QStringLiteral("the file ends inside a bitmap"));
        if (text_ == "ENDCHAR")
            return Fail(QStringLiteral("the bitmap has %1 rows; its BBX says %2").arg(row).arg(g.h));
        if (text_.size() < digits || text_.size() % 2 != 0)
            return Fail(QStringLiteral("bitmap row %1 has %2 hex digits; BBX %3 wide needs %4")
                            .arg(row).arg(text_.size()).arg(g.w).arg(digits));
        for (std::size_t k = 0; k < text_.size(); ++k)
            if (Hex(text_[k]) < 0)
                return Fail(QStringLiteral("bitmap row %1 holds '%2', no hex digit").arg(row).arg(QLatin1Char(text_[k])));
        for (int x = 0; x < g.w; ++x)
            bits[std::size_t(row * g.w + x)] = std::uint8_t((Hex(text_[std::size_t(x / 4)]) >> (3 - x % 4)) & 1);
    }
    if (!NextLine() || text_ != "ENDCHAR")
        return Fail(QStringLiteral("more bitmap rows than BBX's %1, or no ENDCHAR").arg(g.h));
    g.bits = std::move(bits);
    return true;
}

bool BdfReader::Glyph(bool* more)
{
    *more = false;
    while (NextLine()) {
        const std::vector<std::string_view> words = Words(text_);
        if (words.empty() || words[0] == "COMMENT")
            continue;
        if (words[0] == "ENDFONT") {
            *more = false;
            if (seen_ != declared_)
                return Fail(QStringLiteral("CHARS says %1 glyphs; the file holds %2").arg(declared_).arg(seen_));
            return true;
        }
        if (words[0] != "STARTCHAR")
            return Fail(QStringLiteral("%1 where STARTCHAR or ENDFONT belongs")
                            .arg(QString::fromLatin1(words[0].data(), int(std::min<std::size_t>(words[0].size(), 20)))));
        *more = true;
        ++seen_;
        BdfGlyph g;
        g.line = line_;
        long encoding = -2;
        bool haveBox = false, haveAdvance = fontAdvance_.has_value();
        g.advance = int(fontAdvance_.value_or(0));
        for (;;) {
            if (!NextLine())
                return Fail(QStringLiteral("the file ends inside a glyph"));
            const std::vector<std::string_view> w = Words(text_);
            if (w.empty() || w[0] == "COMMENT" || w[0] == "SWIDTH" || w[0] == "SWIDTH1" || w[0] == "DWIDTH1"
                || w[0] == "VVECTOR")
                continue;
            long v[4];
            if (w[0] == "ENCODING") {
                if (!Numbers(w, 1, -1, 0x7FFFFFFF, v))
                    return false;
                if (v[0] > 0x10FFFF)
                    return Fail(QStringLiteral("ENCODING %1 is beyond U+10FFFF").arg(v[0]));
                encoding = v[0];
            } else if (w[0] == "DWIDTH") {
                if (!Numbers(w, 2, -kMaxOffset, kMaxOffset, v))
                    return false;
                if (v[0] < 0 || v[0] > PixelFont::kMaxCellWidth)
                    return Fail(QStringLiteral("an advance of %1 pixels; a glyph advances 0..%2")
                                    .arg(v[0]).arg(PixelFont::kMaxCellWidth));
                g.advance = int(v[0]);
                haveAdvance = true;
            } else if (w[0] == "BBX") {
                if (!Numbers(w, 4, -kMaxOffset, kMaxOffset, v))
                    return false;
                if (v[0] < 0 || v[1] < 0)
                    return Fail(QStringLiteral("a box of %1 x %2 pixels").arg(v[0]).arg(v[1]));
                if (v[0] > PixelFont::kMaxCellWidth)
                    return Fail(QStringLiteral("a glyph %1 pixels wide; a glyph wider than %2 does not fit")
                                    .arg(v[0]).arg(PixelFont::kMaxCellWidth));
                if (v[1] > PixelFont::kMaxCellHeight)
                    return Fail(QStringLiteral("a glyph %1 pixels high; a glyph higher than %2 does not fit")
                                    .arg(v[1]).arg(PixelFont::kMaxCellHeight));
                g.w = int(v[0]), g.h = int(v[1]), g.xoff = int(v[2]), g.yoff = int(v[3]);
                haveBox = true;
            } else if (w[0] == "BITMAP") {
                if (encoding == -2 || !haveBox || !haveAdvance)
                    return Fail(QStringLiteral("BITMAP before the glyph's ENCODING, DWIDTH and BBX"));
                if (!Bitmap(g))
                    return false;
                break;
            } else {
                return Fail(QStringLiteral("%1 inside a glyph")
                                .arg(QString::fromLatin1(w[0].data(), int(std::min<std::size_t>(w[0].size(), 20)))));
            }
        }
        if (encoding < 0)
            continue;  // no character: only the font's own table reaches it
        g.code = char32_t(encoding);
        if (only_ && !std::binary_search(only_->begin(), only_->end(), g.code))
            continue;
        if (int(glyphs_.size()) == PixelFont::kMaxGlyphs)
            return Fail(QStringLiteral("more than %1 glyphs; a font holds at most %1").arg(PixelFont::kMaxGlyphs));
        glyphs_.push_back(std::move(g));
        return true;
    }
    return Fail(QStringLiteral("the file ends before ENDFONT"));
}

std::optional<PixelFont> BdfReader::Assemble()
{
    const auto fail = [this](const QString& why) {
        error_ = why;
        return std::nullopt;
    };
    if (glyphs_.empty())
        return fail(only_ ? QStringLiteral("the font has none of the characters asked for")
                          : QStringLiteral("the font has no glyphs"));
    std::stable_sort(glyphs_.begin(), glyphs_.end(), [](const BdfGlyph& a, const BdfGlyph& b) { return a.code < b.code; });
    for (std::size_t i = 1; i < glyphs_.size(); ++i)
        if (glyphs_[i].code == glyphs_[i - 1].code) {
            line_ = glyphs_[i].line;
            Fail(QStringLiteral("a second glyph for ENCODING %1 (%2)").arg(uint(glyphs_[i].code)).arg(GlyphName(glyphs_[i].code)));
            return std::nullopt;
        }
    long top = ascent_.value_or(box_[1] + box_[3]);
    long bottom = descent_ ? -*descent_ : box_[3];
    long left = 0, right = 0;
    const BdfGlyph* widest = &glyphs_.front();
    for (const BdfGlyph& g : glyphs_) {
        for (int r = 0; r < g.h; ++r)
            for (int x = 0; x < g.w; ++x)
                if (g.bits[std::size_t(r * g.w + x)]) {
                    top = std::max(top, long(g.yoff + g.h - r));
                    bottom = std::min(bottom, long(g.yoff + g.h - r - 1));
                }
        const bool inked = g.w > 0 && g.h > 0;
        if (inked && g.xoff < left)
            left = g.xoff;
        if (std::max(inked ? g.xoff + g.w : 0, g.advance) > right) {
            right = std::max(inked ? g.xoff + g.w : 0, g.advance);
            widest = &g;
        }
    }
    top = std::max(top, 0L);
    bottom = std::min(bottom, 0L);
    if (top - bottom < PixelFont::kMinCell)
        bottom = top - PixelFont::kMinCell;
    if (top - bottom > PixelFont::kMaxCellHeight)
        return fail(QStringLiteral("the glyphs reach %1 pixels above the baseline and %2 below; a font higher than %3 "
                                   "does not fit")
                        .arg(top).arg(-bottom).arg(PixelFont::kMaxCellHeight));
    if (right - left > PixelFont::kMaxCellWidth)
        return fail(QStringLiteral("the glyphs span %1 pixels from the leftmost to %2's right edge; a glyph wider "
                                   "than %3 does not fit")
                        .arg(right - left).arg(GlyphName(widest->code)).arg(PixelFont::kMaxCellWidth));
    PixelFont font;
    font.name = name_;
    font.cellWidth = int(std::max<long>(PixelFont::kMinCell, right - left));
    font.cellHeight = int(top - bottom);
    font.ascent = int(top);
    font.left = int(left);
    font.glyphs.reserve(glyphs_.size());
    for (const BdfGlyph& g : glyphs_) {
        tobrin::Glyph out;
        out.code = g.code;
        out.advance = g.advance;
        out.bitmap.width = font.cellWidth;
        out.bitmap.height = font.cellHeight;
        const int row0 = int(top) - g.yoff - g.h;
        for (int r = 0; r < g.h; ++r)
            for (int x = 0; x < g.w; ++x)
                if (g.bits[std::size_t(r * g.w + x)])
                    out.bitmap.At(g.xoff - font.left + x, row0 + r) = 1;
        font.glyphs.push_back(std::move(out));
    }
    QString why;
    if (!fontdetail::Valid(font, &why))
        return fail(why);
    return font;
}

std::optional<PixelFont> BdfReader::Read(QString* error)
{
    std::optional<PixelFont> font;
    if (Header()) {
        bool more = true;
        while (more && Glyph(&more)) {
        }
        if (error_.isEmpty())
            font = Assemble();
    }
    if (!font && error)
        *error = error_;
    return font;
}

}  // namespace

std::optional<PixelFont> DecodeBdf(const QByteArray& data, QString* error)
{
    return BdfReader(data, nullptr).Read(error);
}

std::optional<PixelFont> DecodeBdfChars(const QByteArray& data, const std::vector<char32_t>& only, QString* error)
{
    std::vector<char32_t> sorted = only;
    std::sort(sorted.begin(), sorted.end());
    return BdfReader(data, &sorted).Read(error);
}

}  // namespace tobrin
