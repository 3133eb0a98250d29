// Every form of statement the program sends to the book, written exactly as
// the program builds it, run on a real file with known rows.
#include "TestEnv.h"

#include "app/Seams.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QFile>
#include <QtTest>

using namespace velmora;

namespace {

const QString kPersonOrder = QStringLiteral("ORDER BY Lastname, Firstname ");
const QString kFirstOrder = QStringLiteral("ORDER BY Firstname, Lastname ");

struct Entry {
    QString value;
    QString description;
};

struct Person {
    int nr;
    QString first;
    QString last;
    QString date; // Null or a literal between # characters
    QString address;
    QString note;
    QList<Entry> phones;
    QList<Entry> emails;
};

QList<Person> people()
{
    return {
        {1,
         "Anne",
         "Smith",
         "#12/06/1970#",
         "Main Street 1",
         "likes tea",
         {{"0471 123 456", "mobile"}, {"02 555 12 12", "work"}},
         {{"anne@example.org", "home"}, {"anne.smith@work.example", "work"}}},
        {2, "Émile", "Dubois", "Null", "Rue de la Paix 3\r\nParis", "", {}, {{"emile@example.fr", ""}}},
        {3,
         "Bob",
         "O'Brien",
         "#12/08/1980#",
         "",
         "see #1/2/2000# and 'quotes'",
         {{"+32 471 99 88 77", ""}},
         {}},
        {4,
         "anne",
         "Zimmer",
         "#02/29/2000#",
         "",
         "",
         {{"0471 12 34 56", "home (old)"}},
         {{"zimmer@EXAMPLE.org", ""}}},
        {5, "Emma", "Évrard", "#12/06/1999#", "Place 5", "Order Number Note", {}, {}},
    };
}

QString insertPerson(const Person &p)
{
    return QStringLiteral(
               "INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) ") +
           QStringLiteral("VALUES(") + QString::number(p.nr) + QStringLiteral(", '") + sqlQuote(p.first) +
           QStringLiteral("', '") + sqlQuote(p.last) + QStringLiteral("', ") + p.date +
           QStringLiteral(", '") + sqlQuote(p.address) + QStringLiteral("', '") + sqlQuote(p.note) +
           QStringLiteral("') ");
}

QString insertEntry(const QString &table, int nr, int pos, const Entry &e)
{
    const QString head = table == QLatin1String("Phone")
                             ? QStringLiteral("INSERT INTO Phone(ContactNr, [Order], [Number], Description) ")
                             : QStringLiteral("INSERT INTO Email(ContactNr, [Order], Email, Description) ");
    return head + QStringLiteral("VALUES(") + QString::number(nr) + QStringLiteral(", ") +
           QString::number(pos) + QStringLiteral(", '") + sqlQuote(e.value) + QStringLiteral("', '") +
           sqlQuote(e.description) + QStringLiteral("') ");
}

// The values of one field of every row, joined by "|".
QString column(const QString &statement, const QString &field)
{
    Recordset rs;
    const DbError e = openRecordset(statement, rs);
    if (e)
        return QStringLiteral("error ") + QString::number(e.number) + QStringLiteral(": ") + e.description;
    QStringList values;
    for (; !rs.eof(); rs.moveNext()) {
        const QVariant v = rs.field(field);
        values << (v.isValid() ? v.toString() : QStringLiteral("Null"));
    }
    return values.join(QLatin1Char('|'));
}

QString numbers(const QString &statement)
{
    return column(statement, QStringLiteral("Contactnr"));
}

} // namespace

class TestSqlDialect : public QObject {
    Q_OBJECT
private:
    test::TestEnv m_env;
    Connection m_book;
    QString m_path;

