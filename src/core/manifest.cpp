#include "core/manifest.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <functional>
#include <sstream>
#include <string>

// toml++ checks some of its parser's expectations with assertions, which a
// hostile manifest can break ("[=" at a table header): with NDEBUG they
// become compiler assumptions (undefined behaviour under clang), otherwise
// they abort. The parser reports these inputs as syntax errors on its own,
// so both kinds are turned off and the error stands.
#define TOML_ASSERT(expr) static_assert(true)
#include <toml++/impl/preprocessor.h>
#undef TOML_ASSERT_ASSUME
#define TOML_ASSERT_ASSUME(expr) static_assert(true)
#include <toml++/toml.h>

namespace tobrin {
namespace {

const QStringList kOutputKeys = {QStringLiteral("path"),     QStringLiteral("sources"), QStringLiteral("name"),
                                 QStringLiteral("order"),    QStringLiteral("template"), QStringLiteral("rle"),
                                 QStringLiteral("rle_rows"), QStringLiteral("sheet"),   QStringLiteral("import"),
                                 QStringLiteral("font")};
// The import and font tables' keys are the commands' option names with "_"
// for "-"; a true flag is the option alone, aspect = false is --no-aspect.
const QStringList kImportKeys = {QStringLiteral("threshold"),  QStringLiteral("components"),
                                 QStringLiteral("invert"),     QStringLiteral("size"),
                                 QStringLiteral("aspect"),     QStringLiteral("no_match_size"),
                                 QStringLiteral("full_resolution"), QStringLiteral("dither"),
                                 QStringLiteral("frames"),     QStringLiteral("frame_size"),
                                 QStringLiteral("margin"),     QStringLiteral("spacing"),
                                 QStringLiteral("skip_empty")};
const QStringList kImportFlags = {QStringLiteral("invert"), QStringLiteral("aspect"),
                                  QStringLiteral("no_match_size"), QStringLiteral("full_resolution"),
                                  QStringLiteral("skip_empty")};
const QStringList kFontKeys = {QStringLiteral("size"),   QStringLiteral("chars"),      QStringLiteral("threshold"),
                               QStringLiteral("frames"), QStringLiteral("frame_size"), QStringLiteral("margin"),
                               QStringLiteral("spacing"), QStringLiteral("gap")};

struct Failure {
    QString text;
};

// toml++ 3.3 asks whether a character outside strings and comments is
// Unicode white space through a table that leaves U+00A1 .. U+0499,
// U+2C8E .. U+3087 and U+FBA6 .. U+FEFE unreachable (undefined
// behaviour). The parser never sees these: they are moved to the
// supplementary private use planes (15 and 16), which it treats as any
// other character and no manifest needs, and every text taken from the
// parser is moved back.
constexpr char32_t kTroubled[] = {0x00A0, 0x2C8E, 0xFBA6};
constexpr char32_t kSpan = 0x3FA;
constexpr char32_t kMoved = 0xF0000;

QString Move(const QString& text, bool back)
{
    QList<uint> codes = text.toUcs4();
    for (uint& code : codes)
        for (int k = 0; k < 3; ++k) {
            const char32_t from = back ? kMoved + char32_t(k) * kSpan : kTroubled[k];
            const char32_t to = back ? kTroubled[k] : kMoved + char32_t(k) * kSpan;
            if (code >= from && code - from < kSpan) {
                code = to + (code - from);
                break;
            }
        }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(codes.constData()), codes.size());
}

QString At(const toml::node& node)
{
    return QStringLiteral("line %1: ").arg(node.source().begin.line);
}

QString Str(const std::string_view& s)
{
    return Move(QString::fromUtf8(s.data(), qsizetype(s.size())), true);
}

void CheckKeys(const toml::table& table, const QStringList& known, const QString& where)
{
    for (auto&& [key, value] : table) {
        const QString name = Str(key.str());
        if (known.contains(name))
            continue;
        const QString near = NearestKey(name, known);
        QString text = At(value) + QStringLiteral("unknown key '%1'").arg(name);
        if (!where.isEmpty())
            text += QStringLiteral(" in %1").arg(where);
        if (!near.isEmpty())
            text += QStringLiteral(" (did you mean '%1'?)").arg(near);
        throw Failure{text};
    }
}

QString StringOf(const toml::node& node, const QString& key)
{
    if (!node.is_string())
        throw Failure{At(node) + QStringLiteral("%1 takes a string").arg(key)};
    return Str(node.as_string()->get());
}

bool BoolOf(const toml::node& node, const QString& key)
{
    if (!node.is_boolean())
        throw Failure{At(node) + QStringLiteral("%1 takes true or false").arg(key)};
    return node.as_boolean()->get();
}

// A relative path in one spelling; an empty one is refused.
QString PathOf(const toml::node& node, const QString& key)
{
    const QString text = StringOf(node, key);
    if (text.isEmpty() || text.contains(QChar(0)))
        throw Failure{At(node) + QStringLiteral("%1 takes a file name").arg(key)};
    return QDir::cleanPath(text);
}

bool Outside(const QString& path)
{
    return QDir::isAbsolutePath(path) || path == QLatin1String("..") || path.startsWith(QLatin1String("../"));
}

// A sub-table as command options.
QStringList OptionsOf(const toml::node& node, const QString& key, const QStringList& known, const QStringList& flags)
{
    const toml::table* table = node.as_table();
    if (!table)
        throw Failure{At(node) + QStringLiteral("%1 takes a table such as { threshold = 128 }").arg(key)};
    CheckKeys(*table, known, key);
    QStringList args;
    for (auto&& [k, value] : *table) {
        const QString name = Str(k.str());
        QString option = QStringLiteral("--") + name;
        option.replace(QLatin1Char('_'), QLatin1Char('-'));
        if (flags.contains(name)) {
            const bool on = BoolOf(value, name);
            if (on)
                args += option;
            else if (name == QLatin1String("aspect"))
                args += QStringLiteral("--no-aspect");
        } else if (value.is_integer()) {
            args += {option, QString::number(value.as_integer()->get())};
        } else {
            const QString text = StringOf(value, name);
            args += {option, text};
        }
    }
    return args;
}

ManifestOutput ReadOutput(const toml::table& table, bool allowOutside)
{
    ManifestOutput out;
    out.line = int(table.source().begin.line);
    CheckKeys(table, kOutputKeys, QString());
    const QString where = QStringLiteral("line %1: ").arg(out.line);
    const toml::node* path = table.get("path");
    if (!path)
        throw Failure{where + QStringLiteral("an output needs a path")};
    out.path = PathOf(*path, QStringLiteral("path"));
    if (!allowOutside && Outside(out.path))
        throw Failure{where + QStringLiteral("output %1 is outside the manifest's folder (--allow-outside allows it)")
                                  .arg(out.path)};
    const toml::node* sources = table.get("sources");
    const toml::array* list = sources ? sources->as_array() : nullptr;
    if (!list || list->empty())
        throw Failure{where + QStringLiteral("output %1 needs sources, a list of files").arg(out.path)};
    for (const toml::node& source : *list)
        out.sources += PathOf(source, QStringLiteral("sources"));
    if (const toml::node* n = table.get("name"))
        out.name = StringOf(*n, QStringLiteral("name"));
    if (const toml::node* n = table.get("order")) {
        out.order = StringOf(*n, QStringLiteral("order"));
        if (out.order != QLatin1String("msb") && out.order != QLatin1String("lsb") && out.order != QLatin1String("pages"))
            throw Failure{At(*n) + QStringLiteral("order takes msb, lsb or pages")};
    }
    if (const toml::node* n = table.get("template"))
        out.templateName = StringOf(*n, QStringLiteral("template"));
    if (const toml::node* n = table.get("rle"))
        out.rle = BoolOf(*n, QStringLiteral("rle"));
    if (const toml::node* n = table.get("rle_rows"))
        out.rleRows = BoolOf(*n, QStringLiteral("rle_rows"));
    if (const toml::node* n = table.get("sheet")) {
        const std::optional<std::int64_t> v = n->value_exact<std::int64_t>();
        if (!v || *v < 1 || *v > 1024)
            throw Failure{At(*n) + QStringLiteral("sheet takes a number of columns from 1 to 1024")};
        out.sheet = int(*v);
    }
    if (const toml::node* n = table.get("import")) {
        out.hasImport = true;
        out.importArgs = OptionsOf(*n, QStringLiteral("import"), kImportKeys, kImportFlags);
    }
    if (const toml::node* n = table.get("font")) {
        out.hasFont = true;
        out.fontArgs = OptionsOf(*n, QStringLiteral("font"), kFontKeys, {});
    }
    if (out.hasImport && out.hasFont)
        throw Failure{where + QStringLiteral("output %1 has both import and font; give one").arg(out.path)};
    std::ostringstream text;
    text << toml::toml_formatter{table};
    out.canonical = Move(QString::fromStdString(text.str()), true).toUtf8();
    return out;
}

// Orders the outputs so that each comes after those it reads; a cycle is
// named output by output.
void Order(Manifest* manifest)
{
    const int n = int(manifest->outputs.size());
    QHash<QString, int> byPath;
    for (int i = 0; i < n; ++i) {
        const ManifestOutput& out = manifest->outputs[std::size_t(i)];
        const auto seen = byPath.constFind(out.path);
        if (seen != byPath.constEnd())
            throw Failure{QStringLiteral("line %1: two outputs write %2 (the other at line %3)")
                              .arg(out.line)
                              .arg(out.path)
                              .arg(manifest->outputs[std::size_t(*seen)].line)};
        byPath.insert(out.path, i);
    }
    manifest->inputs.assign(std::size_t(n), {});
    for (int i = 0; i < n; ++i)
        for (const QString& source : manifest->outputs[std::size_t(i)].sources) {
            const auto from = byPath.constFind(source);
            if (from != byPath.constEnd())
                manifest->inputs[std::size_t(i)].push_back(*from);
        }
    // Depth-first, in the manifest's order: 0 unvisited, 1 on the path, 2 done.
    std::vector<int> state(std::size_t(n), 0);
    std::vector<int> path;
    manifest->buildOrder.clear();
    std::function<void(int)> visit = [&](int i) {
        state[std::size_t(i)] = 1;
        path.push_back(i);
        for (int j : manifest->inputs[std::size_t(i)]) {
            if (state[std::size_t(j)] == 1) {
                QStringList chain;
                const auto start = std::find(path.begin(), path.end(), j);
                for (auto it = start; it != path.end(); ++it)
                    chain += manifest->outputs[std::size_t(*it)].path;
                chain += manifest->outputs[std::size_t(j)].path;
                // Each is read by the one before it.
                throw Failure{QStringLiteral("a cycle of outputs, each made from the next: %1")
                                  .arg(chain.join(QStringLiteral(" <- ")))};
            }
            if (state[std::size_t(j)] == 0)
                visit(j);
        }
        path.pop_back();
        state[std::size_t(i)] = 2;
        manifest->buildOrder.push_back(i);
    };
    for (int i = 0; i < n; ++i)
        if (state[std::size_t(i)] == 0)
            visit(i);
}

}  // namespace

