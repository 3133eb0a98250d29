#include "BookGenerator.h"

#include "app/Prompts.h"
#include "app/Seams.h"

#include "interchange/BirthdayIcs.h"
#include "interchange/BookCards.h"
#include "interchange/VcardImport.h"
#include "interchange/VcardWriter.h"
#include "store/Engine.h"
#include "store/Sql.h"

#include <QBuffer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

constexpr int kFullBook = 32767;
const QDateTime kStamp(QDate(2026, 12, 6), QTime(10, 0), Qt::UTC);

// Texts are translated (the calendar's name) and a full book asks whether to
// import what fits: settings of their own and prompts that answer Yes, when
// no other benchmark has installed them yet.
void installSeams()
{
    static QTemporaryDir dir;
    static QSettings settings(dir.filePath(QStringLiteral("Velmora.conf")), QSettings::IniFormat);
    static RecordingPrompts prompts;
    Seams &s = seams();
    if (!s.settings)
        s.settings = &settings;
    if (!s.prompts)
        s.prompts = &prompts;
}

// The vCards of the whole generated book (3.0), made once.
const QByteArray &bookCards()
{
    static const QByteArray bytes = [] {
        QByteArray out;
        Connection c;
        if (c.open(bench::BookGenerator::book(kFullBook), QString()))
            return out;
        Connection *before = currentConnection();
        setCurrentConnection(&c);
        QList<CardPerson> persons;
        if (!BookCards::readAll(persons)) {
            QBuffer buffer(&out);
            buffer.open(QIODevice::WriteOnly);
            VcardWriter::write(buffer, persons, VcardWriter::Version::V30);
        }
        setCurrentConnection(before);
        return out;
    }();
    return bytes;
}

// Importing the 32,767 cards of the whole book into an empty book: reading
// the file, the duplicate check against the book, and the inserts in one
// transaction.
void BM_ImportVcards(benchmark::State &state)
{
    installSeams();
    const QByteArray &cards = bookCards();
    if (cards.isEmpty()) {
        state.SkipWithError("the book could not be read");
        return;
    }
    QTemporaryDir dir;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = dir.filePath(QStringLiteral("empty%1.mdb").arg(round++));
        Connection c;
        if (!bench::BookGenerator::write(path, 0) || c.open(path, QString())) {
            state.SkipWithError("no empty book");
            return;
        }
        Connection *before = currentConnection();
        setCurrentConnection(&c);
        state.ResumeTiming();

        VcardImport import;
        QString error;
        const bool ok = import.load(cards, QStringLiteral("book.vcf"), error) &&
                        !import.writePersons(true, kFullBook, {});
        state.PauseTiming();
        setCurrentConnection(before);
        if (!ok || import.added() != kFullBook) {
            state.SkipWithError("the import failed");
            return;
        }
        c.close();
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.counters["cards"] = kFullBook;
    state.counters["MB"] = double(cards.size()) / 1e6;
}
BENCHMARK(BM_ImportVcards)->Unit(benchmark::kMillisecond)->Iterations(3);

// Reading the cards alone (no book).
void BM_ReadVcards(benchmark::State &state)
{
    const QByteArray &cards = bookCards();
    for (auto _ : state) {
        const VcardReadResult r = VcardReader::read(cards);
        benchmark::DoNotOptimize(r.persons.size());
    }
}
BENCHMARK(BM_ReadVcards)->Unit(benchmark::kMillisecond);

// Exporting the whole book as vCard 3.0: reading the persons and writing
// the cards.
void BM_ExportVcards(benchmark::State &state)
{
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    qint64 bytes = 0;
    for (auto _ : state) {
        QList<CardPerson> persons;
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        if (BookCards::readAll(persons) || !VcardWriter::write(buffer, persons, VcardWriter::Version::V30)) {
            state.SkipWithError("the export failed");
            return;
        }
        bytes = out.size();
    }
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_ExportVcards)->Unit(benchmark::kMillisecond);

// The birthday calendar of the whole book.
void BM_BirthdayIcs(benchmark::State &state)
{
    installSeams();
    bench::OpenBook book(state);
    if (!book.isOpen())
        return;
    qint64 bytes = 0;
    for (auto _ : state) {
        QList<CardPerson> persons;
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        if (BookCards::readAll(persons) || !BirthdayIcs::write(buffer, persons, kStamp)) {
            state.SkipWithError("the calendar failed");
            return;
        }
        bytes = out.size();
    }
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_BirthdayIcs)->Unit(benchmark::kMillisecond);

} // namespace
