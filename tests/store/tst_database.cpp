#include "TestEnv.h"
#include "TestFiles.h"

#include "app/ErrorLog.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs statements on a book file outside the program's own connection.
void runOn(const QString &path, const QStringList &statements)
{
    Connection c;
    QVERIFY(!c.open(path, QString()).failed());
    for (const QString &statement : statements) {
        const DbError e = c.execute(statement);
        QVERIFY2(!e.failed(), qPrintable(statement + QStringLiteral(": ") + e.description));
    }
}

// A book in the layout of older files: the three tables in their narrow widths.
void makeNarrowBook(const QString &path)
{
    QVERIFY(!catalog::createFile(path).failed());
    runOn(path, Database::createTableStatements());
}

int sizeOf(const QString &path, const QString &table, const QString &column)
{
    Connection c;
    int size = -1;
    if (!c.open(path, QString()))
        catalog::definedSize(c, table, column, size);
    return size;
}

// The last names in the open book; the persons of makeBook() are called
// Zwackelmann1, Zwackelmann2 ..., a name easy to look for in the file.
QStringList lastNames()
{
    Recordset rs;
    if (openRecordset(QStringLiteral("SELECT Lastname FROM Person ORDER BY Contactnr "), rs))
        return {QStringLiteral("<error>")};
    QStringList names;
    for (; !rs.eof(); rs.moveNext())
        names << rs.text(QStringLiteral("Lastname")).trimmed();
    return names;
}

QStringList persons(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("Zwackelmann%1").arg(i);
    return names;
}

int passwordPrompts(const RecordingPrompts &prompts)
{
    return int(std::count_if(prompts.shown().begin(), prompts.shown().end(),
                             [](const auto &s) { return s.kind == RecordingPrompts::Shown::Password; }));
}

QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*velmora-tmp*")},
                                  QDir::Files | QDir::Hidden | QDir::System);
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

    QString book(const QString &name = QStringLiteral("book.mdb")) const
    {
        return env->documents() + QLatin1Char('/') + name;
    }

    // A new book (widened, open) with that many persons, and optionally a
    // password.
    void makeBook(const QString &path, int count = 2, const QString &password = QString())
    {
        QVERIFY2(db.newDatabase(path), qPrintable(env->prompts.lastMessage()));
        QVERIFY(
            !executeSql(QStringLiteral("INSERT INTO Person ( Contactnr, Firstname, Lastname ) WITH RECURSIVE "
                                       "n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                       "SELECT i, 'Quirinius', 'Zwackelmann' || i FROM n WHERE i <= %1")
                            .arg(count))
                 .failed());
        if (!password.isEmpty())
            QVERIFY(db.addPassword(path, password));
    }

    // As after a restart: no book open, no password in memory, and the last
    // path another file.
    void forget()
    {
        db.closeDatabase(false);
        db.setPassword(QString());
        db.connection().setDataSource(QString());
        env->prompts.clear();
    }

private slots:
    void init() { env = std::make_unique<test::TestEnv>(); }
    void cleanup()
    {
        Database::setFaultHook({});
        db.closeDatabase(false);
        db.setPassword(QString());
        env.reset();
    }

    void newBookIsWidenedAndOpen()
    {
        QSignalSpy opened(&db, &Database::opened);
        const QString path = book();
        QVERIFY(db.newDatabase(path));
        QVERIFY(db.isOpen());
        QVERIFY(!db.isReadOnly());
        QCOMPARE(db.path(), path);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(lastNames(), QStringList());
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
            {"Person", "Firstname", 50},   {"Person", "Lastname", 50}, {"Phone", "Number", 50},
            {"Phone", "Description", 100}, {"Email", "Email", 100},    {"Email", "Description", 100}};
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
        runOn(path,
              {QStringLiteral("DROP TABLE Email"),
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
        for (const char *kind : {"missing", "empty path", "folder", "empty file", "text", "truncated",
                                 "cut at page", "missing table", "7 columns"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
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
            test::writeFile(path, QByteArray());
        } else if (kind == QLatin1String("text")) {
            test::writeFile(path, "Anna Berg, 555-1234\nNot a book at all.\n");
        } else if (kind == QLatin1String("truncated") || kind == QLatin1String("cut at page")) {
            makeBook(path, 400);
            db.closeDatabase(true);
            const QByteArray whole = readAll(path);
            QVERIFY(whole.size() > 8192);
            const qsizetype half = whole.size() / 2 / 4096 * 4096;
            test::writeFile(path, whole.left(kind == QLatin1String("truncated") ? half + 100 : half));
        } else if (kind == QLatin1String("missing table") || kind == QLatin1String("7 columns")) {
            makeBook(path);
            db.closeDatabase(false);
            runOn(path, {kind == QLatin1String("missing table")
                             ? QStringLiteral("DROP TABLE Email")
                             : QStringLiteral("ALTER TABLE Person ADD COLUMN Nickname CHAR(20)")});
        }
        QVERIFY(db.openDatabase(other));
        env->prompts.clear();
        closed.clear();

        QVERIFY(!db.isValidDatabase(path));
        QVERIFY(!db.isOpen());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(int(env->prompts.shown().size()), 1); // one message, no password asked
        QCOMPARE(env->prompts.lastMessage(), notValid(path));
    }

    // Compacting on close and adding or removing the password all replace
    // the file through a copy: a failure at any step leaves the file as it
    // was and no copy behind.
    void failedReplacementLeavesTheFile_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("err");
        QTest::addColumn<QString>("message");
        const int copy = int(Database::ReplaceStep::Copy);
        const int sync = int(Database::ReplaceStep::Sync);
        const int rename = int(Database::ReplaceStep::Rename);
        // Compaction on close is silent.
        QTest::newRow("compact, disk full") << "compact" << copy << ENOSPC << "";
        QTest::newRow("compact, sync fails") << "compact" << sync << EIO << "";
        QTest::newRow("compact, rename refused") << "compact" << rename << EACCES << "";
        QTest::newRow("add, disk full") << "adding" << copy << ENOSPC << "Error 61: Disk full";
        QTest::newRow("add, rename refused") << "adding" << rename << EACCES << "Error 70: Permission denied";
        QTest::newRow("remove, rename refused")
            << "removing" << rename << EPERM << "Error 70: Permission denied";
    }
    void failedReplacementLeavesTheFile()
    {
        QFETCH(QString, operation);
        QFETCH(int, step);
        QFETCH(int, err);
        QFETCH(QString, message);
        const QString path = book();
        const QString password =
            operation == QLatin1String("removing") ? QStringLiteral("secret") : QString();
        makeBook(path, 50);
        QVERIFY(!executeSql(QStringLiteral("DELETE FROM Person WHERE Contactnr > 5 ")).failed());
        if (!password.isEmpty())
            QVERIFY(db.addPassword(path, password));
        db.closeDatabase(false);
        const QByteArray before = readAll(path);
        QVERIFY(db.openDatabase(path));
        env->prompts.clear();

        Database::setFaultHook([=](Database::ReplaceStep s) { return int(s) == step ? err : 0; });
        if (operation == QLatin1String("compact"))
            db.closeDatabase(true);
        else if (operation == QLatin1String("adding"))
            QVERIFY(!db.addPassword(path, QStringLiteral("new")));
        else
            QVERIFY(!db.removePassword(path, password));
        QVERIFY(!db.isOpen());
        QCOMPARE(readAll(path), before);
        QVERIFY(leftovers(env->documents()).isEmpty());
        QCOMPARE(env->prompts.lastMessage(), message);
        QCOMPARE(env->prompts.messageCount(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            const QString entry = QStringLiteral("Error %1 password: %2\r\n").arg(operation, message.mid(6));
            QVERIFY(QString::fromUtf8(readAll(logFilePath())).endsWith(entry));
        }
        // The password in memory is the one the unchanged file needs.
        QCOMPARE(db.password(), password);
        Database::setFaultHook({});
        QVERIFY(db.isValidDatabase(path));
        QVERIFY(db.openDatabase(path));
        QCOMPARE(passwordPrompts(env->prompts), 0);
        QCOMPARE(lastNames(), persons(5));
    }

    void readOnlyBookOpensForReading()
    {
        const QString path = book();
        makeBook(path, 4);
        db.closeDatabase(true);
        const QByteArray before = readAll(path);
        test::WriteProtect locked(path);
        if (!locked.active())
            QSKIP("cannot take write permission away here");
        QSignalSpy opened(&db, &Database::opened);
        QVERIFY(db.isValidDatabase(path));
        QVERIFY(db.openDatabase(path));
        QCOMPARE(opened.count(), 1);
        QVERIFY(db.isReadOnly());
        QCOMPARE(lastNames(), persons(4));
        db.closeDatabase(true);
        QCOMPARE(readAll(path), before);          // not compacted
        QCOMPARE(env->prompts.messageCount(), 0); // the main window tells the user
    }

    void copyDatabase()
    {
        const QString path = book();
        makeBook(path, 7);
        QVERIFY(db.copyDatabase(path)); // onto itself: the book stays
        QCOMPARE(lastNames(), persons(7));
        const QString copy = book(QStringLiteral("copy.mdb"));
        test::writeFile(copy, "an older file of that name");
        QVERIFY(db.copyDatabase(copy));
        QVERIFY(db.isOpen());
        QCOMPARE(db.path(), path);
        QCOMPARE(readAll(copy), readAll(path));
        QVERIFY(leftovers(env->documents()).isEmpty());
        db.closeDatabase(false);
        QVERIFY(db.isValidDatabase(copy));
        QVERIFY(db.openDatabase(copy));
        QCOMPARE(lastNames(), persons(7));
    }

    void failedCopyIsReportedAndKeepsBothFiles()
    {
        const QString path = book();
        makeBook(path, 3);
        const QString copy = book(QStringLiteral("copy.mdb"));
        test::writeFile(copy, "an older file of that name");
        db.setFaultHook(
            [](Database::ReplaceStep s) { return s == Database::ReplaceStep::Copy ? ENOSPC : 0; });
        QVERIFY(!db.copyDatabase(copy));
        QCOMPARE(readAll(copy), QByteArray("an older file of that name"));
        QVERIFY(db.isOpen());
        QCOMPARE(db.path(), path);
        QCOMPARE(lastNames(), persons(3));
        QCOMPARE(env->prompts.lastMessage(), QStringLiteral("Error 61: Disk full"));
        QVERIFY(readAll(logFilePath()).endsWith(" - Error copying database: 61: Disk full\r\n"));
        QVERIFY(leftovers(env->documents()).isEmpty());
    }

    void addPasswordEncryptsAndReopens()
    {
        const QString path = book();
        makeBook(path);
        db.closeDatabase(true);
        QVERIFY(readAll(path).contains("Zwackelmann"));
        QVERIFY(db.openDatabase(path));
        QSignalSpy opened(&db, &Database::opened);
        QSignalSpy changed(&db, &Database::passwordChanged);

        QVERIFY(db.addPassword(path, QStringLiteral("geheim")));
        QVERIFY(db.isOpen());
        QCOMPARE(db.password(), QStringLiteral("geheim"));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(lastNames(), persons(2));
        QCOMPARE(env->prompts.messageCount(), 0);

        db.closeDatabase(true); // compaction keeps the protection
        const QByteArray file = readAll(path);
        QVERIFY(!file.contains("Zwackelmann"));
        QVERIFY(!file.startsWith("SQLite format 3"));
        QVERIFY(leftovers(env->documents()).isEmpty());

        // After a restart the file asks for its password.
        forget();
        env->prompts.queueText(QStringLiteral("geheim"));
        QVERIFY(db.isValidDatabase(path));
        QCOMPARE(passwordPrompts(env->prompts), 1);
        QCOMPARE(env->prompts.shown().front().text, path);
        QVERIFY(db.openDatabase(path));
        QCOMPARE(lastNames(), persons(2));
    }

    // The check asks for the password again after a wrong one, until the
    // right one is typed or the entry is cancelled (nothing more queued).
    void passwordEntry_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("valid");
        const QStringList wrong = {QStringLiteral("wrong")};
        QTest::newRow("connection text") << "x;Data Source=/tmp/other.mdb;" << wrong << true;
        QTest::newRow("blanks around") << "  two blanks  " << wrong << true;
        QTest::newRow("non-ASCII") << "pässwörd€" << wrong << true;
        QTest::newRow("pragma text") << "'; PRAGMA key='" << wrong << true;
        QTest::newRow("long") << QString(300, QLatin1Char('k')) << wrong << true;
        QTest::newRow("other case, then cancel") << "right" << QStringList{"wrong", "Right"} << false;
    }
    void passwordEntry()
    {
        QFETCH(QString, password);
        QFETCH(QStringList, typed);
        QFETCH(bool, valid);
        const QString path = book();
        makeBook(path, 2, password);
        QCOMPARE(db.password(), password);
        forget();
        for (const QString &text : typed)
            env->prompts.queueText(text);
        if (valid)
            env->prompts.queueText(password);
        QCOMPARE(db.isValidDatabase(path), valid);
        QCOMPARE(passwordPrompts(env->prompts), int(typed.size()) + 1);
        if (!valid) {
            QCOMPARE(env->prompts.messageCount(), 0); // cancelling says nothing more
            QVERIFY(!db.isOpen());
            QVERIFY(!db.hasPassword());
            return;
        }
        QVERIFY(db.openDatabase(path));
        QCOMPARE(lastNames(), persons(2));
        // Removing the password needs no typing: the one in memory is used.
        QSignalSpy changed(&db, &Database::passwordChanged);
        QVERIFY(db.removePassword(db.path(), db.password()));
        QCOMPARE(int(env->prompts.shown().size()), int(typed.size()) + 1);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!db.hasPassword());
        QCOMPARE(lastNames(), persons(2));
        db.closeDatabase(true);
        QVERIFY(readAll(path).startsWith("SQLite format 3"));
    }

    void cancelRestoresThePasswordOfTheOtherBook()
    {
        const QString first = book();
        makeBook(first, 2, QStringLiteral("first"));
        const QString second = book(QStringLiteral("second.mdb"));
        QVERIFY(QFile::copy(first, second));
        QVERIFY(db.openDatabase(first));
        // Cancel on the other file: the check ends in the error exit and the
        // password of the book checked before comes back.
        QVERIFY(!db.isValidDatabase(second));
        QCOMPARE(passwordPrompts(env->prompts), 1);
        QCOMPARE(db.password(), QStringLiteral("first"));
    }

    void wrongCurrentPasswordIsReported()
    {
        const QString path = book();
        makeBook(path, 2, QStringLiteral("secret"));
        db.closeDatabase(false);
        const QByteArray before = readAll(path);
        QVERIFY(!db.removePassword(path, QStringLiteral("not it")));
        QCOMPARE(readAll(path), before);
        QVERIFY(env->prompts.lastMessage().startsWith(QStringLiteral("Error %1: ").arg(kWrongPasswordError)));
        QVERIFY(leftovers(env->documents()).isEmpty());
    }
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
