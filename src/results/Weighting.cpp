#include "results/Weighting.h"

#include <cmath>

double Weighting::stored(double typed, double storedBefore, double faktor)
{
    const double before = shown(storedBefore, faktor);
    if (typed == before || typed == std::round(before * 100) / 100)
        return storedBefore;
    return typed * factor(faktor);
}
