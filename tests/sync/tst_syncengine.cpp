#include "FakeDavServer.h"
#include "SyncBook.h"
#include "TestBook.h"
#include "TestEnv.h"

#include "editor/PersonStore.h"
#include "interchange/BookCards.h"
#include "interchange/VcardReader.h"
#include "store/Database.h"
#include "store/Sql.h"
#include "sync/SyncEngine.h"
#include "sync/SyncState.h"

#include <QtTest>
#include <sqlite3.h>

using namespace velmora;
using namespace Qt::Literals::StringLiterals;
using test::addPerson;
using test::bookPersons;
using test::describe;
using test::numberOf;
using test::setPhone;

namespace {

QByteArray vcard(const QString &first, const QString &last, const QByteArray &extra = {},
                 const QByteArray &version = "3.0")
{
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\nUID:uid-" + first.toUtf8() + "-" + last.toUtf8() +
           "\r\nN:" + last.toUtf8() + ";" + first.toUtf8() + ";;;\r\nFN:" + first.toUtf8() + " " +
           last.toUtf8() + "\r\n" + extra + "END:VCARD\r\n";
}

QStringList serverPersons(const test::FakeDavServer &server)
{
    QStringList out;
    for (const auto &card : server.cards()) {
        const VcardReadResult read = VcardReader::read(card.data);
        for (const CardPerson &p : read.persons)
            out += describe(p);
    }
    out.sort();
    return out;
}

int rowsChanged()
{
    return sqlite3_total_changes(Database::instance().connection().handle());
}

QString noteOf(const QString &first)
{
    return test::findPerson(first).note;
}

} // namespace

