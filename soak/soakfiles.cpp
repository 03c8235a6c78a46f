#include "soakfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QWidget>

#include "app/session.h"
#include "core/formats.h"
#include "core/pixelfont.h"
#include "drawing/drawarea.h"
#include "drawing/drawingwindow.h"
#include "files/filecommands.h"
#include "preview/devicepreview.h"

namespace tobrin::soak {

namespace {

int Pick(std::mt19937_64& random, int n) { return n <= 1 ? 0 : int(random() % std::uint64_t(n)); }

QString FirstSuffix(const FileFormat& format)
{
    return QString::fromLatin1(format.suffixes).section(QLatin1Char(' '), 0, 0);
}

MonoPicture RandomPicture(std::mt19937_64& random, int width, int height)
{
    MonoPicture p;
    p.width = width;
    p.height = height;
    const int density = Pick(random, 100);
    if (Pick(random, 2) == 0) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                p.At(x, y) = Pick(random, 100) < density;
    } else {
        for (int n = Pick(random, 12); n >= 0; --n) {
            const int x0 = Pick(random, width), y0 = Pick(random, height);
            const int x1 = x0 + Pick(random, width - x0), y1 = y0 + Pick(random, height - y0);
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    p.At(x, y) ^= 1;
        }
    }
    return p;
}

QString ColourImage(const QString& folder, std::mt19937_64& random)
{
    QImage image(8 + Pick(random, 400), 8 + Pick(random, 300), QImage::Format_RGB32);
    const int shift = Pick(random, 256);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 255 / image.width() + shift) & 255, (y * 255 / image.height()) & 255,
                                      Pick(random, 256)));
    static const char* const forms[] = {"png", "jpg", "bmp"};
    const char* form = forms[Pick(random, 3)];
    const QString path = QDir(folder).filePath(QStringLiteral("colour-%1.%2").arg(Pick(random, 8)).arg(QLatin1String(form)));
    image.save(path, form);
    return path;
}

QString FontFile(const QString& folder, std::mt19937_64& random)
{
    const QStringList names = BuiltInFontNames();
    PixelFont font = *BuiltInFont(names[Pick(random, int(names.size()))]);
    // A sparse set now and then: the character map instead of a first code.
    if (Pick(random, 3) == 0)
        font.glyphs.erase(font.glyphs.begin() + Pick(random, int(font.glyphs.size())));
    static const char* const forms[] = {"db", "bdf", "c", "png"};
    const QString path = QDir(folder).filePath(
        QStringLiteral("font-%1.%2").arg(Pick(random, 6)).arg(QLatin1String(forms[Pick(random, 4)])));
    WriteFontFile(path, font, FontWriteOptions());
    return path;
}

// A copy of a file already there, cut short or with bytes changed: the
// editor must refuse it whole or read it, never half.
QString DamagedFile(const QString& folder, std::mt19937_64& random)
{
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    if (names.isEmpty())
        return QString();
    QFile source(QDir(folder).filePath(names[Pick(random, int(names.size()))]));
    if (!source.open(QIODevice::ReadOnly))
        return QString();
    QByteArray bytes = source.readAll();
    if (bytes.isEmpty())
        return QString();
    if (Pick(random, 2) == 0)
        bytes.truncate(Pick(random, int(bytes.size())));
    else
        for (int n = 1 + Pick(random, 8); n > 0; --n)
            bytes[Pick(random, int(bytes.size()))] = char(Pick(random, 256));
    const QString path = QDir(folder).filePath(
        QStringLiteral("damaged-%1.%2").arg(Pick(random, 8)).arg(QFileInfo(source.fileName()).suffix()));
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
    return path;
}

// Reads without asking anyone: a refusal is kept as the reason.
class QuietDialogs : public Dialogs {
public:
    QString said;
    bool AskYesNo(QWidget*, const QString&, const QString&) override { return true; }
    Answer AskYesNoLater(QWidget*, const QString&, const QString&, const QString&) override { return Answer::Later; }
    void Message(QWidget*, const QString&, const QString& text, Icon, const QString& details) override
    {
        said = text + QStringLiteral(": ") + details;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return QString();
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return QString();
    }
    QStringList OpenFileNames(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
};

QString FrameDifference(const MonoPicture& onDisk, const MonoPicture& held, int frame)
{
    if (onDisk.width != held.width || onDisk.height != held.height)
        return QStringLiteral("frame %1 is %2x%3 on disk, %4x%5 in the editor")
            .arg(frame).arg(onDisk.width).arg(onDisk.height).arg(held.width).arg(held.height);
    for (int y = 0; y < held.height; ++y)
        for (int x = 0; x < held.width; ++x)
            if (onDisk.At(x, y) != held.At(x, y))
                return QStringLiteral("frame %1 pixel (%2,%3) is %4 on disk, %5 in the editor")
                    .arg(frame).arg(x).arg(y).arg(onDisk.At(x, y)).arg(held.At(x, y));
    return QString();
}

}  // namespace

