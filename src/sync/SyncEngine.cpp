#include "sync/SyncEngine.h"

#include "app/Clock.h"
#include "app/PersonKey.h"
#include "app/Seams.h"
#include "editor/PersonStore.h"
#include "interchange/BookCards.h"
#include "interchange/ContentLine.h"
#include "interchange/PersonUid.h"
#include "interchange/VcardImport.h"
#include "interchange/VcardLexer.h"
#include "interchange/VcardMapper.h"
#include "settings/Translate.h"
#include "store/Sql.h"
#include "store/Transaction.h"
#include "sync/CardMerge.h"
#include "sync/SyncState.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>
#include <vector>

namespace velmora {

namespace {

constexpr int kLargestNumber = 32767;

// The person as the book keeps it: texts trimmed of blanks.
CardPerson normalized(CardPerson p)
{
    p.firstName = trimBlanks(p.firstName);
    p.lastName = trimBlanks(p.lastName);
    p.address = trimBlanks(p.address);
    p.note = trimBlanks(p.note);
    for (QList<CardEntry> *list : {&p.phones, &p.emails}) {
        for (CardEntry &e : *list) {
            e.value = trimBlanks(e.value);
            e.description = trimBlanks(e.description);
        }
    }
    return p;
}

// What tells whether a person changed since the last sync.
QByteArray digestOf(const CardPerson &p)
{
    QByteArray bytes;
    const auto add = [&bytes](const QString &text, char end) {
        bytes += text.toUtf8();
        bytes += end;
    };
    add(p.firstName, '\x1f');
    add(p.lastName, '\x1f');
    add(p.dateOfBirth.isValid() ? p.dateOfBirth.toString(Qt::ISODate) : QString(), '\x1f');
    add(p.address, '\x1f');
    add(p.note, '\x1d');
    for (const QList<CardEntry> *list : {&p.phones, &p.emails}) {
        for (const CardEntry &e : *list) {
            add(e.value, '\x1f');
            add(e.description, '\x1e');
        }
        bytes += '\x1d';
    }
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

QString nameOf(const CardPerson &p)
{
    QString name = p.firstName;
    if (!name.isEmpty() && !p.lastName.isEmpty())
        name += QLatin1Char(' ');
    return name + p.lastName;
}

// A card of the server read as a person, with its UID.
struct ServerPerson {
    CardPerson person;
    QString uid;
    QByteArray digest;
};

bool readCard(const QByteArray &data, ServerPerson &out, QString &reason)
{
    bool read = false;
    const VcardLexer::Result lexed = VcardLexer::split(data, [&](VcardCard &&card) {
        if (read)
            return;
        VcardMapper::Counts counts;
        if (!VcardMapper::toPerson(card, out.person, counts, reason)) {
            read = true;
            reason = reason.isEmpty() ? T("The card holds no name, e-mail address or phone number.") : reason;
            out.person = {};
            return;
        }
        for (const VcardProperty &p : std::as_const(card.properties)) {
            if (p.name == "UID") {
                out.uid =
                    ContentLine::unescaped(ContentLine::decodedValue(p), card.version == "2.1").trimmed();
                break;
            }
        }
        read = true;
    });
    if (!read) {
        reason = lexed.problems.isEmpty() ? T("This is no vCard.") : lexed.problems.first().reason;
        return false;
    }
    if (out.person.firstName.isEmpty() && out.person.lastName.isEmpty())
        return false;
    out.person = normalized(out.person);
    out.digest = digestOf(out.person);
    return true;
}

bool isFatal(const DavError &e)
{
    using K = DavError::Kind;
    return e.kind == K::Network || e.kind == K::Timeout || e.kind == K::Tls || e.kind == K::Unauthorized;
}

// One pass of the engine.
class SyncRun {
public:
    SyncRun(DavServer &server, const QUrl &collection, const ProgressCallback &progress)
        : m_server(server), m_collection(collection), m_progress(progress)
    {
    }

    SyncResult run();

private:
    bool fail(const DavError &e)
    {
        m_error = e.text.isEmpty() ? T("The server could not be reached.") : e.text;
        return false;
    }
    bool fail(const DbError &e)
    {
        m_error = T("The book could not be written:") + QLatin1Char(' ') + e.description;
        m_dbFailed = true;
        m_batch.rollback();
        m_state.reload();
        return false;
    }
    // The book's writes are gathered in one transaction until the next
    // commitBatch(): a sync to disk for a batch of cards, not for each.
    DbError openBatch() { return m_batch.begin(); }
    DbError commitBatch() { return m_batch.commit(); }
    void problem(const QString &href, const QString &reason)
    {
        m_summary.problems += href.section(u'/', -1) + QStringLiteral(": ") + reason;
    }
    void step()
    {
        ++m_done;
        reportProgress(m_progress, m_done, qMax(m_total, m_done));
    }

    DbError recordNew(int nr);
    bool loadBook();
    bool pull();
    bool pushAll();
    bool push(int nr);
    bool pushRemoval(const SyncRecord &record);
    bool serverCard(const DavCard &card);
    bool serverRemoval(const QString &href);
    bool conflict(SyncRecord record, const ServerPerson &server, const DavCard &card);
    bool takeServerVersion(SyncRecord record, ServerPerson &server, const DavCard &card, bool replace);
    bool fetchOne(const QString &href, DavCard &card, bool &found);
    DbError writePerson(int nr, const CardPerson &p, bool replace);
    int lowestFree();
    void take(int nr, const CardPerson &p)
    {
        m_local.insert(nr, p);
        m_used[size_t(nr)] = true;
    }

    DavServer &m_server;
    QUrl m_collection;
    ProgressCallback m_progress;
    SyncState m_state;
    Transaction m_batch;
    bool m_dbFailed = false;
    SyncSummary m_summary;
    QString m_error;
    QHash<int, CardPerson> m_local;
    QMultiHash<QByteArray, int> m_unlinked; // persons without a card, by digest
    std::vector<bool> m_used = std::vector<bool>(kLargestNumber + 1, false);
    int m_freeFrom = 1;
    QSet<int> m_held;         // persons not pushed in this run (the server's version found no room)
    bool m_keepToken = false; // a card was left for a later sync
    int m_done = 0;
    int m_total = 0;
};

int SyncRun::lowestFree()
{
    while (m_freeFrom <= kLargestNumber && m_used[size_t(m_freeFrom)])
        ++m_freeFrom;
    return m_freeFrom <= kLargestNumber ? m_freeFrom : 0;
}

bool SyncRun::loadBook()
{
    QList<CardPerson> persons;
    if (DbError e = BookCards::readAll(persons))
        return fail(e);
    m_local.clear();
    m_local.reserve(persons.size());
    for (CardPerson &p : persons) {
        const int nr = p.contactnr;
        if (nr >= 1 && nr <= kLargestNumber)
            m_used[size_t(nr)] = true;
        m_local.insert(nr, normalized(std::move(p)));
    }
    for (auto it = m_local.cbegin(); it != m_local.cend(); ++it) {
        if (!m_state.records().contains(it.key()))
            m_unlinked.insert(digestOf(*it), it.key());
    }
    // The number of a person removed here stays taken until the removal has
    // reached the server.
    for (const SyncRecord &r : m_state.records()) {
        if (r.contactnr >= 1 && r.contactnr <= kLargestNumber)
            m_used[size_t(r.contactnr)] = true;
    }
    return true;
}

DbError SyncRun::writePerson(int nr, const CardPerson &p, bool replace)
{
    if (replace) {
        for (const QString &statement : PersonStore::removalStatements(nr)) {
            if (DbError e = executeSql(statement))
                return e;
        }
    }
    return PersonStore::insertPerson(nr, VcardImport::draftOf(p));
}

bool SyncRun::pull()
{
    QString newToken;
    QList<DavResource> changed;
    QStringList removed;
    bool full = m_state.token().isEmpty();
    if (!full) {
        DavChanges changes;
        const DavError e = m_server.changesSince(m_collection, m_state.token(), changes);
        if (e && isFatal(e))
            return fail(e);
        if (e || changes.tokenInvalid) {
            full = true;
        } else {
            changed = std::move(changes.changed);
            removed = std::move(changes.removed);
            newToken = changes.token;
        }
    }
    if (full) {
        // The token first: what changes while the cards are listed comes
        // again with the next sync.
        DavError e = m_server.syncToken(m_collection, newToken);
        if (e && isFatal(e))
            return fail(e);
        if (e)
            newToken.clear();
        QList<DavResource> all;
        if ((e = m_server.listCards(m_collection, all)))
            return fail(e);
        QSet<QString> present;
        for (const DavResource &r : std::as_const(all))
            present.insert(r.href);
        changed = std::move(all);
        for (const SyncRecord &r : m_state.records()) {
            // A card whose PUT was never confirmed may not have arrived.
            if (!present.contains(r.href) && !r.etag.isEmpty())
                removed += r.href;
        }
    }

    QStringList fetch;
    for (const DavResource &r : std::as_const(changed)) {
        const SyncRecord *known = m_state.byHref(r.href);
        if (known && !r.etag.isEmpty() && known->etag == r.etag)
            continue;
        if (!fetch.contains(r.href))
            fetch += r.href;
    }
    m_total += int(fetch.size() + removed.size());
    for (const QString &href : std::as_const(removed)) {
        if (!serverRemoval(href))
            return false;
        step();
    }
    if (DbError e = commitBatch())
        return fail(e);
    for (qsizetype from = 0; from < fetch.size(); from += SyncEngine::kFetchBatch) {
        const QStringList batch = fetch.mid(from, SyncEngine::kFetchBatch);
        QList<DavCard> cards;
        if (DavError e = m_server.fetchCards(m_collection, batch, cards))
            return fail(e);
        for (const DavCard &card : std::as_const(cards)) {
            if (!serverCard(card))
                return false;
            step();
        }
        // The cards of a batch are written together: each either wholly or
        // not at all, and the next sync fetches what was not written.
        if (DbError e = commitBatch())
            return fail(e);
    }
    if (!newToken.isEmpty() && !m_keepToken) {
        DbError e = openBatch();
        if (!e)
            e = m_state.setToken(newToken);
        if (!e)
            e = commitBatch();
        if (e)
            return fail(e);
    }
    return true;
}

bool SyncRun::serverRemoval(const QString &href)
{
    const SyncRecord *found = m_state.byHref(href);
    if (!found)
        return true;
    const SyncRecord record = *found;
    const auto local = m_local.constFind(record.contactnr);
    if (DbError e = openBatch())
        return fail(e);
    if (local == m_local.cend() || digestOf(*local) != record.digest) {
        // Gone on both sides; or changed here: the person stays and goes to
        // the server again as a new card.
        if (DbError e = m_state.remove(record.contactnr))
            return fail(e);
        if (local == m_local.cend())
            m_used[size_t(record.contactnr)] = false;
        m_freeFrom = qMin(m_freeFrom, record.contactnr);
        return true;
    }
    for (const QString &statement : PersonStore::removalStatements(record.contactnr)) {
        if (DbError e = executeSql(statement))
            return fail(e);
    }
    if (DbError e = m_state.remove(record.contactnr))
        return fail(e);
    m_local.remove(record.contactnr);
    m_used[size_t(record.contactnr)] = false;
    m_freeFrom = qMin(m_freeFrom, record.contactnr);
    ++m_summary.removedLocal;
    return true;
}

bool SyncRun::serverCard(const DavCard &card)
{
    ServerPerson server;
    QString reason;
    if (!readCard(card.data, server, reason)) {
        problem(card.href, reason);
        return true;
    }
    const SyncRecord *found = m_state.byHref(card.href);
    if (DbError e = openBatch())
        return fail(e);
    if (!found) {
        // A person of the book without a card that is exactly this card (the
        // same persons on both sides at the first sync, or after the
        // collection moved): linked, not added a second time.
        const auto same = m_unlinked.constFind(server.digest);
        if (same != m_unlinked.cend()) {
            const int nr = *same;
            m_unlinked.erase(same);
            server.person.contactnr = nr;
            const SyncRecord record{nr, server.uid.isEmpty() ? PersonUid::vcard(server.person) : server.uid,
                                    card.href, card.etag, server.digest};
            if (DbError e = m_state.write(record, card.data))
                return fail(e);
            return true;
        }
        const int nr = lowestFree();
        if (nr == 0) {
            problem(card.href, T("The book is full: all numbers from 1 to 32767 are in use."));
            m_keepToken = true;
            return true;
        }
        server.person.contactnr = nr;
        const SyncRecord record{nr, server.uid.isEmpty() ? PersonUid::vcard(server.person) : server.uid,
                                card.href, card.etag, server.digest};
        return takeServerVersion(record, server, card, false);
    }
    SyncRecord record = *found;
    const auto local = m_local.constFind(record.contactnr);
    if (local == m_local.cend()) {
        if (record.etag.isEmpty()) {
            // Added here, removed here before its PUT was confirmed: the
            // removal goes to the server with this ETag.
            record.etag = card.etag;
            if (DbError e = m_state.write(record, card.data))
                return fail(e);
            return true;
        }
        // Removed here, changed on the server: the change wins, the person
        // comes back.
        return takeServerVersion(record, server, card, false);
    }
    const QByteArray localDigest = digestOf(*local);
    if (server.digest == localDigest) {
        // The same on both sides (our own card coming back, or the same edit).
        record.etag = card.etag;
        record.digest = localDigest;
        if (DbError e = m_state.write(record, card.data))
            return fail(e);
        return true;
    }
    if (localDigest == record.digest && !record.etag.isEmpty())
        return takeServerVersion(record, server, card, true);
    return conflict(record, server, card);
}

// The server's version of a card becomes the person of the record's number
// (a new person, or replacing the one there), with its state, in the batch.
bool SyncRun::takeServerVersion(SyncRecord record, ServerPerson &server, const DavCard &card, bool replace)
{
    server.person.contactnr = record.contactnr;
    record.etag = card.etag;
    record.digest = server.digest;
    if (DbError e = writePerson(record.contactnr, server.person, replace))
        return fail(e);
    if (DbError e = m_state.write(record, card.data))
        return fail(e);
    take(record.contactnr, server.person);
    ++m_summary.pulled;
    return true;
}

bool SyncRun::conflict(SyncRecord record, const ServerPerson &server, const DavCard &card)
{
    const CardPerson &local = m_local[record.contactnr];
    const int nr = lowestFree();
    if (nr == 0) {
        problem(card.href, T("The book is full: all numbers from 1 to 32767 are in use."));
        m_held.insert(record.contactnr);
        m_keepToken = true;
        return true;
    }
    CardPerson copy = server.person;
    copy.contactnr = nr;
    const QString mark = T("Sync conflict: the server's version of this person, %1")
                             .arg(clock().now().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    copy.note = copy.note.isEmpty() ? mark : mark + QLatin1Char('\n') + copy.note;
    copy = normalized(copy);
    // The local version stays in place and goes to the server over the
    // card just read: no digest matches it.
    record.etag = card.etag;
    record.digest.clear();
    if (DbError e = openBatch())
        return fail(e);
    if (DbError e = writePerson(nr, copy, false))
        return fail(e);
    if (DbError e = m_state.write(record, card.data))
        return fail(e);
    ++m_summary.conflicts;
    m_summary.conflictNames += nameOf(local);
    take(nr, copy);
    return true;
}

bool SyncRun::fetchOne(const QString &href, DavCard &card, bool &found)
{
    QList<DavCard> cards;
    if (DavError e = m_server.fetchCards(m_collection, {href}, cards))
        return fail(e);
    found = false;
    for (const DavCard &c : std::as_const(cards)) {
        if (c.href == href) {
            card = c;
            found = true;
        }
    }
    return true;
}

DbError SyncRun::recordNew(int nr)
{
    // A new card is recorded (with an empty ETag) before its PUT, so that a
    // PUT whose answer is lost is recognised when the card turns up.
    const CardPerson &person = m_local[nr];
    SyncRecord record;
    record.contactnr = nr;
    record.uid = PersonUid::vcard(person);
    record.href =
        m_collection.path(QUrl::FullyEncoded) + record.uid.section(u':', -1) + QStringLiteral(".vcf");
    record.digest = digestOf(person);
    m_unlinked.remove(record.digest, nr);
    if (DbError e = openBatch())
        return e;
    return m_state.write(record, {});
}

bool SyncRun::push(int nr)
{
    const CardPerson &person = m_local[nr];
    const QByteArray digest = digestOf(person);
    for (int attempt = 0; attempt < 3; ++attempt) {
        SyncRecord record;
        QByteArray base;
        const auto known = m_state.records().constFind(nr);
        if (known == m_state.records().cend()) {
            DbError e = recordNew(nr);
            if (!e)
                e = commitBatch();
            if (e)
                return fail(e);
            record = m_state.records().value(nr);
        } else {
            record = *known;
            if (DbError e = m_state.card(nr, base))
                return fail(e);
        }
        QByteArray data = CardMerge::card(person, base, record.uid);
        QByteArray etag;
        const DavError e = m_server.putCard(record.href, data, record.etag, etag);
        if (!e) {
            if (etag.isEmpty()) {
                DavCard stored;
                bool found = false;
                if (!fetchOne(record.href, stored, found))
                    return false;
                if (found) {
                    etag = stored.etag;
                    data = stored.data;
                }
            }
            record.etag = etag;
            record.digest = digest;
            DbError de = openBatch();
            if (!de)
                de = m_state.write(record, data);
            if (de)
                return fail(de);
            ++m_summary.pushed;
            return true;
        }
        if (e.kind != DavError::Kind::PreconditionFailed)
            return fail(e);
        // Changed on the server since it was read: what is there now is
        // handled as a change of the server, then pushed over.
        DavCard current;
        bool found = false;
        if (!fetchOne(record.href, current, found))
            return false;
        if (found) {
            if (!serverCard(current))
                return false;
            if (m_held.contains(nr))
                return true;
            const auto now = m_state.records().constFind(nr);
            if (now != m_state.records().cend() && !now->etag.isEmpty() && now->etag == current.etag &&
                now->digest == digest)
                return true;
            if (now == m_state.records().cend() || now->etag != current.etag) {
                problem(record.href, T("The card could not be read from the server."));
                return true;
            }
        } else if (!record.etag.isEmpty()) {
            // Removed on the server meanwhile: the person goes there again
            // as a new card.
            DbError de = openBatch();
            if (!de)
                de = m_state.remove(nr);
            if (de)
                return fail(de);
        } else {
            break;
        }
    }
    problem(m_state.records().value(nr).href, T("The server kept refusing the card."));
    return true;
}

bool SyncRun::pushRemoval(const SyncRecord &record)
{
    QByteArray etag = record.etag;
    if (etag.isEmpty()) {
        DavCard card;
        bool found = false;
        if (!fetchOne(record.href, card, found))
            return false;
        etag = card.etag;
        if (!found) {
            DbError e = openBatch();
            if (!e)
                e = m_state.remove(record.contactnr);
            return e ? fail(e) : true;
        }
    }
    const DavError e = m_server.deleteCard(record.href, etag);
    if (e.kind == DavError::Kind::PreconditionFailed) {
        // Changed on the server since: the change wins, the person comes
        // back.
        DavCard card;
        bool found = false;
        if (!fetchOne(record.href, card, found))
            return false;
        if (found)
            return serverCard(card);
    } else if (e) {
        return fail(e);
    }
    DbError de = openBatch();
    if (!de)
        de = m_state.remove(record.contactnr);
    if (de)
        return fail(de);
    m_used[size_t(record.contactnr)] = false;
    ++m_summary.removedRemote;
    return true;
}

bool SyncRun::pushAll()
{
    // Two rounds: a conflict met while pushing adds the server's version as
    // a person of its own, which goes to the server in the second.
    for (int round = 0; round < 2; ++round) {
        std::vector<int> changed;
        for (auto it = m_local.cbegin(); it != m_local.cend(); ++it) {
            const auto known = m_state.records().constFind(it.key());
            if (!m_held.contains(it.key()) && (known == m_state.records().cend() || known->etag.isEmpty() ||
                                               known->digest != digestOf(*it)))
                changed.push_back(it.key());
        }
        std::vector<SyncRecord> removed;
        for (const SyncRecord &r : m_state.records()) {
            if (!m_local.contains(r.contactnr))
                removed.push_back(r);
        }
        if (changed.empty() && removed.empty())
            break;
        std::sort(changed.begin(), changed.end());
        std::sort(removed.begin(), removed.end(),
                  [](const SyncRecord &a, const SyncRecord &b) { return a.contactnr < b.contactnr; });
        m_total += int(changed.size() + removed.size());
        for (size_t from = 0; from < changed.size(); from += SyncEngine::kFetchBatch) {
            const size_t to = qMin(changed.size(), from + SyncEngine::kFetchBatch);
            // The new cards of the batch recorded in one go, then their PUTs;
            // what the server answered is written at the end of the batch.
            for (size_t i = from; i < to; ++i) {
                if (!m_state.records().contains(changed[i])) {
                    if (DbError e = recordNew(changed[i]))
                        return fail(e);
                }
            }
            if (DbError e = commitBatch())
                return fail(e);
            for (size_t i = from; i < to; ++i) {
                if (!push(changed[i]))
                    return false;
                step();
            }
            if (DbError e = commitBatch())
                return fail(e);
        }
        for (const SyncRecord &r : removed) {
            if (!pushRemoval(r))
                return false;
            step();
        }
    }
    return true;
}

SyncResult SyncRun::run()
{
    SyncResult result;
    Connection *c = currentConnection();
    if (!c || c->state() != 1) {
        result.errorText = T("No book is open.");
        return result;
    }
    if (c->mode() != kModeReadWrite) {
        result.errorText = T("The book is open for reading only; it cannot be synchronised.");
        return result;
    }
    if (DbError e = m_state.setUp(m_collection)) {
        fail(e);
    } else if (loadBook() && pull()) {
        if (pushAll() && m_summary.pushed + m_summary.removedRemote > 0 && !m_state.token().isEmpty()) {
            // Our own cards come back in the collection's changes with the
            // ETags we keep: taking the new token now spares the next sync
            // from asking about them.
            pull();
        }
    }
    // A sync stopped by the server keeps what was done so far.
    if (!m_dbFailed) {
        if (DbError e = commitBatch())
            fail(e);
    }
    result.ok = m_error.isEmpty();
    result.errorText = m_error;
    result.summary = m_summary;
    return result;
}

} // namespace

QString SyncSummary::text() const
{
    QStringList lines;
    lines += T("Pulled: %1, pushed: %2, removed: %3, conflicts: %4")
                 .arg(pulled)
                 .arg(pushed)
                 .arg(removedLocal + removedRemote)
                 .arg(conflicts);
    if (!conflictNames.isEmpty()) {
        lines += T("Changed on both sides (the server's version was added as a second person):");
        for (const QString &name : conflictNames)
            lines += QStringLiteral("  ") + name;
    }
    if (!problems.isEmpty()) {
        lines += T("Cards left as they are:");
        for (const QString &p : problems)
            lines += QStringLiteral("  ") + p;
    }
    return lines.join(u'\n');
}

SyncEngine::SyncEngine(DavServer &server, const QUrl &collection) : m_server(server), m_collection(collection)
{
}

SyncResult SyncEngine::run(const ProgressCallback &progress)
{
    SyncRun run(m_server, m_collection, progress);
    return run.run();
}

} // namespace velmora
