// The command line for scripts, run as the built program in a process of
// its own: no display, no platform plugin, a private home, no terminal.

#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "birthdays/CalendarGenerator.h"
#include "export/HtmlExport.h"
#include "export/PickerPerson.h"
#include "export/TextExport.h"
#include "interchange/VcardExport.h"
#include "settings/Settings.h"
#include "store/Database.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kPassword = QStringLiteral("s3cret; 'x'");

struct Run {
    int status = -1;
    QString out;
    QString err;
};

QString program()
{
    return QStringLiteral(VELMORA_BUILD_DIR "/velmora");
}

// The environment of a script run from cron or over ssh: the test's home,
// no display and no platform chosen.
QProcessEnvironment scriptEnvironment(const TestEnv &env)
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
        e.remove(QString::fromLatin1(name));
    e.insert(QStringLiteral("HOME"), env.home());
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), env.home() + QStringLiteral("/.config"));
    e.insert(QStringLiteral("XDG_DATA_HOME"), env.home() + QStringLiteral("/.local/share"));
    e.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return e;
}

Run runProgram(const TestEnv &env, const QStringList &arguments,
               const QProcessEnvironment &extra = QProcessEnvironment(),
               const QString &outputFile = QString())
{
    QProcessEnvironment e = scriptEnvironment(env);
    for (const QString &name : extra.keys())
        e.insert(name, extra.value(name));
    QProcess process;
    process.setProcessEnvironment(e);
    process.setWorkingDirectory(env.root());
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    // A session of its own: the program has no terminal to ask on.
    process.setChildProcessModifier([] { ::setsid(); });
    process.start(program(), arguments);
    process.closeWriteChannel();
    Run r;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return r;
    }
    r.status = process.exitCode();
    r.out = QString::fromUtf8(process.readAllStandardOutput());
    r.err = QString::fromUtf8(process.readAllStandardError());
    return r;
}

// A birth date on the month and day of day, years before it (a 29 February
// stays a 29 February: years a multiple of four apart).
QString bornYearsBefore(const QDate &day, int years)
{
    const QDate born(day.year() - years, day.month(), day.day());
    return QStringLiteral("#%1/%2/%3#").arg(born.month()).arg(born.day()).arg(born.year());
}

QString line(const QDate &day, const QString &name, int age)
{
    return day.toString(Qt::ISODate) + QLatin1Char('\t') + name + QLatin1Char('\t') + QString::number(age) +
           QLatin1Char('\n');
}

// A book whose persons have their birthdays today, tomorrow, in five and in
// seven days, and one without a date of birth.
void writeBook(const QString &path, const QDate &today)
{
    Connection c;
    createBook(
        c, path,
        {person(1, QStringLiteral("Anna"), QStringLiteral("Berg"), bornYearsBefore(today, 40)),
         person(2, QStringLiteral("Bo"), QStringLiteral("Lind"), bornYearsBefore(today.addDays(1), 28)),
         person(3, QStringLiteral("Cy"), QStringLiteral("Åström"), bornYearsBefore(today.addDays(5), 4)),
         person(4, QStringLiteral("Di"), QStringLiteral("Ek"), bornYearsBefore(today.addDays(7), 60)),
         person(5, QStringLiteral("Ed"), QStringLiteral("Nodate"))});
    c.close();
}

void writeProtectedBook(const QString &path, const QDate &today)
{
    const QString plain = path + QStringLiteral(".plain");
    writeBook(plain, today);
    QFile::remove(path);
    QVERIFY(!compactInto(plain, QString(), path, kPassword));
    QFile::remove(plain);
}

// The names in a folder, with their sizes and times, to see that nothing was
// written there.
QStringList folderState(const QString &folder)
{
    QStringList state;
    const QFileInfoList infos =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &info : infos)
        state << info.fileName() + QLatin1Char(' ') + QString::number(info.size()) + QLatin1Char(' ') +
                     QString::number(info.lastModified().toMSecsSinceEpoch());
    return state;
}

} // namespace

class TstCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void usage_data();
    void usage();
    void birthdays_data();
    void birthdays();
    void failures_data();
    void failures();
    void defaultBook();
    void readOnly();
    void noPlatformPlugin();
    void calendar_data();
    void calendar();
    void calendarRefused_data();
    void calendarRefused();
    void exports_data();
    void exports();
    void cards();
    void importCards();
    void terminalPassword_data();
    void terminalPassword();

