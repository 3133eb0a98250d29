// The CardDAV client against a local Radicale holding 2,000 cards: listing
// them with their ETags (PROPFIND, Depth 1) and fetching them all
// (addressbook-multiget in batches of 100). Skipped without Radicale.

#include "../tests/support/RadicaleServer.h"
#include "app/Seams.h"
#include "sync/CardDavClient.h"

#include <benchmark/benchmark.h>

#include <QSettings>
#include <QTemporaryDir>
#include <memory>

using namespace velmora;
using velmora::test::RadicaleServer;

namespace {

constexpr int kCards = 2000;

QByteArray benchCard(int i)
{
    const QByteArray n = QByteArray::number(i);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-" + n + "\r\nFN:Person " + n +
           " Example\r\nN:Example;Person " + n + ";;;\r\nTEL;TYPE=CELL:+31 6 1234 " + n +
           "\r\nEMAIL;TYPE=HOME:person" + n + "@example.org\r\nBDAY:1980-04-" +
           QByteArray::number(1 + i % 28).rightJustified(2, '0') + "\r\nADR;TYPE=HOME:;;Main Street " + n +
           ";Utrecht;;3511;Netherlands\r\nNOTE:A note for person " + n + "\r\nEND:VCARD\r\n";
}

// A Radicale with one address book of 2,000 cards, and a throw-away settings
// file for the texts of errors; made once.
struct SyncWorld {
    QTemporaryDir dir;
    std::unique_ptr<QSettings> settings;
    RadicaleServer server;
    QUrl book;
    QStringList hrefs;
    QString problem;

    SyncWorld()
    {
        settings =
            std::make_unique<QSettings>(dir.filePath(QStringLiteral("Velmora.conf")), QSettings::IniFormat);
        seams().settings = settings.get();
        if (!RadicaleServer::isInstalled()) {
            problem = QStringLiteral("Radicale is not installed");
            return;
        }
        if (!server.start()) {
            problem = server.errorText();
            return;
        }
        book = server.createAddressBook(QStringLiteral("anna"), QStringLiteral("bench"));
        QList<QPair<QString, QByteArray>> cards;
        for (int i = 0; i < kCards; ++i)
            cards.append({QStringLiteral("bench-%1.vcf").arg(i), benchCard(i)});
        if (book.isEmpty() || !server.storeCards(book, cards)) {
            problem = QStringLiteral("the address book could not be filled");
            return;
        }
        // Radicale reads and caches every card at its first listing (some
        // seconds for 2,000); the benchmarks measure the listings after it.
        CardDavClient client(QStringLiteral("anna"), QStringLiteral("secret"), 120000);
        QList<DavResource> list;
        if (const DavError e = client.listCards(book, list))
            problem = e.text;
    }
};

SyncWorld &world()
{
    static SyncWorld w;
    return w;
}

} // namespace

static void BM_DavListCards2000(benchmark::State &state)
{
    SyncWorld &w = world();
    if (!w.problem.isEmpty()) {
        state.SkipWithError(qPrintable(w.problem));
        return;
    }
    CardDavClient client(QStringLiteral("anna"), QStringLiteral("secret"));
    for (auto _ : state) {
        QList<DavResource> cards;
        const DavError e = client.listCards(w.book, cards);
        if (e || cards.size() != kCards) {
            state.SkipWithError(qPrintable(e.text + QStringLiteral(" (%1 cards)").arg(cards.size())));
            return;
        }
        if (w.hrefs.isEmpty()) {
            for (const DavResource &r : std::as_const(cards))
                w.hrefs.append(r.href);
        }
    }
    state.counters["cards"] = kCards;
}
BENCHMARK(BM_DavListCards2000)->Unit(benchmark::kMillisecond);

static void BM_DavFetchCards2000(benchmark::State &state)
{
    SyncWorld &w = world();
    if (!w.problem.isEmpty() || w.hrefs.isEmpty()) {
        state.SkipWithError(w.problem.isEmpty() ? "run BM_DavListCards2000 first" : qPrintable(w.problem));
        return;
    }
    CardDavClient client(QStringLiteral("anna"), QStringLiteral("secret"));
    for (auto _ : state) {
        QList<DavCard> cards;
        const DavError e = client.fetchCards(w.book, w.hrefs, cards);
        if (e || cards.size() != kCards) {
            state.SkipWithError(qPrintable(e.text + QStringLiteral(" (%1 cards)").arg(cards.size())));
            return;
        }
    }
    state.counters["cards"] = kCards;
}
BENCHMARK(BM_DavFetchCards2000)->Unit(benchmark::kMillisecond);
