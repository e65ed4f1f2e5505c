// Numbers as text, byte for byte what C's printf writes for "%g" (and "%d"),
// without printf's cost: the figure writers print some 20,000 numbers per
// figure, and formatting them through printf took most of their time.
#pragma once

#include <cstddef>

// The text of one number; not NUL-terminated.
struct numtext {
    char text[32];
    size_t len;
};

// What printf("%.*g", precision, v) writes, for every double ("%g" by
// default). Finite values of ordinary size and precisions up to 9 are
// formatted here; the others (and the rare value within a hair of a rounding
// tie, where this method could not tell which way printf rounds) are handed
// to snprintf.
numtext printg(double v, int precision = 6);

// What printf("%d", v) writes.
numtext printd(int v);
