#pragma once

#include <QFile>
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

}  // namespace tobrin
