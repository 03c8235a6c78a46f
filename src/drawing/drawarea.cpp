#include "drawing/drawarea.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/canvaslayout.h"
#include "core/picturedata.h"
#include "core/units.h"

namespace tobrin {

namespace {

MouseButton ButtonCode(Qt::MouseButtons b)
{
    int code = 0;
    if (b & Qt::LeftButton)
        code |= int(MouseButton::Left);
    if (b & Qt::RightButton)
        code |= int(MouseButton::Right);
    if (b & Qt::MiddleButton)
        code |= int(MouseButton::Middle);
    return MouseButton(code);
}

}  // namespace

DrawArea::DrawArea(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DrawArea"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
}

void DrawArea::SetCanvasSize(int widthUnits, int heightUnits)
{
    widthUnits_ = std::max(0, widthUnits);
    heightUnits_ = std::max(0, heightUnits);
    widthPixels_ = heightPixels_ = -1;
    Rebuild();
}

void DrawArea::SetCanvasZoomed(int widthUnits, int heightUnits, int widthPixels, int heightPixels,
                               const CellGeometry& cells)
{
    widthUnits_ = std::max(0, widthUnits);
    heightUnits_ = std::max(0, heightUnits);
    widthPixels_ = std::max(0, widthPixels);
    heightPixels_ = std::max(0, heightPixels);
    cells_ = cells;
    Rebuild();
}

int DrawArea::CellLeft(int cx) const { return drawn_.CellPixel(cx); }
int DrawArea::CellTop(int cy) const { return drawn_.CellPixel(cy); }

int DrawArea::ImagePixel(int canvasPixel) const
{
    // Exact at every cell border; floor division for positions left of the
    // canvas (a marquee may start there).
    const long long n = static_cast<long long>(canvasPixel) * drawn_.cell;
    const int d = std::max(1, cells_.cell);
    return static_cast<int>(n >= 0 ? n / d : -((-n + d - 1) / d));
}

void DrawArea::EnsureOffsets(int columns, int rows)
{
    // At "Actual size" on an unscaled screen these are the unit geometry's
    // pixels exactly.
    squareX_.resize(columns);
    squareY_.resize(rows);
    for (int c = 0; c < columns; ++c)
        squareX_[c] = drawn_.SquarePixel(c);
    for (int r = 0; r < rows; ++r)
        squareY_[r] = drawn_.SquarePixel(r);
    squareSide_ = drawn_.squareSide;
}

void DrawArea::Rebuild()
{
    // The image holds whole device pixels. A whole ratio multiplies the
    // cell's every part by it. A fractional one (1.25, 1.5) cannot give
    // every cell the same device pixels at its logical size: a cell gets the
    // whole device pixels that fit in it (7 logical pixels at 1.5 are 10),
    // in the same proportions, with grid lines of the whole ratio below, and
    // the canvas shows that much smaller than its layout, a few per cent.
    const double ratio = std::max(1.0, devicePixelRatioF());
    scale_ = std::max(1, static_cast<int>(std::floor(ratio + 1e-6)));
    const bool whole = std::abs(ratio - scale_) < 1e-6;
    if (whole) {
        drawn_ = cells_;
        drawn_.cell *= scale_;
        drawn_.squareInset *= scale_;
        drawn_.squareSide *= scale_;
        line_ = scale_;
        shown_ = 1.0;
    } else {
        line_ = scale_;  // the whole ratio below: 1 at 1.5, 2 at 2.5
        scale_ = 1;
        const int side = std::max(cells_.cell, static_cast<int>(std::floor(cells_.cell * ratio + 1e-6)));
        drawn_ = CellGeometryOfSide(side, cells_.grid);
        shown_ = side / (cells_.cell * ratio);
    }
    const int w = widthPixels_ >= 0 ? widthPixels_ : units::ToPixels(widthUnits_);
    const int h = heightPixels_ >= 0 ? heightPixels_ : units::ToPixels(heightUnits_);
    image_ = QImage(std::max(1, ImagePixel(w)), std::max(1, ImagePixel(h)), QImage::Format_RGB32);
    image_.setDevicePixelRatio(whole ? scale_ : ratio);
    const QSizeF shown = image_.deviceIndependentSize();
    resize(static_cast<int>(std::ceil(shown.width() - 1e-6)), static_cast<int>(std::ceil(shown.height() - 1e-6)));
    EnsureOffsets(kPicColumns, kPicRows);
    RedrawGrid();
}

void DrawArea::RedrawGrid()
{
    image_.fill(palette().color(QPalette::Window).rgb());
    // Grid lines on every cell border; the image clips the ones beyond it.
    // Cells too small for them have none.
    const QRgb line = palette().color(QPalette::WindowText).rgb();
    const int iw = image_.width(), ih = image_.height();
    for (int i = 0; cells_.grid && i <= kMaxWidth; ++i) {
        const int x0 = CellLeft(i);
        if (x0 >= iw)
            break;
        for (int y = 0; y < ih; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
            for (int k = 0; k < line_ && x0 + k < iw; ++k)
                row[x0 + k] = line;
        }
    }
    for (int j = 0; cells_.grid && j <= kMaxHeight; ++j) {
        const int y0 = CellTop(j);
        if (y0 >= ih)
            break;
        for (int k = 0; k < line_ && y0 + k < ih; ++k) {
            auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y0 + k));
            std::fill_n(row, iw, line);
        }
    }
    ScheduleUpdate();
}

