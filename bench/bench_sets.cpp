// Sets of frames: exporting a 64-frame set of the largest picture to each
// format that holds a set, as µs per frame (the us_per_frame counter), and
// against exporting one frame to the same format in the same run (printed
// as a ratio per frame at the end: 1.0 means a set costs no more per frame
// than a single picture).

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "core/formats.h"
#include "imagefiles.h"
#include "benchsupport.h"

namespace {

using tobrin::ByteOrder;
using tobrin::Format;

constexpr int kFrames = 64;

const tobrin::MonoSet& Walk(int frames)
{
    static const tobrin::MonoSet set = [] {
        tobrin::MonoSet s;
        for (int i = 0; i < kFrames; ++i) {
            s.frames.push_back(tobrin::testfiles::RandomPicture(tobrin::kMaxWidth, tobrin::kMaxHeight, 300u + unsigned(i)));
            s.delays.push_back(40 + 10 * (i % 5));
        }
        return s;
    }();
    static const tobrin::MonoSet one = tobrin::MonoSet{{set.frames[0]}, {set.delays[0]}};
    return frames == 1 ? one : set;
}

struct Form {
    const char* name;
    const tobrin::FileFormat& format;
    ByteOrder order;
};
const Form kForms[] = {
    {"hex", Format("hex"), ByteOrder::Msb},     {"c_msb", Format("c"), ByteOrder::Msb},
    {"c_lsb", Format("c"), ByteOrder::Lsb},     {"c_pages", Format("c"), ByteOrder::Pages},
    {"png_sheet", Format("png"), ByteOrder::Msb}, {"gif", Format("gif"), ByteOrder::Msb},
};

void BM_ExportSet(benchmark::State& state, Form f, int frames)
{
    tobrin::ExportOptions options;
    options.order = f.order;
    options.name = QStringLiteral("walk");
    options.sheetColumns = 8;
    const tobrin::MonoSet& set = Walk(frames);
    for (auto _ : state) {
        auto data = f.format.encodeSet(set, options, QStringLiteral("walk"), nullptr);
        if (!data) {
            state.SkipWithError("export failed");
            break;
        }
        benchmark::DoNotOptimize(data->data());
    }
    // Seconds per iteration / (frames / 10^6): microseconds per frame.
    state.counters["us_per_frame"] = benchmark::Counter(frames * 1e-6, benchmark::Counter::kIsIterationInvariantRate
                                                                            | benchmark::Counter::kInvert);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (const Form& f : kForms)
        for (const int frames : {1, kFrames})
            benchmark::RegisterBenchmark(
                (std::string("BM_ExportSet/") + f.name + "/" + std::to_string(frames)).c_str(), BM_ExportSet, f,
                frames)
                ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    tobrin::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const Form& f : kForms) {
        const std::string base = std::string("BM_ExportSet/") + f.name + "/";
        const auto one = reporter.Time(base + "1");
        const auto set = reporter.Time(base + std::to_string(kFrames));
        if (one.cpu > 0 && set.cpu > 0)
            std::printf("%-10s %8.1f us per frame of %d, %8.1f us for one frame: %.2f per frame\n", f.name,
                        set.cpu / kFrames, kFrames, one.cpu, set.cpu / kFrames / one.cpu);
    }
    benchmark::Shutdown();
    return 0;
}
