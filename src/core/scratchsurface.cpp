#include "core/scratchsurface.h"

#include <QColor>
#include <QPainter>
#include <QRect>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace tobrin {

namespace {

constexpr int kMaxPenWidth = 10;
// Shape coordinates further out than this are pulled in, so a stray value
// can never make a shape loop for long; every real shape lies far inside.
constexpr int kCoordinateLimit = 1 << 16;

int ClampCoordinate(int v) { return std::clamp(v, -kCoordinateLimit, kCoordinateLimit); }
QPoint ClampPoint(QPoint p) { return QPoint(ClampCoordinate(p.x()), ClampCoordinate(p.y())); }

// The footprint of the pen: a disc of diameter w. Odd widths are centred on
// the stamped cell; even widths are centred on its bottom-right corner, so
// the stamped cell is one of the four middle cells and the disc is as wide
// as the pen. A cell (dx, dy) belongs to it when its centre lies within w/2
// of the disc's centre, i.e. (2dx - e)^2 + (2dy - e)^2 <= w^2 with e = 0 for
// odd and 1 for even w (no cell centre ever lies exactly on the rim).
struct PenStamp {
    int top = 0;   // dy of the first row
    int rows = 1;  // = w
    std::array<int, kMaxPenWidth> left{};   // leftmost dx per row
    std::array<int, kMaxPenWidth> right{};  // rightmost dx per row
};

PenStamp MakeStamp(int w)
{
    PenStamp s;
    const int e = (w % 2 == 0) ? 1 : 0;
    s.top = -((w - 1) / 2);
    s.rows = w;
    for (int k = 0; k < w; ++k) {
        const int dy = s.top + k;
        int lo = INT_MAX, hi = INT_MIN;
        for (int dx = -w; dx <= w; ++dx) {
            const int a = 2 * dx - e, b = 2 * dy - e;
            if (a * a + b * b <= w * w) {
                lo = std::min(lo, dx);
                hi = std::max(hi, dx);
            }
        }
        s.left[k] = lo;
        s.right[k] = hi;
    }
    return s;
}

// Paints whole-pixel rectangles in exact colours: QPainter without
// antialiasing and with the source composition, clipped to the area.
class RectPainter {
public:
    explicit RectPainter(QImage& image) : bounds_(image.rect()), painter_(&image)
    {
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setCompositionMode(QPainter::CompositionMode_Source);
        painter_.setPen(Qt::NoPen);
    }

    // Fills the cells x1..x2 by y1..y2 (inclusive); empty when x2 < x1 or y2 < y1.
    void Fill(int x1, int y1, int x2, int y2, QRgb colour)
    {
        x1 = std::max(x1, bounds_.left());
        y1 = std::max(y1, bounds_.top());
        x2 = std::min(x2, bounds_.right());
        y2 = std::min(y2, bounds_.bottom());
        if (x2 < x1 || y2 < y1)
            return;
        painter_.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), QColor::fromRgb(colour));
    }

private:
    QRect bounds_;
    QPainter painter_;
};

// Visits the cells of the straight line from a to b, both ends included.
// The line is always walked from its lexicographically smaller end, so the
// cells do not depend on the drag direction.
template <typename Visit>
void WalkLine(QPoint a, QPoint b, Visit visit)
{
    if (b.x() < a.x() || (b.x() == a.x() && b.y() < a.y()))
        std::swap(a, b);
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), sx = x < b.x() ? 1 : -1;
    const int dy = -std::abs(b.y() - y), sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        visit(x, y);
        if (x == b.x() && y == b.y())
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Largest k >= 0 with 4k^2 < limit, or -1 when there is none.
long long HalfWidthBelow(long long limit)
{
    if (limit <= 0)
        return -1;
    long long k = 0;
    // Start from the floating-point guess and correct it exactly.
    k = static_cast<long long>(std::sqrt(static_cast<double>(limit) / 4.0));
    while (k > 0 && 4 * k * k >= limit)
        --k;
    while (4 * (k + 1) * (k + 1) < limit)
        ++k;
    return k;
}

