// Writes the fuzzers' seed corpora: make_seeds OUTDIR writes
// OUTDIR/fuzz_hexreader, OUTDIR/fuzz_imageimport, OUTDIR/fuzz_paste,
// OUTDIR/fuzz_formats, OUTDIR/fuzz_hexset, OUTDIR/fuzz_gif,
// OUTDIR/fuzz_recovery, OUTDIR/fuzz_bdf, OUTDIR/fuzz_fonthex,
// OUTDIR/fuzz_outlinefont and OUTDIR/fuzz_template.
// The files are committed; run it again only to change them.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>
#include <utility>
#include <vector>

#include "core/outputtemplate.h"
#include "core/formats.h"
#include "core/gifcodec.h"
#include "core/pixelfont.h"
#include "core/recoveryfile.h"
#include "imagefiles.h"
#include "seedfont.h"

using namespace tobrin;
using namespace tobrin::testfiles;

namespace {

bool Write(const QDir& dir, const QString& name, const QByteArray& data)
{
    if (data.isEmpty()) {
        std::fprintf(stderr, "make_seeds: nothing to write for %s\n", qPrintable(name));
        return false;
    }
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", qPrintable(f.fileName()));
        return false;
    }
    return true;
}

std::vector<std::pair<QString, QByteArray>> HexSeeds()
{
    std::vector<std::pair<QString, QByteArray>> s;
    // The worked example: 12 x 3 with padding bits clear.
    {
        PictureData d;
        d.MaxX = 11;
        d.MaxY = 2;
        d.Pic(0, 0) = d.Pic(11, 0) = 1;
        for (int x = 0; x < 12; ++x)
            d.Pic(x, 2) = 1;
        s.emplace_back("example_12x3.txt", SavedText(d));
    }
    s.emplace_back("default_40x32.txt", SavedText(PictureData()));
    s.emplace_back("random_240x120.txt", SavedText(RandomPicture(240, 120, 1, false)));
    s.emplace_back("padding_233x5.txt", SavedText(RandomPicture(233, 5, 2, true)));
    s.emplace_back("padding_9x4.txt", SavedText(RandomPicture(9, 4, 3, true)));
    s.emplace_back("smallest_4x4.txt", SavedText(RandomPicture(4, 4, 4, true)));
    s.emplace_back("tallest_8x120.txt", SavedText(RandomPicture(8, 120, 5, false)));

    // The headerless form: 32 lines of five values, after a label.
    {
        QByteArray b("Picture:\r\n");
        for (int y = 0; y < 32; ++y)
            b += QByteArray(".db $") + QByteArray::number(y, 16) + ",1,2,$ff,255\r\n";
        s.emplace_back("headerless_40x32.txt", b);
    }
    // Leading lines, free separators, number forms, extra values, CR-only
    // line ends and text after the last row.
    s.emplace_back("separators.txt",
                   QByteArray("; a comment\r\n\r\nlabel: \r\n.db 16 - 4\r"
                              ".db $FF\t$0A extra 3\r"
                              ".db 1e2;2d1,$,7\r"
                              ".db 0x1f 12ab\r"
                              ".db$$1,$c0,$\r"
                              "after the last row\r\n.DB 1,2\r\n"));
    // Rejected files: each fails in a different place.
    s.emplace_back("bad_value.txt", QByteArray(".db 8, 4\r\n.db $1ff\r\n.db 1\r\n.db 1\r\n.db 1\r\n"));
    s.emplace_back("bad_size.txt", QByteArray(".db 241, 4\r\n.db 1\r\n"));
    s.emplace_back("bad_count.txt", QByteArray(".db 1,2,3\r\n"));
    s.emplace_back("short.txt", QByteArray(".db 8, 4\r\n.db 1\r\n.db 2\r\n.db 3\r\n"));
    s.emplace_back("comment_between_rows.txt",
                   QByteArray(".db 8, 4\r\n.db 1\r\n; oops\r\n.db 3\r\n.db 4\r\n"));
    s.emplace_back("lf_only.txt", QByteArray(".db 8, 4\n.db 1\n.db 2\n.db 3\n.db 4\n"));
    s.emplace_back("upper_case.txt", QByteArray(".DB 8, 4\r\n.DB 1\r\n.DB 2\r\n.DB 3\r\n.DB 4\r\n"));
    static const char kNulAndUtf8[] = ".db 8,\0 4\r\n.db \xc3\xa9 1\r\n.db \xff\xfe 2\r\n.db 3\r\n.db 4\r\n";
    s.emplace_back("nul_and_utf8.txt", QByteArray(kNulAndUtf8, sizeof kNulAndUtf8 - 1));
    return s;
}

