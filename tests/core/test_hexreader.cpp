#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

#include "core/picturedata.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"

namespace tobrin {
namespace {

std::optional<HexPicture> ReadText(const std::string& text, qint64* consumed = nullptr)
{
    QByteArray bytes(text.data(), qsizetype(text.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    auto result = ReadHexData(buffer);
    if (consumed)
        *consumed = buffer.pos();
    return result;
}

std::string Lines(std::initializer_list<const char*> lines, const char* end = "\r\n")
{
    std::string s;
    for (const char* l : lines)
        s += std::string(l) + end;
    return s;
}

std::string EmptyRows(int count, const char* row)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += std::string(row) + "\r\n";
    return s;
}

// ---- one line -------------------------------------------------------------

struct LineCase {
    const char* line;
    std::vector<int> values;
    bool tooLarge;
};

TEST(ParseHexLine, ValuesSeparatorsAndNumberForms)
{
    const LineCase cases[] = {
        {".db", {}, false},
        {".db  40, 32", {40, 32}, false},
        {".db 40,32", {40, 32}, false},
        {".db 40 32", {40, 32}, false},
        {".db\t40\t-32;", {40, 32}, false},   // any other character separates
        {".db12", {12}, false},                // the number may follow .db directly
        {".dbfade 7", {7}, false},             // letters never start a number
        {".db 12ab 3", {12, 3}, false},        // reading stops at the first letter
        {".db 1g2", {1, 2}, false},            // g is no hex letter: it closes the number
        {".db 0000000000000000000000255", {255}, false},
        {".db 255,0", {255, 0}, false},
        {".db 1\n2", {1, 2}, false},           // a lone LF is an ordinary character
        // Hexadecimal.
        {".db $ff,$FF,$Fe,$0,$7,$3c", {255, 255, 254, 0, 7, 60}, false},
        {".db $00000000ff", {255}, false},
        {".db 5$6", {5, 6}, false},            // "$" right after digits starts the next number
        {".db $5$6", {5, 6}, false},
        {".db 1e$2", {1, 2}, false},
        {".db $fg", {15}, false},
        // "$" without digits: 0 when a later value follows, nothing when last.
        {".db $,5", {0, 5}, false},
        {".db $$5", {0, 5}, false},          // the second "$" closes the first
        {".db $ $ 5", {0, 0, 5}, false},
        {".db 5,$", {5}, false},
        {".db 5,$ ,", {5}, false},
        {".db 5,$,$", {5}, false},
        {".db $", {}, false},
        {".db $g", {}, false},
        // Prefixes are not recognised. The digit rules make 0x1f two numbers:
        // "0" (closed by x) and "1f", which reads as 1 like any decimal
        // number with letters after its digits.
        {".db 0x1f", {0, 1}, false},
        {".db &Hff", {}, false},
        {".db &H1f", {1}, false},
        // Decimal exponent: only the exact form digits, d/e/D/E, digits.
        {".db 1e2", {100}, false},
        {".db 1E2 1d2 1D2", {100, 100, 100}, false},
        {".db 25e1", {250}, false},
        {".db 12e1", {120}, false},
        {".db 7e0", {7}, false},
        {".db 0e9", {0}, false},
        {".db 0e99999999999999999999", {0}, false},
        {".db 1e", {1}, false},
        {".db 1d", {1}, false},
        {".db 1e2a", {1}, false},              // not the exact form: reads up to the letter
        {".db 1ee2", {1}, false},
        {".db 1a2", {1}, false},
        {".db 12d", {12}, false},
        // Too large.
        {".db 256", {256}, true},
        {".db 300", {256}, true},
        {".db 99999999999999999999999999", {256}, true},
        {".db $100", {256}, true},
        {".db $1ff", {256}, true},
        {".db $ffffffffffffffffffffff", {256}, true},
        {".db 26e1", {256}, true},
        {".db 1e3", {256}, true},
        {".db 1e99999999999999999999", {256}, true},
        {".db $1e2", {256}, true},             // hex: 0x1e2
        {".db 1, 2, 300, 4", {1, 2, 256, 4}, true},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        const HexLine line = ParseHexLine(c.line);
        EXPECT_FALSE(line.notDb);
        EXPECT_EQ(line.values, c.values);
        EXPECT_EQ(line.tooLarge, c.tooLarge);
    }
}

TEST(ParseHexLine, LinesNotBeginningWithDbHaveNoValues)
{
    for (const char* text : {"", ".d", "db 1,2", " .db 1,2", ".DB 1,2", ".Db 1", "\t.db 5", "x.db 5",
                             "; .db 1,2"}) {
        SCOPED_TRACE(text);
        const HexLine line = ParseHexLine(text);
        EXPECT_TRUE(line.notDb);
        EXPECT_TRUE(line.values.empty());
        EXPECT_FALSE(line.tooLarge);
    }
}

TEST(HexLineScanner, KeepsOnlyTheFirstValuesButCountsAll)
{
    HexLineScanner s(2);
    for (char c : std::string(".db $,7,$,$,9,1000,$"))
        s.Feed(c);
    s.Finish();
    EXPECT_EQ(s.Count(), 6u);
    EXPECT_EQ(s.KeptCount(), 2u);
    EXPECT_EQ(s.Kept()[0], 0);
    EXPECT_EQ(s.Kept()[1], 7);
    EXPECT_TRUE(s.TooLarge());
}

// ---- whole files ------------------------------------------------------------

TEST(HexReader, TwelveWidePictureWithPadding)
{
    // Three rows are below the smallest height the reader accepts.
    EXPECT_FALSE(ReadText(Lines({".db  12, 3", ".db $80,$10", ".db $0,$0", ".db $ff,$f0"})));
    const std::string text = Lines({".db  12, 4", ".db $80,$10", ".db $0,$0", ".db $ff,$f8", ".db $0,$1"});
    const auto p = ReadText(text);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->width, 12);
    EXPECT_EQ(p->height, 4);
    PictureData d;
    UnpackHexPicture(*p, d);
    EXPECT_EQ(d.MaxX, 11);
    EXPECT_EQ(d.MaxY, 3);
    EXPECT_EQ(HexText(d), text);
    EXPECT_EQ(d.Pic(0, 0), 1);
    EXPECT_EQ(d.Pic(11, 0), 1);
    EXPECT_EQ(d.Pic(12, 2), 1);  // padding bits land right of the picture
    EXPECT_EQ(d.Pic(15, 2), 0);
}

TEST(HexReader, AcceptedFiles)
{
    const std::string rows4 = EmptyRows(4, ".db $0");
    struct Case {
        const char* name;
        std::string text;
        int width, height;
    };
    const Case cases[] = {
        {"header with two spaces", ".db  8, 4\r\n" + rows4, 8, 4},
        {"header without spaces", ".db 8,4\r\n" + rows4, 8, 4},
        {"header with a blank only", ".db 8 4\r\n" + rows4, 8, 4},
        {"leading lines skipped", "label:\r\n\r\n; comment .db 1,2\r\n .db 5\r\n.DB 1,2\r\n.db 8,4\r\n" + rows4, 8, 4},
        {"LF inside a skipped line", "first\nsecond\r\n.db 8,4\r\n" + rows4, 8, 4},
        {"CR only", ".db 8,4\r.db $0\r.db $0\r.db $0\r.db $0\r", 8, 4},
        {"last row without line end", ".db 8,4\r\n.db 0\r\n.db 0\r\n.db 0\r\n.db 0", 8, 4},
        {"extra values ignored", ".db 8,4\r\n" + EmptyRows(4, ".db $0,$1,$2,junk 3"), 8, 4},
        {"lines after the last row never read", ".db 8,4\r\n" + rows4 + ".db 999\r\nrubbish", 8, 4},
        {"smallest", ".db 4,4\r\n" + rows4, 4, 4},
        {"largest", ".db 240,120\r\n" + EmptyRows(120, ".db 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"), 240, 120},
        {"headerless", EmptyRows(32, ".db $0,$0,$0,$0,$0"), 40, 32},
        {"headerless after leading lines", "x\r\n" + EmptyRows(32, ".db 1,2,3,4,5"), 40, 32},
        {"exponent in the header", ".db 8,4e0\r\n" + rows4, 8, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto p = ReadText(c.text);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->width, c.width);
        EXPECT_EQ(p->height, c.height);
        EXPECT_EQ(int(p->rowBytes.size()), c.height);
    }
}

TEST(HexReader, RejectedFiles)
{
    const std::string rows4 = EmptyRows(4, ".db $0");
    const std::string rowsHeaderless31 = EmptyRows(31, ".db $0,$0,$0,$0,$0");
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"empty", ""},
        {"no .db line", "hello\r\nworld\r\n"},
        {"upper-case prefix everywhere", ".DB  8, 4\r\n.DB $0\r\n.DB $0\r\n.DB $0\r\n.DB $0\r\n"},
        {"LF-only line ends", ".db  8, 4\n.db $0\n.db $0\n.db $0\n.db $0\n"},
        {"LF-only headerless", Lines({".db 0,0,0,0,0", ".db 0,0,0,0,0", ".db 0,0,0,0,0", ".db 0,0,0,0,0"}, "\n")},
        {"headerless with 31 rows", rowsHeaderless31},
        {"headerless row with four values", rowsHeaderless31 + ".db 1,2,3,4\r\n"},
        {"first line with one value", ".db 8\r\n" + rows4},
        {"first line with three values", ".db 8,4,0\r\n" + rows4},
        {"first line with four values", ".db 0x8, 4\r\n" + rows4},
        {"first line with six values", ".db 1,2,3,4,5,6\r\n" + rowsHeaderless31 + ".db 0,0,0,0,0\r\n"},
        {"first line with no values", ".db\r\n" + rows4},
        {"empty dollar makes the width 0", ".db $,8,$\r\n" + rows4},
        {"value above 255 in the header line", ".db 8,1e3\r\n" + rows4},
        {"width 3", ".db 3,4\r\n" + rows4},
        {"height 3", ".db 8,3\r\n.db 0\r\n.db 0\r\n.db 0\r\n"},
        {"width 241", ".db 241,4\r\n" + rows4},
        {"width 0", ".db 0,4\r\n" + rows4},
        {"height 121", ".db 8,121\r\n" + EmptyRows(121, ".db 0")},
        {"too few rows", ".db 8,4\r\n" + EmptyRows(3, ".db 0")},
        {"too few rows, last line unterminated", ".db 8,4\r\n.db 0\r\n.db 0\r\n.db 0"},
        {"blank line between rows", ".db 8,4\r\n.db 0\r\n\r\n.db 0\r\n.db 0\r\n.db 0\r\n"},
        {"comment between rows", ".db 8,4\r\n.db 0\r\n; x\r\n.db 0\r\n.db 0\r\n.db 0\r\n"},
        {"row with too few values", ".db 9,4\r\n.db 1,2\r\n.db 1\r\n.db 1,2\r\n.db 1,2\r\n"},
        {"row with a trailing empty dollar only", ".db 9,4\r\n.db 1,2\r\n.db 1,$\r\n.db 1,2\r\n.db 1,2\r\n"},
        {"row value $1ff", ".db 8,4\r\n.db 0\r\n.db $1ff\r\n.db 0\r\n.db 0\r\n"},
        {"row value 300", ".db 8,4\r\n.db 0\r\n.db 300\r\n.db 0\r\n.db 0\r\n"},
        {"too-large extra value", ".db 8,4\r\n.db 0\r\n.db 1,256\r\n.db 0\r\n.db 0\r\n"},
        {"row indented", ".db 8,4\r\n.db 0\r\n .db 0\r\n.db 0\r\n.db 0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadText(c.text));
    }
}

TEST(HexReader, EmptyDollarCountsOnlyBeforeALaterValue)
{
    const auto p = ReadText(".db 16,4\r\n" + EmptyRows(4, ".db $,$7"));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->rowBytes[2][0], 0);
    EXPECT_EQ(p->rowBytes[2][1], 7);
}

