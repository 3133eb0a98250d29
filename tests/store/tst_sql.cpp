#include "TestEnv.h"

#include "store/Database.h"
#include "store/Sql.h"

#include <QtTest>

using namespace velmora;

namespace {

// A book with only the person table, holding the given numbers.
void fillNumbers(Connection &c, const QList<int> &numbers)
{
    QVERIFY(!c.execute(QStringLiteral("DELETE FROM Person")));
    QVERIFY(!c.execute(QStringLiteral("BEGIN")));
    for (int n : numbers) {
        QVERIFY(!c.execute(
            QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, "
                           "[Note]) VALUES(%1, 'F', 'L', Null, '', '') ")
                .arg(n)));
    }
    QVERIFY(!c.execute(QStringLiteral("COMMIT")));
}

// Fills Person with every number from 1 to last but the ones left out.
void fillRun(Connection &c, int last, int leftOut = 0)
{
    QVERIFY(!c.execute(QStringLiteral("DELETE FROM Person")));
    QVERIFY(!c.execute(
        QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
                       "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                       "SELECT x, 'F', 'L', Null, '', '' FROM n WHERE x <> %2")
            .arg(last)
            .arg(leftOut)));
}

} // namespace

class TestSql : public QObject {
    Q_OBJECT
private:
    test::TestEnv m_env;
    Connection m_book;

private slots:
    void initTestCase()
    {
        const QString path = m_env.file(QStringLiteral("sql.mdb"));
        QVERIFY(!catalog::createFile(path));
        QVERIFY(!m_book.open(path, QString()));
        for (const QString &statement : Database::createTableStatements())
            QVERIFY(!m_book.execute(statement));
    }

    void init() { setCurrentConnection(&m_book); }
    void cleanup() { setCurrentConnection(nullptr); }

    void quote_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("one quote") << "'"
                                   << "''";
        QTest::newRow("name") << "O'Brien"
                              << "O''Brien";
        QTest::newRow("others untouched") << "\"%_\\[]#;"
                                          << "\"%_\\[]#;";
        QTest::newRow("typographic quote") << "O’Brien"
                                           << "O’Brien";
    }
    void quote()
    {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        QCOMPARE(sqlQuote(text), quoted);
    }

    void quotedTextRoundTrips()
    {
        const QString nasty = QStringLiteral("x'); DELETE FROM Person; --' \\' ''");
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
        QTest::newRow("gap") << QList<int>{1, 2, 3, 5} << 4;
        QTest::newRow("one missing") << QList<int>{2, 3} << 1;
        QTest::newRow("first gap wins") << QList<int>{1, 4, 5, 7} << 2;
        QTest::newRow("unsorted inserts") << QList<int>{5, 1, 3, 2, 4} << 6;
        QTest::newRow("zero first") << QList<int>{0, 1, 2} << 1;
        QTest::newRow("negative first") << QList<int>{-4, 2} << 1;
        QTest::newRow("top only") << QList<int>{32767} << 1;
    }
    void nextFree()
    {
        QFETCH(QList<int>, used);
        QFETCH(int, expected);
        fillNumbers(m_book, used);
        int number = -1;
        QVERIFY(!nextFreeNumber(QStringLiteral("Person"), QStringLiteral("Contactnr"), number));
        QCOMPARE(number, expected);
    }

    void noNumberLeft()
    {
        fillRun(m_book, 32767);
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
