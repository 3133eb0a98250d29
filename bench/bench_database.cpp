#include "BookGenerator.h"

#include "app/Clock.h"
#include "app/Paths.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "store/Database.h"
#include "store/Engine.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

using namespace velmora;

namespace {

constexpr int kFullBook = 32767;
const QString kPassword = QStringLiteral("bench; secret");

// Opening a book reads and writes settings and may show messages: give the
// benchmarks a world of their own (a throw-away settings file, no windows).
struct BenchWorld {
    QTemporaryDir dir;
    FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
    RecordingPrompts prompts;
    std::unique_ptr<FixedPaths> paths;
    std::unique_ptr<QSettings> settings;
    QString plainBook;
    QString protectedBook;

    BenchWorld()
    {
        paths = std::make_unique<FixedPaths>(dir.path(), dir.path(), dir.path());
        settings =
            std::make_unique<QSettings>(dir.filePath(QStringLiteral("Velmora.conf")), QSettings::IniFormat);
        Seams &s = seams();
        s.clock = &clock;
        s.prompts = &prompts;
        s.paths = paths.get();
        s.settings = settings.get();
        // Copies of the generated book: compaction rewrites them.
        const QString generated = bench::BookGenerator::book(kFullBook);
        if (generated.isEmpty())
            return;
        const QString plain = dir.filePath(QStringLiteral("full.mdb"));
        const QString keyed = dir.filePath(QStringLiteral("full-protected.mdb"));
        if (QFile::copy(generated, plain))
            plainBook = plain;
        if (!compactInto(generated, QString(), keyed, kPassword))
            protectedBook = keyed;
    }
};

BenchWorld &world()
{
    static BenchWorld w;
    return w;
}

QString bookFor(benchmark::State &state, bool withPassword)
{
    const QString path = withPassword ? world().protectedBook : world().plainBook;
    if (path.isEmpty())
        state.SkipWithError("the book could not be written");
    return path;
}

} // namespace

// Check, open and upgrade test of the full book: what Open does after the
// file dialog (the first open widened it already, as in real use). A
// protected book is another file each time, so its password is asked for
// (and answered at once).
static void BM_OpenDatabase(benchmark::State &state)
{
    const bool withPassword = state.range(0) != 0;
    const QString path = bookFor(state, withPassword);
    if (path.isEmpty())
        return;
    Database &db = Database::instance();
    for (auto _ : state) {
        state.PauseTiming();
        db.closeDatabase(false);
        if (withPassword) {
            db.connection().setDataSource(QString());
            world().prompts.clear();
            world().prompts.queueText(kPassword);
        }
        state.ResumeTiming();
        if (!db.isValidDatabase(path) || !db.openDatabase(path)) {
            state.SkipWithError("the book did not open");
            break;
        }
    }
    db.closeDatabase(false);
    state.SetLabel(withPassword ? "32767 persons, password" : "32767 persons");
}
BENCHMARK(BM_OpenDatabase)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Closing the full book, which compacts it into a copy beside it, syncs the
// copy and renames it over the book.
static void BM_CloseCompact(benchmark::State &state)
{
    const bool withPassword = state.range(0) != 0;
    const QString path = bookFor(state, withPassword);
    if (path.isEmpty())
        return;
    Database &db = Database::instance();
    db.setPassword(withPassword ? kPassword : QString());
    for (auto _ : state) {
        state.PauseTiming();
        const bool opened = db.openDatabase(path);
        state.ResumeTiming();
        if (!opened) {
            state.SkipWithError("the book did not open");
            break;
        }
        db.closeDatabase(true);
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
    state.SetLabel(withPassword ? "32767 persons, password" : "32767 persons");
}
BENCHMARK(BM_CloseCompact)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
