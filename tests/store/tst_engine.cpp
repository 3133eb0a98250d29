#include "TestEnv.h"

#include "store/Database.h"
#include "store/Engine.h"

#include <QFile>
#include <QtTest>

using namespace velmora;

namespace {

// A new book in the narrow layout with two persons, one phone and one
// e-mail address each.
void makeBook(const QString &path)
{
    QFile::remove(path);
    QVERIFY(!catalog::createFile(path));
    Connection c;
    QVERIFY(!c.open(path, QString()));
    const QStringList rows =
        Database::createTableStatements() +
        QStringList{
            "BEGIN",
            "INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
            "VALUES(1, 'Anne', 'Zimmermann', #12/31/1970#, 'Main Street 1', 'likes tea') ",
            "INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
            "VALUES(2, 'Émile', 'Dubois', Null, '', '') ",
            "INSERT INTO Phone(ContactNr, [Order], [Number], Description) VALUES(1, 1, '0471 123 456', "
            "'mobile') ",
            "INSERT INTO Phone(ContactNr, [Order], [Number], Description) VALUES(2, 1, '02 555 12 12', '') ",
            "INSERT INTO Email(ContactNr, [Order], Email, Description) VALUES(1, 1, 'anne@example.org', "
            "'home') ",
            "INSERT INTO Email(ContactNr, [Order], Email, Description) VALUES(2, 1, 'emile@example.org', "
            "'') ",
            "COMMIT",
        };
    for (const QString &s : rows) {
        const DbError e = c.execute(s);
        QVERIFY2(!e, qPrintable(s + QStringLiteral(": ") + e.description));
    }
}

QString firstNames(Connection &c,
                   const QString &statement = QStringLiteral("SELECT * FROM Person ORDER BY Contactnr"))
{
    Recordset rs;
    if (const DbError e = openRecordset(c, statement, rs))
        return QStringLiteral("error: ") + e.description;
    QStringList names;
    for (; !rs.eof(); rs.moveNext())
        names << rs.text(QStringLiteral("Firstname"));
    return names.join(QLatin1Char(','));
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    QString path(const QString &name) const { return m_env.file(name); }

    // A fresh two-person book of that name, open on c.
    void openBook(Connection &c, const QString &name)
    {
        makeBook(path(name));
        QVERIFY(!c.open(path(name), QString()));
    }

private slots:
    void truncatedBooks_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("plain") << QString();
        QTest::newRow("protected") << QStringLiteral("pw");
    }
    void truncatedBooks()
    {
        QFETCH(QString, password);
        const QString plain = path(QStringLiteral("full.mdb"));
        const QString book = path(QStringLiteral("tobecut.mdb"));
        QFile::remove(book);
        {
            // Enough rows for several pages.
            Connection c;
            openBook(c, QStringLiteral("full.mdb"));
            QVERIFY(!c.execute(
                QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Address, [Note]) "
                               "WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n "
                               "WHERE i < 400) SELECT i, 'First ' || i, 'Last ' || i, 'Street ' "
                               "|| i, 'A note of some length for row ' || i FROM n")));
        }
        QVERIFY(!compactInto(plain, QString(), book, password));
        QFile f(book);
        const qint64 size = f.size();
        QVERIFY(size > 8192);
        for (qint64 cut : {size / 2 + 100, size / 2 / 1024 * 1024, qint64(1024)}) {
            QVERIFY(f.resize(cut));
            Connection c;
            DbError e = c.open(book, password);
            if (!e) {
                // Page one survived: reading the rows must fail cleanly.
                Recordset rs;
                e = openRecordset(c, QStringLiteral("SELECT * FROM Person"), rs);
            }
            QVERIFY2(e.failed(), qPrintable(QString::number(cut)));
            QVERIFY(e.number != kWrongPasswordError);
        }
    }

    void passwords_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("word") << QStringLiteral("secret");
        QTest::newRow("semicolon") << QStringLiteral("a;b;Data Source=x");
        QTest::newRow("quotes") << QStringLiteral("it's \"quoted\"");
        QTest::newRow("non-ASCII") << QStringLiteral("Grüße €");
        QTest::newRow("blanks") << QStringLiteral("  ");
        QTest::newRow("sql") << QStringLiteral("x'; DROP TABLE Person; --");
    }
    void passwords()
    {
        QFETCH(QString, password);
        const QString plain = path(QStringLiteral("plain.mdb"));
        const QString locked = path(QStringLiteral("locked.mdb"));
        const QString reopened = path(QStringLiteral("reopened.mdb"));
        for (const QString &f : {locked, reopened})
            QFile::remove(f);
        makeBook(plain);

        const DbError compacted = compactInto(plain, QString(), locked, password);
        QVERIFY2(!compacted, qPrintable(compacted.description));
        QFile f(locked);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        for (const char *word :
             {"SQLite format", "Person", "Firstname", "Zimmermann", "anne@example", "0471"})
            QVERIFY2(!bytes.contains(word), word);

        Connection c;
        QCOMPARE(c.open(locked, QString()).number, kWrongPasswordError);
        QCOMPARE(c.open(locked, password + QStringLiteral("x")).number, kWrongPasswordError);
        QCOMPARE(c.state(), 0);
        QVERIFY(!c.open(locked, password));
        QCOMPARE(firstNames(c), QStringLiteral("Anne,Émile"));
        int count = 0;
        QVERIFY(!catalog::columnCount(c, QStringLiteral("Person"), count));
        QCOMPARE(count, 6);
        c.close();

        // And back to plain.
        QVERIFY(!compactInto(locked, password, reopened, QString()));
        // A password left over from a protected book does not stop a plain one.
        QVERIFY(!c.open(reopened, QStringLiteral("stale")));
        QCOMPARE(c.mode(), kModeReadWrite);
        QCOMPARE(firstNames(c), QStringLiteral("Anne,Émile"));
    }

    // Text that looks like a number, a date or SQL stays as typed.
    void textKeepsWhatWasTyped_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("exponent") << QStringLiteral("1e5");
        QTest::newRow("leading zeros") << QStringLiteral("007");
        QTest::newRow("number with blanks") << QStringLiteral(" 12 ");
        QTest::newRow("decimal") << QStringLiteral("3.10");
        QTest::newRow("date literal") << QStringLiteral("#1/2/2000#");
        QTest::newRow("keywords") << QStringLiteral("Order by Number, Note; Month(x) -- not a comment");
        QTest::newRow("quote and brackets") << QStringLiteral("O'Brien [Note] /* no comment */");
        QTest::newRow("lines") << QStringLiteral("line 1\r\nline 2\ttab");
    }
    void textKeepsWhatWasTyped()
    {
        QFETCH(QString, value);
        Connection c;
        openBook(c, QStringLiteral("typed.mdb"));
        QString quoted = value;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        QVERIFY(!c.execute(
            QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, "
                           "[Note]) VALUES(3, '%1', '%1', Null, '%1', '%1') ")
                .arg(quoted)));
        QVERIFY(!c.execute(QStringLiteral("INSERT INTO Phone(ContactNr, [Order], [Number], Description) "
                                          "VALUES(3, 1, '%1', '%1') ")
                               .arg(quoted)));
        Recordset rs;
        QVERIFY(!openRecordset(c,
                               QStringLiteral("SELECT * FROM Person, Phone WHERE Person.Contactnr = 3 AND "
                                              "Phone.Contactnr = Person.Contactnr"),
                               rs));
        for (const char *name : {"Firstname", "Address", "Note", "Number", "Description"}) {
            const QVariant v = rs.field(QString::fromLatin1(name));
            QCOMPARE(v.typeId(), QMetaType::QString);
            QCOMPARE(v.toString(), value);
        }
        QVERIFY(
            !openRecordset(c, QStringLiteral("SELECT Note FROM Person WHERE Note = '%1'").arg(quoted), rs));
        QCOMPARE(rs.recordCount(), 1);
    }

    void datesRoundTrip_data()
    {
        QTest::addColumn<QString>("literal");
        QTest::addColumn<QDate>("date");
        QTest::newRow("month first") << "#12/31/1970#" << QDate(1970, 12, 31);
        QTest::newRow("leading zeros") << "#02/29/2000#" << QDate(2000, 2, 29);
        QTest::newRow("single digits") << "#1/2/2003#" << QDate(2003, 1, 2);
        QTest::newRow("two-digit year, old") << "#5/6/75#" << QDate(1975, 5, 6);
        QTest::newRow("two-digit year, new") << "#5/6/07#" << QDate(2007, 5, 6);
        QTest::newRow("early year") << "#1/1/1753#" << QDate(1753, 1, 1);
        QTest::newRow("Null") << "Null" << QDate();
    }
    void datesRoundTrip()
    {
        QFETCH(QString, literal);
        QFETCH(QDate, date);
        Connection c;
        openBook(c, QStringLiteral("dates.mdb"));
        QVERIFY(!c.execute(
            QStringLiteral("UPDATE Person SET Dateofbirth = %1 WHERE Contactnr = 2").arg(literal)));
        Recordset rs;
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT Dateofbirth FROM Person WHERE Contactnr = 2"), rs));
        QCOMPARE(rs.field(QStringLiteral("Dateofbirth")).toDate(), date);
        QCOMPARE(rs.isNull(QStringLiteral("Dateofbirth")), !date.isValid());
    }

    // A failing statement leaves the book as it was.
    void badStatements_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("syntax") << "SELEC * FROM Person";
        QTest::newRow("no table") << "SELECT * FROM Nobody";
        QTest::newRow("two statements") << "DELETE FROM Phone; DELETE FROM Email";
        QTest::newRow("empty") << "   ";
        QTest::newRow("unclosed text") << "SELECT * FROM Person WHERE Firstname = 'Anne";
        QTest::newRow("unclosed bracket") << "SELECT [Note FROM Person";
        QTest::newRow("lone hash") << "SELECT * FROM Person WHERE Dateofbirth = #12/31";
        QTest::newRow("duplicate key") << "INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, "
                                          "Address, [Note]) VALUES(1, '', '', Null, '', '') ";
        QTest::newRow("person before its phones") << "DELETE FROM Person WHERE Contactnr = 1";
        QTest::newRow("alter, no table") << "ALTER TABLE Nobody ALTER COLUMN Firstname CHAR(50) ";
        QTest::newRow("alter, no column") << "ALTER TABLE Person ALTER COLUMN Middlename CHAR(50) ";
        QTest::newRow("alter to another kind") << "ALTER TABLE Person ALTER COLUMN Firstname SMALLINT ";
    }
    void badStatements()
    {
        QFETCH(QString, statement);
        Connection c;
        openBook(c, QStringLiteral("bad.mdb"));
        const DbError e = c.execute(statement);
        QVERIFY(e.failed());
        QVERIFY(!e.description.isEmpty());
        Recordset rs;
        QVERIFY(openRecordset(c, statement, rs).failed());
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT * FROM Phone"), rs));
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(firstNames(c), QStringLiteral("Anne,Émile"));
        int size = 0;
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Person"), QStringLiteral("Firstname"), size));
        QCOMPARE(size, 20);
    }

    void rollbackKeepsEverything()
    {
        Connection c;
        openBook(c, QStringLiteral("keys.mdb"));
        for (const char *s :
             {"BEGIN", "DELETE FROM Phone WHERE Contactnr = 1", "DELETE FROM Email WHERE Contactnr = 1",
              "DELETE FROM Person WHERE Contactnr = 1", "ROLLBACK"})
            QVERIFY2(!c.execute(QString::fromLatin1(s)), s);
        QCOMPARE(firstNames(c), QStringLiteral("Anne,Émile"));
        Recordset rs;
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT * FROM Phone"), rs));
        QCOMPARE(rs.recordCount(), 2);
    }

    void namesSortTheWayPeopleExpect()
    {
        Connection c;
        openBook(c, QStringLiteral("sort.mdb"));
        for (const char *s : {"DELETE FROM Phone", "DELETE FROM Email", "DELETE FROM Person"})
            QVERIFY(!c.execute(QString::fromLatin1(s)));
        const QStringList names = {"zoe",  "Émile", "anne",  "Zacharias", "Emma",
                                   "Anne", "Ödön",  "Oscar", "Eve",       "ander"};
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY(!c.execute(QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname) "
                                              "VALUES(%1, '%2', 'X') ")
                                   .arg(i + 1)
                                   .arg(names[i])));
        }
        QCOMPARE(firstNames(c, QStringLiteral("SELECT Contactnr, Firstname, Lastname FROM Person "
                                              "ORDER BY Lastname, Firstname ")),
                 QStringLiteral("ander,anne,Anne,Émile,Emma,Eve,Ödön,Oscar,Zacharias,zoe"));
        // The same order through the collation, where a sort key cannot be used.
        QCOMPARE(
            firstNames(c, QStringLiteral("SELECT Firstname FROM Person UNION SELECT Lastname FROM Person "
                                         "ORDER BY Firstname")),
            QStringLiteral("ander,anne,Anne,Émile,Emma,Eve,Ödön,Oscar,X,Zacharias,zoe"));
        // Numbers keep their order.
        QCOMPARE(firstNames(c, QStringLiteral("SELECT Firstname FROM Person WHERE Contactnr IN(2,10,9) "
                                              "ORDER BY Contactnr DESC")),
                 QStringLiteral("ander,Eve,Émile"));
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