TEST(HexReader, StopsReadingOnceTheOutcomeIsKnown)
{
    const std::string tail(4 * 1024 * 1024, 'x');
    qint64 consumed = 0;
    // Success: nothing after the last row is read.
    ASSERT_TRUE(ReadText(".db 8,4\r\n" + EmptyRows(4, ".db 0") + tail, &consumed));
    EXPECT_LT(consumed, 1024 * 1024);
    // A first line with too many values, a too-large value, a row without .db.
    for (const std::string& text : {".db 1,2,3,4,5,6" + tail, ".db 300" + tail,
                                    ".db 8,4\r\n.db 0\r\nnot a row" + tail,
                                    ".db 8,4\r\n.db 1,1e9" + tail}) {
        EXPECT_FALSE(ReadText(text, &consumed));
        EXPECT_LT(consumed, 1024 * 1024);
    }
}

// Produces `size` bytes on the fly: a prefix, then one byte repeated.
class GeneratedDevice : public QIODevice {
public:
    GeneratedDevice(QByteArray prefix, char fill, qint64 size)
        : prefix_(std::move(prefix)), fill_(fill), size_(size)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 produced() const { return pos_; }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        qint64 n = 0;
        while (n < max && pos_ < prefix_.size())
            data[n++] = prefix_[qsizetype(pos_++)];
        const qint64 fill = std::min(max - n, size_ - pos_);
        std::memset(data + n, fill_, std::size_t(fill));
        pos_ += fill;
        return n + fill;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray prefix_;
    char fill_;
    qint64 size_;
    qint64 pos_ = 0;
};

long MaxRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(HexReader, HugeSingleLinesAreStreamed)
{
    constexpr qint64 kSize = 100LL * 1024 * 1024;
    const long before = MaxRssKiB();
    {
        // 100 MB of one LF-separated "line" of values: scanned up to the
        // reader's limit, none stored, and the limit is the reason given.
        GeneratedDevice device(".db 8,4\n", '\n', kSize);
        QString why;
        EXPECT_FALSE(ReadHexData(device, &why));
        EXPECT_EQ(device.produced(), kMaxHexBytes);
        EXPECT_TRUE(why.contains(QLatin1String("64 MB"))) << why.toStdString();
    }
    {
        // 100 MB of leading text that is no .db line.
        GeneratedDevice device("label", 'z', kSize);
        EXPECT_FALSE(ReadHexData(device));
    }
    {
        // One endless number: saturates, never overflows, fails at once.
        GeneratedDevice device(".db 8,4\r.db 1", '9', kSize);
        EXPECT_FALSE(ReadHexData(device));
        EXPECT_LT(device.produced(), 1024 * 1024);
    }
    EXPECT_LT(MaxRssKiB() - before, 32 * 1024);
}

// ---- round trips --------------------------------------------------------------

// Random pixels inside the picture and in the padding columns of the last
// byte; everything else clear.
PictureData RandomPicture(int w, int h, std::mt19937& rng)
{
    PictureData d;
    d.MaxX = w - 1;
    d.MaxY = h - 1;
    const int columns = 8 * ((w + 7) / 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < columns; ++x)
            d.Pic(x, y) = std::uint8_t(rng() & 1);
    return d;
}

