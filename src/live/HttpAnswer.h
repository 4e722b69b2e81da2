#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>

class QJsonDocument;
struct LiveDocument;

// What a handler of the live server answers; the server adds the headers every answer
// carries and turns a matching If-None-Match into 304.
struct HttpAnswer
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QByteArray etag; // quoted; empty: no validator
    QDateTime lastModified; // invalid: none
    QList<QPair<QByteArray, QByteArray>> headers;

    static HttpAnswer json(const LiveDocument &doc);
    static HttpAnswer json(int status, const QJsonDocument &doc);
    // {"fehler": text}
    static HttpAnswer error(int status, const QString &text);
};
