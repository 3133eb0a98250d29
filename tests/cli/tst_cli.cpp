// The command line for scripts, run as the built program in a process of
// its own: no display, no platform plugin, a private home, no terminal.

#include "RadicaleServer.h"
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
#include <QRegularExpression>
#include <QtTest>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::test;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kPassword = u"s3cret; 'x'"_s;

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
    e.insert(u"HOME"_s, env.home());
    e.insert(u"XDG_CONFIG_HOME"_s, env.home() + u"/.config"_s);
    e.insert(u"XDG_DATA_HOME"_s, env.home() + u"/.local/share"_s);
    e.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
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
    return u"#%1/%2/%3#"_s.arg(born.month()).arg(born.day()).arg(born.year());
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
    createBook(c, path,
               {person(1, u"Anna"_s, u"Berg"_s, bornYearsBefore(today, 40)),
                person(2, u"Bo"_s, u"Lind"_s, bornYearsBefore(today.addDays(1), 28)),
                person(3, u"Cy"_s, u"Åström"_s, bornYearsBefore(today.addDays(5), 4)),
                person(4, u"Di"_s, u"Ek"_s, bornYearsBefore(today.addDays(7), 60)),
                person(5, u"Ed"_s, u"Nodate"_s)});
    c.close();
}

void writeProtectedBook(const QString &path, const QDate &today)
{
    const QString plain = path + u".plain"_s;
    writeBook(plain, today);
    QFile::remove(path);
    QVERIFY(!compactInto(plain, QString(), path, kPassword));
    QFile::remove(plain);
}

void storeSettings(const QStringList &pairs)
{
    for (const QString &pair : pairs)
        saveSetting(pair.section(u'=', 0, 0), pair.section(u'=', 1));
}

// The style sheets of the build, where the program looks for them.
void copyStyles(const TestEnv &env, const QString &name)
{
    QVERIFY(QDir().mkpath(env.programFolder() + u'/' + name));
    for (const QFileInfo &sheet :
         QDir(QStringLiteral(VELMORA_BUILD_DIR "/") + name).entryInfoList(QDir::Files))
        QVERIFY(QFile::copy(sheet.filePath(), env.programFolder() + u'/' + name + u'/' + sheet.fileName()));
}

// The persons in the order of the picker, as the export windows list them.
QList<int> pickerNumbers()
{
    std::vector<PickerPerson> persons;
    if (loadPickerPersons(getSetting(u"List"_s), persons))
        return {};
    QList<int> numbers;
    for (const PickerPerson &p : persons)
        numbers << p.contactnr;
    return numbers;
}

