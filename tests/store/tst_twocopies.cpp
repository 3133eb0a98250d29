#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "settings/Translate.h"
#include "store/BookLock.h"

#include <QApplication>
#include <QProcess>
#include <QTextStream>
#include <sys/stat.h>

using namespace velmora;

// Two copies of the program on one book. The second copy is this test
// program started again with "--second-copy <book>": it opens the book through
// the program's own open path and then follows commands, one a line, on its
// standard input ("add <nr>", "close", "quit"), answering each on one line.

namespace {

int runSecondCopy(const QString &path)
{
    test::TestEnv env;
    QTextStream in(stdin);
    QTextStream out(stdout);
    Database &db = Database::instance();
    out << (db.openDatabase(path) ? "open" : "not open") << Qt::endl;
    QString line;
    while (in.readLineInto(&line)) {
        if (line.startsWith(QLatin1String("add "))) {
            const DbError e = executeSql(test::person(line.mid(4).toInt(), "Second", "Copy"));
            out << (e ? QStringLiteral("error ") + e.description : QStringLiteral("added")) << Qt::endl;
        } else if (line == QLatin1String("close")) {
            db.closeDatabase(true);
            out << "closed" << Qt::endl;
        } else {
            break;
        }
    }
    db.closeDatabase(true);
    return 0;
}

class SecondCopy {
public:
    explicit SecondCopy(const QString &path)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--second-copy"), path});
    }
    ~SecondCopy() { finish(); }

    // The next line the second copy writes.
    QString reply()
    {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(30000))
                return QStringLiteral("no answer");
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    QString ask(const QString &command)
    {
        m_process.write((command + QLatin1Char('\n')).toUtf8());
        return reply();
    }
    // Ends the second copy; its exit status, -1 when it did not end normally.
    int finish()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(30000)) {
            m_process.kill();
            m_process.waitForFinished();
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
};

// Identifies the file a path names: a replaced book is another file.
QString fileId(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("missing");
    return QStringLiteral("%1:%2").arg(st.st_dev).arg(st.st_ino);
}

} // namespace

class TestTwoCopies : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> env;
    Database &db = Database::instance();

    QString book() const { return env->documents() + QStringLiteral("/book.mdb"); }

    void makeBook(const QString &path, const QString &password = QString())
    {
        QVERIFY2(db.newDatabase(path), qPrintable(env->prompts.lastMessage()));
        QVERIFY(!executeSql(test::persons(1, 2, "Quirinius", "Zwackelmann")));
        if (!password.isEmpty())
            QVERIFY(db.addPassword(path, password));
        env->prompts.clear();
    }

    QString contactnrs() const
    {
        return test::rows(Database::instance().connection(),
                          QStringLiteral("SELECT Contactnr FROM Person ORDER BY Contactnr "));
    }

    static QString openElsewhereText(const QString &path)
    {
        return T("The password cannot be changed while the database is open in another copy of "
                 "Velmora. Close it there first.") +
               QLatin1Char('\n') + path;
    }

