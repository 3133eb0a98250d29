#include "TestEnv.h"

#include "app/ErrorLog.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <QSignalSpy>
#include <QtTest>

#include <cerrno>

using namespace velmora;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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

int passwordPrompts(const RecordingPrompts &prompts)
{
    int n = 0;
    for (const auto &s : prompts.shown())
        if (s.kind == RecordingPrompts::Shown::Password)
            ++n;
    return n;
}

QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*velmora-tmp*")}, QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestPassword : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> env;
    Database &db = Database::instance();
    QString path;

    // As after a restart: no book open, no password in memory, and the last
    // path another file.
    void forget()
    {
        db.closeDatabase(false);
        db.setPassword(QString());
        db.connection().setDataSource(QString());
        env->prompts.clear();
    }

    // A book with two persons whose names are easy to find in the file.
    void makeBook()
    {
        path = env->documents() + QStringLiteral("/book.mdb");
        QVERIFY(db.newDatabase(path));
        QVERIFY(!executeSql(QStringLiteral("INSERT INTO Person ( Contactnr, Firstname, Lastname ) VALUES ( 1, "
                                           "'Quirinius', 'Zwackelmann' ) "))
                     .failed());
        QVERIFY(!executeSql(QStringLiteral("INSERT INTO Person ( Contactnr, Firstname, Lastname ) VALUES ( 2, "
                                           "'Ottilie', 'Brombeerstrauch' ) "))
                     .failed());
    }

    void makeProtectedBook(const QString &password)
    {
        makeBook();
        QVERIFY(db.addPassword(path, password));
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

    void addPasswordEncryptsAndReopens()
    {
        makeBook();
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
        QCOMPARE(lastNames(), QStringList({"Zwackelmann", "Brombeerstrauch"}));
        QCOMPARE(env->prompts.messageCount(), 0);

        db.closeDatabase(true); // compaction keeps the protection
        const QByteArray file = readAll(path);
        QVERIFY(!file.contains("Zwackelmann"));
        QVERIFY(!file.contains("Brombeerstrauch"));
        QVERIFY(!file.startsWith("SQLite format 3"));
        QVERIFY(leftovers(env->documents()).isEmpty());

        // After a restart the file asks for its password.
        forget();
        env->prompts.queueText(QStringLiteral("geheim"));
        QVERIFY(db.isValidDatabase(path));
        QCOMPARE(passwordPrompts(env->prompts), 1);
        QCOMPARE(env->prompts.shown().front().text, path);
        QVERIFY(db.openDatabase(path));
        QCOMPARE(lastNames(), QStringList({"Zwackelmann", "Brombeerstrauch"}));
    }

    void anyCharactersMakeAPassword_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("connection text") << "x;Data Source=/tmp/other.mdb;";
        QTest::newRow("blanks around") << "  two blanks  ";
        QTest::newRow("non-ASCII") << "pässwörd€";
        QTest::newRow("pragma text") << "'; PRAGMA key='";
        QTest::newRow("long") << QString(300, QLatin1Char('k'));
    }
    void anyCharactersMakeAPassword()
    {
        QFETCH(QString, password);
        makeProtectedBook(password);
        QCOMPARE(db.password(), password);
        forget();
        env->prompts.queueText(QStringLiteral("wrong"));
        env->prompts.queueText(password);
        QVERIFY(db.isValidDatabase(path));
        QCOMPARE(passwordPrompts(env->prompts), 2);
        QVERIFY(db.openDatabase(path));
        QCOMPARE(lastNames(), QStringList({"Zwackelmann", "Brombeerstrauch"}));
        QVERIFY(db.removePassword(path, password));
        QCOMPARE(lastNames(), QStringList({"Zwackelmann", "Brombeerstrauch"}));
    }

    void wrongPasswordAsksAgainUntilCancel()
    {
        makeProtectedBook(QStringLiteral("right"));
        forget();
        env->prompts.queueText(QStringLiteral("wrong"));
        env->prompts.queueText(QStringLiteral("Right"));
        // then Cancel (nothing queued)
        QVERIFY(!db.isValidDatabase(path));
        QCOMPARE(passwordPrompts(env->prompts), 3);
        QCOMPARE(env->prompts.messageCount(), 0); // cancelling says nothing more
        QVERIFY(!db.isOpen());
        QVERIFY(!db.hasPassword());
    }

    void cancelRestoresThePasswordOfTheOtherBook()
    {
        makeProtectedBook(QStringLiteral("first"));
        const QString first = path;
        path = env->documents() + QStringLiteral("/second.mdb");
        QVERIFY(QFile::copy(first, path));
        QVERIFY(db.openDatabase(first));
        QCOMPARE(db.password(), QStringLiteral("first"));
        // Cancel on the other file: the check ends in the error exit and the
        // password of the book checked before comes back.
        QVERIFY(!db.isValidDatabase(path));
        QCOMPARE(passwordPrompts(env->prompts), 1);
        QCOMPARE(db.password(), QStringLiteral("first"));
    }

    void removePasswordNeedsNoTyping()
    {
        makeProtectedBook(QStringLiteral("secret"));
        env->prompts.clear();
        QSignalSpy changed(&db, &Database::passwordChanged);
        QVERIFY(db.removePassword(db.path(), db.password()));
        QVERIFY(db.isOpen());
        QVERIFY(!db.hasPassword());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(int(env->prompts.shown().size()), 0);
        db.closeDatabase(true);
        QVERIFY(readAll(path).startsWith("SQLite format 3"));
        forget();
        QVERIFY(db.isValidDatabase(path));
        QCOMPARE(passwordPrompts(env->prompts), 0);
    }

    void failureLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("err");
        QTest::addColumn<QString>("message");
        const auto copy = int(Database::ReplaceStep::Copy);
        const auto rename = int(Database::ReplaceStep::Rename);
        QTest::newRow("add, disk full") << true << copy << ENOSPC << "Error 61: Disk full";
        QTest::newRow("add, rename refused") << true << rename << EACCES << "Error 70: Permission denied";
        QTest::newRow("remove, rename refused") << false << rename << EPERM << "Error 70: Permission denied";
    }
    void failureLeavesTheFileAsItWas()
    {
        QFETCH(bool, adding);
        QFETCH(int, step);
        QFETCH(int, err);
        QFETCH(QString, message);
        if (adding)
            makeBook();
        else
            makeProtectedBook(QStringLiteral("secret"));
        db.closeDatabase(true);
        const QByteArray before = readAll(path);
        QVERIFY(db.openDatabase(path));
        env->prompts.clear();

        Database::setFaultHook([=](Database::ReplaceStep s) { return int(s) == step ? err : 0; });
        const bool done = adding ? db.addPassword(path, QStringLiteral("new"))
                                 : db.removePassword(path, QStringLiteral("secret"));
        QVERIFY(!done);
        QVERIFY(!db.isOpen());
        QCOMPARE(readAll(path), before);
        QVERIFY(leftovers(env->documents()).isEmpty());
        QCOMPARE(env->prompts.messageCount(), 1);
        const auto &shown = env->prompts.shown().back();
        QCOMPARE(shown.text, message);
        QCOMPARE(shown.title, QStringLiteral("Error"));
        QCOMPARE(shown.icon, Icon::Exclamation);
        const QString entry = (adding ? QStringLiteral("Error adding password: ")
                                      : QStringLiteral("Error removing password: ")) +
                              message.mid(6) + QStringLiteral("\r\n");
        QVERIFY(QString::fromUtf8(readAll(logFilePath())).endsWith(entry));
        // The password in memory is the one the unchanged file needs.
        QCOMPARE(db.password(), adding ? QString() : QStringLiteral("secret"));
        Database::setFaultHook({});
        env->prompts.clear();
        QVERIFY(db.isValidDatabase(path));
        QVERIFY(db.openDatabase(path));
        QCOMPARE(passwordPrompts(env->prompts), 0);
        QCOMPARE(lastNames().size(), 2);
    }

    void wrongCurrentPasswordIsReported()
    {
        makeProtectedBook(QStringLiteral("secret"));
        db.closeDatabase(false);
        const QByteArray before = readAll(path);
        QVERIFY(!db.removePassword(path, QStringLiteral("not it")));
        QCOMPARE(readAll(path), before);
        QVERIFY(env->prompts.lastMessage().startsWith(QStringLiteral("Error %1: ").arg(kWrongPasswordError)));
        QVERIFY(leftovers(env->documents()).isEmpty());
    }
};

QTEST_MAIN(TestPassword)
#include "tst_password.moc"
