#include "TestEnv.h"
#include "TestFiles.h"

#include "app/ErrorLog.h"
#include "app/Website.h"

#include <QtTest>

using namespace velmora;

// The log beside the program, or the one at the path given.
static QString readLog(const test::TestEnv &env, const QString &path = QString())
{
    QFile f(path.isEmpty() ? env.programFolder() + QStringLiteral("/Velmora.log") : path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class TestErrorLog : public QObject {
    Q_OBJECT
private slots:
    void lineHasDateTimeAndText()
    {
        test::TestEnv env;
        writeLog(QStringLiteral("Something broke"));
        const QString line = readLog(env);
        const QString date = QLocale::system().toString(QDate(2026, 12, 6), QLocale::ShortFormat);
        QVERIFY2(line.startsWith(date + QLatin1Char(' ')) &&
                     line.endsWith(QStringLiteral(" - Something broke\r\n")),
                 qPrintable(line));
        // Between the date and the dash: the fixed clock's 10:00, without a time zone.
        const QString time = line.mid(date.size() + 1).section(QStringLiteral(" - "), 0, 0);
        QVERIFY2(QRegularExpression(QStringLiteral("^10\\W00(\\W00)?( AM)?$")).match(time).hasMatch(),
                 qPrintable(time));
    }

    // A description holding a line break is written as it stands: the entry
    // goes on over the next line, followed by the line end.
    void descriptionWithLineBreak()
    {
        test::TestEnv env;
        reportError(QStringLiteral("Error saving person: "), 19, QStringLiteral("first line\nsecond line"));
        const QString log = readLog(env);
        QVERIFY2(log.endsWith(QStringLiteral(" - Error saving person: 19: first line\nsecond line\r\n")),
                 qPrintable(log));
        QCOMPARE(log.count(QStringLiteral("\r\n")), 1);
    }

    void unwritableLog()
    {
        test::TestEnv env;
        // A folder in the log's place: the log cannot be opened there, even by
        // root. The user's data folder takes the entry.
        QVERIFY(QDir(env.programFolder()).mkdir(QStringLiteral("Velmora.log")));
        writeLog(QStringLiteral("elsewhere"));
        QCOMPARE(fallbackLogFilePath(), env.home() + QStringLiteral("/.local/share/Velmora/Velmora.log"));
        QVERIFY(readLog(env, fallbackLogFilePath()).endsWith(QStringLiteral(" - elsewhere\r\n")));

        // The data folder is a plain file too: the entry is dropped without harm.
        const QString blocker = env.file(QStringLiteral("blocker"));
        test::writeFile(blocker, QByteArray());
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", blocker.toLocal8Bit());
        writeLog(QStringLiteral("lost"));
        qputenv("XDG_DATA_HOME", oldData);
        QCOMPARE(QFileInfo(blocker).size(), 0);
    }

    // A missing component: the message points to the website, which opens on
    // OK only, and the log keeps the entry.
    void componentReports()
    {
        test::TestEnv env;
        env.prompts.queueAnswer(Answer::Ok);
        mdacError(-2147221005, QStringLiteral("Invalid class string"));
        env.prompts.queueAnswer(Answer::Cancel);
        jetError(14, QStringLiteral("Cannot open file"));
        const QStringList entries{QStringLiteral("MdacError: -2147221005 Invalid class string"),
                                  QStringLiteral("JetError: 14 Cannot open file")};
        QCOMPARE(env.prompts.messageCount(), 2);
        const QString log = readLog(env);
        for (int i = 0; i < 2; ++i) {
            const auto &shown = env.prompts.shown().at(i);
            QVERIFY(shown.text.endsWith(websiteAddress() + QStringLiteral("\n\n") + entries[i]));
            QCOMPARE(shown.buttons, Buttons::OkCancel);
            QVERIFY(log.contains(QStringLiteral(" - ") + entries[i] + QStringLiteral("\r\n")));
        }
        QCOMPARE(env.launcher.urls, std::vector<QString>{websiteAddress()});
    }
};

QTEST_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
