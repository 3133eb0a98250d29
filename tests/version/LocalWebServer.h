#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace velmora::test {

// A web server (or proxy) on 127.0.0.1 for the version check: it records
// every byte the client sends and answers in portions. The first portion
// goes out once the request's header is complete, each further one when the
// test calls sendNext(); after the last one the connection is closed when
// closeAfterLast is set. With no portions the server stays silent.
class LocalWebServer {
public:
    LocalWebServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] { accept(); });
    }
    quint16 port() const { return m_server.serverPort(); }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }

    bool sendNext()
    {
        if (!m_client || m_next >= portions.size())
            return false;
        m_client->write(portions.at(m_next++));
        m_client->flush();
        if (m_next == portions.size() && closeAfterLast)
            m_client->disconnectFromHost();
        return true;
    }

    QList<QByteArray> portions;
    bool closeAfterLast = false;
    QByteArray received;
    int connections = 0;

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++connections;
            m_client = socket;
            m_next = 0;
            m_answering = false;
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                received += socket->readAll();
                if (socket == m_client && !m_answering && received.contains("\r\n\r\n")) {
                    m_answering = true;
                    sendNext();
                }
            });
        }
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    qsizetype m_next = 0;
    bool m_answering = false;
};

// An answer with status 200, a Content-Length and the body.
inline QByteArray okAnswer(const QByteArray &body)
{
    return QByteArrayLiteral("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: ") +
           QByteArray::number(body.size()) + QByteArrayLiteral("\r\n\r\n") + body;
}

} // namespace velmora::test
