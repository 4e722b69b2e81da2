#pragma once

#include "data/Rows.h"

#include <QHash>

class DataLibrary;

// The entries of one event, read in one statement, for the walks that ask about many
// participants in turn: a lookup per participant would cost a statement each.
class EventEntries
{
public:
    EventEntries(DataLibrary &data, int anlassNr);

    const EntryRow *find(int teamNr) const;

    // A member of a group counts as finished when its group's entry does.
    bool isFinished(int teamNr, bool additionalGame) const;
    int groupNrOf(int teamNr) const;
    bool isGroupEntry(int teamNr) const;

    // The rule behind isFinished for an entry and, for a member, its group's entry.
    static bool finishedFlag(const EntryRow *entry, const EntryRow *groupEntry,
                             bool additionalGame);

private:
    QHash<int, EntryRow> m_entries;
};
