#include "participants/TeamLists.h"

#include "data/DataLibrary.h"
#include "engine/Statement.h"

#include <QCollator>
#include <QStringList>

#include <algorithm>

namespace TeamLists {

namespace {

const QCollator &collator()
{
    static const QCollator c = [] {
        QCollator result{QLocale()};
        result.setCaseSensitivity(Qt::CaseInsensitive);
        return result;
    }();
    return c;
}

QList<OverviewRow> read(Statement &s)
{
    QList<OverviewRow> rows;
    while (s.next()) {
        rows << OverviewRow{teamFrom(s), s.text("KatBez")};
    }
    return rows;
}

bool byName(const OverviewRow &a, const OverviewRow &b)
{
    if (const int c = compareNames(a.Name, b.Name))
        return c < 0;
    if (const int c = compareNames(a.Vorname, b.Vorname))
        return c < 0;
    return a.TeamNr < b.TeamNr;
}

const QString Columns = QStringLiteral(
    "SELECT t.TeamNr, t.Typ, t.StartNr, t.Name, t.Vorname, t.Verein, t.Hund, t.Rasse, "
    "t.KatNr, k.KatBez, t.Zusatzspiel, t.RandomNum");

} // namespace

int compareNames(const QString &a, const QString &b)
{
    const int c = collator().compare(a, b);
    // The collator may call different spellings equal; the list still needs one order.
    return c != 0 ? c : QString::compare(a, b);
}

QList<OverviewRow> AllParticipants(Database &db, int typFilter)
{
    QStringList sql{Columns,
                    QStringLiteral("FROM Team t LEFT JOIN Kategorie k ON k.KatNr = t.KatNr")};
    if (typFilter != 0)
        sql << QStringLiteral("WHERE t.Typ = :Typ");
    Statement s(db, sql);
    if (typFilter != 0)
        s.bind("Typ", typFilter);
    QList<OverviewRow> rows = read(s);
    std::sort(rows.begin(), rows.end(), byName);
    return rows;
}

QList<OverviewRow> EventParticipants(Database &db, int anlassNr, int typFilter)
{
    QStringList sql{Columns,
                    QStringLiteral("FROM Team t JOIN TeamsProAnlass e ON e.TeamNr = t.TeamNr"),
                    QStringLiteral("LEFT JOIN Kategorie k ON k.KatNr = t.KatNr"),
                    QStringLiteral("WHERE e.AnlassNr = :AnlassNr")};
    if (typFilter != 0)
        sql << QStringLiteral("  AND t.Typ = :Typ");
    Statement s(db, sql);
    s.bind("AnlassNr", anlassNr);
    if (typFilter != 0)
        s.bind("Typ", typFilter);
    QList<OverviewRow> rows = read(s);
    std::sort(rows.begin(), rows.end(), [](const OverviewRow &a, const OverviewRow &b) {
        if (a.Typ != b.Typ)
            return a.Typ < b.Typ;
        if (a.RandomNum != b.RandomNum)
            return a.RandomNum < b.RandomNum;
        return byName(a, b);
    });
    return rows;
}

int PositionByName(const QList<OverviewRow> &rows, const QString &text)
{
    if (rows.isEmpty())
        return -1;
    for (int i = 0; i < rows.size(); ++i) {
        if (collator().compare(rows.at(i).Name, text) >= 0)
            return i;
    }
    return int(rows.size()) - 1;
}

} // namespace TeamLists
