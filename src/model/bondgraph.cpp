#include "model/bondgraph.h"

#include <cstring>

ringbond ringbonds[MAXRINGBONDS];
int nringbonds = 0;
unsigned char nobond[MAXATOMS];
unsigned char linkorder[MAXATOMS];
unsigned char ringorder[MAXRINGBONDS];

void resetbondgraph()
{
    nringbonds = 0;
    std::memset(nobond, 0, sizeof nobond);
    std::memset(linkorder, 0, sizeof linkorder);
    std::memset(ringorder, 0, sizeof ringorder);
}
