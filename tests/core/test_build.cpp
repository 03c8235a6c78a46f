#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "core/formats.h"

namespace tobrin {
namespace {

struct Ran {
    int exitCode = -1;
    QString out;
    QString err;
};

Ran Tobrin(const QStringList& args, const QString& dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral(TOBRIN_BINARY), args);
    Ran r;
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void Write(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const char kDejaVu[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Every kind of output at once, three times: a first build makes them all, a
// second finds them up to date, and a change of one source, one setting and
// one template rebuilds just what they feed (an output read by another
// included), the others left alone.
TEST(BuildCommand, RebuildsOnlyWhatChanged)
{
    if (!QFile::exists(QLatin1String(kDejaVu)))
        GTEST_SKIP() << "DejaVu fonts are not installed";
    QTemporaryDir tmp;
    const QString d = tmp.path() + QLatin1Char('/');
    Write(d + "art/a.db", ".db  8, 4\r\n.db $18\r\n.db $3c\r\n.db $7e\r\n.db $ff\r\n");
    Write(d + "art/b.db", ".db  8, 4\r\n.db $81\r\n.db $42\r\n.db $24\r\n.db $18\r\n");
    QImage sheet(24, 8, QImage::Format_RGB32);  // grey and colour: only an import takes it
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x)
            sheet.setPixel(x, y, qRgb(x * 10, (x + y) % 3 ? 200 : 20, 90));
    ASSERT_TRUE(sheet.save(d + "art/sheet.png"));
    Write(d + "my.tpl", "; {name} {width}x{height}\n{#frames}{data:%d sep=\",\"}\n{/frames}");
    QByteArray manifest = QByteArray(
        "[[output]]\npath = \"gfx/a.h\"\nsources = [\"art/a.db\"]\norder = \"lsb\"\n"
        "[[output]]\npath = \"gfx/walk_rle.c\"\nsources = [\"gfx/walk.db\"]\ntemplate = \"c\"\nrle = true\n"
        "[[output]]\npath = \"gfx/walk.db\"\nsources = [\"art/a.db\", \"art/b.db\"]\n"
        "[[output]]\npath = \"gfx/sheet.db\"\nsources = [\"art/sheet.png\"]\n"
        "import = { frames = \"3x1\", threshold = 100, dither = \"none\" }\n"
        "[[output]]\npath = \"gfx/digits.h\"\nsources = [\"") + kDejaVu + "\"]\n"
        "font = { size = 12, chars = \"0-9\" }\n"
        "[[output]]\npath = \"gfx/a.txt\"\nsources = [\"art/a.db\"]\ntemplate = \"my.tpl\"\nname = \"logo\"\n";
    Write(d + "tobrin.toml", manifest);
    const QStringList order = {"gfx/a.h", "gfx/walk_rle.c", "gfx/walk.db", "gfx/sheet.db", "gfx/digits.h",
                               "gfx/a.txt"};
    const auto lines = [&order](const QStringList& built) {
        QString text;
        for (const QString& path : order)
            text += (built.contains(path) ? "built " : "up to date ") + path + "\n";
        return text;
    };

    Ran r = Tobrin({"build", "--jobs", "3"}, d);
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.out + r.err);
    EXPECT_EQ(r.out, lines(order));
    const auto walk = ReadPictureSetFile(d + "gfx/walk.db");
    ASSERT_TRUE(walk);
    EXPECT_EQ(walk->Count(), 2);
    const auto cut = ReadPictureSetFile(d + "gfx/sheet.db");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->Count(), 3);
    EXPECT_EQ(cut->frames[0].width, 8);
    EXPECT_TRUE(Read(d + "gfx/a.txt").startsWith("; logo 8x4\n24,60,126,255\n"));
    EXPECT_TRUE(Read(d + "gfx/a.h").contains("lsb"));
    EXPECT_TRUE(Read(d + "gfx/walk_rle.c").contains("run-length") || Read(d + "gfx/walk_rle.c").contains("rle"));
    // The C is C: every array compiles.
    for (const char* c : {"gfx/a.h", "gfx/walk_rle.c", "gfx/digits.h"}) {
        const int cc = QProcess::execute("cc", {"-x", "c", "-std=c99", "-Wall", "-Werror", "-Wno-unused-const-variable",
                                                "-c", d + c, "-o", d + "out.o"});
        EXPECT_EQ(cc, 0) << c;
    }

