#pragma once

#include <QByteArray>
#include <QString>

namespace tobrin {

// Replaces the file at path with data, all or nothing: the data goes to a
// temporary file next to the target that is renamed over it only when
// every byte was written and synced to the disk. On failure the old file is left
// untouched, no temporary file remains, false is returned and *error (if
// given) says why.
//
// A symbolic link is written through: its target gets the new content and
// the link stays. An existing target that is not writable, or that is not
// a regular file (a folder, a device, a pipe), is refused rather than
// replaced. While writing, SIGXFSZ is
// ignored for the process so that exceeding the file-size limit is a write
// error instead of ending the program.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

}  // namespace tobrin
