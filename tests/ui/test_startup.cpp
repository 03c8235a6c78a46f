#include <QtTest>

#include "fakedialogs.h"
#include "frame/loadform.h"

using namespace tobrin;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void frameOpensCaptionedTobrin()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        LoadForm frame(session);
        frame.show();
        QCOMPARE(frame.windowTitle(), QStringLiteral("Tobrin"));
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
