#include "TestEnv.h"

#include "store/Engine.h"
#include "store/SortCollator.h"
#include "store/SqlTranslator.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <random>

#include <sqlite3.h>
#include <unistd.h>

using namespace velmora;

namespace {

const QString kCreatePerson = QStringLiteral(
    "CREATE TABLE Person ( Contactnr SMALLINT, Firstname CHAR(20), Lastname CHAR(20), Dateofbirth DATE, "
    "Address MEMO, [Note] MEMO, CONSTRAINT ContactPK PRIMARY KEY(Contactnr) ) ");
const QString kCreatePhone = QStringLiteral(
    "CREATE TABLE Phone ( Contactnr SMALLINT, [Order] TINYINT, [Number] CHAR(20), Description CHAR(15), "
    "CONSTRAINT PhonePK PRIMARY KEY(Contactnr, [Order]), CONSTRAINT PhoneFK FOREIGN KEY(Contactnr) "
    "REFERENCES Person(Contactnr) ) ");
const QString kCreateEmail = QStringLiteral(
    "CREATE TABLE Email ( Contactnr SMALLINT, [Order] TINYINT, Email CHAR(50), Description CHAR(15), "
    "CONSTRAINT EmailPK PRIMARY KEY(Contactnr, [Order]), CONSTRAINT EmailFK FOREIGN KEY(Contactnr) "
    "REFERENCES Person(Contactnr) ) ");

// A new book in the narrow layout with two persons, one phone and one
// e-mail address each.
void makeBook(const QString &path)
{
    QVERIFY(!catalog::createFile(path));
    Connection c;
    QVERIFY(!c.open(path, QString()));
    for (const QString &s : {kCreatePerson, kCreatePhone, kCreateEmail})
        QVERIFY2(!c.execute(s), qPrintable(s));
    const QStringList rows = {
        "INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
        "VALUES(1, 'Anne', 'Zimmermann', #12/31/1970#, 'Main Street 1', 'likes tea') ",
        "INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, [Note]) "
        "VALUES(2, 'Émile', 'Dubois', Null, '', '') ",
        "INSERT INTO Phone(ContactNr, [Order], [Number], Description) VALUES(1, 1, '0471 123 456', "
        "'mobile') ",
        "INSERT INTO Phone(ContactNr, [Order], [Number], Description) VALUES(2, 1, '02 555 12 12', '') ",
        "INSERT INTO Email(ContactNr, [Order], Email, Description) VALUES(1, 1, 'anne@example.org', 'home') ",
        "INSERT INTO Email(ContactNr, [Order], Email, Description) VALUES(2, 1, 'emile@example.org', '') ",
    };
    QVERIFY(!c.execute(QStringLiteral("BEGIN")));
    for (const QString &s : rows) {
        const DbError e = c.execute(s);
        QVERIFY2(!e, qPrintable(s + QStringLiteral(": ") + e.description));
    }
    QVERIFY(!c.execute(QStringLiteral("COMMIT")));
}

QString firstNames(Connection &c, const QString &statement)
{
    Recordset rs;
    const DbError e = openRecordset(c, statement, rs);
    if (e)
        return QStringLiteral("error: ") + e.description;
    QStringList names;
    for (; !rs.eof(); rs.moveNext())
        names << rs.text(QStringLiteral("Firstname"));
    return names.join(QLatin1Char(','));
}

bool isRoot()
{
    return ::geteuid() == 0;
}

// Runs a stock command-line tool on a file with the given SQL; empty when the
// tool is not installed.
bool runTool(const QString &tool, const QString &path, const QString &sql, QString &output)
{
    const QString exe = QStandardPaths::findExecutable(tool);
    if (exe.isEmpty())
        return false;
    QProcess p;
    p.start(exe, {path});
    p.waitForStarted();
    p.write(sql.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(30000);
    output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return true;
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
private:
    test::TestEnv m_env;
    QString path(const QString &name) const { return m_env.file(name); }

private slots:
    void connectionStates()
    {
        const QString file = path(QStringLiteral("states.mdb"));
        makeBook(file);
        Connection c;
        QCOMPARE(c.state(), 0);
        QCOMPARE(c.dataSource(), QString());
        QVERIFY(!c.open(file, QString()));
        QCOMPARE(c.state(), 1);
        QCOMPARE(c.mode(), kModeReadWrite);
        QCOMPARE(c.dataSource(), file);
        c.close();
        QCOMPARE(c.state(), 0);
        QCOMPARE(c.dataSource(), file);
        // Statements on a closed connection fail without touching anything.
        QVERIFY(c.execute(QStringLiteral("SELECT 1")).failed());
        Recordset rs;
        QVERIFY(openRecordset(c, QStringLiteral("SELECT * FROM Person"), rs).failed());
        QVERIFY(rs.eof());
    }

    void readOnlyFile()
    {
        if (isRoot())
            QSKIP("file permissions do not bind the super-user");
        const QString file = path(QStringLiteral("readonly.mdb"));
        makeBook(file);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        QVERIFY(c.mode() != kModeReadWrite);
        QCOMPARE(firstNames(c, QStringLiteral("SELECT * FROM Person ORDER BY Contactnr")),
                 QStringLiteral("Anne,Émile"));
        QVERIFY(c.execute(QStringLiteral("DELETE FROM Phone WHERE Contactnr = 1")).failed());
    }

    void filesThatAreNoBook_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("This is a letter, not an address book.\r\n").repeated(40);
        QTest::newRow("text of whole pages") << QByteArray("abcdefgh").repeated(512);
        QTest::newRow("zeros") << QByteArray(4096, '\0');
        QTest::newRow("short header") << QByteArray("SQLite format 3\0", 16);
        QByteArray bin(1000, '\0');
        for (int i = 0; i < bin.size(); ++i)
            bin[i] = char((i * 7919) % 251 + 1);
        QTest::newRow("odd size") << bin;
    }
    void filesThatAreNoBook()
    {
        QFETCH(QByteArray, content);
        const QString file = path(QStringLiteral("garbage.mdb"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
        for (const QString &password : {QString(), QStringLiteral("secret")}) {
            Connection c;
            const DbError e = c.open(file, password);
            QVERIFY(e.failed());
            QVERIFY(e.number != kWrongPasswordError);
            QVERIFY(!e.description.isEmpty());
            QCOMPARE(c.state(), 0);
        }
        QFile::remove(file);
    }

    void missingFile()
    {
        Connection c;
        const DbError e = c.open(path(QStringLiteral("nothing-here.mdb")), QString());
        QVERIFY(e.failed());
        QVERIFY(e.number != kWrongPasswordError);
        QVERIFY(!QFile::exists(path(QStringLiteral("nothing-here.mdb"))));
    }

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
        QFile::remove(plain);
        QFile::remove(book);
        makeBook(plain);
        {
            // Enough rows for several pages.
            Connection c;
            QVERIFY(!c.open(plain, QString()));
            QVERIFY(!c.execute(QStringLiteral("BEGIN")));
            for (int i = 3; i < 400; ++i) {
                QVERIFY(!c.execute(
                    QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, "
                                   "Address, [Note]) VALUES(%1, 'First %1', 'Last %1', Null, "
                                   "'Street %1', 'A note of some length for row %1') ")
                        .arg(i)));
            }
            QVERIFY(!c.execute(QStringLiteral("COMMIT")));
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
        const QString changed = path(QStringLiteral("changed.mdb"));
        for (const QString &f : {plain, locked, reopened, changed})
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
        QCOMPARE(firstNames(c, QStringLiteral("SELECT * FROM Person ORDER BY Contactnr")),
                 QStringLiteral("Anne,Émile"));
        int count = 0;
        QVERIFY(!catalog::columnCount(c, QStringLiteral("Person"), count));
        QCOMPARE(count, 6);
        c.close();

        // Protected to protected with another password, and back to plain.
        QVERIFY(!compactInto(locked, password, changed, QStringLiteral("other")));
        QCOMPARE(c.open(changed, password).number, kWrongPasswordError);
        QVERIFY(!c.open(changed, QStringLiteral("other")));
        c.close();
        QVERIFY(!compactInto(locked, password, reopened, QString()));
        QVERIFY(!c.open(reopened, QString()));
        QCOMPARE(firstNames(c, QStringLiteral("SELECT * FROM Person ORDER BY Contactnr")),
                 QStringLiteral("Anne,Émile"));
        // A password left over from a protected book does not stop a plain one.
        c.close();
        QVERIFY(!c.open(reopened, QStringLiteral("stale")));
        QCOMPARE(c.mode(), kModeReadWrite);
    }

    void compactionNeverOverwrites()
    {
        const QString a = path(QStringLiteral("keep-a.mdb"));
        const QString b = path(QStringLiteral("keep-b.mdb"));
        makeBook(a);
        makeBook(b);
        const QByteArray before = [&] {
            QFile f(b);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QVERIFY(compactInto(a, QString(), b, QString()).failed());
        QFile f(b);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        // A wrong source password fails distinctly and leaves no file behind.
        const QString locked = path(QStringLiteral("keep-locked.mdb"));
        const QString copy = path(QStringLiteral("keep-copy.mdb"));
        QVERIFY(!compactInto(a, QString(), locked, QStringLiteral("pw")));
        QCOMPARE(compactInto(locked, QStringLiteral("nope"), copy, QString()).number, kWrongPasswordError);
        QVERIFY(!QFile::exists(copy));
    }

    void stockToolsOpenTheFiles()
    {
        const QString plain = path(QStringLiteral("tool-plain.mdb"));
        const QString locked = path(QStringLiteral("tool-locked.mdb"));
        makeBook(plain);
        {
            Connection c;
            QVERIFY(!c.open(plain, QString()));
            QVERIFY(!c.execute(QStringLiteral("ALTER TABLE Person ALTER COLUMN Lastname CHAR(50) ")));
        }
        QVERIFY(!compactInto(plain, QString(), locked, QStringLiteral("it's; ü")));
        QString out;
        if (!runTool(QStringLiteral("sqlite3"), plain,
                     QStringLiteral("SELECT Lastname FROM Person ORDER BY Contactnr;\n"
                                    "SELECT count(*) FROM Phone; SELECT count(*) FROM Email;\n"),
                     out))
            QSKIP("sqlite3 is not installed");
        QCOMPARE(out, QStringLiteral("Zimmermann\nDubois\n2\n2\n"));
        if (!runTool(
                QStringLiteral("sqlcipher"), locked,
                QStringLiteral("PRAGMA key='it''s; ü';\nSELECT Lastname FROM Person ORDER BY Contactnr;\n"),
                out))
            QSKIP("sqlcipher is not installed");
        QVERIFY2(out.endsWith(QStringLiteral("Zimmermann\nDubois\n")), qPrintable(out));
    }

    void recordsetFields()
    {
        const QString file = path(QStringLiteral("fields.mdb"));
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        Recordset rs;
        QVERIFY(!openRecordset(c,
                               QStringLiteral("SELECT * FROM Person, Email WHERE Person.Contactnr = "
                                              "Email.Contactnr ORDER BY Person.Contactnr"),
                               rs));
        QCOMPARE(rs.recordCount(), 2);
        QVERIFY(!rs.bof());
        QVERIFY(!rs.eof());
        QCOMPARE(rs.field(QStringLiteral("Dateofbirth")), QVariant(QDate(1970, 12, 31)));
        QCOMPARE(rs.field(QStringLiteral("person.contactnr")).toInt(), 1);
        QCOMPARE(rs.field(QStringLiteral("Email.Description")).toString(), QStringLiteral("home"));
        QCOMPARE(rs.field(QStringLiteral("Description")).toString(), QStringLiteral("home"));
        QVERIFY(!rs.field(QStringLiteral("NoSuchColumn")).isValid());
        rs.moveNext();
        QVERIFY(rs.isNull(QStringLiteral("Dateofbirth")));
        QCOMPARE(rs.text(QStringLiteral("Firstname")), QStringLiteral("Émile"));
        rs.moveNext();
        QVERIFY(rs.eof());
        QVERIFY(!rs.field(QStringLiteral("Firstname")).isValid());
        rs.moveNext();
        QVERIFY(rs.eof());
        rs.moveFirst();
        QCOMPARE(rs.text(QStringLiteral("Lastname")), QStringLiteral("Zimmermann"));

        // Two columns of one name, told apart by table.
        QVERIFY(
            !openRecordset(c,
                           QStringLiteral("SELECT Person.Contactnr, Firstname, Email.Contactnr, Order, Email "
                                          "FROM Person, Email WHERE Person.Contactnr = Email.Contactnr "
                                          "AND Email.Order = 1 ORDER BY Lastname, Firstname "),
                           rs));
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(rs.field(QStringLiteral("Email.Contactnr")).toInt(), 2);
        QCOMPARE(rs.field(QStringLiteral("Person.Contactnr")).toInt(), 2);
        QCOMPARE(rs.field(QStringLiteral("Order")).toInt(), 1);

        // An empty result: both ends at once.
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT * FROM Person WHERE 1 = 2 "), rs));
        QVERIFY(rs.eof());
        QVERIFY(rs.bof());
        QCOMPARE(rs.recordCount(), 0);
    }

    void textKeepsWhatWasTyped_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("exponent") << QStringLiteral("1e5");
        QTest::newRow("leading zeros") << QStringLiteral("007");
        QTest::newRow("number with blanks") << QStringLiteral(" 12 ");
        QTest::newRow("decimal") << QStringLiteral("3.10");
        QTest::newRow("date literal") << QStringLiteral("#1/2/2000#");
        QTest::newRow("keywords") << QStringLiteral("Order by Number, Note; Month(x) -- not a comment");
        QTest::newRow("quote") << QStringLiteral("O'Brien");
        QTest::newRow("brackets") << QStringLiteral("[Note] /* no comment */");
        QTest::newRow("lines") << QStringLiteral("line 1\r\nline 2\ttab");
    }
    void textKeepsWhatWasTyped()
    {
        QFETCH(QString, value);
        const QString file = path(QStringLiteral("typed.mdb"));
        QFile::remove(file);
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
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
        QVERIFY(!c.execute(
            QStringLiteral("UPDATE Person SET Firstname = '%1', [Note] = '%1' WHERE Contactnr = 3 ")
                .arg(quoted)));
        QVERIFY(
            !openRecordset(c, QStringLiteral("SELECT Note FROM Person WHERE Note = '%1'").arg(quoted), rs));
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.text(QStringLiteral("Note")), value);
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
        const QString file = path(QStringLiteral("dates.mdb"));
        QFile::remove(file);
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        QVERIFY(!c.execute(
            QStringLiteral("UPDATE Person SET Dateofbirth = %1 WHERE Contactnr = 2").arg(literal)));
        Recordset rs;
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT Dateofbirth FROM Person WHERE Contactnr = 2"), rs));
        QCOMPARE(rs.field(QStringLiteral("Dateofbirth")).toDate(), date);
        QCOMPARE(rs.isNull(QStringLiteral("Dateofbirth")), !date.isValid());
    }

    void invalidDateLiteralIsRefused()
    {
        const QString file = path(QStringLiteral("baddate.mdb"));
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        const DbError e =
            c.execute(QStringLiteral("UPDATE Person SET Dateofbirth = #2/30/2001# WHERE Contactnr = 2"));
        QVERIFY(e.failed());
        Recordset rs;
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT Dateofbirth FROM Person WHERE Contactnr = 2"), rs));
        QVERIFY(rs.isNull(QStringLiteral("Dateofbirth")));
    }

    void widenColumns()
    {
        const QString file = path(QStringLiteral("narrow.mdb"));
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        int size = 0;
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Person"), QStringLiteral("Lastname"), size));
        QCOMPARE(size, 20);
        const QStringList upgrade = {
            "ALTER TABLE Person ALTER COLUMN Firstname CHAR(50) ",
            "ALTER TABLE Person ALTER COLUMN Lastname CHAR(50) ",
            "ALTER TABLE Phone ALTER COLUMN [Number] CHAR(50) ",
            "ALTER TABLE Phone ALTER COLUMN Description CHAR(100) ",
            "ALTER TABLE Email ALTER COLUMN Email CHAR(100) ",
            "ALTER TABLE Email ALTER COLUMN Description CHAR(100) ",
        };
        for (const QString &s : upgrade)
            QVERIFY2(!c.execute(s), qPrintable(s));
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Person"), QStringLiteral("Lastname"), size));
        QCOMPARE(size, 50);
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Phone"), QStringLiteral("Number"), size));
        QCOMPARE(size, 50);
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Email"), QStringLiteral("description"), size));
        QCOMPARE(size, 100);
        // The rows, the keys and the text kind stay.
        QCOMPARE(firstNames(c, QStringLiteral("SELECT * FROM Person ORDER BY Contactnr")),
                 QStringLiteral("Anne,Émile"));
        QVERIFY(c.execute(QStringLiteral(
                              "INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, Address, "
                              "[Note]) VALUES(1, 'x', 'y', Null, '', '') "))
                    .failed());
        QVERIFY(c.execute(QStringLiteral("INSERT INTO Phone(ContactNr, [Order], [Number], Description) "
                                         "VALUES(9, 1, '1', '') "))
                    .failed());
        QVERIFY(!c.execute(QStringLiteral("UPDATE Person SET Firstname = '007' WHERE Contactnr = 1")));
        QCOMPARE(firstNames(c, QStringLiteral("SELECT * FROM Person WHERE Contactnr = 1")),
                 QStringLiteral("007"));
        c.close();
        // Kept in the file, and the file is sound.
        QVERIFY(!c.open(file, QString()));
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Person"), QStringLiteral("Firstname"), size));
        QCOMPARE(size, 50);
        Recordset rs;
        QVERIFY(!openRecordset(c, QStringLiteral("PRAGMA integrity_check"), rs));
        QCOMPARE(rs.field(QStringLiteral("integrity_check")).toString(), QStringLiteral("ok"));
        // Widening again changes nothing.
        QVERIFY(!c.execute(upgrade.first()));
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Person"), QStringLiteral("Firstname"), size));
        QCOMPARE(size, 50);
    }

    void alterColumnFailures_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("no table") << "ALTER TABLE Nobody ALTER COLUMN Firstname CHAR(50) ";
        QTest::newRow("no column") << "ALTER TABLE Person ALTER COLUMN Middlename CHAR(50) ";
        QTest::newRow("other kind") << "ALTER TABLE Person ALTER COLUMN Firstname SMALLINT ";
    }
    void alterColumnFailures()
    {
        QFETCH(QString, statement);
        const QString file = path(QStringLiteral("alterfail.mdb"));
        QFile::remove(file);
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        QVERIFY(c.execute(statement).failed());
        int size = 0;
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Person"), QStringLiteral("Firstname"), size));
        QCOMPARE(size, 20);
        QCOMPARE(firstNames(c, QStringLiteral("SELECT * FROM Person ORDER BY Contactnr")),
                 QStringLiteral("Anne,Émile"));
    }

