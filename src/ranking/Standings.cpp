#include "ranking/Standings.h"

#include "data/DataLibrary.h"
#include "engine/Statement.h"
#include "ranking/EventEntries.h"
#include "ranking/RankNumbering.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace Standings {

namespace {

constexpr int NotFinished = RankNumbering::NotFinished;

struct Totals
{
    double punkte = 0;
    double zeit = 0;
};

struct TeamTotals
{
    int teamNr = 0;
    int katNr = 0;
    Totals totals;
};

// A row of the rank table as the run would write it; its place in the list is the order in
// which the run appends rows, which decides between equal results.
struct RankRow
{
    int TeamNr = 0;
    int KatNr = 0;
    double Punkte = 0;
    double Zeit = 0;
    int Rang = 0; // 0: the empty rank
};

} // namespace

struct Snapshot::Tables
{
    Tables(DataLibrary &data, const EventRow &e) : event(e), entries(data, e.AnlassNr) { }

    EventRow event;
    EventEntries entries;
    // Members of the event's groups, each group's in table order, with their categories.
    QHash<int, QList<QPair<int, int>>> members;
    // The teams with result rows, by TeamNr, with their categories.
    QList<QPair<int, int>> resultTeams;
    // The main game's totals as TotalPoints and TotalTime give them.
    QHash<int, Totals> teamTotals;
    QHash<int, Totals> groupTotals;
    // The additional game's totals of every team whose own entry has finished it, by TeamNr.
    QList<TeamTotals> addGameTotals;
    // The participant list as the main window shows it.
    QList<QPair<int, int>> participants;
    QHash<int, TeamRow> teams; // of the event's entries
    QList<CategoryRow> categories;
};

namespace {

// The rank table of one run, filled as the run fills Rang.
class RankRows
{
public:
    explicit RankRows(const Snapshot::Tables &t) : m_t(t) { }

    QList<RankRow> rows;

    void fillSingle()
    {
        for (const auto &[teamNr, katNr] : m_t.resultTeams) {
            if (!m_t.entries.isFinished(teamNr, false))
                continue;
            const int groupNr = m_t.entries.groupNrOf(teamNr);
            if (groupNr == 0) {
                addEntry(teamNr, katNr);
                continue;
            }
            for (const auto &[member, memberKatNr] : m_t.members.value(groupNr))
                addEntry(member, memberKatNr);
        }
    }

    void fillGroups()
    {
        for (const auto &[teamNr, katNr] : m_t.participants)
            addEntry(teamNr, katNr);
    }

    // The rows of the additional-game list, or added to the main game's for the combined one.
    void addAddGameTotals(bool merge)
    {
        for (const TeamTotals &t : m_t.addGameTotals) {
            const auto listed = m_rowOf.constFind(t.teamNr);
            if (merge && listed != m_rowOf.constEnd()) {
                RankRow &row = rows[listed.value()];
                row.Zeit = row.Zeit + t.totals.zeit;
                row.Punkte = row.Punkte + t.totals.punkte;
            } else {
                append(t.teamNr, t.katNr, t.totals);
            }
        }
    }

private:
    // The first addition of a participant wins.
    void addEntry(int teamNr, int katNr)
    {
        if (m_rowOf.contains(teamNr))
            return;
        const bool isGroup = m_t.entries.isGroupEntry(teamNr);
        append(teamNr, katNr, (isGroup ? m_t.groupTotals : m_t.teamTotals).value(teamNr));
    }

    void append(int teamNr, int katNr, const Totals &totals)
    {
        m_rowOf.insert(teamNr, rows.size());
        rows.append({teamNr, katNr, totals.punkte, totals.zeit, 0});
    }

