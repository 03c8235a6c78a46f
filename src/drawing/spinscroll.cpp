#include "drawing/spinscroll.h"

namespace tobrin {

SpinScroll::SpinScroll(int minimum, int maximum, int value, QWidget* parent)
    : QScrollBar(Qt::Vertical, parent)
{
    setRange(minimum, maximum);
    setValue(value);
    setSingleStep(1);
    setPageStep(1);
    // The thumb sits at the top for the largest value ...
    setInvertedAppearance(true);
    // ... and the arrows follow it: the upper arrow adds, the lower one subtracts.
    connect(this, &QAbstractSlider::actionTriggered, this, &SpinScroll::FlipStep);
}

void SpinScroll::FlipStep(int action)
{
    const int v = value();
    switch (action) {
    case SliderSingleStepAdd: setSliderPosition(v - singleStep()); break;
    case SliderSingleStepSub: setSliderPosition(v + singleStep()); break;
    case SliderPageStepAdd: setSliderPosition(v - pageStep()); break;
    case SliderPageStepSub: setSliderPosition(v + pageStep()); break;
    default: break;
    }
}

}  // namespace tobrin
