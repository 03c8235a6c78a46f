#include "core/picturedocument.h"

#include <algorithm>
#include <cstring>

#include "core/hexreader.h"
#include "core/hexwriter.h"
#include "core/importpipeline.h"

namespace tobrin {

void PictureHistory::BackUp(const PictureData& picture)
{
    for (int y = 0; y <= picture.MaxY; ++y) {
        const int at = PictureData::Offset(0, y);
        std::memcpy(&plane_[at], &picture.PicData[at], static_cast<size_t>(picture.MaxX) + 1);
    }
}

void PictureHistory::Undo(PictureData& picture) const
{
    // Only the pixels within the current size come back; the size stays.
    for (int y = 0; y <= picture.MaxY; ++y) {
        const int at = PictureData::Offset(0, y);
        std::memcpy(&picture.PicData[at], &plane_[at], static_cast<size_t>(picture.MaxX) + 1);
    }
}

PictureDocument::PictureDocument(QObject* parent) : QObject(parent) {}

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
    emit pixelsChanged(region);
}

const QString& PictureDocument::HexText() const
{
    if (!hexValid_) {
        hexText_ = QString::fromStdString(tobrin::HexText(data_));
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

PlotDecision PictureDocument::PlotPixel(int x, int y, int ink, int paintStyle, bool whiteTransparent)
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

void PictureDocument::BackUp() { history_.BackUp(data_); }

void PictureDocument::Undo()
{
    history_.Undo(data_);
    Touched(Bounds());
}

void PictureDocument::ChangeSize(int mx, int my)
{
    SetSize(std::clamp(mx, 3, kMaxWidth - 1), std::clamp(my, 3, kMaxHeight - 1));
    BackUp();
}

void PictureDocument::SetSize(int mx, int my)
{
    data_.MaxX = mx;
    data_.MaxY = my;
    hexValid_ = false;
    emit sizeChanged(mx + 1, my + 1);
}

void PictureDocument::NewPicture()
{
    const Batch batch(*this);
    data_.PicData.fill(0);  // the whole array, outside the picture too
    Touched(Bounds());
    ChangeSize(39, 31);
    SetSaved(true);
    // A new picture has no file yet: Save asks for a name.
    SetFileName(QString());
}

void PictureDocument::LoadPicture(const HexPicture& picture, const QString& fileName)
{
    const Batch batch(*this);
    UnpackHexPicture(picture, data_);
    Touched(Bounds());
    ChangeSize(data_.MaxX, data_.MaxY);
    SetFileName(fileName);
}

void PictureDocument::Import(const ImportPipeline& pipeline)
{
    const Batch batch(*this);
    pipeline.GetImport(data_);
    Touched(Bounds());
    ChangeSize(data_.MaxX, data_.MaxY);
    SetSaved(false);
}

void PictureDocument::MarkModified() { SetSaved(false); }

void PictureDocument::MarkSaved(const QString& fileName)
{
    SetFileName(fileName);
    SetSaved(true);
}

void PictureDocument::SetSaved(bool saved)
{
    if (saved_ == saved)
        return;
    saved_ = saved;
    emit savedChanged(saved);
}

void PictureDocument::SetFileName(const QString& fileName)
{
    if (fileName_ == fileName)
        return;
    fileName_ = fileName;
    emit fileNameChanged(fileName);
}

}  // namespace tobrin
