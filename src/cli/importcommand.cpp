#include "cli/importcommand.h"
#include "cli/optionarg.h"

#include <QImage>
#include <QRegularExpression>
#include <cstdio>
#include <optional>

#include "cli/wmfrender.h"
#include "core/picturedata.h"
#include "core/regularfile.h"
#include "core/formats.h"
#include "core/hexwriter.h"
#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "core/savefile.h"
#include "core/setimport.h"

namespace tobrin {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: tobrin import IMAGE... -o OUT [--threshold N] [--components rgb|rg|rb|gb|r|g|b]\n"
    "                     [--invert] [--size WxH] [--aspect|--no-aspect] [--no-match-size]\n"
    "                     [--dither none|fs|atkinson|bayer4|bayer8] [--order msb|lsb|pages] [--name NAME]\n"
    "                     [--full-resolution] [--in-place]\n"
    "                     [--frames COLUMNSxROWS|--frame-size WxH] [--margin N] [--spacing N] [--skip-empty]\n";

int Usage(const QString& problem)
{
    // The formats' list is made from their entries.
    const QString text = QStringLiteral("OUT's extension picks its format as for export: ") + FormatSuffixList()
        + QStringLiteral(". OUT may be IMAGE itself only with --in-place. --full-resolution converts from the "
                         "image itself rather than its display copy (at most about 200 x 100). Several IMAGEs, "
                         "a sheet cut by --frames or --frame-size (with --margin round it and --spacing between "
                         "frames, read left to right, top to bottom; --skip-empty leaves out the empty cells at "
                         "its end) or an animated GIF make a set of frames, each converted alike, for a format "
                         "that holds sets: at most 1,024 frames, 64 million pixels an image and 128 million "
                         "pixels in all; an animated GIF's frames are at most 240 x 120.");
    std::fprintf(stderr, "tobrin import: %s\n%s%s", qPrintable(problem), kUsage, qPrintable(WrapWords(text, 2)));
    return kExitUsage;
}

// The file and what is wrong with it.
int ImportFailed(const QString& file, const QString& detail)
{
    std::fprintf(stderr, "File Import Error\ntobrin import: %s: %s\n", qPrintable(file), qPrintable(detail));
    return kExitFailure;
}

struct ImportRequest {
    QStringList images;
    SheetCut cut;
    QString output;
    ExportOptions writing;
    std::optional<int> threshold;
    std::optional<Components> components;
    bool invert = false;
    std::optional<QSize> size;
    std::optional<bool> aspect;
    bool noMatchSize = false;
    bool fullResolution = false;
    bool inPlace = false;
    Dither dither = Dither::None;
};

std::optional<int> ParseInt(const QString& text, int low, int high)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

std::optional<Components> ParseComponents(const QString& text)
{
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    Components c{false, false, false};
    for (const QChar ch : text.toLower()) {
        bool* slot = ch == QLatin1Char('r') ? &c.red : ch == QLatin1Char('g') ? &c.green
            : ch == QLatin1Char('b')        ? &c.blue
                                            : nullptr;
        if (!slot || *slot)
            return std::nullopt;
        *slot = true;
    }
    return c;
}

std::optional<QSize> ParseSize(const QString& text, int wLow = ImportPipeline::kHSizeMin,
                              int wHigh = ImportPipeline::kHSizeMax, int hLow = ImportPipeline::kVSizeMin,
                              int hHigh = ImportPipeline::kVSizeMax)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto w = ParseInt(match.captured(1), wLow, wHigh);
    const auto h = ParseInt(match.captured(2), hLow, hHigh);
    if (!w || !h)
        return std::nullopt;
    return QSize(*w, *h);
}

// The largest sheet side a cut is given in (any image the loader takes is
// narrower).
constexpr int kMaxCutPixels = 99999;

