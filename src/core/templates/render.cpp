#include "core/formatdetail.h"
#include "core/outputtemplate.h"
#include "core/pixelfont.h"
#include "core/rle.h"
#include "core/templates/templatenodes.h"

// Writing through a template: the set or font becomes a model of frames
// and their bytes, and the template's tree is walked over it.

namespace tobrin {

using namespace templatedetail;

namespace {

// The output stops growing here: a template of 64 KB over 1,024 frames
// could otherwise ask for gigabytes.
constexpr qsizetype kMaxOutput = 64 * 1024 * 1024;

struct Frame {
    const MonoPicture* picture = nullptr;
    int delay = 0;
    unsigned code = 0;
    int advance = 0;
    bool hasChar = false;
    QByteArray raw;
    QByteArray data;  // raw, or compressed
    std::vector<QByteArray> rows;
    int offset = 0;  // in the whole data
};

struct Model {
    QByteArray name;
    ByteOrder order = ByteOrder::Msb;
    bool rle = false, font = false, single = false, delays = false;
    int width = 0, height = 0, ascent = 0;
    std::vector<Frame> frames;
    QByteArray data;
};

struct Scope {
    const Frame* frame = nullptr;
    int index = -1;
    int row = -1;
    const QByteArray* rowData = nullptr;
    bool first = false, last = false;
};

// A C character literal for printable ASCII, a hex number otherwise, so it
// stands in C and in an assembler's comment alike.
QByteArray CharText(const Frame& f)
{
    if (!f.hasChar)
        return QByteArray();
    if (f.code >= 0x20 && f.code < 0x7f) {
        const char c = char(f.code);
        if (c == '\'' || c == '\\')
            return QByteArray("'\\") + c + '\'';
        return QByteArray("'") + c + '\'';
    }
    return "0x" + QByteArray::number(f.code, 16).toUpper().rightJustified(2, '0');
}

class Renderer {
public:
    explicit Renderer(const Model& model) : m_(model) {}

    bool Walk(const Node& node, const Scope& scope);
    QByteArray out;

private:
    bool Condition(const QString& name, const Scope& scope) const;
    QByteArray Value(const Node& node, const Scope& scope) const;
    std::vector<unsigned> Items(const QString& name, const Scope& scope) const;
    void List(const Node& node, const std::vector<unsigned>& items);
    bool Loop(const Node& node, const Scope& outer);