private:
    // Prepares the books for today and runs the program, again when midnight
    // passed on the way.
    Run runOnStableDay(const TestEnv &env, const QStringList &arguments, QDate &today,
                       const std::function<void(const QDate &)> &prepare);
};

void TstCli::initTestCase()
{
    QVERIFY2(QFile::exists(program()), "build the velmora program first");
}

Run TstCli::runOnStableDay(const TestEnv &env, const QStringList &arguments, QDate &today,
                           const std::function<void(const QDate &)> &prepare)
{
    for (;;) {
        today = QDate::currentDate();
        prepare(today);
        Run r = runProgram(env, arguments);
        if (QDate::currentDate() == today)
            return r;
    }
}

void TstCli::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");   // stdout contains this
    QTest::addColumn<QString>("error"); // the start of the first line of stderr

    const QString usage = QStringLiteral("Usage:");
    QTest::newRow("help") << QStringList{"--help"} << 0 << QStringLiteral("--birthdays [DAYS]") << QString();
    QTest::newRow("version") << QStringList{"--version"} << 0 << QStringLiteral("Velmora 1.3.4\n")
                             << QString();
    QTest::newRow("help wins") << QStringList{"--birthdays", "x", "--help"} << 0 << usage << QString();
    QTest::newRow("unknown option") << QStringList{"--bithdays"} << 2 << QString()
                                    << QStringLiteral("velmora: Unknown option 'bithdays'.");
    QTest::newRow("no password on the command line")
        << QStringList{"--birthdays", "--password", "x"} << 2 << QString()
        << QStringLiteral("velmora: Unknown option 'password'.");
    QTest::newRow("nothing to do")
        << QStringList{"--book", "a.mdb"} << 2 << QString()
        << QStringLiteral("velmora: Nothing to do: give one of --birthdays, --calendar, --export-text, "
                          "--export-html, --export-vcard, --export-ics, --import-vcard");
    QTest::newRow("days not a number")
        << QStringList{"--birthdays", "week"} << 2 << QString()
        << QStringLiteral("velmora: DAYS of --birthdays must be a whole number of 0 or more, not 'week'.");
    QTest::newRow("days negative") << QStringList{"--birthdays=-1"} << 2 << QString()
                                   << QStringLiteral("velmora: DAYS of --birthdays must be a whole number "
                                                     "of 0 or more, not '-1'.");
    QTest::newRow("stray argument") << QStringList{"--birthdays", "3", "book.mdb"} << 2 << QString()
                                    << QStringLiteral("velmora: Unexpected argument 'book.mdb'.");
    QTest::newRow("book twice") << QStringList{"--birthdays", "--book", "a", "--book", "b"} << 2 << QString()
                                << QStringLiteral("velmora: Option 'book' is given more than once.");
    QTest::newRow("empty book") << QStringList{"--birthdays", "--book="} << 2 << QString()
                                << QStringLiteral("velmora: Option 'book' needs a value.");
    QTest::newRow("book without value") << QStringList{"--birthdays", "--book"} << 2 << QString()
                                        << QStringLiteral("velmora: Missing value after '--book'.");
}

void TstCli::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, error);
    TestEnv env;
    const Run r = runProgram(env, arguments);
    QCOMPARE(r.status, status);
    if (status == 0) {
        QVERIFY2(r.out.contains(out), qPrintable(r.out));
        QCOMPARE(r.err, QString());
    } else {
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.section(QLatin1Char('\n'), 0, 0).startsWith(error), qPrintable(r.err));
        // A usage error shows the usage text too.
        QVERIFY2(r.err.contains(QStringLiteral("Usage:")) && r.err.contains(QStringLiteral("--book <FILE>")),
                 qPrintable(r.err));
    }
    // Nothing of the user's is written: no settings, no log.
    QVERIFY(!QFile::exists(env.home() + QStringLiteral("/.config/Velmora/Velmora.conf")));
}

