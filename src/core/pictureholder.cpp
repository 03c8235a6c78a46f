// Placeholder so the tree links; replaced by the real scratch surface.
#include "core/pictureholder.h"

namespace tobrin {
PictureHolder::PictureHolder() : image_(40, 32, QImage::Format_RGB32) {}
void PictureHolder::LoadHolder(const Declarations&, const ViewWindow&) {}
void PictureHolder::ClearArea(int, int) {}
void PictureHolder::ResizeArea(int, int) {}
QRgb PictureHolder::Pixel(int, int) const { return kNoMark; }
void PictureHolder::SetPixel(int, int, QRgb) {}
void PictureHolder::SetPenWidth(int w) { penWidth_ = w; }
void PictureHolder::DrawPen(QPoint) {}
void PictureHolder::DrawLine(QPoint, QPoint) {}
void PictureHolder::DrawBox(QPoint, QPoint) {}
void PictureHolder::DrawCircle(QPoint, int) {}
void PictureHolder::DrawSelectionRect(QPoint, QPoint) {}
void PictureHolder::FloodFill(QPoint, QRgb) {}
int LineStylePattern(int, int, int, int, int) { return 1; }
int FillPattern(int, int, int, int, int, int) { return 0; }
void TransferMarks(const PictureHolder&, const ViewWindow&, const TransferSettings&,
                   const std::function<void(int, int, int)>&) {}
}  // namespace tobrin
