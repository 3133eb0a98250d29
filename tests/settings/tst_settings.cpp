#include "TestEnv.h"

#include "app/Seams.h"
#include "settings/Environment.h"
#include "settings/InitSettings.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

using namespace velmora;

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

QString settingsFile()
{
    return settingsStore().fileName();
}

const char *const kAllNames[] = {
    "Birthday reminder", "Check version", "Check version Since", "Css", "Css Calendar",
    "Database directory", "Date", "Default database", "Email", "Export directory", "Font Size",
    "Language", "List", "Recent 1", "Recent 2", "Recent 3", "Reminder Once 1", "Reminder Once 2",
    "Reminder Once 3", "Reminder Since", "Reminder Sound", "Reminder Sound Path", "Separator",
    "Week Start", "WindowState",
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void anyTextRoundTrips_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "Velmora";
        QTest::newRow("empty") << "";
        QTest::newRow("comma") << "Smith, John";
        QTest::newRow("only a comma") << ",";
        QTest::newRow("trailing comma") << "a,";
        QTest::newRow("semicolon") << "a;b";
        QTest::newRow("only a semicolon") << ";";
        QTest::newRow("double quotes") << "\"quoted\"";
        QTest::newRow("lone double quote") << "\"";
        QTest::newRow("single quotes") << "'single'";
        QTest::newRow("leading at") << "@leading";
        QTest::newRow("only at") << "@";
        QTest::newRow("variant lookalike") << "@Variant(\\0\\0\\0\\x2)";
        QTest::newRow("invalid lookalike") << "@Invalid()";
        QTest::newRow("bytearray lookalike") << "@ByteArray(xy)";
        QTest::newRow("non-ascii") << QString::fromUtf8("Zoë Ünïcødé € 日本 😀");
        QTest::newRow("backslashes") << "C:\\Data\\";
        QTest::newRow("equals") << "a=b";
        QTest::newRow("hash") << "#not a comment";
        QTest::newRow("brackets") << "[General]";
        QTest::newRow("percent") << "100%20";
        QTest::newRow("inner line break") << "one\ntwo";
        QTest::newRow("inner blanks") << "a   b";
        QTest::newRow("mail list") << "a@b.c; d@e.f, g@h.i";
        QTest::newRow("very long path")
            << QStringLiteral("/home/user/") + QString(300, QLatin1Char('x')).repeated(20) + QStringLiteral("/b.mdb");
    }
    void anyTextRoundTrips()
    {
        test::TestEnv env;
        QFETCH(QString, value);
        saveSetting(QStringLiteral("Default database"), value);
        QCOMPARE(getSetting(QStringLiteral("Default database")), value);
        // And through a fresh reading of the file, as the next start sees it.
        QSettings reread(settingsFile(), QSettings::IniFormat);
        QCOMPARE(reread.value(QStringLiteral("Default database")).toString(), value);
    }

    void valuesAreTrimmedOnWrite_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blanks") << "  Orange  " << "Orange";
        QTest::newRow("tabs and line ends") << "\t\r\nOrange\r\n" << "Orange";
        QTest::newRow("only blanks") << "    " << "";
        QTest::newRow("inner blanks stay") << "  First name Last name " << "First name Last name";
    }
    void valuesAreTrimmedOnWrite()
    {
        test::TestEnv env;
        QFETCH(QString, value);
        QFETCH(QString, expected);
        saveSetting(QStringLiteral("List"), value);
        QCOMPARE(getSetting(QStringLiteral("List")), expected);
    }

    void everyNameIsKeptApart()
    {
        test::TestEnv env;
        for (const char *name : kAllNames)
            saveSetting(QString::fromLatin1(name), QStringLiteral("value of ") + QString::fromLatin1(name));
        QSettings reread(settingsFile(), QSettings::IniFormat);
        for (const char *name : kAllNames) {
            const QString n = QString::fromLatin1(name);
            QCOMPARE(getSetting(n), QStringLiteral("value of ") + n);
            QCOMPARE(reread.value(n).toString(), QStringLiteral("value of ") + n);
        }
        QCOMPARE(reread.allKeys().size(), int(std::size(kAllNames)));
        // Names are exact: another case is another setting.
        QCOMPARE(getSetting(QStringLiteral("font size")), QString());
    }

    void missingReadsAsEmpty()
    {
        test::TestEnv env;
        QCOMPARE(getSetting(QStringLiteral("Recent 1")), QString());
        QCOMPARE(getSetting(QString()), QString());
        QVERIFY(!settingsExist());
        saveSetting(QStringLiteral("Recent 1"), QStringLiteral("/a.mdb"));
        QVERIFY(settingsExist());
        QCOMPARE(getSetting(QStringLiteral("Recent 2")), QString());
    }

    void deleteRemovesTheValue()
    {
        test::TestEnv env;
        saveSetting(QStringLiteral("Reminder Once 2"), QStringLiteral("3"));
        saveSetting(QStringLiteral("Reminder Once 3"), QStringLiteral("5"));
        deleteSetting(QStringLiteral("Reminder Once 2"));
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 2")), QString());
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 3")), QStringLiteral("5"));
        QSettings reread(settingsFile(), QSettings::IniFormat);
        QVERIFY(!reread.contains(QStringLiteral("Reminder Once 2")));
        // Deleting what is not there, or nothing, changes nothing.
        deleteSetting(QStringLiteral("Reminder Once 1"));
        deleteSetting(QString());
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 3")), QStringLiteral("5"));
    }

    void valueReadsUpToAnyNulCharacter()
    {
        test::TestEnv env;
        saveSetting(QStringLiteral("Email"), QStringLiteral("a@b.c") + QChar(u'\0') + QStringLiteral("junk"));
        QCOMPARE(getSetting(QStringLiteral("Email")), QStringLiteral("a@b.c"));
    }

    void handWrittenValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unquoted commas") << QByteArray("Separator=,") << ",";
        QTest::newRow("unquoted path with comma") << QByteArray("Separator=/a,b.mdb") << "/a,b.mdb";
        QTest::newRow("number variant") << QByteArray("Separator=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)") << "5";
        QTest::newRow("invalid") << QByteArray("Separator=@Invalid()") << "";
        QTest::newRow("rectangle") << QByteArray("Separator=@Rect(1 2 3 4)") << "";
        QTest::newRow("utf-8") << QByteArray("Separator=Zo\xC3\xAB") << QString::fromUtf8("Zoë");
    }
    void handWrittenValues()
    {
        test::TestEnv env;
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        writeFile(settingsFile(), "[General]\n" + line + "\n");
        QCOMPARE(getSetting(QStringLiteral("Separator")), expected);
    }

    void changesOfAnotherCopyAreSeen()
    {
        test::TestEnv env;
        saveSetting(QStringLiteral("Css"), QStringLiteral("Normal"));
        QCOMPARE(getSetting(QStringLiteral("Css")), QStringLiteral("Normal"));
        // Another process rewrites the file.
        writeFile(settingsFile(), "[General]\nCss=Blue\nLanguage=Dutch\n");
        QCOMPARE(getSetting(QStringLiteral("Css")), QStringLiteral("Blue"));
        QCOMPARE(getSetting(QStringLiteral("Language")), QStringLiteral("Dutch"));
        // Our own next write keeps the other copy's values.
        saveSetting(QStringLiteral("Date"), QStringLiteral("dd/mm/yyyy"));
        QSettings reread(settingsFile(), QSettings::IniFormat);
        QCOMPARE(reread.value(QStringLiteral("Language")).toString(), QStringLiteral("Dutch"));
        QCOMPARE(reread.value(QStringLiteral("Date")).toString(), QStringLiteral("dd/mm/yyyy"));
    }

    // The start-up migration from the old per-user INI file.
    void initSettingsTakesOverTheOldFile_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("checkVersion");
        QTest::addColumn<QString>("defaultDatabase");
        QTest::addColumn<QString>("language");

        QTest::newRow("all three")
            << QByteArray("[Settings]\nCheck version=Yes\nDefault database=/home/u/Book.mdb\nLanguage=Dutch\n")
            << "1" << "/home/u/Book.mdb" << "Dutch";
        QTest::newRow("No converted") << QByteArray("[Settings]\nCheck version=No\n") << "0" << "" << "";
        QTest::newRow("espanol ansi") << QByteArray("[Settings]\nLanguage=espa\xF1ol\n") << "" << ""
                                      << QString::fromUtf8("Español");
        QTest::newRow("espanol utf-8") << QByteArray("[Settings]\nLanguage=espa\xC3\xB1ol\n") << "" << ""
                                       << QString::fromUtf8("Español");
        QTest::newRow("ESPANOL kept") << QByteArray("[Settings]\nLanguage=ESPA\xD1OL\n") << "" << ""
                                      << QString::fromUtf8("ESPAÑOL");
        QTest::newRow("Espanol kept") << QByteArray("[Settings]\nLanguage=Espa\xF1ol\n") << "" << ""
                                      << QString::fromUtf8("Español");
        QTest::newRow("key case and blanks")
            << QByteArray("[settings]\n  CHECK VERSION = \"Yes\" \nlanguage=German\n") << "1" << "" << "German";
        QTest::newRow("other keys ignored")
            << QByteArray("[Settings]\nCss=Blue\nList=x\nDefault database=/d.mdb\n") << "" << "/d.mdb" << "";
        QTest::newRow("empty values skipped")
            << QByteArray("[Settings]\nCheck version=\nLanguage=\"\"\n") << "" << "" << "";
        QTest::newRow("long path cut to 254")
            << QByteArray("[Settings]\nDefault database=/") + QByteArray(400, 'p') << ""
            << QStringLiteral("/") + QString(253, QLatin1Char('p')) << "";
        QTest::newRow("wrong section") << QByteArray("[Other]\nLanguage=Dutch\n") << "" << "" << "";
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
        QCOMPARE(getSetting(QStringLiteral("Check version")), QString());
    }

    void initSettingsKeepsTheOldFileWhenNothingCanBeStored()
    {
        test::TestEnv env;
        // The settings folder cannot be made: a file stands in its way.
        writeFile(env.file(QStringLiteral("blocked")), "not a folder");
        QSettings blocked(env.file(QStringLiteral("blocked/Velmora.conf")), QSettings::IniFormat);
        seams().settings = &blocked;
        const QString iniFile = oldSettingsFile();
        writeFile(iniFile, "[Settings]\nLanguage=Dutch\n");
        initSettings();
        QVERIFY(QFile::exists(iniFile));
        seams().settings = env.settings.get();
    }

    void initSettingsConvertsYesAndNo_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Yes") << "Yes" << "1";
        QTest::newRow("No") << "No" << "0";
        QTest::newRow("yes lower case") << "yes" << "yes";
        QTest::newRow("NO upper case") << "NO" << "NO";
        QTest::newRow("1") << "1" << "1";
        QTest::newRow("0") << "0" << "0";
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

    void initSettingsWithoutOldFile()
    {
        test::TestEnv env;
        initSettings();
        QCOMPARE(getSetting(QStringLiteral("Language")), QString());
        QVERIFY(env.prompts.shown().empty());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
