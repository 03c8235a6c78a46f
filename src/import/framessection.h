#pragma once

#include <QGroupBox>
#include <QStringList>
#include <optional>

#include "core/setimport.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

namespace tobrin {

class ImageBox;
class ImageLoader;
class ImportPipeline;

// The import dialog's "Frames": how the loaded images are cut into a set of
// frames (columns x rows or a frame size, margin, spacing, leaving out the
// empty cells at a sheet's end), the cut drawn over the loaded image, and
// how many frames the import makes.
class FramesSection : public QGroupBox {
    Q_OBJECT
public:
    explicit FramesSection(QWidget* parent = nullptr);

    SheetCut Cut() const;
    // The controls in keyboard order.
    QList<QWidget*> Controls() const;
    // The files chosen in Load, in order; none for a pasted image.
    void SetFiles(const QStringList& files);
    const QStringList& Files() const { return files_; }
    // True when Import makes a set rather than one picture: several files,
    // a cut, or an animated GIF.
    bool MakesSet() const;
    // The size of one frame of the cut of pipeline's source; empty when the
    // cut is whole or does not divide it.
    QSize FrameSize(const ImportPipeline& pipeline) const;
    // Draws the cut over disp (the display copy of pipeline's source) and
    // shows the number of frames, or why the cut does not fit.
    void ShowCut(const ImportPipeline& pipeline, ImageBox& disp);
    // Reads the files (or the pasted source) and converts every frame with
    // pipeline's options; nullopt and *error when anything fails.
    std::optional<MonoSet> MakeSet(const ImportPipeline& pipeline, const ImageLoader& loader,
                                   SetImportError* error) const;

signals:
    // The user changed the cut.
    void CutChanged();

private:
    void CutByChanged();

    QComboBox* cutBy_ = nullptr;
    QSpinBox* across_ = nullptr;
    QSpinBox* down_ = nullptr;
    QSpinBox* margin_ = nullptr;
    QSpinBox* spacing_ = nullptr;
    QCheckBox* skipEmpty_ = nullptr;
    QLabel* count_ = nullptr;
    QStringList files_;
    int gifFrames_ = 1;  // the frames of the first file
    QSize source_;       // the size of the source the cut was last shown on
};

}  // namespace tobrin
