#include "core/importpipeline.h"

#include <algorithm>
#include <vector>

#include "core/imageloader.h"
#include "core/stretch.h"
#include "core/streamdecode.h"
#include "core/units.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tobrin {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;

QImage WhiteImage(int width, int height)
{
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

// Row y of image as opaque colours, transparent parts laid over the white
// background; image may be in any format, and only the row is converted.
void RowOverWhite(const QImage& image, int y, std::vector<QRgb>& out)
{
    out.resize(std::size_t(image.width()));
    QImage converted;
    const QImage* from = &image;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
        converted = image.copy(0, y, image.width(), 1)
                        .convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        from = &converted;
        y = 0;
    }
    const auto* in = reinterpret_cast<const QRgb*>(from->constScanLine(y));
    const bool alpha = from->format() == QImage::Format_ARGB32;
    for (std::size_t x = 0; x < out.size(); ++x) {
        const QRgb c = in[x];
        const int a = alpha ? qAlpha(c) : 255;
        const auto blend = [a](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
        out[x] = a == 255 ? (c | 0xFF000000u) : qRgb(blend(qRed(c)), blend(qGreen(c)), blend(qBlue(c)));
    }
}

// An opaque copy: transparent parts show the white background.
QImage OverWhite(const QImage& image)
{
    QImage out(image.size(), QImage::Format_RGB32);
    std::vector<QRgb> row;
    for (int y = 0; y < image.height(); ++y) {
        RowOverWhite(image, y, row);
        std::copy(row.begin(), row.end(), reinterpret_cast<QRgb*>(out.scanLine(y)));
    }
    return out;
}

// True when every pixel of image is opaque, so that laying it over white
// would only copy it.
bool Opaque(const QImage& image)
{
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        return false;
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        // Four lanes, so the loop does not wait on one running AND.
        QRgb all[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
        int x = 0;
        for (; x + 4 <= width; x += 4)
            for (int lane = 0; lane < 4; ++lane)
                all[lane] &= line[x + lane];
        for (; x < width; ++x)
            all[0] &= line[x];
        if (qAlpha(all[0] & all[1] & all[2] & all[3]) != 255)
            return false;
    }
    return true;
}

// The grey levels of image laid over white, a row at a time.
GreyPlane GreyOverWhite(const QImage& image, const Components& use)
{
    GreyPlane plane;
    plane.width = image.width();
    plane.height = image.height();
    plane.levels.resize(std::size_t(plane.width) * std::size_t(plane.height));
    std::vector<QRgb> row;
    for (int y = 0; y < plane.height; ++y) {
        RowOverWhite(image, y, row);
        std::uint8_t* to = &plane.levels[std::size_t(y) * std::size_t(plane.width)];
        for (int x = 0; x < plane.width; ++x)
            to[x] = std::uint8_t(GreyLevel(ColourValue(row[std::size_t(x)]), use));
    }
    return plane;
}

// Marks a run in progress for its whole extent, also when it unwinds.
class RunScope {
public:
    RunScope(bool& running, const std::function<void()>& end) : running_(running), end_(end)
    {
        running_ = true;
    }
    ~RunScope()
    {
        running_ = false;
        if (end_)
            end_();
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    bool& running_;
    const std::function<void()>& end_;
};

// The threshold at the source's own resolution drawn into the drawn size
// as StretchDraw draws the thresholded image (black kept when shrinking,
// pixels repeated when enlarging), a band of source rows at a time, so no
// full-size copy is made.
void DrawThresholdedSource(const QImage& src, const Components& use, int tolerance, bool invert, QSize drawn,
                           QImage& dst)
{
    const int outH = std::min(drawn.height(), dst.height());
    for (int ty = 0; ty < outH; ++ty) {
        const int begin = static_cast<int>(static_cast<qint64>(ty) * src.height() / drawn.height());
        const int end = std::min(
            std::max(static_cast<int>(static_cast<qint64>(ty + 1) * src.height() / drawn.height()), begin + 1),
            src.height());
        const QImage band =
            ThresholdImage(OverWhite(src.copy(0, begin, src.width(), end - begin)), use, tolerance, invert);
        QImage row = dst.copy(0, ty, dst.width(), 1);
        StretchDraw(band, row, drawn.width(), 1);
        std::copy_n(row.constScanLine(0), dst.bytesPerLine(), dst.scanLine(ty));
    }
}

}  // namespace

ImportPipeline::ImportPipeline() : dest_(WhiteImage(kHSizeInitial, kVSizeInitial)) {}

void ImportPipeline::SetTolerance(int value)
{
    tolerance_ = std::clamp(value, kToleranceMin, kToleranceMax);
}

bool ImportPipeline::SetHSize(int value)
{
    value = std::clamp(value, kHSizeMin, kHSizeMax);
    if (value == hSize_)
        return false;
    hSize_ = value;
    ResizeDest(hSize_, dest_.height());
    Notify(SizeChanged);
    CheckMatchSize();
    return true;
}

bool ImportPipeline::SetVSize(int value)
{
    value = std::clamp(value, kVSizeMin, kVSizeMax);
    if (value == vSize_)
        return false;
    vSize_ = value;
    ResizeDest(dest_.width(), vSize_);
    Notify(SizeChanged);
    CheckMatchSize();
    return true;
}

void ImportPipeline::RestoreSize(int width, int height)
{
    hSize_ = std::clamp(width, kHSizeMin, kHSizeMax);
    vSize_ = std::clamp(height, kVSizeMin, kVSizeMax);
    ResizeDest(hSize_, vSize_);
}

void ImportPipeline::ResizeDest(int width, int height)
{
    // The preview keeps what it shows where old and new sizes overlap; the
    // next conversion redraws it anyway.
    QImage resized = WhiteImage(width, height);
    const int w = std::min(width, dest_.width());
    const int h = std::min(height, dest_.height());
    for (int y = 0; y < h; ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(dest_.constScanLine(y)), w,
                    reinterpret_cast<QRgb*>(resized.scanLine(y)));
    dest_ = resized;
}

void ImportPipeline::CheckMatchSize()
{
    if (dest_.size() == sourceSize_ || !matchSize_)
        return;
    // Unchecking is a click on the box: it converts at once.
    matchSize_ = false;
    Notify(OptionsChanged);
    ConvertImage();
}

void ImportPipeline::BeginLoad()
{
    sourceFile_.clear();
    pasted_ = false;
    fullCopy_ = QImage();
    readFullCopy_ = nullptr;
}

bool ImportPipeline::FinishLoad(const QString& fileName, const ImageLoader& loader, QString* error)
{
    sourceFile_ = fileName;
    if (!fileName.isEmpty()) {
        QImage image;
        QSize size;
        // A source that fits the largest picture is held whole, so the
        // full-resolution conversion has every pixel of it.
        const auto copySize = [](QSize s) {
            return s.width() <= kMaxWidth && s.height() <= kMaxHeight ? s : DisplayCopySize(s.width(), s.height());
        };
        if (!loader.LoadShrunk(fileName, copySize, &image, &size, error))
            return false;
        if (image.size() == size) {
            SetSource(image, image.format() == QImage::Format_RGB32);
        } else {
            SetShrunkSource(image, size);
            readFullCopy_ = [loader, fileName] {
                QImage copy;
                QSize whole;
                const auto fit = [](QSize s) {
                    return s.scaled(QSize(kFullCopyWidth, kFullCopyHeight), Qt::KeepAspectRatio)
                        .boundedTo(s)
                        .expandedTo(QSize(1, 1));
                };
                return loader.LoadShrunk(fileName, fit, &copy, &whole) ? copy : QImage();
            };
        }
    }
    UpdateMatchSizeAvailability();
    ConvertImage();
    return true;
}

bool ImportPipeline::Paste(const QImage& image)
{
    if (image.isNull())
        return false;
    fullCopy_ = QImage();
    readFullCopy_ = nullptr;
    // An opaque image is held as it came: laid over white it stays the same.
    if (Opaque(image))
        SetSource(image, true);
    else
        SetSource(OverWhite(image), true);
    pasted_ = true;
    UpdateMatchSizeAvailability();
    ConvertImage();
    return true;
}

bool ImportPipeline::HasSource() const
{
    return (!sourceFile_.isEmpty() || pasted_) && !sourceSize_.isEmpty();
}

void ImportPipeline::SetShrunkSource(const QImage& disp, QSize sourceSize)
{
    source_ = QImage();
    sourceSize_ = sourceSize;
    disp_ = disp;
}

void ImportPipeline::SetSource(const QImage& image, bool opaque)
{
    // Kept as it came: the display copy is made a row at a time, so a large
    // source is never converted whole.
    source_ = image;
    sourceSize_ = source_.size();
    const QSize copy = DisplayCopySize(source_.width(), source_.height());
    RowShrinker shrinker(sourceSize_, copy);
    std::vector<QRgb> row;
    for (int y = 0; y < source_.height(); ++y) {
        if (opaque) {
            shrinker.AddRow(reinterpret_cast<const QRgb*>(source_.constScanLine(y)));
            continue;
        }
        RowOverWhite(source_, y, row);
        shrinker.AddRow(row.data());
    }
    disp_ = shrinker.Take();
}

const QImage& ImportPipeline::FullSource()
{
    if (!source_.isNull())
        return source_;
    if (fullCopy_.isNull() && readFullCopy_) {
        fullCopy_ = readFullCopy_();
        readFullCopy_ = nullptr;  // once, whatever came of it
    }
    return fullCopy_;
}

void ImportPipeline::UpdateMatchSizeAvailability()
{
    const bool available = sourceSize_.width() <= kMaxWidth && sourceSize_.height() <= kMaxHeight;
    if (available == matchSizeAvailable_)
        return;
    matchSizeAvailable_ = available;
    Notify(OptionsChanged);
}

QSize ImportPipeline::DisplayBox()
{
    return QSize(units::ToPixels(kBoxWidthUnits), units::ToPixels(kBoxHeightUnits));
}

QSize ImportPipeline::DisplayCopySize(int w, int h)
{
    if (w <= 0 || h <= 0)
        return QSize(0, 0);
    const QSize box = DisplayBox();
    // Framed sizes: the image plus a one-pixel frame on each side.
    if (w + 2 <= box.width() && h + 2 <= box.height())
        return QSize(w, h);
    const float rB = static_cast<float>(box.width() - 2) / static_cast<float>(box.height() - 2);
    const float rS = static_cast<float>(w) / static_cast<float>(h);
    if (rB < rS) {
        // Relatively wider than the box: full box width.
        const float framed = static_cast<float>(h + 2) / static_cast<float>(w + 2) * static_cast<float>(box.width());
        return QSize(box.width() - 2, std::clamp(RoundHalfEven(framed) - 2, 1, box.height() - 2));
    }
    // Framed proportions can overshoot the box by a pixel when the source's
    // proportion is just under the box's (2000 x 1000 gives 202 wide in a
    // box of 201): the copy still stays inside the box.
    const float framed = static_cast<float>(w + 2) / static_cast<float>(h + 2) * static_cast<float>(box.height());
    return QSize(std::clamp(RoundHalfEven(framed) - 2, 1, box.width() - 2), box.height() - 2);
}

void ImportPipeline::ConvertImage()
{
    if (!HasSource())
        return;
    // A run's own option changes would start runs of their own; the final
    // target is the one this run draws with the settled options, so they are
    // left out.
    if (running_)
        return;

    bool changed = false;
    if (!use_.any()) {
        use_.red = true;
        changed = true;
    }
    if (!matchSizeAvailable_ && matchSize_) {
        matchSize_ = false;
        changed = true;
    }
    if (changed)
        Notify(OptionsChanged);

    Notify(ConvertBegin);
    RunScope scope(running_, ConvertEnd);

    if (dither_ == Dither::None) {
        temp_ = ThresholdImage(disp_, use_, tolerance_, invert_);
    } else {
        const GreyPlane grey = GreyLevels(disp_, use_);
        temp_ = QImage(grey.width, grey.height, QImage::Format_RGB32);
        for (int y = 0; y < grey.height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(temp_.scanLine(y));
            for (int x = 0; x < grey.width; ++x)
                line[x] = qRgb(grey.At(x, y), grey.At(x, y), grey.At(x, y));
        }
    }
    // The snapshot shares temp_'s pixels: neither is drawn on, and the next
    // run makes a new temp_.
    temp2_ = temp_;

    if (matchSize_) {
        if (!aspect_) {
            aspect_ = true;
            Notify(OptionsChanged);
        }
        dest_ = WhiteImage(sourceSize_.width(), sourceSize_.height());
        SetHSize(sourceSize_.width());
        SetVSize(sourceSize_.height());
        // A source below the sliders' ranges leaves Dest smaller than the
        // sliders say (a slider that keeps its value reports no change):
        // give Dest the sliders' size, which also unchecks Match size.
        if (dest_.size() != QSize(hSize_, vSize_)) {
            ResizeDest(hSize_, vSize_);
            Notify(SizeChanged);
            CheckMatchSize();
        }
    }

    dest_ = WhiteImage(hSize_, vSize_);
    QSize drawn(hSize_, vSize_);
    if (aspect_ && !matchSize_)
        drawn = AspectDrawnSize(hSize_, vSize_, disp_.width(), disp_.height());
    const QImage& full = fullResolution_ ? FullSource() : QImage();
    if (!full.isNull()) {
        if (dither_ == Dither::None)
            DrawThresholdedSource(full, use_, tolerance_, invert_, drawn, dest_);
        else
            DrawDitheredLevels(GreyOverWhite(full, use_), tolerance_, invert_, dither_, drawn.width(), drawn.height(),
                               dest_);
    } else if (dither_ == Dither::None) {
        StretchDraw(temp2_, dest_, drawn.width(), drawn.height());
    } else {
        // Temp2 already holds the chosen components' grey (all three equal).
        const Components grey{true, false, false};
        DrawDithered(temp2_, grey, tolerance_, invert_, dither_, drawn.width(), drawn.height(), dest_);
    }
    ++conversions_;
}

void ImportPipeline::GetImport(PictureData& d) const
{
    const int width = std::min(hSize_, kMaxWidth);
    const int height = std::min(vSize_, kMaxHeight);
    const int destWidth = std::min(dest_.width(), width);
    const int destHeight = dest_.height();
    for (int y = 0; y < height; ++y) {
        std::uint8_t* to = &d.Pic(0, y);
        int x = 0;
        if (y < destHeight) {
            const auto* line = reinterpret_cast<const QRgb*>(dest_.constScanLine(y));
            // Only exactly black is a set pixel.
#if defined(__SSE2__)
            // Sixteen pixels at a time: each compare gives all ones for
            // black, packed down to a byte and masked to 1.
            const __m128i black = _mm_set1_epi32(static_cast<int>(kBlack));
            const auto is = [&](int at) {
                return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(line + at)), black);
            };
            for (; x + 16 <= destWidth; x += 16) {
                const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(is(x), is(x + 4)), _mm_packs_epi32(is(x + 8), is(x + 12)));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), _mm_and_si128(bytes, _mm_set1_epi8(1)));
            }
#endif
            for (; x < destWidth; ++x)
                to[x] = line[x] == kBlack ? 1 : 0;
        }
        std::fill(to + x, to + width, std::uint8_t(0));
    }
    d.MaxX = width - 1;
    d.MaxY = height - 1;
}

}  // namespace tobrin
