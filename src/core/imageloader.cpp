#include "core/imageloader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <sys/resource.h>

#include "core/imagecheck.h"
#include "core/regularfile.h"
#include "core/streamdecode.h"

namespace tobrin {
namespace {

void SetError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool TooLarge(qint64 width, qint64 height)
{
    return width <= 0 || height <= 0 || width * height > ImageLoader::kMaxPixels;
}

// A file of a packed DIB (bitmap info header and bits, without the "BM" file
// header, as the clipboard holds it) gets the missing file header so the BMP
// reader takes it. Returns an empty array when head is no DIB header.
QByteArray DibFileHeader(const QByteArray& head)
{
    if (head.size() < 16)
        return {};
    const auto* p = reinterpret_cast<const uchar*>(head.constData());
    const quint32 headerSize = qFromLittleEndian<quint32>(p);
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 64
        && headerSize != 108 && headerSize != 124)
        return {};
    quint32 bitCount;
    quint32 colorsUsed = 0;
    quint32 compression = 0;
    quint32 paletteEntrySize = 4;
    if (headerSize == 12) {
        if (qFromLittleEndian<quint16>(p + 8) != 1)
            return {};
        bitCount = qFromLittleEndian<quint16>(p + 10);
        paletteEntrySize = 3;
    } else {
        if (head.size() < 36 || qFromLittleEndian<quint16>(p + 12) != 1)
            return {};
        bitCount = qFromLittleEndian<quint16>(p + 14);
        compression = qFromLittleEndian<quint32>(p + 16);
        colorsUsed = qFromLittleEndian<quint32>(p + 32);
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return {};
    quint32 paletteEntries = colorsUsed;
    if (paletteEntries == 0 && bitCount <= 8)
        paletteEntries = 1u << bitCount;
    if (paletteEntries > 256)
        return {};
    quint32 offset = 14 + headerSize + paletteEntries * paletteEntrySize;
    if (headerSize == 40 && compression == 3)  // BI_BITFIELDS: three masks follow the header
        offset += 12;

    QByteArray fileHeader(14, '\0');
    auto* h = reinterpret_cast<uchar*>(fileHeader.data());
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(0, h + 2);  // file size: not needed by the reader
    qToLittleEndian<quint32>(offset, h + 10);
    return fileHeader;
}

}  // namespace

QString ImageLoader::RendererProgram() const
{
    if (!rendererProgram_.isEmpty())
        return rendererProgram_;
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}

const QStringList& ImageLoader::Extensions()
{
    static const QStringList extensions = {
        QStringLiteral("bmp"),  QStringLiteral("ico"),  QStringLiteral("jpg"),  QStringLiteral("wmf"),
        QStringLiteral("dib"),  QStringLiteral("png"),  QStringLiteral("gif"),  QStringLiteral("tif"),
        QStringLiteral("tiff"), QStringLiteral("webp"), QStringLiteral("jpeg"), QStringLiteral("tga"),
        QStringLiteral("icns"), QStringLiteral("wbmp"), QStringLiteral("pgm"),  QStringLiteral("ppm"),
        QStringLiteral("xpm"),
    };
    return extensions;
}

QString ImageLoader::NamePatterns()
{
    QStringList patterns;
    for (const QString& extension : Extensions())
        patterns << QStringLiteral("*.") + extension;
    return patterns.join(QLatin1Char(' '));
}

bool ImageLoader::HasImageExtension(const QString& path)
{
    return Extensions().contains(QFileInfo(path).suffix().toLower());
}

bool ImageLoader::IsMetafile(const QString& path, const QByteArray& head)
{
    if (head.size() >= 4 && qFromLittleEndian<quint32>(head.constData()) == 0x9AC6CDD7u)
        return true;
    if (head.size() >= 6) {
        // A plain metafile header: type 1 (memory) or 2 (disk), a header of
        // nine words, version 1.0 or 3.0.
        const auto* p = reinterpret_cast<const uchar*>(head.constData());
        const quint16 type = qFromLittleEndian<quint16>(p);
        const quint16 words = qFromLittleEndian<quint16>(p + 2);
        const quint16 version = qFromLittleEndian<quint16>(p + 4);
        if ((type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300))
            return true;
    }
    return QFileInfo(path).suffix().compare(QLatin1String("wmf"), Qt::CaseInsensitive) == 0;
}

bool ImageLoader::ReadRaster(QIODevice& device, const QByteArray& format, QImage* image, QString* error,
                             bool keepFormat)
{
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    QImageReader reader(&device, format);
    reader.setDecideFormatFromContent(format.isEmpty());
    if (!reader.canRead()) {
        SetError(error, QStringLiteral("unknown or unreadable image format"));
        return false;
    }
    // Asking a PNG for its size reads every chunk up to the pixels.
    QString damage;
    if (!CheckPngChunks(device, &damage)) {
        SetError(error, damage);
        return false;
    }
    // The claimed size, from the header alone: refuse giants before any
    // pixel memory is taken.
    const QSize claimed = reader.size();
    if (claimed.isValid() && TooLarge(claimed.width(), claimed.height())) {
        SetError(error, QStringLiteral("image too large (%1 x %2)").arg(claimed.width()).arg(claimed.height()));
        return false;
    }
    // What the decode alone takes, in the format the decoder will give
    // (16-bit samples take twice the memory of 8-bit ones), and twice that
    // for a decoder that holds a full-size image of its own.
    // A reader that does not tell its format is taken at 32 bits a pixel.
    if (claimed.isValid()) {
        const QImage::Format decodedFormat = reader.imageFormat();
        const qint64 bits = (decodedFormat == QImage::Format_Invalid
                                 ? 32
                                 : QImage::toPixelFormat(decodedFormat).bitsPerPixel())
            * DecoderCopies(device);
        const qint64 megabytes = (qint64(claimed.width()) * claimed.height() * bits / 8) >> 20;
        if (megabytes > kAllocationLimitMb) {
            SetError(error, QStringLiteral("image too large to decode (%1 x %2 takes %3 MB, more than %4 MB)")
                                .arg(claimed.width())
                                .arg(claimed.height())
                                .arg(megabytes)
                                .arg(kAllocationLimitMb));
            return false;
        }
    }
    if (!CheckImageStructure(device, &damage)) {
        SetError(error, damage);
        return false;
    }
    QImage decoded;
    {
        // A decoder that warns has met damage it papered over.
        const DecoderComplaints complaints;
        const bool read = reader.read(&decoded) && !decoded.isNull();
        if (!complaints.First().isEmpty()) {
            SetError(error, QStringLiteral("damaged image: ") + complaints.First());
            return false;
        }
        if (!read) {
            SetError(error, QStringLiteral("damaged image: ") + reader.errorString());
            return false;
        }
    }
    if (TooLarge(decoded.width(), decoded.height())) {
        SetError(error, QStringLiteral("image too large"));
        return false;
    }
    if (keepFormat) {
        *image = decoded;
        return true;
    }
    if (decoded.hasAlphaChannel())
        decoded = decoded.convertToFormat(QImage::Format_ARGB32);
    else if (decoded.format() != QImage::Format_RGB32)
        decoded = decoded.convertToFormat(QImage::Format_RGB32);
    if (decoded.isNull()) {
        SetError(error, QStringLiteral("out of memory"));
        return false;
    }
    *image = decoded;
    return true;
}

bool ImageLoader::Load(const QString& path, QImage* image, QString* error) const
{
    QFile file(path);
    if (!OpenRegularFile(file, error))
        return false;
    return LoadWhole(file, file.peek(64), image, error, false);
}

bool ImageLoader::LoadShrunk(const QString& path, const std::function<QSize(QSize)>& copySize, QImage* image,
                             QSize* sourceSize, QString* error) const
{
    QFile file(path);
    if (!OpenRegularFile(file, error))
        return false;
    const QByteArray head = file.peek(64);
    if (!IsMetafile(path, head)) {
        // libpng takes the memory a chunk claims before it reads the chunk.
        QString damage;
        if (!CheckPngChunks(file, &damage)) {
            SetError(error, damage);
            return false;
        }
        QImage copy;
        QSize size;
        QString streamError;
        switch (StreamDecode(file, kMaxStreamedPixels, kMaxPixels, copySize, &copy, &size, &streamError)) {
        case StreamOutcome::Decoded:
            *image = copy;
            *sourceSize = size;
            return true;
        case StreamOutcome::Refused:
            SetError(error, streamError);
            return false;
        case StreamOutcome::Failed:
            // libjpeg and libpng said what is wrong; Qt's readers use the
            // same libraries and would only make less of it.
            SetError(error, QStringLiteral("damaged image: ") + streamError);
            return false;
        case StreamOutcome::NotStreamable:
            break;
        }
        if (!file.seek(0)) {
            SetError(error, file.errorString());
            return false;
        }
    }
    QImage whole;
    if (!LoadWhole(file, head, &whole, error, true))
        return false;
    *image = whole;
    *sourceSize = whole.size();
    return true;
}

bool ImageLoader::LoadWhole(QFile& file, const QByteArray& head, QImage* image, QString* error,
                            bool keepFormat) const
{
    const QString path = file.fileName();
    if (IsMetafile(path, head)) {
        file.close();
        return RenderMetafile(path, image, error);
    }

    QString rasterError;
    if (ReadRaster(file, QByteArray(), image, &rasterError, keepFormat))
        return true;

    // A packed DIB without its file header.
    const QByteArray fileHeader = DibFileHeader(head);
    if (!fileHeader.isEmpty() && file.size() < (kMaxPixels * 4 + (1 << 20))) {
        if (!file.seek(0)) {
            SetError(error, file.errorString());
            return false;
        }
        QByteArray data = fileHeader + file.readAll();
        qToLittleEndian<quint32>(static_cast<quint32>(data.size()), data.data() + 2);
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        return ReadRaster(buffer, QByteArrayLiteral("bmp"), image, error, keepFormat);
    }
    SetError(error, rasterError);
    return false;
}

bool ImageLoader::RenderMetafile(const QString& path, QImage* image, QString* error) const
{
    const QString program = RendererProgram();
    if (program.isEmpty()) {
        SetError(error, QStringLiteral("no metafile renderer"));
        return false;
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        SetError(error, dir.errorString());
        return false;
    }
    const QString out = dir.filePath(QStringLiteral("render.png"));
    // The child's account of a failure goes to a file, not a pipe: a hostile
    // metafile can make libwmf complain without end, and only the start of it
    // is read.
    const QString messages = dir.filePath(QStringLiteral("render.log"));
    const auto failed = [&](const QString& what) {
        QFile log(messages);
        QString said;
        if (log.open(QIODevice::ReadOnly))
            said = QString::fromLocal8Bit(log.read(kRendererMessageBytes)).trimmed();
        SetError(error, said.isEmpty() ? what : what + QStringLiteral(": ") + said);
        return false;
    };

    QProcess child;
    child.setProgram(program);
    child.setArguments({QStringLiteral("--render-wmf"), QFileInfo(path).absoluteFilePath(), out});
    child.setStandardInputFile(QProcess::nullDevice());
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setStandardErrorFile(messages);
    child.setChildProcessModifier([] {
        // Runs in the child between fork and exec: only async-signal-safe
        // calls. Sanitizer builds reserve huge shadow mappings, so they go
        // without the address-space cap.
#if !TOBRIN_ADDRESS_SANITIZER
        struct rlimit memory;
        memory.rlim_cur = static_cast<rlim_t>(kRendererMemoryBytes);
        memory.rlim_max = static_cast<rlim_t>(kRendererMemoryBytes);
        setrlimit(RLIMIT_AS, &memory);
#endif
        struct rlimit core;
        core.rlim_cur = 0;
        core.rlim_max = 0;
        setrlimit(RLIMIT_CORE, &core);
        // The picture and the error messages are the only files it writes.
        struct rlimit files;
        files.rlim_cur = static_cast<rlim_t>(kRendererFileBytes);
        files.rlim_max = static_cast<rlim_t>(kRendererFileBytes);
        setrlimit(RLIMIT_FSIZE, &files);
    });
    child.start();
    QElapsedTimer clock;
    clock.start();
    if (!child.waitForStarted(rendererTimeoutMs_)) {
        SetError(error, QStringLiteral("metafile renderer did not start: ") + child.errorString());
        return false;
    }
    // The limit covers start and render together.
    if (!child.waitForFinished(std::max(1, rendererTimeoutMs_ - int(clock.elapsed())))) {
        child.kill();
        child.waitForFinished(-1);
        SetError(error, QStringLiteral("metafile renderer timed out"));
        return false;
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        return failed(child.exitStatus() == QProcess::NormalExit
                          ? QStringLiteral("metafile renderer failed (exit %1)").arg(child.exitCode())
                          : QStringLiteral("metafile renderer crashed"));
    }
    QFile rendered(out);
    if (!rendered.open(QIODevice::ReadOnly)) {
        SetError(error, QStringLiteral("metafile renderer wrote nothing"));
        return false;
    }
    return ReadRaster(rendered, QByteArrayLiteral("png"), image, error);
}

}  // namespace tobrin
