#include "TestEnv.h"

#include "app/Startup.h"
#include "app/ui/TerminationSignals.h"

#include <csignal>

#include <QtTest>

using namespace velmora;

// Reading the command line and the stored window state.
class TestStartup : public QObject {
    Q_OBJECT
    test::TestEnv m_env;

private slots:
    void commandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("mode");
        const QString exe = QStringLiteral("/usr/bin/velmora");
        QTest::newRow("nothing") << QStringList{exe} << "" << int(StartMode::Default);
        QTest::newRow("blank argument")
            << QStringList{exe, QStringLiteral("  ")} << "" << int(StartMode::Default);
        QTest::newRow("reminder") << QStringList{exe, QStringLiteral("/Reminder")} << "/Reminder"
                                  << int(StartMode::Reminder);
        QTest::newRow("reminder lower case")
            << QStringList{exe, QStringLiteral("/reminder")} << "/reminder" << int(StartMode::DatabasePath);
        QTest::newRow("reminder and more")
            << QStringList{exe, QStringLiteral("/Reminder"), QStringLiteral("x")} << "/Reminder x"
            << int(StartMode::DatabasePath);
        QTest::newRow("person one argument")
            << QStringList{exe, QStringLiteral("/Person  12")} << "/Person  12" << int(StartMode::Person);
        QTest::newRow("person split by the shell")
            << QStringList{exe, QStringLiteral("/Person"), QStringLiteral("12")} << "/Person 12"
            << int(StartMode::Person);
        QTest::newRow("quoted path keeps quotes") << QStringList{exe, QStringLiteral("\"/tmp/a b.mdb\"")}
                                                  << "\"/tmp/a b.mdb\"" << int(StartMode::DatabasePath);
        QTest::newRow("path with blank split")
            << QStringList{exe, QStringLiteral("/tmp/a"), QStringLiteral("b.mdb")} << "/tmp/a b.mdb"
            << int(StartMode::DatabasePath);
    }
    void commandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, line);
        QFETCH(int, mode);
        QCOMPARE(joinArguments(arguments), line);
        QCOMPARE(int(startModeOf(line)), mode);
        setCommandLine(QLatin1Char(' ') + line + QLatin1Char(' '));
        QCOMPARE(commandLine(), line);
        setCommandLine(QString());
    }

    void personKey() { QCOMPARE(personKeyOf(QStringLiteral("/Person  12")), QStringLiteral("Person  12")); }

    void windowState_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("maximized");
        QTest::newRow("maximized") << "2" << true;
        QTest::newRow("minimized starts normal") << "1" << false;
        QTest::newRow("missing") << "" << false;
        QTest::newRow("junk") << "max" << false;
    }
    void windowState()
    {
        QFETCH(QString, stored);
        QFETCH(bool, maximized);
        QCOMPARE(restoresMaximized(stored), maximized);
    }

    void stopSignalsArriveOnTheEventLoop_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void stopSignalsArriveOnTheEventLoop()
    {
        QFETCH(int, signalNumber);
        TerminationSignals signals_;
        QVERIFY(signals_.isInstalled());
        QSignalSpy spy(&signals_, &TerminationSignals::terminationRequested);
        ::raise(signalNumber);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toInt(), signalNumber);
    }

    void windowStateTexts()
    {
        QCOMPARE(windowStateText(false, false), QStringLiteral("0"));
        QCOMPARE(windowStateText(true, false), QStringLiteral("1"));
        QCOMPARE(windowStateText(true, true), QStringLiteral("1"));
        QCOMPARE(windowStateText(false, true), QStringLiteral("2"));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