QString GenerateFile(const QString& folder, std::mt19937_64& random)
{
    switch (Pick(random, 6)) {
    case 0:
        return ColourImage(folder, random);
    case 1:
        return FontFile(folder, random);
    case 2:
        return DamagedFile(folder, random);
    default:
        break;
    }
    std::vector<const FileFormat*> writable;
    for (const FileFormat* f : FileFormats())
        if (f->canWrite && f->canRead)
            writable.push_back(f);
    const FileFormat& format = *writable[std::size_t(Pick(random, int(writable.size())))];
    const int width = 4 + Pick(random, 237), height = 4 + Pick(random, 117);
    const QString path = QDir(folder).filePath(
        QStringLiteral("pic-%1.%2").arg(Pick(random, 20)).arg(FirstSuffix(format)));
    ExportOptions options;
    options.order = ByteOrder(Pick(random, 3));
    if (format.encodeSet && Pick(random, 2) == 0) {
        MonoSet set;
        for (int n = 2 + Pick(random, 4); n > 0; --n) {
            set.frames.push_back(RandomPicture(random, width, height));
            set.delays.push_back(20 * (1 + Pick(random, 20)));
        }
        WritePictureSetFile(path, set, options);
    } else {
        WritePictureFile(path, RandomPicture(random, width, height), options);
    }
    return path;
}

QString CompareFileWithDocument(const QString& path, const PictureDocument& document)
{
    const FileFormat& format = FormatForPath(path);
    // A sprite sheet: one picture of all the frames, for other programs;
    // only Export writes it, and it need not fit a picture.
    if (format.encodeSet && !format.decodeSet && document.FrameCount() > 1 && !document.IsFont())
        return QString();
    QuietDialogs quiet;
    Session reading(quiet);
    QWidget anchor;
    FileCommands files(reading, &anchor);
    if (!files.ReadHexFile(path))
        return QStringLiteral("does not open again: ") + quiet.said;
    const PictureDocument& back = reading.document;
    if (back.IsFont() || document.IsFont()) {
        if (back.IsFont() && document.IsFont())
            return back.Font() == document.Font() ? QString() : QStringLiteral("the font differs");
        if (back.IsFont())
            return QStringLiteral("a picture saved reads back as a font");
    }
    const MonoSet onDisk = back.Frames();
    const MonoSet held = document.Frames();
    if (format.encodeSet) {
        if (onDisk.Count() != held.Count())
            return QStringLiteral("%1 frames on disk, %2 in the editor").arg(onDisk.Count()).arg(held.Count());
        for (int i = 0; i < held.Count(); ++i)
            if (QString why = FrameDifference(onDisk.frames[std::size_t(i)], held.frames[std::size_t(i)], i);
                !why.isEmpty())
                return why;
        return QString();
    }
    if (onDisk.Count() != 1)
        return QStringLiteral("a single-picture form holds %1 frames").arg(onDisk.Count());
    return FrameDifference(onDisk.frames.front(), held.frames[std::size_t(document.CurrentFrame())],
                           document.CurrentFrame());
}

QString CompareScreenWithDocument(DrawingWindow& window)
{
    // The selection tool's marquee, moving or stopped round a block (and
    // left there until another tool is chosen), is drawn along the cells'
    // edges, which covers whole squares when they are small.
    if (!window.isVisible() || window.CurrentToolId() == QLatin1String("selection"))
        return QString();
    const PictureData& data = window.Document().Data();
    const ViewWindow& v = window.State().view;
    for (int y = v.ViewTop; y <= std::min(v.ViewBottom, data.MaxY); ++y)
        for (int x = v.ViewLeft; x <= std::min(v.ViewRight, data.MaxX); ++x) {
            // Black is a set pixel; white or an onion skin's tint a clear
            // one. Any other colour is a mark over the picture (a guide, a
            // shape being dragged), which says nothing of the pixel.
            const QRgb shown = window.Canvas()->SquareColour(x - v.ViewLeft, y - v.ViewTop);
            const bool set = shown == DrawArea::kSetColour;
            const bool clear = shown == DrawArea::kClearColour || shown == DrawArea::kOnionPreviousColour
                || shown == DrawArea::kOnionNextColour || shown == DrawArea::kOnionBothColour;
            if ((set || clear) && set != (data.Pic(x, y) != 0))
                return QStringLiteral("cell (%1,%2) shows %3, the picture holds %4 (view %5,%6-%7,%8 of %9x%10, "
                                      "frame %11 of %12)")
                    .arg(x).arg(y).arg(shown, 0, 16).arg(data.Pic(x, y))
                    .arg(v.ViewLeft).arg(v.ViewTop).arg(v.ViewRight).arg(v.ViewBottom).arg(data.Width())
                    .arg(data.Height()).arg(window.Document().CurrentFrame()).arg(window.Document().FrameCount());
        }
    return QString();
}

QString CompareDeviceWithDocument(const DevicePreview& preview, const PictureDocument& document)
{
    if (preview.Playing())
        return QString();
    const QImage& dots = preview.Display();
    for (int y = 0; y <= document.MaxY(); ++y)
        for (int x = 0; x <= document.MaxX(); ++x)
            if ((dots.pixel(x, y) == DevicePreview::kSetColour) != (document.Pic(x, y) != 0))
                return QStringLiteral("the device shows dot (%1,%2) %3, the picture holds %4")
                    .arg(x).arg(y).arg(dots.pixel(x, y), 0, 16).arg(document.Pic(x, y));
    return QString();
}

}  // namespace tobrin::soak
