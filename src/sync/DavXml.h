#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {

// The WebDAV XML a CardDAV client writes and reads: request bodies, and
// multistatus answers read into plain values. Namespaces are matched by
// their URI ("DAV:", "urn:ietf:params:xml:ns:carddav"), whatever prefixes
// the server chose. The answers are outside input: a document that is not
// well-formed, carries a DTD, is not a multistatus or has a response without
// an href is refused with a reason, never half read.

// One href of a multistatus answer with the properties the server gave for
// it with a 2xx status. Properties asked for but answered 404 are absent.
struct DavResponse {
    QString href;   // as the server wrote it (percent-encoding kept), trimmed
    int status = 0; // the response's own status (e.g. 404 for a removed member); 0 when none
    bool hasEtag = false;
    QByteArray etag; // quotes kept
    QString contentType;
    QString displayName;
    QString syncToken;
    bool isCollection = false;
    bool isAddressBook = false;
    bool syncCollectionReport = false; // supported-report-set names sync-collection
    QStringList principals;            // current-user-principal hrefs
    QStringList homeSets;              // addressbook-home-set hrefs
    bool hasAddressData = false;
    QByteArray addressData; // the card, UTF-8 (line ends as the XML reading left them)

    bool operator==(const DavResponse &) const = default;
};

struct DavMultistatus {
    bool ok = false;
    QString error; // why the answer was refused (when !ok)
    QList<DavResponse> responses;
    QString syncToken; // the multistatus' own sync-token (sync-collection REPORT)
    bool hasSyncToken = false;

    bool operator==(const DavMultistatus &) const = default;
};

// Reads a multistatus answer.
DavMultistatus readMultistatus(QByteArrayView xml);
// Writes values back as a multistatus document (the reverse of
// readMultistatus for what it keeps; used by tests and the fuzz entry).
QByteArray writeMultistatus(const DavMultistatus &answer);

// Whether an error answer's body is a DAV:error naming the precondition
// {DAV:}name (e.g. "valid-sync-token").
bool hasDavPrecondition(QByteArrayView xml, const QString &name);

// Request bodies.
enum class DavProp {
    ResourceType,
    DisplayName,
    GetEtag,
    GetContentType,
    SyncToken,
    SupportedReportSet,
    CurrentUserPrincipal,
    AddressbookHomeSet,
};
QByteArray propfindBody(const QList<DavProp> &props);
QByteArray syncCollectionBody(const QString &token);
QByteArray multigetBody(const QStringList &hrefPaths);

// The form hrefs are compared in: the path (a full URL's path, a path as
// it stands) percent-decoded, without a trailing "/". "/a%20b/" and "/a b"
// compare equal; an encoded "%2F" compares equal to "/".
QString hrefKey(const QString &href);

} // namespace velmora
