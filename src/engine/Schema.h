#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The eight tables of a Velunda database. Each lives in its own file "<Table>.dat" in the
// database directory; the definitions here are the single source for creating a new
// database and for recognising one of ours when it is opened.
namespace Schema {

enum class ColumnType { AutoIncrement, Integer, SmallInt, Float, Boolean, String };

struct Column
{
    QString name;
    ColumnType type;
    int length = 0; // String only: at most this many characters
};

struct Index
{
    QString name;
    QStringList columns;
};

struct Table
{
    QString name;
    QList<Column> columns;
    QStringList primaryKey; // empty: the AutoIncrement column, or none
    QList<Index> indexes;

    const Column *column(const QString &columnName) const;
    QString fileName() const { return name + QStringLiteral(".dat"); }
    // The name of the table's file on the connection: "main" for the event table, whose file
    // is the connection's main database, "db_<Table>" for every other attached file.
    QString schemaName() const;
    QStringList createStatements() const;
};

const QList<Table> &tables();
const Table *table(const QString &name);

// The table whose file the connection opens as its main database. A real file there lets
// SQLite commit a change over several files all-or-nothing (its super-journal), which an
// in-memory main database does not.
inline QString mainTableName()
{
    return QStringLiteral("Anlass");
}

// The change log "Protokoll.dat": not one of the eight tables; the program creates it the
// first time it opens a database for writing, and attaches it beside them.
const Table &changeLog();

// Marks a file as a Velunda table, so that an unrelated SQLite file is never taken for one.
constexpr int applicationId = 0x56454C55; // "VELU"
constexpr int schemaVersion = 1;

// German text for an engine error message that names one of our constraints; empty when
// the message is about something else.
QString explainConstraint(const QString &sqliteMessage);

} // namespace Schema
