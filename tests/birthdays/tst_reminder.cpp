#include "TestEnv.h"

#include "birthdays/Reminder.h"
#include "birthdays/ReminderDays.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QtTest>

using namespace velmora;

// The reminder's days and its rows, read from a real book file.
class TestReminder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void sortOnceValues_data();
    void sortOnceValues();
    void offsets_data();
    void offsets();
    void collect_data();
    void collect();

private:
    test::TestEnv m_env;
    Connection m_book;
};

void TestReminder::initTestCase()
{
    const QString path = m_env.file(QStringLiteral("birthdays.mdb"));
    QVERIFY(!catalog::createFile(path).failed());
    QVERIFY(!m_book.open(path, QString()).failed());
    setCurrentConnection(&m_book);
    for (const QString &statement : Database::createTableStatements())
        QVERIFY(!executeSql(statement).failed());
    // clang-format off
    const QStringList persons = {
        "1, 'Ann', 'Smith', #12/6/1990#",   "2, 'Bob', 'Jones', #12/7/1985#",
        "3, 'Cid', 'Brown', #12/9/2000#",   "4, 'Dee', 'Green', #12/13/1970#",
        "5, 'Eve', 'White', #1/2/1999#",    "6, 'Fay', 'Black', #2/29/2000#",
        "7, 'Gus', 'Gray', #12/9/1980#",    "8, 'Hal', 'Nodate', Null",
        "9, 'Ivy', 'Stone', #12/20/1960#",  "10, '  Jo ', ' Lee  ', #12/6/1995#",
        "11, 'Kim', 'Feb28', #2/28/1990#",  "12, 'Lou', 'Mar1', #3/1/1990#",
        "13, '', 'Onlylast', #6/15/2001#",
    };
    // clang-format on
    for (const QString &values : persons) {
        const DbError e = executeSql(
            QStringLiteral("INSERT INTO Person (Contactnr, Firstname, Lastname, Dateofbirth) VALUES (") +
            values + QStringLiteral(") "));
        QVERIFY2(!e.failed(), qPrintable(e.description));
    }
}

void TestReminder::cleanupTestCase()
{
    setCurrentConnection(nullptr);
    m_book.close();
}

void TestReminder::sortOnceValues_data()
{
    QTest::addColumn<QStringList>("in");
    QTest::addColumn<QStringList>("out");
    QTest::newRow("7 3 7") << QStringList{"7", "3", "7"} << QStringList{"3", "7", ""};
    QTest::newRow("numbers, not text order")
        << QStringList{"100", "14", "7"} << QStringList{"7", "14", "100"};
    QTest::newRow("5 3 3") << QStringList{"5", "3", "3"} << QStringList{"3", "", "5"};
    QTest::newRow("gaps stay") << QStringList{"7", "", "3"} << QStringList{"3", "", "7"};
    QTest::newRow("not numbers stay") << QStringList{"x", "9", "2.0"} << QStringList{"x", "2.0", "9"};
    QTest::newRow("blanks: equal numbers") << QStringList{"7", " 7", "1"} << QStringList{"1", "7", ""};
}

void TestReminder::sortOnceValues()
{
    QFETCH(QStringList, in);
    QFETCH(QStringList, out);
    ReminderDays::sortOnceValues(in[0], in[1], in[2]);
    QCOMPARE((QStringList{in[0].trimmed(), in[1].trimmed(), in[2].trimmed()}), out);
}

void TestReminder::offsets_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("days"); // since, once 1..3
    QTest::addColumn<QString>("expected");
    const QDate dec6(2026, 12, 6);
    QTest::newRow("S 3, once 7 3 7") << dec6 << QStringList{"3", "7", "3", "7"} << "0,1,2,3,7";
    QTest::newRow("once inside S") << dec6 << QStringList{"10", "3", "10", ""} << "0,1,2,3,4,5,6,7,8,9,10";
    QTest::newRow("negative S, once 2") << dec6 << QStringList{"-1", "2", "", ""} << "2";
    QTest::newRow("not numbers ignored") << dec6 << QStringList{"abc", "x", "5", "7 days"} << "5";
    // Offsets a year apart name the same calendar day: searched once.
    QTest::newRow("once 368 beside 3") << dec6 << QStringList{"", "3", "368", ""} << "3";
    QTest::newRow("S 500: repeats left out, 29 February kept")
        << dec6 << QStringList{"500", "", "", ""} << "0-364,450";
    // However large S, the days end once the year is complete (2100 is no
    // leap year: the next 29 February after 2096 is 8 years away).
    QTest::newRow("huge S") << QDate(2096, 3, 1) << QStringList{"99999999999", "", "", ""} << "0-364,2920";
}

