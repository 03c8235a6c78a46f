// The BDF reader on arbitrary bytes.
//
// Checks, for every input:
// - an accepted font is valid (Check: cell sizes, order, advances) with
//   its left edge at or left of the pen;
// - it is written as BDF and read back to the same font, and picking all
//   its characters gives the same font again.

#include <QByteArray>
#include <QString>

#include "core/pixelfont.h"
#include "fuzzsupport.h"

using namespace tobrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<PixelFont> font = DecodeBdf(bytes, nullptr);
    if (!font)
        return 0;
    FUZZ_CHECK(font->Check());
    FUZZ_CHECK(font->left <= 0 && font->left >= -PixelFont::kMaxCellWidth);
    const std::optional<QByteArray> written = EncodeFont(*font, QStringLiteral("f.bdf"), {}, nullptr);
    FUZZ_CHECK(written.has_value());
    // Back the same when no advance passes the cell's right edge (true
    // of every font read from BDF).
    const std::optional<PixelFont> again = DecodeBdf(*written, nullptr);
    FUZZ_CHECK(again.has_value() && *again == *font);
    std::vector<char32_t> codes;
    for (const Glyph& g : font->glyphs)
        codes.push_back(g.code);
    const std::optional<PixelFont> picked = DecodeBdfChars(bytes, codes, nullptr);
    FUZZ_CHECK(picked.has_value() && *picked == *font);
    return 0;
}