    // A copy of the book for the tests that change it.
    void useCopy(Connection &copy, const QString &name)
    {
        const QString path = m_env.file(name);
        QFile::remove(path);
        m_book.close();
        QVERIFY(QFile::copy(m_path, path));
        QVERIFY(!m_book.open(m_path, QString()));
        QVERIFY(!copy.open(path, QString()));
        setCurrentConnection(&copy);
    }

private slots:
    void initTestCase()
    {
        // The book is made as the program makes one: the file, the three
        // tables in the narrow layout, the widening on open, the rows.
        m_path = m_env.file(QStringLiteral("dialect.mdb"));
        QVERIFY(!catalog::createFile(m_path));
        QVERIFY(!m_book.open(m_path, QString()));
        setCurrentConnection(&m_book);
        for (const QString &s : Database::createTableStatements())
            QVERIFY2(!executeSql(s), qPrintable(s));
        int size = 0;
        QVERIFY(!catalog::definedSize(m_book, QStringLiteral("Person"), QStringLiteral("Lastname"), size));
        QCOMPARE(size, 20);
        for (const QString &s : Database::upgradeStatements())
            QVERIFY2(!executeSql(s), qPrintable(s));
        QVERIFY(!catalog::definedSize(m_book, QStringLiteral("Person"), QStringLiteral("Lastname"), size));
        QCOMPARE(size, 50);

        for (const Person &p : people()) {
            int nr = 0;
            QVERIFY(!nextFreeNumber(QStringLiteral("Person"), QStringLiteral("Contactnr"), nr));
            QCOMPARE(nr, p.nr);
            QVERIFY2(!executeSql(insertPerson(p)), qPrintable(insertPerson(p)));
            for (int i = 0; i < p.phones.size(); ++i)
                QVERIFY(!executeSql(insertEntry(QStringLiteral("Phone"), p.nr, i + 1, p.phones[i])));
            for (int i = 0; i < p.emails.size(); ++i)
                QVERIFY(!executeSql(insertEntry(QStringLiteral("Email"), p.nr, i + 1, p.emails[i])));
        }
    }

    void init() { setCurrentConnection(&m_book); }

