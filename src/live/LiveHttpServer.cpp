#include "live/LiveHttpServer.h"

#include <QLocale>
#include <QPointer>
#include <QTcpSocket>

namespace {

QByteArray httpDate(const QDateTime &time)
{
    return QLocale::c()
        .toString(time.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"))
        .toLatin1();
}

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 409:
        return "Conflict";
    case 413:
        return "Payload Too Large";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray allowed(QHttpServerRequest::Methods methods)
{
    QByteArrayList names;
    if (methods & QHttpServerRequest::Method::Get)
        names << "GET"
              << "HEAD";
    if (methods & QHttpServerRequest::Method::Post)
        names << "POST";
    return names.join(", ");
}

// What the answer depends on besides the handler's result, kept for an answer given later.
struct Asked
{
    bool head = false;
    bool close = false;
    QByteArray ifNoneMatch;
};

void write(QTcpSocket *socket, const Asked &asked, HttpAnswer a)
{
    if (a.status == 200 && LiveHttpServer::matchesEtag(asked.ifNoneMatch, a.etag)) {
        a.status = 304;
        a.body.clear();
    }
    QByteArray out = "HTTP/1.1 " + QByteArray::number(a.status) + ' ' + reason(a.status) + "\r\n";
    const auto header = [&out](const QByteArray &name, const QByteArray &value) {
        out += name + ": " + value + "\r\n";
    };
    if (a.status != 304 && !a.contentType.isEmpty())
        header("Content-Type", a.contentType);
    if (!a.etag.isEmpty())
        header("ETag", a.etag);
    if (a.lastModified.isValid())
        header("Last-Modified", httpDate(a.lastModified));
    // Every answer is checked again before use: the standing changes while it is shown.
    header("Cache-Control", "no-cache");
    header("X-Content-Type-Options", "nosniff");
    header("Referrer-Policy", "no-referrer");
    for (const auto &[name, value] : a.headers)
        header(name, value);
    if (asked.close)
        header("Connection", "close");
    if (a.status != 304)
        header("Content-Length", QByteArray::number(a.body.size()));
    out += "\r\n";
    if (!asked.head)
        out += a.body;
    socket->write(out);
    if (asked.close)
        socket->disconnectFromHost();
}

} // namespace

LiveHttpServer::LiveHttpServer(QObject *parent) : QAbstractHttpServer(parent)
{ }

void LiveHttpServer::route(const QString &path, QHttpServerRequest::Methods methods,
                           Handler handler)
{
    if (methods & QHttpServerRequest::Method::Get)
        methods |= QHttpServerRequest::Method::Head;
    m_routes[path] = Route{methods, std::move(handler)};
}

void LiveHttpServer::route(const QString &path, QHttpServerRequest::Methods methods,
                           const HttpAnswer &fixed)
{
    route(path, methods, [fixed](const QHttpServerRequest &, const Reply &reply) { reply(fixed); });
}

bool LiveHttpServer::matchesEtag(const QByteArray &ifNoneMatch, const QByteArray &etag)
{
    if (etag.isEmpty())
        return false;
    for (QByteArray candidate : ifNoneMatch.split(',')) {
        candidate = candidate.trimmed();
        if (candidate == "*")
            return true;
        // If-None-Match compares weakly: a weak tag matches its strong twin.
        if (candidate.startsWith("W/"))
            candidate = candidate.mid(2);
        if (candidate == etag)
            return true;
    }
    return false;
}

bool LiveHttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    if (ConnectionGuard *guard = ConnectionGuard::of(socket))
        guard->requestDone();
    Asked asked;
    asked.head = request.method() == QHttpServerRequest::Method::Head;
    asked.close = request.value(QByteArrayLiteral("connection")).toLower() == "close";
    asked.ifNoneMatch = request.value(QByteArrayLiteral("if-none-match"));
    // The connection may be gone by the time a later answer is ready.
    const Reply reply = [socket = QPointer<QTcpSocket>(socket), asked](const HttpAnswer &a) {
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            write(socket, asked, a);
    };

    const auto found = m_routes.find(request.url().path());
    if (found == m_routes.end()) {
        reply(HttpAnswer::error(404, QStringLiteral("Diese Seite gibt es nicht.")));
        return true;
    }
    const Route &route = found->second;
    if (!(route.methods & request.method())) {
        HttpAnswer a =
            HttpAnswer::error(405, QStringLiteral("Diese Anfrage ist hier nicht erlaubt."));
        a.headers.append({QByteArrayLiteral("Allow"), allowed(route.methods)});
        reply(a);
        return true;
    }
    route.handler(request, reply);
    return true;
}

void LiveHttpServer::missingHandler(const QHttpServerRequest &, QTcpSocket *socket)
{
    write(socket, Asked(), HttpAnswer::error(404, QStringLiteral("Diese Seite gibt es nicht.")));
}
