#include "core/formats.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdlib>
#include <cstring>

#include "core/formatdetail.h"
#include "core/regularfile.h"
#include "core/savefile.h"

// The file formats, and everything that lists or chooses among them.

namespace tobrin {

using namespace detail;

// One line per format, in the order the dialogs list them; the editor's own
// text first. Each entry is defined in its format's file in this folder.
#define TOBRIN_FILE_FORMATS(X) \
    X(kHexTextFormat)          \
    X(kCArrayFormat)           \
    X(kXbmFormat)              \
    X(kPbmFormat)              \
    X(kPngFormat)              \
    X(kBmpFormat)              \
    X(kGifFormat)

#define TOBRIN_DECLARE_FORMAT(entry) extern const FileFormat entry;
TOBRIN_FILE_FORMATS(TOBRIN_DECLARE_FORMAT)
#define TOBRIN_LIST_FORMAT(entry) &entry,

namespace {

QStringList Suffixes(const char* list)
{
    return QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// "C array (*.c *.h)"
QString Filter(const char* description, const char* suffixes)
{
    QStringList patterns;
    for (const QString& suffix : Suffixes(suffixes))
        patterns << QStringLiteral("*.") + suffix;
    return QStringLiteral("%1 (%2)").arg(QLatin1String(description), patterns.join(QLatin1Char(' ')));
}

QString ExportFilter(const FileFormat& f)
{
    return Filter(f.exportDescription ? f.exportDescription : f.description,
                  f.writeSuffixes ? f.writeSuffixes : f.suffixes);
}

// The editor's own text last: Export is for the other formats.
QStringList ExportList()
{
    QStringList filters;
    for (const FileFormat* f : FileFormats())
        if (f->canWrite && !IsNative(*f))
            filters << ExportFilter(*f);
    filters << ExportFilter(NativeFormat());
    return filters;
}

}  // namespace

const std::vector<const FileFormat*>& FileFormats()
{
    static const std::vector<const FileFormat*> formats = {TOBRIN_FILE_FORMATS(TOBRIN_LIST_FORMAT)};
    return formats;
}

const FileFormat& NativeFormat() { return *FileFormats().front(); }

const FileFormat& Format(const char* id)
{
    for (const FileFormat* f : FileFormats())
        if (std::strcmp(f->id, id) == 0)
            return *f;
    std::abort();
}

const FileFormat& FormatForPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const FileFormat* f : FileFormats())
        if (!IsNative(*f) && Suffixes(f->suffixes).contains(suffix))
            return *f;
    return NativeFormat();
}

QString NativeOpenFilter() { return Filter(NativeFormat().description, NativeFormat().suffixes); }

QString OpenFilters()
{
    QStringList filters{QStringLiteral("All Files (*)")};
    for (const FileFormat* f : FileFormats())
        if (f->canRead)
            filters << Filter(f->description, f->suffixes);
    return filters.join(QStringLiteral(";;"));
}

QString SaveFilters() { return Filter(NativeFormat().description, NativeFormat().writeSuffixes); }

QString ExportFilters() { return ExportList().join(QStringLiteral(";;")); }

QString ExportSelectedFilter() { return ExportList().front(); }

QString FormatUsagePhrases()
{
    QStringList phrases;
    for (const FileFormat* f : FileFormats())
        if (!IsNative(*f))
            phrases << QLatin1String(f->usage);
    return (phrases << QLatin1String(NativeFormat().usage)).join(QStringLiteral(", "));
}

QString FormatSuffixList()
{
    QStringList names;
    for (const FileFormat* f : FileFormats()) {
        if (!f->canWrite || IsNative(*f))
            continue;
        QString name = QStringLiteral(".") + Suffixes(f->suffixes).join(QStringLiteral(" or ."));
        if (f->options & (kTakesByteOrder | kTakesArrayName)) {
            QStringList options;
            if (f->options & kTakesByteOrder)
                options << QStringLiteral("--order");
            if (f->options & kTakesArrayName)
                options << QStringLiteral("--name");
            name += QStringLiteral(" (%1)").arg(options.join(QStringLiteral(", ")));
        }
        names << name;
    }
    return (names << QLatin1String(NativeFormat().usage)).join(QStringLiteral(", "));
}

// ---- reading and writing -----------------------------------------------------------

std::optional<QByteArray> EncodePicture(const MonoPicture& picture, const FileFormat& format,
                                        const ExportOptions& options, const QString& path, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (!SizeAllowed(picture.width, picture.height))
        return fail(QStringLiteral("the picture size is out of range"));
    ExportOptions named = options;
    if (named.name.isEmpty())
        named.name = CNameFromPath(path);
    if ((format.options & kTakesArrayName) && !IsCIdentifier(named.name))
        return fail(QStringLiteral("%1 is no C identifier").arg(named.name));
    return format.encode(picture, named, path, error);
}

bool WritePictureFile(const QString& path, const MonoPicture& picture, const ExportOptions& options, QString* error)
{
    const std::optional<QByteArray> data = EncodePicture(picture, FormatForPath(path), options, path, error);
    return data && WriteFileAtomically(path, *data, error);
}

std::optional<MonoPicture> DecodePicture(const QByteArray& data, const FileFormat& format, const ReadOptions& options,
                                         QString* error)
{
    // Formats that stream take files of any length; the others are read whole.
    if (qint64(data.size()) > kMaxFileBytes && !format.readFile) {
        if (error)
            *error = QStringLiteral("larger than %1 MB").arg(kMaxFileBytes >> 20);
        return std::nullopt;
    }
    return format.decode(data, options, error);
}

std::optional<MonoPicture> ReadPictureFile(const QString& path, const ReadOptions& options, QString* error)
{
    const FileFormat& format = FormatForPath(path);
    if (format.readFile)
        return format.readFile(path, options, error);
    QFile file(path);
    if (!OpenRegularFile(file, error))
        return std::nullopt;
    const QByteArray data = file.read(kMaxFileBytes + 1);
    std::optional<MonoPicture> picture = DecodePicture(data, format, options, error);
    if (!picture && format.mayBeNative) {
        // Hex text has always been saved under .c names too; such a file
        // still opens, as the hex text it is.
        file.close();
        QString why;
        if (std::optional<MonoPicture> native = NativeFormat().readFile(path, ReadOptions(), &why))
            return native;
    }
    return picture;
}

}  // namespace tobrin
