#include "live/LiveHttpServer.h"

#include <QHttpServerResponder>
#include <QLocale>
#include <QTcpSocket>

namespace {

QByteArray httpDate(const QDateTime &time)
{
    return QLocale::c()
        .toString(time.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"))
        .toLatin1();
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

HttpAnswer LiveHttpServer::answer(const QHttpServerRequest &request) const
{
    const auto found = m_routes.find(request.url().path());
    if (found == m_routes.end())
        return HttpAnswer::error(404, QStringLiteral("Diese Seite gibt es nicht."));
    const Route &route = found->second;
    if (!(route.methods & request.method())) {
        HttpAnswer a =
            HttpAnswer::error(405, QStringLiteral("Diese Anfrage ist hier nicht erlaubt."));
        a.headers.append({QByteArrayLiteral("Allow"), allowed(route.methods)});
        return a;
    }
    return route.handler(request);
}

bool LiveHttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    if (ConnectionGuard *guard = ConnectionGuard::of(socket))
        guard->requestDone();
    HttpAnswer a = answer(request);
    if (a.status == 200 && matchesEtag(request.value(QByteArrayLiteral("if-none-match")), a.etag)) {
        a.status = 304;
        a.body.clear();
    }
    send(request, socket, a);
    return true;
}

void LiveHttpServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    send(request, socket, HttpAnswer::error(404, QStringLiteral("Diese Seite gibt es nicht.")));
}

void LiveHttpServer::send(const QHttpServerRequest &request, QTcpSocket *socket,
                          const HttpAnswer &a)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(QHttpServerResponder::StatusCode(a.status));
    if (a.status != 304 && !a.contentType.isEmpty())
        responder.writeHeader(QByteArrayLiteral("Content-Type"), a.contentType);
    if (!a.etag.isEmpty())
        responder.writeHeader(QByteArrayLiteral("ETag"), a.etag);
    if (a.lastModified.isValid())
        responder.writeHeader(QByteArrayLiteral("Last-Modified"), httpDate(a.lastModified));
    // Every answer is checked again before use: the standing changes while it is shown.
    responder.writeHeader(QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-cache"));
    responder.writeHeader(QByteArrayLiteral("X-Content-Type-Options"),
                          QByteArrayLiteral("nosniff"));
    responder.writeHeader(QByteArrayLiteral("Referrer-Policy"), QByteArrayLiteral("no-referrer"));
    for (const auto &[name, value] : a.headers)
        responder.writeHeader(name, value);
    const bool close = request.value(QByteArrayLiteral("connection")).toLower() == "close";
    if (close)
        responder.writeHeader(QByteArrayLiteral("Connection"), QByteArrayLiteral("close"));
    if (a.status != 304)
        responder.writeHeader(QByteArrayLiteral("Content-Length"),
                              QByteArray::number(a.body.size()));
    const bool head = request.method() == QHttpServerRequest::Method::Head;
    responder.writeBody(head ? QByteArray() : a.body);
    if (close)
        socket->disconnectFromHost();
}
