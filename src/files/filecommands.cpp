#include "files/filecommands.h"

#include "core/hexreader.h"
#include "core/savefile.h"
#include <QWidget>

#include "app/places.h"
#include "app/session.h"

namespace tobrin {

namespace {

const QString kErrorTitle = QStringLiteral("Error!");
const QString kOpenFilters = QStringLiteral("All Files (*);;Hex values (*.txt *.c)");
const QString kOpenSelected = QStringLiteral("Hex values (*.txt *.c)");
const QString kSaveFilters = QStringLiteral("Hex values (*.txt)");

}  // namespace

FileCommands::FileCommands(Session& session, QWidget* anchor) : session_(session), anchor_(anchor) {}

QWidget* FileCommands::DialogParent() const { return anchor_->window(); }

void FileCommands::Open()
{
    // Opening replaces the picture, so unsaved changes are asked about first.
    if (!session_.ConfirmDiscard(DialogParent()))
        return;
    dialogFileName_.clear();
    const QString name = session_.dialogs.OpenFileName(DialogParent(), QStringLiteral("Open"), kOpenFilters,
                                                       kOpenSelected, dialogFileName_);
    if (name.isEmpty())
        return;
    dialogFileName_ = name;
    ReadHexFile(name);
}

void FileCommands::Save()
{
    if (!session_.document.FileName().isEmpty())
        WriteHexFile(session_.document.FileName());
    else
        Saveas();
}

void FileCommands::Saveas()
{
    // The dialog starts with the name last chosen in either dialog and asks
    // before it replaces an existing file.
    const QString name = session_.dialogs.SaveFileName(DialogParent(), QStringLiteral("Save As"), kSaveFilters,
                                                       kSaveFilters, dialogFileName_);
    if (name.isEmpty())
        return;
    dialogFileName_ = name;
    WriteHexFile(name);
}

bool FileCommands::ReadHexFile(const QString& path)
{
    // The whole file is read and checked before anything changes, so a bad
    // file leaves picture, size, undo copy, text and file name as they were.
    const std::optional<HexPicture> picture = ReadHexPath(path);
    if (!picture) {
        session_.dialogs.Message(DialogParent(), kErrorTitle, QStringLiteral("File Import Error"),
                                 Dialogs::Icon::Critical);
        return false;
    }

    session_.document.LoadPicture(*picture, path);
    places::AddRecentFile(path);
    return true;
}

bool FileCommands::WriteHexFile(const QString& path)
{
    // The text is pure ASCII; one more CR LF ends the file with an empty line.
    const QByteArray data = (session_.document.HexText() + QStringLiteral("\r\n")).toLatin1();
    if (!WriteFileAtomically(path, data)) {
        session_.dialogs.Message(DialogParent(), kErrorTitle, QStringLiteral("Error writing file!"),
                                 Dialogs::Icon::Critical);
        return false;
    }
    session_.document.MarkSaved(path);
    places::AddRecentFile(path);
    return true;
}

}  // namespace tobrin
