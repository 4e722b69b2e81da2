#pragma once

#include <QList>

#include <memory>

class Competition;
class PostScorecardReport;
class ScorecardReport;

// Scorecards for the judges: one participant, a group with its members, blank, or all; and
// the per-post cards that list every participant for one post.
class Scorecards
{
public:
    explicit Scorecards(Competition &competition);
    ~Scorecards();

    // The card of a participant and, for a group, one per member, printed as one job;
    // teamNr 0 gives the blank card. toPrinter false previews each card in turn.
    void OutputScorecards(bool toPrinter, int teamNr);
    void OutputScorecard(bool toPrinter, int teamNr);
    void PrintAllScorecardsItemClick();
    // The per-post cards: a post the operator chooses, or every active post.
    void OutputPostScorecards(bool toPrinter, bool allPosts);
    void OutputEmptyPostScorecard();

    const ScorecardReport &report() const { return *m_report; }

private:
    void output(bool toPrinter, bool showProgress);
    // The cards of these participants as one print job; false when the operator cancelled.
    bool printCards(const QList<int> &teamNrs);
    void outputPost(bool toPrinter, bool showProgress);

    Competition &m_competition;
    std::unique_ptr<ScorecardReport> m_report;
    std::unique_ptr<PostScorecardReport> m_postReport;
};
