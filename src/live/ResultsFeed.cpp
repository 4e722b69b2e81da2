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
            m_data.db().open(absolute, Database::Mode::ReadOnly);
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
    publishAll();
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
        const QSet<QString> failed = m_failed;
        for (const QString &key : failed)
            m_publish(m_generation, key, run(key, m_computes.value(key)));
        return;
    }
    m_versions = versions;
    m_changedAt = QDateTime::currentDateTimeUtc();
    publishAll();
}

void ResultsFeed::compute(const QString &key, const Compute &compute)
{
    m_computes.insert(key, compute);
    m_publish(m_generation, key, run(key, compute));
}

void ResultsFeed::publishAll()
{
    for (auto it = m_computes.cbegin(); it != m_computes.cend(); ++it)
        m_publish(m_generation, it.key(), run(it.key(), it.value()));
}

bool ResultsFeed::evaluate(const Compute &compute, LiveDocument &doc)
{
    if (!m_data.db().isOpen()) {
        doc.status = 503;
        doc.body = errorBody(QStringLiteral("Es ist keine Datenbank geöffnet."));
        return false;
    }
    QJsonDocument json;
    try {
        Transaction read(m_data.db());
        doc.status = compute(m_data, m_anlassNr, json);
        read.commit();
    } catch (const DatabaseError &e) {
        doc.status = 503;
        doc.body =
            errorBody(QStringLiteral("Die Datenbank ist gerade nicht lesbar: ") + e.message());
        return false;
    }
    doc.body = json.toJson(QJsonDocument::Compact);
    return true;
}

LiveDocument ResultsFeed::once(const Compute &compute)
{
    LiveDocument doc;
    evaluate(compute, doc);
    return doc;
}

LiveDocument ResultsFeed::run(const QString &key, const Compute &compute)
{
    LiveDocument doc;
    m_failed.remove(key);
    if (!evaluate(compute, doc)) {
        if (m_data.db().isOpen())
            m_failed.insert(key);
        return doc;
    }
    doc.etag = etagOf(doc.body);
    // The time of the last change that changed this answer, not just any change.
    const auto before = m_published.constFind(key);
    doc.lastModified = before != m_published.constEnd() && before->etag == doc.etag
        ? before->lastModified
        : m_changedAt;
    m_published.insert(key, doc);
    return doc;
}
