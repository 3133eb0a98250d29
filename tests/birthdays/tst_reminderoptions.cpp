#include "TestEnv.h"

#include "app/Seams.h"
#include "birthdays/LogonEntry.h"
#include "birthdays/ReminderOptions.h"
#include "birthdays/ui/DayCountBox.h"
#include "birthdays/ui/ReminderOptionsWindow.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace velmora;

namespace {
const QString kReminder = QStringLiteral("Birthday reminder");
const QString kSince = QStringLiteral("Reminder Since");

QString once(int n)
{
    return QStringLiteral("Reminder Once %1").arg(n);
}

template <typename W> W *child(QWidget &w, const char *name)
{
    W *c = w.findChild<W *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

void touch(const QString &path)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write("RIFF");
}
} // namespace

class TestReminderOptions : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<test::TestEnv>(); }
    void cleanup() { m_env.reset(); }
    void switching_data();
    void switching();
    void storesDays();

private:
    std::unique_ptr<test::TestEnv> m_env;
};

void TestReminderOptions::switching_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("defaultBook");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("started"); // today's reminder started at once
    QTest::addColumn<bool>("entry");   // log-on entry present afterwards
    QTest::newRow("on, with a default book") << "0" << true << true << "1" << true << true;
    QTest::newRow("on, default book missing") << "0" << true << false << "1" << false << true;
    QTest::newRow("already on: entry untouched") << "1" << true << true << "1" << false << false;
    QTest::newRow("off") << "1" << false << true << "0" << false << false;
}

void TestReminderOptions::switching()
{
    QFETCH(QString, before);
    QFETCH(bool, tick);
    QFETCH(bool, defaultBook);
    QFETCH(QString, after);
    QFETCH(bool, started);
    QFETCH(bool, entry);
    const QString book = m_env->file(QStringLiteral("book.mdb"));
    if (defaultBook)
        touch(book);
    saveSetting(QStringLiteral("Default database"), book);
    saveSetting(kReminder, before);
    saveSetting(kSince, QStringLiteral("3"));
    if (!tick) {
        QVERIFY(enableReminder()); // an entry to remove
        m_env->launcher.starts.clear();
    }
    ReminderOptionsWindow w;
    child<QCheckBox>(w, "chkBirthdayreminder")->setChecked(tick);
    child<QPushButton>(w, "cmdOK")->click();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(getSetting(kReminder), after);
    QCOMPARE(m_env->launcher.starts.size(), size_t(started ? 1 : 0));
    if (started)
        QCOMPARE(m_env->launcher.starts[0], QStringList{QStringLiteral("/Reminder")});
    QCOMPARE(QFile::exists(logonEntryFile()), entry);
    if (entry)
        QVERIFY(!logonEntryOutdated());
    // The days stay stored whatever the switch.
    QCOMPARE(getSetting(kSince), QStringLiteral("3"));
}

void TestReminderOptions::storesDays()
{
    saveSetting(kReminder, QStringLiteral("1"));
    saveSetting(once(2), QStringLiteral("30"));
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
    QCOMPARE(getSetting(once(1)), QStringLiteral("14"));
    QVERIFY(!settingsStore().contains(once(2)));
    QVERIFY(!settingsStore().contains(once(3)));
    QCOMPARE(getSetting(QStringLiteral("Reminder Sound")), QStringLiteral("1"));
    QCOMPARE(getSetting(QStringLiteral("Reminder Sound Path")), QStringLiteral("/sounds/bell.wav"));
}

QTEST_MAIN(TestReminderOptions)
#include "tst_reminderoptions.moc"
