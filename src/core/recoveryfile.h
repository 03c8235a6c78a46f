#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

#include "core/formats.h"
#include "core/pixelfont.h"

namespace tobrin {

// Copies of unsaved work, kept so that a crash or a killed editor loses at
// most a few seconds. Each running editor keeps one copy per document in
// the recovery folder, "NAME.txt", with a lock "NAME.lock" beside it naming
// the process and the boot it runs in. A copy whose lock names a running
// process of this boot belongs to a running editor and no other touches it.
//
// A copy is the document's hex set text preceded by ";" comment lines,
// which the hex reader skips:
//   ; Tobrin recovery copy
//   ; file: /path/of/the/picture.txt   (empty for an untitled picture)
//   ; saved before: yes|no
//   ; time: 2026-01-02T03:04:05Z
struct RecoveryHeader {
    QString fileName;
    bool savedBefore = false;
    QDateTime time;  // UTC
};

struct RecoveryCopy {
    QString path;
    RecoveryHeader header;
    MonoSet set;
    // A font document's copy holds its font (the font's hex text); set then
    // holds its glyphs.
    std::optional<PixelFont> font;
};

// $XDG_STATE_HOME/tobrin/recovery, or ~/.local/state/tobrin/recovery when
// XDG_STATE_HOME is unset or not absolute (the XDG base directory rules).
QString RecoveryFolder();

QByteArray RecoveryText(const MonoSet& set, const RecoveryHeader& header);
QByteArray RecoveryText(const PixelFont& font, const RecoveryHeader& header);
// A copy's bytes, checked whole (header and every frame), or nullopt with
// *error saying why; path stays empty.
std::optional<RecoveryCopy> DecodeRecoveryCopy(const QByteArray& data, QString* error = nullptr);
// The copy at path (a regular file only), read as DecodeRecoveryCopy reads it.
std::optional<RecoveryCopy> ReadRecoveryCopy(const QString& path, QString* error = nullptr);

// The lock beside a copy, and what goes in it: this process and boot.
QString RecoveryLockPath(const QString& copyPath);
QByteArray RecoveryLockText();
// True when the lock names a running process of this boot.
bool HeldByRunningEditor(const QString& copyPath);
// The copies in folder, by name.
QStringList RecoveryCopies(const QString& folder);
// "2026-01-02 03:04" in local time, as the question and the list show it.
QString RecoveryTimeText(const QDateTime& time);

}  // namespace tobrin
