#include "core/formats.h"

#include <QRegularExpression>
#include <cstring>
#include <map>
#include <string>

#include "core/formatdetail.h"
#include "core/rle.h"

// Reading a C array set: NAME[FRAMES][BYTES] with NAME_WIDTH, NAME_HEIGHT
// and NAME_FRAMES, and the delays in NAME_delays[] when the file has them.
// The grammar is as small and strict as the single array's: comments, the
// directives #define NAME [NUMBER], #ifndef, #endif and #pragma once, the
// frames' declaration and at most one delay table. A file holding a single
// array is read by the single array's reader, as a set of one. A file that
// defines NAME_RAW_SIZE is run-length compressed (docs/rle.md): one byte
// array NAME[NAME_SIZE] of every frame's bytes, read by this reader alone,
// whether it holds one frame or many.

namespace tobrin {

using namespace detail;

namespace {

struct Token {
    enum Kind { End, Ident, Number, Punct } kind = End;
    std::string text;
};

class CLexer {
public:
    explicit CLexer(const QByteArray& data) : s_(data.constData()), n_(std::size_t(data.size())) {}

    // The next token; directives are taken into the macros as they pass.
    Token Next();
    bool Failed() const { return failed_; }
    const std::map<std::string, long>& Macros() const { return macros_; }
    const std::string& Comments() const { return comments_; }

private:
    bool Directive(const std::string& line);

    const char* s_;
    std::size_t n_;
    std::size_t i_ = 0;
    bool lineStart_ = true;
    bool failed_ = false;
    std::map<std::string, long> macros_;
    std::string comments_;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// Decimal without leading zeros or 0x hex, no suffix; -1 when malformed,
// capped at 10^6.
long Number(const std::string& t)
{
    const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
    if (!hex && t.size() > 1 && t[0] == '0')
        return -1;
    long v = 0;
    for (std::size_t k = hex ? 2 : 0; k < t.size(); ++k) {
        const char c = char(t[k] | 0x20);
        int d;
        if (t[k] >= '0' && t[k] <= '9')
            d = t[k] - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return -1;
        v = std::min(v * (hex ? 16 : 10) + d, 1000000L);
    }
    return v;
}

bool CLexer::Directive(const std::string& line)
{
    std::vector<std::string> words;
    for (std::size_t k = 0; k < line.size();) {
        while (k < line.size() && IsSpace(line[k]))
            ++k;
        const std::size_t start = k;
        while (k < line.size() && !IsSpace(line[k]))
            ++k;
        if (k > start)
            words.emplace_back(line, start, k - start);
    }
    if (words.size() == 1 && words[0] == "endif")
        return true;
    if (words.size() == 2 && (words[0] == "ifndef" || (words[0] == "pragma" && words[1] == "once")))
        return true;
    if (words.size() < 2 || words.size() > 3 || words[0] != "define" || macros_.size() >= 16)
        return false;
    if (words.size() == 2)
        return true;  // an include guard
    const long value = Number(words[2]);
    return value >= 0 && macros_.emplace(words[1], value).second;
}

Token CLexer::Next()
{
    while (i_ < n_ && !failed_) {
        const char c = s_[i_];
        if (c == '\n') {
            lineStart_ = true;
            ++i_;
        } else if (IsSpace(c)) {
            ++i_;
        } else if (c == '/' && i_ + 1 < n_ && s_[i_ + 1] == '*') {
            const char* end = nullptr;
            for (std::size_t k = i_ + 2; k + 1 < n_ && !end; ++k)
                if (s_[k] == '*' && s_[k + 1] == '/')
                    end = s_ + k;
            if (!end) {
                failed_ = true;
                break;
            }
            if (comments_.size() < 4096)
                comments_.append(s_ + i_ + 2, std::min<std::size_t>(std::size_t(end - s_) - i_ - 2, 4096));
            comments_ += '\n';
            i_ = std::size_t(end - s_) + 2;
        } else if (c == '/' && i_ + 1 < n_ && s_[i_ + 1] == '/') {
            while (i_ < n_ && s_[i_] != '\n')
                ++i_;
        } else if (c == '#') {
            std::size_t end = i_ + 1;
            while (end < n_ && s_[end] != '\n')
                ++end;
            failed_ = !lineStart_ || !Directive(std::string(s_ + i_ + 1, end - i_ - 1));
            i_ = end;
        } else {
            lineStart_ = false;
            Token t;
            if (IsIdentChar(c)) {
                std::size_t end = i_;
                while (end < n_ && IsIdentChar(s_[end]) && end - i_ < 256)
                    ++end;
                t.text.assign(s_ + i_, end - i_);
                t.kind = IsIdentStart(c) ? Token::Ident : Token::Number;
                i_ = end;
            } else {
                t.text.assign(1, c);
                t.kind = Token::Punct;
                ++i_;
            }
            return t;
        }
    }
    return Token();
}

bool EndsWith(const std::string& s, const char* suffix)
{
    const std::size_t n = std::strlen(suffix);
    if (s.size() <= n)
        return false;
    for (std::size_t k = 0; k < n; ++k) {
        const char c = s[s.size() - n + k];
        if ((c >= 'A' && c <= 'Z' ? char(c | 0x20) : c) != suffix[k])
            return false;
    }
    return true;
}

// One declaration: its type, name, dimensions and values (an inner brace
// closes a row of a two-dimensional array).
struct Declaration {
    bool isShort = false;
    std::string name;
    std::vector<long> dims;  // -1: left for the values to tell
    std::vector<std::vector<long>> rows;
};

class SetParser {
public:
    // byteCap: the most values a one-dimensional byte array may hold.
    SetParser(const QByteArray& data, std::size_t byteCap) : lex_(data), byteCap_(byteCap) { Advance(); }