// Box and selection outlines: the band of width w is laid over the border
// cells, w/2 cells outwards and (w - 1)/2 inwards, on all four sides alike
// (centred on the border cells for odd widths). Corners are square. The
// inner rectangle is what the band leaves inside; it is empty (ix1 > ix2 or
// iy1 > iy2) when the band covers the whole box.
struct BoxBand {
    int ox1, oy1, ox2, oy2;
    int ix1, iy1, ix2, iy2;
};

BoxBand BandOf(QPoint a, QPoint b, int penWidth)
{
    a = ClampPoint(a);
    b = ClampPoint(b);
    const int x1 = std::min(a.x(), b.x()), x2 = std::max(a.x(), b.x());
    const int y1 = std::min(a.y(), b.y()), y2 = std::max(a.y(), b.y());
    const int out = penWidth / 2, in = (penWidth - 1) / 2;
    return {x1 - out, y1 - out, x2 + out, y2 + out, x1 + in + 1, y1 + in + 1, x2 - in - 1, y2 - in - 1};
}

}  // namespace

ScratchSurface::ScratchSurface() : image_(40, 32, QImage::Format_RGB32)
{
    image_.fill(kNoMark);
}

void ScratchSurface::LoadHolder(const PictureData& d, const ViewWindow& v)
{
    const int width = v.ViewRight - v.ViewLeft + 1;
    const int height = v.ViewBottom - v.ViewTop + 1;
    if (width <= 0 || height <= 0) {
        image_ = QImage();
        return;
    }
    if (image_.width() != width || image_.height() != height
        || image_.format() != QImage::Format_RGB32)
        image_ = QImage(width, height, QImage::Format_RGB32);
    if (image_.isNull())
        return;
    for (int j = 0; j < height; ++j) {
        const int y = v.ViewTop + j;
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(j));
        if (y < 0 || y >= kPicRows) {
            std::fill(line, line + width, kWhite);
            continue;
        }
        // Columns outside the picture array (never part of a real view) read
        // as clear; the rest is copied without a per-pixel range test.
        const int iFirst = std::clamp(-v.ViewLeft, 0, width);
        const int iEnd = std::clamp(kPicColumns - v.ViewLeft, iFirst, width);
        std::fill(line, line + iFirst, kWhite);
        std::fill(line + iEnd, line + width, kWhite);
        const std::uint8_t* row = d.PicData.data() + PictureData::Offset(0, y);
        for (int i = iFirst; i < iEnd; ++i)
            line[i] = row[v.ViewLeft + i] != 0 ? kBlack : kWhite;
    }
}

void ScratchSurface::ClearArea(int width, int height)
{
    if (width <= 0 || height <= 0) {
        image_ = QImage();
        return;
    }
    if (image_.width() != width || image_.height() != height
        || image_.format() != QImage::Format_RGB32)
        image_ = QImage(width, height, QImage::Format_RGB32);
    image_.fill(kNoMark);
}

void ScratchSurface::ResizeArea(int width, int height)
{
    if (width == image_.width() && height == image_.height())
        return;
    if (width <= 0 || height <= 0) {
        image_ = QImage();
        return;
    }
    QImage grown(width, height, QImage::Format_RGB32);
    if (grown.isNull())
        return;
    grown.fill(kNoMark);
    const int keepW = std::min(width, image_.width());
    const int keepH = std::min(height, image_.height());
    for (int j = 0; j < keepH; ++j)
        std::memcpy(grown.scanLine(j), image_.constScanLine(j),
                    static_cast<std::size_t>(keepW) * sizeof(QRgb));
    image_ = std::move(grown);
}

QRgb ScratchSurface::Pixel(int i, int j) const
{
    if (i < 0 || j < 0 || i >= image_.width() || j >= image_.height())
        return kNoMark;
    return reinterpret_cast<const QRgb*>(image_.constScanLine(j))[i];
}

void ScratchSurface::SetPixel(int i, int j, QRgb c)
{
    if (i < 0 || j < 0 || i >= image_.width() || j >= image_.height())
        return;
    // The area is RGB32: its alpha byte is always opaque.
    reinterpret_cast<QRgb*>(image_.scanLine(j))[i] = c | 0xFF000000u;
}