std::vector<char *> cStrings(QList<QByteArray> &strings)
{
    std::vector<char *> pointers;
    for (QByteArray &s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
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

// Prepares the books for today and runs the program, again when midnight
// passed on the way.
Run runOnStableDay(const TestEnv &env, const QStringList &arguments, QDate &today,
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

} // namespace

class TstCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(program()), "build the velmora program first"); }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");   // stdout contains this
        QTest::addColumn<QString>("error"); // the start of the first line of stderr

        const QString usage = u"Usage:"_s;
        // clang-format off
        QTest::newRow("help") << QStringList{"--help"} << 0 << u"--birthdays [DAYS]"_s << QString();
        QTest::newRow("version") << QStringList{"--version"} << 0 << u"Velmora 1.3.4\n"_s << QString();
        QTest::newRow("help wins") << QStringList{"--birthdays", "x", "--help"} << 0 << usage << QString();
        QTest::newRow("unknown option") << QStringList{"--bithdays"} << 2 << QString() << u"velmora: Unknown option 'bithdays'."_s;
        QTest::newRow("no password on the command line") << QStringList{"--birthdays", "--password", "x"} << 2 << QString() << u"velmora: Unknown option 'password'."_s;
        QTest::newRow("nothing to do") << QStringList{"--book", "a.mdb"} << 2 << QString() << u"velmora: Nothing to do: give one of --birthdays, --calendar, --export-text, --export-html, --export-vcard, --export-ics, --import-vcard"_s;
        QTest::newRow("days not a number") << QStringList{"--birthdays", "week"} << 2 << QString() << u"velmora: DAYS of --birthdays must be a whole number of 0 or more, not 'week'."_s;
        QTest::newRow("days negative") << QStringList{"--birthdays=-1"} << 2 << QString() << u"velmora: DAYS of --birthdays must be a whole number of 0 or more, not '-1'."_s;
        QTest::newRow("stray argument") << QStringList{"--birthdays", "3", "book.mdb"} << 2 << QString() << u"velmora: Unexpected argument 'book.mdb'."_s;
        QTest::newRow("book twice") << QStringList{"--birthdays", "--book", "a", "--book", "b"} << 2 << QString() << u"velmora: Option 'book' is given more than once."_s;
        QTest::newRow("empty book") << QStringList{"--birthdays", "--book="} << 2 << QString() << u"velmora: Option 'book' needs a value."_s;
        QTest::newRow("book without value") << QStringList{"--birthdays", "--book"} << 2 << QString() << u"velmora: Missing value after '--book'."_s;
        QTest::newRow("sync password without sync") << QStringList{"--birthdays", "--sync-password-file", "p"} << 2 << QString() << u"velmora: Option '--sync-password-file' does not go with --birthdays."_s;
        // clang-format on
    }

    void usage()
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
            QVERIFY2(r.err.contains(u"Usage:"_s) && r.err.contains(u"--book <FILE>"_s), qPrintable(r.err));
        }
        // Nothing of the user's is written: no settings, no log.
        QVERIFY(!QFile::exists(env.home() + u"/.config/Velmora/Velmora.conf"_s));
    }

    void birthdays_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("settings"); // name=value pairs stored before the run
        QTest::addColumn<QString>("expected");     // which persons, by the letters A B C D

        // clang-format off
        QTest::newRow("today only") << QStringList{"--birthdays", "0"} << QStringList{} << u"A"_s;
        QTest::newRow("next day") << QStringList{"--birthdays", "1"} << QStringList{} << u"AB"_s;
        QTest::newRow("five days, value with =") << QStringList{"--birthdays=5"} << QStringList{} << u"ABC"_s;
        QTest::newRow("first start: two days and a week ahead") << QStringList{"--birthdays"} << QStringList{} << u"ABD"_s;
        QTest::newRow("reminder settings") << QStringList{"--book", "book.mdb", "--birthdays"} << QStringList{"Birthday reminder=1", "Reminder Since=0", "Reminder Once 1=5", "Reminder Once 2=7"} << u"ACD"_s;
        QTest::newRow("days given win over the settings") << QStringList{"--birthdays", "1"} << QStringList{"Birthday reminder=1", "Reminder Since=9"} << u"AB"_s;
        QTest::newRow("nobody: exit 0, no output") << QStringList{"--birthdays"} << QStringList{"Birthday reminder=1", "Reminder Once 1=3"} << QString();
        // clang-format on
    }

    void birthdays()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, settings);
        QFETCH(QString, expected);
        TestEnv env;
        storeSettings(settings);
        env.settings->sync();
        const QString book = env.file(u"book.mdb"_s);
        if (!arguments.contains(u"--book"_s))
            arguments << u"--book"_s << book;
        QDate today;
        const Run r = runOnStableDay(env, arguments, today, [&](const QDate &day) { writeBook(book, day); });
        QString lines;
        const struct {
            QChar letter;
            int days;
            QString name;
            int age;
        } persons[] = {{u'A', 0, u"Anna Berg"_s, 40},
                       {u'B', 1, u"Bo Lind"_s, 28},
                       {u'C', 5, u"Cy Åström"_s, 4},
                       {u'D', 7, u"Di Ek"_s, 60}};
        for (const auto &p : persons)
            if (expected.contains(p.letter))
                lines += line(today.addDays(p.days), p.name, p.age);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out, lines);
        QCOMPARE(r.status, 0);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("book"); // missing, text, foreign, protected
        QTest::addColumn<QString>("passwordFile");
        QTest::addColumn<QString>("error");

        // clang-format off
        QTest::newRow("book missing") << "missing" << QString() << "velmora: Book not found: %book";
        QTest::newRow("a text file") << "text" << QString() << "velmora: Not a Velmora book: %book";
        QTest::newRow("other tables") << "foreign" << QString() << "velmora: Not a Velmora book: %book";
        QTest::newRow("protected, no password and no terminal") << "protected" << QString() << "velmora: The book %book is protected: give its password with --password-file FILE";
        QTest::newRow("wrong password") << "protected" << "wrong" << "velmora: Wrong password for %book in %passwords";
        QTest::newRow("password file missing") << "protected" << "missing" << "velmora: Cannot read the password file %passwords: No such file or directory.";
        QTest::newRow("password file empty") << "protected" << "empty" << "velmora: The password file %passwords holds no password on its first line.";
        // clang-format on
    }

    void failures()
    {
        QFETCH(QString, book);
        QFETCH(QString, passwordFile);
        QFETCH(QString, error);
        TestEnv env;
        const QString folder = env.file(u"books"_s);
        QDir().mkpath(folder);
        const QString path = folder + u"/"_s + book + u".mdb"_s;
        if (book == QLatin1String("text")) {
            writeFile(path, "Anna Berg, 12/06/1986\n");
        } else if (book == QLatin1String("foreign")) {
            Connection c;
            QVERIFY(!catalog::createFile(path));
            QVERIFY(!c.open(path, QString()));
            run(c, {u"CREATE TABLE Person ( Contactnr SMALLINT, Firstname CHAR(20) ) "_s});
        } else if (book == QLatin1String("protected")) {
            writeProtectedBook(path, QDate::currentDate());
        }
        const QString passwords = env.file(u"password.txt"_s);
        if (passwordFile == QLatin1String("wrong"))
            writeFile(passwords, "secret\n");
        else if (passwordFile == QLatin1String("empty"))
            writeFile(passwords, "\nsecret\n");
        const QStringList before = folderState(folder);
        const QByteArray bytes = readAll(path);

        QStringList arguments{u"--birthdays"_s, u"--book"_s, path};
        if (!passwordFile.isEmpty())
            arguments << u"--password-file"_s << passwords;
        const Run r = runProgram(env, arguments);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QString());
        error.replace(u"%book"_s, path).replace(u"%passwords"_s, passwords);
        QCOMPARE(r.err, error + QLatin1Char('\n'));
        // The book and its folder stay exactly as they were.
        QCOMPARE(folderState(folder), before);
        QCOMPARE(readAll(path), bytes);
    }

    void defaultBook()
    {
        TestEnv env;
        // No default book and no standard book: nothing is made.
        Run r = runProgram(env, {u"--birthdays"_s});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err, u"velmora: There is no default book: name one with --book FILE.\n"_s);
        QVERIFY(!QFile::exists(env.documents() + u"/Velmora.mdb"_s));

        // The standard book in the documents folder.
        const QString standard = env.documents() + u"/Velmora.mdb"_s;
        QDate today;
        r = runOnStableDay(env, {u"--birthdays"_s, u"0"_s}, today,
                           [&](const QDate &day) { writeBook(standard, day); });
        QCOMPARE(r.out, line(today, u"Anna Berg"_s, 40));

        // The default book of the settings, found again after the run; a protected
        // one with its password file.
        const QString book = env.file(u"default.mdb"_s);
        saveSetting(u"Default database"_s, book);
        env.settings->sync();
        const QString passwords = env.file(u"password"_s);
        writeFile(passwords, kPassword.toUtf8() + "\r\nignored\n");
        const QString settingsFile = env.settings->fileName();
        const QByteArray settingsBefore = readAll(settingsFile);
        r = runOnStableDay(env, {u"--birthdays"_s, u"0"_s, u"--password-file"_s, passwords}, today,
                           [&](const QDate &day) { writeProtectedBook(book, day); });
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out, line(today, u"Anna Berg"_s, 40));
        QCOMPARE(r.status, 0);
        // The settings stay exactly as they were.
        QCOMPARE(readAll(settingsFile), settingsBefore);
    }

    // A script neither needs a display nor writes anything of the user's.
    void readOnlyWithoutDisplay()
    {
        TestEnv env;
        const QString folder = env.file(u"books"_s);
        QDir().mkpath(folder);
        // A book in the narrow layout of older files: the windows would widen it
        // and compact it on closing; a script leaves it as it is.
        const QString book = folder + u"/narrow.mdb"_s;
        writeBook(book, QDate::currentDate());
        const QByteArray bytes = readAll(book);
        const QStringList before = folderState(folder);
        // A window program would stop at once without its platform plugin; the
        // book has a birthday today, so there is output to write.
        QProcessEnvironment broken;
        broken.insert(u"QT_QPA_PLATFORM"_s, u"no-such-platform"_s);
        broken.insert(u"QT_PLUGIN_PATH"_s, env.file(u"no-plugins"_s));
        const Run r = runProgram(env, {u"--birthdays"_s, u"--book"_s, book}, broken);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QVERIFY(!r.out.isEmpty());
        QCOMPARE(readAll(book), bytes);
        QCOMPARE(folderState(folder), before);
        // Neither the default book nor the recent books change.
        QVERIFY(!QFile::exists(env.home() + u"/.config/Velmora/Velmora.conf"_s));

        // Output that cannot be written is a failure.
        const Run full = runProgram(env, {u"--birthdays"_s, u"1"_s, u"--book"_s, book}, {}, u"/dev/full"_s);
        QCOMPARE(full.err, u"velmora: Cannot write to standard output.\n"_s);
        QCOMPARE(full.status, 1);

        // A book the user may not write is read all the same.
        WriteProtect protect(folder);
        const Run again = runProgram(env, {u"--birthdays"_s, u"--book"_s, book});
        QCOMPARE(again.err, QString());
        QCOMPARE(again.status, 0);
    }

    void calendar_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("settings"); // as the windows would have them for the same choice
        QTest::addColumn<QStringList>("stored");   // in the settings file before the run

        // clang-format off
        QTest::newRow("the settings' week start and style") << QStringList{} << QStringList{"Week Start=Sunday", "Css Calendar=Ocean"} << QStringList{"Week Start=Sunday", "Css Calendar=Ocean"};
        QTest::newRow("week start and style chosen") << QStringList{"--week-start", "Sunday", "--style", "Forest"} << QStringList{"Week Start=Sunday", "Css Calendar=Forest"} << QStringList{"Css Calendar=Ocean"};
        QTest::newRow("monday over a stored sunday") << QStringList{"--week-start=monday"} << QStringList{"Week Start=Monday", "Css Calendar=Classic"} << QStringList{"Week Start=Sunday", "Css Calendar=Classic"};
        // clang-format on
    }

    // The calendar a script writes is the one the calendar window saves for the
    // same week start and style, and the user's settings stay as they were.
    void calendar()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, settings);
        QFETCH(QStringList, stored);
        TestEnv env;
        copyStyles(env, u"Calendar"_s);
        storeSettings(stored);
        env.settings->sync();
        const QByteArray settingsBefore = readAll(env.settings->fileName());
        const QString book = env.file(u"book.mdb"_s);
        const QString out = env.file(u"out"_s);
        QVERIFY(QDir().mkpath(out));
        QDate today;
        const Run r = runOnStableDay(env, QStringList{"--calendar", "out", "--book", book} + options, today,
                                     [&](const QDate &day) { writeBook(book, day); });
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QCOMPARE(readAll(env.settings->fileName()), settingsBefore);

        // The same calendar made here, as the window makes it.
        env.clock.set(QDateTime(today, QTime(12, 0)));
        storeSettings(settings);
        QVERIFY(!Database::instance().openForReading(book));
        CalendarGenerator generator;
        QVERIFY2(generator.generateCalendar(), qPrintable(generator.errorText()));
        Database::instance().closeDatabase(false);
        const QStringList written = QDir(out + u"/Calendar"_s).entryList(QDir::Files, QDir::Name);
        QCOMPARE(written.size(), 37);
        QVERIFY(written.contains(CalendarGenerator::pageFileName(today.year() + 1, 12)));
        for (const QString &name : written)
            QVERIFY2(readAll(out + u"/Calendar/"_s + name) ==
                         readAll(generator.folder() + QLatin1Char('/') + name),
                     qPrintable(name));
    }

    void calendarRefused_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");

        // clang-format off
        QTest::newRow("a page exists") << QStringList{} << 1 << "velmora: %pages/calendar.css exists: give --force to replace the calendar.";
        QTest::newRow("no such folder") << QStringList{"--calendar", "missing"} << 1 << "velmora: Cannot write into %root/missing: the folder does not exist.";
        QTest::newRow("no such style") << QStringList{"--style", "Plaid"} << 1 << "velmora: There is no calendar style 'Plaid': choose one of Classic, Forest, Ocean, Orange.";
        QTest::newRow("no such day") << QStringList{"--week-start", "friday"} << 2 << "velmora: Option '--week-start' takes monday or sunday, not 'friday'.";
        QTest::newRow("week start without calendar") << QStringList{"--birthdays", "--week-start", "monday"} << 2 << "velmora: Option '--week-start' does not go with --birthdays.";
        // clang-format on
    }

    void calendarRefused()
    {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, error);
        TestEnv env;
        const QString book = env.file(u"book.mdb"_s);
        writeBook(book, QDate::currentDate());
        const QString pages = env.file(u"out/Calendar"_s);
        writeFile(pages + u"/calendar.css"_s, "mine");
        QStringList arguments{u"--book"_s, book};
        if (!options.contains(u"--calendar"_s) && !options.contains(u"--birthdays"_s))
            arguments << u"--calendar"_s << u"out"_s;
        const Run r = runProgram(env, arguments + options);
        QCOMPARE(r.status, status);
        error.replace(u"%pages"_s, pages).replace(u"%root"_s, env.root());
        QCOMPARE(r.err.section(QLatin1Char('\n'), 0, 0), error);
        QCOMPARE(QDir(pages).entryList(QDir::Files), QStringList{u"calendar.css"_s});
        QCOMPARE(readAll(pages + u"/calendar.css"_s), QByteArray("mine"));

        if (QTest::currentDataTag() == QByteArray("a page exists")) {
            // --force replaces it.
            const Run forced = runProgram(env, arguments + QStringList{u"--force"_s});
            QCOMPARE(forced.err, QString());
            QCOMPARE(forced.status, 0);
            QCOMPARE(QDir(pages).entryList(QDir::Files).size(), 37);
            QVERIFY(readAll(pages + u"/calendar.css"_s) != QByteArray("mine"));
        }
    }

    void exports_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("settings"); // as the windows would have them for the same choice
        QTest::addColumn<QStringList>("stored");   // in the settings file before the run

        // clang-format off
        QTest::newRow("text, last name first") << "--export-text" << QStringList{} << QStringList{"List=Last name First name", "Date=yyyy/mm/dd"} << QStringList{"List=Last name First name", "Date=yyyy/mm/dd"};
        QTest::newRow("xhtml, the settings' style") << "--export-html" << QStringList{} << QStringList{"Css=Ocean"} << QStringList{"Css=Ocean"};
        QTest::newRow("xhtml, style chosen") << "--export-html" << QStringList{"--style", "Classic"} << QStringList{"Css=Classic"} << QStringList{"Css=Ocean"};
        QTest::newRow("vcard, last name first") << "--export-vcard" << QStringList{} << QStringList{"List=Last name First name"} << QStringList{"List=Last name First name"};
        QTest::newRow("icalendar") << "--export-ics" << QStringList{} << QStringList{} << QStringList{};
        // clang-format on
    }

    // An export written by a script is the one the export window saves with every
    // person and every detail (vCard and iCalendar too), and the user's settings
    // stay as they were.
    void exports()
    {
        QFETCH(QString, option);
        QFETCH(QStringList, options);
        QFETCH(QStringList, settings);
        QFETCH(QStringList, stored);
        TestEnv env;
        copyStyles(env, u"Css"_s);
        storeSettings(stored);
        env.settings->sync();
        const QByteArray settingsBefore = readAll(env.settings->fileName());
        const QString book = env.file(u"book.mdb"_s);
        writeBook(book, QDate(2026, 12, 6));
        {
            Connection c;
            QVERIFY(!c.open(book, QString()));
            run(c, {entry(u"Phone"_s, 1, 0, u"+46 8 123"_s, u"home"_s),
                    entry(u"Email"_s, 1, 0, u"anna@example.org"_s),
                    person(6, u"Zoë"_s, u"<Aa> & \"Co\""_s, u"#2/29/1988#"_s, u"Street 1\r\nTown"_s,
                           u"see www.example.org"_s)});
        }
        const QString target = env.file(u"export.out"_s);
        const auto runExport = [&](const QString &file, const QStringList &more = {}) {
            return runProgram(env, QStringList{option, file, u"--book"_s, book} + options + more);
        };
        const Run r = runExport(u"export.out"_s);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QCOMPARE(readAll(env.settings->fileName()), settingsBefore);

        // The same export made here, as the export window makes and saves it.
        storeSettings(settings);
        QVERIFY(!Database::instance().openForReading(book));
        const QList<int> list = pickerNumbers();
        QCOMPARE(list.size(), 6);
        const std::vector<int> numbers(list.begin(), list.end());
        const QString expected = env.file(u"expected.out"_s);
        if (option == QLatin1String("--export-text")) {
            QVERIFY(exportText(numbers, ExportOptions{}));
            QVERIFY(TextExport::saveTextExport(expected));
        } else if (option == QLatin1String("--export-html")) {
            QVERIFY(exportHtml(numbers, ExportOptions{}));
            QVERIFY(saveHtmlExport(expected));
        } else if (option == QLatin1String("--export-vcard")) {
            QVERIFY(VcardExport::exportPersons(list, VcardWriter::Version::V30, expected));
        } else {
            // The calendar window's events: one for each person with a date of birth.
            QVERIFY(readAll(target).startsWith("BEGIN:VCALENDAR"));
            QCOMPARE(readAll(target).count("BEGIN:VEVENT"), 5);
            QVERIFY(QFile::copy(target, expected));
        }
        Database::instance().closeDatabase(false);
        QVERIFY(!readAll(expected).isEmpty());
        // The calendar stamps each event with the time it was written.
        const auto stable = [](QByteArray bytes) {
            static const QRegularExpression stamp(QStringLiteral("DTSTAMP:[0-9TZ]+\r\n"));
            return QString::fromUtf8(bytes).remove(stamp);
        };
        QCOMPARE(stable(readAll(target)), stable(readAll(expected)));

        // An existing file is replaced only with --force.
        writeFile(target, "mine");
        const Run refused = runExport(target);
        QCOMPARE(refused.status, 1);
        QCOMPARE(refused.err, u"velmora: %1 exists: give --force to replace it.\n"_s.arg(target));
        QCOMPARE(readAll(target), QByteArray("mine"));
        const Run forced = runExport(target, {u"--force"_s});
        QCOMPARE(forced.status, 0);
        QCOMPARE(stable(readAll(target)), stable(readAll(expected)));

        // A folder that cannot be written: the message, and nothing left there.
        const QString locked = env.file(u"locked"_s);
        QVERIFY(QDir().mkpath(locked));
        WriteProtect protect(locked);
        if (protect.active()) {
            const Run denied = runExport(locked + u"/x.out"_s);
            QCOMPARE(denied.status, 1);
            QVERIFY2(denied.err.startsWith(u"velmora: "_s) && denied.err.count(QLatin1Char('\n')) == 1,
                     qPrintable(denied.err));
            QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList());
        }
    }

    // An import adds the persons of the file once, compacts the book on closing,
    // and a file that is no vCard leaves the book as it was.
    void importCards()
    {
        TestEnv env;
        const QString book = env.file(u"book.mdb"_s);
        writeBook(book, QDate(2026, 12, 6));
        const QString vcf = env.file(u"new.vcf"_s);
        writeFile(vcf,
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Holm;Ida;;;\r\nFN:Ida Holm\r\nBDAY:1990-03-14\r\n"
                  "TEL;TYPE=cell:+46 70 111\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Anna;;;\r\n"
                  "FN:Anna Berg\r\nEND:VCARD\r\n");
        const auto count = [&] {
            Connection c;
            if (c.open(book, QString()))
                return QString();
            return rows(c, u"SELECT Count(*) AS n FROM Person "_s, {u"n"_s});
        };
        Run r = runProgram(env, {u"--import-vcard"_s, vcf, u"--book"_s, book});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QVERIFY(!r.out.isEmpty());
        QCOMPARE(count(), u"7"_s);
        // The second time nobody is new.
        r = runProgram(env, {u"--import-vcard"_s, vcf, u"--book"_s, book});
        QCOMPARE(r.status, 0);
        QCOMPARE(count(), u"7"_s);

        // A book in the narrow layout stays exactly as it was.
        writeBook(book, QDate(2026, 12, 6));
        const QString junk = env.file(u"junk.vcf"_s);
        writeFile(junk, "this is no vcard\n");
        const QByteArray bytes = readAll(book);
        r = runProgram(env, {u"--import-vcard"_s, junk, u"--book"_s, book});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.startsWith(u"velmora: "_s) && r.err.count(QLatin1Char('\n')) == 1, qPrintable(r.err));
        QCOMPARE(readAll(book), bytes);
    }

    // --sync fails with one line, before the book is touched when it can.
    void syncFailures_data()
    {
        QTest::addColumn<bool>("setUp");
        QTest::addColumn<QString>("passwordFile"); // "", "missing" or "given"
        QTest::addColumn<QString>("error");        // the start of the line
        QTest::addColumn<QString>("end");          // and its end
        QTest::addColumn<bool>("bookKept");
        // clang-format off
        QTest::newRow("not set up") << false << QString() << u"velmora: Synchronisation is not set up: enter the server in Options > Synchronisation of the program's window."_s << QString() << true;
        QTest::newRow("no secret store") << true << QString() << u"velmora: The desktop's secret store is not available: "_s << u" Give the server's password with --sync-password-file FILE."_s << true;
        QTest::newRow("password file missing") << true << u"missing"_s << u"velmora: Cannot read the password file "_s << QString() << true;
        QTest::newRow("server not answering") << true << u"given"_s << u"velmora: "_s << QString() << false;
        // clang-format on
    }
    void syncFailures()
    {
        QFETCH(bool, setUp);
        QFETCH(QString, passwordFile);
        QFETCH(QString, error);
        QFETCH(QString, end);
        QFETCH(bool, bookKept);
        TestEnv env;
        const QString book = env.file(u"book.mdb"_s);
        writeBook(book, QDate::currentDate());
        if (setUp)
            storeSettings({u"Sync server=http://127.0.0.1:9/dav/"_s, u"Sync user=anna"_s});
        env.settings->sync();
        const QString passwords = env.file(u"dav-password.txt"_s);
        if (passwordFile == QLatin1String("given"))
            writeFile(passwords, "pw\n");
        QStringList arguments{u"--sync"_s, u"--book"_s, book};
        if (!passwordFile.isEmpty())
            arguments << u"--sync-password-file"_s << passwords;
        // A session without a secret service.
        QProcessEnvironment noBus;
        noBus.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + env.file(u"no-bus"_s));
        const QByteArray bytes = readAll(book);
        const Run r = runProgram(env, arguments, noBus);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.startsWith(error) && r.err.endsWith(end + u'\n') && r.err.count(u'\n') == 1,
                 qPrintable(r.err));
        if (bookKept)
            QCOMPARE(readAll(book), bytes);
    }

    // --sync against a real server found from its root address: both ways,
    // then nothing to do; a wrong password is one line, the book unchanged.
    void syncWithServer()
    {
        RadicaleServer server;
        VELMORA_START_RADICALE(server);
        const QUrl addressBook = server.createAddressBook(u"anna"_s, u"contacts"_s);
        QVERIFY(server
                    .putCard(u"anna"_s, RadicaleServer::cardUrl(addressBook, u"ida.vcf"_s),
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ida-1\r\nN:Holm;Ida;;;\r\nFN:Ida Holm\r\n"
                             "END:VCARD\r\n")
                    .ok());
        TestEnv env;
        const QString book = env.file(u"book.mdb"_s);
        writeBook(book, QDate::currentDate());
        storeSettings({u"Sync server="_s + server.baseUrl().toString(), u"Sync user=anna"_s});
        env.settings->sync();
        const QString passwords = env.file(u"dav-password.txt"_s);
        writeFile(passwords, "secret\n");
        const QStringList arguments{u"--sync"_s, u"--book"_s, book, u"--sync-password-file"_s, passwords};
        const auto count = [&] {
            Connection c;
            if (c.open(book, QString()))
                return QString();
            return rows(c, u"SELECT Count(*) AS n FROM Person "_s, {u"n"_s});
        };

        Run r = runProgram(env, arguments);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"Pulled: 1, pushed: 5, removed: 0, conflicts: 0\n"_s);
        QCOMPARE(count(), u"6"_s);

        const QByteArray bytes = readAll(book);
        r = runProgram(env, arguments);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"Pulled: 0, pushed: 0, removed: 0, conflicts: 0\n"_s);
        QCOMPARE(readAll(book), bytes);

        writeFile(passwords, "wrong\n");
        r = runProgram(env, arguments);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.startsWith(u"velmora: "_s) && r.err.count(u'\n') == 1, qPrintable(r.err));
        QCOMPARE(readAll(book), bytes);
    }

    void terminalPassword_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("last"); // the last line the terminal shows

        // clang-format off
        QTest::newRow("right at once") << QStringList{kPassword} << 0 << "%line";
        QTest::newRow("right on the third try") << QStringList{"a", "b", kPassword} << 0 << "%line";
        QTest::newRow("wrong three times") << QStringList{"a", "b", "c"} << 1 << "velmora: Wrong password for %book";
        QTest::newRow("nothing typed") << QStringList{""} << 1 << "velmora: No password given for %book";
        // clang-format on
    }

    // The password typed on a terminal: asked for without echo, tried up to three
    // times.
    void terminalPassword()
    {
        QFETCH(QStringList, typed);
        QFETCH(int, status);
        QFETCH(QString, last);
        TestEnv env;
        const QString book = env.file(u"protected.mdb"_s);
        const QDate today = QDate::currentDate();
        writeProtectedBook(book, today);

        // Everything the child needs is made before the fork.
        QList<QByteArray> args{QFile::encodeName(program()), "--birthdays", "0", "--book",
                               QFile::encodeName(book)};
        const std::vector<char *> argv = cStrings(args);
        QList<QByteArray> envs;
        const QProcessEnvironment e = scriptEnvironment(env);
        for (const QString &name : e.keys())
            envs << (name + QLatin1Char('=') + e.value(name)).toLocal8Bit();
        const std::vector<char *> envp = cStrings(envs);

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
        for (const QString &answer : typed) {
            QVERIFY2(readUntil(QByteArray("Password for protected.mdb: ")), screen.constData());
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
        QCOMPARE(shown.count(u"<asked>"_s), typed.size());
        // Nothing typed appears on the screen.
        for (const QString &answer : typed)
            QVERIFY2(answer.isEmpty() || !shown.contains(u"<asked>"_s + answer), qPrintable(shown));
        QVERIFY2(!shown.contains(kPassword), qPrintable(shown));
        last.replace(u"%book"_s, book).replace(u"%line"_s, line(today, u"Anna Berg"_s, 40).trimmed());
        const QStringList lines = shown.split(u"\r\n"_s, Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines.last(), last);
    }
};

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
