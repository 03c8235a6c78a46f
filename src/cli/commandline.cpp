#include "cli/commandline.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdio>
#include <optional>

#include "cli/importcommand.h"
#include "core/picturedata.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"
#include "core/savefile.h"

namespace tobrin {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kEditor = -1;

const char kUsage[] =
    "Usage:\n"
    "  tobrin                     start the editor\n"
    "  tobrin FILE                start the editor with the hex file FILE open\n"
    "  tobrin export FILE -o OUT [--device]\n"
    "                             write the hex file FILE to OUT: a PNG image with\n"
    "                             one pixel per picture pixel when OUT ends in .png\n"
    "                             (black and white, or the device's colours with\n"
    "                             --device), the hex text otherwise\n"
    "  tobrin import IMAGE -o OUT [--threshold N] [--components rgb|rg|rb|gb|r|g|b]\n"
    "                             [--invert] [--size WxH] [--aspect] [--no-match-size]\n"
    "                             convert an image to black and white and write it\n"
    "                             to OUT as a hex file\n"
    "  tobrin --help, -h          show this help\n"
    "  tobrin --version, -v       show the version\n";

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
    Print(stderr, QString::fromLatin1(kUsage));
    return kExitUsage;
}

// Picture colours of an exported image.
struct ExportColours {
    QRgb set;
    QRgb clear;
};
constexpr ExportColours kPlainColours{qRgb(0, 0, 0), qRgb(255, 255, 255)};
constexpr ExportColours kDeviceColours{qRgb(65, 64, 69), qRgb(125, 145, 120)};

std::optional<QByteArray> EncodePng(const PictureData& d, const ExportColours& colours)
{
    QImage image(d.Width(), d.Height(), QImage::Format_RGB32);
    for (int y = 0; y < d.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < d.Width(); ++x)
            line[x] = d.Pic(x, y) ? colours.set : colours.clear;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return std::nullopt;
    return bytes;
}

// "export FILE -o OUT [--device]"; args start after "export".
int RunExport(const QStringList& args)
{
    QString input;
    QString output;
    bool haveOutput = false;
    bool device = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
            if (i + 1 >= args.size())
                return UsageError(QStringLiteral("%1 needs a file name").arg(a));
            if (haveOutput)
                return UsageError(QStringLiteral("only one output file"));
            output = args.at(++i);
            haveOutput = true;
        } else if (a.startsWith(QLatin1String("--output="))) {
            if (haveOutput)
                return UsageError(QStringLiteral("only one output file"));
            output = a.mid(9);
            haveOutput = true;
        } else if (a == QLatin1String("--device")) {
            device = true;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return UsageError(QStringLiteral("unknown option %1").arg(a));
        } else if (input.isEmpty() && !a.isEmpty()) {
            input = a;
        } else {
            return UsageError(a.isEmpty() ? QStringLiteral("empty file name")
                                          : QStringLiteral("unexpected argument %1").arg(a));
        }
    }
    if (input.isEmpty())
        return UsageError(QStringLiteral("export needs a hex file to read"));
    if (!haveOutput || output.isEmpty())
        return UsageError(QStringLiteral("export needs -o OUT"));

    const std::optional<HexPicture> picture = ReadHexPath(input);
    if (!picture) {
        Print(stderr, QStringLiteral("File Import Error\n"));
        return kExitFailure;
    }
    PictureData d;
    UnpackHexPicture(*picture, d);

    QByteArray data;
    if (output.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        const std::optional<QByteArray> png = EncodePng(d, device ? kDeviceColours : kPlainColours);
        if (!png) {
            Print(stderr, QStringLiteral("Error writing file! Could not encode %1\n").arg(output));
            return kExitFailure;
        }
        data = *png;
    } else {
        // As Save writes it: the hex text, then one more line end.
        const std::string text = HexText(d) + "\r\n";
        data = QByteArray(text.data(), qsizetype(text.size()));
    }

    QString why;
    if (!WriteFileAtomically(output, data, &why)) {
        Print(stderr, QStringLiteral("Error writing file! %1: %2\n").arg(output, why));
        return kExitFailure;
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
    if (first == QLatin1String("--render-wmf"))
        return RunWmfRenderChild(rest);
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        Print(stdout, QString::fromLatin1(kUsage));
        return kExitOk;
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
