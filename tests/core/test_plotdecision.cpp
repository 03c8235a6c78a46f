#include <gtest/gtest.h>

#include "core/drawingstate.h"
#include "core/plotdecision.h"

namespace tobrin {
namespace {

struct PlotCase {
    int style, ink, stored, transparent;
    int value;
    bool draw;
};

// Every combination of paint style, ink, stored pixel and transparency.
const PlotCase kPlotCases[] = {
    // Black: the ink is the value.
    {kPaintBlack, 1, 0, 1, 1, true},
    {kPaintBlack, 1, 1, 1, 1, true},
    {kPaintBlack, 0, 0, 1, 0, false},  // white is transparent: nothing happens
    {kPaintBlack, 0, 1, 1, 0, false},
    {kPaintBlack, 1, 0, 0, 1, true},
    {kPaintBlack, 1, 1, 0, 1, true},
    {kPaintBlack, 0, 0, 0, 0, true},
    {kPaintBlack, 0, 1, 0, 0, true},   // opaque white clears a set pixel
    // White: the ink is inverted.
    {kPaintWhite, 1, 0, 1, 0, false},
    {kPaintWhite, 1, 1, 1, 0, false},
    {kPaintWhite, 0, 0, 1, 1, true},
    {kPaintWhite, 0, 1, 1, 1, true},
    {kPaintWhite, 1, 0, 0, 0, true},
    {kPaintWhite, 1, 1, 0, 0, true},
    {kPaintWhite, 0, 0, 0, 1, true},
    {kPaintWhite, 0, 1, 0, 1, true},
    // Reverse: stored pixel exclusive-or ink.
    {kPaintReverse, 1, 0, 1, 1, true},
    {kPaintReverse, 1, 1, 1, 0, false},  // a set pixel is not cleared while transparent
    {kPaintReverse, 0, 0, 1, 0, false},
    {kPaintReverse, 0, 1, 1, 1, true},
    {kPaintReverse, 1, 0, 0, 1, true},
    {kPaintReverse, 1, 1, 0, 0, true},
    {kPaintReverse, 0, 0, 0, 0, true},
    {kPaintReverse, 0, 1, 0, 1, true},
};

TEST(PlotDecision, EveryStyleInkStoredAndTransparency)
{
    for (const PlotCase& c : kPlotCases) {
        SCOPED_TRACE(::testing::Message() << "style " << c.style << " ink " << c.ink
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
            EXPECT_EQ(DecidePlot(kPaintBlack, ink, 0, t).PlotValue,
                      DecidePlot(kPaintBlack, ink, 1, t).PlotValue);
            EXPECT_EQ(DecidePlot(kPaintWhite, ink, 0, t).PlotValue,
                      DecidePlot(kPaintWhite, ink, 1, t).PlotValue);
            EXPECT_NE(DecidePlot(kPaintReverse, ink, 0, t).PlotValue,
                      DecidePlot(kPaintReverse, ink, 1, t).PlotValue);
        }
}

}  // namespace
}  // namespace tobrin
