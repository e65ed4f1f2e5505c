#include "writers/gltf/float32.h"

#include <cfloat>
#include <cmath>

int fitsfloat(double v)
{
    // Converting a double beyond the float range is undefined, so this is
    // tested on the double. NaN fails the comparison too.
    return std::fabs(v) <= static_cast<double>(FLT_MAX);
}

float narrow(double v, const char *owner, narrowing *n)
{
    if (!fitsfloat(v)) {
        if (!n->bad)
            n->bad = owner;
        return 0.0f;
    }
    return static_cast<float>(v);
}
