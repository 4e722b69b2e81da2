#pragma once

#include "live/ConnectionGuard.h"
#include "live/HttpAnswer.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QString>

#include <functional>
#include <map>

// The live server's HTTP side: one handler per path, looked up exactly (no path is ever
// mapped to a file), the methods each path allows (405 for the others, 404 for unknown
// paths), conditional requests answered with 304, HEAD answered like GET without the body,
// and the headers that keep a browser from reading an answer as something else. A handler
// may answer later, once its data is ready.
class LiveHttpServer : public QAbstractHttpServer
{
    Q_OBJECT

public:
    using Reply = std::function<void(const HttpAnswer &answer)>;
    using Handler = std::function<void(const QHttpServerRequest &request, const Reply &reply)>;

    explicit LiveHttpServer(QObject *parent = nullptr);

    // HEAD is allowed wherever GET is.
    void route(const QString &path, QHttpServerRequest::Methods methods, Handler handler);
    // The same answer to every request.
    void route(const QString &path, QHttpServerRequest::Methods methods, const HttpAnswer &fixed);

    // True when a request's If-None-Match names the answer's ETag.
    static bool matchesEtag(const QByteArray &ifNoneMatch, const QByteArray &etag);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    struct Route
    {
        QHttpServerRequest::Methods methods;
        Handler handler;
    };

    std::map<QString, Route> m_routes;
};
