#include "BookGenerator.h"

#include "app/Clock.h"
#include "app/Paths.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/ui/PageView.h"
#include "birthdays/CalendarGenerator.h"
#include "birthdays/ui/CalendarWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

// The calendar's own world: the program folder of the build (with its
// Calendar styles), a private temporary folder, a throw-away settings file
// and the fixed clock. Installed for the length of one benchmark.
struct CalendarWorld {
    QTemporaryDir dir;
    FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
    RecordingPrompts prompts;
    std::unique_ptr<FixedPaths> paths;
    std::unique_ptr<QSettings> settings;

    CalendarWorld()
    {
        const QString program =
            QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absoluteFilePath();
        paths = std::make_unique<FixedPaths>(program, dir.path(), dir.path());
        settings =
            std::make_unique<QSettings>(dir.filePath(QStringLiteral("Velmora.conf")), QSettings::IniFormat);
        settings->setValue(QStringLiteral("Css Calendar"), QStringLiteral("Orange"));
        settings->setValue(QStringLiteral("Week Start"), QStringLiteral("Monday"));
    }
};

class InstalledWorld {
public:
    InstalledWorld() : m_before(seams())
    {
        static CalendarWorld world;
        Seams &s = seams();
        s.clock = &world.clock;
        s.prompts = &world.prompts;
        s.paths = world.paths.get();
        s.settings = world.settings.get();
    }
    ~InstalledWorld() { seams() = m_before; }

private:
    Seams m_before;
};

qint64 folderBytes(const QString &folder)
{
    qint64 bytes = 0;
    for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files))
        bytes += file.size();
    return bytes;
}

} // namespace

// All 36 month pages and the style sheet from the full book (32,767 persons,
// most with a date of birth): the query, the walk and the writing.
static void BM_GenerateCalendar(benchmark::State &state)
{
    InstalledWorld world;
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    CalendarGenerator generator;
    for (auto _ : state) {
        if (!generator.generateCalendar()) {
            state.SkipWithError("the calendar could not be written");
            break;
        }
    }
    state.counters["bytes"] = double(folderBytes(generator.folder()));
    generator.deleteCalendarFiles();
}
BENCHMARK(BM_GenerateCalendar)->Unit(benchmark::kMillisecond);

// From the calendar command to the window shown with this month's page
// loaded (pages generated, styles listed, page decoded and laid out). The
// window's closing, which deletes the pages, is not counted.
static void BM_OpenCalendarWindow(benchmark::State &state)
{
    InstalledWorld world;
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    for (auto _ : state) {
        auto window = std::make_unique<CalendarWindow>();
        window->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window->view()->document()->characterCount());
        if (window->view()->currentFile().isEmpty()) {
            state.SkipWithError("no page was shown");
            break;
        }
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenCalendarWindow)->Unit(benchmark::kMillisecond);
