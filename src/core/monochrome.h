#pragma once

#include <QImage>
#include <QRgb>
#include <QSize>
#include <cstdint>

namespace tobrin {

// The colour components that take part in the grey level.
struct Components {
    bool red = true;
    bool green = true;
    bool blue = true;

    bool any() const { return red || green || blue; }
};

// A colour as a single value: 0x00BBGGRR (red in the lowest byte).
inline std::uint32_t ColourValue(QRgb rgb)
{
    return static_cast<std::uint32_t>(qRed(rgb)) | (static_cast<std::uint32_t>(qGreen(rgb)) << 8)
        | (static_cast<std::uint32_t>(qBlue(rgb)) << 16);
}

// Nearest integer, a tie going to the even neighbour.
int RoundHalfEven(double v);

// The average of the chosen components of colour (0x00BBGGRR), rounded with
// ties to even: 0..255. With no component chosen red alone counts (the
// conversion never asks for that).
int GreyLevel(std::uint32_t colour, const Components& use);

// The pixel pass: a white image of disp's size in which every pixel of disp
// whose grey level is not above tolerance is black; invert swaps the two.
// The result is Format_RGB32 holding only 0xFF000000 and 0xFFFFFFFF.
QImage ThresholdImage(const QImage& disp, const Components& use, int tolerance, bool invert);

// The drawn size of a dw x dh display copy inside a hSize x vSize target
// when its proportions are kept: the proportions of target and copy are
// compared in single precision, the scale factor uses the framed sizes
// (image plus a one-pixel frame each side). Never smaller than 1 x 1; it can
// exceed the target by a pixel or two, which the drawing clips.
QSize AspectDrawnSize(int hSize, int vSize, int dw, int dh);

}  // namespace tobrin
