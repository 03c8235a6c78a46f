#pragma once

#include <QImage>
#include <QWidget>

namespace tobrin {

// "Tav Preview": a picture of the device whose 240 x 120 display shows the
// picture at one screen pixel per picture pixel in the device's colours.
class TavDisplay : public QWidget {
    Q_OBJECT
public:
    static constexpr QRgb kSetColour = 0xFF414045u;    // (65, 64, 69)
    static constexpr QRgb kClearColour = 0xFF7D9178u;  // (125, 145, 120)

    explicit TavDisplay(QWidget* parent = nullptr);

    // The display surface, 240 x 120, kept across covering and uncovering.
    const QImage& Display() const { return display_; }
    void PlotPixel(int x, int y, QRgb colour);  // one device pixel
    void FillDisplay(QRgb colour);              // the whole 240 x 120 area

signals:
    // A press on the display, in display pixels.
    void DisplayClicked(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage display_;
    QImage device_;  // the device artwork, this window's own buffer
};

}  // namespace tobrin
