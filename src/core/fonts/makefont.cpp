// Fonts made from any source (outline fonts, the font forms, pictures of
// glyphs in a grid), the built-in fonts, and loading a font by name.
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <mutex>

#include "core/fonts/makinghelp.h"
#include "core/imageloader.h"
#include "core/pixelfont.h"
#include "core/regularfile.h"
#include "core/setimport.h"

namespace tobrin {

namespace {

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

bool IsFontForm(const QString& suffix)
{
    static const QStringList kForms = {QStringLiteral("db"), QStringLiteral("txt"), QStringLiteral("c"),
                                       QStringLiteral("h"), QStringLiteral("bdf")};
    return kForms.contains(suffix);
}

bool IsImage(const QString& suffix)
{
    static const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    return formats.contains(suffix.toLatin1());
}

bool HasCut(const FontSourceOptions& o) { return o.columns > 0 || o.rows > 0 || o.cellWidth > 0 || o.cellHeight > 0; }

// The glyphs of font that the chars ask for (all of them for no chars).
std::optional<PixelFont> Select(PixelFont font, const QString& chars, QStringList* missing, QString* error)
{
    if (chars.trimmed().isEmpty())
        return font;
    const std::optional<std::vector<char32_t>> codes = ParseCharList(chars, error);
    if (!codes)
        return std::nullopt;
    std::vector<Glyph> kept;
    QStringList lacking;
    for (char32_t code : *codes) {
        if (const Glyph* g = font.Find(code))
            kept.push_back(*g);
        else
            lacking.append(GlyphName(code));
    }
    if (missing)
        *missing = lacking;
    if (kept.empty()) {
        Fail(error, QStringLiteral("the font has none of the characters asked for"));
        return std::nullopt;
    }
    font.glyphs = std::move(kept);
    return font;
}

// The chosen characters of a BDF font, which may hold thousands more than a
// font here can (X11's fonts do).
std::optional<PixelFont> BdfChars(const QString& path, const QString& chars, QStringList* missing, QString* error)
{
    const std::optional<std::vector<char32_t>> codes = ParseCharList(chars, error);
    if (!codes)
        return std::nullopt;
    QFile file(path);
    if (!OpenRegularFile(file, error))
        return std::nullopt;
    const QByteArray data = file.read(kMaxFileBytes + 1);
    if (data.size() > kMaxFileBytes) {
        Fail(error, QStringLiteral("larger than %1 MB").arg(kMaxFileBytes >> 20));
        return std::nullopt;
    }
    std::optional<PixelFont> font = DecodeBdfChars(data, *codes, error);
    if (!font)
        return std::nullopt;
    return Select(std::move(*font), chars, missing, error);
}

// A glyph's advance in a grid: its rightmost set pixel + 1 + gap, within the cell.
int GridAdvance(const MonoPicture& bitmap, int gap)
{
    int rightmost = -1;
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = bitmap.width - 1; x > rightmost; --x)
            if (bitmap.At(x, y)) {
                rightmost = x;
                break;
            }
    return std::clamp(rightmost + 1 + gap, 0, bitmap.width);
}

}  // namespace

std::optional<std::vector<char32_t>> ChosenChars(const QString& list, QString* error)
{
    if (!list.trimmed().isEmpty())
        return ParseCharList(list, error);
    std::vector<char32_t> ascii;
    for (char32_t c = 32; c <= 126; ++c)
        ascii.push_back(c);
    return ascii;
}

// The picture's cells hold the glyphs in reading order, one character of
// the list each; the baseline is the cell's bottom (a grid says nothing of
// descenders), so text drawn from it keeps the cells' rows as they are.
static std::optional<PixelFont> GridFont(const QString& path, const FontSourceOptions& options, QStringList* missing,
                                  QString* error)
{
    if (!HasCut(options)) {
        Fail(error, QStringLiteral("a picture of glyphs is read with its grid: columns and rows, or a cell size"));
        return std::nullopt;
    }
    if (options.gap < 0) {
        Fail(error, QStringLiteral("the gap after a glyph is 0 or more pixels"));
        return std::nullopt;
    }
    if (options.importThreshold < 1 || options.importThreshold > 255) {
        Fail(error, QStringLiteral("the threshold %1 is outside 1…255").arg(options.importThreshold));
        return std::nullopt;
    }
    const std::optional<std::vector<char32_t>> codes = ChosenChars(options.chars, error);
    if (!codes)
        return std::nullopt;
    QImage sheet;
    if (!ImageLoader().Load(path, &sheet, error))
        return std::nullopt;
    SheetCut cut;
    if (options.cellWidth > 0 || options.cellHeight > 0)
        cut.frameSize = QSize(options.cellWidth, options.cellHeight);
    else {
        cut.columns = std::max(1, options.columns);
        cut.rows = std::max(1, options.rows);
    }
    cut.margin = options.margin;
    cut.spacing = options.spacing;
    const std::optional<std::vector<QRect>> cells = CutCells(sheet.size(), cut, error);
    if (!cells)
        return std::nullopt;
    const QSize cell = cells->front().size();
    if (cell.width() < PixelFont::kMinCell || cell.width() > PixelFont::kMaxCellWidth ||
        cell.height() < PixelFont::kMinCell || cell.height() > PixelFont::kMaxCellHeight) {
        Fail(error, QStringLiteral("its cells are %1 x %2 pixels; a glyph's cell is %3 to %4 x %3 to %5")
                        .arg(cell.width()).arg(cell.height()).arg(PixelFont::kMinCell)
                        .arg(PixelFont::kMaxCellWidth).arg(PixelFont::kMaxCellHeight));
        return std::nullopt;
    }
    if (sheet.format() != QImage::Format_ARGB32)
        sheet = sheet.convertToFormat(QImage::Format_ARGB32);
    PixelFont font;
    font.name = QFileInfo(path).completeBaseName();
    font.cellWidth = cell.width();
    font.cellHeight = cell.height();
    font.ascent = cell.height();
    QStringList lacking;
    font.glyphs.reserve(std::min(codes->size(), cells->size()));
    for (std::size_t i = 0; i < codes->size(); ++i) {
        if (i >= cells->size()) {
            lacking.append(GlyphName((*codes)[i]));
            continue;
        }
        const QRect& r = (*cells)[i];
        Glyph& g = font.glyphs.emplace_back();
        g.code = (*codes)[i];
        g.bitmap.width = font.cellWidth;
        g.bitmap.height = font.cellHeight;
        for (int y = 0; y < r.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(sheet.constScanLine(r.top() + y)) + r.left();
            for (int x = 0; x < r.width(); ++x) {
                // Laid over white, as the import sees a transparent pixel.
                const int a = qAlpha(line[x]);
                const int grey = (qGray(line[x]) * a + 255 * (255 - a)) / 255;
                g.bitmap.At(x, y) = grey < options.importThreshold;
            }
        }
        g.advance = GridAdvance(g.bitmap, options.gap);
    }
    if (missing)
        *missing = lacking;
    return font;
}

