#include "sync/SyncState.h"

#include "store/Sql.h"
#include "store/Transaction.h"

namespace velmora {

namespace {

const QLatin1String kBase64Prefix("base64:");

// Cards are kept as text; bytes that are no UTF-8 text (a card in another
// charset) as base64, so they come back exactly.
QString storedCard(const QByteArray &card)
{
    const QString text = QString::fromUtf8(card);
    if (!card.contains('\0') && !card.startsWith("base64:") && text.toUtf8() == card)
        return text;
    return kBase64Prefix + QString::fromLatin1(card.toBase64());
}

QByteArray cardOf(QByteArrayView stored)
{
    if (stored.startsWith("base64:"))
        return QByteArray::fromBase64(stored.sliced(kBase64Prefix.size()).toByteArray());
    return stored.toByteArray();
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + sqlQuote(text) + QLatin1Char('\'');
}

QString utf8(const RowView &row, int column)
{
    return QString::fromUtf8(row.utf8(column));
}

} // namespace

QStringList SyncState::createTableStatements()
{
    return {
        QStringLiteral("CREATE TABLE SyncCollection ( Url MEMO, Token MEMO ) "),
        QStringLiteral("CREATE TABLE SyncPerson ( Contactnr SMALLINT, Uid MEMO, Href MEMO, Etag MEMO, "
                       "Digest CHAR(40), Card MEMO, CONSTRAINT SyncPersonPK PRIMARY KEY(Contactnr) ) "),
    };
}

bool SyncState::isSetUp()
{
    Connection *c = currentConnection();
    int count = 0;
    return c && !catalog::columnCount(*c, QStringLiteral("SyncPerson"), count) &&
           !catalog::columnCount(*c, QStringLiteral("SyncCollection"), count);
}

DbError SyncState::setUp(const QUrl &collection)
{
    m_collection = collection;
    if (!isSetUp()) {
        Transaction transaction;
        if (DbError e = transaction.begin())
            return e;
        for (const QString &statement : createTableStatements()) {
            if (DbError e = executeSql(statement))
                return e;
        }
        if (DbError e = executeSql(QStringLiteral("INSERT INTO SyncCollection(Url, Token) VALUES(%1, '') ")
                                       .arg(quoted(collection.toString()))))
            return e;
        if (DbError e = transaction.commit())
            return e;
    }
    return load();
}

DbError SyncState::reload()
{
    return load();
}

DbError SyncState::load()
{
    m_records.clear();
    m_byHref.clear();
    m_token.clear();
    QString url;
    bool found = false;
    DbError e = forEachRow(QStringLiteral("SELECT Url, Token FROM SyncCollection "), [&](const RowView &row) {
        url = utf8(row, 0);
        m_token = utf8(row, 1);
        found = true;
        return false;
    });
    if (e)
        return e;
    const QString wanted = m_collection.toString();
    if (!found || url != wanted) {
        // Another collection (or none recorded): its cards are not this one's.
        Transaction transaction;
        if ((e = transaction.begin()))
            return e;
        if ((e = executeSql(QStringLiteral("DELETE FROM SyncCollection "))) ||
            (e = executeSql(QStringLiteral("DELETE FROM SyncPerson "))) ||
            (e = executeSql(QStringLiteral("INSERT INTO SyncCollection(Url, Token) VALUES(%1, '') ")
                                .arg(quoted(wanted)))))
            return e;
        if ((e = transaction.commit()))
            return e;
        m_token.clear();
        return {};
    }
    return forEachRow(QStringLiteral("SELECT Contactnr, Uid, Href, Etag, Digest FROM SyncPerson "),
                      [&](const RowView &row) {
                          SyncRecord r;
                          r.contactnr = int(row.integer(0));
                          r.uid = utf8(row, 1);
                          r.href = utf8(row, 2);
                          r.etag = row.utf8(3).toByteArray();
                          r.digest = row.utf8(4).toByteArray();
                          m_byHref.insert(r.href, r.contactnr);
                          m_records.insert(r.contactnr, r);
                          return true;
                      });
}

DbError SyncState::setToken(const QString &token)
{
    if (token == m_token)
        return {};
    if (DbError e = executeSql(QStringLiteral("UPDATE SyncCollection SET Token = %1 ").arg(quoted(token))))
        return e;
    m_token = token;
    return {};
}

const SyncRecord *SyncState::byHref(const QString &href) const
{
    const auto it = m_byHref.constFind(href);
    if (it == m_byHref.cend())
        return nullptr;
    const auto r = m_records.constFind(*it);
    return r == m_records.cend() ? nullptr : &*r;
}

DbError SyncState::write(const SyncRecord &record, const QByteArray &card)
{
    if (DbError e =
            executeSql(QStringLiteral("DELETE FROM SyncPerson WHERE Contactnr = %1 ").arg(record.contactnr)))
        return e;
    if (DbError e =
            executeSql(QStringLiteral("INSERT INTO SyncPerson(Contactnr, Uid, Href, Etag, Digest, Card) "
                                      "VALUES(%1, %2, %3, %4, %5, %6) ")
                           .arg(QString::number(record.contactnr), quoted(record.uid), quoted(record.href),
                                quoted(QString::fromLatin1(record.etag)),
                                quoted(QString::fromLatin1(record.digest)), quoted(storedCard(card)))))
        return e;
    if (const auto old = m_records.constFind(record.contactnr); old != m_records.cend())
        m_byHref.remove(old->href);
    m_records.insert(record.contactnr, record);
    m_byHref.insert(record.href, record.contactnr);
    return {};
}

DbError SyncState::writeRecord(const SyncRecord &record)
{
    if (!m_records.contains(record.contactnr)) {
        return write(record, {});
    }
    if (DbError e = executeSql(
            QStringLiteral("UPDATE SyncPerson SET Uid = %1, Href = %2, Etag = %3, Digest = %4 "
                           "WHERE Contactnr = %5 ")
                .arg(quoted(record.uid), quoted(record.href), quoted(QString::fromLatin1(record.etag)),
                     quoted(QString::fromLatin1(record.digest)), QString::number(record.contactnr))))
        return e;
    m_byHref.remove(m_records.value(record.contactnr).href);
    m_records.insert(record.contactnr, record);
    m_byHref.insert(record.href, record.contactnr);
    return {};
}

DbError SyncState::remove(int contactnr)
{
    if (DbError e = executeSql(QStringLiteral("DELETE FROM SyncPerson WHERE Contactnr = %1 ").arg(contactnr)))
        return e;
    const auto it = m_records.find(contactnr);
    if (it != m_records.end()) {
        m_byHref.remove(it->href);
        m_records.erase(it);
    }
    return {};
}

DbError SyncState::card(int contactnr, QByteArray &card) const
{
    card.clear();
    return forEachRow(QStringLiteral("SELECT Card FROM SyncPerson WHERE Contactnr = %1 ").arg(contactnr),
                      [&](const RowView &row) {
                          card = cardOf(row.utf8(0));
                          return false;
                      });
}

} // namespace velmora