// A progressive JPEG, which the import decodes row by row like a baseline one.
QByteArray ProgressiveJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    return writer.write(image) ? bytes : QByteArray();
}

std::vector<std::pair<QString, QByteArray>> ImageSeeds()
{
    std::vector<std::pair<QString, QByteArray>> s;
    s.emplace_back("mixed_24bit.bmp", Bmp24(12, 8));
    s.emplace_back("mixed_8bit.bmp", Bmp8(9, 5));
    s.emplace_back("mono_1bit.bmp", Bmp1(17, 6));
    s.emplace_back("rle8.bmp", Rle8Bmp(20, 10));
    s.emplace_back("packed.dib", PackedDib(Bmp24(6, 4)));
    s.emplace_back("mixed.png", Png(10, 7));
    s.emplace_back("wide.png", Png(300, 3));  // wider than the picture: no Match size
    s.emplace_back("mixed.jpg", Jpeg(16, 8));
    // Wider than the display box: decoded row by row into a shrunk copy.
    s.emplace_back("wide.jpg", Jpeg(300, 6));
    s.emplace_back("wide_progressive.jpg", ProgressiveJpeg(MixedPicture(300, 6)));
    s.emplace_back("wide_grey.jpg", Encode(MixedPicture(300, 6).convertToFormat(QImage::Format_Grayscale8), "JPEG"));
    s.emplace_back("wide_16bit.png", Encode(MixedPicture(300, 4).convertToFormat(QImage::Format_RGBA64), "PNG"));
    s.emplace_back("wide_palette.png", Encode(MixedPicture(300, 4).convertToFormat(QImage::Format_Indexed8), "PNG"));
    s.emplace_back("mixed.ico", Ico(16, 16));
    s.emplace_back("mixed.gif", Gif(11, 5));
    s.emplace_back("shapes.wmf", Wmf(24, 12));
    return s;
}

std::vector<std::pair<QString, QByteArray>> PasteSeeds()
{
    std::vector<std::pair<QString, QByteArray>> s;
    s.emplace_back("mixed.png", Png(10, 7));
    s.emplace_back("wide.png", Png(260, 4));  // wider than any picture
    s.emplace_back("tall.bmp", Bmp24(3, 130));
    s.emplace_back("mono_1bit.bmp", Bmp1(17, 6));
    s.emplace_back("mixed.gif", Gif(11, 5));
    s.emplace_back("mixed.ico", Ico(16, 16));
    s.emplace_back("mixed.jpg", Jpeg(16, 8));
    return s;
}

}  // namespace

