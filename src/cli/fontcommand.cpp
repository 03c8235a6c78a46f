#include "cli/fontcommand.h"
#include "cli/optionarg.h"

#include <QRegularExpression>
#include <QSize>
#include <cstdio>
#include <optional>

#include "cli/importcommand.h"
#include "core/formats.h"
#include "core/outputtemplate.h"
#include "core/pixelfont.h"
#include "core/regularfile.h"

namespace tobrin {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// The largest grid side a cut is given in, as for the import's sheets.
constexpr int kMaxCutPixels = 99999;

const char kFontUsage[] =
    "usage: tobrin font SOURCE -o FONT [--size PX] [--chars LIST] [--threshold N] [--name NAME]\n"
    "                  [--order msb|lsb|pages] [--frames COLUMNSxROWS|--frame-size WxH]\n"
    "                  [--margin N] [--spacing N] [--gap N] [--template NAME|FILE]\n";
const char kTextUsage[] =
    "usage: tobrin text LABEL -o OUT [--font FONT] [--size PX] [--order msb|lsb|pages] [--name NAME]\n";

int Usage(const char* command, const QString& problem)
{
    const bool font = qstrcmp(command, "font") == 0;
    const QString text = font
        ? QStringLiteral("SOURCE is an outline font (.ttf, .otf, .ttc, .pfb, .pfa, .woff: drawn by FreeType at "
                         "--size pixels, 4 to 120, 12 when not given, without grey unless --threshold cuts a grey "
                         "drawing), a BDF font, a font in one of the forms FONT takes, or a picture of glyphs in a "
                         "grid cut by --frames or --frame-size (--threshold its brightness cut, each glyph's "
                         "advance its rightmost pixel + 1 + --gap). --chars picks the characters: single "
                         "characters, decimal codes, U+XXXX and ranges such as 32-126 (the default for outline "
                         "fonts and grids) or 0-9. FONT's extension picks its form: .db or .txt hex text, .c or "
                         ".h C arrays, .bdf, .png; --template writes it through an output template instead (its "
                         "{#frames} block once a glyph, with {char}, {code} and {advance}).")
        : QStringLiteral("Draws LABEL on one line into a picture one glyph cell high and just wide enough (at most "
                         "240 pixels), written to OUT in the format its extension picks, as export. FONT is a "
                         "built-in font (") + BuiltInFontNames().join(QStringLiteral(", "))
            + QStringLiteral("; 5x7 when not given) or a font file as tobrin font reads it; --size is for an "
                             "outline font.");
    std::fprintf(stderr, "tobrin %s: %s\n%s%s", command, qPrintable(problem), font ? kFontUsage : kTextUsage,
                 qPrintable(WrapWords(text, 2)));
    return kExitUsage;
}

int Failed(const char* command, const QString& file, const QString& cause)
{
    std::fprintf(stderr, "tobrin %s: %s: %s\n", command, qPrintable(file), qPrintable(cause));
    return kExitFailure;
}

void WarnMissing(const char* command, const QString& source, const QStringList& missing)
{
    if (missing.isEmpty())
        return;
    std::fprintf(stderr, "tobrin %s: warning: %s lacks %d character(s), left out: %s\n", command,
                 qPrintable(source), int(missing.size()), qPrintable(missing.join(QStringLiteral(", "))));
}

std::optional<int> ParseInt(const QString& text, int low, int high)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

std::optional<QSize> ParsePair(const QString& text, int high)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto w = ParseInt(match.captured(1), 1, high);
    const auto h = ParseInt(match.captured(2), 1, high);
    if (!w || !h)
        return std::nullopt;
    return QSize(*w, *h);
}

// What both commands take.
struct Request {
    QString input;  // SOURCE or LABEL
    bool haveInput = false;
    QString output;
    QString font;
    FontSourceOptions source;
    ByteOrder order = ByteOrder::Msb;
    QString name;
    QString templateName;
    bool haveSize = false;
};

