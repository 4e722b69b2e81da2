#pragma once

#include "live/HttpAnswer.h"

class QHttpServerRequest;
class ResultsFeed;

// The board's JSON interface: the open event and the rank lists, read through the feed.
// Parameters are checked here, before anything is read.
class BoardApi
{
public:
    explicit BoardApi(ResultsFeed &feed) : m_feed(feed) { }

    // GET /api/event
    HttpAnswer event(const QHttpServerRequest &request);
    // GET /api/ranklist?kind=single|group|additional|combined&category=all|<KatNr>
    HttpAnswer rankList(const QHttpServerRequest &request);

private:
    ResultsFeed &m_feed;
};
