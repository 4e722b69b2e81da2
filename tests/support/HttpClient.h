#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonDocument>

// One HTTP exchange with a server in this process, written byte by byte, while the event loop
// runs so that the server can answer. The connection is closed afterwards.
struct HttpResponse
{
    int status = 0; // 0: no answer
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;

    QJsonDocument json() const { return QJsonDocument::fromJson(body); }
};

HttpResponse httpExchange(quint16 port, const QByteArray &request, int timeoutMs = 5000);

// GET (or another method) of path with extra header lines ("Name: value").
HttpResponse httpRequest(quint16 port, const QByteArray &method, const QByteArray &path,
                         const QByteArrayList &headers = {});
