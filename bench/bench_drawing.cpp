// Costs of the drawing window on the largest picture (240 x 120, all of it in
// view): a full redraw of a random picture (as is, and with every pixel
// changed in between), and one drag step of the Line
// and Ellipse tools (reload, redraw, shape, tentative transfer) and one
// keystroke into the Text tool, each set beside one plain fill of the same
// canvas image; one Undo, one Redo and one Invert of
// the whole picture as history steps. Prints the medians and the ratios.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMdiSubWindow>
#include <QPoint>
#include <QSignalBlocker>
#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "core/zoom.h"
#include "drawing/drawarea.h"
#include "drawing/drawingwindow.h"
#include "drawing/tools/textfontbar.h"
#include "drawing/tools/tool.h"
#include "frame/framewindow.h"
#include "preview/devicepreview.h"
#include "app/session.h"
#include "fakedialogs.h"
#include "benchsupport.h"

namespace {

using namespace tobrin;

struct Editor {
    FakeDialogs dialogs;  // never asked anything: the benchmarks only draw
    Session session{dialogs};
    FrameWindow frame{session};
    DrawingWindow* main = nullptr;

    Editor()
    {
        frame.resize(2100, 1300);
        frame.show();
        main = &frame.DrawingWindow();
        // Room for the whole 240 x 120 picture: no scroll bars.
        if (QMdiSubWindow* sub = frame.DrawingSubWindow()) {
            sub->show();
            sub->resize(sub->size() + (QSize(1850, 1000) - main->size()));
        } else {
            main->resize(1850, 1000);
            main->show();
        }
        QCoreApplication::processEvents();
        main->Document().ChangeSize(239, 119);
        std::mt19937 random(12345);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 240; ++x)
                session.document.SetPixel(x, y, static_cast<std::uint8_t>(random() & 1));
        main->RedrawAll();
        QCoreApplication::processEvents();
    }
};

Editor* g_editor = nullptr;

bool FullView()
{
    const ViewWindow& v = g_editor->main->State().view;
    return v.ViewColumns == 240 && v.ViewRows == 120;
}

void BM_PlainFill(benchmark::State& state)
{
    DrawArea* canvas = g_editor->main->Canvas();
    for (auto _ : state) {
        canvas->FillImage(0xFFFFFFFFu);
        benchmark::DoNotOptimize(canvas->Image().constBits());
    }
    state.counters["pixels"] = canvas->Image().width() * canvas->Image().height();
}
BENCHMARK(BM_PlainFill)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

