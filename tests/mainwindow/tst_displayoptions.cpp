#include "TestEnv.h"

#include "birthdays/LogonEntry.h"
#include "settings/DisplayOptions.h"
#include "settings/Settings.h"

#include <QtTest>

using namespace velmora;

// Reading the display options at start-up and the first-start values.
class TestDisplayOptions : public QObject {
    Q_OBJECT
private slots:
    void storedValues_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("font");
        QTest::addColumn<bool>("firstNameFirst");
        QTest::addColumn<int>("dateIndex");
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<QString>("listAfter");
        QTest::addColumn<QString>("dateAfter");
        QTest::addColumn<QString>("fontAfter");
        const QString fl = QStringLiteral("First name Last name");
        const QString lf = QStringLiteral("Last name First name");
        QTest::newRow("nothing stored") << "" << "" << "" << true << 0 << 8 << fl << "dd/mm/yyyy" << "8";
        QTest::newRow("all known") << lf << "yyyy/mm/dd" << "10" << false << 2 << 10 << lf << "yyyy/mm/dd" << "10";
        QTest::newRow("unknown values repaired")
            << "last name first name" << "dd.mm.yyyy" << "12" << true << 0 << 8 << fl << "dd/mm/yyyy" << "8";
    }
    void storedValues()
    {
        test::TestEnv env;
        QFETCH(QString, list);
        QFETCH(QString, date);
        QFETCH(QString, font);
        if (!list.isEmpty())
            saveSetting(QStringLiteral("List"), list);
        if (!date.isEmpty())
            saveSetting(QStringLiteral("Date"), date);
        if (!font.isEmpty())
            saveSetting(QStringLiteral("Font Size"), font);
        const DisplayOptionValues v = loadOptions();
        QTEST(v.firstNameFirst, "firstNameFirst");
        QTEST(v.dateIndex, "dateIndex");
        QTEST(v.fontSize, "fontSize");
        QTEST(getSetting(QStringLiteral("List")), "listAfter");
        QTEST(getSetting(QStringLiteral("Date")), "dateAfter");
        QTEST(getSetting(QStringLiteral("Font Size")), "fontAfter");
        QCOMPARE(fontSizeSetting(), v.fontSize);
    }

    void firstStartDefaults()
    {
        test::TestEnv env;
        loadOptions();
        QCOMPARE(getSetting(QStringLiteral("Birthday reminder")), QStringLiteral("1"));
        QCOMPARE(getSetting(QStringLiteral("Reminder Sound")), QStringLiteral("1"));
        QCOMPARE(getSetting(QStringLiteral("Reminder Sound Path")),
                 env.programFolder() + QStringLiteral("/Sound/default.wav"));
        QCOMPARE(getSetting(QStringLiteral("Reminder Since")), QStringLiteral("2"));
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 1")), QStringLiteral("7"));
        QCOMPARE(getSetting(QStringLiteral("Css")), QStringLiteral("Normal"));
        QCOMPARE(getSetting(QStringLiteral("Css Calendar")), QStringLiteral("Orange"));
        QCOMPARE(getSetting(QStringLiteral("Check version")), QStringLiteral("1"));
        // The reminder starts at log-on from now on.
        QVERIFY(QFileInfo::exists(logonEntryFile()));
        QVERIFY(!logonEntryOutdated());
    }

    void reminderEntryFollowsSetting_data()
    {
        QTest::addColumn<QString>("reminder");
        QTest::addColumn<bool>("entryAfter");
        QTest::newRow("on, entry missing: written again") << "1" << true;
        QTest::newRow("off: no entry") << "0" << false;
    }
    void reminderEntryFollowsSetting()
    {
        test::TestEnv env;
        QFETCH(QString, reminder);
        saveSetting(QStringLiteral("Birthday reminder"), reminder);
        QVERIFY(!QFileInfo::exists(logonEntryFile()));
        loadOptions();
        QTEST(QFileInfo::exists(logonEntryFile()), "entryAfter");
        QCOMPARE(getSetting(QStringLiteral("Birthday reminder")), reminder);
        // Not a first start: the first-start values are not written.
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 1")), QString());
        QVERIFY(env.launcher.starts.empty());
    }

};

QTEST_GUILESS_MAIN(TestDisplayOptions)
#include "tst_displayoptions.moc"
