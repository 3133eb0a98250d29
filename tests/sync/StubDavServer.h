#pragma once

#include "sync/BookSync.h"

#include <QList>
#include <memory>

namespace velmora::test {

// What the stub servers of one test saw and answer: the address books
// discover() finds (or the error it gives) and the users and passwords they
// were made with. An otherwise empty collection that takes every card.
struct StubDav {
    QList<DavAddressBook> books;
    DavError discoverError;
    QStringList logins; // "user:password", one per server made
    QList<QUrl> discovered;

    // Installs the factory for this stub; the destructor puts the real one back.
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
            token = QStringLiteral("t1");
            return {};
        }
        DavError listCards(const QUrl &, QList<DavResource> &cards) override
        {
            cards.clear();
            return {};
        }
        DavError changesSince(const QUrl &, const QString &, DavChanges &changes) override
        {
            changes = DavChanges{};
            changes.token = QStringLiteral("t1");
            return {};
        }
        DavError fetchCards(const QUrl &, const QStringList &, QList<DavCard> &cards) override
        {
            cards.clear();
            return {};
        }
        DavError putCard(const QString &, const QByteArray &, const QByteArray &, QByteArray &etag) override
        {
            etag = "\"1\"";
            return {};
        }
        DavError deleteCard(const QString &, const QByteArray &) override { return {}; }

    private:
        StubDav &m_stub;
    };
};

} // namespace velmora::test
