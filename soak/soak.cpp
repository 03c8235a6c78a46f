// Starts the soak: scripts/soak.sh gives it a scratch folder, a length and
// the seed it printed.

#include <QApplication>
#include <cstdio>

#include "soakdriver.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tobrin"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tobrin"));
    quint64 seed = 0;
    qint64 seconds = 600;
    QString scratch;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--seed"))
            seed = args[i + 1].toULongLong();
        else if (args[i] == QLatin1String("--seconds"))
            seconds = args[i + 1].toLongLong();
        else if (args[i] == QLatin1String("--scratch"))
            scratch = args[i + 1];
    }
    if (scratch.isEmpty() || seconds <= 0) {
        std::fputs("usage: tobrin_soak --scratch FOLDER [--seconds N] [--seed N]\n", stderr);
        return 2;
    }
    std::printf("soak: seed %llu, %lld s, scratch %s\n", static_cast<unsigned long long>(seed),
                static_cast<long long>(seconds), qPrintable(scratch));
    std::fflush(stdout);
    tobrin::soak::Soak soak(seed, seconds, scratch);
    return app.exec();
}
