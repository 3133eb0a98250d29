#include "BookGenerator.h"

#include "app/Clock.h"
#include "app/Paths.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "export/ExportRows.h"
#include "export/HtmlExport.h"
#include "export/TextExport.h"
#include "export/ui/ExportWindow.h"
#include "settings/Settings.h"
#include "store/Sql.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstring>
#include <numeric>

using namespace velmora;

namespace {

constexpr int kFullBook = 32767;

// The exports write into a temporary folder of their own and read the style
// sheets shipped beside the benchmark program.
struct ExportWorld {
    QTemporaryDir dir;
    FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
    RecordingPrompts prompts;
    std::unique_ptr<FixedPaths> paths;
    std::unique_ptr<QSettings> settings;

    ExportWorld()
    {
        const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(".."));
        paths = std::make_unique<FixedPaths>(QDir::cleanPath(program), dir.path(), dir.path());
        settings =
            std::make_unique<QSettings>(dir.filePath(QStringLiteral("Velmora.conf")), QSettings::IniFormat);
    }
    void install()
    {
        Seams &s = seams();
        s.clock = &clock;
        s.prompts = &prompts;
        s.paths = paths.get();
        s.settings = settings.get();
        saveSetting(QStringLiteral("List"), QStringLiteral("First name Last name"));
        saveSetting(QStringLiteral("Date"), QStringLiteral("dd/mm/yyyy"));
        saveSetting(QStringLiteral("Css"), QStringLiteral("Normal"));
    }
};

ExportWorld &world()
{
    static ExportWorld w;
    w.install();
    return w;
}

std::vector<int> everyone()
{
    std::vector<int> all(kFullBook);
    std::iota(all.begin(), all.end(), 1);
    return all;
}

// The peak resident memory of the process is set back to what it uses now
// (Linux: "5" written to clear_refs), so that the peak read afterwards is the
// peak of the work in between.
void resetPeak()
{
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    if (file.open(QIODevice::WriteOnly))
        file.write("5");
}

// A figure of /proc/self/status ("VmHWM:" the peak, "VmRSS:" now), in MB.
double statusMegabytes(const char *field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(strlen(field))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

double peakMegabytes()
{
    return statusMegabytes("VmHWM:");
}

double fileMegabytes(const QString &path)
{
    return double(QFileInfo(path).size()) / (1024.0 * 1024.0);
}

// The text export of the whole book with every box ticked.
void BM_ExportText(benchmark::State &state)
{
    world();
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    const std::vector<int> all = everyone();
    resetPeak();
    state.counters["before_MB"] = statusMegabytes("VmRSS:");
    for (auto _ : state) {
        const FileResult r = exportText(all, ExportOptions());
        if (!r.ok) {
            state.SkipWithError(qPrintable(r.errorText));
            return;
        }
    }
    state.counters["file_MB"] = fileMegabytes(TextExport::outputPath());
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond);

// The XHTML export of the whole book with every box ticked.
void BM_ExportXhtml(benchmark::State &state)
{
    world();
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    const std::vector<int> all = everyone();
    resetPeak();
    state.counters["before_MB"] = statusMegabytes("VmRSS:");
    for (auto _ : state) {
        const FileResult r = exportHtml(all, ExportOptions());
        if (!r.ok) {
            state.SkipWithError(qPrintable(r.errorText));
            return;
        }
    }
    state.counters["file_MB"] = fileMegabytes(HtmlExport::outputPath());
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ExportXhtml)->Unit(benchmark::kMillisecond);

// Switching the style of the whole book's XHTML export.
void BM_RestyleHtml(benchmark::State &state)
{
    world();
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    if (!exportHtml(everyone(), ExportOptions()).ok) {
        state.SkipWithError("the export failed");
        return;
    }
    bool blue = false;
    resetPeak();
    state.counters["before_MB"] = statusMegabytes("VmRSS:");
    for (auto _ : state) {
        saveSetting(QStringLiteral("Css"),
                    (blue = !blue) ? QStringLiteral("Ocean") : QStringLiteral("Normal"));
        const FileResult r = restyleHtmlExport();
        if (!r.ok) {
            state.SkipWithError(qPrintable(r.errorText));
            return;
        }
    }
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_RestyleHtml)->Unit(benchmark::kMillisecond);

// Opening the export window on the whole book: the persons read, both lists
// and the buttons set up, the main window's person preselected.
void BM_OpenExportWindow(benchmark::State &state)
{
    world();
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    MainListState main;
    main.shownPerson = kFullBook / 2;
    for (auto _ : state) {
        ExportWindow window(main);
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.picker()->availableCount());
    }
}
BENCHMARK(BM_OpenExportWindow)->Unit(benchmark::kMillisecond);

// Add all, then Remove all, in the open export window of the whole book.
void BM_ExportAddAll(benchmark::State &state)
{
    world();
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    ExportWindow window(MainListState{});
    window.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        window.picker()->addAll();
        // The views lay out the changed lists.
        QCoreApplication::processEvents();
        state.PauseTiming();
        window.picker()->removeAll();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["persons"] = window.picker()->availableCount();
}
BENCHMARK(BM_ExportAddAll)->Unit(benchmark::kMillisecond);

} // namespace
