#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "core/formats.h"
#include "core/rle.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

// A figure striding across the screen, legs swinging: what the compression is for.
MonoSet WalkCycle()
{
    MonoSet set;
    for (int f = 0; f < 8; ++f) {
        MonoPicture& p = set.frames.emplace_back();
        p.width = 240, p.height = 120;
        const int x = 30 + 25 * f, swing = (f % 4 - 2) * 4;
        for (int y = 10; y < 110; ++y)
            for (int dx = -12; dx <= 12; ++dx)
                p.At(x + dx, y) = y < 35 ? std::abs(dx * dx + (y - 22) * (y - 22) - 90) < 20
                                         : std::abs(std::abs(dx) - std::max(0, (y - 75) * swing / 35)) < 2;
    }
    set.delays.assign(8, MonoSet::kDefaultDelay);
    return set;
}

// Runs program in dir with input on its standard input: what it says.
QByteArray Tool(const QString& program, const QStringList& args, const QString& dir, int* code, const QByteArray& input = {})
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    *code = p.exitCode();
    return p.readAllStandardOutput() + p.readAllStandardError();
}

// docs/rle_decode.c, built by cc, decodes what the encoder packs, whole and row by
// row; nothing grows beyond one byte in 128 (alternating bytes, the worst case).
TEST(Rle, TheDocumentedDecoderUnpacksEveryKindOfPicture)
{
    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    if (cc.isEmpty())
        GTEST_SKIP() << "needs the system C compiler cc";
    QTemporaryDir dir;
    int code = 0;
    ASSERT_EQ(Tool(cc, {"-std=c89", "-pedantic", "-Wall", "-Werror", "-o", "unpack", "-x", "c", "-", "-x", "none",
                        QFileInfo(TOBRIN_MANPAGE).dir().filePath("rle_decode.c")},
                   dir.path(), &code,
                   "#include <stdio.h>\nsize_t tobrin_rle_decode(const unsigned char*, size_t, unsigned char*, size_t);\n"
                   "static unsigned char in[1 << 20], out[1 << 20];\nint main(void) {\n  fwrite(out, 1, "
                   "tobrin_rle_decode(in, fread(in, 1, sizeof in, stdin), out, sizeof out), stdout);\n  return 0;\n}\n"),
              QByteArray());
    const QByteArray alternating = QByteArray(1800, '\0').replace(QByteArray(1, '\0'), "\x0f\xf0");
    std::vector<std::pair<QByteArray, int>> cases = {
        {QByteArray(3600, '\0'), 30}, {QByteArray(3600, '\xff'), 240}, {alternating, 30}, {QByteArray("a"), 1},
        {QByteArray("\x01\x01\x02", 3), 3}, {PackedBytes(testfiles::RandomPicture(240, 120, 7), ByteOrder::Msb), 30},
        {QByteArray(), 1},
    };
    for (const ByteOrder order : {ByteOrder::Msb, ByteOrder::Pages})
        for (const MonoPicture& frame : WalkCycle().frames)
            cases.emplace_back(PackedBytes(frame, order), PackedRowBytes(240, order));
    for (std::size_t n = 0; n < 2 * cases.size(); ++n) {
        const auto& [raw, rowBytes] = cases[n / 2];
        const QByteArray packed = n % 2 ? RleEncodeRows(raw, rowBytes) : RleEncode(raw);
        EXPECT_LE(packed.size(), raw.size() + (raw.size() + 127) / 128 + (n % 2 ? raw.size() / rowBytes : 0));
        EXPECT_EQ(RleDecode(packed, std::size_t(raw.size())), raw);
        EXPECT_EQ(Tool(dir.filePath("unpack"), {}, dir.path(), &code, packed), raw) << "case " << n / 2 << " " << n % 2;
    }
}

// The command line writes a picture and a set compressed in every order, whole and
// row by row, and reads them back; a damaged array is refused, never read as raw.
TEST(Rle, CommandLineRoundTrip)
{
    QTemporaryDir dir;
    MonoSet walk = WalkCycle();
    walk.delays[3] = 40;
    ASSERT_TRUE(WritePictureSetFile(dir.filePath(QStringLiteral("walk.db")), walk, {}));
    int code = 0;  // the set of eight, then its frame 2 alone (a single picture's array)
    for (const char* order : {"msb", "lsb", "pages"})
        for (const char* rle : {"--rle", "--rle-rows"})
            for (const char* frame : {"--name=w", "--frame=2"}) {
                SCOPED_TRACE(std::string(order) + rle + frame);
                EXPECT_TRUE(QString(Tool(TOBRIN_BINARY, {"export", "walk.db", "-o", "w.h", "--order", order, rle, frame},
                                         dir.path(), &code)).contains(QRegularExpression("^w: \\d+ bytes -> \\d+ bytes \\(\\d+%\\)\n$")));
                ASSERT_EQ(Tool(TOBRIN_BINARY, {"export", "w.h", "-o", "back.db"}, dir.path(), &code), QByteArray());
                const std::optional<MonoSet> back = ReadPictureSetFile(dir.filePath(QStringLiteral("back.db")));
                EXPECT_TRUE(back && (frame[2] == 'f' ? back->frames == std::vector<MonoPicture>{walk.frames[2]}
                                                     : back->frames == walk.frames && back->delays == walk.delays));
                QFile h(dir.filePath(QStringLiteral("w.h")));
                const std::optional<ExportOptions> options = CArrayOptionsOf(h.open(QIODevice::ReadOnly) ? h.readAll() : "");
                EXPECT_TRUE(options && options->rle && options->rleRows == (rle[5] == '-') &&
                            ByteOrderName(options->order) == std::string(order));
            }
    // Arrays wrong in one way each ("RAW_SIZE SIZE bytes"), refused with the cause.
    const std::pair<const char*, const char*> damaged[] = {
        {"4 2 0x82,0xff", nullptr},  // four 0xff: the one that reads
        {"4 2 0x81,0xff", "give 3 bytes; NAME_RAW_SIZE says 4"},
        {"4 2 0x83,0xff", "damaged"},  // more bytes than RAW_SIZE
        {"4 2 0x03,0xff", "damaged"},  // a literal cut short
        {"4 1 0x82", "damaged"},       // a run without its byte
        {"5 2 0x82,0xff", "NAME_RAW_SIZE is 5"},
    };
    for (const auto& [row, cause] : damaged) {
        const QStringList f = QString::fromLatin1(row).split(QLatin1Char(' '));
        const QByteArray data = QStringLiteral("#define X_WIDTH 8\n#define X_HEIGHT 4\n#define X_RAW_SIZE %1\n#define "
                                               "X_SIZE %2\nstatic const unsigned char x[X_SIZE] = { %3 };\n")
                                    .arg(f[0], f[1], f[2]).toLatin1();
        QString why, whyPicture;
        EXPECT_EQ(Format("c").decodeSet(data, {}, &why).has_value(), !cause) << data.constData();
        const std::optional<MonoPicture> picture = Format("c").decode(data, {}, &whyPicture);
        EXPECT_TRUE(cause ? why.contains(QLatin1String(cause)) && whyPicture == why : picture && picture->At(7, 3))
            << why.toStdString();
    }
    EXPECT_TRUE(Tool(TOBRIN_BINARY, {"export", "walk.db", "-o", "w.png", "--rle"}, dir.path(), &code)
                    .startsWith("tobrin: --rle is for a C array (.c or .h) or a template\n") && code == 2);
}

}  // namespace
}  // namespace tobrin
