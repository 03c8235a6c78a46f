#pragma once

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <sys/stat.h>

namespace tobrin {

// True for a regular file or a link to one. Readers refuse anything else
// before opening it: a pipe without a writer would block the open, and a
// device such as /dev/zero never ends.
inline bool IsRegularFile(const QString& path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// True when both names reach one existing file, through any path, link
// or hard link.
inline bool SameFile(const QString& a, const QString& b)
{
    struct stat one {};
    struct stat two {};
    return !a.isEmpty() && !b.isEmpty() && ::stat(QFile::encodeName(a).constData(), &one) == 0
        && ::stat(QFile::encodeName(b).constData(), &two) == 0 && one.st_dev == two.st_dev
        && one.st_ino == two.st_ino;
}

// Opens a regular file for reading; a folder, a pipe or a device is refused
// before it is opened, so nothing waits on it. On failure *error (when
// given) says why in words a user can act on.
inline bool OpenRegularFile(QFile& file, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QString path = file.fileName();
    if (!IsRegularFile(path)) {
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists())
            return fail(QStringLiteral("no such file"));
        return fail(info.isDir() ? QStringLiteral("is a folder, not a file")
                                 : QStringLiteral("is not a regular file (a pipe or a device)"));
    }
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());  // "Permission denied", for one
    return true;
}

}  // namespace tobrin
