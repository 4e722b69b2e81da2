#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class Database;

// One backup of a database directory: a folder in "Sicherungen" named by the moment and the
// command that caused it ("2024-05-04_19-32-10_Anlass_löschen").
struct Snapshot
{
    QString name; // the folder's name, which restore takes
    QDateTime time;
    QString cause;
    QString path;

    QString timeText() const; // "04.05.2024 19:32:10"
};

// Consistent copies of the database: every file as of one moment, read through SQLite's
// online backup in one read transaction (never a plain copy of a file in use), written into
// a hidden folder first and published by renaming it, so that a snapshot cut short by a full
// disk or a crash is never listed.
//
// The folder "Sicherungen" lies inside the database directory: SQLite already needs to write
// there, the backups travel with the database when the directory is copied, and two databases
// in one parent folder never mix their backups.
namespace Snapshots {

QString folder(const QString &databaseDirectory);
constexpr int KeepLast = 30; // and the last of each day besides

// db must be open and outside a transaction. Throws DatabaseError when the snapshot cannot be
// written; nothing is listed then. Afterwards the oldest are pruned.
Snapshot take(Database &db, const QString &cause,
              const QDateTime &now = QDateTime::currentDateTime());

QList<Snapshot> list(const QString &databaseDirectory); // newest first
// The snapshot of that name, or the only one whose name begins with it.
std::optional<Snapshot> find(const QString &databaseDirectory, const QString &name);
// Keeps the newest KeepLast and the newest of each day; deletes the others.
void prune(const QString &databaseDirectory);

// Puts the rows of the snapshot in place of the current ones, as one change: a crash or an
// error leaves the database as it was. The change log is not replaced: it records the
// results, flags and start numbers that the restore changed, as "Wiederherstellung". The
// caller takes a snapshot of the current state first.
void restore(Database &db, const Snapshot &snapshot);

} // namespace Snapshots
