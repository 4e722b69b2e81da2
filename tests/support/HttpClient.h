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

// POST of a body (JSON unless headers say otherwise) with extra header lines.
HttpResponse httpPost(quint16 port, const QByteArray &path, const QByteArray &body,
                      const QByteArrayList &headers = {});
QByteArray postRequest(const QByteArray &path, const QByteArray &body,
                       const QByteArrayList &headers = {});

// Several exchanges at once, each on a connection of its own, all sent before any answer is
// read: the answers in the order of the requests.
QList<HttpResponse> httpExchangeAll(quint16 port, const QList<QByteArray> &requests,
                                    int timeoutMs = 20000);
