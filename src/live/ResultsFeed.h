#pragma once

#include "data/DataLibrary.h"
#include "ranking/Standings.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QJsonDocument;

// An answer of the live server, computed once per state of the database.
struct LiveDocument
{
    int status = 200;
    QByteArray body; // JSON
    QByteArray etag; // quoted, as the header carries it; only a 200 answer has one and is kept
    QDateTime lastModified; // when the body last changed, as far as the server saw it
};

// One state of the database as the answers read it, inside one read transaction: what several
// answers need is read once for all of them.
class LiveRead
{
public:
    LiveRead(DataLibrary &data, int anlassNr) : data(data), anlassNr(anlassNr) { }

    DataLibrary &data;
    const int anlassNr;

    const std::optional<EventRow> &event();
    // The event's standings; only when event() has one.
    const Standings::Snapshot &standings();

private:
    bool m_eventRead = false;
    std::optional<EventRow> m_event;
    std::unique_ptr<Standings::Snapshot> m_standings;
};

// The reading side of the live server, in a thread of its own so that neither a long list
// nor a lock held by the program's commit ever holds up an answer: it keeps a read-only
// connection to the database directory, polls the data versions of its files twice a second,
// and computes every answer asked for so far again after each change, publishing the results.
// It never writes the files; a read gives way to the program's commits.
class ResultsFeed : public QObject
{
    Q_OBJECT

public:
    // Fills json and returns the HTTP status.
    using Compute = std::function<int(LiveRead &read, QJsonDocument &json)>;
    // Called in the feed's thread with each new answer.
    using Publish =
        std::function<void(quint64 generation, const QString &key, const LiveDocument &doc)>;

    explicit ResultsFeed(Publish publish);
    ~ResultsFeed() override;

    // Another directory or event; everything is computed afresh under the new generation.
    // Returns the error, empty when the directory could be opened.
    QString setSource(const QString &directory, int anlassNr, quint64 generation);
    // Computes key now and, when that gave an answer, from now on after every change.
    void compute(const QString &key, const Compute &compute);
    // Looks at the data versions now; after a change, recomputes and publishes.
    void checkForChanges();
    // Computes an answer that is neither kept nor computed again (one judge's question).
    LiveDocument once(const Compute &compute);

private:
    // Computes keys in one read transaction and publishes them; returns their statuses.
    QHash<QString, int> publish(const QStringList &keys);
    LiveDocument answer(const QString &key, LiveRead &read);

    Publish m_publish;
    DataLibrary m_data;
    QString m_directory;
    int m_anlassNr = 0;
    quint64 m_generation = 0;
    QTimer m_poll;
    QList<qint64> m_versions;
    QDateTime m_changedAt;
    QHash<QString, Compute> m_computes;
    QHash<QString, LiveDocument> m_published;
    QSet<QString> m_failed; // to try again at the next poll
};
