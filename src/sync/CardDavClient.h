#pragma once

#include "sync/DavServer.h"

#include <QList>
#include <QPair>
#include <QString>
#include <memory>

class QNetworkAccessManager;

namespace velmora {

// The CardDAV server over HTTP(S): WebDAV requests through
// QNetworkAccessManager with Basic authentication, each bounded by a time
// without progress. TLS certificates are verified; an untrusted one is
// refused. Works on a QCoreApplication (no display needed).
//
// Hrefs: cards keep the href the server wrote (a full URL from the server is
// cut to its path), percent-encoding kept. Requests resolve an href against
// the collection the client last worked on (putCard and deleteCard against
// that of the last call that named one). Hrefs are compared percent-decoded
// and without a trailing "/" (hrefKey in DavXml.h), so a server that writes
// "/a%20b.vcf" in one answer and "/a b.vcf" in another is still understood.
// Redirects are followed only within the same scheme, host and port: the
// password is never sent to another server.
class CardDavClient : public DavServer {
public:
    static constexpr int kDefaultTimeoutMs = 30000;

    CardDavClient(const QString &user, const QString &password, int timeoutMs = kDefaultTimeoutMs);
    ~CardDavClient() override;

    DavError discover(const QUrl &url, QList<DavAddressBook> &books) override;
    DavError syncToken(const QUrl &collection, QString &token) override;
    DavError listCards(const QUrl &collection, QList<DavResource> &cards) override;
    DavError changesSince(const QUrl &collection, const QString &token, DavChanges &changes) override;
    DavError fetchCards(const QUrl &collection, const QStringList &hrefs, QList<DavCard> &cards) override;
    DavError putCard(const QString &href, const QByteArray &data, const QByteArray &ifMatch,
                     QByteArray &etag) override;
    DavError deleteCard(const QString &href, const QByteArray &etag) override;

private:
    using Headers = QList<QPair<QByteArray, QByteArray>>;
    struct HttpAnswer;
    struct Multistatus;

    DavError send(const QByteArray &method, const QUrl &url, const QByteArray &body, const Headers &headers,
                  HttpAnswer &answer);
    DavError sendOnce(const QByteArray &method, const QUrl &url, const QByteArray &body,
                      const Headers &headers, HttpAnswer &answer);
    DavError davRequest(const QByteArray &method, const QUrl &url, const QByteArray &depth,
                        const QByteArray &body, Multistatus &answer);
    DavError findHomeSets(const QUrl &url, QList<QUrl> &homeSets, bool &isBook, DavAddressBook &book);
    QUrl cardUrl(const QString &href) const;

    QString m_user;
    QString m_password;
    int m_timeoutMs;
    std::unique_ptr<QNetworkAccessManager> m_network;
    QUrl m_collection; // the collection of the last call that named one
};

} // namespace velmora
