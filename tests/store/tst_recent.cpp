#include "TestBook.h"
#include "TestEnv.h"

#include "settings/Settings.h"
#include "store/RecentDatabases.h"

#include <QSignalSpy>

using namespace velmora;

namespace {

void setRecent(const QStringList &entries)
{
    for (int i = 0; i < RecentDatabases::kCount; ++i)
        saveSetting(RecentDatabases::settingName(i), entries.value(i));
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
        env.reset();
    }

    void shortenPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("deep") << "/a/b/c/d/e/book.mdb" << QString("/a/.../e/book.mdb");
        QTest::newRow("blanks in names")
            << "/My Disk/Address books/My Family/b.mdb" << QString("/My Disk/.../My Family/b.mdb");
        QTest::newRow("one folder below the first") << "/home/u/b.mdb" << QString("/home/u/b.mdb");
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
        const QStringList abc = {"/a", "/b", "/c"};
        QTest::newRow("new path pushes the last out") << abc << "/d" << QStringList{"/d", "/a", "/b"};
        QTest::newRow("first stays") << abc << "/a" << abc;
        QTest::newRow("second swaps with first") << abc << "/b" << QStringList{"/b", "/a", "/c"};
        QTest::newRow("third rotates all") << abc << "/c" << QStringList{"/c", "/a", "/b"};
        QTest::newRow("case differs: another path") << abc << "/B" << QStringList{"/B", "/a", "/b"};
        QTest::newRow("empty list") << QStringList{"", "", ""} << "/a" << QStringList{"/a", "", ""};
        QTest::newRow("one entry") << QStringList{"/a", "", ""} << "/b" << QStringList{"/b", "/a", ""};
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
        const QString a = book("a.mdb");
        const QString gone = book("gone.mdb");
        QVERIFY(db.newDatabase(a));
        setRecent({a, gone, "/x/c.mdb"});
        QSignalSpy changed(&recent, &RecentDatabases::changed);
        QVERIFY(!recent.openRecent(1));
        QVERIFY(!db.isOpen());
        QCOMPARE(env->prompts.lastMessage(), test::notValid(gone));
        QCOMPARE(RecentDatabases::entries(), QStringList({a, "/x/c.mdb", ""}));
        QCOMPARE(changed.count(), 1);
    }

    // A default book that was deleted is forgotten after the message; the
    // next start then creates the standard file and remembers it.
    void deletedDefaultGivesWayToTheStandardFile()
    {
        const QString mine = book("mine.mdb");
        QVERIFY(db.newDatabase(mine));
        db.closeDatabase(true);
        QVERIFY(QFile::remove(mine));
        recent.openDefaultDatabase();
        QVERIFY(!db.isOpen());
        QCOMPARE(env->prompts.lastMessage(), test::notValid(mine));
        QVERIFY(getSetting(QStringLiteral("Default database")).isEmpty());

        env->prompts.clear();
        setRecent({});
        const QString standard = env->documents() + QStringLiteral("/Velmora.mdb");
        QVERIFY(!QFileInfo::exists(standard));
        recent.openDefaultDatabase();
        QVERIFY(db.isOpen());
        QCOMPARE(db.path(), standard);
        QCOMPARE(getSetting(QStringLiteral("Default database")), standard);
        QCOMPARE(RecentDatabases::entries(), QStringList({standard, "", ""}));
        QCOMPARE(env->prompts.messageCount(), 0);
    }
};

QTEST_MAIN(TestRecent)
#include "tst_recent.moc"
