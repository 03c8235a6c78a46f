#include <gtest/gtest.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include "core/formats.h"
#include "core/pixelfont.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

const QString kDejaVu = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

// FreeType's own drawing of one glyph, placed in the cell as the font says
// (column 0 at the pen + left, the baseline below row ascent - 1); false
// when a pixel falls outside the cell.
bool FreeTypeCell(FT_Face face, char32_t code, std::optional<int> threshold, const PixelFont& font,
                  MonoPicture* cell, int* advance)
{
    const FT_Int32 flags = threshold ? FT_LOAD_RENDER : FT_LOAD_RENDER | FT_LOAD_TARGET_MONO;
    if (FT_Load_Char(face, code, flags))
        return false;
    const FT_Bitmap& b = face->glyph->bitmap;
    *advance = int((face->glyph->advance.x + 32) >> 6);
    cell->width = font.cellWidth;
    cell->height = font.cellHeight;
    for (int y = 0; y < int(b.rows); ++y)
        for (int x = 0; x < int(b.width); ++x) {
            const unsigned char* row = b.buffer + y * b.pitch;
            const bool set = threshold ? row[x] >= *threshold : (row[x / 8] >> (7 - x % 8)) & 1;
            const int cx = face->glyph->bitmap_left - font.left + x;
            const int cy = font.ascent - face->glyph->bitmap_top + y;
            if (!set)
                continue;
            if (cx < 0 || cy < 0 || cx >= font.cellWidth || cy >= font.cellHeight)
                return false;
            cell->At(cx, cy) = 1;
        }
    return true;
}

// Every glyph of DejaVu Sans at 12 px, in FreeType's mono drawing and in
// its grey drawing cut at a threshold, is FreeType's pixel for pixel; the
// advances are its rounded advances and the cell's height its ascender +
// descender.
TEST(FontMaking, OutlineFontIsFreeTypesDrawing)
{
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, QFile::encodeName(kDejaVu).constData(), 0, &face), 0);
    for (int size : {12, 7, 31}) {
        for (std::optional<int> threshold : {std::optional<int>(), std::optional<int>(100)}) {
            SCOPED_TRACE(testing::Message() << size << " px, threshold " << threshold.value_or(0));
            FontSourceOptions options;
            options.pixelSize = size;
            options.threshold = threshold;
            QStringList missing;
            QString error;
            const auto font = RasteriseOutlineFont(kDejaVu, options, &missing, &error);
            ASSERT_TRUE(font) << error.toStdString();
            EXPECT_TRUE(missing.isEmpty());
            ASSERT_EQ(font->glyphs.size(), 95u);
            EXPECT_TRUE(font->Check(&error)) << error.toStdString();
            ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)), 0);
            EXPECT_GE(font->cellHeight, int(((face->size->metrics.ascender + 32) >> 6) -
                                            ((face->size->metrics.descender + 32) >> 6)));
            for (const Glyph& g : font->glyphs) {
                MonoPicture expected;
                int advance = 0;
                ASSERT_TRUE(FreeTypeCell(face, g.code, threshold, *font, &expected, &advance))
                    << GlyphName(g.code).toStdString();
                EXPECT_EQ(g.bitmap, expected) << GlyphName(g.code).toStdString();
                EXPECT_EQ(g.advance, std::min(advance, font->cellWidth)) << GlyphName(g.code).toStdString();
            }
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

// The built-in fonts cover printable ASCII, pass the model's checks, draw
// every glyph but the space, and no two glyphs alike (a pasted-over row).
TEST(FontMaking, BuiltInFontsAreWhole)
{
    ASSERT_EQ(BuiltInFontNames(), (QStringList{QStringLiteral("5x7"), QStringLiteral("8x8")}));
    EXPECT_EQ(BuiltInFont(QStringLiteral("9x9")), nullptr);
    for (const QString& name : BuiltInFontNames()) {
        SCOPED_TRACE(name.toStdString());
        const PixelFont* font = BuiltInFont(name);
        ASSERT_NE(font, nullptr);
        QString error;
        EXPECT_TRUE(font->Check(&error)) << error.toStdString();
        ASSERT_EQ(font->glyphs.size(), 95u);
        for (std::size_t i = 0; i < font->glyphs.size(); ++i) {
            const Glyph& g = font->glyphs[i];
            EXPECT_EQ(g.code, char32_t(32 + i));
            bool inked = false, lastColumn = false;
            for (int y = 0; y < font->cellHeight; ++y)
                for (int x = 0; x < font->cellWidth; ++x) {
                    inked |= g.bitmap.At(x, y) != 0;
                    lastColumn |= x == font->cellWidth - 1 && g.bitmap.At(x, y);
                }
            EXPECT_EQ(inked, g.code != ' ') << GlyphName(g.code).toStdString();
            EXPECT_FALSE(lastColumn) << GlyphName(g.code).toStdString() << " touches the next glyph";
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_NE(font->glyphs[j].bitmap, g.bitmap) << GlyphName(g.code).toStdString();
        }
    }
}

