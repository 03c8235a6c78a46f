#pragma once

#include <QImage>
#include <QImageReader>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

#include <map>
#include <string>
#include <vector>

#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "core/picturedata.h"
#include "imagefiles.h"

namespace tobrin {

// Prints as Google Benchmark does and keeps each benchmark's median (or its
// single run when it has no repetitions), so a run can end with ratios
// against a baseline measured in the same run.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double real = 0;  // in the benchmark's own unit
        double cpu = 0;
    };

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const std::string name = run.run_name.function_name;
            const Times t{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians_[name] = t;
            else if (run.run_type == Run::RT_Iteration && !medians_.count(name))
                singles_[name] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Zero when the benchmark did not run.
    Times Time(const std::string& name) const
    {
        const auto m = medians_.find(name);
        if (m != medians_.end())
            return m->second;
        const auto s = singles_.find(name);
        return s != singles_.end() ? s->second : Times{};
    }

private:
    std::map<std::string, Times> medians_;
    std::map<std::string, Times> singles_;
};

// The 4000 x 3000 JPEG the import benchmarks decode, written once per run.
inline const QString& LargeJpeg()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("large.jpg"));
        if (!testfiles::BandedPicture(4000, 3000).save(p, "JPG", 90))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(p));
        return p;
    }();
    return path;
}

// Qt's whole decode of the large JPEG: the baseline the import ratios use.
inline void BareDecodeOfLargeJpeg(benchmark::State& state)
{
    const QString& path = LargeJpeg();
    QImageReader::setAllocationLimit(ImageLoader::kAllocationLimitMb);
    for (auto _ : state) {
        QImageReader reader(path);
        QImage image = reader.read();
        if (image.isNull()) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The rest of an import once the options are set, as the dialog's Load and
// Import buttons make it: load, convert, transfer into a picture. False, with
// the benchmark skipped, when the file does not load.
inline bool LoadConvertAndTransfer(benchmark::State& state, ImportPipeline& p, const QString& path,
                                   const ImageLoader& loader)
{
    p.BeginLoad();
    if (!p.FinishLoad(path, loader)) {
        state.SkipWithError("load failed");
        return false;
    }
    p.ConvertImage();
    PictureData d;
    p.GetImport(d);
    benchmark::DoNotOptimize(d.PicData.data());
    return true;
}

}  // namespace tobrin
