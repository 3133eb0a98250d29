#pragma once

#include "sync/DavServer.h"

#include <QMap>
#include <QSet>
#include <QUrl>
#include <functional>

namespace velmora::test {

// Passes every call on to another server; override what should differ.
class ForwardingDavServer : public DavServer {
public:
    explicit ForwardingDavServer(DavServer &inner) : m_inner(inner) {}
    DavError discover(const QUrl &url, QList<DavAddressBook> &books) override
    {
        return m_inner.discover(url, books);
    }
    DavError syncToken(const QUrl &c, QString &token) override { return m_inner.syncToken(c, token); }
    DavError listCards(const QUrl &c, QList<DavResource> &list) override
    {
        return m_inner.listCards(c, list);
    }
    DavError changesSince(const QUrl &c, const QString &token, DavChanges &changes) override
    {
        return m_inner.changesSince(c, token, changes);
    }
    DavError fetchCards(const QUrl &c, const QStringList &hrefs, QList<DavCard> &out) override
    {
        return m_inner.fetchCards(c, hrefs, out);
    }
    DavError putCard(const QString &href, const QByteArray &data, const QByteArray &ifMatch,
                     QByteArray &etag) override
    {
        return m_inner.putCard(href, data, ifMatch, etag);
    }
    DavError deleteCard(const QString &href, const QByteArray &etag) override
    {
        return m_inner.deleteCard(href, etag);
    }

private:
    DavServer &m_inner;
};

// A CardDAV collection in memory: cards by href with ETags, a log of changes
// for sync tokens, If-Match and If-None-Match checked as a server checks
// them. Switches make it fail a chosen call, answer 412 to a PUT, forget its
// tokens or offer no sync-collection at all. Counts the calls.
class FakeDavServer : public DavServer {
public:
    explicit FakeDavServer(const QUrl &collection = QUrl(QStringLiteral("http://127.0.0.1/dav/book/")))
        : m_collection(collection)
    {
    }

    QUrl collection() const { return m_collection; }
    QString hrefOf(const QString &name) const { return m_collection.path() + name; }

    struct Card {
        QByteArray etag;
        QByteArray data;
    };
    const QMap<QString, Card> &cards() const { return m_cards; }

    // Another program writes or removes a card (no checks).
    void put(const QString &href, const QByteArray &data) { store(href, data); }
    void remove(const QString &href)
    {
        if (m_cards.remove(href))
            m_log.append(href);
    }

    // Switches.
    bool offersSync = true;  // answers sync-collection and syncToken
    bool tokensValid = true; // false: every old token is unknown
    int failAt = 0;          // the failAt-th call from now (1: the next one) fails with failWith
    bool failAfter = false;  // that call is carried out first, then its answer lost
    DavError failWith{DavError::Kind::Network, 0, QStringLiteral("The connection was lost.")};
    QSet<QString> refusePut; // PUTs to these hrefs answer 412 once (the card changes first)
    std::function<void(const QString &href)> beforePut412; // what "another program" does then

    // Calls seen.
    int puts = 0;
    int deletes = 0;
    int fetched = 0; // cards asked for

    DavError discover(const QUrl &, QList<DavAddressBook> &books) override
    {
        return wrap([&]() -> DavError {
            books = {DavAddressBook{m_collection, QStringLiteral("Book"), offersSync}};
            return {};
        });
    }
    DavError syncToken(const QUrl &, QString &token) override
    {
        return wrap([&]() -> DavError {
            token = offersSync ? tokenText() : QString();
            return {};
        });
    }
    DavError listCards(const QUrl &, QList<DavResource> &list) override
    {
        return wrap([&]() -> DavError {
            list.clear();
            for (auto it = m_cards.cbegin(); it != m_cards.cend(); ++it)
                list += DavResource{it.key(), it->etag};
            return {};
        });
    }
    DavError changesSince(const QUrl &, const QString &token, DavChanges &changes) override
    {
        return wrap([&]() -> DavError {
            changes = {};
            if (!offersSync)
                return {DavError::Kind::Server, 403, QStringLiteral("Forbidden")};
            bool ok = true;
            const qsizetype from = token.isEmpty() ? 0 : token.mid(4).toLongLong(&ok);
            if (!ok || (!token.isEmpty() && !token.startsWith(QLatin1String("tok-"))) ||
                from > m_log.size() || (!token.isEmpty() && !tokensValid)) {
                changes.tokenInvalid = true;
                return {};
            }
            QSet<QString> seen(m_log.cbegin() + from, m_log.cend());
            if (token.isEmpty())
                seen = QSet<QString>(m_cards.keyBegin(), m_cards.keyEnd());
            for (const QString &href : std::as_const(seen)) {
                if (m_cards.contains(href))
                    changes.changed += DavResource{href, m_cards.value(href).etag};
                else
                    changes.removed += href;
            }
            changes.token = tokenText();
            return {};
        });
    }
    DavError fetchCards(const QUrl &, const QStringList &hrefs, QList<DavCard> &out) override
    {
        return wrap([&]() -> DavError {
            out.clear();
            for (const QString &href : hrefs) {
                ++fetched;
                if (m_cards.contains(href))
                    out += DavCard{href, m_cards.value(href).etag, m_cards.value(href).data};
            }
            return {};
        });
    }
    DavError putCard(const QString &href, const QByteArray &data, const QByteArray &ifMatch,
                     QByteArray &etag) override
    {
        return wrap([&]() -> DavError {
            etag.clear();
            if (refusePut.remove(href)) {
                if (beforePut412)
                    beforePut412(href);
                return kRefused;
            }
            const bool exists = m_cards.contains(href);
            if (ifMatch.isEmpty() ? exists : (!exists || m_cards[href].etag != ifMatch))
                return kRefused;
            ++puts;
            store(href, data);
            etag = m_cards[href].etag;
            return {};
        });
    }
    DavError deleteCard(const QString &href, const QByteArray &etag) override
    {
        return wrap([&]() -> DavError {
            if (!m_cards.contains(href))
                return {};
            if (m_cards[href].etag != etag)
                return kRefused;
            ++deletes;
            remove(href);
            return {};
        });
    }

private:
    inline static const DavError kRefused{DavError::Kind::PreconditionFailed, 412,
                                          QStringLiteral("Precondition Failed")};

    // Counts the call; the failing one fails before or after it is carried
    // out (then its answer is lost).
    DavError wrap(const std::function<DavError()> &work)
    {
        const bool failing = failAt > 0 && --failAt == 0;
        if (failing && !failAfter)
            return failWith;
        const DavError e = work();
        return failing ? failWith : e;
    }
    QString tokenText() const { return QStringLiteral("tok-%1").arg(m_log.size()); }
    void store(const QString &href, const QByteArray &data)
    {
        m_cards[href] = Card{QByteArray("\"e") + QByteArray::number(++m_etags) + '"', data};
        m_log.append(href);
    }

    QUrl m_collection;
    QMap<QString, Card> m_cards;
    QStringList m_log; // hrefs changed, in order
    int m_etags = 0;
};

} // namespace velmora::test
