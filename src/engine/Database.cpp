#include "engine/Database.h"

#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Statement.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

namespace {

QString sqliteText(sqlite3 *handle, int resultCode)
{
    if (handle)
        return QString::fromUtf8(sqlite3_errmsg(handle));
    return QString::fromUtf8(sqlite3_errstr(resultCode));
}

QString uriFor(const QString &path, bool creating, bool readOnly)
{
    QString uri =
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    uri += creating ? QStringLiteral("?mode=rwc")
        : readOnly  ? QStringLiteral("?mode=ro")
                    : QStringLiteral("?mode=rw");
    return uri;
}

bool durable = true;

} // namespace

Database::Database() = default;

void Database::setDurable(bool on)
{
    durable = on;
}

Database::~Database()
{
    close();
}

sqlite3 *Database::handle() const
{
    if (!m_handle)
        throw DatabaseError(QStringLiteral("Die Datenbank ist nicht geöffnet."));
    return m_handle;
}

void Database::raise(int resultCode, const QString &context) const
{
    const QString text = sqliteText(m_handle, resultCode);
    QString message = Schema::explainConstraint(text);
    if (message.isEmpty())
        message = text;
    else
        message += QStringLiteral(" (") + text + QLatin1Char(')');
    if (!context.isEmpty())
        message = context + QStringLiteral(": ") + message;
    throw DatabaseError(message);
}

void Database::open(const QString &directory, Mode mode)
{
    close();
    m_mode = mode;
    const QDir dir(directory);
    if (!dir.exists())
        throw DatabaseError(QStringLiteral("Das Datenbankverzeichnis %1 gibt es nicht.")
                                .arg(QDir::toNativeSeparators(directory)));
    for (const Schema::Table &table : Schema::tables()) {
        const QString file = dir.filePath(table.fileName());
        if (!QFileInfo(file).isFile())
            throw DatabaseError(
                QStringLiteral("Die Tabelle %1 fehlt: die Datei %2 wurde nicht gefunden.")
                    .arg(table.name, QDir::toNativeSeparators(file)));
    }
    attachAll(directory, false);
}

void Database::createTables(const QString &directory)
{
    const QDir dir(directory);
    if (!dir.exists())
        throw DatabaseError(QStringLiteral("Das Verzeichnis %1 gibt es nicht.")
                                .arg(QDir::toNativeSeparators(directory)));
    const QStringList existing = existingTableFiles(directory);
    if (!existing.isEmpty())
        throw DatabaseError(
            QStringLiteral(
                "Das Verzeichnis %1 enthält schon Tabellen (%2); es wird nicht verändert.")
                .arg(QDir::toNativeSeparators(directory), existing.join(QStringLiteral(", "))));
    Database db;
    try {
        db.attachAll(directory, true);
        db.close();
    } catch (...) {
        db.close();
        // Leave no half-made database behind: a later open must not mistake it for ours.
        for (const Schema::Table &table : Schema::tables())
            QFile::remove(dir.filePath(table.fileName()));
        throw;
    }
}

QStringList Database::existingTableFiles(const QString &directory)
{
    const QDir dir(directory);
    QStringList found;
    for (const Schema::Table &table : Schema::tables()) {
        if (QFileInfo::exists(dir.filePath(table.fileName())))
            found << table.fileName();
    }
    return found;
}

void Database::attachAll(const QString &directory, bool creating)
{
    sqlite3 *handle = nullptr;
    const int rc = sqlite3_open_v2(":memory:", &handle,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX
                                       | (creating ? SQLITE_OPEN_CREATE : 0),
                                   nullptr);
    if (rc != SQLITE_OK) {
        const QString text = sqliteText(handle, rc);
        sqlite3_close(handle);
        throw DatabaseError(text);
    }
    m_handle = handle;
    m_directory = QDir(directory).absolutePath();
    sqlite3_extended_result_codes(m_handle, 1);
    // A reader gives way quickly: it would rather show the last state again than keep a
    // commit of the program waiting.
    sqlite3_busy_timeout(m_handle, isReadOnly() ? 250 : 3000);
    // Sorts, temporary tables and the journals of nested transactions stay in memory: written
    // to temporary files they cost more than the work itself on a large event.
    exec(QStringLiteral("PRAGMA temp_store = MEMORY"));
    const QDir dir(directory);
    try {
        for (const Schema::Table &table : Schema::tables()) {
            const QString file = dir.filePath(table.fileName());
            try {
                attachTable(table, file, creating);
            } catch (const DatabaseError &e) {
                if (e.message().contains(QDir::toNativeSeparators(file)))
                    throw;
                throw DatabaseError(QStringLiteral("Die Datei %1 kann nicht geöffnet werden: %2")
                                        .arg(QDir::toNativeSeparators(file), e.message()));
            }
        }
        if (isReadOnly())
            exec(QStringLiteral("PRAGMA query_only = 1"));
    } catch (...) {
        close();
        throw;
    }
}