std::optional<PixelFont> MakeFont(const QString& sourcePath, const FontSourceOptions& options, QStringList* missing,
                                  QString* error)
{
    if (missing)
        missing->clear();
    if (!IsRegularFile(sourcePath)) {
        QFile file(sourcePath);
        OpenRegularFile(file, error);
        return std::nullopt;
    }
    const QString suffix = QFileInfo(sourcePath).suffix().toLower();
    std::optional<PixelFont> font;
    if (LooksLikeOutlineFont(sourcePath))
        font = RasteriseOutlineFont(sourcePath, options, missing, error);
    else if (IsImage(suffix) && (HasCut(options) || suffix != QLatin1String("png")))
        font = GridFont(sourcePath, options, missing, error);
    else if (suffix == QLatin1String("bdf") && !options.chars.trimmed().isEmpty())
        font = BdfChars(sourcePath, options.chars, missing, error);
    else if (IsFontForm(suffix) || suffix == QLatin1String("png")) {
        font = ReadFontFile(sourcePath, error);
        if (!font && suffix == QLatin1String("png") && error)
            *error += QStringLiteral("; a picture of glyphs in a grid is read with its cut (--frames or --frame-size)");
        if (font)
            font = Select(std::move(*font), options.chars, missing, error);
    } else if (FreeTypeOpens(sourcePath))
        font = RasteriseOutlineFont(sourcePath, options, missing, error);
    else {
        Fail(error, QStringLiteral("neither a font nor a picture of glyphs this program reads"));
        return std::nullopt;
    }
    if (font) {
        QString why;
        if (!font->Check(&why)) {
            Fail(error, why);
            return std::nullopt;
        }
    }
    return font;
}

// ---- built-in fonts -------------------------------------------------------------------

namespace {

PixelFont FromDrawing(const FontDrawing& drawing)
{
    PixelFont font;
    font.name = QString::fromLatin1(drawing.name);
    font.cellWidth = drawing.cellWidth;
    font.cellHeight = drawing.cellHeight;
    font.ascent = drawing.ascent;
    font.glyphs.reserve(std::size_t(drawing.count));
    for (int i = 0; i < drawing.count; ++i) {
        const GlyphDrawing& d = drawing.glyphs[i];
        Glyph& g = font.glyphs.emplace_back();
        g.code = char32_t(static_cast<unsigned char>(d.code));
        g.advance = drawing.cellWidth;
        g.bitmap.width = drawing.cellWidth;
        g.bitmap.height = drawing.cellHeight;
        int x = 0, y = 0;
        for (const char* p = d.rows; *p; ++p) {
            if (*p == '|') {
                ++y;
                x = 0;
                continue;
            }
            if (*p == '#' && x < drawing.cellWidth && y < drawing.cellHeight)
                g.bitmap.At(x, y) = 1;
            ++x;
        }
    }
    return font;  // the drawings are written in code order
}

}  // namespace

QStringList BuiltInFontNames() { return {QStringLiteral("5x7"), QStringLiteral("8x8")}; }

const PixelFont* BuiltInFont(const QString& name)
{
    // Drawn into fonts once, on first use, from any thread.
    static std::once_flag once;
    static PixelFont fonts[2];
    const int index = BuiltInFontNames().indexOf(name);
    if (index < 0)
        return nullptr;
    std::call_once(once, [] {
        fonts[0] = FromDrawing(Drawing5x7());
        fonts[1] = FromDrawing(Drawing8x8());
    });
    return &fonts[index];
}

std::optional<PixelFont> LoadFont(const QString& nameOrPath, const FontSourceOptions& options, QString* error)
{
    if (const PixelFont* font = BuiltInFont(nameOrPath))
        return *font;
    // A bare word that names no file is taken for a mistyped built-in name.
    if (!IsRegularFile(nameOrPath) && !nameOrPath.contains(QLatin1Char('/')) &&
        QFileInfo(nameOrPath).suffix().isEmpty()) {
        Fail(error, QStringLiteral("no such font: the built-in fonts are %1")
                        .arg(BuiltInFontNames().join(QStringLiteral(", "))));
        return std::nullopt;
    }
    return MakeFont(nameOrPath, options, nullptr, error);
}

}  // namespace tobrin
