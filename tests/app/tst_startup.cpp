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
        QTest::addColumn<QString>("full"); // started in /home/ann
        const auto row = [](const char *name, QStringList arguments, const char *line, StartMode mode,
                            const char *full = nullptr) {
            arguments.prepend(QStringLiteral("/usr/bin/velmora"));
            QTest::newRow(name) << arguments << QString::fromUtf8(line) << int(mode)
                                << QString::fromUtf8(full ? full : line);
        };
        row("blank argument", {"  "}, "", StartMode::Default);
        row("reminder", {"/Reminder"}, "/Reminder", StartMode::Reminder);
        row("reminder lower case", {"/reminder"}, "/reminder", StartMode::DatabasePath);
        row("reminder and more", {"/Reminder", "x"}, "/Reminder x", StartMode::DatabasePath);
        row("person one argument", {"/Person  12"}, "/Person  12", StartMode::Person);
        row("person split by the shell", {"/Person", "12"}, "/Person 12", StartMode::Person);
        row("quoted path keeps quotes", {"\"/tmp/a b.mdb\""}, "\"/tmp/a b.mdb\"", StartMode::DatabasePath,
            "/home/ann/\"/tmp/a b.mdb\"");
        row("path with blank split", {"/tmp/a", "b.mdb"}, "/tmp/a b.mdb", StartMode::DatabasePath);
        // A book path is stored full and clean, so the next start from
        // another folder finds it, and the recent list holds it once.
        row("relative path", {"book.mdb"}, "book.mdb", StartMode::DatabasePath, "/home/ann/book.mdb");
        row("relative folder", {"Documents/book.mdb"}, "Documents/book.mdb", StartMode::DatabasePath,
            "/home/ann/Documents/book.mdb");
        row("dots and doubled slashes", {"../bob//./book.mdb"}, "../bob//./book.mdb", StartMode::DatabasePath,
            "/home/bob/book.mdb");
        row("quoted relative path", {"\"a.mdb\""}, "\"a.mdb\"", StartMode::DatabasePath,
            "/home/ann/\"a.mdb\"");
    }
    void commandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, line);
        QCOMPARE(joinArguments(arguments), line);
        QTEST(int(startModeOf(line)), "mode");
        QTEST(withFullBookPath(line, QStringLiteral("/home/ann")), "full");
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

    void stopSignalsArriveOnTheEventLoop()
    {
        TerminationSignals signals_;
        QVERIFY(signals_.isInstalled());
        QSignalSpy spy(&signals_, &TerminationSignals::terminationRequested);
        for (const int signalNumber : {SIGTERM, SIGINT}) {
            ::raise(signalNumber);
            QTRY_COMPARE(spy.count(), 1);
            QCOMPARE(spy.takeFirst().first().toInt(), signalNumber);
        }
    }

    // The options as a start finds them. Unknown display values fall back to
    // the defaults, which are stored in their place. The first start turns
    // the reminder on with its log-on entry; a later start keeps the user's
    // choice and writes a missing entry again.
    void optionsAtStart_data()
    {
        QTest::addColumn<QStringList>("stored"); // List, Date, Font Size, Birthday reminder
        QTest::addColumn<bool>("firstNameFirst");
        QTest::addColumn<int>("dateIndex");
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<bool>("entryAfter");
        using S = QStringList;
        // clang-format off
        QTest::newRow("first start") << S{"", "", "", ""} << true << 0 << 8 << true;
        QTest::newRow("all known, reminder on") << S{"Last name First name", "yyyy/mm/dd", "10", "1"} << false << 2 << 10 << true;
        QTest::newRow("unknown values, reminder off") << S{"last name first name", "dd.mm.yyyy", "12", "0"} << true << 0 << 8 << false;
        // clang-format on
    }
    void optionsAtStart()
    {
        QFETCH(QStringList, stored);
        QFETCH(bool, firstNameFirst);
        QFETCH(int, fontSize);
        const QStringList keys{"List", "Date", "Font Size", "Birthday reminder"};
        for (int i = 0; i < keys.size(); ++i)
            saveSetting(keys[i], stored[i]);
        QVERIFY(!QFileInfo::exists(logonEntryFile()));
        const DisplayOptionValues v = loadOptions();
        QCOMPARE(v.firstNameFirst, firstNameFirst);
        QTEST(v.dateIndex, "dateIndex");
        QCOMPARE(v.fontSize, fontSize);
        QCOMPARE(getSetting(keys[0]), firstNameFirst ? QStringLiteral("First name Last name") : stored[0]);
        QTEST(dateFormatIndex(getSetting(keys[1])), "dateIndex");
        QCOMPARE(getSetting(keys[2]), QString::number(fontSize));

        QTEST(!logonEntryOutdated(), "entryAfter");
        const bool firstStart = stored[3].isEmpty();
        QCOMPARE(getSetting(keys[3]), firstStart ? QStringLiteral("1") : stored[3]);
        QCOMPARE(getSetting(QStringLiteral("Reminder Sound Path")),
                 firstStart ? m_env->programFolder() + QStringLiteral("/Sound/default.wav") : QString());
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 1")), firstStart ? QStringLiteral("7") : QString());
        QVERIFY(m_env->launcher.starts.empty());
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
