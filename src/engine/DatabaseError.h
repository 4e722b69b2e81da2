#pragma once

#include <QString>

#include <stdexcept>

// An error of the database engine. what() and message() carry SQLite's own text, in German
// words around it where the engine can tell what went wrong (a value too long, a missing
// table file), so that the operator sees both.
class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const QString &message);

    QString message() const { return m_message; }

private:
    QString m_message;
};
