#pragma once

class Database;

// All-or-nothing: the changes made while a Transaction lives are kept only when commit()
// is reached; leaving the scope otherwise (an exception) rolls them back. Transactions
// nest, so an operation that needs one can run inside a caller's.
class Transaction
{
public:
    // Immediate takes the write lock at the start, waiting for it as long as the busy
    // timeout allows: a writer beside other connections (the posts' saves) that reads before
    // it writes would otherwise find the lock taken when it upgrades, and SQLite then gives
    // up at once rather than wait, since both sides could wait for each other for ever.
    // Inside a caller's transaction the caller's lock holds.
    enum class Lock { Deferred, Immediate };

    explicit Transaction(Database &db, Lock lock = Lock::Deferred);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Database &m_db;
    bool m_outermost;
    bool m_begun = false; // BEGIN IMMEDIATE rather than an outermost savepoint
    bool m_open = true;
};