// A picture of the 5x7 font in a grid (margin, spacing, grey ink on a
// transparent ground) makes the same glyphs back, each advancing by its
// width + the gap.
TEST(FontMaking, GridPictureMakesTheGlyphs)
{
    testfiles::EnsureApp();
    QTemporaryDir dir;
    const PixelFont& builtIn = *BuiltInFont(QStringLiteral("5x7"));
    const int columns = 19, rows = 5, margin = 2, spacing = 3;
    QImage sheet(2 * margin + columns * builtIn.cellWidth + (columns - 1) * spacing,
                 2 * margin + rows * builtIn.cellHeight + (rows - 1) * spacing, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    for (int i = 0; i < 95; ++i)
        for (int y = 0; y < builtIn.cellHeight; ++y)
            for (int x = 0; x < builtIn.cellWidth; ++x)
                if (builtIn.glyphs[std::size_t(i)].bitmap.At(x, y))
                    sheet.setPixel(margin + i % columns * (builtIn.cellWidth + spacing) + x,
                                   margin + i / columns * (builtIn.cellHeight + spacing) + y, qRgb(90, 90, 90));
    const QString path = dir.filePath(QStringLiteral("glyphs.png"));
    ASSERT_TRUE(sheet.save(path));
    FontSourceOptions options;
    options.columns = columns;
    options.rows = rows;
    options.margin = margin;
    options.spacing = spacing;
    options.gap = 2;
    QString error;
    const auto font = MakeFont(path, options, nullptr, &error);
    ASSERT_TRUE(font) << error.toStdString();
    ASSERT_EQ(font->glyphs.size(), 95u);
    for (std::size_t i = 0; i < 95; ++i) {
        const Glyph& g = font->glyphs[i];
        EXPECT_EQ(g.bitmap, builtIn.glyphs[i].bitmap) << GlyphName(g.code).toStdString();
        int right = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 6; ++x)
                if (g.bitmap.At(x, y))
                    right = std::max(right, x + 1);
        EXPECT_EQ(g.advance, std::min(right + 2, 6)) << GlyphName(g.code).toStdString();
    }
    options.importThreshold = 50;  // the grey ink is lighter than the cut: every cell is blank
    const auto faint = MakeFont(path, options, nullptr, &error);
    ASSERT_TRUE(faint);
    EXPECT_EQ(faint->glyphs[33].advance, 2);
}

struct CliResult {
    int exitCode;
    QString err;
};

