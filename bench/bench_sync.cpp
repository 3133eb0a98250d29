#include "BookGenerator.h"
#include "FakeDavServer.h"

#include "app/Clock.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "store/Engine.h"
#include "store/Sql.h"
#include "sync/SyncEngine.h"

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

} // namespace
