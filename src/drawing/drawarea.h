#pragma once

#include <QImage>
#include <QRgb>
#include <QWidget>
#include <vector>

#include "core/drawingstate.h"
#include "core/zoom.h"

namespace tobrin {

// The zoomed canvas: a retained image of cells, squares, grid lines and the
// selection marquee. Everything is painted into the image by the drawing
// window; the widget's paint event only shows the image. Positions handed
// in are canvas cells or canvas units; the image itself is shown one image
// pixel to one device pixel and every cell in it is the same whole number
// of device pixels (the cell's logical pixels times a whole screen ratio,
// or the whole device pixels that fit in it at a fractional one), so
// nothing is blurred.
class DrawArea : public QWidget {
    Q_OBJECT
public:
    static constexpr QRgb kSetColour = 0xFF000000u;        // stored set pixel
    static constexpr QRgb kClearColour = 0xFFFFFFFFu;      // stored clear pixel
    // A clear pixel set in the frame before / after / both (onion skin).
    static constexpr QRgb kOnionPreviousColour = 0xFFF2BFBFu;
    static constexpr QRgb kOnionNextColour = 0xFFBFCFF2u;
    static constexpr QRgb kOnionBothColour = 0xFFDABFE6u;
    static constexpr QRgb kTentativeSet = 0xFF0000FFu;     // (0, 0, 255)
    static constexpr QRgb kTentativeClear = 0xFF00F000u;   // (0, 240, 0)

    explicit DrawArea(QWidget* parent = nullptr);

    // Sizes the canvas (units) and rebuilds the image: background and grid.
    void SetCanvasSize(int widthUnits, int heightUnits);
    // Sizes the canvas for a zoom level: its size in units and in logical
    // pixels (whole cells of cells.cell pixels, the closing line included).
    void SetCanvasZoomed(int widthUnits, int heightUnits, int widthPixels, int heightPixels,
                         const CellGeometry& cells);
    const CellGeometry& Cells() const { return cells_; }
    int CanvasWidthUnits() const { return widthUnits_; }
    int CanvasHeightUnits() const { return heightUnits_; }

    // The canvas image (device pixels) and its scale to logical pixels: the
    // screen's whole ratio, 1 at a fractional one.
    const QImage& Image() const { return image_; }
    int Scale() const { return scale_; }
    // Logical pixels of the widget per logical pixel of the canvas layout:
    // 1 at a whole ratio, a little below at a fractional one.
    double Shown() const { return shown_; }

    // The colour of the square of cell (cx, cy) as shown, at its middle.
    QRgb SquareColour(int cx, int cy) const;

    // Paints the square of view cell (cx, cy); cells off the canvas are
    // ignored. Schedules one repaint for any number of squares.
    void PaintSquare(int cx, int cy, QRgb colour);
    // Paints a block of squares: colours[r * columns + c] for cell (c, r),
    // starting at the first cell. Each band of squares is painted on its
    // first scanline and copied to the band's other scanlines, the grid
    // columns and margins between the squares included; a marquee edge
    // crossing the band must be drawn again afterwards (the redraw does).
    void PaintSquares(int columns, int rows, const QRgb* colours);

    // The marquee outline between two canvas positions (units), inclusive.
    enum class Stroke { Solid, Dotted };
    void DrawOutline(int x1, int y1, int x2, int y2, QRgb colour, Stroke stroke);

    // The background and the grid lines again, squares wiped (guides drawn
    // over grid lines go with them).
    void RedrawGrid();

    // Plain fill of the whole canvas image (a yardstick for the redraw).
    void FillImage(QRgb colour);

    // One repaint for everything painted since the last one.
    void ScheduleUpdate();

signals:
    // Pointer events in canvas units (a move carries the held buttons ORed
    // together).
    void MouseDown(tobrin::MouseButton button, Qt::KeyboardModifiers modifiers, double x, double y);
    void MouseMove(tobrin::MouseButton buttons, Qt::KeyboardModifiers modifiers, double x, double y);
    void MouseUp(tobrin::MouseButton button, Qt::KeyboardModifiers modifiers, double x, double y);
    // Ctrl + wheel: steps up (positive, zoom in) or down, at a canvas position (units).
    void ZoomWheel(int steps, double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Rebuild();
    int CellLeft(int cx) const;   // device pixel of the cell's left border
    int CellTop(int cy) const;
    // The image pixel of a canvas (layout) pixel.
    int ImagePixel(int canvasPixel) const;
    void EnsureOffsets(int columns, int rows);

    QImage image_;
    int widthUnits_ = 0, heightUnits_ = 0;
    int widthPixels_ = -1, heightPixels_ = -1;  // -1: from the units
    CellGeometry cells_;
    int wheelRest_ = 0;  // eighths of a degree not yet a whole step
    int scale_ = 1;
    // The cells as drawn, in image pixels, and the grid lines' width there.
    CellGeometry drawn_;
    int line_ = 1;
    double shown_ = 1.0;
    bool updatePending_ = false;
    // Device-pixel offsets of the square of each cell column / row, and
    // the square's side; from the unit geometry through units.h.
    std::vector<int> squareX_, squareY_;
    int squareSide_ = 5;
};

}  // namespace tobrin
