#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <vector>

#include "core/canvaslayout.h"

class QPointF;
class QScrollBar;

namespace tobrin {

class DrawArea;
class DrawingWindow;

// The drawing window's view of the picture: the zoomed canvas and its two
// scroll bars, their layout, the zoom, scrolling, and the painting of the
// cells. It follows the document by itself (a size change lays it out
// again, a pixel change repaints) and owns the tools' tentative marks, an
// overlay of squares over the picture that ClearTentative takes away.
class CanvasView : public QObject {
    Q_OBJECT
public:
    explicit CanvasView(DrawingWindow& main);
    // From now on the view follows the document (once the window is set up).
    void Follow();

    DrawArea* Canvas() const { return drawArea_; }
    QScrollBar* HSizeScroll() const { return hScroll_; }
    QScrollBar* VSizeScroll() const { return vScroll_; }
    const CanvasLayoutFacts& Layout() const { return layout_; }

    // Canvas size, scroll bars and view window for the window's size, the
    // picture's size and the zoom; the view goes back to the origin.
    void LayoutCanvas();
    // Every cell of the view from the picture; tentative marks and a
    // marquee go, the mirror guides are drawn again.
    void RedrawAll();
    // Scrolls so that the canvas position (units) comes into view.
    void Relocate(double& x, double& y);
    void HSizeScroll_Change();
    void VSizeScroll_Change();

    // A tentative mark on picture cell (x, y), in the tentative colours.
    void ShowTentative(int x, int y, QRgb colour);
    // Takes the tentative marks away again (with a marquee, the whole view).
    void ClearTentative();

    // Zoom: the side of a cell in logical pixels; see DrawingWindow.
    int ZoomLevel() const { return zoomLevel_; }
    void SetZoomLevel(int cellPixels);  // before the first layout
    void ZoomTo(int cellPixels, const QPointF* pointUnits = nullptr);
    void FitToWindow();

    // What a picture cell shows: its value, or a clear one the onion skin marks.
    QRgb CellColour(int x, int y) const;

signals:
    void zoomChanged(int cellPixels);

private:
    // The planes the onion skin shows (null when off).
    std::pair<const std::uint8_t*, const std::uint8_t*> OnionPlanes() const;
    void PaintViewCells();
    void DrawMirrorGuides();
    // A font's advance and baseline.
    void DrawFontGuides();
    QPoint drawnGuides_{-1, -1};  // advance and baseline as last drawn

    DrawingWindow& main_;
    DrawArea* drawArea_ = nullptr;
    QScrollBar* hScroll_ = nullptr;
    QScrollBar* vScroll_ = nullptr;
    CanvasLayoutFacts layout_;
    std::vector<QRgb> cellColours_;  // reused by the redraw
    std::vector<QPoint> tentative_;  // picture cells with a tentative square
    int zoomLevel_;
};

}  // namespace tobrin