    void catalogLayout()
    {
        const QString file = path(QStringLiteral("layout.mdb"));
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        int count = 0;
        QVERIFY(!catalog::columnCount(c, QStringLiteral("Person"), count));
        QCOMPARE(count, 6);
        QVERIFY(!catalog::columnCount(c, QStringLiteral("Phone"), count));
        QCOMPARE(count, 4);
        QVERIFY(!catalog::columnCount(c, QStringLiteral("email"), count));
        QCOMPARE(count, 4);
        QVERIFY(catalog::columnCount(c, QStringLiteral("Nobody"), count).failed());
        QVERIFY(catalog::columnCount(c, QStringLiteral("x\"); DROP TABLE Person; --"), count).failed());
        QVERIFY(!catalog::columnCount(c, QStringLiteral("Person"), count));
        int size = 0;
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Phone"), QStringLiteral("Description"), size));
        QCOMPARE(size, 15);
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Phone"), QStringLiteral("Order"), size));
        QCOMPARE(size, 1);
        QVERIFY(!catalog::definedSize(c, QStringLiteral("Person"), QStringLiteral("Note"), size));
        QCOMPARE(size, 0);
        QVERIFY(catalog::definedSize(c, QStringLiteral("Person"), QStringLiteral("Nothing"), size).failed());
        // Creating over an existing file is refused and leaves it alone.
        QVERIFY(catalog::createFile(file).failed());
        QVERIFY(!catalog::columnCount(c, QStringLiteral("Person"), count));
    }