void TstCli::birthdays_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("settings"); // name=value pairs stored before the run
    QTest::addColumn<QString>("expected");     // which persons, by the letters A B C D

    QTest::newRow("today only") << QStringList{"--birthdays", "0"} << QStringList{} << QStringLiteral("A");
    QTest::newRow("next day") << QStringList{"--birthdays", "1"} << QStringList{} << QStringLiteral("AB");
    QTest::newRow("five days, value with =")
        << QStringList{"--birthdays=5"} << QStringList{} << QStringLiteral("ABC");
    QTest::newRow("first start: two days and a week ahead")
        << QStringList{"--birthdays"} << QStringList{} << QStringLiteral("ABD");
    QTest::newRow("reminder settings")
        << QStringList{"--book", "book.mdb", "--birthdays"}
        << QStringList{"Birthday reminder=1", "Reminder Since=0", "Reminder Once 1=5", "Reminder Once 2=7"}
        << QStringLiteral("ACD");
    QTest::newRow("days given win over the settings")
        << QStringList{"--birthdays", "1"} << QStringList{"Birthday reminder=1", "Reminder Since=9"}
        << QStringLiteral("AB");
    QTest::newRow("nobody: exit 0, no output")
        << QStringList{"--birthdays"} << QStringList{"Birthday reminder=1", "Reminder Once 1=3"} << QString();
}

void TstCli::birthdays()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, settings);
    QFETCH(QString, expected);
    TestEnv env;
    for (const QString &pair : settings)
        saveSetting(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    env.settings->sync();
    const QString book = env.file(QStringLiteral("book.mdb"));
    if (!arguments.contains(QStringLiteral("--book")))
        arguments << QStringLiteral("--book") << book;
    QDate today;
    const Run r = runOnStableDay(env, arguments, today, [&](const QDate &day) { writeBook(book, day); });
    QString lines;
    if (expected.contains(QLatin1Char('A')))
        lines += line(today, QStringLiteral("Anna Berg"), 40);
    if (expected.contains(QLatin1Char('B')))
        lines += line(today.addDays(1), QStringLiteral("Bo Lind"), 28);
    if (expected.contains(QLatin1Char('C')))
        lines += line(today.addDays(5), QStringLiteral("Cy Åström"), 4);
    if (expected.contains(QLatin1Char('D')))
        lines += line(today.addDays(7), QStringLiteral("Di Ek"), 60);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, lines);
    QCOMPARE(r.status, 0);
}

void TstCli::failures_data()
{
    QTest::addColumn<QString>("book"); // missing, text, foreign, protected
    QTest::addColumn<QString>("passwordFile");
    QTest::addColumn<QString>("error");

    QTest::newRow("book missing") << "missing" << QString() << "velmora: Book not found: %book";
    QTest::newRow("a text file") << "text" << QString() << "velmora: Not a Velmora book: %book";
    QTest::newRow("other tables") << "foreign" << QString() << "velmora: Not a Velmora book: %book";
    QTest::newRow("protected, no password and no terminal")
        << "protected" << QString()
        << "velmora: The book %book is protected: give its password with --password-file FILE";
    QTest::newRow("wrong password") << "protected"
                                    << "wrong"
                                    << "velmora: Wrong password for %book in %passwords";
    QTest::newRow("password file missing")
        << "protected"
        << "missing"
        << "velmora: Cannot read the password file %passwords: No such file or directory.";
    QTest::newRow("password file empty")
        << "protected"
        << "empty"
        << "velmora: The password file %passwords holds no password on its first line.";
}

void TstCli::failures()
{
    QFETCH(QString, book);
    QFETCH(QString, passwordFile);
    QFETCH(QString, error);
    TestEnv env;
    const QString folder = env.file(QStringLiteral("books"));
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/") + book + QStringLiteral(".mdb");
    if (book == QLatin1String("text")) {
        writeFile(path, "Anna Berg, 12/06/1986\n");
    } else if (book == QLatin1String("foreign")) {
        Connection c;
        QVERIFY(!catalog::createFile(path));
        QVERIFY(!c.open(path, QString()));
        run(c, {QStringLiteral("CREATE TABLE Person ( Contactnr SMALLINT, Firstname CHAR(20) ) ")});
    } else if (book == QLatin1String("protected")) {
        writeProtectedBook(path, QDate::currentDate());
    }
    const QString passwords = env.file(QStringLiteral("password.txt"));
    if (passwordFile == QLatin1String("wrong"))
        writeFile(passwords, "secret\n");
    else if (passwordFile == QLatin1String("empty"))
        writeFile(passwords, "\nsecret\n");
    const QStringList before = folderState(folder);
    const QByteArray bytes = readAll(path);

    QStringList arguments{QStringLiteral("--birthdays"), QStringLiteral("--book"), path};
    if (!passwordFile.isEmpty())
        arguments << QStringLiteral("--password-file") << passwords;
    const Run r = runProgram(env, arguments);
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out, QString());
    error.replace(QStringLiteral("%book"), path).replace(QStringLiteral("%passwords"), passwords);
    QCOMPARE(r.err, error + QLatin1Char('\n'));
    // The book and its folder stay exactly as they were.
    QCOMPARE(folderState(folder), before);
    QCOMPARE(readAll(path), bytes);
}

