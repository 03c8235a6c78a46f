#pragma once

#include <QImage>
#include <QRect>
#include <QObject>

class QTimer;

namespace tobrin {

class DrawingWindow;

// The selection tool's marching marquee and captured rectangle, and the
// clipboard commands Copy, Cut and Paste with the pasted block that waits
// to be placed.
class Selection : public QObject {
    Q_OBJECT
public:
    explicit Selection(DrawingWindow& main);

    QTimer* DashTimer() const { return dashTimer_; }
    // The image taken from the clipboard by the last Paste.
    const QImage& TempPic() const { return tempPic_; }

    // A selection drag moved onto picture cell (x, y).
    void MarqueeStep(int x, int y);
    void DashTimer_Timer();
    // The release of a selection drag: the rectangle of red marks in the
    // view becomes the held selection.
    void Capture();
    // Holds the picture block (picture cells) as the selection, as a
    // capture of it would.
    void Hold(const QRect& block);
    // Stops the marquee, leaving its outline in solid black (redraw).
    void StopMarquee();

    void Copy_Click();
    void CutMenu_Click();
    void Paste_Click();
    // A pasted block dragged by (dx, dy) cells from the press cell.
    void BlockMove(int dx, int dy);

    static bool ClipboardHasImage();

private:
    // Copies the held block's pixels into the scratch surface.
    void TakeBlock();
    // The marquee's corners (canvas units) round a block of picture cells.
    void SetMarqueeAround(const QRect& block);

    DrawingWindow& main_;
    QTimer* dashTimer_ = nullptr;
    QImage tempPic_;
};

}  // namespace tobrin
