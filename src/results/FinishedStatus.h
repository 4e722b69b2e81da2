#pragma once

class Competition;

// The finished flags of a participant's entry in the open event. After every change the
// per-category counts are rebuilt, which may propose a rank list before the call returns.
class FinishedStatus
{
public:
    explicit FinishedStatus(Competition &competition);

    // Writes Abgeschlossen of the participant's entry; nothing when it has no entry. With
    // refreshGrid the participant list is reread afterwards (the grid keeps its row).
    void SetFinished(int teamNr, bool finished, bool refreshGrid);
    // The same for ZusatzAbgeschlossen.
    void SetAddGameFinished(int teamNr, bool finished, bool refreshGrid);

private:
    void writeFlag(const char *column, int teamNr, bool value);

    Competition &m_competition;
};