void TstCli::defaultBook()
{
    TestEnv env;
    // No default book and no standard book: nothing is made.
    Run r = runProgram(env, {QStringLiteral("--birthdays")});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.err, QStringLiteral("velmora: There is no default book: name one with --book FILE.\n"));
    QVERIFY(!QFile::exists(env.documents() + QStringLiteral("/Velmora.mdb")));

    // The standard book in the documents folder.
    const QString standard = env.documents() + QStringLiteral("/Velmora.mdb");
    QDate today;
    r = runOnStableDay(env, {QStringLiteral("--birthdays"), QStringLiteral("0")}, today,
                       [&](const QDate &day) { writeBook(standard, day); });
    QCOMPARE(r.out, line(today, QStringLiteral("Anna Berg"), 40));

    // The default book of the settings, found again after the run; a protected
    // one with its password file.
    const QString book = env.file(QStringLiteral("default.mdb"));
    saveSetting(QStringLiteral("Default database"), book);
    env.settings->sync();
    const QString passwords = env.file(QStringLiteral("password"));
    writeFile(passwords, kPassword.toUtf8() + "\r\nignored\n");
    const QString settingsFile = env.settings->fileName();
    const QByteArray settingsBefore = readAll(settingsFile);
    r = runOnStableDay(
        env,
        {QStringLiteral("--birthdays"), QStringLiteral("0"), QStringLiteral("--password-file"), passwords},
        today, [&](const QDate &day) { writeProtectedBook(book, day); });
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, line(today, QStringLiteral("Anna Berg"), 40));
    QCOMPARE(r.status, 0);
    // The settings stay exactly as they were.
    QCOMPARE(readAll(settingsFile), settingsBefore);
}

void TstCli::readOnly()
{
    TestEnv env;
    const QString folder = env.file(QStringLiteral("books"));
    QDir().mkpath(folder);
    // A book in the narrow layout of older files: the windows would widen it
    // and compact it on closing; a script leaves it as it is.
    const QString book = folder + QStringLiteral("/narrow.mdb");
    writeBook(book, QDate::currentDate());
    const QByteArray bytes = readAll(book);
    const QStringList before = folderState(folder);
    const Run r = runProgram(env, {QStringLiteral("--birthdays"), QStringLiteral("--book"), book});
    QCOMPARE(r.status, 0);
    QCOMPARE(readAll(book), bytes);
    QCOMPARE(folderState(folder), before);
    // Neither the default book nor the recent books change.
    QVERIFY(!QFile::exists(env.home() + QStringLiteral("/.config/Velmora/Velmora.conf")));

    // A book the user may not write is read all the same.
    WriteProtect protect(folder);
    const Run again = runProgram(env, {QStringLiteral("--birthdays"), QStringLiteral("--book"), book});
    QCOMPARE(again.err, QString());
    QCOMPARE(again.status, 0);
}

void TstCli::noPlatformPlugin()
{
    // A window program would stop at once without its platform plugin. The
    // book has birthdays today and tomorrow, so there is output to write.
    TestEnv env;
    const QString book = env.file(QStringLiteral("book.mdb"));
    writeBook(book, QDate::currentDate());
    QProcessEnvironment broken;
    broken.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    broken.insert(QStringLiteral("QT_PLUGIN_PATH"), env.file(QStringLiteral("no-plugins")));
    const Run r = runProgram(env, {QStringLiteral("--birthdays"), QStringLiteral("--book"), book}, broken);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);

    // Output that cannot be written is a failure.
    const Run full =
        runProgram(env, {QStringLiteral("--birthdays"), QStringLiteral("1"), QStringLiteral("--book"), book},
                   {}, QStringLiteral("/dev/full"));
    QCOMPARE(full.err, QStringLiteral("velmora: Cannot write to standard output.\n"));
    QCOMPARE(full.status, 1);
}

