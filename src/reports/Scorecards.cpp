#include "reports/Scorecards.h"

#include "app/Competition.h"

Scorecards::Scorecards(Competition &competition)
    : m_competition(competition)
{
}

void Scorecards::OutputScorecards(bool, int) { }

void Scorecards::PrintAllScorecardsItemClick() { }

void Scorecards::OutputPostScorecards(bool, bool) { }

void Scorecards::OutputEmptyPostScorecard() { }
