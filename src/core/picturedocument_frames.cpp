#include <algorithm>

#include "core/formats.h"
#include "core/hexwriter.h"
#include "core/picturedocument.h"
#include "core/picturedocument_impl.h"
#include "core/pixelfont.h"

namespace tobrin {

// A frame operation: the list of frames before it (the frames themselves
// are shared, so a step costs a pointer per frame), swapped like a snapshot.
class FramesStep : public QUndoCommand {
public:
    FramesStep(PictureDocument& doc, std::vector<PictureDocument::FrameSlot> before, int current,
               PictureDocument::FontMeta font, int kind)
        : doc_(doc), other_(std::move(before)), current_(current), font_(std::move(font)), kind_(kind)
    {
    }
    void undo() override { doc_.ExchangeFrames(other_, current_, font_); }
    void redo() override
    {
        if (pushed_)
            doc_.ExchangeFrames(other_, current_, font_);
        pushed_ = true;
    }
    int id() const override { return kind_; }
    bool mergeWith(const QUndoCommand* next) override { return next->id() == kind_ && kind_ != kAnyStep; }

private:
    PictureDocument& doc_;
    std::vector<PictureDocument::FrameSlot> other_;
    int current_;
    PictureDocument::FontMeta font_;
    int kind_;
    bool pushed_ = false;
};

// ---- frames ------------------------------------------------------------------------

void PictureDocument::FlushCurrent() const
{
    FrameSlot& slot = frames_[std::size_t(current_)];
    slot.plane = std::make_shared<const PictureData::Plane>(data_.PicData);
    slot.text.reset();
}

QString PictureDocument::HexTextAs(const QString& fileName) const
{
    if (fileName == fileName_)
        return HexText();
    if (font_.on)
        return FontHexText(Font(), CNameFromPath(fileName));
    return FrameCount() == 1 ? HexText() : QString::fromStdString(SetText(fileName));
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

void PictureDocument::ExchangeFrames(std::vector<FrameSlot>& frames, int& current, FontMeta& font)
{
    const Batch batch(*this);
    FlushCurrent();
    std::swap(frames_, frames);
    std::swap(current_, current);
    std::swap(font_, font);
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
    fontBefore_ = font_;
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
    history_.push(new FramesStep(*this, std::move(before), beforeCurrent, std::move(fontBefore_), kind));
    OpenStep(kAnyStep);
}

bool PictureDocument::AddFrame()
{
    if (FrameCount() >= MonoSet::kMaxFrames)
        return false;
    const int before = current_;
    std::vector<FrameSlot> old = BeginFramesStep();
    static const auto blank = std::make_shared<const PictureData::Plane>();
    const FrameSlot& here = frames_[std::size_t(current_)];
    FrameSlot added{blank, here.delay};
    if (font_.on) {
        added.code = FreeCodeAfter(here.code);
        added.advance = here.advance;
    }
    frames_.insert(frames_.begin() + current_ + 1, added);
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
    FrameSlot copy = frames_[std::size_t(current_)];
    if (font_.on)
        copy.code = FreeCodeAfter(copy.code);
    frames_.insert(frames_.begin() + current_ + 1, copy);
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
    // Imported glyphs: the first takes the replaced glyph's character, the
    // others the characters free after it.
    if (font_.on) {
        const FrameSlot& replaced = frames_[std::size_t(current_)];
        for (std::size_t i = 0; i < added.size(); ++i) {
            added[i].code = i == 0 ? replaced.code : FreeCodeAfter(added[i - 1].code, added);
            added[i].advance = replaced.advance;
        }
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
    font_ = FontMeta();
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
    font_ = FontMeta();
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