// One picture in every form the picture readers take.
std::vector<std::pair<QString, QByteArray>> FormatSeeds()
{
    MonoPicture p;
    p.width = 13;
    p.height = 9;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.At(x, y) = std::uint8_t((x * 3 + y * 5) % 7 < 3);
    const auto encode = [&p](const FileFormat& format, ByteOrder order, bool rle = false, bool rows = false) {
        ExportOptions options;
        options.order = order;
        options.rle = rle;
        options.rleRows = rows;
        return *EncodePicture(p, format, options, QStringLiteral("seed"));
    };
    QByteArray plain = "P1\n# plain\n13 9\n";
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x)
            plain += p.At(x, y) ? '1' : '0';
        plain += '\n';
    }
    QImage bmp(p.width, p.height, QImage::Format_RGB32);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            bmp.setPixel(x, y, p.At(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return {
        {QStringLiteral("msb.c"), encode(Format("c"), ByteOrder::Msb)},
        {QStringLiteral("lsb.h"), encode(Format("c"), ByteOrder::Lsb)},
        {QStringLiteral("pages.c"), encode(Format("c"), ByteOrder::Pages)},
        {QStringLiteral("rle.c"), encode(Format("c"), ByteOrder::Msb, true)},
        {QStringLiteral("rle-rows.c"), encode(Format("c"), ByteOrder::Pages, true, true)},
        {QStringLiteral("picture.xbm"), encode(Format("xbm"), ByteOrder::Msb)},
        {QStringLiteral("raw.pbm"), encode(Format("pbm"), ByteOrder::Msb)},
        {QStringLiteral("plain.pbm"), plain},
        {QStringLiteral("mono.png"), encode(Format("png"), ByteOrder::Msb)},
        {QStringLiteral("rgb.bmp"), Encode(bmp, "BMP")},
    };
}

// A walk of three frames, its delays written and left at the default.
MonoSet SeedSet()
{
    MonoSet set;
    for (unsigned i = 0; i < 3; ++i)
        set.frames.push_back(RandomPicture(12, 6, 20 + i));
    set.delays = {100, 250, 40};
    return set;
}

std::vector<std::pair<QString, QByteArray>> HexSetSeeds()
{
    MonoSet plain = SeedSet();
    plain.delays = {100, 100, 100};
    const auto text = [](const MonoSet& set) { return (HexSetText(set, QStringLiteral("walk")) + "\r\n").toLatin1(); };
    return {
        {QStringLiteral("delays.db"), text(SeedSet())},
        {QStringLiteral("plain.db"), text(plain)},
        {QStringLiteral("one.db"), text(MonoSet::Of(plain.frames[0]))},
    };
}

std::vector<std::pair<QString, QByteArray>> RecoverySeeds()
{
    const QDateTime time(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
    return {
        {QStringLiteral("walk.txt"), RecoveryText(SeedSet(), {QStringLiteral("/home/me/walk.txt"), true, time})},
        {QStringLiteral("untitled.txt"), RecoveryText(MonoSet::Of(SeedSet().frames[0]), {QString(), false, time})},
    };
}

std::vector<std::pair<QString, QByteArray>> GifSeeds()
{
    // A 4096 x 4096 canvas with 1 x 1 frames: the decode budget's case.
    QByteArray budget("GIF89a\x00\x10\x00\x10\x80\x00\x00\xff\xff\xff\x00\x00\x00", 19);
    for (int i = 0; i < 3; ++i)
        budget += QByteArray("\x2c\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0", 15);
    budget += ';';
    return {
        {QStringLiteral("walk.gif"), *EncodeGif(SeedSet())},
        {QStringLiteral("still.gif"), *EncodeGif(MonoSet::Of(SeedSet().frames[1]))},
        {QStringLiteral("budget.gif"), budget},
    };
}

// A small font: a left overhang, a gap in its characters, one beyond U+FFFF.
PixelFont SeedFont(bool contiguous)
{
    PixelFont font;
    font.name = QStringLiteral("seed");
    font.cellWidth = contiguous ? 5 : 10;
    font.cellHeight = 7;
    font.ascent = 5;
    font.left = contiguous ? 0 : -1;
    const char32_t sparse[] = {0x41, 0x42, 0xE9, 0x1F600};
    for (unsigned i = 0; i < 4; ++i) {
        Glyph g;
        g.code = contiguous ? char32_t(0x30 + i) : sparse[i];
        g.advance = int(i + 2);
        g.bitmap = RandomPicture(font.cellWidth, font.cellHeight, 40 + i);
        font.glyphs.push_back(g);
    }
    return font;
}

QByteArray FontBytes(const PixelFont& font, const char* path, ByteOrder order = ByteOrder::Msb)
{
    return EncodeFont(font, QString::fromLatin1(path), FontWriteOptions{order, QString()}).value_or(QByteArray());
}

std::vector<std::pair<QString, QByteArray>> BdfSeeds()
{
    // As X11's tools write it: tight boxes, properties, a glyph without a
    // character.
    const QByteArray x11 = "STARTFONT 2.1\nCOMMENT tight\nFONT -misc-seed-medium-r-normal--8-80-75-75-p-50-iso10646-1\n"
                           "SIZE 8 75 75\nFONTBOUNDINGBOX 6 9 -1 -2\nSTARTPROPERTIES 3\nFAMILY_NAME \"Seed\"\n"
                           "FONT_ASCENT 7\nFONT_DESCENT 2\nENDPROPERTIES\nCHARS 3\nSTARTCHAR A\nENCODING 65\n"
                           "SWIDTH 500 0\nDWIDTH 5 0\nBBX 5 7 0 0\nBITMAP\n20\n50\n88\nF8\n88\n88\n88\nENDCHAR\n"
                           "STARTCHAR g\nENCODING 103\nDWIDTH 4 0\nBBX 5 6 -1 -2\nBITMAP\n78\n88\n88\n78\n08\n70\n"
                           "ENDCHAR\nSTARTCHAR none\nENCODING -1 200\nDWIDTH 4 0\nBBX 1 1 0 0\nBITMAP\n80\nENDCHAR\n"
                           "ENDFONT\n";
    return {
        {QStringLiteral("x11.bdf"), x11},
        {QStringLiteral("sparse.bdf"), FontBytes(SeedFont(false), "f.bdf")},
        {QStringLiteral("contiguous.bdf"), FontBytes(SeedFont(true), "f.bdf")},
    };
}

std::vector<std::pair<QString, QByteArray>> FontHexSeeds()
{
    return {
        {QStringLiteral("sparse.db"), FontBytes(SeedFont(false), "f.db")},
        {QStringLiteral("contiguous.db"), FontBytes(SeedFont(true), "f.db")},
        {QStringLiteral("msb.c"), FontBytes(SeedFont(false), "f.c")},
        {QStringLiteral("pages.c"), FontBytes(SeedFont(true), "f.c", ByteOrder::Pages)},
        {QStringLiteral("sheet.png"), FontBytes(SeedFont(false), "f.png")},
    };
}

// The small TrueType font, and with tail bytes that choose a grey drawing
// and a large size.
std::vector<std::pair<QString, QByteArray>> OutlineFontSeeds()
{
    const QByteArray font = seeds::SeedTrueTypeFont();
    return {
        {QStringLiteral("seed.ttf"), font},
        {QStringLiteral("grey.ttf"), font + QByteArray("\x60\x01\x08", 3)},
        {QStringLiteral("large.ttf"), font + QByteArray("\x00\x00\x70", 3)},
    };
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    const auto writeAll = [&](const char* target, const std::vector<std::pair<QString, QByteArray>>& files) {
        const QString sub = QString::fromLatin1(target);
        if (!out.mkpath(sub)) {
            ok = false;
            return;
        }
        const QDir dir(out.filePath(sub));
        for (const auto& [name, data] : files)
            ok = Write(dir, name, data) && ok;
    };
    writeAll("fuzz_hexreader", HexSeeds());
    writeAll("fuzz_imageimport", ImageSeeds());
    writeAll("fuzz_paste", PasteSeeds());
    writeAll("fuzz_formats", FormatSeeds());
    writeAll("fuzz_hexset", HexSetSeeds());
    writeAll("fuzz_gif", GifSeeds());
    writeAll("fuzz_recovery", RecoverySeeds());
    writeAll("fuzz_bdf", BdfSeeds());
    writeAll("fuzz_fonthex", FontHexSeeds());
    writeAll("fuzz_outlinefont", OutlineFontSeeds());
    // The built-in output templates, as users start from them.
    std::vector<std::pair<QString, QByteArray>> templates;
    for (const QString& name : tobrin::BuiltInTemplateNames())
        templates.emplace_back(name + QStringLiteral(".tpl"), tobrin::BuiltInTemplateText(name).toUtf8());
    writeAll("fuzz_template", templates);
    return ok ? 0 : 1;
}
