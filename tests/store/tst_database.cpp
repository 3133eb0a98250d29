#include "TestEnv.h"

#include "app/ErrorLog.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/Sql.h"
#include "store/Transaction.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;

namespace {

// Takes write permission away from a file or folder for as long as it lives.
// Root ignores permission bits, so there the immutable attribute stands in;
// where neither works, active() is false and the test skips.
class WriteProtect {
public:
    explicit WriteProtect(const QString &path) : m_path(path)
    {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        m_mode = st.st_mode & 07777;
        ::chmod(QFile::encodeName(path).constData(), S_ISDIR(st.st_mode) ? 0555 : 0444);
        if (writable())
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    }
    ~WriteProtect()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        ::chmod(QFile::encodeName(m_path).constData(), m_mode);
    }
    bool active() const { return !writable(); }

private:
    bool writable() const { return ::access(QFile::encodeName(m_path).constData(), W_OK) == 0; }
    QString m_path;
    mode_t m_mode = 0644;
    bool m_immutable = false;
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A book in the layout of older files: the three tables in their narrow widths.
void makeNarrowBook(const QString &path)
{
    QVERIFY(!catalog::createFile(path).failed());
    Connection c;
    QVERIFY(!c.open(path, QString()).failed());
    for (const QString &statement : Database::createTableStatements())
        QVERIFY2(!c.execute(statement).failed(), qPrintable(statement));
    c.close();
}

// Runs statements on a book file outside the program's own connection.
void runOn(const QString &path, const QStringList &statements, const QString &password = QString())
{
    Connection c;
    QVERIFY(!c.open(path, password).failed());
    for (const QString &statement : statements) {
        const DbError e = c.execute(statement);
        QVERIFY2(!e.failed(), qPrintable(statement + QStringLiteral(": ") + e.description));
    }
    c.close();
}

int sizeOf(const QString &path, const QString &table, const QString &column)
{
    Connection c;
    if (c.open(path, QString()))
        return -1;
    int size = -1;
    catalog::definedSize(c, table, column, size);
    c.close();
    return size;
}

QString insertPerson(int nr, const QString &first, const QString &last)
{
    return QStringLiteral("INSERT INTO Person ( Contactnr, Firstname, Lastname ) VALUES ( %1, '%2', '%3' ) ")
        .arg(nr)
        .arg(first, last);
}

int personCount()
{
    Recordset rs;
    if (openRecordset(QStringLiteral("SELECT Contactnr FROM Person "), rs))
        return -1;
    return rs.recordCount();
}

QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*velmora-tmp*")}, QDir::Files | QDir::Hidden | QDir::System);
}

QString notValid(const QString &path)
{
    return QStringLiteral("This is not a valid Velmora database:\n") + path;
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> env;
    Database &db = Database::instance();

    QString book(const QString &name = QStringLiteral("book.mdb")) const { return env->documents() + QLatin1Char('/') + name; }

    // A new book (widened, open) with n persons.
    void makeBook(const QString &path, int persons = 0)
    {
        QVERIFY2(db.newDatabase(path), qPrintable(env->prompts.lastMessage()));
        Transaction t;
        QVERIFY(!t.begin().failed());
        for (int i = 1; i <= persons; ++i)
            QVERIFY(!executeSql(insertPerson(i, QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i)))
                         .failed());
        QVERIFY(!t.commit().failed());
    }