void TstCli::calendar_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("settings"); // as the windows would have them for the same choice
    QTest::addColumn<QStringList>("stored");   // in the settings file before the run

    QTest::newRow("the settings' week start and style")
        << QStringList{} << QStringList{"Week Start=Sunday", "Css Calendar=Ocean"}
        << QStringList{"Week Start=Sunday", "Css Calendar=Ocean"};
    QTest::newRow("week start and style chosen")
        << QStringList{"--week-start", "Sunday", "--style", "Forest"}
        << QStringList{"Week Start=Sunday", "Css Calendar=Forest"} << QStringList{"Css Calendar=Ocean"};
    QTest::newRow("monday over a stored sunday")
        << QStringList{"--week-start=monday"} << QStringList{"Week Start=Monday", "Css Calendar=Classic"}
        << QStringList{"Week Start=Sunday", "Css Calendar=Classic"};
}

// The calendar a script writes is the one the calendar window saves for the
// same week start and style, and the user's settings stay as they were.
void TstCli::calendar()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, settings);
    QFETCH(QStringList, stored);
    TestEnv env;
    QVERIFY(QDir().mkpath(env.programFolder() + QStringLiteral("/Calendar")));
    for (const QFileInfo &sheet :
         QDir(QStringLiteral(VELMORA_BUILD_DIR "/Calendar")).entryInfoList(QDir::Files))
        QVERIFY(QFile::copy(sheet.filePath(),
                            env.programFolder() + QStringLiteral("/Calendar/") + sheet.fileName()));
    const auto store = [](const QStringList &pairs) {
        for (const QString &pair : pairs)
            saveSetting(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    };
    store(stored);
    env.settings->sync();
    const QByteArray settingsBefore = readAll(env.settings->fileName());
    const QString book = env.file(QStringLiteral("book.mdb"));
    const QString out = env.file(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    QDate today;
    const Run r = runOnStableDay(env, QStringList{"--calendar", "out", "--book", book} + options, today,
                                 [&](const QDate &day) { writeBook(book, day); });
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    QCOMPARE(readAll(env.settings->fileName()), settingsBefore);

    // The same calendar made here, as the window makes it.
    env.clock.set(QDateTime(today, QTime(12, 0)));
    store(settings);
    QVERIFY(!Database::instance().openForReading(book));
    CalendarGenerator generator;
    QVERIFY2(generator.generateCalendar(), qPrintable(generator.errorText()));
    Database::instance().closeDatabase(false);
    const QStringList written = QDir(out + QStringLiteral("/Calendar")).entryList(QDir::Files, QDir::Name);
    QCOMPARE(written.size(), 37);
    QVERIFY(written.contains(CalendarGenerator::pageFileName(today.year() + 1, 12)));
    for (const QString &name : written)
        QVERIFY2(readAll(out + QStringLiteral("/Calendar/") + name) ==
                     readAll(generator.folder() + QLatin1Char('/') + name),
                 qPrintable(name));
}

void TstCli::calendarRefused_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");

    QTest::newRow("a page exists")
        << QStringList{} << 1 << "velmora: %pages/calendar.css exists: give --force to replace the calendar.";
    QTest::newRow("no such folder") << QStringList{"--calendar", "missing"} << 1
                                    << "velmora: Cannot write into %root/missing: the folder does not exist.";
    QTest::newRow("no such style")
        << QStringList{"--style", "Plaid"} << 1
        << "velmora: There is no calendar style 'Plaid': choose one of Classic, Forest, "
           "Ocean, Orange.";
    QTest::newRow("no such day") << QStringList{"--week-start", "friday"} << 2
                                 << "velmora: Option '--week-start' takes monday or sunday, not 'friday'.";
    QTest::newRow("week start without calendar")
        << QStringList{"--birthdays", "--week-start", "monday"} << 2
        << "velmora: Option '--week-start' does not go with --birthdays.";
}

