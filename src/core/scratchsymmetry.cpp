// The scratch surface's symmetric shapes: the ellipse in a box, and the
// mirror images of the marks for mirror drawing.
#include "core/scratchsurface.h"

#include <QRect>
#include <algorithm>
#include <vector>

namespace tobrin {

namespace {

// No real box is larger than the 240 x 120 view; a stray one draws nothing
// rather than allocating without bound.
constexpr int kMaxEllipseSide = 4096;

bool IsMark(QRgb c)
{
    return c == ScratchSurface::kRed || c == ScratchSurface::kMagenta || c == ScratchSurface::kCyan;
}

}  // namespace

// A cell belongs to the ellipse when its centre lies inside the ellipse that
// touches the box's outer edges. In doubled coordinates about the box's
// centre (dx = 2(x - left) + 1 - w, the same for y) that is exactly
// dx^2 h^2 + dy^2 w^2 <= w^2 h^2, all in integers, so the cells are mirror
// images of each other about both centre lines. The outline is what w
// erosions of that set (edge neighbours) take away; the rest is interior.
void ScratchSurface::DrawEllipse(const QRect& box)
{
    if (image_.isNull() || box.isEmpty() || box.width() > kMaxEllipseSide || box.height() > kMaxEllipseSide)
        return;
    const int w = box.width(), h = box.height();
    const long long ww = 1LL * w * w, hh = 1LL * h * h;
    std::vector<unsigned char> depth(static_cast<size_t>(w) * h, 0);
    for (int j = 0; j < h; ++j) {
        const long long dy = 2LL * j + 1 - h;
        for (int i = 0; i < w; ++i) {
            const long long dx = 2LL * i + 1 - w;
            depth[static_cast<size_t>(j) * w + i] = dx * dx * hh + dy * dy * ww <= ww * hh ? 1 : 0;
        }
    }
    // depth counts the erosions a cell survives, up to the pen width.
    const int pen = penWidth_;
    for (int round = 1; round <= pen; ++round) {
        std::vector<unsigned char> next = depth;
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                auto at = [&](int x, int y) {
                    return x < 0 || y < 0 || x >= w || y >= h ? 0 : depth[static_cast<size_t>(y) * w + x];
                };
                if (at(i, j) == round && at(i - 1, j) >= round && at(i + 1, j) >= round && at(i, j - 1) >= round
                    && at(i, j + 1) >= round)
                    next[static_cast<size_t>(j) * w + i] = static_cast<unsigned char>(round + 1);
            }
        }
        depth.swap(next);
    }
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            const int d = depth[static_cast<size_t>(j) * w + i];
            if (d != 0)
                SetPixel(box.left() + i, box.top() + j, d > pen ? kMagenta : kRed);
        }
    }
}

// Every mark also at its mirror image about the area's vertical centre line
// (x' = left + right - x), its horizontal one, or both (and so about the
// centre point too). A place that holds a mark already keeps it, so doing
// it twice changes nothing more.
void ScratchSurface::MirrorMarks(Mirror mirror, const QRect& area)
{
    if (image_.isNull() || mirror == Mirror::Off || area.isEmpty())
        return;
    const bool vertical = mirror == Mirror::Vertical || mirror == Mirror::Both;
    const bool horizontal = mirror == Mirror::Horizontal || mirror == Mirror::Both;
    const int sumX = area.left() + area.right(), sumY = area.top() + area.bottom();
    const QImage before = image_;
    for (int j = 0; j < before.height(); ++j) {
        const auto* line = reinterpret_cast<const QRgb*>(before.constScanLine(j));
        for (int i = 0; i < before.width(); ++i) {
            const QRgb c = line[i];
            if (!IsMark(c))
                continue;
            const QPoint images[3] = {QPoint(vertical ? sumX - i : i, j), QPoint(i, horizontal ? sumY - j : j),
                                      QPoint(vertical ? sumX - i : i, horizontal ? sumY - j : j)};
            for (const QPoint& p : images)
                if (image_.rect().contains(p) && !IsMark(Pixel(p.x(), p.y())))
                    SetPixel(p.x(), p.y(), c);
        }
    }
}

}  // namespace tobrin
