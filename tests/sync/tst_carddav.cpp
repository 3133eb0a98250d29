// The CardDAV client against a real Radicale on 127.0.0.1 and against small
// local servers that answer badly.

#include "RadicaleServer.h"
#include "sync/CardDavClient.h"

#include <QtTest>

using namespace velmora;
using velmora::test::RadicaleServer;

class TestCardDav : public QObject {
    Q_OBJECT

private slots:
    void fixture()
    {
        RadicaleServer server;
        VELMORA_START_RADICALE(server);
        const QUrl book = server.createAddressBook(QStringLiteral("anna"), QStringLiteral("contacts"));
        QVERIFY(!book.isEmpty());
        const auto put =
            server.putCard(QStringLiteral("anna"), RadicaleServer::cardUrl(book, QStringLiteral("a.vcf")),
                           RadicaleServer::simpleCard(QStringLiteral("a"), QStringLiteral("Anna")));
        QCOMPARE(put.status, 201);
        QVERIFY(!put.etag.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCardDav)
#include "tst_carddav.moc"