void TstCli::calendarRefused()
{
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, error);
    TestEnv env;
    const QString book = env.file(QStringLiteral("book.mdb"));
    writeBook(book, QDate::currentDate());
    const QString pages = env.file(QStringLiteral("out/Calendar"));
    writeFile(pages + QStringLiteral("/calendar.css"), "mine");
    QStringList arguments{QStringLiteral("--book"), book};
    if (!options.contains(QStringLiteral("--calendar")) && !options.contains(QStringLiteral("--birthdays")))
        arguments << QStringLiteral("--calendar") << QStringLiteral("out");
    const Run r = runProgram(env, arguments + options);
    QCOMPARE(r.status, status);
    error.replace(QStringLiteral("%pages"), pages).replace(QStringLiteral("%root"), env.root());
    QCOMPARE(r.err.section(QLatin1Char('\n'), 0, 0), error);
    QCOMPARE(QDir(pages).entryList(QDir::Files), QStringList{QStringLiteral("calendar.css")});
    QCOMPARE(readAll(pages + QStringLiteral("/calendar.css")), QByteArray("mine"));

    if (QTest::currentDataTag() == QByteArray("a page exists")) {
        // --force replaces it.
        const Run forced = runProgram(env, arguments + QStringList{QStringLiteral("--force")});
        QCOMPARE(forced.err, QString());
        QCOMPARE(forced.status, 0);
        QCOMPARE(QDir(pages).entryList(QDir::Files).size(), 37);
        QVERIFY(readAll(pages + QStringLiteral("/calendar.css")) != QByteArray("mine"));
    }
}

void TstCli::exports_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("settings"); // as the windows would have them for the same choice
    QTest::addColumn<QStringList>("stored");   // in the settings file before the run

    QTest::newRow("text, last name first")
        << "--export-text" << QStringList{} << QStringList{"List=Last name First name", "Date=yyyy/mm/dd"}
        << QStringList{"List=Last name First name", "Date=yyyy/mm/dd"};
    QTest::newRow("xhtml, the settings' style")
        << "--export-html" << QStringList{} << QStringList{"Css=Ocean"} << QStringList{"Css=Ocean"};
    QTest::newRow("xhtml, style chosen") << "--export-html" << QStringList{"--style", "Classic"}
                                         << QStringList{"Css=Classic"} << QStringList{"Css=Ocean"};
}

