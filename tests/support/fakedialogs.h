#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "app/dialogs.h"

namespace tobrin {

// Answers every question from a script and records what was asked, so tests
// can check the exact text, title and icon.
class FakeDialogs : public Dialogs {
public:
    struct Shown {
        QString kind;  // "question", "question3" (Yes/No/Later), "message", "open", "save"
        QString title;
        QString text;  // message text, or the filters of a file dialog
        Icon icon = Icon::None;
        QString selectedFilter;
        QString fileName;
        QString details;  // a message's informative text
    };

    QList<Shown> shown;
    QList<bool> answers;         // for AskYesNo, in order; Yes when exhausted
    QList<Answer> laterAnswers;  // for AskYesNoLater, in order; Later when exhausted
    QStringList fileNames;       // for the file dialogs, in order; "" when exhausted
    // For the several-file open dialog, in order; when exhausted it takes
    // one name from fileNames.
    QList<QStringList> fileLists;
    // For the C array options, in order: nullopt cancels; the starting
    // choice is taken when exhausted.
    QList<std::optional<ExportOptions>> cArrayAnswers;
    // "New Font": the source and options chosen, or nullopt for Cancel.
    QList<std::optional<std::pair<QString, FontSourceOptions>>> newFontAnswers;
    QList<ExportOptions> cArrayOffered;  // the starting choices offered
    // "Export with Template": the template chosen, or nullopt for Cancel;
    // the starting choice is taken when exhausted.
    QList<std::optional<QString>> templateAnswers;

    bool AskYesNo(QWidget*, const QString& title, const QString& text) override
    {
        shown.append({QStringLiteral("question"), title, text, Icon::None, {}, {}, {}});
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    Answer AskYesNoLater(QWidget*, const QString& title, const QString& text, const QString& details) override
    {
        shown.append({QStringLiteral("question3"), title, text, Icon::None, {}, {}, details});
        return laterAnswers.isEmpty() ? Answer::Later : laterAnswers.takeFirst();
    }
    void Message(QWidget*, const QString& title, const QString& text, Icon icon,
                 const QString& details = QString()) override
    {
        shown.append({QStringLiteral("message"), title, text, icon, {}, {}, details});
    }
    QString OpenFileName(QWidget*, const QString& caption, const QString& filters,
                         const QString& selectedFilter, const QString& fileName) override
    {
        shown.append({QStringLiteral("open"), caption, filters, Icon::None, selectedFilter, fileName, {}});
        return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
    }
    QString SaveFileName(QWidget*, const QString& caption, const QString& filters,
                         const QString& selectedFilter, const QString& fileName) override
    {
        shown.append({QStringLiteral("save"), caption, filters, Icon::None, selectedFilter, fileName, {}});
        return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
    }

    QStringList OpenFileNames(QWidget*, const QString& caption, const QString& filters,
                              const QString& selectedFilter, const QString& fileName) override
    {
        shown.append({QStringLiteral("open"), caption, filters, Icon::None, selectedFilter, fileName, {}});
        if (!fileLists.isEmpty())
            return fileLists.takeFirst();
        const QString name = fileNames.isEmpty() ? QString() : fileNames.takeFirst();
        return name.isEmpty() ? QStringList() : QStringList{name};
    }

    bool CArrayOptions(QWidget* parent, const QString& path, ExportOptions& options, const MonoSet& frames) override
    {
        shown.append({QStringLiteral("c-options"), QString(), path, Icon::None, {}, path, {}});
        cArrayOffered.append(options);
        if (cArrayAnswers.isEmpty())
            return Dialogs::CArrayOptions(parent, path, options, frames);
        const std::optional<ExportOptions> answer = cArrayAnswers.takeFirst();
        if (answer)
            options = *answer;
        return answer.has_value();
    }

    bool NewFontOptions(QWidget*, QString& source, FontSourceOptions& options) override
    {
        shown.append({QStringLiteral("new-font"), QStringLiteral("New Font"), source, Icon::None, {}, source, {}});
        if (newFontAnswers.isEmpty() || !newFontAnswers.front())
            return newFontAnswers.isEmpty() ? false : (newFontAnswers.takeFirst(), false);
        const auto answer = *newFontAnswers.takeFirst();
        source = answer.first;
        options = answer.second;
        return true;
    }

    bool TemplateOptions(QWidget* parent, const MonoSet& set, const PixelFont* font, ExportOptions& options) override
    {
        shown.append({QStringLiteral("template"), QStringLiteral("Export with Template"), options.templateName,
                      Icon::None, {}, {}, {}});
        if (templateAnswers.isEmpty())
            return Dialogs::TemplateOptions(parent, set, font, options);
        const std::optional<QString> answer = templateAnswers.takeFirst();
        if (answer)
            options.templateName = *answer;
        return answer.has_value();
    }

    int count(const QString& kind) const
    {
        int n = 0;
        for (const auto& s : shown)
            n += s.kind == kind;
        return n;
    }
};

}  // namespace tobrin