// Fills *request from args; returns an error text for bad usage. The grid's
// options and --chars are font's alone.
QString ParseArguments(const QStringList& args, bool fontCommand, Request* request)
{
    QStringList cutBy;
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        OptionArg option(args, &i, !optionsEnded);
        const QString arg = option.Name();
        const auto take = [&option](QString* out) { return option.Take(out); };
        QString text;
        std::optional<int> n;
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg.size() == 1) {
            if (request->haveInput)
                return QStringLiteral("unexpected argument %1").arg(arg);
            request->input = arg;
            request->haveInput = true;
        } else if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
            if (!request->output.isEmpty())
                return QStringLiteral("only one output file");
            if (!take(&request->output) || request->output.isEmpty())
                return QStringLiteral("-o needs a file name");
        } else if (arg == QLatin1String("--size")) {
            // Checked by the font making, which names the range in its cause.
            if (!take(&text) || !(n = ParseInt(text, 1, 99999)))
                return QStringLiteral("--size takes a number of pixels, 4 to 120");
            request->source.pixelSize = *n;
            request->haveSize = true;
        } else if (arg == QLatin1String("--order")) {
            std::optional<ByteOrder> order;
            if (!take(&text) || !(order = ByteOrderFromName(text)))
                return QStringLiteral("--order takes msb, lsb or pages");
            request->order = *order;
        } else if (arg == QLatin1String("--name")) {
            if (!take(&request->name) || !IsCIdentifier(request->name))
                return QStringLiteral("--name takes a C identifier");
        } else if (!fontCommand && arg == QLatin1String("--font")) {
            if (!take(&request->font) || request->font.isEmpty())
                return QStringLiteral("--font takes a font file or a built-in font's name");
        } else if (fontCommand && arg == QLatin1String("--template")) {
            if (!take(&request->templateName) || request->templateName.isEmpty())
                return QStringLiteral("--template takes a template's name or file");
        } else if (fontCommand && arg == QLatin1String("--chars")) {
            if (!take(&request->source.chars) || request->source.chars.trimmed().isEmpty())
                return QStringLiteral("--chars takes a list of characters such as 32-126 or 0-9");
        } else if (fontCommand && arg == QLatin1String("--threshold")) {
            if (!take(&text) || !(n = ParseInt(text, 1, 255)))
                return QStringLiteral("--threshold takes a number from 1 to 255");
            request->source.threshold = *n;
            request->source.importThreshold = *n;
        } else if (fontCommand && arg == QLatin1String("--frames")) {
            std::optional<QSize> grid;
            if (!take(&text) || !(grid = ParsePair(text, MonoSet::kMaxFrames)))
                return QStringLiteral("--frames takes COLUMNSxROWS, each 1..1024");
            request->source.columns = grid->width();
            request->source.rows = grid->height();
            cutBy += arg;
        } else if (fontCommand && arg == QLatin1String("--frame-size")) {
            std::optional<QSize> size;
            if (!take(&text) || !(size = ParsePair(text, kMaxCutPixels)))
                return QStringLiteral("--frame-size takes WxH in pixels of the picture");
            request->source.cellWidth = size->width();
            request->source.cellHeight = size->height();
            cutBy += arg;
        } else if (fontCommand && (arg == QLatin1String("--margin") || arg == QLatin1String("--spacing") ||
                                   arg == QLatin1String("--gap"))) {
            if (!take(&text) || !(n = ParseInt(text, 0, kMaxCutPixels)))
                return QStringLiteral("%1 takes a number of pixels from 0 to %2").arg(arg).arg(kMaxCutPixels);
            (arg == QLatin1String("--margin") ? request->source.margin
                 : arg == QLatin1String("--spacing") ? request->source.spacing
                                                     : request->source.gap) = *n;
        } else {
            return QStringLiteral("unknown option %1").arg(args.at(i));
        }
    }
    if (!request->haveInput)
        return fontCommand ? QStringLiteral("give a SOURCE font or picture") : QStringLiteral("give a LABEL");
    if (request->input.isEmpty())
        return fontCommand ? QStringLiteral("empty file name") : QStringLiteral("the LABEL is empty");
    if (request->output.isEmpty())
        return QStringLiteral("-o %1 is required").arg(fontCommand ? QStringLiteral("FONT") : QStringLiteral("OUT"));
    if (cutBy.size() > 1)
        return QStringLiteral("give one of --frames and --frame-size, once");
    if (fontCommand && SameFile(request->input, request->output))
        return QStringLiteral("-o %1 names the source itself").arg(request->output);
    if (!fontCommand && !request->font.isEmpty() && SameFile(request->font, request->output))
        return QStringLiteral("-o %1 names the font itself").arg(request->output);
    return QString();
}

}  // namespace

