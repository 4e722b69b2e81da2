#include "ranking/Standings.h"

#include "data/DataLibrary.h"
#include "engine/Statement.h"
#include "ranking/EventEntries.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace Standings {

namespace {

constexpr int NotFinished = 999;

struct Totals
{
    double punkte = 0;
    double zeit = 0;
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

// The rank table of one run, filled as the run fills Rang.
class RankRows
{
public:
    RankRows(DataLibrary &data, const EventRow &event, const EventEntries &entries)
        : m_data(data), m_event(event), m_entries(entries)
    { }

    QList<RankRow> rows;

    void fillSingle()
    {
        // Members of the event's groups, each group's in table order, with their categories.
        QHash<int, QList<QPair<int, int>>> members;
        Statement m(
            m_data.db(),
            QStringList{QStringLiteral("SELECT g.GruppenNr, g.TeamNr, coalesce(t.KatNr, 0)"),
                        QStringLiteral("FROM TeamsProGruppe g"),
                        QStringLiteral("LEFT JOIN Team t ON t.TeamNr = g.TeamNr"),
                        QStringLiteral("WHERE g.GruppenNr IN (SELECT GroupNr FROM "
                                       "TeamsProAnlass"),
                        QStringLiteral("    WHERE AnlassNr = :AnlassNr AND GroupNr <> 0)"),
                        QStringLiteral("ORDER BY g.GruppenNr, g.TeamNr")});
        m.bind("AnlassNr", m_event.AnlassNr);
        while (m.next())
            members[int(m.integer(0))].append({int(m.integer(1)), int(m.integer(2))});

        Statement s(m_data.db(),
                    QStringList{QStringLiteral("SELECT p.TeamNr, coalesce(t.KatNr, 0) FROM "
                                               "Parcours p"),
                                QStringLiteral("LEFT JOIN Team t ON t.TeamNr = p.TeamNr"),
                                QStringLiteral("WHERE p.AnlassNr = :AnlassNr GROUP BY p.TeamNr "
                                               "ORDER BY p.TeamNr")});
        s.bind("AnlassNr", m_event.AnlassNr);
        while (s.next()) {
            const int teamNr = int(s.integer(0));
            if (!m_entries.isFinished(teamNr, false))
                continue;
            const int groupNr = m_entries.groupNrOf(teamNr);
            if (groupNr == 0) {
                addEntry(teamNr, int(s.integer(1)));
                continue;
            }
            for (const auto &[member, memberKatNr] : members.value(groupNr))
                addEntry(member, memberKatNr);
        }
    }

    void fillGroups()
    {
        for (const ParticipantRow &row : m_data.ParticipantList(m_event.AnlassNr))
            addEntry(row.TeamNr, row.KatNr);
    }

    // The additional game's totals of every team whose own entry has finished it: the rows
    // of the additional-game list, or added to the main game's for the combined one.
    void addAddGameTotals(bool merge)
    {
        Statement s(
            m_data.db(),
            QStringList{
                QStringLiteral("SELECT p.TeamNr, coalesce(t.KatNr, 0),"),
                QStringLiteral("       sum(p.ZusatzspielPunkte), sum(p.ZusatzspielZeit)"),
                QStringLiteral("FROM Parcours p"),
                QStringLiteral("JOIN TeamsProAnlass e ON e.AnlassNr = p.AnlassNr AND e.TeamNr = "
                               "p.TeamNr"),
                QStringLiteral("LEFT JOIN Team t ON t.TeamNr = p.TeamNr"),
                QStringLiteral("WHERE p.AnlassNr = :AnlassNr AND e.ZusatzAbgeschlossen <> 0"),
                QStringLiteral("GROUP BY p.TeamNr ORDER BY p.TeamNr")});
        s.bind("AnlassNr", m_event.AnlassNr);
        while (s.next()) {
            const int teamNr = int(s.integer(0));
            const Totals totals{s.real(2), s.real(3)};
            const auto listed = m_rowOf.constFind(teamNr);
            if (merge && listed != m_rowOf.constEnd()) {
                RankRow &row = rows[listed.value()];
                row.Zeit = row.Zeit + totals.zeit;
                row.Punkte = row.Punkte + totals.punkte;
            } else {
                append(teamNr, int(s.integer(1)), totals);
            }
        }
    }

private:
    // The first addition of a participant wins.
    void addEntry(int teamNr, int katNr)
    {
        if (m_rowOf.contains(teamNr))
            return;
        loadTotals();
        const bool isGroup = m_entries.isGroupEntry(teamNr);
        append(teamNr, katNr, (isGroup ? m_groupTotals : m_teamTotals).value(teamNr));
    }

    void append(int teamNr, int katNr, const Totals &totals)
    {
        m_rowOf.insert(teamNr, rows.size());
        rows.append({teamNr, katNr, totals.punkte, totals.zeit, 0});
    }

    // The main game's totals as TotalPoints and TotalTime give them, for everybody at once.
    void loadTotals()
    {
        if (m_totalsLoaded)
            return;
        m_totalsLoaded = true;
        Statement own(m_data.db(),
                      QStringLiteral("SELECT TeamNr, sum(Punkte), sum(Zeit) FROM "
                                     "Parcours WHERE AnlassNr = :AnlassNr GROUP BY "
                                     "TeamNr"));
        own.bind("AnlassNr", m_event.AnlassNr);
        while (own.next())
            m_teamTotals.insert(int(own.integer(0)), {own.real(1), own.real(2)});
        Statement groups(
            m_data.db(),
            QStringList{QStringLiteral("SELECT g.GruppenNr, sum(p.Punkte), sum(p.Zeit) FROM "
                                       "TeamsProGruppe g"),
                        QStringLiteral("JOIN Parcours p ON p.TeamNr = g.TeamNr AND p.AnlassNr = "
                                       ":AnlassNr"),
                        QStringLiteral("GROUP BY g.GruppenNr")});
        groups.bind("AnlassNr", m_event.AnlassNr);
        while (groups.next())
            m_groupTotals.insert(int(groups.integer(0)), {groups.real(1), groups.real(2)});
    }

