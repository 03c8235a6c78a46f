// Linked into every UI test: the editor's remembered settings go to a folder
// of this test run, never to the user's own configuration.
#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

QTemporaryDir* settingsDir = nullptr;

void RemoveSettingsDir()
{
    delete settingsDir;
    settingsDir = nullptr;
}

void IsolateSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    // QSettings stores nothing for an application without an organisation.
    if (QCoreApplication::organizationName().isEmpty())
        QCoreApplication::setOrganizationName(QStringLiteral("Tobrin tests"));
    settingsDir = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/tobrin-ui-test-XXXXXX"));
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        for (QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, settingsDir->path());
    qAddPostRoutine(RemoveSettingsDir);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(IsolateSettings)
