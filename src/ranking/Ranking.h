#pragma once

class Competition;

// Rank tables, numbering, rank list runs, the per-category counts and their proposals.
class Ranking
{
public:
    explicit Ranking(Competition &competition);

    void RefreshFinishedCounts(bool show);
    void RefreshAddGameFinishedCounts(bool show);
    void RunRankList(bool print, bool additionalGame, bool groupList);
    void ResetItemClick();
    void ResetAddItemClick();

private:
    Competition &m_competition;
};
