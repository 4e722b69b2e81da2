#include "participants/Groups.h"

#include "app/Competition.h"
#include "app/UserInterface.h"
#include "backup/Safeguard.h"
#include "data/DataLibrary.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "participants/Entries.h"
#include "participants/TeamLists.h"
#include "reports/Scorecards.h"

#include <algorithm>

Groups::Groups(Competition &competition) : m_competition(competition)
{ }

QList<GroupItem> Groups::LoadGroups(int groupNr)
{
    QStringList sql{QStringLiteral("SELECT TeamNr, Name FROM Team WHERE Typ = 2")};
    if (groupNr != 0)
        sql << QStringLiteral("  AND TeamNr = :TeamNr");
    Statement s(m_competition.data().db(), sql);
    if (groupNr != 0)
        s.bind("TeamNr", groupNr);
    QList<GroupItem> groups;
    while (s.next())
        groups.append({int(s.integer("TeamNr")), s.text("Name")});
    std::sort(groups.begin(), groups.end(), [](const GroupItem &a, const GroupItem &b) {
        const int c = TeamLists::compareNames(a.Name, b.Name);
        return c != 0 ? c < 0 : a.TeamNr < b.TeamNr;
    });
    return groups;
}

int Groups::SelectedIndex(const QList<GroupItem> &groups, int groupNr, int oldIndex)
{
    if (groups.isEmpty())
        return -1;
    for (int i = 0; i < groups.size(); ++i) {
        if (groups.at(i).TeamNr == groupNr)
            return i;
    }
    return oldIndex >= 0 && oldIndex < groups.size() ? oldIndex : 0;
}

QList<MemberItem> Groups::LoadMembers(int groupNr)
{
    // A membership whose team has gone is still listed, so that it can be removed.
    Statement s(
        m_competition.data().db(),
        QStringList{QStringLiteral("SELECT g.TeamNr, t.Name, t.Vorname, t.Hund"),
                    QStringLiteral("FROM TeamsProGruppe g LEFT JOIN Team t ON t.TeamNr = g.TeamNr"),
                    QStringLiteral("WHERE g.GruppenNr = :GruppenNr ORDER BY g.TeamNr")});
    s.bind("GruppenNr", groupNr);
    QList<MemberItem> members;
    while (s.next()) {
        members.append({int(s.integer("TeamNr")),
                        DataLibrary::CalcFullName(s.text("Name"), s.text("Vorname"))
                            + QStringLiteral(" mit ") + s.text("Hund")});
    }
    return members;
}

QList<int> Groups::MemberNrs(int groupNr)
{
    QList<int> numbers;
    for (const MemberItem &m : LoadMembers(groupNr))
        numbers << m.TeamNr;
    return numbers;
}

bool Groups::AddMemberships(int groupNr, const QStringList &selectionList, bool askFirst)
{
    DataLibrary &data = m_competition.data();
    Database &db = data.db();
    const QList<int> members = MemberNrs(groupNr);
    const bool joins =
        std::any_of(selectionList.begin(), selectionList.end(), [&members](const QString &text) {
            return text.toInt() > 0 && !members.contains(text.toInt());
        });
    if (askFirst && joins && m_competition.event()
        && data.ReadEntry(m_competition.CurrentAnlassNr(), groupNr)) {
        const std::optional<TeamRow> group = data.ReadTeam(groupNr);
        if (!m_competition.ui().askYesNo(
                QStringLiteral("Die Gruppe %1 ist im geöffneten Anlass eingetragen. Die neuen "
                               "Mitglieder teilen sich mit ihr Startnummer und Ergebnisse.\n"
                               "Wollen Sie sie trotzdem hinzufügen?")
                    .arg(group ? group->Name : QString())))
            return false;
    }
    Transaction transaction(db);
    // Only a team joins, and only an existing group: a membership of a group, of a
    // number that has gone, or of no group at all would be invisible and never go away.
    Statement add(db,
                  QStringList{QStringLiteral("INSERT OR IGNORE INTO TeamsProGruppe (GruppenNr, "
                                             "TeamNr)"),
                              QStringLiteral("SELECT g.TeamNr, t.TeamNr FROM Team g, Team t"),
                              QStringLiteral("WHERE g.TeamNr = :GruppenNr AND g.Typ = 2"),
                              QStringLiteral("  AND t.TeamNr = :TeamNr AND t.Typ = 1")});
    for (const QString &text : selectionList) {
        bool ok = false;
        const int teamNr = text.toInt(&ok);
        if (!ok || teamNr <= 0)
            continue;
        add.reset();
        add.bind("GruppenNr", groupNr).bind("TeamNr", teamNr);
        add.exec();
    }
    transaction.commit();
    return true;
}

