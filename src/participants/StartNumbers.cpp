#include "participants/StartNumbers.h"

#include "app/Competition.h"
#include "app/UserInterface.h"
#include "backup/Safeguard.h"
#include "data/DataLibrary.h"
#include "engine/ChangeLog.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "participants/TeamLists.h"

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

void StartNumbers::DrawRandomNumbers()
{
    Database &db = m_competition.data().db();
    std::random_device seed;
    std::mt19937 generator(seed());
    std::uniform_int_distribution<int> draw(0, 19999);
    Transaction transaction(db);
    Statement update(
        db, QStringLiteral("UPDATE Team SET RandomNum = :RandomNum WHERE TeamNr = :TeamNr"));
    for (const OverviewRow &row :
         TeamLists::EventParticipants(db, m_competition.CurrentAnlassNr())) {
        update.reset();
        update.bind("RandomNum", draw(generator)).bind("TeamNr", row.TeamNr);
        update.exec();
    }
    transaction.commit();
}

int StartNumbers::nextStartNr()
{
    return m_competition.data().NextStartNr();
}

void StartNumbers::setStandingNumber(int teamNr, int startNr)
{
    Statement s(m_competition.data().db(),
                QStringLiteral("UPDATE Team SET StartNr = :StartNr WHERE TeamNr = :TeamNr"));
    s.bind("StartNr", startNr).bind("TeamNr", teamNr);
    s.exec();
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

bool StartNumbers::NewStrNrBtnClick()
{
    if (!m_competition.ui().askYesNo(
            QStringLiteral("Wollen Sie wirklich die Startnummern aller Teams und Gruppen dieses "
                           "Anlasses neu vergeben?")))
        return false;
    BusyCursor busy(m_competition.ui());
    Safeguard::Command command(m_competition.safeguard(), QStringLiteral("Neue Startnummern"));
    Database &db = m_competition.data().db();
    {
        Transaction transaction(db);
        ChangeSource source(db, ChangeLog::StartNumbers);
        ClearStartNumbers();
        DrawRandomNumbers();
        Statement members(
            db,
            QStringList{
                QStringLiteral(
                    "SELECT g.TeamNr FROM TeamsProGruppe g JOIN Team t ON t.TeamNr = g.TeamNr"),
                QStringLiteral("WHERE g.GruppenNr = :GruppenNr ORDER BY g.TeamNr")});
        // Members entered in the event are listed among the teams and first get numbers of
        // their own; their group's pass then gives them its number instead.
        for (const OverviewRow &row :
             TeamLists::EventParticipants(db, m_competition.CurrentAnlassNr())) {
            if (!row.isTeam() && !row.isGroup())
                continue;
            const int n = nextStartNr();
            setStandingNumber(row.TeamNr, n);
            SetEntryStartNr(row.TeamNr, n);
            if (!row.isGroup())
                continue;
            QList<int> memberNrs;
            members.reset();
            members.bind("GruppenNr", row.TeamNr);
            while (members.next())
                memberNrs << int(members.integer(0));
            for (int member : memberNrs) {
                setStandingNumber(member, n);
                SetEntryStartNr(member, n);
            }
        }
        ResetRandomNumbers();
        transaction.commit();
    }
    command.done();
    m_competition.RefreshParticipants();
    return true;
}
