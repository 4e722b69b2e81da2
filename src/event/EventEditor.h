#pragma once

#include "data/Rows.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

class Competition;

// One item of the event dialog's post list.
struct PostChoice
{
    int PostenNr = 0;
    QString PostenBez;
    bool checked = false;
};

// What the event dialog's controls hold. The number of teams stays text until it is
// saved, so that a refused entry is given back to the operator as typed.
struct EventInput
{
    QString AnlassBez;
    QString Rangberechnung;
    int PunkteSort = 0; // 1 "Absteigend", 2 "Aufsteigend", 0 none chosen
    int ZeitSort = 0;
    bool AutoRangBerechnung = false;
    QString RangBerNachTeams;
    bool Zusatzspiel = false;
    QString ZusatzspielName;
    bool clearStartNumbers = false; // create mode only
    QList<PostChoice> posts; // create mode only
};

// The event dialog without its widgets: it prepares the row to create or edit, checks
// what was typed and saves the event with the post selection. Nothing is written before
// "Speichern"; cancelling needs no undo.
class EventEditor
{
public:
    explicit EventEditor(Competition &competition);

    QChar dialogMode = QLatin1Char('N'); // 'N' create, 'E' edit
    bool creating() const { return dialogMode != QLatin1Char('E'); }

    static QStringList rankMethods();
    static bool pointsSortEnabled(const QString &method);
    static bool timeSortEnabled(const QString &method);

    // PrepareNewEvent or PrepareEditEvent by dialogMode.
    EventInput FormShow();
    EventInput PrepareNewEvent();
    EventInput PrepareEditEvent();
    QList<PostChoice> LoadPostList();

    // "Speichern": checks in order, telling the operator what is missing; on success the
    // event is saved and true means the dialog closes with OK.
    bool SaveBtnClick(const EventInput &input);

    // The number of teams as stored; false for text that is no number the column can hold.
    static bool parseTeamCount(const QString &text, int &count);

private:
    bool validate(const EventInput &input, int &teamCount);
    void SaveEvent(const EventInput &input, int teamCount);
    void SavePostSelection(const QList<PostChoice> &posts);

    Competition &m_competition;
    int m_anlassNr = 0; // the row being edited; 0 for a new one
};