private slots:
    void init() { env = std::make_unique<test::TestEnv>(); }
    void cleanup()
    {
        db.closeDatabase(false);
        db.setPassword(QString());
        env.reset();
    }

    // Whichever copy closes first leaves the book alone (no compaction into
    // a new file under the other copy); the other copy's later writes reach
    // the file, and the last one to close compacts it.
    void secondCopyKeepsItsWrites_data()
    {
        QTest::addColumn<bool>("thisCopyClosesFirst");
        QTest::newRow("this copy closes first") << true;
        QTest::newRow("the second copy closes first") << false;
    }
    void secondCopyKeepsItsWrites()
    {
        QFETCH(bool, thisCopyClosesFirst);
        const QString path = book();
        makeBook(path);
        SecondCopy second(path);
        QCOMPARE(second.reply(), QStringLiteral("open"));
        const QString original = fileId(path);

        if (thisCopyClosesFirst) {
            db.closeDatabase(true);
            QCOMPARE(fileId(path), original); // not replaced under the second copy
            QCOMPARE(second.ask(QStringLiteral("add 3")), QStringLiteral("added"));
            QCOMPARE(second.ask(QStringLiteral("close")), QStringLiteral("closed"));
        } else {
            QCOMPARE(second.ask(QStringLiteral("close")), QStringLiteral("closed"));
            QCOMPARE(fileId(path), original);
            QVERIFY(!executeSql(test::person(3, "This", "Copy")));
            db.closeDatabase(true);
        }
        QVERIFY(fileId(path) != original); // the last to close compacted it
        QCOMPARE(second.finish(), 0);

        QVERIFY(db.isValidDatabase(path));
        QVERIFY(db.openDatabase(path));
        QCOMPARE(contactnrs(), QStringLiteral("1|2|3"));
    }

    // Every connection holds the lock shared; it can be made exclusive only
    // while no other connection has the book open, a read-only one included.
    void connectionsShareTheLock()
    {
        const QString path = book();
        makeBook(path);
        db.closeDatabase(true);
        Connection a;
        Connection b;
        QVERIFY(!a.open(path, QString()));
        QVERIFY(!b.open(path, QString()));
        QVERIFY(!a.lockExclusively());
        QVERIFY(!b.lockExclusively());
        a.close();
        QVERIFY(b.lockExclusively());
        b.close();

        BookLock reader;
        QVERIFY(!reader.lockShared(path));
        QVERIFY(!a.open(path, QString()));
        QVERIFY(!a.lockExclusively());
        reader.release();
        QVERIFY(a.lockExclusively());
    }

    // Adding or removing the password rewrites the file: refused with a clear
    // message while another copy has the book open; the book stays open as it
    // was. Once the other copy is gone it works.
    void passwordWaitsForTheOtherCopy_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("newPassword");
        // clang-format off
        QTest::newRow("add") << "" << "new secret";
        QTest::newRow("remove") << "old secret" << "";
        // clang-format on
    }
    void passwordWaitsForTheOtherCopy()
    {
        QFETCH(QString, password);
        QFETCH(QString, newPassword);
        const QString path = book();
        makeBook(path, password);
        Connection other;
        QVERIFY(!other.open(path, password));
        const QByteArray before = test::readAll(path);
        const auto change = [&] {
            return newPassword.isEmpty() ? db.removePassword(path, password)
                                         : db.addPassword(path, newPassword);
        };

        QVERIFY(!change());
        QCOMPARE(env->prompts.lastMessage(), openElsewhereText(path));
        QCOMPARE(test::readAll(path), before);
        QVERIFY(db.isOpen());
        QCOMPARE(db.password(), password);
        QCOMPARE(contactnrs(), QStringLiteral("1|2"));

        other.close();
        QVERIFY(change());
        QCOMPARE(db.password(), newPassword);
        QCOMPARE(contactnrs(), QStringLiteral("1|2"));
    }

    // A write-protected book keeps its password as it is: refused with a
    // message, the file unchanged, whether it was protected before it was
    // opened (open for reading) or while it was open.
    void passwordOfWriteProtectedBook_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<bool>("protectedBeforeOpening");
        // clang-format off
        QTest::newRow("add, opened read-only") << "" << "new secret" << true;
        QTest::newRow("add, protected while open") << "" << "new secret" << false;
        QTest::newRow("remove, opened read-only") << "old secret" << "" << true;
        QTest::newRow("remove, protected while open") << "old secret" << "" << false;
        // clang-format on
    }
    void passwordOfWriteProtectedBook()
    {
        QFETCH(QString, password);
        QFETCH(QString, newPassword);
        QFETCH(bool, protectedBeforeOpening);
        const QString path = book();
        makeBook(path, password);
        if (protectedBeforeOpening)
            db.closeDatabase(true);
        test::WriteProtect locked(path);
        if (!locked.active())
            QSKIP("cannot take write permission away here");
        if (protectedBeforeOpening) {
            QVERIFY(db.isValidDatabase(path));
            QVERIFY(db.openDatabase(path));
            QVERIFY(db.isReadOnly());
        }
        const QByteArray before = test::readAll(path);
        env->prompts.clear();

        QVERIFY(newPassword.isEmpty() ? !db.removePassword(path, password)
                                      : !db.addPassword(path, newPassword));
        QCOMPARE(env->prompts.lastMessage(),
                 T("The password cannot be changed: the database is write-protected.") + QLatin1Char('\n') +
                     path);
        QCOMPARE(test::readAll(path), before);
        QVERIFY(db.isOpen());
        QCOMPARE(db.password(), password);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--second-copy") == 0)
        return runSecondCopy(QString::fromLocal8Bit(argv[2]));
    TestTwoCopies test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_twocopies.moc"
