#include "files/filecommands.h"

#include "core/hexreader.h"
#include "core/outputtemplate.h"
#include "core/pixelfont.h"
#include "core/regularfile.h"
#include "core/savefile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "app/places.h"
#include "app/session.h"

namespace tobrin {

namespace {

const QString kErrorTitle = QStringLiteral("Error!");

// The hex reader's result with the leftover pixels right of the width kept
// as the low bits of each row's last byte.
HexPicture ToHexPicture(const MonoPicture& p)
{
    HexPicture hex;
    hex.width = p.width;
    hex.height = p.height;
    hex.rowBytes.resize(std::size_t(p.height));
    const int perRow = (p.width + 7) / 8;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < 8 * perRow; ++x)
            if (p.At(x, y))
                hex.rowBytes[std::size_t(y)][std::size_t(x / 8)] |= std::uint8_t(0x80u >> (x % 8));
    return hex;
}

// The options the file at path was written with, as it was just read.
std::optional<ExportOptions> OptionsOfFile(const FileFormat& format, const QString& path)
{
    QFile file(path);
    if (!format.optionsOf || !IsRegularFile(path) || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return format.optionsOf(file.read(kMaxFileBytes + 1));
}

// The font forms other than the hex text: a font document saved or
// exported under these names is written as a font.
bool IsFontFormName(const QString& path)
{
    static const QStringList forms = {QStringLiteral("bdf"), QStringLiteral("c"), QStringLiteral("h"),
                                      QStringLiteral("png")};
    return forms.contains(QFileInfo(path).suffix().toLower());
}

// A font in any of its forms, or nullopt for anything else (a picture). A
// BDF file is always taken as a font, so its errors are the font reader's.
std::optional<PixelFont> ReadFontIfFont(const QString& path, QString* why)
{
    if (QFileInfo(path).suffix().compare(QStringLiteral("bdf"), Qt::CaseInsensitive) == 0)
        return ReadFontFile(path, why);
    QFile file(path);
    if (!IsRegularFile(path) || QFileInfo(path).size() > kMaxFileBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.readAll();
    const QString suffix = QFileInfo(path).suffix().toLower();
    // Hex text that says it is a font must read as one; a C array or a PNG
    // that is no font is a picture.
    if (suffix != QStringLiteral("png") && suffix != QStringLiteral("c") && suffix != QStringLiteral("h"))
        return IsFontHexText(data) ? DecodeFont(data, path, why) : std::nullopt;
    QString ignored;
    return DecodeFont(data, path, &ignored);
}

}  // namespace

QString FileCommands::OpenFontFilters()
{
    return OpenFilters() + QStringLiteral(";;Pixel fonts (*.db *.txt *.c *.h *.bdf *.png)");
}

FileCommands::FileCommands(Session& session, QWidget* anchor) : session_(session), anchor_(anchor) {}

QWidget* FileCommands::DialogParent() const { return anchor_->window(); }

void FileCommands::Open()
{
    // Opening replaces the picture, so unsaved changes are asked about first.
    if (!session_.ConfirmDiscard(DialogParent()))
        return;
    dialogFileName_.clear();
    const QString name = session_.dialogs.OpenFileName(DialogParent(), QStringLiteral("Open"), OpenFontFilters(),
                                                       NativeOpenFilter(), dialogFileName_);
    if (name.isEmpty())
        return;
    dialogFileName_ = name;
    ReadHexFile(name);
}

void FileCommands::NewFont()
{
    if (!session_.ConfirmDiscard(DialogParent()))
        return;
    QString source = fontSource_;
    FontSourceOptions options = fontOptions_;
    if (!session_.dialogs.NewFontOptions(DialogParent(), source, options))
        return;
    fontSource_ = source;
    fontOptions_ = options;
    QStringList missing;
    QString why;
    const std::optional<PixelFont> font = MakeFont(source, options, &missing, &why);
    if (!font) {
        session_.dialogs.Message(DialogParent(), QStringLiteral("New Font"), QStringLiteral("No font was made."),
                                 Dialogs::Icon::Critical, QStringLiteral("%1: %2").arg(QFileInfo(source).fileName(), why));
        return;
    }
    session_.document.LoadFont(*font, QString());
    // Made, not opened: closing without saving it asks first.
    session_.document.MarkModified();
    formatPath_.clear();
    format_ = SaveFormat();
    if (!missing.isEmpty())
        session_.dialogs.Message(DialogParent(), QStringLiteral("New Font"),
                                 QStringLiteral("%1 lacks %2 of the characters, which the font leaves out.")
                                     .arg(QFileInfo(source).fileName())
                                     .arg(missing.size()),
                                 Dialogs::Icon::Information, missing.join(QStringLiteral(", ")));
}

FileCommands::SaveFormat FileCommands::CurrentSaveFormat() const
{
    const QString name = session_.document.FileName();
    if (!formatPath_.isEmpty() && name == formatPath_)
        return format_;
    // A name this window did not read or write: its extension decides.
    SaveFormat guess;
    guess.format = &FormatForPath(name);
    return guess;
}

void FileCommands::Save()
{
    session_.document.AboutToWrite();
    const QString name = session_.document.FileName();
    if (name.isEmpty()) {
        Saveas();
        return;
    }
    if (!SaveIn(name, CurrentSaveFormat()))
        Saveas();
}

void FileCommands::Saveas()
{
    session_.document.AboutToWrite();
    // The dialog starts with the name last chosen in either dialog and asks
    // before it replaces an existing file.
    const QString name = session_.dialogs.SaveFileName(DialogParent(), QStringLiteral("Save As"), SaveFilters(),
                                                       SaveFilters(), dialogFileName_);
    if (name.isEmpty())
        return;
    dialogFileName_ = name;
    // Hex text goes where hex text opens again: under the editor's own names
    // and those (a C array's) whose files may hold it. Any other name is
    // written in its own form, as Save writes a file opened in that form, so
    // logo.pbm never holds text that Open then refuses.
    const FileFormat& format = FormatForPath(name);
    SaveFormat named;
    if (!format.mayBeNative)
        named.format = &format;
    SaveIn(name, named);
}

bool FileCommands::RefusesPicture(const QString& name)
{
    // Open takes every .bdf file as a font, so a picture there would not open again.
    if (session_.document.IsFont() || QFileInfo(name).suffix().compare(QStringLiteral("bdf"), Qt::CaseInsensitive) != 0)
        return false;
    session_.dialogs.Message(DialogParent(), QStringLiteral("Save"),
                             QStringLiteral("A .bdf file holds a font. Write the picture under another name."),
                             Dialogs::Icon::Information);
    return true;
}

bool FileCommands::SaveIn(const QString& name, const SaveFormat& format)
{
    if (session_.document.IsFont() && IsFontFormName(name)) {
        if (WritePicture(name, format.options)) {
            formatPath_ = name;
            format_ = format;
            session_.document.MarkSaved(name);
        }
        return true;
    }
    if (RefusesPicture(name))
        return false;
    if (IsNative(*format.format)) {
        WriteHexFile(name);
        return true;
    }
    if (session_.document.IsFont()) {
        // A picture form keeps the glyphs but not their characters and advances.
        session_.dialogs.Message(DialogParent(), QStringLiteral("Save"),
                                 QStringLiteral("%1 cannot hold a font's characters and advances. Save it as hex text, "
                                                "a C array, BDF or PNG; Export writes its glyphs as pictures.")
                                     .arg(QLatin1String(format.format->description)),
                                 Dialogs::Icon::Information);
        return false;
    }
    if (session_.document.FrameCount() > 1 && !(format.format->encodeSet && format.format->decodeSet)) {
        // Saving the set there would keep one frame of it, or none that opens again.
        session_.dialogs.Message(DialogParent(), QStringLiteral("Save"),
                                 QStringLiteral("%1 holds a single picture, and this one has %2 frames. Save them as "
                                                "hex text.")
                                     .arg(QLatin1String(format.format->description))
                                     .arg(session_.document.FrameCount()),
                                 Dialogs::Icon::Information);
        return false;
    }
    if (WritePicture(name, format.options)) {
        formatPath_ = name;
        format_ = format;
        session_.document.MarkSaved(name);
        places::AddRecentFile(name);
    }
    return true;
}

void FileCommands::Export()
{
    session_.document.AboutToWrite();
    // The dialog offers the last export of this picture's file, or else the
    // file's own name as a C array beside it (a header when the file is
    // that C array itself).
    const QString current = session_.document.FileName();
    QString start = exportFileName_;
    if (start.isEmpty() || exportedFrom_ != current) {
        start.clear();
        if (!current.isEmpty()) {
            const QFileInfo info(current);
            start = info.dir().filePath(info.completeBaseName() + QStringLiteral(".c"));
            if (start == current)
                start = info.dir().filePath(info.completeBaseName() + QStringLiteral(".h"));
        }
    }
    const QString name = session_.dialogs.SaveFileName(DialogParent(), QStringLiteral("Export"), ExportFilters(),
                                                       ExportSelectedFilter(), start);
    if (name.isEmpty())
        return;
    exportFileName_ = name;
    exportedFrom_ = current;
    ExportOptions options;
    options.order = exportOrder_;
    options.rle = exportRle_;
    options.rleRows = exportRleRows_;
    // The byte order and the array's name are asked together.
    if (FormatForPath(name).options & kTakesByteOrder) {
        options.name = CNameFromPath(name);
        if (!session_.dialogs.CArrayOptions(DialogParent(), name, options, session_.document.Frames()))
            return;
        exportOrder_ = options.order;
        exportRle_ = options.rle;
        exportRleRows_ = options.rleRows;
    }
    WritePicture(name, options);
}

void FileCommands::ExportWithTemplate()
{
    session_.document.AboutToWrite();
    ExportOptions options;
    options.order = exportOrder_;
    options.templateName = exportTemplate_;
    const std::optional<PixelFont> font =
        session_.document.IsFont() ? std::optional<PixelFont>(session_.document.Font()) : std::nullopt;
    const MonoSet set = session_.document.Frames();
    if (!session_.dialogs.TemplateOptions(DialogParent(), set, font ? &*font : nullptr, options))
        return;
    exportTemplate_ = options.templateName;
    const QString current = session_.document.FileName();
    const QString start = current.isEmpty() ? QString() : QFileInfo(current).dir().filePath(QFileInfo(current).completeBaseName());
    const QString name = session_.dialogs.SaveFileName(DialogParent(), QStringLiteral("Export with Template"),
                                                       QStringLiteral("All Files (*)"), QStringLiteral("All Files (*)"),
                                                       start);
    if (name.isEmpty())
        return;
    QString why;
    const std::optional<OutputTemplate> tpl = LoadTemplate(options.templateName, &why);
    const bool written = tpl
        && (font ? WriteTemplateFile(name, *tpl, *font, options, &why)
                 : WriteTemplateFile(name, *tpl, set, options, &why));
    if (!written)
        ShowWriteError(name, why);
}

bool FileCommands::ReadHexFile(const QString& path)
{
    // The whole file is read and checked before anything changes, so a bad
    // file leaves picture, size, undo copy, text and file name as they were.
    QString why;
    if (const std::optional<PixelFont> font = ReadFontIfFont(path, &why)) {
        session_.document.LoadFont(*font, path);
        formatPath_ = path;
        format_ = SaveFormat();
        if (std::optional<ExportOptions> options = OptionsOfFile(FormatForPath(path), path))
            format_.options = *options;
        places::AddRecentFile(path);
        return true;
    }
    if (!why.isEmpty()) {
        session_.dialogs.Message(DialogParent(), kErrorTitle, QStringLiteral("File Import Error"),
                                 Dialogs::Icon::Critical, QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), why));
        return false;
    }
    ReadOptions reading;
    reading.convertHint = QStringLiteral("File › Import converts it");
    const std::optional<MonoSet> picture = ReadPictureSetFile(path, reading, &why);
    if (!picture) {
        session_.dialogs.Message(DialogParent(), kErrorTitle, QStringLiteral("File Import Error"),
                                 Dialogs::Icon::Critical, QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), why));
        return false;
    }
    SaveFormat format;
    format.format = &FormatForPath(path);
    if (format.format->optionsOf) {
        // A .c file that holds hex text rather than an array is saved as
        // hex text again.
        if (const std::optional<ExportOptions> options = OptionsOfFile(*format.format, path))
            format.options = *options;
        else
            format = SaveFormat();
    }

    if (picture->Count() == 1)
        session_.document.LoadPicture(ToHexPicture(picture->frames.front()), path);
    else
        session_.document.LoadSet(*picture, path);
    formatPath_ = path;
    format_ = format;
    places::AddRecentFile(path);
    return true;
}

