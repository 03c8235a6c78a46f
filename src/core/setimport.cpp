#include "core/setimport.h"

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "core/gifcodec.h"
#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "core/picturedata.h"
#include "core/regularfile.h"
#include "core/setread.h"

namespace tobrin {
namespace {

// A set's frames are converted by at most this many threads together.
constexpr int kMaxConvertThreads = 8;

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// One axis of a cut: the count of frames and their length along it, or a
// cause with the numbers when the sheet's length does not come out even.
struct Axis {
    qint64 count = 0;
    qint64 length = 0;
};

std::optional<Axis> CutAxis(qint64 sheet, qint64 margin, qint64 spacing, qint64 count, qint64 frame,
                            const char* side, const char* unit, const char* extent, QString* error)
{
    const qint64 inner = sheet - 2 * margin;
    const QString what = QStringLiteral("its %1 of %2").arg(QLatin1String(side)).arg(sheet);
    if (inner <= 0) {
        Fail(error, QStringLiteral("%1 leaves nothing inside margins of %2").arg(what).arg(margin));
        return std::nullopt;
    }
    const QString less = margin > 0 ? QStringLiteral(" less margins of %1 is %2").arg(margin).arg(inner) : QString();
    if (frame > 0) {
        // count frames and count - 1 spacings fill the inside exactly.
        const qint64 fits = (inner + spacing) / (frame + spacing);
        const qint64 taken = fits > 0 ? fits * frame + (fits - 1) * spacing : 0;
        if (taken != inner) {
            Fail(error, QStringLiteral("%1%2, which frames %3 %4 with spacing %5 do not divide (%6 of them "
                                       "take %7)")
                            .arg(what, less)
                            .arg(frame)
                            .arg(QLatin1String(extent))
                            .arg(spacing)
                            .arg(fits)
                            .arg(taken));
            return std::nullopt;
        }
        return Axis{fits, frame};
    }
    const qint64 free = inner - (count - 1) * spacing;
    if (free < count || free % count != 0) {
        Fail(error, QStringLiteral("%1%2, which %3 %4 with spacing %5 do not divide (%6 pixels are left for "
                                   "the frames)")
                        .arg(what, less)
                        .arg(count)
                        .arg(QLatin1String(unit))
                        .arg(spacing)
                        .arg(free));
        return std::nullopt;
    }
    return Axis{count, free / count};
}

// c laid over the white background, as the import lays transparency.
QRgb OverWhite(QRgb c)
{
    const int a = qAlpha(c);
    if (a == 255)
        return c;
    const auto blend = [a](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
    return qRgb(blend(qRed(c)), blend(qGreen(c)), blend(qBlue(c)));
}

}  // namespace

std::optional<std::vector<QRect>> CutCells(QSize sheet, const SheetCut& cut, QString* error)
{
    if (cut.margin < 0 || cut.spacing < 0 || sheet.isEmpty()) {
        Fail(error, QStringLiteral("a cut needs a sheet, and a margin and spacing of 0 or more"));
        return std::nullopt;
    }
    const bool bySize = cut.frameSize.isValid();
    if (bySize ? cut.frameSize.isEmpty() : (cut.columns < 1 || cut.rows < 1)) {
        Fail(error, QStringLiteral("a cut needs at least one frame each way"));
        return std::nullopt;
    }
    const auto across = CutAxis(sheet.width(), cut.margin, cut.spacing, cut.columns,
                                bySize ? cut.frameSize.width() : 0, "width", "columns", "wide", error);
    if (!across)
        return std::nullopt;
    const auto down = CutAxis(sheet.height(), cut.margin, cut.spacing, cut.rows,
                              bySize ? cut.frameSize.height() : 0, "height", "rows", "high", error);
    if (!down)
        return std::nullopt;
    if (across->count * down->count > MonoSet::kMaxFrames) {
        Fail(error, QStringLiteral("%1 x %2 frames are more than the %3 a set holds")
                        .arg(across->count)
                        .arg(down->count)
                        .arg(MonoSet::kMaxFrames));
        return std::nullopt;
    }
    std::vector<QRect> cells;
    cells.reserve(std::size_t(across->count * down->count));
    for (qint64 row = 0; row < down->count; ++row)
        for (qint64 column = 0; column < across->count; ++column)
            cells.emplace_back(int(cut.margin + column * (across->length + cut.spacing)),
                               int(cut.margin + row * (down->length + cut.spacing)), int(across->length),
                               int(down->length));
    return cells;
}

bool IsEmptyCell(const QImage& image, const QRect& cell)
{
    const QRect area = cell.intersected(image.rect());
    if (area.isEmpty())
        return true;
    QImage converted;
    const QImage* from = &image;
    QRect rect = area;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
        converted = image.copy(area).convertToFormat(QImage::Format_ARGB32);
        from = &converted;
        rect = converted.rect();
    }
    const QRgb first = OverWhite(from->pixel(rect.topLeft()));
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(from->constScanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x)
            if ((line[x] | 0xFF000000u) != first && OverWhite(line[x]) != first)
                return false;
    }
    return true;
}

