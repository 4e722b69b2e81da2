#pragma once

#include "data/DataLibrary.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>

class QJsonDocument;

// An answer of the live server, computed once per state of the database.
struct LiveDocument
{
    int status = 200;
    QByteArray body; // JSON
    QByteArray etag; // quoted, as the header carries it; empty for an answer not to keep
    QDateTime lastModified; // when the body last changed, as far as the server saw it
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
    // Fills json for the event anlassNr and returns the HTTP status; runs in a read transaction.
    using Compute = std::function<int(DataLibrary &data, int anlassNr, QJsonDocument &json)>;
    // Called in the feed's thread with each new answer.
    using Publish =
        std::function<void(quint64 generation, const QString &key, const LiveDocument &doc)>;

    explicit ResultsFeed(Publish publish);
    ~ResultsFeed() override;

    // Another directory or event; everything is computed afresh under the new generation.
    // Returns the error, empty when the directory could be opened.
    QString setSource(const QString &directory, int anlassNr, quint64 generation);
    // Computes key now and from now on after every change.
    void compute(const QString &key, const Compute &compute);
    // Looks at the data versions now; after a change, recomputes and publishes.
    void checkForChanges();
    // Computes an answer that is neither kept nor computed again (one judge's question).
    LiveDocument once(const Compute &compute);

private:
    LiveDocument run(const QString &key, const Compute &compute);
    // Runs compute in a read transaction; false, with a 503 in doc, when nothing could be read.
    bool evaluate(const Compute &compute, LiveDocument &doc);
    void publishAll();

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
