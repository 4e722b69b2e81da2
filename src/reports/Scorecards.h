#pragma once

class Competition;

// Scorecards for the judges: one participant, a group with its members, blank, or all.
class Scorecards
{
public:
    explicit Scorecards(Competition &competition);

    void OutputScorecards(bool toPrinter, int teamNr);
    void PrintAllScorecardsItemClick();
    // The per-post cards: the chosen post, or every active post.
    void OutputPostScorecards(bool toPrinter, bool allPosts);
    void OutputEmptyPostScorecard();

private:
    Competition &m_competition;
};
