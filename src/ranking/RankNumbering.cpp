#include "ranking/RankNumbering.h"

#include "data/DataLibrary.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "ranking/EventEntries.h"

RankNumbering::RankNumbering(DataLibrary &data, const EventRow &event, const EventEntries *entries)
    : m_data(data), m_event(event), m_sharedEntries(entries)
{ }

RankNumbering::~RankNumbering() = default;

QStringList RankNumbering::RankOrderLines(int katNr, const QString &method, int punkteSort,
                                          int zeitSort)
{
    QStringList lines{QStringLiteral("select * from Rang")};
    if (katNr > 0)
        lines << QStringLiteral(" where KatNr = ") + QString::number(katNr);
    const auto orderLine = [](int code, const char *head, const char *column) -> QString {
        const QString start = QLatin1String(head) + QLatin1String(column);
        if (code == 1)
            return start + QStringLiteral(" desc");
        if (code == 2)
            return start;
        return QString();
    };
    QString first;
    QString second;
    if (method == QLatin1String("Punkte/Zeit")) {
        first = orderLine(punkteSort, " order by ", "Punkte");
        second = orderLine(zeitSort, ", ", "Zeit");
    } else if (method == QLatin1String("Nach Punkten")) {
        first = orderLine(punkteSort, " order by ", "Punkte");
    } else if (method == QLatin1String("Zeit/Punkte")) {
        first = orderLine(zeitSort, " order by ", "Zeit");
        second = orderLine(punkteSort, ", ", "Punkte");
    } else if (method == QLatin1String("Nach Zeit")) {
        first = orderLine(zeitSort, " order by ", "Zeit");
    }
    if (!first.isEmpty()) {
        lines << first;
        if (!second.isEmpty())
            lines << second;
    } else if (!second.isEmpty()) {
        // ", Zeit" right after the table name would break the statement: such an event is
        // ordered by its second key alone.
        lines << QStringLiteral(" order by ") + second.mid(2);
    }
    return lines;
}

const EventEntries &RankNumbering::entries()
{
    if (m_sharedEntries)
        return *m_sharedEntries;
    if (!m_entries)
        m_entries = std::make_unique<EventEntries>(m_data, m_event.AnlassNr);
    return *m_entries;
}

void RankNumbering::OpenRankOrder(int katNr, const QString &method)
{
    m_method = method;
    m_rows.clear();
    m_rowOf.clear();
    m_pos = 0;
    const EventEntries &flags = entries();
    Statement s(m_data.db(), RankOrderLines(katNr, method, m_event.PunkteSort, m_event.ZeitSort));
    while (s.next()) {
        RankOrderRow r;
        r.Rang = int(s.integer("Rang"));
        r.TeamNr = int(s.integer("TeamNr"));
        r.Zeit = s.real("Zeit");
        r.Punkte = s.real("Punkte");
        r.KatNr = int(s.integer("KatNr"));
        if (const EntryRow *entry = flags.find(r.TeamNr)) {
            r.CalcAbgeschlossen = entry->Abgeschlossen;
            r.CalcRangBerechnet = entry->RangBerechnet;
            r.CalcZusatzAbgeschlossen = entry->ZusatzAbgeschlossen;
            r.CalcZusatzRangBerechnet = entry->ZusatzRangBerechnet;
        }
        m_rowOf.insert(r.TeamNr, m_rows.size());
        m_rows.append(r);
    }
}

void RankNumbering::NumberRanks(int katNr, bool additionalGame)
{
    // One transaction for the pass: thousands of single-row writes would otherwise each
    // wait for the disk.
    Transaction transaction(m_data.db());
    // Flags as they are now: the entries may have changed since the last pass.
    m_entries.reset();
    OpenRankOrder(katNr, m_event.Rangberechnung);
    m_rankCounter = 1;
    while (!atEnd()) {
        const RankOrderRow r = m_rows.at(m_pos);
        const int start = m_rankCounter;
        const double p = r.Punkte;
        const double z = r.Zeit;
        if (!entries().isFinished(r.TeamNr, additionalGame)) {
            SetRank(r.TeamNr, NotFinished);
            ++m_pos;
            continue;
        }
        if (m_event.AutoRangBerechnung) {
            const bool passOver = additionalGame
                ? r.CalcZusatzRangBerechnet || !r.CalcZusatzAbgeschlossen
                : r.CalcRangBerechnet || !r.CalcAbgeschlossen;
            if (passOver) {
                ++m_pos;
                continue;
            }
        }
        SetRank(r.TeamNr, m_rankCounter);
        ++m_pos;
        ShareRankWithTies(start, p, z);
        ++m_rankCounter;
    }
    m_setRank.reset();
    transaction.commit();
}

bool RankNumbering::ties(const RankOrderRow &row, double p, double z) const
{
    if (m_method == QLatin1String("Punkte/Zeit") || m_method == QLatin1String("Zeit/Punkte"))
        return row.Punkte == p && row.Zeit == z;
    if (m_method == QLatin1String("Nach Punkten"))
        return row.Punkte == p;
    if (m_method == QLatin1String("Nach Zeit"))
        return row.Zeit == z;
    return false;
}

void RankNumbering::ShareRankWithTies(int start, double p, double z)
{
    while (!atEnd() && ties(m_rows.at(m_pos), p, z)) {
        SetRank(int(m_rows.at(m_pos).TeamNr), start);
        ++m_rankCounter;
        ++m_pos;
    }
}

void RankNumbering::SetRank(int teamNr, int rank)
{
    if (!m_setRank) {
        m_setRank = std::make_unique<Statement>(
            m_data.db(), QStringLiteral("UPDATE Rang SET Rang = :Rang WHERE TeamNr = :TeamNr"));
    }
    m_setRank->reset();
    m_setRank->bind("Rang", rank).bind("TeamNr", teamNr);
    m_setRank->exec();
    // The ordered view shows what was written; its order keys are unchanged.
    if (const auto it = m_rowOf.constFind(teamNr); it != m_rowOf.constEnd())
        m_rows[it.value()].Rang = rank;
}
