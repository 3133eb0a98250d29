#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/Seams.h"
#include "app/ui/EffectSoundPlayer.h"
#include "birthdays/LogonEntry.h"
#include "birthdays/ui/ReminderMode.h"
#include "birthdays/ui/ReminderOptionsWindow.h"
#include "birthdays/ui/ReminderWindow.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace velmora;

class TestReminderWindow : public QObject {
    Q_OBJECT
    static inline const QString kSince = QStringLiteral("Reminder Since");

    template <typename W> static W *child(QWidget &w, const char *name)
    {
        W *c = w.findChild<W *>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    // The options window closed with OK, the reminder box ticked or not.
    static bool okWithReminder(bool tick)
    {
        ReminderOptionsWindow w;
        child<QCheckBox>(w, "chkBirthdayreminder")->setChecked(tick);
        child<QPushButton>(w, "cmdOK")->click();
        return w.result() == QDialog::Accepted;
    }

private slots:
    void init() { m_env = std::make_unique<test::TestEnv>(); }
    void cleanup()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // The sound plays when the window first comes to the front, not again;
    // only a file that is there reaches the player, and nothing is ever shown.
    void soundOnActivation_data()
    {
        QTest::addColumn<QString>("sound");
        QTest::addColumn<QString>("path"); // inside the data folder; "" is the empty path
        QTest::addColumn<bool>("played");
        // clang-format off
        QTest::newRow("shipped sound") << "1" << "Sound/default.wav" << true;
        QTest::newRow("sound off") << "0" << "Sound/default.wav" << false;
        QTest::newRow("empty path") << "1" << "" << false;
        QTest::newRow("missing file") << "1" << "Sound/missing.wav" << false;
        QTest::newRow("folder") << "1" << "Sound" << false;
        // clang-format on
    }
    void soundOnActivation()
    {
        QFETCH(QString, sound);
        QFETCH(QString, path);
        QFETCH(bool, played);
        if (!path.isEmpty())
            path = test::sourceDataFolder() + QLatin1Char('/') + path;
        saveSetting(QStringLiteral("Reminder Sound"), sound);
        saveSetting(QStringLiteral("Reminder Sound Path"), path);
        ReminderWindow w({});
        w.show();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&w, &activate);
        QApplication::sendEvent(&w, &activate);
        QCOMPARE(m_env->sound.played, played ? std::vector<QString>{path} : std::vector<QString>{});
        QVERIFY(m_env->prompts.shown().empty());
    }

    // The real player never complains: a missing file, a file that is no wave
    // file and a machine without sound are all silence.
    void realPlayerIsQuietOnBadInput()
    {
        const QString notWave = m_env->file(QStringLiteral("not.wav"));
        test::writeFile(notWave, "this is no sound");
        const QString chime = test::sourceDataFolder() + QStringLiteral("/Sound/default.wav");
        EffectSoundPlayer player;
        for (const QString &path :
             {QString(), m_env->file(QStringLiteral("missing.wav")), notWave, chime, chime})
            player.play(path);
        QTest::qWait(50);
        QVERIFY(m_env->prompts.shown().empty());
    }

