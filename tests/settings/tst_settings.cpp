#include "TestEnv.h"
#include "TestFiles.h"

#include "app/Seams.h"
#include "settings/InitSettings.h"
#include "settings/Settings.h"

#include <QFile>
#include <QSettings>
#include <QtTest>

#include <unistd.h>

using namespace velmora;
using test::writeFile;

class TestSettings : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TestEnv> m_env;

    // A value as the next start reads it from the file (invalid when missing).
    static QVariant onDisk(const QString &name)
    {
        return QSettings(settingsStore().fileName(), QSettings::IniFormat).value(name);
    }

private slots:
    void init() { m_env = std::make_unique<test::TestEnv>(); }
    void cleanup() { m_env.reset(); }

    void valuesRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("comma") << "Smith, John" << "Smith, John";
        QTest::newRow("variant lookalike") << "@Variant(\\0\\0\\0\\x2)" << "@Variant(\\0\\0\\0\\x2)";
        QTest::newRow("non-ascii") << QString::fromUtf8("Zoë € 日本 😀") << QString::fromUtf8("Zoë € 日本 😀");
        QTest::newRow("inner line break") << "one\ntwo" << "one\ntwo";
        QTest::newRow("blanks trimmed") << "  First  name  " << "First  name";
        QTest::newRow("only blanks trimmed") << "\t First\u00a0 \n " << "\t First\u00a0 \n";
        QTest::newRow("up to a nul") << QStringLiteral("a@b.c") + QChar(u'\0') + QStringLiteral("junk")
            << "a@b.c";
        // clang-format on
    }
    void valuesRoundTrip()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        const QString name = QStringLiteral("Default database");
        saveSetting(name, value);
        QCOMPARE(getSetting(name), expected);
        if (value == expected)
            QCOMPARE(onDisk(name).toString(), value);
    }

    void missingAndDeletedReadAsEmpty()
    {
        QCOMPARE(getSetting(QStringLiteral("Recent 1")), QString());
        QVERIFY(!settingsExist());
        saveSetting(QStringLiteral("Reminder Once 2"), QStringLiteral("3"));
        saveSetting(QStringLiteral("Reminder Once 3"), QStringLiteral("5"));
        QVERIFY(settingsExist());
        deleteSetting(QStringLiteral("Reminder Once 2"));
        deleteSetting(QString());
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 2")), QString());
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 3")), QStringLiteral("5"));
        QVERIFY(!onDisk(QStringLiteral("Reminder Once 2")).isValid());
    }

    // Another copy of the program wrote the file: we read its values and our
    // next write keeps them.
    void ourWriteKeepsAnotherCopysValues()
    {
        saveSetting(QStringLiteral("Css"), QStringLiteral("Normal"));
        writeFile(settingsStore().fileName(), "[General]\nCss=Blue\nLanguage=Dutch\n");
        QCOMPARE(getSetting(QStringLiteral("Css")), QStringLiteral("Blue"));
        saveSetting(QStringLiteral("Date"), QStringLiteral("dd/mm/yyyy"));
        QCOMPARE(onDisk(QStringLiteral("Language")).toString(), QStringLiteral("Dutch"));
    }

    // The start-up migration from the old per-user INI file.
    void initSettingsTakesOverTheOldFile_data()
    {
        QTest::addColumn<QByteArray>("ini");   // the [Settings] section
        QTest::addColumn<QString>("expected"); // Check version|Default database|Language
        // clang-format off
        QTest::newRow("all three, other keys ignored") << QByteArray("Check version=Yes\nCss=Blue\n"
            "Default database=/u/Book.mdb\nLanguage=Dutch\n") << "1|/u/Book.mdb|Dutch";
        QTest::newRow("No converted") << QByteArray("Check version=No\n") << "0||";
        QTest::newRow("espanol ansi") << QByteArray("Language=espa\xF1ol") << QString::fromUtf8("||Español");
        QTest::newRow("ESPANOL kept") << QByteArray("Language=ESPA\xD1OL") << QString::fromUtf8("||ESPAÑOL");
        QTest::newRow("empty values skipped") << QByteArray("Check version=\nLanguage=\"\"\n") << "||";
        QTest::newRow("long path cut to 254") << "Default database=/" + QByteArray(400, 'p')
            << QStringLiteral("|/%1|").arg(QString(253, QLatin1Char('p')));
        // clang-format on
    }
    void initSettingsTakesOverTheOldFile()
    {
        QFETCH(QByteArray, ini);
        writeFile(oldSettingsFile(), "[Settings]\n" + ini);
        initSettings();
        QStringList got;
        for (const char *name : {"Check version", "Default database", "Language"})
            got << getSetting(QLatin1String(name));
        QTEST(got.join(QLatin1Char('|')), "expected");
        QVERIFY(!QFile::exists(oldSettingsFile()));
        QVERIFY(!onDisk(QStringLiteral("Css")).isValid());
    }

    // The old file is kept where its values cannot be stored, and left alone
    // where settings already exist.
    void initSettingsKeepsTheOldFile()
    {
        writeFile(oldSettingsFile(), "[Settings]\nLanguage=Dutch\nCheck version=Yes\n");
        if (::geteuid() != 0) { // root could store it anyway
            // The settings folder cannot be made: a file stands in its way.
            writeFile(m_env->file(QStringLiteral("blocked")), "not a folder");
            QSettings blocked(m_env->file(QStringLiteral("blocked/Velmora.conf")), QSettings::IniFormat);
            seams().settings = &blocked;
            initSettings();
            seams().settings = m_env->settings.get();
            QVERIFY(QFile::exists(oldSettingsFile()));
        }
        saveSetting(QStringLiteral("Css"), QStringLiteral("Normal"));
        initSettings();
        QVERIFY(QFile::exists(oldSettingsFile()));
        QCOMPARE(getSetting(QStringLiteral("Language")), QString());
        QVERIFY(m_env->prompts.shown().empty());
    }

    // Old "Yes" switches become 1 at every start, taken over or not; other
    // settings keep their text.
    void initSettingsConvertsYes()
    {
        for (const char *name : {"Birthday reminder", "Reminder Sound", "Separator"})
            saveSetting(QString::fromLatin1(name), QStringLiteral("Yes"));
        initSettings();
        QCOMPARE(getSetting(QStringLiteral("Birthday reminder")), QStringLiteral("1"));
        QCOMPARE(getSetting(QStringLiteral("Reminder Sound")), QStringLiteral("1"));
        QCOMPARE(getSetting(QStringLiteral("Separator")), QStringLiteral("Yes"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
