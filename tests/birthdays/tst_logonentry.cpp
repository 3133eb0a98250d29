#include "TestEnv.h"
#include "TestFiles.h"

#include "birthdays/LogonEntry.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

using namespace velmora;

namespace {

using test::writeFile;

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString reminder()
{
    return getSetting(QStringLiteral("Birthday reminder"));
}

} // namespace

class TestLogonEntry : public QObject {
    Q_OBJECT
private slots:
    void execLine_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/opt/velmora/velmora"
                               << "\"/opt/velmora/velmora\" /Reminder";
        QTest::newRow("double quote") << "/x/a\"b/velmora"
                                      << "\"/x/a\\\\\"b/velmora\" /Reminder";
        QTest::newRow("percent") << "/x/100%/velmora"
                                 << "\"/x/100%%/velmora\" /Reminder";
    }
    void execLine()
    {
        test::TestEnv env;
        QFETCH(QString, executable);
        QFETCH(QString, exec);
        QCOMPARE(logonEntryExec(executable), exec);
        // The entry file carries it, and reading the file gives it back.
        const QByteArray content = logonEntryContent(executable);
        QCOMPARE(readLogonEntryExec(content), exec);
    }

    void enableWhenOff_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("databaseExists");
        QTest::addColumn<bool>("reminderStarted");
        QTest::newRow("off, database") << "0" << true << true;
        QTest::newRow("off, no database") << "0" << false << false;
        QTest::newRow("already on") << "1" << true << false;
    }
    void enableWhenOff()
    {
        test::TestEnv env;
        QFETCH(QString, before);
        QFETCH(bool, databaseExists);
        QFETCH(bool, reminderStarted);
        const QString database = env.documents() + QStringLiteral("/Velmora.mdb");
        if (databaseExists)
            writeFile(database, "book");
        saveSetting(QStringLiteral("Default database"), database);
        saveSetting(QStringLiteral("Birthday reminder"), before);

        QVERIFY(enableReminder());

        QCOMPARE(reminder(), QStringLiteral("1"));
        QCOMPARE(env.launcher.starts.size(), size_t(reminderStarted ? 1 : 0));
        if (reminderStarted)
            QCOMPARE(env.launcher.starts.front(), QStringList{QStringLiteral("/Reminder")});
        QCOMPARE(readFile(logonEntryFile()), logonEntryContent(QCoreApplication::applicationFilePath()));
        QVERIFY(!logonEntryOutdated());
        QVERIFY(env.prompts.shown().empty());
    }

    void disable()
    {
        test::TestEnv env;
        saveSetting(QStringLiteral("Reminder Once 1"), QStringLiteral("7"));
        QVERIFY(enableReminder());
        QVERIFY(disableReminder());
        QCOMPARE(reminder(), QStringLiteral("0"));
        QVERIFY(!QFile::exists(logonEntryFile()));
        QVERIFY(logonEntryOutdated());
        QCOMPARE(getSetting(QStringLiteral("Reminder Once 1")), QStringLiteral("7"));

        // Without an entry there is nothing to remove and nothing to tell.
        QVERIFY(disableReminder());
        QVERIFY(env.prompts.shown().empty());
    }

    void outdatedEntry_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<bool>("outdated");
        QTest::newRow("missing") << QByteArray() << true;
        QTest::newRow("moved program")
            << QByteArray("[Desktop Entry]\nType=Application\nExec=\"/old/place/velmora\" /Reminder\n")
            << true;
        QTest::newRow("unquoted path")
            << ("[Desktop Entry]\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + " /Reminder\n")
            << true;
        QTest::newRow("current") << logonEntryContent(QCoreApplication::applicationFilePath()) << false;
    }
    void outdatedEntry()
    {
        test::TestEnv env;
        QFETCH(QByteArray, content);
        QFETCH(bool, outdated);
        if (!content.isEmpty())
            writeFile(logonEntryFile(), content);
        QCOMPARE(logonEntryOutdated(), outdated);
    }

    void startRewritesAMovedEntry_data()
    {
        QTest::addColumn<QString>("reminderSetting");
        QTest::addColumn<bool>("rewritten");
        QTest::newRow("on") << "1" << true;
        QTest::newRow("off") << "0" << false;
    }
    void startRewritesAMovedEntry()
    {
        test::TestEnv env;
        QFETCH(QString, reminderSetting);
        QFETCH(bool, rewritten);
        const QByteArray old = "[Desktop Entry]\nExec=\"/old/place/velmora\" /Reminder\n";
        writeFile(logonEntryFile(), old);
        writeFile(env.documents() + QStringLiteral("/Velmora.mdb"), "book");
        saveSetting(QStringLiteral("Default database"), env.documents() + QStringLiteral("/Velmora.mdb"));
        saveSetting(QStringLiteral("Birthday reminder"), reminderSetting);

        refreshLogonEntry();

        QCOMPARE(logonEntryOutdated(), !rewritten);
        QCOMPARE(readFile(logonEntryFile()) == old, !rewritten);
        QCOMPARE(reminder(), reminderSetting);
        // Repairing the entry shows no reminder.
        QVERIFY(env.launcher.starts.empty());
    }

    void unwritableAutostartFolderIsReported()
    {
        test::TestEnv env;
        // A file where the folder should be: nothing can be written below it.
        writeFile(env.home() + QStringLiteral("/.config/autostart"), "in the way");

        QVERIFY(!enableReminder());

        QCOMPARE(env.prompts.messageCount(), 1);
        QVERIFY(env.prompts.lastMessage().contains(logonEntryFile()));
        QCOMPARE(env.prompts.shown().front().icon, Icon::Exclamation);
        QCOMPARE(reminder(), QStringLiteral("1"));
        QVERIFY(logonEntryOutdated());
        QCOMPARE(readFile(env.home() + QStringLiteral("/.config/autostart")), QByteArray("in the way"));
    }

    void entryThatCannotBeRemovedIsReported()
    {
        test::TestEnv env;
        // A folder with content where the entry should be cannot be removed.
        writeFile(logonEntryFile() + QStringLiteral("/inside"), "x");

        QVERIFY(!disableReminder());

        QCOMPARE(reminder(), QStringLiteral("0"));
        QCOMPARE(env.prompts.messageCount(), 1);
        QVERIFY(env.prompts.lastMessage().contains(logonEntryFile()));
    }
};

QTEST_GUILESS_MAIN(TestLogonEntry)
#include "tst_logonentry.moc"
