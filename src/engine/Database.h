#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

struct sqlite3;
namespace Schema {
struct Table;
}

// One connection to a database directory: "Anlass.dat" is its main database and every other
// table file "<Table>.dat" is attached, so that plain SQL names the tables unqualified and one
// transaction spans several of them. Because the main database is a real file, SQLite commits
// a change over several files all-or-nothing, whatever instant a crash or a power cut strikes
// (rollback journals, synchronous FULL, its super-journal). Opening never creates a table
// file; one that is missing or is not one of our tables makes the open fail with a
// DatabaseError that says which and why.
class Database
{
public:
    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // For reading and writing, with the change log (created when it is missing).
    void open(const QString &directory);
    // Writes nothing, ever: no journal is rolled back, no change log created. A file that a
    // crash left with a journal cannot be read this way until the program has opened it.
    void openReadOnly(const QString &directory);
    void close();
    bool isOpen() const { return m_handle != nullptr; }
    bool isReadOnly() const { return m_readOnly; }
    bool hasChangeLog() const { return m_hasChangeLog; }
    QString directory() const { return m_directory; }

    // The source the change log records for the changes made now (see ChangeSource).
    QString changeSource() const { return m_changeSource; }
    const QByteArray &changeSourceUtf8() const { return m_changeSourceUtf8; }
    void setChangeSource(const QString &source);

    // Creates the eight empty tables in an existing directory that holds none of them yet.
    static void createTables(const QString &directory);
    // The table files of the database that exist in directory.
    static QStringList existingTableFiles(const QString &directory);

    // Every commit waits for the disk, so that a crash never loses a stored result. Tests
    // that build thousands of rows switch that off for the connections opened afterwards.
    static void setDurable(bool durable);
    static bool isDurable();

    // Runs SQL without parameters, possibly several statements separated by ";".
    void exec(const QString &sql);
    qint64 lastInsertId() const;
    int changes() const;

    // Order for "ORDER BY ... COLLATE name" and a function "name()" without arguments, both
    // for the lifetime of the connection; defining one again replaces it.
    void defineCollation(const QString &name,
                         std::function<int(const QString &, const QString &)> compare);
    void defineFunction(const QString &name, std::function<qint64()> function);

    sqlite3 *handle() const;
    [[noreturn]] void raise(int resultCode, const QString &context = {}) const;

private:
    enum class Access { Create, ReadWrite, ReadOnly };
    void openFiles(const QString &directory, Access access);
    void attachTable(const Schema::Table &table, const QString &file, Access access);
    void attachChangeLog(const QString &file, Access access);
    void prepareSchema(const Schema::Table &table, bool creating);
    void createTable(const Schema::Table &table);
    void verifyTable(const Schema::Table &table, const QString &file);

    sqlite3 *m_handle = nullptr;
    QString m_directory;
    bool m_readOnly = false;
    bool m_hasChangeLog = false;
    QString m_changeSource;
    QByteArray m_changeSourceUtf8; // what the log's triggers read, once per row
};
