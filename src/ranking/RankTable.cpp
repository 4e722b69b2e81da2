#include "ranking/RankTable.h"

#include "data/DataLibrary.h"
#include "engine/DatabaseError.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "ranking/EventEntries.h"
#include "ranking/RankNumbering.h"

RankTable::RankTable(DataLibrary &data, const EventRow &event) : m_data(data), m_event(event)
{ }

RankTable::~RankTable() = default;

const EventEntries &RankTable::entries()
{
    if (!m_entries)
        m_entries = std::make_unique<EventEntries>(m_data, m_event.AnlassNr);
    return *m_entries;
}

bool RankTable::IsParticipantFinished(int teamNr, bool additionalGame)
{
    return entries().isFinished(teamNr, additionalGame);
}

int RankTable::GroupNrOf(int teamNr)
{
    return entries().groupNrOf(teamNr);
}

bool RankTable::IsGroupEntry(int teamNr)
{
    return entries().isGroupEntry(teamNr);
}

void RankTable::ClearRankTable()
{
    m_data.db().exec(QStringLiteral("delete from Rang"));
    m_listed.clear();
    m_listedLoaded = true;
}

void RankTable::beginFilling(bool clear)
{
    // Entries and results as they are now, read once for the whole filling.
    m_entries.reset();
    m_totalsLoaded = false;
    m_groupTotalsLoaded = false;
    m_listedLoaded = false;
    if (clear)
        ClearRankTable();
}

bool RankTable::isListed(int teamNr)
{
    if (!m_listedLoaded) {
        m_listed.clear();
        Statement s(m_data.db(), QStringLiteral("SELECT TeamNr FROM Rang"));
        while (s.next())
            m_listed.insert(int(s.integer(0)));
        m_listedLoaded = true;
    }
    return m_listed.contains(teamNr);
}

void RankTable::loadTotals()
{
    if (m_totalsLoaded)
        return;
    m_teamTotals.clear();
    m_resultTeams.clear();
    // The sums that TotalPoints and TotalTime give, for every team with result rows at once,
    // by TeamNr: the single list walks this order, so the results are read only once.
    Statement own(
        m_data.db(),
        QStringList{QStringLiteral("SELECT p.TeamNr, coalesce(t.KatNr, 0), sum(p.Punkte), "
                                   "sum(p.Zeit) FROM Parcours p"),
                    QStringLiteral("LEFT JOIN Team t ON t.TeamNr = p.TeamNr"),
                    QStringLiteral("WHERE p.AnlassNr = :AnlassNr GROUP BY p.TeamNr "
                                   "ORDER BY p.TeamNr")});
    own.bind("AnlassNr", m_event.AnlassNr);
    while (own.next()) {
        const int teamNr = int(own.integer(0));
        m_teamTotals.insert(teamNr, {own.real(2), own.real(3)});
        m_resultTeams.append({teamNr, int(own.integer(1))});
    }
    m_totalsLoaded = true;
}

const QHash<int, RankTable::Totals> &RankTable::groupTotals()
{
    if (m_groupTotalsLoaded)
        return m_groupTotals;
    m_groupTotals.clear();
    Statement groups(
        m_data.db(),
        QStringList{
            QStringLiteral("SELECT g.GruppenNr, sum(p.Punkte), sum(p.Zeit) FROM TeamsProGruppe g"),
            QStringLiteral("JOIN Parcours p ON p.TeamNr = g.TeamNr AND p.AnlassNr = :AnlassNr"),
            QStringLiteral("GROUP BY g.GruppenNr")});
    groups.bind("AnlassNr", m_event.AnlassNr);
    while (groups.next())
        m_groupTotals.insert(int(groups.integer(0)), {groups.real(1), groups.real(2)});
    m_groupTotalsLoaded = true;
    return m_groupTotals;
}

void RankTable::appendRow(int teamNr, int katNr, const Totals &totals)
{
    if (!m_insert) {
        m_insert = std::make_unique<Statement>(
            m_data.db(),
            QStringLiteral("INSERT INTO Rang (TeamNr, Punkte, Zeit, KatNr, Rang) "
                           "VALUES (:TeamNr, :Punkte, :Zeit, :KatNr, 0)"));
    }
    m_insert->reset();
    m_insert->bind("TeamNr", teamNr).bind("Punkte", totals.punkte).bind("Zeit", totals.zeit);
    m_insert->bind("KatNr", katNr);
    m_insert->exec();
    m_listed.insert(teamNr);
}

void RankTable::AddRankEntry(int teamNr, int katNr)
{
    const bool isGroup = IsGroupEntry(teamNr);
    if (isListed(teamNr))
        return;
    loadTotals();
    const Totals totals = isGroup ? groupTotals().value(teamNr) : m_teamTotals.value(teamNr);
    try {
        appendRow(teamNr, katNr, totals);
    } catch (const DatabaseError &) {
        // A row that cannot be stored is left out; the list goes on without it.
        m_insert.reset();
    }
}

