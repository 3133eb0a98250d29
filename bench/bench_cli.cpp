#include "BookGenerator.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

constexpr int kFullBook = 32767;

// The processor time all finished child processes used so far, in seconds.
double childrenCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// "velmora --birthdays" on the full book as a whole process, from its start
// to its end: the process starts, reads the settings, opens the book for
// reading, runs the reminder's queries (a first start: today to two days
// ahead and a week ahead), prints and closes. Run without a display, as from
// cron.
void BM_ScriptBirthdays(benchmark::State &state)
{
    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../velmora"));
    if (!QFile::exists(program)) {
        state.SkipWithError("build the velmora program first");
        return;
    }
    const QString book = velmora::bench::BookGenerator::book(kFullBook);
    if (book.isEmpty()) {
        state.SkipWithError("the book could not be written");
        return;
    }
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));

    qint64 lines = 0;
    const double cpuBefore = childrenCpuSeconds();
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        process.start(program, {QStringLiteral("--birthdays"), QStringLiteral("--book"), book});
        const bool finished = process.waitForFinished(30000);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (!finished || process.exitCode() != 0) {
            process.kill();
            process.waitForFinished();
            state.SkipWithError("velmora --birthdays failed");
            return;
        }
        lines = process.readAllStandardOutput().count('\n');
        state.SetIterationTime(seconds);
    }
    state.counters["lines"] = double(lines);
    // The processor time of one run, apart from the waiting for the processor
    // that a busy machine adds to the wall-clock time.
    state.counters["process_cpu_ms"] =
        (childrenCpuSeconds() - cpuBefore) * 1000.0 / double(state.iterations());
}
BENCHMARK(BM_ScriptBirthdays)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace
