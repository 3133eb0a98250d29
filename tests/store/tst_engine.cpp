#include "TestBook.h"
#include "TestEnv.h"

using namespace velmora;

namespace {

const QString kAll = QStringLiteral("SELECT * FROM Person ORDER BY Contactnr");

QString firstNames(Connection &c, const QString &statement = kAll)
{
    return test::rows(c, statement, {"Firstname"});
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    QString path(const QString &name) const { return m_env.file(name); }

    // A new book of that name in the narrow layout, open on c, with two
    // persons, one phone and one e-mail address each.
    void openBook(Connection &c, const QString &name)
    {
        const QString phone = QStringLiteral("Phone"), email = QStringLiteral("Email");
        test::createBook(
            c, path(name),
            {test::person(1, "Anne", "Zimmermann", "#12/31/1970#", "Main Street 1", "likes tea"),
             test::person(2, "Émile", "Dubois"), test::entry(phone, 1, 1, "0471 123 456", "mobile"),
             test::entry(phone, 2, 1, "02 555 12 12"), test::entry(email, 1, 1, "anne@example.org", "home"),
             test::entry(email, 2, 1, "emile@example.org")});
    }

private slots:
    // A book copied with a password is unreadable without it, and copied
    // back it is a plain file again. Cut short, either fails cleanly, never
    // as a wrong password.
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
        const QString plain = path("plain.mdb"), locked = path("locked.mdb"), reopened = path("reopened.mdb");
        QFile::remove(locked);
        QFile::remove(reopened);
        {
            Connection c; // enough rows for several pages
            openBook(c, "plain.mdb");
            test::run(c, {test::persons(3, 400, "First", "Last")});
        }
        const DbError compacted = compactInto(plain, QString(), locked, password);
        QVERIFY2(!compacted, qPrintable(compacted.description));
        const QByteArray bytes = test::readAll(locked);
        QVERIFY(!bytes.isEmpty());
        for (const char *word :
             {"SQLite format", "Person", "Firstname", "Zimmermann", "anne@example", "0471"})
            QVERIFY2(!bytes.contains(word), word);

        const QString some =
            QStringLiteral("SELECT * FROM Person WHERE Contactnr IN(1, 2, 400) ORDER BY Contactnr");
        Connection c;
        QCOMPARE(c.open(locked, QString()).number, kWrongPasswordError);
        QCOMPARE(c.open(locked, password + QStringLiteral("x")).number, kWrongPasswordError);
        QCOMPARE(c.state(), 0);
        QVERIFY(!c.open(locked, password));
        QCOMPARE(firstNames(c, some), QStringLiteral("Anne|Émile|First"));
        int count = 0;
        QVERIFY(!catalog::columnCount(c, QStringLiteral("Person"), count));
        QCOMPARE(count, 6);
        c.close();

        QVERIFY(!compactInto(locked, password, reopened, QString()));
        // A password left over from a protected book does not stop a plain one.
        QVERIFY(!c.open(reopened, QStringLiteral("stale")));
        QCOMPARE(c.mode(), kModeReadWrite);
        QCOMPARE(firstNames(c, some), QStringLiteral("Anne|Émile|First"));
        c.close();

        for (const auto &[file, key] : {std::pair(locked, password), std::pair(reopened, QString())}) {
            QFile f(file);
            const qint64 size = f.size();
            QVERIFY(size > 8192);
            for (qint64 cut : {size / 2 + 100, size / 2 / 1024 * 1024, qint64(1024)}) {
                QVERIFY(f.resize(cut));
                DbError e = c.open(file, key);
                if (!e) {
                    // Page one survived: reading the rows must fail cleanly.
                    Recordset rs;
                    e = openRecordset(c, QStringLiteral("SELECT * FROM Person"), rs);
                }
                QVERIFY2(e.failed(), qPrintable(QString::number(cut)));
                QVERIFY(e.number != kWrongPasswordError);
                c.close();
            }
        }
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
        openBook(c, "typed.mdb");
        test::run(c, {test::person(3, value, value, "Null", value, value),
                      test::entry(QStringLiteral("Phone"), 3, 1, value, value)});
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
        QCOMPARE(test::rows(c, QStringLiteral("SELECT * FROM Person WHERE Note = '%1'").arg(sqlQuote(value))),
                 QStringLiteral("3"));
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
        openBook(c, "dates.mdb");
        test::run(c, {QStringLiteral("UPDATE Person SET Dateofbirth = %1 WHERE Contactnr = 2").arg(literal)});
        Recordset rs;
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT Dateofbirth FROM Person WHERE Contactnr = 2"), rs));
        const QVariant v = rs.field(QStringLiteral("Dateofbirth"));
        QCOMPARE(v, date.isValid() ? QVariant(date) : QVariant());
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
        // Undone together: nothing of the person is gone.
        QTest::newRow("rollback") << "ROLLBACK";
    }
    void badStatements()
    {
        QFETCH(QString, statement);
        Connection c;
        openBook(c, "bad.mdb");
        if (statement == QLatin1String("ROLLBACK")) {
            test::run(c, {"BEGIN", "DELETE FROM Phone WHERE Contactnr = 1",
                          "DELETE FROM Email WHERE Contactnr = 1", "DELETE FROM Person WHERE Contactnr = 1",
                          "ROLLBACK"});
        } else {
            const DbError e = c.execute(statement);
            QVERIFY(e.failed());
            QVERIFY(!e.description.isEmpty());
            Recordset rs;
            QVERIFY(openRecordset(c, statement, rs).failed());
            QCOMPARE(rs.recordCount(), 0);
        }
        QCOMPARE(test::rows(c, QStringLiteral("SELECT * FROM Phone ORDER BY Contactnr")),
                 QStringLiteral("1|2"));
        QCOMPARE(firstNames(c), QStringLiteral("Anne|Émile"));
        int size = 0;
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Person"), QStringLiteral("Firstname"), size));
        QCOMPARE(size, 20);
    }

    void namesSortTheWayPeopleExpect()
    {
        Connection c;
        const QStringList names = {"zoe",  "Émile", "anne",  "Zacharias", "Emma",
                                   "Anne", "Ödön",  "Oscar", "Eve",       "ander"};
        QStringList inserts;
        for (int i = 0; i < names.size(); ++i)
            inserts << test::person(i + 1, names[i], QStringLiteral("X"));
        test::createBook(c, path("sort.mdb"), inserts);
        QCOMPARE(firstNames(c, QStringLiteral("SELECT Contactnr, Firstname, Lastname FROM Person "
                                              "ORDER BY Lastname, Firstname ")),
                 QStringLiteral("ander|anne|Anne|Émile|Emma|Eve|Ödön|Oscar|Zacharias|zoe"));
        // The same order through the collation, where a sort key cannot be used.
        QCOMPARE(
            firstNames(c, QStringLiteral("SELECT Firstname FROM Person UNION SELECT Lastname FROM Person "
                                         "ORDER BY Firstname")),
            QStringLiteral("ander|anne|Anne|Émile|Emma|Eve|Ödön|Oscar|X|Zacharias|zoe"));
        // Numbers keep their order.
        QCOMPARE(firstNames(c, QStringLiteral("SELECT Firstname FROM Person WHERE Contactnr IN(2,10,9) "
                                              "ORDER BY Contactnr DESC")),
                 QStringLiteral("ander|Eve|Émile"));
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
