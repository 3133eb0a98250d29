#include "TestEnv.h"

#include "birthdays/ui/ReminderMode.h"
#include "birthdays/ui/ReminderWindow.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace velmora;

namespace {
std::vector<ReminderRow> sampleRows()
{
    std::vector<ReminderRow> rows(3);
    const int numbers[3] = {12, 3, 7};
    for (int i = 0; i < 3; ++i) {
        rows[i].contactnr = numbers[i];
        rows[i].key = QStringLiteral("Person  %1").arg(numbers[i]);
        rows[i].dateText = QStringLiteral("Sunday 6 December");
        rows[i].person = QStringLiteral("Ann Smith");
        rows[i].age = 30 + i;
        rows[i].today = i == 0;
    }
    return rows;
}

QTreeWidget *list(QWidget &w)
{
    return w.findChild<QTreeWidget *>(QStringLiteral("lvwReminder"));
}

QPushButton *button(QWidget &w, const char *name)
{
    return w.findChild<QPushButton *>(QString::fromLatin1(name));
}
} // namespace

class TestReminderWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<test::TestEnv>(); }
    void cleanup();
    void details_data();
    void details();
    void soundOnActivation_data();
    void soundOnActivation();
    void run_data();
    void run();

private:
    std::unique_ptr<test::TestEnv> m_env;
};

void TestReminderWindow::cleanup()
{
    Database::instance().closeDatabase(false);
    m_env.reset();
}

void TestReminderWindow::details_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("chosen");
    QTest::newRow("button") << "button" << true;
    QTest::newRow("Enter") << "enter" << true;
    QTest::newRow("double click") << "double" << true;
    QTest::newRow("pop-up menu, no row") << "popup" << false;
}

void TestReminderWindow::details()
{
    QFETCH(QString, how);
    QFETCH(bool, chosen);
    ReminderWindow w(sampleRows());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTreeWidget *lvw = ::list(w);
    const QPoint second = lvw->visualItemRect(lvw->topLevelItem(1)).center();
    if (chosen)
        QTest::mouseClick(lvw->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(button(w, "cmdDetails")->isEnabled(), chosen);
    if (how == "button")
        button(w, "cmdDetails")->click();
    else if (how == "popup")
        w.findChild<QAction *>(QStringLiteral("mnuPopupDetails"))->trigger();
    else if (how == "enter")
        QTest::keyClick(lvw, Qt::Key_Return);
    else
        QTest::mouseDClick(lvw->viewport(), Qt::LeftButton, {}, second);
    // A new copy of the program gets "/Person  3" as one argument; the
    // reminder stays open.
    QCOMPARE(m_env->launcher.starts.size(), size_t(chosen ? 1 : 0));
    if (chosen)
        QCOMPARE(m_env->launcher.starts[0], QStringList{QStringLiteral("/Person  3")});
    QVERIFY(w.isVisible());
}

void TestReminderWindow::soundOnActivation_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<bool>("played");
    QTest::newRow("file there") << true << true;
    QTest::newRow("file missing: silence") << false << false;
}

void TestReminderWindow::soundOnActivation()
{
    QFETCH(bool, fileExists);
    QFETCH(bool, played);
    const QString wav = m_env->file(QStringLiteral("default.wav"));
    QFile f(wav);
    if (fileExists)
        QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    saveSetting(QStringLiteral("Reminder Sound"), QStringLiteral("1"));
    saveSetting(QStringLiteral("Reminder Sound Path"), wav);
    ReminderWindow w(sampleRows());
    w.show();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    // Once, not again when the window comes back to the front.
    QApplication::sendEvent(&w, &activate);
    QCOMPARE(m_env->sound.played, played ? std::vector<QString>{wav} : std::vector<QString>{});
    QCOMPARE(m_env->prompts.messageCount(), 0);
}

void TestReminderWindow::run_data()
{
    QTest::addColumn<QString>("book"); // "none": the default book is gone
    QTest::addColumn<int>("rows");     // 0: no window
    QTest::addColumn<int>("messages");
    QTest::newRow("birthdays") << "12/6/1990,12/8/1985,12/20/1985" << 2 << 0;
    QTest::newRow("nothing to show") << "3/6/1990,Null" << 0 << 0;
    QTest::newRow("default book gone") << "none" << 0 << 1;
}

void TestReminderWindow::run()
{
    QFETCH(QString, book);
    QFETCH(int, rows);
    QFETCH(int, messages);
    const QString path = m_env->file(QStringLiteral("reminder.mdb"));
    if (book != QLatin1String("none")) {
        QVERIFY(Database::instance().newDatabase(path));
        int nr = 0;
        for (QString date : book.split(QLatin1Char(','))) {
            if (date != QLatin1String("Null"))
                date = QLatin1Char('#') + date + QLatin1Char('#');
            QVERIFY(
                !executeSql(QStringLiteral("INSERT INTO Person (Contactnr, Firstname, Lastname, Dateofbirth) "
                                           "VALUES (%1, 'A', 'B', %2) ")
                                .arg(++nr)
                                .arg(date))
                     .failed());
        }
        Database::instance().closeDatabase(false);
    }
    saveSetting(QStringLiteral("Default database"), path);
    saveSetting(QStringLiteral("Reminder Since"), QStringLiteral("2"));
    m_env->prompts.clear();

    QPointer<ReminderWindow> w = runReminder();
    QCOMPARE(m_env->prompts.messageCount(), messages);
    if (rows == 0) {
        // The process ends without a window; the book is not left open.
        QVERIFY(!w);
        QVERIFY(!Database::instance().isOpen());
        return;
    }
    QVERIFY(w && w->isVisible());
    QTreeWidget *lvw = ::list(*w);
    QCOMPARE(lvw->topLevelItemCount(), rows);
    // Today's birthday in red, tomorrow's in the default colour.
    QCOMPARE(lvw->topLevelItem(0)->foreground(2).color(), QColor(255, 0, 0));
    QCOMPARE(lvw->topLevelItem(1)->foreground(2).style(), Qt::NoBrush);
    QCOMPARE(lvw->topLevelItem(0)->text(2), QStringLiteral("36"));
    QVERIFY(Database::instance().isOpen());
    // Closing the window closes the book; the window goes away.
    w->close();
    QVERIFY(!Database::instance().isOpen());
    QTRY_VERIFY(w.isNull());
}

QTEST_MAIN(TestReminderWindow)
#include "tst_reminderwindow.moc"
