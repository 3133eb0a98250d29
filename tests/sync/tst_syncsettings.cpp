// The sync set-up without a window: settings, password, and what a sync of
// the open book checks first.

#include "StubDavServer.h"
#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "store/Database.h"
#include "sync/BookSync.h"
#include "sync/SyncSettings.h"

#include <QtTest>

using namespace velmora;
using namespace velmora::test;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kServer = u"https://dav.example.org/dav/"_s;
const QString kCollection = u"https://dav.example.org/dav/anna/contacts/"_s;
const QString kStoreMissing =
    u"The desktop's secret store is not available: "_s + QLatin1String(MemorySecretStore::kUnavailable);

SyncSettings setUp(const QString &addressBook = kCollection)
{
    SyncSettings s;
    s.serverUrl = kServer;
    s.user = u"anna"_s;
    s.addressBook = addressBook;
    s.save();
    return s;
}

} // namespace

class TestSyncSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;

    void openBook() { QVERIFY(!openAnnaBerg(m_env->documents() + u"/book.mdb"_s).isEmpty()); }

private slots:
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // The settings come back as kept; the password goes only to the secret store.
    void roundTrip()
    {
        SyncSettings s = setUp();
        s.onOpenClose = true;
        s.book = u"/books/a.mdb"_s;
        s.save();
        QString error;
        QVERIFY(keepSyncPassword(s, u"pa55-w0rd"_s, QString(), error));
        const SyncSettings back = SyncSettings::load();
        QCOMPARE((QStringList{back.serverUrl, back.user, back.addressBook, back.book}),
                 (QStringList{kServer, u"anna"_s, kCollection, u"/books/a.mdb"_s}));
        QVERIFY(back.onOpenClose);
        QCOMPARE(m_env->secrets.secrets(),
                 (QHash<QString, QString>{{u"carddav:anna@dav.example.org"_s, u"pa55-w0rd"_s}}));
        m_env->settings->sync();
        QVERIFY(!readAll(m_env->settings->fileName()).contains("pa55-w0rd"));

        // Another user: the old account's password goes, an empty one removes it.
        s.user = u"bob"_s;
        QVERIFY(keepSyncPassword(s, u"x"_s, u"carddav:anna@dav.example.org"_s, error));
        QCOMPARE(m_env->secrets.secrets().keys(), QStringList{u"carddav:bob@dav.example.org"_s});
        QVERIFY(keepSyncPassword(s, QString(), QString(), error));
        QVERIFY(m_env->secrets.secrets().isEmpty());
        // Off by default.
        m_env->settings->clear();
        QVERIFY(!SyncSettings::load().onOpenClose);
        QVERIFY(!SyncSettings::load().isSetUp());
    }

    void serverAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key"); // empty: refused
        QTest::newRow("https") << u" https://dav.example.org/ "_s << u"carddav:anna@dav.example.org"_s;
        QTest::newRow("port") << u"http://127.0.0.1:5232/anna/"_s << u"carddav:anna@127.0.0.1:5232"_s;
        QTest::newRow("no scheme") << u"dav.example.org"_s << QString();
        QTest::newRow("ftp") << u"ftp://dav.example.org/"_s << QString();
        QTest::newRow("no host") << u"https:///anna"_s << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void serverAddress()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QString error;
        const QUrl url = SyncSettings::serverAddress(text, error);
        QCOMPARE(url.isEmpty(), key.isEmpty());
        QCOMPARE(error.isEmpty(), !key.isEmpty());
        if (!key.isEmpty())
            QCOMPARE(SyncSettings::secretKey(u"anna"_s, text), key);
    }

    // Where the password of a sync comes from, and what the user is told.
    void password_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("typed");  // answer to the password prompt
        QTest::addColumn<QString>("reason"); // shown with the prompt; empty: no prompt
        QTest::addColumn<QString>("login");  // the server's login; empty: no server made

        const QString noneKept = u"No password is kept for anna@dav.example.org."_s;
        // clang-format off
        QTest::newRow("from the store") << true << u"kept"_s << QString() << QString() << QString() << u"anna:kept"_s;
        QTest::newRow("given by the caller") << false << QString() << u"given"_s << QString() << QString() << u"anna:given"_s;
        QTest::newRow("store missing: asked") << false << QString() << QString() << u"typed"_s << kStoreMissing << u"anna:typed"_s;
        QTest::newRow("store missing: cancelled") << false << QString() << QString() << QString() << kStoreMissing << QString();
        QTest::newRow("none kept: asked") << true << QString() << QString() << u"typed"_s << noneKept << u"anna:typed"_s;
        // clang-format on
    }
    void password()
    {
        QFETCH(bool, available);
        QFETCH(QString, stored);
        QFETCH(QString, given);
        QFETCH(QString, typed);
        QFETCH(QString, reason);
        QFETCH(QString, login);
        const SyncSettings s = setUp();
        QString error;
        if (!stored.isEmpty())
            QVERIFY(keepSyncPassword(s, stored, QString(), error));
        m_env->secrets.setAvailable(available);
        openBook();
        StubDav dav;
        if (!typed.isEmpty())
            m_env->prompts.queueText(typed);

        const SyncResult result = syncOpenBook({}, given);
        const auto &shown = m_env->prompts.shown();
        if (reason.isEmpty()) {
            QVERIFY(shown.empty());
        } else {
            QCOMPARE(shown.size(), size_t(1));
            QCOMPARE(shown[0].kind, RecordingPrompts::Shown::AccountPassword);
            QCOMPARE(shown[0].text, u"anna@dav.example.org"_s);
            QCOMPARE(shown[0].title, reason);
        }
        QCOMPARE(dav.logins, login.isEmpty() ? QStringList() : QStringList{login});
        if (login.isEmpty()) {
            QVERIFY(!result.ok);
            QCOMPARE(result.errorText, reason);
        }
    }

    // What a sync checks before the server, and the address book looked for
    // when none was chosen.
    void collection_data()
    {
        QTest::addColumn<bool>("setUp");
        QTest::addColumn<bool>("bookOpen");
        QTest::addColumn<int>("found");     // address books at the server address
        QTest::addColumn<QString>("error"); // empty: the sync reached the engine
        // clang-format off
        QTest::newRow("not set up") << false << true << 1 << u"Synchronisation is not set up: enter the server in Options > Synchronisation."_s;
        QTest::newRow("no book") << true << false << 1 << u"No book is open."_s;
        QTest::newRow("none found") << true << true << 0 << u"The server has no address book at this address."_s;
        QTest::newRow("several found") << true << true << 2 << u"The server has several address books: choose one in Options > Synchronisation."_s;
        QTest::newRow("one found") << true << true << 1 << QString();
        // clang-format on
    }
    void collection()
    {
        QFETCH(bool, setUp);
        QFETCH(bool, bookOpen);
        QFETCH(int, found);
        QFETCH(QString, error);
        if (setUp)
            ::setUp(QString());
        if (bookOpen)
            openBook();
        StubDav dav;
        for (int i = 0; i < found; ++i)
            dav.books << StubDav::book(kCollection + QString::number(i) + u'/', u"Contacts"_s);
        const SyncResult result = syncOpenBook({}, u"pw"_s);
        if (!error.isEmpty()) {
            QVERIFY(!result.ok);
            QCOMPARE(result.errorText, error);
            QCOMPARE(SyncSettings::load().addressBook, QString());
            return;
        }
        QCOMPARE(dav.discovered, QList<QUrl>{QUrl(kServer)});
        // The one address book is kept for the next syncs.
        QCOMPARE(SyncSettings::load().addressBook, kCollection + u"0/"_s);
    }
};

QTEST_GUILESS_MAIN(TestSyncSettings)
#include "tst_syncsettings.moc"
