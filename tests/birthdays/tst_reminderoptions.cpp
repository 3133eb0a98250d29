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
const char *const kChecks[] = {
    "chkBirthdayreminder", "chkSound", "chkSince", "chkOnce0", "chkOnce1", "chkOnce2"};

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
    void load_data();
    void load();
    void enabling_data();
    void enabling();
    void numberBoxes_data();
    void numberBoxes();
    void switching_data();
    void switching();
    void storesDays();
    void browse();

private:
    std::unique_ptr<test::TestEnv> m_env;
};

void TestReminderOptions::load_data()
{
    QTest::addColumn<QStringList>("settings"); // reminder, sound, since, once 1..3 (null: missing)
    QTest::addColumn<QString>("checks");       // the six check boxes
    QTest::addColumn<QStringList>("texts");    // since, once 0..2
    const QString none;
    QTest::newRow("first start values")
        << QStringList{"1", "1", "2", "7", none, none} << "111100" << QStringList{"2", "7", "", ""};
    QTest::newRow("not numbers") << QStringList{"1", "0", "", "abc", "3", "7x"} << "100010"
                                 << QStringList{"", "", "3", ""};
    QTest::newRow("unknown on/off texts")
        << QStringList{"yes", "True", "14", "1", "2", "3"} << "001111" << QStringList{"14", "1", "2", "3"};
}

void TestReminderOptions::load()
{
    QFETCH(QStringList, settings);
    QFETCH(QString, checks);
    QFETCH(QStringList, texts);
    const QStringList names = {kReminder, QStringLiteral("Reminder Sound"), kSince, once(1), once(2),
                               once(3)};
    for (int i = 0; i < names.size(); ++i) {
        if (!settings[i].isNull())
            saveSetting(names[i], settings[i]);
    }
    ReminderOptionsWindow w;
    QString ticked;
    for (const char *name : kChecks)
        ticked += child<QCheckBox>(w, name)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(ticked, checks);
    QStringList shown;
    for (const char *name : {"txtSince", "txtOnce0", "txtOnce1", "txtOnce2"})
        shown << child<QLineEdit>(w, name)->text();
    QCOMPARE(shown, texts);
}

void TestReminderOptions::enabling_data()
{
    QTest::addColumn<bool>("reminder");
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("since");
    QTest::addColumn<bool>("once1");
    QTest::newRow("reminder off, all ticked") << false << true << true << true;
    QTest::newRow("reminder on, all ticked") << true << true << true << true;
    QTest::newRow("reminder on, since only") << true << false << true << false;
    QTest::newRow("reminder on, sound and once") << true << true << false << true;
}

void TestReminderOptions::enabling()
{
    QFETCH(bool, reminder);
    QFETCH(bool, sound);
    QFETCH(bool, since);
    QFETCH(bool, once1);
    ReminderOptionsWindow w;
    // The rule follows every click on a check box.
    child<QCheckBox>(w, "chkBirthdayreminder")->setChecked(true);
    child<QCheckBox>(w, "chkSound")->setChecked(sound);
    child<QCheckBox>(w, "chkSince")->setChecked(since);
    child<QCheckBox>(w, "chkOnce1")->setChecked(once1);
    child<QCheckBox>(w, "chkBirthdayreminder")->setChecked(reminder);
    const auto enabled = [&](const char *name) { return child<QWidget>(w, name)->isEnabled(); };
    QVERIFY(enabled("cmdOK") && enabled("cmdCancel") && enabled("chkBirthdayreminder"));
    for (const char *name :
         {"fraSince", "fraOnce", "fraSound", "chkSound", "chkSince", "chkOnce0", "chkOnce2"})
        QCOMPARE(enabled(name), reminder);
    for (const char *name : {"txtSound", "cmdBrowse"})
        QCOMPARE(enabled(name), reminder && sound);
    for (const char *name : {"txtSince", "udSince", "lblDays0"})
        QCOMPARE(enabled(name), reminder && since);
    for (const char *name : {"txtOnce1", "udOnce1", "lblDays2"})
        QCOMPARE(enabled(name), reminder && once1);
    QVERIFY(!enabled("txtOnce0") && !enabled("lblDays3"));
}

void TestReminderOptions::numberBoxes_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits") << ""
                            << "14" << 0 << "14";
    QTest::newRow("letters, signs, blanks dropped") << ""
                                                    << "1a-2. b" << 0 << "12";
    QTest::newRow("Backspace works") << ""
                                     << "123\b" << 0 << "12";
    QTest::newRow("up") << "7"
                        << "" << 1 << "8";
    QTest::newRow("down twice") << "7"
                                << "" << -2 << "5";
    QTest::newRow("not below zero") << "0"
                                    << "" << -1 << "0";
    QTest::newRow("empty box steps up") << ""
                                        << "" << 1 << "1";
}

void TestReminderOptions::numberBoxes()
{
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(int, steps);
    QFETCH(QString, shown);
    saveSetting(kReminder, QStringLiteral("1"));
    saveSetting(once(1), start.isEmpty() ? QStringLiteral("x") : start);
    ReminderOptionsWindow w;
    child<QCheckBox>(w, "chkOnce0")->setChecked(true);
    QLineEdit *box = child<QLineEdit>(w, "txtOnce0");
    for (const QChar c : typed) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClicks(box, QString(c));
    }
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(box, steps > 0 ? Qt::Key_Up : Qt::Key_Down);
    QCOMPARE(box->text(), shown);
}

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

void TestReminderOptions::browse()
{
    saveSetting(kReminder, QStringLiteral("1"));
    saveSetting(QStringLiteral("Reminder Sound"), QStringLiteral("1"));
    saveSetting(QStringLiteral("Reminder Sound Path"), QStringLiteral("/old.wav"));
    const QString wav = m_env->file(QStringLiteral("bell.wav"));
    touch(wav);
    ReminderOptionsWindow w;
    // Cancelled: nothing changes, nothing plays.
    child<QPushButton>(w, "cmdBrowse")->click();
    QCOMPARE(child<QLineEdit>(w, "txtSound")->text(), QStringLiteral("/old.wav"));
    QVERIFY(m_env->sound.played.empty());
    // Chosen: the path goes into the box and is played as a preview.
    m_env->prompts.queueText(wav);
    child<QPushButton>(w, "cmdBrowse")->click();
    QCOMPARE(m_env->prompts.shown().back().kind, RecordingPrompts::Shown::OpenFile);
    QCOMPARE(m_env->prompts.shown().back().text, QStringLiteral("Open"));
    QCOMPARE(child<QLineEdit>(w, "txtSound")->text(), wav);
    QCOMPARE(m_env->sound.played, std::vector<QString>{wav});
}

QTEST_MAIN(TestReminderOptions)
#include "tst_reminderoptions.moc"
