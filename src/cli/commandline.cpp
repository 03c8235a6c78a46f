#include "cli/commandline.h"
#include "cli/optionarg.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <optional>

#include "cli/buildcommand.h"
#include "cli/fontcommand.h"
#include "cli/importcommand.h"
#include "core/formats.h"
#include "core/outputtemplate.h"
#include "core/recoveryfile.h"
#include "core/regularfile.h"

namespace tobrin {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kEditor = -1;

// The help text; the formats' sentence is made from their entries.
const char kUsageHead[] =
    "Usage:\n"
    "  tobrin                     start the editor\n"
    "  tobrin FILE                start the editor with the picture FILE open\n"
    "  tobrin export FILE -o OUT [--order msb|lsb|pages] [--name NAME] [--device]\n"
    "                             [--input-order msb|lsb|pages] [--in-place]\n"
    "                             [--frame N] [--sheet COLUMNS] [--rle] [--rle-rows]\n"
    "  tobrin export FILE -o OUT --template NAME|FILE [--rle [--rle-rows]] [--name NAME]\n"
    "                             [--order msb|lsb|pages] [--frame N]\n"
    "                             write OUT through an output template: a built-in\n"
    "                             one (db, c, asm-labels, c-struct, xbm), the user's\n"
    "                             NAME.tpl in ~/.local/share/tobrin/templates, or a\n"
    "                             file (docs/templates.md); --rle compresses its\n"
    "                             {data}, --rle-rows each pixel row alone\n";
const char kUsageTail[] =
    "  tobrin import IMAGE... -o OUT [--threshold N] [--components rgb|rg|rb|gb|r|g|b]\n"
    "                             [--invert] [--size WxH] [--aspect] [--no-match-size]\n"
    "                             [--full-resolution] [--in-place]\n"
    "                             [--dither none|fs|atkinson|bayer4|bayer8]\n"
    "                             [--order msb|lsb|pages] [--name NAME]\n"
    "                             [--frames COLUMNSxROWS|--frame-size WxH]\n"
    "                             [--margin N] [--spacing N] [--skip-empty]\n"
    "                             convert an image to black and white and write it\n"
    "                             to OUT in the format its extension picks, as export;\n"
    "                             several images, a sheet cut into frames or an\n"
    "                             animated GIF make a set (at most 1,024 frames, 64\n"
    "                             million pixels an image, 128 million in all)\n"
    "  tobrin font SOURCE -o FONT [--size PX] [--chars LIST] [--threshold N]\n"
    "                             [--name NAME] [--order msb|lsb|pages]\n"
    "                             [--frames COLUMNSxROWS|--frame-size WxH]\n"
    "                             [--margin N] [--spacing N] [--gap N] [--template NAME]\n"
    "                             make a pixel font from an outline font (drawn\n"
    "                             by FreeType at PX pixels, 4 to 120), a BDF\n"
    "                             font, a font file or a picture of glyphs in a\n"
    "                             grid; FONT's extension picks its form: .db or\n"
    "                             .txt, .c or .h, .bdf, .png\n"
    "  tobrin text LABEL -o OUT [--font FONT] [--size PX] [--order msb|lsb|pages]\n"
    "                             [--name NAME]\n"
    "                             draw LABEL on one line in FONT (a font file, or\n"
    "                             the built-in 5x7 or 8x8) into a picture, written\n"
    "                             as export writes one\n"
    "  tobrin build [MANIFEST] [--jobs N] [--allow-outside] [--force]\n"
    "                             [--list-outputs|--list-depends]\n"
    "                             rebuild the outputs of a TOML manifest (tobrin.toml\n"
    "                             when not given) whose sources, settings or\n"
    "                             template changed, in parallel (docs/build.md)\n"
    "  tobrin --help, -h          show this help\n"
    "  tobrin --version, -v       show the version\n"
    "  tobrin --recover-list      list the copies of unsaved work kept for recovery:\n"
    "                             time, picture, frames, and whether an editor has it\n";

QString Usage()
{
    const QString sentence = QStringLiteral("convert the picture FILE to OUT; each is chosen by its extension: ")
        + FormatUsagePhrases()
        + QStringLiteral("; images are read only when they are black and white. --input-order names a C array's "
                         "order when its comment does not; OUT may be FILE itself only with --in-place. A set of frames (the hex "
                         "text's frames under labels NAME_0:, NAME_1:, ..., a C array set, a GIF animation) is "
                         "written whole to a format that holds one; --frame N writes only frame N (from 0). --rle writes a C array run-length compressed (docs/rle.md), every frame's "
                         "bytes as one stream, and says how much it saved; --rle-rows compresses each row alone");
    return QString::fromLatin1(kUsageHead) + WrapWords(sentence, 29) + QString::fromLatin1(kUsageTail);
}

void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

int UsageError(const QString& why)
{
    if (!why.isEmpty())
        Print(stderr, QStringLiteral("tobrin: %1\n").arg(why));
    Print(stderr, Usage());
    return kExitUsage;
}

// One line a copy in the recovery folder; an unreadable copy is listed
// with the reason, as the editor would report it.
int RunRecoverList()
{
    const QString folder = RecoveryFolder();
    const QStringList copies = RecoveryCopies(folder);
    if (copies.isEmpty()) {
        Print(stdout, QStringLiteral("No recovery copies in %1\n").arg(folder));
        return kExitOk;
    }
    for (const QString& path : copies) {
        const QString user = HeldByRunningEditor(path) ? QStringLiteral("in use by a running editor")
                                                       : QStringLiteral("left by an editor that ended");
        QString why;
        const std::optional<RecoveryCopy> copy = ReadRecoveryCopy(path, &why);
        if (!copy) {
            Print(stdout, QStringLiteral("%1: unreadable: %2; %3\n").arg(path, why, user));
            continue;
        }
        const QString name = copy->header.fileName.isEmpty() ? QStringLiteral("Untitled") : copy->header.fileName;
        Print(stdout, QStringLiteral("%1  %2  %3 frame(s)  %4  %5\n")
                          .arg(RecoveryTimeText(copy->header.time), name)
                          .arg(copy->set.Count())
                          .arg(user, path));
    }
    return kExitOk;
}

// "export FILE -o OUT [--order ORDER] [--name NAME] [--input-order ORDER]
// [--device] [--in-place] [--frame N] [--sheet COLUMNS]"; args start after
// "export".
int RunExport(const QStringList& args)
{
    QString input;
    QString output;
    bool haveOutput = false;
    ExportOptions options;
    ReadOptions reading;
    reading.convertHint = QStringLiteral("tobrin import converts it");
    bool inPlace = false;
    int frame = -1;
    for (int i = 0; i < args.size(); ++i) {
        OptionArg option(args, &i);
        const QString a = option.Name();
        const bool hasValue = option.HasValue();
        QString value;
        const auto takeValue = [&option, &value] { return option.Take(&value); };
        if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
            if (!takeValue())
                return UsageError(QStringLiteral("%1 needs a file name").arg(a));
            if (haveOutput)
                return UsageError(QStringLiteral("only one output file"));
            output = value;
            haveOutput = true;
        } else if (a == QLatin1String("--order") || a == QLatin1String("--input-order")) {
            std::optional<ByteOrder> order;
            if (!takeValue() || !(order = ByteOrderFromName(value)))
                return UsageError(QStringLiteral("%1 takes msb, lsb or pages").arg(a));
            if (a == QLatin1String("--order"))
                options.order = *order;
            else
                reading.cOrder = order;
        } else if (a == QLatin1String("--name")) {
            if (!takeValue() || !IsCIdentifier(value))
                return UsageError(QStringLiteral("--name takes a C identifier"));
            options.name = value;
        } else if (a == QLatin1String("--frame") || a == QLatin1String("--sheet")) {
            bool number = false;
            const int n = takeValue() ? value.toInt(&number) : -1;
            const bool isFrame = a == QLatin1String("--frame");
            if (!number || n < (isFrame ? 0 : 1) || n > MonoSet::kMaxFrames)
                return UsageError(isFrame ? QStringLiteral("--frame takes a frame number from 0")
                                          : QStringLiteral("--sheet takes a number of columns from 1"));
            (isFrame ? frame : options.sheetColumns) = n;
        } else if (a == QLatin1String("--template")) {
            if (!takeValue() || value.isEmpty())
                return UsageError(QStringLiteral("--template takes a template's name or file"));
            options.templateName = value;
        } else if ((a == QLatin1String("--rle") || a == QLatin1String("--rle-rows")) && !hasValue) {
            options.rle = true;
            options.rleRows = options.rleRows || a == QLatin1String("--rle-rows");
        } else if (a == QLatin1String("--device") && !hasValue) {
            options.deviceColours = true;
        } else if (a == QLatin1String("--in-place") && !hasValue) {
            inPlace = true;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return UsageError(QStringLiteral("unknown option %1").arg(args.at(i)));
        } else if (input.isEmpty() && !a.isEmpty()) {
            input = a;
        } else {
            return UsageError(a.isEmpty() ? QStringLiteral("empty file name")
                                          : QStringLiteral("unexpected argument %1").arg(a));
        }
    }
    if (input.isEmpty())
        return UsageError(QStringLiteral("export needs a picture file to read"));
    if (!haveOutput || output.isEmpty())
        return UsageError(QStringLiteral("export needs -o OUT"));

