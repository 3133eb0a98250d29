#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

namespace velmora {

// Where the version check asks, and how long it waits for an answer.
struct VersionServer {
    // The publisher's web server: used for the connection (without a
    // proxy), the request line and the Host header.
    QString host;
    // The port of the connection without a proxy.
    quint16 port = 80;
    // A check that has not ended after this many milliseconds (a server that
    // connects and never answers, a connection that hangs) is given up.
    int giveUpAfterMs = 15000;
};

// The check for a newer version: one HTTP GET of the latest version number
// from the publisher's web server, through the user's HTTP proxy when one is
// set, entirely in the background. Nothing ever waits on the network and no
// failure is shown: failures while setting up the connection are written to
// the error log, everything after that ends the check quietly.
//
// The answer is read until its header and body are complete (the body as
// long as the header's Content-Length) or the connection ends. Each arrival
// of data that does not complete it arms a second look 500 ms later.
class VersionCheck : public QObject {
    Q_OBJECT
public:
    explicit VersionCheck(QObject *parent = nullptr);
    ~VersionCheck() override;

    // The server every new check asks (the publisher's; tests point it at a
    // local one).
    static VersionServer defaultServer();
    static void setDefaultServer(const VersionServer &server);
    void setServer(const VersionServer &server) { m_server = server; }
    const VersionServer &server() const { return m_server; }

    // Starts a check when the setting "Check version" is "1" (a check still
    // running is dropped first). Returns whether the check is switched on,
    // which the menu entry shows.
    bool checkVersion();
    // Reads what has arrived; once the answer is complete (or the connection
    // has ended) closes the connection and evaluates it. True when the answer
    // was read with status 200 and a body.
    bool readVersionAnswer();

    // The latest version the last successful answer named.
    QString latestVersion() const { return m_latestVersion; }
    bool isRunning() const { return m_running; }

signals:
    // The server names a version worth announcing (shouldAnnounce).
    void newerVersion(const QString &version);
    // The check has ended, whatever its outcome.
    void ended();

private:
    void sendRequest();
    void connectionEnded();
    void connectionFailed();
    void giveUp();
    bool evaluate();
    void stop();
    void logFailure(int number, const QString &description);

    VersionServer m_server;
    QTcpSocket *m_wskMain;
    QTimer *m_tmrVersion;
    QTimer *m_giveUp;
    QByteArray m_received;
    QString m_latestVersion;
    bool m_running = false;
};

} // namespace velmora
