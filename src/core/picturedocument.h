#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include "core/picturedata.h"
#include "core/plotdecision.h"

namespace tobrin {

struct HexPicture;
class ImportPipeline;

// The undo memory of a picture: one snapshot of the pixels within the
// picture's size. Undo copies it back over the current size and keeps the
// snapshot, so a second Undo repeats the first.
class PictureHistory {
public:
    void BackUp(const PictureData& picture);
    void Undo(PictureData& picture) const;
    std::uint8_t Pixel(int x, int y) const { return plane_[PictureData::Offset(x, y)]; }

private:
    PictureData::Plane plane_{};
};

// The picture being edited: pixels, size, undo memory, file name and the
// saved flag. Every change goes through a named operation here, and the
// views follow the signals instead of being told by whoever changed it.
class PictureDocument : public QObject {
    Q_OBJECT
public:
    explicit PictureDocument(QObject* parent = nullptr);

    const PictureData& Data() const { return data_; }
    std::uint8_t Pic(int x, int y) const { return data_.Pic(x, y); }
    int MaxX() const { return data_.MaxX; }
    int MaxY() const { return data_.MaxY; }
    QRect Bounds() const { return QRect(0, 0, data_.Width(), data_.Height()); }
    bool Saved() const { return saved_; }
    QString FileName() const { return fileName_; }
    // The ".db" text of the picture, as the text view shows it and Save writes it.
    const QString& HexText() const;
    std::uint8_t UndoPixel(int x, int y) const { return history_.Pixel(x, y); }

    // A committed plot of one pixel under the paint style; the decision
    // tells what happened (nothing is stored when white is transparent).
    PlotDecision PlotPixel(int x, int y, int ink, int paintStyle, bool whiteTransparent);
    // Stores one value as it is (no paint style).
    void SetPixel(int x, int y, std::uint8_t value);
    // Sets every pixel of the rectangle (picture coordinates) to value.
    void FillBlock(const QRect& block, std::uint8_t value);

    void BackUp();
    void Undo();
    // Applies a size (clamped to 4 x 4 .. 240 x 120), then backs up.
    void ChangeSize(int mx, int my);
    // A size without a backup (a drawing window starting again).
    void SetSize(int mx, int my);
    // Clears the whole array and starts a saved, nameless 40 x 32 picture.
    void NewPicture();
    // Replaces pixels and size with a read file; the saved flag stays.
    void LoadPicture(const HexPicture& picture, const QString& fileName);
    // Takes the import dialog's converted picture; the picture is unsaved.
    void Import(const ImportPipeline& pipeline);
    void MarkModified();
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

private:
    void Touched(const QRect& region);
    void Announce();

    PictureData data_;
    PictureHistory history_;
    QString fileName_;
    bool saved_ = true;
    mutable QString hexText_;
    mutable bool hexValid_ = false;
    int batchDepth_ = 0;
    QRect pending_;
};

}  // namespace tobrin
