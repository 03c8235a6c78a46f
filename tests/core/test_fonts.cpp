#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "core/pixelfont.h"
#include "imagefiles.h"

#ifdef TOBRIN_HAVE_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

namespace tobrin {
namespace {

// A font with what each form must carry: a left overhang, a cell wider
// than a byte, empty and full glyphs, a sparse map reaching beyond U+FFFF,
// more glyphs than a sheet row.
PixelFont VariedFont(bool contiguous)
{
    PixelFont font;
    font.name = QStringLiteral("varied");
    font.cellWidth = contiguous ? 5 : 11;
    font.cellHeight = contiguous ? 7 : 9;
    font.ascent = contiguous ? 5 : 7;
    font.left = contiguous ? 0 : -1;
    const std::vector<char32_t> sparse = {0x20, 0x41, 0xE9, 0x2603, 0x1F600};
    const int count = contiguous ? 20 : int(sparse.size());
    for (int i = 0; i < count; ++i) {
        Glyph g;
        g.code = contiguous ? char32_t(0x30 + i) : sparse[std::size_t(i)];
        g.advance = (i * 3) % (font.cellWidth + font.left + 1);
        g.bitmap = testfiles::RandomPicture(font.cellWidth, font.cellHeight, unsigned(i + 7));
        if (i == 0)
            g.bitmap = testfiles::RandomPicture(font.cellWidth, font.cellHeight, 1), g.bitmap.cells.fill(0);
        font.glyphs.push_back(g);
    }
    return font;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every form gives back the font it was written from; the hex text also
// opens as the set of its glyphs, and the C arrays compile.
TEST(FontForms, EveryFormReadsBackTheSameFont)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char* file;
        ByteOrder order;
    } kForms[] = {{"f.db", ByteOrder::Msb}, {"f.txt", ByteOrder::Msb}, {"f.c", ByteOrder::Msb},
                  {"f.h", ByteOrder::Lsb}, {"p.c", ByteOrder::Pages}, {"f.bdf", ByteOrder::Msb},
                  {"f.png", ByteOrder::Msb}};
    for (const bool contiguous : {false, true}) {
        const PixelFont font = VariedFont(contiguous);
        for (const auto& form : kForms) {
            SCOPED_TRACE(std::string(form.file) + (contiguous ? " contiguous" : " sparse"));
            const QString path = dir.filePath(QString::fromLatin1(form.file));
            QString error;
            ASSERT_TRUE(WriteFontFile(path, font, FontWriteOptions{form.order, QString()}, &error)) << error.toStdString();
            const std::optional<PixelFont> back = ReadFontFile(path, &error);
            ASSERT_TRUE(back) << error.toStdString();
            EXPECT_TRUE(*back == font);
        }
        const QString db = dir.filePath(QStringLiteral("f.db"));
        EXPECT_TRUE(IsFontHexText(ReadAll(db)));
        QString error;
        const std::optional<MonoSet> set = ReadPictureSetFile(db, {}, &error);
        ASSERT_TRUE(set) << error.toStdString();
        ASSERT_EQ(set->Count(), int(font.glyphs.size()));
        for (int i = 0; i < set->Count(); ++i)
            for (int y = 0; y < font.cellHeight; ++y)
                for (int x = 0; x < font.cellWidth; ++x)
                    ASSERT_EQ(set->frames[std::size_t(i)].At(x, y), font.glyphs[std::size_t(i)].bitmap.At(x, y));
    }
    // A set's text and a picture PNG are no fonts.
    const MonoSet frames{{testfiles::RandomPicture(8, 8, 2), testfiles::RandomPicture(8, 8, 3)}, {100, 100}};
    ASSERT_TRUE(WritePictureSetFile(dir.filePath(QStringLiteral("set.db")), frames, {}));
    EXPECT_FALSE(IsFontHexText(ReadAll(dir.filePath(QStringLiteral("set.db")))));
    ASSERT_TRUE(WritePictureFile(dir.filePath(QStringLiteral("pic.png")), frames.frames[0], {}));
    QString error;
    EXPECT_FALSE(ReadFontFile(dir.filePath(QStringLiteral("pic.png")), &error));
    EXPECT_TRUE(error.contains(QLatin1String("no font"))) << error.toStdString();
}

TEST(FontForms, CArraysCompileAndIndexTheGlyphs)
{
    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    if (cc.isEmpty())
        GTEST_SKIP() << "needs the system C compiler cc";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile main(dir.filePath(QStringLiteral("main.c")));
    ASSERT_TRUE(main.open(QIODevice::WriteOnly));
    main.write("#include <stdio.h>\n#include \"font.h\"\n#include \"font.h\"\n"
               "int main(void) {\n  int i;\n  printf(\"%d %d %d %d\", FONT_WIDTH, FONT_HEIGHT, FONT_ASCENT, FONT_LEFT);\n"
               "  for (i = 0; i < FONT_COUNT; ++i)\n"
               "    printf(\" %lu:%u:%u\", font_chars[i], font_widths[i], font_bitmaps[font_offsets[i] + FONT_BYTES - 1]);\n"
               "  return 0;\n}\n");
    main.close();
    const PixelFont font = VariedFont(false);
    for (const ByteOrder order : {ByteOrder::Msb, ByteOrder::Lsb, ByteOrder::Pages}) {
        SCOPED_TRACE(ByteOrderName(order));
        ASSERT_TRUE(WriteFontFile(dir.filePath(QStringLiteral("font.h")), font, FontWriteOptions{order, QString()}));
        QProcess build;
        build.setWorkingDirectory(dir.path());
        build.start(cc, {QStringLiteral("-std=c99"), QStringLiteral("-Wall"), QStringLiteral("-Wextra"),
                         QStringLiteral("-pedantic"), QStringLiteral("-Werror"), QStringLiteral("-o"),
                         QStringLiteral("show"), QStringLiteral("main.c")});
        ASSERT_TRUE(build.waitForFinished(60000));
        ASSERT_EQ(build.exitCode(), 0) << build.readAllStandardError().toStdString();
        QProcess show;
        show.start(dir.filePath(QStringLiteral("show")), QStringList());
        ASSERT_TRUE(show.waitForFinished(60000));
        const QList<QByteArray> words = show.readAllStandardOutput().split(' ');
        ASSERT_EQ(words.size(), 4 + int(font.glyphs.size()));
        EXPECT_EQ(words.mid(0, 4), (QList<QByteArray>{"11", "9", "7", "-1"}));
        for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
            const QList<QByteArray> parts = words[int(4 + i)].split(':');
            ASSERT_EQ(parts.size(), 3);
            EXPECT_EQ(parts[0].toUInt(), uint(font.glyphs[i].code));
            EXPECT_EQ(parts[1].toInt(), font.glyphs[i].advance);
            // The last byte holds the bottom row's last pixel in every order.
            const int bit = order == ByteOrder::Msb ? 7 - (font.cellWidth - 1) % 8
                          : order == ByteOrder::Lsb ? (font.cellWidth - 1) % 8 : (font.cellHeight - 1) % 8;
            EXPECT_EQ((parts[2].toInt() >> bit) & 1, font.glyphs[i].bitmap.At(font.cellWidth - 1, font.cellHeight - 1));
        }
    }
}