FontRun MakeFontFile(const QStringList& args, bool checkOnly)
{
    FontRun run;
    Request request;
    run.problem = ParseArguments(args, true, &request);
    run.output = request.output;
    run.input = request.input;
    if (!run.problem.isEmpty()) {
        run.usage = true;
        return run;
    }
    std::optional<OutputTemplate> tpl;
    if (!request.templateName.isEmpty() && !(tpl = LoadTemplate(request.templateName, &run.problem)))
        return run;
    if (checkOnly)
        return run;
    const auto failed = [&run](const QString& file, const QString& cause) {
        run.file = file;
        run.problem = cause;
        return run;
    };
    QString error;
    const std::optional<PixelFont> font = MakeFont(request.input, request.source, &run.missing, &error);
    if (!font)
        return failed(request.input, error);
    if (tpl) {
        ExportOptions options;
        options.order = request.order;
        options.name = request.name;
        options.templateName = request.templateName;
        if (!WriteTemplateFile(request.output, *tpl, *font, options, &error))
            return failed(request.output, error);
        return run;
    }
    FontWriteOptions writing;
    writing.order = request.order;
    writing.name = request.name;
    if (!WriteFontFile(request.output, *font, writing, &error))
        return failed(request.output, error);
    return run;
}

int RunFontCommand(const QStringList& args)
{
    const FontRun run = MakeFontFile(args);
    if (run.usage)
        return Usage("font", run.problem);
    if (!run.problem.isEmpty() && run.file.isEmpty()) {
        std::fprintf(stderr, "tobrin font: %s\n", qPrintable(run.problem));
        return kExitFailure;
    }
    if (!run.problem.isEmpty())
        return Failed("font", run.file, run.problem);
    WarnMissing("font", run.input, run.missing);
    return kExitOk;
}

int RunTextCommand(const QStringList& args)
{
    Request request;
    const QString problem = ParseArguments(args, false, &request);
    if (!problem.isEmpty())
        return Usage("text", problem);
    const QString fontName = request.font.isEmpty() ? QStringLiteral("5x7") : request.font;
    // An outline font is drawn for just the label's characters, whatever
    // they are; a bitmap font gives what it has.
    QStringList codes;
    for (uint code : request.input.toUcs4())
        codes += QStringLiteral("U+%1").arg(code, 4, 16, QLatin1Char('0')).toUpper();
    request.source.chars = codes.join(QLatin1Char(','));
    QString error;
    const std::optional<PixelFont> font = LoadFont(fontName, request.source, &error);
    if (!font)
        return Failed("text", fontName, error);
    QStringList missing;
    const std::optional<MonoPicture> picture = RenderText(*font, request.input, &missing, &error);
    if (!picture)
        return Failed("text", fontName, error);
    WarnMissing("text", fontName, missing);
    ExportOptions writing;
    writing.order = request.order;
    writing.name = request.name;
    if (!WritePictureFile(request.output, *picture, writing, &error))
        return Failed("text", request.output, error);
    return kExitOk;
}

}  // namespace tobrin
