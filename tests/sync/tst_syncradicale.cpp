#include "FakeDavServer.h"
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

int rowsChanged()
{
    return sqlite3_total_changes(Database::instance().connection().handle());
}

QByteArray card(const QString &uid, const QString &first, const QString &last, const QByteArray &more = {})
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() + "\r\nN:" + last.toUtf8() + ";" +
           first.toUtf8() + ";;;\r\nFN:" + first.toUtf8() + " " + last.toUtf8() + "\r\n" + more +
           "END:VCARD\r\n";
}

// Kills the server just before the PUT it is told.
class KillingServer : public test::ForwardingDavServer {
public:
    KillingServer(DavServer &inner, test::RadicaleServer &radicale, int killAtPut)
        : ForwardingDavServer(inner), m_radicale(radicale), m_killAt(killAtPut)
    {
    }
    DavError putCard(const QString &href, const QByteArray &data, const QByteArray &ifMatch,
                     QByteArray &etag) override
    {
        if (--m_killAt == 0)
            m_radicale.kill();
        return ForwardingDavServer::putCard(href, data, ifMatch, etag);
    }

private:
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
    QByteArray serverCard(const QString &name)
    {
        return m_radicale->getCard(kAnna, test::RadicaleServer::cardUrl(m_book, name)).body;
    }
    // Another program writes a card, or changes one it has read (by its ETag).
    void putServer(const QString &name, const QByteArray &data)
    {
        QVERIFY(m_radicale->putCard(kAnna, test::RadicaleServer::cardUrl(m_book, name), data).ok());
    }
    void editServer(const QString &name, const QByteArray &from, const QByteArray &to)
    {
        const auto old = m_radicale->getCard(kAnna, test::RadicaleServer::cardUrl(m_book, name));
        QVERIFY(m_radicale
                    ->putCard(kAnna, test::RadicaleServer::cardUrl(m_book, name),
                              QByteArray(old.body).replace(from, to), old.etag)
                    .ok());
    }
    void verifyBothSides(const QStringList &all)
    {
        QCOMPARE(test::bookPersons(false), all);
        QCOMPARE(serverPersons(), all);
    }
    // Ann and Bob on the server (written by another program), Cy and Dee in
    // the book, all four on both sides after the first sync.
    void firstSync()
    {
        putServer("ann.vcf", card("ann", "Ann", "Smith", "TEL:1\r\n"));
        putServer("bob.vcf", card("bob", "Bob", "Jones", "TEL:2\r\n"));
        addPerson("Cy", "Twombly", "3");
        addPerson("Dee", "Dee", "4");
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.pulled, 2);
        QCOMPARE(r.summary.pushed, 2);
        verifyBothSides({"Ann Smith tel:1", "Bob Jones tel:2", "Cy Twombly tel:3", "Dee Dee tel:4"});
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

    // An edit on each side reaches the other; the same person changed on
    // both sides is kept twice, the book's version on its card. Then the
    // sync is settled.
    void editOnEachSide_data()
    {
        QTest::addColumn<QString>("here");
        QTest::addColumn<QStringList>("all");
        QTest::addColumn<int>("conflicts");
        // clang-format off
        QTest::newRow("different persons") << "Cy" << QStringList{"Ann Smith tel:11", "Bob Jones tel:2", "Cy Twombly tel:9", "Dee Dee tel:4"} << 0;
        QTest::newRow("the same person") << "Ann" << QStringList{"Ann Smith tel:11", "Ann Smith tel:9", "Bob Jones tel:2", "Cy Twombly tel:3", "Dee Dee tel:4"} << 1;
        // clang-format on
    }
    void editOnEachSide()
    {
        QFETCH(QString, here);
        QFETCH(QStringList, all);
        QFETCH(int, conflicts);
        firstSync();
        setPhone(here, "9");
        editServer("ann.vcf", "TEL:1", "TEL:11");
        const SyncResult r = sync();
        QVERIFY2(r.ok, qPrintable(r.errorText));
        QCOMPARE(r.summary.conflicts, conflicts);
        QCOMPARE(r.summary.conflictNames, conflicts ? QStringList{"Ann Smith"} : QStringList());
        if (!conflicts)
            QCOMPARE(r.summary.pulled + r.summary.pushed, 2);
        verifyBothSides(all);
        QCOMPARE(serverCard("ann.vcf").contains("TEL:9"), conflicts == 1);
        // The next sync finds nothing to do and writes nothing.
        const int changes = rowsChanged();
        const SyncResult again = sync();
        QVERIFY2(again.ok, qPrintable(again.errorText));
        QCOMPARE(again.summary.text(), QStringLiteral("Pulled: 0, pushed: 0, removed: 0, conflicts: 0"));
        QCOMPARE(rowsChanged(), changes);
    }

    // Another program adds and removes cards; properties the book has no
    // field for survive an edit in the book.
    void secondProgramOnTheServer()
    {
        firstSync();
        const QByteArray extra = "ORG:ACME\r\nURL:https://acme.example/\r\n"
                                 "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\nTEL:5\r\n";
        putServer("eve.vcf", card("eve", "Eve", "Adams", extra));
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
        for (const QByteArray &line : QByteArray(extra).replace("TEL:5", "TEL:55").chopped(1).split('\n'))
            QVERIFY2(eve.contains(line + '\n'), eve.constData());
        all[3] = QStringLiteral("Eve Adams tel:55");
        QCOMPARE(serverPersons(), all);
    }

    // The server dies half-way through the pushes; restarted, the next sync
    // completes without doubling anyone.
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
        const int changes = rowsChanged();
        const SyncResult r = sync(QStringLiteral("wrong"));
        QVERIFY(!r.ok);
        QCOMPARE(r.errorText, QStringLiteral("The server refused the user name or password."));
        QCOMPARE(rowsChanged(), changes);
        QVERIFY(serverCard("ann.vcf").contains("TEL:1"));
    }
};

QTEST_GUILESS_MAIN(TestSyncRadicale)
#include "tst_syncradicale.moc"
