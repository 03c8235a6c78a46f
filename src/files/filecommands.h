#pragma once

#include <QString>

#include "core/formats.h"
#include "core/pixelfont.h"

class QWidget;

namespace tobrin {

struct Session;

// Open, Save, Save as and Export between the session's picture and the
// file dialogs. One file dialog state carries the last chosen name from
// Open to Save as and back; Export keeps a name of its own.
class FileCommands {
public:
    // Dialogs are shown over anchor's top-level window.
    FileCommands(Session& session, QWidget* anchor);

    void Open();
    // "New font…": a font made from the source the user chooses, as an
    // unsaved document; a source that gives no font says why and changes
    // nothing.
    void NewFont();
    void Save();
    void Saveas();
    void Export();
    // "Export with Template…": the template first (with a preview), then
    // the file, which gets the template's text whatever its extension;
    // every frame of a set, or the font. Errors say which file and why.
    void ExportWithTemplate();
    // Reads a picture file of any format (hex text, C array, X11 bitmap,
    // netpbm bitmap, black-and-white PNG or BMP) into the picture; on any
    // failure nothing changes and "File Import Error" is shown. True when
    // the picture was replaced.
    bool ReadHexFile(const QString& path);
    // Writes the hex text plus one CR LF, atomically. True on success.
    bool WriteHexFile(const QString& path);
    // Writes the picture to path in the format its extension picks,
    // atomically; shows "Error writing file!" on failure. True on success.
    // Neither the file name nor the saved flag changes.
    bool WritePicture(const QString& path, const ExportOptions& options);

    // Open's filters: every picture format, then the font forms.
    static QString OpenFontFilters();

    QString DialogFileName() const { return dialogFileName_; }
    QString ExportFileName() const { return exportFileName_; }

    // How Save writes the current file: in the format it was opened or last
    // written in (a C array with its byte order and name), so Save never
    // turns logo.png or logo.c into hex text.
    struct SaveFormat {
        const FileFormat* format = &NativeFormat();
        ExportOptions options;
    };
    SaveFormat CurrentSaveFormat() const;

private:
    QWidget* DialogParent() const;
    MonoPicture CurrentPicture() const;
    // Writes the document to name in format (a font in its form when the
    // name is one) and marks it saved there. False when the form cannot
    // hold it (a set in a single-picture form), after saying so.
    bool SaveIn(const QString& name, const SaveFormat& format);
    // True, after saying why, when name is a font's (.bdf) and the document a picture.
    bool RefusesPicture(const QString& name);
    void ShowWriteError(const QString& path, const QString& why);

    Session& session_;
    QWidget* anchor_;
    QString dialogFileName_;
    QString exportFileName_;
    QString exportedFrom_;  // the picture's file when exportFileName_ was chosen
    ByteOrder exportOrder_ = ByteOrder::Msb;
    QString exportTemplate_;  // the template last chosen
    bool exportRle_ = false;
    bool exportRleRows_ = false;
    // The format of the file at formatPath_ (the file last read or written).
    QString formatPath_;
    QString fontSource_;
    FontSourceOptions fontOptions_;
    SaveFormat format_;
};

}  // namespace tobrin
