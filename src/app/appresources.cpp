#include "app/appresources.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterTobrinResources() { Q_INIT_RESOURCE(resources); }

namespace tobrin {

void InitResources()
{
    static const bool registered = [] {
        RegisterTobrinResources();
        return true;
    }();
    (void)registered;
}

QImage ResourceImage(const QString& path)
{
    InitResources();
    // Without format detection the reader neither loads nor asks every
    // image plugin whether it would rather read PNG; it still takes a "@2x"
    // name's pixel ratio from the file name.
    QImageReader reader(path, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap ResourcePixmap(const QString& path) { return QPixmap::fromImage(ResourceImage(path)); }

void AddResourceIcon(QIcon& icon, const QString& path, QIcon::Mode mode)
{
    const QPixmap pixmap = ResourcePixmap(path);
    if (pixmap.isNull())
        return;
    icon.addPixmap(pixmap, mode);
    if (qGuiApp && qGuiApp->devicePixelRatio() > 1.0) {
        QString twin = path;
        twin.insert(twin.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
        if (QFile::exists(twin))
            icon.addPixmap(ResourcePixmap(twin), mode);
    }
}

QIcon ResourceIcon(const QString& path, const QString& disabledPath)
{
    QIcon icon;
    AddResourceIcon(icon, path, QIcon::Normal);
    if (!disabledPath.isEmpty())
        AddResourceIcon(icon, disabledPath, QIcon::Disabled);
    return icon;
}

}  // namespace tobrin
