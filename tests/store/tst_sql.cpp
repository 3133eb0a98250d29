#include "TestBook.h"
#include "TestEnv.h"

using namespace velmora;

namespace {

// Fills the person table with the given numbers.
void fillNumbers(Connection &c, const QList<int> &numbers)
{
    QVERIFY(!c.execute(QStringLiteral("DELETE FROM Person")));
    for (int n : numbers)
        QVERIFY(
            !c.execute(QStringLiteral("INSERT INTO Person(Contactnr, Firstname) VALUES(%1, 'F') ").arg(n)));
}

} // namespace

class TestSql : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    Connection m_book;

private slots:
    void initTestCase() { test::createBook(m_book, m_env.file(QStringLiteral("sql.mdb"))); }

    void init() { setCurrentConnection(&m_book); }
    void cleanup() { setCurrentConnection(nullptr); }

    void quotedTextRoundTrips()
    {
        const QString nasty = QStringLiteral("x'); DELETE FROM Person; --' \\' '' O’Brien %_[]#;");
        fillNumbers(m_book, {1});
        QVERIFY(!executeSql(QStringLiteral("UPDATE Person SET Firstname = '") + sqlQuote(nasty) +
                            QStringLiteral("' WHERE Contactnr = 1 ")));
        Recordset rs;
        QVERIFY(!openRecordset(QStringLiteral("SELECT * FROM Person WHERE Firstname = '") + sqlQuote(nasty) +
                                   QStringLiteral("' "),
                               rs));
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.text(QStringLiteral("Firstname")), nasty);
    }

    void nextFree_data()
    {
        QTest::addColumn<QList<int>>("used");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty") << QList<int>{} << 1;
        QTest::newRow("first gap wins") << QList<int>{1, 2, 4, 5, 7} << 3;
        QTest::newRow("one missing") << QList<int>{2, 3} << 1;
        QTest::newRow("unsorted inserts") << QList<int>{5, 1, 3, 2, 4} << 6;
        QTest::newRow("zero and negative") << QList<int>{-4, 0, 2} << 1;
        QTest::newRow("zero before a run from 1") << QList<int>{-4, 0, 1, 2} << 3;
        QTest::newRow("top only") << QList<int>{32767} << 1;
    }
    void nextFree()
    {
        QFETCH(QList<int>, used);
        fillNumbers(m_book, used);
        int number = -1;
        QVERIFY(!nextFreeNumber(QStringLiteral("Person"), QStringLiteral("Contactnr"), number));
        QTEST(number, "expected");
    }

    void noNumberLeft()
    {
        fillNumbers(m_book, {});
        test::run(m_book, {test::persons(1, 32767, "F", "L")});
        int number = 12345;
        const DbError e = nextFreeNumber(QStringLiteral("Person"), QStringLiteral("Contactnr"), number);
        QVERIFY(e.failed());
        QVERIFY(e.description.contains(QLatin1String("32767")));
        QCOMPARE(number, 12345); // no number given, and none wrapped round
        fillNumbers(m_book, {});
    }

    void failuresComeBackAsErrors()
    {
        DbError e = executeSql(QStringLiteral("INSERT INTO Nowhere VALUES(1)"));
        QVERIFY(e.failed());
        QVERIFY(e.description.contains(QLatin1String("Nowhere")));
        Recordset rs;
        QVERIFY(openRecordset(QStringLiteral("SELECT Nothing FROM Person"), rs).failed());
        QVERIFY(rs.eof());
        int number = 0;
        QVERIFY(nextFreeNumber(QStringLiteral("Nowhere"), QStringLiteral("Contactnr"), number).failed());
    }
};

QTEST_GUILESS_MAIN(TestSql)
#include "tst_sql.moc"