QSize GifFrameLimit()
{
    return QSize(kMaxWidth, kMaxHeight);
}

QImage SetSources::Frame(int i) const
{
    const Piece& cell = cells_[std::size_t(i)];
    const QImage& source = sources_[std::size_t(cell.source)];
    return cell.rect == source.rect() ? source : source.copy(cell.rect);
}

bool SetSources::Add(const QImage& source, int delay, const SheetCut& cut, QString* error)
{
    const qint64 pixels = qint64(source.width()) * source.height();
    if (pixels_ + pixels > kMaxTotalPixels)
        return Fail(error, QStringLiteral("the set's images come to more than %1 million pixels together")
                               .arg(kMaxTotalPixels / 1000000));
    auto cells = CutCells(source.size(), cut, error);
    if (!cells)
        return false;
    if (cut.skipEmpty && cells->size() > 1) {
        while (!cells->empty() && IsEmptyCell(source, cells->back()))
            cells->pop_back();
        if (cells->empty())
            return Fail(error, QStringLiteral("every cell of the sheet is empty"));
    }
    if (Count() + qint64(cells->size()) > MonoSet::kMaxFrames)
        return Fail(error, QStringLiteral("the set would have %1 frames, more than the %2 it holds")
                               .arg(Count() + qint64(cells->size()))
                               .arg(MonoSet::kMaxFrames));
    const int index = int(sources_.size());
    sources_.push_back(source);
    pixels_ += pixels;
    for (const QRect& rect : *cells)
        cells_.push_back(Piece{index, rect, delay});
    return true;
}

namespace {

// One frame converted as a pasted picture by a copy of base; drawn at
// `size` when its source is not the first frame's size. nullopt and *why
// when it fails.
std::optional<MonoPicture> ConvertFrame(const ImportPipeline& base, const QImage& frame, int number,
                                        QSize firstSource, QSize size, QString* why)
{
    ImportPipeline p = base;
    if (number > 1 && frame.size() != firstSource) {
        p.SetMatchSize(false);
        p.RestoreSize(size.width(), size.height());
    }
    if (!p.Paste(frame)) {
        *why = QStringLiteral("frame %1 is empty").arg(number);
        return std::nullopt;
    }
    PictureData d;
    p.GetImport(d);
    const QSize made(d.MaxX + 1, d.MaxY + 1);
    if (number > 1 && made != size) {
        *why = QStringLiteral("frame %1 came out %2 x %3, not %4 x %5 as the first")
                   .arg(number)
                   .arg(made.width())
                   .arg(made.height())
                   .arg(size.width())
                   .arg(size.height());
        return std::nullopt;
    }
    return MonoPicture::FromPlane(d.PicData.data(), made.width(), made.height());
}

}  // namespace

