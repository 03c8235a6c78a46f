#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace tobrin {

// Registers the program's built-in resources (icons, the device picture).
// They live in a static library, whose resource data the linker would
// otherwise leave out; safe to call any number of times.
void InitResources();

// The built-in artwork is all PNG. Naming the format when reading it spares
// the search through every installed image-format plugin that Qt makes for
// a file of unnamed format, a noticeable part of the start-up.
QImage ResourceImage(const QString& path);
QPixmap ResourcePixmap(const QString& path);
// An icon from a PNG (and its "@2x" twin on high-density screens, as
// QIcon::addFile would add it); a non-empty disabledPath gives the icon's
// disabled look.
QIcon ResourceIcon(const QString& path, const QString& disabledPath = QString());
void AddResourceIcon(QIcon& icon, const QString& path, QIcon::Mode mode = QIcon::Normal);

// Makes the application's style (the same style, through a proxy) read the
// icons that toolbars and MDI child windows ask for when they are made (the
// extension button's, the window menu's) the same way: reading them with
// format detection loads every installed image plugin with its libraries,
// the largest cost of the first window.
// Only for Qt's own styles (Fusion, Windows), once per application; a call
// with no QApplication does nothing.
void UseQuickStyleIcons();

}  // namespace tobrin