bool Groups::RemoveMember(int groupNr, int teamNr)
{
    if (teamNr <= 0)
        return false;
    if (!m_competition.ui().askYesNo(
            QStringLiteral("Wollen Sie dieses Team wirklich aus der Gruppe entfernen?")))
        return false;
    Statement s(
        m_competition.data().db(),
        QStringLiteral(
            "DELETE FROM TeamsProGruppe WHERE GruppenNr = :GruppenNr AND TeamNr = :TeamNr"));
    s.bind("GruppenNr", groupNr).bind("TeamNr", teamNr);
    s.exec();
    return true;
}

bool Groups::DeleteGroup(int groupNr)
{
    DataLibrary &data = m_competition.data();
    const std::optional<TeamRow> group = data.ReadTeam(groupNr);
    if (!group || group->Typ != 2)
        return false;
    UserInterface &ui = m_competition.ui();
    if (!ui.askYesNo(QStringLiteral("Wollen Sie die Gruppe ") + group->Name
                     + QStringLiteral(" wirklich löschen?")))
        return false;
    // An entered group is deleted only with its entries, from the event: otherwise its
    // members' entries would count as finished for a participant nobody can see.
    QString usage;
    if (data.IsTeamInUse(groupNr, usage)) {
        ui.information(
            QStringLiteral("%1 wird noch in %2 verwendet und kann nicht gelöscht werden.")
                .arg(group->Name, usage));
        return false;
    }
    Safeguard::Command command(m_competition.safeguard(), QStringLiteral("Gruppe löschen"));
    {
        Transaction transaction(data.db());
        Statement members(data.db(),
                          QStringLiteral("DELETE FROM TeamsProGruppe WHERE GruppenNr = :TeamNr"));
        members.bind("TeamNr", groupNr);
        members.exec();
        Statement team(data.db(), QStringLiteral("DELETE FROM Team WHERE TeamNr = :TeamNr"));
        team.bind("TeamNr", groupNr);
        team.exec();
        transaction.commit();
    }
    command.done();
    return true;
}

void Groups::EnterNewGroup(int groupNr)
{
    m_competition.entries().EnterParticipant(m_competition.CurrentAnlassNr(), groupNr, true, 0);
}

QString Groups::EnterGroup(int groupNr, bool printOnSave)
{
    // Without an open event nothing is entered, and cards of a group that runs nowhere
    // would only mislead the judges.
    if (!m_competition.event())
        return {};
    DataLibrary &data = m_competition.data();
    const int anlassNr = m_competition.CurrentAnlassNr();
    const std::optional<TeamRow> group = data.ReadTeam(groupNr);
    const QString name = group ? group->Name : QString();
    const QList<int> members = MemberNrs(groupNr);
    if (!data.ReadEntry(anlassNr, groupNr)) {
        QStringList alone;
        for (int member : members) {
            const std::optional<EntryRow> entry = data.ReadEntry(anlassNr, member);
            const std::optional<TeamRow> team = data.ReadTeam(member);
            if (entry && entry->GroupNr == 0 && team)
                alone << DataLibrary::CalcFullName(team->Name, team->Vorname);
        }
        if (!alone.isEmpty()
            && !m_competition.ui().askYesNo(
                (alone.size() == 1
                     ? QStringLiteral("%1 ist bereits allein im Anlass eingetragen. Die Gruppe "
                                      "%2 und dieses Team teilen sich dann Startnummer und "
                                      "Ergebnisse.")
                     : QStringLiteral("%1 sind bereits allein im Anlass eingetragen. Die Gruppe "
                                      "%2 und diese Teams teilen sich dann Startnummer und "
                                      "Ergebnisse."))
                    .arg(alone.join(QStringLiteral(", ")), name)
                + QStringLiteral("\nWollen Sie die Gruppe trotzdem einfügen?")))
            return {};
    }
    const int entered = m_competition.entries().EnterGroup(anlassNr, groupNr, members);
    if (printOnSave)
        m_competition.scorecards().OutputScorecards(true, groupNr);
    return entered > 0
        ? QStringLiteral("Die Gruppe %1 wurde in den Anlass eingefügt.").arg(name)
        : QStringLiteral("Die Gruppe %1 ist bereits im Anlass eingetragen.").arg(name);
}
