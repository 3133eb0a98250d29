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
    void initTestCase()
    {
        QVERIFY(Database::instance().newDatabase(m_env.file(QStringLiteral("birthdays.mdb"))));
        // clang-format off
        const QStringList persons = {
            "1, 'Ann', 'Smith', #12/6/1990#", "2, 'Bob', 'Jones', #12/7/1985#", "3, 'Cid', 'Brown', #12/9/2000#",
            "4, 'Dee', 'Green', #12/13/1970#", "5, 'Eve', 'White', #1/2/1999#", "6, 'Fay', 'Black', #2/29/2000#",
            "7, 'Gus', 'Gray', #12/9/1980#", "8, 'Hal', 'Nodate', Null", "9, 'Ivy', 'Stone', #12/20/1960#",
            "10, '  Jo ', ' Lee  ', #12/6/1995#", "11, 'Kim', 'Feb28', #2/28/1990#", "12, 'Lou', 'Mar1', #3/1/1990#",
            "13, '', 'Onlylast', #6/15/2001#"};
        // clang-format on
        for (const QString &values : persons) {
            const DbError e = executeSql(
                "INSERT INTO Person (Contactnr, Firstname, Lastname, Dateofbirth) VALUES (" + values + ") ");
            QVERIFY2(!e.failed(), qPrintable(e.description));
        }
    }
    void cleanupTestCase() { Database::instance().closeDatabase(false); }

    // The once values are used in number order; offsets a year apart name the
    // same calendar day and are searched once.
    void offsets_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QStringList>("days"); // since, once 1..3
        QTest::addColumn<QString>("expected"); // runs of three days or more as first-last
        const QDate dec6(2026, 12, 6);
        using S = QStringList;
        // clang-format off
        QTest::newRow("S 3, once 7 3 7") << dec6 << S{"3", "7", "3", "7"} << "0-3,7";
        QTest::newRow("once inside S") << dec6 << S{"10", "3", "10", ""} << "0-10";
        QTest::newRow("negative S, once 2") << dec6 << S{"-1", "2", "", ""} << "2";
        QTest::newRow("not numbers ignored") << dec6 << S{"abc", "x", "5", "7 days"} << "5";
        QTest::newRow("once in number order") << dec6 << S{"", "100", "14", "7"} << "7,14,100";
        QTest::newRow("once with blanks, halves to even") << dec6 << S{"", " 7", "2.5", "0.5"} << "0,2,7";
        QTest::newRow("once 368 beside 3") << dec6 << S{"", "3", "368", ""} << "3";
        QTest::newRow("S 500: repeats left out, 29 February kept") << dec6 << S{"500", "", "", ""} << "0-364,450";
        // However large S, the days end once the year is complete (2100 is no
        // leap year: the next 29 February after 2096 is 8 years away).
        QTest::newRow("huge S") << QDate(2096, 3, 1) << S{"99999999999", "", "", ""} << "0-364,2920";
        // clang-format on
    }
    void offsets()
    {
        QFETCH(QDate, today);
        QFETCH(QStringList, days);
        const std::vector<qint64> offsets = ReminderDays::offsets(today, days[0], days[1], days[2], days[3]);
        QStringList got;
        for (size_t i = 0, j = 0; i < offsets.size(); i = j + 1) {
            for (j = i; j + 1 < offsets.size() && offsets[j + 1] == offsets[j] + 1;)
                ++j;
            if (j - i < 2)
                j = i; // two days in a row are written one by one
            got << (j > i ? QStringLiteral("%1-%2").arg(offsets[i]).arg(offsets[j])
                          : QString::number(offsets[i]));
        }
        QTEST(got.join(QLatin1Char(',')), "expected");
    }

    void collect_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QStringList>("days"); // since, once 1..3
        QTest::addColumn<QStringList>("rows"); // key | date | person | age | red
        const QDate dec6(2026, 12, 6);
        using S = QStringList;
        // clang-format off
        QTest::newRow("S 3, once 7 3 7") << dec6 << S{"3", "7", "3", "7"} << S{
            "Person  1|Sunday 6 December|Ann Smith|36|red", "Person  10|Sunday 6 December|Jo Lee|31|red",
            "Person  2|Monday 7 December|Bob Jones|41|",    "Person  3|Wednesday 9 December|Cid Brown|26|",
            "Person  7|Wednesday 9 December|Gus Gray|46|",  "Person  4|Sunday 13 December|Dee Green|56|"};
        QTest::newRow("since box empty, once 14") << dec6 << S{"", "14", "", ""}
            << S{"Person  9|Sunday 20 December|Ivy Stone|66|"};
        QTest::newRow("30 December: next year's age") << QDate(2026, 12, 30) << S{"3", "", "", ""}
            << S{"Person  5|Saturday 2 January|Eve White|28|"};
        QTest::newRow("leap year: 29 February listed") << QDate(2028, 2, 28) << S{"2", "", "", ""}
            << S{"Person  11|Monday 28 February|Kim Feb28|38|red", "Person  6|Tuesday 29 February|Fay Black|28|",
                 "Person  12|Wednesday 1 March|Lou Mar1|38|"};
        QTest::newRow("no first name: the blank stays") << QDate(2026, 6, 15) << S{"0", "", "", ""}
            << S{"Person  13|Monday 15 June| Onlylast|25|red"};
        // clang-format on
    }
    void collect()
    {
        QFETCH(QDate, today);
        QFETCH(QStringList, days);
        m_env.clock.set(QDateTime(today, QTime(8, 0)));
        saveSetting(QStringLiteral("Reminder Since"), days[0]);
        for (int i = 1; i < 4; ++i)
            saveSetting(QStringLiteral("Reminder Once %1").arg(i), days[i]);
        std::vector<ReminderRow> got;
        const DbError e = Reminder::collect(got);
        QVERIFY2(!e.failed(), qPrintable(e.description));
        QStringList texts;
        for (const ReminderRow &r : got)
            texts << QStringList{r.key, r.dateText, r.person, QString::number(r.age),
                                 r.today ? QStringLiteral("red") : QString()}
                         .join(QLatin1Char('|'));
        QTEST(texts, "rows");
    }

private:
    test::TestEnv m_env;
};

QTEST_GUILESS_MAIN(TestReminder)
#include "tst_reminder.moc"
