#pragma once

#include "app/Progress.h"
#include "sync/DavServer.h"

#include <QString>
#include <QStringList>
#include <QUrl>

namespace velmora {

// What one sync did, for the summary the user sees.
struct SyncSummary {
    int pulled = 0;        // persons added or changed in the book from the server
    int pushed = 0;        // cards added or changed on the server
    int removedLocal = 0;  // persons removed from the book (removed on the server)
    int removedRemote = 0; // cards removed from the server (removed in the book)
    int conflicts = 0;     // changed on both sides: the server's version added as a second person
    QStringList conflictNames;
    // Cards left as they are, one line each: unreadable cards, no free
    // number in the book.
    QStringList problems;

    // "Pulled: 3, pushed: 1, removed: 0, conflicts: 1", the conflicting
    // names and the problems, translated.
    QString text() const;
};

struct SyncResult {
    bool ok = false;
    QString errorText; // one line for the user when !ok
    SyncSummary summary;
};

// Keeps the open book in step with one address book collection on a CardDAV
// server, in one pass: pull the server's changes, push the book's, update
// the sync state kept in the book. Every card is written to the book in a
// transaction of its own together with its state, so a sync stopped half-way
// leaves every card either fully synced or untouched, and the next sync goes
// on from there.
class SyncEngine {
public:
    SyncEngine(DavServer &server, const QUrl &collection);

    SyncResult run(const ProgressCallback &progress = {});

    // Cards fetched in one request at most.
    static constexpr int kFetchBatch = 100;

private:
    DavServer &m_server;
    QUrl m_collection;
};

} // namespace velmora