    const Snapshot::Tables &m_t;
    QHash<int, qsizetype> m_rowOf;
};

// One order key of the rank method: the column and whether it runs downwards.
struct OrderKey
{
    bool points;
    bool descending;
};

// The keys of the ordered view: a sort code other than 1 or 2 gives no key, and a method the
// program does not know orders nothing.
QList<OrderKey> orderKeys(const EventRow &event)
{
    const auto key = [](bool points, int code) -> QList<OrderKey> {
        if (code == 1 || code == 2)
            return {{points, code == 1}};
        return {};
    };
    const QString &method = event.Rangberechnung;
    if (method == QLatin1String("Punkte/Zeit"))
        return key(true, event.PunkteSort) + key(false, event.ZeitSort);
    if (method == QLatin1String("Nach Punkten"))
        return key(true, event.PunkteSort);
    if (method == QLatin1String("Zeit/Punkte"))
        return key(false, event.ZeitSort) + key(true, event.PunkteSort);
    if (method == QLatin1String("Nach Zeit"))
        return key(false, event.ZeitSort);
    return {};
}

// The numbering pass over the rows of katNr (all for 0): the engine sorts equal rows in the
// order they were appended, so a stable sort of the row numbers gives the ordered view.
void numberRanks(QList<RankRow> &rows, const EventRow &event, const EventEntries &entries,
                 int katNr, bool additionalGame, bool withPrinted)
{
    QList<qsizetype> order;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (katNr <= 0 || rows.at(i).KatNr == katNr)
            order.append(i);
    }
    const QList<OrderKey> keys = orderKeys(event);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        for (const OrderKey &k : keys) {
            const double x = k.points ? rows.at(a).Punkte : rows.at(a).Zeit;
            const double y = k.points ? rows.at(b).Punkte : rows.at(b).Zeit;
            if (x != y)
                return k.descending ? x > y : x < y;
        }
        return false;
    });

    int rankCounter = 1;
    qsizetype pos = 0;
    while (pos < order.size()) {
        const RankRow &r = rows.at(order.at(pos));
        const int start = rankCounter;
        const double p = r.Punkte;
        const double z = r.Zeit;
        if (!entries.isFinished(r.TeamNr, additionalGame)) {
            rows[order.at(pos)].Rang = NotFinished;
            ++pos;
            continue;
        }
        if (event.AutoRangBerechnung) {
            const EntryRow *own = entries.find(r.TeamNr);
            const bool finished =
                own && (additionalGame ? own->ZusatzAbgeschlossen : own->Abgeschlossen);
            const bool printed =
                own && (additionalGame ? own->ZusatzRangBerechnet : own->RangBerechnet);
            if (!finished || (printed && !withPrinted)) {
                ++pos;
                continue;
            }
        }
        rows[order.at(pos)].Rang = rankCounter;
        ++pos;
        while (pos < order.size()
               && RankNumbering::Ties(event.Rangberechnung, rows.at(order.at(pos)).Punkte,
                                      rows.at(order.at(pos)).Zeit, p, z)) {
            rows[order.at(pos)].Rang = start;
            ++rankCounter;
            ++pos;
        }
        ++rankCounter;
    }
}

// Whether the report lists a numbered row: the participant's own entry has finished the
// game(s) of the list and, unless printed ones are wanted, is not printed yet. Beyond 998 the
// rank cannot tell a finished participant from one that has not finished: the entry does.
bool listed(const RankRow &row, const EventEntries &entries, Kind kind, bool withPrinted)
{
    const EntryRow *entry = entries.find(row.TeamNr);
    if (!entry || row.Rang <= 0)
        return false;
    if (row.Rang >= NotFinished) {
        const EntryRow *decisive = entry->GroupNr == 0 ? entry : entries.find(entry->GroupNr);
        const bool finished = decisive
            && (kind == Kind::AddGame ? decisive->ZusatzAbgeschlossen : decisive->Abgeschlossen);
        if (!finished)
            return false;
    }
    const bool mainGame = kind != Kind::AddGame;
    const bool addGame = kind == Kind::AddGame || kind == Kind::Combined;
    if (mainGame && (!entry->Abgeschlossen || (entry->RangBerechnet && !withPrinted)))
        return false;
    if (addGame && (!entry->ZusatzAbgeschlossen || (entry->ZusatzRangBerechnet && !withPrinted)))
        return false;
    return true;
}

} // namespace

