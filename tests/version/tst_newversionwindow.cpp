#include "LocalWebServer.h"
#include "TestEnv.h"

#include "app/Startup.h"
#include "app/Website.h"
#include "app/ui/WindowHooks.h"
#include "mainwindow/ui/MainWindow.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "version/VersionCheck.h"
#include "version/ui/CheckVersion.h"
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
// it: captions, sound, Website, the choice not to be reminded, the menu
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

    void captions_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("texts"); // cmdOK, cmdWebsite, chkRemind
        QTest::newRow("English") << ""
                                 << "Velmora 1.3.5 is available!"
                                 << QStringList{"OK", "Website", "Do not remind me again for this version."};
        QTest::newRow("German") << "German"
                                << "Velmora 1.3.5 ist verfügbar!"
                                << QStringList{"OK", "Webseite", "Für diese Version nicht mehr erinnern."};
    }
    void captions()
    {
        QFETCH(QString, language);
        QFETCH(QString, label);
        QFETCH(QStringList, texts);
        if (!language.isEmpty()) {
            copyData(QStringLiteral("Language"), language + QStringLiteral(".ini"));
            saveSetting(QStringLiteral("Language"), language);
        }
        NewVersionWindow w(QStringLiteral("1.3.5"));
        QCOMPARE(w.objectName(), QStringLiteral("frmNewVersion"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Velmora 1.3.5"));
        QCOMPARE(child<QLabel>(w, "lblNewVersion")->text(), label);
        QCOMPARE(
            (QStringList{child<QPushButton>(w, "cmdOK")->text(), child<QPushButton>(w, "cmdWebsite")->text(),
                         child<QCheckBox>(w, "chkRemind")->text()}),
            texts);
        QVERIFY(!child<QCheckBox>(w, "chkRemind")->isChecked());
        QVERIFY(!child<QLabel>(w, "picInfo")->pixmap().isNull());
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

    // The check as the main window starts it: the check mark follows the
    // setting, and a newer version opens the window modally.
    void checkFromTheMainWindow()
    {
        QWidget mainWindow;
        auto *entry = new QAction(&mainWindow);
        entry->setObjectName(QStringLiteral("mnuOptionsCheck"));
        entry->setCheckable(true);
        m_web->portions = {test::okAnswer("1.3.5\r\n")};

        saveSetting(QStringLiteral("Check version"), QStringLiteral("0"));
        entry->setChecked(true);
        checkVersion(&mainWindow);
        QVERIFY(!entry->isChecked());

        saveSetting(QStringLiteral("Check version"), QStringLiteral("1"));
        checkVersion(&mainWindow);
        QVERIFY(entry->isChecked());
        NewVersionWindow *shown = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((shown = mainWindow.findChild<NewVersionWindow *>()) && shown->isVisible(),
                                 kLongWait);
        QCOMPARE(shown->windowTitle(), QStringLiteral("Velmora 1.3.5"));
        QCOMPARE(shown->windowModality(), Qt::ApplicationModal);
        QCOMPARE(m_web->connections, 1);
        QCOMPARE(mainWindow.findChildren<VersionCheck *>().size(), 1);

        child<QCheckBox>(*shown, "chkRemind")->setChecked(true);
        child<QPushButton>(*shown, "cmdOK")->click();
        QTRY_VERIFY(!mainWindow.findChild<NewVersionWindow *>());
        QCOMPARE(getSetting(kSince), QStringLiteral("1.3.5"));
        QVERIFY(m_env->prompts.shown().empty());
    }

    // The menu entry of the real main window switches the check off and on;
    // switching it on checks at once.
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
        shown->close();

        entry->trigger();
        QCOMPARE(getSetting(QStringLiteral("Check version")), QStringLiteral("0"));
        QVERIFY(!entry->isChecked());
        QCOMPARE(m_web->connections, 1);
    }
};

QTEST_MAIN(TestNewVersionWindow)
#include "tst_newversionwindow.moc"
