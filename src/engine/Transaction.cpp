#include "engine/Transaction.h"

#include "engine/Database.h"

#include <sqlite3.h>

Transaction::Transaction(Database &db, Lock lock)
    : m_db(db), m_outermost(sqlite3_get_autocommit(db.handle()) != 0),
      m_begun(m_outermost && lock == Lock::Immediate)
{
    m_db.exec(m_begun ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT velunda"));
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    try {
        // Releasing an outermost savepoint after rolling back to it would commit an empty
        // transaction, which still rewrites the header of every file it wrote to.
        m_db.exec(m_outermost ? QStringLiteral("ROLLBACK")
                              : QStringLiteral("ROLLBACK TO velunda; RELEASE velunda"));
    } catch (...) {
        // A destructor must not throw; SQLite has rolled back on its own when this fails.
    }
}

void Transaction::commit()
{
    m_db.exec(m_begun ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE velunda"));
    m_open = false;
}
