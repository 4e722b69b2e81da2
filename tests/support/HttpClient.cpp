#include "support/HttpClient.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

namespace {

// True once the headers and the Content-Length bytes are in (a HEAD answer has no body).
bool parse(const QByteArray &data, bool closed, bool head, HttpResponse &response)
{
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QList<QByteArray> lines = data.left(end).split('\n');
    response = HttpResponse();
    response.status = lines.first().split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            response.headers.insert(line.left(colon).trimmed().toLower(),
                                    line.mid(colon + 1).trimmed());
    }
    const QByteArray body = data.mid(end + 4);
    if (!response.headers.contains("content-length")) {
        response.body = body;
        return closed || response.status == 304;
    }
    const qsizetype length = response.headers.value("content-length").toLongLong();
    if (head)
        return true;
    if (body.size() < length && !closed)
        return false;
    response.body = body.left(length);
    return true;
}

} // namespace

HttpResponse httpExchange(quint16 port, const QByteArray &request, int timeoutMs)
{
    QTcpSocket socket;
    QByteArray received;
    HttpResponse response;
    QEventLoop loop;
    bool done = false;
    const auto check = [&](bool closed) {
        if (!done && parse(received, closed, request.startsWith("HEAD "), response)) {
            done = true;
            loop.quit();
        }
    };
    QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] { socket.write(request); });
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        received += socket.readAll();
        check(false);
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, [&] {
        received += socket.readAll();
        check(true);
        loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, [&] {
        received += socket.readAll();
        check(true);
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    loop.exec();
    socket.abort();
    return done ? response : HttpResponse();
}

HttpResponse httpRequest(quint16 port, const QByteArray &method, const QByteArray &path,
                         const QByteArrayList &headers)
{
    QByteArray request = method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (const QByteArray &h : headers)
        request += h + "\r\n";
    return httpExchange(port, request + "\r\n");
}
