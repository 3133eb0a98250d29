#include "FakeSendmail.h"
#include "TestBook.h"
#include "TestEnv.h"

#include "app/Seams.h"
#include "export/Mailer.h"
#include "export/SendDatabase.h"
#include "export/ui/SendEmailWindow.h"
#include "settings/Settings.h"
#include "store/Database.h"
#include "store/Sql.h"

#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>

using namespace velmora;

namespace {

int passwordPrompts(const RecordingPrompts &prompts)
{
    return int(std::ranges::count(prompts.shown(), RecordingPrompts::Shown::Password,
                                  &RecordingPrompts::Shown::kind));
}

QString lastNames()
{
    return test::rows(Database::instance().connection(),
                      QStringLiteral("SELECT Lastname FROM Person ORDER BY Contactnr "), {"Lastname"});
}

} // namespace

class TestSendDatabase : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnv> env;
    Database &db = Database::instance();
    QString path;
    QTemporaryDir templates;
    QString templateBook;

private slots:
    // A protected book of three persons, made once and copied for each test.
    void initTestCase()
    {
        test::TestEnv world;
        templateBook = templates.filePath(QStringLiteral("template.mdb"));
        QVERIFY(db.newDatabase(templateBook));
        QVERIFY(!executeSql(test::persons(1, 3, "Anna", "Zwackelmann")));
        QVERIFY(db.addPassword(templateBook, QStringLiteral("geheim")));
        db.closeDatabase(false);
    }
    // Every test starts with a copy of it open, its password in memory.
    void init()
    {
        env = std::make_unique<test::TestEnv>();
        path = env->documents() + QStringLiteral("/Adressen Müller.mdb");
        QVERIFY(QFile::copy(templateBook, path));
        db.setPassword(QStringLiteral("geheim"));
        QVERIFY(db.openDatabase(path));
        env->prompts.clear();
    }
    void cleanup()
    {
        db.closeDatabase(false);
        db.setPassword(QString());
        env.reset();
    }

    // The book goes out whole, under its own name, and is open again
    // afterwards without its password being asked.
    void sendsTheBook()
    {
        test::FakeSendmail sendmail(env->file(QStringLiteral("bin")));
        test::ScriptTransport transport(sendmail.program());
        QSignalSpy closed(&db, &Database::closed);

        QVERIFY(sendDatabase(QStringLiteral("anna@example.org"), QStringLiteral("Hier\r\nist es."), path));
        QCOMPARE(closed.count(), 1);
        QVERIFY(db.isOpen());
        QCOMPARE(db.path(), path);
        QCOMPARE(passwordPrompts(env->prompts), 0);
        QCOMPARE(env->prompts.messageCount(), 0);
        QCOMPARE(lastNames(), QStringLiteral("Zwackelmann1|Zwackelmann2|Zwackelmann3"));
        QCOMPARE(getSetting(QStringLiteral("Email")), QStringLiteral("anna@example.org"));

        const QJsonObject mail = test::parseMail(sendmail.messagePath(), env->file(QStringLiteral("out")));
        QCOMPARE(mail[QStringLiteral("To")].toString(), QStringLiteral("anna@example.org"));
        QCOMPARE(mail[QStringLiteral("Subject")].toString(),
                 QStringLiteral("Velmora database: Adressen Müller.mdb"));
        QCOMPARE(mail[QStringLiteral("text")].toString(), QStringLiteral("Hier\nist es."));
        QCOMPARE(mail[QStringLiteral("names")].toArray(), QJsonArray{QStringLiteral("Adressen Müller.mdb")});
        db.closeDatabase(false);
        QCOMPARE(test::readAll(env->file(QStringLiteral("out/0"))), test::readAll(path));
    }

    // A failed send: the message, the log line, and the book open again
    // with its persons.
    void failures_data()
    {
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("logged");

        QTest::newRow("exit status") << QByteArray("echo 'no route' >&2\nexit 69\n") << "Error 69: no route"
                                     << "Send e-mail error: 69: no route";
        QTest::newRow("killed")
            << QByteArray("kill -KILL $$\n")
            << "Error -3: The sendmail program was stopped before it finished."
            << "Send e-mail error: -3: The sendmail program was stopped before it finished.";
    }
    void failures()
    {
        QFETCH(QByteArray, tail);
        QFETCH(QString, shown);
        QFETCH(QString, logged);
        test::FakeSendmail sendmail(env->file(QStringLiteral("bin")), tail);
        test::ScriptTransport transport(sendmail.program());

        QVERIFY(sendDatabase(QStringLiteral("anna@example.org"), QStringLiteral("x"), path));
        QCOMPARE(env->prompts.messageCount(), 1);
        QCOMPARE(env->prompts.lastMessage(), shown);
        QVERIFY2(test::readLog(*env).endsWith(QStringLiteral(" - ") + logged + QStringLiteral("\r\n")),
                 qPrintable(test::readLog(*env)));
        QVERIFY(db.isOpen());
        QCOMPARE(passwordPrompts(env->prompts), 0);
        QCOMPARE(lastNames(), QStringLiteral("Zwackelmann1|Zwackelmann2|Zwackelmann3"));
    }

    // No sendmail: the desktop's composer gets the book attached.
    void noSendmailOffersComposer()
    {
        env->mail.program.clear();
        env->prompts.queueAnswer(Answer::Yes);
        QVERIFY(sendDatabase(QStringLiteral("anna@example.org"), QStringLiteral("x"), path));
        QVERIFY(env->prompts.lastMessage().startsWith(
            QStringLiteral("Error -1: No sendmail program is installed.\n\n")));
        QCOMPARE(env->launcher.programs.size(), size_t(1));
        const QStringList call = env->launcher.programs[0];
        QCOMPARE(call.first(), QStringLiteral("xdg-email"));
        QCOMPARE(call[call.indexOf(QStringLiteral("--attach")) + 1], path);
        QCOMPARE(call.last(), QStringLiteral("anna@example.org"));
        QVERIFY(db.isOpen());
    }

    // A recipient that could smuggle in headers or more addresses is
    // refused before the book is touched; the window stays open.
    void badRecipientLeavesBookOpen()
    {
        saveSetting(QStringLiteral("Email"), QStringLiteral("old@example.org"));
        QSignalSpy closed(&db, &Database::closed);
        QVERIFY(
            !sendDatabase(QStringLiteral("a@example.org\nBcc: b@example.org"), QStringLiteral("x"), path));
        QCOMPARE(closed.count(), 0);
        QVERIFY(env->mail.messages.empty());
        QVERIFY(env->prompts.lastMessage().startsWith(QStringLiteral("This is not one e-mail address:")));
        QCOMPARE(getSetting(QStringLiteral("Email")), QStringLiteral("old@example.org"));
        QVERIFY(test::readLog(*env).isEmpty());
    }

    // The window: disabled without a saved address, else that address
    // offered again, selected; OK only with an address; OK sends and closes.
    void window()
    {
        QVERIFY(!SendEmailWindow(path).findChild<QPushButton *>(QStringLiteral("cmdOK"))->isEnabled());
        saveSetting(QStringLiteral("Email"), QStringLiteral("old@example.org"));
        SendEmailWindow window(path);
        auto *txtEmail = window.findChild<QLineEdit *>(QStringLiteral("txtEmail"));
        auto *cmdOK = window.findChild<QPushButton *>(QStringLiteral("cmdOK"));
        QVERIFY(txtEmail && cmdOK);
        QCOMPARE(txtEmail->text(), QStringLiteral("old@example.org"));
        QCOMPARE(txtEmail->selectedText(), txtEmail->text());
        QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("txtFile"))->text(), path);
        QVERIFY(
            window.findChild<QPlainTextEdit *>(QStringLiteral("txtDescription"))
                ->toPlainText()
                .startsWith(QStringLiteral("Velmora database: Adressen Müller.mdb\n\n---\nVelmora 1.3.4\n")));
        QVERIFY(cmdOK->isEnabled());
        txtEmail->clear();
        QVERIFY(!cmdOK->isEnabled());
        QTest::keyClicks(txtEmail, QStringLiteral("b"));
        QVERIFY(cmdOK->isEnabled());
        txtEmail->setText(QStringLiteral("new@example.org"));
        cmdOK->click();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(env->mail.messages.size(), size_t(1));
        QVERIFY(env->mail.messages[0].startsWith("To: new@example.org\n"));
        QVERIFY(db.isOpen());
    }
};

QTEST_MAIN(TestSendDatabase)
#include "tst_senddatabase.moc"
