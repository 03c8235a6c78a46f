#include "app/places.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace tobrin::places {

namespace {

const QString kRecentKey = QStringLiteral("files/recent");
const QString kFolderKey = QStringLiteral("files/lastFolder");

QString Absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

void Store(const QStringList& files) { QSettings().setValue(kRecentKey, files); }

}  // namespace

QStringList RecentFiles()
{
    QStringList files = QSettings().value(kRecentKey).toStringList();
    files.removeAll(QString());
    files.removeDuplicates();
    return files.mid(0, kMaxRecentFiles);
}

void AddRecentFile(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString file = Absolute(path);
    QStringList files = RecentFiles();
    files.removeAll(file);
    files.prepend(file);
    Store(files.mid(0, kMaxRecentFiles));
    RememberFolderOf(file);
}

void RemoveRecentFile(const QString& path)
{
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.removeAll(Absolute(path));
    Store(files);
}

void ClearRecentFiles() { QSettings().remove(kRecentKey); }

QString LastFolder()
{
    const QString folder = QSettings().value(kFolderKey).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void RememberFolderOf(const QString& filePath)
{
    if (!filePath.isEmpty())
        QSettings().setValue(kFolderKey, QFileInfo(filePath).absolutePath());
}

QString DialogStartPath(const QString& fileName)
{
    const QString folder = LastFolder();
    if (folder.isEmpty() || QFileInfo(fileName).isAbsolute())
        return fileName;
    return fileName.isEmpty() ? folder : QDir(folder).filePath(fileName);
}

}  // namespace tobrin::places
