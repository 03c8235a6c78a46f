#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <functional>

#include "core/picturedata.h"
#include "core/drawingstate.h"
#include "core/patterns.h"

namespace tobrin {

// The hidden scratch surface the tools draw on. While it holds the view,
// scratch pixel (i, j) stands for picture pixel (ViewLeft + i, ViewTop + j).
// Shapes are drawn in exact marker colours (no antialiasing), then handed to
// the picture by TransferMarks through the line style and fill pattern.
class ScratchSurface {
public:
    static constexpr QRgb kBlack = 0xFF000000u;
    static constexpr QRgb kWhite = 0xFFFFFFFFu;
    static constexpr QRgb kRed = 0xFFFF0000u;
    static constexpr QRgb kMagenta = 0xFFFF00FFu;
    static constexpr QRgb kCyan = 0xFF00FFFFu;
    // What an unmarked added pixel, or a read outside the area, gives.
    static constexpr QRgb kNoMark = 0xFF808080u;

    ScratchSurface();

    const QImage& Image() const { return image_; }
    int AreaWidth() const { return image_.width(); }
    int AreaHeight() const { return image_.height(); }

    // Clears and sizes the area to the view window, then copies the view's
    // pixels: black for a set picture pixel, white for a clear one.
    void LoadHolder(const PictureData& d, const ViewWindow& v);
    // Clears the area to the given size (every pixel kNoMark).
    void ClearArea(int width, int height);
    // Grows (or shrinks) the area keeping the pixels that stay; added pixels kNoMark.
    void ResizeArea(int width, int height);

    QRgb Pixel(int i, int j) const;         // kNoMark outside the area
    void SetPixel(int i, int j, QRgb c);    // ignored outside the area

    int PenWidth() const { return penWidth_; }
    void SetPenWidth(int w);                // 1..10

    // Shapes, in scratch pixels; marks outside the area are clipped. Only the
    // exact marker colours are ever written (no antialiasing).
    //
    // Footprints for pen width w:
    // - pen: a disc exactly w cells across; odd w is centred on b, even w on
    //   b's bottom-right corner (b is one of its four middle cells). w = 1 is
    //   the single cell b.
    // - line: the pen disc stamped on every cell of the thin line from a to b
    //   (both end cells included, the same cells in either direction), so its
    //   ends are round and it is w cells thick across an axis-parallel run.
    // - box and selection: a band w cells wide over the border cells of the
    //   rectangle a..b (any drag direction), reaching w/2 cells outwards and
    //   (w - 1)/2 inwards on every side, with square corners.
    // - circle: the ring of cells whose centre distance d from the centre
    //   cell satisfies radius - w/2 <= d < radius + w/2; the cells nearer
    //   the centre are the magenta interior, which never touches the outside
    //   through an edge.
    void DrawPen(QPoint b);                        // red dot or red disc w across
    void DrawLine(QPoint a, QPoint b);             // red line, pen width w
    void DrawBox(QPoint a, QPoint b);              // red outline, magenta interior
    void DrawCircle(QPoint centre, int radius);    // red outline, magenta interior
    void DrawSelectionRect(QPoint a, QPoint b);    // red outline, no interior
    // - ellipse: the cells whose centres lie in the ellipse touching the
    //   box's outer edges, exactly symmetric about both centre lines; the
    //   outline is the cells w edge-steps or fewer from outside it.
    void DrawEllipse(const QRect& box);            // red outline, magenta interior
    // Repeats every mark at its mirror image about the centre line(s) of
    // area (scratch cells, inclusive); marks already there stay.
    void MirrorMarks(Mirror mirror, const QRect& area);
    // 4-connected fill with magenta from start up to (not into) the boundary
    // colour, inside the area only. Nothing happens when start lies outside
    // the area or has the boundary colour. Iterative: any area size is safe.
    void FloodFill(QPoint start, QRgb boundary);

private:
    QImage image_;
    int penWidth_ = 1;
};

// The settings the transfer reads. A solid stroke (the pen's, the
// selection's) ignores the line style.
struct TransferSettings {
    bool SolidStroke = true;
    LineStyle LineStyleIndex = LineStyle::Solid;
    FillStyle FillStyleIndex = FillStyle::Transparent;
    int PatternDensity = 3;
    bool WhiteTransparent = true;
    int StartX = 0;
    int StartY = 0;
};

// LineStylePattern(lineStyleIndex, density, startX, x, y) and
// FillPattern(fillStyleIndex, density, startX, startY, x, y) live in
// core/patterns.h.

// Walks the view window (x outer, y inner), turns each marked scratch pixel
// into an ink through the rules of the transfer, and calls plot(x, y, ink)
// with picture coordinates. Does not reload the holder.
void TransferMarks(const ScratchSurface& holder, const ViewWindow& view,
                   const TransferSettings& s,
                   const std::function<void(int x, int y, int ink)>& plot);

}  // namespace tobrin
