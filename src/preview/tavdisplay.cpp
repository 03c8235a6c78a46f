#include "preview/tavdisplay.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTransform>

#include "core/units.h"
#include "frame/appresources.h"

namespace tobrin {

TavDisplay::TavDisplay(QWidget* parent)
    : QWidget(parent),
      display_(kDisplayWidth, kDisplayHeight, QImage::Format_RGB32),
      displayWidget_(new QWidget(this))
{
    setObjectName(QStringLiteral("TavDisplay"));
    setWindowTitle(QStringLiteral("Tav Preview"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    InitResources();
    device_.load(QStringLiteral(":/device/tav.png"));
    display_.fill(kClearColour);

    displayWidget_->setObjectName(QStringLiteral("Display"));
    displayWidget_->setAttribute(Qt::WA_OpaquePaintEvent);
    displayWidget_->setGeometry(units::ToPixels(kDisplayLeftUnits), units::ToPixels(kDisplayTopUnits),
                                kDisplayWidth, kDisplayHeight);
    displayWidget_->installEventFilter(this);
}

void TavDisplay::PlotPixel(int x, int y, QRgb colour)
{
    if (x < 0 || y < 0 || x >= kDisplayWidth || y >= kDisplayHeight)
        return;
    QRgb& dot = reinterpret_cast<QRgb*>(display_.scanLine(y))[x];
    if (dot == colour)
        return;
    dot = colour;
    // One repaint serves every dot plotted before it runs.
    if (!repaintPending_) {
        repaintPending_ = true;
        displayWidget_->update();
    }
}

void TavDisplay::FillDisplay(QRgb colour)
{
    display_.fill(colour);
    displayWidget_->update();
}

void TavDisplay::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor::fromRgb(kClearColour));
    if (device_.isNull())
        return;
    // The affine map that lays the artwork's display window exactly onto the
    // display control; with the artwork's proportions this fills the client area.
    const QRect target = displayWidget_->geometry();
    const double sx = double(target.width()) / kArtDisplayRect.width();
    const double sy = double(target.height()) / kArtDisplayRect.height();
    const QTransform map(sx, 0, 0, sy, target.x() - kArtDisplayRect.x() * sx,
                         target.y() - kArtDisplayRect.y() * sy);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The whole artwork stretched to the client area first covers the
    // slivers that the exact map leaves at the edges.
    painter.drawImage(rect(), device_);
    painter.setTransform(map);
    painter.drawImage(QPointF(0, 0), device_);
}

void TavDisplay::mousePressEvent(QMouseEvent* event)
{
    // Presses outside the display do nothing.
    event->accept();
}

bool TavDisplay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == displayWidget_) {
        if (event->type() == QEvent::Paint) {
            repaintPending_ = false;
            QPainter painter(displayWidget_);
            painter.drawImage(0, 0, display_);
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            emit DisplayClicked(qBound(0, p.x(), kDisplayWidth - 1), qBound(0, p.y(), kDisplayHeight - 1));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tobrin
