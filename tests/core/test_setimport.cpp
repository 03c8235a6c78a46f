#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "core/formats.h"
#include "core/setimport.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

SheetCut Grid(int columns, int rows, int margin = 0, int spacing = 0, bool bySize = false)
{
    SheetCut cut;
    if (bySize)
        cut.frameSize = QSize(columns, rows);
    else
        cut = SheetCut{columns, rows, QSize(), 0, 0, false};
    cut.margin = margin;
    cut.spacing = spacing;
    return cut;
}
SheetCut Sized(int w, int h, int margin = 0, int spacing = 0) { return Grid(w, h, margin, spacing, true); }

TEST(SetImport, CutsSheetsOrGivesTheNumbers)
{
    struct Case {
        QSize sheet;
        SheetCut cut;
        int count;
        QRect first, last;
        QStringList refusal;  // words the cause holds
    };
    const Case cases[] = {
        {{64, 32}, Grid(1, 1), 1, {0, 0, 64, 32}, {0, 0, 64, 32}, {}},
        {{64, 32}, Grid(4, 2), 8, {0, 0, 16, 16}, {48, 16, 16, 16}, {}},
        {{76, 40}, Grid(4, 2, 3, 2), 8, {3, 3, 16, 16}, {57, 21, 16, 16}, {}},
        {{76, 40}, Sized(16, 16, 3, 2), 8, {3, 3, 16, 16}, {57, 21, 16, 16}, {}},
        {{64, 32}, Sized(8, 32), 8, {0, 0, 8, 32}, {56, 0, 8, 32}, {}},
        {{65, 32}, Grid(4, 2), 0, {}, {}, {"width of 65", "4 columns", "65 pixels are left"}},
        {{76, 40}, Grid(4, 2, 3, 1), 0, {}, {}, {"less margins of 3 is 70", "spacing 1", "67 pixels"}},
        {{64, 33}, Sized(20, 16), 0, {}, {}, {"width of 64", "20 wide", "3 of them take 60"}},
        {{64, 32}, Sized(16, 15), 0, {}, {}, {"height of 32", "15 high", "2 of them take 30"}},
        {{10, 10}, Grid(1, 1, 5), 0, {}, {}, {"width of 10", "nothing inside margins of 5"}},
        {{2048, 64}, Grid(1024, 2), 0, {}, {}, {"1024 x 2", "more than the 1024"}},
    };
    for (const Case& c : cases) {
        QString why;
        const auto cells = CutCells(c.sheet, c.cut, &why);
        const std::string at = QStringLiteral("%1x%2 %3x%4 %5").arg(c.sheet.width()).arg(c.sheet.height())
                                   .arg(c.cut.columns).arg(c.cut.rows).arg(why).toStdString();
        ASSERT_EQ(cells.has_value(), c.refusal.isEmpty()) << at;
        for (const QString& words : c.refusal)
            EXPECT_TRUE(why.contains(words)) << at;
        if (!cells)
            continue;
        EXPECT_EQ(int(cells->size()), c.count) << at;
        EXPECT_EQ(cells->front(), c.first) << at;
        EXPECT_EQ(cells->back(), c.last) << at;
    }
}

