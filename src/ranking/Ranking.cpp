#include "ranking/Ranking.h"

#include "app/Competition.h"

Ranking::Ranking(Competition &competition)
    : m_competition(competition)
{
}

void Ranking::RefreshFinishedCounts(bool) { }

void Ranking::RefreshAddGameFinishedCounts(bool) { }

void Ranking::RunRankList(bool, bool, bool) { }

void Ranking::ResetItemClick() { }

void Ranking::ResetAddItemClick() { }
