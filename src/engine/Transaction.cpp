#include "engine/Transaction.h"

#include "engine/Database.h"

Transaction::Transaction(Database &db) : m_db(db)
{
    m_db.exec(QStringLiteral("SAVEPOINT velunda"));
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    try {
        m_db.exec(QStringLiteral("ROLLBACK TO velunda; RELEASE velunda"));
    } catch (...) {
        // A destructor must not throw; SQLite has rolled back on its own when this fails.
    }
}

void Transaction::commit()
{
    m_db.exec(QStringLiteral("RELEASE velunda"));
    m_open = false;
}
