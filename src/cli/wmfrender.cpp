#include "cli/wmfrender.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

extern "C" {
#include <libwmf/api.h>
#include <libwmf/font.h>
#include <libwmf/gd.h>
}

#include "core/sanitizer.h"

#if TOBRIN_ADDRESS_SANITIZER
#include <sanitizer/lsan_interface.h>
#endif

namespace tobrin {
namespace {

constexpr double kResolution = 96.0;

// Destroys the libwmf instance however the rendering ends.
class WmfInstance {
public:
    ~WmfInstance()
    {
        if (api) {
            if (open)
                wmf_file_close(api);
            wmf_api_destroy(api);
        }
    }
    wmfAPI* api = nullptr;
    bool open = false;
};

// libwmf never frees the raster it draws on. That costs the short-lived
// renderer process nothing, but in a leak-checking build it would turn every
// render into a failed exit, so the library's allocations are not checked.
class LibraryAllocations {
public:
#if TOBRIN_ADDRESS_SANITIZER
    LibraryAllocations() { __lsan_disable(); }
    ~LibraryAllocations() { __lsan_enable(); }
#else
    LibraryAllocations() {}
#endif
    LibraryAllocations(const LibraryAllocations&) = delete;
    LibraryAllocations& operator=(const LibraryAllocations&) = delete;
};

QImage Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return QImage();
}

// libwmf maps every metafile's font to one of its standard faces before it
// draws anything, and when it finds none it plays nothing at all. So the
// default face is loaded first: a missing font is then reported as such,
// with the font files and folders libwmf looked in, instead of passing for a
// broken metafile.
bool FontsLoad(wmfAPI* api, QString* missing)
{
    auto* data = static_cast<wmfFontData*>(api->font_data);
    if (data && data->map) {
        wmfFont font{};
        char face[] = "Times New Roman";
        font.lfFaceName = face;
        font.lfWeight = 400;
        data->map(api, &font);
        if (api->err == wmf_E_None && WMF_FONT_FTFACE(&font))
            return true;
    }
    QStringList files;
    QStringList folders;
    const auto* map = data ? static_cast<const wmfFontmapData*>(data->user_data) : nullptr;
    if (map) {
        for (const wmfFT_Mapping* m = map->ps; m && m->name; ++m)
            if (m->mapping)
                files << QString::fromLocal8Bit(m->mapping);
        for (char** dir = map->fontdirs; dir && *dir; ++dir)
            folders << QString::fromLocal8Bit(*dir);
    }
    files.removeDuplicates();
    *missing = QStringLiteral("libwmf cannot load its fonts: none of %1 in %2 (Debian package fonts-urw-base35)")
                   .arg(files.isEmpty() ? QStringLiteral("its standard fonts") : files.join(QStringLiteral(", ")),
                        folders.isEmpty() ? QStringLiteral("its font folders") : folders.join(QStringLiteral(", ")));
    return false;
}

}  // namespace

QImage RenderWmf(const QString& in, QString* error)
{
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_DEBUG;

    const LibraryAllocations unchecked;
    WmfInstance wmf;
    if (wmf_api_create(&wmf.api, flags, &options) != wmf_E_None || !wmf.api)
        return Fail(error, QStringLiteral("libwmf could not start"));

    QString missingFonts;
    if (!FontsLoad(wmf.api, &missingFonts))
        return Fail(error, missingFonts);

    auto* device = WMF_GD_GetData(wmf.api);
    device->type = wmf_gd_image;

    const QByteArray path = QFile::encodeName(in);
    if (wmf_file_open(wmf.api, path.constData()) != wmf_E_None)
        return Fail(error, QStringLiteral("cannot open the metafile"));
    wmf.open = true;

    wmfD_Rect bbox{};
    if (wmf_scan(wmf.api, 0, &bbox) != wmf_E_None)
        return Fail(error, QStringLiteral("not a readable metafile"));

    unsigned int width = 0;
    unsigned int height = 0;
    if (wmf_display_size(wmf.api, &width, &height, kResolution, kResolution) != wmf_E_None || width == 0
        || height == 0)
        return Fail(error, QStringLiteral("metafile without a size"));

    // Natural size, scaled down to a sane maximum.
    const unsigned int longest = std::max(width, height);
    if (longest > static_cast<unsigned int>(kWmfMaxSide)) {
        const double scale = static_cast<double>(kWmfMaxSide) / longest;
        width = std::max(1u, static_cast<unsigned int>(std::lround(width * scale)));
        height = std::max(1u, static_cast<unsigned int>(std::lround(height * scale)));
    }

    // A placeable metafile states its frame; the scanned box only covers what
    // is drawn, which would stretch the drawing over the whole raster.
    // Device coordinates are points (1/72 inch).
    const wmfPlaceableMetaHeader* frame = wmf.api->File ? wmf.api->File->pmh : nullptr;
    if (wmf.api->File && wmf.api->File->placeable && frame && frame->Inch > 0 && frame->Right > frame->Left
        && frame->Bottom > frame->Top) {
        const float k = 72.0f / static_cast<float>(frame->Inch);
        bbox.TL.x = frame->Left * k;
        bbox.TL.y = frame->Top * k;
        bbox.BR.x = frame->Right * k;
        bbox.BR.y = frame->Bottom * k;
    }
    if (!(bbox.BR.x > bbox.TL.x) || !(bbox.BR.y > bbox.TL.y))
        return Fail(error, QStringLiteral("metafile without a size"));

    device->bbox = bbox;
    device->width = width;
    device->height = height;
    // libwmf draws with plain malloc and carries on without the memory it
    // did not get (a pen too wide to draw is simply left out), so the picture
    // would come out blank and look like a success. A failed allocation
    // shows only in errno.
    errno = 0;
    const wmf_error_t played = wmf_play(wmf.api, 0, &bbox);
    const bool outOfMemory = errno == ENOMEM;
    if (played != wmf_E_None || wmf.api->err != wmf_E_None || !device->gd_image)
        return Fail(error, QStringLiteral("metafile playback failed"));
    if (outOfMemory)
        return Fail(error, QStringLiteral("libwmf ran out of memory drawing the metafile"));

    const int* pixels = wmf_gd_image_pixels(device->gd_image);
    if (!pixels)
        return Fail(error, QStringLiteral("no rendered pixels"));

    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    if (image.isNull())
        return Fail(error, QStringLiteral("out of memory"));
    for (int y = 0; y < image.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const auto gd = static_cast<unsigned int>(*pixels++);
            // gd true colour: 7-bit alpha (0 opaque .. 127 transparent), then
            // red, green, blue. Transparent parts show white.
            const int alpha = 255 - static_cast<int>(((gd >> 24) & 0x7Fu) * 255u / 127u);
            const auto blend = [alpha](int v) { return (v * alpha + 255 * (255 - alpha) + 127) / 255; };
            out[x] = qRgb(blend(static_cast<int>((gd >> 16) & 0xFFu)), blend(static_cast<int>((gd >> 8) & 0xFFu)),
                          blend(static_cast<int>(gd & 0xFFu)));
        }
    }
    return image;
}

int RenderWmfToPng(const QString& in, const QString& out)
{
    QString error;
    const QImage image = RenderWmf(in, &error);
    if (image.isNull()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}

}  // namespace tobrin
