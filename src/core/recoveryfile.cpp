#include "core/recoveryfile.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <unistd.h>

#include "core/regularfile.h"

namespace tobrin {

namespace {

const char kMagic[] = "; Tobrin recovery copy";
const char kFile[] = "; file: ";
const char kSaved[] = "; saved before: ";
const char kTime[] = "; time: ";

QByteArray BootId()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed();
}

}  // namespace

QString RecoveryFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/tobrin/recovery");
}

namespace {

QByteArray RecoveryHeaderText(const RecoveryHeader& header)
{
    // The file name goes on one line: a name with a line break in it is
    // cut there rather than breaking the header.
    QString name = header.fileName;
    name.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QByteArray text = QByteArray(kMagic) + "\r\n";
    text += QByteArray(kFile) + name.toUtf8() + "\r\n";
    text += QByteArray(kSaved) + (header.savedBefore ? "yes" : "no") + "\r\n";
    text += QByteArray(kTime) + header.time.toUTC().toString(Qt::ISODate).toLatin1() + "\r\n";
    return text;
}

}  // namespace

QByteArray RecoveryText(const MonoSet& set, const RecoveryHeader& header)
{
    return RecoveryHeaderText(header) + HexSetText(set, QStringLiteral("frame")).toLatin1() + "\r\n";
}

QByteArray RecoveryText(const PixelFont& font, const RecoveryHeader& header)
{
    return RecoveryHeaderText(header) + FontHexText(font, QStringLiteral("font")).toUtf8() + "\r\n";
}

std::optional<RecoveryCopy> DecodeRecoveryCopy(const QByteArray& data, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<RecoveryCopy> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QList<QByteArray> lines = data.left(4096).split('\r');
    for (QByteArray& line : lines)
        if (line.startsWith('\n'))
            line.remove(0, 1);
    if (lines.size() < 5 || lines[0] != kMagic)
        return fail(QStringLiteral("it does not begin with the recovery header"));
    const auto field = [&lines](int i, const char* prefix) -> std::optional<QByteArray> {
        if (!lines[i].startsWith(prefix))
            return std::nullopt;
        return lines[i].mid(qsizetype(qstrlen(prefix)));
    };
    const auto name = field(1, kFile);
    const auto saved = field(2, kSaved);
    const auto time = field(3, kTime);
    if (!name || !saved || !time || (*saved != "yes" && *saved != "no"))
        return fail(QStringLiteral("its recovery header is damaged"));
    RecoveryCopy copy;
    copy.header.fileName = QString::fromUtf8(*name);
    copy.header.savedBefore = *saved == "yes";
    copy.header.time = QDateTime::fromString(QString::fromLatin1(*time), Qt::ISODate);
    if (!copy.header.time.isValid())
        return fail(QStringLiteral("its recovery header has no valid time"));
    if (IsFontHexText(data)) {
        copy.font = DecodeFont(data, QStringLiteral("recovery.txt"), error);
        if (!copy.font)
            return std::nullopt;
        copy.set = copy.font->ToSet();
        return copy;
    }
    std::optional<MonoSet> set = NativeFormat().decodeSet(data, {}, error);
    if (!set)
        return std::nullopt;
    copy.set = std::move(*set);
    return copy;
}

std::optional<RecoveryCopy> ReadRecoveryCopy(const QString& path, QString* error)
{
    QFile file(path);
    if (!OpenRegularFile(file, error))
        return std::nullopt;
    // A copy holds at most 1,024 frames of hex text, about 16 MB.
    constexpr qint64 kLimit = qint64(64) << 20;
    const QByteArray data = file.read(kLimit + 1);
    if (data.size() > kLimit) {
        if (error)
            *error = QStringLiteral("larger than %1 MB").arg(kLimit >> 20);
        return std::nullopt;
    }
    std::optional<RecoveryCopy> copy = DecodeRecoveryCopy(data, error);
    if (copy)
        copy->path = path;
    return copy;
}

QString RecoveryLockPath(const QString& copyPath)
{
    QString lock = copyPath;
    if (lock.endsWith(QLatin1String(".txt")))
        lock.chop(4);
    return lock + QStringLiteral(".lock");
}

QByteArray RecoveryLockText()
{
    return QByteArray::number(qint64(::getpid())) + '\n' + BootId() + '\n';
}

bool HeldByRunningEditor(const QString& copyPath)
{
    QFile file(RecoveryLockPath(copyPath));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = file.read(256).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).toLongLong(&ok);
    if (!ok || pid <= 0 || lines.value(1).trimmed() != BootId())
        return false;
    // Signal 0 only asks whether the process exists; EPERM means it does,
    // under another user.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QStringList RecoveryCopies(const QString& folder)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString& name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

QString RecoveryTimeText(const QDateTime& time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

}  // namespace tobrin
