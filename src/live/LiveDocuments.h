#pragma once

#include "live/ResultsFeed.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QThread>

#include <functional>

// The answers the live server gives, kept in the server's own thread, and the feed that
// computes them in a thread of its own. An answer asked for the first time is computed and
// given as soon as it is ready; after that the latest one is given at once, while the feed
// computes its successor after a change.
class LiveDocuments : public QObject
{
    Q_OBJECT

public:
    using Reply = std::function<void(const LiveDocument &doc)>;

    LiveDocuments();
    ~LiveDocuments() override;

    // Throws DatabaseError when the directory cannot be opened.
    void setSource(const QString &directory, int anlassNr);
    QString directory() const { return m_directory; }
    int anlassNr() const { return m_anlassNr; }

    // Replies now with the latest answer for key, or once compute has given the first one.
    void get(const QString &key, const ResultsFeed::Compute &compute, const Reply &reply);

    // Replies with an answer computed for this request alone, never kept.
    void read(const ResultsFeed::Compute &compute, const Reply &reply);

    // Asks the feed to look for changes now instead of at its next poll.
    void checkForChanges();

private:
    void publish(quint64 generation, const QString &key, const LiveDocument &doc);

    QThread m_thread;
    ResultsFeed *m_feed; // lives in m_thread
    QString m_directory;
    int m_anlassNr = 0;
    quint64 m_generation = 0; // answers of an earlier source are dropped
    QHash<QString, LiveDocument> m_documents;
    QHash<QString, QList<Reply>> m_waiting;
};
