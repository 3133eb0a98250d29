#include "sync/CardDavClient.h"

// Placeholder until the client lands: every call reports that sync is not
// available yet.

namespace velmora {

namespace {
DavError notYet()
{
    return DavError{DavError::Kind::Network, 0, QStringLiteral("Synchronisation is not available yet.")};
}
} // namespace

CardDavClient::CardDavClient(const QString &user, const QString &password, int timeoutMs)
    : m_user(user), m_password(password), m_timeoutMs(timeoutMs)
{
}

CardDavClient::~CardDavClient() = default;

DavError CardDavClient::discover(const QUrl &, QList<DavAddressBook> &)
{
    return notYet();
}
DavError CardDavClient::syncToken(const QUrl &, QString &)
{
    return notYet();
}
DavError CardDavClient::listCards(const QUrl &, QList<DavResource> &)
{
    return notYet();
}
DavError CardDavClient::changesSince(const QUrl &, const QString &, DavChanges &)
{
    return notYet();
}
DavError CardDavClient::fetchCards(const QUrl &, const QStringList &, QList<DavCard> &)
{
    return notYet();
}
DavError CardDavClient::putCard(const QString &, const QByteArray &, const QByteArray &, QByteArray &)
{
    return notYet();
}
DavError CardDavClient::deleteCard(const QString &, const QByteArray &)
{
    return notYet();
}

} // namespace velmora
