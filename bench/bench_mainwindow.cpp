#include "BookGenerator.h"

#include "mainwindow/PersonDetails.h"
#include "mainwindow/PersonListModel.h"
#include "mainwindow/PersonListQuery.h"
#include "mainwindow/SearchState.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

constexpr int kFullBook = 32767;
const QString kFirstLast = QStringLiteral("First name Last name");

// A rebuild of the contact list: the statement, the rows read and trimmed,
// the model reset that the list view shows.
void BM_FillPersonList(benchmark::State &state)
{
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    PersonListModel model;
    const SearchState search;
    for (auto _ : state) {
        std::vector<PersonRow> rows;
        QString statement;
        if (loadPersonList(kFirstLast, false, search, rows, &statement)) {
            state.SkipWithError("the list statement failed");
            return;
        }
        model.setRows(std::move(rows));
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = model.rowCount();
}
BENCHMARK(BM_FillPersonList)->Unit(benchmark::kMillisecond);

// Reading one person for the details pane: person, phones and e-mail
// addresses, the date with the age.
void BM_ShowPerson(benchmark::State &state)
{
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    int nr = 1;
    const QDate today(2026, 12, 6);
    for (auto _ : state) {
        PersonDetails details;
        if (loadPersonDetails(nr, kFirstLast, QStringLiteral("dd/mm/yyyy"), today, details) ||
            !details.found) {
            state.SkipWithError("the person could not be read");
            return;
        }
        benchmark::DoNotOptimize(details.phones.size());
        nr = (nr * 7919) % kFullBook + 1; // spread over the whole book
    }
}
BENCHMARK(BM_ShowPerson)->Unit(benchmark::kMicrosecond);

// From starting the program with the full book on its command line to the
// first paint of its window (offscreen, so no display is needed). The
// program runs in a private home with a copy of the book.
void BM_StartToWindowShown(benchmark::State &state)
{
    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../velmora"));
    if (!QFile::exists(program)) {
        state.SkipWithError("build the velmora program first");
        return;
    }
    const QString source = bench::BookGenerator::book(kFullBook);
    QTemporaryDir home;
    const QString book = home.filePath(QStringLiteral("full.mdb"));
    if (source.isEmpty() || !QFile::copy(source, book)) {
        state.SkipWithError("the book could not be prepared");
        return;
    }
    QDir(home.path()).mkpath(QStringLiteral("Documents"));
    QDir(home.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home.filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VELMORA_REPORT_SHOWN"), QStringLiteral("1"));
    // The reminder's log-on entry of a first start is written into the private
    // home; the settings say it is not the first start.
    QDir(home.path()).mkpath(QStringLiteral(".config/Velmora"));
    QFile settings(home.filePath(QStringLiteral(".config/Velmora/Velmora.conf")));
    if (settings.open(QIODevice::WriteOnly))
        settings.write("[General]\nBirthday%20reminder=0\nCheck%20version=0\n");
    settings.close();

    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        process.start(program, {book});
        bool shown = false;
        while (!shown && process.waitForReadyRead(10000))
            shown = process.readAll().contains("shown");
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        process.kill();
        process.waitForFinished();
        if (!shown) {
            state.SkipWithError("the window was not shown");
            return;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_StartToWindowShown)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
