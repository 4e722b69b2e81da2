#pragma once

#include "participants/OverviewRow.h"

#include <QList>
#include <QString>

class Database;

// The two lists of the team overview, read as snapshots. A kind filter of 1 keeps teams,
// 2 groups, 0 everything.
namespace TeamLists {

// Every team and group, by name, first name and number.
QList<OverviewRow> AllParticipants(Database &db, int typFilter = 0);

// The participants entered in an event, member entries of groups included: teams before
// groups, within each kind by the drawn random number, then by name.
QList<OverviewRow> EventParticipants(Database &db, int anlassNr, int typFilter = 0);

// The first row of a list in name order whose name equals or follows text; the last row
// when every name comes before it, -1 for an empty list.
int PositionByName(const QList<OverviewRow> &rows, const QString &text);

// Name order as the operator expects it: umlauts beside their letters, case ignored.
int compareNames(const QString &a, const QString &b);

} // namespace TeamLists
