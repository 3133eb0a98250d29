#include "RadicaleServer.h"
#include "SyncBook.h"
#include "TestEnv.h"

#include "editor/PersonStore.h"
#include "interchange/BookCards.h"
#include "interchange/VcardReader.h"
#include "store/Database.h"
#include "sync/CardDavClient.h"
#include "sync/SyncEngine.h"

#include <QDirIterator>
#include <QtTest>
#include <sqlite3.h>

using namespace velmora;
using test::addPerson;
using test::describe;
using test::numberOf;
using test::setPhone;

namespace {

const QString kAnna = QStringLiteral("anna");

QByteArray card(const QString &uid, const QString &first, const QString &last, const QByteArray &more = {})
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() + "\r\nN:" + last.toUtf8() + ";" +
           first.toUtf8() + ";;;\r\nFN:" + first.toUtf8() + " " + last.toUtf8() + "\r\n" + more +
           "END:VCARD\r\n";
}

// Passes every call on to the real client, and kills the server just
// before the PUT it is told.
class KillingServer : public DavServer {
public:
    KillingServer(DavServer &inner, test::RadicaleServer &radicale, int killAtPut)
        : m_inner(inner), m_radicale(radicale), m_killAt(killAtPut)
    {
    }
    DavError discover(const QUrl &url, QList<DavAddressBook> &books) override
    {
        return m_inner.discover(url, books);
    }
    DavError syncToken(const QUrl &c, QString &token) override { return m_inner.syncToken(c, token); }
    DavError listCards(const QUrl &c, QList<DavResource> &cards) override
    {
        return m_inner.listCards(c, cards);
    }
    DavError changesSince(const QUrl &c, const QString &token, DavChanges &changes) override
    {
        return m_inner.changesSince(c, token, changes);
    }
    DavError fetchCards(const QUrl &c, const QStringList &hrefs, QList<DavCard> &cards) override
    {
        return m_inner.fetchCards(c, hrefs, cards);
    }
    DavError putCard(const QString &href, const QByteArray &data, const QByteArray &ifMatch,
                     QByteArray &etag) override
    {
        if (--m_killAt == 0)
            m_radicale.kill();
        return m_inner.putCard(href, data, ifMatch, etag);
    }
    DavError deleteCard(const QString &href, const QByteArray &etag) override
    {
        return m_inner.deleteCard(href, etag);
    }

private:
    DavServer &m_inner;
    test::RadicaleServer &m_radicale;
    int m_killAt;
};

} // namespace

