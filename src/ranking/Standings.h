#pragma once

#include "data/Rows.h"

#include <QList>
#include <QString>

#include <memory>

class DataLibrary;

// One line of a rank list, with the fields the printed list shows.
struct StandingRow
{
    int Rang = 0;
    int TeamNr = 0;
    int StartNr = 0;
    int KatNr = 0;
    double Punkte = 0;
    double Zeit = 0;
    QString CalcFullName;
    QString CalcVerein;
    QString CalcHund;
    QString CalcRasse;
    QString CalcKategorie;
};

// How many participants a list counts in a category, and how many of them have finished.
struct StandingProgress
{
    int finished = 0;
    int entered = 0;
};

// The rank list of an event computed in memory: the rows a rank list run with the same choice
// would print (filling, ordering and numbering as the run does, then the report's choice of
// rows), read from the tables without writing anything, not even the working table Rang.
// So it can run beside the program on a read-only connection, inside one read transaction.
namespace Standings {

// The kinds of list: the rank list dialog's choice and, for the main game, the menu entry.
enum class Kind { Single, Group, AddGame, Combined };

// What the lists of one event are computed from, read once: every list and count of one
// state of the database can then be computed without reading again.
class Snapshot
{
public:
    Snapshot(DataLibrary &data, const EventRow &event);
    ~Snapshot();
    Snapshot(const Snapshot &) = delete;
    Snapshot &operator=(const Snapshot &) = delete;

    const EventRow &event() const;

    // withPrinted: every finished participant, as if nobody had been marked printed yet;
    // without it, automatic rank lists pass over the printed ones as the program's next list
    // does.
    QList<StandingRow> compute(Kind kind, int katNr, bool withPrinted) const;

    // Participants of the list in the category (0: all) and those of them that have
    // finished: the teams (members of groups included) or, for the group list, the entries of
    // the participant list; the additional game counts the teams that play it.
    StandingProgress progress(Kind kind, int katNr) const;

    // The categories in which the event has participants (members of groups included), in
    // key order.
    QList<CategoryRow> categories() const;

    struct Tables; // what was read, defined beside the computation

private:
    std::unique_ptr<Tables> m_tables;
};

// One list, read and computed at once.
QList<StandingRow> compute(DataLibrary &data, const EventRow &event, Kind kind, int katNr,
                           bool withPrinted);
StandingProgress progress(DataLibrary &data, const EventRow &event, Kind kind, int katNr);

// The printed list's subtitle and whether points stand left of time.
QString subtitle(const EventRow &event, Kind kind);
bool pointsFirst(const QString &rankMethod);

} // namespace Standings
