#include "app/outlinefonts.h"

#include <algorithm>

#ifdef TOBRIN_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace tobrin {

std::vector<InstalledFont> InstalledOutlineFonts()
{
    std::vector<InstalledFont> fonts;
#ifdef TOBRIN_HAVE_FONTCONFIG
    if (!FcInit())
        return fonts;
    FcPattern* pattern = FcPatternCreate();
    // Bitmap fonts are made for one size; the text tool renders the outline
    // ones at any size.
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FILE, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    if (set) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8 *family = nullptr, *style = nullptr, *file = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch
                || FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch)
                continue;
            QString name = QString::fromUtf8(reinterpret_cast<const char*>(family));
            if (FcPatternGetString(set->fonts[i], FC_STYLE, 0, &style) == FcResultMatch)
                name += QLatin1Char(' ') + QString::fromUtf8(reinterpret_cast<const char*>(style));
            fonts.push_back({name, QString::fromLocal8Bit(reinterpret_cast<const char*>(file))});
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
#endif
    std::sort(fonts.begin(), fonts.end(), [](const InstalledFont& a, const InstalledFont& b) {
        const int c = QString::localeAwareCompare(a.name, b.name);
        return c != 0 ? c < 0 : a.path < b.path;
    });
    fonts.erase(std::unique(fonts.begin(), fonts.end(),
                            [](const InstalledFont& a, const InstalledFont& b) {
                                return a.name == b.name && a.path == b.path;
                            }),
                fonts.end());
    return fonts;
}

}  // namespace tobrin
