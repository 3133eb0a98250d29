// Reading WebDAV multistatus answers as servers write them (any prefixes,
// properties answered 404, removed members), refusing the rest.

#include "sync/DavXml.h"

#include <QtTest>

using namespace velmora;
using namespace Qt::StringLiterals;

class TestDavXml : public QObject {
    Q_OBJECT

private slots:
    void prefixes_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("D and C") << QByteArray(
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
            "<D:multistatus xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:response>"
            "<D:href>/anna/book/</D:href><D:propstat><D:prop><D:resourcetype><D:collection/><C:addressbook/>"
            "</D:resourcetype><D:displayname> Book "
            "</D:displayname><D:supported-report-set><D:supported-report>"
            "<D:report><D:sync-collection/></D:report></D:supported-report></D:supported-report-set>"
            "<C:addressbook-home-set><D:href>/anna/</D:href></C:addressbook-home-set></D:prop>"
            "<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response></D:multistatus>");
        QTest::newRow("default namespace, odd prefix") << QByteArray(
            "<multistatus xmlns=\"DAV:\"><response><href>/anna/book/</href><propstat><prop>"
            "<resourcetype><collection/><card:addressbook xmlns:card=\"urn:ietf:params:xml:ns:carddav\"/>"
            "</resourcetype><displayname>Book</displayname>"
            "<x:addressbook-home-set xmlns:x=\"urn:ietf:params:xml:ns:carddav\"><href>/anna/</href>"
            "</x:addressbook-home-set><supported-report-set><supported-report><report><sync-collection/>"
            "</report></supported-report></supported-report-set></prop><status>HTTP/1.1 200 OK</status>"
            "</propstat></response></multistatus>");
        QTest::newRow("split in two propstats, 404 part ignored") << QByteArray(
            "<a:multistatus xmlns:a=\"DAV:\"><a:response><a:href>/anna/book/</a:href>"
            "<a:propstat><a:prop><a:displayname>Book</a:displayname><a:resourcetype><a:collection/>"
            "<b:addressbook xmlns:b=\"urn:ietf:params:xml:ns:carddav\"/></a:resourcetype></a:prop>"
            "<a:status>HTTP/1.1 200 OK</a:status></a:propstat>"
            "<a:propstat><a:prop><a:getetag>\"nope\"</a:getetag><a:displayname>Wrong</a:displayname></a:prop>"
            "<a:status>HTTP/1.1 404 Not Found</a:status></a:propstat>"
            "<a:propstat><a:prop><a:supported-report-set><a:supported-report><a:report><a:sync-collection/>"
            "</a:report></a:supported-report></a:supported-report-set>"
            "<b:addressbook-home-set xmlns:b=\"urn:ietf:params:xml:ns:carddav\"><a:href>/anna/</a:href>"
            "</b:addressbook-home-set></a:prop><a:status>HTTP/1.1 200 OK</a:status></a:propstat>"
            "<a:unknown><a:href>/elsewhere/</a:href></a:unknown></a:response></a:multistatus>");
    }
    void prefixes()
    {
        QFETCH(QByteArray, xml);
        const DavMultistatus read = readMultistatus(xml);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.responses.size(), 1);
        const DavResponse &r = read.responses.first();
        QCOMPARE(r.href, u"/anna/book/"_s);
        QVERIFY(r.isCollection && r.isAddressBook && r.syncCollectionReport);
        QCOMPARE(r.displayName, u"Book"_s);
        QCOMPARE(r.homeSets, QStringList{u"/anna/"_s});
        QVERIFY(!r.hasEtag);
        // What is kept reads back the same after writing.
        QCOMPARE(readMultistatus(writeMultistatus(read)), read);
    }

    void syncAnswer()
    {
        const DavMultistatus read = readMultistatus(
            "<d:multistatus xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
            "<d:response><d:href>/b/a.vcf</d:href><d:propstat><d:prop><d:getetag>\"e1\"</d:getetag></d:prop>"
            "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
            "<d:response><d:href>/b/gone.vcf</d:href><d:href>/b/gone%202.vcf</d:href>"
            "<d:status>HTTP/1.1 404 Not Found</d:status></d:response>"
            "<d:response><d:href>http://h/b/c.vcf</"
            "d:href><d:propstat><d:prop><c:address-data><![CDATA[BEGIN:VCARD\n"
            "FN:A & B\nEND:VCARD\n]]></c:address-data><d:getetag>W/\"2\"</d:getetag></d:prop>"
            "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
            "<d:sync-token>http://radicale.org/ns/sync/abc</d:sync-token></d:multistatus>");
        QVERIFY2(read.ok && read.hasSyncToken, qPrintable(read.error));
        QCOMPARE(read.syncToken, u"http://radicale.org/ns/sync/abc"_s);
        QCOMPARE(read.responses.size(), 4);
        QCOMPARE(read.responses.at(0).etag, QByteArray("\"e1\""));
        QCOMPARE(read.responses.at(1).status, 404);
        QCOMPARE(read.responses.at(2).href, u"/b/gone%202.vcf"_s);
        QCOMPARE(read.responses.at(2).status, 404);
        QCOMPARE(read.responses.at(3).addressData, QByteArray("BEGIN:VCARD\nFN:A & B\nEND:VCARD\n"));
        QCOMPARE(read.responses.at(3).etag, QByteArray("W/\"2\""));
        QCOMPARE(readMultistatus(writeMultistatus(read)), read);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("xml");
        const auto row = [](const char *name, const QByteArray &xml) { QTest::newRow(name) << xml; };
        // One response in a multistatus.
        const auto one = [](const QByteArray &response) {
            return "<d:multistatus xmlns:d=\"DAV:\"><d:response>" + response +
                   "</d:response></d:multistatus>";
        };
        row("empty", {});
        row("text", "207 Multi-Status");
        row("no namespace", "<multistatus><response><href>/a</href></response></multistatus>");
        row("other root", "<d:error xmlns:d=\"DAV:\"><d:valid-sync-token/></d:error>");
        row("truncated", "<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>/a</d:href>");
        row("content after the root",
            "<d:multistatus xmlns:d=\"DAV:\"></d:multistatus><d:multistatus xmlns:d=\"DAV:\"/>");
        row("response without href", one("<d:href> </d:href>"));
        row("propstat without status",
            one("<d:href>/a</d:href><d:propstat><d:prop><d:getetag>1</d:getetag></d:prop></d:propstat>"));
        row("unreadable status", one("<d:href>/a</d:href><d:status>fine</d:status>"));
        row("document type",
            "<!DOCTYPE d:multistatus SYSTEM \"file:///etc/passwd\"><d:multistatus xmlns:d=\"DAV:\"/>");
        row("undeclared entity", one("<d:href>&x;</d:href>"));
    }
    void refused()
    {
        QFETCH(QByteArray, xml);
        const DavMultistatus read = readMultistatus(xml);
        QVERIFY(!read.ok && !read.error.isEmpty() && read.responses.isEmpty());
    }

    void precondition()
    {
        const QString token = u"valid-sync-token"_s;
        QVERIFY(hasDavPrecondition("<D:error xmlns:D=\"DAV:\"><D:valid-sync-token/></D:error>", token));
        QVERIFY(hasDavPrecondition(
            "<error xmlns=\"DAV:\"><other/><valid-sync-token>x</valid-sync-token></error>", token));
        QVERIFY(!hasDavPrecondition("<error xmlns=\"urn:x\"><valid-sync-token/></error>", token));
        QVERIFY(!hasDavPrecondition(
            "<D:error xmlns:D=\"DAV:\"><D:number-of-matches-within-limits/></D:error>", token));
        QVERIFY(!hasDavPrecondition("<D:error xmlns:D=\"DAV:\"><D:valid-sync-token/>", token));
        QVERIFY(!hasDavPrecondition("Forbidden", token));
    }

    void bodies()
    {
        // Every body the client sends is well-formed, with its text escaped.
        const QByteArray multiget = multigetBody({u"/b/a%20b.vcf"_s, u"/b/<&>.vcf"_s});
        QVERIFY(multiget.contains("<D:href>/b/a%20b.vcf</D:href>"));
        QVERIFY(multiget.contains("/b/&lt;&amp;&gt;.vcf"));
        const QByteArray sync = syncCollectionBody(u"tok&1"_s);
        QVERIFY(sync.contains("<D:sync-token>tok&amp;1</D:sync-token>"));
        const QByteArray first = syncCollectionBody({});
        QVERIFY(first.contains("<D:sync-token></D:sync-token>") || first.contains("<D:sync-token/>"));
        const QByteArray propfind = propfindBody({DavProp::GetEtag, DavProp::AddressbookHomeSet});
        for (const QByteArray &body : {multiget, sync, first, propfind}) {
            QXmlStreamReader reader(body);
            while (!reader.atEnd())
                reader.readNext();
            QVERIFY2(!reader.hasError(), body.constData());
        }
    }

    void keys_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        const auto row = [](const char *name, const char *a, const char *b, bool same) {
            QTest::newRow(name) << QString::fromUtf8(a) << QString::fromUtf8(b) << same;
        };
        row("encoded and plain", "/b/a%20b.vcf", "/b/a b.vcf", true);
        row("full URL and path", "https://h:8443/b/a.vcf", "/b/a.vcf", true);
        row("trailing slash", "/anna/book/", "/anna/book", true);
        row("UTF-8", "/b/J%C3%BCrgen.vcf", "/b/Jürgen.vcf", true);
        row("case matters", "/b/A.vcf", "/b/a.vcf", false);
        row("other file", "/b/a.vcf", "/b/a.vcf.vcf", false);
    }
    void keys()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(hrefKey(a) == hrefKey(b), same);
    }
};

QTEST_GUILESS_MAIN(TestDavXml)
#include "tst_davxml.moc"
