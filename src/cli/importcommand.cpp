#include "cli/importcommand.h"

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

namespace tobrin {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: tobrin import IMAGE -o OUT [--threshold N] [--components rgb|rg|rb|gb|r|g|b]\n"
    "                     [--invert] [--size WxH] [--aspect|--no-aspect] [--no-match-size]\n"
    "                     [--dither none|fs|atkinson|bayer4|bayer8] [--order msb|lsb|pages] [--name NAME]\n"
    "                     [--full-resolution] [--in-place]\n";

int Usage(const QString& problem)
{
    // The formats' list is made from their entries.
    const QString text = QStringLiteral("OUT's extension picks its format as for export: ") + FormatSuffixList()
        + QStringLiteral(". OUT may be IMAGE itself only with --in-place. --full-resolution converts from the "
                         "image itself rather than its display copy (at most about 200 x 100).");
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
    QString image;
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

std::optional<QSize> ParseSize(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,4})[xX](\\d{1,4})$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto w = ParseInt(match.captured(1), ImportPipeline::kHSizeMin, ImportPipeline::kHSizeMax);
    const auto h = ParseInt(match.captured(2), ImportPipeline::kVSizeMin, ImportPipeline::kVSizeMax);
    if (!w || !h)
        return std::nullopt;
    return QSize(*w, *h);
}

// Fills *request from args; returns an error text for bad usage.
QString ParseArguments(const QStringList& args, ImportRequest* request)
{
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        QString arg = args.at(i);
        QString value;
        bool hasValue = false;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('='))) {
            const int eq = arg.indexOf(QLatin1Char('='));
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
            hasValue = true;
        }
        const auto takeValue = [&](QString* out) {
            if (hasValue) {
                *out = value;
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            *out = args.at(++i);
            return true;
        };
        const auto noValue = [&] { return !hasValue; };

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
    if (positional.size() != 1)
        return QStringLiteral("give exactly one IMAGE");
    request->image = positional.first();
    if (request->output.isEmpty())
        return QStringLiteral("-o OUT is required");
    if (!request->inPlace && SameFile(request->image, request->output))
        return QStringLiteral("-o %1 names the input file; give --in-place to replace it").arg(request->output);
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

int RunImportCommand(const QStringList& args)
{
    ImportRequest request;
    const QString problem = ParseArguments(args, &request);
    if (!problem.isEmpty())
        return Usage(problem);

    ImportPipeline pipeline;
    ImageLoader loader;
    QString error;
    pipeline.BeginLoad();
    if (!pipeline.FinishLoad(request.image, loader, &error))
        return ImportFailed(request.image, error);
    ApplyImportOptions(pipeline, request);

    PictureData decl;
    pipeline.GetImport(decl);

    // The cells outside the imported size are clear, so every format,
    // the hex text included, holds just the picture.
    const MonoPicture picture = MonoPicture::FromPlane(decl.PicData.data(), decl.Width(), decl.Height());
    if (!WritePictureFile(request.output, picture, request.writing, &error))
        return ImportFailed(request.output, error);
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