    const Model& m_;
};

bool Renderer::Condition(const QString& name, const Scope& scope) const
{
    if (name == QLatin1String("single")) return m_.single;
    if (name == QLatin1String("delays")) return m_.delays;
    if (name == QLatin1String("font")) return m_.font;
    if (name == QLatin1String("rle")) return m_.rle;
    if (name == QLatin1String("msb")) return m_.order == ByteOrder::Msb;
    if (name == QLatin1String("lsb")) return m_.order == ByteOrder::Lsb;
    if (name == QLatin1String("pages")) return m_.order == ByteOrder::Pages;
    if (name == QLatin1String("first")) return scope.first;
    return scope.last;
}

QByteArray Renderer::Value(const Node& node, const Scope& scope) const
{
    const QString& n = node.name;
    if (n == QLatin1String("name")) return m_.name;
    if (n == QLatin1String("NAME")) return m_.name.toUpper();
    if (n == QLatin1String("order")) return ByteOrderName(m_.order);
    if (n == QLatin1String("char")) return CharText(*scope.frame);
    const QByteArray& data = scope.rowData ? *scope.rowData : scope.frame ? scope.frame->data : m_.data;
    long v = 0;
    if (n == QLatin1String("width")) v = m_.width;
    else if (n == QLatin1String("height")) v = m_.height;
    else if (n == QLatin1String("frames")) v = long(m_.frames.size());
    // At the top, a frame's bytes, or all of them compressed.
    else if (n == QLatin1String("bytes")) v = long(scope.frame || m_.rle ? data.size() : m_.frames[0].raw.size());
    else if (n == QLatin1String("raw_bytes")) v = long(scope.rowData ? scope.rowData->size() : m_.frames[0].raw.size());
    else if (n == QLatin1String("ascent")) v = m_.ascent;
    else if (n == QLatin1String("index")) v = scope.index;
    else if (n == QLatin1String("code")) v = long(scope.frame->code);
    else if (n == QLatin1String("advance")) v = scope.frame->advance;
    else if (n == QLatin1String("delay")) v = scope.frame->delay;
    else if (n == QLatin1String("offset")) v = scope.frame->offset;
    else if (n == QLatin1String("row")) v = scope.row;
    return node.hasFormat ? node.format.Apply(unsigned(v)) : QByteArray::number(qlonglong(v));
}

std::vector<unsigned> Renderer::Items(const QString& name, const Scope& scope) const
{
    std::vector<unsigned> items;
    if (name == QLatin1String("data")) {
        const QByteArray& data = scope.rowData ? *scope.rowData : scope.frame ? scope.frame->data : m_.data;
        for (char c : data)
            items.push_back(std::uint8_t(c));
        return items;
    }
    for (const Frame& f : m_.frames)
        items.push_back(name == QLatin1String("delays")     ? unsigned(f.delay)
                        : name == QLatin1String("advances") ? unsigned(f.advance)
                        : name == QLatin1String("codes")    ? f.code
                                                            : unsigned(f.offset));
    return items;
}

void Renderer::List(const Node& node, const std::vector<unsigned>& items)
{
    for (std::size_t i = 0; i < items.size() && out.size() <= kMaxOutput; ++i) {
        if (i > 0)
            out += node.perLine > 0 && i % std::size_t(node.perLine) == 0 ? node.wrap : node.separator;
        out += node.format.Apply(items[i]);
    }
}

bool Renderer::Loop(const Node& node, const Scope& outer)
{
    if (node.name == QLatin1String("frames")) {
        for (std::size_t i = 0; i < m_.frames.size(); ++i) {
            Scope s;
            s.frame = &m_.frames[i];
            s.index = int(i);
            s.first = i == 0;
            s.last = i + 1 == m_.frames.size();
            for (const Node& child : node.children)
                if (!Walk(child, s))
                    return false;
        }
        return true;
    }
    // Rows of the frame in scope, or of every frame in turn.
    const std::size_t from = outer.frame ? std::size_t(outer.index) : 0;
    const std::size_t to = outer.frame ? from + 1 : m_.frames.size();
    for (std::size_t i = from; i < to; ++i) {
        const Frame& f = m_.frames[i];
        for (std::size_t r = 0; r < f.rows.size(); ++r) {
            Scope s;
            s.frame = &f;
            s.index = int(i);
            s.row = int(r);
            s.rowData = &f.rows[r];
            s.first = i == from && r == 0;
            s.last = i + 1 == to && r + 1 == f.rows.size();
            for (const Node& child : node.children)
                if (!Walk(child, s))
                    return false;
        }
    }
    return true;
}

bool Renderer::Walk(const Node& node, const Scope& scope)
{
    if (out.size() > kMaxOutput)
        return false;
    switch (node.kind) {
    case Node::Text:
        out += node.text;
        return true;
    case Node::Value:
        out += Value(node, scope);
        return true;
    case Node::List:
        List(node, Items(node.name, scope));
        return out.size() <= kMaxOutput;
    case Node::Section:
        if (node.name == QLatin1String("frames") || node.name == QLatin1String("rows"))
            return Loop(node, scope);
        if (!node.name.isEmpty() && Condition(node.name, scope) == node.inverted)
            return true;
        for (const Node& child : node.children)
            if (!Walk(child, scope))
                return false;
        return true;
    }
    return true;
}

// The bytes of a frame in the model's order, whole and a row (or a page)
// at a time; compressed when asked, each row alone in the rows.
void Fill(Model& m, Frame& f, bool rleRows)
{
    const std::vector<std::uint8_t> packed = detail::Pack(*f.picture, m.order);
    f.raw = QByteArray(reinterpret_cast<const char*>(packed.data()), qsizetype(packed.size()));
    const int rowBytes = m.order == ByteOrder::Pages ? m.width : (m.width + 7) / 8;
    f.data = !m.rle ? f.raw : rleRows ? RleEncodeRows(f.raw, rowBytes) : RleEncode(f.raw);
    for (qsizetype at = 0; at < f.raw.size(); at += rowBytes) {
        const QByteArray row = f.raw.mid(at, rowBytes);
        f.rows.push_back(m.rle ? RleEncode(row) : row);
    }
    f.offset = int(m.data.size());
    m.data += f.data;
}

std::optional<QByteArray> Finish(const Model& m, const Node& root, bool crlf, QString* error)
{
    Renderer r(m);
    if (!r.Walk(root, Scope())) {
        if (error)
            *error = QStringLiteral("the output would be larger than %1 MB").arg(kMaxOutput >> 20);
        return std::nullopt;
    }
    if (crlf)
        r.out.replace("\n", "\r\n");
    return r.out;
}

Model Start(const ExportOptions& options, std::optional<ByteOrder> fixed)
{
    Model m;
    m.name = options.name.toUtf8();
    m.order = fixed ? *fixed : options.order;
    m.rle = options.rle;
    return m;
}

}  // namespace

std::optional<QByteArray> OutputTemplate::Render(const MonoSet& set, const ExportOptions& options, QString* error) const
{
    if (set.frames.empty() || set.delays.size() != set.frames.size()) {
        if (error)
            *error = QStringLiteral("nothing to write");
        return std::nullopt;
    }
    Model m = Start(options, order_);
    m.single = set.Count() == 1 && set.AllDefaultDelays();
    m.delays = !set.AllDefaultDelays();
    m.width = set.frames.front().width;
    m.height = m.ascent = set.frames.front().height;
    for (int i = 0; i < set.Count(); ++i) {
        Frame f;
        f.picture = &set.frames[std::size_t(i)];
        f.delay = set.delays[std::size_t(i)];
        f.code = unsigned(i);
        f.advance = m.width;
        m.frames.push_back(f);
    }
    for (Frame& f : m.frames)
        Fill(m, f, options.rleRows);
    return Finish(m, *root_, crlf_, error);
}

std::optional<QByteArray> OutputTemplate::Render(const PixelFont& font, const ExportOptions& options,
                                                 QString* error) const
{
    if (font.glyphs.empty()) {
        if (error)
            *error = QStringLiteral("the font has no glyphs");
        return std::nullopt;
    }
    Model m = Start(options, order_);
    m.font = true;
    m.width = font.cellWidth;
    m.height = font.cellHeight;
    m.ascent = font.ascent;
    for (const Glyph& g : font.glyphs) {
        Frame f;
        f.picture = &g.bitmap;
        f.code = unsigned(g.code);
        f.hasChar = true;
        f.advance = g.advance;
        m.frames.push_back(f);
    }
    for (Frame& f : m.frames)
        Fill(m, f, options.rleRows);
    return Finish(m, *root_, crlf_, error);
}

}  // namespace tobrin
