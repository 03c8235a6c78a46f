// Placeholders until the font forms land; the font-format work replaces this file.
#include "core/pixelfont.h"

namespace tobrin {

static QString NotYet() { return QStringLiteral("fonts are not readable yet"); }

std::optional<std::vector<char32_t>> ParseCharList(const QString&, QString* error)
{
    if (error)
        *error = NotYet();
    return std::nullopt;
}
std::optional<PixelFont> DecodeFont(const QByteArray&, const QString&, QString* error)
{
    if (error)
        *error = NotYet();
    return std::nullopt;
}
std::optional<QByteArray> EncodeFont(const PixelFont&, const QString&, const FontWriteOptions&, QString* error)
{
    if (error)
        *error = NotYet();
    return std::nullopt;
}
std::optional<PixelFont> ReadFontFile(const QString&, QString* error)
{
    if (error)
        *error = NotYet();
    return std::nullopt;
}
bool WriteFontFile(const QString&, const PixelFont&, const FontWriteOptions&, QString* error)
{
    if (error)
        *error = NotYet();
    return false;
}
QString FontHexText(const PixelFont&, const QString&) { return QString(); }
bool IsFontHexText(const QByteArray&) { return false; }
std::optional<PixelFont> DecodeBdf(const QByteArray&, QString* error)
{
    if (error)
        *error = NotYet();
    return std::nullopt;
}

}  // namespace tobrin
