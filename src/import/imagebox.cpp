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
    painter.setPen(QColor(64, 64, 64));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tobrin
