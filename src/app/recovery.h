#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QWidget;

namespace tobrin {

class Dialogs;
class PictureDocument;

// Keeps a recovery copy of the document while it has unsaved changes (see
// core/recoveryfile.h for the folder and the file). It follows the
// document's signals like any view: a copy is written once the picture has
// rested for a few seconds, and at the latest half a minute after a run of
// changes began, so no change waits longer than that. Saving the document
// (or opening or starting another after discarding) removes the copy, and so
// does the end of the program, which happens only once the user saved or
// agreed to discard; a crash or a killed editor leaves it for the next start.
class Recovery : public QObject {
    Q_OBJECT
public:
    static constexpr int kQuietMs = 5000;
    static constexpr int kLongestMs = 30000;

    Recovery(PictureDocument& document, Dialogs& dialogs, const QString& folder, QObject* parent = nullptr);
    ~Recovery() override;

    // Tests shorten the waits.
    void SetIntervals(int quietMs, int longestMs);
    // The window over which messages are shown.
    void SetWindow(QWidget* window) { window_ = window; }
    QString CopyPath() const { return copyPath_; }
    // True once the folder could not be written; the editor goes on without copies.
    bool IsOff() const { return off_; }

    // Offers each copy left behind by an editor that did not end normally:
    // Yes opens it as an unsaved picture under its old name, No deletes
    // it, Later keeps it for the next start. An unreadable copy is reported
    // and set aside as NAME.txt.corrupt. After one copy is opened the
    // others wait for a later start.
    void OfferOrphans(QWidget* parent);
    // True when there is a copy that OfferOrphans would offer or report.
    bool HasOrphans() const;
    // Writes the copy at once (when there is something unsaved).
    void WriteNow();

private:
    void Changed();
    void SavedChanged(bool saved);
    void Remove();
    void TurnOff(const QString& why);

    PictureDocument& doc_;
    Dialogs& dialogs_;
    QString folder_;
    QString copyPath_;
    QTimer quiet_;
    QTimer longest_;
    QPointer<QWidget> window_;
    bool off_ = false;
    bool written_ = false;
};

}  // namespace tobrin
