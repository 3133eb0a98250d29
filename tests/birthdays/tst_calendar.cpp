#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/PageWriter.h"
#include "birthdays/CalendarGenerator.h"
#include "birthdays/CalendarSaver.h"
#include "birthdays/CalendarStyles.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace velmora;

namespace {

const QString kGoldenFolder = QStringLiteral(VELMORA_SOURCE_DIR "/tests/birthdays/golden");

// The texts of a page's birthday cells in order ("" for an empty row), read
// with an XML parser: the page must be well-formed.
QStringList birthdayTexts(const QString &path, QString *error = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot read ") + path};
    QXmlStreamReader xml(&file);
    QStringList texts;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("td") &&
            xml.attributes().value(QLatin1String("class")) == QLatin1String("birthday"))
            texts << xml.readElementText().trimmed().remove(QChar(0xA0));
    }
    if (xml.hasError() && error)
        *error = xml.errorString() + QStringLiteral(" at line ") + QString::number(xml.lineNumber());
    return texts;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestCalendar : public QObject {
    Q_OBJECT
private slots:
    // One book for the run; every test starts with the same settings, styles
    // and an empty temporary folder.
    void initTestCase()
    {
        m_env = std::make_unique<test::TestEnv>();
        m_book = m_env->file(QStringLiteral("calendar.mdb"));
        QVERIFY(Database::instance().newDatabase(m_book));
        addPersons();
    }
    void init()
    {
        m_env->clock.set(QDateTime(QDate(2024, 6, 15), QTime(10, 0)));
        m_env->prompts.clear();
        saveSetting(QStringLiteral("Css Calendar"), QStringLiteral("Orange"));
        saveSetting(QStringLiteral("Week Start"), QString());
        const QString styles = m_env->programFolder() + QStringLiteral("/Calendar");
        QDir(styles).removeRecursively();
        test::writeFile(styles + QStringLiteral("/Orange.css"), "td.day { color: #f80; }");
        QDir(m_env->file(QStringLiteral("web"))).removeRecursively();
        for (const QString &name : filesIn(m_env->temp()))
            QFile::remove(m_env->temp() + QLatin1Char('/') + name);
        if (!Database::instance().isOpen())
            QVERIFY(Database::instance().openDatabase(m_book));
    }
    void cleanupTestCase()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // Whole pages: months starting in the first and the last column (both week
    // starts), February of a leap year (29 February, five birthdays on a day,
    // names to escape or beyond ISO-8859-1, ages of 0 and below) and of a common year.
    void goldenPages_data()
    {
        QTest::addColumn<QString>("weekStart");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        // clang-format off
        QTest::newRow("January 2024, Monday first column") << "Monday" << 2024 << 1;
        QTest::newRow("September 2024, Sunday in column 7") << "Monday" << 2024 << 9;
        QTest::newRow("September 2024, Sunday first column") << "Sunday" << 2024 << 9;
        QTest::newRow("June 2024, Saturday in column 7") << "Sunday" << 2024 << 6;
        QTest::newRow("February 2024, leap year") << "Monday" << 2024 << 2;
        QTest::newRow("February 2023, common year") << "Monday" << 2023 << 2;
        // clang-format on
    }
    void goldenPages()
    {
        QFETCH(QString, weekStart);
        QFETCH(int, year);
        QFETCH(int, month);
        saveSetting(QStringLiteral("Week Start"), weekStart);
        CalendarGenerator generator;
        QVERIFY2(generator.generateCalendar(), qPrintable(generator.errorText()));
        const QByteArray page = test::readAll(generator.pageFile(year, month));
        const QString golden = kGoldenFolder + QStringLiteral("/%1%2-%3.htm")
                                                   .arg(year)
                                                   .arg(month, 2, 10, QLatin1Char('0'))
                                                   .arg(weekStart.toLower());
        if (qEnvironmentVariableIsSet("VELMORA_WRITE_GOLDEN"))
            test::writeFile(golden, page);
        // Line by line, so that a difference names its line.
        QCOMPARE(QString::fromLatin1(page).split(u'\n'),
                 QString::fromLatin1(test::readAll(golden)).split(u'\n'));
    }

    // Every page parses as XML and the names come back as in the book; the walk
    // passes over 29 February in a common year, so 1 March still shows its birthday.
    void pagesAreWellFormedAndLoseNothing()
    {
        CalendarGenerator generator;
        QVERIFY(generator.generateCalendar());
        QCOMPARE(filesIn(generator.folder()).size(), 37);
        for (const QString &name : filesIn(generator.folder())) {
            QString error;
            if (name.endsWith(QLatin1String(".htm")))
                birthdayTexts(generator.folder() + QLatin1Char('/') + name, &error);
            QVERIFY2(error.isEmpty(), qPrintable(name + QLatin1Char(' ') + error));
        }
        const QStringList february = birthdayTexts(generator.pageFile(2024, 2));
        for (const char *name : {"Zoë & <Ann> O\"Brien (24)", "Дмитрий Иванов (42)", "李 小龙 (84)",
                                 "Emma 😀 Smile (-6)", "Noor Born (0)"})
            QVERIFY2(february.contains(QString::fromUtf8(name)), name);
        QVERIFY(!birthdayTexts(generator.pageFile(2023, 2)).join('|').contains(QLatin1String("Zo")));
        QVERIFY(birthdayTexts(generator.pageFile(2023, 3)).contains(QStringLiteral("Mar First (33)")));
        QVERIFY(birthdayTexts(generator.pageFile(2025, 3)).contains(QStringLiteral("Mar First (35)")));
    }

    // A day with more birthdays than the buffer holds: written in pieces, still whole.
    void bigDayIsFlushedInPieces()
    {
        m_env->clock.set(QDateTime(QDate(2026, 12, 6), QTime(10, 0)));
        test::run(
            Database::instance().connection(),
            {QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth) WITH "
                            "RECURSIVE n(i) AS (SELECT 1001 UNION ALL SELECT i + 1 FROM n WHERE i < 1800) "
                            "SELECT i, 'Ünal', 'Person ' || i, '1990-12-06' FROM n")});
        CalendarGenerator generator;
        QVERIFY(generator.generateCalendar());
        const QByteArray page = test::readAll(generator.pageFile(2026, 12));
        QVERIFY(page.size() > 2 * PageWriter::flushLimit);
        QVERIFY(page.count("<?xml") == 1 && page.endsWith("</html>\r\n"));
        QCOMPARE(page.count("\r\n"), page.count("\n"));
        QString error;
        const QStringList texts = birthdayTexts(generator.pageFile(2026, 12), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(texts.count(QString::fromUtf8("Ünal Person 1001 (36)")), 1);
        QCOMPARE(texts.count(QString::fromUtf8("Ünal Person 1800 (36)")), 1);
        QCOMPARE(texts.size(), 30 * 3 + 800);
        test::run(Database::instance().connection(),
                  {QStringLiteral("DELETE FROM Person WHERE Contactnr > 1000")});
    }

    // Without an open book every page is there, with empty rows only.
    void noBookGivesEmptyPages()
    {
        Database::instance().closeDatabase(false);
        CalendarGenerator generator;
        QVERIFY2(generator.generateCalendar(), qPrintable(generator.errorText()));
        QCOMPARE(filesIn(generator.folder()).size(), 37);
        const QStringList texts = birthdayTexts(generator.pageFile(2024, 2));
        QCOMPARE(texts, QStringList(29 * 3, QString()));
    }

    // The sheet beside the pages: the chosen style; when it is missing the first
    // there is (it becomes the setting); with none a built-in sheet (the setting stays).
    void styleSheet_data()
    {
        QTest::addColumn<QStringList>("styles");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("used"); // "" the built-in sheet
        QTest::addColumn<QString>("settingAfter");
        // clang-format off
        QTest::newRow("chosen style") << QStringList{"Orange", "Ocean"} << "Ocean" << "Ocean" << "Ocean";
        QTest::newRow("chosen style missing") << QStringList{"Orange", "Forest"} << "Pink" << "Forest" << "Forest";
        QTest::newRow("setting empty") << QStringList{"Orange"} << "" << "Orange" << "Orange";
        QTest::newRow("no style at all") << QStringList{} << "Orange" << "" << "Orange";
        // clang-format on
    }
    void styleSheet()
    {
        QFETCH(QStringList, styles);
        QFETCH(QString, setting);
        QFETCH(QString, used);
        QFETCH(QString, settingAfter);
        const QString folder = m_env->programFolder() + QStringLiteral("/Calendar");
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        for (const QString &style : styles)
            test::writeFile(folder + QLatin1Char('/') + style + QStringLiteral(".css"),
                            "/* " + style.toUtf8() + " */");
        test::writeFile(folder + QStringLiteral("/readme.txt"), "not a style");
        saveSetting(QStringLiteral("Css Calendar"), setting);
        CalendarGenerator generator;
        QVERIFY2(generator.generateCalendar(), qPrintable(generator.errorText()));
        const QByteArray sheet = test::readAll(generator.folder() + QStringLiteral("/calendar.css"));
        QCOMPARE(sheet, used.isEmpty() ? CalendarStyles::builtInSheet() : "/* " + used.toUtf8() + " */");
        QCOMPARE(getSetting(QStringLiteral("Css Calendar")), settingAfter);
        QVERIFY(m_env->prompts.shown().empty());
    }

    // Deleting takes the sheet and the pages, also those made before the year
    // turned, and leaves every other file.
    void deleteCalendarFiles()
    {
        CalendarGenerator generator;
        QVERIFY(generator.generateCalendar());
        test::writeFile(generator.folder() + QStringLiteral("/export.htm"), "mine");
        m_env->clock.set(QDateTime(QDate(2025, 1, 1), QTime(0, 0)));
        generator.deleteCalendarFiles();
        QCOMPARE(filesIn(generator.folder()), QStringList{QStringLiteral("export.htm")});
    }

    // A folder that cannot be written: a clear failure naming the file.
    void unwritableFolderFails()
    {
        CalendarGenerator generator;
        test::WriteProtect protect(generator.folder());
        if (!protect.active())
            QSKIP("the folder cannot be write-protected here");
        QVERIFY(!generator.generateCalendar());
        QVERIFY2(generator.errorText().contains(generator.folder()), qPrintable(generator.errorText()));
    }

    // Saving a set: the picked folder's Calendar folder gets the sheet and the ticked
    // pages; an existing file is asked about (No keeps it, the save goes on); the
    // first file that cannot be written ends the save with its name, the copies stay.
    void savePages_data()
    {
        QTest::addColumn<QString>("setup"); // "", "old page", "protected page", "no folder"
        QTest::addColumn<int>("answer");    // to the replace question: 0 none, 1 Yes, 2 No
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("files"); // in Calendar afterwards, "=" copied
        const QString all = QStringLiteral("calendar.css 202401 202402 202403 202404 202405 202406 202407 "
                                           "202408 202409 202410 202411 202412 202501");
        // clang-format off
        QTest::newRow("new folder") << "" << 0 << true << all.split(' ');
        QTest::newRow("existing page, Yes") << "old page" << 1 << true << all.split(' ');
        QTest::newRow("existing page, No") << "old page" << 2 << true << all.split(' ').replaceInStrings("202406", "202406 old");
        QTest::newRow("write-protected page") << "protected page" << 1 << false
            << QStringList{"calendar.css", "202401", "202402", "202403", "202404", "202405", "202406 old"};
        QTest::newRow("picked folder gone") << "no folder" << 0 << false << QStringList{};
        // clang-format on
    }
    void savePages()
    {
        QFETCH(QString, setup);
        QFETCH(int, answer);
        QFETCH(bool, ok);
        QFETCH(QStringList, files);
        CalendarGenerator generator;
        QVERIFY(generator.generateCalendar());
        QString picked = m_env->file(QStringLiteral("web"));
        const QString target = picked + QStringLiteral("/Calendar");
        QDir().mkpath(picked);
        if (setup == QLatin1String("no folder"))
            picked += QStringLiteral("/gone");
        if (setup.endsWith(QLatin1String("page")))
            test::writeFile(target + QStringLiteral("/202406.htm"), "old");
        std::unique_ptr<test::WriteProtect> protect;
        if (setup == QLatin1String("protected page")) {
            protect = std::make_unique<test::WriteProtect>(target + QStringLiteral("/202406.htm"));
            if (!protect->active())
                QSKIP("the page cannot be write-protected here");
        }
        if (answer)
            m_env->prompts.queueAnswer(answer == 1 ? Answer::Yes : Answer::No);

        CalendarSelection selection;
        selection.firstYear = 2023;
        selection.months[1].fill(true);
        selection.months[2][0] = true;
        CalendarSaver saver;
        int done = -1, total = -1;
        const bool saved = saver.saveCalendarPages(selection, generator.folder(), picked,
                                                   [&](int d, int t) { done = d, total = t; });
        QCOMPARE(saved, ok);
        QStringList found;
        for (const QString &name : filesIn(target)) {
            const QByteArray bytes = test::readAll(target + QLatin1Char('/') + name);
            QString entry = name;
            entry.remove(QStringLiteral(".htm"));
            if (bytes == "old")
                entry += QStringLiteral(" old");
            else
                QCOMPARE(bytes, test::readAll(generator.folder() + QLatin1Char('/') + name));
            found << entry;
        }
        std::sort(files.begin(), files.end());
        std::sort(found.begin(), found.end());
        QCOMPARE(found, files);
        if (ok) {
            QVERIFY(done == 37 && total == 37);
        } else {
            const QString named =
                setup == QLatin1String("no folder") ? picked : target + QStringLiteral("/202406.htm");
            QVERIFY2(saver.errorText().contains(named), qPrintable(saver.errorText()));
        }
        QCOMPARE(m_env->prompts.messageCount(), answer ? 1 : 0);
        if (answer)
            QCOMPARE(m_env->prompts.lastMessage(),
                     "File already exists:\n" + target + "/202406.htm\n\nReplace?");
    }

