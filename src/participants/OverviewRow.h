#pragma once

#include "data/Rows.h"

#include <QString>

// One row of the team overview's lists: a team or group with its category name.
struct OverviewRow : TeamRow
{
    QString KatBez;

    bool isTeam() const { return Typ == 1; }
    bool isGroup() const { return Typ == 2; }
    QString CalcName() const; // "Name Vorname", the list's column
    QString CalcZusatz() const; // "Ja" / "Nein"
    QString displayName() const; // "Vorname Name", trimmed, as messages name a team
};
