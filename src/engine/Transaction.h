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
