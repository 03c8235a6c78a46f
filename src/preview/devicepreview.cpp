#include "preview/devicepreview.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTransform>

#include "core/units.h"
#include "app/appresources.h"
#include "core/picturedocument.h"

namespace tobrin {

DevicePreview::DevicePreview(const PictureDocument& document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      display_(kDisplayWidth, kDisplayHeight, QImage::Format_RGB32),
      displayWidget_(new QWidget(this))
{
    setObjectName(QStringLiteral("TavDisplay"));
    setWindowTitle(QStringLiteral("Tav Preview"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    device_ = ResourceImage(QStringLiteral(":/device/tav.png"));
    display_.fill(kClearColour);

    displayWidget_->setObjectName(QStringLiteral("Display"));
    displayWidget_->setAttribute(Qt::WA_OpaquePaintEvent);
    displayWidget_->setGeometry(units::ToPixels(kDisplayLeftUnits), units::ToPixels(kDisplayTopUnits),
                                kDisplayWidth, kDisplayHeight);
    displayWidget_->installEventFilter(this);

    ShowPicture(document.Bounds());
    connect(&document, &PictureDocument::pixelsChanged, this, &DevicePreview::ShowPicture);
    connect(&document, &PictureDocument::sizeChanged, this, [this] {
        FillDisplay(kClearColour);
        ShowPicture(document_.Bounds());
    });
}

void DevicePreview::ShowPicture(const QRect& region)
{
    const QRect r = region & document_.Bounds();
    const PictureData& picture = document_.Data();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const std::uint8_t* pic = &picture.PicData[PictureData::Offset(0, y)];
        const QRgb* dots = reinterpret_cast<const QRgb*>(display_.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb colour = pic[x] ? kSetColour : kClearColour;
            // A dot that already shows its colour needs no plot.
            if ((dots[x] | 0xFF000000u) != colour)
                PlotPixel(x, y, colour);
        }
    }
}

void DevicePreview::PlotPixel(int x, int y, QRgb colour)
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

void DevicePreview::FillDisplay(QRgb colour)
{
    display_.fill(colour);
    displayWidget_->update();
}

void DevicePreview::paintEvent(QPaintEvent* event)
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

void DevicePreview::mousePressEvent(QMouseEvent* event)
{
    // Presses outside the display do nothing.
    event->accept();
}

bool DevicePreview::eventFilter(QObject* watched, QEvent* event)
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