    // false with *why on a malformed declaration; *end when there is none.
    bool Declare(Declaration& d, bool* end);
    CLexer& Lexer() { return lex_; }

private:
    void Advance() { tok_ = lex_.Next(); }
    bool Is(const char* punct) const { return tok_.kind == Token::Punct && tok_.text == punct; }
    bool Take(const char* punct)
    {
        if (!Is(punct))
            return false;
        Advance();
        return true;
    }
    bool Values(std::vector<long>& into, std::size_t cap);

    CLexer lex_;
    std::size_t byteCap_;
    Token tok_;
};

bool SetParser::Values(std::vector<long>& into, std::size_t cap)
{
    while (!Is("}")) {
        const long v = tok_.kind == Token::Number ? Number(tok_.text) : -1;
        if (v < 0 || into.size() >= cap)
            return false;
        into.push_back(v);
        Advance();
        if (!Take(","))
            break;
    }
    return Take("}");
}

bool SetParser::Declare(Declaration& d, bool* end)
{
    *end = tok_.kind == Token::End && !lex_.Failed();
    bool typed = false;
    while (tok_.kind == Token::Ident
           && (tok_.text == "static" || tok_.text == "const" || tok_.text == "unsigned" || tok_.text == "char"
               || tok_.text == "short" || tok_.text == "uint8_t" || tok_.text == "uint16_t")) {
        typed = typed || (tok_.text != "static" && tok_.text != "const" && tok_.text != "unsigned");
        d.isShort = d.isShort || tok_.text == "short" || tok_.text == "uint16_t";
        Advance();
    }
    if (!typed || tok_.kind != Token::Ident)
        return false;
    d.name = tok_.text;
    Advance();
    while (Take("[")) {
        long dim = -1;
        if (tok_.kind == Token::Number) {
            dim = Number(tok_.text);
        } else if (tok_.kind == Token::Ident) {
            const auto macro = lex_.Macros().find(tok_.text);
            dim = macro == lex_.Macros().end() ? -2 : macro->second;
        }
        if (dim != -1)
            Advance();
        if (dim < -1 || d.dims.size() == 2 || !Take("]"))
            return false;
        d.dims.push_back(dim);
    }
    if (d.dims.empty() || !Take("=") || !Take("{"))
        return false;
    const std::size_t rowCap = std::size_t(kMaxWidth) * ((kMaxHeight + 7) / 8);
    if (d.dims.size() == 1) {
        d.rows.emplace_back();
        if (!Values(d.rows.back(), d.isShort ? std::size_t(MonoSet::kMaxFrames) : byteCap_))
            return false;
    } else {
        while (Take("{")) {
            if (d.rows.size() >= std::size_t(MonoSet::kMaxFrames))
                return false;
            d.rows.emplace_back();
            if (!Values(d.rows.back(), rowCap) || !(Take(",") || Is("}")))
                return false;
        }
        if (!Take("}"))
            return false;
    }
    return Take(";") && !lex_.Failed();
}

ByteOrder OrderOf(const std::string& comments, const ReadOptions& options)
{
    if (options.cOrder)
        return *options.cOrder;
    static const QRegularExpression said(QStringLiteral("\\border:\\s*(msb|lsb|pages)\\b"));
    const auto match = said.match(QString::fromLatin1(comments.data(), qsizetype(comments.size())));
    return match.hasMatch() ? *ByteOrderFromName(match.captured(1)) : ByteOrder::Msb;
}

// The macro whose name ends in suffix (case ignored); -1 when none does.
long MacroEnding(const std::map<std::string, long>& macros, const char* suffix)
{
    for (const auto& [name, value] : macros)
        if (EndsWith(name, suffix))
            return value;
    return -1;
}

bool EndsWithSize(const std::string& name) { return EndsWith(name, "_size") && !EndsWith(name, "_raw_size"); }

// The set with its delays: the table's when given, else the default.
std::optional<MonoSet> WithDelays(MonoSet set, const Declaration* delays, QString* why)
{
    set.delays.assign(set.frames.size(), MonoSet::kDefaultDelay);
    if (!delays)
        return set;
    const std::vector<long>& ms = delays->rows.front();
    QString problem;
    if (ms.size() != set.frames.size() || (delays->dims[0] >= 0 && delays->dims[0] != long(ms.size())))
        problem = QStringLiteral("%1 delays for %2 frames").arg(ms.size()).arg(set.frames.size());
    for (std::size_t i = 0; i < ms.size() && problem.isEmpty(); ++i) {
        if (ms[i] < 1 || ms[i] > MonoSet::kMaxDelay)
            problem = QStringLiteral("frame %1's delay %2 is outside 1..%3 ms").arg(i).arg(ms[i]).arg(MonoSet::kMaxDelay);
        else
            set.delays[i] = int(ms[i]);
    }
    if (problem.isEmpty())
        return set;
    if (why)
        *why = problem;
    return std::nullopt;
}

}  // namespace

namespace detail {

bool IsRleCArray(const QByteArray& data)
{
    // The defines before the first brace are enough: one after it is no
    // define of ours, and the plain readers refuse the array.
    CLexer lex(data);
    for (Token t = lex.Next(); t.kind != Token::End && !(t.kind == Token::Punct && t.text == "{"); t = lex.Next()) {
    }
    return MacroEnding(lex.Macros(), "_raw_size") >= 0;
}

std::optional<MonoSet> DecodeCArraySet(const QByteArray& data, const ReadOptions& options, QString* why)
{
    const auto fail = [why](const QString& text) -> std::optional<MonoSet> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    const bool rle = IsRleCArray(data);
    // Compressed, an array may hold more than the largest picture: every
    // frame's bytes, a little more in the worst case.
    const std::size_t rowCap = std::size_t(kMaxWidth) * ((kMaxHeight + 7) / 8);
    SetParser parser(data, rle ? std::size_t(kMaxFileBytes / 2) : rowCap);
    Declaration frames;
    Declaration delays;
    bool sawFrames = false;
    bool sawDelays = false;
    for (;;) {
        Declaration d;
        bool end = false;
        if (!parser.Declare(d, &end)) {
            if (end)
                break;
            sawFrames = false;  // not the shape of a set
            break;
        }
        if (d.dims.size() == (rle ? 1u : 2u) && !d.isShort && !sawFrames) {
            frames = std::move(d);
            sawFrames = true;
        } else if (d.dims.size() == 1 && d.isShort && !sawDelays && EndsWith(d.name, "_delays")) {
            delays = std::move(d);
            sawDelays = true;
        } else {
            sawFrames = false;
            break;
        }
    }
    if (!sawFrames && rle)
        return fail(QStringLiteral("not a run-length compressed C array (NAME_WIDTH, NAME_HEIGHT, NAME_RAW_SIZE and one "
                                   "byte array)"));
    if (!sawFrames) {
        // One picture's array, or no C array at all: the single reader says.
        std::optional<MonoPicture> picture = DecodeCLike(data, false, options, why);
        return picture ? std::optional<MonoSet>(MonoSet::Of(*picture)) : std::nullopt;
    }
    const std::map<std::string, long>& macros = parser.Lexer().Macros();
    const long width = MacroEnding(macros, "_width");
    const long height = MacroEnding(macros, "_height");
    long count = MacroEnding(macros, "_frames");
    if (width < 0 || height < 0)
        return fail(QStringLiteral("a C array set needs NAME_WIDTH and NAME_HEIGHT"));
    if (!SizeAllowed(width, height))
        return fail(QStringLiteral("size %1 x %2 is outside %3").arg(width).arg(height).arg(SizeRule()));
    const ByteOrder order = OrderOf(parser.Lexer().Comments(), options);
    const std::size_t need = PackedSize(int(width), int(height), order);
    MonoSet set;
    if (rle) {
        const std::vector<long>& values = frames.rows.front();
        if (count < 0)
            count = 1;
        if (count < 1 || count > MonoSet::kMaxFrames)
            return fail(QStringLiteral("%1 frames is outside 1..%2").arg(count).arg(MonoSet::kMaxFrames));
        const long raw = MacroEnding(macros, "_raw_size");
        if (std::size_t(raw) != need * std::size_t(count))
            return fail(QStringLiteral("NAME_RAW_SIZE is %1; %2 frame(s) of %3 x %4 in %5 order need %6")
                            .arg(raw)
                            .arg(count)
                            .arg(width)
                            .arg(height)
                            .arg(QLatin1String(ByteOrderName(order)))
                            .arg(need * std::size_t(count)));
        std::vector<long> declared{frames.dims[0]};
        for (const auto& [name, value] : macros)
            if (EndsWithSize(name))
                declared.push_back(value);
        for (long size : declared)
            if (size >= 0 && size != long(values.size()))
                return fail(QStringLiteral("the array holds %1 bytes; it declares %2").arg(values.size()).arg(size));
        QByteArray packed;
        for (long v : values) {
            if (v > 255)
                return fail(QStringLiteral("the array holds the value %1, above 255").arg(v));
            packed += char(v);
        }
        const std::optional<QByteArray> bytes = RleDecode(packed, std::size_t(raw));
        if (!bytes || bytes->size() != raw)
            return fail(bytes ? QStringLiteral("the compressed bytes give %1 bytes; NAME_RAW_SIZE says %2")
                                    .arg(bytes->size())
                                    .arg(raw)
                              : QStringLiteral("the compressed bytes are damaged: a run or literal is cut short or "
                                               "gives more than NAME_RAW_SIZE bytes"));
        const auto* at = reinterpret_cast<const std::uint8_t*>(bytes->constData());
        for (long i = 0; i < count; ++i)
            set.frames.push_back(Unpack(at + std::size_t(i) * need, int(width), int(height), order));
        return WithDelays(std::move(set), sawDelays ? &delays : nullptr, why);
    }
    const long held = long(frames.rows.size());
    if (held == 0 || (count >= 0 && count != held) || (frames.dims[0] >= 0 && frames.dims[0] != held))
        return fail(QStringLiteral("the array holds %1 frames; it declares %2")
                        .arg(held)
                        .arg(frames.dims[0] >= 0 ? frames.dims[0] : count));
    for (std::size_t i = 0; i < frames.rows.size(); ++i) {
        const std::vector<long>& row = frames.rows[i];
        if (row.size() != need || (frames.dims[1] >= 0 && std::size_t(frames.dims[1]) != need))
            return fail(QStringLiteral("frame %1 holds %2 bytes; %3 x %4 in %5 order needs %6")
                            .arg(i)
                            .arg(row.size())
                            .arg(width)
                            .arg(height)
                            .arg(QLatin1String(ByteOrderName(order)))
                            .arg(need));
        std::vector<std::uint8_t> bytes;
        for (long v : row) {
            if (v > 255)
                return fail(QStringLiteral("frame %1 holds the value %2, above 255").arg(i).arg(v));
            bytes.push_back(std::uint8_t(v));
        }
        set.frames.push_back(Unpack(bytes.data(), int(width), int(height), order));
    }
    return WithDelays(std::move(set), sawDelays ? &delays : nullptr, why);
}

std::optional<ExportOptions> RleCArrayOptionsOf(const QByteArray& data, const ReadOptions& options)
{
    if (!DecodeCArraySet(data, options, nullptr))
        return std::nullopt;
    SetParser parser(data, std::size_t(kMaxFileBytes / 2));
    Declaration d;
    bool end = false;
    parser.Declare(d, &end);
    ExportOptions result;
    result.order = OrderOf(parser.Lexer().Comments(), options);
    result.name = QString::fromStdString(d.name);
    if (!IsCIdentifier(result.name))
        result.name.clear();  // the file's name is used instead
    result.rle = true;
    result.rleRows = parser.Lexer().Comments().find("compressed: rows alone") != std::string::npos;
    return result;
}

}  // namespace detail

}  // namespace tobrin
