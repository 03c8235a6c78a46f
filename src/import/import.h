#pragma once

#include <QDialog>
#include <functional>

#include "frame/session.h"

namespace tobrin {

class ImageLoader;
class ImportPipeline;

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

    // The buttons.
    void Load_Click();
    void PasteButton_Click();
    void GetImport_Click();
    void CloseButton_Click();
    // The option boxes: each records its state and converts.
    void uRed_Click();
    void uGreen_Click();
    void uBlue_Click();
    void Invert_Click();
    void MatchSize_Click();
    void Aspect_Click();
    // The sliders and the redraw delay.
    void Tolerance_Change();
    void HSize_Change();
    void VSize_Change();
    void RedrawDelay_Timer();
    void ConvertImage();

    // The dialog's state without widgets, and its file reader (tests point
    // the metafile renderer at the built program).
    ImportPipeline& Pipeline();
    ImageLoader& Loader();

    void done(int result) override;

private:
    struct Impl;
    Impl* d_ = nullptr;
};

}  // namespace tobrin
