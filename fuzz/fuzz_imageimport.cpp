// The import of an image file on arbitrary bytes: the loader (reader chosen
// from the content, the size check before decoding, the decode, the packed
// DIB fallback, metafiles through the renderer child) and the conversion
// through ImportPipeline with the default options and two option sets
// taken from the last bytes of the input, then the transfer into a picture.
//
// Metafiles go the production way: ImageLoader starts a child process,
// fuzz_wmf_child, run as "--render-wmf IN OUT" under the loader's limits,
// which renders with the editor's own renderer code and libwmf. A crash or
// a stall of libwmf ends only the child; what is fuzzed in this process is
// the parent's handling of whatever the child did (exit status, time limit,
// missing or malformed output). libwmf itself never runs in the fuzzer's
// own process: it is an unhardened system library whose faults the child
// contains by design. The parent's reading of the child's PNG is also fed
// the input directly.

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>

#include "core/picturedata.h"
#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "fuzzsupport.h"

using namespace tobrin;
using tobrin::fuzz::TailBytes;

namespace {

QTemporaryDir* g_dir = nullptr;
QString g_input;

bool OnlyBlackAndWhite(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x] & 0xFFFFFFu;
            if (c != 0 && c != 0xFFFFFFu)
                return false;
        }
    }
    return true;
}

void CheckConverted(const ImportPipeline& p)
{
    FUZZ_CHECK(p.HSize() >= ImportPipeline::kHSizeMin && p.HSize() <= ImportPipeline::kHSizeMax);
    FUZZ_CHECK(p.VSize() >= ImportPipeline::kVSizeMin && p.VSize() <= ImportPipeline::kVSizeMax);
    FUZZ_CHECK(p.Dest().size() == QSize(p.HSize(), p.VSize()));
    FUZZ_CHECK(p.Tolerance() >= 1 && p.Tolerance() <= 255);
    FUZZ_CHECK(p.uRed() || p.uGreen() || p.uBlue() || p.Conversions() == 0);
    if (!p.MatchSizeAvailable())
        FUZZ_CHECK(!p.MatchSize());
    const QSize box = ImportPipeline::DisplayBox();
    FUZZ_CHECK(p.Disp().width() <= box.width() - 2 && p.Disp().height() <= box.height() - 2);
    FUZZ_CHECK(OnlyBlackAndWhite(p.Dest()));

    // The transfer writes exactly the target rectangle, 0 or 1.
    PictureData d;
    for (std::size_t i = 0; i < d.PicData.size(); ++i)
        d.PicData[i] = std::uint8_t(2 + i % 3);  // no picture holds these
    const PictureData before = d;
    p.GetImport(d);
    FUZZ_CHECK(d.MaxX == p.HSize() - 1 && d.MaxY == p.VSize() - 1);
    for (int y = 0; y < kPicRows; ++y) {
        for (int x = 0; x < kPicColumns; ++x) {
            const bool inside = x < p.HSize() && y < p.VSize();
            if (inside)
                FUZZ_CHECK(d.Pic(x, y) <= 1);
            else
                FUZZ_CHECK(d.Pic(x, y) == before.Pic(x, y));
        }
    }
}

// The options a user could set after loading, from four tail bytes.
void ApplyOptions(ImportPipeline& p, const TailBytes& tail, std::size_t at)
{
    const std::uint8_t flags = tail[at];
    p.SetRed(flags & 1);
    p.SetGreen(flags & 2);
    p.SetBlue(flags & 4);
    p.ConvertImage();
    p.SetInvert(flags & 8);
    p.ConvertImage();
    p.SetTolerance(int(tail[at + 1]) - 8);  // also below the range
    if (flags & 16) {
        p.SetAspect(true);
        p.ConvertImage();
    }
    if (flags & 32) {
        // Sizes from below to above the sliders' ranges.
        p.SetHSize(int(tail[at + 2]) - 8);
        p.SetVSize(int(tail[at + 3]) - 8);
    }
    if (flags & 64) {
        p.SetMatchSize(!p.MatchSize());
        p.ConvertImage();
    }
    p.ConvertImage();  // the redraw delay expires
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tobrin::fuzz::QuietQtMessages();
    static int appArgc = 1;
    static char* appArgv[] = {(*argv)[0], nullptr};
    new QGuiApplication(appArgc, appArgv);  // lives as long as the process
    g_dir = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/tobrin-fuzz-XXXXXX"));
    FUZZ_CHECK(g_dir->isValid());
    g_input = g_dir->filePath(QStringLiteral("input"));
    std::atexit([] { delete g_dir; });  // libFuzzer ends with exit()
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (tobrin::fuzz::ClaimsHugeSize(bytes))
        return 0;
    {
        QFile file(g_input);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes) == bytes.size());
    }

    ImageLoader loader;
    loader.SetRendererProgram(QStringLiteral(TOBRIN_WMF_CHILD));
    loader.SetRendererTimeoutMs(2000);

    // The parent's reading of a rendered metafile.
    {
        QByteArray copy = bytes;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        QImage image;
        QString error;
        if (ImageLoader::ReadRaster(buffer, QByteArrayLiteral("png"), &image, &error)) {
            FUZZ_CHECK(!image.isNull());
            FUZZ_CHECK(qint64(image.width()) * image.height() <= ImageLoader::kMaxPixels);
        } else {
            FUZZ_CHECK(!error.isEmpty() || image.isNull());
        }
    }

    // Load, as the dialog's Load button does.
    ImportPipeline p;
    p.BeginLoad();
    QString error;
    if (!p.FinishLoad(g_input, loader, &error)) {
        FUZZ_CHECK(!p.HasSource());
        FUZZ_CHECK(p.Conversions() == 0);
        return 0;
    }
    FUZZ_CHECK(p.HasSource());
    // A streamed JPEG or PNG is only held as its display copy.
    const QSize sourceSize = p.SourceSize();
    const QImage& source = p.Source();
    FUZZ_CHECK(source.isNull() || source.size() == sourceSize);
    FUZZ_CHECK(p.Disp().size() == ImportPipeline::DisplayCopySize(sourceSize.width(), sourceSize.height()));
    FUZZ_CHECK(qint64(sourceSize.width()) * sourceSize.height() <= ImageLoader::kMaxStreamedPixels);
    FUZZ_CHECK(p.MatchSizeAvailable() == (sourceSize.width() <= kMaxWidth && sourceSize.height() <= kMaxHeight));
    CheckConverted(p);

    const TailBytes tail(data, size);
    ApplyOptions(p, tail, 0);
    CheckConverted(p);
    ApplyOptions(p, tail, 4);
    CheckConverted(p);

    // The same image pasted from the clipboard into the dialog.
    ImportPipeline pasted;
    FUZZ_CHECK(pasted.Paste(source.isNull() ? p.Disp() : source));
    FUZZ_CHECK(pasted.HasSource());
    CheckConverted(pasted);
    return 0;
}
