#pragma once

#include <QList>

class Competition;

// Entries of participants in an event, with their prepared result rows.
class Entries
{
public:
    explicit Entries(Competition &competition);

    void EnterParticipant(int anlassNr, int teamNr, bool isGroup, int groupNr);
    void RemoveEntry(int teamNr);
    void RemoveSelectedEntries(const QList<int> &teamNrs);

private:
    Competition &m_competition;
};