// An export written by a script is the one the export window saves with every
// person and every detail, and the user's settings stay as they were.
void TstCli::exports()
{
    QFETCH(QString, option);
    QFETCH(QStringList, options);
    QFETCH(QStringList, settings);
    QFETCH(QStringList, stored);
    TestEnv env;
    QVERIFY(QDir().mkpath(env.programFolder() + QStringLiteral("/Css")));
    for (const QFileInfo &sheet : QDir(QStringLiteral(VELMORA_BUILD_DIR "/Css")).entryInfoList(QDir::Files))
        QVERIFY(
            QFile::copy(sheet.filePath(), env.programFolder() + QStringLiteral("/Css/") + sheet.fileName()));
    const auto store = [](const QStringList &pairs) {
        for (const QString &pair : pairs)
            saveSetting(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    };
    store(stored);
    env.settings->sync();
    const QByteArray settingsBefore = readAll(env.settings->fileName());
    const QString book = env.file(QStringLiteral("book.mdb"));
    writeBook(book, QDate(2026, 12, 6));
    {
        Connection c;
        QVERIFY(!c.open(book, QString()));
        run(c,
            {entry(QStringLiteral("Phone"), 1, 0, QStringLiteral("+46 8 123"), QStringLiteral("home")),
             entry(QStringLiteral("Email"), 1, 0, QStringLiteral("anna@example.org")),
             person(6, QStringLiteral("Zoë"), QStringLiteral("<Aa> & \"Co\""), QStringLiteral("#2/29/1988#"),
                    QStringLiteral("Street 1\r\nTown"), QStringLiteral("see www.example.org"))});
    }
    const QString target = env.file(QStringLiteral("export.out"));
    const Run r = runProgram(
        env, QStringList{option, QStringLiteral("export.out"), QStringLiteral("--book"), book} + options);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    QCOMPARE(readAll(env.settings->fileName()), settingsBefore);

    // The same export made here, as the export window makes and saves it.
    store(settings);
    QVERIFY(!Database::instance().openForReading(book));
    std::vector<PickerPerson> persons;
    QVERIFY(!loadPickerPersons(getSetting(QStringLiteral("List")), persons));
    std::vector<int> numbers;
    for (const PickerPerson &p : persons)
        numbers.push_back(p.contactnr);
    QCOMPARE(numbers.size(), size_t(6));
    const QString expected = env.file(QStringLiteral("expected.out"));
    if (option == QLatin1String("--export-text")) {
        QVERIFY(exportText(numbers, ExportOptions{}));
        QVERIFY(TextExport::saveTextExport(expected));
    } else {
        QVERIFY(exportHtml(numbers, ExportOptions{}));
        QVERIFY(saveHtmlExport(expected));
    }
    Database::instance().closeDatabase(false);
    QVERIFY(!readAll(expected).isEmpty());
    QCOMPARE(readAll(target), readAll(expected));

    // An existing file is replaced only with --force.
    writeFile(target, "mine");
    const Run refused =
        runProgram(env, QStringList{option, target, QStringLiteral("--book"), book} + options);
    QCOMPARE(refused.status, 1);
    QCOMPARE(refused.err, QStringLiteral("velmora: %1 exists: give --force to replace it.\n").arg(target));
    QCOMPARE(readAll(target), QByteArray("mine"));
    const Run forced = runProgram(
        env,
        QStringList{option, target, QStringLiteral("--book"), book, QStringLiteral("--force")} + options);
    QCOMPARE(forced.status, 0);
    QCOMPARE(readAll(target), readAll(expected));

    // A folder that cannot be written: the message, and nothing left there.
    const QString locked = env.file(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(locked));
    WriteProtect protect(locked);
    if (protect.active()) {
        const Run denied = runProgram(
            env,
            QStringList{option, locked + QStringLiteral("/x.out"), QStringLiteral("--book"), book} + options);
        QCOMPARE(denied.status, 1);
        QVERIFY2(denied.err.startsWith(QStringLiteral("velmora: ")) &&
                     denied.err.count(QLatin1Char('\n')) == 1,
                 qPrintable(denied.err));
        QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
}

// vCard and iCalendar exports are those of the export and calendar windows.
void TstCli::cards()
{
    TestEnv env;
    const QString book = env.file(QStringLiteral("book.mdb"));
    writeBook(book, QDate(2026, 12, 6));
    saveSetting(QStringLiteral("List"), QStringLiteral("Last name First name"));
    env.settings->sync();
    const QString vcf = env.file(QStringLiteral("book.vcf"));
    const QString ics = env.file(QStringLiteral("book.ics"));
    Run r = runProgram(env, {QStringLiteral("--export-vcard"), vcf, QStringLiteral("--book"), book});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    r = runProgram(env, {QStringLiteral("--export-ics"), ics, QStringLiteral("--book"), book});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);

    QVERIFY(!Database::instance().openForReading(book));
    std::vector<PickerPerson> persons;
    QVERIFY(!loadPickerPersons(getSetting(QStringLiteral("List")), persons));
    QList<int> numbers;
    for (const PickerPerson &p : persons)
        numbers << p.contactnr;
    const QString expected = env.file(QStringLiteral("expected.vcf"));
    QVERIFY(VcardExport::exportPersons(numbers, VcardWriter::Version::V30, expected));
    Database::instance().closeDatabase(false);
    QCOMPARE(readAll(vcf), readAll(expected));
    QCOMPARE(readAll(vcf).count("BEGIN:VCARD"), 5);
    // Four persons have a date of birth; the fifth has no event.
    QCOMPARE(readAll(ics).count("BEGIN:VEVENT"), 4);
    QVERIFY(readAll(ics).startsWith("BEGIN:VCALENDAR"));
}

// An import adds the persons of the file once, compacts the book on closing,
// and a file that is no vCard leaves the book as it was.
void TstCli::importCards()
{
    TestEnv env;
    const QString book = env.file(QStringLiteral("book.mdb"));
    writeBook(book, QDate(2026, 12, 6));
    const QString vcf = env.file(QStringLiteral("new.vcf"));
    writeFile(vcf, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Holm;Ida;;;\r\nFN:Ida Holm\r\nBDAY:1990-03-14\r\n"
                   "TEL;TYPE=cell:+46 70 111\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Anna;;;\r\n"
                   "FN:Anna Berg\r\nEND:VCARD\r\n");
    const auto count = [&] {
        Connection c;
        if (c.open(book, QString()))
            return QString();
        return rows(c, QStringLiteral("SELECT Count(*) AS n FROM Person "), {QStringLiteral("n")});
    };
    Run r = runProgram(env, {QStringLiteral("--import-vcard"), vcf, QStringLiteral("--book"), book});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    QVERIFY(!r.out.isEmpty());
    QCOMPARE(count(), QStringLiteral("7"));
    // The second time nobody is new.
    r = runProgram(env, {QStringLiteral("--import-vcard"), vcf, QStringLiteral("--book"), book});
    QCOMPARE(r.status, 0);
    QCOMPARE(count(), QStringLiteral("7"));

    // A book in the narrow layout stays exactly as it was.
    writeBook(book, QDate(2026, 12, 6));
    const QString junk = env.file(QStringLiteral("junk.vcf"));
    writeFile(junk, "this is no vcard\n");
    const QByteArray bytes = readAll(book);
    r = runProgram(env, {QStringLiteral("--import-vcard"), junk, QStringLiteral("--book"), book});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("velmora: ")) && r.err.count(QLatin1Char('\n')) == 1,
             qPrintable(r.err));
    QCOMPARE(readAll(book), bytes);
}

