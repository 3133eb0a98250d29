#pragma once

#include <QtNetwork>
#include <QtTest>

namespace velmora::test {

// A real CardDAV server for tests: Debian's Radicale on 127.0.0.1 (free port,
// temporary storage, plain htpasswd with user "anna"/"secret", owner-only
// rights). The request helpers act as another program on the server, never
// through the program's own client; they follow no redirects and accept the
// server's own certificate.
//
//     RadicaleServer server;
//     VELMORA_START_RADICALE(server); // skips when Radicale is not installed
//     const QUrl book = server.createAddressBook("anna", "contacts");
//     server.putCard("anna", RadicaleServer::cardUrl(book, "a.vcf"), vcardBytes);
class RadicaleServer {
public:
    // status 0: no answer (error says why).
    struct Answer {
        int status = 0;
        QByteArray body;
        QByteArray etag;
        QString error;
        bool ok() const { return status >= 200 && status < 300; }
    };

    RadicaleServer() { m_users.insert(QStringLiteral("anna"), QStringLiteral("secret")); }
    ~RadicaleServer() { stop(); }

    static bool isInstalled()
    {
        return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) &&
               QFileInfo::exists(QStringLiteral("/usr/lib/python3/dist-packages/radicale/__init__.py"));
    }

    QString password(const QString &user) const { return m_users.value(user); }
    // Before start(): serve HTTPS with these PEM files.
    void setTls(const QString &certificateFile, const QString &keyFile)
    {
        m_certificate = certificateFile;
        m_key = keyFile;
    }

    // Waits at most 15 s for connections; false with errorText() otherwise.
    // A restart keeps the port and the cards.
    bool start()
    {
        stop();
        if (!isInstalled())
            return fail(QStringLiteral("Radicale is not installed (Debian package radicale)."));
        if (m_port == 0 && (m_port = freePort()) == 0)
            return fail(QStringLiteral("no free port on 127.0.0.1"));
        QDir(m_dir.path()).mkpath(QStringLiteral("collections"));
        QByteArray users;
        for (auto it = m_users.cbegin(); it != m_users.cend(); ++it)
            users += it.key().toUtf8() + ':' + it.value().toUtf8() + '\n';
        if (!writeFile(QStringLiteral("users"), users) || !writeFile(QStringLiteral("config"), config()))
            return fail(QStringLiteral("could not write Radicale's configuration"));

        m_process.setWorkingDirectory(m_dir.path());
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral("-m"), QStringLiteral("radicale"), QStringLiteral("--config"),
                         m_dir.filePath(QStringLiteral("config"))});
        if (!m_process.waitForStarted(5000))
            return fail(QStringLiteral("Radicale did not start: ") + m_process.errorString());

        for (QDeadlineTimer deadline(15000); !deadline.hasExpired();) {
            if (m_process.waitForFinished(50) || m_process.state() != QProcess::Running)
                return fail(QStringLiteral("Radicale stopped at start: ") + serverOutput());
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            if (probe.waitForConnected(500))
                return true;
        }
        const QString output = serverOutput();
        stop();
        return fail(QStringLiteral("Radicale did not answer within 15 s: ") + output);
    }

    // Terminates the server, killing it when it does not end within 5 s.
    void stop()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            kill();
    }
    // Kills the server at once, as a crash would.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QString errorText() const { return m_error; }
    QUrl baseUrl() const
    {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(isTls() ? "https" : "http").arg(m_port));
    }
    QString storageFolder() const { return m_dir.filePath(QStringLiteral("collections")); }

    // Creates /<user>/<name>/ (extended MKCOL) and returns its URL, or fails
    // the test and returns an empty URL.
    QUrl createAddressBook(const QString &user, const QString &name, const QString &displayName = {})
    {
        const QUrl url = baseUrl().resolved(QUrl(user + QLatin1Char('/') + name + QLatin1Char('/')));
        const QString shown = (displayName.isEmpty() ? name : displayName).toHtmlEscaped();
        const QByteArray body =
            QByteArrayLiteral(
                "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                "<D:mkcol xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\">"
                "<D:set><D:prop><D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
                "<D:displayname>") +
            shown.toUtf8() + QByteArrayLiteral("</D:displayname></D:prop></D:set></D:mkcol>");
        // The principal's collection comes into being at its first request.
        request(user, "PROPFIND", baseUrl().resolved(QUrl(user + QLatin1Char('/'))), {}, {{"Depth", "0"}});
        const Answer answer =
            request(user, "MKCOL", url, body, {{"Content-Type", "application/xml; charset=utf-8"}});
        if (answer.status != 201)
            QTest::qFail(qPrintable(QStringLiteral("MKCOL %1: status %2 %3")
                                        .arg(url.toString())
                                        .arg(answer.status)
                                        .arg(answer.error + QString::fromUtf8(answer.body))),
                         __FILE__, __LINE__);
        return answer.status == 201 ? url : QUrl();
    }
    static QUrl cardUrl(const QUrl &book, const QString &fileName) { return book.resolved(QUrl(fileName)); }

    // With If-Match when ifMatch is not empty.
    Answer putCard(const QString &user, const QUrl &url, const QByteArray &card,
                   const QByteArray &ifMatch = {})
    {
        QList<QPair<QByteArray, QByteArray>> headers = {{"Content-Type", "text/vcard; charset=utf-8"}};
        if (!ifMatch.isEmpty())
            headers.append({"If-Match", ifMatch});
        return request(user, "PUT", url, card, headers);
    }
    // Writes cards (file name -> card) straight into the collection's storage,
    // far faster than one PUT each.
    bool storeCards(const QUrl &book, const QList<QPair<QString, QByteArray>> &cards)
    {
        const QString folder = m_dir.filePath(QStringLiteral("collections/collection-root")) + book.path();
        for (const auto &[fileName, data] : cards) {
            QFile file(folder + fileName);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
                return false;
        }
        return true;
    }
    Answer deleteCard(const QString &user, const QUrl &url) { return request(user, "DELETE", url); }
    Answer getCard(const QString &user, const QUrl &url) { return request(user, "GET", url); }

    // vCard 3.0 with CR LF.
    static QByteArray simpleCard(const QString &uid, const QString &fullName)
    {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() + "\r\nFN:" + fullName.toUtf8() +
               "\r\nN:" + fullName.toUtf8() + ";;;;\r\nEND:VCARD\r\n";
    }

    // Any request as user, waiting at most 15 s.
    Answer request(const QString &user, const QByteArray &method, const QUrl &url,
                   const QByteArray &body = {}, const QList<QPair<QByteArray, QByteArray>> &headers = {})
    {
        QNetworkRequest req(url);
        req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        req.setRawHeader("Authorization",
                         "Basic " + (user + QLatin1Char(':') + m_users.value(user)).toUtf8().toBase64());
        for (const auto &[name, value] : headers)
            req.setRawHeader(name, value);
        QNetworkReply *reply = m_network.sendCustomRequest(req, method, body);
        QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply] { reply->ignoreSslErrors(); });
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(15000, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        reply->deleteLater();
        if (!reply->isFinished())
            return reply->abort(), Answer{0, {}, {}, QStringLiteral("no answer within 15 s")};
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        return {status, reply->readAll(), reply->rawHeader("ETag"),
                status ? QString() : reply->errorString()};
    }

