// The frame and the desktop around it: names for screen readers, the recent
// files, files dropped on the frame, and the arrangement remembered between
// runs.

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTimer>

#include "app/accessible.h"
#include "app/dialogs.h"
#include "app/dropfile.h"
#include "app/places.h"
#include "core/imageloader.h"
#include "core/formats.h"
#include "drawing/drawingwindow.h"
#include "files/filecommands.h"
#include "frame/framewindow_impl.h"
#include "import/importdialog.h"

namespace tobrin {

namespace {

// Files the import dialog reads as a source picture.
bool IsImportImage(const QString& path) { return ImageLoader::HasImageExtension(path); }

}  // namespace

// ---- Screen readers --------------------------------------------------------

void FrameWindow::NameForScreenReaders()
{
    SetAccessibleScrollBars(mdi_, QStringLiteral("Workspace"));
    menuBar();  // made here if not yet, with its overflow button
    NameOverflowButtons(this);
}

// ---- Recent files ------------------------------------------------------------

void FrameWindow::BuildRecentFilesMenu()
{
    // One submenu, after "Save" in the File menu, filled when it opens.
    d_->recentFiles = new QMenu(QStringLiteral("&Recent files"), this);
    d_->recentFiles->setObjectName(QStringLiteral("RecentFilesMenu"));
    d_->recentFiles->menuAction()->setObjectName(QStringLiteral("RecentFiles"));
    connect(d_->recentFiles, &QMenu::aboutToShow, this, &FrameWindow::FillRecentFilesMenu);
    QMenu* file = d_->menus.value(0);
    const QList<QAction*> entries = file ? file->actions() : QList<QAction*>();
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i]->objectName() == QLatin1String("Save")) {
            file->insertMenu(entries.value(i + 1), d_->recentFiles);
            break;
        }
    }
    FillRecentFilesMenu();
}

void FrameWindow::FillRecentFilesMenu()
{
    QMenu* menu = d_->recentFiles;
    menu->clear();
    const QStringList files = places::RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        // An "&" in the path is text, not a mnemonic.
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* a = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        a->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
    menu->addSeparator();
    QAction* clear = menu->addAction(QStringLiteral("Clear"));
    clear->setObjectName(QStringLiteral("ClearRecentFiles"));
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        places::ClearRecentFiles();
        FillRecentFilesMenu();
    });
}

QMenu* FrameWindow::RecentFilesMenu() const { return d_->recentFiles; }

void FrameWindow::OpenRecentFile(const QString& path)
{
    tobrin::DrawingWindow& main = DrawingWindow();
    if (!QFileInfo(path).isFile()) {
        places::RemoveRecentFile(path);
        FillRecentFilesMenu();
        session_.dialogs.Message(&main, QStringLiteral("Recent files"),
                                 QStringLiteral("%1 is no longer there; it was removed from the list.")
                                     .arg(QDir::toNativeSeparators(path)),
                                 Dialogs::Icon::Warning);
        return;
    }
    if (!session_.ConfirmDiscard(&main))
        return;
    main.Files().ReadHexFile(path);
}

// ---- Dropped files -----------------------------------------------------------

void FrameWindow::OpenDroppedFile(const QString& path)
{
    tobrin::DrawingWindow& main = DrawingWindow();
    // Every file is taken: the name decides what it is. An image that one
    // of the picture formats reads (a black-and-white PNG or BMP of a
    // picture's size, one the editor exported, say) opens as File > Open
    // would open it; other images go to the import.
    if (IsImportImage(path) && !(!IsNative(FormatForPath(path)) && ReadPictureFile(path))) {
        ImportDialog dialog(session_, [this] { ShowDrawing(); }, &main);
        dialog.LoadFile(path);
        dialog.exec();
        return;
    }
    if (!session_.ConfirmDiscard(&main))
        return;
    main.Files().ReadHexFile(path);
}

void FrameWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FrameWindow::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drag has ended: the questions and the import dialog are modal.
    QTimer::singleShot(0, this, [this, file] { OpenDroppedFile(file); });
}

// ---- Remembered arrangement -------------------------------------------------

namespace {
const QString kFrameGeometryKey = QStringLiteral("frame/geometry");
const QString kZoomKey = QStringLiteral("drawing/zoom");
}  // namespace

void FrameWindow::RememberArrangement()
{
    d_->rememberArrangement = true;
    QSettings settings;
    const QByteArray geometry = settings.value(kFrameGeometryKey).toByteArray();
    if (geometry.isEmpty())
        return;  // the first start keeps the built-in layout
    restoreGeometry(geometry);
    for (const auto& child : d_->children) {
        const QRect r = settings.value(child->Description().settingsKey).toRect();
        QMdiSubWindow* sub = child->SubWindow();
        if (!sub || !r.isValid())
            continue;
        if (child->Description().fixedSize.isValid())
            sub->move(r.topLeft());
        else
            sub->setGeometry(r);
    }
    bool ok = false;
    const int zoomLevel = settings.value(kZoomKey).toInt(&ok);
    if (tobrin::DrawingWindow* main = d_->draw->IfLoaded(); ok && main)
        main->ZoomTo(zoomLevel);  // clamped to the levels there are
}

void FrameWindow::SaveArrangement()
{
    if (!d_->rememberArrangement)
        return;
    QSettings settings;
    settings.setValue(kFrameGeometryKey, saveGeometry());
    for (const auto& child : d_->children)
        if (const QMdiSubWindow* sub = child->SubWindow(); sub && !sub->isMinimized() && !sub->isMaximized())
            settings.setValue(child->Description().settingsKey, sub->geometry());
    if (const tobrin::DrawingWindow* main = d_->draw->IfLoaded())
        settings.setValue(kZoomKey, main->ZoomLevel());
}

}  // namespace tobrin
