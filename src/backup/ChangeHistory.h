#pragma once

#include <QList>
#include <QString>

class Database;

// One line of the change log as people read it.
struct HistoryLine
{
    QString time; // "04.05.2024 19:32:10"
    QString source;
    int teamNr = 0;
    QString participant; // the team's or group's name, "Team 12" when it is gone
    QString post; // empty for a field of the entry
    QString field; // "Punkte", "Fertig", "Startnummer", ...
    QString oldValue;
    QString newValue;
};

namespace ChangeHistory {

// The changes in event anlassNr, oldest first; with a teamNr only that participant's: for a
// group its own entry and its members' results, which are stored under the members.
QList<HistoryLine> read(Database &db, int anlassNr, int teamNr = 0);

} // namespace ChangeHistory