private slots:
    void init()
    {
        env = std::make_unique<test::TestEnv>();
    }
    void cleanup()
    {
        Database::setFaultHook({});
        db.closeDatabase(false);
        db.setPassword(QString());
        env.reset();
    }

    void statementsAreTheBooksLayout()
    {
        QCOMPARE(Database::createTableStatements(),
                 QStringList({
                     "CREATE TABLE Person ( Contactnr SMALLINT, Firstname CHAR(20), Lastname CHAR(20), Dateofbirth "
                     "DATE, Address MEMO, [Note] MEMO, CONSTRAINT ContactPK PRIMARY KEY(Contactnr) ) ",
                     "CREATE TABLE Phone ( Contactnr SMALLINT, [Order] TINYINT, [Number] CHAR(20), Description "
                     "CHAR(15), CONSTRAINT PhonePK PRIMARY KEY(Contactnr, [Order]), CONSTRAINT PhoneFK FOREIGN "
                     "KEY(Contactnr) REFERENCES Person(Contactnr) ) ",
                     "CREATE TABLE Email ( Contactnr SMALLINT, [Order] TINYINT, Email CHAR(50), Description "
                     "CHAR(15), CONSTRAINT EmailPK PRIMARY KEY(Contactnr, [Order]), CONSTRAINT EmailFK FOREIGN "
                     "KEY(Contactnr) REFERENCES Person(Contactnr) ) ",
                 }));
        QCOMPARE(Database::upgradeStatements(), QStringList({
                                                    "ALTER TABLE Person ALTER COLUMN Firstname CHAR(50) ",
                                                    "ALTER TABLE Person ALTER COLUMN Lastname CHAR(50) ",
                                                    "ALTER TABLE Phone ALTER COLUMN [Number] CHAR(50) ",
                                                    "ALTER TABLE Phone ALTER COLUMN Description CHAR(100) ",
                                                    "ALTER TABLE Email ALTER COLUMN Email CHAR(100) ",
                                                    "ALTER TABLE Email ALTER COLUMN Description CHAR(100) ",
                                                }));
    }

    void newBookIsWidenedOpenAndRemembered()
    {
        QSignalSpy opened(&db, &Database::opened);
        const QString path = book();
        QVERIFY(db.newDatabase(path));
        QVERIFY(db.isOpen());
        QVERIFY(!db.isReadOnly());
        QCOMPARE(db.path(), path);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(getSetting(QStringLiteral("Default database")), path);
        QCOMPARE(getSetting(QStringLiteral("Recent 1")), path);
        QCOMPARE(personCount(), 0);
        QVERIFY(!executeSql(insertPerson(1, QStringLiteral("Anna"), QStringLiteral("Berg"))).failed());
        db.closeDatabase(true);
        QCOMPARE(sizeOf(path, QStringLiteral("Person"), QStringLiteral("Lastname")), 50);
        QCOMPARE(sizeOf(path, QStringLiteral("Email"), QStringLiteral("Email")), 100);
        QCOMPARE(env->prompts.messageCount(), 0);
        QVERIFY(leftovers(env->documents()).isEmpty());
    }

    void narrowBookIsWidenedOnce()
    {
        const QString path = book(QStringLiteral("old.mdb"));
        makeNarrowBook(path);
        QCOMPARE(sizeOf(path, QStringLiteral("Person"), QStringLiteral("Lastname")), 20);
        QVERIFY(db.openDatabase(path));
        db.closeDatabase(false);
        const QList<std::tuple<const char *, const char *, int>> wide = {
            {"Person", "Firstname", 50}, {"Person", "Lastname", 50},      {"Phone", "Number", 50},
            {"Phone", "Description", 100}, {"Email", "Email", 100}, {"Email", "Description", 100}};
        for (const auto &[table, column, size] : wide)
            QCOMPARE(sizeOf(path, QLatin1String(table), QLatin1String(column)), size);

        // Only Lastname tells the layout: a widened file is never altered again.
        runOn(path, {QStringLiteral("ALTER TABLE Person ALTER COLUMN Firstname CHAR(20) ")});
        QVERIFY(db.openDatabase(path));
        db.closeDatabase(false);
        QCOMPARE(sizeOf(path, QStringLiteral("Person"), QStringLiteral("Firstname")), 20);
    }

    void failedWideningChangesNothing()
    {
        // The last ALTER fails (the column is named otherwise): the first five
        // are undone, so the next open tries the whole widening again.
        const QString path = book(QStringLiteral("odd.mdb"));
        makeNarrowBook(path);
        runOn(path, {QStringLiteral("DROP TABLE Email"),
                     QStringLiteral("CREATE TABLE Email ( Contactnr SMALLINT, [Order] TINYINT, Email CHAR(50), "
                                    "Label CHAR(15) ) ")});
        QVERIFY(!db.openDatabase(path));
        QVERIFY(!db.isOpen());
        QCOMPARE(env->prompts.messageCount(), 1);
        QVERIFY(readAll(logFilePath()).contains("Error opening database: "));
        QCOMPARE(sizeOf(path, QStringLiteral("Person"), QStringLiteral("Lastname")), 20);
        QCOMPARE(sizeOf(path, QStringLiteral("Person"), QStringLiteral("Firstname")), 20);
        QCOMPARE(sizeOf(path, QStringLiteral("Email"), QStringLiteral("Email")), 50);
    }

    void badFilesAreNotValid_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing file") << "missing";
        QTest::newRow("empty path") << "empty path";
        QTest::newRow("folder") << "folder";
        QTest::newRow("empty file") << "empty file";
        QTest::newRow("text file") << "text";
        QTest::newRow("truncated book") << "truncated";
        QTest::newRow("book cut at a page boundary") << "cut at page";
        QTest::newRow("missing table") << "missing table";
        QTest::newRow("person with 7 columns") << "7 columns";
    }
    void badFilesAreNotValid()
    {
        QFETCH(QString, kind);
        // Another book is open: the check closes it, whatever the verdict.
        const QString other = book(QStringLiteral("other.mdb"));
        makeBook(other, 1);
        QSignalSpy closed(&db, &Database::closed);

        QString path = book(QStringLiteral("bad.mdb"));
        if (kind == QLatin1String("empty path")) {
            path.clear();
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("empty file")) {
            writeFile(path, QByteArray());
        } else if (kind == QLatin1String("text")) {
            writeFile(path, "Anna Berg, 555-1234\nNot a book at all.\n");
        } else if (kind == QLatin1String("truncated") || kind == QLatin1String("cut at page")) {
            makeBook(path, 400);
            db.closeDatabase(true);
            const QByteArray whole = readAll(path);
            QVERIFY(whole.size() > 8192);
            const qsizetype half = whole.size() / 2 / 4096 * 4096;
            writeFile(path, whole.left(kind == QLatin1String("truncated") ? half + 100 : half));
        } else if (kind == QLatin1String("missing table")) {
            makeBook(path);
            db.closeDatabase(false);
            runOn(path, {QStringLiteral("DROP TABLE Email")});
        } else if (kind == QLatin1String("7 columns")) {
            makeBook(path);
            db.closeDatabase(false);
            runOn(path, {QStringLiteral("ALTER TABLE Person ADD COLUMN Nickname CHAR(20)")});
        }
        QVERIFY(db.openDatabase(other));
        env->prompts.clear();
        closed.clear();

        QVERIFY(!db.isValidDatabase(path));
        QVERIFY(!db.isOpen());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(env->prompts.messageCount(), 1);
        const auto &shown = env->prompts.shown().back();
        QCOMPARE(shown.text, notValid(path));
        QCOMPARE(shown.title, QStringLiteral("Error!"));
        QCOMPARE(shown.icon, Icon::Exclamation);
        QCOMPARE(int(env->prompts.shown().size()), 1); // no password was asked
    }

    void failedCompactionLeavesTheFile_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("err");
        QTest::newRow("disk full while copying") << int(Database::ReplaceStep::Copy) << ENOSPC;
        QTest::newRow("sync fails") << int(Database::ReplaceStep::Sync) << EIO;
        QTest::newRow("rename refused") << int(Database::ReplaceStep::Rename) << EACCES;
    }
    void failedCompactionLeavesTheFile()
    {
        QFETCH(int, step);
        QFETCH(int, err);
        const QString path = book();
        makeBook(path, 50);
        QVERIFY(!executeSql(QStringLiteral("DELETE FROM Person WHERE Contactnr > 5 ")).failed());
        db.closeDatabase(false);
        const QByteArray before = readAll(path);
        QVERIFY(db.openDatabase(path));
        db.setFaultHook([=](Database::ReplaceStep s) { return int(s) == step ? err : 0; });
        db.closeDatabase(true);
        QVERIFY(!db.isOpen());
        QCOMPARE(readAll(path), before);
        QVERIFY(leftovers(env->documents()).isEmpty());
        QCOMPARE(env->prompts.messageCount(), 0); // compaction on close is silent
    }

    void readOnlyBookOpensForReading()
    {
        const QString path = book();
        makeBook(path, 4);
        db.closeDatabase(true);
        const QByteArray before = readAll(path);
        WriteProtect locked(path);
        if (!locked.active())
            QSKIP("cannot take write permission away here");
        QSignalSpy opened(&db, &Database::opened);
        QVERIFY(db.isValidDatabase(path));
        QVERIFY(db.openDatabase(path));
        QCOMPARE(opened.count(), 1);
        QVERIFY(db.isReadOnly());
        QCOMPARE(personCount(), 4);
        db.closeDatabase(true);
        QCOMPARE(readAll(path), before); // not compacted
        QCOMPARE(env->prompts.messageCount(), 0); // the main window tells the user
    }

    void copyDatabase()
    {
        const QString path = book();
        makeBook(path, 7);
        const QString copy = book(QStringLiteral("copy.mdb"));
        writeFile(copy, "an older file of that name");
        QVERIFY(db.copyDatabase(copy));
        QVERIFY(db.isOpen());
        QCOMPARE(db.path(), path);
        QCOMPARE(readAll(copy), readAll(path));
        QVERIFY(leftovers(env->documents()).isEmpty());
        db.closeDatabase(false);
        QVERIFY(db.isValidDatabase(copy));
        QVERIFY(db.openDatabase(copy));
        QCOMPARE(personCount(), 7);
    }

    void copyOntoItselfKeepsTheBook()
    {
        const QString path = book();
        makeBook(path, 7);
        QVERIFY(db.copyDatabase(path));
        QCOMPARE(personCount(), 7);
    }

    void failedCopyIsReportedAndKeepsBothFiles()
    {
        const QString path = book();
        makeBook(path, 3);
        const QString copy = book(QStringLiteral("copy.mdb"));
        writeFile(copy, "an older file of that name");
        db.setFaultHook([](Database::ReplaceStep s) { return s == Database::ReplaceStep::Copy ? ENOSPC : 0; });
        QVERIFY(!db.copyDatabase(copy));
        QCOMPARE(readAll(copy), QByteArray("an older file of that name"));
        QVERIFY(db.isOpen());
        QCOMPARE(db.path(), path);
        QCOMPARE(personCount(), 3);
        QCOMPARE(env->prompts.lastMessage(), QStringLiteral("Error 61: Disk full"));
        QVERIFY(readAll(logFilePath()).endsWith(" - Error copying database: 61: Disk full\r\n"));
        QVERIFY(leftovers(env->documents()).isEmpty());
    }

};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
