#pragma once

#include "live/LiveHttpServer.h"

class LiveDocuments;

// The board's JSON interface: the open event and the rank lists, computed by the feed.
// Parameters are checked here, before anything is read.
class BoardApi
{
public:
    explicit BoardApi(LiveDocuments &documents) : m_documents(documents) { }

    // GET /api/event
    void event(const QHttpServerRequest &request, const LiveHttpServer::Reply &reply);
    // GET /api/ranklist?kind=single|group|additional|combined&category=all|<KatNr>
    void rankList(const QHttpServerRequest &request, const LiveHttpServer::Reply &reply);

private:
    LiveDocuments &m_documents;
};
