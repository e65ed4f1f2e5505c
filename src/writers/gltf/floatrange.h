// The one bounds rule of the glTF figure: POSITION's min and max are its
// values' own, and among equal values (+0 and -0) the first one met, so that
// a figure's bounds do not depend on how a loop was split.
#pragma once

// The least and the greatest of v[0 .. n-1] (n at least 1) as a walk from
// v[0] finds them, taking a value only when it is strictly beyond the one
// held: four walks side by side, whose chains of comparisons overlap, give
// the same values; only a zero may then have the other sign, and is looked
// up again.
void floatrange(const float *v, int n, float *low, float *high);
