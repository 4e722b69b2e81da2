#pragma once

#include <QObject>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

// Limits that Qt HTTP Server 6.4 does not enforce itself: it buffers a request line, the
// headers and a body of any size, and keeps idle connections forever.
struct ConnectionLimits
{
    qint64 maxHeaderBytes = 16 * 1024; // request line and headers: beyond, 431
    qint64 maxBodyBytes = 64 * 1024; // beyond, 413
    int maxConnections = 1024; // beyond, a new connection gets 503 and is closed
    int requestTimeoutMs = 10'000; // from a request's first byte to its last
    int idleTimeoutMs = 60'000; // a kept-alive connection without a request
};

// Watches one connection before the HTTP server reads from it: counts the bytes of the
// request under way and answers and closes when a limit is passed or the client stalls.
class ConnectionGuard : public QObject
{
    Q_OBJECT

public:
    ConnectionGuard(QTcpSocket *socket, const ConnectionLimits &limits);

    // The server has answered the request: the next one starts from nothing.
    void requestDone();

    static ConnectionGuard *of(QTcpSocket *socket);

private:
    void onReadyRead();
    void refuse(int status, const QByteArray &reason);

    QTcpSocket *m_socket;
    ConnectionLimits m_limits;
    QTimer m_timer;
    qint64 m_headerBytes = 0;
    qint64 m_bodyBytes = 0;
    bool m_inBody = false;
    QByteArray m_tail; // the last bytes seen, to find the blank line that ends the headers
};

// Hands every accepted connection to the HTTP server with a guard already watching it.
class GuardedTcpServer : public QTcpServer
{
    Q_OBJECT

public:
    explicit GuardedTcpServer(const ConnectionLimits &limits, QObject *parent = nullptr);

    int openConnections() const { return m_open; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    ConnectionLimits m_limits;
    int m_open = 0;
};
