#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "benchsupport.h"
#include "core/pixelfont.h"

namespace {

const QString kDejaVu = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

// Printable ASCII of DejaVu Sans at 12 px made into a pixel font, from the
// file's name to the finished glyphs.
void BM_RasteriseOutlineFont_DejaVu12(benchmark::State& state)
{
    tobrin::FontSourceOptions options;
    options.pixelSize = 12;
    for (auto _ : state) {
        auto font = tobrin::RasteriseOutlineFont(kDejaVu, options);
        if (!font || font->glyphs.size() != 95) {
            state.SkipWithError("the font was not made");
            break;
        }
        benchmark::DoNotOptimize(font->glyphs.back().bitmap.cells.data());
    }
}
BENCHMARK(BM_RasteriseOutlineFont_DejaVu12)->Repetitions(5)->ReportAggregatesOnly(true);

// FreeType's bare mono drawing of the same glyphs, with the opening of the
// file and the sizing that any drawing of them needs.
void BM_FreeTypeMono_DejaVu12(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(kDejaVu);
    for (auto _ : state) {
        FT_Library library;
        FT_Face face;
        if (FT_Init_FreeType(&library) || FT_New_Face(library, path.constData(), 0, &face) ||
            FT_Set_Pixel_Sizes(face, 0, 12)) {
            state.SkipWithError("FreeType failed");
            break;
        }
        for (FT_ULong c = 32; c <= 126; ++c) {
            FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO);
            benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
        }
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
}
BENCHMARK(BM_FreeTypeMono_DejaVu12)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    tobrin::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto made = reporter.Time("BM_RasteriseOutlineFont_DejaVu12");
    const auto bare = reporter.Time("BM_FreeTypeMono_DejaVu12");
    if (made.real > 0 && bare.real > 0)
        std::printf("pixel font from DejaVu Sans 12 px / FreeType's bare mono drawing: %.2f (%.0f us / %.0f us)\n",
                    made.real / bare.real, made.real / 1000, bare.real / 1000);
    benchmark::Shutdown();
    return 0;
}
