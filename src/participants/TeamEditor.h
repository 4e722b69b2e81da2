#pragma once

#include "data/Rows.h"

#include <QChar>
#include <QString>
#include <QStringList>

class Competition;

// What the operator typed into the team dialog.
struct TeamInput
{
    QString StartNr;
    QString Name;
    QString Vorname;
    QString Verein;
    QString Hund;
    QString Rasse;
    int KatNr = 0; // the category shown, 0 for none
    bool Zusatzspiel = false;
    bool printOnSave = false;
};

// The team dialog without its widgets: the pending record of a team or group, its
// validation, and saving in and outside entry mode.
class TeamEditor
{
public:
    enum class SaveResult {
        Refused, // input incomplete or wrong; the operator has been told, the record stays pending
        Entered, // saved and entered in entry mode; a fresh record is pending
        Saved // saved outside entry mode; the dialog closes with OK
    };

    explicit TeamEditor(Competition &competition);

    QChar kind = QLatin1Char('T'); // 'T' team, 'G' group
    QChar mode = QLatin1Char('I'); // 'I' new, 'M' existing
    int TeamNr = 0;

    // Begins a new record (mode 'I', with the next free start number) or reads the one to edit.
    // False when the record to edit has gone: a blank record in its place would be saved as
    // an unrelated new team.
    bool PrepareRecord();
    const TeamRow &record() const { return m_record; }
    bool printOnSaveEnabled() const;
    bool addGameEnabled() const;

    // Blank name becomes "0"; true when everything the kind needs is given.
    bool ValidateInput(TeamInput &input);
    // "Speichern". Print-on-save only counts in entry mode.
    SaveResult Save(TeamInput &input);

    QStringList ClubList();
    QStringList BreedList();

    // The largest start number an entry holds (a 32-bit integer); the dialog shows and
    // accepts every number up to it.
    static constexpr int MaxStartNr = 2147483647;
    static QString startNrMessage();
    // A start number is a whole number from 0 to max, in digits only; empty is 0.
    static bool parseStartNr(const QString &text, int &startNr, int max = MaxStartNr);

private:
    QStringList distinctValues(const char *column);

    Competition &m_competition;
    TeamRow m_record;
};
