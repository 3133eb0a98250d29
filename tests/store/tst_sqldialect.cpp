// The forms of statement the program sends to the book, run on a real file
// with known rows: what the dialect translator makes of them must find the
// right rows in the right order.
#include "TestEnv.h"

#include "store/Database.h"
#include "store/Sql.h"

#include <QtTest>

using namespace velmora;

namespace {

const QString kPersonOrder = QStringLiteral("ORDER BY Lastname, Firstname ");
const QString kFirstOrder = QStringLiteral("ORDER BY Firstname, Lastname ");

QString person(int nr, const QString &first, const QString &last, const QString &date,
               const QString &address = {}, const QString &note = {})
{
    return QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
                          "VALUES(%1, '%2', '%3', %4, '%5', '%6') ")
        .arg(nr)
        .arg(sqlQuote(first), sqlQuote(last), date, sqlQuote(address), sqlQuote(note));
}

QString entry(const QString &table, int nr, int pos, const QString &value, const QString &description = {})
{
    const QString column = table == QLatin1String("Phone") ? QStringLiteral("[Number]") : table;
    return QStringLiteral("INSERT INTO %1(ContactNr, [Order], %2, Description) ").arg(table, column) +
           QStringLiteral("VALUES(%1, %2, '%3', '%4') ").arg(nr).arg(pos).arg(value, description);
}

// The values of one field of every row, joined by "|".
QString column(const QString &statement, const QString &field = QStringLiteral("Contactnr"))
{
    Recordset rs;
    if (const DbError e = openRecordset(statement, rs))
        return QStringLiteral("error %1: %2").arg(e.number).arg(e.description);
    QStringList values;
    for (; !rs.eof(); rs.moveNext())
        values << (rs.isNull(field) ? QStringLiteral("Null") : rs.text(field));
    return values.join(QLatin1Char('|'));
}

} // namespace

class TestSqlDialect : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    Connection m_book;

