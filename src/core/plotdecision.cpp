#include "core/plotdecision.h"

#include "core/drawingstate.h"

namespace tobrin {

PlotDecision DecidePlot(PaintStyle paintStyle, int ink, int stored, bool whiteTransparent)
{
    const int inkBit = ink != 0 ? 1 : 0;
    PlotDecision d;
    switch (paintStyle) {
    case PaintStyle::White:
        d.PlotValue = 1 - inkBit;  // the ink is inverted
        break;
    case PaintStyle::Reverse:
        d.PlotValue = (stored != 0 ? 1 : 0) ^ inkBit;  // toggles where ink is 1
        break;
    case PaintStyle::Black:
        d.PlotValue = inkBit;
        break;
    }
    d.draw = !(d.PlotValue == 0 && whiteTransparent);
    return d;
}

}  // namespace tobrin
