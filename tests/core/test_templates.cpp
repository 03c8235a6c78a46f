#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "core/outputtemplate.h"
#include "core/pixelfont.h"
#include "core/rle.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

using testfiles::RandomPicture;

MonoSet Frames(int w, int h, int count, std::vector<int> delays = {})
{
    MonoSet set;
    for (int i = 0; i < count; ++i) {
        set.frames.push_back(RandomPicture(w, h, unsigned(40 + i)));
        set.delays.push_back(delays.empty() ? MonoSet::kDefaultDelay : delays[std::size_t(i)]);
    }
    return set;
}

ExportOptions Options(ByteOrder order, const char* name)
{
    ExportOptions options;
    options.order = order;
    options.name = QLatin1String(name);
    return options;
}

QByteArray Render(const QString& name, const MonoSet& set, ByteOrder order)
{
    QString why;
    const std::optional<OutputTemplate> tpl = LoadTemplate(name, &why);
    EXPECT_TRUE(tpl) << why.toStdString();
    ExportOptions options;
    options.order = order;
    options.name = QStringLiteral("walk");
    return tpl ? tpl->Render(set, options).value_or("(failed)") : QByteArray();
}

struct ToolRun {
    int code = -1;
    QByteArray out;
};

int RleSize(const MonoPicture& p)
{
    QByteArray raw;
    for (int y = 0; y < p.height; ++y)
        for (int k = 0; k < (p.width + 7) / 8; ++k) {
            unsigned byte = 0;
            for (int b = 0; b < 8; ++b)
                byte |= 8 * k + b < p.width && p.At(8 * k + b, y) ? 0x80u >> b : 0u;
            raw += char(byte);
        }
    return int(RleEncode(raw).size());
}

ToolRun Execute(const QString& program, const QStringList& args, const QString& dir, const QString& dataHome = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!dataHome.isEmpty())
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAll()};
}

// The built-in db, c and xbm templates write exactly what the formats' own
// writers write, for single pictures, sets (with and without delays, a lone
// frame with a delay of its own) and every byte order: a difference in a
// wrap, a separator, a block's line end or a condition shows here.
TEST(Templates, BuiltInsMatchTheWriters)
{
    const std::vector<int> fourteen = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140};
    const MonoSet sets[] = {Frames(4, 4, 1),  Frames(13, 9, 1),         Frames(240, 120, 1),
                            Frames(17, 20, 3), Frames(8, 8, 14, fourteen), Frames(12, 5, 1, {250})};
    for (const MonoSet& set : sets) {
        for (const ByteOrder order : {ByteOrder::Msb, ByteOrder::Lsb, ByteOrder::Pages}) {
            SCOPED_TRACE(testing::Message() << set.frames[0].width << "x" << set.frames[0].height << " frames "
                                            << set.Count() << " " << ByteOrderName(order));
            const ExportOptions options = Options(order, "walk");
            EXPECT_EQ(Render(QStringLiteral("c"), set, order), *Format("c").encodeSet(set, options, {}, nullptr));
            EXPECT_EQ(Render(QStringLiteral("db"), set, order), *Format("hex").encodeSet(set, options, {}, nullptr));
            if (set.Count() == 1) {
                EXPECT_EQ(Render(QStringLiteral("xbm"), set, order),
                          *Format("xbm").encode(set.frames[0], options, {}, nullptr));
            }
        }
    }
}

