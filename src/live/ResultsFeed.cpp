#include "live/ResultsFeed.h"

#include "engine/DataVersions.h"
#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Transaction.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int PollIntervalMs = 500;

QByteArray etagOf(const QByteArray &body)
{
    return '"' + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex().left(24) + '"';
}

// When the tables were last written, for the answers computed before any change was seen.
QDateTime lastWritten(const QString &directory)
{
    QDateTime latest;
    for (const Schema::Table &table : Schema::tables()) {
        const QDateTime written =
            QFileInfo(QDir(directory).filePath(table.fileName())).lastModified();
        if (written.isValid() && (!latest.isValid() || written > latest))
            latest = written;
    }
    return latest.isValid() ? latest : QDateTime::currentDateTimeUtc();
}

QByteArray errorBody(const QString &text)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("fehler"), text}})
        .toJson(QJsonDocument::Compact);
}

} // namespace

ResultsFeed::ResultsFeed(Publish publish) : m_publish(std::move(publish)), m_poll(this)
{
    m_poll.setInterval(PollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &ResultsFeed::checkForChanges);
}

ResultsFeed::~ResultsFeed() = default;

QString ResultsFeed::setSource(const QString &directory, int anlassNr, quint64 generation)
{
    m_poll.stop();
    m_generation = generation;
    m_anlassNr = anlassNr;
    m_published.clear();
    m_failed.clear();
    m_versions.clear();
    const QString absolute = directory.isEmpty() ? QString() : QDir(directory).absolutePath();
    if (absolute != m_directory || !m_data.db().isOpen()) {
        m_data.db().close();
        m_directory.clear();
        if (absolute.isEmpty())
            return QString();
        try {
            m_data.db().openReadOnly(absolute);
        } catch (const DatabaseError &e) {
            return e.message();
        }
        m_directory = absolute;
    }
    m_changedAt = lastWritten(m_directory);
    try {
        Transaction read(m_data.db());
        m_versions = dataVersions(m_data.db());
        read.commit();
    } catch (const DatabaseError &) {
        // Busy right now: the first poll takes the versions.
    }
    publish(m_computes.keys());
    m_poll.start();
    return QString();
}

void ResultsFeed::checkForChanges()
{
    if (!m_data.db().isOpen())
        return;
    QList<qint64> versions;
    try {
        Transaction read(m_data.db());
        versions = dataVersions(m_data.db());
        read.commit();
    } catch (const DatabaseError &) {
        return; // a commit under way; the next poll sees it
    }
    if (versions == m_versions) {
        if (!m_failed.isEmpty())
            publish(m_failed.values());
        return;
    }
    m_versions = versions;
    m_changedAt = QDateTime::currentDateTimeUtc();
    publish(m_computes.keys());
}

void ResultsFeed::compute(const QString &key, const Compute &compute)
{
    m_computes.insert(key, compute);
    const int status = publish({key}).value(key);
    // Only answers worth keeping are computed again after a change: a request for a category
    // that does not exist must not make every later change cost one more list.
    if (status != 200 && !m_failed.contains(key))
        m_computes.remove(key);
}

QHash<QString, int> ResultsFeed::publish(const QStringList &keys)
{
    QList<LiveDocument> docs;
    if (!m_data.db().isOpen()) {
        LiveDocument doc;
        doc.status = 503;
        doc.body = errorBody(QStringLiteral("Es ist keine Datenbank geöffnet."));
        docs.fill(doc, keys.size());
    } else {
        try {
            Transaction transaction(m_data.db());
            LiveRead read(m_data, m_anlassNr);
            for (const QString &key : keys)
                docs.append(answer(key, read));
            transaction.commit();
            for (const QString &key : keys)
                m_failed.remove(key);
        } catch (const DatabaseError &e) {
            LiveDocument doc;
            doc.status = 503;
            doc.body =
                errorBody(QStringLiteral("Die Datenbank ist gerade nicht lesbar: ") + e.message());
            docs.clear();
            docs.fill(doc, keys.size());
            for (const QString &key : keys)
                m_failed.insert(key);
        }
    }
    QHash<QString, int> statuses;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        statuses.insert(keys.at(i), docs.at(i).status);
        m_publish(m_generation, keys.at(i), docs.at(i));
    }
    return statuses;
}

LiveDocument ResultsFeed::once(const Compute &compute)
{
    LiveDocument doc;
    doc.status = 503;
    if (!m_data.db().isOpen()) {
        doc.body = errorBody(QStringLiteral("Es ist keine Datenbank geöffnet."));
        return doc;
    }
    try {
        Transaction transaction(m_data.db());
        LiveRead read(m_data, m_anlassNr);
        QJsonDocument json;
        const int status = compute(read, json);
        transaction.commit();
        doc.status = status;
        doc.body = json.toJson(QJsonDocument::Compact);
    } catch (const DatabaseError &e) {
        doc.body =
            errorBody(QStringLiteral("Die Datenbank ist gerade nicht lesbar: ") + e.message());
    }
    return doc;
}

LiveDocument ResultsFeed::answer(const QString &key, LiveRead &read)
{
    LiveDocument doc;
    QJsonDocument json;
    doc.status = m_computes.value(key)(read, json);
    doc.body = json.toJson(QJsonDocument::Compact);
    if (doc.status != 200)
        return doc;
    doc.etag = etagOf(doc.body);
    // The time of the last change that changed this answer, not just any change.
    const auto before = m_published.constFind(key);
    doc.lastModified = before != m_published.constEnd() && before->etag == doc.etag
        ? before->lastModified
        : m_changedAt;
    m_published.insert(key, doc);
    return doc;
}

const std::optional<EventRow> &LiveRead::event()
{
    if (!m_eventRead) {
        m_event = data.ReadEvent(anlassNr);
        m_eventRead = true;
    }
    return m_event;
}

const Standings::Snapshot &LiveRead::standings()
{
    if (!m_standings)
        m_standings = std::make_unique<Standings::Snapshot>(data, *event());
    return *m_standings;
}
