#pragma once

#include "live/LiveHttpServer.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QQueue>

class LiveDocuments;
class PostAccess;
class ResultsDesk;

// The posts' JSON interface: a judge logs in with the post's code and then reads and writes
// the results of that post only, in the open event. Parameters are checked here, before
// anything is read or written; a refused request stores nothing.
class PostsApi : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype MaxBodyBytes = 8 * 1024;
    static constexpr int RememberedSaves = 20'000;

    PostsApi(PostAccess &access, LiveDocuments &documents, ResultsDesk &desk);

    // POST /api/login {"postenNr", "code"} -> {"token", "postenNr", "postenBez"}
    void login(const QHttpServerRequest &request, const LiveHttpServer::Reply &reply);
    // GET /api/teilnehmer[?startNr=S] -> the post's lines, all or those of one start number
    void participants(const QHttpServerRequest &request, const LiveHttpServer::Reply &reply);
    // POST /api/ergebnis {"teamNr", "punkte", "zeit", ["zusatzPunkte", "zusatzZeit", "vorher",
    // "id"]} -> the stored values
    void saveResult(const QHttpServerRequest &request, const LiveHttpServer::Reply &reply);

    // A new run: the saves of the last one are forgotten with its tokens.
    void forgetSaves();

Q_SIGNALS:
    // A post stored a result of the event: the program shows it at once.
    void resultStored(int anlassNr, int teamNr);

private:
    std::optional<int> authorizedPost(const QHttpServerRequest &request,
                                      const LiveHttpServer::Reply &reply) const;
    void remember(const QString &key, const HttpAnswer &answer);

    PostAccess &m_access;
    LiveDocuments &m_documents;
    ResultsDesk &m_desk;
    // Answers by post and save id: a save sent again, because its answer was lost on the way,
    // gets the first answer and is not stored twice.
    QHash<QString, HttpAnswer> m_answered;
    QQueue<QString> m_answeredOrder;
    QHash<QString, QList<LiveHttpServer::Reply>> m_underWay;
};