TEST(FontForms, CharacterLists)
{
    const auto range = [](char32_t from, char32_t to) {
        std::vector<char32_t> out;
        for (char32_t c = from; c <= to; ++c)
            out.push_back(c);
        return out;
    };
    std::vector<char32_t> clock = range('0', '9');
    clock.insert(clock.end(), {':', 'C', 0xB0});
    const struct {
        const char* list;
        std::vector<char32_t> chars;  // empty: refused
        const char* named;            // the error names this
    } kCases[] = {
        {"32-126", range(32, 126), ""},
        {"0-9:°C", clock, ""},
        {"C°:9-0", {}, "\"9-0\" at position 4"},
        {"U+00C0-U+00FF", range(0xC0, 0xFF), ""},
        {"u+41, 66 a-c A", {'A', 'B', 'a', 'b', 'c'}, ""},
        {"-", {'-'}, ""},
        {"1114111", {0x10FFFF}, ""},
        {"1114112", {}, "\"1114112\" at position 1"},
        {"A U+110000", {}, "\"U+110000\" at position 3"},
        {"U+D800", {}, "surrogate"},
        {"a,U+", {}, "\"U+\" at position 3"},
        {"x-", {}, "\"x-\" at position 1"},
        {"U+0-U+10FFFF", {}, "more than"},
        {" , ", {}, "empty"},
        {"", {}, "empty"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.list);
        QString error;
        const auto chars = ParseCharList(QString::fromUtf8(c.list), &error);
        EXPECT_EQ(chars.value_or(std::vector<char32_t>{}), c.chars);
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.named))) << error.toStdString();
    }
}

