#include "engine/Statement.h"

#include "engine/Database.h"
#include "engine/DatabaseError.h"

#include <sqlite3.h>

Statement::Statement(Database &db, const QString &sql) : m_db(db), m_sql(sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc =
        sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        db.raise(rc);
    }
}

Statement::Statement(Database &db, const QStringList &lines)
    : Statement(db, lines.join(QLatin1Char('\n')))
{ }

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::check(int resultCode) const
{
    if (resultCode != SQLITE_OK)
        m_db.raise(resultCode);
}

int Statement::parameterIndex(const char *name) const
{
    const QByteArray full = QByteArray(":") + name;
    const int index = sqlite3_bind_parameter_index(m_stmt, full.constData());
    if (index == 0)
        throw DatabaseError(QStringLiteral("Parameter :%1 nicht gefunden in: %2")
                                .arg(QString::fromUtf8(name), m_sql));
    return index;
}

Statement &Statement::bind(const char *name, qint64 value)
{
    check(sqlite3_bind_int64(m_stmt, parameterIndex(name), value));
    return *this;
}

Statement &Statement::bind(const char *name, double value)
{
    check(sqlite3_bind_double(m_stmt, parameterIndex(name), value));
    return *this;
}

Statement &Statement::bind(const char *name, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    check(sqlite3_bind_text(m_stmt, parameterIndex(name), utf8.constData(), int(utf8.size()),
                            SQLITE_TRANSIENT));
    return *this;
}

bool Statement::next()
{
    if (m_done)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    m_done = true;
    if (rc != SQLITE_DONE) {
        sqlite3_reset(m_stmt);
        m_db.raise(rc);
    }
    return false;
}

void Statement::exec()
{
    while (next()) { }
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    m_done = false;
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

int Statement::columnIndex(const QString &name) const
{
    if (m_columns.isEmpty()) {
        const int count = columnCount();
        for (int i = 0; i < count; ++i) {
            const QString key = columnName(i).toLower();
            if (!m_columns.contains(key))
                m_columns.insert(key, i);
        }
    }
    return m_columns.value(name.toLower(), -1);
}

int Statement::requireColumn(const char *name) const
{
    const int index = columnIndex(QString::fromUtf8(name));
    if (index < 0)
        throw DatabaseError(
            QStringLiteral("Feld %1 nicht gefunden in: %2").arg(QString::fromUtf8(name), m_sql));
    return index;
}

QVariant Statement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL:
        return {};
    default:
        return QVariant(text(column));
    }
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::real(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}

QString Statement::text(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data ? QString::fromUtf8(data, size) : QString();
}
