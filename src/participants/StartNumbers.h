#pragma once

class Competition;

// Clearing and drawing the start numbers of the open event.
class StartNumbers
{
public:
    explicit StartNumbers(Competition &competition);

    void ClearStartNumbers();
    void ResetRandomNumbers();

private:
    Competition &m_competition;
};
