#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <vector>

namespace tobrin {

// An image box of the import dialog: a one-pixel frame around an image area
// that shows its image at one screen pixel per image pixel, from the top-left
// corner, on white.
class ImageBox : public QWidget {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);

    void SetImage(const QImage& image);
    const QImage& Image() const { return image_; }
    // Gives the box the outer size of an image area of width x height.
    void SetImageArea(int width, int height);
    QSize ImageArea() const;
    // Outlines drawn over the image (a sheet's cut), in image pixels; none
    // when empty.
    void SetGrid(const std::vector<QRect>& cells);
    const std::vector<QRect>& Grid() const { return grid_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    std::vector<QRect> grid_;
};

}  // namespace tobrin
