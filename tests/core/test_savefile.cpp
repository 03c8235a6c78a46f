#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <sys/stat.h>

#include "core/savefile.h"

namespace tobrin {
namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void WriteRaw(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(data), data.size());
}

QStringList Entries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
}

// Lowers the file-size limit for this process while in scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lower = saved_;
        lower.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    bool ok_ = false;
};

TEST(SaveFile, CreatesAndReplacesLeavingNoTemporaryFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pic.txt"));
    QString error;
    ASSERT_TRUE(WriteFileAtomically(path, "first\r\n", &error)) << error.toStdString();
    EXPECT_EQ(ReadAll(path), "first\r\n");
    ASSERT_TRUE(WriteFileAtomically(path, "second, longer\r\n", &error)) << error.toStdString();
    EXPECT_EQ(ReadAll(path), "second, longer\r\n");
    ASSERT_TRUE(WriteFileAtomically(path, QByteArray()));
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(Entries(dir), QStringList{QStringLiteral("pic.txt")});
}

TEST(SaveFile, WritesThroughASymbolicLink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("real.txt"));
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    WriteRaw(target, "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("real.txt"), link));  // relative link
    ASSERT_TRUE(WriteFileAtomically(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(target), "new");

    // A dangling link gets its target created.
    const QString dangling = dir.filePath(QStringLiteral("dangling.txt"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("made.txt")), dangling));
    ASSERT_TRUE(WriteFileAtomically(dangling, "made"));
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("made.txt"))), "made");
    EXPECT_EQ(Entries(dir).size(), 4);
}

TEST(SaveFile, RefusesTargetsThatAreNoRegularFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString linkToFolder = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(folder, linkToFolder));
    for (const QString& path : {folder, fifo, linkToFolder}) {
        SCOPED_TRACE(path.toStdString());
        QString error;
        EXPECT_FALSE(WriteFileAtomically(path, "data", &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_EQ(Entries(dir).size(), 3);
}

TEST(SaveFile, FailsWhereNoFileCanBeCreated)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& path : {dir.filePath(QStringLiteral("missing/pic.txt")),
                                QStringLiteral("/proc/tobrin-cannot-write.txt"), QString()}) {
        SCOPED_TRACE(path.toStdString());
        QString error;
        EXPECT_FALSE(WriteFileAtomically(path, "data", &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_TRUE(Entries(dir).isEmpty());
}

TEST(SaveFile, FileSizeLimitFailsAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pic.txt"));
    const QByteArray old("the old content\r\n");
    WriteRaw(path, old);
    // Small data stays in the write buffer and fails only when flushed;
    // large data fails in write itself.
    for (int size : {900, 1 << 20}) {
        SCOPED_TRACE(size);
        bool ok = true;
        QString error;
        {
            FileSizeLimit limit(512);
            ASSERT_TRUE(limit.ok());
            ok = WriteFileAtomically(path, QByteArray(size, 'x'), &error);
        }
        EXPECT_FALSE(ok);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(ReadAll(path), old);
        EXPECT_EQ(Entries(dir), QStringList{QStringLiteral("pic.txt")});
    }
    // Under the limit the write succeeds.
    {
        FileSizeLimit limit(512);
        EXPECT_TRUE(WriteFileAtomically(path, QByteArray(500, 'y')));
    }
    EXPECT_EQ(ReadAll(path), QByteArray(500, 'y'));
}

}  // namespace
}  // namespace tobrin
