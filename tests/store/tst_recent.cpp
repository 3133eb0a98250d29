#include "TestEnv.h"

#include "settings/Settings.h"
#include "store/Database.h"
#include "store/RecentDatabases.h"

#include <QSignalSpy>
#include <QtTest>

using namespace velmora;

namespace {

void setRecent(const QStringList &entries)
{
    for (int i = 0; i < RecentDatabases::kCount; ++i)
        saveSetting(RecentDatabases::settingName(i), entries.value(i));
}

QString notValid(const QString &path)
{
    return QStringLiteral("This is not a valid Velmora database:\n") + path;
}

} // namespace

class TestRecent : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> env;
    Database &db = Database::instance();
    RecentDatabases &recent = RecentDatabases::instance();

    QString book(const QString &name) const { return env->documents() + QLatin1Char('/') + name; }

private slots:
    void init() { env = std::make_unique<test::TestEnv>(); }
    void cleanup()
    {
        db.closeDatabase(false);
        db.setPassword(QString());
        env.reset();
    }

    void shortenPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("deep") << "/a/b/c/d/e/book.mdb" << QString("/a/.../e/book.mdb");
        QTest::newRow("blanks in names")
            << "/media/My Disk/Address books/Family/b.mdb" << QString("/media/.../Family/b.mdb");
        QTest::newRow("one folder below the first")
            << "/home/user/book.mdb" << QString("/home/user/book.mdb");
        QTest::newRow("bare name") << "book.mdb" << QString("book.mdb");
        QTest::newRow("empty") << "" << QString();
    }
    void shortenPath()
    {
        QFETCH(QString, path);
        QTEST(RecentDatabases::shortenPath(path), "expected");
    }

    void addRecent_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("after");
        const QStringList abc = {"/x/a.mdb", "/x/b.mdb", "/x/c.mdb"};
        QTest::newRow("new path pushes the last out")
            << abc << "/x/d.mdb" << QStringList{"/x/d.mdb", "/x/a.mdb", "/x/b.mdb"};
        QTest::newRow("first stays") << abc << "/x/a.mdb" << abc;
        QTest::newRow("second swaps with first")
            << abc << "/x/b.mdb" << QStringList{"/x/b.mdb", "/x/a.mdb", "/x/c.mdb"};
        QTest::newRow("third rotates all")
            << abc << "/x/c.mdb" << QStringList{"/x/c.mdb", "/x/a.mdb", "/x/b.mdb"};
        QTest::newRow("case differs: another path")
            << abc << "/x/B.mdb" << QStringList{"/x/B.mdb", "/x/a.mdb", "/x/b.mdb"};
        QTest::newRow("empty list") << QStringList{"", "", ""} << "/x/a.mdb"
                                    << QStringList{"/x/a.mdb", "", ""};
        QTest::newRow("one entry") << QStringList{"/x/a.mdb", "", ""} << "/x/b.mdb"
                                   << QStringList{"/x/b.mdb", "/x/a.mdb", ""};
    }
    void addRecent()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, path);
        QFETCH(QStringList, after);
        setRecent(before);
        recent.addRecent(path);
        QCOMPARE(RecentDatabases::entries(), after);
    }

    void goneRecentEntryIsRemovedAfterTheMessage()
    {
        const QString a = book(QStringLiteral("a.mdb"));
        const QString gone = book(QStringLiteral("gone.mdb"));
        QVERIFY(db.newDatabase(a));
        setRecent({a, gone, "/x/c.mdb"});
        QSignalSpy changed(&recent, &RecentDatabases::changed);
        QVERIFY(!recent.openRecent(1));
        QVERIFY(!db.isOpen());
        QCOMPARE(env->prompts.lastMessage(), notValid(gone));
        QCOMPARE(RecentDatabases::entries(), QStringList({a, "/x/c.mdb", ""}));
        QCOMPARE(changed.count(), 1);
    }

    // A default book that was deleted is forgotten after the message; the
    // next start then creates the standard file and remembers it.
    void deletedDefaultGivesWayToTheStandardFile()
    {
        const QString mine = book(QStringLiteral("mine.mdb"));
        QVERIFY(db.newDatabase(mine));
        db.closeDatabase(true);
        QVERIFY(QFile::remove(mine));
        recent.openDefaultDatabase();
        QVERIFY(!db.isOpen());
        QCOMPARE(env->prompts.lastMessage(), notValid(mine));
        QVERIFY(getSetting(QStringLiteral("Default database")).isEmpty());

        env->prompts.clear();
        setRecent({});
        const QString standard = env->documents() + QStringLiteral("/Velmora.mdb");
        QVERIFY(!QFileInfo::exists(standard));
        recent.openDefaultDatabase();
        QVERIFY(db.isOpen());
        QCOMPARE(db.path(), standard);
        QVERIFY(QFileInfo::exists(standard));
        QCOMPARE(getSetting(QStringLiteral("Default database")), standard);
        QCOMPARE(RecentDatabases::entries(), QStringList({standard, "", ""}));
        QCOMPARE(env->prompts.messageCount(), 0);
    }
};

QTEST_MAIN(TestRecent)
#include "tst_recent.moc"