// X11's own fonts, converted by pcf2bdf, against FreeType's rendering of
// the same PCF files: every glyph's pixels relative to the pen and the
// baseline, and its advance.
TEST(FontForms, BdfReadsX11FontsAsFreeTypeRendersThem)
{
#ifndef TOBRIN_HAVE_FREETYPE
    GTEST_SKIP() << "needs FreeType's headers";
#else
    const QString pcf2bdf = QStandardPaths::findExecutable(QStringLiteral("pcf2bdf"));
    const QString misc = QStringLiteral("/usr/share/fonts/X11/misc/");
    if (pcf2bdf.isEmpty() || !QFile::exists(misc + QStringLiteral("6x13-ISO8859-1.pcf.gz")))
        GTEST_SKIP() << "needs pcf2bdf and xfonts-base";
    QTemporaryDir dir;
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    // Fixed, and ClearlyU's proportional one.
    for (const char* name : {"6x13-ISO8859-1.pcf.gz", "cu12.pcf.gz"}) {
        SCOPED_TRACE(name);
        const QString pcf = misc + QLatin1String(name);
        const QString bdf = dir.filePath(QStringLiteral("font.bdf"));
        ASSERT_EQ(QProcess::execute(pcf2bdf, {QStringLiteral("-o"), bdf, pcf}), 0);
        QString error;
        // ClearlyU holds thousands of glyphs: the Latin-1 ones are picked.
        const std::optional<PixelFont> font =
            DecodeBdfChars(ReadAll(bdf), *ParseCharList(QStringLiteral("32-126 160-255")), &error);
        ASSERT_TRUE(font) << error.toStdString();
        ASSERT_GT(font->glyphs.size(), 90u);
        // The BDF written from it, as FreeType reads it, must show the same.
        const QString ours = dir.filePath(QStringLiteral("ours.bdf"));
        ASSERT_TRUE(WriteFontFile(ours, *font, {}));
        for (const QString& file : {pcf, ours}) {
            SCOPED_TRACE(file.toStdString());
            FT_Face face = nullptr;
            ASSERT_EQ(FT_New_Face(library, QFile::encodeName(file).constData(), 0, &face), 0);
            ASSERT_EQ(FT_Select_Size(face, 0), 0);
            int widths = 0, compared = 0;
            for (const Glyph& g : font->glyphs) {
                if (FT_Get_Char_Index(face, g.code) == 0)
                    continue;
                ASSERT_EQ(FT_Load_Char(face, g.code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), 0);
                const FT_GlyphSlot slot = face->glyph;
                EXPECT_EQ(g.advance, int(slot->advance.x >> 6)) << GlyphName(g.code).toStdString();
                widths += g.advance != font->glyphs.front().advance;
                int ink = 0, freetypeInk = 0;
                for (int y = 0; y < font->cellHeight; ++y)
                    for (int x = 0; x < font->cellWidth; ++x) {
                        const int fx = x + font->left - slot->bitmap_left;
                        const int fy = y - (font->ascent - slot->bitmap_top);
                        const bool set = fx >= 0 && fy >= 0 && fx < int(slot->bitmap.width) && fy < int(slot->bitmap.rows)
                            && (slot->bitmap.buffer[fy * slot->bitmap.pitch + fx / 8] >> (7 - fx % 8) & 1);
                        ASSERT_EQ(bool(g.bitmap.At(x, y)), set) << GlyphName(g.code).toStdString() << " at " << x << "," << y;
                        ink += set;
                    }
                for (unsigned y = 0; y < slot->bitmap.rows; ++y)
                    for (unsigned x = 0; x < slot->bitmap.width; ++x)
                        freetypeInk += slot->bitmap.buffer[int(y) * slot->bitmap.pitch + int(x / 8)] >> (7 - x % 8) & 1;
                EXPECT_EQ(ink, freetypeInk) << "pixels outside the cell in " << GlyphName(g.code).toStdString();
                ++compared;
            }
            EXPECT_GT(compared, 90);
            EXPECT_EQ(widths > 0, QByteArray(name).startsWith("cu")) << "proportional advances";
            FT_Done_Face(face);
        }
    }
    FT_Done_FreeType(library);
#endif
}

