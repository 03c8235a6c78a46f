// The build manifest reader on arbitrary text.
//
// Checks, for every input:
// - a refused manifest says why, and a TOML syntax error says where as
//   "line L, column C: ..." with L within the text;
// - an accepted manifest has outputs, each with a path and sources, no two
//   of one path, none outside the folder, and an order in which every output
//   comes after the outputs it reads;
// - reading is deterministic: the same text gives the same canonical tables.

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <vector>

#include "core/manifest.h"
#include "fuzzsupport.h"

using namespace tobrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 16384)
        return 0;
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QString why;
    const std::optional<Manifest> manifest = ParseManifest(text, false, &why);
    if (!manifest) {
        FUZZ_CHECK(!why.isEmpty());
        static const QRegularExpression place(QStringLiteral("^line (\\d+)"));
        const QRegularExpressionMatch m = place.match(why);
        if (m.hasMatch())
            FUZZ_CHECK(m.captured(1).toLongLong() >= 1 && m.captured(1).toLongLong() <= text.count('\n') + 1);
        return 0;
    }
    const std::size_t n = manifest->outputs.size();
    FUZZ_CHECK(n > 0 && manifest->buildOrder.size() == n && manifest->inputs.size() == n);
    std::vector<int> position(n, -1);
    for (std::size_t k = 0; k < n; ++k) {
        const int i = manifest->buildOrder[k];
        FUZZ_CHECK(i >= 0 && std::size_t(i) < n && position[std::size_t(i)] < 0);
        position[std::size_t(i)] = int(k);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const ManifestOutput& out = manifest->outputs[i];
        FUZZ_CHECK(!out.path.isEmpty() && !out.sources.isEmpty() && !out.path.startsWith(QLatin1String("../")));
        for (int j : manifest->inputs[i])
            FUZZ_CHECK(position[std::size_t(j)] < position[i]);
        for (std::size_t k = i + 1; k < n; ++k)
            FUZZ_CHECK(manifest->outputs[k].path != out.path);
    }
    const std::optional<Manifest> again = ParseManifest(text, false);
    FUZZ_CHECK(again && again->outputs.size() == n);
    for (std::size_t i = 0; i < n; ++i)
        FUZZ_CHECK(again->outputs[i].canonical == manifest->outputs[i].canonical);
    return 0;
}
