#include "TestEnv.h"
#include "TestFiles.h"

#include "app/Seams.h"
#include "settings/Environment.h"
#include "settings/InitSettings.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include <unistd.h>

using namespace velmora;

namespace {

using test::writeFile;

QString settingsFile()
{
    return settingsStore().fileName();
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void valuesRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("comma") << "Smith, John" << "Smith, John";
        QTest::newRow("variant lookalike") << "@Variant(\\0\\0\\0\\x2)" << "@Variant(\\0\\0\\0\\x2)";
        QTest::newRow("non-ascii") << QString::fromUtf8("Zoë € 日本 😀") << QString::fromUtf8("Zoë € 日本 😀");
        QTest::newRow("inner line break") << "one\ntwo" << "one\ntwo";
        QTest::newRow("trimmed") << "\t\r\n  First  name \r\n" << "First  name";
        QTest::newRow("up to a nul") << QStringLiteral("a@b.c") + QChar(u'\0') + QStringLiteral("junk") << "a@b.c";
    }
    void valuesRoundTrip()
    {
        test::TestEnv env;
        QFETCH(QString, value);
        QFETCH(QString, expected);
        saveSetting(QStringLiteral("Default database"), value);
        QCOMPARE(getSetting(QStringLiteral("Default database")), expected);
        if (value == expected) {
            // Through a fresh reading of the file, as the next start sees it.
            QSettings reread(settingsFile(), QSettings::IniFormat);
            QCOMPARE(reread.value(QStringLiteral("Default database")).toString(), value);
        }
    }

    void missingAndDeletedReadAsEmpty()
    {
        test::TestEnv env;
        QCOMPARE(getSetting(QStringLiteral("Recent 1")), QString());
        QVERIFY(!settingsExist());
        saveSetting(QStringLiteral("Reminder Once 2"), QStringLiteral("3"));
        saveSetting(QStringLiteral("Reminder Once 3"), QStringLiteral("5"));
        QVERIFY(settingsExist());
        QCOMPARE(getSetting(QStringLiteral("reminder once 3")), QString());
        deleteSetting(QStringLiteral("Reminder Once 2"));
        deleteSetting(QString());
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 2")), QString());
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 3")), QStringLiteral("5"));
        QSettings reread(settingsFile(), QSettings::IniFormat);
        QVERIFY(!reread.contains(QStringLiteral("Reminder Once 2")));
    }

    void ourWriteKeepsAnotherCopysValues()
    {
        test::TestEnv env;
        saveSetting(QStringLiteral("Css"), QStringLiteral("Normal"));
        writeFile(settingsFile(), "[General]\nCss=Blue\nLanguage=Dutch\n");
        QCOMPARE(getSetting(QStringLiteral("Css")), QStringLiteral("Blue"));
        saveSetting(QStringLiteral("Date"), QStringLiteral("dd/mm/yyyy"));
        QSettings reread(settingsFile(), QSettings::IniFormat);
        QCOMPARE(reread.value(QStringLiteral("Language")).toString(), QStringLiteral("Dutch"));
    }

    // The start-up migration from the old per-user INI file.
    void initSettingsTakesOverTheOldFile_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("checkVersion");
        QTest::addColumn<QString>("defaultDatabase");
        QTest::addColumn<QString>("language");

        QTest::newRow("all three") << QByteArray(
                   "[Settings]\nCheck version=Yes\nDefault database=/home/u/Book.mdb\nLanguage=Dutch\n") << "1"
            << "/home/u/Book.mdb" << "Dutch";
        QTest::newRow("No converted") << QByteArray("[Settings]\nCheck version=No\n") << "0" << "" << "";
        QTest::newRow("espanol ansi") << QByteArray("[Settings]\nLanguage=espa\xF1ol\n") << ""
                                      << "" << QString::fromUtf8("Español");
        QTest::newRow("ESPANOL kept") << QByteArray("[Settings]\nLanguage=ESPA\xD1OL\n") << ""
                                      << "" << QString::fromUtf8("ESPAÑOL");
        QTest::newRow("other keys ignored") << QByteArray("[Settings]\nCss=Blue\nDefault database=/d.mdb\n") << ""
            << "/d.mdb" << "";
        QTest::newRow("empty values skipped") << QByteArray("[Settings]\nCheck version=\nLanguage=\"\"\n") << "" << ""
            << "";
        QTest::newRow("long path cut to 254")
            << QByteArray("[Settings]\nDefault database=/") + QByteArray(400, 'p') << ""
            << QStringLiteral("/") + QString(253, QLatin1Char('p')) << "";
    }
    void initSettingsTakesOverTheOldFile()
    {
        test::TestEnv env;
        QFETCH(QByteArray, ini);
        QFETCH(QString, checkVersion);
        QFETCH(QString, defaultDatabase);
        QFETCH(QString, language);
        const QString iniFile = oldSettingsFile();
        QCOMPARE(iniFile, env.programFolder() + QStringLiteral("/Settings/") + getWindowsUserName() +
                              QStringLiteral(".ini"));
        writeFile(iniFile, ini);

        initSettings();

        QCOMPARE(getSetting(QStringLiteral("Check version")), checkVersion);
        QCOMPARE(getSetting(QStringLiteral("Default database")), defaultDatabase);
        QCOMPARE(getSetting(QStringLiteral("Language")), language);
        QVERIFY(!QFile::exists(iniFile));
        QSettings reread(settingsFile(), QSettings::IniFormat);
        QVERIFY(!reread.contains(QStringLiteral("Css")));
    }

    void initSettingsLeavesTheOldFileWhenSettingsExist()
    {
        test::TestEnv env;
        saveSetting(QStringLiteral("Css"), QStringLiteral("Normal"));
        const QString iniFile = oldSettingsFile();
        writeFile(iniFile, "[Settings]\nLanguage=Dutch\nCheck version=Yes\n");
        initSettings();
        QVERIFY(QFile::exists(iniFile));
        QCOMPARE(getSetting(QStringLiteral("Language")), QString());
        QVERIFY(env.prompts.shown().empty());
    }

    void initSettingsKeepsTheOldFileWhenNothingCanBeStored()
    {
        if (::geteuid() == 0)
            QSKIP("Running as root: a settings file that cannot be stored cannot be arranged.");
        test::TestEnv env;
        // The settings folder cannot be made: a file stands in its way.
        writeFile(env.file(QStringLiteral("blocked")), "not a folder");
        QSettings blocked(env.file(QStringLiteral("blocked/Velmora.conf")), QSettings::IniFormat);
        seams().settings = &blocked;
        const QString iniFile = oldSettingsFile();
        writeFile(iniFile, "[Settings]\nLanguage=Dutch\n");
        initSettings();
        seams().settings = env.settings.get();
        QVERIFY(QFile::exists(iniFile));
    }

    void initSettingsConvertsYesAndNo_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Yes") << "Yes" << "1";
        QTest::newRow("yes lower case") << "yes" << "yes";
        QTest::newRow("empty") << "" << "";
    }
    void initSettingsConvertsYesAndNo()
    {
        test::TestEnv env;
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        const QStringList converted = {QStringLiteral("Birthday reminder"), QStringLiteral("Check version"),
                                       QStringLiteral("Reminder Sound")};
        for (const QString &name : converted)
            saveSetting(name, stored);
        saveSetting(QStringLiteral("Separator"), stored);
        initSettings();
        for (const QString &name : converted)
            QCOMPARE(getSetting(name), expected);
        QCOMPARE(getSetting(QStringLiteral("Separator")), stored);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
