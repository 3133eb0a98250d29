#include "BookGenerator.h"

#include "editor/PersonStore.h"
#include "mainwindow/PersonDetails.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/PersonListQuery.h"
#include "mainwindow/QuickSearch.h"
#include "mainwindow/SearchState.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

constexpr int kFullBook = 32767;
const QString kFirstLast = QStringLiteral("First name Last name");

// A private copy of the full book as the current connection, so that the
// benchmarks may change it.
class BookCopy {
public:
    explicit BookCopy(benchmark::State &state)
    {
        const QString source = bench::BookGenerator::book(kFullBook);
        const QString path = m_dir.filePath(QStringLiteral("copy.mdb"));
        if (source.isEmpty() || !QFile::copy(source, path) || m_connection.open(path, QString())) {
            state.SkipWithError("the book could not be copied or opened");
            return;
        }
        m_before = currentConnection();
        setCurrentConnection(&m_connection);
        m_open = true;
    }
    ~BookCopy()
    {
        if (m_open)
            setCurrentConnection(m_before);
    }
    bool isOpen() const { return m_open; }

private:
    QTemporaryDir m_dir;
    Connection m_connection;
    Connection *m_before = nullptr;
    bool m_open = false;
};

PersonDraft newPerson()
{
    PersonDraft p;
    p.firstName = QStringLiteral("Zoë");
    p.lastName = QStringLiteral("O'Sullivan-Brontë");
    p.dateOfBirth = QStringLiteral("#02/29/1976#");
    p.address = QStringLiteral("Rue de l'Église 12\r\n1000 Bruxelles");
    p.note = QStringLiteral("Met at www.example.org; likes 'jazz'.");
    p.phones = {{QStringLiteral("+32 2 123 45 67 (home)"), QStringLiteral("+32 2 123 45 67")},
                {QStringLiteral("+32 470 12 34 56 (mobile)"), QStringLiteral("+32 470 12 34 56")},
                {QStringLiteral("02 987 65 43"), QStringLiteral("02 987 65 43")}};
    p.emails = {{QStringLiteral("zoe@example.org (private)"), QStringLiteral("zoe@example.org")},
                {QStringLiteral("z.osullivan@work.example"), QStringLiteral("z.osullivan@work.example")}};
    return p;
}

// Adding a person to the full book with one number free: the number, the
// person insert, three phone and two e-mail inserts, one transaction. The
// person is removed again, untimed, so every round finds the same book.
// Argument: 0 the last number is free (a book that grew in order), 1 a number
// in the middle (the walk over every number in use finds it).
void BM_AddPerson(benchmark::State &state)
{
    BookCopy book(state);
    if (!book.isOpen())
        return;
    const int freed = state.range(0) == 0 ? kFullBook : kFullBook / 2;
    if (PersonStore::deletePerson(freed).failed()) {
        state.SkipWithError("could not free a number");
        return;
    }
    const PersonDraft person = newPerson();
    for (auto _ : state) {
        int nr = 0;
        if (PersonStore::addPerson(person, nr).failed() || nr != freed) {
            state.SkipWithError("the person was not added");
            return;
        }
        state.PauseTiming();
        PersonStore::deletePerson(nr);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddPerson)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The walk for a free number alone.
void BM_AddPersonNumberWalk(benchmark::State &state)
{
    BookCopy book(state);
    if (!book.isOpen())
        return;
    PersonStore::deletePerson(kFullBook / 2);
    for (auto _ : state) {
        int nr = 0;
        if (nextFreeNumber(QStringLiteral("Person"), QStringLiteral("Contactnr"), nr).failed()) {
            state.SkipWithError("no number");
            return;
        }
        benchmark::DoNotOptimize(nr);
    }
}
BENCHMARK(BM_AddPersonNumberWalk)->Unit(benchmark::kMillisecond);

// Saving an edited person with its lists (update, two clears, five inserts).
void BM_UpdatePerson(benchmark::State &state)
{
    BookCopy book(state);
    if (!book.isOpen())
        return;
    const PersonDraft person = newPerson();
    for (auto _ : state) {
        if (PersonStore::updatePerson(16384, person).failed()) {
            state.SkipWithError("the person was not saved");
            return;
        }
    }
}
BENCHMARK(BM_UpdatePerson)->Unit(benchmark::kMillisecond);

// One change of the quick-search text on the full list: the match over the
// rows of the list model and showing the person found (the details read).
// Argument: 0 the first row matches, 1 the last row, 2 no row (every row
// compared, nothing shown).
void BM_QuickSearchKey(benchmark::State &state)
{
    BookCopy book(state);
    if (!book.isOpen())
        return;
    std::vector<PersonRow> rows;
    if (loadPersonList(kFirstLast, false, SearchState(), rows, nullptr)) {
        state.SkipWithError("the list could not be read");
        return;
    }
    PersonListModel model;
    model.setRows(std::move(rows));
    const int last = model.rowCount() - 1;
    QString typed;
    switch (state.range(0)) {
    case 0:
        typed = model.rowAt(0).text.left(2);
        break;
    case 1:
        typed = model.rowAt(last).toolTip();
        break;
    default:
        typed = QStringLiteral("zzzz no such name");
        break;
    }
    const QDate today(2026, 12, 6);
    int found = -1;
    for (auto _ : state) {
        found = QuickSearch::findRow(model, typed);
        if (found >= 0) {
            PersonDetails details;
            loadPersonDetails(model.rowAt(found).contactnr, kFirstLast, QStringLiteral("dd/mm/yyyy"), today,
                              details);
            benchmark::DoNotOptimize(details.found);
        }
    }
    state.counters["row"] = found;
    state.counters["rows"] = model.rowCount();
}
BENCHMARK(BM_QuickSearchKey)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace
