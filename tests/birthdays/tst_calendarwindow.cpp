#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/ui/PageView.h"
#include "app/ui/WindowHooks.h"
#include "birthdays/CalendarGenerator.h"
#include "birthdays/ui/CalendarSelectionWindow.h"
#include "birthdays/ui/CalendarWindow.h"
#include "mainwindow/ui/MainWindow.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

using namespace velmora;

namespace {

template <typename W> W *child(QObject &w, const char *name)
{
    W *c = w.findChild<W *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

// The names of the weekday headings of a page, in column order.
QStringList weekdays(const QString &page)
{
    const QStringList lines = QString::fromLatin1(test::readAll(page)).split(QStringLiteral("\r\n"));
    QStringList names;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        if (lines[i] == QLatin1String("\t\t\t<td class=\"weekday\">"))
            names << lines[i + 1].trimmed();
    return names;
}

} // namespace

class TestCalendarWindow : public QObject {
    Q_OBJECT
private slots:
    // One book for the run; every test starts with the shipped styles, the default
    // style and an empty temporary folder.
    void initTestCase()
    {
        m_env = std::make_unique<test::TestEnv>();
        const QString styles = m_env->programFolder() + QStringLiteral("/Calendar");
        QDir().mkpath(styles);
        const QString shipped = test::sourceDataFolder() + QStringLiteral("/Calendar/");
        for (const QString &name : QDir(shipped).entryList({QStringLiteral("*.css")}))
            QVERIFY(QFile::copy(shipped + name, styles + QLatin1Char('/') + name));
        QVERIFY(Database::instance().newDatabase(m_env->file(QStringLiteral("calendar.mdb"))));
        test::run(Database::instance().connection(), {test::person(1, "Ann", "Smith", "#12/6/1990#")});
    }
    void init()
    {
        m_env->prompts.clear();
        saveSetting(QStringLiteral("Css Calendar"), QStringLiteral("Orange"));
        QDir(m_env->documents() + QStringLiteral("/Calendar")).removeRecursively();
        for (const QString &name : QDir(m_env->temp()).entryList(QDir::Files))
            QFile::remove(m_env->temp() + QLatin1Char('/') + name);
    }
    void cleanup() { setPrinterCounter(nullptr); }
    void cleanupTestCase()
    {
        Database::instance().closeDatabase(false);
        m_env.reset();
    }

    // Opening: the week start of the setting (anything else is Monday, and stored),
    // this month's page shown, Print and Setup only with a printer.
    void opens_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("printer");
        QTest::addColumn<QString>("stored");
        // clang-format off
        QTest::newRow("empty setting") << "" << false << "Monday";
        QTest::newRow("other value") << "Tuesday" << false << "Monday";
        QTest::newRow("Sunday, printer") << "Sunday" << true << "Sunday";
        // clang-format on
    }
    void opens()
    {
        QFETCH(QString, setting);
        QFETCH(bool, printer);
        QFETCH(QString, stored);
        saveSetting(QStringLiteral("Week Start"), setting);
        if (printer)
            setPrinterCounter([] { return 1; });
        CalendarWindow w;
        QCOMPARE(getSetting(QStringLiteral("Week Start")), stored);
        const bool sunday = stored == QLatin1String("Sunday");
        QCOMPARE(child<QRadioButton>(w, "optSunday")->isChecked(), sunday);
        QCOMPARE(child<QRadioButton>(w, "optMonday")->isChecked(), !sunday);
        const QString page = m_env->temp() + QStringLiteral("/202612.htm");
        QCOMPARE(w.view()->currentFile(), page);
        QVERIFY(w.view()->toPlainText().contains(QStringLiteral("Ann Smith (36)")));
        QCOMPARE(weekdays(page).value(0), stored);
        QCOMPARE(w.button(QStringLiteral("Print"))->isEnabled(), printer);
        QCOMPARE(w.button(QStringLiteral("Setup"))->isEnabled(), printer);
        QVERIFY(m_env->prompts.shown().empty());
    }

    // Switching the week start regenerates the pages and refreshes the page shown;
    // closing the window deletes every file it made.
    void weekStartAndClose()
    {
        saveSetting(QStringLiteral("Week Start"), QStringLiteral("Monday"));
        test::writeFile(m_env->temp() + QStringLiteral("/other.txt"), "not ours");
        CalendarWindow w;
        w.show();
        const QString page = m_env->temp() + QStringLiteral("/202612.htm");
        QVERIFY(w.view()->toPlainText().trimmed().startsWith(QStringLiteral("2025")));
        child<QRadioButton>(w, "optSunday")->click();
        QCOMPARE(getSetting(QStringLiteral("Week Start")), QStringLiteral("Sunday"));
        QCOMPARE(weekdays(page).value(0), QStringLiteral("Sunday"));
        QCOMPARE(weekdays(m_env->temp() + QStringLiteral("/202501.htm")).value(0), QStringLiteral("Sunday"));
        QVERIFY(w.view()->toPlainText().indexOf(QStringLiteral("Sunday")) <
                w.view()->toPlainText().indexOf(QStringLiteral("Monday")));
        w.reject();
        QCOMPARE(QDir(m_env->temp()).entryList(QDir::Files), QStringList{QStringLiteral("other.txt")});
    }

