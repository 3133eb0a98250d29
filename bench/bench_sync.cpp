#include "BookGenerator.h"
#include "FakeDavServer.h"
#include "RadicaleServer.h"

#include "app/Clock.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "store/Engine.h"
#include "store/Sql.h"
#include "sync/CardDavClient.h"
#include "sync/SyncEngine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

constexpr int kSyncedBook = 2000;

// Translated texts and the conflict note's date need the settings and the
// clock: seams of their own when no other benchmark has installed them.
void installSyncSeams()
{
    static QTemporaryDir dir;
    static QSettings settings(dir.filePath(QStringLiteral("Velmora.conf")), QSettings::IniFormat);
    static RecordingPrompts prompts;
    static FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(10, 0)));
    Seams &s = seams();
    if (!s.settings)
        s.settings = &settings;
    if (!s.prompts)
        s.prompts = &prompts;
    if (!s.clock)
        s.clock = &clock;
}

// A copy of the generated book of 2,000 persons, open as the current
// connection while it lives.
class BookCopy {
public:
    explicit BookCopy(const QString &path)
    {
        m_open = QFile::copy(bench::BookGenerator::book(kSyncedBook), path) && !m_c.open(path, QString());
        m_before = currentConnection();
        if (m_open)
            setCurrentConnection(&m_c);
    }
    ~BookCopy() { setCurrentConnection(m_before); }
    bool isOpen() const { return m_open; }

private:
    Connection m_c;
    Connection *m_before = nullptr;
    bool m_open = false;
};

// The first sync of 2,000 persons to an empty collection in memory: the
// engine's own cost (reading the book, writing the cards, a transaction
// for each card's state).
void BM_SyncFirstInMemory(benchmark::State &state)
{
    installSyncSeams();
    QTemporaryDir dir;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto book = std::make_unique<BookCopy>(dir.filePath(QStringLiteral("first%1.mdb").arg(round++)));
        test::FakeDavServer server;
        if (!book->isOpen()) {
            state.SkipWithError("no book");
            return;
        }
        state.ResumeTiming();
        const SyncResult r = SyncEngine(server, server.collection()).run();
        state.PauseTiming();
        if (!r.ok || r.summary.pushed != kSyncedBook) {
            state.SkipWithError("the sync failed");
            return;
        }
        book.reset();
        state.ResumeTiming();
    }
    state.counters["persons"] = kSyncedBook;
}
BENCHMARK(BM_SyncFirstInMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

// A sync with nothing changed on a synced book of 2,000 persons, against a
// collection in memory: reading the book and its sync state and comparing
// digests.
void BM_SyncNothingChangedInMemory(benchmark::State &state)
{
    installSyncSeams();
    QTemporaryDir dir;
    BookCopy book(dir.filePath(QStringLiteral("synced.mdb")));
    test::FakeDavServer server;
    if (!book.isOpen() || !SyncEngine(server, server.collection()).run().ok) {
        state.SkipWithError("no synced book");
        return;
    }
    for (auto _ : state) {
        const SyncResult r = SyncEngine(server, server.collection()).run();
        if (!r.ok || r.summary.pushed + r.summary.pulled != 0) {
            state.SkipWithError("the sync changed something");
            return;
        }
    }
    state.counters["persons"] = kSyncedBook;
}
BENCHMARK(BM_SyncNothingChangedInMemory)->Unit(benchmark::kMillisecond);

// One Radicale on 127.0.0.1 for the sync benchmarks, started at first use.
test::RadicaleServer *radicale(benchmark::State &state)
{
    static std::unique_ptr<test::RadicaleServer> server;
    if (!server) {
        server = std::make_unique<test::RadicaleServer>();
        if (!server->start()) {
            state.SkipWithError(qPrintable(server->errorText()));
            server.reset();
            return nullptr;
        }
    }
    return server.get();
}

// A book of 2,000 persons synced with its own address book on Radicale:
// made by the first-sync benchmark, or by the no-change benchmark when it
// runs alone.
struct RadicaleBook {
    QTemporaryDir dir;
    QString path;
    QUrl collection;
};
RadicaleBook &radicaleBook()
{
    static RadicaleBook book;
    return book;
}

// A first sync of the book at path to a new address book; the sync's time
// in milliseconds, or -1 (with the error set) when it failed.
qint64 firstSync(benchmark::State &state, test::RadicaleServer &server, const QString &path,
                 const QString &name, QUrl &collection)
{
    BookCopy book(path);
    collection = server.createAddressBook(QStringLiteral("anna"), name);
    if (!book.isOpen() || !collection.isValid()) {
        state.SkipWithError("no book or address book");
        return -1;
    }
    CardDavClient client(QStringLiteral("anna"), server.password(QStringLiteral("anna")));
    QElapsedTimer timer;
    timer.start();
    const SyncResult r = SyncEngine(client, collection).run();
    const qint64 ms = timer.elapsed();
    if (!r.ok || r.summary.pushed != kSyncedBook) {
        state.SkipWithError(qPrintable(QStringLiteral("the first sync failed: ") + r.errorText));
        return -1;
    }
    return ms;
}

// The first sync of 2,000 persons to an empty address book on Radicale (the
// server's own time for each PUT included: it grows with the collection).
void BM_SyncFirstToRadicale(benchmark::State &state)
{
    installSyncSeams();
    test::RadicaleServer *server = radicale(state);
    if (!server)
        return;
    RadicaleBook &kept = radicaleBook();
    for (auto _ : state) {
        kept.path = kept.dir.filePath(QStringLiteral("synced.mdb"));
        QFile::remove(kept.path);
        const qint64 ms = firstSync(state, *server, kept.path, QStringLiteral("first"), kept.collection);
        if (ms < 0) {
            kept.path.clear();
            return;
        }
        state.SetIterationTime(double(ms) / 1000.0);
    }
    state.counters["persons"] = kSyncedBook;
}
BENCHMARK(BM_SyncFirstToRadicale)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

// A sync with nothing changed on a book of 2,000 persons synced with
// Radicale: the sync-collection REPORT and the comparison of the book with
// its state.
void BM_SyncNothingChangedRadicale(benchmark::State &state)
{
    installSyncSeams();
    test::RadicaleServer *server = radicale(state);
    if (!server)
        return;
    RadicaleBook &kept = radicaleBook();
    if (kept.path.isEmpty()) {
        kept.path = kept.dir.filePath(QStringLiteral("synced.mdb"));
        if (firstSync(state, *server, kept.path, QStringLiteral("synced"), kept.collection) < 0) {
            kept.path.clear();
            return;
        }
    }
    Connection c;
    if (c.open(kept.path, QString())) {
        state.SkipWithError("the synced book cannot be opened");
        return;
    }
    Connection *before = currentConnection();
    setCurrentConnection(&c);
    CardDavClient client(QStringLiteral("anna"), server->password(QStringLiteral("anna")));
    for (auto _ : state) {
        const SyncResult r = SyncEngine(client, kept.collection).run();
        if (!r.ok || r.summary.pushed + r.summary.pulled != 0) {
            state.SkipWithError(qPrintable(QStringLiteral("the sync changed something: ") + r.errorText));
            break;
        }
    }
    setCurrentConnection(before);
    state.counters["persons"] = kSyncedBook;
}
BENCHMARK(BM_SyncNothingChangedRadicale)->Unit(benchmark::kMillisecond);

} // namespace