private:
    static void addPersons()
    {
        // clang-format off
        const QStringList persons = {
            "1, 'Anna', 'Jansen', #1/1/1990#", "2, '  Piet ', ' de Vries  ', #1/1/1985#",
            "3, 'Zoë & <Ann>', 'O\"Brien', #2/29/2000#",
            "4, 'Bob', 'Alpha', #2/14/1980#", "5, 'Carl', 'Beta', #2/14/1981#",
            "6, 'Дмитрий', 'Иванов', #2/14/1982#", "7, '李', '小龙', #2/14/1940#",
            "8, 'Emma 😀', 'Smile', #2/14/2030#", "9, 'Noor', 'Born', #2/1/2024#",
            "10, 'Feb', 'Twentyeight', #2/28/1990#", "11, 'Mar', 'First', #3/1/1990#",
            "12, 'Sep', 'Sunday', #9/1/1970#", "13, 'Jun', 'Saturday', #6/1/1999#",
            "14, 'Hal', 'Nodate', Null", "15, 'Jan', 'Last', #1/31/2001#", "16, 'Sep', 'Last', #9/30/1960#"};
        // clang-format on
        for (const QString &values : persons)
            test::run(Database::instance().connection(),
                      {"INSERT INTO Person (Contactnr, Firstname, Lastname, Dateofbirth) VALUES (" + values +
                       ") "});
    }

    std::unique_ptr<test::TestEnv> m_env;
    QString m_book;
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
