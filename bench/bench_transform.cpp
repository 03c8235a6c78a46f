// Costs of the picture transforms on the largest picture (240 x 120), each
// set beside one plain copy of the 241 x 121 plane in the same run (what a
// history step costs at least). A 240 x 120 picture cannot be turned as a
// whole, so the rotations turn its largest square block, 120 x 120.
// Prints the medians and the ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/transform.h"
#include "benchsupport.h"

namespace {

using namespace tobrin;
using Plane = PictureData::Plane;

Plane RandomPlane()
{
    std::mt19937 rng(42);
    Plane p;
    for (auto& v : p)
        v = rng() & 1;
    return p;
}

void BM_PlaneCopy(benchmark::State& state)
{
    const Plane source = RandomPlane();
    Plane target{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(source.data());
        target = source;
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}

struct Case {
    const char* name;
    Transform t;
    bool squareBlock;
};

const Case kCases[] = {
    {"FlipHorizontal", Transform::FlipHorizontal, false},
    {"FlipVertical", Transform::FlipVertical, false},
    {"RotateClockwise120", Transform::RotateClockwise, true},
    {"RotateCounterClockwise120", Transform::RotateCounterClockwise, true},
    {"Invert", Transform::Invert, false},
    {"ShiftLeft", Transform::ShiftLeft, false},
    {"ShiftRight", Transform::ShiftRight, false},
    {"ShiftUp", Transform::ShiftUp, false},
    {"ShiftDown", Transform::ShiftDown, false},
};

void BM_Transform(benchmark::State& state, Case c)
{
    Plane plane = RandomPlane();
    const std::optional<QRect> block = c.squareBlock ? std::optional<QRect>(QRect(60, 0, 120, 120)) : std::nullopt;
    for (auto _ : state) {
        const TransformResult r = ApplyTransform(plane, c.t, kMaxWidth, kMaxHeight, block);
        benchmark::DoNotOptimize(r.ok);
        benchmark::DoNotOptimize(plane.data());
        benchmark::ClobberMemory();
    }
}

void Configure(benchmark::internal::Benchmark* b)
{
    b->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv)
{
    Configure(benchmark::RegisterBenchmark("BM_PlaneCopy", BM_PlaneCopy));
    for (const Case& c : kCases)
        Configure(benchmark::RegisterBenchmark((std::string("BM_") + c.name).c_str(), BM_Transform, c));
    benchmark::Initialize(&argc, argv);

    tobrin::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double copy = reporter.Time("BM_PlaneCopy").real;
    if (copy > 0) {
        std::printf("\nMedians against one copy of the 241 x 121 plane (%.2f us):\n", copy);
        for (const Case& c : kCases) {
            const double median = reporter.Time(std::string("BM_") + c.name).real;
            if (median > 0)
                std::printf("  %-28s %8.2f us  = %6.2f x the copy\n", c.name, median, median / copy);
        }
    }
    return 0;
}
