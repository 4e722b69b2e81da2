#include "app/ExternalChanges.h"

#include "engine/DataVersions.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"

ExternalChanges::ExternalChanges(Database &db, std::function<bool()> isIdle,
                                 std::function<void()> refresh, QObject *parent)
    : QObject(parent), m_db(db), m_isIdle(std::move(isIdle)), m_refresh(std::move(refresh)),
      m_timer(this)
{
    m_timer.setInterval(PollIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ExternalChanges::check);
    m_timer.start();
}

void ExternalChanges::seen()
{
    m_pending = false;
    m_directory = m_db.isOpen() ? m_db.directory() : QString();
    try {
        m_versions = m_db.isOpen() ? dataVersions(m_db) : QList<qint64>();
    } catch (const DatabaseError &) {
        m_versions.clear(); // the next look takes them
    }
}

void ExternalChanges::check()
{
    if (!m_db.isOpen())
        return;
    // Another database: its versions start afresh, and the program has read it just now.
    if (m_db.directory() != m_directory) {
        m_directory = m_db.directory();
        m_versions.clear();
        m_pending = false;
    }
    try {
        const QList<qint64> versions = dataVersions(m_db);
        if (!m_versions.isEmpty() && versions != m_versions)
            m_pending = true;
        m_versions = versions;
    } catch (const DatabaseError &) {
        return; // a commit under way elsewhere; the next look sees it
    }
    if (m_pending && m_isIdle()) {
        m_pending = false;
        m_refresh();
    }
}
