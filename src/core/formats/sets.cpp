#include "core/formats.h"

#include <QFile>
#include <QStringList>
#include <string>

#include "core/formatdetail.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"
#include "core/regularfile.h"
#include "core/savefile.h"

// Sets of frames: reading and writing them through the formats' table.

namespace tobrin {

using namespace detail;

bool MonoSet::AllDefaultDelays() const
{
    for (int delay : delays)
        if (delay != kDefaultDelay)
            return false;
    return true;
}

namespace {

std::string PictureText(const MonoPicture& p)
{
    PictureData d;
    p.ToPlane(d.PicData.data());
    d.MaxX = p.width - 1;
    d.MaxY = p.height - 1;
    return HexText(d);
}

}  // namespace

namespace detail {

std::string HexSetString(const MonoSet& set, const QString& label)
{
    // A single frame shown for the default time is a picture, as ever; one
    // with a delay of its own keeps it under a label.
    if (set.Count() == 1 && set.AllDefaultDelays())
        return PictureText(set.frames.front());
    // Each frame is a picture as a single one is written, under a label an
    // assembler takes; the empty line that ends a picture's file parts them.
    const bool delays = !set.AllDefaultDelays();
    const std::string name = label.toStdString();
    std::string text;
    for (int i = 0; i < set.Count(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += name + "_" + std::to_string(i) + ":\r\n";
        if (delays)
            text += "; delay " + std::to_string(set.delays[std::size_t(i)]) + " ms\r\n";
        text += PictureText(set.frames[std::size_t(i)]);
    }
    return text;
}

}  // namespace detail

QString HexSetText(const MonoSet& set, const QString& label)
{
    return QString::fromStdString(HexSetString(set, label));
}

std::optional<MonoSet> ReadPictureSetFile(const QString& path, const ReadOptions& options, QString* error)
{
    const FileFormat& format = FormatForPath(path);
    if (!format.decodeSet) {
        if (std::optional<MonoPicture> picture = ReadPictureFile(path, options, error))
            return MonoSet::Of(*picture);
        return std::nullopt;
    }
    QFile file(path);
    if (!OpenRegularFile(file, error))
        return std::nullopt;
    // The hex text is read whole here too: a set's text is at most about
    // 16 MB (1024 frames).
    const qint64 limit = format.readFile || format.mayBeNative ? kMaxHexBytes : kMaxFileBytes;
    const QByteArray data = file.read(limit + 1);
    if (qint64(data.size()) > limit) {
        if (error)
            *error = QStringLiteral("larger than %1 MB").arg(limit >> 20);
        return std::nullopt;
    }
    if (qint64(data.size()) > kMaxFileBytes && !format.readFile) {
        // Only the hex text may be this long.
        QString ignored;
        if (std::optional<MonoSet> native = NativeFormat().decodeSet(data, ReadOptions(), &ignored))
            return native;
        if (error)
            *error = QStringLiteral("larger than %1 MB").arg(kMaxFileBytes >> 20);
        return std::nullopt;
    }
    QString why;
    if (std::optional<MonoSet> set = format.decodeSet(data, options, &why))
        return set;
    // Hex text has always been saved under .c names too; such a file still
    // opens, as the hex text it is.
    if (format.mayBeNative) {
        QString ignored;
        if (std::optional<MonoSet> native = NativeFormat().decodeSet(data, ReadOptions(), &ignored))
            return native;
    }
    // A file that is no picture's text at all: the picture reader says
    // what it is instead (an image, with the way to convert it).
    if (IsNative(format) && why.startsWith(QLatin1String("no line begins")) && !ReadPictureFile(path, options, error))
        return std::nullopt;
    if (error)
        *error = why;
    return std::nullopt;
}

bool WritePictureSetFile(const QString& path, const MonoSet& set, const ExportOptions& options, QString* error)
{
    const FileFormat& format = FormatForPath(path);
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (set.frames.empty() || set.Count() > MonoSet::kMaxFrames || set.delays.size() != set.frames.size())
        return fail(QStringLiteral("a set holds 1..%1 frames, each with its delay").arg(MonoSet::kMaxFrames));
    for (const MonoPicture& frame : set.frames)
        if (frame.width != set.frames.front().width || frame.height != set.frames.front().height
            || !SizeAllowed(frame.width, frame.height))
            return fail(QStringLiteral("the picture size is out of range"));
    if (set.Count() == 1 && !format.encodeSet)
        return WritePictureFile(path, set.frames.front(), options, error);
    if (!format.encodeSet) {
        if (error)
            *error = QStringLiteral("%1 holds one picture and this set has %2 frames; choose one frame")
                         .arg(QLatin1String(format.description))
                         .arg(set.Count());
        return false;
    }
    ExportOptions named = options;
    if (named.name.isEmpty())
        named.name = CNameFromPath(path);
    if ((format.options & kTakesArrayName) && !IsCIdentifier(named.name)) {
        if (error)
            *error = QStringLiteral("%1 is no C identifier").arg(named.name);
        return false;
    }
    const std::optional<QByteArray> data = format.encodeSet(set, named, path, error);
    return data && WriteFileAtomically(path, *data, error);
}

}  // namespace tobrin