QString NearestKey(const QString& key, const QStringList& known)
{
    QString best;
    int bestDistance = 3;
    for (const QString& candidate : known) {
        // Levenshtein distance, one row at a time.
        std::vector<int> row(std::size_t(candidate.size()) + 1);
        for (std::size_t j = 0; j < row.size(); ++j)
            row[j] = int(j);
        for (qsizetype i = 1; i <= key.size(); ++i) {
            int diagonal = row[0];
            row[0] = int(i);
            for (qsizetype j = 1; j <= candidate.size(); ++j) {
                const int above = row[std::size_t(j)];
                row[std::size_t(j)] = std::min({above + 1, row[std::size_t(j - 1)] + 1,
                                               diagonal + (key[i - 1] == candidate[j - 1] ? 0 : 1)});
                diagonal = above;
            }
        }
        if (row.back() < bestDistance) {
            bestDistance = row.back();
            best = candidate;
        }
    }
    return best;
}

std::optional<Manifest> ParseManifest(const QByteArray& text, bool allowOutside, QString* error)
{
    try {
        // TOML is UTF-8 text; anything else is refused before the swap.
        const QString decoded = QString::fromUtf8(text);
        if (decoded.toUtf8() != text)
            throw Failure{QStringLiteral("not UTF-8 text, as TOML is")};
        for (const uint code : decoded.toUcs4())
            if (code >= kMoved)
                throw Failure{QStringLiteral("private use characters of planes 15 and 16 are refused")};
        const std::string swapped = Move(decoded, false).toStdString();
        toml::table root;
        try {
            root = toml::parse(swapped);
        } catch (const toml::parse_error& e) {
            throw Failure{QStringLiteral("line %1, column %2: %3")
                              .arg(e.source().begin.line)
                              .arg(e.source().begin.column)
                              .arg(Str(e.description()))};
        }
        CheckKeys(root, {QStringLiteral("output")}, QString());
        Manifest manifest;
        const toml::node* outputs = root.get("output");
        const toml::array* list = outputs ? outputs->as_array() : nullptr;
        if (!list || list->empty())
            throw Failure{QStringLiteral("no [[output]] tables")};
        for (const toml::node& node : *list) {
            const toml::table* table = node.as_table();
            if (!table)
                throw Failure{At(node) + QStringLiteral("output takes [[output]] tables")};
            manifest.outputs.push_back(ReadOutput(*table, allowOutside));
        }
        Order(&manifest);
        return manifest;
    } catch (const Failure& failure) {
        if (error)
            *error = failure.text;
        return std::nullopt;
    }
}

}  // namespace tobrin
