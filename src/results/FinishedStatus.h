#pragma once

class Competition;

// The finished flags of an entry in the open event.
class FinishedStatus
{
public:
    explicit FinishedStatus(Competition &competition);

    void SetFinished(int teamNr, bool finished, bool refreshGrid);
    void SetAddGameFinished(int teamNr, bool finished, bool refreshGrid);

private:
    Competition &m_competition;
};
