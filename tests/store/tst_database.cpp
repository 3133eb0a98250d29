#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/ErrorLog.h"

#include <QSignalSpy>
#include <algorithm>
#include <cerrno>

using namespace velmora;

namespace {

// Runs statements on a book file outside the program's own connection.
void runOn(const QString &path, const QStringList &statements)
{
    Connection c;
    QVERIFY(!c.open(path, QString()).failed());
    test::run(c, statements);
}

int sizeOf(const QString &path, const char *table, const char *column)
{
    Connection c;
    int size = -1;
    if (!c.open(path, QString()))
        catalog::definedSize(c, QLatin1String(table), QLatin1String(column), size);
    return size;
}

// The last names in the open book; makeBook()'s persons are Zwackelmann1,
// Zwackelmann2 ..., a name easy to look for in the file.
QString lastNames()
{
    return test::rows(Database::instance().connection(),
                      QStringLiteral("SELECT Lastname FROM Person ORDER BY Contactnr "), {"Lastname"});
}

QString persons(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("Zwackelmann%1").arg(i);
    return names.join(QLatin1Char('|'));
}

int passwordPrompts(const RecordingPrompts &prompts)
{
    return int(std::ranges::count(prompts.shown(), RecordingPrompts::Shown::Password,
                                  &RecordingPrompts::Shown::kind));
}

QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({"*velmora-tmp*"}, QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> env;
    Database &db = Database::instance();

    QString book(const QString &name = "book.mdb") const { return env->documents() + u'/' + name; }

    // A new book (widened, open) with that many persons and maybe a password.
    void makeBook(const QString &path, int count = 2, const QString &password = QString())
    {
        QVERIFY2(db.newDatabase(path), qPrintable(env->prompts.lastMessage()));
        QVERIFY(!executeSql(test::persons(1, count, "Quirinius", "Zwackelmann")));
        if (!password.isEmpty())
            QVERIFY(db.addPassword(path, password));
    }

    // As after a restart: no book open, no password in memory, no last path.
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
        forget();
        env.reset();
    }

    // A new book is made wide; an older narrow one is widened on open, once.
    void booksAreWidenedOnce()
    {
        QSignalSpy opened(&db, &Database::opened);
        const QString fresh = book();
        QVERIFY(db.newDatabase(fresh));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(lastNames(), QString());
        db.closeDatabase(true);
        QVERIFY(leftovers(env->documents()).isEmpty());
        const QString old = book("old.mdb");
        Connection narrow;
        test::createBook(narrow, old); // in the narrow layout of older files
        narrow.close();
        QVERIFY(db.openDatabase(old));
        db.closeDatabase(false);
        QCOMPARE(env->prompts.messageCount(), 0);
        const QList<std::tuple<const char *, const char *, int>> wide = {
            {"Person", "Firstname", 50},   {"Person", "Lastname", 50}, {"Phone", "Number", 50},
            {"Phone", "Description", 100}, {"Email", "Email", 100},    {"Email", "Description", 100}};
        for (const QString &path : {fresh, old}) {
            for (const auto &[table, column, size] : wide)
                QCOMPARE(sizeOf(path, table, column), size);
        }
        // Only Lastname tells the layout: a widened file is never altered again.
        runOn(old, {QStringLiteral("ALTER TABLE Person ALTER COLUMN Firstname CHAR(20) ")});
        QVERIFY(db.openDatabase(old));
        db.closeDatabase(false);
        QCOMPARE(sizeOf(old, "Person", "Firstname"), 20);
    }