void ExpectRoundTrip(int w, int h, std::mt19937& rng)
{
    SCOPED_TRACE(::testing::Message() << w << " x " << h);
    const PictureData original = RandomPicture(w, h, rng);
    const std::string text = HexText(original);
    const auto p = ReadText(text);
    ASSERT_TRUE(p);
    PictureData back;
    back.PicData.fill(1);  // unpacking clears everything first
    UnpackHexPicture(*p, back);
    EXPECT_EQ(back.MaxX, original.MaxX);
    EXPECT_EQ(back.MaxY, original.MaxY);
    ASSERT_TRUE(back.PicData == original.PicData);
    EXPECT_EQ(HexText(back), text);
}

TEST(HexReader, RoundTripEveryWidthAndEveryHeight)
{
    std::mt19937 rng(20240607);
    for (int w = 4; w <= 240; ++w)
        for (int h : {4, 5, 17, 120})
            ExpectRoundTrip(w, h, rng);
    for (int h = 4; h <= 120; ++h)
        for (int w : {4, 8, 9, 63, 240})
            ExpectRoundTrip(w, h, rng);
    for (int w = 233; w <= 240; ++w)
        for (int h = 4; h <= 120; h += 13)
            ExpectRoundTrip(w, h, rng);
}

TEST(HexReader, RoundTripThroughAFileWithTheSaveLineEnd)
{
    std::mt19937 rng(7);
    const PictureData original = RandomPicture(237, 119, rng);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pic.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const std::string text = HexText(original) + "\r\n";
        f.write(text.data(), qint64(text.size()));
    }
    PictureData back;
    ASSERT_TRUE(ReadHexInto(path, back));
    EXPECT_TRUE(back.PicData == original.PicData);
    EXPECT_EQ(back.Width(), 237);
    EXPECT_EQ(back.Height(), 119);
}

TEST(HexReader, HeaderlessFileUnpacksRowZeroFromTheFirstLine)
{
    std::string text = ".db $80,0,0,0,$1\r\n" + EmptyRows(30, ".db 0,0,0,0,0") + ".db 0,0,0,0,$ff\r\n";
    const auto p = ReadText(text);
    ASSERT_TRUE(p);
    PictureData d;
    d.MaxX = 11;
    UnpackHexPicture(*p, d);
    EXPECT_EQ(d.Width(), 40);
    EXPECT_EQ(d.Height(), 32);
    EXPECT_EQ(d.Pic(0, 0), 1);
    EXPECT_EQ(d.Pic(39, 0), 1);
    for (int x = 32; x < 40; ++x)
        EXPECT_EQ(d.Pic(x, 31), 1);
}

// ---- failures leave the picture alone ------------------------------------------