    void storedSchemaIsPlainSqlite()
    {
        const QString file = path(QStringLiteral("schema.mdb"));
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        QVERIFY(!c.execute(QStringLiteral("ALTER TABLE Person ALTER COLUMN Firstname CHAR(50) ")));
        Recordset rs;
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT sql FROM sqlite_master"), rs));
        QVERIFY(rs.recordCount() >= 3);
        for (; !rs.eof(); rs.moveNext()) {
            const QString sql = rs.text(QStringLiteral("sql"));
            QVERIFY2(!sql.contains(QLatin1String("velmora"), Qt::CaseInsensitive), qPrintable(sql));
            QVERIFY2(!sql.contains(QLatin1String("MEMO")), qPrintable(sql));
        }
    }

    void foreignKeysAndTransactions()
    {
        const QString file = path(QStringLiteral("keys.mdb"));
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        // A person with phones cannot go first.
        const DbError e = c.execute(QStringLiteral("DELETE FROM Person WHERE Contactnr = 1"));
        QVERIFY(e.failed());
        QVERIFY(!e.description.isEmpty());
        QVERIFY(!c.execute(QStringLiteral("BEGIN")));
        QVERIFY(!c.execute(QStringLiteral("DELETE FROM Phone WHERE Contactnr = 1")));
        QVERIFY(!c.execute(QStringLiteral("DELETE FROM Email WHERE Contactnr = 1")));
        QVERIFY(!c.execute(QStringLiteral("DELETE FROM Person WHERE Contactnr = 1")));
        QVERIFY(!c.execute(QStringLiteral("ROLLBACK")));
        QCOMPARE(firstNames(c, QStringLiteral("SELECT * FROM Person ORDER BY Contactnr")),
                 QStringLiteral("Anne,Émile"));
        QVERIFY(!c.execute(QStringLiteral("BEGIN TRANSACTION")));
        QVERIFY(!c.execute(QStringLiteral("DELETE FROM Phone WHERE Contactnr = 2")));
        QVERIFY(!c.execute(QStringLiteral("COMMIT")));
        Recordset rs;
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT * FROM Phone"), rs));
        QCOMPARE(rs.recordCount(), 1);
    }

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
    }
    void badStatements()
    {
        QFETCH(QString, statement);
        const QString file = path(QStringLiteral("bad.mdb"));
        QFile::remove(file);
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        const DbError e = c.execute(statement);
        QVERIFY(e.failed());
        QVERIFY(!e.description.isEmpty());
        Recordset rs;
        QVERIFY(openRecordset(c, statement, rs).failed());
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT * FROM Phone"), rs));
        QCOMPARE(rs.recordCount(), 2);
    }

    void textComparisonsIgnoreCase_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("expected");
        QTest::newRow("= lower") << "Firstname = 'anne'"
                                 << "Anne";
        QTest::newRow("= accented capital") << "Firstname = 'ÉMILE'"
                                            << "Émile";
        QTest::newRow("= accents count") << "Firstname = 'Emile'"
                                         << "";
        QTest::newRow("<> empty") << "Lastname <> ''"
                                  << "Anne,Émile";
        QTest::newRow("like contains") << "Lastname LIKE '%MERM%'"
                                       << "Anne";
        QTest::newRow("like accented") << "Firstname LIKE 'é%'"
                                       << "Émile";
        QTest::newRow("like underscore") << "Firstname LIKE '_nne'"
                                         << "Anne";
        QTest::newRow("like no escape") << "Firstname LIKE 'A\\%'"
                                        << "";
        QTest::newRow("like bracket is literal") << "Firstname LIKE '[A]%'"
                                                 << "";
        QTest::newRow("trim like ends") << "TRIM(Lastname) LIKE '%BOIS'"
                                        << "Émile";
        QTest::newRow("memo") << "Note LIKE '%TEA%'"
                              << "Anne";
    }
    void textComparisonsIgnoreCase()
    {
        QFETCH(QString, condition);
        QFETCH(QString, expected);
        const QString file = path(QStringLiteral("case.mdb"));
        QFile::remove(file);
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        QCOMPARE(firstNames(c, QStringLiteral("SELECT * FROM Person WHERE ") + condition +
                                   QStringLiteral(" ORDER BY Contactnr")),
                 expected);
    }

    void namesSortTheWayPeopleExpect()
    {
        const QString file = path(QStringLiteral("sort.mdb"));
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        QVERIFY(!c.execute(QStringLiteral("DELETE FROM Phone")));
        QVERIFY(!c.execute(QStringLiteral("DELETE FROM Email")));
        QVERIFY(!c.execute(QStringLiteral("DELETE FROM Person")));
        const QStringList names = {"zoe",  "Émile", "anne",  "Zacharias", "Emma",
                                   "Anne", "Ödön",  "Oscar", "Eve",       "ander"};
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY(
                !c.execute(QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, "
                                          "Address, [Note]) VALUES(%1, '%2', 'X', Null, '', '') ")
                               .arg(i + 1)
                               .arg(names[i])));
        }
        const QString sorted =
            firstNames(c, QStringLiteral("SELECT Contactnr, Firstname, Lastname FROM Person "
                                         "ORDER BY Lastname, Firstname "));
        QCOMPARE(sorted, QStringLiteral("ander,anne,Anne,Émile,Emma,Eve,Ödön,Oscar,Zacharias,zoe"));
        // The same order through the collation, as used where a sort key
        // cannot be.
        QCOMPARE(
            firstNames(c, QStringLiteral("SELECT Firstname FROM Person UNION SELECT Lastname FROM Person "
                                         "ORDER BY Firstname")),
            QStringLiteral("ander,anne,Anne,Émile,Emma,Eve,Ödön,Oscar,X,Zacharias,zoe"));
        // Numbers keep their order.
        QCOMPARE(firstNames(c, QStringLiteral("SELECT Firstname FROM Person WHERE Contactnr IN(2,10,9) "
                                              "ORDER BY Contactnr DESC")),
                 QStringLiteral("ander,Eve,Émile"));
    }

    // Sorted lists are put in order by the engine itself where it can; SQLite
    // sorting through the locale collation must give the very same rows.
    void engineSortAgreesWithSqlite_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("list by last name")
            << "SELECT Contactnr, Firstname, Lastname FROM Person ORDER BY Lastname, "
               "Firstname, Contactnr ";
        QTest::newRow("descending")
            << "SELECT Contactnr, Firstname FROM Person ORDER BY Firstname DESC, Lastname ASC, "
               "Contactnr DESC";
        QTest::newRow("dates with Null") << "SELECT * FROM Person ORDER BY Dateofbirth, Contactnr";
        QTest::newRow("dates descending")
            << "SELECT * FROM Person ORDER BY Dateofbirth DESC, Lastname DESC, Contactnr";
        QTest::newRow("birthdays")
            << "SELECT Firstname, Lastname, Dateofbirth FROM Person WHERE Dateofbirth IS NOT "
               "NULL ORDER BY Month(Dateofbirth), Day(Dateofbirth), Firstname, Lastname, "
               "Contactnr ";
        QTest::newRow("memo columns")
            << "SELECT Contactnr, Address FROM Person ORDER BY Address, Note, Contactnr";
        QTest::newRow("expression")
            << "SELECT Contactnr FROM Person ORDER BY Lastname || Firstname, Contactnr";
        QTest::newRow("join")
            << "SELECT Phone.Contactnr, Number, Description FROM Phone, Person WHERE "
               "Person.Contactnr IN(3, 1, 7, 9) AND Phone.Contactnr = Person.Contactnr ORDER BY "
               "Firstname, Lastname, Person.Contactnr, [Order] ";
        QTest::newRow("numbers as text")
            << "SELECT Contactnr, Number FROM Phone ORDER BY Number, Contactnr, Order";
    }
    void engineSortAgreesWithSqlite()
    {
        QFETCH(QString, statement);
        const QString file = path(QStringLiteral("sorting.mdb"));
        if (!QFile::exists(file)) {
            makeBook(file);
            Connection c;
            QVERIFY(!c.open(file, QString()));
            const QStringList first = {"anne",       "Anne",    "ANNE", "Émile",   "Emile",  "emma",
                                       "Ève",        "Zoë",     "zoe",  "Øystein", "Oscar",  "Ölmez",
                                       "de la Cruz", "De Smet", "",     " Bob",    "Łukasz", "Lucas"};
            std::mt19937 random(7);
            QVERIFY(!c.execute(QStringLiteral("BEGIN")));
            for (int nr = 3; nr <= 300; ++nr) {
                const QString date = random() % 4 == 0 ? QStringLiteral("Null")
                                                       : QStringLiteral("#%1/%2/%3#")
                                                             .arg(1 + random() % 12)
                                                             .arg(1 + random() % 28)
                                                             .arg(1940 + random() % 80);
                QVERIFY(!c.execute(
                    QStringLiteral("INSERT INTO Person(Contactnr, Firstname, Lastname, Dateofbirth, "
                                   "Address, [Note]) VALUES(%1, '%2', '%3', %4, '%5', '') ")
                        .arg(nr)
                        .arg(first[int(random() % first.size())])
                        .arg(first[int(random() % first.size())])
                        .arg(date)
                        .arg(random() % 3 == 0 ? QString() : first[int(random() % first.size())])));
                QVERIFY(
                    !c.execute(QStringLiteral("INSERT INTO Phone(ContactNr, [Order], [Number], Description) "
                                              "VALUES(%1, 1, '%2', '') ")
                                   .arg(nr)
                                   .arg(random() % 1000)));
            }
            QVERIFY(!c.execute(QStringLiteral("COMMIT")));
        }
        Connection c;
        QVERIFY(!c.open(file, QString()));
        Recordset rs;
        QVERIFY(!openRecordset(c, statement, rs));
        QVERIFY(rs.recordCount() > 3);

        sqlite3_stmt *st = nullptr;
        QCOMPARE(sqlite3_prepare_v2(c.handle(), c.translate(statement, true).toUtf8().constData(), -1, &st,
                                    nullptr),
                 SQLITE_OK);
        int rows = 0;
        for (rs.moveFirst(); sqlite3_step(st) == SQLITE_ROW; rs.moveNext(), ++rows) {
            QVERIFY(!rs.eof());
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const QString name = QString::fromUtf8(sqlite3_column_name(st, i));
                const QString expected =
                    QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
                const QVariant got = rs.field(name);
                const QString text =
                    got.typeId() == QMetaType::QDate ? got.toDate().toString(Qt::ISODate) : got.toString();
                QCOMPARE(text, expected);
            }
        }
        sqlite3_finalize(st);
        QCOMPARE(rows, rs.recordCount());
    }

    // The long sorted lists take the engine's own sort; what it cannot sort
    // exactly as SQLite would is left to SQLite.
    void engineSortChoice_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<bool>("byEngine");
        QTest::newRow("contact list")
            << "SELECT Contactnr, Firstname, Lastname FROM Person ORDER BY Lastname, Firstname " << true;
        QTest::newRow("search")
            << "SELECT * FROM Person WHERE Firstname LIKE '%a%' ORDER BY Firstname, Lastname " << true;
        QTest::newRow("export")
            << "SELECT Phone.Contactnr, Number, Description FROM Phone, Person WHERE Person.Contactnr "
               "IN(1, 2) AND Phone.Contactnr = Person.Contactnr ORDER BY Firstname, Lastname, "
               "Person.Contactnr, [Order] "
            << true;
        QTest::newRow("numbers only") << "SELECT Contactnr FROM Person ORDER BY Contactnr " << false;
        QTest::newRow("distinct")
            << "SELECT DISTINCT Person.Contactnr AS Contactnr, Firstname, Lastname FROM Person, "
               "Email WHERE Person.Contactnr = Email.Contactnr ORDER BY Lastname, Firstname "
            << false;
        QTest::newRow("result column name")
            << "SELECT Lastname AS Firstname FROM Person ORDER BY Firstname" << false;
        QTest::newRow("result column name without AS")
            << "SELECT Contactnr, Lastname Firstname FROM Person ORDER BY Firstname" << false;
        QTest::newRow("expression and table column")
            << "SELECT Contactnr, Lastname FROM Person ORDER BY Lastname, Firstname" << true;
        QTest::newRow("limit") << "SELECT * FROM Person ORDER BY Lastname LIMIT 3" << false;
        QTest::newRow("own collation") << "SELECT * FROM Person ORDER BY Lastname COLLATE BINARY" << false;
        QTest::newRow("position") << "SELECT Lastname FROM Person ORDER BY 1" << false;
        QTest::newRow("compound")
            << "SELECT Firstname FROM Person UNION SELECT Lastname FROM Person ORDER BY 1" << false;
        QTest::newRow("no order") << "SELECT * FROM Person" << false;
        QTest::newRow("not a query") << "DELETE FROM Person WHERE Lastname = 'x'" << false;
    }
    void engineSortChoice()
    {
        QFETCH(QString, statement);
        QFETCH(bool, byEngine);
        SqlTranslator translator;
        translator.setTextColumnTest([](const QString &, const QString &column) {
            return column.compare(QLatin1String("Contactnr"), Qt::CaseInsensitive) != 0 &&
                   column.compare(QLatin1String("Order"), Qt::CaseInsensitive) != 0;
        });
        SqlTranslator::EngineSort sort;
        QCOMPARE(translator.translateForEngineSort(statement, sort), byEngine);
        if (byEngine)
            QVERIFY2(!sort.statement.contains(QLatin1String("ORDER BY")), qPrintable(sort.statement));
    }

    void sortOrderFollowsTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("root") << "" << QStringList{"Ödön", "Oscar", "Otto", "Zoë"};
        QTest::newRow("German") << "de_DE" << QStringList{"Ödön", "Oscar", "Otto", "Zoë"};
        QTest::newRow("Swedish") << "sv_SE" << QStringList{"Oscar", "Otto", "Zoë", "Ödön"};
    }
    void sortOrderFollowsTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, expected);
        SortCollator collator(locale);
        QStringList names = {"Zoë", "Ödön", "Otto", "Oscar"};
        bool agree = true;
        std::sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
            const QByteArray x = a.toUtf8();
            const QByteArray y = b.toUtf8();
            const std::string_view vx(x.constData(), size_t(x.size()));
            const std::string_view vy(y.constData(), size_t(y.size()));
            const std::string kx(collator.sortKey(vx));
            const std::string ky(collator.sortKey(vy));
            // The keys and the collation used where keys cannot be agree.
            agree = agree && (kx < ky) == (collator.compare(vx, vy) < 0);
            return kx < ky;
        });
        QVERIFY(agree);
        QCOMPARE(names, expected);
    }

    void phonesComeBackInTheirOrder()
    {
        const QString file = path(QStringLiteral("order.mdb"));
        makeBook(file);
        Connection c;
        QVERIFY(!c.open(file, QString()));
        QVERIFY(!c.execute(QStringLiteral("DELETE FROM Phone WHERE Contactnr = 1 ")));
        for (int pos = 1; pos <= 12; ++pos) {
            QVERIFY(!c.execute(QStringLiteral("INSERT INTO Phone(ContactNr, [Order], [Number], Description) "
                                              "VALUES(1, %1, '%2', '') ")
                                   .arg(pos)
                                   .arg(100 - pos)));
        }
        Recordset rs;
        QVERIFY(!openRecordset(c, QStringLiteral("SELECT * FROM Phone WHERE Contactnr = 1"), rs));
        QCOMPARE(rs.recordCount(), 12);
        for (int pos = 1; !rs.eof(); rs.moveNext(), ++pos) {
            QCOMPARE(rs.field(QStringLiteral("Order")).toInt(), pos);
            QCOMPARE(rs.text(QStringLiteral("Number")), QString::number(100 - pos));
        }
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
