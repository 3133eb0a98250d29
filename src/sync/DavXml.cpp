#include "sync/DavXml.h"

#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace velmora {

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCard = QStringLiteral("urn:ietf:params:xml:ns:carddav");

// A multistatus document read element by element. Every read* function
// starts on a start element and ends on its end element; a fault is kept in
// m_error (the first one wins) and makes every loop stop.
class MultistatusReader {
public:
    explicit MultistatusReader(QByteArrayView xml) : m_xml(xml.toByteArray()) {}

    DavMultistatus read()
    {
        DavMultistatus answer;
        if (!toRoot())
            return refused();
        if (!is(kDav, u"multistatus"))
            return refused(QStringLiteral("the answer is a <%1>, not a multistatus").arg(m_xml.name()));
        while (next()) {
            if (is(kDav, u"response")) {
                readResponse(answer.responses);
            } else if (is(kDav, u"sync-token")) {
                answer.syncToken = text();
                answer.hasSyncToken = true;
            } else {
                m_xml.skipCurrentElement();
            }
        }
        // Whatever follows the root must be well-formed too.
        while (m_error.isEmpty() && !m_xml.atEnd())
            m_xml.readNext();
        if (!ok())
            return refused();
        answer.ok = true;
        return answer;
    }

    // Whether the root is {DAV:}error with a child {DAV:}name.
    bool hasPrecondition(const QString &name)
    {
        if (!toRoot() || !is(kDav, u"error"))
            return false;
        bool found = false;
        while (next()) {
            if (is(kDav, name))
                found = true;
            m_xml.skipCurrentElement();
        }
        return ok() && found;
    }

private:
    bool is(const QString &ns, QStringView name) const
    {
        return m_xml.namespaceUri() == ns && m_xml.name() == name;
    }
    bool ok() const { return m_error.isEmpty() && !m_xml.hasError(); }
    // The next child element of the current one; false at its end or on a fault.
    bool next() { return ok() && m_xml.readNextStartElement(); }
    QString text() { return m_xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed(); }
    void fail(const QString &why)
    {
        if (m_error.isEmpty())
            m_error = why;
    }
    DavMultistatus refused(const QString &why = {})
    {
        if (!why.isEmpty())
            fail(why);
        DavMultistatus answer;
        if (!m_error.isEmpty())
            answer.error = m_error;
        else if (m_xml.hasError())
            answer.error = QStringLiteral("%1 (line %2, column %3)")
                               .arg(m_xml.errorString())
                               .arg(m_xml.lineNumber())
                               .arg(m_xml.columnNumber());
        else
            answer.error = QStringLiteral("the answer is empty");
        return answer;
    }