TEST(HexReader, AFailedReadLeavesThePictureUntouched)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char* name;
        const char* text;
    } files[] = {
        {"bad-row.txt", ".db 8,4\r\n.db 1\r\n.db 1\r\n.db 300\r\n.db 1\r\n"},
        {"bad-size.txt", ".db 250,4\r\n"},
        {"short.txt", ".db 8,4\r\n.db 1\r\n"},
    };
    PictureData sentinel;
    sentinel.MaxX = 16;
    sentinel.MaxY = 9;
    for (std::size_t i = 0; i < sentinel.PicData.size(); i += 3)
        sentinel.PicData[i] = 1;
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const QString path = dir.filePath(QString::fromLatin1(f.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(f.text);
        file.close();
        PictureData d = sentinel;
        EXPECT_FALSE(ReadHexInto(path, d));
        EXPECT_TRUE(d.PicData == sentinel.PicData);
        EXPECT_EQ(d.MaxX, 16);
        EXPECT_EQ(d.MaxY, 9);
    }
    PictureData d = sentinel;
    EXPECT_FALSE(ReadHexInto(dir.filePath(QStringLiteral("missing.txt")), d));
    EXPECT_FALSE(ReadHexInto(dir.path(), d));  // a folder
    EXPECT_FALSE(ReadHexInto(QString(), d));
    EXPECT_TRUE(d.PicData == sentinel.PicData);
}

}  // namespace
}  // namespace tobrin

namespace tobrin {
namespace {

TEST(HexReader, PipesAndDevicesAreRefusedWithoutWaiting)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A pipe nobody writes to would block the open, and /dev/zero never ends.
    const QString fifo = dir.filePath(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(ReadHexPath(fifo));
    EXPECT_FALSE(ReadHexPath(QStringLiteral("/dev/zero")));
    EXPECT_FALSE(ReadHexPath(QString()));

    // A link to a regular file is read like the file itself.
    const QString real = dir.filePath(QStringLiteral("real.txt"));
    QFile file(real);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(".db 8,4\r\n.db 1\r\n.db 2\r\n.db 3\r\n.db 4\r\n");
    file.close();
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(real, link));
    const auto picture = ReadHexPath(link);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 8);
    EXPECT_EQ(picture->rowBytes[3][0], 4);
}

TEST(HexReader, LeadingLinesOfEveryKindAreSkipped)
{
    // Long, short, empty and LF-bearing lines before the first ".db" line,
    // including ones that start like ".db" but are not, and a CR LF split
    // across the reader's buffer.
    QByteArray text;
    text += "; comment\r\r\n.d\r.DB 1,2\r\n";
    text += QByteArray(70000, 'x') + "\r\n";
    text += QByteArray(65535, ';') + "\r";
    text += "\n.d b\r\nlabel:\n.db 9\r\n";
    text += ".db 8,4\r\n.db 1\r\n.db 2\r\n.db 3\r\n.db 4\r\n";
    QBuffer buffer(&text);
    const auto picture = ReadHexData(buffer);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 8);
    EXPECT_EQ(picture->height, 4);
    EXPECT_EQ(picture->rowBytes[0][0], 1);

    // Only leading lines and no ".db" line at all: refused.
    QByteArray none = QByteArray(200000, '\r') + ".d";
    QBuffer noneBuffer(&none);
    EXPECT_FALSE(ReadHexData(noneBuffer));
}

// The shortcut for plain lines must agree with the character-by-character
// scan on every line it takes, and leave every other line to it.
TEST(HexLineScanner, PlainLineShortcutAgreesWithFullScan)
{
    const char* pieces[] = {"$", "$F", "$ff", "$0FF", "$100", "7", "255", "0256", "12", "1e2", " ", ",",
                            "\t", ", ", "a", "-", "\n", "x", "$1$2", "99999"};
    std::mt19937 random(15);
    int taken = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string line = (i % 50 == 0) ? ".DB" : ".db";
        const int n = int(random() % 12);
        for (int k = 0; k < n; ++k)
            line += pieces[random() % std::size(pieces)];
        for (std::size_t keep : {std::size_t(5), HexLineScanner::kMaxKept}) {
            HexLineScanner fast(keep);
            HexLineScanner full(keep);
            for (char c : line)
                full.Feed(c);
            full.Finish();
            if (!fast.ScanPlainLine(line.data(), line.data() + line.size()))
                continue;
            ++taken;
            ASSERT_FALSE(full.NotDb()) << line;
            ASSERT_FALSE(full.TooLarge()) << line;
            ASSERT_EQ(fast.Count(), full.Count()) << line;
            ASSERT_TRUE(std::equal(full.Kept().begin(), full.Kept().begin() + full.KeptCount(),
                                   fast.Kept().begin()))
                << line;
        }
    }
    EXPECT_GT(taken, 1000);
}

}  // namespace
}  // namespace tobrin
