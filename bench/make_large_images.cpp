// Writes the large images whose whole-process import bench/whole_process.sh
// measures: SIDE x SIDE (8000 by default, the 64 Mpx limit) as a lossless
// RGBA WebP, a GIF with a transparent colour, an RGBA TIFF, a grey TIFF and
// a 24-bit BMP, all of smooth gradients.
//
//   make_large_images OUTDIR [SIDE]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <cstdio>

#include "imagefiles.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_large_images OUTDIR [SIDE]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const int side = argc > 2 ? std::atoi(argv[2]) : 8000;
    QImage rgba(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y) {
        auto* line = reinterpret_cast<QRgb*>(rgba.scanLine(y));
        for (int x = 0; x < side; ++x)
            line[x] = qRgba(x * 255 / side, y * 255 / side, 128, (x + y) * 255 / (2 * side));
    }
    const auto write = [&](const QImage& image, const char* name, const char* format, int quality) {
        QImageWriter writer(out.filePath(QString::fromLatin1(name)), format);
        writer.setQuality(quality);
        if (!writer.write(image)) {
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(writer.errorString()));
            return false;
        }
        return true;
    };
    bool ok = write(rgba, "rgba.webp", "webp", 100) && write(rgba, "rgba.tif", "tiff", 0)
        && write(rgba.convertToFormat(QImage::Format_Grayscale8), "grey.tif", "tiff", 0)
        && write(rgba.convertToFormat(QImage::Format_RGB32), "rgb.bmp", "bmp", -1);
    rgba = QImage();
    // A GIF whose colour 3 is transparent: a graphic control extension
    // before the image of the hand-made GIF.
    QByteArray gif = tobrin::testfiles::Gif(side, side, [side](int x, int y) { return (x * 4 / side + y) % 4; });
    gif.insert(13 + 12, QByteArray("\x21\xF9\x04\x01\x00\x00\x03\x00", 8));
    QFile file(out.filePath(QStringLiteral("transparent.gif")));
    ok = ok && file.open(QIODevice::WriteOnly) && file.write(gif) == gif.size();
    return ok ? 0 : 1;
}