// A font's hex text or C arrays whose tables disagree with its glyphs.
TEST(FontForms, TablesThatDisagreeAreRefused)
{
    PixelFont font = VariedFont(true);
    font.glyphs.resize(3);
    const QByteArray db = *EncodeFont(font, QStringLiteral("f.db"), {});
    const QByteArray c = *EncodeFont(font, QStringLiteral("f.c"), {});
    const struct {
        const char* path;
        QByteArray data;
        const char* says;
    } kCases[] = {
        {"f.db", QByteArray(db).replace("f_widths: .db 0,3,0", "f_widths: .db 0,3"), "2 widths for 3 glyphs"},
        {"f.db", QByteArray(db).replace("f_widths: .db 0,3,0", "f_widths: .db 0,3,9"), "advances 9 pixels"},
        {"f.db", QByteArray(db).replace("f_first: .dw 48", "f_chars: .dw 50,49,51"), "not ascending"},
        {"f.db", QByteArray(db).replace("f_first: .dw 48", "f_first: .dw 1114110"), "first takes one value"},
        {"f.db", QByteArray(db).replace("f_baseline: .db 5", "f_baseline: .db 5\r\ng_left: .db 0"), "not under the label"},
        {"f.db", QByteArray(db).replace("f_left: .db 0", "f_left: .db x"), "\"x\" is no number"},
        {"f.db", QByteArray(db).replace("f_widths", "f_sizes"), "no font"},
        {"f.c", QByteArray(c).replace("#define F_COUNT 3", "#define F_COUNT 4"), "4 glyphs need"},
        {"f.c", QByteArray(c).replace("0, 7, 14", "0, 7, 15"), "outside f_bitmaps"},
        {"f.c", QByteArray(c).replace("#define F_WIDTH 5", "#define F_WIDTH 500"), "beyond a font's limits"},
    };
    for (const auto& k : kCases) {
        SCOPED_TRACE(k.says);
        QString error;
        EXPECT_FALSE(DecodeFont(k.data, QString::fromLatin1(k.path), &error));
        EXPECT_TRUE(error.contains(QString::fromLatin1(k.says))) << error.toStdString();
    }
}

// Damaged and hostile BDF is refused whole, saying why.
TEST(FontForms, BdfRefusesDamage)
{
    PixelFont small = VariedFont(true);
    small.glyphs.resize(2);
    std::optional<QByteArray> good = EncodeFont(small, QStringLiteral("s.bdf"), {});
    ASSERT_TRUE(good);
    ASSERT_TRUE(DecodeBdf(*good));
    const QByteArray glyph = "STARTCHAR x\nENCODING 65\nDWIDTH 5 0\nBBX 5 1 0 0\nBITMAP\nF8\nENDCHAR\n";
    const auto font = [](const QByteArray& glyphs, int count) {
        return "STARTFONT 2.1\nFONTBOUNDINGBOX 5 7 0 -2\nCHARS " + QByteArray::number(count) + "\n" + glyphs + "ENDFONT\n";
    };
    QByteArray many;
    for (int i = 0; i < 1025; ++i)
        many += QByteArray(glyph).replace("ENCODING 65", "ENCODING " + QByteArray::number(i + 32));
    const struct {
        QByteArray data;
        const char* says;
    } kCases[] = {
        {good->left(good->size() - 20), "ends"},
        {QByteArray(*good).replace("\n00\n", "\n0G\n"), "no hex digit"},
        {font(QByteArray(glyph).replace("F8", "F"), 1), "hex digits"},
        {font(QByteArray(glyph).replace("BBX 5 1", "BBX 5 2"), 1), "has 1 rows; its BBX says 2"},
        {font(QByteArray(glyph).replace("BBX 5 1", "BBX 99999999999 99999999999"), 1), "no number"},
        {font(QByteArray(glyph).replace("BBX 5 1", "BBX 241 1"), 1), "wider than 240"},
        {font(QByteArray(glyph).replace("BBX 5 1 0", "BBX 5 1 239"), 1), "wider than 240"},
        {font(QByteArray(glyph).replace("BBX 5 1 0 0", "BBX 5 1 0 200"), 1), "higher than 120"},
        {font(many, 1025), "more than 1024 glyphs"},
        {font(glyph + glyph, 2), "second glyph for ENCODING 65"},
        {font(QByteArray(glyph).replace("ENCODING 65", "ENCODING 1114112"), 1), "beyond U+10FFFF"},
        {font(glyph, 2), "CHARS says 2"},
        {font(QByteArray(glyph).replace("ENCODING 65", "ENCODING -1"), 1), "no glyphs"},
        {"P1\n5 5\n", "STARTFONT"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.says);
        QString error;
        EXPECT_FALSE(DecodeBdf(c.data, &error));
        EXPECT_TRUE(error.contains(QLatin1String(c.says))) << error.toStdString();
    }
    // A pixel above the ascent grows the cell; the baseline stays.
    const std::optional<PixelFont> grown = DecodeBdf(font(QByteArray(glyph).replace("BBX 5 1 0 0", "BBX 5 1 0 6"), 1));
    ASSERT_TRUE(grown);
    EXPECT_EQ(grown->ascent, 7);
    EXPECT_EQ(grown->cellHeight, 9);
    EXPECT_EQ(grown->glyphs[0].bitmap.At(0, 0), 1);
}

}  // namespace
}  // namespace tobrin
