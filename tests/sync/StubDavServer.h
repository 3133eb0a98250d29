#pragma once

#include "FakeDavServer.h"
#include "TestBook.h"
#include "store/Database.h"
#include "sync/BookSync.h"

#include <QList>
#include <memory>

namespace velmora::test {

// A test server behind every sync and Test connection of the program,
// recording its logins. discover() finds the books listed here (or gives the
// error set); the cards live in one FakeDavServer whatever is asked for.
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

    static DavAddressBook book(const QString &url, const QString &name) { return {QUrl(url), name, true}; }

private:
    // discover() answers from the stub; the rest goes to its cards.
    class Server final : public ForwardingDavServer {
    public:
        explicit Server(StubDav &stub) : ForwardingDavServer(stub.cards), m_stub(stub) {}
        DavError discover(const QUrl &url, QList<DavAddressBook> &books) override
        {
            m_stub.discovered << url;
            books = m_stub.discoverError ? QList<DavAddressBook>{} : m_stub.books;
            return m_stub.discoverError;
        }

    private:
        StubDav &m_stub;
    };
};

// Opens a new book at path holding Anna Berg; the path, or empty on failure.
inline QString openAnnaBerg(const QString &path)
{
    {
        Connection c;
        createBook(c, path, {person(1, QStringLiteral("Anna"), QStringLiteral("Berg"))});
    }
    return Database::instance().openDatabase(path) ? path : QString();
}

} // namespace velmora::test
