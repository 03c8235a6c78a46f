#include <QStringList>
#include <map>

#include "core/outputtemplate.h"
#include "core/templates/templatenodes.h"

// Reading a template: placeholders are found, checked and put in a tree;
// any mistake is refused whole with its line and column.

namespace tobrin {

using namespace templatedetail;

namespace templatedetail {

namespace {

const char* const kTextNames[] = {"name", "NAME", "order", "char"};
const char* const kNumberNames[] = {"width", "height", "frames", "bytes", "raw_bytes", "ascent",
                                    "index",  "code",   "advance", "delay", "offset", "row"};
const char* const kListNames[] = {"data", "delays", "advances", "codes", "offsets"};
const char* const kConditionNames[] = {"single", "delays", "font", "rle", "msb", "lsb", "pages", "first", "last"};

template <std::size_t N>
bool In(const char* const (&names)[N], const QString& name)
{
    for (const char* n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

}  // namespace

NameKind KindOf(const QString& name, bool section)
{
    if (section) {
        if (name == QLatin1String("frames") || name == QLatin1String("rows"))
            return NameKind::Loop;
        return In(kConditionNames, name) ? NameKind::Condition : NameKind::Unknown;
    }
    if (In(kTextNames, name))
        return NameKind::Text;
    if (In(kNumberNames, name))
        return NameKind::Number;
    return In(kListNames, name) ? NameKind::List : NameKind::Unknown;
}

QString LoopNeeded(const QString& name)
{
    if (name == QLatin1String("row"))
        return QStringLiteral("rows");
    static const char* const kFrameNames[] = {"index", "char", "code", "advance", "delay", "offset"};
    return In(kFrameNames, name) ? QStringLiteral("frames") : QString();
}

QByteArray NumberFormat::Apply(unsigned value) const
{
    QByteArray digits;
    switch (conversion) {
    case 'x': digits = QByteArray::number(value, 16); break;
    case 'X': digits = QByteArray::number(value, 16).toUpper(); break;
    case 'o': digits = QByteArray::number(value, 8); break;
    case 'b': digits = QByteArray::number(value, 2); break;
    default: digits = QByteArray::number(value); break;
    }
    if (digits.size() < width)
        digits.prepend(QByteArray(width - digits.size(), zeros ? '0' : ' '));
    return prefix + digits + suffix;
}

}  // namespace templatedetail

namespace {

constexpr int kMaxWidth = 32;

// "0x%02X": nullopt with *why when it is no single number conversion.
std::optional<NumberFormat> ParseFormat(const QString& text, QString* why)
{
    NumberFormat f;
    const QByteArray s = text.toUtf8();
    int conversions = 0;
    QByteArray* into = &f.prefix;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            *into += s[i];
            continue;
        }
        if (i + 1 < s.size() && s[i + 1] == '%') {
            *into += '%';
            ++i;
            continue;
        }
        ++i;
        if (i < s.size() && s[i] == '0') {
            f.zeros = true;
            ++i;
        }
        int width = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && width <= kMaxWidth)
            width = width * 10 + (s[i++] - '0');
        if (width > kMaxWidth) {
            *why = QStringLiteral("a width above %1").arg(kMaxWidth);
            return std::nullopt;
        }
        if (i >= s.size() || !QByteArray("duxXob").contains(s[i])) {
            *why = QStringLiteral("%-conversions are %d %u %x %X %o %b");
            return std::nullopt;
        }
        f.width = width;
        f.conversion = s[i];
        into = &f.suffix;
        ++conversions;
    }
    if (conversions != 1) {
        *why = QStringLiteral("it needs exactly one of %d %u %x %X %o %b");
        return std::nullopt;
    }
    return f;
}

struct Tag {
    QChar sigil;  // '#', '^', '/', '!' or none
    QString name;
    bool hasFormat = false;
    QString format;
    std::map<QString, QString> settings;
    int line = 0;
    int column = 0;

    QString Shown() const { return QStringLiteral("{%1%2}").arg(sigil.isNull() ? QString() : QString(sigil), name); }
    bool Standalone() const { return !sigil.isNull() || name == QLatin1String("option"); }
};

struct Token {
    enum Kind { Text, Newline, Placeholder } kind = Text;
    QString text;
    Tag tag;
};

class Parser {
public:
    explicit Parser(QString* error) : error_(error) {}