private slots:
    void initTestCase()
    {
        // The book is made as the program makes one: the file, the tables in
        // the narrow layout, the widening on open, then the rows.
        const QString path = m_env.file(QStringLiteral("dialect.mdb"));
        QVERIFY(!catalog::createFile(path));
        QVERIFY(!m_book.open(path, QString()));
        setCurrentConnection(&m_book);
        const QString phone = QStringLiteral("Phone"), email = QStringLiteral("Email");
        const QStringList statements =
            Database::createTableStatements() + Database::upgradeStatements() +
            QStringList{
                person(1, "Anne", "Smith", "#12/06/1970#", "Main Street 1", "likes tea"),
                entry(phone, 1, 1, "0471 123 456", "mobile"),
                entry(phone, 1, 2, "02 555 12 12", "work"),
                entry(email, 1, 1, "anne@example.org", "home"),
                entry(email, 1, 2, "anne.smith@work.example", "work"),
                person(2, "Émile", "Dubois", "Null", "Rue de la Paix 3\r\nParis"),
                entry(email, 2, 1, "emile@example.fr"),
                person(3, "Bob", "O'Brien", "#12/08/1980#", "", "see #1/2/2000# and 'quotes'"),
                entry(phone, 3, 1, "+32 471 99 88 77"),
                person(4, "anne", "Zimmer", "#02/29/2000#"),
                entry(phone, 4, 1, "0471 12 34 56", "home (old)"),
                entry(email, 4, 1, "zimmer@EXAMPLE.org"),
                person(5, "Emma", "Évrard", "#12/06/1999#", "Place 5", "Order Number Note"),
            };
        for (const QString &s : statements)
            QVERIFY2(!executeSql(s), qPrintable(s));
    }

    void init() { setCurrentConnection(&m_book); }

    void statements_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        const QString list = QStringLiteral("SELECT Contactnr, Firstname, Lastname FROM Person ");
        const auto where = [](const char *condition) {
            return QStringLiteral("SELECT * FROM Person ") + QString::fromUtf8(condition) + kPersonOrder;
        };
        const auto byEmail = [](const char *condition) {
            return QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr, Firstname, Lastname "
                                  "FROM Person, Email WHERE Person.Contactnr = Email.Contactnr ") +
                   QString::fromUtf8(condition) + kPersonOrder;
        };
        const auto birthdays = [](int month, int day) {
            return QStringLiteral("SELECT Contactnr, Firstname, Lastname, Dateofbirth FROM Person WHERE "
                                  "Month(Dateofbirth) = %1 AND Day(Dateofbirth) = %2 "
                                  "ORDER BY Month(Dateofbirth), Day(Dateofbirth) ")
                .arg(month)
                .arg(day);
        };
        QTest::newRow("list, last name first") << list + kPersonOrder << "2|5|3|1|4";
        QTest::newRow("list, first name first") << list + kFirstOrder << "4|1|3|2|5";
        QTest::newRow("chosen numbers") << where("WHERE Contactnr IN(4,1,1) ") << "1|4";
        QTest::newRow("no number chosen") << where("WHERE 1 = 2 ") << "";
        QTest::newRow("equal ignores case") << where("WHERE Firstname = 'anne' ") << "1|4";
        QTest::newRow("LIKE ignores case, not accents") << where("WHERE Firstname LIKE 'em%' ") << "5";
        QTest::newRow("accented capital") << where("WHERE Lastname LIKE 'É%' ") << "5";
        QTest::newRow("TRIM and LIKE") << where("WHERE TRIM(Firstname) LIKE '%NE' ") << "1|4";
        QTest::newRow("keywords inside text") << where("WHERE Note LIKE '%ORDER%' ") << "5";
        QTest::newRow("date literal inside text") << where("WHERE Note LIKE '%#1/2/2000#%' ") << "3";
        QTest::newRow("underscore is one character") << where("WHERE Firstname LIKE '_nne' ") << "1|4";
        QTest::newRow("backslash escapes nothing") << where("WHERE Firstname LIKE 'A\\%' ") << "";
        QTest::newRow("bracket is literal") << where("WHERE Firstname LIKE '[A]%' ") << "";
        QTest::newRow("dates, bounds excluded")
            << where("WHERE Dateofbirth > #12/06/1970# AND Dateofbirth < #12/06/1999# ") << "3";
        QTest::newRow("phone filled in") << where("WHERE EXISTS (SELECT Phone.Contactnr FROM Phone WHERE "
                                                  "Phone.Contactnr = Person.Contactnr AND Number <> '') ")
                                         << "3|1|4";
        QTest::newRow("e-mail begins, person once") << byEmail("AND TRIM(Email) LIKE 'anne%' ") << "1";
        QTest::newRow("e-mail ends, any case") << byEmail("AND TRIM(Email) LIKE '%.org' ") << "1|4";
        QTest::newRow("e-mail and phone")
            << byEmail("AND TRIM(Email) LIKE '%example%' AND EXISTS (SELECT Phone.Contactnr FROM Phone "
                       "WHERE Phone.Contactnr = Person.Contactnr AND Number <> '') ")
            << "1|4";
        QTest::newRow("birthdays on 8 December") << birthdays(12, 8) << "3";
        QTest::newRow("birthdays on 29 February") << birthdays(2, 29) << "4";
    }
    void statements()
    {
        QFETCH(QString, statement);
        QTEST(column(statement), "expected");
    }

    void calendar()
    {
        Recordset rs;
        QVERIFY(!openRecordset(QStringLiteral("SELECT Firstname, Lastname, Dateofbirth FROM Person WHERE "
                                              "Dateofbirth IS NOT NULL ORDER BY Month(Dateofbirth), "
                                              "Day(Dateofbirth), Firstname, Lastname "),
                               rs));
        QStringList rows;
        for (; !rs.eof(); rs.moveNext())
            rows << rs.text(QStringLiteral("Firstname")) + QLatin1Char(' ') +
                        rs.field(QStringLiteral("Dateofbirth")).toDate().toString(Qt::ISODate);
        QCOMPARE(rows.join(QLatin1Char('|')),
                 QStringLiteral("anne 2000-02-29|Anne 1970-12-06|Emma 1999-12-06|Bob 1980-12-08"));
        // The calendar reads the rows again for every month page.
        rs.moveFirst();
        QCOMPARE(rs.text(QStringLiteral("Firstname")), QStringLiteral("anne"));
    }

    // The entries of chosen persons in list order, then in their own order.
    void entriesInListOrder_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first name first")
            << "ORDER BY Firstname, Lastname, Person.Contactnr"
            << "4 0471 12 34 56 home (old)|1 0471 123 456 mobile|1 02 555 12 12 work|3 +32 471 99 88 77 ";
        QTest::newRow("last name first")
            << "ORDER BY Lastname, Firstname, Person.Contactnr"
            << "3 +32 471 99 88 77 |1 0471 123 456 mobile|1 02 555 12 12 work|4 0471 12 34 56 home (old)";
    }
    void entriesInListOrder()
    {
        QFETCH(QString, order);
        Recordset rs;
        QVERIFY(
            !openRecordset(QStringLiteral("SELECT Phone.Contactnr, Number, Description FROM Phone, Person "
                                          "WHERE Person.Contactnr IN(1, 4, 3) AND Phone.Contactnr = "
                                          "Person.Contactnr ") +
                               order + QStringLiteral(", [Order] "),
                           rs));
        QStringList rows;
        for (; !rs.eof(); rs.moveNext())
            rows << QStringList{rs.text(QStringLiteral("Contactnr")), rs.text(QStringLiteral("Number")),
                                rs.text(QStringLiteral("Description"))}
                        .join(QLatin1Char(' '));
        QTEST(rows.join(QLatin1Char('|')), "expected");
    }

    // Order unbracketed, and fields of two tables with the same name.
    void firstEmailOfEach()
    {
        Recordset rs;
        QVERIFY(!openRecordset(
            QStringLiteral(
                "SELECT Person.Contactnr, Firstname, Lastname, Email.Contactnr, Order, Email "
                "FROM Person, Email WHERE Person.Contactnr = Email.Contactnr AND Email.Order = 1 ") +
                kPersonOrder,
            rs));
        QStringList rows;
        for (; !rs.eof(); rs.moveNext()) {
            QCOMPARE(rs.field(QStringLiteral("Order")).toInt(), 1);
            QCOMPARE(rs.field(QStringLiteral("Email.Contactnr")),
                     rs.field(QStringLiteral("Person.Contactnr")));
            rows << rs.text(QStringLiteral("Person.Contactnr")) + QLatin1Char(' ') +
                        rs.text(QStringLiteral("Email"));
        }
        QCOMPARE(rows.join(QLatin1Char('|')),
                 QStringLiteral("2 emile@example.fr|1 anne@example.org|4 zimmer@EXAMPLE.org"));
    }
};

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