    if (!inPlace && SameFile(input, output))
        return UsageError(QStringLiteral("-o %1 names the input file; give --in-place to replace it").arg(output));

    if (!options.templateName.isEmpty() && (options.sheetColumns > 0 || options.deviceColours))
        return UsageError(QStringLiteral("--template writes text; --sheet and --device are for PNG"));
    if (options.sheetColumns > 0 && options.templateName.isEmpty() && &FormatForPath(output) != &Format("png"))
        return UsageError(QStringLiteral("--sheet is for a PNG sprite sheet"));

    if (options.rle && &FormatForPath(output) != &Format("c") && options.templateName.isEmpty())
        return UsageError(QStringLiteral("--rle is for a C array (.c or .h) or a template"));

    QString problem;
    std::optional<MonoSet> set = ReadPictureSetFile(input, reading, &problem);
    if (!set) {
        Print(stderr, QStringLiteral("File Import Error\ntobrin export: %1: %2\n").arg(input, problem));
        return kExitFailure;
    }
    if (frame >= set->Count()) {
        Print(stderr, QStringLiteral("tobrin export: %1: it has %2 frame(s); --frame takes 0..%3\n")
                          .arg(input)
                          .arg(set->Count())
                          .arg(set->Count() - 1));
        return kExitFailure;
    }
    if (frame >= 0)
        *set = MonoSet{{set->frames[std::size_t(frame)]}, {set->delays[std::size_t(frame)]}};
    QString why;
    if (!options.templateName.isEmpty()) {
        // The template decides the text, whatever OUT's extension.
        const std::optional<OutputTemplate> tpl = LoadTemplate(options.templateName, &why);
        if (!tpl) {
            Print(stderr, QStringLiteral("tobrin export: %1\n").arg(why));
            return kExitFailure;
        }
        if (!WriteTemplateFile(output, *tpl, *set, options, &why)) {
            Print(stderr, QStringLiteral("tobrin export: %1: %2\n").arg(output, why));
            return kExitFailure;
        }
        return kExitOk;
    }
    const FileFormat& format = FormatForPath(output);
    if (set->Count() > 1 && !format.encodeSet) {
        Print(stderr, QStringLiteral("tobrin export: %1: %2 holds one picture and %3 has %4 frames; choose one with "
                                     "--frame N\n")
                          .arg(output, QLatin1String(format.description), input)
                          .arg(set->Count()));
        return kExitFailure;
    }
    if (!WritePictureSetFile(output, *set, options, &why)) {
        Print(stderr, QStringLiteral("Error writing file! %1: %2\n").arg(output, why));
        return kExitFailure;
    }
    if (options.rle) {
        const qsizetype raw = PackedBytes(set->frames.front(), options.order).size() * set->Count();
        const qsizetype packed = RlePackedFrames(*set, options.order, options.rleRows).size();
        Print(stdout, QStringLiteral("%1: %2 bytes -> %3 bytes (%4%)\n")
                          .arg(options.name.isEmpty() ? CNameFromPath(output) : options.name)
                          .arg(raw)
                          .arg(packed)
                          .arg(qRound(100.0 * double(packed) / double(raw))));
    }
    return kExitOk;
}

}  // namespace

