#include "live/HttpAnswer.h"

#include "live/ResultsFeed.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QByteArray JsonType = QByteArrayLiteral("application/json; charset=utf-8");

} // namespace

HttpAnswer HttpAnswer::json(const LiveDocument &doc)
{
    HttpAnswer a;
    a.status = doc.status;
    a.contentType = JsonType;
    a.body = doc.body;
    a.etag = doc.etag;
    a.lastModified = doc.lastModified;
    if (doc.status == 503)
        a.headers.append({QByteArrayLiteral("Retry-After"), QByteArrayLiteral("1")});
    return a;
}

HttpAnswer HttpAnswer::json(int status, const QJsonDocument &doc)
{
    HttpAnswer a;
    a.status = status;
    a.contentType = JsonType;
    a.body = doc.toJson(QJsonDocument::Compact);
    return a;
}

HttpAnswer HttpAnswer::error(int status, const QString &text)
{
    return json(status, QJsonDocument(QJsonObject{{QStringLiteral("fehler"), text}}));
}
