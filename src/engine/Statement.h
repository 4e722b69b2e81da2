#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

class Database;
struct sqlite3_stmt;

// A prepared SQL statement with named parameters (":AnlassNr"). next() steps through the
// result rows; exec() runs a statement that returns none. Values that are NULL (for example
// SUM over no rows) read as 0, false or empty text, like every column that was never set.
class Statement
{
public:
    Statement(Database &db, const QString &sql);
    Statement(Database &db, const QStringList &lines); // joined with line breaks
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // name without the leading colon
    Statement &bind(const char *name, qint64 value);
    Statement &bind(const char *name, int value) { return bind(name, qint64(value)); }
    Statement &bind(const char *name, double value);
    Statement &bind(const char *name, bool value) { return bind(name, qint64(value ? 1 : 0)); }
    Statement &bind(const char *name, const QString &value);
    Statement &bind(const char *name, const char *value) = delete;

    bool next();
    void exec();
    void reset(); // to run again, keeping the bound values

    int columnCount() const;
    QString columnName(int column) const;
    int columnIndex(const QString &name) const; // -1 when the result has no such column

    QVariant value(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    QString text(int column) const;
    bool boolean(int column) const { return integer(column) != 0; }

    QVariant value(const char *name) const { return value(requireColumn(name)); }
    qint64 integer(const char *name) const { return integer(requireColumn(name)); }
    double real(const char *name) const { return real(requireColumn(name)); }
    QString text(const char *name) const { return text(requireColumn(name)); }
    bool boolean(const char *name) const { return boolean(requireColumn(name)); }

    QString sql() const { return m_sql; }

private:
    int requireColumn(const char *name) const;
    int parameterIndex(const char *name) const;
    void check(int resultCode) const;

    Database &m_db;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_sql;
    mutable QHash<QString, int> m_columns;
    bool m_done = false;
};