int RunCommandLine(const QStringList& args, QString* openPath)
{
    if (openPath)
        openPath->clear();
    if (args.size() <= 1)
        return kEditor;

    const QString& first = args.at(1);
    const QStringList rest = args.mid(2);
    if (first == QLatin1String("export"))
        return RunExport(rest);
    if (first == QLatin1String("import"))
        return RunImportCommand(rest);
    if (first == QLatin1String("font"))
        return RunFontCommand(rest);
    if (first == QLatin1String("build"))
        return RunBuildCommand(rest);
    if (first == QLatin1String("text"))
        return RunTextCommand(rest);
    if (first == QLatin1String("--render-wmf"))
        return RunWmfRenderChild(rest);
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        Print(stdout, Usage());
        return kExitOk;
    }
    if (first == QLatin1String("--recover-list")) {
        if (!rest.isEmpty())
            return UsageError(QStringLiteral("--recover-list takes nothing more"));
        return RunRecoverList();
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        Print(stdout, QStringLiteral("Tobrin " TOBRIN_VERSION "\n"));
        return kExitOk;
    }
    // "--" ends the options, so a file whose name starts with "-" can be opened.
    QStringList files = args.mid(1);
    if (first == QLatin1String("--"))
        files.removeFirst();
    else if (first.startsWith(QLatin1Char('-')))
        return UsageError(QStringLiteral("unknown option %1").arg(first));
    if (files.isEmpty())
        return kEditor;
    if (files.size() > 1)
        return UsageError(QStringLiteral("only one file can be opened"));
    if (files.first().isEmpty())
        return UsageError(QStringLiteral("empty file name"));
    if (openPath)
        *openPath = files.first();
    return kEditor;
}

}  // namespace tobrin
