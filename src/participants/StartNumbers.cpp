#include "participants/StartNumbers.h"

#include "app/Competition.h"

StartNumbers::StartNumbers(Competition &competition)
    : m_competition(competition)
{
}

void StartNumbers::ClearStartNumbers() { }

void StartNumbers::ResetRandomNumbers() { }
