#include "engine/Database.h"

#include "engine/ChangeLog.h"
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
    uri += readOnly ? QStringLiteral("?mode=ro")
                    : (creating ? QStringLiteral("?mode=rwc") : QStringLiteral("?mode=rw"));
    return uri;
}

bool durable = true;

// The engine has rolled the change back when it reports one of these, and a change caught
// halfway by a crash is completed or undone on the next open, so the operator can be told
// that nothing was stored and the data are as they were.
QString explainStorageError(int resultCode)
{
    const QString unchanged = QStringLiteral(
        "Die Änderung wurde nicht gespeichert; die Daten bleiben, wie sie vorher waren.");
    switch (resultCode & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("Der Datenträger ist voll. ") + unchanged
            + QStringLiteral(" Schaffen Sie Platz auf dem Datenträger und versuchen Sie es "
                             "noch einmal.");
    case SQLITE_IOERR:
        return QStringLiteral("Fehler beim Lesen oder Schreiben des Datenträgers. ") + unchanged
            + QStringLiteral(" Prüfen Sie den Datenträger (USB-Stick, Netzlaufwerk) und "
                             "versuchen Sie es noch einmal.");
    default:
        return {};
    }
}

} // namespace

Database::Database() = default;

void Database::setDurable(bool on)
{
    durable = on;
}

void Database::setChangeSource(const QString &source)
{
    m_changeSource = source;
    m_changeSourceUtf8 = source.toUtf8();
}

bool Database::isDurable()
{
    return durable;
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
        message = explainStorageError(resultCode);
    if (message.isEmpty())
        message = text;
    else
        message += QStringLiteral(" (") + text + QLatin1Char(')');
    if (!context.isEmpty())
        message = context + QStringLiteral(": ") + message;
    throw DatabaseError(message);
}

namespace {

void requireTableFiles(const QString &directory)
{
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
}

} // namespace

void Database::open(const QString &directory)
{
    close();
    requireTableFiles(directory);
    openFiles(directory, Access::ReadWrite);
}

void Database::openReadOnly(const QString &directory)
{
    close();
    requireTableFiles(directory);
    openFiles(directory, Access::ReadOnly);
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
        db.openFiles(directory, Access::Create);
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

void Database::openFiles(const QString &directory, Access access)
{
    const QDir dir(directory);
    m_directory = QDir(directory).absolutePath();
    m_readOnly = access == Access::ReadOnly;
    m_hasChangeLog = false;
    setChangeSource(ChangeLog::Unnamed);
    const auto named = [](const QString &file, const DatabaseError &e) {
        if (e.message().contains(QDir::toNativeSeparators(file)))
            return e;
        return DatabaseError(QStringLiteral("Die Datei %1 kann nicht geöffnet werden: %2")
                                 .arg(QDir::toNativeSeparators(file), e.message()));
    };
    try {
        const Schema::Table &mainTable = *Schema::table(Schema::mainTableName());
        const QString mainFile = dir.filePath(mainTable.fileName());
        // Each file's URI says whether it may be created: the flags must allow the most any of
        // them asks for (the change log is created when it is missing).
        const int flags = SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX
            | (access == Access::ReadOnly ? SQLITE_OPEN_READONLY
                                          : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3 *handle = nullptr;
        const int rc =
            sqlite3_open_v2(uriFor(mainFile, access == Access::Create, access == Access::ReadOnly)
                                .toUtf8()
                                .constData(),
                            &handle, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString text = sqliteText(handle, rc);
            sqlite3_close(handle);
            throw named(mainFile, DatabaseError(text));
        }
        m_handle = handle;
        sqlite3_extended_result_codes(m_handle, 1);
        sqlite3_busy_timeout(m_handle, 3000);
        // Sorts, temporary tables and the journals of nested transactions stay in memory: written
        // to temporary files they cost more than the work itself on a large event.
        exec(QStringLiteral("PRAGMA temp_store = MEMORY"));
        for (const Schema::Table &table : Schema::tables()) {
            const QString file = dir.filePath(table.fileName());
            try {
                attachTable(table, file, access);
            } catch (const DatabaseError &e) {
                throw named(file, e);
            }
        }
        if (access != Access::Create) {
            const QString file = dir.filePath(Schema::changeLog().fileName());
            try {
                attachChangeLog(file, access);
            } catch (const DatabaseError &e) {
                throw named(file, e);
            }
        }
        if (access == Access::ReadWrite)
            ChangeLog::install(*this);
    } catch (...) {
        close();
        throw;
    }
}

void Database::attachTable(const Schema::Table &table, const QString &file, Access access)
{
    if (table.schemaName() != QLatin1String("main")) {
        Statement attach(*this,
                         QStringLiteral("ATTACH DATABASE :uri AS \"%1\"").arg(table.schemaName()));
        attach.bind("uri", uriFor(file, access == Access::Create, access == Access::ReadOnly));
        attach.exec();
    }
    if (access == Access::ReadOnly) {
        verifyTable(table, file);
        return;
    }
    prepareSchema(table, access == Access::Create);
    if (access == Access::Create)
        createTable(table);
    else
        verifyTable(table, file);
}

void Database::attachChangeLog(const QString &file, Access access)
{
    const Schema::Table &log = Schema::changeLog();
    if (access == Access::ReadOnly && !QFileInfo::exists(file))
        return; // nothing changed since the log began; a reader creates nothing
    {
        Statement attach(*this,
                         QStringLiteral("ATTACH DATABASE :uri AS \"%1\"").arg(log.schemaName()));
        attach.bind("uri", uriFor(file, access != Access::ReadOnly, access == Access::ReadOnly));
        attach.exec();
    }
    m_hasChangeLog = true;
    if (access == Access::ReadOnly) {
        verifyTable(log, file);
        return;
    }
    prepareSchema(log, false);
    // A file without any table is one made just now (or by a creation that never finished).
    Statement tables(
        *this, QStringLiteral("SELECT count(*) FROM \"%1\".sqlite_master").arg(log.schemaName()));
    if (tables.next() && tables.integer(0) == 0)
        createTable(log);
    else
        verifyTable(log, file);
}

void Database::prepareSchema(const Schema::Table &table, bool creating)
{
    const QString schema = table.schemaName();
    // A rollback journal in every file: a journal of each file names the super-journal, and
    // that is what makes a commit over several files all-or-nothing. WAL would not.
    if (!creating)
        exec(QStringLiteral("PRAGMA \"%1\".journal_mode = DELETE").arg(schema));
    exec(QStringLiteral("PRAGMA \"%1\".synchronous = %2")
             .arg(schema, durable ? QStringLiteral("FULL") : QStringLiteral("OFF")));
}

void Database::createTable(const Schema::Table &table)
{
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
}

void Database::verifyTable(const Schema::Table &table, const QString &file)
{
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
            QStringLiteral("Die Datei %1 enthält nicht die Tabelle %2 mit den erwarteten Spalten.")
                .arg(QDir::toNativeSeparators(file), table.name));
}

void Database::close()
{
    if (m_handle) {
        sqlite3_close_v2(m_handle);
        m_handle = nullptr;
    }
    m_directory.clear();
    m_readOnly = false;
    m_hasChangeLog = false;
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
