#include "participants/StartNumbers.h"

#include "app/Competition.h"
#include "app/UserInterface.h"
#include "backup/Safeguard.h"
#include "data/DataLibrary.h"
#include "engine/ChangeLog.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "participants/TeamLists.h"

#include <memory>
#include <random>

StartNumbers::StartNumbers(Competition &competition) : m_competition(competition)
{ }

bool StartNumbers::ClearStrNrBtnClick()
{
    if (!m_competition.ui().askYesNo(QStringLiteral(
            "Wollen Sie wirklich die Startnummer der Teams dieses Anlasses auf Null setzen?")))
        return false;
    Safeguard::Command command(m_competition.safeguard(), QStringLiteral("Startnummern auf Null"));
    ClearStartNumbers();
    command.done();
    m_competition.RefreshParticipants();
    return true;
}

void StartNumbers::ClearStartNumbers()
{
    Database &db = m_competition.data().db();
    Transaction transaction(db);
    ChangeSource source(db, ChangeLog::StartNumbers);
    Statement teams(
        db,
        QStringList{
            QStringLiteral("UPDATE Team SET StartNr = 0"),
            QStringLiteral(
                "WHERE TeamNr IN (SELECT TeamNr FROM TeamsProAnlass WHERE AnlassNr = :AnlassNr)")});
    teams.bind("AnlassNr", m_competition.CurrentAnlassNr());
    teams.exec();
    // Every entry of the event, also one whose team has vanished: a number left there
    // would push the next free number up.
    Statement entries(
        db, QStringLiteral("UPDATE TeamsProAnlass SET StartNr = 0 WHERE AnlassNr = :AnlassNr"));
    entries.bind("AnlassNr", m_competition.CurrentAnlassNr());
    entries.exec();
    transaction.commit();
}

void StartNumbers::ResetRandomNumbers()
{
    m_competition.data().db().exec(
        QStringLiteral("UPDATE Team SET RandomNum = 0 WHERE RandomNum <> 0"));
}

void StartNumbers::SetEntryStartNr(int teamNr, int startNr)
{
    Statement s(m_competition.data().db(),
                QStringLiteral("UPDATE TeamsProAnlass SET StartNr = :StartNr "
                               "WHERE AnlassNr = :AnlassNr AND TeamNr = :TeamNr"));
    s.bind("StartNr", startNr)
        .bind("AnlassNr", m_competition.CurrentAnlassNr())
        .bind("TeamNr", teamNr);
    s.exec();
}

