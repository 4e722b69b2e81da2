#include "backup/Snapshots.h"

#include "engine/ChangeLog.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <sqlite3.h>

namespace Snapshots {

namespace {

const QString FolderName = QStringLiteral("Sicherungen");
const QString Unfinished = QStringLiteral(".neu-");
const QString StagingTable = QStringLiteral("temp.\"velunda_restore\"");

// Folder names: date_time[-n]_cause, the cause with "_" for its blanks.
const QRegularExpression NamePattern(
    QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})_(\\d{2})-(\\d{2})-(\\d{2})(?:-(\\d+))?_(.+)$"));

QString causeInName(const QString &cause)
{
    QString s = cause.trimmed();
    static const QRegularExpression notInFileNames(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    s.replace(notInFileNames, QStringLiteral("-"));
    s.replace(QLatin1Char(' '), QLatin1Char('_'));
    return s.isEmpty() ? QStringLiteral("Sicherung") : s;
}

struct Parsed
{
    Snapshot snapshot;
    int sequence = 0;
};

std::optional<Parsed> parse(const QDir &folder, const QString &name)
{
    const QRegularExpressionMatch m = NamePattern.match(name);
    if (!m.hasMatch())
        return std::nullopt;
    const QDateTime time =
        QDateTime::fromString(m.captured(1) + QLatin1Char(' ') + m.captured(2) + QLatin1Char(':')
                                  + m.captured(3) + QLatin1Char(':') + m.captured(4),
                              QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!time.isValid())
        return std::nullopt;
    Parsed p;
    p.snapshot.name = name;
    p.snapshot.time = time;
    p.snapshot.cause = QString(m.captured(6)).replace(QLatin1Char('_'), QLatin1Char(' '));
    p.snapshot.path = folder.filePath(name);
    p.sequence = m.captured(5).toInt();
    return p;
}

QList<Parsed> parsedList(const QString &databaseDirectory)
{
    const QDir dir(folder(databaseDirectory));
    QList<Parsed> found;
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (std::optional<Parsed> p = parse(dir, name))
            found << *p;
    }
    std::sort(found.begin(), found.end(), [](const Parsed &a, const Parsed &b) {
        if (a.snapshot.time != b.snapshot.time)
            return a.snapshot.time > b.snapshot.time;
        return a.sequence > b.sequence;
    });
    return found;
}

[[noreturn]] void fail(const QString &what, const QString &why)
{
    throw DatabaseError(QStringLiteral("Die Sicherung %1 konnte nicht geschrieben werden: %2")
                            .arg(QDir::toNativeSeparators(what), why));
}

// Copies one attached file, as the open read transaction of source sees it.
void copyFile(Database &source, const QString &schema, const QString &target)
{
    sqlite3 *dest = nullptr;
    int rc = sqlite3_open_v2(target.toUtf8().constData(), &dest,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const auto text = [&](int code) {
        return QString::fromUtf8(dest ? sqlite3_errmsg(dest) : sqlite3_errstr(code));
    };
    if (rc == SQLITE_OK) {
        // A snapshot that does not get through is never published, so its files need no
        // journal; the last step waits for the disk unless the tests say otherwise.
        rc = sqlite3_exec(dest,
                          Database::isDurable() ? "PRAGMA journal_mode = OFF"
                                                : "PRAGMA journal_mode = OFF; "
                                                  "PRAGMA synchronous = OFF",
                          nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        const QString why = text(rc);
        sqlite3_close(dest);
        fail(target, why);
    }
    sqlite3_backup *backup =
        sqlite3_backup_init(dest, "main", source.handle(), schema.toUtf8().constData());
    if (!backup) {
        const QString why = text(sqlite3_errcode(dest));
        sqlite3_close(dest);
        fail(target, why);
    }
    sqlite3_backup_step(backup, -1);
    rc = sqlite3_backup_finish(backup);
    const QString why = rc == SQLITE_OK ? QString() : text(rc);
    if (sqlite3_close(dest) != SQLITE_OK && rc == SQLITE_OK)
        fail(target, QStringLiteral("die Datei lässt sich nicht schliessen"));
    if (rc != SQLITE_OK)
        fail(target, why);
}

// Snapshots of one second are numbered, so that the list keeps the order they were taken in.
QString uniqueName(const QDir &dir, const QDateTime &now, const QString &cause)
{
    const QString stamp = now.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    int sequence = 0;
    for (const QString &name : dir.entryList({stamp + QLatin1Char('*')}, QDir::Dirs)) {
        if (std::optional<Parsed> p = parse(dir, name))
            sequence = std::max(sequence, std::max(p->sequence, 1));
    }
    const QString tail = QLatin1Char('_') + causeInName(cause);
    if (sequence == 0)
        return stamp + tail;
    return stamp + QLatin1Char('-') + QString::number(sequence + 1) + tail;
}

QList<const Schema::Table *> filesOf(const Database &db)
{
    QList<const Schema::Table *> files;
    for (const Schema::Table &t : Schema::tables())
        files << &t;
    if (db.hasChangeLog())
        files << &Schema::changeLog();
    return files;
}

QStringList keyColumns(const Schema::Table &table)
{
    if (!table.primaryKey.isEmpty())
        return table.primaryKey;
    for (const Schema::Column &c : table.columns) {
        if (c.type == Schema::ColumnType::AutoIncrement)
            return {c.name};
    }
    return {};
}

// The rows of one table of the snapshot into the staging table, value for value.
void stage(Database &db, Database &snapshot, const Schema::Table &table)
{
    const QString target = Schema::table(table.name)->schemaName() + QStringLiteral(".\"")
        + table.name + QLatin1Char('"');
    db.exec(QStringLiteral("DROP TABLE IF EXISTS %1; CREATE TABLE %1 AS SELECT * FROM %2 WHERE 0")
                .arg(StagingTable, target));
    QStringList placeholders;
    for (int i = 1; i <= table.columns.size(); ++i)
        placeholders << QStringLiteral("?%1").arg(i);
    const QByteArray insertSql = QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                     .arg(StagingTable, placeholders.join(QStringLiteral(", ")))
                                     .toUtf8();
    const QByteArray selectSql = QStringLiteral("SELECT * FROM \"%1\"").arg(table.name).toUtf8();
    sqlite3_stmt *read = nullptr;
    sqlite3_stmt *insert = nullptr;
    int rc = sqlite3_prepare_v2(snapshot.handle(), selectSql.constData(), -1, &read, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(read);
        snapshot.raise(rc);
    }
    rc = sqlite3_prepare_v2(db.handle(), insertSql.constData(), -1, &insert, nullptr);
    bool readFailed = false;
    while (rc == SQLITE_OK) {
        const int step = sqlite3_step(read);
        if (step != SQLITE_ROW) {
            readFailed = step != SQLITE_DONE;
            rc = step == SQLITE_DONE ? SQLITE_OK : step;
            break;
        }
        for (int i = 0; i < sqlite3_column_count(read); ++i)
            sqlite3_bind_value(insert, i + 1, sqlite3_column_value(read, i));
        rc = sqlite3_step(insert);
        rc = rc == SQLITE_DONE ? sqlite3_reset(insert) : rc;
    }
    sqlite3_finalize(read);
    sqlite3_finalize(insert);
    if (rc != SQLITE_OK) {
        if (readFailed)
            snapshot.raise(rc);
        db.raise(rc);
    }
}

// Makes the table equal to the staging table: rows that are gone are deleted, rows that
// differ are updated (so that the change log's triggers see exactly what changed), missing
// rows are inserted with their keys.
void merge(Database &db, const Schema::Table &table)
{
    const QString target =
        table.schemaName() + QStringLiteral(".\"") + table.name + QLatin1Char('"');
    const QString t = QLatin1Char('"') + table.name + QLatin1Char('"');
    const QStringList keys = keyColumns(table);
    if (keys.isEmpty()) {
        db.exec(QStringLiteral("DELETE FROM %1; INSERT INTO %1 SELECT * FROM %2")
                    .arg(target, StagingTable));
        return;
    }
    QStringList match;
    for (const QString &k : keys)
        match << QStringLiteral("r.\"%1\" = %2.\"%1\"").arg(k, t);
    const QString matches = match.join(QStringLiteral(" AND "));
    db.exec(QStringLiteral("DELETE FROM %1 WHERE NOT EXISTS (SELECT 1 FROM %2 r WHERE %3)")
                .arg(target, StagingTable, matches));
    QStringList set;
    QStringList differs;
    for (const Schema::Column &c : table.columns) {
        if (keys.contains(c.name))
            continue;
        set << QStringLiteral("\"%1\" = r.\"%1\"").arg(c.name);
        differs << QStringLiteral("%1.\"%2\" IS NOT r.\"%2\"").arg(t, c.name);
    }
    if (!set.isEmpty())
        db.exec(QStringLiteral("UPDATE %1 SET %2 FROM %3 AS r WHERE %4 AND (%5)")
                    .arg(target, set.join(QStringLiteral(", ")), StagingTable, matches,
                         differs.join(QStringLiteral(" OR "))));
    QStringList matchInsert;
    for (const QString &k : keys)
        matchInsert << QStringLiteral("x.\"%1\" = r.\"%1\"").arg(k);
    db.exec(QStringLiteral("INSERT INTO %1 SELECT * FROM %2 r WHERE NOT EXISTS "
                           "(SELECT 1 FROM %1 x WHERE %3)")
                .arg(target, StagingTable, matchInsert.join(QStringLiteral(" AND "))));
}

} // namespace

QString folder(const QString &databaseDirectory)
{
    return QDir(databaseDirectory).filePath(FolderName);
}

Snapshot take(Database &db, const QString &cause, const QDateTime &now)
{
    if (sqlite3_get_autocommit(db.handle()) == 0)
        throw DatabaseError(
            QStringLiteral("Eine Sicherung kann nicht mitten in einer Änderung entstehen."));
    QDir dir(folder(db.directory()));
    if (!dir.mkpath(QStringLiteral(".")))
        fail(dir.path(), QStringLiteral("der Ordner lässt sich nicht anlegen"));
    // What a full disk or a crash left of an earlier attempt.
    for (const QString &old :
         dir.entryList({Unfinished + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden))
        QDir(dir.filePath(old)).removeRecursively();

    const QString name = uniqueName(dir, now, cause);
    const QString staging = dir.filePath(Unfinished + name);
    if (!dir.mkpath(Unfinished + name))
        fail(staging, QStringLiteral("der Ordner lässt sich nicht anlegen"));
    const QList<const Schema::Table *> files = filesOf(db);
    try {
        // One read transaction over every file: all copies show the same moment.
        db.exec(QStringLiteral("BEGIN"));
        for (const Schema::Table *t : files) {
            Statement s(
                db,
                QStringLiteral("SELECT count(*) FROM \"%1\".sqlite_master").arg(t->schemaName()));
            s.next();
        }
        for (const Schema::Table *t : files)
            copyFile(db, t->schemaName(), QDir(staging).filePath(t->fileName()));
        db.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        if (sqlite3_get_autocommit(db.handle()) == 0)
            sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        QDir(staging).removeRecursively();
        throw;
    }
    if (!dir.rename(Unfinished + name, name)) {
        QDir(staging).removeRecursively();
        fail(dir.filePath(name), QStringLiteral("der Ordner lässt sich nicht umbenennen"));
    }
    prune(db.directory());
    return parse(dir, name)->snapshot;
}

QList<Snapshot> list(const QString &databaseDirectory)
{
    QList<Snapshot> snapshots;
    for (const Parsed &p : parsedList(databaseDirectory))
        snapshots << p.snapshot;
    return snapshots;
}

std::optional<Snapshot> find(const QString &databaseDirectory, const QString &name)
{
    const QList<Snapshot> all = list(databaseDirectory);
    std::optional<Snapshot> prefixed;
    int prefixCount = 0;
    for (const Snapshot &s : all) {
        if (s.name == name)
            return s;
        if (!name.isEmpty() && s.name.startsWith(name)) {
            prefixed = s;
            ++prefixCount;
        }
    }
    return prefixCount == 1 ? prefixed : std::nullopt;
}

void prune(const QString &databaseDirectory)
{
    const QList<Snapshot> all = list(databaseDirectory);
    QSet<QDate> days;
    for (int i = 0; i < all.size(); ++i) {
        const QDate day = all.at(i).time.date();
        const bool lastOfDay = !days.contains(day);
        days.insert(day);
        if (i >= KeepLast && !lastOfDay)
            QDir(all.at(i).path).removeRecursively();
    }
}

void restore(Database &db, const Snapshot &snapshot)
{
    Database source;
    try {
        source.openReadOnly(snapshot.path);
    } catch (const DatabaseError &e) {
        throw DatabaseError(QStringLiteral("Die Sicherung %1 lässt sich nicht lesen: %2")
                                .arg(snapshot.name, e.message()));
    }
    {
        Transaction transaction(db);
        ChangeSource changeSource(db, ChangeLog::Restore);
        for (const Schema::Table &table : Schema::tables()) {
            stage(db, source, table);
            merge(db, table);
        }
        db.exec(QStringLiteral("DROP TABLE ") + StagingTable);
        transaction.commit();
    }
}

} // namespace Snapshots

QString Snapshot::timeText() const
{
    return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}
