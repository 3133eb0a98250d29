#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "birthdays/LogonEntry.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtTest>

using namespace velmora;
using test::writeFile;

class TestLogonEntry : public QObject {
    Q_OBJECT
    static QString reminder() { return getSetting(QStringLiteral("Birthday reminder")); }
    // A default book that is there (or not) and the reminder switch.
    static void prepare(const test::TestEnv &env, bool bookExists, const QString &reminderSetting)
    {
        const QString book = env.documents() + QStringLiteral("/Velmora.mdb");
        if (bookExists)
            writeFile(book, "book");
        saveSetting(QStringLiteral("Default database"), book);
        saveSetting(QStringLiteral("Birthday reminder"), reminderSetting);
    }

private slots:
    // The program path quoted for the Exec line, and read back from the file.
    void execLine_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("exec");
        // clang-format off
        QTest::newRow("plain") << "/opt/velmora/velmora" << "\"/opt/velmora/velmora\" /Reminder";
        QTest::newRow("double quote") << "/x/a\"b/velmora" << "\"/x/a\\\\\"b/velmora\" /Reminder";
        QTest::newRow("percent") << "/x/100%/velmora" << "\"/x/100%%/velmora\" /Reminder";
        // clang-format on
    }
    void execLine()
    {
        QFETCH(QString, executable);
        QFETCH(QString, exec);
        QCOMPARE(logonEntryExec(executable), exec);
        QCOMPARE(readLogonEntryExec(logonEntryContent(executable)), exec);
    }

    // Switching on writes the entry, and starts today's reminder at once
    // when the reminder was off and the default book is there. Switching off
    // removes the entry; without one there is nothing to remove or tell.
    void switching_data()
    {
        QTest::addColumn<QString>("before"); // "1": an entry is there
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("databaseExists");
        QTest::addColumn<bool>("reminderStarted");
        QTest::newRow("on, database") << "0" << true << true << true;
        QTest::newRow("on, no database") << "0" << true << false << false;
        QTest::newRow("already on") << "1" << true << true << false;
        QTest::newRow("off") << "1" << false << true << false;
        QTest::newRow("off, no entry") << "0" << false << true << false;
    }
    void switching()
    {
        test::TestEnv env;
        QFETCH(QString, before);
        QFETCH(bool, on);
        QFETCH(bool, databaseExists);
        QFETCH(bool, reminderStarted);
        prepare(env, databaseExists, before);
        if (before == QLatin1String("1"))
            writeFile(logonEntryFile(), logonEntryContent(QCoreApplication::applicationFilePath()));

        QVERIFY(on ? enableReminder() : disableReminder());

        QCOMPARE(reminder(), on ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(env.launcher.starts,
                 std::vector<QStringList>(reminderStarted ? 1 : 0, QStringList{QStringLiteral("/Reminder")}));
        QCOMPARE(test::readAll(logonEntryFile()),
                 on ? logonEntryContent(QCoreApplication::applicationFilePath()) : QByteArray());
        QCOMPARE(logonEntryOutdated(), !on);
        QVERIFY(env.prompts.shown().empty());
    }

    // At start an entry that no longer starts this program is written again
    // while the reminder is on; the repair shows no reminder.
    void startRewritesAnOutdatedEntry_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QString>("reminderSetting");
        QTest::newRow("moved program, on")
            << QByteArray("[Desktop Entry]\nExec=\"/old/place/velmora\" /Reminder\n") << "1";
        QTest::newRow("unquoted path, off")
            << ("[Desktop Entry]\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + " /Reminder\n")
            << "0";
    }
    void startRewritesAnOutdatedEntry()
    {
        test::TestEnv env;
        QFETCH(QByteArray, entry);
        QFETCH(QString, reminderSetting);
        const bool rewritten = reminderSetting == QLatin1String("1");
        writeFile(logonEntryFile(), entry);
        prepare(env, true, reminderSetting);
        QVERIFY(logonEntryOutdated());

        refreshLogonEntry();

        QCOMPARE(logonEntryOutdated(), !rewritten);
        QCOMPARE(test::readAll(logonEntryFile()) == entry, !rewritten);
        QCOMPARE(reminder(), reminderSetting);
        QVERIFY(env.launcher.starts.empty());
    }

    // A file where the autostart folder should be, or a full folder where the
    // entry should be: the user is told which file, the switch is stored and
    // what stands in the way is left as it was.
    void blockedEntryIsReported_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::newRow("cannot be written") << true;
        QTest::newRow("cannot be removed") << false;
    }
    void blockedEntryIsReported()
    {
        test::TestEnv env;
        QFETCH(bool, enable);
        const QString obstacle = enable ? QFileInfo(logonEntryFile()).absolutePath()
                                        : logonEntryFile() + QStringLiteral("/inside");
        writeFile(obstacle, "in the way");

        QVERIFY(!(enable ? enableReminder() : disableReminder()));

        QCOMPARE(reminder(), enable ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(env.prompts.messageCount(), 1);
        QVERIFY(env.prompts.lastMessage().contains(logonEntryFile()));
        QCOMPARE(env.prompts.shown().front().icon, Icon::Exclamation);
        QCOMPARE(test::readAll(obstacle), QByteArray("in the way"));
    }
};

QTEST_GUILESS_MAIN(TestLogonEntry)
#include "tst_logonentry.moc"