void StartNumbers::numberDrawnParticipants()
{
    Database &db = m_competition.data().db();
    const int anlassNr = m_competition.CurrentAnlassNr();
    // A generator seeded afresh for every draw, so that each run gives a new order; equal
    // draws fall back to the name order that the team overview shows.
    auto generator = std::make_shared<std::mt19937>(std::random_device{}());
    db.defineFunction(QStringLiteral("velunda_draw"), [generator] {
        return qint64(std::uniform_int_distribution<int>(0, 19999)(*generator));
    });
    db.defineCollation(QStringLiteral("VelundaName"), TeamLists::compareNames);
    // The numbers of this run, computed for the whole event before anything is written. The
    // draws live here rather than in Team.RandomNum: they matter only for this order. Own is
    // the number the participant's pass gives it, StartNr the one it keeps.
    db.exec(
        QStringLiteral("DROP TABLE IF EXISTS temp.StartDraw;"
                       "CREATE TEMP TABLE StartDraw (TeamNr INTEGER PRIMARY KEY, "
                       "Typ INTEGER NOT NULL, Own INTEGER NOT NULL, StartNr INTEGER NOT NULL)"));
    // Teams (members included) 1, 2, 3 ... in the drawn order, then the groups after them.
    Statement own(
        db,
        QStringList{
            QStringLiteral("INSERT INTO temp.StartDraw (TeamNr, Typ, Own, StartNr)"),
            QStringLiteral(
                "WITH drawn AS MATERIALIZED (SELECT t.TeamNr, t.Typ, t.Name, t.Vorname,"),
            QStringLiteral("    velunda_draw() AS RandomNum"),
            QStringLiteral("  FROM TeamsProAnlass e JOIN Team t ON t.TeamNr = e.TeamNr"),
            QStringLiteral("  WHERE e.AnlassNr = :AnlassNr AND t.Typ IN (1, 2))"),
            QStringLiteral("SELECT TeamNr, Typ, n, n FROM (SELECT TeamNr, Typ, row_number()"),
            QStringLiteral("    OVER (ORDER BY Typ, RandomNum, Name COLLATE VelundaName,"),
            QStringLiteral("          Vorname COLLATE VelundaName, TeamNr) AS n FROM drawn)")});
    own.bind("AnlassNr", anlassNr);
    own.exec();
    // Every member of a numbered group takes its group's number, entered or not. Numbers
    // grow with the order in which the participants are numbered, so of several numbers
    // given to one participant the highest is the last, the one it keeps.
    db.exec(QStringLiteral(
        "INSERT INTO temp.StartDraw (TeamNr, Typ, Own, StartNr)\n"
        "SELECT g.TeamNr, 0, 0, max(d.Own) FROM TeamsProGruppe g\n"
        "  JOIN temp.StartDraw d ON d.TeamNr = g.GruppenNr AND d.Typ = 2\n"
        "  JOIN Team t ON t.TeamNr = g.TeamNr\n"
        "WHERE true GROUP BY g.TeamNr\n"
        "ON CONFLICT (TeamNr) DO UPDATE SET StartNr = max(StartNr, excluded.StartNr)"));
    // One write per row: the numbers drawn, 0 for a participant left without one (a kind
    // that is neither team nor group, or an entry whose team is gone).
    Statement teams(
        db,
        QStringList{QStringLiteral("UPDATE Team SET StartNr = coalesce((SELECT d.StartNr FROM "
                                   "temp.StartDraw d WHERE d.TeamNr = Team.TeamNr), 0)"),
                    QStringLiteral("WHERE TeamNr IN (SELECT TeamNr FROM TeamsProAnlass WHERE "
                                   "AnlassNr = :AnlassNr"),
                    QStringLiteral("    UNION SELECT TeamNr FROM temp.StartDraw)")});
    teams.bind("AnlassNr", anlassNr);
    teams.exec();
    Statement entries(
        db,
        QStringList{QStringLiteral("UPDATE TeamsProAnlass SET StartNr = coalesce((SELECT "
                                   "d.StartNr FROM temp.StartDraw d"),
                    QStringLiteral("    WHERE d.TeamNr = TeamsProAnlass.TeamNr), 0)"),
                    QStringLiteral("WHERE AnlassNr = :AnlassNr")});
    entries.bind("AnlassNr", anlassNr);
    entries.exec();
    db.exec(QStringLiteral("DROP TABLE temp.StartDraw"));
}

bool StartNumbers::NewStrNrBtnClick()
{
    if (!m_competition.ui().askYesNo(
            QStringLiteral("Wollen Sie wirklich die Startnummern aller Teams und Gruppen dieses "
                           "Anlasses neu vergeben?")))
        return false;
    BusyCursor busy(m_competition.ui());
    Safeguard::Command command(m_competition.safeguard(), QStringLiteral("Neue Startnummern"));
    DrawStartNumbers();
    command.done();
    m_competition.RefreshParticipants();
    return true;
}

void StartNumbers::DrawStartNumbers()
{
    Database &db = m_competition.data().db();
    Transaction transaction(db);
    ChangeSource source(db, ChangeLog::StartNumbers);
    numberDrawnParticipants();
    // Draws that a broken run of an older version left behind.
    ResetRandomNumbers();
    transaction.commit();
}