class TestSyncRadicale : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> m_env;
    std::unique_ptr<test::RadicaleServer> m_radicale;
    QUrl m_book;

    SyncResult sync(const QString &password = QStringLiteral("secret"))
    {
        CardDavClient client(kAnna, password, 10000);
        return SyncEngine(client, m_book).run();
    }
    // The persons of the cards on the server, read from its storage.
    QStringList serverPersons()
    {
        QStringList out;
        QDirIterator it(m_radicale->storageFolder() + QStringLiteral("/collection-root") + m_book.path(),
                        {QStringLiteral("*.vcf")}, QDir::Files);
        while (it.hasNext()) {
            QFile f(it.next());
            if (!f.open(QIODevice::ReadOnly))
                return {QStringLiteral("unreadable")};
            for (const CardPerson &p : VcardReader::read(f.readAll()).persons)
                out += describe(p, false);
        }
        out.sort();
        return out;
    }
    // The card another program reads and writes back.
    QByteArray serverCard(const QString &name, QByteArray *etag = nullptr)
    {
        const auto answer = m_radicale->getCard(kAnna, test::RadicaleServer::cardUrl(m_book, name));
        if (etag)
            *etag = answer.etag;
        return answer.body;
    }
    // Ann and Bob on the server (written by another program), Cy and Dee in
    // the book, all four on both sides after the first sync.
    void firstSync()
    {
        QVERIFY(m_radicale
                    ->putCard(kAnna, test::RadicaleServer::cardUrl(m_book, "ann.vcf"),
                              card("ann", "Ann", "Smith", "TEL:1\r\n"))
                    .ok());
        QVERIFY(m_radicale
                    ->putCard(kAnna, test::RadicaleServer::cardUrl(m_book, "bob.vcf"),
                              card("bob", "Bob", "Jones", "TEL:2\r\n"))
                    .ok());
        addPerson("Cy", "Twombly", "3");
        addPerson("Dee", "Dee", "4");
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.pulled, 2);
        QCOMPARE(r.summary.pushed, 2);
        const QStringList all = {"Ann Smith tel:1", "Bob Jones tel:2", "Cy Twombly tel:3", "Dee Dee tel:4"};
        QCOMPARE(test::bookPersons(false), all);
        QCOMPARE(serverPersons(), all);
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        QVERIFY(Database::instance().newDatabase(m_env->file(QStringLiteral("book.mdb"))));
        m_radicale = std::make_unique<test::RadicaleServer>();
        VELMORA_START_RADICALE(*m_radicale);
        m_book = m_radicale->createAddressBook(kAnna, QStringLiteral("contacts"));
        QVERIFY(m_book.isValid());
    }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_radicale.reset();
        m_env.reset();
    }

    void firstSyncBothWaysThenNothing()
    {
        firstSync();
        const int changes = sqlite3_total_changes(Database::instance().connection().handle());
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.text(), QStringLiteral("Pulled: 0, pushed: 0, removed: 0, conflicts: 0"));
        QCOMPARE(sqlite3_total_changes(Database::instance().connection().handle()), changes);
    }

    void editOnEachSide()
    {
        firstSync();
        setPhone("Cy", "33");
        QByteArray etag;
        const QByteArray ann = serverCard("ann.vcf", &etag);
        QVERIFY(m_radicale
                    ->putCard(kAnna, test::RadicaleServer::cardUrl(m_book, "ann.vcf"),
                              QByteArray(ann).replace("TEL:1", "TEL:11"), etag)
                    .ok());
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.pulled, 1);
        QCOMPARE(r.summary.pushed, 1);
        const QStringList all = {"Ann Smith tel:11", "Bob Jones tel:2", "Cy Twombly tel:33", "Dee Dee tel:4"};
        QCOMPARE(test::bookPersons(false), all);
        QCOMPARE(serverPersons(), all);
    }

    void conflictKeepsBothVersions()
    {
        firstSync();
        setPhone("Ann", "9");
        QByteArray etag;
        const QByteArray ann = serverCard("ann.vcf", &etag);
        QVERIFY(m_radicale
                    ->putCard(kAnna, test::RadicaleServer::cardUrl(m_book, "ann.vcf"),
                              QByteArray(ann).replace("TEL:1", "TEL:7"), etag)
                    .ok());
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.conflicts, 1);
        QCOMPARE(r.summary.conflictNames, QStringList{"Ann Smith"});
        const QStringList all = {"Ann Smith tel:7", "Ann Smith tel:9", "Bob Jones tel:2", "Cy Twombly tel:3",
                                 "Dee Dee tel:4"};
        QCOMPARE(test::bookPersons(false), all);
        QCOMPARE(serverPersons(), all);
        QVERIFY(serverCard("ann.vcf").contains("TEL:9"));
    }

    // Another program adds, removes and changes cards with its own PUTs and
    // DELETEs; a card with properties the book has no field for keeps them
    // through an edit in the book.
    void secondProgramOnTheServer()
    {
        firstSync();
        const QByteArray extra = "ORG:ACME\r\nURL:https://acme.example/\r\n"
                                 "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\nTEL:5\r\n";
        QVERIFY(m_radicale
                    ->putCard(kAnna, test::RadicaleServer::cardUrl(m_book, "eve.vcf"),
                              card("eve", "Eve", "Adams", extra))
                    .ok());
        QVERIFY(m_radicale->deleteCard(kAnna, test::RadicaleServer::cardUrl(m_book, "bob.vcf")).ok());
        SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.pulled, 1);
        QCOMPARE(r.summary.removedLocal, 1);
        QStringList all = {"Ann Smith tel:1", "Cy Twombly tel:3", "Dee Dee tel:4", "Eve Adams tel:5"};
        QCOMPARE(test::bookPersons(false), all);

        setPhone("Eve", "55");
        r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.pushed, 1);
        const QByteArray eve = serverCard("eve.vcf");
        QVERIFY2(eve.contains("ORG:ACME\r\n"), eve.constData());
        QVERIFY(eve.contains("URL:https://acme.example/\r\n"));
        QVERIFY(eve.contains("PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\n"));
        QVERIFY(eve.contains("TEL:55\r\n"));
        all[3] = QStringLiteral("Eve Adams tel:55");
        QCOMPARE(serverPersons(), all);
    }

    // The server dies half-way through the pushes; started again (on
    // another port), the next sync completes without doubling anyone.
    void serverKilledMidSync()
    {
        for (int i = 1; i <= 12; ++i)
            addPerson(QStringLiteral("P%1").arg(i), QStringLiteral("Here"), QString::number(i));
        {
            CardDavClient client(kAnna, QStringLiteral("secret"), 5000);
            KillingServer killing(client, *m_radicale, 6);
            const SyncResult r = SyncEngine(killing, m_book).run();
            QVERIFY(!r.ok);
            QVERIFY(!r.errorText.isEmpty());
        }
        QCOMPARE(test::bookPersons(false).size(), 12);
        VELMORA_START_RADICALE(*m_radicale);
        m_book = test::RadicaleServer::cardUrl(m_radicale->baseUrl(), m_book.path());
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(test::bookPersons(false).size(), 12);
        QCOMPARE(serverPersons(), test::bookPersons(false));
        const SyncResult again = sync();
        QVERIFY(again.ok);
        QCOMPARE(again.summary.pushed + again.summary.pulled, 0);
    }

    void wrongPassword()
    {
        firstSync();
        setPhone("Ann", "9");
        const int changes = sqlite3_total_changes(Database::instance().connection().handle());
        const SyncResult r = sync(QStringLiteral("wrong"));
        QVERIFY(!r.ok);
        QCOMPARE(r.errorText, QStringLiteral("The server refused the user name or password."));
        QCOMPARE(sqlite3_total_changes(Database::instance().connection().handle()), changes);
        QVERIFY(serverCard("ann.vcf").contains("TEL:1"));
    }
};

QTEST_GUILESS_MAIN(TestSyncRadicale)
#include "tst_syncradicale.moc"