// Fills *request from args; returns an error text for bad usage.
QString ParseArguments(const QStringList& args, ImportRequest* request)
{
    QStringList positional;
    QStringList cutBy;
    for (int i = 0; i < args.size(); ++i) {
        OptionArg option(args, &i);
        const QString arg = option.Name();
        const bool hasValue = option.HasValue();
        const auto takeValue = [&option](QString* out) { return option.Take(out); };
        const auto noValue = [hasValue] { return !hasValue; };

        if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
            if (!request->output.isEmpty())
                return QStringLiteral("only one output file");
            if (!takeValue(&request->output) || request->output.isEmpty())
                return QStringLiteral("-o needs a file name");
        } else if (arg == QLatin1String("--threshold")) {
            QString text;
            if (!takeValue(&text) || !(request->threshold = ParseInt(text, ImportPipeline::kToleranceMin,
                                                                     ImportPipeline::kToleranceMax)))
                return QStringLiteral("--threshold takes a number from 1 to 255");
        } else if (arg == QLatin1String("--components")) {
            QString text;
            if (!takeValue(&text) || !(request->components = ParseComponents(text)))
                return QStringLiteral("--components takes letters r, g and b, each at most once");
        } else if (arg == QLatin1String("--size")) {
            QString text;
            if (!takeValue(&text) || !(request->size = ParseSize(text)))
                return QStringLiteral("--size takes WxH with W 8..240 and H 4..120: the import's width "
                                      "starts at 8; the editor's size fields make a picture narrower afterwards");
        } else if (arg == QLatin1String("--frames")) {
            QString text;
            std::optional<QSize> grid;
            if (!takeValue(&text) || !(grid = ParseSize(text, 1, MonoSet::kMaxFrames, 1, MonoSet::kMaxFrames)))
                return QStringLiteral("--frames takes COLUMNSxROWS, each 1..1024");
            request->cut.columns = grid->width();
            request->cut.rows = grid->height();
            cutBy += QStringLiteral("--frames");
        } else if (arg == QLatin1String("--frame-size")) {
            QString text;
            std::optional<QSize> size;
            if (!takeValue(&text) || !(size = ParseSize(text, 1, kMaxCutPixels, 1, kMaxCutPixels)))
                return QStringLiteral("--frame-size takes WxH in pixels of the sheet");
            request->cut.frameSize = *size;
            cutBy += QStringLiteral("--frame-size");
        } else if (arg == QLatin1String("--margin") || arg == QLatin1String("--spacing")) {
            QString text;
            std::optional<int> n;
            if (!takeValue(&text) || !(n = ParseInt(text, 0, kMaxCutPixels)))
                return QStringLiteral("%1 takes a number of pixels from 0 to %2").arg(arg).arg(kMaxCutPixels);
            (arg == QLatin1String("--margin") ? request->cut.margin : request->cut.spacing) = *n;
        } else if (arg == QLatin1String("--skip-empty") && noValue()) {
            request->cut.skipEmpty = true;
        } else if (arg == QLatin1String("--dither")) {
            QString text;
            std::optional<Dither> dither;
            if (!takeValue(&text) || !(dither = DitherFromName(text)))
                return QStringLiteral("--dither takes none, fs, atkinson, bayer4 or bayer8");
            request->dither = *dither;
        } else if (arg == QLatin1String("--order")) {
            QString text;
            std::optional<ByteOrder> order;
            if (!takeValue(&text) || !(order = ByteOrderFromName(text)))
                return QStringLiteral("--order takes msb, lsb or pages");
            request->writing.order = *order;
        } else if (arg == QLatin1String("--name")) {
            if (!takeValue(&request->writing.name) || !IsCIdentifier(request->writing.name))
                return QStringLiteral("--name takes a C identifier");
        } else if (arg == QLatin1String("--invert") && noValue()) {
            request->invert = true;
        } else if (arg == QLatin1String("--aspect") && noValue()) {
            request->aspect = true;
        } else if (arg == QLatin1String("--no-aspect") && noValue()) {
            request->aspect = false;
        } else if (arg == QLatin1String("--no-match-size") && noValue()) {
            request->noMatchSize = true;
        } else if (arg == QLatin1String("--full-resolution") && noValue()) {
            request->fullResolution = true;
        } else if (arg == QLatin1String("--in-place") && noValue()) {
            request->inPlace = true;
        } else if (arg == QLatin1String("--")) {
            positional += args.mid(i + 1);
            break;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return QStringLiteral("unknown option %1").arg(args.at(i));
        } else {
            positional += arg;
        }
    }
    if (positional.isEmpty())
        return QStringLiteral("give an IMAGE");
    if (cutBy.size() > 1)
        return QStringLiteral("give one of --frames and --frame-size, once");
    request->images = positional;
    if (request->output.isEmpty())
        return QStringLiteral("-o OUT is required");
    // A set replaces no input: its frames are read from all of them.
    if (request->inPlace && positional.size() > 1)
        return QStringLiteral("--in-place takes one IMAGE");
    for (const QString& image : positional)
        if (!request->inPlace && SameFile(image, request->output))
            return QStringLiteral("-o %1 names an input file; give --in-place to replace it").arg(request->output);
    return QString();
}