    bool Tokenize(const QString& text);
    void DropStandaloneLines();
    bool Build(Node& root, bool* crlf, std::optional<ByteOrder>* order);

private:
    bool Fail(int line, int column, const QString& why)
    {
        if (error_)
            *error_ = QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(why);
        return false;
    }
    bool Fail(const Tag& tag, const QString& why) { return Fail(tag.line, tag.column, why); }
    bool ReadTag(const QString& line, int& i, int lineNumber, Tag& tag);
    bool Leaf(const Tag& tag, const QString& prefix, const std::vector<const Tag*>& open, Node& node);

    QString* error_;
    std::vector<Token> tokens_;
};

bool IsNameStart(QChar c) { return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || c == QLatin1Char('_'); }
bool IsNameChar(QChar c) { return IsNameStart(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')); }

// One tag from the "{" at line[i]; i ends after its "}".
bool Parser::ReadTag(const QString& line, int& i, int lineNumber, Tag& tag)
{
    tag.line = lineNumber;
    tag.column = i + 1;
    const int n = int(line.size());
    int k = i + 1;
    if (QStringLiteral("#^/!").contains(line[k]))
        tag.sigil = line[k++];
    if (tag.sigil == QLatin1Char('!')) {
        const int end = int(line.indexOf(QLatin1Char('}'), k));
        if (end < 0)
            return Fail(tag, QStringLiteral("the comment is not closed on its line"));
        i = end + 1;
        return true;
    }
    while (k < n && IsNameChar(line[k]))
        tag.name += line[k++];
    if (tag.name.isEmpty() || !IsNameStart(tag.name[0]))
        return Fail(tag, QStringLiteral("a placeholder's name starts with a letter"));
    if (k < n && line[k] == QLatin1Char(':')) {
        tag.hasFormat = true;
        for (++k; k < n && line[k] != QLatin1Char('}') && line[k] != QLatin1Char(' '); ++k)
            tag.format += line[k];
    }
    for (;;) {
        while (k < n && line[k] == QLatin1Char(' '))
            ++k;
        if (k >= n)
            return Fail(tag, QStringLiteral("%1 is not closed on its line").arg(tag.Shown()));
        if (line[k] == QLatin1Char('}'))
            break;
        QString key;
        const int keyColumn = k + 1;
        while (k < n && IsNameChar(line[k]))
            key += line[k++];
        if (key.isEmpty() || k >= n || line[k] != QLatin1Char('='))
            return Fail(lineNumber, keyColumn, QStringLiteral("%1: settings are key=value").arg(tag.Shown()));
        QString value;
        if (++k < n && line[k] == QLatin1Char('"')) {
            for (++k; k < n && line[k] != QLatin1Char('"'); ++k) {
                if (line[k] == QLatin1Char('\\') && k + 1 < n) {
                    const QChar e = line[++k];
                    value += e == QLatin1Char('n') ? QChar(u'\n') : e == QLatin1Char('t') ? QChar(u'\t') : e;
                } else {
                    value += line[k];
                }
            }
            if (k >= n)
                return Fail(lineNumber, keyColumn, QStringLiteral("%1: the quoted value is not closed").arg(tag.Shown()));
            ++k;
        } else {
            while (k < n && line[k] != QLatin1Char(' ') && line[k] != QLatin1Char('}'))
                value += line[k++];
        }
        if (!tag.settings.emplace(key, value).second)
            return Fail(lineNumber, keyColumn, QStringLiteral("%1: %2 is given twice").arg(tag.Shown(), key));
    }
    i = k + 1;
    return true;
}

bool Parser::Tokenize(const QString& text)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = normal.split(QLatin1Char('\n'));
    for (int l = 0; l < lines.size(); ++l) {
        const QString& line = lines[l];
        QString literal;
        for (int i = 0; i < line.size();) {
            const QChar c = line[i];
            const QChar next = i + 1 < line.size() ? line[i + 1] : QChar();
            if (c == QLatin1Char('{') && next == QLatin1Char('{')) {
                literal += c;
                i += 2;
            } else if (c == QLatin1Char('{') && (IsNameStart(next) || QStringLiteral("#^/!").contains(next))
                       && !next.isNull()) {
                if (!literal.isEmpty())
                    tokens_.push_back({Token::Text, literal, {}});
                literal.clear();
                Token t{Token::Placeholder, {}, {}};
                if (!ReadTag(line, i, l + 1, t.tag))
                    return false;
                tokens_.push_back(t);
            } else {
                literal += c;
                ++i;
            }
        }
        if (!literal.isEmpty())
            tokens_.push_back({Token::Text, literal, {}});
        if (l + 1 < lines.size())
            tokens_.push_back({Token::Newline, {}, {}});
    }
    return true;
}

// A line holding nothing but block tags, comments and options (and blanks)
// leaves nothing in the output, not even its line end.
void Parser::DropStandaloneLines()
{
    std::vector<Token> kept;
    std::size_t start = 0;
    while (start < tokens_.size()) {
        std::size_t end = start;
        while (end < tokens_.size() && tokens_[end].kind != Token::Newline)
            ++end;
        bool tags = false;
        bool other = false;
        for (std::size_t k = start; k < end; ++k) {
            const Token& t = tokens_[k];
            if (t.kind == Token::Placeholder)
                (t.tag.Standalone() ? tags : other) = true;
            else if (!t.text.trimmed().isEmpty())
                other = true;
        }
        const bool drop = tags && !other;
        for (std::size_t k = start; k < end; ++k)
            if (!drop || tokens_[k].kind == Token::Placeholder)
                kept.push_back(tokens_[k]);
        if (end < tokens_.size() && !drop)
            kept.push_back(tokens_[end]);
        start = end + 1;
    }
    tokens_ = std::move(kept);
}

bool Parser::Leaf(const Tag& tag, const QString& prefix, const std::vector<const Tag*>& open, Node& node)
{
    const NameKind kind = KindOf(tag.name, false);
    if (kind == NameKind::Unknown)
        return Fail(tag, QStringLiteral("unknown placeholder %1").arg(tag.Shown()));
    const QString loop = LoopNeeded(tag.name);
    bool inside = loop.isEmpty();
    for (const Tag* t : open)
        inside = inside || t->name == loop || (loop == QLatin1String("frames") && t->name == QLatin1String("rows"));
    if (!inside)
        return Fail(tag, QStringLiteral("%1 belongs inside {#%2}").arg(tag.Shown(), loop));
    node.name = tag.name;
    node.kind = kind == NameKind::List ? Node::List : Node::Value;
    if (tag.hasFormat || tag.settings.count(QStringLiteral("fmt"))) {
        if (kind == NameKind::Text)
            return Fail(tag, QStringLiteral("%1 takes no number format").arg(tag.Shown()));
        const QString text = tag.hasFormat ? tag.format : tag.settings.at(QStringLiteral("fmt"));
        QString why;
        const std::optional<NumberFormat> format = ParseFormat(text, &why);
        if (!format)
            return Fail(tag, QStringLiteral("bad format \"%1\" in %2: %3").arg(text, tag.Shown(), why));
        node.format = *format;
        node.hasFormat = true;
    } else if (node.name == QLatin1String("data")) {
        node.format.prefix = "0x";
        node.format.conversion = 'x';
        node.format.width = 2;
        node.format.zeros = true;
    }
    bool custom = false;
    for (const auto& [key, value] : tag.settings) {
        if (key == QLatin1String("fmt"))
            continue;
        if (node.kind != Node::List)
            return Fail(tag, QStringLiteral("%1 takes no setting %2").arg(tag.Shown(), key));
        if (key == QLatin1String("per")) {
            bool ok = false;
            node.perLine = value.toInt(&ok);
            if (!ok || node.perLine < 0 || node.perLine > 100000)
                return Fail(tag, QStringLiteral("%1: per takes a number of items a line, 0 for one line").arg(tag.Shown()));
        } else if (key == QLatin1String("sep")) {
            node.separator = value.toUtf8();
        } else if (key == QLatin1String("wrap")) {
            node.wrap = value.toUtf8();
            custom = true;
        } else {
            return Fail(tag, QStringLiteral("%1: unknown setting %2 (fmt, per, sep, wrap)").arg(tag.Shown(), key));
        }
    }
    if (!custom) {
        // A line that starts with blanks alone continues as a C initializer
        // does (the separator, then the same blanks); any other start is
        // repeated whole (".db ") without the separator.
        QByteArray sep = node.separator;
        while (!sep.isEmpty() && (sep.endsWith(' ') || sep.endsWith('\t')))
            sep.chop(1);
        node.wrap = prefix.trimmed().isEmpty() ? sep + '\n' + prefix.toUtf8() : '\n' + prefix.toUtf8();
    }
    return true;
}

bool Parser::Build(Node& root, bool* crlf, std::optional<ByteOrder>* order)
{
    root.kind = Node::Section;
    std::vector<Node*> nodes{&root};
    std::vector<const Tag*> open;
    QString linePrefix;  // the literal text since the line began, or a mark that a value came first
    bool prefixBroken = false;
    for (const Token& t : tokens_) {
        Node& into = *nodes.back();
        if (t.kind != Token::Placeholder) {
            const QString text = t.kind == Token::Newline ? QStringLiteral("\n") : t.text;
            if (!into.children.empty() && into.children.back().kind == Node::Text)
                into.children.back().text += text.toUtf8();
            else
                into.children.push_back(Node{Node::Text, text.toUtf8(), {}, false, {}, 16, ", ", {}, false, {}});
            if (t.kind == Token::Newline) {
                linePrefix.clear();
                prefixBroken = false;
            } else {
                linePrefix += t.text;
            }
            continue;
        }
        const Tag& tag = t.tag;
        if (tag.sigil == QLatin1Char('!'))
            continue;
        if (tag.sigil.isNull() && tag.name == QLatin1String("option")) {
            for (const auto& [key, value] : tag.settings) {
                if (key == QLatin1String("eol") && (value == QLatin1String("crlf") || value == QLatin1String("lf")))
                    *crlf = value == QLatin1String("crlf");
                else if (key == QLatin1String("order") && ByteOrderFromName(value))
                    *order = ByteOrderFromName(value);
                else
                    return Fail(tag, QStringLiteral("{option} takes eol=lf|crlf and order=msb|lsb|pages"));
            }
            continue;
        }
        if (tag.sigil == QLatin1Char('/')) {
            if (open.empty())
                return Fail(tag, QStringLiteral("%1 closes nothing").arg(tag.Shown()));
            if (open.back()->name != tag.name)
                return Fail(tag, QStringLiteral("%1 closes {%2%3} of line %4")
                                     .arg(tag.Shown(), QString(open.back()->sigil), open.back()->name)
                                     .arg(open.back()->line));
            open.pop_back();
            nodes.pop_back();
            continue;
        }
        if (!tag.sigil.isNull()) {
            const NameKind kind = KindOf(tag.name, true);
            if (kind == NameKind::Unknown)
                return Fail(tag, QStringLiteral("unknown block %1").arg(tag.Shown()));
            if (tag.hasFormat || !tag.settings.empty())
                return Fail(tag, QStringLiteral("%1 takes no format or settings").arg(tag.Shown()));
            if (kind == NameKind::Loop && tag.sigil == QLatin1Char('^'))
                return Fail(tag, QStringLiteral("%1: ^ is for conditions").arg(tag.Shown()));
            for (const Tag* o : open) {
                if (kind == NameKind::Loop && (o->name == tag.name || o->name == QLatin1String("rows")))
                    return Fail(tag, QStringLiteral("%1 cannot stand inside {#%2}").arg(tag.Shown(), o->name));
            }
            if (tag.name == QLatin1String("first") || tag.name == QLatin1String("last")) {
                bool loop = false;
                for (const Tag* o : open)
                    loop = loop || KindOf(o->name, true) == NameKind::Loop;
                if (!loop)
                    return Fail(tag, QStringLiteral("%1 belongs inside {#frames} or {#rows}").arg(tag.Shown()));
            }
            Node section{Node::Section, {}, tag.name, false, {}, 16, ", ", {}, tag.sigil == QLatin1Char('^'), {}};
            into.children.push_back(section);
            nodes.push_back(&into.children.back());
            open.push_back(&tag);
            continue;
        }
        Node leaf;
        if (!Leaf(tag, prefixBroken ? QString() : linePrefix, open, leaf))
            return false;
        into.children.push_back(leaf);
        prefixBroken = true;
    }
    if (!open.empty())
        return Fail(*open.back(), QStringLiteral("%1 is never closed").arg(open.back()->Shown()));
    return true;
}

}  // namespace

std::optional<OutputTemplate> OutputTemplate::Parse(const QString& text, QString* error)
{
    Parser parser(error);
    auto root = std::make_shared<Node>();
    OutputTemplate result;
    if (!parser.Tokenize(text))
        return std::nullopt;
    parser.DropStandaloneLines();
    if (!parser.Build(*root, &result.crlf_, &result.order_))
        return std::nullopt;
    result.root_ = root;
    return result;
}

}  // namespace tobrin
