#pragma once

#include "sync/DavServer.h"

#include <QString>

namespace velmora {

// The CardDAV server over HTTP(S): WebDAV requests through
// QNetworkAccessManager with Basic authentication, each bounded by a time
// without progress. TLS certificates are verified; an untrusted one is
// refused. Works on a QCoreApplication (no display needed).
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
    QString m_user;
    QString m_password;
    int m_timeoutMs;
};

} // namespace velmora
