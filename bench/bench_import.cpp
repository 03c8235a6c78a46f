#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstdio>
#include <gif_lib.h>
#include <map>
#include <string>

#include "core/picturedata.h"
#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "core/gifcodec.h"
#include "core/setimport.h"
#include "core/streamdecode.h"
#include "core/stretch.h"
#include "imagefiles.h"
#include "benchsupport.h"

namespace {

using tobrin::testfiles::BandedPicture;
using tobrin::LargeJpeg;

// One conversion of the largest display copy (the box's whole image area).
void BM_ConvertImage_LargestDisplayCopy(benchmark::State& state)
{
    tobrin::ImportPipeline p;
    p.SetMatchSize(false);
    p.SetAspect(true);
    p.SetHSize(tobrin::kMaxWidth);
    p.SetVSize(tobrin::kMaxHeight);
    const QSize box = tobrin::ImportPipeline::DisplayBox();
    p.Paste(BandedPicture(box.width() - 2, box.height() - 2));
    if (p.Disp().size() != QSize(box.width() - 2, box.height() - 2))
        state.SkipWithError("display copy is not the largest");
    for (auto _ : state) {
        p.ConvertImage();
        benchmark::DoNotOptimize(p.Dest().constBits());
    }
    state.SetItemsProcessed(state.iterations() * p.Disp().width() * p.Disp().height());
}
BENCHMARK(BM_ConvertImage_LargestDisplayCopy)->Unit(benchmark::kMicrosecond);

// "tobrin import" without its file output: load, display copy, conversion,
// transfer into the picture.
void BM_ImportPipeline_Jpeg4000x3000(benchmark::State& state)
{
    const QString& path = LargeJpeg();
    tobrin::ImageLoader loader;
    for (auto _ : state) {
        tobrin::ImportPipeline p;
        if (!tobrin::LoadConvertAndTransfer(state, p, path, loader))
            break;
    }
}
BENCHMARK(BM_ImportPipeline_Jpeg4000x3000)->Unit(benchmark::kMillisecond);

// The bare decode of the same file, for scale.
void BM_QImageReaderDecode_Jpeg4000x3000(benchmark::State& state)
{
    tobrin::BareDecodeOfLargeJpeg(state);
}
BENCHMARK(BM_QImageReaderDecode_Jpeg4000x3000)->Unit(benchmark::kMillisecond);

// The same file decoded row by row straight into the display copy.
void BM_StreamDecode_Jpeg4000x3000(benchmark::State& state)
{
    const QString& path = LargeJpeg();
    const auto box = [](QSize s) { return tobrin::ImportPipeline::DisplayCopySize(s.width(), s.height()); };
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QImage copy;
        QSize size;
        QString error;
        if (tobrin::StreamDecode(file, tobrin::ImageLoader::kMaxStreamedPixels, tobrin::ImageLoader::kMaxPixels, box,
                                 &copy, &size, &error)
            != tobrin::StreamOutcome::Decoded) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(copy.constBits());
    }
}
BENCHMARK(BM_StreamDecode_Jpeg4000x3000)->Unit(benchmark::kMillisecond);

// The shrink into the display copy alone: from a whole decoded image (as
// before) and row by row (as now).
const QImage& LargePicture()
{
    static const QImage image = BandedPicture(4000, 3000);
    return image;
}

void BM_ShrinkWhole_4000x3000(benchmark::State& state)
{
    const QSize copy = tobrin::ImportPipeline::DisplayCopySize(4000, 3000);
    for (auto _ : state)
        benchmark::DoNotOptimize(tobrin::Stretched(LargePicture(), copy.width(), copy.height()).constBits());
}
BENCHMARK(BM_ShrinkWhole_4000x3000)->Unit(benchmark::kMillisecond);

void BM_ShrinkRows_4000x3000(benchmark::State& state)
{
    const QImage& image = LargePicture();
    const QSize copy = tobrin::ImportPipeline::DisplayCopySize(4000, 3000);
    for (auto _ : state) {
        tobrin::RowShrinker shrinker(image.size(), copy);
        for (int y = 0; y < image.height(); ++y)
            shrinker.AddRow(reinterpret_cast<const QRgb*>(image.constScanLine(y)));
        benchmark::DoNotOptimize(shrinker.Take().constBits());
    }
}
BENCHMARK(BM_ShrinkRows_4000x3000)->Unit(benchmark::kMillisecond);

// An animated GIF of 64 frames of 240 x 120, a figure walking over a
// banded ground, written once for the run.
const QString& WalkingGif()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        tobrin::MonoSet set;
        for (int k = 0; k < 64; ++k) {
            tobrin::MonoPicture frame;
            frame.width = tobrin::kMaxWidth;
            frame.height = tobrin::kMaxHeight;
            for (int y = 0; y < frame.height; ++y)
                for (int x = 0; x < frame.width; ++x) {
                    const bool figure = std::abs(x - 3 * k - 20) < 12 && y > 30 && y < 100;
                    frame.At(x, y) = figure || (y > 100 && (x + y + k) % 7 < 3) || (x * y + k) % 23 == 0;
                }
            set.frames.push_back(frame);
            set.delays.push_back(80);
        }
        const auto bytes = tobrin::EncodeGif(set);
        QFile file(dir.filePath(QStringLiteral("walk.gif")));
        if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size())
            return QString();
        return file.fileName();
    }();
    return path;
}