    // A style pick copies the sheet beside the pages without regenerating them,
    // and is kept for the next opening.
    void pickStyle()
    {
        const QString page = m_env->temp() + QStringLiteral("/202612.htm");
        {
            CalendarWindow w;
            const QByteArray before = test::readAll(page);
            const QDateTime written = QFileInfo(page).lastModified();
            QFile::remove(m_env->temp() + QStringLiteral("/202611.htm"));
            QAction *ocean = nullptr;
            for (QAction *a : child<QMenu>(w, "mnuCss")->actions())
                if (a->text() == QLatin1String("Ocean"))
                    ocean = a;
            QVERIFY(ocean);
            ocean->trigger();
            QCOMPARE(getSetting(QStringLiteral("Css Calendar")), QStringLiteral("Ocean"));
            QCOMPARE(test::readAll(m_env->temp() + QStringLiteral("/calendar.css")),
                     test::readAll(m_env->programFolder() + QStringLiteral("/Calendar/Ocean.css")));
            QCOMPARE(test::readAll(page), before);
            QCOMPARE(QFileInfo(page).lastModified(), written);
            QVERIFY(!QFileInfo::exists(m_env->temp() + QStringLiteral("/202611.htm")));
        }
        CalendarWindow again;
        QCOMPARE(again.button(QStringLiteral("Css"))->text(), QStringLiteral("Ocean"));
    }

    // The year selection (last, this and next year): this year fully ticked at
    // opening; box 0 ticks or unticks its year, a month box only itself.
    void selectionBoxes()
    {
        CalendarSelectionWindow s(m_env->temp());
        for (int y = 0; y < 3; ++y)
            for (int i = 0; i <= 12; ++i)
                QCOMPARE(s.box(y, i)->isChecked(), y == 1);
        s.box(1, 0)->click();
        s.box(2, 0)->click();
        s.box(2, 5)->click();
        const CalendarSelection chosen = s.selection();
        QCOMPARE(chosen.firstYear, 2025);
        for (int m = 1; m <= 12; ++m) {
            QCOMPARE(chosen.months[1][size_t(m - 1)], false);
            QCOMPARE(chosen.months[2][size_t(m - 1)], m != 5);
        }
        QVERIFY(s.box(2, 0)->isChecked());
    }

    // Save opens the selection; OK asks for the folder and copies; Cancel or a
    // cancelled picker copies nothing. Neither leaves the selection open.
    void saveThroughWindows_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("pick");
        QTest::addColumn<int>("files");
        QTest::newRow("OK, folder picked") << "cmdOK" << true << 13;
        QTest::newRow("OK, picker cancelled") << "cmdOK" << false << 0;
        QTest::newRow("Cancel") << "cmdCancel" << true << 0;
    }
    void saveThroughWindows()
    {
        QFETCH(QString, button);
        QFETCH(bool, pick);
        QFETCH(int, files);
        const QString picked = m_env->documents();
        m_env->prompts.queueText(pick ? picked : QString());
        CalendarWindow w;
        w.show();
        QString seen;
        QTimer::singleShot(0, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            seen = modal ? modal->objectName() : QString();
            if (modal)
                child<QPushButton>(*modal, button.toLatin1().constData())->click();
        });
        w.button(QStringLiteral("Save"))->trigger();
        QCOMPARE(seen, QStringLiteral("frmCalendarSelection"));
        QVERIFY(!w.findChild<CalendarSelectionWindow *>());
        QCOMPARE(QDir(picked + QStringLiteral("/Calendar")).entryList(QDir::Files).size(), files);
        QCOMPARE(m_env->prompts.shown().size(), size_t(button == QLatin1String("cmdOK") ? 1 : 0));
        QVERIFY(!QApplication::overrideCursor());
    }

    // A failed save is told, naming the file; nothing claims success.
    void failedSaveIsTold()
    {
        const QString picked = m_env->documents();
        test::writeFile(picked + QStringLiteral("/Calendar/calendar.css"), "mine");
        test::WriteProtect protect(picked + QStringLiteral("/Calendar/calendar.css"));
        if (!protect.active())
            QSKIP("the file cannot be write-protected here");
        m_env->prompts.queueText(picked);
        m_env->prompts.queueAnswer(Answer::Yes);
        CalendarSelectionWindow s(m_env->temp());
        CalendarGenerator generator;
        QVERIFY(generator.generateCalendar());
        s.show();
        child<QPushButton>(s, "cmdOK")->click();
        QCOMPARE(m_env->prompts.messageCount(), 2);
        QVERIFY2(m_env->prompts.lastMessage().contains(picked + QStringLiteral("/Calendar/calendar.css")),
                 qPrintable(m_env->prompts.lastMessage()));
        QCOMPARE(test::readAll(picked + QStringLiteral("/Calendar/calendar.css")), QByteArray("mine"));
        QCOMPARE(QDir(picked + QStringLiteral("/Calendar")).entryList(QDir::Files).size(), 1);
        generator.deleteCalendarFiles();
    }

    // The main window's calendar command opens the calendar modally; its pages
    // are gone once it is closed.
    void calendarCommand()
    {
        MainWindow main;
        installWindowHooks(main);
        main.show();
        // The progress window lets events through while the pages are made, so
        // the check waits for the calendar to be the modal window.
        bool pages = false;
        QTimer poll;
        poll.setInterval(0);
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != QLatin1String("frmCalendar"))
                return;
            poll.stop();
            pages = QFileInfo::exists(m_env->temp() + QStringLiteral("/202612.htm"));
            modal->close();
        });
        poll.start();
        main.action(QStringLiteral("mnuActionCalendar"))->trigger();
        QVERIFY(pages); // the calendar was up, with its pages
        QVERIFY(QDir(m_env->temp()).entryList(QDir::Files).isEmpty());
    }

private:
    std::unique_ptr<test::TestEnv> m_env;
};

QTEST_MAIN(TestCalendarWindow)
#include "tst_calendarwindow.moc"
