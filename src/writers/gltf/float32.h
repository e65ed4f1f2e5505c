// The glTF file stores 32-bit floats; the molecule is computed in doubles.
// Every number goes through narrow(), which remembers who owns the first
// value that has no float, so the conversion can refuse the whole figure by
// naming the atom or element at fault instead of writing "inf".
#pragma once

#include <cfloat>
#include <cmath>

struct narrowing {
    const char *bad; // owner of the first value that did not fit; null while all fit
};

// 1 when v has a 32-bit float (tiny values may round to 0 and still fit).
// Converting a double beyond the float range is undefined, so this is tested
// on the double; NaN fails the comparison too.
inline int fitsfloat(double v) { return std::fabs(v) <= static_cast<double>(FLT_MAX); }

// Records owner in n (unless an earlier fault is recorded already); 0.
float unfit(const char *owner, narrowing *n);

// v as a float. A value beyond the float range, infinite or NaN yields 0 and
// records owner in n (unless an earlier fault is recorded already). Inline:
// the figure narrows half a million numbers.
inline float narrow(double v, const char *owner, narrowing *n)
{
    return fitsfloat(v) ? static_cast<float>(v) : unfit(owner, n);
}
