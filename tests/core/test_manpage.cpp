#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace {

// Every option word ("-o", "--no-match-size") in a text.
QSet<QString> Options(const QString& text)
{
    QSet<QString> found;
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])(--?[a-z][a-z-]*)"));
    for (auto it = option.globalMatch(text); it.hasNext();)
        found.insert(it.next().captured(1));
    return found;
}

QString Sorted(const QSet<QString>& set)
{
    QStringList list = set.values();
    list.sort();
    return list.join(QLatin1Char(' '));
}

TEST(ManualPage, ListsTheOptionsOfTheHelpText)
{
    QProcess tobrin;
    tobrin.start(QStringLiteral(TOBRIN_BINARY), {QStringLiteral("--help")});
    ASSERT_TRUE(tobrin.waitForFinished(60000));
    ASSERT_EQ(tobrin.exitCode(), 0);
    const QSet<QString> help = Options(QString::fromLocal8Bit(tobrin.readAllStandardOutput()));
    ASSERT_TRUE(help.contains(QStringLiteral("--dither")));

    QFile page(QStringLiteral(TOBRIN_MANPAGE));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    // In roff a minus sign is written "\-"; font changes do not split words.
    QString text = QString::fromUtf8(page.readAll());
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    text.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
    QSet<QString> manual = Options(text);
    manual.remove(QStringLiteral("--"));  // the end of the options, not one of them
    EXPECT_EQ(Sorted(manual), Sorted(help));
    EXPECT_TRUE(text.contains(QStringLiteral(".TH TOBRIN 1")));
}

}  // namespace
