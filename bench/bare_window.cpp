// Time from the start of main to the first window being exposed, for a bare
// QMainWindow, (with --menus) a QMainWindow with a menu bar and a toolbar of
// text buttons, the least window that draws text and so pays for the fonts,
// or (with --editor) the editor's own start-up; prints the milliseconds and
// quits. bench/whole_process.sh runs it under Xvfb.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>
#include <QWindow>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#include "app/dialogs.h"
#include "frame/framewindow.h"
#include "app/session.h"
#include "app/fontwarmup.h"

namespace {

class FirstExpose : public QObject {
public:
    explicit FirstExpose(const QElapsedTimer& clock) : clock_(clock) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && !done_) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window && window->isExposed()) {
                done_ = true;
                std::printf("%lld\n", static_cast<long long>(clock_.elapsed()));
                // The process's processor time is the steadier figure on a
                // machine shared with other work.
                if (qEnvironmentVariableIsSet("TOBRIN_START_PHASES")) {
                    timespec cpu{};
                    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
                    std::fprintf(stderr, "first expose: %.1f ms of processor time\n",
                                 cpu.tv_sec * 1e3 + cpu.tv_nsec / 1e6);
                }
                std::fflush(stdout);
                QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    const QElapsedTimer& clock_;
    bool done_ = false;
};

}  // namespace

int main(int argc, char** argv)
{
    QElapsedTimer clock;
    clock.start();
    const bool editor = argc > 1 && std::strcmp(argv[1], "--editor") == 0;
    const bool menus = argc > 1 && std::strcmp(argv[1], "--menus") == 0;
    QCoreApplication::setApplicationName(QStringLiteral("Tobrin"));
    // The editor's start-up as main has it: the fonts load beside the
    // application (not for the plain windows, which main does not build).
    std::unique_ptr<tobrin::FontWarmUp> fonts;
    if (editor && !qEnvironmentVariableIsSet("TOBRIN_NO_WARMUP"))
        fonts = std::make_unique<tobrin::FontWarmUp>();
    QApplication app(argc, argv);
    FirstExpose watcher(clock);
    app.installEventFilter(&watcher);
    if (!editor) {
        QMainWindow window;
        if (menus) {
            for (const char* title : {"&File", "&Edit", "&Window", "&Help"})
                window.menuBar()->addMenu(QString::fromLatin1(title))->addAction(QStringLiteral("&Open"));
            QToolBar* bar = window.addToolBar(QStringLiteral("Toolbar"));
            for (const char* text : {"New", "Open", "Save", "Import"})
                bar->addAction(QString::fromLatin1(text));
        }
        window.show();
        return app.exec();
    }
    if (fonts)
        fonts->Wait();
    const qint64 appReady = clock.elapsed();
    tobrin::QtDialogs dialogs;
    tobrin::Session session(dialogs);
    const qint64 before = clock.elapsed();
    tobrin::FrameWindow frame(session);
    const qint64 built = clock.elapsed();
    frame.show();
    if (qEnvironmentVariableIsSet("TOBRIN_START_PHASES"))
        std::fprintf(stderr, "application %lld ms, session %lld ms, frame built %lld ms, shown %lld ms\n",
                     static_cast<long long>(appReady), static_cast<long long>(before - appReady),
                     static_cast<long long>(built - before), static_cast<long long>(clock.elapsed() - built));
    return app.exec();
}
