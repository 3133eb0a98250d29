#include "BookGenerator.h"

#include "birthdays/Reminder.h"
#include "birthdays/ReminderDays.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {
constexpr int kFullBook = 32767;
}

// The whole reminder of a log-on on the full book with the first-start
// settings (since 2 days, once 7 days): the days worked out, one query per
// day, every row built.
static void BM_Reminder(benchmark::State &state)
{
    Connection c;
    const QString path = bench::BookGenerator::book(kFullBook);
    if (path.isEmpty() || c.open(path, QString())) {
        state.SkipWithError("the book could not be written or opened");
        return;
    }
    Connection *previous = currentConnection();
    setCurrentConnection(&c);
    const QDate today(2026, 12, 6);
    size_t rows = 0;
    for (auto _ : state) {
        std::vector<ReminderRow> found;
        for (const qint64 d :
             ReminderDays::offsets(today, QStringLiteral("2"), QStringLiteral("7"), {}, {})) {
            if (Reminder::addBirthdays(today, d, found)) {
                state.SkipWithError("a birthday query failed");
                break;
            }
        }
        rows = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    setCurrentConnection(previous);
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_Reminder)->Unit(benchmark::kMillisecond);

// One day's birthday query on the full book, for comparison.
static void BM_BirthdayQuery(benchmark::State &state)
{
    Connection c;
    const QString path = bench::BookGenerator::book(kFullBook);
    if (path.isEmpty() || c.open(path, QString())) {
        state.SkipWithError("the book could not be written or opened");
        return;
    }
    const QString statement = Reminder::birthdayQuery(QDate(2026, 12, 6));
    for (auto _ : state) {
        Recordset rs;
        if (openRecordset(c, statement, rs)) {
            state.SkipWithError("the query failed");
            break;
        }
        benchmark::DoNotOptimize(rs.recordCount());
    }
}
BENCHMARK(BM_BirthdayQuery)->Unit(benchmark::kMillisecond);
