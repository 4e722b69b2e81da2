#pragma once

#include <QString>
#include <QStringList>

#include <functional>

struct sqlite3;
namespace Schema {
struct Table;
}

// One connection to a database directory: each table file "<Table>.dat" is attached
// read-write, so that plain SQL names the tables unqualified and one transaction can span
// several of them. Opening never creates a file; a table file that is missing or is not
// one of our tables makes the open fail with a DatabaseError that says which and why.
class Database
{
public:
    // A reader beside the program (the live board) opens the files read-only: it can
    // neither write them nor roll back another connection's interrupted transaction.
    enum class Mode { ReadWrite, ReadOnly };

    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    void open(const QString &directory, Mode mode = Mode::ReadWrite);
    void close();
    bool isOpen() const { return m_handle != nullptr; }
    bool isReadOnly() const { return m_mode == Mode::ReadOnly; }
    QString directory() const { return m_directory; }

    // Creates the eight empty tables in an existing directory that holds none of them yet.
    static void createTables(const QString &directory);
    // The table files of the database that exist in directory.
    static QStringList existingTableFiles(const QString &directory);

    // Every commit waits for the disk, so that a crash never loses a stored result. Tests
    // that build thousands of rows switch that off for the connections opened afterwards.
    static void setDurable(bool durable);

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
    void attachAll(const QString &directory, bool creating);
    void attachTable(const Schema::Table &table, const QString &file, bool creating);

    sqlite3 *m_handle = nullptr;
    QString m_directory;
    Mode m_mode = Mode::ReadWrite;
};