    r = Tobrin({"build", "tobrin.toml"}, d);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, lines({}));

    const QByteArray before = Read(d + "gfx/sheet.db");
    Write(d + "art/b.db", ".db  8, 4\r\n.db $ff\r\n.db $42\r\n.db $24\r\n.db $ff\r\n");
    Write(d + "my.tpl", "{name}\n");
    Write(d + "tobrin.toml", manifest.replace("order = \"lsb\"", "order = \"pages\""));
    r = Tobrin({"build", d + "tobrin.toml"}, QDir::rootPath());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, lines({"gfx/a.h", "gfx/walk.db", "gfx/walk_rle.c", "gfx/a.txt"}));
    EXPECT_EQ(Read(d + "gfx/a.txt"), "logo\n");
    EXPECT_EQ(Read(d + "gfx/sheet.db"), before);

    // A failure fails only its own output and those it feeds.
    Write(d + "art/b.db", ".db  9, 4\r\n.db $ff\r\n");
    r = Tobrin({"build", "--force"}, d);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.startsWith("built gfx/a.h\nfailed gfx/walk_rle.c: its source gfx/walk.db failed\nfailed "
                                 "gfx/walk.db: ")) << qPrintable(r.out);
    EXPECT_TRUE(r.out.endsWith("built gfx/sheet.db\nbuilt gfx/digits.h\nbuilt gfx/a.txt\n"));
}

// A manifest that cannot be built is refused whole: the cause and where,
// and not a file written.
TEST(BuildCommand, RefusesBadManifests)
{
    const struct {
        const char* manifest;
        const char* message;
    } cases[] = {
        {"[[output]]\npath = \"a.db\nsources = []\n",
         "line 2, column 13: Error while parsing string: unescaped control characters other than TAB (U+0009) are "
         "explicitly prohibited"},
        {"[[output]]\npath = \"a.db\"\nsources = [\"s.db\"]\ntemplte = \"c\"\n",
         "line 4: unknown key 'templte' (did you mean 'template'?)"},
        {"[[output]]\npath = \"a.db\"\nsources = [\"s.db\"]\nimport = { treshold = 9 }\n",
         "line 4: unknown key 'treshold' in import (did you mean 'threshold'?)"},
        {"[[output]]\npath = \"a.db\"\nsources = [\"s.db\"]\nframes = 2\n", "line 4: unknown key 'frames'"},
        {"[[output]]\npath = \"a.db\"\nsources = [\"s.db\", \"gone.db\"]\n",
         "line 1: a.db: source gone.db does not exist"},
        {"[[output]]\npath = \"a.db\"\nsources = [\"s.db\"]\n[[output]]\npath = \"./a.db\"\nsources = [\"s.db\"]\n",
         "line 4: two outputs write a.db (the other at line 1)"},
        {"[[output]]\npath = \"a.db\"\nsources = [\"c.db\"]\n[[output]]\npath = \"b.db\"\nsources = [\"a.db\"]\n"
         "[[output]]\npath = \"c.db\"\nsources = [\"b.db\", \"s.db\"]\n",
         "a cycle of outputs, each made from the next: a.db <- c.db <- b.db <- a.db"},
        {"[[output]]\npath = \"../a.db\"\nsources = [\"s.db\"]\n",
         "line 1: output ../a.db is outside the manifest's folder (--allow-outside allows it)"},
        {"[[output]]\npath = \"a.db\"\nsources = [\"s.db\"]\nimport = { threshold = 0 }\n",
         "line 1: a.db: import: --threshold takes a number from 1 to 255"},
    };
    for (const auto& c : cases) {
        QTemporaryDir tmp;
        Write(tmp.filePath("s.db"), ".db  8, 4\r\n.db $18\r\n.db $3c\r\n.db $7e\r\n.db $ff\r\n");
        Write(tmp.filePath("m.toml"), c.manifest);
        const Ran r = Tobrin({"build", "m.toml"}, tmp.path());
        EXPECT_EQ(r.exitCode, 1) << c.manifest;
        EXPECT_EQ(r.err.toStdString(), std::string("tobrin build: m.toml: ") + c.message + "\n");
        EXPECT_EQ(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList({"m.toml", "s.db"}));
        EXPECT_TRUE(r.out.isEmpty());
    }
}

}  // namespace
}  // namespace tobrin