void ScratchSurface::SetPenWidth(int w) { penWidth_ = std::clamp(w, 1, kMaxPenWidth); }

void ScratchSurface::DrawPen(QPoint b) { DrawLine(b, b); }

void ScratchSurface::DrawLine(QPoint a, QPoint b)
{
    if (image_.isNull())
        return;
    a = ClampPoint(a);
    b = ClampPoint(b);
    const int height = image_.height();
    // The stroke is the pen stamped on every cell of the thin line. Every
    // row of that union is one unbroken run (consecutive stamps overlap or
    // touch), so it is painted as one rectangle per row.
    const PenStamp stamp = MakeStamp(penWidth_);
    std::vector<int> lo(static_cast<std::size_t>(height), INT_MAX);
    std::vector<int> hi(static_cast<std::size_t>(height), INT_MIN);
    WalkLine(a, b, [&](int x, int y) {
        for (int k = 0; k < stamp.rows; ++k) {
            const int row = y + stamp.top + k;
            if (row < 0 || row >= height)
                continue;
            lo[row] = std::min(lo[row], x + stamp.left[k]);
            hi[row] = std::max(hi[row], x + stamp.right[k]);
        }
    });
    RectPainter painter(image_);
    for (int row = 0; row < height; ++row)
        if (lo[row] <= hi[row])
            painter.Fill(lo[row], row, hi[row], row, kRed);
}

void ScratchSurface::DrawBox(QPoint a, QPoint b)
{
    if (image_.isNull())
        return;
    const BoxBand band = BandOf(a, b, penWidth_);
    RectPainter painter(image_);
    painter.Fill(band.ox1, band.oy1, band.ox2, band.oy2, kRed);
    painter.Fill(band.ix1, band.iy1, band.ix2, band.iy2, kMagenta);
}

void ScratchSurface::DrawSelectionRect(QPoint a, QPoint b)
{
    if (image_.isNull())
        return;
    const auto [ox1, oy1, ox2, oy2, ix1, iy1, ix2, iy2] = BandOf(a, b, penWidth_);
    RectPainter painter(image_);
    if (ix1 > ix2 || iy1 > iy2) {  // no interior left: the band covers it all
        painter.Fill(ox1, oy1, ox2, oy2, kRed);
        return;
    }
    painter.Fill(ox1, oy1, ox2, iy1 - 1, kRed);  // top band
    painter.Fill(ox1, iy2 + 1, ox2, oy2, kRed);  // bottom band
    painter.Fill(ox1, iy1, ix1 - 1, iy2, kRed);  // left band
    painter.Fill(ix2 + 1, iy1, ox2, iy2, kRed);  // right band
}

// The outline is the ring of cells whose centre distance d from the centre
// cell's centre satisfies r - w/2 <= d < r + w/2 (exactly w cells thick on the
// axes); the cells with d < r - w/2 are the magenta interior. A one-cell
// ring is closed for steps to edge neighbours: such a step changes d by at
// most 1, so it cannot jump from the interior past the ring.
void ScratchSurface::DrawCircle(QPoint centre, int radius)
{
    if (image_.isNull())
        return;
    centre = ClampPoint(centre);
    const long long r = std::clamp(radius, 0, kCoordinateLimit);
    const long long w = penWidth_;
    const long long outer = (2 * r + w) * (2 * r + w);
    const long long inner = 2 * r - w > 0 ? (2 * r - w) * (2 * r - w) : 0;
    const long long reach = r + w;
    const int cx = centre.x(), cy = centre.y();
    const int firstRow = static_cast<int>(std::max<long long>(0, cy - reach));
    const int lastRow = static_cast<int>(std::min<long long>(image_.height() - 1, cy + reach));
    RectPainter painter(image_);
    for (int row = firstRow; row <= lastRow; ++row) {
        const long long dy = row - cy;
        const long long o = HalfWidthBelow(outer - 4 * dy * dy);
        if (o < 0)
            continue;
        const long long i = HalfWidthBelow(inner - 4 * dy * dy);
        if (i < 0) {
            painter.Fill(int(cx - o), row, int(cx + o), row, kRed);
            continue;
        }
        painter.Fill(int(cx - o), row, int(cx - i - 1), row, kRed);
        painter.Fill(int(cx - i), row, int(cx + i), row, kMagenta);
        painter.Fill(int(cx + i + 1), row, int(cx + o), row, kRed);
    }
}

