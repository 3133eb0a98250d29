#pragma once

#include "store/Engine.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrl>

namespace velmora {

// What the book knows of one synced person: the card it is on the server
// (UID, href, ETag) and a digest of the person as last synced, to tell a
// local change. The server's card as last synced is kept too (read it with
// SyncState::card), for the properties the book has no field for.
// An empty ETag marks a card that was being added and whose PUT was not
// confirmed: the server may or may not have it.
struct SyncRecord {
    int contactnr = 0;
    QString uid;
    QString href;
    QByteArray etag;
    QByteArray digest;
};

// The sync state in the open book: two tables of their own, made only when a
// book syncs for the first time, so a book that never syncs keeps exactly the
// three tables it always had. They hold no reference to the person tables:
// a copy of the program that knows nothing of sync edits and removes persons
// as ever, and the next sync sees a person without its state row as a local
// removal.
//
//   SyncCollection(Url, Token): the collection and its sync token (one row)
//   SyncPerson(Contactnr, Uid, Href, Etag, Digest, Card): one row a card
class SyncState {
public:
    // Whether the open book has the sync tables.
    static bool isSetUp();
    // Makes the tables when they are missing and loads the state. A book set
    // up for another collection forgets that collection's state: every
    // person counts as new for this one.
    DbError setUp(const QUrl &collection);

    QString token() const { return m_token; }
    DbError setToken(const QString &token);

    const QHash<int, SyncRecord> &records() const { return m_records; }
    // The record of a card by its href; nullptr when none.
    const SyncRecord *byHref(const QString &href) const;
    // Writes (adds or replaces) a record and the server's card with it. Runs
    // no transaction of its own: callers write a person and its record in
    // one.
    DbError write(const SyncRecord &record, const QByteArray &card);
    // Writes the record, keeping the card stored with it.
    DbError writeRecord(const SyncRecord &record);
    DbError remove(int contactnr);
    // The server's card as last synced (empty when none is kept).
    DbError card(int contactnr, QByteArray &card) const;

    // Puts back the in-memory state after a transaction that failed.
    DbError reload();

    static QStringList createTableStatements();

private:
    DbError load();

    QUrl m_collection;
    QString m_token;
    QHash<int, SyncRecord> m_records;
    QHash<QString, int> m_byHref;
};

} // namespace velmora
