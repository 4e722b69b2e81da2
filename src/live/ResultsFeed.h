#pragma once

#include "data/DataLibrary.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>

class QJsonDocument;

// An answer of the live server, computed once per state of the database.
struct LiveDocument
{
    int status = 200;
    QByteArray body; // JSON
    QByteArray etag; // quoted, as the header carries it
    QDateTime lastModified; // when the body last changed, as far as the server saw it
};

// What the live server reads: the database directory and the event to show, on a read-only
// connection of its own. It never writes the files and never waits long for a lock: reading
// gives way to the program's commits. Answers are cached until a change of the files by any
// connection or process shows in their data versions, which are polled twice a second.
class ResultsFeed : public QObject
{
    Q_OBJECT

public:
    explicit ResultsFeed(QObject *parent = nullptr);
    ~ResultsFeed() override;

    // Another directory or event: reopens the connection. An empty directory closes it.
    // Throws DatabaseError when the directory cannot be opened.
    void setSource(const QString &directory, int anlassNr);
    QString directory() const { return m_directory; }
    int anlassNr() const { return m_anlassNr; }

    // The cached answer for key, or compute's, run inside one read transaction. compute
    // returns the status and the JSON; a database error gives 503 and is not cached.
    using Compute = std::function<int(DataLibrary &data, QJsonDocument &json)>;
    LiveDocument document(const QString &key, const Compute &compute);

    // Looks at the data versions now (the poll does it every 500 ms); true after a change.
    bool checkForChanges();

Q_SIGNALS:
    void changed();

private:
    QList<qint64> readVersions();
    void invalidate();

    DataLibrary m_data;
    QString m_directory;
    int m_anlassNr = 0;
    QTimer m_poll;
    QList<qint64> m_versions;
    QDateTime m_changedAt;
    QHash<QString, LiveDocument> m_cache;
    QHash<QString, LiveDocument> m_stale; // the answers before the last change
};