    DataLibrary &m_data;
    const EventRow &m_event;
    const EventEntries &m_entries;
    QHash<int, qsizetype> m_rowOf;
    bool m_totalsLoaded = false;
    QHash<int, Totals> m_teamTotals;
    QHash<int, Totals> m_groupTotals;
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

bool ties(const QString &method, const RankRow &row, double p, double z)
{
    if (method == QLatin1String("Punkte/Zeit") || method == QLatin1String("Zeit/Punkte"))
        return row.Punkte == p && row.Zeit == z;
    if (method == QLatin1String("Nach Punkten"))
        return row.Punkte == p;
    if (method == QLatin1String("Nach Zeit"))
        return row.Zeit == z;
    return false;
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
        while (pos < order.size() && ties(event.Rangberechnung, rows.at(order.at(pos)), p, z)) {
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

QList<StandingRow> compute(DataLibrary &data, const EventRow &event, Kind kind, int katNr,
                           bool withPrinted)
{
    const EventEntries entries(data, event.AnlassNr);
    RankRows table(data, event, entries);
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
    numberRanks(table.rows, event, entries, katNr, kind == Kind::AddGame, withPrinted);

    QList<qsizetype> shown;
    for (qsizetype i = 0; i < table.rows.size(); ++i) {
        const RankRow &row = table.rows.at(i);
        if ((katNr <= 0 || row.KatNr == katNr) && listed(row, entries, kind, withPrinted))
            shown.append(i);
    }
    // Equal ranks keep the order in which the rank table was filled.
    std::stable_sort(shown.begin(), shown.end(), [&](qsizetype a, qsizetype b) {
        return table.rows.at(a).Rang < table.rows.at(b).Rang;
    });

    QHash<int, TeamRow> teams;
    {
        Statement s(data.db(),
                    QStringLiteral("SELECT * FROM Team WHERE TeamNr IN (SELECT "
                                   "TeamNr FROM TeamsProAnlass WHERE AnlassNr = "
                                   ":AnlassNr)"));
        s.bind("AnlassNr", event.AnlassNr);
        while (s.next()) {
            const TeamRow t = teamFrom(s);
            teams.insert(t.TeamNr, t);
        }
    }
    QHash<int, QString> categories;
    for (const CategoryRow &c : data.Categories())
        categories.insert(c.KatNr, c.KatBez);

    QList<StandingRow> result;
    result.reserve(shown.size());
    for (qsizetype i : shown) {
        const RankRow &row = table.rows.at(i);
        const TeamRow team = teams.value(row.TeamNr);
        StandingRow s;
        s.Rang = row.Rang;
        s.TeamNr = row.TeamNr;
        s.StartNr = entries.find(row.TeamNr)->StartNr;
        s.KatNr = row.KatNr;
        s.Punkte = row.Punkte;
        s.Zeit = row.Zeit;
        s.CalcFullName = DataLibrary::CalcFullName(team.Name, team.Vorname).left(60);
        s.CalcVerein = team.Verein.left(50);
        s.CalcHund = team.Hund.left(30);
        s.CalcRasse = team.Rasse.left(30);
        s.CalcKategorie = categories.value(row.KatNr).left(20);
        result.append(s);
    }
    return result;
}

StandingProgress progress(DataLibrary &data, const EventRow &event, Kind kind, int katNr)
{
    const EventEntries entries(data, event.AnlassNr);
    StandingProgress p;
    Statement s(data.db(),
                QStringList{QStringLiteral("SELECT e.TeamNr, e.IsGroup, e.GroupNr, t.KatNr, "
                                           "t.Zusatzspiel"),
                            QStringLiteral("FROM TeamsProAnlass e JOIN Team t ON t.TeamNr = "
                                           "e.TeamNr"),
                            QStringLiteral("WHERE e.AnlassNr = :AnlassNr")});
    s.bind("AnlassNr", event.AnlassNr);
    while (s.next()) {
        const int teamNr = int(s.integer(0));
        const bool isGroup = s.boolean(1);
        const bool isMember = s.integer(2) != 0;
        if (katNr > 0 && s.integer(3) != katNr)
            continue;
        if (kind == Kind::Group ? isMember : isGroup)
            continue;
        if (kind == Kind::AddGame && !s.boolean(4))
            continue;
        ++p.entered;
        const bool mainDone = entries.isFinished(teamNr, false);
        const bool addDone = entries.isFinished(teamNr, true);
        const bool done = kind == Kind::AddGame ? addDone
            : kind == Kind::Combined            ? mainDone && (addDone || !s.boolean(4))
                                                : mainDone;
        if (done)
            ++p.finished;
    }
    return p;
}

QList<CategoryRow> categories(DataLibrary &data, const EventRow &event)
{
    QSet<int> used;
    Statement s(data.db(),
                QStringLiteral("SELECT DISTINCT t.KatNr FROM TeamsProAnlass e JOIN "
                               "Team t ON t.TeamNr = e.TeamNr WHERE e.AnlassNr = "
                               ":AnlassNr"));
    s.bind("AnlassNr", event.AnlassNr);
    while (s.next())
        used.insert(int(s.integer(0)));
    QList<CategoryRow> result;
    for (const CategoryRow &c : data.Categories()) {
        if (used.contains(c.KatNr))
            result.append(c);
    }
    return result;
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
