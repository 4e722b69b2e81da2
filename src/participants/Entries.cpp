#include "participants/Entries.h"

#include "app/Competition.h"
#include "app/UserInterface.h"
#include "backup/Safeguard.h"
#include "data/DataLibrary.h"
#include "engine/ChangeLog.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"

Entries::Entries(Competition &competition) : m_competition(competition)
{ }

namespace {

int nextStartNr(Database &db, int anlassNr)
{
    // NextStartNr of the data module, for the event given rather than the open one.
    Statement s(
        db, QStringLiteral("SELECT max(StartNr) FROM TeamsProAnlass WHERE AnlassNr = :AnlassNr"));
    s.bind("AnlassNr", anlassNr);
    return (s.next() ? int(s.integer(0)) : 0) + 1;
}

} // namespace

void Entries::EnterParticipant(int anlassNr, int teamNr, bool isGroup, int groupNr)
{
    {
        Transaction transaction(m_competition.data().db());
        EnterInto(m_competition.data(), anlassNr, teamNr, isGroup, groupNr);
        transaction.commit();
    }
    // A member entry is not listed; its group's row shows what the member adds to it.
    m_competition.RefreshParticipant(groupNr != 0 ? groupNr : teamNr);
}

void Entries::EnterGroup(int anlassNr, int groupNr, const QList<int> &memberNrs)
{
    {
        Transaction transaction(m_competition.data().db());
        EnterInto(m_competition.data(), anlassNr, groupNr, true, 0);
        for (int member : memberNrs)
            EnterInto(m_competition.data(), anlassNr, member, false, groupNr);
        transaction.commit();
    }
    m_competition.RefreshParticipant(groupNr);
}

bool Entries::EnterInto(DataLibrary &data, int anlassNr, int teamNr, bool isGroup, int groupNr)
{
    Database &db = data.db();
    if (!data.ReadEvent(anlassNr) || data.ReadEntry(anlassNr, teamNr))
        return false;
    std::optional<TeamRow> team = data.ReadTeam(teamNr);
    // An entry of a team that does not exist would be invisible and still hold a number.
    if (!team)
        return false;
    ChangeSource source(db, ChangeLog::Entry);

    int groupStartNr = 0;
    if (groupNr != 0) {
        if (const std::optional<TeamRow> group = data.ReadTeam(groupNr))
            groupStartNr = group->StartNr;
    }
    // A participant keeps its standing number from event to event; only one without a
    // number gets one here, and keeps it.
    if (team->StartNr == 0) {
        team->StartNr = groupStartNr != 0 ? groupStartNr : nextStartNr(db, anlassNr);
        Statement update(
            db, QStringLiteral("UPDATE Team SET StartNr = :StartNr WHERE TeamNr = :TeamNr"));
        update.bind("StartNr", team->StartNr).bind("TeamNr", teamNr);
        update.exec();
    }

    EntryRow entry;
    entry.AnlassNr = anlassNr;
    entry.TeamNr = teamNr;
    entry.StartNr = team->StartNr;
    entry.IsGroup = isGroup;
    entry.GroupNr = groupNr;
    // Members are counted through their group: their own entries start out finished.
    entry.Abgeschlossen = groupNr != 0;
    entry.ZusatzAbgeschlossen = groupNr != 0;
    data.SaveEntry(entry);

    // One empty row per active post; a row that exists already (a member entered before
    // or through its group) is kept as it is.
    Statement rows(
        db,
        isGroup ? QStringList{QStringLiteral(
                                  "INSERT OR IGNORE INTO Parcours (AnlassNr, PostenNr, TeamNr)"),
                              QStringLiteral("SELECT :AnlassNr, p.PostenNr, g.TeamNr"),
                              QStringLiteral("FROM Posten p, TeamsProGruppe g"),
                              QStringLiteral("WHERE p.Aktiv <> 0 AND g.GruppenNr = :TeamNr"),
                              QStringLiteral("ORDER BY p.PostenNr, g.TeamNr")}
                : QStringList{
                    QStringLiteral("INSERT OR IGNORE INTO Parcours (AnlassNr, PostenNr, TeamNr)"),
                    QStringLiteral("SELECT :AnlassNr, p.PostenNr, :TeamNr"),
                    QStringLiteral("FROM Posten p WHERE p.Aktiv <> 0"),
                    QStringLiteral("ORDER BY p.PostenNr")});
    rows.bind("AnlassNr", anlassNr).bind("TeamNr", teamNr);
    rows.exec();
    return true;
}

void Entries::removeEntry(int anlassNr, int teamNr)
{
    Database &db = m_competition.data().db();
    Statement own(
        db, QStringLiteral("DELETE FROM Parcours WHERE AnlassNr = :AnlassNr AND TeamNr = :TeamNr"));
    own.bind("AnlassNr", anlassNr).bind("TeamNr", teamNr);
    own.exec();
    Statement members(
        db,
        QStringList{
            QStringLiteral("DELETE FROM Parcours WHERE AnlassNr = :AnlassNr AND TeamNr IN"),
            QStringLiteral("  (SELECT TeamNr FROM TeamsProAnlass WHERE AnlassNr = :AnlassNr AND "
                           "GroupNr = :TeamNr)")});
    members.bind("AnlassNr", anlassNr).bind("TeamNr", teamNr);
    members.exec();
    Statement entries(db,
                      QStringLiteral("DELETE FROM TeamsProAnlass WHERE AnlassNr = :AnlassNr "
                                     "AND (GroupNr = :TeamNr OR TeamNr = :TeamNr)"));
    entries.bind("AnlassNr", anlassNr).bind("TeamNr", teamNr);
    entries.exec();
}

void Entries::RemoveEntry(int teamNr)
{
    DataLibrary &data = m_competition.data();
    const std::optional<TeamRow> team = data.ReadTeam(teamNr);
    const QString name = team ? DataLibrary::CalcFullName(team->Name, team->Vorname) : QString();
    if (!m_competition.ui().askYesNo(QStringLiteral("Wollen Sie den Eintrag [") + name
                                     + QStringLiteral("] wirklich löschen?")))
        return;
    const int anlassNr = m_competition.CurrentAnlassNr();
    if (!data.ReadEntry(anlassNr, teamNr))
        return;
    Safeguard::Command command(m_competition.safeguard(),
                               QStringLiteral("Team aus Anlass löschen"));
    {
        Transaction transaction(data.db());
        removeEntry(anlassNr, teamNr);
        transaction.commit();
    }
    command.done();
    m_competition.RefreshParticipants();
}

void Entries::RemoveSelectedEntries(const QList<int> &teamNrs)
{
    if (!m_competition.ui().askYesNo(
            QStringLiteral("Wollen Sie die selektierten Einträge wirklich löschen?")))
        return;
    const int anlassNr = m_competition.CurrentAnlassNr();
    Safeguard::Command command(m_competition.safeguard(), QStringLiteral("Einträge löschen"));
    {
        Transaction transaction(m_competition.data().db());
        for (int teamNr : teamNrs)
            removeEntry(anlassNr, teamNr);
        transaction.commit();
    }
    command.done();
    m_competition.RefreshParticipants();
}
