#pragma once

#include "participants/OverviewRow.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

class Competition;

// The team overview without its widgets: which of the two lists is shown with which kind
// filter, and the commands on a row of it.
class TeamOverview
{
public:
    explicit TeamOverview(Competition &competition);

    QChar mode = QLatin1Char('M'); // 'M' maintenance, 'I' entry, 'S' selection

    // The list shown: every team and group, or the participants of the open event.
    bool eventListShown() const { return m_eventList; }
    void SetEventListShown(bool eventList);
    // 0 everything, 1 teams, 2 groups; each list keeps its own.
    int kindFilter() const { return m_eventList ? m_eventFilter : m_allFilter; }
    void SetKindFilter(int typ);
    void SetAllParticipantsFilter(int typ); // whichever list is shown
    int allParticipantsFilter() const { return m_allFilter; }

    void Reload();
    const QList<OverviewRow> &rows() const { return m_rows; }
    int indexOf(int teamNr) const; // -1 when not in the list shown

    // Where the name box puts the list of all participants; -1 when it is empty or the
    // event list is shown.
    int PositionByName(const QString &text) const;

    // Resets what every showing resets: the event list off, the random numbers, the line.
    void FormShow();
    QString message; // the line under the grid

    // Deletes the team or group after the operator's Yes, unless it is still in use.
    bool DeleteTeam(const OverviewRow &row);
    // Double-click or Enter in entry mode: a team as itself, a group with its members.
    void EnterRow(const OverviewRow &row, bool printOnSave);
    // The two insert commands; a group row is ignored (false).
    bool InsertWithStartNr(const OverviewRow &row);
    bool InsertWithoutStartNr(const OverviewRow &row);

    // Adds each team number once, as decimal text, keeping the list sorted.
    static void CollectSelection(const QList<int> &teamNrs, QStringList &selectionList);

private:
    Competition &m_competition;
    bool m_eventList = false;
    int m_allFilter = 0;
    int m_eventFilter = 0;
    QList<OverviewRow> m_rows;
};