// Scanline fill with an explicit stack of seeds, so it needs no recursion
// and only ever steps to edge neighbours. It works on a byte map of the area
// (1 = may be filled, 2 = filled, 0 = boundary), which also makes it end on
// any content, magenta already present included.
void ScratchSurface::FloodFill(QPoint start, QRgb boundary)
{
    const int width = image_.width(), height = image_.height();
    if (start.x() < 0 || start.y() < 0 || start.x() >= width || start.y() >= height)
        return;
    if (Pixel(start.x(), start.y()) == boundary)
        return;

    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    auto line = [&](int y) { return reinterpret_cast<QRgb*>(bits + stride * y); };
    std::vector<std::uint8_t> map(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const QRgb* row = line(y);
        std::uint8_t* m = map.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            m[x] = row[x] != boundary ? 1 : 0;
    }
    auto mapRow = [&](int y) { return map.data() + static_cast<std::size_t>(y) * width; };

    std::vector<QPoint> seeds;
    seeds.reserve(256);
    seeds.push_back(start);
    while (!seeds.empty()) {
        const QPoint seed = seeds.back();
        seeds.pop_back();
        const int y = seed.y();
        std::uint8_t* m = mapRow(y);
        if (m[seed.x()] != 1)
            continue;
        int left = seed.x(), right = seed.x();
        while (left > 0 && m[left - 1] == 1)
            --left;
        while (right < width - 1 && m[right + 1] == 1)
            ++right;
        std::memset(m + left, 2, static_cast<std::size_t>(right - left + 1));
        QRgb* row = line(y);
        std::fill(row + left, row + right + 1, kMagenta);
        // One seed for each run of open cells directly above and below the
        // span; cells only diagonally adjacent are never seeded.
        for (int ny : {y - 1, y + 1}) {
            if (ny < 0 || ny >= height)
                continue;
            const std::uint8_t* n = mapRow(ny);
            for (int x = left; x <= right; ++x)
                if (n[x] == 1 && (x == left || n[x - 1] != 1))
                    seeds.emplace_back(x, ny);
        }
    }
}

void TransferMarks(const ScratchSurface& holder, const ViewWindow& view,
                   const TransferSettings& s,
                   const std::function<void(int x, int y, int ink)>& plot)
{
    const QImage& image = holder.Image();
    if (image.isNull() || !plot)
        return;
    const uchar* bits = image.constBits();
    const qsizetype stride = image.bytesPerLine();
    // Only view cells that are both inside the picture array and inside the
    // scratch area can carry a mark.
    const int xFirst = std::max(view.ViewLeft, 0);
    const int xLast = std::min({view.ViewRight, kPicColumns - 1, view.ViewLeft + image.width() - 1});
    const int yFirst = std::max(view.ViewTop, 0);
    const int yLast = std::min({view.ViewBottom, kPicRows - 1, view.ViewTop + image.height() - 1});
    const bool solidStroke = s.SolidStroke;
    const bool whiteTransparent = s.WhiteTransparent;

    for (int x = xFirst; x <= xLast; ++x) {
        const int i = x - view.ViewLeft;
        for (int y = yFirst; y <= yLast; ++y) {
            const int j = y - view.ViewTop;
            const QRgb c = reinterpret_cast<const QRgb*>(bits + stride * j)[i];
            switch (c) {
            case ScratchSurface::kRed:
                plot(x, y, solidStroke ? 1 : LineStylePattern(s.LineStyleIndex, s.PatternDensity, s.StartX, x, y));
                break;
            case ScratchSurface::kMagenta: {
                const int ink = FillPattern(s.FillStyleIndex, s.PatternDensity, s.StartX, s.StartY, x, y);
                if (!(whiteTransparent && ink == 0))
                    plot(x, y, ink);
                break;
            }
            case ScratchSurface::kCyan:
                if (!whiteTransparent)
                    plot(x, y, 0);
                break;
            default:
                break;
            }
        }
    }
}

}  // namespace tobrin
