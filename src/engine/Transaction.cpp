#include "engine/Transaction.h"

#include "engine/Database.h"

#include <sqlite3.h>

Transaction::Transaction(Database &db)
    : m_db(db), m_outermost(sqlite3_get_autocommit(db.handle()) != 0)
{
    m_db.exec(QStringLiteral("SAVEPOINT velunda"));
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
    m_db.exec(QStringLiteral("RELEASE velunda"));
    m_open = false;
}

WriteTransaction::WriteTransaction(Database &db)
    : m_db(db), m_outermost(sqlite3_get_autocommit(db.handle()) != 0)
{
    m_db.exec(m_outermost ? QStringLiteral("BEGIN IMMEDIATE")
                          : QStringLiteral("SAVEPOINT velunda"));
}

WriteTransaction::~WriteTransaction()
{
    if (!m_open)
        return;
    try {
        m_db.exec(m_outermost ? QStringLiteral("ROLLBACK")
                              : QStringLiteral("ROLLBACK TO velunda; RELEASE velunda"));
    } catch (...) {
        // A destructor must not throw; SQLite has rolled back on its own when this fails.
    }
}

void WriteTransaction::commit()
{
    m_db.exec(m_outermost ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE velunda"));
    m_open = false;
}
