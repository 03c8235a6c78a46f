// Saving under faults: a full device, a file-size limit, files and folders
// that must not change, symbolic links, and a save killed at every step of
// its way and at random moments. After any of them the file holds exactly
// the old or exactly the new bytes, and no partial file is left next to it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "imagefiles.h"
#include "core/savefile.h"
#include "test_hostile_support.h"

namespace tobrin {
namespace {

using namespace hostile;

// ---- the saver child -----------------------------------------------------------------

// Run as "core_tests" with TOBRIN_SAVE_FOREVER=PATH, this binary saves
// alternately two large contents to PATH until it is killed. It starts
// before GoogleTest does anything.
QByteArray SaverContent(int which)
{
    // Different lengths and fillings: any mix of the two, or a cut copy,
    // matches neither.
    const qsizetype size = which == 0 ? 3 * 1024 * 1024 + 17 : 5 * 1024 * 1024 + 3;
    QByteArray data(size, which == 0 ? 'a' : 'b');
    for (qsizetype i = 0; i < size; i += 4096)
        data[i] = char('0' + (i / 4096) % 10);
    return data;
}

const bool g_saver = [] {
    const char* target = std::getenv("TOBRIN_SAVE_FOREVER");
    if (!target)
        return false;
    const QByteArray contents[2] = {SaverContent(0), SaverContent(1)};
    const QString path = QFile::decodeName(target);
    for (int i = 0;; i = 1 - i)
        if (!WriteFileAtomically(path, contents[i]))
            _exit(3);
}();

// ---- helpers ------------------------------------------------------------------------

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void WriteRaw(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(data), data.size());
}

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray Saved(int w, int h, unsigned seed) { return testfiles::SavedText(testfiles::RandomPicture(w, h, seed, false)); }

// What a killed save may leave: the target with exactly one of the allowed
// contents, and at most a renamed-to-be copy ("NAME.XXXXXX") that holds a
// complete new content. Returns the number of such leftovers.
int CheckAfterKill(const QString& dir, const QString& name, const QList<QByteArray>& allowed,
                   const QList<QByteArray>& complete, const std::string& what)
{
    int leftovers = 0;
    const QByteArray content = ReadAll(QDir(dir).filePath(name));
    EXPECT_TRUE(allowed.contains(content)) << what << ": the file holds " << content.size()
                                           << " bytes that are neither the old nor a new content";
    for (const QString& entry : Entries(dir)) {
        if (entry == name)
            continue;
        const bool named = entry.startsWith(name + QLatin1Char('.')) && entry.size() == name.size() + 7;
        EXPECT_TRUE(named) << what << ": stray file " << entry.toStdString();
        EXPECT_TRUE(complete.contains(ReadAll(QDir(dir).filePath(entry))))
            << what << ": " << entry.toStdString() << " is not a complete copy";
        QFile::remove(QDir(dir).filePath(entry));
        ++leftovers;
    }
    return leftovers;
}

bool HaveStrace() { return QFileInfo(QStringLiteral("/usr/bin/strace")).isExecutable(); }

// File attributes (chattr) that even root cannot write through.
class Attribute {
public:
    Attribute(const QString& path, const char* flag) : path_(path), flag_(flag)
    {
        const Measured m = RunMeasured(QStringLiteral("/usr/bin/chattr"), {QByteArray("+") + flag, Path(path)});
        ok_ = m.exitCode == 0;
    }
    ~Attribute()
    {
        if (ok_)
            RunMeasured(QStringLiteral("/usr/bin/chattr"), {QByteArray("-") + flag_, Path(path_)});
    }
    bool ok() const { return ok_; }

private:
    QString path_;
    QByteArray flag_;
    bool ok_ = false;
};

// ---- full device and file-size limit ------------------------------------------------

TEST(SaveFaults, FullDeviceIsRefusedAsATarget)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("full.txt"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), link));
    for (const QString& target : {QStringLiteral("/dev/full"), link}) {
        SCOPED_TRACE(target.toStdString());
        QString error;
        EXPECT_FALSE(WriteFileAtomically(target, "data", &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/full")).isFile());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

// The limit counts bytes of any one file: the save fails at whatever point
// it is reached, with SIGXFSZ left at its default (the program itself must
// keep it from ending the process).
TEST(SaveFaults, FileSizeLimitAtEveryKilobyte)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray old = Saved(40, 32, 1);
    const QByteArray fresh = Saved(240, 120, 2);  // about 15 KB
    WriteRaw(dir.filePath(QStringLiteral("in.txt")), fresh);
    const int kb = int(fresh.size() / 1024);
    for (int limit = 0; limit <= kb + 1; ++limit) {
        SCOPED_TRACE(limit);
        WriteRaw(dir.filePath(QStringLiteral("pic.txt")), old);
        const Measured m = RunMeasured(
            QStringLiteral("/bin/bash"),
            {"-c", "trap - XFSZ; ulimit -f " + QByteArray::number(limit) + "; exec \"$0\" \"$@\"", TOBRIN_BINARY,
             "export", "in.txt", "-o", "pic.txt"},
            {}, 30000, dir.path());
        EXPECT_EQ(m.signal, 0);
        if (qint64(limit) * 1024 >= fresh.size()) {
            EXPECT_EQ(m.exitCode, 0) << m.err.toStdString();
            EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("pic.txt"))), fresh);
        } else {
            EXPECT_EQ(m.exitCode, 1);
            EXPECT_TRUE(m.err.contains("Error writing file!")) << m.err.toStdString();
            EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("pic.txt"))), old);
        }
        EXPECT_EQ(Entries(dir.path()), (QStringList{QStringLiteral("in.txt"), QStringLiteral("pic.txt")}));
    }
}

