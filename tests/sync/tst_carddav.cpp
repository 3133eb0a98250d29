// The CardDAV client against a real Radicale on 127.0.0.1 and against small
// local servers that answer badly or not at all.

#include "../version/LocalWebServer.h"
#include "RadicaleServer.h"
#include "TestEnv.h"
#include "sync/CardDavClient.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;
using namespace Qt::StringLiterals;
using velmora::test::LocalWebServer;
using velmora::test::RadicaleServer;

Q_DECLARE_METATYPE(DavError::Kind)

namespace {

const QString kAnna = u"anna"_s;
const QString kSecret = u"secret"_s;

constexpr auto card = &RadicaleServer::simpleCard;

QStringList sortedHrefs(const QList<DavResource> &list)
{
    QStringList hrefs;
    for (const DavResource &r : list)
        hrefs.append(r.href);
    hrefs.sort();
    return hrefs;
}

QByteArray answer(const QByteArray &status, const QByteArray &type, const QByteArray &body)
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// A 207 answer in XML.
QByteArray multistatus(const QByteArray &body)
{
    return answer("207 Multi-Status", "application/xml; charset=utf-8", body);
}

} // namespace

class TestCardDav : public QObject {
    Q_OBJECT

private:
    test::TestEnv m_env;
    RadicaleServer m_server;
    QUrl m_contacts;
    QUrl m_work;

private slots:
    void initTestCase()
    {
        VELMORA_START_RADICALE(m_server);
        m_contacts = m_server.createAddressBook(kAnna, u"contacts"_s, u"Contacts"_s);
        m_work = m_server.createAddressBook(kAnna, u"work"_s, u"Work"_s);
        QVERIFY(!m_contacts.isEmpty() && !m_work.isEmpty());
    }

