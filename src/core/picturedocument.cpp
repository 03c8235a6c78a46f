#include "core/picturedocument.h"

#include <algorithm>
#include <cstring>

#include "core/formats.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"
#include "core/importpipeline.h"

namespace tobrin {

namespace {

constexpr int kAnyStep = -1;  // steps that never merge
constexpr int kSizeStep = 1;  // consecutive size changes make one step
constexpr int kDelayStep = 2;  // and so do consecutive delay changes

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

// A frame operation: the list of frames before it (the frames themselves
// are shared, so a step costs a pointer per frame), swapped like a snapshot.
class FramesStep : public QUndoCommand {
public:
    FramesStep(PictureDocument& doc, std::vector<PictureDocument::FrameSlot> before, int current, int kind)
        : doc_(doc), other_(std::move(before)), current_(current), kind_(kind)
    {
    }
    void undo() override { doc_.ExchangeFrames(other_, current_); }
    void redo() override
    {
        if (pushed_)
            doc_.ExchangeFrames(other_, current_);
        pushed_ = true;
    }
    int id() const override { return kind_; }
    bool mergeWith(const QUndoCommand* next) override { return next->id() == kind_ && kind_ != kAnyStep; }

private:
    PictureDocument& doc_;
    std::vector<PictureDocument::FrameSlot> other_;
    int current_;
    int kind_;
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

namespace {
int ClampX(int mx) { return std::clamp(mx, 3, kMaxWidth - 1); }
int ClampY(int my) { return std::clamp(my, 3, kMaxHeight - 1); }
}  // namespace

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

// ---- frames ------------------------------------------------------------------------

void PictureDocument::FlushCurrent() const
{
    FrameSlot& slot = frames_[std::size_t(current_)];
    slot.plane = std::make_shared<const PictureData::Plane>(data_.PicData);
    slot.text.reset();
}

QString PictureDocument::HexTextAs(const QString& fileName) const
{
    return FrameCount() == 1 || fileName == fileName_ ? HexText() : QString::fromStdString(SetText(fileName));
}

std::string PictureDocument::SetText(const QString& fileName) const
{
    // As HexSetText writes it; only the current frame's text is made anew,
    // so drawing on a long set costs what it costs on one picture.
    const std::string label = CNameFromPath(fileName).toStdString();
    bool delays = false;
    for (const FrameSlot& slot : frames_)
        delays = delays || slot.delay != MonoSet::kDefaultDelay;
    std::string text;
    for (int i = 0; i < FrameCount(); ++i) {
        const FrameSlot& slot = frames_[std::size_t(i)];
        if (i > 0)
            text += "\r\n";
        text += label + "_" + std::to_string(i) + ":\r\n";
        if (delays)
            text += "; delay " + std::to_string(slot.delay) + " ms\r\n";
        if (i == current_) {
            text += tobrin::HexText(data_);
            continue;
        }
        if (!slot.text) {
            PictureData frame;
            frame.PicData = *slot.plane;
            frame.MaxX = data_.MaxX;
            frame.MaxY = data_.MaxY;
            slot.text = std::make_shared<const std::string>(tobrin::HexText(frame));
        }
        text += *slot.text;
    }
    return text;
}

const PictureData::Plane& PictureDocument::FramePlane(int i) const
{
    return i == current_ ? data_.PicData : *frames_[std::size_t(i)].plane;
}

void PictureDocument::ShowFrame(int i)
{
    if (i == current_)
        return;
    const Batch batch(*this);
    FlushCurrent();
    current_ = i;
    data_.PicData = *frames_[std::size_t(i)].plane;
    frames_[std::size_t(i)].plane.reset();
    Touched(Bounds());
    emit currentFrameChanged(i);
}

void PictureDocument::SetCurrentFrame(int i)
{
    if (i < 0 || i >= FrameCount() || i == current_)
        return;
    SettleStep();
    // The open step belongs to the frame left; the one shown gets its own.
    stepOpen_ = false;
    ShowFrame(i);
    OpenStep(kAnyStep);
}

void PictureDocument::ExchangeFrames(std::vector<FrameSlot>& frames, int& current)
{
    const Batch batch(*this);
    FlushCurrent();
    std::swap(frames_, frames);
    std::swap(current_, current);
    data_.PicData = *frames_[std::size_t(current_)].plane;
    frames_[std::size_t(current_)].plane.reset();
    hexValid_ = false;
    Touched(Bounds());
    emit framesChanged();
    emit currentFrameChanged(current_);
}

std::vector<PictureDocument::FrameSlot> PictureDocument::BeginFramesStep()
{
    SettleStep();
    stepOpen_ = false;
    FlushCurrent();
    return frames_;
}

void PictureDocument::EndFramesStep(std::vector<FrameSlot> before, int beforeCurrent, int kind)
{
    {
        const Batch batch(*this);
        data_.PicData = *frames_[std::size_t(current_)].plane;
        frames_[std::size_t(current_)].plane.reset();
        hexValid_ = false;
        Touched(Bounds());
        emit framesChanged();
        emit currentFrameChanged(current_);
    }
    history_.push(new FramesStep(*this, std::move(before), beforeCurrent, kind));
    OpenStep(kAnyStep);
}

bool PictureDocument::AddFrame()
{
    if (FrameCount() >= MonoSet::kMaxFrames)
        return false;
    const int before = current_;
    std::vector<FrameSlot> old = BeginFramesStep();
    static const auto blank = std::make_shared<const PictureData::Plane>();
    frames_.insert(frames_.begin() + current_ + 1, FrameSlot{blank, frames_[std::size_t(current_)].delay});
    ++current_;
    EndFramesStep(std::move(old), before, kAnyStep);
    return true;
}

bool PictureDocument::DuplicateFrame()
{
    if (FrameCount() >= MonoSet::kMaxFrames)
        return false;
    const int before = current_;
    std::vector<FrameSlot> old = BeginFramesStep();
    frames_.insert(frames_.begin() + current_ + 1, frames_[std::size_t(current_)]);
    ++current_;
    EndFramesStep(std::move(old), before, kAnyStep);
    return true;
}

bool PictureDocument::DeleteFrame()
{
    if (FrameCount() <= 1)
        return false;
    const int before = current_;
    std::vector<FrameSlot> old = BeginFramesStep();
    frames_.erase(frames_.begin() + current_);
    current_ = std::min(current_, FrameCount() - 1);
    EndFramesStep(std::move(old), before, kAnyStep);
    return true;
}

void PictureDocument::MoveFrame(int from, int to)
{
    to = std::clamp(to, 0, FrameCount() - 1);
    if (from < 0 || from >= FrameCount() || from == to)
        return;
    const int before = current_;
    std::vector<FrameSlot> old = BeginFramesStep();
    const FrameSlot moved = frames_[std::size_t(from)];
    frames_.erase(frames_.begin() + from);
    frames_.insert(frames_.begin() + to, moved);
    // The current frame keeps being the current one wherever it goes.
    if (current_ == from)
        current_ = to;
    else if (from < current_ && to >= current_)
        --current_;
    else if (from > current_ && to <= current_)
        ++current_;
    EndFramesStep(std::move(old), before, kAnyStep);
}

void PictureDocument::SetFrameDelay(int frame, int ms)
{
    ms = std::clamp(ms, 1, MonoSet::kMaxDelay);
    bool same = true;
    for (int i = 0; i < FrameCount(); ++i)
        if ((frame < 0 || i == frame) && frames_[std::size_t(i)].delay != ms)
            same = false;
    if (same || frame >= FrameCount())
        return;
    std::vector<FrameSlot> old = BeginFramesStep();
    for (int i = 0; i < FrameCount(); ++i)
        if (frame < 0 || i == frame)
            frames_[std::size_t(i)].delay = ms;
    EndFramesStep(std::move(old), current_, kDelayStep);
}

MonoSet PictureDocument::Frames() const
{
    MonoSet set;
    set.frames.reserve(frames_.size());
    for (int i = 0; i < FrameCount(); ++i) {
        set.frames.push_back(MonoPicture::FromPlane(FramePlane(i).data(), data_.Width(), data_.Height()));
        set.delays.push_back(FrameDelay(i));
    }
    return set;
}

void PictureDocument::ImportFrames(const MonoSet& set)
{
    if (set.Count() == 0 || FrameCount() - 1 + set.Count() > MonoSet::kMaxFrames)
        return;
    const int before = current_;
    const int width = set.frames.front().width;
    const int height = set.frames.front().height;
    // The frames and the size they come with are one step for the user.
    history_.beginMacro(QStringLiteral("Import"));
    std::vector<FrameSlot> old = BeginFramesStep();
    std::vector<FrameSlot> added;
    for (int i = 0; i < set.Count(); ++i) {
        // Cells outside the imported size keep the current frame's values,
        // as a single import leaves them.
        auto plane = std::make_shared<PictureData::Plane>(data_.PicData);
        const MonoPicture& frame = set.frames[std::size_t(i)];
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                (*plane)[std::size_t(PictureData::Offset(x, y))] = frame.At(x, y);
        added.push_back(FrameSlot{std::move(plane), set.delays[std::size_t(i)]});
    }
    frames_.erase(frames_.begin() + current_);
    frames_.insert(frames_.begin() + current_, added.begin(), added.end());
    EndFramesStep(std::move(old), before, kAnyStep);
    if (width != data_.Width() || height != data_.Height())
        ChangeSize(width - 1, height - 1);
    history_.endMacro();
}

void PictureDocument::ResetFrames()
{
    const bool many = FrameCount() > 1 || current_ != 0;
    frames_.assign(1, FrameSlot{nullptr, MonoSet::kDefaultDelay});
    current_ = 0;
    hexValid_ = false;
    if (many) {
        const Batch batch(*this);
        Touched(Bounds());
        emit framesChanged();
        emit currentFrameChanged(0);
    }
}

void PictureDocument::LoadSet(const MonoSet& set, const QString& fileName)
{
    stepOpen_ = false;
    {
        const Batch batch(*this);
        frames_.clear();
        for (int i = 0; i < set.Count(); ++i) {
            auto plane = std::make_shared<PictureData::Plane>();
            set.frames[std::size_t(i)].ToPlane(plane->data());
            frames_.push_back(FrameSlot{std::move(plane), set.delays[std::size_t(i)]});
        }
        current_ = 0;
        data_.PicData = *frames_.front().plane;
        frames_.front().plane.reset();
        const MonoPicture& first = set.frames.front();
        Resize(ClampX(first.width - 1), ClampY(first.height - 1));
        hexValid_ = false;
        Touched(Bounds());
        emit framesChanged();
        emit currentFrameChanged(0);
    }
    StartHistory();
    SetFileName(fileName);
}

}  // namespace tobrin
