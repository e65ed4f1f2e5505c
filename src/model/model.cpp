#include "model/model.h"

#include <cstring>

#include "model/bondgraph.h"

element elements[MAXELEMENTS];
int nelements = 0;
atom atoms[MAXATOMS];
int natoms = 0;

double bondradius = 0.0;
unsigned char bondred = 128, bondgreen = 128, bondblue = 128;
unsigned char readxyz = 0;

char Name[256] = "molecule";

void resetmodel()
{
    nelements = 0;
    natoms = 0;
    bondradius = 0.0;
    bondred = bondgreen = bondblue = 128;
    readxyz = 0;
    std::strcpy(Name, "molecule");
    resetbondgraph();
}
