#include "TestBook.h"
#include "TestEnv.h"

#include "birthdays/ui/ReminderWindow.h"

#include <QProcess>
#include <QSettings>
#include <QtTest>
#include <sys/stat.h>

using namespace velmora;

namespace {

// Identifies the file a path names: a compacted book is a new file.
QString fileId(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("missing");
    return QStringLiteral("%1:%2").arg(st.st_dev).arg(st.st_ino);
}

} // namespace

class TestReminderMode : public QObject {
    Q_OBJECT

private slots:
    // The reminder writes nothing, so closing its window closes the book
    // without compacting it (a compaction would rewrite the file under the
    // main window of a copy started with Details).
    void closingTheWindowLeavesTheFile()
    {
        test::TestEnv env;
        const QString path = env.documents() + QStringLiteral("/book.mdb");
        Database &db = Database::instance();
        QVERIFY(db.newDatabase(path));
        QVERIFY(!executeSql(test::person(1, "Ada", "Birthday", "#12/6/1980#")));
        const QString before = fileId(path);
        {
            ReminderWindow window({});
            window.show();
            window.close();
        }
        QVERIFY(!db.isOpen());
        QCOMPARE(fileId(path), before);
    }

    // "velmora /Reminder" asked to stop (kill, the desktop's logout) closes
    // its window the ordinary way and ends with exit status 0.
    void stopRequestEndsNormally()
    {
        const QString program = QStringLiteral(VELMORA_BUILD_DIR "/velmora");
        if (!QFileInfo(program).isExecutable())
            QSKIP("the program is not built");
        test::TestEnv env;
        const QString path = env.documents() + QStringLiteral("/book.mdb");
        {
            // The program runs on the real clock: a birthday today.
            Connection c;
            const QDate today = QDate::currentDate();
            test::createBook(
                c, path,
                {test::person(1, "Ada", "Birthday",
                              QStringLiteral("#%1/%2/1980#").arg(today.month()).arg(today.day()))});
        }
        const QString home = env.file(QStringLiteral("program-home"));
        QSettings settings(home + QStringLiteral("/.config/Velmora/Velmora.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Default database"), path);
        settings.setValue(QStringLiteral("Reminder Since"), QStringLiteral("0"));
        settings.setValue(QStringLiteral("Reminder Sound"), QStringLiteral("0"));
        settings.sync();
        const QString before = fileId(path);

        QProcess velmora;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("VELMORA_REPORT_SHOWN"), QStringLiteral("1"));
        velmora.setProcessEnvironment(environment);
        velmora.start(program, {QStringLiteral("/Reminder")});
        QVERIFY(velmora.waitForStarted());
        while (!velmora.canReadLine() && velmora.waitForReadyRead(30000)) {
        }
        QCOMPARE(velmora.readLine().trimmed(), QByteArray("shown"));

        velmora.terminate(); // SIGTERM
        QVERIFY(velmora.waitForFinished(30000));
        QCOMPARE(velmora.exitStatus(), QProcess::NormalExit);
        QCOMPARE(velmora.exitCode(), 0);
        QCOMPARE(fileId(path), before); // closed, not compacted
    }
};

QTEST_MAIN(TestReminderMode)
#include "tst_remindermode.moc"
