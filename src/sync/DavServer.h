#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace velmora {

// What went wrong talking to a CardDAV server, in one line the user can act
// on ("The server refused the user name or password.").
struct DavError {
    enum class Kind {
        None,
        Network,            // no route, refused, lost half-way, name not found
        Timeout,            // no answer within the time allowed
        Tls,                // certificate not trusted or TLS failed
        Unauthorized,       // 401/403
        NotFound,           // 404/410
        PreconditionFailed, // 412: the card changed on the server since we read it
        Server,             // any other status >= 400
        BadAnswer,          // the answer is not what the protocol says
    };
    Kind kind = Kind::None;
    int httpStatus = 0; // 0 when no status was read
    QString text;

    explicit operator bool() const { return kind != Kind::None; }
};

// An address book collection on the server.
struct DavAddressBook {
    QUrl url; // absolute, ends in "/"
    QString displayName;
    bool syncCollection = false; // offers the sync-collection REPORT (RFC 6578)
};

// A card on the server: its href (absolute path, as the server writes it,
// percent-encoding kept) and ETag (quotes kept, as sent back in If-Match).
struct DavResource {
    QString href;
    QByteArray etag;
};

struct DavCard {
    QString href;
    QByteArray etag;
    QByteArray data; // the vCard
};

// What changed in a collection since a sync token.
struct DavChanges {
    QList<DavResource> changed; // added or changed cards
    QStringList removed;        // hrefs of removed cards
    QString token;              // the new sync token
    bool tokenInvalid = false;  // the server no longer knows the old token: list all
};

// The operations a sync needs of a CardDAV server. The real one is
// CardDavClient (HTTP over QNetworkAccessManager); tests may give another.
// Every call blocks until it is done, runs its own event loop, and is bounded
// in time.
class DavServer {
public:
    virtual ~DavServer() = default;

    // The address books reachable from a URL: a collection itself, or a
    // server root or principal found through /.well-known/carddav,
    // current-user-principal and addressbook-home-set.
    virtual DavError discover(const QUrl &url, QList<DavAddressBook> &books) = 0;
    // The collection's current sync token (empty when it offers none).
    virtual DavError syncToken(const QUrl &collection, QString &token) = 0;
    // Every card of the collection with its ETag (PROPFIND, Depth 1).
    virtual DavError listCards(const QUrl &collection, QList<DavResource> &cards) = 0;
    // What changed since token (empty token: everything) (REPORT sync-collection).
    virtual DavError changesSince(const QUrl &collection, const QString &token, DavChanges &changes) = 0;
    // The cards with these hrefs (REPORT addressbook-multiget), in any order;
    // hrefs the server no longer has are left out.
    virtual DavError fetchCards(const QUrl &collection, const QStringList &hrefs, QList<DavCard> &cards) = 0;
    // PUT a card. ifMatch empty: a new card (If-None-Match: *) at href;
    // otherwise If-Match: ifMatch. etag: the new ETag when the server says
    // it (empty otherwise: read it with listCards or fetchCards).
    virtual DavError putCard(const QString &href, const QByteArray &data, const QByteArray &ifMatch,
                             QByteArray &etag) = 0;
    // DELETE a card with If-Match: etag. A card already gone is no error.
    virtual DavError deleteCard(const QString &href, const QByteArray &etag) = 0;
};

} // namespace velmora
