#include "BookGenerator.h"

#include "store/Engine.h"
#include "store/SortCollator.h"
#include "store/Sql.h"

#include <benchmark/benchmark.h>

#include <sqlite3.h>

using namespace velmora;

namespace {

constexpr int kFullBook = 32767;

const QString kListStatement = QStringLiteral("SELECT Contactnr, Firstname, Lastname ") +
                               QStringLiteral("FROM Person ") +
                               QStringLiteral("ORDER BY Lastname, Firstname ");

bool openBook(benchmark::State &state, Connection &c, int count)
{
    const QString path = bench::BookGenerator::book(count);
    if (path.isEmpty() || c.open(path, QString())) {
        state.SkipWithError("the book could not be written or opened");
        return false;
    }
    return true;
}

// Reads the list the way the contact list does: three fields of every row.
int readList(Recordset &rs)
{
    const QString nr = QStringLiteral("Contactnr");
    const QString first = QStringLiteral("Firstname");
    const QString last = QStringLiteral("Lastname");
    int rows = 0;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        benchmark::DoNotOptimize(rs.field(nr).toInt());
        benchmark::DoNotOptimize(rs.text(first));
        benchmark::DoNotOptimize(rs.text(last));
        ++rows;
    }
    return rows;
}

} // namespace

// The floor: SQLite's own scan of the persons, without sorting or copying.
static void BM_RawPersonScan(benchmark::State &state)
{
    Connection c;
    if (!openBook(state, c, kFullBook))
        return;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(c.handle(), "SELECT Contactnr, Firstname, Lastname FROM Person", -1, &st, nullptr);
    for (auto _ : state) {
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int(st, 0));
            benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
            benchmark::DoNotOptimize(sqlite3_column_text(st, 2));
            ++rows;
        }
        sqlite3_reset(st);
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_finalize(st);
    state.counters["rows"] = kFullBook;
}
BENCHMARK(BM_RawPersonScan)->Unit(benchmark::kMillisecond);

// The contact list statement, sorted in the user's locale, read to the end.
static void BM_ListStatement(benchmark::State &state)
{
    Connection c;
    if (!openBook(state, c, kFullBook))
        return;
    int rows = 0;
    for (auto _ : state) {
        Recordset rs;
        if (openRecordset(c, kListStatement, rs)) {
            state.SkipWithError("the list statement failed");
            return;
        }
        rows = readList(rs);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_ListStatement)->Unit(benchmark::kMillisecond);

// The same, the first time after start: no name has a sort key yet.
static void BM_ListStatementFirstTime(benchmark::State &state)
{
    Connection c;
    if (!openBook(state, c, kFullBook))
        return;
    SortCollator &collator = SortCollator::instance();
    for (auto _ : state) {
        state.PauseTiming();
        collator.setLocale(collator.localeName()); // forgets the keys
        state.ResumeTiming();
        Recordset rs;
        if (openRecordset(c, kListStatement, rs)) {
            state.SkipWithError("the list statement failed");
            return;
        }
        readList(rs);
    }
}
BENCHMARK(BM_ListStatementFirstTime)->Unit(benchmark::kMillisecond);

// The list through the locale collation instead of sort keys (the way taken
// where SQLite cannot sort by key), for comparison.
static void BM_ListStatementByCollation(benchmark::State &state)
{
    Connection c;
    if (!openBook(state, c, kFullBook))
        return;
    const QString sql = c.translate(kListStatement, true);
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(c.handle(), sql.toUtf8().constData(), -1, &st, nullptr);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_ListStatementByCollation)->Unit(benchmark::kMillisecond);

// The lowest free number on a book with 32,766 numbers in use: the walk goes
// through every row.
static void BM_NextFreeNumber(benchmark::State &state)
{
    Connection c;
    if (!openBook(state, c, kFullBook - 1))
        return;
    Connection *before = currentConnection();
    setCurrentConnection(&c);
    int number = 0;
    for (auto _ : state) {
        if (nextFreeNumber(QStringLiteral("Person"), QStringLiteral("Contactnr"), number)) {
            state.SkipWithError("nextFreeNumber failed");
            break;
        }
    }
    setCurrentConnection(before);
    state.counters["number"] = number;
}
BENCHMARK(BM_NextFreeNumber)->Unit(benchmark::kMillisecond);
