#pragma once

// Points are stored weighted by their post's factor and shown, typed and sent as the judge
// counts them. Every front-end converts through here, so that the result dialog and the
// posts' own devices store the same number for the same input.
namespace Weighting {

// A missing, zero or negative factor counts as 1.
inline double factor(double faktor)
{
    return faktor > 0 ? faktor : 1.0;
}

// The value as typed that a stored value stands for.
inline double shown(double stored, double faktor)
{
    return stored / factor(faktor);
}

// The value to store for a typed one (for times pass a factor of 1). A typed value equal to
// the stored one as shown, exactly or to the two decimals every front-end shows, stands for
// the stored value itself: sending back what one was shown never moves a value through the
// display's rounding (stored 10 at factor 3 shows 3.33 and stays 10, not 9.99).
double stored(double typed, double storedBefore, double faktor);

} // namespace Weighting
