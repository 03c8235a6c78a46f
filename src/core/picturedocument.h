#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <QUndoStack>
#include <memory>
#include <vector>

#include "core/picturedata.h"
#include "core/plotdecision.h"
#include "core/transform.h"

namespace tobrin {

struct HexPicture;
class ImportPipeline;
class SnapshotStep;
class FramesStep;
struct MonoSet;
struct PixelFont;

// The picture being edited: an ordered set of frames of one size (a single
// picture is a set of one), undo memory, file name and the saved flag.
// Drawing, transforms and import act on the current frame. Every change
// goes through a named operation here, and the views follow the signals
// instead of being told by whoever changed it.
class PictureDocument : public QObject {
    Q_OBJECT
public:
    explicit PictureDocument(QObject* parent = nullptr);
    ~PictureDocument() override;

    // The current frame and the size every frame shares.
    const PictureData& Data() const { return data_; }
    std::uint8_t Pic(int x, int y) const { return data_.Pic(x, y); }
    int MaxX() const { return data_.MaxX; }
    int MaxY() const { return data_.MaxY; }
    QRect Bounds() const { return QRect(0, 0, data_.Width(), data_.Height()); }
    bool Saved() const { return saved_; }
    QString FileName() const { return fileName_; }
    // The ".db" text of the picture, as the text view shows it and Save writes it.
    const QString& HexText() const;
    // The same as it is saved under another name (a set's labels come from it).
    QString HexTextAs(const QString& fileName) const;
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
    // Before a file is written from the picture, so that it holds what the
    // views show: an edit under way (text being typed) is stored first.
    void AboutToWrite() { emit aboutToWrite(); }
    // Marks the picture unsaved although nothing changed, until it is saved.
    void MarkModified();
    // True: this is the saved picture (after a write); false: MarkModified.
    void SetSaved(bool saved);
    void MarkSaved(const QString& fileName);
    void SetFileName(const QString& fileName);

    // Frames. Each operation but choosing the current frame is one history
    // step; Undo of a drawing step goes back to the frame it was drawn on.
    int FrameCount() const { return int(frames_.size()); }
    int CurrentFrame() const { return current_; }
    // The cells of frame i (the current one as it is being drawn).
    const PictureData::Plane& FramePlane(int i) const;
    int FrameDelay(int i) const { return frames_[std::size_t(i)].delay; }
    void SetCurrentFrame(int i);
    // A blank frame, or a copy of the current one, after the current one,
    // which it becomes; false at kMaxFrames.
    bool AddFrame();
    bool DuplicateFrame();
    // Deletes the current frame; false when it is the only one.
    bool DeleteFrame();
    // Moves frame from to position to, and it stays the current one if it was.
    void MoveFrame(int from, int to);
    // Milliseconds shown (kept to 1..kMaxDelay); frame -1 sets every frame.
    void SetFrameDelay(int frame, int ms);
    // The frames as the file formats take them.
    MonoSet Frames() const;
    // An imported set takes the current frame's place (a set of one is a
    // frame imported), with the set's size, as one history step.
    void ImportFrames(const MonoSet& set);
    // Replaces every frame with a read set: a saved set with a history of its own.
    void LoadSet(const MonoSet& set, const QString& fileName);

    // Fonts. A document may be a font: each frame a glyph with its
    // character and advance, the size its cell, and one baseline for all.
    // Save writes it in the font's hex text. Frame operations work on
    // glyphs as on frames; a new glyph takes the next character free.
    bool IsFont() const { return font_.on; }
    char32_t GlyphCode(int i) const { return frames_[std::size_t(i)].code; }
    int GlyphAdvance(int i) const;  // kept within the cell's width
    int FontAscent() const;         // kept within the cell's height
    // The glyphs in character order, as the font forms take them.
    PixelFont Font() const;
    // Replaces every frame with a font's glyphs: saved, with a history of its own.
    void LoadFont(const PixelFont& font, const QString& fileName);
    // Each a history step; consecutive changes of one kind make one step.
    void SetGlyphAdvance(int i, int advance);
    void SetFontAscent(int ascent);
    // False when another glyph stands for code (or it is no character).
    bool SetGlyphCode(int i, char32_t code);

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
    // Frames were added, deleted, moved or given delays.
    void framesChanged();
    void currentFrameChanged(int frame);
    // Sent by AboutToWrite: what a view shows but has not yet stored is stored now.
    void aboutToWrite();

private:
    friend class SnapshotStep;
    friend class FramesStep;
    struct FrameSlot {
        // Frames but the current one; the current one's cells live in data_.
        std::shared_ptr<const PictureData::Plane> plane;
        int delay;
        // The frame's hex text, made when first asked for (planes never change).
        mutable std::shared_ptr<const std::string> text = nullptr;
        // A font's glyph: its character and advance.
        char32_t code = 0;
        int advance = 0;
    };
    struct FontMeta {
        bool on = false;
        int ascent = 0;
        int left = 0;
        QString name;
    };
    // The first character after code that no glyph (nor one of extra) stands for.
    char32_t FreeCodeAfter(char32_t code, const std::vector<FrameSlot>& extra = {}) const;
    std::string SetText(const QString& fileName) const;
    void FlushCurrent() const;
    void ShowFrame(int i);
    void ExchangeFrames(std::vector<FrameSlot>& frames, int& current, FontMeta& font);
    // Starts a frame operation's step; EndFramesStep pushes it.
    std::vector<FrameSlot> BeginFramesStep();
    void EndFramesStep(std::vector<FrameSlot> before, int beforeCurrent, int kind);
    void ResetFrames();
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
    void Exchange(PictureData& other, int frame);

    PictureData data_;
    PictureData backup_;  // the state at the start of the open step
    mutable std::vector<FrameSlot> frames_;
    int current_ = 0;
    FontMeta font_;
    FontMeta fontBefore_;  // as the frame operation under way found it
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
