#include "version/VersionCheck.h"

#include "app/ErrorLog.h"
#include "app/ProgramInfo.h"
#include "app/Website.h"
#include "settings/Environment.h"
#include "settings/Settings.h"
#include "version/VersionAnswer.h"
#include "version/VersionNumber.h"

#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace velmora {

namespace {

// The version file holds a dozen bytes; an answer beyond this is no answer.
constexpr qsizetype kLargestAnswer = 64 * 1024;
constexpr int kSecondLookMs = 500;

// Error numbers and texts of the failures while setting up the connection.
constexpr int kInvalidArgument = 5;
constexpr int kOverflow = 6;
constexpr int kTypeMismatch = 13;

VersionServer &serverDefaults()
{
    static VersionServer server{websiteHost(), 80, 15000};
    return server;
}

bool allDigits(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(),
                                          [](QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; });
}

} // namespace

VersionCheck::VersionCheck(QObject *parent)
    : QObject(parent), m_server(defaultServer()), m_wskMain(new QTcpSocket(this)),
      m_tmrVersion(new QTimer(this)), m_giveUp(new QTimer(this))
{
    setObjectName(QStringLiteral("versionCheck"));
    m_wskMain->setObjectName(QStringLiteral("wskMain"));
    // The user's proxy is spoken to directly (absolute address in the
    // request line), never through Qt's own proxy handling.
    m_wskMain->setProxy(QNetworkProxy::NoProxy);
    m_tmrVersion->setObjectName(QStringLiteral("tmrVersion"));
    m_tmrVersion->setInterval(kSecondLookMs);
    m_tmrVersion->setSingleShot(true);
    m_giveUp->setSingleShot(true);

    connect(m_wskMain, &QTcpSocket::connected, this, &VersionCheck::sendRequest);
    connect(m_wskMain, &QTcpSocket::readyRead, this, [this] {
        if (!readVersionAnswer())
            m_tmrVersion->start();
    });
    connect(m_tmrVersion, &QTimer::timeout, this, [this] {
        m_tmrVersion->stop();
        readVersionAnswer();
    });
    connect(m_wskMain, &QTcpSocket::disconnected, this, &VersionCheck::connectionEnded);
    connect(m_wskMain, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The server closing the connection is the normal end of an answer
        // (handled by disconnected); every other error ends the check.
        if (error != QAbstractSocket::RemoteHostClosedError)
            connectionFailed();
    });
    connect(m_giveUp, &QTimer::timeout, this, &VersionCheck::giveUp);
}

VersionCheck::~VersionCheck()
{
    m_wskMain->disconnect(this);
    m_wskMain->abort();
}

VersionServer VersionCheck::defaultServer()
{
    return serverDefaults();
}

void VersionCheck::setDefaultServer(const VersionServer &server)
{
    serverDefaults() = server;
}

bool VersionCheck::checkVersion()
{
    if (getSetting(QStringLiteral("Check version")) != QLatin1String("1"))
        return false;
    stop();
    m_tmrVersion->stop();

    QString host = m_server.host;
    quint16 port = m_server.port;
    const QString proxy = getProxy();
    if (!proxy.isEmpty()) {
        host = proxyHost(proxy).trimmed();
        const QString portText = proxyPort(proxy).trimmed();
        if (!allDigits(portText)) {
            logFailure(kTypeMismatch,
                       QStringLiteral("Type mismatch: the proxy \"%1\" names no port number").arg(proxy));
            return true;
        }
        const qlonglong number = portText.size() > 9 ? 0 : portText.toLongLong();
        if (number < 1 || number > 65535) {
            logFailure(
                kOverflow,
                QStringLiteral("Overflow: the proxy port %1 is not between 1 and 65535").arg(portText));
            return true;
        }
        if (host.isEmpty()) {
            logFailure(kInvalidArgument,
                       QStringLiteral("Invalid procedure call or argument: the proxy \"%1\" names no host")
                           .arg(proxy));
            return true;
        }
        port = quint16(number);
    }
    m_running = true;
    m_giveUp->start(m_server.giveUpAfterMs);
    m_wskMain->connectToHost(host, port);
    return true;
}

void VersionCheck::sendRequest()
{
    if (!m_running)
        return;
    // The proxy is asked again here: it decides the form of the request line.
    m_wskMain->write(versionRequest(m_server.host, !getProxy().isEmpty()));
}

bool VersionCheck::readVersionAnswer()
{
    if (!m_running)
        return false;
    m_received += m_wskMain->readAll();
    if (m_received.size() > kLargestAnswer) {
        stop();
        emit ended();
        return false;
    }
    if (m_wskMain->state() == QAbstractSocket::ConnectedState && !isAnswerComplete(m_received))
        return false;
    return evaluate();
}

void VersionCheck::connectionEnded()
{
    if (!m_running)
        return;
    m_received += m_wskMain->readAll();
    if (m_received.size() > kLargestAnswer) {
        stop();
        emit ended();
        return;
    }
    evaluate();
}

void VersionCheck::connectionFailed()
{
    if (!m_running)
        return;
    stop();
    emit ended();
}

void VersionCheck::giveUp()
{
    // What arrived may be cut short: it is not read.
    connectionFailed();
}

bool VersionCheck::evaluate()
{
    const QByteArray received = std::exchange(m_received, QByteArray());
    stop();
    const VersionAnswer answer = velmora::readVersionAnswer(received);
    const QString body = answer.body.trimmed();
    const bool read = answer.readable && answer.status == 200 && !body.isEmpty();
    if (read) {
        m_latestVersion = body;
        if (!answer.version.isEmpty() && shouldAnnounce(answer.version, programVersion(),
                                                        getSetting(QStringLiteral("Check version Since"))))
            emit newerVersion(m_latestVersion);
    }
    emit ended();
    return read;
}

void VersionCheck::stop()
{
    // Cleared first: closing the socket reports its end synchronously.
    m_running = false;
    m_received.clear();
    m_giveUp->stop();
    m_wskMain->abort();
}

void VersionCheck::logFailure(int number, const QString &description)
{
    writeLog(QStringLiteral("The following error occured in the function \"Check Version\" with") +
             QStringLiteral("Velmora: ") + QString::number(number) + QStringLiteral(" - ") + description);
}

} // namespace velmora