void TstCli::terminalPassword_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("last"); // the last line the terminal shows

    QTest::newRow("right at once") << QStringList{kPassword} << 0 << "%line";
    QTest::newRow("right on the third try") << QStringList{"a", "b", kPassword} << 0 << "%line";
    QTest::newRow("wrong three times")
        << QStringList{"a", "b", "c"} << 1 << "velmora: Wrong password for %book";
    QTest::newRow("nothing typed") << QStringList{""} << 1 << "velmora: No password given for %book";
}

// The password typed on a terminal: asked for without echo, tried up to three
// times.
void TstCli::terminalPassword()
{
    QFETCH(QStringList, typed);
    QFETCH(int, status);
    QFETCH(QString, last);
    TestEnv env;
    const QString book = env.file(QStringLiteral("protected.mdb"));
    const QDate today = QDate::currentDate();
    writeProtectedBook(book, today);

    // Everything the child needs is made before the fork.
    QList<QByteArray> args{QFile::encodeName(program()), "--birthdays", "0", "--book",
                           QFile::encodeName(book)};
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QList<QByteArray> envs;
    const QProcessEnvironment e = scriptEnvironment(env);
    for (const QString &name : e.keys())
        envs << (name + QLatin1Char('=') + e.value(name)).toLocal8Bit();
    std::vector<char *> envp;
    for (QByteArray &v : envs)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0)
        QSKIP("no pseudo-terminal here");
    if (pid == 0) {
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    QByteArray screen;
    const auto readUntil = [&](const QByteArray &wanted) {
        while (!screen.contains(wanted)) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 30000) <= 0)
                return false;
            char buffer[512];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            screen.append(buffer, n);
        }
        return true;
    };
    qsizetype prompts = 0;
    for (const QString &answer : typed) {
        QVERIFY2(readUntil(QByteArray("Password for protected.mdb: ")), screen.constData());
        ++prompts;
        screen.replace("Password for protected.mdb: ", "<asked>");
        const QByteArray bytes = answer.toUtf8() + '\n';
        QCOMPARE(::write(master, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }
    readUntil(QByteArray("\x01never"));
    ::close(master);
    int wstatus = 0;
    QCOMPARE(::waitpid(pid, &wstatus, 0), pid);
    QVERIFY(WIFEXITED(wstatus));
    QCOMPARE(WEXITSTATUS(wstatus), status);

    const QString shown = QString::fromUtf8(screen);
    QCOMPARE(shown.count(QStringLiteral("<asked>")), prompts);
    // Nothing typed appears on the screen.
    for (const QString &answer : typed) {
        if (!answer.isEmpty())
            QVERIFY2(!shown.contains(QStringLiteral("<asked>") + answer), qPrintable(shown));
    }
    QVERIFY2(!shown.contains(kPassword), qPrintable(shown));
    last.replace(QStringLiteral("%book"), book);
    last.replace(QStringLiteral("%line"), line(today, QStringLiteral("Anna Berg"), 40).trimmed());
    const QStringList lines = shown.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.last(), last);
}

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
