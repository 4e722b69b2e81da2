#include "live/ResultsFeed.h"

#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Statement.h"
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

} // namespace

ResultsFeed::ResultsFeed(QObject *parent) : QObject(parent)
{
    m_poll.setInterval(PollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &ResultsFeed::checkForChanges);
}

ResultsFeed::~ResultsFeed() = default;

void ResultsFeed::setSource(const QString &directory, int anlassNr)
{
    const QString absolute = directory.isEmpty() ? QString() : QDir(directory).absolutePath();
    if (absolute == m_directory && anlassNr == m_anlassNr && m_data.db().isOpen())
        return;
    m_poll.stop();
    m_cache.clear();
    m_stale.clear();
    m_versions.clear();
    m_anlassNr = anlassNr;
    if (absolute != m_directory || !m_data.db().isOpen()) {
        m_data.db().close();
        m_directory.clear();
        if (absolute.isEmpty())
            return;
        m_data.db().open(absolute, Database::Mode::ReadOnly);
        m_directory = absolute;
    }
    m_changedAt = lastWritten(m_directory);
    try {
        Transaction read(m_data.db());
        m_versions = readVersions();
        read.commit();
    } catch (const DatabaseError &) {
        // Busy right now: the first poll takes the versions.
    }
    m_poll.start();
}

QList<qint64> ResultsFeed::readVersions()
{
    // Every file of the connection, whatever the engine attaches: a change in any of them
    // can change an answer.
    QStringList schemas;
    {
        Statement list(m_data.db(), QStringLiteral("PRAGMA database_list"));
        while (list.next()) {
            if (!list.text("file").isEmpty())
                schemas << list.text("name");
        }
    }
    QList<qint64> versions;
    for (const QString &schema : schemas) {
        QString quoted = schema;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        Statement s(m_data.db(), QStringLiteral("PRAGMA \"%1\".data_version").arg(quoted));
        versions << (s.next() ? s.integer(0) : 0);
    }
    return versions;
}

void ResultsFeed::invalidate()
{
    for (auto it = m_cache.cbegin(); it != m_cache.cend(); ++it)
        m_stale.insert(it.key(), it.value());
    m_cache.clear();
    m_changedAt = QDateTime::currentDateTimeUtc();
}

bool ResultsFeed::checkForChanges()
{
    if (!m_data.db().isOpen())
        return false;
    QList<qint64> versions;
    try {
        Transaction read(m_data.db());
        versions = readVersions();
        read.commit();
    } catch (const DatabaseError &) {
        return false; // a commit under way; the next poll sees it
    }
    if (versions == m_versions)
        return false;
    m_versions = versions;
    invalidate();
    Q_EMIT changed();
    return true;
}

LiveDocument ResultsFeed::document(const QString &key, const Compute &compute)
{
    if (const auto cached = m_cache.constFind(key); cached != m_cache.constEnd())
        return cached.value();
    LiveDocument doc;
    if (!m_data.db().isOpen()) {
        doc.status = 503;
        doc.body = QJsonDocument(QJsonObject{{QStringLiteral("fehler"),
                                              QStringLiteral("Es ist keine Datenbank geöffnet.")}})
                       .toJson(QJsonDocument::Compact);
        return doc;
    }
    QJsonDocument json;
    try {
        // The versions read in the same transaction as the answer, so that the answer is
        // never cached under the state before a change it already shows.
        Transaction read(m_data.db());
        const QList<qint64> versions = readVersions();
        if (versions != m_versions) {
            m_versions = versions;
            invalidate();
            QMetaObject::invokeMethod(this, &ResultsFeed::changed, Qt::QueuedConnection);
        }
        doc.status = compute(m_data, json);
        read.commit();
    } catch (const DatabaseError &e) {
        doc.status = 503;
        doc.body =
            QJsonDocument(QJsonObject{{QStringLiteral("fehler"),
                                       QString(QStringLiteral("Die Datenbank ist gerade nicht "
                                                              "lesbar: ")
                                               + e.message())}})
                .toJson(QJsonDocument::Compact);
        return doc;
    }
    doc.body = json.toJson(QJsonDocument::Compact);
    doc.etag = etagOf(doc.body);
    const auto before = m_stale.constFind(key);
    doc.lastModified = before != m_stale.constEnd() && before->etag == doc.etag
        ? before->lastModified
        : m_changedAt;
    m_cache.insert(key, doc);
    return doc;
}