CliResult Tobrin(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TOBRIN_BINARY), args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// A font made from DejaVu and a label drawn in it, or in a built-in font,
// come out as the library makes them, in the font and picture forms.
TEST(FontMaking, CommandLineRoundTrips)
{
    QTemporaryDir dir;
    const auto at = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    ASSERT_EQ(Tobrin({"font", kDejaVu, "--size", "12", "--chars", "0-9", "-o", at("digits.db")}).exitCode, 0);
    FontSourceOptions digits;
    digits.chars = QStringLiteral("0-9");
    const auto expected = RasteriseOutlineFont(kDejaVu, digits);
    const auto written = ReadFontFile(at("digits.db"));
    ASSERT_TRUE(expected && written);
    EXPECT_EQ(*written, *expected);

    const auto label = [](const PixelFont& font, const char* text) {
        return *RenderText(font, QString::fromUtf8(text));
    };
    struct Case {
        QStringList args;
        MonoPicture picture;
    } cases[] = {
        {{"text", "SCORE 0042", "-o", at("label.png")}, label(*BuiltInFont(QStringLiteral("5x7")), "SCORE 0042")},
        {{"text", "Hi, 8x8!", "--font", "8x8", "-o", at("label.pbm")},
         label(*BuiltInFont(QStringLiteral("8x8")), "Hi, 8x8!")},
        {{"text", "0042", "--font", at("digits.db"), "-o", at("digits.xbm")}, label(*expected, "0042")},
        {{"text", "Ag", "--font", kDejaVu, "--size", "20", "-o", at("ag.c")},
         label(*LoadFont(kDejaVu, [] { FontSourceOptions o; o.pixelSize = 20; return o; }()), "Ag")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliResult run = Tobrin(c.args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const auto read = ReadPictureFile(c.args.at(c.args.indexOf(QStringLiteral("-o")) + 1));
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, c.picture);
    }
    // X11's 6x13 holds thousands of glyphs, more than a font here: the few
    // chosen are read alone.
    ASSERT_EQ(QProcess::execute(QStringLiteral("pcf2bdf"),
                                {"-o", at("6x13.bdf"), "/usr/share/fonts/X11/misc/6x13.pcf.gz"}), 0);
    ASSERT_EQ(Tobrin({"font", at("6x13.bdf"), "--chars", "0-9", "-o", at("x11.h")}).exitCode, 0);
    const auto x11 = ReadFontFile(at("x11.h"));
    ASSERT_TRUE(x11);
    EXPECT_EQ(x11->cellWidth, 6);
    EXPECT_EQ(x11->cellHeight, 13);
    ASSERT_EQ(x11->glyphs.size(), 10u);
    EXPECT_EQ(x11->glyphs.front().code, U'0');

    const CliResult lacking = Tobrin({"text", "0042é", "--font", at("digits.db"), "-o", at("lacking.db")});
    EXPECT_EQ(lacking.exitCode, 0);
    EXPECT_TRUE(lacking.err.contains(QStringLiteral("warning"))) << lacking.err.toStdString();
    EXPECT_TRUE(lacking.err.contains(QStringLiteral("U+00E9"))) << lacking.err.toStdString();
}

// Bad sources and options end the command with exit 1, the file and the
// cause, and no output.
TEST(FontMaking, CommandLineRefusals)
{
    testfiles::EnsureApp();
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.db"));
    const QString corrupt = dir.filePath(QStringLiteral("broken.ttf"));
    {
        QFile f(corrupt);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QFile real(kDejaVu);
        ASSERT_TRUE(real.open(QIODevice::ReadOnly));
        f.write(real.read(12) + QByteArray(4000, '\x7f'));  // a TrueType header over nonsense tables
    }
    const QString picture = dir.filePath(QStringLiteral("glyphs.bmp"));
    ASSERT_TRUE(QImage(16, 8, QImage::Format_RGB32).save(picture));
    struct Case {
        QStringList args;
        QString named, cause;
    } cases[] = {
        {{"font", picture, "-o", out}, picture, "with its grid"},
        {{"font", picture, "--frames", "3x1", "-o", out}, picture, "do not divide"},
        {{"font", corrupt, "-o", out}, corrupt, "FreeType"},
        {{"font", kDejaVu, "--chars", "U+E800-U+E8FF", "-o", out}, kDejaVu, "none of the characters"},
        {{"font", kDejaVu, "--size", "3", "-o", out}, kDejaVu, "4…120"},
        {{"font", kDejaVu, "--size", "121", "-o", out}, kDejaVu, "4…120"},
        {{"font", dir.filePath("none.ttf"), "-o", out}, dir.filePath("none.ttf"), "no such file"},
        {{"text", QString(60, 'W'), "-o", out}, "5x7", "at most 240"},
        {{"text", "hello", "--font", "6x9", "-o", out}, "6x9", "built-in fonts are 5x7, 8x8"},
        {{"text", "hello", "--font", kDejaVu, "--size", "121", "-o", out}, kDejaVu, "4…120"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliResult run = Tobrin(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(c.named + ": ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.cause)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}

}  // namespace
}  // namespace tobrin
