// A font's hex text (and, from the same bytes, a font's C arrays and PNG
// sheet) on arbitrary bytes.
//
// Checks, for every input:
// - an accepted font is valid, its left edge at or left of the pen;
// - a font read from hex text is detected as one (IsFontHexText), opens
//   as the set of its glyphs, and is written back (FontHexText, as Save
//   writes it) and read again to the same font;
// - a font read from C arrays is written back in each byte order, and one
//   read from a PNG sheet as a sheet, and read again to the same font.

#include <QByteArray>
#include <QString>

#include "core/pixelfont.h"
#include "fuzzsupport.h"

using namespace tobrin;

namespace {

void CheckFont(const PixelFont& font)
{
    FUZZ_CHECK(font.Check());
    FUZZ_CHECK(font.left <= 0 && font.left >= -PixelFont::kMaxCellWidth);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<PixelFont> font = DecodeFont(bytes, QStringLiteral("f.db"), nullptr)) {
        CheckFont(*font);
        FUZZ_CHECK(IsFontHexText(bytes));
        const std::optional<MonoSet> set = NativeFormat().decodeSet(bytes, {}, nullptr);
        FUZZ_CHECK(set.has_value() && set->Count() == int(font->glyphs.size()));
        const QByteArray text = (FontHexText(*font, QStringLiteral("font")) + QStringLiteral("\r\n")).toUtf8();
        const std::optional<PixelFont> again = DecodeFont(text, QStringLiteral("f.db"), nullptr);
        FUZZ_CHECK(again.has_value() && *again == *font);
    }
    if (const std::optional<PixelFont> font = DecodeFont(bytes, QStringLiteral("f.c"), nullptr)) {
        CheckFont(*font);
        for (const ByteOrder order : {ByteOrder::Msb, ByteOrder::Lsb, ByteOrder::Pages}) {
            const std::optional<QByteArray> c = EncodeFont(*font, QStringLiteral("f.c"), {order, QString()}, nullptr);
            FUZZ_CHECK(c.has_value());
            const std::optional<PixelFont> again = DecodeFont(*c, QStringLiteral("f.c"), nullptr);
            FUZZ_CHECK(again.has_value() && *again == *font);
        }
    }
    if (const std::optional<PixelFont> font = DecodeFont(bytes, QStringLiteral("f.png"), nullptr)) {
        CheckFont(*font);
        const std::optional<QByteArray> png = EncodeFont(*font, QStringLiteral("f.png"), {}, nullptr);
        FUZZ_CHECK(png.has_value());
        const std::optional<PixelFont> again = DecodeFont(*png, QStringLiteral("f.png"), nullptr);
        FUZZ_CHECK(again.has_value() && *again == *font);
    }
    return 0;
}