void BM_RedrawAll(benchmark::State& state)
{
    if (!FullView())
        state.SkipWithError("the view does not show the whole picture");
    DrawingWindow& main = *g_editor->main;
    for (auto _ : state) {
        main.RedrawAll();
        benchmark::DoNotOptimize(main.Canvas()->Image().constBits());
    }
}
BENCHMARK(BM_RedrawAll)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// The same with every pixel changed before each redraw, so every device
// preview dot has to be plotted anew (the flip itself is included).
void BM_RedrawAllChanged(benchmark::State& state)
{
    if (!FullView())
        state.SkipWithError("the view does not show the whole picture");
    DrawingWindow& main = *g_editor->main;
    PictureDocument& doc = g_editor->session.document;
    for (auto _ : state) {
        {
            // Behind the views' back, so the redraw finds every dot stale.
            const QSignalBlocker quiet(doc);
            for (int y = 0; y < 120; ++y)
                for (int x = 0; x < 240; ++x)
                    doc.SetPixel(x, y, doc.Pic(x, y) ^ 1);
        }
        benchmark::DoNotOptimize(main.Canvas()->Image().constBits());
    }
}
BENCHMARK(BM_RedrawAllChanged)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// One drag step of a shape tool as the mouse machine makes it: the tool
// wipes the last tentative shape, draws the new one and shows it.
void ShapeDragStep(benchmark::State& state, const char* tool)
{
    if (!FullView())
        state.SkipWithError("the view does not show the whole picture");
    DrawingWindow& main = *g_editor->main;
    main.ChooseTool(QLatin1String(tool));
    DrawingState& s = main.State();
    s.StartX = 3;
    s.StartY = 5;
    int step = 0;
    for (auto _ : state) {
        // The pointer wanders across the picture, one cell per step.
        const QPoint b(200 + step % 39, 110 - step % 97);
        ++step;
        main.CurrentTool().Move(main.Environment(), b, Qt::NoModifier);
        benchmark::DoNotOptimize(main.Canvas()->Image().constBits());
    }
    main.ChooseTool(QStringLiteral("pen"));
}
void BM_LineDragStep(benchmark::State& state) { ShapeDragStep(state, "line"); }
void BM_EllipseDragStep(benchmark::State& state) { ShapeDragStep(state, "ellipse"); }
BENCHMARK(BM_LineDragStep)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EllipseDragStep)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// One keystroke into the text tool as the canvas hands it over: the text
// (30 characters of the built-in 5x7 font) is shown again with the cursor.
// A letter and a Backspace take turns, so the line stays as long.
void BM_TextKeystroke(benchmark::State& state)
{
    if (!FullView())
        state.SkipWithError("the view does not show the whole picture");
    DrawingWindow& main = *g_editor->main;
    main.ChooseTool(QStringLiteral("text"));
    if (!main.findChild<TextFontBar*>()->Font())
        state.SkipWithError("the text tool has no font");
    ToolEnvironment& env = main.Environment();
    Tool& tool = main.CurrentTool();
    main.State().StartX = 10;
    main.State().StartY = 50;
    tool.Press(env, QPoint(10, 50), Qt::NoModifier);
    tool.Text(env, QStringLiteral("THE QUICK BROWN FOX JUMPS OVER"));
    int step = 0;
    for (auto _ : state) {
        if (step++ % 2 == 0)
            tool.Text(env, QStringLiteral("Z"));
        else
            tool.Key(env, Qt::Key_Backspace);
        benchmark::DoNotOptimize(main.Canvas()->Image().constBits());
    }
    tool.Key(env, Qt::Key_Escape);
    main.ChooseTool(QStringLiteral("pen"));
}
BENCHMARK(BM_TextKeystroke)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// The history on the largest picture: one step inverts every pixel, and
// Undo and Redo each bring back a whole 240 x 120 copy with every view
// (canvas, device preview, text) following.
void BM_Undo(benchmark::State& state)
{
    PictureDocument& doc = g_editor->session.document;
    doc.TransformPicture(Transform::Invert);
    for (auto _ : state) {
        doc.Undo();
        benchmark::DoNotOptimize(g_editor->main->Canvas()->Image().constBits());
        state.PauseTiming();
        doc.Redo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Undo)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

void BM_Redo(benchmark::State& state)
{
    PictureDocument& doc = g_editor->session.document;
    doc.TransformPicture(Transform::Invert);
    for (auto _ : state) {
        state.PauseTiming();
        doc.Undo();
        state.ResumeTiming();
        doc.Redo();
        benchmark::DoNotOptimize(g_editor->main->Canvas()->Image().constBits());
    }
}
BENCHMARK(BM_Redo)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// One "&Picture" transform as the menu does it: a history step, the views following.
void BM_InvertStep(benchmark::State& state)
{
    PictureDocument& doc = g_editor->session.document;
    for (auto _ : state) {
        doc.TransformPicture(Transform::Invert);
        benchmark::DoNotOptimize(g_editor->main->Canvas()->Image().constBits());
    }
}
BENCHMARK(BM_InvertStep)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// A full redraw at the largest zoom (40-pixel cells, the view a part of
// the picture) and at "Fit to window" (the whole picture in view).
void RedrawAtZoom(benchmark::State& state, bool fit)
{
    DrawingWindow& main = *g_editor->main;
    if (fit)
        main.FitToWindow();
    else
        main.ZoomTo(zoom::kMaxCellPixels);
    for (auto _ : state) {
        main.RedrawAll();
        benchmark::DoNotOptimize(main.Canvas()->Image().constBits());
    }
    state.counters["cell"] = main.ZoomLevel();
    main.ActualSize();
}
void BM_RedrawAllZoomMax(benchmark::State& state) { RedrawAtZoom(state, false); }
void BM_RedrawAllZoomFit(benchmark::State& state) { RedrawAtZoom(state, true); }
BENCHMARK(BM_RedrawAllZoomMax)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawAllZoomFit)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// Choosing the other of two random frames: the canvas, the device preview
// and the strip follow, as Page Down makes them.
void BM_FrameSwitch(benchmark::State& state)
{
    PictureDocument& doc = g_editor->session.document;
    if (doc.FrameCount() == 1) {
        doc.DuplicateFrame();
        doc.TransformPicture(Transform::Invert);
    }
    for (auto _ : state) {
        doc.SetCurrentFrame(1 - doc.CurrentFrame());
        benchmark::DoNotOptimize(g_editor->main->Canvas()->Image().constBits());
    }
}
BENCHMARK(BM_FrameSwitch)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// One step of the animation in the device preview: the other frame plotted.
void BM_PlaybackStep(benchmark::State& state)
{
    DevicePreview& preview = g_editor->frame.TavDisplayWindow();
    PictureDocument& doc = g_editor->session.document;
    int frame = 0;
    for (auto _ : state) {
        frame = (frame + 1) % doc.FrameCount();
        preview.ShowFrame(frame, doc.Bounds());
        benchmark::DoNotOptimize(preview.Display().constBits());
    }
}
BENCHMARK(BM_PlaybackStep)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Editor editor;
    g_editor = &editor;

    tobrin::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double fill = reporter.Time("BM_PlainFill").real;
    if (fill > 0) {
        std::printf("\nMedians against one plain fill of the canvas image (%.1f us):\n", fill);
        for (const char* name : {"BM_RedrawAll", "BM_RedrawAllChanged", "BM_LineDragStep", "BM_EllipseDragStep",
                                 "BM_TextKeystroke",
                                 "BM_Undo", "BM_Redo",
                                 "BM_InvertStep", "BM_RedrawAllZoomMax", "BM_RedrawAllZoomFit", "BM_FrameSwitch",
                                 "BM_PlaybackStep"}) {
            const double median = reporter.Time(name).real;
            if (median > 0)
                std::printf("  %-20s %9.1f us  = %.2f x the fill\n", name, median, median / fill);
        }
    }
    g_editor = nullptr;
    return 0;
}
