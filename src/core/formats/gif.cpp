#include "core/formats.h"

#include "core/formatdetail.h"
#include "core/gifcodec.h"

// GIF: a set as an animation, a picture as a still image, 1 bit, black on
// white (the codec is src/core/gifcodec.cpp). It opens when every frame,
// composited as a viewer shows it, is pure black and white and of a
// picture's size.

namespace tobrin {

using namespace detail;

namespace {

std::optional<QByteArray> EncodeGifSet(const MonoSet& set, const ExportOptions&, const QString&, QString* error)
{
    return EncodeGif(set, error);
}

std::optional<QByteArray> EncodeGifPicture(const MonoPicture& picture, const ExportOptions& options,
                                           const QString& path, QString* error)
{
    return EncodeGifSet(MonoSet::Of(picture), options, path, error);
}

std::optional<MonoSet> DecodeGifSet(const QByteArray& data, const ReadOptions& options, QString* error)
{
    // A colour or oversized animation is no set, but the import makes one.
    const Refusal refuse{error, options};
    QString why;
    // Larger canvases are read only to say their size.
    const std::optional<ImageFrames> frames = DecodeGifFrames(data, QSize(kMaxWidth, kMaxHeight), &why);
    if (!frames) {
        if (why.startsWith(QLatin1String("a GIF of")))
            return refuse.convertible(why.left(why.indexOf(QLatin1Char(';'))) + QStringLiteral("; a picture is ") +
                               SizeRule());
        return refuse.fail(why);
    }
    const QSize size = frames->images.front().size();
    if (!SizeAllowed(size.width(), size.height()))
        return refuse.convertible(QStringLiteral("%1 x %2 pixels; a picture is %3").arg(size.width()).arg(size.height()).arg(SizeRule()));
    MonoSet set;
    set.delays = frames->delays;
    for (std::size_t i = 0; i < frames->images.size(); ++i) {
        QPoint neither;
        const std::optional<MonoPicture> p = FromBlackAndWhite(frames->images[i], &neither);
        if (!p)
            return refuse.convertible(QStringLiteral("not black and white (frame %1, pixel %2, %3 is neither)")
                                          .arg(i)
                                          .arg(neither.x())
                                          .arg(neither.y()));
        set.frames.push_back(*p);
    }
    return set;
}

// A single picture: the first frame of an animation.
std::optional<MonoPicture> DecodeGifPicture(const QByteArray& data, const ReadOptions& options, QString* error)
{
    std::optional<MonoSet> set = DecodeGifSet(data, options, error);
    return set ? std::optional<MonoPicture>(set->frames.front()) : std::nullopt;
}

}  // namespace

extern const FileFormat kGifFormat = {
    "gif", "GIF", "gif", true, true, 0u, EncodeGifPicture, DecodeGifPicture,
    ".gif a 1-bit GIF image (a set as an endless animation with its delays)",
    nullptr, nullptr, nullptr, false, nullptr, EncodeGifSet, DecodeGifSet,
};

}  // namespace tobrin