std::optional<MonoSet> ConvertSet(const ImportPipeline& settled, const SetSources& sources, QString* error)
{
    // A copy that tells no view about its runs.
    ImportPipeline base = settled;
    base.OptionsChanged = nullptr;
    base.SizeChanged = nullptr;
    base.ConvertBegin = nullptr;
    base.ConvertEnd = nullptr;

    const int count = sources.Count();
    if (count == 0)
        return MonoSet{};
    // The first frame decides the size the others must come out at.
    QString why;
    const QImage first = sources.Frame(0);
    auto firstPicture = ConvertFrame(base, first, 1, QSize(), QSize(), &why);
    if (!firstPicture) {
        Fail(error, why);
        return std::nullopt;
    }
    const QSize firstSource = first.size();
    const QSize size(firstPicture->width, firstPicture->height);

    // The other frames are independent of one another: they are shared out
    // among threads, each taking the next frame not yet taken. A failure
    // stops the frames after it; the set is refused for the first frame
    // that failed, whichever thread found it.
    std::vector<std::optional<MonoPicture>> pictures(static_cast<std::size_t>(count));
    std::vector<QString> causes(static_cast<std::size_t>(count));
    pictures[0] = std::move(firstPicture);
    std::atomic<int> next{1};
    std::atomic<int> firstFailure{count};
    const auto work = [&](const ImportPipeline& own) {
        for (int i = next++; i < count && i < firstFailure; i = next++) {
            pictures[std::size_t(i)] =
                ConvertFrame(own, sources.Frame(i), i + 1, firstSource, size, &causes[std::size_t(i)]);
            if (!pictures[std::size_t(i)]) {
                int seen = firstFailure;
                while (i < seen && !firstFailure.compare_exchange_weak(seen, i)) {
                }
            }
        }
    };
    const int helpers = std::min(int(std::thread::hardware_concurrency()), kMaxConvertThreads) - 1;
    std::vector<std::thread> threads;
    // Each thread converts through a pipeline of its own.
    std::vector<ImportPipeline> copies(std::size_t(std::clamp(std::min(helpers, count - 2), 0, kMaxConvertThreads)),
                                       base);
    for (const ImportPipeline& own : copies) {
        try {
            threads.emplace_back(work, std::cref(own));
        } catch (const std::system_error&) {
            break;  // the threads there are (this one at least) do the work
        }
    }
    work(base);
    for (std::thread& thread : threads)
        thread.join();
    if (firstFailure < count) {
        Fail(error, causes[std::size_t(firstFailure.load())]);
        return std::nullopt;
    }

    MonoSet set;
    set.frames.reserve(std::size_t(count));
    set.delays.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        set.frames.push_back(std::move(*pictures[std::size_t(i)]));
        set.delays.push_back(sources.Delay(i));
    }
    return set;
}

namespace {

// A set converted frame by frame as its sources are read, on the reading
// thread: the first frame settles the pipeline and decides the size. The
// first frame that fails is kept and conversion stops, but reading goes on:
// a file that fails to read refuses the set first, as when every file is
// read before any frame is converted.
class StreamedSet {
public:
    explicit StreamedSet(const SettleSet& settle) : settle_(settle) {}

    void Convert(const SetSources& sources, int from)
    {
        for (int i = from; i < sources.Count() && failure_.isEmpty(); ++i) {
            const QImage frame = sources.Frame(i);
            if (i == 0) {
                // A copy that tells no view about its runs.
                base_ = settle_(frame);
                base_.OptionsChanged = nullptr;
                base_.SizeChanged = nullptr;
                base_.ConvertBegin = nullptr;
                base_.ConvertEnd = nullptr;
                firstSource_ = frame.size();
            }
            auto picture = ConvertFrame(base_, frame, i + 1, firstSource_, size_, &failure_);
            if (!picture) {
                if (failure_.isEmpty())
                    failure_ = QStringLiteral("frame %1 cannot be converted").arg(i + 1);
                return;
            }
            if (i == 0)
                size_ = QSize(picture->width, picture->height);
            set_.frames.push_back(std::move(*picture));
            set_.delays.push_back(sources.Delay(i));
        }
    }
    const QString& Failure() const { return failure_; }
    MonoSet Take() { return std::move(set_); }

private:
    const SettleSet& settle_;
    ImportPipeline base_;
    QSize firstSource_;
    QSize size_;
    QString failure_;
    MonoSet set_;
};


// True when a file starts as a GIF, perhaps an animated one.
bool AnyGif(const QStringList& files)
{
    return std::any_of(files.begin(), files.end(), [](const QString& path) {
        QFile file(path);
        return IsRegularFile(path) && file.open(QIODevice::ReadOnly) && file.peek(4) == "GIF8";
    });
}

}  // namespace

std::optional<MonoSet> ReadAndConvertSet(const QStringList& files, const SheetCut& cut, const ImageLoader& loader,
                                         const SettleSet& settle, SetImportError* error)
{
    // Without a GIF there is no decode to convert alongside: the frames are
    // read first and then shared out among threads.
    if (!AnyGif(files)) {
        const auto sources = ReadSetSources(files, cut, loader, error);
        if (!sources)
            return std::nullopt;
        QString why;
        auto set = ConvertSet(settle(sources->Frame(0)), *sources, &why);
        if (!set && error)
            *error = SetImportError{files.value(0), why};
        return set;
    }
    StreamedSet streamed(settle);
    const AddedSource convert = [&streamed](const SetSources& sources, int from) { streamed.Convert(sources, from); };
    if (!ReadSources(files, cut, loader, convert, true, error))
        return std::nullopt;
    if (!streamed.Failure().isEmpty()) {
        if (error)
            *error = SetImportError{files.value(0), streamed.Failure()};
        return std::nullopt;
    }
    return streamed.Take();
}

}  // namespace tobrin
