#pragma once

#include <QList>
#include <QString>

class Database;

// Every change of a stored result, of a finished or printed flag and of an entry's start
// number is recorded in the change log ("Protokoll.dat") by triggers of the connection, in the
// same transaction as the change itself: a change that is rolled back leaves no line, and a
// statement that changes a thousand rows records them inside the engine, without a round trip
// per row. The triggers live on the connection only; the table files keep their schema.
namespace ChangeLog {

// Where a change came from. The list is open: a later source ("Posten 3") is just a text.
inline const QString ResultEntry = QStringLiteral("Ergebniseingabe");
inline const QString MainWindow = QStringLiteral("Hauptfenster");
inline const QString RankList = QStringLiteral("Rangliste");
inline const QString StartNumbers = QStringLiteral("Startnummern");
inline const QString Entry = QStringLiteral("Meldung");
inline const QString Import = QStringLiteral("Import");
inline const QString Restore = QStringLiteral("Wiederherstellung");
// A change made while no source was named.
inline const QString Unnamed = QStringLiteral("Velunda");

struct Field
{
    QString table;
    QString column;
    QString caption; // as the history shows it
    bool perPost; // a result of one post; otherwise a field of the entry
};

// The logged fields, in the order a history lists the fields of one moment.
const QList<Field> &fields();
QString caption(const QString &column); // the column itself when it is not logged

// Creates the triggers and the source function on a connection opened for writing.
void install(Database &db);

} // namespace ChangeLog

// Names the source of the changes made while it lives. The outermost name wins: an operation
// that another calls (the finished flags after the result dialog, the entries of an import)
// keeps its caller's source.
class ChangeSource
{
public:
    ChangeSource(Database &db, const QString &source);
    ~ChangeSource();
    ChangeSource(const ChangeSource &) = delete;
    ChangeSource &operator=(const ChangeSource &) = delete;

private:
    Database &m_db;
    QString m_previous;
};
