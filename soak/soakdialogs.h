#pragma once

// The soak's stand-in for the user at every modal question and file dialog:
// answers drawn from the run's random stream, file names from the scratch
// folder. The option dialogs (C array, template, new font) are the real
// ones, which the soak's modal handler answers on screen.

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <functional>
#include <random>
#include <utility>

#include "app/dialogs.h"

namespace tobrin::soak {

class SoakDialogs : public Dialogs {
public:
    SoakDialogs(std::mt19937_64& random, QString folder) : random_(random), folder_(std::move(folder)) {}

    // How many of each question and message were answered, by title.
    QMap<QString, int> asked;
    // The last name a save dialog gave, and what stood there before.
    QString lastSaveName;
    QByteArray lastSaveBefore;
    bool lastSaveExisted = false;
    // When set, the next open dialog names a colour image (the import's "Load").
    bool nextOpenIsImage = false;
    // At the end every question is answered Yes (discard and close).
    bool yesToAll = false;

    int Pick(int n) { return n <= 1 ? 0 : int(random_() % std::uint64_t(n)); }
    bool Chance(int percent) { return Pick(100) < percent; }

    bool AskYesNo(QWidget*, const QString& title, const QString&) override
    {
        ++asked[QStringLiteral("question: ") + title];
        return yesToAll || Chance(70);
    }
    Answer AskYesNoLater(QWidget*, const QString& title, const QString&, const QString&) override
    {
        ++asked[QStringLiteral("question3: ") + title];
        const Answer answers[] = {Answer::Yes, Answer::No, Answer::Later};
        return yesToAll ? Answer::No : answers[Pick(3)];
    }
    void Message(QWidget*, const QString& title, const QString& text, Icon, const QString&) override
    {
        // Sizes and counts vary from one message to the next; the report
        // groups each message by its words.
        QString words = text;
        words.replace(QRegularExpression(QStringLiteral("\\b\\d+\\b")), QStringLiteral("#"));
        ++asked[QStringLiteral("message: ") + title + QStringLiteral(" / ") + words.left(40)];
    }
    QString OpenFileName(QWidget*, const QString& caption, const QString&, const QString&, const QString&) override
    {
        ++asked[QStringLiteral("open: ") + caption];
        const bool image = std::exchange(nextOpenIsImage, false);
        if (Chance(5))
            return QString();  // cancelled
        if (Chance(3))
            return QDir(folder_).filePath(QStringLiteral("no-such-file.db"));
        const QStringList names = QDir(folder_).entryList(
            image ? QStringList{QStringLiteral("colour-*")} : QStringList{}, QDir::Files, QDir::Name);
        return names.isEmpty() ? QString() : QDir(folder_).filePath(names[Pick(int(names.size()))]);
    }
    QStringList OpenFileNames(QWidget* parent, const QString& caption, const QString& filters,
                              const QString& selected, const QString& fileName) override
    {
        const QString one = OpenFileName(parent, caption, filters, selected, fileName);
        return one.isEmpty() ? QStringList() : QStringList{one};
    }
    QString SaveFileName(QWidget*, const QString& caption, const QString&, const QString&, const QString&) override
    {
        ++asked[QStringLiteral("save: ") + caption];
        if (!yesToAll && Chance(4))
            return QString();
        static const char* const suffixes[] = {"db", "db", "txt", "c", "h", "xbm", "pbm", "png", "bmp", "gif", "bdf"};
        const QString folder = Chance(3) ? QDir(folder_).filePath(QStringLiteral("../read-only")) : folder_;
        lastSaveName = QDir(folder).filePath(
            QStringLiteral("save-%1.%2").arg(Pick(12)).arg(QLatin1String(suffixes[Pick(std::size(suffixes))])));
        QFile before(lastSaveName);
        lastSaveExisted = before.open(QIODevice::ReadOnly);
        lastSaveBefore = lastSaveExisted ? before.readAll() : QByteArray();
        return lastSaveName;
    }
    bool NewFontOptions(QWidget* parent, QString& source, FontSourceOptions& options) override
    {
        ++asked[QStringLiteral("new font")];
        if (Chance(50))
            return real_.NewFontOptions(parent, source, options);
        QStringList sources = QDir(folder_).entryList({QStringLiteral("font-*")}, QDir::Files);
        for (QString& s : sources)
            s = QDir(folder_).filePath(s);
        const QString dejavu = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
        if (QFileInfo::exists(dejavu))
            sources << dejavu;
        if (sources.isEmpty())
            return false;
        static const char* const lists[] = {"32-126", "0-9", "A-Z", "0-9:\u00b0C", "U+00C0-U+00FF", ""};
        source = sources[Pick(int(sources.size()))];
        options = FontSourceOptions();
        options.pixelSize = 5 + Pick(20);
        options.chars = QString::fromUtf8(lists[Pick(std::size(lists))]);
        if (Chance(30))
            options.threshold = 1 + Pick(255);
        return true;
    }

    bool CArrayOptions(QWidget* parent, const QString& path, ExportOptions& options, const MonoSet& frames) override
    {
        ++asked[QStringLiteral("C array options")];
        return real_.CArrayOptions(parent, path, options, frames);
    }
    bool TemplateOptions(QWidget* parent, const MonoSet& set, const PixelFont* font, ExportOptions& options) override
    {
        ++asked[QStringLiteral("template options")];
        return real_.TemplateOptions(parent, set, font, options);
    }

private:
    QtDialogs real_;
    std::mt19937_64& random_;
    QString folder_;
};

}  // namespace tobrin::soak
