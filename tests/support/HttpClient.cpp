#include "support/HttpClient.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <vector>

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
    QObject::disconnect(&socket, nullptr, nullptr, nullptr);
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

QByteArray postRequest(const QByteArray &path, const QByteArray &body,
                       const QByteArrayList &headers)
{
    QByteArray request = "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    request += "Content-Type: application/json\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n";
    for (const QByteArray &h : headers)
        request += h + "\r\n";
    return request + "\r\n" + body;
}

HttpResponse httpPost(quint16 port, const QByteArray &path, const QByteArray &body,
                      const QByteArrayList &headers)
{
    return httpExchange(port, postRequest(path, body, headers));
}

QList<HttpResponse> httpExchangeAll(quint16 port, const QList<QByteArray> &requests, int timeoutMs)
{
    struct Exchange
    {
        QTcpSocket socket;
        QByteArray received;
        HttpResponse response;
        bool done = false;
    };
    std::vector<std::unique_ptr<Exchange>> exchanges;
    QEventLoop loop;
    int open = int(requests.size());
    for (const QByteArray &request : requests) {
        exchanges.push_back(std::make_unique<Exchange>());
        Exchange *x = exchanges.back().get();
        const auto finish = [x, &open, &loop, request](bool closed) {
            if (!x->done && parse(x->received, closed, request.startsWith("HEAD "), x->response)) {
                x->done = true;
                if (--open == 0)
                    loop.quit();
            }
        };
        QObject::connect(&x->socket, &QTcpSocket::connected, &loop,
                         [x, request] { x->socket.write(request); });
        QObject::connect(&x->socket, &QTcpSocket::readyRead, &loop, [x, finish] {
            x->received += x->socket.readAll();
            finish(false);
        });
        QObject::connect(&x->socket, &QTcpSocket::disconnected, &loop, [x, finish] {
            x->received += x->socket.readAll();
            finish(true);
        });
        x->socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (open > 0)
        loop.exec();
    QList<HttpResponse> responses;
    for (const auto &x : exchanges) {
        QObject::disconnect(&x->socket, nullptr, nullptr, nullptr);
        x->socket.abort();
        responses << (x->done ? x->response : HttpResponse());
    }
    return responses;
}