// "tobrin import walk.gif -o set.db" without its file output: the frames
// decoded and composited on one thread, each converted as a picture on this
// one as soon as it is decoded.
void BM_SetImport_Gif64(benchmark::State& state)
{
    const QString& path = WalkingGif();
    tobrin::ImageLoader loader;
    for (auto _ : state) {
        const tobrin::SettleSet settle = [](const QImage& first) {
            tobrin::ImportPipeline p;
            p.Paste(first);
            return p;
        };
        const auto set = tobrin::ReadAndConvertSet({path}, tobrin::SheetCut{}, loader, settle);
        if (!set || set->Count() != 64) {
            state.SkipWithError("conversion failed");
            break;
        }
        benchmark::DoNotOptimize(set->frames.back().cells.data());
    }
}
// The set's frames are converted on several threads: the CPU time counts
// every thread of the process (here and in the baseline), not only this one.
BENCHMARK(BM_SetImport_Gif64)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The same import with every frame read before any is converted, as
// ReadSetSources and ConvertSet do it: what converting during the decode
// saves.
void BM_ReadThenConvert_Gif64(benchmark::State& state)
{
    const QString& path = WalkingGif();
    tobrin::ImageLoader loader;
    for (auto _ : state) {
        const auto sources = tobrin::ReadSetSources({path}, tobrin::SheetCut{}, loader);
        if (!sources) {
            state.SkipWithError("read failed");
            break;
        }
        tobrin::ImportPipeline p;
        p.Paste(sources->Frame(0));
        const auto set = tobrin::ConvertSet(p, *sources);
        if (!set || set->Count() != 64) {
            state.SkipWithError("conversion failed");
            break;
        }
        benchmark::DoNotOptimize(set->frames.back().cells.data());
    }
}
BENCHMARK(BM_ReadThenConvert_Gif64)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The conversion part alone: 64 frames of 240 x 120 already decoded.
void BM_ConvertSet_64Frames(benchmark::State& state)
{
    tobrin::SetSources sources;
    for (int k = 0; k < 64; ++k)
        sources.Add(BandedPicture(tobrin::kMaxWidth, tobrin::kMaxHeight).convertToFormat(QImage::Format_ARGB32), 80,
                    tobrin::SheetCut{});
    tobrin::ImportPipeline p;
    p.Paste(sources.Frame(0));
    for (auto _ : state) {
        const auto set = tobrin::ConvertSet(p, sources);
        benchmark::DoNotOptimize(set->frames.back().cells.data());
    }
}
BENCHMARK(BM_ConvertSet_64Frames)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// giflib's bare decode of the same file, for scale.
void BM_DGifSlurp_Gif64(benchmark::State& state)
{
    const QByteArray name = QFile::encodeName(WalkingGif());
    for (auto _ : state) {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(name.constData(), &error);
        if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount != 64) {
            state.SkipWithError("DGifSlurp failed");
            DGifCloseFile(gif, &error);
            break;
        }
        benchmark::DoNotOptimize(gif->SavedImages[63].RasterBits);
        DGifCloseFile(gif, &error);
    }
}
BENCHMARK(BM_DGifSlurp_Gif64)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    tobrin::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto pipeline = reporter.Time("BM_ImportPipeline_Jpeg4000x3000");
    const auto decode = reporter.Time("BM_QImageReaderDecode_Jpeg4000x3000");
    if (pipeline.real > 0 && decode.real > 0 && decode.cpu > 0)
        std::printf("import pipeline / bare decode: %.2f wall (%.1f ms / %.1f ms), %.2f cpu (%.1f ms / %.1f ms)\n",
                    pipeline.real / decode.real, pipeline.real, decode.real, pipeline.cpu / decode.cpu, pipeline.cpu,
                    decode.cpu);
    const auto streamed = reporter.Time("BM_StreamDecode_Jpeg4000x3000");
    if (streamed.real > 0 && decode.real > 0)
        std::printf("streamed decode into the display copy / Qt's whole decode: %.2f wall (%.1f ms / %.1f ms)\n",
                    streamed.real / decode.real, streamed.real, decode.real);
    const auto set = reporter.Time("BM_SetImport_Gif64");
    const auto slurp = reporter.Time("BM_DGifSlurp_Gif64");
    if (set.real > 0 && slurp.real > 0 && slurp.cpu > 0)
        std::printf("64-frame GIF import / DGifSlurp: %.2f wall (%.2f ms / %.2f ms), %.2f cpu (%.2f ms / %.2f ms)\n",
                    set.real / slurp.real, set.real, slurp.real, set.cpu / slurp.cpu, set.cpu, slurp.cpu);
    const auto apart = reporter.Time("BM_ReadThenConvert_Gif64");
    if (apart.real > 0 && slurp.real > 0 && slurp.cpu > 0)
        std::printf("64-frame GIF read, then converted / DGifSlurp: %.2f wall, %.2f cpu\n", apart.real / slurp.real,
                    apart.cpu / slurp.cpu);
    benchmark::Shutdown();
    return 0;
}