    void contactList_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        const QString list =
            QStringLiteral("SELECT Contactnr, Firstname, Lastname ") + QStringLiteral("FROM Person ");
        QTest::newRow("last name first") << list + kPersonOrder << "2|5|3|1|4";
        QTest::newRow("first name first") << list + kFirstOrder << "4|1|3|2|5";
        QTest::newRow("numbers from phone search")
            << QStringLiteral("SELECT * ") + QStringLiteral("FROM Person ") +
                   QStringLiteral("WHERE Contactnr IN(4,1,1) ") + kPersonOrder
            << "1|4";
        QTest::newRow("no phone matched") << QStringLiteral("SELECT * ") + QStringLiteral("FROM Person ") +
                                                 QStringLiteral("WHERE 1 = 2 ") + kFirstOrder
                                          << "";
    }
    void contactList()
    {
        QFETCH(QString, statement);
        QFETCH(QString, expected);
        QCOMPARE(numbers(statement), expected);
    }

    void searchConditions_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first equal") << "WHERE Firstname = 'anne' "
                                     << "1|4";
        QTest::newRow("first contains") << "WHERE Firstname LIKE '%mil%' "
                                        << "2";
        QTest::newRow("first begins, accents count") << "WHERE Firstname LIKE 'em%' "
                                                     << "5";
        QTest::newRow("first ends") << "WHERE TRIM(Firstname) LIKE '%NE' "
                                    << "1|4";
        QTest::newRow("last equal quoted") << "WHERE Lastname = 'O''Brien' "
                                           << "3";
        QTest::newRow("last begins accented") << "WHERE Lastname LIKE 'É%' "
                                              << "5";
        QTest::newRow("address equal") << "WHERE Address = 'main street 1' "
                                       << "1";
        QTest::newRow("address over lines") << "WHERE Address LIKE '%paris%' "
                                            << "2";
        QTest::newRow("note contains") << "WHERE Note LIKE '%ORDER%' "
                                       << "5";
        QTest::newRow("note contains literal") << "WHERE Note LIKE '%#1/2/2000#%' "
                                               << "3";
        QTest::newRow("accented capital") << "WHERE Firstname = 'ÉMILE' "
                                          << "2";
        QTest::newRow("underscore") << "WHERE Firstname LIKE '_nne' "
                                    << "1|4";
        QTest::newRow("backslash no escape") << "WHERE Firstname LIKE 'A\\%' "
                                             << "";
        QTest::newRow("bracket is literal") << "WHERE Firstname LIKE '[A]%' "
                                            << "";
        QTest::newRow("wildcards typed") << "WHERE Firstname LIKE '%_%' "
                                         << "2|5|3|1|4";
        QTest::newRow("date equal") << "WHERE Dateofbirth = #12/06/1970# "
                                    << "1";
        QTest::newRow("date after") << "WHERE Dateofbirth > #12/31/1970# "
                                    << "5|3|4";
        QTest::newRow("date between, bounds excluded")
            << "WHERE Dateofbirth > #12/06/1970# AND Dateofbirth < #12/06/1999# "
            << "3";
        QTest::newRow("date filled") << "WHERE Dateofbirth IS NOT NULL "
                                     << "5|3|1|4";
        QTest::newRow("email filled") << "WHERE EXISTS (SELECT Email.Contactnr FROM Email WHERE "
                                         "Email.Contactnr = Person.Contactnr AND Email <> '') "
                                      << "2|1|4";
        QTest::newRow("phone filled") << "WHERE EXISTS (SELECT Phone.Contactnr FROM Phone WHERE "
                                         "Phone.Contactnr = Person.Contactnr AND Number <> '') "
                                      << "3|1|4";
        QTest::newRow("two conditions") << "WHERE Firstname LIKE 'ann%' AND Lastname = 'SMITH' "
                                        << "1";
    }
    void searchConditions()
    {
        QFETCH(QString, condition);
        QFETCH(QString, expected);
        QCOMPARE(
            numbers(QStringLiteral("SELECT * ") + QStringLiteral("FROM Person ") + condition + kPersonOrder),
            expected);
    }

    void emailSearch_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("expected");
        QTest::newRow("contains") << "AND TRIM(Email) LIKE '%example%' "
                                  << "2|1|4";
        QTest::newRow("equal") << "AND Email = 'ANNE@example.org' "
                               << "1";
        QTest::newRow("begins, two addresses listed once") << "AND TRIM(Email) LIKE 'anne%' "
                                                           << "1";
        QTest::newRow("ends") << "AND TRIM(Email) LIKE '%.org' "
                              << "1|4";
        QTest::newRow("with phone filled")
            << "AND TRIM(Email) LIKE '%example%' AND EXISTS (SELECT Phone.Contactnr FROM Phone WHERE "
               "Phone.Contactnr = Person.Contactnr AND Number <> '') "
            << "1|4";
    }
    void emailSearch()
    {
        QFETCH(QString, condition);
        QFETCH(QString, expected);
        const QString statement =
            QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr, Firstname, Lastname ") +
            QStringLiteral("FROM Person, Email ") +
            QStringLiteral("WHERE Person.Contactnr = Email.Contactnr ") + condition;
        QCOMPARE(numbers(statement + kPersonOrder), expected);
        QCOMPARE(numbers(statement + kFirstOrder).split(QLatin1Char('|')).size(),
                 expected.split(QLatin1Char('|')).size());
    }

    void phoneSearch_data()
    {
        QTest::addColumn<bool>("byEmail");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all phones") << false << ""
                                    << "1 0471 123 456|1 02 555 12 12|3 +32 471 99 88 77|4 0471 12 34 56";
        QTest::newRow("with a name") << false << "AND Firstname LIKE 'anne' "
                                     << "1 0471 123 456|1 02 555 12 12|4 0471 12 34 56";
        QTest::newRow("with an e-mail") << true << "AND TRIM(Email) LIKE '%.org' "
                                        << "1 0471 123 456|1 02 555 12 12|4 0471 12 34 56";
        QTest::newRow("nobody") << true << "AND Lastname = 'O''Brien' "
                                << "";
    }
    void phoneSearch()
    {
        QFETCH(bool, byEmail);
        QFETCH(QString, condition);
        QFETCH(QString, expected);
        const QString inner =
            byEmail ? QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr FROM Person, Email, Phone "
                                     "WHERE Person.Contactnr = Email.Contactnr AND Person.Contactnr = Phone.Contactnr ")
                    : QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr FROM Person, Phone "
                                     "WHERE Person.Contactnr = Phone.Contactnr ");
        const QString statement =
            QStringLiteral("SELECT Contactnr, Number FROM Phone WHERE Contactnr IN ( ") + inner + condition +
            QStringLiteral(") ");
        Recordset rs;
        QVERIFY(!openRecordset(statement, rs));
        QStringList rows;
        for (; !rs.eof(); rs.moveNext())
            rows << rs.text(QStringLiteral("Contactnr")) + QLatin1Char(' ') +
                        rs.text(QStringLiteral("Number"));
        QCOMPARE(rows.join(QLatin1Char('|')), expected);
    }

    void details()
    {
        Recordset rs;
        QVERIFY(!openRecordset(QStringLiteral("SELECT * FROM Person WHERE Contactnr = 3"), rs));
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.text(QStringLiteral("Lastname")), QStringLiteral("O'Brien"));
        QCOMPARE(rs.field(QStringLiteral("Dateofbirth")).toDate(), QDate(1980, 12, 8));
        QCOMPARE(rs.text(QStringLiteral("Note")), QStringLiteral("see #1/2/2000# and 'quotes'"));
        QVERIFY(!rs.isNull(QStringLiteral("Address")));
        QVERIFY(!openRecordset(QStringLiteral("SELECT * FROM Person WHERE Contactnr = 2"), rs));
        QVERIFY(rs.isNull(QStringLiteral("Dateofbirth")));
        QCOMPARE(rs.text(QStringLiteral("Address")), QStringLiteral("Rue de la Paix 3\r\nParis"));
        const QString phones = QStringLiteral("SELECT * FROM Phone WHERE Contactnr = 1");
        QCOMPARE(column(phones, QStringLiteral("Number")), QStringLiteral("0471 123 456|02 555 12 12"));
        QCOMPARE(column(phones, QStringLiteral("Description")), QStringLiteral("mobile|work"));
        QCOMPARE(column(QStringLiteral("SELECT * FROM Email WHERE Contactnr = 1"), QStringLiteral("Email")),
                 QStringLiteral("anne@example.org|anne.smith@work.example"));
    }

    void birthdaysOfADay_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("expected");
        QTest::newRow("today") << 0 << "1|5";
        QTest::newRow("tomorrow") << 1 << "";
        QTest::newRow("in two days") << 2 << "3";
    }
    void birthdaysOfADay()
    {
        QFETCH(int, days);
        QFETCH(QString, expected);
        const QDate day = velmora::clock().today().addDays(days);
        const QString statement =
            QStringLiteral("SELECT Contactnr, Firstname, Lastname, Dateofbirth FROM Person WHERE Month(Dateofbirth) = %1 "
                           "AND Day(Dateofbirth) = %2 ORDER BY Month(Dateofbirth), Day(Dateofbirth) ")
                .arg(day.month())
                .arg(day.day());
        QStringList found = numbers(statement).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        found.sort();
        QCOMPARE(found.join(QLatin1Char('|')), expected);
    }

    void leapDayBirthday()
    {
        QCOMPARE(numbers(QStringLiteral(
                     "SELECT Contactnr, Firstname, Lastname, Dateofbirth FROM Person WHERE "
                     "Month(Dateofbirth) = 2 AND Day(Dateofbirth) = 29 ORDER BY Month(Dateofbirth), "
                     "Day(Dateofbirth) ")),
                 QStringLiteral("4"));
    }

    void calendar()
    {
        Recordset rs;
        QVERIFY(!openRecordset(
            QStringLiteral("SELECT Firstname, Lastname, Dateofbirth FROM Person WHERE Dateofbirth IS "
                           "NOT NULL ORDER BY Month(Dateofbirth), Day(Dateofbirth), Firstname, "
                           "Lastname "),
            rs));
        QStringList rows;
        for (; !rs.eof(); rs.moveNext())
            rows << rs.text(QStringLiteral("Firstname")) + QLatin1Char(' ') +
                        rs.field(QStringLiteral("Dateofbirth")).toDate().toString(Qt::ISODate);
        QCOMPARE(rows.join(QLatin1Char('|')),
                 QStringLiteral("anne 2000-02-29|Anne 1970-12-06|Emma 1999-12-06|Bob 1980-12-08"));
        // The calendar reads the rows once per month page.
        rs.moveFirst();
        QCOMPARE(rs.text(QStringLiteral("Firstname")), QStringLiteral("anne"));
        QCOMPARE(rs.recordCount(), 4);
    }

    void textExport_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("persons");
        QTest::addColumn<QString>("phones");
        QTest::addColumn<QString>("emails");
        QTest::newRow("first name first")
            << "ORDER BY Firstname, Lastname, Person.Contactnr"
            << "4|1|3"
            << "4 0471 12 34 56 home (old)|1 0471 123 456 mobile|1 02 555 12 12 work|3 +32 471 99 88 77 "
            << "4 zimmer@EXAMPLE.org |1 anne@example.org home|1 anne.smith@work.example work";
        QTest::newRow("last name first")
            << "ORDER BY Lastname, Firstname, Person.Contactnr"
            << "3|1|4"
            << "3 +32 471 99 88 77 |1 0471 123 456 mobile|1 02 555 12 12 work|4 0471 12 34 56 home (old)"
            << "1 anne@example.org home|1 anne.smith@work.example work|4 zimmer@EXAMPLE.org ";
    }
    void textExport()
    {
        QFETCH(QString, order);
        QFETCH(QString, persons);
        QFETCH(QString, phones);
        QFETCH(QString, emails);
        const QString where = QStringLiteral("WHERE Person.Contactnr IN(1, 4, 3) ");
        QCOMPARE(numbers(QStringLiteral("SELECT * ") + QStringLiteral("FROM Person ") + where + order),
                 persons);

        auto rows = [](const QString &statement, const char *value) {
            Recordset r;
            const DbError e = openRecordset(statement, r);
            if (e)
                return e.description;
            QStringList out;
            for (; !r.eof(); r.moveNext())
                out << r.text(QStringLiteral("Contactnr")) + QLatin1Char(' ') + r.text(QLatin1String(value)) +
                           QLatin1Char(' ') + r.text(QStringLiteral("Description"));
            return out.join(QLatin1Char('|'));
        };
        QCOMPARE(rows(QStringLiteral("SELECT Phone.Contactnr, Number, Description ") +
                          QStringLiteral("FROM Phone, Person ") + where +
                          QStringLiteral("AND Phone.Contactnr = Person.Contactnr ") + order +
                          QStringLiteral(", [Order] "),
                      "Number"),
                 phones);
        QCOMPARE(rows(QStringLiteral("SELECT Email.Contactnr, Email, Description ") +
                          QStringLiteral("FROM Email, Person ") + where +
                          QStringLiteral("AND Email.Contactnr = Person.Contactnr ") + order +
                          QStringLiteral(", [Order] "),
                      "Email"),
                 emails);
    }

    void emailList()
    {
        Recordset rs;
        QVERIFY(!openRecordset(
            QStringLiteral("SELECT Person.Contactnr, Firstname, Lastname, Email.Contactnr, Order, Email ") +
                QStringLiteral("FROM Person, Email ") +
                QStringLiteral("WHERE Person.Contactnr = Email.Contactnr ") +
                QStringLiteral("AND Email.Order = 1 ") + kPersonOrder,
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

        const QString where = QStringLiteral(
            "WHERE Email.Contactnr IN(4, 1) AND Person.Contactnr = Email.Contactnr AND Email.Order = 1 ");
        QCOMPARE(column(QStringLiteral("SELECT Email ") + QStringLiteral("FROM Person, Email ") + where +
                            QStringLiteral("ORDER BY Firstname, Lastname, Person.Contactnr"),
                        QStringLiteral("Email")),
                 QStringLiteral("zimmer@EXAMPLE.org|anne@example.org"));
        QCOMPARE(column(QStringLiteral("SELECT Email ") + QStringLiteral("FROM Person, Email ") + where +
                            QStringLiteral("ORDER BY Lastname, Firstname, Person.Contactnr"),
                        QStringLiteral("Email")),
                 QStringLiteral("anne@example.org|zimmer@EXAMPLE.org"));
    }

    void updatePerson()
    {
        Connection copy;
        useCopy(copy, QStringLiteral("update.mdb"));
        QVERIFY(!executeSql(QStringLiteral("UPDATE Person SET Firstname = '") + sqlQuote(QStringLiteral("Ann'e")) +
                            QStringLiteral("', Lastname = 'Smith-Jones', Dateofbirth = Null, Address = '1e5', "
                                           "[Note] = '007' WHERE Contactnr = 1 ")));
        QVERIFY(!executeSql(QStringLiteral("DELETE FROM Phone WHERE Contactnr = 1 ")));
        // The second number moves to the top.
        QVERIFY(!executeSql(insertEntry(QStringLiteral("Phone"), 1, 1,
                                        {QStringLiteral("02 555 12 12"), QStringLiteral("work")})));
        QVERIFY(!executeSql(
            insertEntry(QStringLiteral("Phone"), 1, 2, {QStringLiteral("0471 123 456"), QString()})));
        QVERIFY(!executeSql(QStringLiteral("DELETE FROM Email WHERE Contactnr = 1 ")));

        Recordset rs;
        QVERIFY(!openRecordset(QStringLiteral("SELECT * FROM Person WHERE Contactnr = 1"), rs));
        QCOMPARE(rs.text(QStringLiteral("Firstname")), QStringLiteral("Ann'e"));
        QCOMPARE(rs.text(QStringLiteral("Lastname")), QStringLiteral("Smith-Jones"));
        QVERIFY(rs.isNull(QStringLiteral("Dateofbirth")));
        QCOMPARE(rs.field(QStringLiteral("Address")), QVariant(QStringLiteral("1e5")));
        QCOMPARE(rs.field(QStringLiteral("Note")), QVariant(QStringLiteral("007")));
        QCOMPARE(column(QStringLiteral("SELECT * FROM Phone WHERE Contactnr = 1"), QStringLiteral("Number")),
                 QStringLiteral("02 555 12 12|0471 123 456"));
        QCOMPARE(column(QStringLiteral("SELECT * FROM Phone WHERE Contactnr = 1"), QStringLiteral("Order")),
                 QStringLiteral("1|2"));
        QCOMPARE(numbers(QStringLiteral("SELECT * FROM Email WHERE Contactnr = 1")), QString());
    }

    void removePerson()
    {
        Connection copy;
        useCopy(copy, QStringLiteral("remove.mdb"));
        const QString nr = QStringLiteral("3");
        QCOMPARE(column(QStringLiteral("SELECT Firstname, Lastname ") + QStringLiteral("FROM Person ") +
                            QStringLiteral("WHERE Contactnr = ") + nr,
                        QStringLiteral("Lastname")),
                 QStringLiteral("O'Brien"));
        // The person cannot go before its phone numbers.
        QVERIFY(executeSql(QStringLiteral("DELETE FROM Person ") + QStringLiteral("WHERE Contactnr = ") + nr)
                    .failed());
        for (const char *table : {"DELETE FROM Phone ", "DELETE FROM Email ", "DELETE FROM Person "})
            QVERIFY(!executeSql(QLatin1String(table) + QStringLiteral("WHERE Contactnr = ") + nr));
        QCOMPARE(numbers(QStringLiteral("SELECT Contactnr, Firstname, Lastname FROM Person ") + kPersonOrder),
                 QStringLiteral("2|5|1|4"));
        QCOMPARE(numbers(QStringLiteral("SELECT * FROM Phone WHERE Contactnr = 3")), QString());
        // The number is given again to the next new person.
        int next = 0;
        QVERIFY(!nextFreeNumber(QStringLiteral("Person"), QStringLiteral("Contactnr"), next));
        QCOMPARE(next, 3);
        const Person p{next, "Zoë", "Ørsted", "#1/2/03#", "", "", {}, {}};
        QVERIFY(!executeSql(insertPerson(p)));
        QCOMPARE(numbers(QStringLiteral("SELECT * FROM Person ") + kPersonOrder),
                 QStringLiteral("2|5|3|1|4"));
        QCOMPARE(
            column(QStringLiteral("SELECT * FROM Person WHERE Contactnr = 3"), QStringLiteral("Dateofbirth")),
            QStringLiteral("2003-01-02"));
    }
};

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