void RankTable::numberRanks(int katNr, bool additionalGame)
{
    // The entries this filling read are those of the numbering: both run in one transaction.
    RankNumbering(m_data, m_event, &entries()).NumberRanks(katNr, additionalGame);
}

void RankTable::FillRankTable(int katNr, bool numberNow)
{
    // One transaction: thousands of single-row writes would otherwise each wait for the disk.
    Transaction transaction(m_data.db());
    beginFilling(true);
    const EventEntries &flags = entries();

    // Members of the event's groups, each group's in table order, with their categories.
    QHash<int, QList<QPair<int, int>>> members;
    Statement m(
        m_data.db(),
        QStringList{QStringLiteral(
                        "SELECT g.GruppenNr, g.TeamNr, coalesce(t.KatNr, 0) FROM TeamsProGruppe g"),
                    QStringLiteral("LEFT JOIN Team t ON t.TeamNr = g.TeamNr"),
                    QStringLiteral("WHERE g.GruppenNr IN (SELECT GroupNr FROM TeamsProAnlass"),
                    QStringLiteral("    WHERE AnlassNr = :AnlassNr AND GroupNr <> 0)"),
                    QStringLiteral("ORDER BY g.GruppenNr, g.TeamNr")});
    m.bind("AnlassNr", m_event.AnlassNr);
    while (m.next())
        members[int(m.integer(0))].append({int(m.integer(1)), int(m.integer(2))});

    // The result rows by TeamNr; a team's further rows add nothing, so one per team will do.
    loadTotals();
    const QList<ResultTeam> resultTeams = m_resultTeams;
    for (const auto &[teamNr, katNr] : resultTeams) {
        if (!flags.isFinished(teamNr, false))
            continue;
        const int groupNr = flags.groupNrOf(teamNr);
        if (groupNr == 0) {
            AddRankEntry(teamNr, katNr);
            continue;
        }
        for (const auto &[member, memberKatNr] : members.value(groupNr))
            AddRankEntry(member, memberKatNr);
    }
    if (numberNow)
        numberRanks(katNr, false);
    m_insert.reset();
    transaction.commit();
}

void RankTable::FillGroupRankTable(int katNr, bool numberNow)
{
    Transaction transaction(m_data.db());
    beginFilling(true);
    // The participant list as the main window shows it, read afresh so that the list
    // never depends on when the grid was last refreshed.
    for (const ParticipantRow &row : m_data.ParticipantList(m_event.AnlassNr))
        AddRankEntry(row.TeamNr, row.KatNr);
    if (numberNow)
        numberRanks(katNr, false);
    m_insert.reset();
    transaction.commit();
}

QList<RankTable::AddGameTotals> RankTable::addGameTotals()
{
    // Teams whose own entry is finished in the additional game, by TeamNr.
    Statement s(
        m_data.db(),
        QStringList{QStringLiteral("SELECT p.TeamNr, coalesce(t.KatNr, 0),"),
                    QStringLiteral("       sum(p.ZusatzspielPunkte), sum(p.ZusatzspielZeit)"),
                    QStringLiteral("FROM Parcours p"),
                    QStringLiteral(
                        "JOIN TeamsProAnlass e ON e.AnlassNr = p.AnlassNr AND e.TeamNr = p.TeamNr"),
                    QStringLiteral("LEFT JOIN Team t ON t.TeamNr = p.TeamNr"),
                    QStringLiteral("WHERE p.AnlassNr = :AnlassNr AND e.ZusatzAbgeschlossen <> 0"),
                    QStringLiteral("GROUP BY p.TeamNr ORDER BY p.TeamNr")});
    s.bind("AnlassNr", m_event.AnlassNr);
    QList<AddGameTotals> result;
    while (s.next())
        result.append({int(s.integer(0)), int(s.integer(1)), {s.real(2), s.real(3)}});
    return result;
}

void RankTable::FillAddGameRankTable(int katNr)
{
    Transaction transaction(m_data.db());
    beginFilling(true);
    for (const AddGameTotals &t : addGameTotals())
        appendRow(t.teamNr, t.katNr, t.totals);
    numberRanks(katNr, true);
    m_insert.reset();
    transaction.commit();
}

void RankTable::MergeAddGameTotals(int katNr)
{
    Transaction transaction(m_data.db());
    beginFilling(false);
    Statement add(m_data.db(),
                  QStringLiteral("UPDATE Rang SET Zeit = Zeit + :Zeit, "
                                 "Punkte = Punkte + :Punkte WHERE TeamNr = :TeamNr"));
    for (const AddGameTotals &t : addGameTotals()) {
        if (isListed(t.teamNr)) {
            add.reset();
            add.bind("Zeit", t.totals.zeit)
                .bind("Punkte", t.totals.punkte)
                .bind("TeamNr", t.teamNr);
            add.exec();
        } else {
            appendRow(t.teamNr, t.katNr, t.totals);
        }
    }
    numberRanks(katNr, false);
    m_insert.reset();
    transaction.commit();
}
