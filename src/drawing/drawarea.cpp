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

int ButtonCode(Qt::MouseButtons b)
{
    int code = 0;
    if (b & Qt::LeftButton)
        code |= 1;
    if (b & Qt::RightButton)
        code |= 2;
    if (b & Qt::MiddleButton)
        code |= 4;
    return code;
}

int ShiftCode(Qt::KeyboardModifiers m)
{
    int code = 0;
    if (m & Qt::ShiftModifier)
        code |= 1;
    if (m & Qt::ControlModifier)
        code |= 2;
    if (m & Qt::AltModifier)
        code |= 4;
    return code;
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

int DrawArea::CellLeft(int cx) const
{
    return cells_.CellPixel(cx) * scale_;
}

int DrawArea::CellTop(int cy) const
{
    return cells_.CellPixel(cy) * scale_;
}

void DrawArea::EnsureOffsets(int columns, int rows)
{
    // At "Actual size" these are the unit geometry's pixels exactly.
    squareX_.resize(columns);
    squareY_.resize(rows);
    for (int c = 0; c < columns; ++c)
        squareX_[c] = cells_.SquarePixel(c) * scale_;
    for (int r = 0; r < rows; ++r)
        squareY_[r] = cells_.SquarePixel(r) * scale_;
    squareSide_ = cells_.squareSide * scale_;
}

void DrawArea::Rebuild()
{
    // A fractional ratio (1.5) cannot give every cell the same whole number
    // of device pixels at the canvas's logical size; the canvas is drawn at
    // the whole scale below it instead, one image pixel per device pixel.
    const double ratio = std::max(1.0, devicePixelRatioF());
    scale_ = std::max(1, static_cast<int>(std::floor(ratio + 1e-6)));
    const bool whole = std::abs(ratio - scale_) < 1e-6;
    shown_ = whole ? 1.0 : scale_ / ratio;
    const int w = widthPixels_ >= 0 ? widthPixels_ : units::ToPixels(widthUnits_);
    const int h = heightPixels_ >= 0 ? heightPixels_ : units::ToPixels(heightUnits_);
    resize(static_cast<int>(std::ceil(w * shown_ - 1e-6)), static_cast<int>(std::ceil(h * shown_ - 1e-6)));

    image_ = QImage(std::max(1, w * scale_), std::max(1, h * scale_), QImage::Format_RGB32);
    image_.setDevicePixelRatio(whole ? scale_ : ratio);
    image_.fill(palette().color(QPalette::Window).rgb());
    EnsureOffsets(kPicColumns, kPicRows);

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
            for (int k = 0; k < scale_ && x0 + k < iw; ++k)
                row[x0 + k] = line;
        }
    }
    for (int j = 0; cells_.grid && j <= kMaxHeight; ++j) {
        const int y0 = CellTop(j);
        if (y0 >= ih)
            break;
        for (int k = 0; k < scale_ && y0 + k < ih; ++k) {
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
    const int x = squareX_[cx], y = squareY_[cy];
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
    const int s = scale_;
    const int left = units::ToPixels(x1), right = units::ToPixels(x2);
    const int top = units::ToPixels(y1), bottom = units::ToPixels(y2);
    const int iw = image_.width(), ih = image_.height();

    // Dots of two logical pixels with gaps of two, by position on the
    // canvas, so both edges of a corner agree and the phases interlock.
    auto on = [&](int logical) { return stroke == Stroke::Solid || ((logical >> 1) & 1) == 0; };
    auto put = [&](int lx, int ly) {
        for (int dy = 0; dy < s; ++dy) {
            const int y = ly * s + dy;
            if (y < 0 || y >= ih)
                continue;
            auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
            for (int dx = 0; dx < s; ++dx) {
                const int x = lx * s + dx;
                if (x >= 0 && x < iw)
                    row[x] = colour;
            }
        }
    };
    for (int x = left; x <= right; ++x) {
        if (on(x)) {
            put(x, top);
            put(x, bottom);
        }
    }
    for (int y = top; y <= bottom; ++y) {
        if (on(y)) {
            put(left, y);
            put(right, y);
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
    emit MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                   units::ToUnits(pos.x() / shown_), units::ToUnits(pos.y() / shown_));
}

void DrawArea::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF pos = event->position();
    emit MouseMove(ButtonCode(event->buttons()), ShiftCode(event->modifiers()),
                   units::ToUnits(pos.x() / shown_), units::ToUnits(pos.y() / shown_));
}

void DrawArea::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF pos = event->position();
    emit MouseUp(ButtonCode(event->button()), ShiftCode(event->modifiers()),
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
        emit ZoomWheel(steps, units::ToUnits(pos.x()), units::ToUnits(pos.y()));
    }
}

}  // namespace tobrin
