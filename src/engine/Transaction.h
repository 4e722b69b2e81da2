#pragma once

class Database;

// All-or-nothing: the changes made while a Transaction lives are kept only when commit()
// is reached; leaving the scope otherwise (an exception) rolls them back. Transactions
// nest, so an operation that needs one can run inside a caller's.
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Database &m_db;
    bool m_outermost;
    bool m_open = true;
};

// A change that reads before it writes, on a connection beside others (the posts' writer): it
// takes the write lock at BEGIN, waiting for it as long as the busy timeout allows. A deferred
// transaction would read first and then find the lock taken when it upgrades; SQLite then
// gives up at once instead of waiting, since both sides could wait for each other for ever.
// Inside a caller's transaction it nests like Transaction.
class WriteTransaction
{
public:
    explicit WriteTransaction(Database &db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction &) = delete;
    WriteTransaction &operator=(const WriteTransaction &) = delete;

    void commit();

private:
    Database &m_db;
    bool m_outermost;
    bool m_open = true;
};
