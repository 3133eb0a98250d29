#include "BookGenerator.h"

#include "mainwindow/PersonListModel.h"
#include "mainwindow/PersonListQuery.h"
#include "mainwindow/SearchState.h"
#include "search/AdvancedSearch.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

constexpr int kFullBook = 32767;
const QString kNameOrder = QStringLiteral("Last name First name");

// One OK of the search window followed by the list rebuild: the search
// state from the rows, the statements run, the rows handed to the list.
void searchAndRebuild(benchmark::State &state, const SearchInput &input)
{
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    PersonListModel model;
    SearchState search;
    search.searchMode = true;
    size_t found = 0;
    for (auto _ : state) {
        if (AdvancedSearch(search).apply(input) != AdvancedSearch::Outcome::Search) {
            state.SkipWithError("the search found nothing to search for");
            return;
        }
        std::vector<PersonRow> rows;
        if (DbError e = loadPersonList(kNameOrder, true, search, rows)) {
            state.SkipWithError(qPrintable(e.description));
            return;
        }
        found = rows.size();
        model.setRows(std::move(rows));
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = double(found);
}

SearchInput inputWith(SearchRow row, int op, const QString &text)
{
    SearchInput input;
    input.dateFormat = QStringLiteral("dd/mm/yyyy");
    input.textOf(SearchRow::Dateofbirth) = QStringLiteral("__/__/____");
    input.date2 = QStringLiteral("__/__/____");
    input.opOf(row) = op;
    input.textOf(row) = text;
    return input;
}

} // namespace

// Last name contains "an": about a third of the book, sorted by name.
static void BM_SearchContains(benchmark::State &state)
{
    searchAndRebuild(state, inputWith(SearchRow::Lastname, searchop::Contains, QStringLiteral("an")));
}
BENCHMARK(BM_SearchContains)->Unit(benchmark::kMillisecond);

// Phone begins with "+32 471 12": every one of the book's numbers is read and
// compared by its digits; about one person in ninety matches.
static void BM_SearchPhoneDigits(benchmark::State &state)
{
    searchAndRebuild(state, inputWith(SearchRow::Phone, searchop::BeginsWith, QStringLiteral("+32 471 12")));
}
BENCHMARK(BM_SearchPhoneDigits)->Unit(benchmark::kMillisecond);

// The worst phone case: the first number of every person matches, so the
// list statement carries all 32,767 numbers.
static void BM_SearchPhoneEveryone(benchmark::State &state)
{
    searchAndRebuild(state, inputWith(SearchRow::Phone, searchop::BeginsWith, QStringLiteral("+32 471")));
}
BENCHMARK(BM_SearchPhoneEveryone)->Unit(benchmark::kMillisecond);
