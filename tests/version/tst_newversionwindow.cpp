#include "LocalWebServer.h"
#include "TestEnv.h"

#include "app/Startup.h"
#include "app/Website.h"
#include "app/ui/WindowHooks.h"
#include "mainwindow/ui/MainWindow.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "version/VersionCheck.h"
#include "version/ui/NewVersionWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace velmora;

// The announcement window and the version check as the main window starts
// it: language, sound, Website, the choice not to be reminded, the menu
// entry's check mark.
class TestNewVersionWindow : public QObject {
    Q_OBJECT

    static constexpr int kLongWait = 10000;
    static inline const QString kSince = QStringLiteral("Check version Since");

    std::unique_ptr<test::TestEnv> m_env;
    std::unique_ptr<test::LocalWebServer> m_web;

    template <typename W> static W *child(QWidget &w, const char *name)
    {
        W *c = w.findChild<W *>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    void copyData(const QString &folder, const QString &file)
    {
        const QString target = m_env->programFolder() + QLatin1Char('/') + folder;
        QDir().mkpath(target);
        QVERIFY(QFile::copy(test::sourceDataFolder() + QLatin1Char('/') + folder + QLatin1Char('/') + file,
                            target + QLatin1Char('/') + file));
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        qunsetenv("http_proxy");
        qunsetenv("HTTP_PROXY");
        m_web = std::make_unique<test::LocalWebServer>();
        VersionServer server;
        server.host = QStringLiteral("127.0.0.1");
        server.port = m_web->port();
        VersionCheck::setDefaultServer(server);
    }
    void cleanup()
    {
        VersionCheck::setDefaultServer(VersionServer{websiteHost(), 80, 15000});
        m_web.reset();
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // The announcement in the language chosen.
    void germanAnnouncement()
    {
        copyData(QStringLiteral("Language"), QStringLiteral("German.ini"));
        saveSetting(QStringLiteral("Language"), QStringLiteral("German"));
        NewVersionWindow w(QStringLiteral("1.3.5"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Velmora 1.3.5"));
        QCOMPARE(child<QLabel>(w, "lblNewVersion")->text(), QStringLiteral("Velmora 1.3.5 ist verfügbar!"));
        QCOMPARE(child<QPushButton>(w, "cmdWebsite")->text(), QStringLiteral("Webseite"));
        QVERIFY(!child<QCheckBox>(w, "chkRemind")->isChecked());
    }

    // The chime plays when the window first comes to the front, not again.
    void soundOnActivation()
    {
        copyData(QStringLiteral("Sound"), QStringLiteral("default.wav"));
        NewVersionWindow w(QStringLiteral("1.3.5"));
        w.show();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&w, &activate);
        QApplication::sendEvent(&w, &activate);
        QCOMPARE(m_env->sound.played, std::vector<QString>{m_env->programFolder() + "/Sound/default.wav"});
    }

    // However the window goes, a ticked box stores the announced version and
    // an unticked one leaves the setting alone; Website opens the product
    // page.
    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("website");
        for (const char *how : {"OK", "Website", "Escape", "close", "dropped"}) {
            for (const bool ticked : {true, false}) {
                QTest::addRow("%s, %s", how, ticked ? "ticked" : "not ticked")
                    << QString::fromLatin1(how) << ticked << (qstrcmp(how, "Website") == 0);
            }
        }
    }
    void closing()
    {
        QFETCH(QString, how);
        QFETCH(bool, ticked);
        QFETCH(bool, website);
        saveSetting(kSince, QStringLiteral("1.2.0"));
        auto w = std::make_unique<NewVersionWindow>(QStringLiteral("1.3.5"));
        w->show();
        child<QCheckBox>(*w, "chkRemind")->setChecked(ticked);
        if (how == QLatin1String("OK"))
            child<QPushButton>(*w, "cmdOK")->click();
        else if (how == QLatin1String("Website"))
            child<QPushButton>(*w, "cmdWebsite")->click();
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(w.get(), Qt::Key_Escape);
        else if (how == QLatin1String("close"))
            w->close();
        if (how != QLatin1String("dropped"))
            QVERIFY(!w->isVisible());
        w.reset();
        QCOMPARE(getSetting(kSince), ticked ? QStringLiteral("1.3.5") : QStringLiteral("1.2.0"));
        QCOMPARE(m_env->launcher.urls,
                 website ? std::vector<QString>{websiteAddress()} : std::vector<QString>{});
    }

    // The menu entry of the real main window follows the setting and
    // switches the check off and on; switching it on checks at once and a
    // newer version opens the window modally.
    void menuEntry()
    {
        setCommandLine(QString());
        saveSetting(QStringLiteral("Check version"), QStringLiteral("0"));
        m_web->portions = {test::okAnswer("1.4.0")};
        MainWindow window;
        installWindowHooks(window);
        window.load();
        QAction *entry = window.action(QStringLiteral("mnuOptionsCheck"));
        QVERIFY(!entry->isChecked());
        window.hooks().checkVersion(&window);
        QVERIFY(!entry->isChecked());
        QCOMPARE(m_web->connections, 0);

        entry->trigger();
        QCOMPARE(getSetting(QStringLiteral("Check version")), QStringLiteral("1"));
        QVERIFY(entry->isChecked());
        NewVersionWindow *shown = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((shown = window.findChild<NewVersionWindow *>()) && shown->isVisible(),
                                 kLongWait);
        QCOMPARE(shown->windowTitle(), QStringLiteral("Velmora 1.4.0"));
        QCOMPARE(shown->windowModality(), Qt::ApplicationModal);
        shown->close();

        entry->trigger();
        QCOMPARE(getSetting(QStringLiteral("Check version")), QStringLiteral("0"));
        QVERIFY(!entry->isChecked());
        QCOMPARE(m_web->connections, 1);
    }
};

QTEST_MAIN(TestNewVersionWindow)
#include "tst_newversionwindow.moc"
