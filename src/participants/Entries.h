#pragma once

#include <QList>

class Competition;
class DataLibrary;

// Entries of participants in an event, with their prepared result rows.
class Entries
{
public:
    explicit Entries(Competition &competition);

    // Enters a team, a group (isGroup) or a member of group groupNr into event anlassNr,
    // with its start number and one empty result row per active post. A participant that
    // is entered already, a team that does not exist and an event that does not exist are
    // left alone: false.
    bool EnterParticipant(int anlassNr, int teamNr, bool isGroup, int groupNr);
    // The group's entry and one member entry per member, in the order given, as one change;
    // the number of entries written.
    int EnterGroup(int anlassNr, int groupNr, const QList<int> &memberNrs);
    // The entering itself, inside the caller's transaction and without a refresh, for
    // callers that have the data module only (an import). False when it left things alone.
    static bool EnterInto(DataLibrary &data, int anlassNr, int teamNr, bool isGroup, int groupNr);

    // Removes entries from the open event after the operator's Yes, with their member
    // entries and the result rows of both, except rows that another entry of the event still
    // counts; the teams and memberships stay.
    void RemoveEntry(int teamNr);
    void RemoveSelectedEntries(const QList<int> &teamNrs);

private:
    void removeEntry(int anlassNr, int teamNr);

    Competition &m_competition;
};
