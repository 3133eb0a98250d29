#include "LocalWebServer.h"
#include "TestBook.h"
#include "TestEnv.h"

#include "app/ErrorLog.h"
#include "settings/Settings.h"
#include "version/VersionAnswer.h"
#include "version/VersionCheck.h"
#include "version/VersionNumber.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace velmora;

using Portions = QList<QByteArray>;

// The version check against a web server and a proxy on 127.0.0.1: the
// request bytes, the reading of the answer and what is announced.
class TestVersionCheck : public QObject {
    Q_OBJECT

    static constexpr int kLongWait = 10000;
    static inline const QByteArray kDirectRequest =
        QByteArrayLiteral("GET /velmora/info/latestversion.txt HTTP/1.1\r\nUser-Agent: Velmora "
                          "1.3.4\r\nHost: 127.0.0.1\r\n\r\n");

    std::unique_ptr<test::TestEnv> m_env;
    std::unique_ptr<test::LocalWebServer> m_web;
    std::unique_ptr<VersionCheck> m_check;

    QTimer *secondLook() const { return m_check->findChild<QTimer *>(QStringLiteral("tmrVersion")); }
    QTcpSocket *socket() const { return m_check->findChild<QTcpSocket *>(QStringLiteral("wskMain")); }
    static QString logText() { return QString::fromLocal8Bit(test::readAll(logFilePath())); }
    // Runs one check against the local server; between portions it waits
    // until the check has read the previous one and found it incomplete.
    QStringList runCheck(const Portions &portions, bool close)
    {
        m_web->portions = portions;
        m_web->closeAfterLast = close;
        QSignalSpy newer(m_check.get(), &VersionCheck::newerVersion);
        QSignalSpy ended(m_check.get(), &VersionCheck::ended);
        if (!m_check->checkVersion())
            qFatal("check switched off");
        for (qsizetype i = 1; i < portions.size(); ++i) {
            [&] { QTRY_VERIFY_WITH_TIMEOUT(secondLook()->isActive(), kLongWait); }();
            secondLook()->stop();
            [&] { QVERIFY2(ended.isEmpty(), "the check ended on part of the answer"); }();
            m_web->sendNext();
        }
        [&] { QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, kLongWait); }();
        QStringList announced;
        for (const QList<QVariant> &args : newer)
            announced << args.at(0).toString();
        return announced;
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnv>();
        qunsetenv("http_proxy");
        qunsetenv("HTTP_PROXY");
        saveSetting(QStringLiteral("Check version"), QStringLiteral("1"));
        m_web = std::make_unique<test::LocalWebServer>();
        VersionServer server;
        server.host = QStringLiteral("127.0.0.1");
        server.port = m_web->port();
        m_check = std::make_unique<VersionCheck>();
        m_check->setServer(server);
    }
    void cleanup()
    {
        m_check.reset();
        m_web.reset();
        m_env.reset();
    }

    void isNewerVersion_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("newer");
        // clang-format off
        QTest::newRow("patch") << "1.3.5" << "1.3.4" << true;
        QTest::newRow("equal") << "1.3.4" << "1.3.4" << false;
        QTest::newRow("parts are numbers") << "1.3.10" << "1.3.9" << true;
        QTest::newRow("minor over patch") << "1.10.0" << "1.9.9" << true;
        QTest::newRow("major over the rest") << "2.0.0" << "1.99.99" << true;
        QTest::newRow("line end ignored") << "1.3.5\r\n" << "1.3.4" << true;
        QTest::newRow("leading zeros") << "01.03.005" << "1.3.4" << true;
        QTest::newRow("letters dropped") << "v1.3.5b" << "1.3.4" << true;
        QTest::newRow("two parts") << "1.4" << "1.3.4" << false;
        QTest::newRow("part without digits") << "1.x.5" << "1.3.4" << false;
        QTest::newRow("part too large") << "1.3.32768" << "1.3.4" << false;
        QTest::newRow("largest part") << "1.3.32767" << "1.3.4" << true;
        QTest::newRow("unreadable b") << "1.3.5" << "" << false;
        // clang-format on
    }
    void isNewerVersion()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QTEST(velmora::isNewerVersion(a, b), "newer");
    }

    // Any bytes at all are read without harm, and only a status line with an
    // empty line after the header is readable.
    void readAnswer_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("version");
        // clang-format off
        QTest::newRow("empty") << QByteArray() << false << 0 << "";
        QTest::newRow("only the empty line") << QByteArray("\r\n\r\n") << true << 0 << "";
        QTest::newRow("status after the header") << QByteArray("HTTP\r\n\r\n/1.1 200 OK") << true << 0 << "";
        QTest::newRow("no empty line") << QByteArray("HTTP/1.1 200 OK\r\n1.3.5") << false << 0 << "";
        QTest::newRow("status no number") << QByteArray("HTTP/1.1 2x0 OK\r\n\r\n1.3.5") << true << 0 << "";
        QTest::newRow("short length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n1.3.") << false << 200 << "";
        QTest::newRow("bytes beyond the length") << QByteArray("HTTP/1.1 200 OK\r\ncontent-length:5\r\n\r\n1.3.5.6") << true << 200 << "1.3.5";
        QTest::newRow("length no number") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n1.3.5") << false << 200 << "1.3.5";
        QTest::newRow("huge length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n1.3.5") << false << 200 << "1.3.5";
        QTest::newRow("no length") << QByteArray("HTTP/1.0 200 OK\r\n\r\n 1.3.5\r\n") << false << 200 << "1.3.5";
        QTest::newRow("not found") << QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 99\r\n\r\n") << true << 404 << "";
        QTest::newRow("html page") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 19\r\n\r\n<p>Version 1.5.0</p>") << true << 200 << "";
        QTest::newRow("two versions") << QByteArray("HTTP/1.1 200 OK\r\n\r\n1.3.5\r\n1.3.6") << false << 200 << "";
        QTest::newRow("NUL bytes") << QByteArray("HTTP/1.1 200 OK\r\n\r\n1.3.5\0", 25) << false << 200 << "";
        // clang-format on
    }
    void readAnswer()
    {
        QFETCH(QByteArray, answer);
        const VersionAnswer read = readVersionAnswer(answer);
        QTEST(isAnswerComplete(answer), "complete");
        QTEST(read.status, "status");
        QCOMPARE(read.readable, read.status != 0);
        QTEST(read.version, "version");
    }

    // The request is exactly the path, two headers and the empty line; what is
    // announced depends on the answer and the version the user asked to skip.
    void answers_data()
    {
        QTest::addColumn<Portions>("portions");
        QTest::addColumn<bool>("close");
        QTest::addColumn<QString>("since");
        QTest::addColumn<QStringList>("announced");
        QTest::addColumn<QString>("latest");
        const QStringList none;
        using test::okAnswer;
        // clang-format off
        QTest::newRow("running version") << Portions{okAnswer("1.3.4")} << false << "" << none << "1.3.4";
        QTest::newRow("newer") << Portions{okAnswer("1.3.5")} << false << "" << QStringList{"1.3.5"} << "1.3.5";
        QTest::newRow("ignored version") << Portions{okAnswer("1.4.0")} << false << "1.4.0" << none << "1.4.0";
        QTest::newRow("after the ignored") << Portions{okAnswer("1.4.1")} << false << "1.4.0" << QStringList{"1.4.1"} << "1.4.1";
        QTest::newRow("before the ignored") << Portions{okAnswer("1.3.5")} << false << "1.4.0" << none << "1.3.5";
        QTest::newRow("older ignored, newer") << Portions{okAnswer("1.3.5")} << false << "1.2.0" << QStringList{"1.3.5"} << "1.3.5";
        QTest::newRow("unreadable ignored") << Portions{okAnswer("1.3.5")} << false << "later" << QStringList{"1.3.5"} << "1.3.5";
        QTest::newRow("not found") << Portions{"HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n\r\n1.9.9"} << false << "" << none << "";
        QTest::newRow("empty body") << Portions{okAnswer("")} << false << "" << none << "";
        QTest::newRow("garbage body") << Portions{okAnswer("<html>1.5.0</html>")} << false << "" << none << "<html>1.5.0</html>";
        QTest::newRow("garbage, closed") << Portions{"garbage 1.5.0 without a header"} << true << "" << none << "";
        QTest::newRow("status no number") << Portions{"HTTP/1.1 OK\r\n\r\n1.5.0"} << true << "" << none << "";
        QTest::newRow("endless answer") << Portions{"HTTP/1.1 200 OK\r\n\r\n" + QByteArray(70000, '1')} << false << "" << none << "";
        QTest::newRow("no length, closed") << Portions{"HTTP/1.1 200 OK\r\n\r\n1.3.5\r\n"} << true << "" << QStringList{"1.3.5"} << "1.3.5";
        QTest::newRow("split status line") << Portions{"HTTP/1.1 2", "00 OK\r\nContent-Length: 5\r\n\r\n1.3.5"} << false << "" << QStringList{"1.3.5"} << "1.3.5";
        QTest::newRow("split body") << Portions{"HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n1.3.1", "0"} << false << "1.3.9" << QStringList{"1.3.10"} << "1.3.10";
        QTest::newRow("split, closed") << Portions{"HTTP/1.1 200 OK\r\n", "\r\n1.3.1", "0\r\n"} << true << "1.3.9" << QStringList{"1.3.10"} << "1.3.10";
        // clang-format on
    }
    void answers()
    {
        QFETCH(Portions, portions);
        QFETCH(bool, close);
        QFETCH(QString, since);
        saveSetting(QStringLiteral("Check version Since"), since);
        QTEST(runCheck(portions, close), "announced");
        QTEST(m_check->latestVersion(), "latest");
        QCOMPARE(m_web->received, kDirectRequest);
        QCOMPARE(m_web->connections, 1);
        QVERIFY(!m_check->isRunning());
        QCOMPARE(socket()->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(logText().isEmpty());
        QVERIFY(m_env->prompts.shown().empty());
    }

    // An answer not read successfully gets one more look 500 ms later, finding nothing.
    void notFoundGetsASecondLook()
    {
        QSignalSpy newer(m_check.get(), &VersionCheck::newerVersion);
        QSignalSpy looks(secondLook(), &QTimer::timeout);
        m_web->portions = {"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"};
        QVERIFY(m_check->checkVersion());
        QTRY_VERIFY_WITH_TIMEOUT(!m_check->isRunning(), kLongWait);
        QVERIFY(secondLook()->isActive());
        QCOMPARE(secondLook()->interval(), 500);
        QVERIFY(looks.wait(kLongWait));
        QVERIFY(!secondLook()->isActive());
        QVERIFY(newer.isEmpty());
        QCOMPARE(m_web->connections, 1);
    }

    // Through a proxy the request line carries the publisher's absolute address.
    void throughProxy_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::newRow("http_proxy") << QByteArray("http_proxy");
        QTest::newRow("HTTP_PROXY") << QByteArray("HTTP_PROXY");
    }
    void throughProxy()
    {
        QFETCH(QByteArray, variable);
        m_check = std::make_unique<VersionCheck>(); // the publisher's server
        const QString host = m_check->server().host;
        QVERIFY(!host.isEmpty());
        qputenv(variable.constData(), QStringLiteral("http://%1/").arg(m_web->address()).toLatin1());
        QCOMPARE(runCheck({test::okAnswer("1.3.5")}, false), QStringList{"1.3.5"});
        QCOMPARE(m_web->received, QStringLiteral("GET http://%1/velmora/info/latestversion.txt HTTP/1.1\r\n"
                                                 "User-Agent: Velmora 1.3.4\r\nHost: %1\r\n\r\n")
                                      .arg(host)
                                      .toLatin1());
    }

    // An unusable proxy setting is logged with the check's text; nothing is shown.
    void unusableProxyIsLogged_data()
    {
        QTest::addColumn<QString>("proxy");
        QTest::addColumn<QString>("entry");
        // clang-format off
        QTest::newRow("no port") << "proxy.example" << "withVelmora: 13 - Type mismatch";
        QTest::newRow("port no number") << "proxy.example:http" << "withVelmora: 13 - Type mismatch";
        QTest::newRow("port too large") << "proxy.example:65536" << "withVelmora: 6 - Overflow";
        QTest::newRow("port 0") << "proxy.example:0" << "withVelmora: 6 - Overflow";
        QTest::newRow("no host") << ":3128" << "withVelmora: 5 - Invalid procedure call or argument";
        // clang-format on
    }
    void unusableProxyIsLogged()
    {
        QFETCH(QString, proxy);
        QFETCH(QString, entry);
        qputenv("http_proxy", proxy.toLatin1());
        QSignalSpy ended(m_check.get(), &VersionCheck::ended);
        QVERIFY(m_check->checkVersion());
        QVERIFY(!m_check->isRunning());
        const QString log = logText();
        QCOMPARE(log.count(QStringLiteral("\r\n")), 1);
        QVERIFY2(
            log.contains(QStringLiteral(" - The following error occured in the function \"Check Version\" ") +
                         entry),
            qPrintable(log));
        QVERIFY(ended.isEmpty());
        QVERIFY(m_env->prompts.shown().empty());
    }

    // A proxy port above 32767 is an ordinary port.
    void highProxyPort()
    {
        test::LocalWebServer proxy;
        if (proxy.port() <= 32767)
            QSKIP("the system gave a low port");
        qputenv("http_proxy", proxy.address().toLatin1());
        proxy.portions = {test::okAnswer("1.3.5")};
        QSignalSpy newer(m_check.get(), &VersionCheck::newerVersion);
        QVERIFY(m_check->checkVersion());
        QVERIFY(newer.wait(kLongWait));
        QVERIFY(logText().isEmpty());
    }

    // A server that accepts and never answers is given up quietly.
    void silentServer()
    {
        VersionServer server = m_check->server();
        server.giveUpAfterMs = 300;
        m_check->setServer(server);
        QCOMPARE(runCheck({}, false), QStringList());
        QCOMPARE(m_web->received, kDirectRequest);
        QCOMPARE(socket()->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(logText().isEmpty());
    }

    // Nobody listening: the check ends quietly.
    void connectionRefused()
    {
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        VersionServer server = m_check->server();
        server.port = gone.serverPort();
        gone.close();
        m_check->setServer(server);
        QSignalSpy ended(m_check.get(), &VersionCheck::ended);
        QVERIFY(m_check->checkVersion());
        QVERIFY(ended.wait(kLongWait));
        QVERIFY(m_check->latestVersion().isEmpty());
        QVERIFY(logText().isEmpty());
    }

    // Switched off (or anything but "1"): no connection at all.
    void switchedOff()
    {
        m_web->portions = {test::okAnswer("1.3.5")};
        for (const char *setting : {"0", "", "Yes"}) {
            saveSetting(QStringLiteral("Check version"), QLatin1String(setting));
            QVERIFY2(!m_check->checkVersion(), setting);
        }
        QCoreApplication::processEvents();
        QCOMPARE(m_web->connections, 0);
    }

    // A new check drops the one still running and asks again.
    void newCheckReplacesRunningOne()
    {
        QVERIFY(m_check->checkVersion());
        QTRY_COMPARE_WITH_TIMEOUT(m_web->connections, 1, kLongWait);
        QCOMPARE(runCheck({test::okAnswer("1.3.5")}, false), QStringList{"1.3.5"});
        QCOMPARE(m_web->connections, 2);
        QCOMPARE(m_web->received, kDirectRequest + kDirectRequest);
    }
};

QTEST_GUILESS_MAIN(TestVersionCheck)
#include "tst_versioncheck.moc"
