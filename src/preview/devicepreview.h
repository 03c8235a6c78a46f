#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QRect>
#include <QWidget>

class QTimer;

namespace tobrin {

class PictureDocument;

// "Tav Preview": a picture of the device whose 240 x 120 display shows the
// picture at one screen pixel per picture pixel in the device's colours.
// The display keeps what is plotted on it; the device artwork is held in
// this window's own buffer and stretched so that its display window lies
// exactly under the display. It follows the document: changed pixels are
// plotted, and a new size clears the display before the picture is shown.
class DevicePreview : public QWidget {
    Q_OBJECT
public:
    static constexpr QRgb kSetColour = 0xFF414045u;    // (65, 64, 69)
    static constexpr QRgb kClearColour = 0xFF7D9178u;  // (125, 145, 120)
    static constexpr int kDisplayWidth = 240;
    static constexpr int kDisplayHeight = 120;
    // Where the display sits in the client area, in logical units.
    static constexpr int kDisplayLeftUnits = 1125;
    static constexpr int kDisplayTopUnits = 418;
    // Outer size of the window, in logical units.
    static constexpr int kOuterWidthUnits = 5865;
    static constexpr int kOuterHeightUnits = 3435;
    // The device's display window inside the 290 x 182 artwork.
    static constexpr QRect kArtDisplayRect{57, 25, 173, 104};

    explicit DevicePreview(const PictureDocument& document, QWidget* parent = nullptr);

    // The display surface, 240 x 120, kept across covering and uncovering.
    const QImage& Display() const { return display_; }
    // The display area as a control (objectName "Display").
    QWidget* DisplayWidget() const { return displayWidget_; }
    const QImage& DeviceArt() const { return device_; }

    // Whole-pixel enlargement of the display (1..4, from the window's
    // context menu); the window grows with it so the device stays round it.
    int Scale() const { return scale_; }
    void SetScale(int scale);

    void PlotPixel(int x, int y, QRgb colour);  // one device pixel
    void FillDisplay(QRgb colour);              // the whole 240 x 120 area
    // Plots the dots of a region of the picture that do not show their colour.
    void ShowPicture(const QRect& region);

    // Animation: the frames one after another, each for its delay, looping,
    // until Stop; the document is only read. While it plays, edits show
    // when their frame comes round; Stop shows the current frame again.
    void Play();
    void Stop();
    bool Playing() const { return playing_; }
    // The frame on the display (the current one while stopped).
    int ShownFrame() const;
    // Plots a region of one frame (what each step of the animation does).
    void ShowFrame(int frame, const QRect& region);

signals:
    // A press on the display, in display pixels.
    void DisplayClicked(int x, int y);
    void playingChanged(bool playing);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Tick();

    const PictureDocument& document_;
    bool playing_ = false;
    int shownFrame_ = 0;
    QElapsedTimer clock_;
    QTimer* tick_ = nullptr;
    QImage display_;
    QImage device_;  // the device artwork, this window's own buffer
    QWidget* displayWidget_ = nullptr;
    bool repaintPending_ = false;  // an update of the display is already queued
    int scale_ = 1;
};

}  // namespace tobrin
