#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <QUndoStack>

#include "core/picturedata.h"
#include "core/plotdecision.h"
#include "core/transform.h"

namespace tobrin {

struct HexPicture;
class ImportPipeline;
class SnapshotStep;

// The picture being edited: pixels, size, undo memory, file name and the
// saved flag. Every change goes through a named operation here, and the
// views follow the signals instead of being told by whoever changed it.
class PictureDocument : public QObject {
    Q_OBJECT
public:
    explicit PictureDocument(QObject* parent = nullptr);
    ~PictureDocument() override;

    const PictureData& Data() const { return data_; }
    std::uint8_t Pic(int x, int y) const { return data_.Pic(x, y); }
    int MaxX() const { return data_.MaxX; }
    int MaxY() const { return data_.MaxY; }
    QRect Bounds() const { return QRect(0, 0, data_.Width(), data_.Height()); }
    bool Saved() const { return saved_; }
    QString FileName() const { return fileName_; }
    // The ".db" text of the picture, as the text view shows it and Save writes it.
    const QString& HexText() const;
    // The copy taken by the latest BackUp (or restored by Undo or Redo).
    std::uint8_t UndoPixel(int x, int y) const { return backup_.Pic(x, y); }

    // A committed plot of one pixel under the paint style; the decision
    // tells what happened (nothing is stored when white is transparent).
    PlotDecision PlotPixel(int x, int y, int ink, PaintStyle paintStyle, bool whiteTransparent);
    // Stores one value as it is (no paint style).
    void SetPixel(int x, int y, std::uint8_t value);
    // Sets every pixel of the rectangle (picture coordinates) to value.
    void FillBlock(const QRect& block, std::uint8_t value);

    // History: every BackUp starts a step holding the picture (pixels and
    // size) as it was; the step enters the history with the first change
    // after it, so a step that changed nothing is never kept. Undo brings
    // back the state before the latest step, Redo goes forward again; a new
    // change drops whatever could have been redone. The saved flag follows
    // the history: saved exactly at the step that was saved (or opened).
    void BackUp();
    void Undo();
    void Redo();
    bool CanUndo() const { return history_.canUndo(); }
    bool CanRedo() const { return history_.canRedo(); }
    int HistorySteps() const { return history_.count(); }
    static constexpr int kHistoryLimit = 256;
    // Applies a size (clamped to 4 x 4 .. 240 x 120), then backs up.
    void ChangeSize(int mx, int my);
    // The editor's start: a saved, nameless 40 x 32 picture with a history
    // of its own; the pixels stay (cells outside the size keep theirs).
    void StartAfresh();
    // Clears the whole array and starts a saved, nameless 40 x 32 picture
    // with a history of its own.
    void NewPicture();
    // Replaces pixels and size with a read file: a saved picture with a
    // history of its own.
    void LoadPicture(const HexPicture& picture, const QString& fileName);
    // Takes the import dialog's converted picture as one history step.
    void Import(const ImportPipeline& pipeline);
    // A "&Picture" menu transform of the whole picture or of a block, as
    // one history step. A refused transform (see PlanTransform) changes
    // nothing and says why.
    TransformResult TransformPicture(Transform t, const std::optional<QRect>& block = std::nullopt);
    // Marks the picture unsaved although nothing changed, until it is saved.
    void MarkModified();
    // True: this is the saved picture (after a write); false: MarkModified.
    void SetSaved(bool saved);
    void MarkSaved(const QString& fileName);
    void SetFileName(const QString& fileName);

    // Changes made while a Batch lives are announced once, at its end.
    class Batch {
    public:
        explicit Batch(PictureDocument& doc) : doc_(doc) { ++doc_.batchDepth_; }
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        PictureDocument& doc_;
    };

signals:
    // Picture pixels in the rectangle may have changed.
    void pixelsChanged(const QRect& region);
    void sizeChanged(int width, int height);
    void savedChanged(bool saved);
    void fileNameChanged(const QString& fileName);
    void undoAvailable(bool available);
    void redoAvailable(bool available);

private:
    friend class SnapshotStep;
    void Touched(const QRect& region);
    void Announce();
    // Applies a size and announces it; no history of its own.
    void Resize(int mx, int my);
    // Starts a step from the current state; kind tells which steps merge.
    void OpenStep(int kind);
    // Puts the open step into the history once the picture differs from it.
    void SettleStep();
    // A history of this picture alone, which is the saved one.
    void StartHistory();
    void UpdateSaved();
    // Swaps the picture with a step's copy (Undo and Redo alike).
    void Exchange(PictureData& other);

    PictureData data_;
    PictureData backup_;  // the state at the start of the open step
    bool stepOpen_ = false;
    int stepKind_ = -1;
    QUndoStack history_;
    QString fileName_;
    bool saved_ = true;
    bool forcedUnsaved_ = false;
    mutable QString hexText_;
    mutable bool hexValid_ = false;
    int batchDepth_ = 0;
    QRect pending_;
};

}  // namespace tobrin
