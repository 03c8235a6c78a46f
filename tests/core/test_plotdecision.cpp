#include <gtest/gtest.h>

#include "core/drawingstate.h"
#include "core/plotdecision.h"

namespace tobrin {
namespace {

struct PlotCase {
    PaintStyle style;
    int ink, stored, transparent;
    int value;
    bool draw;
};

// Every combination of paint style, ink, stored pixel and transparency.
const PlotCase kPlotCases[] = {
    // Black: the ink is the value.
    {PaintStyle::Black, 1, 0, 1, 1, true},
    {PaintStyle::Black, 1, 1, 1, 1, true},
    {PaintStyle::Black, 0, 0, 1, 0, false},  // white is transparent: nothing happens
    {PaintStyle::Black, 0, 1, 1, 0, false},
    {PaintStyle::Black, 1, 0, 0, 1, true},
    {PaintStyle::Black, 1, 1, 0, 1, true},
    {PaintStyle::Black, 0, 0, 0, 0, true},
    {PaintStyle::Black, 0, 1, 0, 0, true},   // opaque white clears a set pixel
    // White: the ink is inverted.
    {PaintStyle::White, 1, 0, 1, 0, false},
    {PaintStyle::White, 1, 1, 1, 0, false},
    {PaintStyle::White, 0, 0, 1, 1, true},
    {PaintStyle::White, 0, 1, 1, 1, true},
    {PaintStyle::White, 1, 0, 0, 0, true},
    {PaintStyle::White, 1, 1, 0, 0, true},
    {PaintStyle::White, 0, 0, 0, 1, true},
    {PaintStyle::White, 0, 1, 0, 1, true},
    // Reverse: stored pixel exclusive-or ink.
    {PaintStyle::Reverse, 1, 0, 1, 1, true},
    {PaintStyle::Reverse, 1, 1, 1, 0, false},  // a set pixel is not cleared while transparent
    {PaintStyle::Reverse, 0, 0, 1, 0, false},
    {PaintStyle::Reverse, 0, 1, 1, 1, true},
    {PaintStyle::Reverse, 1, 0, 0, 1, true},
    {PaintStyle::Reverse, 1, 1, 0, 0, true},
    {PaintStyle::Reverse, 0, 0, 0, 0, true},
    {PaintStyle::Reverse, 0, 1, 0, 1, true},
};

TEST(PlotDecision, EveryStyleInkStoredAndTransparency)
{
    for (const PlotCase& c : kPlotCases) {
        SCOPED_TRACE(::testing::Message() << "style " << int(c.style) << " ink " << c.ink
                                          << " stored " << c.stored << " transparent "
                                          << c.transparent);
        const PlotDecision d = DecidePlot(c.style, c.ink, c.stored, c.transparent);
        EXPECT_EQ(d.PlotValue, c.value);
        EXPECT_EQ(d.draw, c.draw);
    }
}

TEST(PlotDecision, OnlyReverseLooksAtTheStoredPixel)
{
    for (int ink = 0; ink <= 1; ++ink)
        for (int t = 0; t <= 1; ++t) {
            EXPECT_EQ(DecidePlot(PaintStyle::Black, ink, 0, t).PlotValue,
                      DecidePlot(PaintStyle::Black, ink, 1, t).PlotValue);
            EXPECT_EQ(DecidePlot(PaintStyle::White, ink, 0, t).PlotValue,
                      DecidePlot(PaintStyle::White, ink, 1, t).PlotValue);
            EXPECT_NE(DecidePlot(PaintStyle::Reverse, ink, 0, t).PlotValue,
                      DecidePlot(PaintStyle::Reverse, ink, 1, t).PlotValue);
        }
}

}  // namespace
}  // namespace tobrin
