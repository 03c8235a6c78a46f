#include "core/savefile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace tobrin {

namespace {

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// The path the content finally lands in: symbolic links followed (also a
// dangling one, whose target is then created).
QString FinalPath(const QString& path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 64 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

void IgnoreFileSizeSignal()
{
#ifdef SIGXFSZ
    static const bool done = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)done;
#endif
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error)
{
    if (path.isEmpty())
        return Fail(error, QStringLiteral("No file name given"));
    IgnoreFileSizeSignal();

    const QString target = FinalPath(path);
    const QFileInfo info(target);
    if (info.isSymLink())
        return Fail(error, QStringLiteral("Too many levels of symbolic links: %1").arg(path));
    if (info.isDir())
        return Fail(error, QStringLiteral("%1 is a folder").arg(path));
    // A device, pipe or socket cannot be replaced by a file.
    if (info.exists() && !info.isFile())
        return Fail(error, QStringLiteral("%1 is not a regular file").arg(path));
    // Renaming over a read-only file only needs a writable folder; a file
    // the user may not write must stay as it is.
    if (info.exists() && !info.isWritable())
        return Fail(error, QStringLiteral("%1 is not writable").arg(path));

    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, file.errorString());

    const auto abandon = [&file, error] {
        const QString why = file.errorString();
        file.cancelWriting();
        file.commit();  // discards the temporary file
        return Fail(error, why.isEmpty() ? QStringLiteral("Write error") : why);
    };
    if (!data.isEmpty() && file.write(data) != data.size())
        return abandon();
    if (!file.flush())
        return abandon();
    // The bytes reach the disk before the rename makes them the file, so a
    // crash or a power cut leaves the old file or the new one, never an
    // empty one. QSaveFile syncs too but ignores a failure; this one is a
    // write error. A file system that cannot sync (EINVAL) has nothing to wait for.
    if (::fsync(file.handle()) != 0 && errno != EINVAL) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        file.commit();
        return Fail(error, why);
    }
    if (file.error() != QFileDevice::NoError)
        return abandon();
    if (!file.commit())
        return Fail(error, file.errorString());
    return true;
}

}  // namespace tobrin
