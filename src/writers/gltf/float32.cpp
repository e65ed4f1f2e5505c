#include "writers/gltf/float32.h"

float unfit(const char *owner, narrowing *n)
{
    if (!n->bad)
        n->bad = owner;
    return 0.0f;
}
