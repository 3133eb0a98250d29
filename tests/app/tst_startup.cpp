#include "TestEnv.h"

#include "app/Startup.h"
#include "app/TextFunctions.h"
#include "app/ui/TerminationSignals.h"
#include "app/ui/WidgetPrompts.h"
#include "birthdays/LogonEntry.h"
#include "settings/DisplayOptions.h"
#include "settings/Settings.h"

#include <csignal>

#include <QtTest>
#include <memory>

using namespace velmora;

// Start and stop: the command line, the stored window state, the display
// options and first-start values, the stop signals; and the small text
// helpers.
class TestStartup : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TestEnv> m_env;
    enum Function { FileName, UserName, Filter };

private slots:
    void init() { m_env = std::make_unique<test::TestEnv>(); }
    void cleanup() { m_env.reset(); }

    void commandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("mode");
        const auto row = [](const char *name, QStringList arguments, const char *line, StartMode mode) {
            arguments.prepend(QStringLiteral("/usr/bin/velmora"));
            QTest::newRow(name) << arguments << QString::fromUtf8(line) << int(mode);
        };
        row("blank argument", {"  "}, "", StartMode::Default);
        row("reminder", {"/Reminder"}, "/Reminder", StartMode::Reminder);
        row("reminder lower case", {"/reminder"}, "/reminder", StartMode::DatabasePath);
        row("reminder and more", {"/Reminder", "x"}, "/Reminder x", StartMode::DatabasePath);
        row("person one argument", {"/Person  12"}, "/Person  12", StartMode::Person);
        row("person split by the shell", {"/Person", "12"}, "/Person 12", StartMode::Person);
        row("quoted path keeps quotes", {"\"/tmp/a b.mdb\""}, "\"/tmp/a b.mdb\"", StartMode::DatabasePath);
        row("path with blank split", {"/tmp/a", "b.mdb"}, "/tmp/a b.mdb", StartMode::DatabasePath);
    }
    void commandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, line);
        QCOMPARE(joinArguments(arguments), line);
        QTEST(int(startModeOf(line)), "mode");
        setCommandLine(QLatin1Char(' ') + line + QLatin1Char(' '));
        QCOMPARE(commandLine(), line);
        setCommandLine(QString());
    }

    // What the window stores on closing and how it comes back: a window
    // closed minimized starts normal, whatever it was before.
    void windowState()
    {
        QCOMPARE(windowStateText(false, false), QStringLiteral("0"));
        QCOMPARE(windowStateText(true, true), QStringLiteral("1"));
        QCOMPARE(windowStateText(false, true), QStringLiteral("2"));
        QVERIFY(restoresMaximized(QStringLiteral("2")));
        QVERIFY(!restoresMaximized(QStringLiteral("1")) && !restoresMaximized(QString()));
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

    // Display options: unknown values fall back to the defaults, which are
    // stored in their place.
    void displayOptions_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("firstNameFirst");
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("dateIndex");
        QTest::addColumn<QString>("font");
        QTest::addColumn<int>("fontSize");
        QTest::newRow("nothing stored") << "" << true << "" << 0 << "" << 8;
        QTest::newRow("all known") << "Last name First name" << false << "yyyy/mm/dd" << 2 << "10" << 10;
        QTest::newRow("unknown values") << "last name first name" << true << "dd.mm.yyyy" << 0 << "12" << 8;
    }
    void displayOptions()
    {
        QFETCH(QString, list);
        QFETCH(bool, firstNameFirst);
        QFETCH(QString, date);
        QFETCH(int, dateIndex);
        QFETCH(QString, font);
        QFETCH(int, fontSize);
        saveSetting(QStringLiteral("List"), list);
        saveSetting(QStringLiteral("Date"), date);
        saveSetting(QStringLiteral("Font Size"), font);
        const DisplayOptionValues v = loadOptions();
        QCOMPARE(v.firstNameFirst, firstNameFirst);
        QCOMPARE(v.dateIndex, dateIndex);
        QCOMPARE(v.fontSize, fontSize);
        QCOMPARE(getSetting(QStringLiteral("List")),
                 firstNameFirst ? QStringLiteral("First name Last name") : list);
        QCOMPARE(dateFormatIndex(getSetting(QStringLiteral("Date"))), dateIndex);
        QCOMPARE(getSetting(QStringLiteral("Font Size")), QString::number(fontSize));
    }

    // The first start turns the reminder on with its log-on entry; a later
    // start keeps the user's choice and writes a missing entry again.
    void reminderAtStart_data()
    {
        QTest::addColumn<QString>("reminder");
        QTest::addColumn<bool>("entryAfter");
        QTest::newRow("first start") << "" << true;
        QTest::newRow("on, entry missing") << "1" << true;
        QTest::newRow("off") << "0" << false;
    }
    void reminderAtStart()
    {
        test::TestEnv &env = *m_env;
        QFETCH(QString, reminder);
        const bool firstStart = reminder.isEmpty();
        if (!firstStart)
            saveSetting(QStringLiteral("Birthday reminder"), reminder);
        QVERIFY(!QFileInfo::exists(logonEntryFile()));
        loadOptions();
        QTEST(!logonEntryOutdated(), "entryAfter");
        QCOMPARE(getSetting(QStringLiteral("Birthday reminder")),
                 firstStart ? QStringLiteral("1") : reminder);
        QCOMPARE(getSetting(QStringLiteral("Reminder Sound Path")),
                 firstStart ? env.programFolder() + QStringLiteral("/Sound/default.wav") : QString());
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 1")), firstStart ? QStringLiteral("7") : QString());
        QVERIFY(env.launcher.starts.empty());
    }

    // Text pieces taken from paths and addresses, and file-dialog filters.
    void conversions_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, Function f, const char *text, const char *expected) {
            QTest::newRow(name) << int(f) << QString::fromUtf8(text) << QString::fromUtf8(expected);
        };
        row("file of an absolute path", FileName, "/home/anna/Documents/book.mdb", "book.mdb");
        row("file without folder", FileName, "book.mdb", "book.mdb");
        row("path ending with slash", FileName, "/home/anna/", "");
        row("backslash is a name character", FileName, "/data/a\\b.mdb", "a\\b.mdb");
        row("user name", UserName, "anna.berg@yahoo.com", "anna.berg");
        row("first at sign counts", UserName, "a@b@c", "a");
        row("address starting with at", UserName, "@yahoo.com", "");
        row("no at sign: no user name", UserName, "anna.berg", "");
        row("labelled filter", Filter, "Velmora database (*.mdb)|*.mdb", "Velmora database (*.mdb)");
        row("unlabelled filters", Filter, "Text|*.txt|All|*.*", "Text (*.txt);;All (*.*)");
        row("several patterns", Filter, "Pages|*.htm;*.html", "Pages (*.htm *.html)");
        row("filter without pattern", Filter, "Text", "");
    }
    void conversions()
    {
        QFETCH(int, function);
        QFETCH(QString, text);
        using Conversion = QString (*)(const QString &);
        const Conversion conversions[] = {&fileNameOfPath, &emailUserName, &qtFilter};
        QTEST(conversions[function](text), "expected");
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