private:
    bool fail(const QString &text) { return m_error = text, false; }
    bool isTls() const { return !m_certificate.isEmpty(); }
    QString serverOutput() { return QString::fromUtf8(m_stderr += m_process.readAllStandardError()); }
    static quint16 freePort()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
    }
    bool writeFile(const QString &name, const QByteArray &data)
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
    }
    QByteArray config() const
    {
        QByteArray text = "[server]\nhosts = 127.0.0.1:" + QByteArray::number(m_port) + "\n";
        if (isTls())
            text +=
                "ssl = True\ncertificate = " + m_certificate.toUtf8() + "\nkey = " + m_key.toUtf8() + "\n";
        return text + "[auth]\ntype = htpasswd\nhtpasswd_filename = " +
               m_dir.filePath(QStringLiteral("users")).toUtf8() +
               "\nhtpasswd_encryption = plain\ndelay = 0\n[rights]\ntype = owner_only\n"
               "[storage]\nfilesystem_folder = " +
               storageFolder().toUtf8() +
               "\n[web]\ntype = none\n[logging]\nlevel = warning\nmask_passwords = True\n";
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    QNetworkAccessManager m_network;
    QMap<QString, QString> m_users;
    QString m_certificate;
    QString m_key;
    QString m_error;
    QByteArray m_stderr;
    quint16 m_port = 0;
};

} // namespace velmora::test

// Skips the test when Radicale is not installed, fails it (with Radicale's
// output) when the server does not come up.
#define VELMORA_START_RADICALE(server)                                                                       \
    do {                                                                                                     \
        if (!velmora::test::RadicaleServer::isInstalled())                                                   \
            QSKIP(                                                                                           \
                "Radicale is not installed (Debian package radicale): no CardDAV server to test against.");  \
        if (!(server).start())                                                                               \
            QFAIL(qPrintable((server).errorText()));                                                         \
    } while (false)
