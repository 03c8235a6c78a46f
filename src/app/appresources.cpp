#include "app/appresources.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
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

namespace {

class QuickIconStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        // The same pictures, names and sizes as Qt's common style gives.
        const QString base = QStringLiteral(":/qt-project.org/styles/commonstyle/images/");
        if (which == SP_ToolBarHorizontalExtensionButton) {
            const bool rtl = (option ? option->direction : QGuiApplication::layoutDirection()) == Qt::RightToLeft;
            const QString name = base + (rtl ? QStringLiteral("toolbar-ext-h-rtl-%1.png") : QStringLiteral("toolbar-ext-h-%1.png"));
            return Icon(name, {QSize(8, 5), QSize(16, 10), QSize(32, 20)}, which, option, widget);
        }
        if (which == SP_ToolBarVerticalExtensionButton) {
            return Icon(base + QStringLiteral("toolbar-ext-v-%1.png"), {QSize(5, 8), QSize(10, 16), QSize(20, 32)}, which,
                        option, widget);
        }
        if (which == SP_TitleBarMaxButton) {
            return Icon(base + QStringLiteral("titlebar-max-%1.png"), {QSize(16, 16), QSize(32, 32), QSize(48, 48)},
                        which, option, widget);
        }
        if (which == SP_TitleBarMenuButton) {
            // Every MDI child window asks for this one when it is made.
            const QPixmap logo = Pixmap(QStringLiteral(":/qt-project.org/qmessagebox/images/qtlogo-64.png"));
            if (logo.size() == QSize(64, 64)) {
                QIcon icon(QProxyStyle::standardPixmap(which, option, widget));
                icon.addPixmap(logo);
                return icon;
            }
        }
        return QProxyStyle::standardIcon(which, option, widget);
    }

private:
    QIcon Icon(const QString& pattern, std::initializer_list<QSize> sizes, StandardPixmap which,
               const QStyleOption* option, const QWidget* widget) const
    {
        QIcon icon;
        for (const QSize& size : sizes) {
            const QPixmap pixmap = Pixmap(pattern.arg(size.width()));
            if (pixmap.size() != size)  // not the pictures expected: leave it to the style
                return QProxyStyle::standardIcon(which, option, widget);
            icon.addPixmap(pixmap);
        }
        return icon;
    }

    // Every toolbar and child window asks again: each picture is read once.
    QPixmap Pixmap(const QString& path) const
    {
        auto it = pixmaps_.constFind(path);
        if (it == pixmaps_.constEnd())
            it = pixmaps_.insert(path, ResourcePixmap(path));
        return *it;
    }

    mutable QHash<QString, QPixmap> pixmaps_;
};

}  // namespace

void UseQuickStyleIcons()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || dynamic_cast<QuickIconStyle*>(QApplication::style()))
        return;
    // Only Qt's own styles draw these pictures; another style keeps its own.
    const QString name = QApplication::style()->name();
    if (name.compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0
        && name.compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0)
        return;
    QStyle* base = QStyleFactory::create(name);
    if (!base)
        return;
    QApplication::setStyle(new QuickIconStyle(base));
}

}  // namespace tobrin