    // The reminder mode: a window with the rows, or no window and the book
    // closed when there is nothing to show or no book.
    void run_data()
    {
        QTest::addColumn<QString>("book"); // "none": the default book is gone
        QTest::addColumn<int>("rows");     // 0: no window
        QTest::newRow("birthdays") << "#12/6/1990#,#12/8/1985#,#12/20/1985#" << 2;
        QTest::newRow("nothing to show") << "#3/6/1990#,Null" << 0;
        QTest::newRow("default book gone") << "none" << 0;
    }
    void run()
    {
        QFETCH(QString, book);
        QFETCH(int, rows);
        makeDefaultBook(book);
        m_env->prompts.clear();

        QPointer<ReminderWindow> w = runReminder();
        // Only a missing book is told.
        QCOMPARE(m_env->prompts.messageCount(), book == QLatin1String("none") ? 1 : 0);
        if (rows == 0) {
            // The process ends without a window; the book is not left open.
            QVERIFY(!w);
            QVERIFY(!Database::instance().isOpen());
            return;
        }
        QVERIFY(w && QTest::qWaitForWindowExposed(w));
        QTreeWidget *lvw = child<QTreeWidget>(*w, "lvwReminder");
        QCOMPARE(lvw->topLevelItemCount(), rows);
        // Today's birthday in red, tomorrow's in the default colour.
        QCOMPARE(lvw->topLevelItem(0)->foreground(2).color(), QColor(255, 0, 0));
        QCOMPARE(lvw->topLevelItem(1)->foreground(2).style(), Qt::NoBrush);
        QCOMPARE(lvw->topLevelItem(0)->text(2), QStringLiteral("36"));
        QVERIFY(Database::instance().isOpen());

        // Details of the chosen row open in a new copy of the program, which
        // gets "/Person  2" as one argument; without a chosen row nothing
        // happens. The reminder stays open.
        auto *cmdDetails = child<QPushButton>(*w, "cmdDetails");
        QVERIFY(!cmdDetails->isEnabled());
        child<QAction>(*w, "mnuPopupDetails")->trigger();
        QVERIFY(m_env->launcher.starts.empty());
        const QPoint second = lvw->visualItemRect(lvw->topLevelItem(1)).center();
        QTest::mouseClick(lvw->viewport(), Qt::LeftButton, {}, second);
        cmdDetails->click();
        QCOMPARE(m_env->launcher.starts.size(), size_t(1));
        QTest::keyClick(lvw, Qt::Key_Return);
        QCOMPARE(m_env->launcher.starts.size(), size_t(2));
        QTest::mouseDClick(lvw->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(m_env->launcher.starts,
                 std::vector<QStringList>(3, QStringList{QStringLiteral("/Person  2")}));
        QVERIFY(w->isVisible());
        // Closing the window closes the book; the window goes away.
        w->close();
        QVERIFY(!Database::instance().isOpen());
        QTRY_VERIFY(w.isNull());
    }

    // In the options window OK switches the reminder only when the box
    // changed; the days stay stored whatever the switch.
    void optionsSwitching()
    {
        saveSetting(QStringLiteral("Birthday reminder"), QStringLiteral("0"));
        saveSetting(kSince, QStringLiteral("2"));
        QVERIFY(okWithReminder(true));
        QVERIFY(!logonEntryOutdated());

        QVERIFY(QFile::remove(logonEntryFile()));
        QVERIFY(okWithReminder(true)); // already on: the entry is left alone
        QVERIFY(!QFile::exists(logonEntryFile()));

        test::writeFile(logonEntryFile(), "entry");
        QVERIFY(okWithReminder(false));
        QVERIFY(!QFile::exists(logonEntryFile()));
        QCOMPARE(getSetting(kSince), QStringLiteral("2"));
    }

    void optionsStoreDays()
    {
        saveSetting(QStringLiteral("Birthday reminder"), QStringLiteral("1"));
        saveSetting(QStringLiteral("Reminder Once 2"), QStringLiteral("30"));
        ReminderOptionsWindow w;
        child<QCheckBox>(w, "chkSince")->setChecked(true);
        child<QCheckBox>(w, "chkOnce0")->setChecked(true);
        child<QLineEdit>(w, "txtOnce0")->setText(QStringLiteral("14"));
        child<QCheckBox>(w, "chkOnce1")->setChecked(false);
        child<QCheckBox>(w, "chkSound")->setChecked(true);
        child<QLineEdit>(w, "txtSound")->setText(QStringLiteral(" /sounds/bell.wav "));
        w.ok();
        // A ticked, empty since box stores the empty text: no since window.
        QVERIFY(settingsStore().contains(kSince));
        QCOMPARE(getSetting(kSince), QString());
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 1")), QStringLiteral("14"));
        QVERIFY(!settingsStore().contains(QStringLiteral("Reminder Once 2")));
        QCOMPARE(getSetting(QStringLiteral("Reminder Sound")), QStringLiteral("1"));
        QCOMPARE(getSetting(QStringLiteral("Reminder Sound Path")), QStringLiteral("/sounds/bell.wav"));
    }

private:
    // A default book with one person per date (or Null), or with "none" no
    // book at all; a reminder for today and the next two days.
    void makeDefaultBook(const QString &dates)
    {
        const QString path = m_env->file(QStringLiteral("reminder.mdb"));
        saveSetting(QStringLiteral("Default database"), path);
        saveSetting(kSince, QStringLiteral("2"));
        if (dates == QLatin1String("none"))
            return;
        QVERIFY(Database::instance().newDatabase(path));
        int nr = 0;
        for (const QString &date : dates.split(QLatin1Char(',')))
            QVERIFY(!executeSql(test::person(++nr, QStringLiteral("A"), QStringLiteral("B"), date)));
        Database::instance().closeDatabase(false);
    }

    std::unique_ptr<test::TestEnv> m_env;
};

QTEST_MAIN(TestReminderWindow)
#include "tst_reminderwindow.moc"