    void failedWideningChangesNothing()
    {
        // The last ALTER fails (the column is named otherwise): the first five are
        // undone, so the next open tries the whole widening again.
        const QString path = book("odd.mdb");
        Connection c;
        test::createBook(c, path,
                         {QStringLiteral("DROP TABLE Email"),
                          QStringLiteral("CREATE TABLE Email ( Contactnr SMALLINT, [Order] TINYINT, "
                                         "Email CHAR(50), Label CHAR(15) ) ")});
        c.close();
        QVERIFY(!db.openDatabase(path));
        QVERIFY(!db.isOpen());
        QCOMPARE(env->prompts.messageCount(), 1);
        QVERIFY(test::readAll(logFilePath()).contains("Error opening database: "));
        QCOMPARE(sizeOf(path, "Person", "Lastname"), 20);
        QCOMPARE(sizeOf(path, "Person", "Firstname"), 20);
        QCOMPARE(sizeOf(path, "Email", "Email"), 50);
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
        const QString other = book("other.mdb");
        makeBook(other, 1);
        QSignalSpy closed(&db, &Database::closed);

        QString path = book("bad.mdb");
        const auto is = [&](const char *k) { return kind == QLatin1String(k); };
        if (is("empty path"))
            path.clear();
        else if (is("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (is("empty file") || is("text"))
            test::writeFile(path, is("text") ? "Anna Berg, 555-1234\nNot a book at all.\n" : "");
        if (is("truncated") || is("cut at page")) {
            makeBook(path, 400);
            db.closeDatabase(true);
            const QByteArray whole = test::readAll(path);
            QVERIFY(whole.size() > 8192);
            const qsizetype half = whole.size() / 2 / 4096 * 4096;
            test::writeFile(path, whole.left(is("truncated") ? half + 100 : half));
        } else if (is("missing table") || is("7 columns")) {
            makeBook(path);
            db.closeDatabase(false);
            runOn(path, {is("missing table") ? "DROP TABLE Email"
                                             : "ALTER TABLE Person ADD COLUMN Nickname CHAR(20)"});
        }
        QVERIFY(db.openDatabase(other));
        env->prompts.clear();
        closed.clear();

        QVERIFY(!db.isValidDatabase(path));
        QVERIFY(!db.isOpen());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(int(env->prompts.shown().size()), 1); // one message, no password asked
        QCOMPARE(env->prompts.lastMessage(), test::notValid(path));
    }

    // Compacting on close and adding or removing the password replace the file
    // through a copy: a failure at any step leaves the file as it was, no copy behind.
    void failedReplacementLeavesTheFile_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("err");
        QTest::addColumn<QString>("message");
        using enum Database::ReplaceStep;
        // Compaction on close is silent.
        QTest::newRow("compact, disk full") << "compact" << int(Copy) << ENOSPC << "";
        QTest::newRow("compact, sync fails") << "compact" << int(Sync) << EIO << "";
        QTest::newRow("compact, rename refused") << "compact" << int(Rename) << EACCES << "";
        QTest::newRow("add, disk full") << "adding" << int(Copy) << ENOSPC << "Error 61: Disk full";
        QTest::newRow("add, rename refused")
            << "adding" << int(Rename) << EACCES << "Error 70: Permission denied";
        QTest::newRow("remove, rename refused")
            << "removing" << int(Rename) << EPERM << "Error 70: Permission denied";
    }
    void failedReplacementLeavesTheFile()
    {
        QFETCH(QString, operation);
        QFETCH(int, step);
        QFETCH(int, err);
        QFETCH(QString, message);
        const QString path = book();
        const QString password = operation == "removing" ? QStringLiteral("secret") : QString();
        makeBook(path, 50, password);
        QVERIFY(!executeSql(QStringLiteral("DELETE FROM Person WHERE Contactnr > 5 ")));
        db.closeDatabase(false);
        const QByteArray before = test::readAll(path);
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
        QCOMPARE(test::readAll(path), before);
        QVERIFY(leftovers(env->documents()).isEmpty());
        QCOMPARE(env->prompts.lastMessage(), message);
        QCOMPARE(env->prompts.messageCount(), message.isEmpty() ? 0 : 1);
        const QString entry = QStringLiteral("Error %1 password: %2\r\n").arg(operation, message.mid(6));
        QVERIFY(message.isEmpty() || QString::fromUtf8(test::readAll(logFilePath())).endsWith(entry));
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
        const QByteArray before = test::readAll(path);
        test::WriteProtect locked(path);
        if (!locked.active())
            QSKIP("cannot take write permission away here");
        QVERIFY(db.isValidDatabase(path));
        QVERIFY(db.openDatabase(path));
        QVERIFY(db.isReadOnly());
        QCOMPARE(lastNames(), persons(4));
        db.closeDatabase(true);
        QCOMPARE(test::readAll(path), before);    // not compacted
        QCOMPARE(env->prompts.messageCount(), 0); // the main window tells the user
    }

    // A failed copy is reported and keeps both files; the next one replaces the
    // older file. The open book stays open either way.
    void copyDatabase()
    {
        const QString path = book();
        makeBook(path, 7);
        QVERIFY(db.copyDatabase(path)); // onto itself: the book stays
        QCOMPARE(lastNames(), persons(7));
        const QString copy = book("copy.mdb");
        test::writeFile(copy, "an older file of that name");
        db.setFaultHook(
            [](Database::ReplaceStep s) { return s == Database::ReplaceStep::Copy ? ENOSPC : 0; });
        QVERIFY(!db.copyDatabase(copy));
        QCOMPARE(test::readAll(copy), QByteArray("an older file of that name"));
        QCOMPARE(env->prompts.lastMessage(), QStringLiteral("Error 61: Disk full"));
        QVERIFY(test::readAll(logFilePath()).endsWith(" - Error copying database: 61: Disk full\r\n"));
        QVERIFY(leftovers(env->documents()).isEmpty());
        QCOMPARE(db.path(), path);
        QCOMPARE(lastNames(), persons(7));

        db.setFaultHook({});
        QVERIFY(db.copyDatabase(copy));
        QCOMPARE(db.path(), path);
        QCOMPARE(test::readAll(copy), test::readAll(path));
        QVERIFY(leftovers(env->documents()).isEmpty());
        db.closeDatabase(false);
        QVERIFY(db.isValidDatabase(copy));
        QVERIFY(db.openDatabase(copy));
        QCOMPARE(lastNames(), persons(7));
    }

    // Adding a password encrypts the file. After a restart the check asks for it,
    // again after a wrong one, until it is typed or the entry cancelled.
    void passwordEntry_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("valid");
        const QStringList wrong = {QStringLiteral("wrong")};
        QTest::newRow("right at once") << "geheim" << QStringList() << true;
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
        makeBook(path);
        db.closeDatabase(true);
        QVERIFY(test::readAll(path).contains("Zwackelmann"));
        QVERIFY(db.openDatabase(path));
        QSignalSpy opened(&db, &Database::opened);
        QSignalSpy changed(&db, &Database::passwordChanged);
        QVERIFY(db.addPassword(path, password));
        QCOMPARE(db.password(), password);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(lastNames(), persons(2));
        QCOMPARE(env->prompts.messageCount(), 0);
        db.closeDatabase(true); // compaction keeps the protection
        QVERIFY(!test::readAll(path).contains("Zwackelmann"));
        QVERIFY(leftovers(env->documents()).isEmpty());

        forget();
        for (const QString &text : typed)
            env->prompts.queueText(text);
        if (valid)
            env->prompts.queueText(password);
        QCOMPARE(db.isValidDatabase(path), valid);
        QCOMPARE(passwordPrompts(env->prompts), int(typed.size()) + 1);
        QCOMPARE(env->prompts.shown().front().text, path);
        // The window says the password was wrong each time it comes again.
        QString wrongShown;
        for (const RecordingPrompts::Shown &shown : env->prompts.shown())
            wrongShown += shown.afterWrongPassword ? QLatin1Char('1') : QLatin1Char('0');
        QCOMPARE(wrongShown, QStringLiteral("0") + QString(typed.size(), QLatin1Char('1')));
        if (!valid) {
            QCOMPARE(env->prompts.messageCount(), 0); // cancelling says nothing more
            QVERIFY(!db.isOpen());
            QVERIFY(!db.hasPassword());
            return;
        }
        QVERIFY(db.openDatabase(path));
        QCOMPARE(lastNames(), persons(2));
        // Removing the password needs no typing: the one in memory is used.
        changed.clear();
        QVERIFY(db.removePassword(db.path(), db.password()));
        QCOMPARE(int(env->prompts.shown().size()), int(typed.size()) + 1);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!db.hasPassword());
        QCOMPARE(lastNames(), persons(2));
        db.closeDatabase(true);
        QVERIFY(test::readAll(path).startsWith("SQLite format 3"));
    }

    void wrongOrCancelledPasswordChangesNothing()
    {
        const QString path = book();
        makeBook(path, 2, QStringLiteral("secret"));
        const QString second = book("second.mdb");
        QVERIFY(QFile::copy(path, second));
        // Cancel on the other file: the check ends in the error exit and the
        // password of the book checked before comes back.
        QVERIFY(!db.isValidDatabase(second));
        QCOMPARE(passwordPrompts(env->prompts), 1);
        QCOMPARE(db.password(), QStringLiteral("secret"));

        const QByteArray before = test::readAll(path);
        QVERIFY(!db.removePassword(path, QStringLiteral("not it")));
        QCOMPARE(test::readAll(path), before);
        QVERIFY(env->prompts.lastMessage().startsWith(QStringLiteral("Error %1: ").arg(kWrongPasswordError)));
        QVERIFY(leftovers(env->documents()).isEmpty());
    }
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