QRgb DrawArea::SquareColour(int cx, int cy) const
{
    if (cx < 0 || cy < 0 || cx >= int(squareX_.size()) || cy >= int(squareY_.size()))
        return 0;
    // The middle of the square, clear of a marquee drawn along its edge
    // where the squares have no grid between them.
    const int x = squareX_[cx] + (squareSide_ - 1) / 2, y = squareY_[cy] + (squareSide_ - 1) / 2;
    if (x >= image_.width() || y >= image_.height())
        return 0;
    return image_.pixel(x, y) | 0xFF000000u;
}

void DrawArea::PaintSquare(int cx, int cy, QRgb colour)
{
    if (cx < 0 || cy < 0 || cx >= int(squareX_.size()) || cy >= int(squareY_.size()))
        return;
    const int x0 = squareX_[cx], y0 = squareY_[cy];
    const int x1 = std::min(x0 + squareSide_, image_.width());
    const int y1 = std::min(y0 + squareSide_, image_.height());
    if (x0 >= x1 || y0 >= y1)
        return;
    for (int y = y0; y < y1; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::fill(row + x0, row + x1, colour);
    }
    ScheduleUpdate();
}

void DrawArea::PaintSquares(int columns, int rows, const QRgb* colours)
{
    const int iw = image_.width(), ih = image_.height();
    columns = std::min(columns, int(squareX_.size()));
    rows = std::min(rows, int(squareY_.size()));
    // Columns whose square lies (partly) on the image.
    int cols = 0;
    while (cols < columns && squareX_[cols] < iw)
        ++cols;
    if (cols == 0)
        return;
    const qsizetype stride = image_.bytesPerLine();
    uchar* bits = image_.bits();
    const int spanFirst = squareX_[0];
    const int spanEnd = std::min(squareX_[cols - 1] + squareSide_, iw);
    for (int r = 0; r < rows; ++r) {
        const int y0 = squareY_[r];
        if (y0 >= ih)
            break;
        const int y1 = std::min(y0 + squareSide_, ih);
        const QRgb* src = colours + static_cast<std::ptrdiff_t>(r) * columns;
        auto* first = reinterpret_cast<QRgb*>(bits + stride * y0);
        for (int c = 0; c < cols; ++c) {
            const int x0 = squareX_[c];
            const int x1 = std::min(x0 + squareSide_, iw);
            std::fill(first + x0, first + x1, src[c]);
        }
        // The rest of the band repeats its first scanline: between the
        // squares lie only grid columns and margins, the same on every
        // scanline of the band.
        for (int y = y0 + 1; y < y1; ++y)
            std::memcpy(bits + stride * y + spanFirst * 4, first + spanFirst,
                        static_cast<size_t>(spanEnd - spanFirst) * 4);
    }
    ScheduleUpdate();
}

