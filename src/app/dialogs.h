#pragma once

#include <QString>
#include <QStringList>

#include "core/formats.h"
#include "core/pixelfont.h"

class QWidget;

namespace tobrin {

// Every modal question, message box and file dialog goes through here, so
// tests can answer them and check their exact words.
class Dialogs {
public:
    enum class Icon { None, Information, Warning, Critical };
    enum class Answer { Yes, No, Later };

    virtual ~Dialogs() = default;

    // A Yes/No question without an icon; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    // A question with Yes, No and Later, where Later (also closing the box)
    // puts the decision off; details is the box's informative text.
    virtual Answer AskYesNoLater(QWidget* parent, const QString& title, const QString& text,
                                 const QString& details = QString()) = 0;
    // A message box with an OK button; details, when given, is the box's
    // informative text under the message (which file, and why).
    virtual void Message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                         const QString& details = QString()) = 0;
    // File dialogs. filters are Qt name filters joined by ";;"; selectedFilter
    // is the preselected one; fileName the name the dialog starts with.
    // An empty result means the user cancelled. The save dialog asks before
    // replacing an existing file.
    virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& filters,
                                 const QString& selectedFilter, const QString& fileName) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& filters,
                                 const QString& selectedFilter, const QString& fileName) = 0;
    // An open dialog in which several files may be chosen, in the order
    // they are given back; empty when the user cancelled.
    virtual QStringList OpenFileNames(QWidget* parent, const QString& caption, const QString& filters,
                                      const QString& selectedFilter, const QString& fileName) = 0;
    // The byte order and array name of an export to the C array at path;
    // options holds the starting choice and receives the user's. False
    // when the user cancelled. Without a window to ask in, the starting
    // choice stands.
    // frames: what will be written, for the compressed size the dialog shows.
    virtual bool CArrayOptions(QWidget* parent, const QString& path, ExportOptions& options, const MonoSet& frames);
    // "New Font": the source a font is made from (an outline font, a BDF
    // or font file, or a picture of glyphs in a grid) and how; source and
    // options hold the starting choice and receive the user's. False when
    // the user cancelled, and always without a window to ask in.
    virtual bool NewFontOptions(QWidget* parent, QString& source, FontSourceOptions& options);
    // "Export with Template": the output template (options.templateName)
    // for the set, or the font when given, chosen with a preview; options
    // hold the starting choice and receive the user's. False when the user
    // cancelled; without a window to ask in, a starting choice stands.
    virtual bool TemplateOptions(QWidget* parent, const MonoSet& set, const PixelFont* font,
                                 ExportOptions& options);
};

// The real thing: QMessageBox and QFileDialog.
class QtDialogs : public Dialogs {
public:
    bool AskYesNo(QWidget* parent, const QString& title, const QString& text) override;
    Answer AskYesNoLater(QWidget* parent, const QString& title, const QString& text,
                         const QString& details = QString()) override;
    void Message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                 const QString& details = QString()) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& filters,
                         const QString& selectedFilter, const QString& fileName) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& filters,
                         const QString& selectedFilter, const QString& fileName) override;
    QStringList OpenFileNames(QWidget* parent, const QString& caption, const QString& filters,
                              const QString& selectedFilter, const QString& fileName) override;
    bool CArrayOptions(QWidget* parent, const QString& path, ExportOptions& options, const MonoSet& frames) override;
    bool NewFontOptions(QWidget* parent, QString& source, FontSourceOptions& options) override;
    bool TemplateOptions(QWidget* parent, const MonoSet& set, const PixelFont* font,
                         ExportOptions& options) override;
};

}  // namespace tobrin
