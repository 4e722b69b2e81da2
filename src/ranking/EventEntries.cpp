#include "ranking/EventEntries.h"

#include "data/DataLibrary.h"
#include "engine/Statement.h"

EventEntries::EventEntries(DataLibrary &data, int anlassNr)
{
    Statement s(data.db(),
                QStringLiteral("SELECT * FROM TeamsProAnlass WHERE AnlassNr = :AnlassNr"));
    s.bind("AnlassNr", anlassNr);
    while (s.next()) {
        const EntryRow r = entryFrom(s);
        m_entries.insert(r.TeamNr, r);
    }
}

const EntryRow *EventEntries::find(int teamNr) const
{
    const auto it = m_entries.constFind(teamNr);
    return it == m_entries.constEnd() ? nullptr : &it.value();
}

bool EventEntries::finishedFlag(const EntryRow *entry, const EntryRow *groupEntry,
                                bool additionalGame)
{
    if (!entry)
        return false;
    const EntryRow *decisive = entry->GroupNr == 0 ? entry : groupEntry;
    if (!decisive)
        return false;
    return additionalGame ? decisive->ZusatzAbgeschlossen : decisive->Abgeschlossen;
}

bool EventEntries::isFinished(int teamNr, bool additionalGame) const
{
    const EntryRow *entry = find(teamNr);
    return finishedFlag(entry, entry && entry->GroupNr != 0 ? find(entry->GroupNr) : nullptr,
                        additionalGame);
}

int EventEntries::groupNrOf(int teamNr) const
{
    const EntryRow *entry = find(teamNr);
    return entry ? entry->GroupNr : 0;
}

bool EventEntries::isGroupEntry(int teamNr) const
{
    const EntryRow *entry = find(teamNr);
    return entry && entry->IsGroup;
}
