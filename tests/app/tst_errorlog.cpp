#include "TestEnv.h"

#include "app/ErrorLog.h"
#include "app/Website.h"

#include <QtTest>

using namespace velmora;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString programLog(const test::TestEnv &env)
{
    return env.programFolder() + QStringLiteral("/Velmora.log");
}

} // namespace

class TestErrorLog : public QObject {
    Q_OBJECT
private slots:
    void lineHasDateTimeAndText()
    {
        test::TestEnv env;
        writeLog(QStringLiteral("Something broke"));
        const QString line = QString::fromUtf8(readAll(programLog(env)));
        const QString date = QLocale::system().toString(QDate(2026, 12, 6), QLocale::ShortFormat);
        QVERIFY2(line.startsWith(date + QLatin1Char(' ')), qPrintable(line));
        QVERIFY2(line.endsWith(QStringLiteral(" - Something broke\r\n")), qPrintable(line));
        // The time sits between the date and the dash: the fixed clock says 10:00.
        const QString time = line.mid(date.size() + 1, line.indexOf(QStringLiteral(" - ")) - date.size() - 1);
        QVERIFY2(time.contains(QStringLiteral("10")) && time.contains(QStringLiteral("00")), qPrintable(time));
        QVERIFY2(!time.contains(QLatin1Char(' ')) || time.endsWith(QStringLiteral("AM")), qPrintable(time));
    }

    void unwritableProgramFolderFallsBackToDataFolder()
    {
        test::TestEnv env;
        // A folder in the log's place: the log cannot be opened there, even by root.
        QVERIFY(QDir(env.programFolder()).mkdir(QStringLiteral("Velmora.log")));
        writeLog(QStringLiteral("elsewhere"));
        const QString fallback = env.home() + QStringLiteral("/.local/share/Velmora/Velmora.log");
        QCOMPARE(fallbackLogFilePath(), fallback);
        QVERIFY(readAll(fallback).endsWith(" - elsewhere\r\n"));
    }

    void noWritablePlaceDropsTheEntry()
    {
        test::TestEnv env;
        QVERIFY(QDir(env.programFolder()).mkdir(QStringLiteral("Velmora.log")));
        // The data folder is a plain file: nothing can be made below it.
        const QString blocker = env.file(QStringLiteral("blocker"));
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", blocker.toLocal8Bit());
        writeLog(QStringLiteral("lost"));
        qputenv("XDG_DATA_HOME", oldData);
        QCOMPARE(QFileInfo(blocker).size(), 0);
    }

    void componentReports_data()
    {
        QTest::addColumn<bool>("jet");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("entry");
        const QString mdac = QStringLiteral("MDAC (Microsoft Data Access Components) is missing!");
        const QString jetText = QStringLiteral("Microsoft Jet 4.0 is missing or the database is not accessible!");
        QTest::newRow("mdac ok") << false << int(Answer::Ok) << mdac
                                 << "MdacError: -2147221005 Invalid class string";
        QTest::newRow("jet cancel") << true << int(Answer::Cancel) << jetText << "JetError: 14 Cannot open file";
    }
    void componentReports()
    {
        QFETCH(bool, jet);
        QFETCH(int, answer);
        QFETCH(QString, firstLine);
        QFETCH(QString, entry);
        test::TestEnv env;
        env.prompts.queueAnswer(Answer(answer));
        if (jet)
            jetError(14, QStringLiteral("Cannot open file"));
        else
            mdacError(-2147221005, QStringLiteral("Invalid class string"));

        QCOMPARE(env.prompts.messageCount(), 1);
        const auto &shown = env.prompts.shown().front();
        QCOMPARE(shown.text, firstLine + QStringLiteral("\n\nYou need to download it from the website of Velmora:\n") +
                                 websiteAddress() + QStringLiteral("\n\n") + entry);
        QCOMPARE(shown.title, QStringLiteral("Error!"));
        QCOMPARE(shown.icon, Icon::Critical);
        QCOMPARE(shown.buttons, Buttons::OkCancel);
        QVERIFY(readAll(programLog(env)).endsWith((QStringLiteral(" - ") + entry + QStringLiteral("\r\n")).toUtf8()));
        if (Answer(answer) == Answer::Ok)
            QCOMPARE(env.launcher.urls, std::vector<QString>{websiteAddress()});
        else
            QVERIFY(env.launcher.urls.empty());
    }
};

QTEST_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
