#pragma once

#include "core/sanitizer.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

class QFile;
class QIODevice;

namespace tobrin {

// Reads an image file for the import: the raster formats Qt's image readers
// know (BMP and DIB, ICO, JPEG, PNG, GIF, ...), recognised by their content,
// and Windows metafiles, which a child process renders to a raster so that a
// hostile metafile can only take down the child.
//
// Every raster is checked for its claimed size before it is decoded: more
// than kMaxPixels (kMaxStreamedPixels for what is streamed) is refused
// without allocating anything.
class ImageLoader {
public:
    static constexpr qint64 kMaxPixels = 64LL * 1000 * 1000;
    // JPEGs and PNGs decoded row by row into a shrunk copy never exist
    // whole, so they may be larger.
    static constexpr qint64 kMaxStreamedPixels = 100LL * 1000 * 1000;
    // Qt's own guard on the decoder's allocations, in megabytes.
    static constexpr int kAllocationLimitMb = 320;
    // The metafile renderer gets this much address space and time; a
    // metafile that makes it loop is given up well within a second.
    // Sanitizer builds start and run far slower, so they wait longer.
    static constexpr qint64 kRendererMemoryBytes = 512LL * 1024 * 1024;
#if TOBRIN_ADDRESS_SANITIZER
    static constexpr int kRendererTimeoutMs = 5000;
#else
    static constexpr int kRendererTimeoutMs = 700;
#endif
    // The largest file the renderer may write: its picture (at most
    // kWmfMaxSide squared, compressed) or its error messages.
    static constexpr qint64 kRendererFileBytes = 64LL * 1024 * 1024;
    // How much of the renderer's error output a failure report quotes.
    static constexpr qint64 kRendererMessageBytes = 1024;

    // The program run as "PROGRAM --render-wmf IN OUT.png" for metafiles;
    // empty means this program itself.
    void SetRendererProgram(const QString& program) { rendererProgram_ = program; }
    QString RendererProgram() const;
    void SetRendererTimeoutMs(int ms) { rendererTimeoutMs_ = ms; }

    // Loads path into *image (Format_RGB32 or ARGB32). On failure returns
    // false, leaves *image alone and, when error is given, says why.
    bool Load(const QString& path, QImage* image, QString* error = nullptr) const;

    // Loads path for a copy of the size copySize gives for the image's size.
    // JPEGs and PNGs are decoded row by row straight into that copy
    // (Format_RGB32, laid over white, shrunk as StretchDraw shrinks); other
    // images are loaded whole as Load does, but left in the decoder's own
    // format (transparency not yet laid over white), so that no second
    // full-size copy is made. *sourceSize gets the image's own size either
    // way, so *image is the copy when its size differs.
    bool LoadShrunk(const QString& path, const std::function<QSize(QSize)>& copySize, QImage* image,
                    QSize* sourceSize, QString* error = nullptr) const;

    // Decodes a raster image from device with the size checks; format may be
    // empty (detect it from the content). The result is Format_RGB32 or
    // ARGB32, or the decoder's own format when keepFormat is set. An image
    // whose decode alone would take more than kAllocationLimitMb is refused
    // from its header.
    static bool ReadRaster(QIODevice& device, const QByteArray& format, QImage* image, QString* error,
                           bool keepFormat = false);

    // The extensions of the files the loader reads, the Windows formats first
    // (bmp ico jpg wmf dib), then the others Qt's readers take. The netpbm
    // and X11 bitmaps, which the loader reads too, are left out: they are
    // pictures the editor opens as they are.
    static const QStringList& Extensions();
    // "*.bmp *.ico *.jpg *.wmf *.dib *.png ..." for a file dialog.
    static QString NamePatterns();
    static bool HasImageExtension(const QString& path);

    // True when the data (its first bytes in head) is a Windows metafile:
    // the placeable-metafile key 0x9AC6CDD7, a plain metafile header, or the
    // .wmf extension.
    static bool IsMetafile(const QString& path, const QByteArray& head);

private:
    bool LoadWhole(QFile& file, const QByteArray& head, QImage* image, QString* error, bool keepFormat) const;
    bool RenderMetafile(const QString& path, QImage* image, QString* error) const;

    QString rendererProgram_;
    int rendererTimeoutMs_ = kRendererTimeoutMs;
};

}  // namespace tobrin
