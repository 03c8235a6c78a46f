#include "app/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "app/carrayoptions.h"
#include "app/newfontdialog.h"
#include "app/places.h"
#include "app/templatedialog.h"

namespace tobrin {

bool QtDialogs::AskYesNo(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

Dialogs::Answer QtDialogs::AskYesNoLater(QWidget* parent, const QString& title, const QString& text,
                                         const QString& details)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    QPushButton* later = box.addButton(QStringLiteral("&Later"), QMessageBox::RejectRole);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(later);
    box.setInformativeText(details);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Answer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return Answer::No;
    return Answer::Later;
}

void QtDialogs::Message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                        const QString& details)
{
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::None: qtIcon = QMessageBox::NoIcon; break;
    case Icon::Information: qtIcon = QMessageBox::Information; break;
    case Icon::Warning: qtIcon = QMessageBox::Warning; break;
    case Icon::Critical: qtIcon = QMessageBox::Critical; break;
    }
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, parent);
    box.setInformativeText(details);
    box.exec();
}

QString QtDialogs::OpenFileName(QWidget* parent, const QString& caption, const QString& filters,
                                const QString& selectedFilter, const QString& fileName)
{
    // The dialog starts in the folder used last, this run or an earlier one.
    QString selected = selectedFilter;
    const QString name =
        QFileDialog::getOpenFileName(parent, caption, places::DialogStartPath(fileName), filters, &selected);
    places::RememberFolderOf(name);
    return name;
}

QStringList QtDialogs::OpenFileNames(QWidget* parent, const QString& caption, const QString& filters,
                                     const QString& selectedFilter, const QString& fileName)
{
    QString selected = selectedFilter;
    const QStringList names =
        QFileDialog::getOpenFileNames(parent, caption, places::DialogStartPath(fileName), filters, &selected);
    if (!names.isEmpty())
        places::RememberFolderOf(names.first());
    return names;
}

QString QtDialogs::SaveFileName(QWidget* parent, const QString& caption, const QString& filters,
                                const QString& selectedFilter, const QString& fileName)
{
    // QFileDialog asks before it replaces an existing file.
    QString selected = selectedFilter;
    const QString name =
        QFileDialog::getSaveFileName(parent, caption, places::DialogStartPath(fileName), filters, &selected);
    places::RememberFolderOf(name);
    return name;
}

bool Dialogs::CArrayOptions(QWidget*, const QString& path, ExportOptions& options, const MonoSet&)
{
    if (options.name.isEmpty())
        options.name = CNameFromPath(path);
    return true;
}

bool QtDialogs::CArrayOptions(QWidget* parent, const QString& path, ExportOptions& options, const MonoSet& frames)
{
    CArrayOptionsDialog dialog(path, options, parent, &frames);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    options = dialog.Options();
    return true;
}

bool Dialogs::NewFontOptions(QWidget*, QString&, FontSourceOptions&) { return false; }

bool Dialogs::TemplateOptions(QWidget*, const MonoSet&, const PixelFont*, ExportOptions& options)
{
    return !options.templateName.isEmpty();
}

bool QtDialogs::TemplateOptions(QWidget* parent, const MonoSet& set, const PixelFont* font, ExportOptions& options)
{
    TemplateDialog dialog(set, font, options, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    options = dialog.Options();
    return true;
}

bool QtDialogs::NewFontOptions(QWidget* parent, QString& source, FontSourceOptions& options)
{
    NewFontDialog dialog(source, options, *this, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    source = dialog.Source();
    options = dialog.Options();
    return true;
}

}  // namespace tobrin