bool FileCommands::WriteHexFile(const QString& path)
{
    // The text is pure ASCII; one more CR LF ends the file with an empty line.
    const QByteArray data = (session_.document.HexTextAs(path) + QStringLiteral("\r\n")).toLatin1();
    QString why;
    if (!WriteFileAtomically(path, data, &why)) {
        ShowWriteError(path, why);
        return false;
    }
    formatPath_ = path;
    format_ = SaveFormat();
    session_.document.MarkSaved(path);
    places::AddRecentFile(path);
    return true;
}

MonoPicture FileCommands::CurrentPicture() const
{
    const PictureData& d = session_.document.Data();
    return MonoPicture::FromPlane(d.PicData.data(), d.Width(), d.Height());
}

bool FileCommands::WritePicture(const QString& path, const ExportOptions& options)
{
    // A format that holds sets gets every frame; one that holds a single
    // picture gets the frame on the canvas.
    QString why;
    if (session_.document.IsFont() && (IsFontFormName(path) || IsNative(FormatForPath(path)))) {
        FontWriteOptions fontOptions;
        fontOptions.order = options.order;
        fontOptions.name = options.name;
        if (!WriteFontFile(path, session_.document.Font(), fontOptions, &why)) {
            ShowWriteError(path, why);
            return false;
        }
        return true;
    }
    if (RefusesPicture(path))
        return false;
    const bool written = FormatForPath(path).encodeSet
        ? WritePictureSetFile(path, session_.document.Frames(), options, &why)
        : WritePictureFile(path, CurrentPicture(), options, &why);
    if (!written) {
        ShowWriteError(path, why);
        return false;
    }
    return true;
}

void FileCommands::ShowWriteError(const QString& path, const QString& why)
{
    // Which file, and the system's reason, under the message.
    const QString file = QDir::toNativeSeparators(path);
    session_.dialogs.Message(DialogParent(), kErrorTitle, QStringLiteral("Error writing file!"),
                             Dialogs::Icon::Critical, why.isEmpty() ? file : QStringLiteral("%1: %2").arg(file, why));
}

}  // namespace tobrin