void ApplyImportOptions(ImportPipeline& pipeline, const ImportRequest& request)
{
    // As a user would set the controls after the Load, each click
    // converting as in the dialog.
    pipeline.SetFullResolution(request.fullResolution);
    if (request.components) {
        pipeline.SetRed(request.components->red);
        pipeline.SetGreen(request.components->green);
        pipeline.SetBlue(request.components->blue);
        pipeline.ConvertImage();
    }
    if (request.dither != Dither::None) {
        pipeline.SetDither(request.dither);
        pipeline.ConvertImage();
    }
    if (request.threshold)
        pipeline.SetTolerance(*request.threshold);
    if (request.invert) {
        pipeline.SetInvert(true);
        pipeline.ConvertImage();
    }
    if (request.noMatchSize || request.size) {
        pipeline.SetMatchSize(false);
        pipeline.ConvertImage();
    }
    if (request.size) {
        pipeline.SetHSize(request.size->width());
        pipeline.SetVSize(request.size->height());
    }
    if (request.aspect) {
        pipeline.SetAspect(*request.aspect);
        pipeline.ConvertImage();
    }
    // The redraw delay has expired by the time "Import" is pressed.
    pipeline.ConvertImage();
}

}  // namespace

QString WrapWords(const QString& text, int indent)
{
    const QString margin(indent, QLatin1Char(' '));
    QString out;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > 79) {
            out += margin + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return line.isEmpty() ? out : out + margin + line + QLatin1Char('\n');
}

std::optional<MonoSet> ConvertImportImages(const QStringList& args, ImportRun* run, bool checkOnly)
{
    ImportRequest request;
    const QString problem = ParseArguments(args, &request);
    run->output = request.output;
    run->writing = request.writing;
    if (!problem.isEmpty()) {
        run->usage = true;
        run->problem = problem;
        return std::nullopt;
    }
    const auto failed = [run](const QString& file, const QString& cause) {
        run->file = file;
        run->problem = cause;
        return std::nullopt;
    };
    if (checkOnly)
        return MonoSet();
    const ImageLoader loader;
    const QString& first = request.images.first();
    run->single = !(request.images.size() > 1 || !request.cut.Whole() || IsAnimatedGif(first));
    if (!run->single) {
        // Several images, a cut sheet or an animated GIF: the options are
        // settled on the first frame as soon as it is read, as on a loaded
        // picture, and every frame is converted alike.
        if (request.inPlace)
            return failed(first, QStringLiteral("a set of frames is not written in place"));
        const SettleSet settle = [&request](const QImage& firstFrame) {
            ImportPipeline pipeline;
            pipeline.Paste(firstFrame);
            ApplyImportOptions(pipeline, request);
            return pipeline;
        };
        SetImportError failure;
        std::optional<MonoSet> set = ReadAndConvertSet(request.images, request.cut, loader, settle, &failure);
        if (!set)
            return failed(failure.file, failure.cause);
        return set;
    }
    ImportPipeline pipeline;
    QString error;
    pipeline.BeginLoad();
    if (!pipeline.FinishLoad(first, loader, &error))
        return failed(first, error);
    ApplyImportOptions(pipeline, request);

    PictureData decl;
    pipeline.GetImport(decl);
    // The cells outside the imported size are clear, so every format,
    // the hex text included, holds just the picture.
    return MonoSet::Of(MonoPicture::FromPlane(decl.PicData.data(), decl.Width(), decl.Height()));
}

int RunImportCommand(const QStringList& args)
{
    ImportRun run;
    const std::optional<MonoSet> set = ConvertImportImages(args, &run);
    if (!set)
        return run.usage ? Usage(run.problem) : ImportFailed(run.file, run.problem);
    QString error;
    const bool written = run.single ? WritePictureFile(run.output, set->frames.front(), run.writing, &error)
                                    : WritePictureSetFile(run.output, *set, run.writing, &error);
    if (!written)
        return ImportFailed(run.output, error);
    return 0;
}

int RunWmfRenderChild(const QStringList& args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: tobrin --render-wmf IN OUT.png\n");
        return kExitUsage;
    }
    return RenderWmfToPng(args.at(0), args.at(1));
}

}  // namespace tobrin