class TestSyncEngine : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;
    std::unique_ptr<test::FakeDavServer> m_server;

    SyncResult sync(test::FakeDavServer *server = nullptr)
    {
        server = server ? server : m_server.get();
        return SyncEngine(*server, server->collection()).run();
    }
    // A synced book and server holding Ann (phone 1) and Bob (phone 2).
    void syncedPair()
    {
        m_server->put(m_server->hrefOf("ann.vcf"), vcard("Ann", "Smith", "TEL:1\r\n"));
        addPerson("Bob", "Jones", "2");
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(bookPersons(), QStringList({"Ann Smith tel:1", "Bob Jones tel:2"}));
        QCOMPARE(serverPersons(*m_server), bookPersons());
    }
    // A sync now asks nothing of the server but the changes and writes nothing.
    void verifySettled(int refetched = 0)
    {
        const QList<int> before{m_server->puts, m_server->fetched + refetched, m_server->deletes,
                                rowsChanged()};
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE((QList<int>{m_server->puts, m_server->fetched, m_server->deletes, rowsChanged()}), before);
        QCOMPARE(r.summary.pulled + r.summary.pushed + r.summary.removedLocal + r.summary.removedRemote, 0);
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        QVERIFY(Database::instance().newDatabase(m_env->file(QStringLiteral("book.mdb"))));
        sqlite3_exec(Database::instance().connection().handle(), "PRAGMA synchronous = OFF", nullptr, nullptr,
                     nullptr);
        m_server = std::make_unique<test::FakeDavServer>();
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_server.reset();
        m_env.reset();
    }

    void firstSyncOfEmptyBook_data()
    {
        QTest::addColumn<bool>("offersSync");
        QTest::newRow("sync-collection") << true;
        QTest::newRow("ETags only") << false;
    }
    void firstSyncOfEmptyBook()
    {
        QFETCH(bool, offersSync);
        m_server->offersSync = offersSync;
        m_server->put(m_server->hrefOf("a.vcf"), vcard("Ann", "Smith", "TEL;TYPE=cell:1\r\nNOTE:Hi\r\n"));
        m_server->put(m_server->hrefOf("b.vcf"), vcard("Bob", "Jones", "BDAY:1970-12-31\r\n", "4.0"));
        m_server->put(m_server->hrefOf("c.vcf"),
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:nameless\r\nEND:VCARD\r\n");
        QVERIFY(!SyncState::isSetUp());
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QVERIFY(SyncState::isSetUp());
        QCOMPARE(bookPersons(), QStringList({"Ann Smith tel:1 [Hi]", "Bob Jones"}));
        QCOMPARE(r.summary.pulled, 2);
        QCOMPARE(r.summary.pushed, 0);
        QCOMPARE(r.summary.problems.size(), 1);
        QVERIFY(r.summary.problems.first().startsWith(QLatin1String("c.vcf: ")));
        QVERIFY(r.summary.text().contains(QLatin1String("c.vcf")));
        QCOMPARE(m_server->puts, 0);
        QCOMPARE(m_server->cards().size(), 3); // the unreadable card is left alone
        // Without sync tokens the unreadable card is read again each time.
        verifySettled(offersSync ? 0 : 1);
    }

    void firstSyncOfFullBook()
    {
        addPerson("Ann", "Smith", "1");
        addPerson("Bob", "Jones");
        addPerson(QStringLiteral("Zoë"), QStringLiteral("O'Brien; \\ ,"), "+31 6");
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.pushed, 3);
        QCOMPARE(serverPersons(*m_server), bookPersons());
        for (auto it = m_server->cards().cbegin(); it != m_server->cards().cend(); ++it) {
            QVERIFY(it.key().startsWith(QLatin1String("/dav/book/")));
            QVERIFY(it.key().endsWith(QLatin1String(".vcf")));
            QVERIFY(it->data.contains("UID:urn:uuid:" + it.key().section(u'/', -1).chopped(4).toUtf8()));
        }
        verifySettled();
    }

    // A change on one side reaches the other; removed on one side and changed
    // on the other, the change wins; changed on both sides (seen when pulling
    // or by a 412 on the push), both versions are kept, the book's on its card.
    void changes_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("pulled"); // -1: not counted
        QTest::addColumn<int>("pushed");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("conflicts");
        const QString ann7 = u"Ann Smith tel:7"_s, ann9 = u"Ann Smith tel:9"_s, bob = u"Bob Jones tel:2"_s;
        const QStringList both = {
            ann7 + u" [Sync conflict: the server's version of this person, 2026-12-06 10:00]"_s, ann9, bob};
        // clang-format off
        QTest::newRow("edit here") << "edit here" << QStringList{ann9, bob} << 0 << 1 << 0 << 0;
        QTest::newRow("edit there") << "edit there" << QStringList{ann7, bob} << 1 << 0 << 0 << 0;
        QTest::newRow("remove here") << "remove here" << QStringList{bob} << 0 << 0 << 1 << 0;
        QTest::newRow("remove there") << "remove there" << QStringList{bob} << 0 << 0 << 1 << 0;
        QTest::newRow("add there") << "add there" << QStringList{"Ann Smith tel:1", bob, "Cy Twombly"} << 1 << 0 << 0 << 0;
        QTest::newRow("remove here, edit there") << "remove here, edit there" << QStringList{ann7, bob} << 1 << 0 << 0 << 0;
        QTest::newRow("edit here, remove there") << "edit here, remove there" << QStringList{ann9, bob} << 0 << 1 << 0 << 0;
        QTest::newRow("edit there, tokens forgotten") << "edit there, forgotten" << QStringList{ann7, bob} << 1 << 0 << 0 << 0;
        QTest::newRow("conflict seen when pulling") << "edit here, edit there" << both << -1 << -1 << 0 << 1;
        QTest::newRow("conflict by 412 on the push") << "edit here, 412" << both << -1 << -1 << 0 << 1;
        // clang-format on
    }
    void changes()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, expected);
        QFETCH(int, pulled);
        QFETCH(int, pushed);
        QFETCH(int, removed);
        QFETCH(int, conflicts);
        syncedPair();
        const QString ann = m_server->hrefOf("ann.vcf");
        m_server->tokensValid = !change.contains(QLatin1String("forgotten"));
        if (change.contains(QLatin1String("edit here")))
            setPhone("Ann", "9");
        if (change.contains(QLatin1String("edit there")))
            m_server->put(ann, vcard("Ann", "Smith", "TEL:7\r\n"));
        if (change.contains(QLatin1String("412"))) { // the card changes between the pull and the push
            m_server->refusePut.insert(ann);
            m_server->beforePut412 = [&](const QString &href) {
                m_server->put(href, vcard("Ann", "Smith", "TEL:7\r\n"));
            };
        }
        if (change.contains(QLatin1String("remove here")))
            QVERIFY(!PersonStore::deletePerson(numberOf("Ann")));
        if (change.contains(QLatin1String("remove there")))
            m_server->remove(ann);
        if (change.contains(QLatin1String("add there")))
            m_server->put(m_server->hrefOf("cy.vcf"), vcard("Cy", "Twombly"));
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(bookPersons(), expected);
        QCOMPARE(serverPersons(*m_server), expected);
        if (pulled >= 0)
            QCOMPARE((QList<int>{r.summary.pulled, r.summary.pushed}), (QList<int>{pulled, pushed}));
        QCOMPARE(r.summary.removedLocal + r.summary.removedRemote, removed);
        QCOMPARE(r.summary.conflicts, conflicts);
        if (conflicts) {
            QCOMPARE(r.summary.conflictNames, QStringList{"Ann Smith"});
            QVERIFY(r.summary.text().contains(QLatin1String("Ann Smith")));
            QCOMPARE(numberOf("Ann"), 2);
            QVERIFY(m_server->cards().value(ann).data.contains("TEL:9"));
        }
        verifySettled();
    }

    // Properties the book has no field for survive; the note does not grow.
    void unknownPropertiesSurvive()
    {
        const QByteArray extra = "ORG:ACME\\, Inc.;Research\r\n"
                                 "item7.URL;TYPE=work:https://acme.example/~ann\r\n"
                                 "item7.X-ABLABEL:Lab\r\n"
                                 "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\n"
                                 "X-SOCIAL;X-NET=\"a:b\":ann\r\n"
                                 "item1.TEL:1\r\nitem1.X-ABLABEL:boat\r\n"
                                 "NOTE:Met in Rome\r\n";
        const QString href = m_server->hrefOf("ann.vcf");
        m_server->put(href, vcard("Ann", "Smith", extra));
        QVERIFY(sync().ok);
        const QString pulledNote = noteOf("Ann");
        QVERIFY(pulledNote.startsWith(QLatin1String("Met in Rome\n")));
        QVERIFY(pulledNote.contains(QLatin1String("ACME, Inc., Research")));
        for (int round = 0; round < 3; ++round) {
            setPhone("Ann", QString::number(10 + round));
            const SyncResult r = sync();
            QVERIFY2(r.ok, qPrintable(r.errorText));
            QCOMPARE(r.summary.pushed, 1);
            const QByteArray card = m_server->cards().value(href).data;
            for (const QByteArray &line :
                 extra.split('\n').mid(0, 5) + QList<QByteArray>{"UID:uid-Ann-Smith\r"})
                QVERIFY2(card.contains(line + '\n'), card.constData());
            QVERIFY(card.contains("NOTE:Met in Rome\r\n") && !card.contains("boat"));
            QCOMPARE(card.count("BEGIN:VCARD"), 1);
            // Another client touches the card: it is read again.
            m_server->put(href, QByteArray(card).replace("Rome", "Rome!"));
            QVERIFY(sync().ok);
            m_server->put(href, QByteArray(m_server->cards().value(href).data).replace("Rome!", "Rome"));
            QVERIFY(sync().ok);
            QCOMPARE(noteOf("Ann"), pulledNote);
        }
        verifySettled();
    }

    // A sync stopped at any call leaves a valid book; the next one completes.
    void stoppedHalfWay_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<bool>("after");
        for (int n = 1; n <= 8; ++n) { // the first sync makes 7 calls
            QTest::addRow("call %d lost before", n) << n << false;
            QTest::addRow("call %d answer lost", n) << n << true;
        }
    }
    void stoppedHalfWay()
    {
        QFETCH(int, failAt);
        QFETCH(bool, after);
        for (const char *name : {"Ann", "Bob", "Cy"})
            m_server->put(m_server->hrefOf(QString::fromLatin1(name) + ".vcf"), vcard(name, "There"));
        for (const char *name : {"Dan", "Eve", "Fay"})
            addPerson(name, "Here");
        m_server->failAt = failAt;
        m_server->failAfter = after;
        const SyncResult stopped = sync();
        if (!stopped.ok)
            QCOMPARE(stopped.errorText, QStringLiteral("The connection was lost."));
        m_server->failAt = 0;
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        const QStringList all = {"Ann There", "Bob There", "Cy There", "Dan Here", "Eve Here", "Fay Here"};
        QCOMPARE(bookPersons(), all);
        QCOMPARE(serverPersons(*m_server), all);
        QCOMPARE(r.summary.conflicts + stopped.summary.conflicts, 0);
        verifySettled();
    }

    // The same persons on both sides are linked, not doubled, after the
    // collection moved to another address.
    void samePersonsLinked()
    {
        syncedPair();
        test::FakeDavServer moved(QUrl(QStringLiteral("http://127.0.0.1:8080/dav/book/")));
        for (auto it = m_server->cards().cbegin(); it != m_server->cards().cend(); ++it)
            moved.put(it.key(), it->data);
        const SyncResult r = sync(&moved);
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.pulled + r.summary.pushed, 0);
        QCOMPARE(moved.puts, 0);
        QCOMPARE(bookPersons(), QStringList({"Ann Smith tel:1", "Bob Jones tel:2"}));
        // Changes go on as before.
        setPhone("Ann", "5");
        QVERIFY(sync(&moved).ok);
        QCOMPARE(serverPersons(moved), QStringList({"Ann Smith tel:5", "Bob Jones tel:2"}));
    }

    void wrongPasswordChangesNothing()
    {
        syncedPair();
        setPhone("Ann", "9");
        m_server->failAt = 1;
        m_server->failWith = {DavError::Kind::Unauthorized, 401, QStringLiteral("The server refused.")};
        const int changes = rowsChanged();
        const SyncResult r = sync();
        QVERIFY(!r.ok);
        QCOMPARE(r.errorText, QStringLiteral("The server refused."));
        QCOMPARE(rowsChanged(), changes);
    }

    // A synced book opens as ever; a person removed by a copy that knows
    // nothing of sync is a removal for the next sync.
    void olderProgramOpensSyncedBook()
    {
        syncedPair();
        const QString path = Database::instance().path();
        Database::instance().closeDatabase(true);
        QVERIFY(Database::instance().isValidDatabase(path));
        QVERIFY(Database::instance().openDatabase(path));
        QVERIFY(SyncState::isSetUp());
        QVERIFY(!PersonStore::deletePerson(numberOf("Bob")));
        Database::instance().closeDatabase(true);
        QVERIFY(Database::instance().openDatabase(path));
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.removedRemote, 1);
        QCOMPARE(serverPersons(*m_server), QStringList{"Ann Smith tel:1"});
        // The number is free again for a new person.
        addPerson("Cy", "New");
        QCOMPARE(numberOf("Cy"), 1);
        QVERIFY(sync().ok);
        QCOMPARE(serverPersons(*m_server), QStringList({"Ann Smith tel:1", "Cy New"}));
    }

    // A narrow older book with the sync tables is widened on opening and keeps them.
    void narrowBookWithSyncTablesWidens()
    {
        const QString path = m_env->file(QStringLiteral("narrow.mdb"));
        {
            Connection c;
            test::createBook(c, path, {test::person(1, "Ann", "Smith")});
            Connection *before = currentConnection();
            setCurrentConnection(&c);
            SyncState state;
            const DbError e = state.setUp(m_server->collection());
            setCurrentConnection(before);
            QVERIFY(!e);
        }
        QVERIFY(Database::instance().openDatabase(path));
        int size = 0;
        QVERIFY(!catalog::definedSize(Database::instance().connection(), "Person", "Firstname", size));
        QCOMPARE(size, 50);
        QVERIFY(SyncState::isSetUp());
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(serverPersons(*m_server), QStringList{"Ann Smith"});
    }

    void bookThatNeverSyncsKeepsItsTables()
    {
        addPerson("Ann", "Smith");
        QVERIFY(!SyncState::isSetUp());
        QCOMPARE(test::rows(Database::instance().connection(),
                            "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", {"name"}),
                 QStringLiteral("Email|Person|Phone"));
    }

    void conflictNoteStaysTranslatable()
    {
        SyncSummary s;
        s.pulled = 3;
        s.pushed = 1;
        s.removedLocal = 1;
        s.removedRemote = 1;
        s.conflicts = 1;
        s.conflictNames = {"Ann Smith"};
        QCOMPARE(s.text(),
                 QStringLiteral("Pulled: 3, pushed: 1, removed: 2, conflicts: 1\nChanged on both sides "
                                "(the server's version was added as a second person):\n  Ann Smith"));
    }
};

QTEST_GUILESS_MAIN(TestSyncEngine)
#include "tst_syncengine.moc"
