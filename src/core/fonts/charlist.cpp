#include <algorithm>

#include "core/pixelfont.h"

// Character lists as users type them: "32-126", "0-9:°C", "U+00C0-U+00FF".

namespace tobrin {

namespace {

// More would only list characters no font of 1024 glyphs holds.
constexpr std::size_t kMaxListed = 65536;

bool IsSeparator(char32_t c) { return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int HexDigit(char32_t c)
{
    if (c >= '0' && c <= '9')
        return int(c - '0');
    if (c >= 'a' && c <= 'f')
        return int(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return int(c - 'A' + 10);
    return -1;
}

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }

class CharListParser {
public:
    CharListParser(const QString& list, QString* error) : text_(list.toUcs4()), error_(error) {}

    std::optional<std::vector<char32_t>> Parse();

private:
    // One character, number or U+XXXX at i_; nullopt (and the error) when
    // malformed.
    std::optional<char32_t> Atom();
    std::nullopt_t Fail(int from, int to, const QString& why)
    {
        if (error_) {
            const QString shown = QString::fromUcs4(reinterpret_cast<const char32_t*>(text_.constData()) + from,
                                                    std::max(1, to - from));
            *error_ = QStringLiteral("\"%1\" at position %2: %3").arg(shown).arg(from + 1).arg(why);
        }
        return std::nullopt;
    }

    QVector<uint> text_;
    QString* error_;
    int i_ = 0;
};

std::optional<char32_t> CharListParser::Atom()
{
    const int n = int(text_.size());
    const int from = i_;
    const char32_t c = text_[i_];
    if ((c == 'U' || c == 'u') && i_ + 1 < n && text_[i_ + 1] == '+') {
        i_ += 2;
        char32_t value = 0;
        int digits = 0;
        while (i_ < n && HexDigit(text_[i_]) >= 0) {
            value = std::min<char32_t>(value * 16 + char32_t(HexDigit(text_[i_])), 0x1000000);
            ++digits;
            ++i_;
        }
        if (digits == 0)
            return Fail(from, i_, QStringLiteral("U+ needs hexadecimal digits"));
        if (value > 0x10FFFF)
            return Fail(from, i_, QStringLiteral("beyond U+10FFFF, the last character"));
        if (value >= 0xD800 && value <= 0xDFFF)
            return Fail(from, i_, QStringLiteral("a surrogate, no character"));
        return value;
    }
    // Two digits or more are a decimal code point; a single digit is itself.
    if (IsDigit(c) && i_ + 1 < n && IsDigit(text_[i_ + 1])) {
        char32_t value = 0;
        while (i_ < n && IsDigit(text_[i_])) {
            value = std::min<char32_t>(value * 10 + (text_[i_] - '0'), 0x1000000);
            ++i_;
        }
        if (value > 0x10FFFF)
            return Fail(from, i_, QStringLiteral("beyond 1114111 (U+10FFFF), the last character"));
        if (value >= 0xD800 && value <= 0xDFFF)
            return Fail(from, i_, QStringLiteral("a surrogate, no character"));
        return value;
    }
    ++i_;
    if (c >= 0xD800 && c <= 0xDFFF)
        return Fail(from, i_, QStringLiteral("a broken character"));
    return c;
}

std::optional<std::vector<char32_t>> CharListParser::Parse()
{
    const int n = int(text_.size());
    std::vector<char32_t> chosen;
    while (i_ < n) {
        if (IsSeparator(text_[i_])) {
            ++i_;
            continue;
        }
        const int from = i_;
        const std::optional<char32_t> first = Atom();
        if (!first)
            return std::nullopt;
        char32_t last = *first;
        if (i_ < n && text_[i_] == '-') {
            ++i_;
            if (i_ == n || IsSeparator(text_[i_]))
                return Fail(from, i_, QStringLiteral("a range needs its last character"));
            const std::optional<char32_t> end = Atom();
            if (!end)
                return std::nullopt;
            if (*end < *first)
                return Fail(from, i_, QStringLiteral("the range runs backwards"));
            last = *end;
        }
        if (last - *first >= kMaxListed || chosen.size() + (last - *first) >= kMaxListed)
            return Fail(from, i_, QStringLiteral("more than %1 characters").arg(kMaxListed));
        for (char32_t c = *first;; ++c) {
            if (c < 0xD800 || c > 0xDFFF)
                chosen.push_back(c);
            if (c == last)
                break;
        }
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    if (chosen.empty()) {
        if (error_)
            *error_ = QStringLiteral("the character list is empty");
        return std::nullopt;
    }
    return chosen;
}

}  // namespace

std::optional<std::vector<char32_t>> ParseCharList(const QString& list, QString* error)
{
    return CharListParser(list, error).Parse();
}

}  // namespace tobrin
