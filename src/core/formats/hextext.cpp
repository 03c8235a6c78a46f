#include "core/formats.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <string>
#include <string_view>

#include "core/formatdetail.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"

// The editor's own file: ".db" lines of hex values, as Save writes them.

namespace tobrin {

using namespace detail;

namespace {

QByteArray HexFileText(const MonoPicture& p)
{
    PictureData d;
    p.ToPlane(d.PicData.data());
    d.MaxX = p.width - 1;
    d.MaxY = p.height - 1;
    // As Save writes it: the text, then one more line end.
    const std::string text = HexText(d) + "\r\n";
    return QByteArray(text.data(), qsizetype(text.size()));
}

MonoPicture FromHex(const HexPicture& hex)
{
    MonoPicture p = Blank(hex.width, hex.height);
    const int perRow = (hex.width + 7) / 8;
    // Bits of the last byte beyond the width land right of the picture, as
    // Open puts them.
    for (int y = 0; y < hex.height; ++y)
        for (int k = 0; k < perRow; ++k)
            for (int b = 0; b < 8; ++b)
                p.At(8 * k + b, y) = std::uint8_t((hex.rowBytes[std::size_t(y)][std::size_t(k)] >> (7 - b)) & 1);
    return p;
}


// Hex text read from a file that holds an image: say so, as the import
// reads such files.
QString NotHexText(const QString& path, const QString& why, const ReadOptions& options)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return why;
    const QByteArray format = QImageReader::imageFormat(&file);
    if (format.isEmpty())
        return why;
    QString said = QStringLiteral("a %1 image, not a picture's text").arg(QString::fromLatin1(format.toUpper()));
    if (!options.convertHint.isEmpty())
        said += QStringLiteral("; ") + options.convertHint;
    return said;
}

std::optional<MonoPicture> ReadHexFile(const QString& path, const ReadOptions& options, QString* error)
{
    QString why;
    if (const std::optional<HexPicture> hex = ReadHexPath(path, &why))
        return FromHex(*hex);
    if (error)
        *error = why.startsWith(QLatin1String("no line begins")) ? NotHexText(path, why, options) : why;
    return std::nullopt;
}

std::optional<QByteArray> EncodeHex(const MonoPicture& picture, const ExportOptions&, const QString&, QString*)
{
    return HexFileText(picture);
}

std::optional<MonoPicture> DecodeHex(const QByteArray& data, const ReadOptions&, QString* error)
{
    QByteArray copy = data;
    QBuffer buffer(&copy);
    if (const std::optional<HexPicture> hex = ReadHexData(buffer, error))
        return FromHex(*hex);
    return std::nullopt;
}

// ---- sets ----------------------------------------------------------------------------

// A line of a set file: where it starts in the data and its text without the
// line end. Lines end at CR or CR LF, as the picture reader ends them.
struct TextLine {
    qsizetype start;
    std::string_view text;
};

// "walk_0:" alone on its line (blanks and a ";" comment may follow): an
// assembler label, which starts a frame.
bool IsLabel(std::string_view line)
{
    std::size_t i = 0;
    if (line.empty() || !IsIdentStart(line[0]))
        return false;
    while (i < line.size() && IsIdentChar(line[i]))
        ++i;
    if (i == line.size() || line[i] != ':')
        return false;
    for (++i; i < line.size() && line[i] != ';'; ++i)
        if (line[i] != ' ' && line[i] != '\t')
            return false;
    return true;
}

// "; delay 120 ms": the frame's delay; -1 for any other line, -2 for a
// delay comment whose number is out of range.
int DelayComment(std::string_view line)
{
    static const QRegularExpression delay(QStringLiteral("^\\s*;\\s*delay\\s+(\\d{1,9})\\s*ms\\s*$"));
    if (line.size() > 64)
        return -1;
    const QRegularExpressionMatch m = delay.match(QString::fromLatin1(line.data(), qsizetype(line.size())));
    if (!m.hasMatch())
        return -1;
    const int ms = m.captured(1).toInt();
    return ms >= 1 && ms <= MonoSet::kMaxDelay ? ms : -2;
}

// The picture reader's words with the file's own line numbers: its "line 3"
// in the frame starting at line 40 is line 42.
QString InFile(const QString& why, int frame, int firstLine)
{
    static const QRegularExpression numbered(QStringLiteral("^line (\\d+)"));
    const QRegularExpressionMatch m = numbered.match(why);
    if (m.hasMatch())
        return QStringLiteral("line %1 (frame %2)").arg(m.captured(1).toInt() + firstLine - 1).arg(frame)
            + why.mid(m.capturedLength());
    return QStringLiteral("frame %1 at line %2: %3").arg(frame).arg(firstLine).arg(why);
}

// Frames under labels, each read by the picture reader; a text without
// labels is a set of one, read exactly as a picture.
std::optional<MonoSet> DecodeHexSet(const QByteArray& data, const ReadOptions& options, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<MonoSet> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    std::vector<TextLine> labels;
    int lineNumber = 0;
    std::vector<int> labelLines;
    const char* s = data.constData();
    const qsizetype n = data.size();
    for (qsizetype at = 0; at < n;) {
        qsizetype end = at;
        while (end < n && s[end] != '\r')
            ++end;
        ++lineNumber;
        const std::string_view text(s + at, std::size_t(end - at));
        if (IsLabel(text)) {
            if (int(labels.size()) == MonoSet::kMaxFrames)
                return fail(QStringLiteral("line %1: more than %2 frames").arg(lineNumber).arg(MonoSet::kMaxFrames));
            labels.push_back({at, text});
            labelLines.push_back(lineNumber);
        } else if (labels.empty() && text.size() >= 3 && text.substr(0, 3) == ".db") {
            break;  // a picture before any label: the file is a single picture
        }
        at = end + (end + 1 < n && s[end + 1] == '\n' ? 2 : 1);
    }
    if (labels.empty()) {
        std::optional<MonoPicture> picture = DecodeHex(data, options, error);
        return picture ? std::optional<MonoSet>(MonoSet::Of(*picture)) : std::nullopt;
    }
    MonoSet set;
    set.frames.reserve(labels.size());
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const int frame = int(i);
        const qsizetype from = labels[i].start;
        const qsizetype to = i + 1 < labels.size() ? labels[i + 1].start : n;
        const QByteArray block = data.mid(from, to - from);
        QString why;
        const std::optional<MonoPicture> picture = DecodeHex(block, options, &why);
        if (!picture)
            return fail(InFile(why, frame, labelLines[i]));
        if (!set.frames.empty() && (picture->width != set.frames[0].width || picture->height != set.frames[0].height))
            return fail(QStringLiteral("line %1: frame %2 is %3 x %4 but frame 0 is %5 x %6; a set's frames are of "
                                       "one size")
                            .arg(labelLines[i])
                            .arg(frame)
                            .arg(picture->width)
                            .arg(picture->height)
                            .arg(set.frames[0].width)
                            .arg(set.frames[0].height));
        // The delay: a comment line between the label and the picture.
        int delay = MonoSet::kDefaultDelay;
        qsizetype at = from;
        for (int line = labelLines[i]; at < to; ++line) {
            qsizetype end = at;
            while (end < to && s[end] != '\r')
                ++end;
            const std::string_view text(s + at, std::size_t(end - at));
            if (text.size() >= 3 && text.substr(0, 3) == ".db")
                break;
            const int said = DelayComment(text);
            if (said == -2)
                return fail(QStringLiteral("line %1: a delay is 1..%2 ms").arg(line).arg(MonoSet::kMaxDelay));
            if (said > 0)
                delay = said;
            at = end + (end + 1 < to && s[end + 1] == '\n' ? 2 : 1);
        }
        set.frames.push_back(*picture);
        set.delays.push_back(delay);
    }
    return set;
}

std::optional<QByteArray> EncodeHexSet(const MonoSet& set, const ExportOptions& options, const QString&, QString*)
{
    // As Save writes it: the text, then one more line end.
    const std::string text = HexSetString(set, options.name) + "\r\n";
    return QByteArray(text.data(), qsizetype(text.size()));
}

}  // namespace

extern const FileFormat kHexTextFormat = {
    "hex", "Hex values", "db txt c", true, true, 0u, EncodeHex, DecodeHex, "anything else the hex text",
    ReadHexFile, "txt", "Hex text", false, nullptr, EncodeHexSet, DecodeHexSet,
};

}  // namespace tobrin
