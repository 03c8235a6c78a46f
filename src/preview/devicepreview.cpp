#include "preview/devicepreview.h"

#include <QAction>
#include <QActionGroup>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QTransform>
#include <cmath>

#include "app/accessible.h"
#include "core/units.h"
#include "app/appresources.h"
#include "core/picturedocument.h"
#include "core/playback.h"

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
    SetAccessible(displayWidget_, QStringLiteral("Tav display"),
                  QStringLiteral("The picture as the device shows it: click to scroll the drawing there"));

    // The display's enlargement, from the window's own context menu.
    auto* scales = new QActionGroup(this);
    for (int s = 1; s <= 4; ++s) {
        auto* a = new QAction(QStringLiteral("%1\u00d7").arg(s), scales);
        a->setObjectName(QStringLiteral("PreviewScale%1").arg(s));
        a->setCheckable(true);
        a->setChecked(s == 1);
        connect(a, &QAction::triggered, this, [this, s] { SetScale(s); });
        addAction(a);
    }
    setContextMenuPolicy(Qt::ActionsContextMenu);

    tick_ = new QTimer(this);
    tick_->setSingleShot(true);
    tick_->setTimerType(Qt::PreciseTimer);
    connect(tick_, &QTimer::timeout, this, &DevicePreview::Tick);

    ShowPicture(document.Bounds());
    connect(&document, &PictureDocument::pixelsChanged, this, &DevicePreview::ShowPicture);
    connect(&document, &PictureDocument::sizeChanged, this, [this] {
        FillDisplay(kClearColour);
        ShowFrame(ShownFrame(), document_.Bounds());
    });
    connect(&document, &PictureDocument::framesChanged, this, [this] {
        if (playing_ && shownFrame_ >= document_.FrameCount())
            shownFrame_ = 0;
    });
}

// A set loaded in place of a longer one tells of its new size before its
// frames: a frame played beyond them is no longer there to show.
int DevicePreview::ShownFrame() const
{
    return playing_ && shownFrame_ < document_.FrameCount() ? shownFrame_ : document_.CurrentFrame();
}

void DevicePreview::ShowPicture(const QRect& region)
{
    // While the animation plays, the display belongs to it.
    if (!playing_)
        ShowFrame(document_.CurrentFrame(), region);
}

void DevicePreview::Play()
{
    if (playing_)
        return;
    playing_ = true;
    shownFrame_ = -1;
    clock_.start();
    Tick();
    emit playingChanged(true);
}

void DevicePreview::Stop()
{
    if (!playing_)
        return;
    playing_ = false;
    tick_->stop();
    ShowFrame(document_.CurrentFrame(), document_.Bounds());
    emit playingChanged(false);
}

void DevicePreview::Tick()
{
    std::vector<int> delays;
    delays.reserve(std::size_t(document_.FrameCount()));
    for (int i = 0; i < document_.FrameCount(); ++i)
        delays.push_back(document_.FrameDelay(i));
    const PlaybackPosition at = PositionAt(delays, clock_.elapsed());
    shownFrame_ = at.frame;
    ShowFrame(at.frame, document_.Bounds());
    tick_->start(int(at.untilNext));
}

void DevicePreview::ShowFrame(int frame, const QRect& region)
{
    const QRect r = region & document_.Bounds();
    const PictureData::Plane& plane = document_.FramePlane(frame);
    bool changed = false;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const std::uint8_t* pic = &plane[PictureData::Offset(0, y)];
        auto* dots = reinterpret_cast<QRgb*>(display_.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb colour = pic[x] ? kSetColour : kClearColour;
            // A dot that already shows its colour needs no plot.
            if ((dots[x] | 0xFF000000u) != colour) {
                dots[x] = colour;
                changed = true;
            }
        }
    }
    // One repaint serves every dot plotted before it runs.
    if (changed && !repaintPending_) {
        repaintPending_ = true;
        displayWidget_->update();
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

void DevicePreview::SetScale(int scale)
{
    scale = qBound(1, scale, 4);
    if (scale == scale_)
        return;
    const QSize oldSize = size();
    const QSize base = oldSize / scale_;
    scale_ = scale;
    for (QAction* a : actions())
        a->setChecked(a->objectName() == QStringLiteral("PreviewScale%1").arg(scale));
    displayWidget_->setGeometry(units::ToPixels(kDisplayLeftUnits) * scale, units::ToPixels(kDisplayTopUnits) * scale,
                                kDisplayWidth * scale, kDisplayHeight * scale);
    const QSize grown = base * scale;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->resize(sub->size() + (grown - oldSize));
    else
        resize(grown);
    update();
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
            // Whole device pixels: every dot a square of scale_ pixels, never smoothed.
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter.scale(scale_, scale_);
            painter.drawImage(0, 0, display_);
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            const QPointF at = static_cast<QMouseEvent*>(event)->position();
            const QPoint p(int(std::floor(at.x() / scale_)), int(std::floor(at.y() / scale_)));
            emit DisplayClicked(qBound(0, p.x(), kDisplayWidth - 1), qBound(0, p.y(), kDisplayHeight - 1));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tobrin
