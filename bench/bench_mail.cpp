#include "app/Clock.h"
#include "app/MailTransport.h"
#include "app/Seams.h"
#include "export/Mailer.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace velmora;

namespace {

constexpr qsizetype kBookBytes = 12 * 1024 * 1024;

// A 12 MB book file (bytes as random as an encrypted book's) and the seams
// sending needs: a fixed clock and a transport that keeps the message.
struct MailWorld {
    QTemporaryDir dir;
    FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(10, 0))};
    RecordingMailTransport transport;
    QByteArray book;
    QString bookPath;

    MailWorld()
    {
        book.resize(kBookBytes);
        QRandomGenerator generator(42);
        generator.fillRange(reinterpret_cast<quint32 *>(book.data()), book.size() / 4);
        QFile file(dir.filePath(QStringLiteral("Velmora.mdb")));
        if (file.open(QIODevice::WriteOnly) && file.write(book) == book.size())
            bookPath = file.fileName();
    }
};

MailWorld &world()
{
    static MailWorld w;
    return w;
}

MailMessage bookMessage()
{
    return {QStringLiteral("anna@example.org"),
            QStringLiteral("Velmora database: Velmora.mdb"),
            QStringLiteral(
                "Velmora database: Velmora.mdb\r\n\r\n---\r\nVelmora 1.3.4\r\nhttps://velmora.org/velmora/"),
            {world().bookPath}};
}

} // namespace

// The MIME message for a 12 MB book already in memory: headers, text part
// and the base64 attachment.
static void BM_BuildMailMessage(benchmark::State &state)
{
    MailWorld &w = world();
    const MailMessage message = bookMessage();
    const std::vector<QByteArray> contents{w.book};
    for (auto _ : state) {
        const QByteArray mime =
            mime::buildMessage(message, contents, w.clock.now(), mime::newMessageId(), mime::newBoundary());
        benchmark::DoNotOptimize(mime.constData());
    }
    state.SetBytesProcessed(state.iterations() * kBookBytes);
}
BENCHMARK(BM_BuildMailMessage)->Unit(benchmark::kMillisecond);

// Sending the 12 MB book up to the transport: reading the file, checking
// the recipient and building the message.
static void BM_SendBookToTransport(benchmark::State &state)
{
    MailWorld &w = world();
    if (w.bookPath.isEmpty()) {
        state.SkipWithError("the book could not be written");
        return;
    }
    Seams &s = seams();
    Clock *oldClock = s.clock;
    MailTransport *oldTransport = s.mailTransport;
    s.clock = &w.clock;
    s.mailTransport = &w.transport;
    const MailMessage message = bookMessage();
    for (auto _ : state) {
        w.transport.messages.clear();
        const MailError e = sendMail(message);
        if (e) {
            state.SkipWithError("sending failed");
            break;
        }
    }
    w.transport.messages.clear();
    s.clock = oldClock;
    s.mailTransport = oldTransport;
    state.SetBytesProcessed(state.iterations() * kBookBytes);
}
BENCHMARK(BM_SendBookToTransport)->Unit(benchmark::kMillisecond);
