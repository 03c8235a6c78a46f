// Outline fonts drawn into pixel fonts, on arbitrary bytes (FreeType's
// readers, then the cell, the placing and the advances of ours).
//
// The last input bytes choose the pixel size (4..120) and whether a grey
// drawing is cut at a threshold; FreeType ignores bytes after a font's
// tables, so the seeds stay plain TrueType files.
//
// Checks, for every input:
// - a font made passes the model's own checks, its glyphs are the
//   characters asked for less the ones reported missing;
// - a refusal says why.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include "core/pixelfont.h"
#include "fuzzsupport.h"

using namespace tobrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // FreeType reads fonts from files; one file is rewritten for each input.
    static const QString path = QDir::temp().filePath(QStringLiteral("tobrin-fuzz-outline-%1.ttf").arg(QCoreApplication::applicationPid()));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    const fuzz::TailBytes tail(data, size);
    FontSourceOptions options;
    options.pixelSize = 4 + tail[0] % 117;
    if (tail[1] & 1)
        options.threshold = 1 + tail[2] % 255;
    QStringList missing;
    QString error;
    const std::optional<PixelFont> font = RasteriseOutlineFont(path, options, &missing, &error);
    if (!font) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(font->Check(&error));
    FUZZ_CHECK(int(font->glyphs.size() + std::size_t(missing.size())) == 126 - 32 + 1);
    return 0;
}
