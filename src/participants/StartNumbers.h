#pragma once

class Competition;

// Clearing and drawing the start numbers of the open event. Each command changes the
// event as one whole: an error leaves every number as it was.
class StartNumbers
{
public:
    explicit StartNumbers(Competition &competition);

    // "Startnummern auf Null setzen": asks, then ClearStartNumbers. False on No.
    bool ClearStrNrBtnClick();
    // The standing numbers of the open event's participants and their entries' numbers
    // in it become 0.
    void ClearStartNumbers();
    void ResetRandomNumbers();
    // "Neue Startnummern vergeben": asks, then numbers the teams 1, 2, 3 ... in a random
    // order, then the groups, each group's members sharing its number. False on No.
    bool NewStrNrBtnClick();
    // Its work without question and refresh: clearing, draw and numbering, all or nothing.
    void DrawStartNumbers();

    // Sets the start number of the participant's entry in the open event, if it has one.
    void SetEntryStartNr(int teamNr, int startNr);

private:
    // Draws a random order 0..19999 for the open event's participants and numbers every one
    // of them and each member of its groups, in a few statements over the whole event.
    void numberDrawnParticipants();

    Competition &m_competition;
};