// Every mistake is refused with its line and column and the cause.
TEST(Templates, MistakesAreNamedWithLineAndColumn)
{
    const struct {
        const char* text;
        const char* said;
    } rows[] = {
        {"{name}\n\n  x {witdh}", "line 3, column 5: unknown placeholder {witdh}"},
        {"{#frames}\n{data}\n", "line 1, column 1: {#frames} is never closed"},
        {"a\n{/rows}", "line 2, column 1: {/rows} closes nothing"},
        {"{#frames}{#rows}{/frames}{/rows}", "line 1, column 17: {/frames} closes {#rows} of line 1"},
        {"{data:0x%q}", "line 1, column 1: bad format \"0x%q\" in {data}"},
        {"{data:%x%x}", "needs exactly one of"},
        {"{width:%099d}", "a width above 32"},
        {"{name:%d}", "{name} takes no number format"},
        {"{index}", "line 1, column 1: {index} belongs inside {#frames}"},
        {"{#frames}{row}{/frames}", "line 1, column 10: {row} belongs inside {#rows}"},
        {"{#first}x{/first}", "{#first} belongs inside {#frames} or {#rows}"},
        {"{#frames}{#frames}{/frames}{/frames}", "{#frames} cannot stand inside {#frames}"},
        {"{^frames}{/frames}", "^ is for conditions"},
        {"{#colour}{/colour}", "unknown block {#colour}"},
        {"{data per=x}", "per takes a number"},
        {"{data size=3}", "unknown setting size"},
        {"{width per=3}", "{width} takes no setting per"},
        {"{data sep=\", }", "line 1, column 7: {data}: the quoted value is not closed"},
        {"ab {data", "line 1, column 4: {data} is not closed on its line"},
        {"{! note", "the comment is not closed on its line"},
        {"{option eol=cr}", "{option} takes eol=lf|crlf"},
    };
    for (const auto& row : rows) {
        QString why;
        EXPECT_FALSE(OutputTemplate::Parse(QString::fromUtf8(row.text), &why)) << row.text;
        EXPECT_TRUE(why.contains(QLatin1String(row.said))) << row.text << "\n  said: " << why.toStdString();
    }
}

// The command line finds a user's template by name in XDG_DATA_HOME, writes
// through it whatever OUT's extension (rows, compression, formats of
// numbers, a font's glyphs), and refuses a broken template naming its file
// and the place, writing nothing.
TEST(Templates, CommandLineUsesTheUsersTemplates)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("data/tobrin/templates"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write(folder + QStringLiteral("/rows.tpl"),
          "{! one line a row }\n{NAME} {width}x{height} {bytes}/{raw_bytes} {#rle}rle{/rle}\n"
          "{#rows}\n  dc.b {data:%%%08b per=0 sep=\",\"} ; {row}\n{/rows}\n");
    write(folder + QStringLiteral("/broken.tpl"), "{name}\n{#frames}\n  {advence}\n{/frames}\n");
    write(folder + QStringLiteral("/glyphs.tpl"), "{#frames}{char} {code:$%02X} {advance} {bytes}\n{/frames}");
    MonoPicture p;
    p.width = 9;
    p.height = 4;
    p.At(0, 0) = p.At(8, 1) = p.At(3, 3) = 1;
    ASSERT_TRUE(WritePictureFile(dir.filePath(QStringLiteral("in.db")), p, {}));
    const QString tobrin = QStringLiteral(TOBRIN_BINARY);
    const QString data = dir.filePath(QStringLiteral("data"));
    ToolRun run = Execute(tobrin, {"export", "in.db", "-o", "out.png", "--template", "rows", "--name", "icon"}, dir.path(), data);
    ASSERT_EQ(run.code, 0) << run.out.toStdString();
    QFile out(dir.filePath(QStringLiteral("out.png")));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), "ICON 9x4 8/8 \n"
                             "  dc.b %10000000,%00000000 ; 0\n  dc.b %00000000,%10000000 ; 1\n"
                             "  dc.b %00000000,%00000000 ; 2\n  dc.b %00010000,%00000000 ; 3\n");
    out.close();
    // Compressed, the counts are the compression's.
    run = Execute(tobrin, {"export", "in.db", "-o", "rle.s", "--template", "rows", "--rle"}, dir.path(), data);
    ASSERT_EQ(run.code, 0) << run.out.toStdString();
    QFile rle(dir.filePath(QStringLiteral("rle.s")));
    ASSERT_TRUE(rle.open(QIODevice::ReadOnly));
    EXPECT_TRUE(rle.readLine().startsWith("RLE 9x4 " + QByteArray::number(RleSize(p)) + "/8 rle"));
    run = Execute(tobrin, {"export", "in.db", "-o", "bad.c", "--template", "broken"}, dir.path(), data);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.contains(folder.toUtf8() + "/broken.tpl: line 3, column 3: unknown placeholder {advence}"))
        << run.out.toStdString();
    run = Execute(tobrin, {"export", "in.db", "-o", "bad.c", "--template", "nosuch"}, dir.path(), data);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.contains("nosuch: no such template")) << run.out.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("bad.c"))));
    // A font's glyphs, from a file by path.
    ASSERT_TRUE(WriteFontFile(dir.filePath(QStringLiteral("f.db")), *BuiltInFont(QStringLiteral("5x7")), {}));
    QFile::copy(folder + QStringLiteral("/glyphs.tpl"), dir.filePath(QStringLiteral("g.tpl")));
    run = Execute(tobrin, {"font", "f.db", "--chars", "A,\\", "-o", "f.txt", "--template", "./g.tpl"}, dir.path(), data);
    ASSERT_EQ(run.code, 0) << run.out.toStdString();
    QFile font(dir.filePath(QStringLiteral("f.txt")));
    ASSERT_TRUE(font.open(QIODevice::ReadOnly));
    EXPECT_EQ(font.readAll(), "'A' $41 6 8\n'\\\\' $5C 6 8\n");
}

