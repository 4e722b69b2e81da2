#include "participants/Entries.h"

#include "app/Competition.h"

Entries::Entries(Competition &competition)
    : m_competition(competition)
{
}

void Entries::EnterParticipant(int, int, bool, int) { }

void Entries::RemoveEntry(int) { }

void Entries::RemoveSelectedEntries(const QList<int> &) { }
