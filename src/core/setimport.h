#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "core/formats.h"

namespace tobrin {

class ImageLoader;
class ImportPipeline;

// How a sprite sheet is cut into frames: into columns x rows, or into
// frames of frameSize (when it is valid; the counts then follow from the
// sheet). margin pixels run round the whole sheet and spacing pixels lie
// between neighbouring frames. The frames are read left to right, top to
// bottom.
//
// With skipEmpty, the empty cells at the end of a sheet (after its last
// cell that holds anything) are left out: a sheet's last row is often only
// partly filled. A cell is empty when every pixel of it, laid over white,
// has one colour: a cell of one flat colour, or a fully transparent one.
struct SheetCut {
    int columns = 1;
    int rows = 1;
    QSize frameSize;
    int margin = 0;
    int spacing = 0;
    bool skipEmpty = false;

    // The whole image is the one frame.
    bool Whole() const { return !frameSize.isValid() && columns == 1 && rows == 1 && margin == 0; }
};

// The cells of a sheet of the given size, in reading order. A sheet that
// the cut does not divide (after its margin and spacing) is refused with a
// cause that gives the numbers, as is a cut of more than MonoSet::kMaxFrames
// cells.
std::optional<std::vector<QRect>> CutCells(QSize sheet, const SheetCut& cut, QString* error = nullptr);

// True when every pixel of cell in image, laid over white, has one colour.
bool IsEmptyCell(const QImage& image, const QRect& cell);

// An animated GIF's frames are at most this large (the largest picture).
QSize GifFrameLimit();

// The images a set is made from, before conversion: the decoded sources
// (a still image, or each frame of an animated GIF composited as shown) and
// the cells cut from them, each with its delay. Frames are copied out of
// their source only as they are converted, so a sheet is held once.
class SetSources {
public:
    // Every decoded source together holds at most this many pixels, beside
    // the ImageLoader::kMaxPixels of each one.
    static constexpr qint64 kMaxTotalPixels = 2 * 64LL * 1000 * 1000;

    int Count() const { return int(cells_.size()); }
    qint64 Pixels() const { return pixels_; }
    // Frame i as an image of its own (shared with its source when the
    // cell is the whole source).
    QImage Frame(int i) const;
    int Delay(int i) const { return cells_[std::size_t(i)].delay; }
    QRect Cell(int i) const { return cells_[std::size_t(i)].rect; }

    // Adds a source cut as cut says; false (and *error) when the cut does not
    // fit it, or the frames or pixels would pass their caps. Nothing is
    // added on failure.
    bool Add(const QImage& source, int delay, const SheetCut& cut, QString* error = nullptr);
    // Lets go of the last source added, once its cells are converted: their
    // frames are empty from then on; counts, cells and delays stay.
    void ReleaseLast()
    {
        if (!sources_.empty())
            sources_.back() = QImage();
    }

private:
    struct Piece {
        int source;
        QRect rect;
        int delay;
    };
    std::vector<QImage> sources_;
    std::vector<Piece> cells_;
    qint64 pixels_ = 0;
};

// Where and why reading or converting a set failed.
struct SetImportError {
    QString file;
    QString cause;
};

// True when path holds a GIF of more than one frame: it is read as a set.
bool IsAnimatedGif(const QString& path);

// Reads the files in order, each cut as cut says: a still image is read as
// the import reads one picture; an animated GIF gives each of its frames
// (composited as a viewer shows them, at most GifFrameLimit()) with its
// delay, and each frame is cut as a sheet would be. Anything that fails
// refuses the whole set, naming the file.
std::optional<SetSources> ReadSetSources(const QStringList& files, const SheetCut& cut, const ImageLoader& loader,
                                         SetImportError* error = nullptr);

// Converts every frame as the import converts one picture, with settled's
// options (threshold, components, invert, dither, size, aspect, full
// resolution): each frame becomes the source of a copy of settled, the way
// a pasted image does. The first frame decides the set's size (Match size
// matches it); a later frame of another size is drawn at that size.
std::optional<MonoSet> ConvertSet(const ImportPipeline& settled, const SetSources& sources,
                                  QString* error = nullptr);

// Makes the pipeline a set is converted by from its first frame: the frame
// pasted or loaded into it and the options applied.
using SettleSet = std::function<ImportPipeline(const QImage& first)>;

// ReadSetSources and then ConvertSet of what settle makes of the first
// frame, giving the same set or the same refusal (a conversion failure names
// the first file). When a file is a GIF, every frame is converted on this
// thread as soon as it is read, an animated GIF's while the rest of the file
// is still decoded on a thread of its own.
std::optional<MonoSet> ReadAndConvertSet(const QStringList& files, const SheetCut& cut, const ImageLoader& loader,
                                         const SettleSet& settle, SetImportError* error = nullptr);

}  // namespace tobrin
