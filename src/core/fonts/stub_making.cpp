// Placeholders until font making lands; the font-making work replaces this file.
#include "core/pixelfont.h"

namespace tobrin {

std::optional<PixelFont> MakeFont(const QString&, const FontSourceOptions&, QStringList*, QString* error)
{
    if (error)
        *error = QStringLiteral("fonts cannot be made yet");
    return std::nullopt;
}
std::optional<PixelFont> RasteriseOutlineFont(const QString&, const FontSourceOptions&, QStringList*, QString* error)
{
    if (error)
        *error = QStringLiteral("fonts cannot be made yet");
    return std::nullopt;
}
QStringList BuiltInFontNames() { return {}; }
const PixelFont* BuiltInFont(const QString&) { return nullptr; }
std::optional<PixelFont> LoadFont(const QString&, const FontSourceOptions&, QString* error)
{
    if (error)
        *error = QStringLiteral("fonts cannot be loaded yet");
    return std::nullopt;
}

}  // namespace tobrin