void DrawArea::DrawOutline(int x1, int y1, int x2, int y2, QRgb colour, Stroke stroke)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    // In image pixels, edges line_ thick; the last row and column of the
    // outline are the ones its right and bottom canvas pixels map to.
    const int t = line_;
    const int left = ImagePixel(units::ToPixels(x1)), right = ImagePixel(units::ToPixels(x2)) + t - 1;
    const int top = ImagePixel(units::ToPixels(y1)), bottom = ImagePixel(units::ToPixels(y2)) + t - 1;
    const int iw = image_.width(), ih = image_.height();

    // Dots of two lines' widths with gaps of two, by position on the canvas,
    // so both edges of a corner agree and the phases interlock.
    auto on = [&](int pixel) { return stroke == Stroke::Solid || (((pixel / t) >> 1) & 1) == 0; };
    auto put = [&](int x, int y) {
        if (x >= 0 && x < iw && y >= 0 && y < ih)
            reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = colour;
    };
    for (int x = std::max(left, 0); x <= right && x < iw; ++x) {
        if (on(x)) {
            for (int k = 0; k < t; ++k) {
                put(x, top + k);
                put(x, bottom - k);
            }
        }
    }
    for (int y = std::max(top, 0); y <= bottom && y < ih; ++y) {
        if (on(y)) {
            for (int k = 0; k < t; ++k) {
                put(left + k, y);
                put(right - k, y);
            }
        }
    }
    ScheduleUpdate();
}

void DrawArea::FillImage(QRgb colour)
{
    image_.fill(colour);
    ScheduleUpdate();
}

void DrawArea::ScheduleUpdate()
{
    if (updatePending_)
        return;
    updatePending_ = true;
    update();
}

void DrawArea::paintEvent(QPaintEvent*)
{
    updatePending_ = false;
    QPainter p(this);
    p.drawImage(QPoint(0, 0), image_);
    // At a fractional screen scale the widget's whole logical pixels can
    // reach a device pixel past the image; the paint is opaque, so that
    // sliver gets the window's colour rather than whatever was there.
    const QSizeF shown = image_.deviceIndependentSize();
    if (shown.width() < width())
        p.fillRect(QRectF(shown.width(), 0, width() - shown.width(), height()), palette().color(QPalette::Window));
    if (shown.height() < height())
        p.fillRect(QRectF(0, shown.height(), width(), height() - shown.height()), palette().color(QPalette::Window));
}

void DrawArea::mousePressEvent(QMouseEvent* event)
{
    const QPointF pos = event->position();
    emit MouseDown(ButtonCode(event->button()), event->modifiers(),
                   units::ToUnits(pos.x() / shown_), units::ToUnits(pos.y() / shown_));
}

void DrawArea::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF pos = event->position();
    emit MouseMove(ButtonCode(event->buttons()), event->modifiers(),
                   units::ToUnits(pos.x() / shown_), units::ToUnits(pos.y() / shown_));
}

void DrawArea::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF pos = event->position();
    emit MouseUp(ButtonCode(event->button()), event->modifiers(),
                 units::ToUnits(pos.x() / shown_), units::ToUnits(pos.y() / shown_));
}

void DrawArea::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    // One step per notch (120 eighths of a degree); fine wheels add up.
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    event->accept();
    if (steps != 0) {
        const QPointF pos = event->position();
        emit ZoomWheel(steps, units::ToUnits(pos.x() / shown_), units::ToUnits(pos.y() / shown_));
    }
}

}  // namespace tobrin