    void discover_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("names");
        const QStringList both = {u"Contacts"_s, u"Work"_s};
        QTest::newRow("server root") << QString() << both;
        QTest::newRow("well-known") << u".well-known/carddav"_s << both;
        QTest::newRow("principal") << u"anna/"_s << both;
        QTest::newRow("the address book itself") << u"anna/work/"_s << QStringList{both.at(1)};
        QTest::newRow("the address book without slash") << u"anna/work"_s << QStringList{both.at(1)};
    }
    void discover()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, names);
        CardDavClient client(kAnna, kSecret);
        QList<DavAddressBook> books;
        const DavError e = client.discover(m_server.baseUrl().resolved(QUrl(path)), books);
        QVERIFY2(!e, qPrintable(e.text));
        QStringList found;
        for (const DavAddressBook &b : std::as_const(books)) {
            found.append(b.displayName);
            QVERIFY(b.syncCollection && (b.url == m_contacts || b.url == m_work));
        }
        found.sort();
        QCOMPARE(found, names);
    }

    // Write, read, update and remove cards with their preconditions.
    void cards()
    {
        const QUrl book = m_server.createAddressBook(kAnna, u"cards"_s);
        CardDavClient client(kAnna, kSecret);
        QList<DavResource> list;
        QVERIFY(!client.listCards(book, list) && list.isEmpty()); // also tells the client the server
        const QString a = book.path() + u"a.vcf"_s;
        const auto put = [&](const char *name, const QByteArray &ifMatch, QByteArray &etag) {
            return client.putCard(a, card(u"a"_s, QString::fromUtf8(name)), ifMatch, etag);
        };
        QByteArray etag, newEtag, ignored;
        DavError e = put("Anna Alt", {}, etag);
        QVERIFY2(!e && !etag.isEmpty(), qPrintable(e.text));
        // A second new card at the same place is refused.
        e = put("Other", {}, ignored);
        QCOMPARE(e.kind, DavError::Kind::PreconditionFailed);
        QCOMPARE(e.httpStatus, 412);

        QVERIFY(!client.listCards(book, list));
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first().href, a);
        QCOMPARE(list.first().etag, etag);

        e = put("Anna Neu", etag, newEtag);
        QVERIFY2(!e, qPrintable(e.text));
        QVERIFY(!newEtag.isEmpty() && newEtag != etag);
        // The old ETag no longer matches: a 412 for a PUT and a DELETE.
        QCOMPARE(put("Stale", etag, ignored).kind, DavError::Kind::PreconditionFailed);
        QCOMPARE(client.deleteCard(a, etag).kind, DavError::Kind::PreconditionFailed);

        QList<DavCard> fetched;
        e = client.fetchCards(book, {a, book.path() + u"missing.vcf"_s}, fetched);
        QVERIFY2(!e, qPrintable(e.text));
        QCOMPARE(fetched.size(), 1);
        QCOMPARE(fetched.first().href, a);
        QCOMPARE(fetched.first().etag, newEtag);
        QVERIFY(fetched.first().data.contains("FN:Anna Neu"));

        QVERIFY(!client.deleteCard(a, newEtag));
        QCOMPARE(m_server.getCard(kAnna, RadicaleServer::cardUrl(book, u"a.vcf"_s)).status, 404);
        // Already gone: no error.
        QVERIFY(!client.deleteCard(a, newEtag));
    }

    // Hrefs with characters that need encoding, relative hrefs, and more
    // cards than one multiget asks for.
    void manyCards()
    {
        const QUrl book = m_server.createAddressBook(kAnna, u"many"_s);
        for (int i = 0; i < 101; ++i) {
            const QUrl url = RadicaleServer::cardUrl(book, QLatin1String("card%20") + QString::number(i) +
                                                               QLatin1String(".vcf"));
            QVERIFY(m_server.putCard(kAnna, url, card(u"m%1"_s.arg(i), QString::number(i))).ok());
        }
        CardDavClient client(kAnna, kSecret);
        QList<DavResource> list;
        QVERIFY(!client.listCards(book, list));
        QStringList hrefs = sortedHrefs(list) << u"gone.vcf"_s;
        QCOMPARE(hrefs.size(), 102);
        QList<DavCard> cards;
        const DavError e = client.fetchCards(book, hrefs, cards);
        QVERIFY2(!e, qPrintable(e.text));
        QCOMPARE(cards.size(), 101);
        QSet<QString> names;
        for (const DavCard &c : std::as_const(cards))
            names.insert(QString::fromUtf8(c.data).section(u"FN:"_s, 1).section(u'\r', 0, 0));
        QCOMPARE(names.size(), 101);
        // A relative href, also when the collection lacks its last slash.
        QUrl bare = book;
        bare.setPath(book.path().chopped(1));
        QVERIFY(!client.fetchCards(bare, {u"card%200.vcf"_s}, cards));
        QCOMPARE(cards.size(), 1);
        QCOMPARE(cards.first().href, book.path() + u"card%200.vcf"_s);
        QVERIFY(!client.listCards(bare, list));
        QCOMPARE(list.size(), 101);
    }

    void syncCollection()
    {
        const QUrl book = m_server.createAddressBook(kAnna, u"sync"_s);
        const QUrl a = RadicaleServer::cardUrl(book, u"a.vcf"_s);
        const QUrl b = RadicaleServer::cardUrl(book, u"b.vcf"_s);
        const QUrl c = RadicaleServer::cardUrl(book, u"c.vcf"_s);
        QVERIFY(m_server.putCard(kAnna, a, card("a", "A")).ok() &&
                m_server.putCard(kAnna, c, card("c", "C")).ok());

        CardDavClient client(kAnna, kSecret);
        QString token;
        QVERIFY(!client.syncToken(book, token) && !token.isEmpty());
        DavChanges all;
        DavError e = client.changesSince(book, {}, all);
        QVERIFY2(!e, qPrintable(e.text));
        QCOMPARE(sortedHrefs(all.changed), QStringList({a.path(), c.path()}));
        QVERIFY(all.removed.isEmpty());
        QCOMPARE(all.token, token);

        // Another program adds b, changes a and removes c.
        QVERIFY(m_server.putCard(kAnna, b, card("b", "B")).ok() &&
                m_server.putCard(kAnna, a, card("a", "A2")).ok());
        QVERIFY(m_server.deleteCard(kAnna, c).ok());
        DavChanges changes;
        e = client.changesSince(book, all.token, changes);
        QVERIFY2(!e, qPrintable(e.text));
        QVERIFY(!changes.tokenInvalid);
        QCOMPARE(sortedHrefs(changes.changed), QStringList({a.path(), b.path()}));
        QCOMPARE(changes.removed, QStringList{c.path()});
        QVERIFY(!changes.token.isEmpty() && changes.token != all.token);
        QList<DavResource> list;
        QVERIFY(!client.listCards(book, list));
        for (const DavResource &r : std::as_const(list))
            for (const DavResource &changed : std::as_const(changes.changed))
                QVERIFY(changed.href != r.href || changed.etag == r.etag);

        // Nothing since the new token.
        DavChanges none;
        QVERIFY(!client.changesSince(book, changes.token, none));
        QVERIFY(none.changed.isEmpty() && none.removed.isEmpty());

        // A token the server does not know: list everything, no error.
        for (const QString &bad : {u"http://radicale.org/ns/sync/0000"_s, u"junk"_s}) {
            DavChanges invalid;
            e = client.changesSince(book, bad, invalid);
            QVERIFY2(!e, qPrintable(e.text));
            QVERIFY(invalid.tokenInvalid);
            QVERIFY(invalid.changed.isEmpty() && invalid.removed.isEmpty());
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("path");
        QTest::addColumn<DavError::Kind>("kind");
        QTest::newRow("wrong password") << kAnna << u"wrong"_s << QString() << DavError::Kind::Unauthorized;
        QTest::newRow("unknown user")
            << u"bob"_s << kSecret << u"anna/contacts/"_s << DavError::Kind::Unauthorized;
        QTest::newRow("no such book") << kAnna << kSecret << u"anna/nothing/"_s << DavError::Kind::NotFound;
    }
    void refusals()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, path);
        QFETCH(DavError::Kind, kind);
        CardDavClient client(user, password);
        QList<DavResource> list;
        const DavError e = client.listCards(m_server.baseUrl().resolved(QUrl(path)), list);
        QCOMPARE(e.kind, kind);
        QVERIFY(!e.text.isEmpty());
        if (kind == DavError::Kind::Unauthorized) {
            QCOMPARE(e.text, u"The server refused the user name or password."_s);
            QList<DavAddressBook> books;
            QCOMPARE(client.discover(m_server.baseUrl(), books).kind, kind);
        }
    }

    // A server that goes away and comes back: connection refused while down,
    // the same cards at the same address once it runs again.
    void serverDown()
    {
        RadicaleServer server;
        VELMORA_START_RADICALE(server);
        const QUrl book = server.createAddressBook(kAnna, u"contacts"_s);
        QVERIFY(server.putCard(kAnna, RadicaleServer::cardUrl(book, "a.vcf"), card("a", "A")).ok());
        CardDavClient client(kAnna, kSecret, 5000);
        QList<DavResource> list;
        QVERIFY(!client.listCards(book, list));
        server.kill();
        DavError e = client.listCards(book, list);
        QCOMPARE(e.kind, DavError::Kind::Network);
        QVERIFY2(e.text.startsWith(u"The server refused the connection"_s), qPrintable(e.text));
        QVERIFY(list.isEmpty());
        QByteArray etag;
        QCOMPARE(client.putCard(book.path() + "b.vcf", card("b", "B"), {}, etag).kind,
                 DavError::Kind::Network);
        VELMORA_START_RADICALE(server);
        QCOMPARE(server.baseUrl().port(), book.port());
        e = client.listCards(book, list);
        QVERIFY2(!e, qPrintable(e.text));
        QCOMPARE(list.size(), 1);
    }

    void badAnswers_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<DavError::Kind>("kind");
        const QByteArray good =
            "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\"><d:response>"
            "<d:href>/book/a.vcf</d:href><d:propstat><d:prop><d:getetag>\"1\"</d:getetag>"
            "<d:getcontenttype>text/vcard</d:getcontenttype></d:prop>"
            "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response></d:multistatus>";
        QTest::newRow("well-formed") << multistatus(good) << DavError::Kind::None;
        QTest::newRow("silent") << QByteArray() << DavError::Kind::Timeout;
        QTest::newRow("not XML") << multistatus("hello, world") << DavError::Kind::BadAnswer;
        QTest::newRow("HTML page") << answer("200 OK", "text/html", "<html><body>Welcome</body></html>")
                                   << DavError::Kind::BadAnswer;
        QTest::newRow("card without ETag")
            << multistatus(
                   "<multistatus xmlns=\"DAV:\"><response><href>/book/a.vcf</href><propstat><prop>"
                   "<getcontenttype>text/vcard</getcontenttype></prop><status>HTTP/1.1 200 OK</status>"
                   "</propstat></response></multistatus>")
            << DavError::Kind::BadAnswer;
        QTest::newRow("entity expansion")
            << multistatus("<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                           "\"&a;&a;&a;&a;\">]>"
                           "<multistatus xmlns=\"DAV:\"><response><href>&b;</href></response></multistatus>")
            << DavError::Kind::BadAnswer;
        QTest::newRow("server error")
            << answer("500 Internal Server Error", "text/plain", "oops") << DavError::Kind::Server;
        QTest::newRow("not found") << answer("404 Not Found", "text/plain", "") << DavError::Kind::NotFound;
        QTest::newRow("forbidden") << answer("403 Forbidden", "text/plain", "")
                                   << DavError::Kind::Unauthorized;
        QTest::newRow("closed half-way") << QByteArray("HTTP/1.1 207 Multi-Status\r\nContent-Type: "
                                                       "application/xml\r\nContent-Length: 5000\r\n\r\n" +
                                                       good)
                                         << DavError::Kind::Network;
        QTest::newRow("closed before the status") << QByteArray("HTTP/1.1 2") << DavError::Kind::Network;
        QTest::newRow("redirect to another host")
            << QByteArray(
                   "HTTP/1.1 301 Moved\r\nLocation: http://localhost:9/book/\r\nContent-Length: 0\r\n\r\n")
            << DavError::Kind::Server;
    }
    void badAnswers()
    {
        QFETCH(QByteArray, reply);
        QFETCH(DavError::Kind, kind);
        LocalWebServer server; // silent without a reply
        if (!reply.isEmpty())
            server.portions = {reply};
        server.closeAfterLast = true;
        CardDavClient client(kAnna, kSecret, reply.isEmpty() ? 300 : 5000);
        QElapsedTimer took;
        took.start();
        QList<DavResource> list;
        const DavError e = client.listCards(QUrl(u"http://127.0.0.1:%1/book/"_s.arg(server.port())), list);
        QCOMPARE(e.kind, kind);
        QVERIFY(took.elapsed() < 10000);
        QVERIFY(server.received.startsWith("PROPFIND /book/ HTTP/1.1"));
        QVERIFY(server.received.contains("Authorization: Basic " + QByteArray("anna:secret").toBase64()));
        if (kind == DavError::Kind::None)
            QCOMPARE(list.value(0).etag, QByteArray("\"1\""));
        else
            QVERIFY(!e.text.isEmpty() && list.isEmpty());
    }

    // An untrusted certificate is refused, never accepted silently.
    void untrustedCertificate()
    {
        if (QStandardPaths::findExecutable(u"openssl"_s).isEmpty())
            QSKIP("openssl is not installed: no certificate to test with.");
        QTemporaryDir dir;
        const QString cert = dir.filePath(u"cert.pem"_s);
        const QString key = dir.filePath(u"key.pem"_s);
        QProcess openssl;
        openssl.start(
            u"openssl"_s,
            QStringLiteral("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
                           "-subj /CN=127.0.0.1 -keyout")
                    .split(u' ')
                << key << u"-out"_s << cert);
        QVERIFY(openssl.waitForFinished(30000));
        QVERIFY2(openssl.exitCode() == 0, openssl.readAllStandardError().constData());

        RadicaleServer tls;
        tls.setTls(cert, key);
        VELMORA_START_RADICALE(tls);
        // The server works for a client that accepts its certificate.
        QVERIFY(!tls.createAddressBook(kAnna, u"contacts"_s).isEmpty());
        CardDavClient client(kAnna, kSecret, 10000);
        QList<DavAddressBook> books;
        const DavError e = client.discover(tls.baseUrl(), books);
        QCOMPARE(e.kind, DavError::Kind::Tls);
        QVERIFY2(e.text.startsWith(u"The server's certificate is not trusted: "_s), qPrintable(e.text));
        QVERIFY(books.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCardDav)
#include "tst_carddav.moc"
