#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>

#include "cli/commandline.h"
#include "app/dialogs.h"
#include "app/session.h"
#include "app/fontwarmup.h"
#include "app/recovery.h"
#include "core/recoveryfile.h"
#include "drawing/drawingwindow.h"
#include "files/filecommands.h"
#include "frame/framewindow.h"

namespace {

// Arguments that run without a display: everything but "tobrin",
// "tobrin FILE" and "tobrin -- FILE", which start the editor. Bad usage is
// reported without a display too.
bool IsCommandLineMode(int argc, char** argv)
{
    if (argc < 2)
        return false;
    const QString first = QString::fromLocal8Bit(argv[1]);
    if (first == QLatin1String("--"))
        return argc > 3;
    return argc > 2 || first.startsWith(QLatin1Char('-')) || first == QLatin1String("export")
        || first == QLatin1String("import") || first == QLatin1String("font") || first == QLatin1String("text")
        || first == QLatin1String("build");
}

// True when every argument survives decoding into a QString and back: a
// file name that does not would otherwise silently name another file.
bool ArgumentsAreFaithful(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (QFile::encodeName(QFile::decodeName(raw)) != raw)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!ArgumentsAreFaithful(argc, argv)) {
        std::fputs("tobrin: an argument is not valid text in this system's encoding "
                   "(a file name cannot be used as given)\n",
                   stderr);
        return 2;
    }

    QCoreApplication::setApplicationName(QStringLiteral("Tobrin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOBRIN_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("Tobrin"));
    // Ties the windows to the menu entry (its icon and name) on Wayland,
    // where the shell has no window class to match.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tobrin.Tobrin"));

    if (IsCommandLineMode(argc, argv)) {
        QCoreApplication app(argc, argv);
        QString unused;
        const int status = tobrin::RunCommandLine(app.arguments(), &unused);
        return status < 0 ? 2 : status;
    }

    // The font configuration loads beside the display connection.
    tobrin::FontWarmUp fonts;
    QApplication app(argc, argv);
    QString openPath;
    const int status = tobrin::RunCommandLine(app.arguments(), &openPath);
    if (status >= 0)
        return status;

    fonts.Wait();
    tobrin::QtDialogs dialogs;
    tobrin::Session session(dialogs);
    tobrin::FrameWindow frame(session);
    // Unsaved work is copied to the user's state folder, and a copy left
    // by an editor that crashed or was killed is offered at the start.
    tobrin::Recovery recovery(session.document, dialogs, tobrin::RecoveryFolder());
    recovery.SetWindow(&frame);
    frame.RememberArrangement();
    frame.show();
    // With the drawing window shown (its first load starts the picture
    // afresh): first what was left unsaved, then the file asked for, which
    // asks before it replaces a recovered picture. Without either, the
    // drawing window waits for the frame's first picture as usual.
    QTimer::singleShot(50, &frame, [&frame, &recovery, openPath] {
        if (recovery.HasOrphans())
            recovery.OfferOrphans(&frame.DrawingWindow());
        if (!openPath.isEmpty())
            frame.DrawingWindow().Files().ReadHexFile(openPath);
    });
    return app.exec();
}
