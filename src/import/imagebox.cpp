#include "import/imagebox.h"

#include <QPainter>

namespace tobrin {

ImageBox::ImageBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageBox::SetImage(const QImage& image)
{
    image_ = image;
    update();
}

void ImageBox::SetImageArea(int width, int height)
{
    resize(width + 2, height + 2);
}

void ImageBox::SetGrid(const std::vector<QRect>& cells)
{
    grid_ = cells;
    update();
}

QSize ImageBox::ImageArea() const
{
    return QSize(width() - 2, height() - 2);
}

void ImageBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!image_.isNull())
        painter.drawImage(QPoint(1, 1), image_, QRect(QPoint(0, 0), ImageArea()));
    if (!grid_.empty()) {
        // A colour no black-and-white preview has, seen over light and dark.
        painter.setPen(QColor(255, 0, 160));
        for (const QRect& cell : grid_)
            painter.drawRect(cell.translated(1, 1).adjusted(0, 0, -1, -1));
    }
    painter.setPen(QColor(64, 64, 64));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tobrin