// The c-struct template compiles as C99 without a warning, and the program
// built from it holds each frame's size, delay and bytes (and a font's
// codes and advances) exactly as packed.
TEST(Templates, CStructCompiles)
{
    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    if (cc.isEmpty())
        GTEST_SKIP() << "needs the system C compiler cc";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile main(dir.filePath(QStringLiteral("main.c")));
    ASSERT_TRUE(main.open(QIODevice::WriteOnly));
    main.write("#include <stdio.h>\n#include \"out.h\"\nint main(void) {\n  unsigned i, j;\n"
               "  for (i = 0; i < sizeof walk / sizeof walk[0]; ++i) {\n    const tobrin_bitmap *b = &walk[i];\n"
               "    printf(\"%u %u %u %u %u:\", b->width, b->height, b->delay, (unsigned)b->code, b->advance);\n"
               "    for (j = 0; j < b->size; ++j) printf(\"%02x\", b->data[j]);\n    printf(\"\\n\");\n  }\n"
               "  return 0;\n}\n");
    main.close();
    const QString tobrin = QStringLiteral(TOBRIN_BINARY);
    const MonoSet set = Frames(21, 11, 3, {100, 250, 40});
    const PixelFont& font = *BuiltInFont(QStringLiteral("5x7"));
    for (const bool isFont : {false, true}) {
        for (const ByteOrder order : {ByteOrder::Msb, ByteOrder::Pages}) {
            const ExportOptions options = Options(order, "walk");
            const std::optional<OutputTemplate> tpl = LoadTemplate(QStringLiteral("c-struct"));
            ASSERT_TRUE(tpl);
            ASSERT_TRUE(isFont ? WriteTemplateFile(dir.filePath(QStringLiteral("out.h")), *tpl, font, options)
                               : WriteTemplateFile(dir.filePath(QStringLiteral("out.h")), *tpl, set, options));
            const ToolRun build = Execute(cc, {"-std=c99", "-Wall", "-Wextra", "-Werror", "-pedantic", "-o", "show", "main.c"},
                                      dir.path());
            ASSERT_EQ(build.code, 0) << build.out.toStdString();
            QByteArray expected;
            const int count = isFont ? int(font.glyphs.size()) : set.Count();
            for (int i = 0; i < count; ++i) {
                const MonoPicture& p = isFont ? font.glyphs[std::size_t(i)].bitmap : set.frames[std::size_t(i)];
                expected += QByteArray::number(p.width) + ' ' + QByteArray::number(p.height) + ' '
                    + QByteArray::number(isFont ? 0 : set.delays[std::size_t(i)]) + ' '
                    + QByteArray::number(isFont ? uint(font.glyphs[std::size_t(i)].code) : uint(i)) + ' '
                    + QByteArray::number(isFont ? font.glyphs[std::size_t(i)].advance : p.width) + ':';
                const ExportOptions c = Options(order, "x");
                const QByteArray text = *EncodePicture(p, Format("c"), c);
                for (qsizetype at = text.indexOf("0x"); at >= 0; at = text.indexOf("0x", at + 4))
                    expected += text.mid(at + 2, 2);
                expected += '\n';
            }
            EXPECT_EQ(Execute(dir.filePath(QStringLiteral("show")), {}, dir.path()).out, expected);
        }
    }
}

}  // namespace
}  // namespace tobrin