// ---- files and folders that must not change -----------------------------------------

// Root writes through permission bits, so these use attributes that stop
// root too. The check of permission bits for ordinary users runs in the
// command line tests (as an unprivileged user through setpriv).
TEST(SaveFaults, ImmutableAndAppendOnlyFilesAndFoldersAreLeftAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray old = Saved(40, 32, 3);
    const QByteArray fresh = Saved(40, 32, 4);

    for (const char* flag : {"i", "a"}) {
        SCOPED_TRACE(flag);
        const QString file = dir.filePath(QStringLiteral("locked-%1.txt").arg(QLatin1String(flag)));
        WriteRaw(file, old);
        Attribute attribute(file, flag);
        if (!attribute.ok())
            GTEST_SKIP() << "chattr +" << flag << " does not work here (no CAP_LINUX_IMMUTABLE or no support)";
        QString error;
        EXPECT_FALSE(WriteFileAtomically(file, fresh, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(ReadAll(file), old);
        // Through a link and through the binary as well.
        const QString link = dir.filePath(QStringLiteral("link-%1.txt").arg(QLatin1String(flag)));
        ASSERT_TRUE(QFile::link(file, link));
        EXPECT_FALSE(WriteFileAtomically(link, fresh));
        WriteRaw(dir.filePath(QStringLiteral("in.txt")), fresh);
        const Measured m = Tobrin({"export", Path(dir.filePath(QStringLiteral("in.txt"))), "-o", Path(file)});
        EXPECT_EQ(m.exitCode, 1);
        EXPECT_TRUE(m.err.contains("Error writing file!"));
        EXPECT_EQ(ReadAll(file), old);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        QFile::remove(link);
        QFile::remove(dir.filePath(QStringLiteral("in.txt")));
    }

    EXPECT_EQ(Entries(dir.path()), (QStringList{QStringLiteral("locked-a.txt"), QStringLiteral("locked-i.txt")}));

    const QString folder = dir.filePath(QStringLiteral("sealed"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString inside = folder + QStringLiteral("/pic.txt");
    WriteRaw(inside, old);
    Attribute sealed(folder, "i");
    ASSERT_TRUE(sealed.ok());
    for (const QString& target : {inside, folder + QStringLiteral("/new.txt")}) {
        SCOPED_TRACE(target.toStdString());
        QString error;
        EXPECT_FALSE(WriteFileAtomically(target, fresh, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(ReadAll(inside), old);
    EXPECT_EQ(Entries(folder), QStringList{QStringLiteral("pic.txt")});
}

// ---- symbolic links ---------------------------------------------------------------

TEST(SaveFaults, LinkChainsLoopsAndLinksIntoOtherFolders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("a/b"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("c"))));
    const QString real = dir.filePath(QStringLiteral("c/real.txt"));
    WriteRaw(real, "old");
    // a/b/first -> ../second (relative, resolved from a/b) -> ../c/real.txt
    ASSERT_TRUE(QFile::link(QStringLiteral("../c/real.txt"), dir.filePath(QStringLiteral("a/second"))));
    ASSERT_EQ(symlink("../second", QFile::encodeName(dir.filePath(QStringLiteral("a/b/first"))).constData()), 0);
    const QString first = dir.filePath(QStringLiteral("a/b/first"));
    ASSERT_EQ(ReadAll(first), "old");
    QString error;
    ASSERT_TRUE(WriteFileAtomically(first, "new through two links", &error)) << error.toStdString();
    EXPECT_EQ(ReadAll(real), "new through two links");
    EXPECT_TRUE(QFileInfo(first).isSymLink());
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("a/second"))).isSymLink());
    EXPECT_EQ(Entries(dir.filePath(QStringLiteral("c"))), QStringList{QStringLiteral("real.txt")});
    EXPECT_EQ(Entries(dir.filePath(QStringLiteral("a/b"))), QStringList{QStringLiteral("first")});

    // A loop, a link into a missing folder, a link to a folder: refused,
    // and nothing is created anywhere.
    const QString loopA = dir.filePath(QStringLiteral("loop-a"));
    const QString loopB = dir.filePath(QStringLiteral("loop-b"));
    ASSERT_TRUE(QFile::link(loopB, loopA));
    ASSERT_TRUE(QFile::link(loopA, loopB));
    const QString nowhere = dir.filePath(QStringLiteral("nowhere"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("missing/pic.txt")), nowhere));
    const QString toFolder = dir.filePath(QStringLiteral("to-folder"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("c")), toFolder));
    const QStringList before = Entries(dir.path());
    for (const QString& path : {loopA, nowhere, toFolder}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(WriteFileAtomically(path, "data", &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(QFileInfo(path).isSymLink());
    }
    EXPECT_EQ(Entries(dir.path()), before);
    EXPECT_EQ(Entries(dir.filePath(QStringLiteral("c"))), QStringList{QStringLiteral("real.txt")});
}

// ---- killed while saving ------------------------------------------------------------

// The save's own steps, found with strace: open the unnamed temporary file
// (O_TMPFILE), set its mode, write, flush to disk, link it under the file's
// name (fails when the file exists), link it under a temporary name, rename
// that over the file. strace kills the saver as each step begins.
TEST(SaveFaults, KilledAtEveryStepOfTheSave)
{
    if (!HaveStrace())
        GTEST_SKIP() << "needs /usr/bin/strace to stop the save at its system calls";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QByteArray old = Saved(40, 32, 5);
    const QByteArray fresh = Saved(240, 120, 6);
    const QString in = dir.filePath(QStringLiteral("in.txt"));
    WriteRaw(in, fresh);

    struct Step {
        const char* what;
        QList<QByteArray> filter;  // strace arguments choosing the call
    };
    const Step steps[] = {
        {"opening the temporary file", {"-P", Path(folder), "-e", "trace=openat", "-e", "inject=openat:signal=KILL"}},
        {"setting its mode", {"-e", "trace=fchmod", "-e", "inject=fchmod:signal=KILL"}},
        {"writing", {"-e", "trace=write", "-e", "inject=write:signal=KILL"}},
        {"flushing to disk", {"-e", "trace=fdatasync,fsync", "-e", "inject=fdatasync,fsync:signal=KILL"}},
        {"the first link", {"-e", "trace=linkat", "-e", "inject=linkat:signal=KILL:when=1"}},
        {"the second link", {"-e", "trace=linkat", "-e", "inject=linkat:signal=KILL:when=2"}},
        {"the rename", {"-e", "trace=rename,renameat,renameat2", "-e", "inject=rename,renameat,renameat2:signal=KILL"}},
        {"the exit", {"-e", "trace=exit_group", "-e", "inject=exit_group:signal=KILL"}},
    };
    for (const bool existing : {true, false}) {
        for (const Step& step : steps) {
            const std::string what = std::string(step.what) + (existing ? " (file exists)" : " (new file)");
            SCOPED_TRACE(what);
            const QString target = QDir(folder).filePath(QStringLiteral("pic.txt"));
            QFile::remove(target);
            if (existing)
                WriteRaw(target, old);
            QList<QByteArray> args{"-f", "-o", "/dev/null"};
            args += step.filter;
            args += {TOBRIN_BINARY, "export", Path(in), "-o", Path(target)};
            const Measured m = RunMeasured(QStringLiteral("/usr/bin/strace"), args);
            ASSERT_TRUE(m.started);
            const QList<QByteArray> allowed = existing ? QList<QByteArray>{old, fresh}
                                                       : QList<QByteArray>{QByteArray("<unreadable>"), fresh};
            const int leftovers = CheckAfterKill(folder, QStringLiteral("pic.txt"), allowed, {fresh}, what);
            if (leftovers > 0) {
                // Only the window between the second link and the rename
                // leaves the complete copy under its temporary name.
                EXPECT_STREQ(step.what, "the rename");
                std::printf("[savefaults] killed before %s: a complete copy is left as pic.txt.XXXXXX\n",
                            what.c_str());
            }
            if (std::string(step.what) == "the exit") {
                EXPECT_EQ(ReadAll(target), fresh);
            }
        }
    }
}

// Killed at random moments while saving megabytes over and over: every
// kill leaves the old or a new content, never a mix.
TEST(SaveFaults, KilledAtRandomMomentsWhileSavingLargeFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("pic.txt"));
    const QByteArray old("the old picture\r\n");
    WriteRaw(target, old);
    const QList<QByteArray> allowed{old, SaverContent(0), SaverContent(1)};
    const QList<QByteArray> complete{SaverContent(0), SaverContent(1)};

    // This same test binary, run as the saver (see g_saver).
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = '\0';
    const std::string env = "TOBRIN_SAVE_FOREVER=" + QFile::encodeName(target).toStdString();
    QRandomGenerator random(20240605);
    int leftovers = 0;
    int mixes = 0;
    int seen[3] = {0, 0, 0};  // old, first, second content
    constexpr int kKills = 40;
    for (int i = 0; i < kKills; ++i) {
        const int delayMs = 2 + int(random.bounded(6 * i + 10));
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            char* argv[] = {self, nullptr};
            char* envp[] = {const_cast<char*>(env.c_str()), nullptr};
            execve(self, argv, envp);
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status)) << "the saver stopped on its own: " << status;
        const std::string what = "kill " + std::to_string(i) + " after " + std::to_string(delayMs) + " ms";
        const QByteArray now = ReadAll(target);
        mixes += !allowed.contains(now);
        seen[now == old ? 0 : now == complete[0] ? 1 : 2] += 1;
        leftovers += CheckAfterKill(dir.path(), QStringLiteral("pic.txt"), allowed, complete, what);
    }
    EXPECT_EQ(mixes, 0);
    // The kills did land while saves were going on.
    EXPECT_GT(seen[1] + seen[2], 0);
    std::printf("[savefaults] %d kills while saving 3 and 5 MB: old %d, first %d, second %d; %d left a "
                "renamed-to-be copy\n",
                kKills, seen[0], seen[1], seen[2], leftovers);
}

// The same through the command line: the export killed at random moments.
TEST(SaveFaults, ExportKilledAtRandomMoments)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray old = Saved(40, 32, 7);
    const QByteArray fresh = Saved(240, 120, 8);
    WriteRaw(dir.filePath(QStringLiteral("in.txt")), fresh);
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkdir(out));
    const QString target = out + QStringLiteral("/pic.txt");
    QRandomGenerator random(77);
    for (int i = 0; i < 30; ++i) {
        WriteRaw(target, old);
        const qint64 delay = 1 + random.bounded(40);
        const Measured m = Tobrin({"export", Path(dir.filePath(QStringLiteral("in.txt"))), "-o", Path(target)}, {},
                                  delay);
        const std::string what = "export killed after " + std::to_string(delay) + " ms";
        EXPECT_TRUE(m.killed || m.exitCode == 0) << what << ": " << m.err.toStdString();
        CheckAfterKill(out, QStringLiteral("pic.txt"), {old, fresh}, {fresh}, what);
    }
}

}  // namespace
}  // namespace tobrin
