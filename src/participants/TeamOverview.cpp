#include "participants/TeamOverview.h"

#include "app/Competition.h"
#include "app/UserInterface.h"
#include "backup/Safeguard.h"
#include "data/DataLibrary.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "participants/Entries.h"
#include "participants/Groups.h"
#include "participants/StartNumbers.h"
#include "participants/TeamLists.h"
#include "reports/Scorecards.h"

TeamOverview::TeamOverview(Competition &competition) : m_competition(competition)
{ }

void TeamOverview::SetEventListShown(bool eventList)
{
    m_eventList = eventList;
    Reload();
}

void TeamOverview::SetKindFilter(int typ)
{
    (m_eventList ? m_eventFilter : m_allFilter) = typ;
    Reload();
}

void TeamOverview::SetAllParticipantsFilter(int typ)
{
    m_allFilter = typ;
    Reload();
}

void TeamOverview::Reload()
{
    Database &db = m_competition.data().db();
    if (!m_competition.data().databaseOpen()) {
        m_rows.clear();
        return;
    }
    m_rows = m_eventList
        ? TeamLists::EventParticipants(db, m_competition.CurrentAnlassNr(), m_eventFilter)
        : TeamLists::AllParticipants(db, m_allFilter);
}

int TeamOverview::indexOf(int teamNr) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).TeamNr == teamNr)
            return i;
    }
    return -1;
}

int TeamOverview::PositionByName(const QString &text) const
{
    return m_eventList ? -1 : TeamLists::PositionByName(m_rows, text);
}

void TeamOverview::FormShow()
{
    m_eventList = false;
    m_competition.startNumbers().ResetRandomNumbers();
    message.clear();
    Reload();
}

bool TeamOverview::DeleteTeam(const OverviewRow &row)
{
    UserInterface &ui = m_competition.ui();
    const QString name = row.displayName();
    if (!ui.askYesNo(QStringLiteral("Wollen Sie den Eintrag [") + name
                     + QStringLiteral("] wirklich löschen?")))
        return false;
    DataLibrary &data = m_competition.data();
    QString usage;
    if (data.IsTeamInUse(row.TeamNr, usage)) {
        ui.information(
            QStringLiteral("%1 wird noch in %2 verwendet und kann nicht gelöscht werden.")
                .arg(name, usage));
        return false;
    }
    Safeguard::Command command(m_competition.safeguard(),
                               row.isGroup() ? QStringLiteral("Gruppe löschen")
                                             : QStringLiteral("Team löschen"));
    {
        Transaction transaction(data.db());
        // A group takes its memberships along: left behind, they would keep its former
        // members "in use" by a group that no longer exists.
        Statement members(data.db(),
                          QStringLiteral("DELETE FROM TeamsProGruppe WHERE GruppenNr = :TeamNr"));
        members.bind("TeamNr", row.TeamNr);
        members.exec();
        Statement team(data.db(), QStringLiteral("DELETE FROM Team WHERE TeamNr = :TeamNr"));
        team.bind("TeamNr", row.TeamNr);
        team.exec();
        transaction.commit();
    }
    command.done();
    Reload();
    return true;
}

void TeamOverview::EnterRow(const OverviewRow &row, bool printOnSave)
{
    message.clear();
    if (row.isGroup()) {
        message = Groups(m_competition).EnterGroup(row.TeamNr, printOnSave);
    } else {
        const int anlassNr = m_competition.CurrentAnlassNr();
        if (m_competition.entries().EnterParticipant(anlassNr, row.TeamNr, false, 0))
            message = row.displayName() + QStringLiteral(" wurde in den Anlass eingefügt.");
        else if (m_competition.data().ReadEntry(anlassNr, row.TeamNr))
            // Silence here would read as a key that did not arrive.
            message = row.displayName() + QStringLiteral(" ist bereits im Anlass eingetragen.");
        if (printOnSave)
            m_competition.scorecards().OutputScorecards(true, row.TeamNr);
    }
    // The event list, when shown, gains the entered rows.
    Reload();
}

bool TeamOverview::InsertWithStartNr(const OverviewRow &row)
{
    if (!row.isTeam())
        return false;
    DataLibrary &data = m_competition.data();
    int startNr = 0;
    {
        Transaction transaction(data.db());
        m_competition.entries().EnterParticipant(m_competition.CurrentAnlassNr(), row.TeamNr, false,
                                                 0);
        std::optional<TeamRow> team = data.ReadTeam(row.TeamNr);
        if (team) {
            if (team->StartNr == 0) {
                team->StartNr = data.NextStartNr();
                data.SaveTeam(*team);
            }
            startNr = team->StartNr;
            m_competition.startNumbers().SetEntryStartNr(row.TeamNr, startNr);
        }
        transaction.commit();
    }
    m_competition.RefreshParticipant(row.TeamNr);
    Reload();
    message = row.displayName() + QStringLiteral(" wurde mit Startnummer ")
        + QString::number(startNr) + QStringLiteral(" in den Anlass eingefügt.");
    return true;
}

bool TeamOverview::InsertWithoutStartNr(const OverviewRow &row)
{
    if (!row.isTeam())
        return false;
    m_competition.entries().EnterParticipant(m_competition.CurrentAnlassNr(), row.TeamNr, false, 0);
    Reload();
    message = row.displayName() + QStringLiteral(" wurde in den Anlass eingefügt.");
    return true;
}

void TeamOverview::CollectSelection(const QList<int> &teamNrs, QStringList &selectionList)
{
    for (int teamNr : teamNrs) {
        const QString text = QString::number(teamNr);
        if (!selectionList.contains(text))
            selectionList << text;
    }
    selectionList.sort();
}