void Database::attachTable(const Schema::Table &table, const QString &file, bool creating)
{
    {
        Statement attach(*this,
                         QStringLiteral("ATTACH DATABASE :uri AS \"%1\"").arg(table.schemaName()));
        attach.bind("uri", uriFor(file, creating, isReadOnly()));
        attach.exec();
        if (!durable && !isReadOnly())
            exec(QStringLiteral("PRAGMA \"%1\".synchronous = OFF").arg(table.schemaName()));
        if (creating) {
            exec(QStringLiteral("BEGIN"));
            for (const QString &sql : table.createStatements()) {
                if (sql.startsWith(QLatin1String("PRAGMA")))
                    continue;
                exec(sql);
            }
            exec(QStringLiteral("COMMIT"));
            // These pragmas write the file header and cannot run inside a transaction.
            for (const QString &sql : table.createStatements()) {
                if (sql.startsWith(QLatin1String("PRAGMA")))
                    exec(sql);
            }
            return;
        }
        Statement id(*this, QStringLiteral("PRAGMA \"%1\".application_id").arg(table.schemaName()));
        const bool isOurs = id.next() && id.integer(0) == Schema::applicationId;
        if (!isOurs)
            throw DatabaseError(QStringLiteral("Die Datei %1 ist keine Velunda-Tabelle.")
                                    .arg(QDir::toNativeSeparators(file)));
        Statement columns(
            *this,
            QStringLiteral("PRAGMA \"%1\".table_info(\"%2\")").arg(table.schemaName(), table.name));
        QStringList found;
        while (columns.next())
            found << columns.text("name");
        QStringList expected;
        for (const Schema::Column &c : table.columns)
            expected << c.name;
        if (found != expected)
            throw DatabaseError(
                QStringLiteral(
                    "Die Datei %1 enthält nicht die Tabelle %2 mit den erwarteten Spalten.")
                    .arg(QDir::toNativeSeparators(file), table.name));
    }
}

void Database::close()
{
    if (m_handle) {
        sqlite3_close_v2(m_handle);
        m_handle = nullptr;
    }
    m_directory.clear();
    m_mode = Mode::ReadWrite;
}

void Database::exec(const QString &sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(handle(), sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        sqlite3_free(error);
        raise(rc);
    }
}

qint64 Database::lastInsertId() const
{
    return sqlite3_last_insert_rowid(handle());
}

int Database::changes() const
{
    return sqlite3_changes(handle());
}

namespace {

using Collation = std::function<int(const QString &, const QString &)>;
using Function = std::function<qint64()>;

int compareText(void *compare, int lengthA, const void *a, int lengthB, const void *b)
{
    return (*static_cast<Collation *>(compare))(
        QString::fromUtf8(static_cast<const char *>(a), lengthA),
        QString::fromUtf8(static_cast<const char *>(b), lengthB));
}

void callFunction(sqlite3_context *context, int, sqlite3_value **)
{
    sqlite3_result_int64(context, (*static_cast<Function *>(sqlite3_user_data(context)))());
}

} // namespace

void Database::defineCollation(const QString &name, Collation compare)
{
    auto *owned = new Collation(std::move(compare));
    const int rc = sqlite3_create_collation_v2(handle(), name.toUtf8().constData(), SQLITE_UTF8,
                                               owned, compareText,
                                               [](void *p) { delete static_cast<Collation *>(p); });
    if (rc != SQLITE_OK) {
        delete owned;
        raise(rc);
    }
}

void Database::defineFunction(const QString &name, Function function)
{
    // SQLite calls the destructor itself, also when the definition fails.
    const int rc = sqlite3_create_function_v2(
        handle(), name.toUtf8().constData(), 0, SQLITE_UTF8, new Function(std::move(function)),
        callFunction, nullptr, nullptr, [](void *p) { delete static_cast<Function *>(p); });
    if (rc != SQLITE_OK)
        raise(rc);
}
