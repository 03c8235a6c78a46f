#include "cli/buildoutput.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <optional>

#include "cli/fontcommand.h"
#include "cli/importcommand.h"
#include "core/formats.h"
#include "core/outputtemplate.h"

namespace tobrin {
namespace {

// A template is named (built-in or the user's own) when it is a plain name,
// as LoadTemplateText tells them apart.
bool IsTemplateName(const QString& name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('.'));
}

}  // namespace

QStringList BuildOutput::Sources() const
{
    QStringList paths;
    for (const QString& source : out_.sources)
        paths += Resolve(source);
    return paths;
}

QString BuildOutput::TemplateFile() const
{
    return out_.templateName.isEmpty() || IsTemplateName(out_.templateName) ? QString() : Resolve(out_.templateName);
}

QString BuildOutput::TemplateArg() const
{
    const QString file = TemplateFile();
    return file.isEmpty() ? out_.templateName : file;
}

QStringList BuildOutput::FontArgs() const
{
    QStringList args = out_.fontArgs;
    if (!out_.name.isEmpty())
        args += {QStringLiteral("--name"), out_.name};
    if (!out_.order.isEmpty())
        args += {QStringLiteral("--order"), out_.order};
    if (!out_.templateName.isEmpty())
        args += {QStringLiteral("--template"), TemplateArg()};
    // "--" keeps a source whose name starts with "-" a source.
    return args + QStringList{QStringLiteral("-o"), Path(), QStringLiteral("--"), Sources().value(0)};
}

QStringList BuildOutput::ImportArgs(const QStringList& sources) const
{
    return out_.importArgs + QStringList{QStringLiteral("-o"), Path(), QStringLiteral("--")} + sources;
}

QString BuildOutput::Check() const
{
    if (!out_.name.isEmpty() && !IsCIdentifier(out_.name))
        return QStringLiteral("name '%1' is no C identifier").arg(out_.name);
    if (out_.hasFont) {
        if (out_.sources.size() != 1)
            return QStringLiteral("a font is made from one source");
        const FontRun run = MakeFontFile(FontArgs(), true);
        return run.problem.isEmpty() ? QString() : QStringLiteral("font: ") + run.problem;
    }
    if (out_.hasImport) {
        ImportRun run;
        if (!ConvertImportImages(ImportArgs(Sources()), &run, true))
            return QStringLiteral("import: ") + run.problem;
    }
    QString error;
    if (!out_.templateName.isEmpty() && !LoadTemplate(TemplateArg(), &error))
        return error;
    if (out_.sheet > 0 && (!out_.templateName.isEmpty() || &FormatForPath(Path()) != &Format("png")))
        return QStringLiteral("sheet is for a PNG sprite sheet");
    return QString();
}

QByteArray BuildOutput::Digest(QString* error) const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayLiteral("tobrin build 1\n"));
    hash.addData(out_.canonical);
    if (!out_.templateName.isEmpty()) {
        const std::optional<QString> text = LoadTemplateText(TemplateArg(), error);
        if (!text)
            return QByteArray();
        hash.addData(QByteArrayLiteral("\ntemplate\n"));
        hash.addData(text->toUtf8());
    }
    for (const QString& source : Sources()) {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("%1: %2").arg(source, file.errorString());
            return QByteArray();
        }
        hash.addData(QByteArrayLiteral("\nsource\n"));
        hash.addData(source.toUtf8());
        hash.addData(QByteArray::number(file.size()) + '\n');
        if (!hash.addData(&file)) {
            *error = QStringLiteral("%1: %2").arg(source, file.errorString());
            return QByteArray();
        }
    }
    return hash.result().toHex();
}

QString BuildOutput::WriteSet(const MonoSet& set) const
{
    ExportOptions options;
    options.order = ByteOrderFromName(out_.order.isEmpty() ? QStringLiteral("msb") : out_.order).value();
    options.name = out_.name;
    options.rle = out_.rle || out_.rleRows;
    options.rleRows = out_.rleRows;
    options.sheetColumns = out_.sheet;
    options.templateName = TemplateArg();
    QString why;
    if (!out_.templateName.isEmpty()) {
        const std::optional<OutputTemplate> tpl = LoadTemplate(options.templateName, &why);
        if (!tpl || !WriteTemplateFile(Path(), *tpl, set, options, &why))
            return why;
        return QString();
    }
    const FileFormat& format = FormatForPath(Path());
    if (set.Count() > 1 && !format.encodeSet)
        return QStringLiteral("%1 holds one picture and the sources make %2 frames")
            .arg(QLatin1String(format.description))
            .arg(set.Count());
    if (!WritePictureSetFile(Path(), set, options, &why))
        return why;
    return QString();
}

QString BuildOutput::Build() const
{
    // An output's folder is made for it, as a build system makes its own.
    const QString dir = QFileInfo(Path()).path();
    if (!QDir().mkpath(dir))
        return QStringLiteral("%1: the folder cannot be made").arg(dir);
    if (out_.hasFont) {
        const FontRun run = MakeFontFile(FontArgs());
        if (run.problem.isEmpty())
            return QString();
        return run.file.isEmpty() ? run.problem : QStringLiteral("%1: %2").arg(run.file, run.problem);
    }
    const auto importFailed = [](const ImportRun& run) {
        return run.file.isEmpty() ? run.problem : QStringLiteral("%1: %2").arg(run.file, run.problem);
    };
    if (out_.hasImport) {
        ImportRun run;
        const std::optional<MonoSet> set = ConvertImportImages(ImportArgs(Sources()), &run);
        return set ? WriteSet(*set) : importFailed(run);
    }
    // Pictures in the program's formats are read as they are; an image that
    // is not black and white is converted as the import converts it.
    MonoSet all;
    for (const QString& source : Sources()) {
        QString why;
        std::optional<MonoSet> set = ReadPictureSetFile(source, ReadOptions(), &why);
        if (!set && !QImageReader::imageFormat(source).isEmpty()) {
            ImportRun run;
            set = ConvertImportImages(ImportArgs({source}), &run);
            if (!set)
                return importFailed(run);
        }
        if (!set)
            return QStringLiteral("%1: %2").arg(source, why);
        if (!all.frames.empty() && (set->frames.front().width != all.frames.front().width ||
                                    set->frames.front().height != all.frames.front().height))
            return QStringLiteral("%1 is %2 x %3 and the sources before it %4 x %5; a set's frames are of one size")
                .arg(source)
                .arg(set->frames.front().width)
                .arg(set->frames.front().height)
                .arg(all.frames.front().width)
                .arg(all.frames.front().height);
        if (all.Count() + set->Count() > MonoSet::kMaxFrames)
            return QStringLiteral("the sources make more than %1 frames").arg(MonoSet::kMaxFrames);
        all.frames.insert(all.frames.end(), set->frames.begin(), set->frames.end());
        all.delays.insert(all.delays.end(), set->delays.begin(), set->delays.end());
    }
    return WriteSet(all);
}

}  // namespace tobrin
