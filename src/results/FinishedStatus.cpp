#include "results/FinishedStatus.h"

#include "app/Competition.h"

FinishedStatus::FinishedStatus(Competition &competition)
    : m_competition(competition)
{
}

void FinishedStatus::SetFinished(int, bool, bool) { }

void FinishedStatus::SetAddGameFinished(int, bool, bool) { }
