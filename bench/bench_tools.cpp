// Costs of the drawing tools on the largest picture: a flood fill of the
// whole 240 x 120 area, set beside one plain fill of a canvas-sized image,
// and a transfer walk over an area full of marks.
#include <benchmark/benchmark.h>

#include <QColor>
#include <QImage>

#include "core/scratchsurface.h"

namespace {

using tobrin::PictureData;
using tobrin::ScratchSurface;
using tobrin::TransferMarks;
using tobrin::TransferSettings;
using tobrin::ViewWindow;

ViewWindow LargestView()
{
    ViewWindow v;
    v.ViewLeft = 0;
    v.ViewTop = 0;
    v.ViewRight = 239;
    v.ViewBottom = 119;
    v.ViewColumns = 240;
    v.ViewRows = 120;
    return v;
}

// (a) Load an empty 240 x 120 picture and fill it all from (0, 0), as a Fill
// click on a blank picture does.
void BM_FloodFillWholeArea(benchmark::State& state)
{
    PictureData d;
    d.MaxX = 239;
    d.MaxY = 119;
    const ViewWindow v = LargestView();
    ScratchSurface h;
    for (auto _ : state) {
        h.LoadHolder(d, v);
        h.FloodFill(QPoint(0, 0), ScratchSurface::kBlack);
        benchmark::DoNotOptimize(h.Image().constBits());
    }
    state.SetItemsProcessed(state.iterations() * 240 * 120);
}
BENCHMARK(BM_FloodFillWholeArea)->Repetitions(9)->ReportAggregatesOnly(true);

// (b) The yardstick: one plain fill of an image as large as the canvas of
// the largest picture (7 px per cell plus the closing grid line).
void BM_PlainCanvasFill(benchmark::State& state)
{
    QImage canvas(240 * 7 + 1, 120 * 7 + 1, QImage::Format_RGB32);
    for (auto _ : state) {
        canvas.fill(Qt::white);
        benchmark::DoNotOptimize(canvas.constBits());
    }
    state.SetItemsProcessed(state.iterations() * canvas.width() * canvas.height());
}
BENCHMARK(BM_PlainCanvasFill)->Repetitions(9)->ReportAggregatesOnly(true);

// (c) The transfer walk over a 240 x 120 area that is red everywhere, with a
// plot that does nothing: the cost of reading and classifying every pixel.
void BM_TransferAllRed(benchmark::State& state)
{
    const ViewWindow v = LargestView();
    ScratchSurface h;
    h.ClearArea(240, 120);
    for (int j = 0; j < 120; ++j)
        for (int i = 0; i < 240; ++i)
            h.SetPixel(i, j, ScratchSurface::kRed);
    TransferSettings s;
    s.SolidStroke = false;
    s.LineStyleIndex = tobrin::LineStyle::DotDash;  // the costliest pattern
    s.PatternDensity = 3;
    long long plotted = 0;
    const std::function<void(int, int, int)> plot = [&](int, int, int ink) { plotted += ink; };
    for (auto _ : state) {
        TransferMarks(h, v, s, plot);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(plotted);
    state.SetItemsProcessed(state.iterations() * 240 * 120);
}
BENCHMARK(BM_TransferAllRed)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
