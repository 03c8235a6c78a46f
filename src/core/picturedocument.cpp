#include "core/picturedocument.h"

#include <algorithm>
#include <cstring>

#include "core/formats.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"
#include "core/importpipeline.h"
#include "core/picturedocument_impl.h"
#include "core/pixelfont.h"

namespace tobrin {

namespace {

bool SameState(const PictureData& a, const PictureData& b)
{
    return a.MaxX == b.MaxX && a.MaxY == b.MaxY && a.PicData == b.PicData;
}

}  // namespace

// One history step: a whole copy of one frame (pixels and size). While
// the step is done the copy holds the state before it; Undo and Redo swap
// the copy with the document, so each step keeps exactly one copy.
class SnapshotStep : public QUndoCommand {
public:
    SnapshotStep(PictureDocument& doc, const PictureData& before, int kind)
        : doc_(doc), other_(before), kind_(kind), frame_(doc.current_)
    {
    }
    void undo() override { doc_.Exchange(other_, frame_); }
    void redo() override
    {
        // Pushed after the change was made: the first redo is the change itself.
        if (pushed_)
            doc_.Exchange(other_, frame_);
        pushed_ = true;
    }
    int id() const override { return kind_; }
    bool mergeWith(const QUndoCommand* next) override
    {
        if (next->id() != kind_)
            return false;
        // Keeps the older "before"; sizing back to where it started leaves no step.
        setObsolete(SameState(other_, doc_.data_));
        return true;
    }

private:
    PictureDocument& doc_;
    PictureData other_;
    int kind_;
    int frame_;
    bool pushed_ = false;
};

PictureDocument::PictureDocument(QObject* parent) : QObject(parent)
{
    history_.setUndoLimit(kHistoryLimit);
    connect(&history_, &QUndoStack::canUndoChanged, this, &PictureDocument::undoAvailable);
    connect(&history_, &QUndoStack::canRedoChanged, this, &PictureDocument::redoAvailable);
    // The picture is saved exactly while the history stands at the saved
    // step: any change leaves it, and Undo or Redo back to it returns there.
    connect(&history_, &QUndoStack::cleanChanged, this, &PictureDocument::UpdateSaved);
    frames_.push_back(FrameSlot{nullptr, MonoSet::kDefaultDelay});
    OpenStep(kAnyStep);
}

PictureDocument::~PictureDocument()
{
    // The history clears itself as it goes and would announce that through
    // this half-destroyed document to views that may already be gone.
    disconnect(&history_, nullptr, this, nullptr);
}

PictureDocument::Batch::~Batch()
{
    if (--doc_.batchDepth_ == 0)
        doc_.Announce();
}

void PictureDocument::Announce()
{
    if (pending_.isEmpty())
        return;
    const QRect region = pending_;
    pending_ = QRect();
    SettleStep();
    emit pixelsChanged(region);
}

const QString& PictureDocument::HexText() const
{
    if (!hexValid_) {
        if (font_.on)
            hexText_ = FontHexText(Font(), CNameFromPath(fileName_));
        else
            hexText_ = QString::fromStdString(FrameCount() == 1 ? tobrin::HexText(data_) : SetText(fileName_));
        hexValid_ = true;
    }
    return hexText_;
}

void PictureDocument::Touched(const QRect& region)
{
    hexValid_ = false;
    pending_ |= region;
    if (batchDepth_ == 0)
        Announce();
}

PlotDecision PictureDocument::PlotPixel(int x, int y, int ink, PaintStyle paintStyle, bool whiteTransparent)
{
    const PlotDecision pd = DecidePlot(paintStyle, ink, data_.Pic(x, y), whiteTransparent);
    if (pd.draw)
        SetPixel(x, y, std::uint8_t(pd.PlotValue));
    return pd;
}

void PictureDocument::SetPixel(int x, int y, std::uint8_t value)
{
    data_.Pic(x, y) = value;
    Touched(QRect(x, y, 1, 1));
}

void PictureDocument::FillBlock(const QRect& block, std::uint8_t value)
{
    for (int y = block.top(); y <= block.bottom(); ++y)
        for (int x = block.left(); x <= block.right(); ++x)
            data_.Pic(x, y) = value;
    Touched(block);
}

void PictureDocument::OpenStep(int kind)
{
    backup_ = data_;
    stepOpen_ = true;
    stepKind_ = kind;
}

void PictureDocument::SettleStep()
{
    if (!stepOpen_ || SameState(backup_, data_))
        return;
    stepOpen_ = false;
    history_.push(new SnapshotStep(*this, backup_, stepKind_));
}

void PictureDocument::Exchange(PictureData& other, int frame)
{
    const Batch batch(*this);
    ShowFrame(frame);
    const bool resized = other.MaxX != data_.MaxX || other.MaxY != data_.MaxY;
    std::swap(data_, other);
    if (resized) {
        hexValid_ = false;
        for (FrameSlot& slot : frames_)
            slot.text.reset();
        emit sizeChanged(data_.Width(), data_.Height());
    }
    Touched(Bounds());
}

void PictureDocument::BackUp()
{
    SettleStep();
    OpenStep(kAnyStep);
}

void PictureDocument::Undo()
{
    SettleStep();
    if (!history_.canUndo())
        return;
    stepOpen_ = false;
    history_.undo();
    // A change made without a BackUp still becomes a step of its own.
    OpenStep(kAnyStep);
}

void PictureDocument::Redo()
{
    SettleStep();
    if (!history_.canRedo())
        return;
    stepOpen_ = false;
    history_.redo();
    OpenStep(kAnyStep);
}

void PictureDocument::StartHistory()
{
    // Steps of another picture must never come back into this one: Undo
    // after Open would otherwise put the old file's pixels under the new
    // file's name, and Save would write them there.
    stepOpen_ = false;
    history_.clear();
    forcedUnsaved_ = false;
    OpenStep(kAnyStep);
    UpdateSaved();
}

void PictureDocument::UpdateSaved()
{
    const bool saved = history_.isClean() && !forcedUnsaved_;
    if (saved_ == saved)
        return;
    saved_ = saved;
    emit savedChanged(saved);
}

void PictureDocument::ChangeSize(int mx, int my)
{
    // The size change is a step of its own, apart from the drawing before it.
    SettleStep();
    OpenStep(kSizeStep);
    Resize(ClampX(mx), ClampY(my));
    SettleStep();
    OpenStep(kAnyStep);
}

void PictureDocument::Resize(int mx, int my)
{
    data_.MaxX = mx;
    data_.MaxY = my;
    for (FrameSlot& slot : frames_)
        slot.text.reset();
    hexValid_ = false;
    emit sizeChanged(mx + 1, my + 1);
}

void PictureDocument::StartAfresh()
{
    ResetFrames();
    Resize(39, 31);
    StartHistory();
    SetFileName(QString());
}

void PictureDocument::NewPicture()
{
    stepOpen_ = false;
    {
        const Batch batch(*this);
        ResetFrames();
        data_.PicData.fill(0);  // the whole array, outside the picture too
        Touched(Bounds());
        Resize(39, 31);
    }
    StartHistory();
    // A new picture has no file yet: Save asks for a name.
    SetFileName(QString());
}

void PictureDocument::LoadPicture(const HexPicture& picture, const QString& fileName)
{
    stepOpen_ = false;
    {
        const Batch batch(*this);
        ResetFrames();
        UnpackHexPicture(picture, data_);
        Touched(Bounds());
        Resize(ClampX(data_.MaxX), ClampY(data_.MaxY));
    }
    // The file just read is the saved picture, whatever the one before was.
    StartHistory();
    SetFileName(fileName);
}

void PictureDocument::Import(const ImportPipeline& pipeline)
{
    BackUp();
    {
        const Batch batch(*this);
        pipeline.GetImport(data_);
        Touched(Bounds());
        Resize(ClampX(data_.MaxX), ClampY(data_.MaxY));
    }
    SettleStep();
    OpenStep(kAnyStep);
}

TransformResult PictureDocument::TransformPicture(Transform t, const std::optional<QRect>& block)
{
    TransformResult plan = PlanTransform(t, data_.Width(), data_.Height(), block);
    if (!plan.ok)
        return plan;
    if (FrameCount() > 1 && (plan.width != data_.Width() || plan.height != data_.Height())) {
        // Every frame has the picture's size; one frame cannot take another.
        plan.ok = false;
        plan.reason = QStringLiteral("All frames share one size; this would give one frame another");
        return plan;
    }
    BackUp();
    {
        const Batch batch(*this);
        ApplyTransform(data_.PicData, t, data_.Width(), data_.Height(), block);
        if (plan.width != data_.Width() || plan.height != data_.Height())
            Resize(plan.width - 1, plan.height - 1);
        Touched(plan.changed.isEmpty() ? Bounds() : plan.changed);
    }
    SettleStep();
    OpenStep(kAnyStep);
    return plan;
}

void PictureDocument::MarkModified() { SetSaved(false); }

void PictureDocument::MarkSaved(const QString& fileName)
{
    SetFileName(fileName);
    SetSaved(true);
}

void PictureDocument::SetSaved(bool saved)
{
    forcedUnsaved_ = !saved;
    if (saved) {
        // The history remembers which step is the saved picture.
        SettleStep();
        OpenStep(kAnyStep);
        history_.setClean();
    }
    UpdateSaved();
}

void PictureDocument::SetFileName(const QString& fileName)
{
    if (fileName_ == fileName)
        return;
    fileName_ = fileName;
    // A set's labels are made from the file's name.
    if (FrameCount() > 1)
        hexValid_ = false;
    emit fileNameChanged(fileName);
}

}  // namespace tobrin
