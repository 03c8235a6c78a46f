#pragma once

#include <QScrollBar>

namespace tobrin {

// A small vertical scroll bar used as a spinner: its top end is the largest
// value, and the upper arrow (and the Up key) raises the value by one step.
class SpinScroll : public QScrollBar {
    Q_OBJECT
public:
    SpinScroll(int minimum, int maximum, int value, QWidget* parent = nullptr);

private:
    void FlipStep(int action);
};

}  // namespace tobrin
