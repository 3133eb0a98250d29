#pragma once

#include "FakeDavServer.h"
#include "sync/BookSync.h"

#include <QList>
#include <memory>

namespace velmora::test {

// Puts a server of the test behind every sync and Test connection of the
// program (setDavServerFactory) and records the logins it was made with.
// discover() finds the address books listed here (or gives the error set);
// the cards live in one in-memory collection (FakeDavServer) whatever
// collection is asked for.
struct StubDav {
    QList<DavAddressBook> books;
    DavError discoverError;
    QStringList logins; // "user:password", one per server made
    QList<QUrl> discovered;
    FakeDavServer cards;

    StubDav()
    {
        setDavServerFactory([this](const QString &user, const QString &password) {
            logins << user + QLatin1Char(':') + password;
            return std::unique_ptr<DavServer>(new Server(*this));
        });
    }
    ~StubDav() { setDavServerFactory({}); }
    StubDav(const StubDav &) = delete;
    StubDav &operator=(const StubDav &) = delete;

    static DavAddressBook book(const QString &url, const QString &name)
    {
        return DavAddressBook{QUrl(url), name, true};
    }

private:
    class Server final : public DavServer {
    public:
        explicit Server(StubDav &stub) : m_stub(stub) {}
        DavError discover(const QUrl &url, QList<DavAddressBook> &books) override
        {
            m_stub.discovered << url;
            books = m_stub.discoverError ? QList<DavAddressBook>{} : m_stub.books;
            return m_stub.discoverError;
        }
        DavError syncToken(const QUrl &, QString &token) override
        {
            return m_stub.cards.syncToken(m_stub.cards.collection(), token);
        }
        DavError listCards(const QUrl &, QList<DavResource> &list) override
        {
            return m_stub.cards.listCards(m_stub.cards.collection(), list);
        }
        DavError changesSince(const QUrl &, const QString &token, DavChanges &changes) override
        {
            return m_stub.cards.changesSince(m_stub.cards.collection(), token, changes);
        }
        DavError fetchCards(const QUrl &, const QStringList &hrefs, QList<DavCard> &out) override
        {
            return m_stub.cards.fetchCards(m_stub.cards.collection(), hrefs, out);
        }
        DavError putCard(const QString &href, const QByteArray &data, const QByteArray &ifMatch,
                         QByteArray &etag) override
        {
            return m_stub.cards.putCard(href, data, ifMatch, etag);
        }
        DavError deleteCard(const QString &href, const QByteArray &etag) override
        {
            return m_stub.cards.deleteCard(href, etag);
        }

    private:
        StubDav &m_stub;
    };
};

} // namespace velmora::test
