#pragma once

#include <QDialog>
#include <functional>

#include "frame/session.h"

namespace tobrin {

// "Import picture": loads a graphic file or pastes a clipboard bitmap,
// converts it to black and white and imports it into the picture.
class Import : public QDialog {
    Q_OBJECT
public:
    // applySize(maxX, maxY) is called by "Import" after PicData has been
    // written: it shows the size in the frame, runs ChangeSize, clears
    // PictureSaved and enables "Save hex file". showDrawing() is called by
    // "Close" to show the drawing window again.
    Import(Session& session, std::function<void(int maxX, int maxY)> applySize,
           std::function<void()> showDrawing, QWidget* parent = nullptr);
    ~Import() override;

private:
    struct Impl;
    Impl* d_ = nullptr;
};

}  // namespace tobrin
