// The forms of statement the program sends to the book, run on a real file
// with known rows: what the dialect translator makes of them must find the
// right rows in the right order.
#include "TestBook.h"
#include "TestEnv.h"

using namespace velmora;

class TestSqlDialect : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    Connection m_book;

private slots:
    void initTestCase()
    {
        // The book is made as the program makes one: the file, the tables in
        // the narrow layout, the widening on open, then the rows.
        using test::entry, test::person;
        const QString phone = QStringLiteral("Phone"), email = QStringLiteral("Email");
        test::createBook(
            m_book, m_env.file(QStringLiteral("dialect.mdb")),
            Database::upgradeStatements() +
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
                });
    }

    // The fields of the rows each statement finds, in order.
    void statements_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("expected");
        const QString byName = QStringLiteral("ORDER BY Lastname, Firstname ");
        const auto row = [](const char *name, const QString &statement, const char *expected,
                            const QStringList &fields = {"Contactnr"}) {
            QTest::newRow(name) << statement << fields << QString::fromUtf8(expected);
        };
        const auto where = [&](const char *condition) {
            return QStringLiteral("SELECT * FROM Person ") + QString::fromUtf8(condition) + byName;
        };
        const auto byEmail = [&](const char *condition) {
            return QStringLiteral("SELECT DISTINCT Person.Contactnr AS Contactnr, Firstname, Lastname "
                                  "FROM Person, Email WHERE Person.Contactnr = Email.Contactnr ") +
                   QString::fromUtf8(condition) + byName;
        };
        const auto birthdays = [](int month, int day) {
            return QStringLiteral("SELECT Contactnr, Firstname, Lastname, Dateofbirth FROM Person WHERE "
                                  "Month(Dateofbirth) = %1 AND Day(Dateofbirth) = %2 "
                                  "ORDER BY Month(Dateofbirth), Day(Dateofbirth) ")
                .arg(month)
                .arg(day);
        };
        // The phones of chosen persons in list order, then in their own order.
        const auto phones = [](const char *order) {
            return QStringLiteral(
                       "SELECT Phone.Contactnr, Number, Description FROM Phone, Person WHERE "
                       "Person.Contactnr IN(1, 4, 3) AND Phone.Contactnr = Person.Contactnr ORDER BY ") +
                   QString::fromLatin1(order) + QStringLiteral(", Person.Contactnr, [Order] ");
        };
        const QStringList phone = {"Contactnr", "Number", "Description"};
        const QString list = QStringLiteral("SELECT Contactnr, Firstname, Lastname FROM Person ");
        row("list, last name first", list + byName, "2|5|3|1|4");
        row("list, first name first", list + QStringLiteral("ORDER BY Firstname, Lastname "), "4|1|3|2|5");
        row("chosen numbers", where("WHERE Contactnr IN(4,1,1) "), "1|4");
        row("no number chosen", where("WHERE 1 = 2 "), "");
        row("equal ignores case", where("WHERE Firstname = 'anne' "), "1|4");
        row("LIKE ignores case, not accents", where("WHERE Firstname LIKE 'em%' "), "5");
        row("accented capital", where("WHERE Lastname LIKE 'É%' "), "5");
        row("TRIM and LIKE", where("WHERE TRIM(Firstname) LIKE '%NE' "), "1|4");
        row("keywords inside text", where("WHERE Note LIKE '%ORDER%' "), "5");
        row("date literal inside text", where("WHERE Note LIKE '%#1/2/2000#%' "), "3");
        row("underscore is one character", where("WHERE Firstname LIKE '_nne' "), "1|4");
        row("backslash escapes nothing", where("WHERE Firstname LIKE 'A\\%' "), "");
        row("bracket is literal", where("WHERE Firstname LIKE '[A]%' "), "");
        row("dates, bounds excluded",
            where("WHERE Dateofbirth > #12/06/1970# AND Dateofbirth < #12/06/1999# "), "3");
        row("phone filled in",
            where("WHERE EXISTS (SELECT Phone.Contactnr FROM Phone WHERE "
                  "Phone.Contactnr = Person.Contactnr AND Number <> '') "),
            "3|1|4");
        row("e-mail begins, person once", byEmail("AND TRIM(Email) LIKE 'anne%' "), "1");
        row("e-mail ends, any case", byEmail("AND TRIM(Email) LIKE '%.org' "), "1|4");
        row("e-mail and phone",
            byEmail("AND TRIM(Email) LIKE '%example%' AND EXISTS (SELECT Phone.Contactnr "
                    "FROM Phone WHERE Phone.Contactnr = Person.Contactnr AND Number <> '') "),
            "1|4");
        row("birthdays on 8 December", birthdays(12, 8), "3");
        row("birthdays on 29 February", birthdays(2, 29), "4");
        row("calendar",
            QStringLiteral("SELECT Firstname, Lastname, Dateofbirth FROM Person WHERE Dateofbirth IS NOT "
                           "NULL ORDER BY Month(Dateofbirth), Day(Dateofbirth), Firstname, Lastname "),
            "anne 2000-02-29|Anne 1970-12-06|Emma 1999-12-06|Bob 1980-12-08", {"Firstname", "Dateofbirth"});
        row("phones, first name first", phones("Firstname, Lastname"),
            "4 0471 12 34 56 home (old)|1 0471 123 456 mobile|1 02 555 12 12 work|3 +32 471 99 88 77 ",
            phone);
        row("phones, last name first", phones("Lastname, Firstname"),
            "3 +32 471 99 88 77 |1 0471 123 456 mobile|1 02 555 12 12 work|4 0471 12 34 56 home (old)",
            phone);
        // A sort clause the rewrite does not understand fails as SQLite
        // reports it, never runs with terms dropped.
        row("empty sort term", list + QStringLiteral("ORDER BY Lastname, , Firstname "),
            "error 1: near \",\": syntax error");
        row("COLLATE before its term",
            list + QStringLiteral("ORDER BY Lastname DESC, COLLATE 'x' Firstname "),
            "error 1: near \"COLLATE\": syntax error");
        row("sort terms without comma", list + QStringLiteral("ORDER BY Lastname Firstname "),
            "error 1: near \"Firstname\": syntax error");
        // Nothing after a NUL character would reach SQLite: refused whole.
        row("NUL character",
            list + QStringLiteral("ORDER BY Lastname") + QChar(0) + QStringLiteral(", Firstname "),
            "error 1: The statement holds a NUL character.");
        row("trailing comma", list + QStringLiteral("ORDER BY Lastname, "),
            "error 1: near \" \": syntax error");
        // Order unbracketed, and fields of two tables with the same name.
        row("first e-mail of each",
            QStringLiteral("SELECT Person.Contactnr, Firstname, Lastname, Email.Contactnr, "
                           "Order, Email FROM Person, Email WHERE Person.Contactnr = "
                           "Email.Contactnr AND Email.Order = 1 ") +
                byName,
            "2 2 1 emile@example.fr|1 1 1 anne@example.org|4 4 1 zimmer@EXAMPLE.org",
            {"Person.Contactnr", "Email.Contactnr", "Order", "Email"});
    }
    void statements()
    {
        QFETCH(QString, statement);
        QFETCH(QStringList, fields);
        QTEST(test::rows(m_book, statement, fields), "expected");
    }
};

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
