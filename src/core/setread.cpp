#include "core/setread.h"

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "core/gifcodec.h"
#include "core/imageloader.h"
#include "core/regularfile.h"

// Reading a set's sources: still images through the loader, an animated
// GIF's frames through giflib, perhaps converted while the decode goes on.

namespace tobrin {

bool IsAnimatedGif(const QString& path)
{
    QFile file(path);
    if (!IsRegularFile(path) || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.peek(6);
    if (head != "GIF87a" && head != "GIF89a")
        return false;
    QImageReader reader(&file, "gif");
    return reader.imageCount() > 1;
}

namespace {

// An animated GIF is read whole before it is decoded.
constexpr qint64 kMaxGifBytes = 64LL * 1024 * 1024;

// Frames a GIF's decoder may run ahead of their conversion.
constexpr std::size_t kQueuedFrames = 4;

// Decodes on a thread of its own while this thread hands each frame to
// take, through a queue of at most kQueuedFrames. Synchronisation: the
// queue, the spare images and the done and stop flags are touched only with
// `lock` held; the decoder waits on `room` while the queue is full, this
// thread on `ready` while it is empty. Each frame is copied by the decoding
// thread into an image no other reference reaches (a new one, or a spare
// this thread gave back when it held the only reference), so an image
// belongs to one thread at a time and changes hands only under the lock.
// The decoder's result and cause are read only after it is joined; take runs
// on this thread alone, so what it changes needs no lock. Reusing the spares
// spares the fresh pages a new image per frame would fault in.
bool DecodeAlongside(const QByteArray& data, const GifFrameSink& take, QString* why)
{
    std::mutex lock;
    std::condition_variable ready;
    std::condition_variable room;
    std::deque<std::pair<QImage, int>> queue;
    std::vector<QImage> spare;
    bool done = false;
    bool stop = false;
    const GifFrameSink put = [&](const QImage& canvas, int delay) {
        QImage frame;
        {
            std::unique_lock<std::mutex> hold(lock);
            room.wait(hold, [&] { return stop || queue.size() < kQueuedFrames; });
            if (stop)
                return false;
            if (!spare.empty()) {
                frame = std::move(spare.back());
                spare.pop_back();
            }
        }
        if (frame.size() != canvas.size() || frame.format() != canvas.format())
            frame = QImage(canvas.size(), canvas.format());
        if (frame.isNull())
            return false;  // no memory for it: the decode stops
        std::memcpy(frame.bits(), canvas.constBits(), std::size_t(canvas.sizeInBytes()));
        const std::lock_guard<std::mutex> hold(lock);
        queue.emplace_back(std::move(frame), delay);
        ready.notify_one();
        return true;
    };
    bool decoded = false;
    QString cause;
    std::thread decoder;
    try {
        decoder = std::thread([&] {
            decoded = DecodeGifFrames(data, GifFrameLimit(), put, &cause);
            const std::lock_guard<std::mutex> hold(lock);
            done = true;
            ready.notify_one();
        });
    } catch (const std::system_error&) {
        return DecodeGifFrames(data, GifFrameLimit(), take, why);  // this thread decodes and converts in turn
    }
    // However this thread leaves (take may throw), the decoder is stopped
    // and joined.
    struct Join {
        std::thread& thread;
        std::mutex& lock;
        bool& stop;
        std::condition_variable& room;
        ~Join()
        {
            {
                const std::lock_guard<std::mutex> hold(lock);
                stop = true;
            }
            room.notify_one();
            thread.join();
        }
    };
    {
        const Join join{decoder, lock, stop, room};
        for (;;) {
            std::pair<QImage, int> frame;
            {
                std::unique_lock<std::mutex> hold(lock);
                ready.wait(hold, [&] { return done || !queue.empty(); });
                if (queue.empty())
                    break;  // decoded and drained
                frame = std::move(queue.front());
                queue.pop_front();
                room.notify_one();
            }
            take(frame.first, frame.second);
            if (frame.first.isDetached()) {
                const std::lock_guard<std::mutex> hold(lock);
                if (spare.size() < kQueuedFrames)
                    spare.push_back(std::move(frame.first));
            }
        }
    }
    if (!decoded && why)
        *why = cause;
    return decoded;
}

// An animated GIF's frames added to sources as they are decoded (alongside
// this thread when overlap). A damaged file refuses the set before a frame
// the set refuses, as when the whole file is decoded first: a refused frame
// only stops the adding.
bool ReadGif(const QByteArray& data, const SheetCut& cut, SetSources& sources, const AddedSource& added, bool overlap,
             QString* why)
{
    bool refused = false;
    QString refusal;
    const GifFrameSink take = [&](const QImage& image, int delay) {
        if (refused)
            return true;
        const int from = sources.Count();
        if (!sources.Add(image, delay > 0 ? std::min(delay, int(MonoSet::kMaxDelay)) : MonoSet::kDefaultDelay, cut,
                         &refusal))
            refused = true;
        else if (added)
            added(sources, from);
        if (overlap && !refused)
            sources.ReleaseLast();  // converted: its image may be reused
        return true;
    };
    if (!(overlap ? DecodeAlongside(data, take, why) : DecodeGifFrames(data, GifFrameLimit(), take, why)))
        return false;
    if (refused && why)
        *why = refusal;
    return !refused;
}

}  // namespace

std::optional<SetSources> ReadSources(const QStringList& files, const SheetCut& cut, const ImageLoader& loader,
                                      const AddedSource& added, bool overlap, SetImportError* error)
{
    SetSources sources;
    QString why;
    const auto refuse = [&](const QString& file) -> std::optional<SetSources> {
        if (error)
            *error = SetImportError{file, why};
        return std::nullopt;
    };
    for (const QString& file : files) {
        if (IsAnimatedGif(file)) {
            QFile in(file);
            if (!OpenRegularFile(in, &why))
                return refuse(file);
            if (in.size() > kMaxGifBytes) {
                why = QStringLiteral("an animated GIF over %1 MB is not read").arg(kMaxGifBytes >> 20);
                return refuse(file);
            }
            if (!ReadGif(in.readAll(), cut, sources, added, overlap, &why))
                return refuse(file);
            continue;
        }
        // The budget is checked from the header, before the decode.
        const QSize claimed = QImageReader(file).size();
        if (claimed.isValid()
            && sources.Pixels() + qint64(claimed.width()) * claimed.height() > SetSources::kMaxTotalPixels) {
            why = QStringLiteral("the set's images come to more than %1 million pixels together")
                      .arg(SetSources::kMaxTotalPixels / 1000000);
            return refuse(file);
        }
        QImage image;
        const int from = sources.Count();
        if (!loader.Load(file, &image, &why) || !sources.Add(image, MonoSet::kDefaultDelay, cut, &why))
            return refuse(file);
        if (added)
            added(sources, from);
    }
    if (sources.Count() == 0) {
        why = QStringLiteral("no frames");
        return refuse(files.isEmpty() ? QString() : files.first());
    }
    return sources;
}

std::optional<SetSources> ReadSetSources(const QStringList& files, const SheetCut& cut, const ImageLoader& loader,
                                         SetImportError* error)
{
    return ReadSources(files, cut, loader, {}, false, error);
}


}  // namespace tobrin
