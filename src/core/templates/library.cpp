#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include "core/outputtemplate.h"
#include "core/pixelfont.h"
#include "core/regularfile.h"
#include "core/savefile.h"

// Finding templates: the built-in ones compiled in from data/templates, the
// user's own in their data folder, or any file.

namespace tobrin {

namespace templatedetail {
extern const int kBuiltInCount;
extern const char* const kBuiltInNames[];
extern const char* const kBuiltInTexts[];
}  // namespace templatedetail

using namespace templatedetail;

namespace {

// A template is text a person writes; anything larger is no template.
constexpr qint64 kMaxTemplateBytes = 256 * 1024;

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

bool IsPlainName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('.'));
}

std::optional<QString> ReadTemplateFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!OpenRegularFile(file, error))
        return std::nullopt;
    const QByteArray data = file.read(kMaxTemplateBytes + 1);
    if (data.size() > kMaxTemplateBytes) {
        Fail(error, QStringLiteral("larger than %1 KB; no template").arg(kMaxTemplateBytes >> 10));
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(data);
    if (decoder.hasError()) {
        Fail(error, QStringLiteral("not UTF-8 text"));
        return std::nullopt;
    }
    return text;
}

}  // namespace

QStringList BuiltInTemplateNames()
{
    QStringList names;
    for (int i = 0; i < kBuiltInCount; ++i)
        names << QLatin1String(kBuiltInNames[i]);
    return names;
}

QString BuiltInTemplateText(const QString& name)
{
    for (int i = 0; i < kBuiltInCount; ++i)
        if (name == QLatin1String(kBuiltInNames[i]))
            return QString::fromUtf8(kBuiltInTexts[i]);
    return QString();
}

QString UserTemplateFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/tobrin/templates");
}

QStringList UserTemplateNames()
{
    QStringList names;
    const QFileInfoList files = QDir(UserTemplateFolder()).entryInfoList({QStringLiteral("*.tpl")}, QDir::Files, QDir::Name);
    for (const QFileInfo& f : files)
        if (IsPlainName(f.completeBaseName()))
            names << f.completeBaseName();
    return names;
}

std::optional<QString> LoadTemplateText(const QString& nameOrPath, QString* error, QString* source)
{
    QString why;
    QString ignored;
    QString& from = source ? *source : ignored;
    if (IsPlainName(nameOrPath)) {
        const QString user = UserTemplateFolder() + QLatin1Char('/') + nameOrPath + QStringLiteral(".tpl");
        from = user;
        if (QFileInfo::exists(user)) {
            if (std::optional<QString> text = ReadTemplateFile(user, &why))
                return text;
            Fail(error, QStringLiteral("%1: %2").arg(user, why));
            return std::nullopt;
        }
        const QString builtIn = BuiltInTemplateText(nameOrPath);
        from = QStringLiteral("built-in %1").arg(nameOrPath);
        if (!builtIn.isEmpty())
            return builtIn;
        Fail(error, QStringLiteral("%1: no such template: not built in (%2) nor in %3")
                        .arg(nameOrPath, BuiltInTemplateNames().join(QStringLiteral(", ")), UserTemplateFolder()));
        return std::nullopt;
    }
    from = nameOrPath;
    if (std::optional<QString> text = ReadTemplateFile(nameOrPath, &why))
        return text;
    Fail(error, QStringLiteral("%1: %2").arg(nameOrPath, why));
    return std::nullopt;
}

std::optional<OutputTemplate> LoadTemplate(const QString& nameOrPath, QString* error)
{
    QString source;
    const std::optional<QString> text = LoadTemplateText(nameOrPath, error, &source);
    if (!text)
        return std::nullopt;
    QString why;
    std::optional<OutputTemplate> parsed = OutputTemplate::Parse(*text, &why);
    if (!parsed)
        Fail(error, QStringLiteral("%1: %2").arg(source, why));
    return parsed;
}

namespace {

template <typename Source>
bool Write(const QString& path, const OutputTemplate& tpl, const Source& source, const ExportOptions& options,
           QString* error)
{
    ExportOptions named = options;
    if (named.name.isEmpty())
        named.name = CNameFromPath(path);
    if (!IsCIdentifier(named.name))
        return Fail(error, QStringLiteral("%1 is no C identifier").arg(named.name));
    const std::optional<QByteArray> data = tpl.Render(source, named, error);
    return data && WriteFileAtomically(path, *data, error);
}

}  // namespace

bool WriteTemplateFile(const QString& path, const OutputTemplate& tpl, const MonoSet& set,
                       const ExportOptions& options, QString* error)
{
    return Write(path, tpl, set, options, error);
}

bool WriteTemplateFile(const QString& path, const OutputTemplate& tpl, const PixelFont& font,
                       const ExportOptions& options, QString* error)
{
    return Write(path, tpl, font, options, error);
}

}  // namespace tobrin
