#pragma once

#include "core/drawingstate.h"

namespace tobrin {

// What PlotPixel does with one pixel. PlotValue is always decided (it
// becomes the drawing window's PlotValue); draw is false only when the
// decided value is clear and white is transparent, in which case nothing
// is stored or painted.
struct PlotDecision {
    int PlotValue = 1;
    bool draw = true;
};

// ink: 1 or 0, what the tool lays down. stored: the pixel's current value in PicData (read by Reverse only).
// whiteTransparent: while "White is transparent" is pressed.
PlotDecision DecidePlot(PaintStyle paintStyle, int ink, int stored, bool whiteTransparent);

}  // namespace tobrin
