// The molecule of one conversion: fixed global tables of elements and atoms
// with a count of used slots each, and the settings that apply to the whole
// molecule. The reader fills them, the bond-angle pass and the writers read
// them, and every job resets them before it reads.
#pragma once

#include "geometry/XYZ.h"

enum {
    MAXELEMENTS = 128,
    MAXATOMS = 1024,
    ELEMENTNAMEMAX = 63, // characters, without the terminating NUL
    ATOMNAMEMAX = 31
};

struct element {
    char name[ELEMENTNAMEMAX + 1];  // also the OBJ group and the material name
    unsigned char green, blue, red; // in this order, as declared
    double rad;                     // ball radius as declared, sign kept
};

struct atom {
    atom *parent; // null for slot 0, the root, and for no other
    char name[ATOMNAMEMAX + 1];
    char shortname[16]; // "atom%d" of the slot; names the figure actor
    element *sort;
    double theta; // degrees, about the parent's X axis
    double phi;   // degrees, about the parent's Y axis
    double bondl; // distance from the parent
    xyz p;        // position, used in coordinate mode only

    atom() : p(0, 0, 0) {}
};

extern element elements[MAXELEMENTS];
extern int nelements;
extern atom atoms[MAXATOMS];
extern int natoms;

extern double bondradius; // 0: no bonds are drawn
extern unsigned char bondred, bondgreen, bondblue;
extern unsigned char readxyz; // 1: atoms are given as x y z

extern char Name[256]; // the figure name

// Empties the tables (the bond graph's too, bondgraph.h) and puts every setting and the figure name back to
// its value at program start.
void resetmodel();
