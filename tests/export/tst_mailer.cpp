#include "FakeSendmail.h"
#include "TestBook.h"
#include "TestEnv.h"
#include "TestFiles.h"

#include "app/Seams.h"
#include "export/Mailer.h"

#include <QJsonArray>
#include <QtTest>

using namespace velmora;

namespace {

// Every byte value, then a pattern, size bytes in all.
QByteArray binary(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(i < 256 ? unsigned(i) : (unsigned(i) * 7919u) >> 3);
    return data;
}

} // namespace

class TestMailer : public QObject {
    Q_OBJECT
private slots:
    void plainRecipient_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // empty: refused
        const char *rows[][3] = {{"plain", "anna@example.org", "anna@example.org"},
                                 {"blanks around", "  anna@example.org ", "anna@example.org"},
                                 {"special local", "a+b&c%d'e@example.org", "a+b&c%d'e@example.org"},
                                 {"single label", "root@localhost", "root@localhost"},
                                 {"non-ASCII domain", "jo@bücher.de", "jo@xn--bcher-kva.de"},
                                 {"non-ASCII local", "jürgen@bücher.de", "jürgen@xn--bcher-kva.de"},
                                 {"empty", "", ""},
                                 {"line break", "a@example.org\nBcc: b@example.org", ""},
                                 {"carriage return", "a@example.org\r", ""},
                                 {"comma list", "a@example.org, b@example.org", ""},
                                 {"semicolon list", "a@example.org;b@example.org", ""},
                                 {"with name", "Anna <a@example.org>", ""},
                                 {"header text", "To: a@example.org", ""},
                                 {"no at", "example.org", ""},
                                 {"two at", "a@b@example.org", ""},
                                 {"no local", "@example.org", ""},
                                 {"no domain", "a@", ""},
                                 {"option", "-oi@example.org", ""},
                                 {"dots", "a..b@example.org", ""},
                                 {"blank inside", "a b@example.org", ""},
                                 {"bad label", "a@-example.org", ""},
                                 {"empty label", "a@example..org", ""},
                                 {"control beyond ASCII", "a\u0085b@example.org", ""}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
    }
    void plainRecipient()
    {
        QFETCH(QString, text);
        QTEST(velmora::plainRecipient(text), "expected");
    }

