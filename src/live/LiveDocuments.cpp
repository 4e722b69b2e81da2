#include "live/LiveDocuments.h"

#include "engine/DatabaseError.h"

#include <QDir>

LiveDocuments::LiveDocuments()
{
    m_thread.setObjectName(QStringLiteral("LiveFeed"));
    m_feed =
        new ResultsFeed([this](quint64 generation, const QString &key, const LiveDocument &doc) {
            QMetaObject::invokeMethod(
                this, [this, generation, key, doc] { publish(generation, key, doc); });
        });
    m_feed->moveToThread(&m_thread);
    // Deleted in its own thread, where its timer lives.
    connect(&m_thread, &QThread::finished, m_feed, &QObject::deleteLater);
    m_thread.start();
}

LiveDocuments::~LiveDocuments()
{
    m_thread.quit();
    m_thread.wait();
}

void LiveDocuments::setSource(const QString &directory, int anlassNr)
{
    const QString absolute = directory.isEmpty() ? QString() : QDir(directory).absolutePath();
    if (absolute == m_directory && anlassNr == m_anlassNr && !absolute.isEmpty())
        return;
    const quint64 generation = ++m_generation;
    m_documents.clear();
    QString error;
    QMetaObject::invokeMethod(
        m_feed,
        [this, absolute, anlassNr, generation] {
            return m_feed->setSource(absolute, anlassNr, generation);
        },
        Qt::BlockingQueuedConnection, &error);
    m_directory = error.isEmpty() ? absolute : QString();
    m_anlassNr = anlassNr;
    if (!error.isEmpty())
        throw DatabaseError(error);
}

void LiveDocuments::get(const QString &key, const ResultsFeed::Compute &compute, const Reply &reply)
{
    if (const auto found = m_documents.constFind(key); found != m_documents.constEnd()) {
        reply(found.value());
        return;
    }
    QList<Reply> &waiting = m_waiting[key];
    waiting.append(reply);
    if (waiting.size() == 1)
        QMetaObject::invokeMethod(m_feed,
                                  [feed = m_feed, key, compute] { feed->compute(key, compute); });
}

void LiveDocuments::read(const ResultsFeed::Compute &compute, const Reply &reply)
{
    QMetaObject::invokeMethod(m_feed, [this, feed = m_feed, compute, reply] {
        const LiveDocument doc = feed->once(compute);
        QMetaObject::invokeMethod(this, [reply, doc] { reply(doc); });
    });
}

void LiveDocuments::checkForChanges()
{
    QMetaObject::invokeMethod(m_feed, &ResultsFeed::checkForChanges);
}

void LiveDocuments::publish(quint64 generation, const QString &key, const LiveDocument &doc)
{
    if (generation != m_generation)
        return;
    // An answer that failed is given to those waiting but not kept: the last good one stays.
    if (!doc.etag.isEmpty())
        m_documents.insert(key, doc);
    const QList<Reply> waiting = m_waiting.take(key);
    for (const Reply &reply : waiting)
        reply(doc);
}
