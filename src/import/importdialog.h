#pragma once

#include <QDialog>
#include <functional>

#include "app/session.h"

namespace tobrin {

class ImageLoader;
class ImportPipeline;

// "Import picture": loads a graphic file or pastes a clipboard bitmap,
// converts it to black and white and imports it into the picture.
class ImportDialog : public QDialog {
    Q_OBJECT
public:
    // "Import" hands the converted picture to the session's document.
    // showDrawing() is called by "Close" to show the drawing window again.
    ImportDialog(Session& session, std::function<void()> showDrawing, QWidget* parent = nullptr);
    ~ImportDialog() override;

    // The buttons.
    void Load_Click();
    // Loads an image as "Load" does once its dialog has named the file (a
    // file dropped on the dialog or on the frame).
    void LoadFile(const QString& name);
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
    // "Full resolution": convert from the source itself (ImportPipeline).
    void FullResolution_Click();
    // The sliders and the redraw delay.
    void Tolerance_Change();
    // The "Dither" choice: restarts the redraw delay as the threshold does.
    void Dither_Change();
    void HSize_Change();
    void VSize_Change();
    void RedrawDelay_Timer();
    // The cut into frames changed: the target takes a frame's size.
    void Frames_Change();
    void ConvertImage();

    // The dialog's state without widgets, and its file reader (tests point
    // the metafile renderer at the built program).
    ImportPipeline& Pipeline();
    ImageLoader& Loader();

    void done(int result) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FinishLoading(const QString& name);
    struct Impl;
    Impl* d_ = nullptr;
};

}  // namespace tobrin
