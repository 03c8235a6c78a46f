// Placeholder so the tree links; replaced by the real device preview.
#include "preview/tavdisplay.h"

namespace tobrin {
TavDisplay::TavDisplay(QWidget* parent) : QWidget(parent), display_(240, 120, QImage::Format_RGB32)
{
    display_.fill(kClearColour);
}
void TavDisplay::PlotPixel(int x, int y, QRgb colour) { display_.setPixel(x, y, colour); }
void TavDisplay::FillDisplay(QRgb colour) { display_.fill(colour); }
void TavDisplay::paintEvent(QPaintEvent*) {}
void TavDisplay::mousePressEvent(QMouseEvent*) {}
}  // namespace tobrin
