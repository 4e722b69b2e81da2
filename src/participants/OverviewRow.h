#pragma once

#include <QString>

// One row of the team overview's lists: a team or group with its category name.
struct OverviewRow {
    int TeamNr = 0;
    int Typ = 0;
    int StartNr = 0;
    QString Name;
    QString Vorname;
    QString Verein;
    QString Hund;
    QString Rasse;
    int KatNr = 0;
    QString KatBez;
    bool Zusatzspiel = false;
    int RandomNum = 0;

    bool isTeam() const { return Typ == 1; }
    bool isGroup() const { return Typ == 2; }
    QString CalcName() const; // "Name Vorname", the list's column
    QString CalcZusatz() const; // "Ja" / "Nein"
    QString displayName() const; // "Vorname Name", trimmed, as messages name a team
};
