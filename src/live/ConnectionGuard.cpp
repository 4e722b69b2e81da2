#include "live/ConnectionGuard.h"

#include <QTcpSocket>

namespace {

QByteArray refusal(int status, const QByteArray &reason)
{
    const QByteArray body = "{\"fehler\":\"" + reason + "\"}";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason
        + "\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

ConnectionGuard::ConnectionGuard(QTcpSocket *socket, const ConnectionLimits &limits)
    : QObject(socket), m_socket(socket), m_limits(limits)
{
    setObjectName(QStringLiteral("ConnectionGuard"));
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, m_socket, &QTcpSocket::abort);
    // Connected before the server's own handler, so the guard sees every byte first.
    connect(m_socket, &QTcpSocket::readyRead, this, &ConnectionGuard::onReadyRead);
    m_timer.start(m_limits.idleTimeoutMs);
}

ConnectionGuard *ConnectionGuard::of(QTcpSocket *socket)
{
    return socket ? socket->findChild<ConnectionGuard *>(QStringLiteral("ConnectionGuard"),
                                                         Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void ConnectionGuard::requestDone()
{
    m_headerBytes = 0;
    m_bodyBytes = 0;
    m_inBody = false;
    m_tail.clear();
    m_timer.start(m_limits.idleTimeoutMs);
}

void ConnectionGuard::onReadyRead()
{
    // The server reads everything it is given, so what is waiting now arrived just now.
    const QByteArray fresh = m_socket->peek(m_socket->bytesAvailable());
    if (fresh.isEmpty())
        return;
    if (m_headerBytes == 0 && !m_inBody)
        m_timer.start(m_limits.requestTimeoutMs);
    qsizetype bodyStart = fresh.size();
    if (!m_inBody) {
        const QByteArray seen = m_tail + fresh;
        qsizetype end = seen.indexOf("\r\n\r\n");
        qsizetype endLength = 4;
        const qsizetype bare = seen.indexOf("\n\n");
        if (bare >= 0 && (end < 0 || bare < end)) {
            end = bare;
            endLength = 2;
        }
        if (end >= 0) {
            m_inBody = true;
            bodyStart = end + endLength - m_tail.size();
        }
        m_headerBytes += bodyStart;
        m_tail = seen.right(3);
    }
    if (m_headerBytes > m_limits.maxHeaderBytes)
        return refuse(431, "Request Header Fields Too Large");
    m_bodyBytes += fresh.size() - bodyStart;
    if (m_bodyBytes > m_limits.maxBodyBytes)
        refuse(413, "Payload Too Large");
}

void ConnectionGuard::refuse(int status, const QByteArray &reason)
{
    // Nobody else reads this connection any more: the server would go on buffering.
    disconnect(m_socket, &QTcpSocket::readyRead, nullptr, nullptr);
    m_socket->write(refusal(status, reason));
    m_socket->disconnectFromHost();
    m_timer.start(m_limits.requestTimeoutMs);
}

GuardedTcpServer::GuardedTcpServer(const ConnectionLimits &limits, QObject *parent)
    : QTcpServer(parent), m_limits(limits)
{ }

void GuardedTcpServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (m_open >= m_limits.maxConnections) {
        socket->write(refusal(503, "Service Unavailable"));
        socket->disconnectFromHost();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(m_limits.requestTimeoutMs, socket, &QTcpSocket::abort);
        return;
    }
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });
    new ConnectionGuard(socket, m_limits);
    addPendingConnection(socket);
}