void TestReminder::offsets()
{
    QFETCH(QDate, today);
    QFETCH(QStringList, days);
    QFETCH(QString, expected);
    QStringList got;
    const std::vector<qint64> offsets = ReminderDays::offsets(today, days[0], days[1], days[2], days[3]);
    for (size_t i = 0; i < offsets.size(); ++i) {
        // Runs of consecutive days are written first-last.
        size_t j = i;
        while (j + 1 < offsets.size() && offsets[j + 1] == offsets[j] + 1)
            ++j;
        got << (j - i >= 11 ? QStringLiteral("%1-%2").arg(offsets[i]).arg(offsets[j])
                            : QString::number(offsets[i]));
        if (j - i >= 11)
            i = j;
    }
    QCOMPARE(got.join(QLatin1Char(',')), expected);
}

void TestReminder::collect_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("days"); // since, once 1..3 (null: missing)
    QTest::addColumn<QStringList>("rows"); // key | date | person | age | red
    const QDate dec6(2026, 12, 6);
    const QString none;

    QTest::newRow("S 0: today only, in red") << dec6 << QStringList{"0", none, none, none}
                                             << QStringList{"Person  1|Sunday 6 December|Ann Smith|36|red",
                                                            "Person  10|Sunday 6 December|Jo Lee|31|red"};
    QTest::newRow("S 3, once 7 3 7: each day once")
        << dec6 << QStringList{"3", "7", "3", "7"}
        << QStringList{
               "Person  1|Sunday 6 December|Ann Smith|36|red", "Person  10|Sunday 6 December|Jo Lee|31|red",
               "Person  2|Monday 7 December|Bob Jones|41|",    "Person  3|Wednesday 9 December|Cid Brown|26|",
               "Person  7|Wednesday 9 December|Gus Gray|46|",  "Person  4|Sunday 13 December|Dee Green|56|"};
    QTest::newRow("since box empty, once 14") << dec6 << QStringList{"", "14", none, none}
                                              << QStringList{"Person  9|Sunday 20 December|Ivy Stone|66|"};
    QTest::newRow("30 December, offset 3: next year's age")
        << QDate(2026, 12, 30) << QStringList{"3", none, none, none}
        << QStringList{"Person  5|Saturday 2 January|Eve White|28|"};
    QTest::newRow("leap year: 29 February listed")
        << QDate(2028, 2, 28) << QStringList{"2", none, none, none}
        << QStringList{"Person  11|Monday 28 February|Kim Feb28|38|red",
                       "Person  6|Tuesday 29 February|Fay Black|28|",
                       "Person  12|Wednesday 1 March|Lou Mar1|38|"};
    QTest::newRow("empty first name keeps the blank")
        << QDate(2026, 6, 15) << QStringList{"0", none, none, none}
        << QStringList{"Person  13|Monday 15 June| Onlylast|25|red"};
}

void TestReminder::collect()
{
    QFETCH(QDate, today);
    QFETCH(QStringList, days);
    QFETCH(QStringList, rows);
    m_env.clock.set(QDateTime(today, QTime(8, 0)));
    const char *names[] = {"Reminder Since", "Reminder Once 1", "Reminder Once 2", "Reminder Once 3"};
    for (int i = 0; i < 4; ++i) {
        if (days[i].isNull())
            deleteSetting(QString::fromLatin1(names[i]));
        else
            saveSetting(QString::fromLatin1(names[i]), days[i]);
    }
    std::vector<ReminderRow> got;
    const DbError e = Reminder::collect(got);
    QVERIFY2(!e.failed(), qPrintable(e.description));
    QStringList texts;
    for (const ReminderRow &r : got)
        texts << QStringList{r.key, r.dateText, r.person, QString::number(r.age),
                             r.today ? QStringLiteral("red") : QString()}
                     .join(QLatin1Char('|'));
    QCOMPARE(texts, rows);
}

QTEST_GUILESS_MAIN(TestReminder)
#include "tst_reminder.moc"
