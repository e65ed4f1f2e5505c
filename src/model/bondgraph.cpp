#include "model/bondgraph.h"

#include <cstring>

ringbond ringbonds[MAXRINGBONDS];
int nringbonds = 0;
unsigned char nobond[MAXATOMS];

void resetbondgraph()
{
    nringbonds = 0;
    std::memset(nobond, 0, sizeof nobond);
}
