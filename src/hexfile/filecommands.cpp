#include "hexfile/filecommands.h"

#include "core/hexreader.h"
#include "core/savefile.h"
#include "drawing/main.h"
#include "frame/loadform.h"
#include "frame/session.h"

namespace tobrin {

namespace {

const QString kErrorTitle = QStringLiteral("Error!");
const QString kOpenFilters = QStringLiteral("All Files (*);;Hex values (*.txt *.c)");
const QString kOpenSelected = QStringLiteral("Hex values (*.txt *.c)");
const QString kSaveFilters = QStringLiteral("Hex values (*.txt)");

}  // namespace

FileCommands::FileCommands(Main& main, Session& session, LoadForm& frame)
    : main_(main), session_(session), frame_(frame)
{
}

void FileCommands::Open()
{
    // Opening replaces the picture, so unsaved changes are asked about first.
    if (!main_.ConfirmDiscard())
        return;
    dialogFileName_.clear();
    const QString name = session_.dialogs.OpenFileName(&frame_, QStringLiteral("Open"), kOpenFilters,
                                                       kOpenSelected, dialogFileName_);
    if (name.isEmpty())
        return;
    dialogFileName_ = name;
    ReadHexFile(name);
}

void FileCommands::Save()
{
    if (!main_.CurrentFileName.isEmpty())
        WriteHexFile(main_.CurrentFileName);
    else
        Saveas();
}

void FileCommands::Saveas()
{
    // The dialog starts with the name last chosen in either dialog and asks
    // before it replaces an existing file.
    const QString name = session_.dialogs.SaveFileName(&frame_, QStringLiteral("Save As"), kSaveFilters,
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
        session_.dialogs.Message(&frame_, kErrorTitle, QStringLiteral("File Import Error"),
                                 Dialogs::Icon::Critical);
        return false;
    }

    Declarations& decl = session_.decl;
    UnpackHexPicture(*picture, decl);
    main_.ChangeSize(decl.MaxX, decl.MaxY);
    frame_.ShowSize(picture->width, picture->height);
    main_.RedrawAll();
    main_.BackUp();
    main_.UpdateHexText();
    main_.RefreshPreview();
    main_.CurrentFileName = path;
    return true;
}

bool FileCommands::WriteHexFile(const QString& path)
{
    // The text is pure ASCII; one more CR LF ends the file with an empty line.
    const QByteArray data = (session_.HexText + QStringLiteral("\r\n")).toLatin1();
    if (!WriteFileAtomically(path, data)) {
        session_.dialogs.Message(&frame_, kErrorTitle, QStringLiteral("Error writing file!"),
                                 Dialogs::Icon::Critical);
        return false;
    }
    main_.CurrentFileName = path;
    session_.decl.PictureSaved = 1;
    frame_.SetSaveEnabled(false);
    return true;
}

}  // namespace tobrin
