// The output template parser on arbitrary text, and every template it
// accepts rendered over a small set and a small font.
//
// Checks, for every input:
// - a refused template says where, as "line L, column C: ...", with L and
//   C within the text;
// - an accepted template renders a picture set and a font in every byte
//   order, compressed or not, without failing (the output stays far below
//   the renderer's limit for inputs of libFuzzer's size);
// - rendering is deterministic: the same input gives the same bytes twice.

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

#include "core/outputtemplate.h"
#include "core/pixelfont.h"
#include "fuzzsupport.h"

using namespace tobrin;

namespace {

MonoSet SmallSet()
{
    MonoSet set;
    for (int i = 0; i < 2; ++i) {
        MonoPicture p;
        p.width = 11;
        p.height = 9;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                p.At(x, y) = std::uint8_t(((x * 7 + y * 3 + i) % 5) == 0);
        set.frames.push_back(p);
        set.delays.push_back(i == 0 ? MonoSet::kDefaultDelay : 40);
    }
    return set;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 16384)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString why;
    const std::optional<OutputTemplate> tpl = OutputTemplate::Parse(text, &why);
    if (!tpl) {
        static const QRegularExpression place(QStringLiteral("^line (\\d+), column (\\d+): ."));
        const QRegularExpressionMatch m = place.match(why);
        FUZZ_CHECK(m.hasMatch());
        FUZZ_CHECK(m.captured(1).toLongLong() >= 1 && m.captured(1).toLongLong() <= text.count(QLatin1Char('\n')) + 1);
        FUZZ_CHECK(m.captured(2).toLongLong() >= 1 && m.captured(2).toLongLong() <= text.size() + 1);
        return 0;
    }
    static const MonoSet set = SmallSet();
    static const PixelFont* font = BuiltInFont(QStringLiteral("5x7"));
    PixelFont few = *font;
    few.glyphs.resize(3);
    for (const ByteOrder order : {ByteOrder::Msb, ByteOrder::Lsb, ByteOrder::Pages}) {
        ExportOptions options;
        options.order = order;
        options.name = QStringLiteral("fuzz");
        options.rle = order == ByteOrder::Lsb;
        options.rleRows = order == ByteOrder::Lsb;
        const std::optional<QByteArray> a = tpl->Render(set, options);
        const std::optional<QByteArray> b = tpl->Render(set, options);
        FUZZ_CHECK(a && b && *a == *b);
        FUZZ_CHECK(tpl->Render(few, options).has_value());
    }
    return 0;
}
