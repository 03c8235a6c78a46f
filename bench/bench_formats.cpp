// The picture files: every writer and reader on the largest picture (µs),
// and a dithered import of a 4000 x 3000 JPEG against the bare decode of
// the same file (printed as a ratio at the end; the plain threshold import
// is measured beside it for scale). The C array written run-length
// compressed is printed against the plain C array of the same picture.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "core/picturedata.h"
#include "core/formats.h"
#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "core/rle.h"
#include "imagefiles.h"
#include "benchsupport.h"

namespace {

using tobrin::ByteOrder;
using tobrin::Format;

const tobrin::MonoPicture& Largest()
{
    static const tobrin::MonoPicture picture = tobrin::testfiles::RandomPicture(tobrin::kMaxWidth, tobrin::kMaxHeight, 240);
    return picture;
}

struct Form {
    const char* name;
    const tobrin::FileFormat& format;
    ByteOrder order;
    bool rle = false;
};
const Form kForms[] = {
    {"hex", Format("hex"), ByteOrder::Msb},  {"c_msb", Format("c"), ByteOrder::Msb},
    {"c_lsb", Format("c"), ByteOrder::Lsb}, {"c_pages", Format("c"), ByteOrder::Pages},
    {"xbm", Format("xbm"), ByteOrder::Msb},      {"pbm", Format("pbm"), ByteOrder::Msb},
    {"png", Format("png"), ByteOrder::Msb},      {"c_msb_rle", Format("c"), ByteOrder::Msb, true},
};

QByteArray Encoded(const Form& f)
{
    tobrin::ExportOptions options;
    options.order = f.order;
    options.rle = f.rle;
    return *tobrin::EncodePicture(Largest(), f.format, options, QStringLiteral("picture"));
}

void BM_Write(benchmark::State& state, Form f)
{
    tobrin::ExportOptions options;
    options.order = f.order;
    options.rle = f.rle;
    for (auto _ : state) {
        auto data = tobrin::EncodePicture(Largest(), f.format, options, QStringLiteral("picture"));
        benchmark::DoNotOptimize(data);
    }
}

void BM_Read(benchmark::State& state, Form f)
{
    const QByteArray data = Encoded(f);
    for (auto _ : state) {
        auto picture = tobrin::DecodePicture(data, f.format);
        if (!picture) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(picture->cells.data());
    }
}

using tobrin::testfiles::BandedPicture;
using tobrin::LargeJpeg;

// "tobrin import --dither D --size 240x120" without its file output.
void BM_Import_Jpeg4000x3000(benchmark::State& state, tobrin::Dither dither)
{
    const QString& path = LargeJpeg();
    tobrin::ImageLoader loader;
    for (auto _ : state) {
        tobrin::ImportPipeline p;
        p.SetDither(dither);
        p.SetMatchSize(false);
        p.SetHSize(tobrin::kMaxWidth);
        p.SetVSize(tobrin::kMaxHeight);
        if (!tobrin::LoadConvertAndTransfer(state, p, path, loader))
            break;
    }
}

// One conversion of the largest display copy into the largest target: the
// part of the import that dithering changes.
void BM_Convert_LargestDisplayCopy(benchmark::State& state, tobrin::Dither dither)
{
    tobrin::ImportPipeline p;
    p.SetDither(dither);
    p.SetMatchSize(false);
    p.SetHSize(tobrin::kMaxWidth);
    p.SetVSize(tobrin::kMaxHeight);
    const QSize box = tobrin::ImportPipeline::DisplayBox();
    p.Paste(BandedPicture(box.width() - 2, box.height() - 2));
    for (auto _ : state) {
        p.ConvertImage();
        benchmark::DoNotOptimize(p.Dest().constBits());
    }
}

// The compression alone, on the bytes the C array packs.
void BM_RleEncode(benchmark::State& state)
{
    const QByteArray raw = tobrin::PackedBytes(Largest(), ByteOrder::Msb);
    for (auto _ : state)
        benchmark::DoNotOptimize(tobrin::RleEncode(raw));
}

void BM_Decode_Jpeg4000x3000(benchmark::State& state)
{
    tobrin::BareDecodeOfLargeJpeg(state);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (const Form& f : kForms) {
        benchmark::RegisterBenchmark((std::string("BM_Write/") + f.name).c_str(), BM_Write, f)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("BM_Read/") + f.name).c_str(), BM_Read, f)
            ->Unit(benchmark::kMicrosecond);
    }
    const std::pair<const char*, tobrin::Dither> imports[] = {
        {"none", tobrin::Dither::None}, {"fs", tobrin::Dither::FloydSteinberg},
        {"atkinson", tobrin::Dither::Atkinson}, {"bayer8", tobrin::Dither::Bayer8}};
    for (const auto& [name, dither] : imports)
        benchmark::RegisterBenchmark((std::string("BM_Convert_LargestDisplayCopy/") + name).c_str(),
                                     BM_Convert_LargestDisplayCopy, dither)
            ->Unit(benchmark::kMicrosecond);
    for (const auto& [name, dither] : imports)
        benchmark::RegisterBenchmark((std::string("BM_Import_Jpeg4000x3000/") + name).c_str(),
                                     BM_Import_Jpeg4000x3000, dither)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RleEncode/msb", BM_RleEncode)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_Decode_Jpeg4000x3000", BM_Decode_Jpeg4000x3000)->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    tobrin::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto decode = reporter.Time("BM_Decode_Jpeg4000x3000");
    for (const auto& [name, dither] : imports) {
        const auto import = reporter.Time(std::string("BM_Import_Jpeg4000x3000/") + name);
        if (import.real > 0 && decode.real > 0 && decode.cpu > 0)
            std::printf("import (%s) / bare decode: %.2f wall (%.1f ms / %.1f ms), %.2f cpu (%.1f ms / %.1f ms)\n",
                        name, import.real / decode.real, import.real, decode.real, import.cpu / decode.cpu,
                        import.cpu, decode.cpu);
    }
    const auto plain = reporter.Time("BM_Write/c_msb");
    const auto rle = reporter.Time("BM_Write/c_msb_rle");
    const auto encode = reporter.Time("BM_RleEncode/msb");
    if (plain.real > 0 && rle.real > 0)
        std::printf("C array 240x120 run-length compressed / plain: %.2f (%.1f us / %.1f us; the compression "
                    "alone %.1f us)\n",
                    rle.real / plain.real, rle.real, plain.real, encode.real);
    benchmark::Shutdown();
    return 0;
}