Snapshot::Snapshot(DataLibrary &data, const EventRow &event)
    : m_tables(std::make_unique<Tables>(data, event))
{
    Tables &t = *m_tables;
    const int anlassNr = event.AnlassNr;
    {
        Statement s(
            data.db(),
            QStringList{QStringLiteral("SELECT g.GruppenNr, g.TeamNr, coalesce(t.KatNr, 0)"),
                        QStringLiteral("FROM TeamsProGruppe g"),
                        QStringLiteral("LEFT JOIN Team t ON t.TeamNr = g.TeamNr"),
                        QStringLiteral("WHERE g.GruppenNr IN (SELECT GroupNr FROM "
                                       "TeamsProAnlass"),
                        QStringLiteral("    WHERE AnlassNr = :AnlassNr AND GroupNr <> 0)"),
                        QStringLiteral("ORDER BY g.GruppenNr, g.TeamNr")});
        s.bind("AnlassNr", anlassNr);
        while (s.next())
            t.members[int(s.integer(0))].append({int(s.integer(1)), int(s.integer(2))});
    }
    {
        Statement s(data.db(),
                    QStringList{QStringLiteral("SELECT p.TeamNr, coalesce(t.KatNr, 0), "
                                               "sum(p.Punkte), sum(p.Zeit) FROM Parcours p"),
                                QStringLiteral("LEFT JOIN Team t ON t.TeamNr = p.TeamNr"),
                                QStringLiteral("WHERE p.AnlassNr = :AnlassNr GROUP BY p.TeamNr "
                                               "ORDER BY p.TeamNr")});
        s.bind("AnlassNr", anlassNr);
        while (s.next()) {
            const int teamNr = int(s.integer(0));
            t.resultTeams.append({teamNr, int(s.integer(1))});
            t.teamTotals.insert(teamNr, {s.real(2), s.real(3)});
        }
    }
    {
        Statement s(
            data.db(),
            QStringList{QStringLiteral("SELECT g.GruppenNr, sum(p.Punkte), sum(p.Zeit) FROM "
                                       "TeamsProGruppe g"),
                        QStringLiteral("JOIN Parcours p ON p.TeamNr = g.TeamNr AND "
                                       "p.AnlassNr = :AnlassNr"),
                        QStringLiteral("GROUP BY g.GruppenNr")});
        s.bind("AnlassNr", anlassNr);
        while (s.next())
            t.groupTotals.insert(int(s.integer(0)), {s.real(1), s.real(2)});
    }
    {
        Statement s(
            data.db(),
            QStringList{
                QStringLiteral("SELECT p.TeamNr, coalesce(t.KatNr, 0),"),
                QStringLiteral("       sum(p.ZusatzspielPunkte), sum(p.ZusatzspielZeit)"),
                QStringLiteral("FROM Parcours p"),
                QStringLiteral("JOIN TeamsProAnlass e ON e.AnlassNr = p.AnlassNr AND e.TeamNr = "
                               "p.TeamNr"),
                QStringLiteral("LEFT JOIN Team t ON t.TeamNr = p.TeamNr"),
                QStringLiteral("WHERE p.AnlassNr = :AnlassNr AND e.ZusatzAbgeschlossen <> 0"),
                QStringLiteral("GROUP BY p.TeamNr ORDER BY p.TeamNr")});
        s.bind("AnlassNr", anlassNr);
        while (s.next())
            t.addGameTotals.append({int(s.integer(0)), int(s.integer(1)), {s.real(2), s.real(3)}});
    }
    for (const ParticipantRow &row : data.ParticipantList(anlassNr))
        t.participants.append({row.TeamNr, row.KatNr});
    {
        Statement s(data.db(),
                    QStringLiteral("SELECT * FROM Team WHERE TeamNr IN (SELECT "
                                   "TeamNr FROM TeamsProAnlass WHERE AnlassNr = "
                                   ":AnlassNr)"));
        s.bind("AnlassNr", anlassNr);
        while (s.next()) {
            const TeamRow team = teamFrom(s);
            t.teams.insert(team.TeamNr, team);
        }
    }
    t.categories = data.Categories();
}

Snapshot::~Snapshot() = default;

const EventRow &Snapshot::event() const
{
    return m_tables->event;
}

