#include "app/recovery.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>

#include "app/dialogs.h"
#include "core/picturedocument.h"
#include "core/pixelfont.h"
#include "core/recoveryfile.h"
#include "core/savefile.h"

namespace tobrin {

Recovery::Recovery(PictureDocument& document, Dialogs& dialogs, const QString& folder, QObject* parent)
    : QObject(parent), doc_(document), dialogs_(dialogs), folder_(folder)
{
    // One copy per document: the process, the moment and a count make the
    // name unique.
    static int made = 0;
    copyPath_ = QDir(folder_).filePath(QStringLiteral("%1-%2-%3.txt")
                                           .arg(QCoreApplication::applicationPid())
                                           .arg(QDateTime::currentMSecsSinceEpoch())
                                           .arg(++made));
    quiet_.setSingleShot(true);
    longest_.setSingleShot(true);
    SetIntervals(kQuietMs, kLongestMs);
    connect(&quiet_, &QTimer::timeout, this, &Recovery::WriteNow);
    connect(&longest_, &QTimer::timeout, this, &Recovery::WriteNow);
    connect(&doc_, &PictureDocument::pixelsChanged, this, &Recovery::Changed);
    connect(&doc_, &PictureDocument::sizeChanged, this, &Recovery::Changed);
    connect(&doc_, &PictureDocument::framesChanged, this, &Recovery::Changed);
    connect(&doc_, &PictureDocument::fileNameChanged, this, &Recovery::Changed);
    connect(&doc_, &PictureDocument::savedChanged, this, &Recovery::SavedChanged);
}

Recovery::~Recovery()
{
    Remove();
}

void Recovery::SetIntervals(int quietMs, int longestMs)
{
    quiet_.setInterval(quietMs);
    longest_.setInterval(longestMs);
}

void Recovery::Changed()
{
    if (off_ || doc_.Saved())
        return;
    quiet_.start();
    if (!longest_.isActive())
        longest_.start();
}

void Recovery::SavedChanged(bool saved)
{
    if (saved)
        Remove();
    else
        Changed();
}

void Recovery::WriteNow()
{
    quiet_.stop();
    longest_.stop();
    if (off_ || doc_.Saved())
        return;
    if (!QDir().mkpath(folder_)) {
        TurnOff(QStringLiteral("%1: the folder cannot be made").arg(folder_));
        return;
    }
    // The user's unsaved pictures are for the user alone.
    QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QString why;
    if (!written_ && !WriteFileAtomically(RecoveryLockPath(copyPath_), RecoveryLockText(), &why)) {
        TurnOff(QStringLiteral("%1: %2").arg(RecoveryLockPath(copyPath_), why));
        return;
    }
    const RecoveryHeader header{doc_.FileName(), !doc_.FileName().isEmpty(), QDateTime::currentDateTimeUtc()};
    const QByteArray text = doc_.IsFont() ? RecoveryText(doc_.Font(), header) : RecoveryText(doc_.Frames(), header);
    if (!WriteFileAtomically(copyPath_, text, &why)) {
        TurnOff(QStringLiteral("%1: %2").arg(copyPath_, why));
        return;
    }
    written_ = true;
}

void Recovery::Remove()
{
    quiet_.stop();
    longest_.stop();
    if (!written_)
        return;
    QFile::remove(copyPath_);
    QFile::remove(RecoveryLockPath(copyPath_));
    written_ = false;
}

void Recovery::TurnOff(const QString& why)
{
    // Said once; the editor goes on as before, only without copies.
    off_ = true;
    QFile::remove(copyPath_);
    QFile::remove(RecoveryLockPath(copyPath_));
    written_ = false;
    dialogs_.Message(window_, QStringLiteral("Recovery"),
                     QStringLiteral("Unsaved work cannot be kept for recovery, so recovery is off."),
                     Dialogs::Icon::Warning, why);
}

bool Recovery::HasOrphans() const
{
    const QStringList copies = RecoveryCopies(folder_);
    return std::any_of(copies.begin(), copies.end(),
                       [this](const QString& path) { return path != copyPath_ && !HeldByRunningEditor(path); });
}

void Recovery::OfferOrphans(QWidget* parent)
{
    bool opened = false;
    for (const QString& path : RecoveryCopies(folder_)) {
        if (path == copyPath_ || HeldByRunningEditor(path))
            continue;
        QString why;
        const std::optional<RecoveryCopy> copy = ReadRecoveryCopy(path, &why);
        if (!copy) {
            const QString aside = path + QStringLiteral(".corrupt");
            QFile::remove(aside);
            QFile::rename(path, aside);
            QFile::remove(RecoveryLockPath(path));
            dialogs_.Message(parent, QStringLiteral("Recovery"),
                             QStringLiteral("The recovery copy %1 cannot be read; it is set aside as %2.")
                                 .arg(path, QFileInfo(aside).fileName()),
                             Dialogs::Icon::Warning, QStringLiteral("%1: %2").arg(path, why));
            continue;
        }
        if (opened)
            continue;
        const QString name = copy->header.fileName.isEmpty() ? QStringLiteral("Untitled") : copy->header.fileName;
        const Dialogs::Answer answer = dialogs_.AskYesNoLater(
            parent, QStringLiteral("Recover unsaved work"),
            QStringLiteral("Recover unsaved work from %1?").arg(RecoveryTimeText(copy->header.time)),
            QStringLiteral("%1, %2 frame(s)").arg(name).arg(copy->set.Count()));
        if (answer == Dialogs::Answer::Later)
            continue;
        if (answer == Dialogs::Answer::Yes) {
            if (copy->font)
                doc_.LoadFont(*copy->font, copy->header.fileName);
            else
                doc_.LoadSet(copy->set, copy->header.fileName);
            doc_.MarkModified();
            opened = true;
        }
        QFile::remove(path);
        QFile::remove(RecoveryLockPath(path));
        if (opened)
            WriteNow();
    }
}

}  // namespace tobrin
