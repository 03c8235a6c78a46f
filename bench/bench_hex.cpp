#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <random>
#include <string>

#include "core/picturedata.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"
#include "imagefiles.h"

namespace {

tobrin::PictureData RandomLargest()
{
    return tobrin::testfiles::RandomPicture(tobrin::kMaxWidth, tobrin::kMaxHeight, 42, false);
}

// The whole 240 x 120 text, as every picture change rebuilds it.
void BM_WriteHexText(benchmark::State& state)
{
    const tobrin::PictureData d = RandomLargest();
    tobrin::HexRowArray rows;
    for (auto _ : state) {
        tobrin::BuildHexRows(d, rows);
        std::string text = tobrin::AssembleHexText(d, rows);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(tobrin::HexText(d).size()));
}
BENCHMARK(BM_WriteHexText);

// Reading (and validating) a 240 x 120 file held in memory.
void BM_ReadHexData(benchmark::State& state)
{
    const std::string text = tobrin::HexText(RandomLargest()) + "\r\n";
    QByteArray bytes(text.data(), qsizetype(text.size()));
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        auto picture = tobrin::ReadHexData(buffer);
        if (!picture)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(picture);
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(text.size()));
}
BENCHMARK(BM_ReadHexData);

// Reading and unpacking into the picture, as Open does.
void BM_ReadAndUnpack(benchmark::State& state)
{
    const std::string text = tobrin::HexText(RandomLargest()) + "\r\n";
    QByteArray bytes(text.data(), qsizetype(text.size()));
    tobrin::PictureData d;
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        auto picture = tobrin::ReadHexData(buffer);
        tobrin::UnpackHexPicture(*picture, d);
        benchmark::DoNotOptimize(d.PicData.data());
    }
}
BENCHMARK(BM_ReadAndUnpack);

}  // namespace

BENCHMARK_MAIN();