QList<StandingRow> Snapshot::compute(Kind kind, int katNr, bool withPrinted) const
{
    const Tables &t = *m_tables;
    RankRows table(t);
    switch (kind) {
    case Kind::Single:
        table.fillSingle();
        break;
    case Kind::Group:
        table.fillGroups();
        break;
    case Kind::AddGame:
        table.addAddGameTotals(false);
        break;
    case Kind::Combined:
        table.fillSingle();
        table.addAddGameTotals(true);
        break;
    }
    numberRanks(table.rows, t.event, t.entries, katNr, kind == Kind::AddGame, withPrinted);

    QList<qsizetype> shown;
    for (qsizetype i = 0; i < table.rows.size(); ++i) {
        const RankRow &row = table.rows.at(i);
        if ((katNr <= 0 || row.KatNr == katNr) && listed(row, t.entries, kind, withPrinted))
            shown.append(i);
    }
    // Equal ranks keep the order in which the rank table was filled.
    std::stable_sort(shown.begin(), shown.end(), [&](qsizetype a, qsizetype b) {
        return table.rows.at(a).Rang < table.rows.at(b).Rang;
    });

    QHash<int, QString> categoryNames;
    for (const CategoryRow &c : t.categories)
        categoryNames.insert(c.KatNr, c.KatBez);
    QList<StandingRow> result;
    result.reserve(shown.size());
    for (qsizetype i : shown) {
        const RankRow &row = table.rows.at(i);
        const TeamRow team = t.teams.value(row.TeamNr);
        StandingRow s;
        s.Rang = row.Rang;
        s.TeamNr = row.TeamNr;
        s.StartNr = t.entries.find(row.TeamNr)->StartNr;
        s.KatNr = row.KatNr;
        s.Punkte = row.Punkte;
        s.Zeit = row.Zeit;
        s.CalcFullName = DataLibrary::CalcFullName(team.Name, team.Vorname).left(60);
        s.CalcVerein = team.Verein.left(50);
        s.CalcHund = team.Hund.left(30);
        s.CalcRasse = team.Rasse.left(30);
        s.CalcKategorie = categoryNames.value(row.KatNr).left(20);
        result.append(s);
    }
    return result;
}

StandingProgress Snapshot::progress(Kind kind, int katNr) const
{
    const Tables &t = *m_tables;
    StandingProgress p;
    for (auto it = t.teams.cbegin(); it != t.teams.cend(); ++it) {
        const TeamRow &team = it.value();
        const EntryRow *entry = t.entries.find(team.TeamNr);
        if (!entry || (katNr > 0 && team.KatNr != katNr))
            continue;
        const bool isMember = entry->GroupNr != 0;
        if (kind == Kind::Group ? isMember : entry->IsGroup)
            continue;
        if (kind == Kind::AddGame && !team.Zusatzspiel)
            continue;
        ++p.entered;
        const bool mainDone = t.entries.isFinished(team.TeamNr, false);
        const bool addDone = t.entries.isFinished(team.TeamNr, true);
        const bool done = kind == Kind::AddGame ? addDone
            : kind == Kind::Combined            ? mainDone && (addDone || !team.Zusatzspiel)
                                                : mainDone;
        if (done)
            ++p.finished;
    }
    return p;
}

QList<CategoryRow> Snapshot::categories() const
{
    QSet<int> used;
    for (const TeamRow &team : m_tables->teams)
        used.insert(team.KatNr);
    QList<CategoryRow> result;
    for (const CategoryRow &c : m_tables->categories) {
        if (used.contains(c.KatNr))
            result.append(c);
    }
    return result;
}

QList<StandingRow> compute(DataLibrary &data, const EventRow &event, Kind kind, int katNr,
                           bool withPrinted)
{
    return Snapshot(data, event).compute(kind, katNr, withPrinted);
}

StandingProgress progress(DataLibrary &data, const EventRow &event, Kind kind, int katNr)
{
    return Snapshot(data, event).progress(kind, katNr);
}

QString subtitle(const EventRow &event, Kind kind)
{
    const QString method = QLatin1Char('"') + event.CalcRangberechnung() + QLatin1Char('"');
    switch (kind) {
    case Kind::Single:
        return QStringLiteral("Einzel-Rangliste sortiert ") + method;
    case Kind::Group:
        return QStringLiteral("Gruppen-Rangliste sortiert ") + method;
    case Kind::AddGame:
        return event.ZusatzspielName + QStringLiteral(" - Rangliste sortiert ") + method;
    case Kind::Combined:
        return QStringLiteral("Kombinierte Rangliste sortiert ") + method;
    }
    return QString();
}

bool pointsFirst(const QString &rankMethod)
{
    return rankMethod == QLatin1String("Punkte/Zeit")
        || rankMethod == QLatin1String("Nach Punkten");
}

} // namespace Standings