    // The message as sendmail receives it, read back by Python's mail parser: every
    // header once, folded within 78 columns, the text, each attachment byte for
    // byte under its own name.
    void messageReachesSendmail_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("to");
        const QString plain = QStringLiteral(" anna+box@example.org ");
        QTest::newRow("ASCII") << "Velmora database: Velmora.mdb"
                               << "Here it is.\r\n\r\n---\r\nVelmora 1.3.4" << QStringList{"Velmora.mdb"}
                               << 70000 << plain;
        QTest::newRow("non-ASCII") << QString::fromUtf8("Adressbuch: Größe ✓ 日本語")
                                   << QString::fromUtf8("Grüße\r\n= end ")
                                   << QStringList{QString::fromUtf8("Bücher €.mdb")} << 1
                                   << QStringLiteral("jürgen@bücher.de");
        QTest::newRow("long names") << QString(120, QChar(0x00e9)) +
                                           QStringLiteral(" and a long tail of words to fold")
                                    << QString(300, QLatin1Char('x')) + QStringLiteral("\nFrom here")
                                    << QStringList{QString(80, QChar(0x00fc)) + QStringLiteral(".mdb"),
                                                   QStringLiteral("quote \"and\\ back.txt")}
                                    << 58 << plain;
        QTest::newRow("line break in names")
            << QStringLiteral("one\nBcc: x@example.org") << QStringLiteral("\n.\n")
            << QStringList{QStringLiteral("a\nb.mdb")} << 0 << plain;
        QTest::newRow("no attachment")
            << QStringLiteral("Hi") << QStringLiteral("Only text") << QStringList{} << 0 << plain;
        QTest::newRow("long plain subject")
            << "Velmora database: " + QString(30, u'a') + " " + QString(50, u'b') + " c"
            << QStringLiteral("x") << QStringList{} << 0 << plain;
    }
    void messageReachesSendmail()
    {
        QFETCH(QString, subject);
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        QFETCH(int, size);
        QFETCH(QString, to);
        test::TestEnv env;
        test::FakeSendmail sendmail(env.file(QStringLiteral("bin")));
        test::ScriptTransport transport(sendmail.program());

        MailMessage message{to, subject, text, {}};
        std::vector<QByteArray> contents;
        for (int i = 0; i < names.size(); ++i) {
            contents.push_back(binary(size + i));
            message.attachments << env.file(QStringLiteral("files/") + names[i]);
            test::writeFile(message.attachments.back(), contents.back());
        }
        const MailError e = sendMail(message);
        QVERIFY2(!e, qPrintable(e.description));
        QCOMPARE(sendmail.arguments(), QByteArray("-t\n-i\n"));

        const QByteArray raw = sendmail.message();
        QVERIFY(!raw.contains('\r'));
        const QByteArray head = raw.left(raw.indexOf("\n\n"));
        for (const QByteArray &line : head.split('\n'))
            QVERIFY2(line.size() <= 78, line.constData());
        for (const QByteArray &line : raw.split('\n'))
            QVERIFY(line.size() <= 998);

        const QJsonObject mail = test::parseMail(sendmail.messagePath(), env.file(QStringLiteral("out")));
        QVERIFY(!mail.isEmpty());
        QCOMPARE(mail[QStringLiteral("defects")].toArray().size(), 0);
        QCOMPARE(mail[QStringLiteral("To")].toString(), velmora::plainRecipient(to));
        QVERIFY(mail["count To"].toInt() == 1 && mail["count Cc"].toInt() == 0 &&
                mail["count Bcc"].toInt() == 0);
        QString oneLineSubject = subject;
        oneLineSubject.replace(QLatin1Char('\n'), QLatin1Char(' '));
        QCOMPARE(mail[QStringLiteral("Subject")].toString(), oneLineSubject);
        QCOMPARE(mail[QStringLiteral("Date")].toString(), QStringLiteral("2026-12-06 10:00:00"));
        QVERIFY(QRegularExpression(QStringLiteral("^<[0-9a-f]{32}@[A-Za-z0-9.-]+>$"))
                    .match(mail[QStringLiteral("Message-ID")].toString())
                    .hasMatch());
        QCOMPARE(mail[QStringLiteral("MIME-Version")].toString(), QStringLiteral("1.0"));
        QString lfText = text;
        lfText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        // A message of text alone ends with a line end.
        if (names.isEmpty() && !lfText.endsWith(QLatin1Char('\n')))
            lfText += QLatin1Char('\n');
        QCOMPARE(mail[QStringLiteral("text")].toString(), lfText);

        const QJsonArray parsedNames = mail[QStringLiteral("names")].toArray();
        QCOMPARE(parsedNames.size(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(parsedNames[i].toString(), names[i]);
            QCOMPARE(test::readAll(env.file(QStringLiteral("out/%1").arg(i))), contents[size_t(i)]);
        }
    }

    // Each failure comes back with its number and a text; sendmail never
    // runs for a refused recipient or a missing file.
    void failures_data()
    {
        QTest::addColumn<QByteArray>("tail"); // of the script; empty: no sendmail
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("ran");
        const QString to = QStringLiteral("anna@example.org");
        QTest::newRow("exit status with complaint") << QByteArray("echo 'queue is full' >&2\nexit 75\n") << to
                                                    << true << 75 << "queue is full" << true;
        QTest::newRow("exit status alone") << QByteArray("exit 1\n") << to << true << 1
                                           << "The sendmail program ended with exit status 1" << true;
        QTest::newRow("killed") << QByteArray("kill -KILL $$\n") << to << true << kMailStopped
                                << "The sendmail program was stopped before it finished." << true;
        QTest::newRow("no sendmail") << QByteArray() << to << true << kMailNoSendmail
                                     << "No sendmail program is installed." << false;
        QTest::newRow("file unreadable") << QByteArray("exit 0\n") << to << false << kMailFileUnreadable
                                         << "The file cannot be read: " << false;
        QTest::newRow("two recipients") << QByteArray("exit 0\n") << "a@example.org,b@example.org" << true
                                        << kMailBadRecipient << "This is not one e-mail address:\n"
                                        << false;
    }
    void failures()
    {
        QFETCH(QByteArray, tail);
        QFETCH(QString, to);
        QFETCH(bool, fileThere);
        QFETCH(QString, description);
        test::TestEnv env;
        test::FakeSendmail sendmail(env.file(QStringLiteral("bin")), tail);
        if (tail.isEmpty())
            QFile::remove(sendmail.program());
        test::ScriptTransport transport(sendmail.program());
        const QString book = env.file(QStringLiteral("Velmora.mdb"));
        if (fileThere)
            test::writeFile(book, binary(1000));

        const MailError e = sendMail({to, QStringLiteral("s"), QStringLiteral("t"), {book}});
        QTEST(e.number, "number");
        QVERIFY2(e.description.startsWith(description), qPrintable(e.description));
        QTEST(sendmail.ran(), "ran");
    }

    // A sendmail that gives up before reading a large message: the failure is
    // reported, the broken pipe does not bring the program down.
    void sendmailLeavesEarly()
    {
        test::TestEnv env;
        const QString folder = env.file(QStringLiteral("bin"));
        test::writeFile(folder + QStringLiteral("/sendmail"), "#!/bin/sh\necho refused >&2\nexit 69\n");
        QFile::setPermissions(folder + QStringLiteral("/sendmail"),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        test::ScriptTransport transport(folder + QStringLiteral("/sendmail"));
        const QString book = env.file(QStringLiteral("big.mdb"));
        test::writeFile(book, binary(4 * 1024 * 1024));
        const MailError e =
            sendMail({QStringLiteral("a@example.org"), QStringLiteral("s"), QString(), {book}});
        QCOMPARE(e.number, 69);
        QCOMPARE(e.description, QStringLiteral("refused"));
    }

    // What the user sees: a failure is shown and logged; without sendmail
    // the desktop's composer is offered and opened with the file attached.
    void reporting_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("sent");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<bool>("composer");
        QTest::newRow("sent") << "/usr/sbin/sendmail" << 0 << int(Answer::Ok) << true << "" << false;
        QTest::newRow("refused") << "/usr/sbin/sendmail" << 75 << int(Answer::Ok) << false
                                 << "Send e-mail error: 75: full" << false;
        QTest::newRow("no sendmail, composer")
            << "" << 0 << int(Answer::Yes) << true
            << "Send e-mail error: -1: No sendmail program is installed." << true;
        QTest::newRow("no sendmail, declined")
            << "" << 0 << int(Answer::No) << false
            << "Send e-mail error: -1: No sendmail program is installed." << false;
    }
    void reporting()
    {
        QFETCH(QString, program);
        QFETCH(int, number);
        QFETCH(int, answer);
        QFETCH(QString, logged);
        QFETCH(bool, composer);
        test::TestEnv env;
        env.mail.program = program;
        env.mail.result = {number, QStringLiteral("full")};
        env.prompts.queueAnswer(Answer(answer));
        const QString book = env.file(QStringLiteral("Velmora.mdb"));
        test::writeFile(book, "book");

        const MailMessage message{
            QStringLiteral("a@example.org"), QStringLiteral("Subject"), QStringLiteral("Text"), {book}};
        QTEST(sendMailReporting(message), "sent");
        const QString log = test::readLog(env);
        QCOMPARE(env.prompts.messageCount(), logged.isEmpty() ? 0 : 1);
        if (logged.isEmpty())
            QVERIFY(log.isEmpty());
        else
            QVERIFY2(log.endsWith(" - " + logged + "\r\n") &&
                         env.prompts.lastMessage().startsWith("Error " + logged.mid(19)),
                     qPrintable(log));
        if (composer) {
            QCOMPARE(env.launcher.programs.size(), size_t(1));
            QCOMPARE(env.launcher.programs[0],
                     (QStringList{"xdg-email", "--utf8", "--subject", "Subject", "--body", "Text", "--attach",
                                  book, "a@example.org"}));
        } else {
            QVERIFY(env.launcher.programs.empty());
        }
    }

    // The composer without a recipient leaves the address to the user; a recipient
    // that is not one address is refused there too.
    void composer()
    {
        test::TestEnv env;
        QVERIFY(!composeMail(
            {QString(), QStringLiteral("S"), QStringLiteral("a\r\nb"), {QStringLiteral("/x/e.htm")}}));
        QCOMPARE(env.launcher.programs.size(), size_t(1));
        QCOMPARE(env.launcher.programs[0], (QStringList{"xdg-email", "--utf8", "--subject", "S", "--body",
                                                        "a\nb", "--attach", "/x/e.htm"}));
        QCOMPARE(composeMail({QStringLiteral("a@b, c@d"), {}, {}, {}}).number, kMailBadRecipient);
        env.launcher.programStarts = false;
        QCOMPARE(composeMail({QStringLiteral("a@example.org"), {}, {}, {}}).number, kMailNoComposer);
    }

    void base64Lines_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {0, 1, 2, 3, 56, 57, 58, 114, 1000})
            QTest::addRow("%d", size) << size;
    }
    void base64Lines()
    {
        QFETCH(int, size);
        const QByteArray data = binary(size);
        const QByteArray lines = mime::base64Lines(data);
        for (const QByteArray &line : lines.split('\n'))
            QVERIFY(line.size() <= 76);
        QVERIFY(size == 0 || lines.endsWith('\n'));
        QCOMPARE(QByteArray(lines).replace('\n', QByteArray()), data.toBase64());
    }
};

QTEST_GUILESS_MAIN(TestMailer)
#include "tst_mailer.moc"