    // Up to the root element; a document type declaration is refused.
    bool toRoot()
    {
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::DTD:
                fail(QStringLiteral("the answer declares a document type"));
                return false;
            case QXmlStreamReader::Invalid:
                return false;
            default:
                break;
            }
        }
        return false;
    }

    // "HTTP/1.1 404 Not Found" -> 404; 0 after a fault.
    int status()
    {
        const QString line = text();
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool number = false;
        const int code = words.size() >= 2 && words.at(1).size() == 3 ? words.at(1).toInt(&number) : 0;
        if (!number || code < 100 || code > 599) {
            fail(QStringLiteral("an unreadable status \"%1\"").arg(line.left(80)));
            return 0;
        }
        return code;
    }

    void readResponse(QList<DavResponse> &responses)
    {
        QStringList hrefs;
        DavResponse values;
        bool propstats = false;
        while (next()) {
            if (is(kDav, u"href")) {
                hrefs.append(text());
            } else if (is(kDav, u"status")) {
                values.status = status();
            } else if (is(kDav, u"propstat")) {
                propstats = true;
                readPropstat(values);
            } else {
                m_xml.skipCurrentElement();
            }
        }
        if (!ok())
            return;
        if (hrefs.isEmpty() || hrefs.contains(QString()))
            return fail(QStringLiteral("a response without an href"));
        if (propstats && hrefs.size() > 1)
            return fail(QStringLiteral("properties for several hrefs at once"));
        for (const QString &href : std::as_const(hrefs)) {
            values.href = href;
            responses.append(values);
        }
    }

    // Properties count only when their block's status is 2xx.
    void readPropstat(DavResponse &values)
    {
        DavResponse found;
        int code = 0;
        while (next()) {
            if (is(kDav, u"prop"))
                readProp(found);
            else if (is(kDav, u"status"))
                code = status();
            else
                m_xml.skipCurrentElement();
        }
        if (!ok())
            return;
        if (code == 0)
            return fail(QStringLiteral("properties without a status"));
        if (code < 200 || code > 299)
            return;
        if (found.hasEtag) {
            values.hasEtag = true;
            values.etag = found.etag;
        }
        if (!found.contentType.isEmpty())
            values.contentType = found.contentType;
        if (!found.displayName.isEmpty())
            values.displayName = found.displayName;
        if (!found.syncToken.isEmpty())
            values.syncToken = found.syncToken;
        values.isCollection = values.isCollection || found.isCollection;
        values.isAddressBook = values.isAddressBook || found.isAddressBook;
        values.syncCollectionReport = values.syncCollectionReport || found.syncCollectionReport;
        values.principals += found.principals;
        values.homeSets += found.homeSets;
        if (found.hasAddressData) {
            values.hasAddressData = true;
            values.addressData = found.addressData;
        }
    }

    void readProp(DavResponse &found)
    {
        while (next()) {
            if (is(kDav, u"getetag")) {
                found.hasEtag = true;
                found.etag = text().toUtf8();
            } else if (is(kDav, u"getcontenttype")) {
                found.contentType = text();
            } else if (is(kDav, u"displayname")) {
                found.displayName = text();
            } else if (is(kDav, u"sync-token")) {
                found.syncToken = text();
            } else if (is(kDav, u"resourcetype")) {
                while (next()) {
                    if (is(kDav, u"collection"))
                        found.isCollection = true;
                    else if (is(kCard, u"addressbook"))
                        found.isAddressBook = true;
                    m_xml.skipCurrentElement();
                }
            } else if (is(kDav, u"supported-report-set")) {
                found.syncCollectionReport = containsSyncCollection() || found.syncCollectionReport;
            } else if (is(kDav, u"current-user-principal")) {
                found.principals += hrefs();
            } else if (is(kCard, u"addressbook-home-set")) {
                found.homeSets += hrefs();
            } else if (is(kCard, u"address-data")) {
                found.hasAddressData = true;
                found.addressData = m_xml.readElementText(QXmlStreamReader::SkipChildElements).toUtf8();
            } else {
                m_xml.skipCurrentElement();
            }
        }
    }

    // The DAV:href children of the current element (empty ones left out).
    QStringList hrefs()
    {
        QStringList list;
        while (next()) {
            if (is(kDav, u"href")) {
                const QString href = text();
                if (!href.isEmpty())
                    list.append(href);
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return list;
    }

    // Whether a {DAV:}sync-collection lies anywhere inside the current element.
    bool containsSyncCollection()
    {
        bool found = false;
        while (next()) {
            if (is(kDav, u"sync-collection")) {
                found = true;
                m_xml.skipCurrentElement();
            } else {
                found = containsSyncCollection() || found;
            }
        }
        return found;
    }

    QXmlStreamReader m_xml;
    QString m_error;
};

class BodyWriter {
public:
    BodyWriter() : m_xml(&m_out)
    {
        m_xml.writeStartDocument();
        m_xml.writeNamespace(kDav, QStringLiteral("D"));
        m_xml.writeNamespace(kCard, QStringLiteral("C"));
    }
    QXmlStreamWriter &xml() { return m_xml; }
    QByteArray finish()
    {
        m_xml.writeEndDocument();
        return m_out;
    }

private:
    QByteArray m_out;
    QXmlStreamWriter m_xml;
};

// A text element. A carriage return is written as a character reference:
// written as it stands, a reader would take it (and CR LF) for a line feed.
void writeText(QXmlStreamWriter &xml, const QString &ns, const QString &name, const QString &value)
{
    if (!value.contains(QLatin1Char('\r'))) {
        xml.writeTextElement(ns, name, value);
        return;
    }
    xml.writeStartElement(ns, name);
    const QStringList pieces = value.split(QLatin1Char('\r'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            xml.writeEntityReference(QStringLiteral("#13"));
        if (!pieces.at(i).isEmpty())
            xml.writeCharacters(pieces.at(i));
    }
    xml.writeEndElement();
}

void writeHrefs(QXmlStreamWriter &xml, const QString &ns, const QString &name, const QStringList &hrefs)
{
    xml.writeStartElement(ns, name);
    for (const QString &href : hrefs)
        writeText(xml, kDav, QStringLiteral("href"), href);
    xml.writeEndElement();
}

} // namespace

DavMultistatus readMultistatus(QByteArrayView xml)
{
    return MultistatusReader(xml).read();
}

bool hasDavPrecondition(QByteArrayView xml, const QString &name)
{
    return MultistatusReader(xml).hasPrecondition(name);
}

QByteArray writeMultistatus(const DavMultistatus &answer)
{
    BodyWriter body;
    QXmlStreamWriter &xml = body.xml();
    xml.writeStartElement(kDav, QStringLiteral("multistatus"));
    for (const DavResponse &r : answer.responses) {
        xml.writeStartElement(kDav, QStringLiteral("response"));
        writeText(xml, kDav, QStringLiteral("href"), r.href);
        if (r.status != 0)
            writeText(xml, kDav, QStringLiteral("status"), QStringLiteral("HTTP/1.1 %1 -").arg(r.status));
        const bool anyProperty = r.hasEtag || !r.contentType.isEmpty() || !r.displayName.isEmpty() ||
                                 !r.syncToken.isEmpty() || r.isCollection || r.isAddressBook ||
                                 r.syncCollectionReport || !r.principals.isEmpty() || !r.homeSets.isEmpty() ||
                                 r.hasAddressData;
        if (anyProperty) {
            xml.writeStartElement(kDav, QStringLiteral("propstat"));
            xml.writeStartElement(kDav, QStringLiteral("prop"));
            if (r.hasEtag)
                writeText(xml, kDav, QStringLiteral("getetag"), QString::fromUtf8(r.etag));
            if (!r.contentType.isEmpty())
                writeText(xml, kDav, QStringLiteral("getcontenttype"), r.contentType);
            if (!r.displayName.isEmpty())
                writeText(xml, kDav, QStringLiteral("displayname"), r.displayName);
            if (!r.syncToken.isEmpty())
                writeText(xml, kDav, QStringLiteral("sync-token"), r.syncToken);
            if (r.isCollection || r.isAddressBook) {
                xml.writeStartElement(kDav, QStringLiteral("resourcetype"));
                if (r.isCollection)
                    xml.writeEmptyElement(kDav, QStringLiteral("collection"));
                if (r.isAddressBook)
                    xml.writeEmptyElement(kCard, QStringLiteral("addressbook"));
                xml.writeEndElement();
            }
            if (r.syncCollectionReport) {
                xml.writeStartElement(kDav, QStringLiteral("supported-report-set"));
                xml.writeStartElement(kDav, QStringLiteral("supported-report"));
                xml.writeStartElement(kDav, QStringLiteral("report"));
                xml.writeEmptyElement(kDav, QStringLiteral("sync-collection"));
                xml.writeEndElement();
                xml.writeEndElement();
                xml.writeEndElement();
            }
            if (!r.principals.isEmpty())
                writeHrefs(xml, kDav, QStringLiteral("current-user-principal"), r.principals);
            if (!r.homeSets.isEmpty())
                writeHrefs(xml, kCard, QStringLiteral("addressbook-home-set"), r.homeSets);
            if (r.hasAddressData)
                writeText(xml, kCard, QStringLiteral("address-data"), QString::fromUtf8(r.addressData));
            xml.writeEndElement(); // prop
            writeText(xml, kDav, QStringLiteral("status"), QStringLiteral("HTTP/1.1 200 OK"));
            xml.writeEndElement(); // propstat
        }
        xml.writeEndElement(); // response
    }
    if (answer.hasSyncToken)
        writeText(xml, kDav, QStringLiteral("sync-token"), answer.syncToken);
    xml.writeEndElement();
    return body.finish();
}

QByteArray propfindBody(const QList<DavProp> &props)
{
    BodyWriter body;
    QXmlStreamWriter &xml = body.xml();
    xml.writeStartElement(kDav, QStringLiteral("propfind"));
    xml.writeStartElement(kDav, QStringLiteral("prop"));
    for (const DavProp prop : props) {
        switch (prop) {
        case DavProp::ResourceType:
            xml.writeEmptyElement(kDav, QStringLiteral("resourcetype"));
            break;
        case DavProp::DisplayName:
            xml.writeEmptyElement(kDav, QStringLiteral("displayname"));
            break;
        case DavProp::GetEtag:
            xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
            break;
        case DavProp::GetContentType:
            xml.writeEmptyElement(kDav, QStringLiteral("getcontenttype"));
            break;
        case DavProp::SyncToken:
            xml.writeEmptyElement(kDav, QStringLiteral("sync-token"));
            break;
        case DavProp::SupportedReportSet:
            xml.writeEmptyElement(kDav, QStringLiteral("supported-report-set"));
            break;
        case DavProp::CurrentUserPrincipal:
            xml.writeEmptyElement(kDav, QStringLiteral("current-user-principal"));
            break;
        case DavProp::AddressbookHomeSet:
            xml.writeEmptyElement(kCard, QStringLiteral("addressbook-home-set"));
            break;
        }
    }
    xml.writeEndElement();
    xml.writeEndElement();
    return body.finish();
}

QByteArray syncCollectionBody(const QString &token)
{
    BodyWriter body;
    QXmlStreamWriter &xml = body.xml();
    xml.writeStartElement(kDav, QStringLiteral("sync-collection"));
    writeText(xml, kDav, QStringLiteral("sync-token"), token);
    writeText(xml, kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
    xml.writeStartElement(kDav, QStringLiteral("prop"));
    xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
    xml.writeEndElement();
    xml.writeEndElement();
    return body.finish();
}

QByteArray multigetBody(const QStringList &hrefPaths)
{
    BodyWriter body;
    QXmlStreamWriter &xml = body.xml();
    xml.writeStartElement(kCard, QStringLiteral("addressbook-multiget"));
    xml.writeStartElement(kDav, QStringLiteral("prop"));
    xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
    xml.writeEmptyElement(kCard, QStringLiteral("address-data"));
    xml.writeEndElement();
    for (const QString &href : hrefPaths)
        writeText(xml, kDav, QStringLiteral("href"), href);
    xml.writeEndElement();
    return body.finish();
}

QString hrefKey(const QString &href)
{
    QString path = href;
    const QUrl url(href);
    if (!url.scheme().isEmpty())
        path = url.path(QUrl::FullyEncoded);
    QString key = QUrl::fromPercentEncoding(path.toUtf8());
    while (key.endsWith(QLatin1Char('/')))
        key.chop(1);
    return key;
}

} // namespace velmora
