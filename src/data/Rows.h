#pragma once

#include <QString>

// Snapshots of table rows as the program reads them. A column that was never set reads as
// 0, false or empty text, as in the tables.

struct EventRow // Anlass
{
    int AnlassNr = 0;
    QString AnlassBez;
    QString Rangberechnung;
    int PunkteSort = 0;
    int ZeitSort = 0;
    bool AutoRangBerechnung = false;
    int RangBerNachTeams = 0;
    bool Zusatzspiel = false;
    QString ZusatzspielName;

    // calculated
    QString CalcAutoRangBer() const;
    QString CalcZusatzspiel() const;
    QString CalcRangberechnung() const;
};

struct TeamRow // Team
{
    int TeamNr = 0;
    int Typ = 0;
    int StartNr = 0;
    QString Name;
    QString Vorname;
    QString Verein;
    QString Hund;
    QString Rasse;
    int KatNr = 0;
    bool Zusatzspiel = false;
    int RandomNum = 0;

    QString CalcFullName() const;
};

struct CategoryRow // Kategorie
{
    int KatNr = 0;
    QString KatBez;
};

struct PostRow // Posten
{
    int PostenNr = 0;
    QString PostenBez;
    double Faktor = 0;
    bool Aktiv = false;

    QString CalcAktiv() const;
};

struct EntryRow // TeamsProAnlass
{
    int AnlassNr = 0;
    int TeamNr = 0;
    int StartNr = 0;
    bool Abgeschlossen = false;
    bool RangBerechnet = false;
    bool IsGroup = false;
    int GroupNr = 0;
    bool ZusatzAbgeschlossen = false;
    bool ZusatzRangBerechnet = false;
};

// One row of the participant list of the open event (the main grid).
struct ParticipantRow
{
    int AnlassNr = 0;
    int TeamNr = 0;
    int TeamNr_1 = 0;
    int CalcTyp = 0;
    int StartNr = 0;
    QString CalcFullName;
    QString Name;
    QString Vorname;
    QString Hund;
    QString Verein;
    QString Rasse;
    bool RangBerechnet = false;
    int KatNr = 0;
    QString CalcKategorie;
    double CalcSumOfPoints = 0;
    double CalcSumOfTime = 0;
    bool Zusatzspiel = false; // the team's own flag
    bool Abgeschlossen = false;
    QString CalcAbgeschlossen;
    QString CalcGedruckt;
    QString CalcZusatz;
    bool ZusatzAbgeschlossen = false;
    double CalcSumOfPointsAdd = 0;
    double CalcSumOfTimeAdd = 0;
    QString CalcZusatzAbgeschlossen;
    bool ZusatzRangBerechnet = false;
    QString CalcZusatzGedruckt;
    int GroupNr = 0;
    bool IsGroup = false;

    bool operator==(const ParticipantRow &) const = default;
};