// Only the empty cells at a sheet's end go: white, fully transparent and
// flat-coloured ones; an empty cell between frames stays.
TEST(SetImport, SkipsOnlyTrailingEmptyCells)
{
    QImage sheet(64, 32, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    for (const int cell : {0, 1, 3, 4})
        sheet.setPixel(cell % 4 * 16 + 5, cell / 4 * 16 + 5, qRgb(0, 0, 0));
    for (int y = 16; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            if (x >= 48)
                sheet.setPixel(x, y, qRgba(0, 0, 0, 0));  // cell 7 transparent
            else if (x >= 32)
                sheet.setPixel(x, y, qRgb(200, 10, 10));  // cell 6 flat red
    for (const auto& [skip, count] : {std::pair{false, 8}, std::pair{true, 5}}) {
        SheetCut cut = Grid(4, 2);
        cut.skipEmpty = skip;
        SetSources sources;
        ASSERT_TRUE(sources.Add(sheet, 100, cut));
        EXPECT_EQ(sources.Count(), count);
        EXPECT_EQ(sources.Cell(count - 1), QRect(count - 1 == 4 ? 0 : 48, 16, 16, 16));
    }
}

class SetCli : public ::testing::Test {
protected:
    void SetUp() override { testfiles::EnsureApp(); }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    static std::pair<int, QString> Import(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(TOBRIN_BINARY), QStringList{QStringLiteral("import")} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    }
    QTemporaryDir dir_;
};

// An animated GIF of frames of one black pixel each at (k, 0) on a canvas
// that starts transparent, kept from frame to frame; delays in centiseconds.
QByteArray Gif(int width, int height, const std::vector<int>& delays)
{
    const auto word = [](int v) { return QByteArray(1, char(v & 255)) + char(v >> 8); };
    QByteArray gif = "GIF89a" + word(width) + word(height) + QByteArray("\x80\0\0\xff\xff\xff\0\0\0", 9);
    for (std::size_t k = 0; k < delays.size(); ++k)
        gif += QByteArray("\x21\xf9\x04\x04", 4) + word(delays[k]) + QByteArray("\0\0\x2c", 3) + word(int(k))
            + word(0) + word(1) + word(1) + QByteArray("\0\x02\x02\x4c\x01\0", 6);
    return gif + ';';
}

// A sheet, the same cells as files of their own and an animated GIF make
// the sets that importing each picture alone makes, in order, with delays.
TEST_F(SetCli, SetsAreTheFramesImportedOneByOne)
{
    QImage sheet(76, 40, QImage::Format_RGB32);
    sheet.fill(qRgb(0, 0, 0));  // margin and spacing: a cut one pixel off shows
    QStringList cells;
    for (int i = 0; i < 8; ++i) {
        const QRect cell(3 + i % 4 * 18, 3 + i / 4 * 18, 16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                sheet.setPixel(cell.x() + x, cell.y() + y, x <= i && y < 8 ? qRgb(0, 0, 90) : qRgb(x * 16, 200, 99));
        cells << Write(QStringLiteral("cell%1.png").arg(i), testfiles::Encode(sheet.copy(cell), "PNG"));
    }
    const QString png = Write(QStringLiteral("sheet.png"), testfiles::Encode(sheet, "PNG"));
    const QStringList options = {"--threshold", "120", "--invert", "--dither", "fs"};
    const auto one = [&](const QString& cell, const QStringList& with) {
        EXPECT_EQ(Import(QStringList{cell, "-o", Path("one.txt")} + with).first, 0);
        return ReadPictureFile(Path("one.txt"));
    };
    const std::pair<QStringList, QStringList> runs[] = {
        {{png, "--frames", "4x2", "--margin", "3", "--spacing", "2"}, {}},
        {{png, "--frame-size", "16x16", "--margin=3", "--spacing=2", "--skip-empty"}, {}},
        {cells, options},
    };
    for (const auto& [args, with] : runs) {
        const auto [code, text] = Import(args + with + QStringList{"-o", Path("set.db")});
        ASSERT_EQ(code, 0) << text.toStdString();
        const auto set = ReadPictureSetFile(Path("set.db"));
        ASSERT_TRUE(set && set->Count() == 8);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(set->frames[std::size_t(i)], one(cells[i], with)) << i;
    }
    const QString gif = Write(QStringLiteral("anim.gif"), Gif(16, 8, {5, 20, 30}));
    ASSERT_EQ(Import({gif, "-o", Path("anim.db")}).first, 0);
    const auto anim = ReadPictureSetFile(Path("anim.db"));
    ASSERT_TRUE(anim && anim->Count() == 3);
    EXPECT_EQ(anim->delays, (std::vector<int>{50, 200, 300}));
    for (int k = 0; k < 3; ++k)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(anim->frames[std::size_t(k)].At(x, 0), x <= k ? 1 : 0) << k << " " << x;
}

// Every refusal exits 1 with the file and the cause and writes nothing.
TEST_F(SetCli, RefusesWholeNamingTheFile)
{
    QImage small(64, 32, QImage::Format_RGB32);
    small.fill(Qt::gray);
    const QString sheet = Write("sheet.png", testfiles::Encode(small, "PNG"));
    const QByteArray anim = Gif(16, 8, {5, 5, 5, 5});
    const QString cut = Write("cut.gif", anim.left(anim.size() - 12));
    const QString big = Write("big.gif", Gif(300, 8, {5, 5}));
    const std::pair<QStringList, QString> cases[] = {
        {{sheet, "--frames", "5x2"}, "sheet.png: its width of 64, which 5 columns"},
        {{sheet, "--frame-size", "2x1", sheet}, "sheet.png: the set would have 2048 frames, more than the 1024"},
        {{big}, "big.gif: "},
        {{cut}, "cut.gif: "},
        {{sheet, cut}, "cut.gif: "},
    };
    for (const auto& [args, message] : cases) {
        const auto [code, text] = Import(args + QStringList{"-o", Path("out.db")});
        EXPECT_EQ(code, 1) << text.toStdString();
        EXPECT_TRUE(text.startsWith("File Import Error\ntobrin import: " + Path(message))) << text.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Path("out.db")));
    }
}

}  // namespace
}  // namespace tobrin
