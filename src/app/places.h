#pragma once

#include <QString>
#include <QStringList>

// What the editor remembers from one run to the next, in QSettings under the
// application's organisation and name: the files used last and the folder
// the file dialogs were last in. Tools and paint settings are not remembered.
namespace tobrin::places {

constexpr int kMaxRecentFiles = 8;

// Newest first, at most kMaxRecentFiles absolute paths.
QStringList RecentFiles();
// Puts the file first (once), dropping the oldest beyond the limit.
void AddRecentFile(const QString& path);
void RemoveRecentFile(const QString& path);
void ClearRecentFiles();

// The folder of the file last chosen in any file dialog; empty at first.
QString LastFolder();
void RememberFolderOf(const QString& filePath);
// Where a file dialog starts: fileName as given when it names a folder
// already, else fileName inside the last folder.
QString DialogStartPath(const QString& fileName);

}  // namespace tobrin::places
